// The folder chooser as a real dialog on the offscreen platform, in a temporary folder tree:
// typing, Enter and creation, Open, refusal of a file, completion, and the chooser the window
// runs modal.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "files/CFolderDialog.h"
#include "files/FolderChooser.h"
#include "support/TempDir.h"

namespace voltaris::test {
namespace {

namespace fs = std::filesystem;

class FolderDialog : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = QDir::currentPath();
        fs::create_directories(m_root.path() / "reports");
        fs::create_directories(m_root.path() / "runs1");
        fs::create_directories(m_root.path() / "runs2");
        std::ofstream(m_root.path() / "notes.txt") << "x";
    }
    void TearDown() override { QDir::setCurrent(m_previous); }

    [[nodiscard]] std::string root() const { return m_root.path().string(); }
    [[nodiscard]] std::unique_ptr<CFolderDialog> open(const std::string& folder) {
        auto dialog = std::make_unique<CFolderDialog>(
            folder, nullptr, [this](QWidget*, const std::string& text, bool yesNo) {
                m_shown.push_back(yesNo ? "? " + text : text);
                return m_yes;
            });
        dialog->show();
        return dialog;
    }
    static void type(CFolderDialog& dialog, const QString& text) {
        QLineEdit& path = *dialog.controls().path;
        path.setFocus();
        path.selectAll();
        QTest::keyClick(&path, Qt::Key_Backspace);
        QTest::keyClicks(&path, text);
    }
    static std::string field(const CFolderDialog& dialog) {
        return dialog.controls().path->text().toStdString();
    }

    TempDir m_root;
    QString m_previous;
    std::vector<std::string> m_shown;
    bool m_yes = true;
};

TEST_F(FolderDialog, StartsInTheInitialFolderWithItsSeparatorAndTheFixedTexts) {
    const auto dialog = open(root());
    EXPECT_EQ(dialog->windowTitle(), "Select Folder");
    EXPECT_EQ(dialog->controls().folderLabel->text(), "Folder:");
    EXPECT_EQ(dialog->controls().open->text(), "Open");
    EXPECT_TRUE(dialog->controls().open->isDefault());
    EXPECT_EQ(field(*dialog), root() + "/");
    EXPECT_EQ(dialog->SelectedFolder(), root() + "/");
    QApplication::processEvents();
    EXPECT_FALSE(dialog->controls().path->hasSelectedText());
    EXPECT_EQ(dialog->controls().path->cursorPosition(), dialog->controls().path->text().size());
}

TEST_F(FolderDialog, EnterOnAMissingFolderAsksThenYesCreatesItWithItsParents) {
    const auto dialog = open(root());
    m_yes = false;
    type(*dialog, "a/b/c");
    QTest::keyClick(dialog->controls().path, Qt::Key_Return);
    EXPECT_FALSE(fs::exists(m_root.path() / "a"));
    EXPECT_EQ(field(*dialog), "a/b/c");
    EXPECT_TRUE(dialog->isVisible());  // Enter never accepts

    m_yes = true;
    QTest::keyClick(dialog->controls().path, Qt::Key_Return);
    const std::string question = "? a/b/c\nThis folder does not exist.\n\nDo you want to create it?";
    EXPECT_EQ(m_shown, (std::vector<std::string>{question, question}));
    EXPECT_TRUE(fs::is_directory(m_root.path() / "a/b/c"));
    EXPECT_EQ(field(*dialog), root() + "/a/b/c/");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FolderDialog, OpenOnAnEmptyFieldAcceptsTheFolderShownAndLeavesItCurrent) {
    const auto dialog = open(root());
    type(*dialog, "");
    dialog->controls().open->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->SelectedFolder(), root() + "/");
    EXPECT_EQ(fs::canonical(QDir::currentPath().toStdString()), fs::canonical(m_root.path()));
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FolderDialog, OpenRefusesAFileAndStaysOpen) {
    const auto dialog = open(root());
    type(*dialog, "notes.txt");
    dialog->controls().open->click();
    EXPECT_EQ(m_shown, std::vector<std::string>{"notes.txt\nThis is a file not a directory."});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), dialog->controls().path);
}

TEST_F(FolderDialog, TypingCompletesASingleFolderAndMovesIntoAFolderEndingWithASeparator) {
    const auto dialog = open(root());
    QLineEdit& path = *dialog->controls().path;
    type(*dialog, "ru");
    EXPECT_EQ(field(*dialog), "ru");  // runs1 and runs2
    type(*dialog, "rep");
    EXPECT_EQ(field(*dialog), "reports");
    EXPECT_EQ(path.selectedText(), "orts");

    QTest::keyClick(&path, Qt::Key_End);
    QTest::keyClick(&path, Qt::Key_Slash);
    EXPECT_EQ(field(*dialog), root() + "/reports/");
    EXPECT_EQ(dialog->SelectedFolder(), root() + "/reports/");
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FolderDialog, TheWindowChooserGivesTheFolderOrNothingAndTheNextStartsWhereItEnded) {
    const std::unique_ptr<FolderChooser> chooser = MakeDialogFolderChooser();
    const auto answer = [](const char* button, QString* title) {
        QTimer::singleShot(0, [button, title] {
            auto* dialog = qobject_cast<CFolderDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            *title = dialog->windowTitle();
            QPushButton* pressed = std::string(button) == "Open" ? dialog->controls().open
                                                                 : dialog->controls().cancel;
            pressed->click();
        });
    };
    QString title;
    answer("Cancel", &title);
    EXPECT_EQ(chooser->chooseFolder(nullptr, "Download directory selection", root()),
              std::nullopt);
    EXPECT_EQ(title, "Download directory selection");

    answer("Open", &title);
    EXPECT_EQ(chooser->chooseFolder(nullptr, "Report directory selection", root() + "/runs1"),
              root() + "/runs1/");
    answer("Open", &title);
    EXPECT_EQ(chooser->chooseFolder(nullptr, "Report directory selection", "."),
              QDir::currentPath().toStdString() + "/");
    EXPECT_EQ(fs::canonical(QDir::currentPath().toStdString()),
              fs::canonical(m_root.path() / "runs1"));
}

}  // namespace
}  // namespace voltaris::test
