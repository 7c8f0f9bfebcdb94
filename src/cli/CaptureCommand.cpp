// voltaris-cli capture: takes the named meter (or finds one, or falls back to demonstration
// mode), runs the acquisition worker for one single or K continuous captures, and prints each
// analysed capture as one line of JSON. Messages the window would show in a box go to standard
// error.
#include <QCommandLineParser>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/AcquisitionWorker.h"
#include "acquisition/WorkerMessages.h"
#include "analysis/HarmonicLimits.h"
#include "analysis/Measurements.h"
#include "cli/ArgumentValues.h"
#include "cli/Commands.h"
#include "cli/MeasurementJson.h"
#include "device/MeterCommands.h"
#include "device/MeterDetection.h"
#include "device/PortEnumerator.h"
#include "infra/Log.h"

namespace voltaris::cli {

namespace {

constexpr const char* kCommandName = "voltaris-cli capture";
constexpr double kMaxVoltsOrWatts = 999.9;  // limits of the trigger-condition boxes
constexpr double kMaxAmperes = 9.999;

struct CaptureSettings {
    QString port;
    bool demo = false;
    int periods = kDefaultPeriodCount;
    int preTrigger = 0;
    TriggerThresholds thresholds;
    int count = 0;  // 0: one single capture; K: K continuous captures
    CaptureFilter filter = CaptureFilter::LowPass2k;
    QString rawFile;
    QString devRoot;
    QString sysRoot;
};

int usageError(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", kCommandName, qPrintable(message));
    std::fprintf(stderr,
                 "usage: voltaris-cli capture [--port PATH | --demo] [--periods N] "
                 "[--pretrigger N] [--urms-low V] [--urms-high V] [--irms-low A] [--irms-high A] "
                 "[--prms-low W] [--prms-high W] [--upeak V] [--ipeak A] [--count K] "
                 "[--filter 0|1|2] [--raw FILE]\n");
    return 2;
}

// Fills `s` from the arguments; returns an error message, empty when all are valid.
QString parseArguments(const QStringList& args, CaptureSettings& s) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port("port", "serial device of the meter", "PATH");
    const QCommandLineOption demo("demo", "demonstration mode: synthetic signals, no meter");
    const QCommandLineOption periods("periods", "mains periods per capture, 1..85", "N");
    const QCommandLineOption preTrigger("pretrigger", "pre-trigger, 0..periods-1", "N");
    const QCommandLineOption count("count", "K continuous captures instead of one single", "K");
    const QCommandLineOption filter("filter", "0 none, 1 low pass 1 kHz, 2 low pass 2 kHz", "F");
    const QCommandLineOption raw("raw", "write the last capture's bytes to FILE", "FILE");
    QCommandLineOption devRoot("dev-root", "device folder to search for ports", "DIR", "/dev");
    QCommandLineOption sysRoot("sys-root", "sysfs folder describing the ports", "DIR", "/sys");
    devRoot.setFlags(QCommandLineOption::HiddenFromHelp);
    sysRoot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({port, demo, periods, preTrigger, count, filter, raw, devRoot, sysRoot});

    struct Threshold {
        QCommandLineOption option;
        float* target;
        double max;
    };
    TriggerThresholds& t = s.thresholds;
    Threshold thresholds[] = {
        {{"urms-low", "Urms low threshold (V)", "V"}, &t.urmsLow, kMaxVoltsOrWatts},
        {{"urms-high", "Urms high threshold (V)", "V"}, &t.urmsHigh, kMaxVoltsOrWatts},
        {{"irms-low", "Irms low threshold (A)", "A"}, &t.irmsLow, kMaxAmperes},
        {{"irms-high", "Irms high threshold (A)", "A"}, &t.irmsHigh, kMaxAmperes},
        {{"prms-low", "Prms low threshold (W)", "W"}, &t.prmsLow, kMaxVoltsOrWatts},
        {{"prms-high", "Prms high threshold (W)", "W"}, &t.prmsHigh, kMaxVoltsOrWatts},
        {{"upeak", "Upeak threshold (V)", "V"}, &t.upeakMax, kMaxVoltsOrWatts},
        {{"ipeak", "Ipeak threshold (A)", "A"}, &t.ipeakMax, kMaxAmperes},
    };
    for (const Threshold& threshold : thresholds) {
        parser.addOption(threshold.option);
    }
    if (!parser.parse(args)) {
        return parser.errorText();
    }
    if (!parser.positionalArguments().isEmpty()) {
        return QString("unexpected argument '%1'").arg(parser.positionalArguments().first());
    }

