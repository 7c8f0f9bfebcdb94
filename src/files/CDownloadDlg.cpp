// The download dialog: its controls, the file list, download, deletion and logging period.
#include "files/CDownloadDlg.h"

#include "device/InterruptiblePort.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <iterator>

#include "acquisition/AcquisitionShared.h"
#include "files/CardLink.h"
#include "files/FolderChooser.h"
#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr int kNameColumnWidth = 120;
constexpr int kSizeColumnWidth = 80;
constexpr int kSizeRole = Qt::UserRole;      // exact size in bytes
constexpr int kNameRole = Qt::UserRole + 1;  // the name's bytes as the card gave them
constexpr int kAutresIndex = static_cast<int>(std::size(kLogPeriodChoices)) - 1;

QString text(int id) {
    return QString::fromStdString(TableText(id));
}

// Tells the dialog, from the download's thread, how the download goes.
class DialogProgress final : public DownloadProgress {
public:
    DialogProgress(CardLink& link, const CDownloadDlg::Controls& controls,
                   std::function<void(const std::string&, const std::string&)> show,
                   const std::atomic<bool>& cancel)
        : m_link(link), m_controls(controls), m_show(std::move(show)), m_cancel(cancel) {}

    void fileStarted(int k, int n, const std::string& localName, int blocks) override {
        const QString status = QString("%1 %2 %3 %4 : %5")
                                   .arg(text(kStrFileDownload))
                                   .arg(k)
                                   .arg(text(kStrOn))
                                   .arg(n)
                                   .arg(QString::fromStdString(localName));
        m_link.post([c = m_controls, status, blocks] {
            c.status->setText(status);
            c.progress->setRange(0, std::max(blocks, 1));
            c.progress->setValue(0);
            c.status->window()->update();
        });
    }
    void blockDone(int done) override {
        m_link.post([c = m_controls, done] { c.progress->setValue(done); });
    }
    void message(const std::string& text, const std::string& caption) override {
        m_link.callOnUi([&] { m_show(text, caption); });
    }
    bool cancelRequested() override { return m_cancel.load(); }

private:
    CardLink& m_link;
    const CDownloadDlg::Controls m_controls;
    std::function<void(const std::string&, const std::string&)> m_show;
    const std::atomic<bool>& m_cancel;
};

}  // namespace

CDownloadDlg::CDownloadDlg(AcquisitionShared& shared, CardLink& link, FolderChooser& chooser,
                           ShowMessage message, QWidget* parent)
    : QDialog(parent),
      m_shared(shared),
      m_link(link),
      m_chooser(chooser),
      m_message(std::move(message)) {
    setWindowTitle(kCaption);
    buildControls();
    const Controls& c = m_controls;
    connect(c.selectAll, &QPushButton::clicked, this, &CDownloadDlg::OnSelectAll);
    connect(c.deleteSelected, &QPushButton::clicked, this, &CDownloadDlg::OnDeleteSelected);
    connect(c.downloadSelection, &QPushButton::clicked, this, &CDownloadDlg::OnDownloadSelection);
    connect(c.cancelDownload, &QPushButton::clicked, this, &CDownloadDlg::OnCancelDownload);
    connect(c.logPeriod, &QComboBox::currentIndexChanged, this, &CDownloadDlg::OnLogPeriodChange);
}

