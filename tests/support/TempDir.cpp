// Temporary folders and the private home of the test programs.
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace voltaris::test {

namespace {

const std::filesystem::path* gHome = nullptr;

}  // namespace

TempDir::TempDir() {
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    std::string pattern = (base / "voltaris-test-XXXXXX").string();
    if (ec || ::mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder from " << pattern << ": "
                      << (ec ? ec.message() : std::strerror(errno));
        return;
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    if (valid()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
}

std::string TempDir::file(const std::string& name) const {
    return (m_path / name).string();
}

QString TempDir::filePath(const QString& name) const {
    return QString::fromStdString(file(name.toStdString()));
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PrivateHome::PrivateHome() {
    if (!m_dir.valid()) {
        std::fprintf(stderr, "no private home for the tests: %s\n", std::strerror(errno));
        std::exit(1);
    }
    std::filesystem::create_directories(m_dir.path() / "config");
    ::setenv("XDG_CONFIG_HOME", (m_dir.path() / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (m_dir.path() / "data").c_str(), 1);
    gHome = &m_dir.path();
}

PrivateHome::~PrivateHome() {
    gHome = nullptr;
}

const std::filesystem::path& TestHome() {
    static const std::filesystem::path none;
    if (gHome == nullptr) {
        ADD_FAILURE() << "the test program has no private home (not run by a test main?)";
        return none;
    }
    return *gHome;
}

}  // namespace voltaris::test
