// The main window: controls, start-up sequence, keyboard, About box and shutdown.
#include "ui/CMeterDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <filesystem>
#include <span>

#include "acquisition/AcquisitionWorker.h"
#include "acquisition/CaptureHandOver.h"
#include "acquisition/DemoCaptureSource.h"
#include "acquisition/MeterCaptureSource.h"
#include "analysis/EnergySeries.h"
#include "device/MeterSearch.h"
#include "infra/Log.h"
#include "ui/AboutBox.h"
#include "ui/DisplayUpdate.h"
#include "ui/MessageService.h"
#include "ui/StartupSplash.h"
#include "ui/UiStrings.h"
#include "ui/WindowObserver.h"
#include "ui/WorkerEventQueue.h"
#include "ui/pages/PageTable.h"
#include "ui/pages/ScaleTables.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";
constexpr const char* kProcessName = "VoltarisRT";
constexpr const char* kIconResource = ":/voltaris/voltaris_icon.png";

const char* const kHarmonicsModeItems[] = {"%tot,lin", "%tot,log", "%H1, lin", "%H1, log"};
const char* const kHarmonicsCountItems[] = {"13 points", "40 points"};
const char* const kHarmonicsLimitItems[] = {"no limits", "class A", "class B", "class C",
                                            "class D"};
constexpr int kDefaultFilter = 2;  // "Low pass 2KHz"

template <std::size_t N>
void addItems(QComboBox& list, const char* const (&items)[N]) {
    for (const char* item : items) {
        list.addItem(item);
    }
}

void addScaleItems(QComboBox& list, std::span<const ScaleChoice> scales) {
    for (const ScaleChoice& scale : scales) {
        list.addItem(scale.label);
    }
}

bool isNeutralisedKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

CMeterDlg::CMeterDlg(MessageService& messages, StartupOptions options, QWidget* parent)
    : QDialog(parent),
      m_messages(messages),
      m_options(std::move(options)),
      m_folderChooser(m_options.folderChooser ? m_options.folderChooser
                                              : std::shared_ptr(MakeDialogFolderChooser())),
      m_shared(std::make_shared<AcquisitionShared>()),
      m_measurements(std::make_unique<MeasurementSet>()),
      m_handOver(std::make_unique<CaptureHandOver>()) {
    setWindowTitle(kCaption);
    // Stands in for "MS Sans Serif" 8 points, the font the layout's dialog units come from.
    QFont dialogFont("MS Sans Serif");
    dialogFont.setStyleHint(QFont::SansSerif);
    dialogFont.setPixelSize(11);
    setFont(dialogFont);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    auto* client = new QWidget(this);
    client->setFixedSize(ClientAreaSize());
    layout->addWidget(client);
    m_controls = BuildMainControls(*client);
    m_display =
        std::make_unique<DisplayUpdate>(m_controls, *m_measurements, m_stats, m_options.mfg);

    const MainControls& c = m_controls;
    connect(c.run, &QPushButton::clicked, this, &CMeterDlg::OnRun);
    connect(c.stop, &QPushButton::clicked, this, &CMeterDlg::OnStop);
    connect(c.single, &QPushButton::clicked, this, &CMeterDlg::OnSingle);
    connect(c.periodsSlider, &QSlider::sliderReleased, this, &CMeterDlg::OnPeriodsReleased);
    // Keyboard and page steps move the slider without a press and release.
    connect(c.periodsSlider, &QSlider::valueChanged, this, [this] {
        if (!m_controls.periodsSlider->isSliderDown()) {
            OnPeriodsReleased();
        }
    });
    connect(c.periodsEdit, &QLineEdit::textChanged, this, &CMeterDlg::OnPeriodsEditChange);
    connect(c.preTriggerSlider, &QSlider::sliderReleased, this, &CMeterDlg::OnPreTriggerReleased);
    connect(c.preTriggerSlider, &QSlider::valueChanged, this, [this] {
        if (!m_controls.preTriggerSlider->isSliderDown()) {
            OnPreTriggerReleased();
        }
    });
    connect(c.preTriggerEdit, &QLineEdit::textChanged, this, &CMeterDlg::OnPreTriggerEditChange);
    connect(c.ok, &QPushButton::clicked, this, &CMeterDlg::OnTriggerOk);
    connect(c.zero, &QPushButton::clicked, this, &CMeterDlg::OnTriggerZero);
    connect(c.tabs, &QTabWidget::currentChanged, this, &CMeterDlg::OnSelChangeTabctrl);
    for (QComboBox* list : {c.uScale, c.iScale, c.pScale, c.harmonicsCount}) {
        connect(list, &QComboBox::currentIndexChanged, this, &CMeterDlg::OnScaleChange);
    }
    connect(c.harmonicsLimits, &QComboBox::currentIndexChanged, this,
            &CMeterDlg::OnLimitClassChange);
    connect(c.harmonicsMode, &QComboBox::currentIndexChanged, this,
            &CMeterDlg::OnDisplayModeChange);
    connect(c.resetStats, &QPushButton::clicked, this, &CMeterDlg::OnResetStats);
    connect(c.calibration.store, &QPushButton::clicked, this, &CMeterDlg::OnStoreCalibration);
    connect(c.calibration.restoreFactory, &QPushButton::clicked, this,
            &CMeterDlg::OnRestoreFactoryCalibration);
    connect(c.calibration.storeFactory, &QPushButton::clicked, this,
            &CMeterDlg::OnStoreFactoryCalibration);
    connect(c.comPort, &QComboBox::currentIndexChanged, this, &CMeterDlg::OnEditChangePort);
    connect(c.download, &QPushButton::clicked, this, &CMeterDlg::OnDownloadFiles);
    connect(c.exportCsv, &QPushButton::clicked, this, &CMeterDlg::OnExportCsv);
    connect(c.report, &QPushButton::clicked, this, &CMeterDlg::OnReport);

    // Enter and Escape are taken away before any control of this window sees them.
    qApp->installEventFilter(this);
}

