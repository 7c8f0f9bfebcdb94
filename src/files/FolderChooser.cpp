// The window's folder chooser, through the platform's folder dialog for now.
#include "files/FolderChooser.h"

#include <QFileDialog>

namespace voltaris {

namespace {

class PlatformFolderChooser final : public FolderChooser {
public:
    std::optional<std::string> chooseFolder(QWidget* parent, const std::string& title,
                                            const std::string& initialFolder) override {
        const QString folder = QFileDialog::getExistingDirectory(
            parent, QString::fromStdString(title), QString::fromStdString(initialFolder));
        if (folder.isEmpty()) {
            return std::nullopt;
        }
        return folder.endsWith('/') ? folder.toStdString() : (folder + '/').toStdString();
    }
};

}  // namespace

std::unique_ptr<FolderChooser> MakeDialogFolderChooser() {
    return std::make_unique<PlatformFolderChooser>();
}

}  // namespace voltaris
