// The window's folder chooser: the folder dialog, run modal.
#include "files/FolderChooser.h"

#include "files/CFolderDialog.h"

namespace voltaris {

namespace {

class DialogFolderChooser final : public FolderChooser {
public:
    std::optional<std::string> chooseFolder(QWidget* parent, const std::string& title,
                                            const std::string& initialFolder) override {
        CFolderDialog dialog(initialFolder, parent);
        dialog.setWindowTitle(QString::fromStdString(title));
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.SelectedFolder();
    }
};

}  // namespace

std::unique_ptr<FolderChooser> MakeDialogFolderChooser() {
    return std::make_unique<DialogFolderChooser>();
}

}  // namespace voltaris
