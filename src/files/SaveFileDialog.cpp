// The save-file dialog.
#include "files/SaveFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace voltaris {

std::optional<std::string> RunSaveFileDialog(QWidget* parent, const SaveFileRequest& request) {
    QFileDialog dialog(parent, QString::fromStdString(request.title), QDir::currentPath());
    dialog.setObjectName("saveFileDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& filter : request.nameFilters) {
        filters << QString::fromStdString(filter);
    }
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultSuffix));
    dialog.selectFile(QString::fromStdString(request.defaultName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace voltaris
