// Message boxes: the real dialog and the automatic answer.
#include "ui/MessageService.h"

#include <QMessageBox>
#include <cstdio>

namespace voltaris {

MessageAnswer DialogMessageService::show(QWidget* parent, const std::string& text,
                                         const std::string& caption, MessageButtons buttons) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    if (buttons == MessageButtons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    // A box that is closed rather than answered counts as Cancel where there is one.
    return box.exec() == QMessageBox::Ok || buttons == MessageButtons::Ok ? MessageAnswer::Ok
                                                                          : MessageAnswer::Cancel;
}

MessageAnswer AutoAnswerMessageService::show(QWidget* /*parent*/, const std::string& text,
                                             const std::string& caption, MessageButtons buttons) {
    m_shown.push_back({text, caption, buttons});
    if (m_print) {
        if (caption.empty()) {
            std::fprintf(stderr, "%s\n", text.c_str());
        } else {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        }
    }
    return MessageAnswer::Ok;
}

}  // namespace voltaris
