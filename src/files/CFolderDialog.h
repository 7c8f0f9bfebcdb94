// The folder chooser: a modal dialog with a view of the folders of the folder shown, a path
// field the user types into (Enter moves there, creating a missing folder on request; typing
// completes a single matching sub-folder) and an "Open" button that accepts the folder.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "files/FolderRules.h"
#include "files/HostFolderSystem.h"

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QToolButton;

namespace voltaris {

class CFolderDialog final : public QDialog {
    Q_OBJECT

public:
    // Shows `text` modal to `parent`; with `yesNo` it has Yes and No and returns true for Yes.
    using Prompt = std::function<bool(QWidget* parent, const std::string& text, bool yesNo)>;

    struct Controls {
        QLabel* lookIn = nullptr;         // the folder shown
        QToolButton* up = nullptr;        // to its parent
        QListView* folders = nullptr;     // its sub-folders
        QLabel* folderLabel = nullptr;    // "Folder:"
        QLineEdit* path = nullptr;        // 181
        QPushButton* open = nullptr;      // 182, the default button
        QPushButton* cancel = nullptr;
    };

    // Starts in `initialFolder`; empty or ".": the current directory. Without `prompt` the
    // boxes are message boxes of the application.
    explicit CFolderDialog(const std::string& initialFolder, QWidget* parent = nullptr,
                           Prompt prompt = {});
    ~CFolderDialog() override;

    // The folder accepted (the one shown last), with its trailing separator.
    [[nodiscard]] std::string SelectedFolder() const { return m_selected; }
    [[nodiscard]] const Controls& controls() const { return m_controls; }

    // Closing leaves the folder shown last as the current directory, where the next chooser
    // started with "." begins.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class Prompts;

    void OnInitDone(const std::string& initialFolder);
    void OnFolderChange(const QString& folder);
    // Shows `path` (relative: from the folder shown); false when it is not a folder.
    bool NavigateTo(const std::string& path);
    void OnEnter();
    void OnOpen();
    void OnPathEdited();
    void focusPath();

    Controls m_controls;
    QFileSystemModel* m_model = nullptr;
    std::string m_selected;  // the folder shown, with its trailing separator
    PathSyntax m_syntax = HostPathSyntax();
    HostFolderSystem m_fs;
    std::unique_ptr<Prompts> m_prompts;
    int m_lastKey = 0;  // the key whose press changed the path field last
};

}  // namespace voltaris
