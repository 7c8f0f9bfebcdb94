// Port discovery over a fake /dev and sysfs tree, and the ports the user names.
#include <gtest/gtest.h>

#include <filesystem>

#include "device/PortEnumerator.h"
#include "support/PortTree.h"

namespace voltaris {
namespace {

namespace fs = std::filesystem;

class PortEnumeratorTest : public ::testing::Test {
protected:
    std::vector<PortCandidate> enumerate() const {
        return PortEnumerator(m_tree.dev(), m_tree.sys()).enumerate();
    }

    test::PortTree m_tree;
};

TEST_F(PortEnumeratorTest, ListsRfcommLinksThenHardwareTtysWithTheirUsbProduct) {
    m_tree.nodes({"rfcomm10", "rfcomm2", "rfcomm0", "rfcommX", "ttyUSB0", "ttyUSB10", "ttyACM0",
                  "ttyS0", "tty0"});
    // USB serial adapters: tty -> port -> interface -> USB device holding the product text.
    m_tree.text("sys/devices/usb1/1-1/product", "CP2102 USB to UART Bridge Controller\n");
    m_tree.tty("ttyUSB0", "usb1/1-1/1-1:1.0/ttyUSB0");
    m_tree.text("sys/devices/usb1/1-3/product", "FT232R USB UART\n");
    m_tree.tty("ttyUSB10", "usb1/1-3/1-3:1.0/ttyUSB10");
    // CDC modem: tty -> interface -> USB device.
    m_tree.text("sys/devices/usb1/1-2/product", "Bluetooth Serial Adapter");
    m_tree.tty("ttyACM0", "usb1/1-2/1-2:1.0");
    // On-board UART: nothing between it and the sysfs root, whose own file must not be taken.
    m_tree.text("sys/product", "not a parent device");
    m_tree.tty("ttyS0", "platform/serial8250");
    fs::create_directories(m_tree.sys() / "class/tty/tty0");  // virtual terminal: no device
    m_tree.tty("ttyUSB1", "usb1/1-4/1-4:1.0/ttyUSB1");        // no node to open
    m_tree.tty("rfcomm0", "virtual/rfcomm0");                 // already listed from /dev

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
        EXPECT_EQ(ports[i].path, (m_tree.dev() / expected[i].first).string());
        EXPECT_EQ(ports[i].description, expected[i].second);
        EXPECT_FALSE(ports[i].named);
    }
}

TEST_F(PortEnumeratorTest, MissingRootsGiveNoPorts) {
    EXPECT_TRUE(
        PortEnumerator(m_tree.root() / "nodev", m_tree.root() / "nosys").enumerate().empty());
    m_tree.nodes({"ttyUSB0"});
    EXPECT_TRUE(PortEnumerator(m_tree.dev(), m_tree.root() / "nosys").enumerate().empty());
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
