// Loading the window's texts from the string table; a missing entry is reported in a box and
// replaced by an empty text, so that start-up goes on.
#pragma once

#include <QString>
#include <string>

#include "StringTable.h"

class QWidget;

namespace voltaris {

class MessageService;

// The text of entry `id`, or, after the box "Error Loading String <id>", an empty text.
[[nodiscard]] std::string LoadUiString(int id, MessageService& messages, QWidget* parent = nullptr);
[[nodiscard]] QString LoadUiQString(int id, MessageService& messages, QWidget* parent = nullptr);

}  // namespace voltaris
