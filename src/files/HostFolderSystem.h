// The folder chooser's view of this machine's file system, through Qt: relative paths are taken
// from the folder the chooser shows.
#pragma once

#include <functional>

#include "files/FolderRules.h"

namespace voltaris {

class HostFolderSystem final : public FolderSystem {
public:
    // `shownFolder` gives the folder the chooser shows, against which relative paths resolve.
    explicit HostFolderSystem(std::function<std::string()> shownFolder)
        : m_shownFolder(std::move(shownFolder)) {}

    [[nodiscard]] Kind kind(const std::string& path) const override;
    [[nodiscard]] DriveType driveType(char letter) const override;
    [[nodiscard]] DriveType volumeType(const std::string& path) const override;
    [[nodiscard]] bool createFolders(const std::string& path) override;
    [[nodiscard]] std::vector<FolderEntry> entries(const std::string& folder,
                                                   const std::string& prefix) const override;

    // `path` made absolute against the folder shown, cleaned of "." and "..".
    [[nodiscard]] std::string absolute(const std::string& path) const;

private:
    std::function<std::string()> m_shownFolder;
};

}  // namespace voltaris
