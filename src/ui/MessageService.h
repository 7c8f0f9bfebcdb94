// The one way the window shows a message box: real boxes normally, boxes answered at once with
// their default button (text on standard error) in screenshot mode and in tests.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace voltaris {

enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows `text` under `caption` (empty: none) modal to `parent` and returns the answer.
    // Called on the user-interface thread only.
    virtual MessageAnswer show(QWidget* parent, const std::string& text, const std::string& caption,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

// QMessageBox, without icon, OK (and Cancel) buttons, OK the default.
class DialogMessageService final : public MessageService {
public:
    MessageAnswer show(QWidget* parent, const std::string& text, const std::string& caption,
                       MessageButtons buttons) override;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    bool operator==(const ShownMessage&) const = default;
};

// Answers every box at once with its default button (OK), prints it on standard error and
// keeps a record of it.
class AutoAnswerMessageService final : public MessageService {
public:
    explicit AutoAnswerMessageService(bool print = true) : m_print(print) {}
    MessageAnswer show(QWidget* parent, const std::string& text, const std::string& caption,
                       MessageButtons buttons) override;
    [[nodiscard]] const std::vector<ShownMessage>& shown() const { return m_shown; }

private:
    bool m_print;
    std::vector<ShownMessage> m_shown;
};

}  // namespace voltaris