CMeterDlg::~CMeterDlg() {
    Shutdown();
}

QString CMeterDlg::string(int id) {
    return LoadUiQString(id, m_messages, this);
}

bool CMeterDlg::OnInitDialog() {
    if (m_initialised) {
        return false;
    }
    m_initialised = true;
    LogInit(kProcessName);

    m_splash = std::make_unique<StartupSplash>();
    showStartupStatus("Voltaris", string(kStrInitializing));

    const QString about = string(kStrAbout);
    if (!about.isEmpty()) {
        m_menuBar->addAction(about, this, &CMeterDlg::OnAbout);
    }
    setWindowIcon(QIcon(kIconResource));

    fillLists();

    OnTriggerZero();
    m_stats.StatisticsReset();
    energyReset(*m_measurements);

    m_controls.title->setText("n/a");
    std::error_code error;
    m_applicationFolder = std::filesystem::current_path(error).string();

    detectMeters();
    pushTriggerTexts();
    m_measurements->PeriodsAnalysed = 0;
    selectInitialMeter();
    const bool started = startWorker();

    showStartupStatus(string(kStrThanks), QString());
    m_splash.reset();
    update();
    DrawState(WorkerPhaseStopped);
    return started;
}

void CMeterDlg::fillLists() {
    MainControls& c = m_controls;
    {
        const QSignalBlocker blocker(c.tabs);
        for (const PageDescriptor& page : Pages()) {
            c.tabs->addTab(new QWidget, string(page.tabString));
        }
        c.tabs->setCurrentIndex(0);
    }
    {
        const QSignalBlocker blocker(c.periodsSlider);
        c.periodsSlider->setRange(kMinPeriodCount, kMaxPeriodCount);
        c.periodsSlider->setValue(kDefaultPeriodCount);
    }
    {
        const QSignalBlocker blocker(c.periodsEdit);
        c.periodsEdit->setText(QString::number(kDefaultPeriodCount));
    }
    const QSignalBlocker u(c.uScale), i(c.iScale), p(c.pScale), f(c.filter), m(c.harmonicsMode),
        n(c.harmonicsCount), l(c.harmonicsLimits);
    addScaleItems(*c.uScale, VoltageScales());
    addScaleItems(*c.iScale, CurrentScales());
    addScaleItems(*c.pScale, PowerScales());
    for (QComboBox* list : {c.uScale, c.iScale, c.pScale}) {
        list->setCurrentIndex(0);
    }
    for (int id : {kStrNoFilter, kStrLowPass1k, kStrLowPass2k}) {
        c.filter->addItem(string(id));
    }
    c.filter->setCurrentIndex(kDefaultFilter);
    c.harmonicsMode->addItem(string(kStrAbsolute));
    addItems(*c.harmonicsMode, kHarmonicsModeItems);
    addItems(*c.harmonicsCount, kHarmonicsCountItems);
    addItems(*c.harmonicsLimits, kHarmonicsLimitItems);
    for (QComboBox* list : {c.harmonicsMode, c.harmonicsCount, c.harmonicsLimits}) {
        list->setCurrentIndex(0);
    }
    {
        const QSignalBlocker blocker(c.preTriggerSlider);
        c.preTriggerSlider->setRange(0, c.periodsSlider->value() - 1);
        c.preTriggerSlider->setValue(0);
    }
    const QSignalBlocker blocker(c.preTriggerEdit);
    c.preTriggerEdit->setText("0");
}

