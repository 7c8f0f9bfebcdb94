// How the report and the download ask the user for a folder: the folder chooser dialog in the
// window, a scripted answer in tests.
#pragma once

#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace voltaris {

class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Runs the chooser modal to `parent` under `title`, starting in `initialFolder` (empty: the
    // current directory). The accepted folder with its trailing separator; nothing when the
    // user cancelled.
    [[nodiscard]] virtual std::optional<std::string> chooseFolder(
        QWidget* parent, const std::string& title, const std::string& initialFolder) = 0;
};

// The chooser the window uses.
[[nodiscard]] std::unique_ptr<FolderChooser> MakeDialogFolderChooser();

}  // namespace voltaris
