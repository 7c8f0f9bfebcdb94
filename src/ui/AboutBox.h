// The About box: the application icon, the version text and an OK button.
#pragma once

#include <QDialog>

namespace voltaris {

class AboutBox final : public QDialog {
public:
    static constexpr const char* kCaption = "About Voltaris";
    static constexpr const char* kVersionText = "Voltaris version 2.02";

    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace voltaris
