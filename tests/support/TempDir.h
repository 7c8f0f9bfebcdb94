// Temporary folders of the tests, and the private home every test program runs in.
#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace voltaris::test {

// A fresh folder under the system's temporary folder, removed with all it holds when the object
// goes. A folder that cannot be made is a test failure.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] bool valid() const { return !m_path.empty(); }
    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    // Path of `name` inside the folder; nothing is made.
    [[nodiscard]] std::string file(const std::string& name) const;
    [[nodiscard]] QString filePath(const QString& name) const;

private:
    std::filesystem::path m_path;
};

// The whole contents of a file; empty when it cannot be read.
[[nodiscard]] std::string ReadFile(const std::filesystem::path& path);

// Points the settings and data homes (XDG_CONFIG_HOME, XDG_DATA_HOME) of the test program at a
// private folder before anything reads a setting, so that no test reads or changes the user's own
// settings, log configuration or data; child processes inherit it. Made by the test mains.
class PrivateHome {
public:
    PrivateHome();
    ~PrivateHome();
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

private:
    TempDir m_dir;
};

// Root of the test program's private home: its settings are in config/, its data in data/.
[[nodiscard]] const std::filesystem::path& TestHome();

}  // namespace voltaris::test
