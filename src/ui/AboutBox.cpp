// The About box.
#include "ui/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace voltaris {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kCaption);
    setModal(true);
    auto* icon = new QLabel(this);
    icon->setObjectName("aboutIcon");
    icon->setPixmap(QIcon(":/voltaris/voltaris_icon.png").pixmap(32, 32));
    auto* text = new QLabel(kVersionText, this);
    text->setObjectName("aboutText");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace voltaris
