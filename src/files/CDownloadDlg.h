// The download dialog of a second-generation meter: the files of its SD card, their download
// into converted text files, their deletion, and the meter's logging period. Every exchange
// runs on the port borrowed through a CardLink, off the user-interface thread.
#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "device/CardFiles.h"
#include "files/LogDownload.h"

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace voltaris {

class AcquisitionShared;
class CardLink;
class FolderChooser;

class CDownloadDlg final : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "File download";

    // Shows a message box modal to `parent`; with `okCancel` it has OK and Cancel. True when
    // answered OK.
    using ShowMessage = std::function<bool(QWidget* parent, const std::string& text,
                                           const std::string& caption, bool okCancel)>;

    struct Controls {
        QTreeWidget* files = nullptr;              // 1095
        QPushButton* selectAll = nullptr;          // 1019
        QPushButton* deleteSelected = nullptr;     // 1017
        QComboBox* logPeriod = nullptr;            // 1090
        QLineEdit* status = nullptr;               // 1020
        QProgressBar* progress = nullptr;          // 1093
        QPushButton* downloadSelection = nullptr;  // 1016
        QPushButton* cancelDownload = nullptr;     // 1018
    };

    // `link` holds the port the worker lent; the dialog must not outlive it.
    CDownloadDlg(AcquisitionShared& shared, CardLink& link, FolderChooser& chooser,
                 ShowMessage message, QWidget* parent = nullptr);

    // The log-period list with the meter's current period selected, the columns, and the files.
    void OnInitDialog();
    void RefreshFileList();
    void OnSelectAll();
    void OnDeleteSelected();
    void OnDownloadSelection();
    void OnCancelDownload();
    void OnLogPeriodChange();

    [[nodiscard]] const Controls& controls() const { return m_controls; }
    // The card files as listed last, row by row.
    [[nodiscard]] const std::vector<CardFile>& files() const { return m_files; }
    [[nodiscard]] const DownloadReport& lastDownload() const { return m_lastDownload; }

protected:
    // Closing waits for the exchange in progress; during a download it asks for the cancel.
    void reject() override;

private:
    void buildControls();
    [[nodiscard]] std::vector<CardFile> selectedFiles() const;
    // Runs `job` on the borrowed port with the controls that start an operation disabled,
    // "Cancel download" enabled when `cancellable`. False when it could not run.
    bool runExchange(const std::function<void(SerialPort&)>& job, bool cancellable);
    void showMessage(const std::string& text, const std::string& caption);

    AcquisitionShared& m_shared;
    CardLink& m_link;
    FolderChooser& m_chooser;
    ShowMessage m_message;
    Controls m_controls;
    std::vector<CardFile> m_files;
    DownloadReport m_lastDownload;
    // Set by "Cancel download" on this thread, read by the download between blocks.
    std::atomic<bool> m_cancel{false};
};

}  // namespace voltaris