void CMeterDlg::showStartupStatus(const QString& headline, const QString& detail) {
    m_startupHistory.push_back({headline, detail});
    if (m_splash) {
        m_splash->showStatus(headline, detail);
    }
    update();
}

void CMeterDlg::detectMeters() {
    const MeterSearch search{m_options.portPaths, m_options.portsEnvironment,
                             m_options.enumeratePorts, m_options.devRoot, m_options.sysRoot};
    DetectionObserver observer;
    observer.status = [this](const std::string& headline, const std::string& detail) {
        showStartupStatus(QString::fromStdString(headline), QString::fromStdString(detail));
    };
    observer.message = [this](const std::string& text) {
        // The start-up box stays on top of other windows: out of the way of the message box.
        if (m_splash) {
            m_splash->hide();
        }
        m_messages.show(this, text, "");
    };
    DetectionOptions options;
    options.pauseAfterSuccess = m_options.pauseAfterDetection;
    DetectionResult result = FindMeters(search, observer, options);
    m_meters = std::move(result.meters);
    m_demoMode = result.demoMode;

    const QSignalBlocker blocker(m_controls.comPort);
    for (const DetectedMeter& meter : m_meters) {
        m_controls.comPort->addItem(QString::fromStdString(meter.entry));
    }
    if (!m_meters.empty()) {
        m_controls.comPort->setCurrentIndex(0);
    }
}

void CMeterDlg::selectInitialMeter() {
    const int index = m_controls.comPort->currentIndex();
    const DetectedMeter* selected = index >= 0 && static_cast<std::size_t>(index) < m_meters.size()
                                        ? &m_meters[index]
                                        : nullptr;
    m_shared->setPort(selected ? selected->port.get() : nullptr);
    // The worker does not run yet, so the clock command has the port to itself.
    m_generation = SelectMeter(selected);
    m_controls.download->setEnabled(m_generation == kGenerationV2);
    (void)m_shared->setPeriodCount(m_controls.periodsSlider->value());  // slider holds 1..85
}

std::unique_ptr<CaptureSource> CMeterDlg::makeCaptureSource() {
    if (m_options.captureSource) {
        return m_options.captureSource();
    }
    if (m_demoMode) {
        return std::make_unique<DemoCaptureSource>();
    }
    return std::make_unique<MeterCaptureSource>();
}

bool CMeterDlg::startWorker() {
    m_events = WorkerEventQueue::create();
    if (!m_events) {
        return false;
    }
    WindowObserver::Handlers handlers;
    handlers.phase = [this](int phase) { OnWorkerPhase(phase); };
    handlers.capture = [this](bool transferred) { OnDataChange(transferred); };
    handlers.message = [this](const std::string& text, const std::string& caption) {
        m_messages.show(this, text, caption);
    };
    handlers.link = [this](bool lost) { OnLinkChanged(lost); };
    // On the worker thread, before the report is queued: the capture is copied while the worker
    // waits, so a later capture cannot overwrite it before the window analyses it.
    const auto takeCapture = [handOver = m_handOver.get(), shared = m_shared.get()] {
        (void)handOver->take(*shared);
    };
    m_observer = std::make_unique<WindowObserver>(*m_events, std::move(handlers), takeCapture);
    m_worker = std::make_unique<AcquisitionWorker>(m_shared, *m_observer, makeCaptureSource());
    if (!m_worker->start()) {
        LogMessage(kLogModule, LogError, "Acquisition worker not started");
        return false;
    }
    m_workerEnded = false;
    return true;
}

bool CMeterDlg::workerRunning() const {
    return m_worker && m_worker->running();
}

bool CMeterDlg::Shutdown() {
    if (m_shutDown) {
        return m_workerEnded;
    }
    m_shutDown = true;
    if (!m_worker) {
        return true;
    }
    // Sets exitRequested, releases a message box the worker waits on, and waits for the thread.
    m_workerEnded = m_worker->stop(m_options.stopBound);
    // What the worker reported before it ended is of no use to a closing window.
    m_events->discard();
    if (!m_workerEnded) {
        // The thread still runs an exchange: the ports it may use, and the observer and queue it
        // may still be leaving, stay allocated for the rest of the process.
        [[maybe_unused]] auto* const leftToWorker =
            new std::vector<DetectedMeter>(std::move(m_meters));
        (void)m_observer.release();
        (void)m_events.release();
    }
    return m_workerEnded;
}

void CMeterDlg::closeEvent(QCloseEvent* event) {
    Shutdown();
    QDialog::closeEvent(event);
}

void CMeterDlg::keyPressEvent(QKeyEvent* event) {
    if (isNeutralisedKey(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CMeterDlg::eventFilter(QObject* watched, QEvent* event) {
    if (isNeutralisedKey(event)) {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CMeterDlg::OnAbout() {
    AboutBox box(this);
    box.exec();
}

}  // namespace voltaris
