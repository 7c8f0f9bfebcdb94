// The folder chooser dialog: the widgets, the path field's keys and the Open button, over the
// rules of FolderRules.
#include "files/CFolderDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace voltaris {

namespace {

bool MessageBoxPrompt(QWidget* parent, const std::string& text, bool yesNo) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                    QString::fromStdString(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    return box.exec() == QMessageBox::Yes;
}

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

// The rules' questions and refusals as boxes modal to the dialog.
class CFolderDialog::Prompts final : public FolderPrompts {
public:
    Prompts(QWidget* parent, Prompt prompt) : m_parent(parent), m_prompt(std::move(prompt)) {}
    bool askYesNo(const std::string& text) override { return m_prompt(m_parent, text, true); }
    void tell(const std::string& text) override { (void)m_prompt(m_parent, text, false); }

private:
    QWidget* m_parent;
    Prompt m_prompt;
};

CFolderDialog::CFolderDialog(const std::string& initialFolder, QWidget* parent, Prompt prompt)
    : QDialog(parent),
      m_fs([this] { return m_selected.empty() ? QDir::currentPath().toStdString() : m_selected; }),
      m_prompts(std::make_unique<Prompts>(this, prompt ? std::move(prompt) : MessageBoxPrompt)) {
    setWindowTitle(kFolderDefaultTitle);
    OnInitDone(initialFolder);
}

CFolderDialog::~CFolderDialog() = default;

void CFolderDialog::OnInitDone(const std::string& initialFolder) {
    Controls& c = m_controls;
    c.lookIn = new QLabel(this);
    c.up = new QToolButton(this);
    c.up->setArrowType(Qt::UpArrow);
    c.up->setToolTip(tr("Up one level"));
    c.folders = new QListView(this);
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);  // folders only
    m_model->setReadOnly(true);
    c.folders->setModel(m_model);
    c.folderLabel = new QLabel(kFolderLabelText, this);
    c.path = new QLineEdit(this);
    c.folderLabel->setBuddy(c.path);
    c.open = new QPushButton(kFolderOpenCaption, this);
    c.open->setDefault(true);
    c.open->setAutoDefault(true);
    c.cancel = new QPushButton(tr("Cancel"), this);
    c.cancel->setAutoDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(tr("Look in:"), this), 0, 0);
    layout->addWidget(c.lookIn, 0, 1);
    layout->addWidget(c.up, 0, 2);
    layout->addWidget(c.folders, 1, 0, 1, 3);
    layout->addWidget(c.folderLabel, 2, 0);
    layout->addWidget(c.path, 2, 1);
    layout->addWidget(c.open, 2, 2);
    layout->addWidget(c.cancel, 3, 2);
    layout->setColumnStretch(1, 1);
    resize(520, 360);
    setTabOrder(c.path, c.open);
    setTabOrder(c.open, c.cancel);

    c.path->installEventFilter(this);
    c.folders->installEventFilter(this);
    connect(c.path, &QLineEdit::textEdited, this, &CFolderDialog::OnPathEdited);
    connect(c.open, &QPushButton::clicked, this, &CFolderDialog::OnOpen);
    connect(c.cancel, &QPushButton::clicked, this, &CFolderDialog::reject);
    connect(c.up, &QToolButton::clicked, this, [this] { (void)NavigateTo(".."); });
    connect(c.folders, &QListView::activated, this, [this](const QModelIndex& index) {
        (void)NavigateTo(QDir::toNativeSeparators(m_model->filePath(index)).toStdString());
    });

    const bool current = initialFolder.empty() || initialFolder == ".";
    if (current || !NavigateTo(initialFolder)) {
        OnFolderChange(QDir::currentPath());
    }
}

void CFolderDialog::OnFolderChange(const QString& folder) {
    m_selected = WithTrailingSeparator(QDir::toNativeSeparators(folder).toStdString(), m_syntax);
    const QString shown = QString::fromStdString(m_selected);
    m_controls.lookIn->setText(shown);
    m_controls.folders->setRootIndex(m_model->setRootPath(folder));
    m_controls.path->setText(shown);
    focusPath();
}

bool CFolderDialog::NavigateTo(const std::string& path) {
    const QString target = QString::fromStdString(m_fs.absolute(path));
    if (m_fs.kind(path) != FolderSystem::Kind::Folder) {
        return false;  // the field keeps what was typed
    }
    OnFolderChange(target);
    return true;
}

void CFolderDialog::focusPath() {
    m_controls.path->setFocus();
    m_controls.path->end(false);
}

void CFolderDialog::OnEnter() {
    const std::optional<std::string> path =
        EnterPath(m_controls.path->text().toStdString(), m_syntax, m_fs, *m_prompts);
    if (path) {
        (void)NavigateTo(*path);
        m_controls.path->setText(QString::fromStdString(
            WithTrailingSeparator(m_controls.path->text().toStdString(), m_syntax)));
    }
    focusPath();
}

void CFolderDialog::OnOpen() {
    const std::optional<std::string> path =
        OpenPath(m_controls.path->text().toStdString(), m_syntax, m_fs, *m_prompts);
    if (!path) {
        focusPath();
        return;
    }
    (void)NavigateTo(*path);
    accept();
}

void CFolderDialog::OnPathEdited() {
    QLineEdit& field = *m_controls.path;
    const std::string text = field.text().toStdString();
    if (const std::optional<std::string> folder = TypedFolder(text, m_syntax, m_fs)) {
        (void)NavigateTo(*folder);
        focusPath();
        return;
    }
    const bool completing = m_lastKey != Qt::Key_Delete && m_lastKey != Qt::Key_Backspace &&
                            field.cursorPosition() == field.text().size();
    if (!completing) {
        return;
    }
    if (const std::optional<CompletedPath> completed = CompletePath(text, m_syntax, m_fs)) {
        const QString full = QString::fromStdString(completed->text);
        const int start = QString::fromStdString(text.substr(0, completed->selectionStart)).size();
        field.setText(full);
        field.setSelection(start, full.size() - start);  // typing on replaces the added part
    }
}

bool CFolderDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == m_controls.path) {
        if (key == Qt::Key_Tab) {
            m_controls.open->setFocus();
            return true;
        }
        if (IsEnter(key)) {
            OnEnter();
            return true;  // Enter moves to the folder; only Open accepts
        }
        m_lastKey = key;
    } else if (watched == m_controls.folders && IsEnter(key)) {
        const QModelIndex index = m_controls.folders->currentIndex();
        if (index.isValid()) {
            (void)NavigateTo(QDir::toNativeSeparators(m_model->filePath(index)).toStdString());
        }
        return true;  // Enter in the list opens the folder, it does not accept the dialog
    }
    return QDialog::eventFilter(watched, event);
}

void CFolderDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The first focus selects the whole field; the folder is shown with the caret at its end.
    QTimer::singleShot(0, this, &CFolderDialog::focusPath);
}

void CFolderDialog::done(int result) {
    if (!m_selected.empty()) {
        QDir::setCurrent(QString::fromStdString(m_selected));
    }
    QDialog::done(result);
}

}  // namespace voltaris