    s.demo = parser.isSet(demo);
    s.port = parser.value(port);
    if (s.demo && parser.isSet(port)) {
        return "--port and --demo exclude each other";
    }
    if (parser.isSet(port) && s.port.isEmpty()) {
        return "--port needs a device path";
    }
    if (parser.isSet(periods)) {
        const auto v = integerIn(parser.value(periods), kMinPeriodCount, kMaxPeriodCount);
        if (!v) {
            return QString("--periods needs an integer from 1 to %1").arg(kMaxPeriodCount);
        }
        s.periods = static_cast<int>(*v);
    }
    if (parser.isSet(preTrigger)) {
        const auto v = integerIn(parser.value(preTrigger), 0, s.periods - 1);
        if (!v) {
            return QString("--pretrigger needs an integer from 0 to %1").arg(s.periods - 1);
        }
        s.preTrigger = static_cast<int>(*v);
    }
    for (const Threshold& threshold : thresholds) {
        if (!parser.isSet(threshold.option)) {
            continue;
        }
        bool ok = false;
        const double value = parser.value(threshold.option).toDouble(&ok);
        if (!ok || !std::isfinite(value)) {
            return QString("--%1 needs a number, not '%2'")
                .arg(threshold.option.names().first(), parser.value(threshold.option));
        }
        // Clamped as the trigger-condition boxes of the window clamp them.
        *threshold.target = static_cast<float>(std::clamp(value, 0.0, threshold.max));
    }
    if (parser.isSet(count)) {
        const auto v = integerIn(parser.value(count), 1, 1000000);
        if (!v) {
            return "--count needs a positive integer";
        }
        s.count = static_cast<int>(*v);
    }
    if (parser.isSet(filter)) {
        const auto v = integerIn(parser.value(filter), 0, 2);
        if (!v) {
            return "--filter needs 0, 1 or 2";
        }
        s.filter = *captureFilterFromIndex(static_cast<int>(*v));
    }
    s.rawFile = parser.value(raw);
    if (parser.isSet(raw) && s.rawFile.isEmpty()) {
        return "--raw needs a file name";
    }
    s.devRoot = parser.value(devRoot);
    s.sysRoot = parser.value(sysRoot);
    return {};
}

// One capture as read, with the calibration in force when it was read.
struct ReadCapture {
    CaptureBuffer buffer;
    CalibrationParams calibration;
};

// Collects what the worker reports; the main thread waits on it.
class CliObserver final : public WorkerObserver {
public:
    explicit CliObserver(const AcquisitionShared& shared) : m_shared(shared) {}

    void phaseChanged(int phase) override {
        if (phase == WorkerPhaseStopped) {
            {
                std::lock_guard lock(m_mutex);
                m_idleSeen = true;
            }
            m_changed.notify_all();
        }
    }

    void captureRead(bool transferred) override {
        if (!transferred) {
            return;  // the buffer holds older data; the communication error follows
        }
        // Copied here, before the worker can arm the next capture, so that none is lost.
        auto capture = std::make_unique<ReadCapture>();
        m_shared.copyCapture(capture->buffer);
        capture->calibration = m_shared.calibration();
        {
            std::lock_guard lock(m_mutex);
            m_captures.push_back(std::move(capture));
        }
        m_changed.notify_all();
    }

    void showMessage(const std::string& text, const std::string& caption) override {
        if (caption.empty()) {
            std::fprintf(stderr, "%s\n", text.c_str());
        } else {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        }
        if (text == kCommunicationErrorText) {
            {
                std::lock_guard lock(m_mutex);
                m_communicationError = true;
            }
            m_changed.notify_all();
        }
    }

