// "Download files": the checks before the download dialog opens, on the port the acquisition
// worker lends while it is Idle.
#include <QScopedValueRollback>

#include "device/CardFiles.h"
#include "files/CDownloadDlg.h"
#include "files/CardLink.h"
#include "infra/Log.h"
#include "ui/CMeterDlg.h"
#include "ui/MessageService.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

}  // namespace

void CMeterDlg::OnDownloadFiles() {
    LogMessage(kLogModule, LogDebug1, "OnDownloadFiles");
    if (m_downloadOpen) {
        return;  // a second press while the card is being checked
    }
    const QScopedValueRollback open(m_downloadOpen, true);
    const std::string errorCaption = TableText(kStrErrorCaption);
    if (m_shared->state() != AcqStatus::Idle) {
        m_messages.show(this, TableText(kStrSyncAcquisitionOnGoing), errorCaption);
        return;
    }
    SerialPort* const port = m_shared->request().portHandle;
    if (port == nullptr) {
        m_messages.show(this, kSyncNoAnswerText, errorCaption);  // no meter selected
        return;
    }
    // The worker lends the port at the end of its iteration in progress and takes it back
    // when `link` goes, after the dialog closed; a Run pressed meanwhile waits for that.
    CardLink link(*m_shared, port);
    ListExchange list;
    if (!link.run([&](SerialPort& port) { list = SendListCommand(port, kEmptyReadsListWindow); })) {
        // Not Idle any more, or the worker did not let go of the port.
        m_messages.show(this, TableText(kStrSyncAcquisitionOnGoing), errorCaption);
        return;
    }
    LogMessage(kLogModule, LogInfo, "Fichier %s", list.reply.c_str());
    if (IsNoCardReply(list.reply)) {
        m_messages.show(this, TableText(kStrNoSdCard), errorCaption);
        return;
    }
    if (!list.answered) {
        m_messages.show(this, kSyncNoAnswerText, errorCaption);
        return;
    }
    if (m_shutDown) {
        return;  // the window closed while the card was checked
    }
    CDownloadDlg dialog(
        *m_shared, link, folderChooser(),
        [this](QWidget* parent, const std::string& text, const std::string& caption,
               bool okCancel) {
            return m_messages.show(parent, text, caption,
                                   okCancel ? MessageButtons::OkCancel : MessageButtons::Ok) ==
                   MessageAnswer::Ok;
        },
        this);
    dialog.OnInitDialog();
    dialog.exec();
}

}  // namespace voltaris
