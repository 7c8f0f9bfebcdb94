// A fake device tree for port discovery in a temporary folder: dev/ with the device nodes, and
// sys/ with the tty class entries and the device folders they link to.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace voltaris::test {

class PortTree {
public:
    PortTree();

    [[nodiscard]] std::filesystem::path dev() const { return m_root.path() / "dev"; }
    [[nodiscard]] std::filesystem::path sys() const { return m_root.path() / "sys"; }
    [[nodiscard]] std::filesystem::path root() const { return m_root.path(); }

    // Plain files standing in for the device nodes dev/`name`.
    void nodes(std::initializer_list<const char*> names) const;
    // dev/`name` as a link to `target`, e.g. a simulator's terminal.
    void link(const std::string& name, const std::string& target) const;
    // The file `file` (relative to the tree's root) holding `content`.
    void text(const std::string& file, const std::string& content) const;
    // A tty class entry whose device link points at sys/devices/`device`.
    void tty(const std::string& name, const std::string& device) const;

    // Options that point voltaris and voltaris-cli at this tree instead of the machine's.
    [[nodiscard]] std::vector<std::string> options() const;

private:
    TempDir m_root;
};

}  // namespace voltaris::test