    // Messages are printed, never waited for: nothing to release.
    void stopping() override {}

    // Waits until the worker has been idle once (port adopted, calibration loaded).
    void waitForIdle() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_idleSeen || m_communicationError; });
    }

    // Waits for the next capture; null once a communication error was reported.
    std::unique_ptr<ReadCapture> nextCapture() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_captures.empty() || m_communicationError; });
        if (m_captures.empty()) {
            return nullptr;
        }
        std::unique_ptr<ReadCapture> capture = std::move(m_captures.front());
        m_captures.pop_front();
        return capture;
    }

private:
    const AcquisitionShared& m_shared;
    std::mutex m_mutex;  // protects the members below
    std::condition_variable m_changed;
    bool m_idleSeen = false;
    bool m_communicationError = false;
    std::deque<std::unique_ptr<ReadCapture>> m_captures;
};

QJsonObject calibrationJson(const CalibrationParams& c) {
    return QJsonObject{
        {"gainV", static_cast<double>(c.gainV)},
        {"gainI", static_cast<double>(c.gainI)},
        {"factoryGainV", static_cast<double>(c.factoryGainV)},
        {"factoryGainI", static_cast<double>(c.factoryGainI)},
        {"logPeriod", static_cast<int>(c.logPeriod)},
        {"serialNumber", static_cast<int>(c.serialNumber)},
        {"lastCalibrationDate", static_cast<qint64>(c.lastCalibrationDate)},
        {"factoryCalibrationDate", static_cast<qint64>(c.factoryCalibrationDate)},
    };
}

// The analyze command's object for this capture plus what came with it; empty on failure.
std::optional<QJsonObject> analyse(const ReadCapture& capture, DeviceGeneration generation,
                                   CaptureFilter filter) {
    const CaptureBuffer& b = capture.buffer;
    const RawCapture raw{b.voltage,
                         b.current,
                         static_cast<std::uint32_t>(std::max(b.blockCount, 0)),
                         capture.calibration.gainV,
                         capture.calibration.gainI,
                         b.mainsPeriodTicks,
                         generation};
    AnalysisOptions options;
    options.filter = filter;
    options.status = AcquisitionStatus::SingleRunning;  // each line stands alone: no energy
    auto m = std::make_unique<MeasurementSet>();
    StatisticsGrid stats;
    if (!DoCalculations(raw, options, *m, stats)) {
        return std::nullopt;
    }
    constexpr int kNoLimits = 0;
    constexpr int kAbsoluteMode = 0;
    const LimitCheck check = checkHarmonicLimits(
        kNoLimits, kAbsoluteMode, *harmonicDisplayValues(*m, kAbsoluteMode), m->Prms, m->PF);
    QJsonObject o = measurementJson(*m);
    o.insert("limits", limitCheckJson(check, "none", kAbsoluteMode));
    o.insert("blockCount", b.blockCount);
    o.insert("mainsPeriodTicks", b.mainsPeriodTicks);
    o.insert("hardwareVersion", b.hardwareVersion);
    o.insert("calibration", calibrationJson(capture.calibration));
    return o;
}

