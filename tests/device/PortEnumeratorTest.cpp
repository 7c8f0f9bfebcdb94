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
        fs::create_directories(m_root / "dev");
        fs::create_directories(m_root / "sys/class/tty");
    }
    void TearDown() override { fs::remove_all(m_root); }

    void nodes(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            std::ofstream(m_root / "dev" / name).put('\n');
        }
    }
    void text(const std::string& file, const std::string& content) {
        fs::create_directories((m_root / file).parent_path());
        std::ofstream(m_root / file) << content;
    }
    // A tty class entry whose device link points at <sys>/devices/`device`.
    void tty(const std::string& name, const std::string& device) {
        fs::create_directories(m_root / "sys/devices" / device);
        fs::create_directories(m_root / "sys/class/tty" / name);
        fs::create_directory_symlink(m_root / "sys/devices" / device,
                                     m_root / "sys/class/tty" / name / "device");
    }
    std::vector<PortCandidate> enumerate() const {
        return PortEnumerator(m_root / "dev", m_root / "sys").enumerate();
    }

    fs::path m_root;
};

TEST_F(PortEnumeratorTest, ListsRfcommLinksThenHardwareTtysWithTheirUsbProduct) {
    nodes({"rfcomm10", "rfcomm2", "rfcomm0", "rfcommX", "ttyUSB0", "ttyUSB10", "ttyACM0", "ttyS0",
           "tty0"});
    // USB serial adapters: tty -> port -> interface -> USB device holding the product text.
    text("sys/devices/usb1/1-1/product", "CP2102 USB to UART Bridge Controller\n");
    tty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0");
    text("sys/devices/usb1/1-3/product", "FT232R USB UART\n");
    tty("ttyUSB10", "usb1/1-3/1-3:1.0/ttyUSB10");
    // CDC modem: tty -> interface -> USB device.
    text("sys/devices/usb1/1-2/product", "Bluetooth Serial Adapter");
    tty("ttyACM0", "usb1/1-2/1-2:1.0");
    // On-board UART: nothing between it and the sysfs root, whose own file must not be taken.
    text("sys/product", "not a parent device");
    tty("ttyS0", "platform/serial8250");
    fs::create_directories(m_root / "sys/class/tty/tty0");  // virtual terminal: no device
    tty("ttyUSB1", "usb1/1-4/1-4:1.0/ttyUSB1");             // no node to open
    tty("rfcomm0", "virtual/rfcomm0");                      // already listed from /dev

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"rfcomm0", "Bluetooth serial port rfcomm0"},
        {"rfcomm2", "Bluetooth serial port rfcomm2"},
        {"rfcomm10", "Bluetooth serial port rfcomm10"},
        {"ttyACM0", "Bluetooth Serial Adapter"},
        {"ttyS0", ""},
        {"ttyUSB0", "CP2102 USB to UART Bridge Controller"},
        {"ttyUSB10", "FT232R USB UART"},
    };
    const std::vector<PortCandidate> ports = enumerate();
    ASSERT_EQ(ports.size(), expected.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].name, expected[i].first);
        EXPECT_EQ(ports[i].path, (m_root / "dev" / expected[i].first).string());
        EXPECT_EQ(ports[i].description, expected[i].second);
        EXPECT_FALSE(ports[i].named);
    }
}

TEST_F(PortEnumeratorTest, MissingRootsGiveNoPorts) {
    EXPECT_TRUE(PortEnumerator(m_root / "nodev", m_root / "nosys").enumerate().empty());
    nodes({"ttyUSB0"});
    EXPECT_TRUE(PortEnumerator(m_root / "dev", m_root / "nosys").enumerate().empty());
}

TEST(NamedPorts, OptionsThenColonSeparatedListWithoutDuplicatesAndBeforeEnumeratedPorts) {
    const std::vector<PortCandidate> named =
        NamedPorts({"/dev/a", "", "/dev/rfcomm1", "/dev/a"}, ":/dev/c::/dev/rfcomm1:");
    ASSERT_EQ(named.size(), 3u);
    for (const PortCandidate& port : named) {
        EXPECT_EQ(port.name, port.path);
        EXPECT_TRUE(port.named);
    }
    EXPECT_TRUE(NamedPorts({}, ":::").empty());

    const std::vector<PortCandidate> merged =
        MergePorts(named, {{"/dev/rfcomm0", "rfcomm0", "Bluetooth serial port rfcomm0", false},
                           {"/dev/rfcomm1", "rfcomm1", "Bluetooth serial port rfcomm1", false}});
    std::vector<std::string> paths;
    for (const PortCandidate& port : merged) {
        paths.push_back(port.path);
    }
    EXPECT_EQ(paths,
              (std::vector<std::string>{"/dev/a", "/dev/rfcomm1", "/dev/c", "/dev/rfcomm0"}));
    EXPECT_TRUE(merged[1].named);
    EXPECT_FALSE(merged[3].named);
}

}  // namespace
}  // namespace voltaris