void CDownloadDlg::buildControls() {
    Controls& c = m_controls;
    auto* grid = new QGridLayout(this);
    c.files = new QTreeWidget(this);
    c.files->setRootIsDecorated(false);
    c.files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    c.files->setMinimumHeight(180);
    c.selectAll = new QPushButton("Select all files", this);
    c.deleteSelected = new QPushButton("Delete selected files", this);
    c.logPeriod = new QComboBox(this);
    c.status = new QLineEdit(this);
    c.status->setReadOnly(true);
    c.progress = new QProgressBar(this);
    c.progress->setTextVisible(false);
    c.progress->setRange(0, 1);
    c.progress->setValue(0);
    c.downloadSelection = new QPushButton("Download selection", this);
    c.cancelDownload = new QPushButton("Cancel download", this);
    for (QPushButton* button :
         {c.selectAll, c.deleteSelected, c.downloadSelection, c.cancelDownload}) {
        button->setAutoDefault(false);
    }

    auto* side = new QVBoxLayout;
    side->addWidget(c.selectAll);
    side->addWidget(c.deleteSelected);
    side->addSpacing(12);
    side->addWidget(new QLabel("Log period", this));
    side->addWidget(c.logPeriod);
    side->addStretch();
    grid->addWidget(c.files, 0, 0);
    grid->addLayout(side, 0, 1);
    grid->addWidget(c.status, 1, 0, 1, 2);
    grid->addWidget(c.progress, 2, 0, 1, 2);
    auto* actions = new QHBoxLayout;
    actions->addWidget(c.downloadSelection);
    actions->addWidget(c.cancelDownload);
    actions->addStretch();
    grid->addLayout(actions, 3, 0, 1, 2);
}

void CDownloadDlg::OnInitDialog() {
    Controls& c = m_controls;
    {
        const QSignalBlocker blocker(c.logPeriod);
        for (const LogPeriodChoice& choice : kLogPeriodChoices) {
            c.logPeriod->addItem(choice.text);
        }
        const int period = m_shared.calibration().logPeriod;
        LogMessage(kLogModule, LogInfo, "LOG PERIOD %d", period);
        int index = kAutresIndex;
        for (int i = 0; i < kAutresIndex; ++i) {
            if (kLogPeriodChoices[i].value == period) {
                index = i;
            }
        }
        c.logPeriod->setCurrentIndex(index);
    }
    c.files->setHeaderLabels({text(kStrStoreFiles), text(kStrSize)});
    c.files->header()->resizeSection(0, kNameColumnWidth);
    c.files->header()->resizeSection(1, kSizeColumnWidth);
    c.cancelDownload->setEnabled(false);
    RefreshFileList();
}

void CDownloadDlg::RefreshFileList() {
    m_controls.files->clear();
    m_files.clear();
    ListExchange list;
    (void)runExchange(
        [&](SerialPort& port) { list = SendListCommand(port, kEmptyReadsListDialog); }, false);
    LogMessage(kLogModule, LogInfo, "Fichier %s taille=%d", list.reply.c_str(),
               static_cast<int>(list.reply.size()));
    m_files = ParseFileList(list.reply);
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const CardFile& file = m_files[i];
        auto* row = new QTreeWidgetItem(m_controls.files);
        row->setText(0, QString::fromStdString(PrintableCardFileName(file.name)));
        row->setData(0, kSizeRole, static_cast<qulonglong>(file.size));
        row->setData(0, kNameRole, QByteArray::fromStdString(file.name));
        LogMessage(kLogModule, LogInfo, "taille fichier %d = %d", static_cast<int>(i),
                   static_cast<int>(file.size));
        row->setText(1, QString::asprintf("%d Ko", static_cast<int>(file.size / 1024)));
    }
}

std::vector<CardFile> CDownloadDlg::selectedFiles() const {
    std::vector<CardFile> selected;
    QTreeWidget& list = *m_controls.files;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list.topLevelItem(i);
        if (row->isSelected()) {
            selected.push_back({row->data(0, kNameRole).toByteArray().toStdString(),
                                static_cast<std::uint32_t>(row->data(0, kSizeRole).toULongLong())});
        }
    }
    return selected;
}

void CDownloadDlg::OnSelectAll() {
    m_controls.files->selectAll();
}

void CDownloadDlg::OnDeleteSelected() {
    const std::vector<CardFile> selected = selectedFiles();
    const std::string errorCaption = TableText(kStrErrorCaption);
    if (selected.empty()) {
        showMessage(TableText(kStrNoFileSelected), errorCaption);
        return;
    }
    if (!m_message(this, TableText(kStrDeleteQuestion), TableText(kStrWarningCaption), true)) {
        return;
    }
    int deleted = 0;
    (void)runExchange(
        [&](SerialPort& port) {
            for (const CardFile& file : selected) {
                deleted += DeleteCardFile(port, file.name) ? 1 : 0;
            }
        },
        false);
    showMessage(std::to_string(deleted) + " " + TableText(kStrFilesDeleted), kInformationCaption);
    RefreshFileList();
}

