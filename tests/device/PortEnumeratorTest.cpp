// Port discovery over a fake /dev and sysfs tree, and the ports the user names.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "device/PortEnumerator.h"

namespace voltaris {
namespace {

namespace fs = std::filesystem;

class PortEnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "voltaris-ports-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_dev = m_root / "dev";
        m_sys = m_root / "sys";
        fs::create_directories(m_dev);
        fs::create_directories(m_sys / "class" / "tty");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    void node(const std::string& name) { std::ofstream(m_dev / name).put('\n'); }
    void text(const fs::path& file, const std::string& content) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << content;
    }
    // A tty class entry whose device link points at `devicePath` under <sys>/devices.
    void ttyWithDevice(const std::string& name, const std::string& devicePath) {
        const fs::path device = m_sys / "devices" / devicePath;
        fs::create_directories(device);
        fs::create_directories(m_sys / "class" / "tty" / name);
        fs::create_directory_symlink(device, m_sys / "class" / "tty" / name / "device");
    }

    fs::path m_root, m_dev, m_sys;
};

TEST_F(PortEnumeratorTest, ListsRfcommLinksThenHardwareTtysWithTheirUsbProduct) {
    node("rfcomm10");
    node("rfcomm2");
    node("rfcomm0");
    node("rfcommX");  // not a numbered link
    node("ttyUSB0");
    node("ttyUSB10");
    node("ttyACM0");
    node("ttyS0");
    node("tty0");
    // USB serial adapter: tty -> port -> interface -> USB device with the product text.
    text(m_sys / "devices/usb1/1-1/product", "CP2102 USB to UART Bridge Controller\n");
    ttyWithDevice("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0");
    text(m_sys / "devices/usb1/1-3/product", "FT232R USB UART\n");
    ttyWithDevice("ttyUSB10", "usb1/1-3/1-3:1.0/ttyUSB10");
    // CDC modem: tty -> interface -> USB device.
    text(m_sys / "devices/usb1/1-2/product", "Bluetooth Serial Adapter");
    ttyWithDevice("ttyACM0", "usb1/1-2/1-2:1.0");
    // On-board UART: no product anywhere below the sysfs root, though the root holds one.
    text(m_sys / "product", "not a parent of any device");
    ttyWithDevice("ttyS0", "platform/serial8250");
    // Virtual terminal: no device.
    fs::create_directories(m_sys / "class/tty/tty0");
    // Device without a node to open.
    ttyWithDevice("ttyUSB1", "usb1/1-4/1-4:1.0/ttyUSB1");

    const std::vector<PortCandidate> ports = PortEnumerator(m_dev, m_sys).enumerate();

    struct Expected {
        std::string name, description;
    };
    const std::vector<Expected> expected = {
        {"rfcomm0", "Bluetooth serial port rfcomm0"},
        {"rfcomm2", "Bluetooth serial port rfcomm2"},
        {"rfcomm10", "Bluetooth serial port rfcomm10"},
        {"ttyACM0", "Bluetooth Serial Adapter"},
        {"ttyS0", ""},
        {"ttyUSB0", "CP2102 USB to UART Bridge Controller"},
        {"ttyUSB10", "FT232R USB UART"},
    };
    ASSERT_EQ(ports.size(), expected.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(ports[i].name, expected[i].name);
        EXPECT_EQ(ports[i].path, (m_dev / expected[i].name).string());
        EXPECT_EQ(ports[i].description, expected[i].description);
        EXPECT_FALSE(ports[i].named);
    }
}

TEST_F(PortEnumeratorTest, RfcommClassEntryIsNotListedTwice) {
    node("rfcomm0");
    ttyWithDevice("rfcomm0", "virtual/rfcomm0");
    const std::vector<PortCandidate> ports = PortEnumerator(m_dev, m_sys).enumerate();
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].description, "Bluetooth serial port rfcomm0");
}

TEST_F(PortEnumeratorTest, MissingRootsGiveNoPorts) {
    EXPECT_TRUE(PortEnumerator(m_root / "nodev", m_root / "nosys").enumerate().empty());
    node("ttyUSB0");
    EXPECT_TRUE(PortEnumerator(m_dev, m_root / "nosys").enumerate().empty());
}

TEST(NamedPorts, TakesOptionsThenTheColonSeparatedListWithoutDuplicates) {
    const std::vector<PortCandidate> ports =
        NamedPorts({"/dev/a", "", "/dev/b", "/dev/a"}, ":/dev/c::/dev/b:/dev/d");
    ASSERT_EQ(ports.size(), 4u);
    const char* paths[] = {"/dev/a", "/dev/b", "/dev/c", "/dev/d"};
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].path, paths[i]);
        EXPECT_EQ(ports[i].name, paths[i]);
        EXPECT_TRUE(ports[i].description.empty());
        EXPECT_TRUE(ports[i].named);
    }
    EXPECT_TRUE(NamedPorts({}, "").empty());
    EXPECT_TRUE(NamedPorts({}, ":::").empty());
}

TEST(NamedPorts, MergeKeepsNamedPortsFirstAndDropsTheirEnumeratedTwins) {
    const std::vector<PortCandidate> enumerated = {
        {"/dev/rfcomm0", "rfcomm0", "Bluetooth serial port rfcomm0", false},
        {"/dev/rfcomm1", "rfcomm1", "Bluetooth serial port rfcomm1", false},
    };
    const std::vector<PortCandidate> merged =
        MergePorts(NamedPorts({"/dev/rfcomm1", "/tmp/x"}, ""), enumerated);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0].path, "/dev/rfcomm1");
    EXPECT_TRUE(merged[0].named);
    EXPECT_EQ(merged[1].path, "/tmp/x");
    EXPECT_EQ(merged[2].path, "/dev/rfcomm0");
    EXPECT_FALSE(merged[2].named);
    EXPECT_EQ(merged[2].name, "rfcomm0");
}

}  // namespace
}  // namespace voltaris
