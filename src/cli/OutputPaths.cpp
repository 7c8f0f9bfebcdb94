// Output checks with stat() and access(): nothing is created by them.
#include "cli/OutputPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace voltaris::cli {

namespace {

std::string failure(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

// 0 when `folder` is a folder new files can be made in, otherwise the system's error code.
int writableFolder(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return errno;
    }
    if (!S_ISDIR(info.st_mode)) {
        return ENOTDIR;
    }
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

std::string folderOf(const std::string& path) {
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

}  // namespace

std::string CheckOutputFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return failure(path, EISDIR);
        }
        return ::access(path.c_str(), W_OK) == 0 ? std::string() : failure(path, errno);
    }
    if (errno != ENOENT) {
        return failure(path, errno);
    }
    const int error = writableFolder(folderOf(path));
    return error == 0 ? std::string() : failure(path, error);
}

std::string CheckOutputPrefix(const std::string& prefix) {
    // The chart names follow the prefix: "out/run-" puts them into out/, "out/" too.
    const int error = writableFolder(folderOf(prefix + "x"));
    return error == 0 ? std::string() : failure(prefix, error);
}

std::string CheckOutputFolder(const std::string& folder) {
    std::filesystem::path existing(folder);
    struct stat info {};
    // Missing parts are made when the folder is written; the first part that exists decides.
    while (::stat(existing.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            return failure(folder, errno);
        }
        const std::filesystem::path parent = existing.parent_path();
        if (parent.empty() || parent == existing) {
            existing = ".";
            break;
        }
        existing = parent;
    }
    const int error = writableFolder(existing.string());
    return error == 0 ? std::string() : failure(folder, error);
}

}  // namespace voltaris::cli
