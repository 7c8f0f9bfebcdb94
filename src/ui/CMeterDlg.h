// The main window: start-up (controls, meter detection, shared blocks, worker), the control
// panel's handlers, the analysis of each capture handed over by the worker, and shutdown. The
// handlers are spread over CMeterDlg.cpp (start-up and shutdown), CMeterDlgPanel.cpp (control
// panel) and CMeterDlgDisplay.cpp (captures and display); the redraw itself is DisplayUpdate's.
#pragma once

#include <QDialog>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/CalibrationUpdate.h"
#include "acquisition/CaptureSource.h"
#include "acquisition/TriggerConditions.h"
#include "analysis/HarmonicsCoupling.h"
#include "analysis/MeasurementSet.h"
#include "analysis/Statistics.h"
#include "device/MeterDetection.h"
#include "files/FolderChooser.h"
#include "files/SaveFileDialog.h"
#include "ui/MainControls.h"

class QCloseEvent;
class QKeyEvent;
class QMenuBar;

namespace voltaris {

class AcquisitionWorker;
class CaptureHandOver;
class DisplayUpdate;
class MessageService;
class StartupSplash;
class WindowObserver;
class WorkerEventQueue;

// What start-up needs from the command line and the environment.
struct StartupOptions {
    std::vector<std::string> portPaths;  // --port, probed first, whatever their description
    std::string portsEnvironment;        // value of VOLTARIS_PORTS (colon-separated paths)
    bool enumeratePorts = true;          // also probe the computer's Bluetooth ports
    std::string devRoot = "/dev";        // where the enumerated ports are looked for
    std::string sysRoot = "/sys";
    bool pauseAfterDetection = true;            // 1 s with the meter count in the start-up box
    bool mfg = false;                           // "/MFG": factory-calibration controls
    std::chrono::milliseconds stopBound{8000};  // wait for the worker at shutdown
    // Where the captures come from; empty: the detected meter, or the demonstration generator
    // when none answered. Tests give scripted sources here.
    std::function<std::unique_ptr<CaptureSource>()> captureSource;
    // How the report and the download ask for a folder; null: the folder chooser dialog.
    std::shared_ptr<FolderChooser> folderChooser;
    // How "Export CSV" asks for the file name; empty: the save-file dialog.
    SaveFileChooser saveFileChooser;
};

// One headline and detail pair shown in the start-up box.
struct StartupStatus {
    QString headline;
    QString detail;
};

class CMeterDlg final : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Voltaris V2.02";

    // Creates the controls; nothing else happens before OnInitDialog().
    CMeterDlg(MessageService& messages, StartupOptions options, QWidget* parent = nullptr);
    ~CMeterDlg() override;

    // Start-up, in order: log, controls and lists, trigger conditions zeroed, statistics and
    // energy reset, meter detection (demonstration mode when none answers), port selection and
    // clock of a second-generation meter, worker start, state meter at STOP. False when it
    // already ran or the worker could not be started.
    bool OnInitDialog();

    // Stops the worker (bounded wait) and leaves the meters' ports to it if it did not end in
    // time. True when the worker ended. Runs once; closing the window calls it.
    bool Shutdown();

    // --- Control panel ---
    void OnRun();
    void OnStop();
    void OnSingle();
    void OnPeriodsReleased();
    void OnPeriodsEditChange();
    void OnPreTriggerReleased();
    void OnPreTriggerEditChange();
    void OnTriggerOk();
    void OnTriggerZero();
    void OnSelChangeTabctrl();
    void OnScaleChange();
    void OnLimitClassChange();
    void OnDisplayModeChange();
    void OnResetStats();
    void OnEditChangePort();

    // --- Calibration page ---
    // Each handler first reads the fields it uses; an entry that is not a number is refused with
    // a message before any condition is checked. The new calibration goes to the worker, which
    // writes it to the meter and takes one capture with it.
    // The conditions in their order, then the question; true when the user confirmed.
    bool CheckCalibrationConditions();
    void OnStoreCalibration();
    void OnRestoreFactoryCalibration();
    // Only with "/MFG"; asks for no password.
    void OnStoreFactoryCalibration();

    // --- SD-card download (second-generation meter) ---
    // Borrows the port from the worker while the acquisition is Idle, checks the card and shows
    // the download dialog; the port goes back to the worker when the dialog closes.
    void OnDownloadFiles();

    // --- Display update ---
    // The worker reported a capture: every capture handed over since the last report is
    // analysed, once each and in order, then the visible page is redrawn once. `transferred`
    // false: the transfer failed and no capture came with the report.
    void OnDataChange(bool transferred = true);
    // The worker's phase: the state meter is redrawn when the value changed.
    void OnWorkerPhase(int phase);
    // The link to the meter dropped (the worker reconnects on its own) or is back: said in the
    // status line over the foot of the pages, not in a box, so that an unattended run goes on.
    void OnLinkChanged(bool lost);
    void UpdateDisplay();
    void DrawState(int state);
    void DrawChartWaveforms(const char* prefix);
    void OnAbout();

    // --- Files (CMeterDlgFiles.cpp) ---
    // The samples of the last analysed capture to a CSV file chosen in the save-file dialog.
    void OnExportCsv();
    // The report of the last capture into a folder chosen in the folder chooser.
    void OnReport();