void CDownloadDlg::OnDownloadSelection() {
    const std::vector<CardFile> selected = selectedFiles();
    if (selected.empty()) {
        showMessage(TableText(kStrNoFileSelected), TableText(kStrErrorCaption));
        LogMessage(kLogModule, LogInfo, "sortie telechargement 2");
        return;
    }
    const std::optional<std::string> folder =
        m_chooser.chooseFolder(this, TableText(kStrDownloadFolderTitle), "");
    if (!folder) {
        return;
    }
    m_cancel = false;
    LogMessage(kLogModule, LogInfo, "nombre de fichier =%d", m_controls.files->topLevelItemCount());
    DialogProgress progress(
        m_link, m_controls,
        [this](const std::string& text, const std::string& caption) { showMessage(text, caption); },
        m_cancel);
    DownloadReport report;
    (void)runExchange(
        [&](SerialPort& port) {
            // Cancel gives up on a block that stopped coming at once; one that flows completes.
            InterruptiblePort cancellable(port, [this] { return m_cancel.load(); });
            report = DownloadLogFiles(cancellable, *folder, selected, progress);
        },
        true);
    m_lastDownload = report;
    const DownloadEnd end = DownloadEndMessage(report);
    showMessage(end.text, end.caption);
    m_controls.status->setText(" ");
    m_controls.progress->setValue(0);
    LogMessage(kLogModule, LogInfo, "sortie telechargement 2");
}

void CDownloadDlg::OnCancelDownload() {
    m_cancel = true;
    LogMessage(kLogModule, LogInfo, "intéruption");
}

void CDownloadDlg::OnLogPeriodChange() {
    const std::string errorCaption = TableText(kStrErrorCaption);
    if (m_shared.state() != AcqStatus::Idle) {
        showMessage(TableText(kStrLogPeriodAcquisitionOnGoing), errorCaption);
        return;
    }
    const int index = m_controls.logPeriod->currentIndex();
    if (index < 0 || index >= kAutresIndex) {
        showMessage(TableText(kStrUnsupportedLogPeriod), errorCaption);
        return;
    }
    const int period = kLogPeriodChoices[index].value;
    bool answered = false;
    (void)runExchange([&](SerialPort& port) { answered = SendLogPeriod(port, period); }, false);
    if (!answered) {
        showMessage(kLogPeriodNoAnswerText, errorCaption);
        return;
    }
    m_shared.setLogPeriod(static_cast<std::uint16_t>(period));
    showMessage(TableText(kStrLogPeriodModified), kInformationCaption);
}

bool CDownloadDlg::runExchange(const std::function<void(SerialPort&)>& job, bool cancellable) {
    Controls& c = m_controls;
    for (QWidget* control :
         {static_cast<QWidget*>(c.downloadSelection), static_cast<QWidget*>(c.deleteSelected),
          static_cast<QWidget*>(c.selectAll), static_cast<QWidget*>(c.logPeriod)}) {
        control->setEnabled(false);
    }
    c.cancelDownload->setEnabled(cancellable);
    const bool ran = m_link.run(job);
    for (QWidget* control :
         {static_cast<QWidget*>(c.downloadSelection), static_cast<QWidget*>(c.deleteSelected),
          static_cast<QWidget*>(c.selectAll), static_cast<QWidget*>(c.logPeriod)}) {
        control->setEnabled(true);
    }
    c.cancelDownload->setEnabled(false);
    return ran;
}

void CDownloadDlg::showMessage(const std::string& text, const std::string& caption) {
    (void)m_message(this, text, caption, false);
}

void CDownloadDlg::reject() {
    if (m_link.busy()) {
        m_cancel = true;
        return;
    }
    QDialog::reject();
}

}  // namespace voltaris