// The capture in the layout of the meter's B reply: big-endian voltage then current per pair.
bool writeRaw(const QString& path, const CaptureBuffer& b) {
    const std::size_t pairs = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(b.blockCount, 0)) * 256, kCaptureSampleCapacity);
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(pairs * 4));
    for (std::size_t k = 0; k < pairs; ++k) {
        const auto v = static_cast<std::uint16_t>(b.voltage[k]);
        const auto i = static_cast<std::uint16_t>(b.current[k]);
        bytes.append(static_cast<char>(v >> 8)).append(static_cast<char>(v & 0xFF));
        bytes.append(static_cast<char>(i >> 8)).append(static_cast<char>(i & 0xFF));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", kCommandName, qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

// The meter to capture from: the named port, else the first meter detected. Null with demo
// set when there is none; null without demo on a device error (already reported).
struct MeterChoice {
    std::unique_ptr<SerialPort> port;
    DeviceGeneration generation = kGenerationV1;
    bool demo = false;
};

MeterChoice chooseMeter(const CaptureSettings& s) {
    MeterChoice choice;
    if (s.demo) {
        choice.demo = true;
        return choice;
    }
    if (!s.port.isEmpty()) {
        const std::string path = s.port.toStdString();
        choice.port = OpenPort(path);
        if (!choice.port) {
            std::fprintf(stderr, "%s: cannot open port %s\n", kCommandName, path.c_str());
            return choice;
        }
        const StatusQuery query = QueryStatus(*choice.port);
        if (!query.status || query.status->generation == 0) {
            std::fprintf(stderr, "%s: no meter answers on %s\n", kCommandName, path.c_str());
            choice.port.reset();
            return choice;
        }
        choice.generation = static_cast<DeviceGeneration>(query.status->generation);
        return choice;
    }
    const char* environmentList = std::getenv(kPortsEnvironmentVariable);
    const PortEnumerator enumerator(s.devRoot.toStdString(), s.sysRoot.toStdString());
    DetectionObserver observer;
    observer.status = [](const std::string& headline, const std::string& detail) {
        std::fprintf(stderr, "%s %s\n", headline.c_str(), detail.c_str());
    };
    observer.message = [](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); };
    DetectionResult result = DetectMeters(
        MergePorts(NamedPorts({}, environmentList ? environmentList : ""), enumerator.enumerate()),
        observer);
    if (result.meters.empty()) {
        choice.demo = true;
        return choice;
    }
    // The other meters' ports close here; the first one is the default selection.
    choice.port = std::move(result.meters.front().port);
    choice.generation = result.meters.front().generation;
    return choice;
}

}  // namespace

int runCapture(const QStringList& args) {
    CaptureSettings s;
    if (const QString error = parseArguments(args, s); !error.isEmpty()) {
        return usageError(error);
    }
    LogInit("VoltarisRT");
    MeterChoice meter = chooseMeter(s);
    if (!meter.demo && !meter.port) {
        return 2;
    }

    auto shared = std::make_shared<AcquisitionShared>();
    shared->setDemoMode(meter.demo);
    shared->setPort(meter.port.get());
    (void)shared->setPeriodCount(s.periods);  // validated above
    (void)shared->setTrigger(s.preTrigger, s.thresholds);
    shared->setState(AcqStatus::Idle);
    CliObserver observer(*shared);
    AcquisitionWorker worker(shared, observer);
    if (!worker.start()) {
        return 2;
    }
    // Arm only once the worker has adopted the port and loaded its calibration, so that the
    // trigger thresholds are sent with the meter's own gains.
    observer.waitForIdle();
    shared->setState(s.count > 0 ? AcqStatus::RunRequested : AcqStatus::SingleRequested);

    const int wanted = std::max(s.count, 1);
    int printed = 0;
    std::unique_ptr<ReadCapture> last;
    bool failed = false;
    while (printed < wanted) {
        std::unique_ptr<ReadCapture> capture = observer.nextCapture();
        if (!capture) {
            failed = true;  // communication error, message already printed
            break;
        }
        const std::optional<QJsonObject> json = analyse(*capture, meter.generation, s.filter);
        if (!json) {
            std::fprintf(stderr, "%s: a capture of %d blocks could not be analysed\n", kCommandName,
                         capture->buffer.blockCount);
            failed = true;
            break;
        }
        std::fputs(QJsonDocument(*json).toJson(QJsonDocument::Compact).constData(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        last = std::move(capture);
        ++printed;
    }
    shared->setState(AcqStatus::Idle);
    if (!worker.stop()) {
        // The worker still uses the port: keep it open until the process ends.
        (void)meter.port.release();
    }
    if (last && !s.rawFile.isEmpty() && !writeRaw(s.rawFile, last->buffer)) {
        return 2;
    }
    return failed ? 2 : 0;
}

}  // namespace voltaris::cli
