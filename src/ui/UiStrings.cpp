// String-table loading for the window.
#include "ui/UiStrings.h"

#include <cstdio>

#include "ui/MessageService.h"

namespace voltaris {

std::string LoadUiString(int id, MessageService& messages, QWidget* parent) {
    if (const auto text = FindStringEntry(id)) {
        return std::string(*text);
    }
    char message[64];
    std::snprintf(message, sizeof message, "Error Loading String %d", id);
    messages.show(parent, message, "");
    return {};
}

QString LoadUiQString(int id, MessageService& messages, QWidget* parent) {
    return QString::fromStdString(LoadUiString(id, messages, parent));
}

}  // namespace voltaris
