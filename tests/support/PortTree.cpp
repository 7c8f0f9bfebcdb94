// The fake device tree of the port discovery tests.
#include "support/PortTree.h"

#include <fstream>

namespace voltaris::test {

namespace fs = std::filesystem;

PortTree::PortTree() {
    fs::create_directories(dev());
    fs::create_directories(sys() / "class/tty");
}

void PortTree::nodes(std::initializer_list<const char*> names) const {
    for (const char* name : names) {
        std::ofstream(dev() / name).put('\n');
    }
}

void PortTree::link(const std::string& name, const std::string& target) const {
    fs::create_symlink(target, dev() / name);
}

void PortTree::text(const std::string& file, const std::string& content) const {
    fs::create_directories((root() / file).parent_path());
    std::ofstream(root() / file) << content;
}

void PortTree::tty(const std::string& name, const std::string& device) const {
    fs::create_directories(sys() / "devices" / device);
    fs::create_directories(sys() / "class/tty" / name);
    fs::create_directory_symlink(sys() / "devices" / device, sys() / "class/tty" / name / "device");
}

std::vector<std::string> PortTree::options() const {
    return {"--dev-root", dev().string(), "--sys-root", sys().string()};
}

}  // namespace voltaris::test