    // --- For the screenshot mode and tests ---
    [[nodiscard]] MainControls& controls() { return m_controls; }
    [[nodiscard]] AcquisitionShared& shared() { return *m_shared; }
    [[nodiscard]] std::weak_ptr<const AcquisitionShared> sharedBlocks() const { return m_shared; }
    [[nodiscard]] const MeasurementSet& measurements() const { return *m_measurements; }
    [[nodiscard]] const StatisticsGrid& statistics() const { return m_stats; }
    [[nodiscard]] const std::vector<DetectedMeter>& meters() const { return m_meters; }
    [[nodiscard]] const std::vector<StartupStatus>& startupHistory() const {
        return m_startupHistory;
    }
    [[nodiscard]] DeviceGeneration deviceGeneration() const { return m_generation; }
    [[nodiscard]] bool demoMode() const { return m_demoMode; }
    [[nodiscard]] bool workerRunning() const;
    [[nodiscard]] int capturesDrawn() const { return m_capturesDrawn; }
    [[nodiscard]] int capturesAnalysed() const { return m_capturesAnalysed; }
    // Sequence number of the last capture analysed; 0 before the first.
    [[nodiscard]] std::uint64_t lastSequence() const { return m_lastSequence; }
    [[nodiscard]] const CaptureHandOver& handOver() const { return *m_handOver; }
    [[nodiscard]] const DisplayUpdate& display() const { return *m_display; }
    [[nodiscard]] int drawnPhase() const { return m_drawnPhase; }
    [[nodiscard]] const TriggerTexts& triggerTexts() const { return m_triggerTexts; }
    [[nodiscard]] const std::string& applicationFolder() const { return m_applicationFolder; }

signals:
    // After each capture was analysed and the visible page redrawn.
    void captureDrawn();
    // After the state meter was redrawn for a new phase.
    void phaseDrawn(int phase);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillLists();
    void showStartupStatus(const QString& headline, const QString& detail);
    void detectMeters();
    void selectInitialMeter();
    [[nodiscard]] bool startWorker();
    [[nodiscard]] std::unique_ptr<CaptureSource> makeCaptureSource();
    // Scales and analyses one handed-over capture into the measurement, statistics and energy.
    bool analyse(const struct HandedCapture& capture, int filter);
    void pushTriggerTexts();
    void periodsChanged();
    void setHarmonicsSelection(const HarmonicsSelection& selection);
    // Reads the true values (and, for a factory calibration, the serial number) from the
    // Calibration page's fields; shows the refusal and returns false for an entry that is not
    // a number or a serial number out of range.
    bool transferCalibrationEntries(bool serialNumber);
    void showCalibrationError(const QString& text);
    [[nodiscard]] CalibrationMeasurement calibrationMeasurement() const;
    // Hands `calibration` to the worker; refused when an acquisition started meanwhile.
    void requestCalibrationStore(const CalibrationParams& calibration, AcqStatus store);
    [[nodiscard]] QString string(int id);
    [[nodiscard]] FolderChooser& folderChooser() { return *m_folderChooser; }

    MessageService& m_messages;
    const StartupOptions m_options;
    std::shared_ptr<FolderChooser> m_folderChooser;
    QMenuBar* m_menuBar = nullptr;  // owned by the window
    MainControls m_controls;
    TriggerTexts m_triggerTexts;

    std::shared_ptr<AcquisitionShared> m_shared;
    std::unique_ptr<MeasurementSet> m_measurements;  // about 1 MB
    // The calibration the last analysed capture was scaled with: new gains start from it.
    CalibrationParams m_analysedCalibration;
    // The hardware version the meter reported with the last analysed capture.
    std::uint16_t m_analysedHardwareVersion = 0;
    // The Calibration page's entries as last read from its fields.
    CalibrationActuals m_actuals;
    std::uint16_t m_factorySerial = 0;
    StatisticsGrid m_stats;
    std::unique_ptr<DisplayUpdate> m_display;
    // Filled by the worker thread when it reports a capture, emptied here.
    std::unique_ptr<CaptureHandOver> m_handOver;

    // The ports of the detected meters belong to this list for the life of the program.
    std::vector<DetectedMeter> m_meters;
    bool m_demoMode = false;
    DeviceGeneration m_generation = kGenerationV1;

    std::unique_ptr<StartupSplash> m_splash;
    std::vector<StartupStatus> m_startupHistory;
    std::string m_applicationFolder;

    // Declared in the order they must be destroyed last to first: the worker before the
    // observer, the observer before the queue it posts to.
    std::unique_ptr<WorkerEventQueue> m_events;
    std::unique_ptr<WindowObserver> m_observer;
    std::unique_ptr<AcquisitionWorker> m_worker;

    int m_drawnPhase = -1;
    int m_capturesDrawn = 0;
    int m_capturesAnalysed = 0;
    std::uint64_t m_lastSequence = 0;
    bool m_initialised = false;
    bool m_shutDown = false;
    bool m_workerEnded = true;
    bool m_downloadOpen = false;  // OnDownloadFiles is checking the card or showing the dialog
};

}  // namespace voltaris
