// How the window asks for the name of a file to write: the save-file dialog normally, a scripted
// answer in tests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace voltaris {

struct SaveFileRequest {
    std::string title;
    std::string defaultName;               // proposed in the current directory
    std::string defaultSuffix;             // added to a name typed without one, as "csv"
    std::vector<std::string> nameFilters;  // "Comma separated file (*.csv)", ...
};

// The chosen path, or nothing when the user cancelled. The chooser asks before an existing file
// is overwritten and accepts only a folder that exists.
using SaveFileChooser =
    std::function<std::optional<std::string>(QWidget* parent, const SaveFileRequest& request)>;

// Qt's save-file dialog (its own widgets, so it looks the same on every platform).
[[nodiscard]] std::optional<std::string> RunSaveFileDialog(QWidget* parent,
                                                           const SaveFileRequest& request);

}  // namespace voltaris
