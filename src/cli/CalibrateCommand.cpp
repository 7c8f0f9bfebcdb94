// voltaris-cli calibrate: recalibrates a meter against a reference instrument from a production
// bench, through the same checks and the same worker store as the window's Calibration page.
//   calibrate --port PATH --vrms-actual V --irms-actual MA --password PW [--periods N] [--filter F]
//   calibrate --port PATH --restore-factory --password PW
//   calibrate --port PATH --mfg --serial N --vrms-actual V --irms-actual MA [--periods N] [--filter F]
// A calibration takes one Single capture with the meter's present gains, checks it, stores the new
// gains and prints the capture the worker takes with them. The command line is the confirmation:
// nothing is asked. Exit 1 for a refused check (nothing written to the meter), 2 for a usage or
// device error.
#include <QCommandLineParser>
#include <QJsonObject>
#include <cstdio>
#include <memory>
#include <optional>

#include "StringTable.h"
#include "acquisition/AcquisitionWorker.h"
#include "acquisition/CalibrationUpdate.h"
#include "acquisition/MeterCaptureSource.h"
#include "cli/ArgumentValues.h"
#include "cli/CaptureObserver.h"
#include "cli/CaptureOutput.h"
#include "cli/CommandHelp.h"
#include "cli/Commands.h"
#include "cli/MeterLookup.h"
#include "infra/Log.h"

namespace voltaris::cli {

namespace {

constexpr const char* kCommandName = "voltaris-cli calibrate";
constexpr int kDefaultCalibrationPeriods = kMaxPeriodCount;

enum class CalibrateMode { User, RestoreFactory, Factory };

struct CalibrateSettings {
    bool help = false;  // --help was asked and printed
    QString port;
    CalibrateMode mode = CalibrateMode::User;
    CalibrationActuals actuals;
    std::string password;
    QString serialText;
    int periods = kDefaultCalibrationPeriods;
    CaptureFilter filter = CaptureFilter::LowPass2k;
};

constexpr const char* kUsage =
    "voltaris-cli calibrate --port PATH --vrms-actual V --irms-actual MA "
    "--password PW [--periods N] [--filter 0|1|2]\n"
    "       voltaris-cli calibrate --port PATH --restore-factory --password PW\n"
    "       voltaris-cli calibrate --port PATH --mfg --serial N --vrms-actual V "
    "--irms-actual MA [--periods N] [--filter 0|1|2]";

int usageError(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", kCommandName, qPrintable(message));
    std::fprintf(stderr, "usage: %s\n", kUsage);
    return 2;
}

// Prints the refusal of a check; nothing was written to the meter.
int refused(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return 1;
}

std::string tableText(int id) {
    return std::string(FindStringEntry(id).value_or(""));
}

QString parseArguments(const QStringList& args, CalibrateSettings& s) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port("port", "serial device of the meter", "PATH");
    const QCommandLineOption vrms("vrms-actual", "true RMS voltage on the reference (V)", "V");
    const QCommandLineOption irms("irms-actual", "true RMS current on the reference (mA)", "MA");
    const QCommandLineOption password("password", "administrator password", "PW");
    const QCommandLineOption periods("periods", "mains periods of the capture, 1..85", "N");
    const QCommandLineOption filter("filter", "0 none, 1 low pass 1 kHz, 2 low pass 2 kHz", "F");
    const QCommandLineOption restore("restore-factory", "put the factory calibration back");
    const QCommandLineOption mfg("mfg", "store a factory calibration and the serial number");
    const QCommandLineOption serial("serial", "serial number of a factory calibration", "N");
    parser.addOptions({port, vrms, irms, password, periods, filter, restore, mfg, serial});
    const QCommandLineOption help = parser.addHelpOption();
    if (!parser.parse(args)) {
        return parser.errorText();
    }
    if (parser.isSet(help)) {
        PrintCommandHelp(parser, kUsage);
        s.help = true;
        return {};
    }
    if (!parser.positionalArguments().isEmpty()) {
        return QString("unexpected argument '%1'").arg(parser.positionalArguments().first());
    }
    s.port = parser.value(port);
    if (s.port.isEmpty()) {
        return "--port PATH is required";
    }
    if (parser.isSet(restore) && parser.isSet(mfg)) {
        return "--restore-factory and --mfg exclude each other";
    }
    s.mode = parser.isSet(restore) ? CalibrateMode::RestoreFactory
             : parser.isSet(mfg)   ? CalibrateMode::Factory
                                   : CalibrateMode::User;
    s.password = parser.value(password).toStdString();
    if (s.mode != CalibrateMode::Factory && !parser.isSet(password)) {
        return "--password PW is required";
    }
    if (s.mode == CalibrateMode::Factory) {
        if (!parser.isSet(serial)) {
            return "--mfg needs --serial N";
        }
        s.serialText = parser.value(serial);
    }
    if (s.mode == CalibrateMode::RestoreFactory) {
        return {};
    }
    const std::optional<double> v = finiteNumber(parser.value(vrms));
    const std::optional<double> i = finiteNumber(parser.value(irms));
    if (!v || !i) {
        return !parser.isSet(vrms) || !parser.isSet(irms)
                   ? QString("--vrms-actual V and --irms-actual MA are required")
                   : QString("--vrms-actual and --irms-actual take numbers");
    }
    s.actuals = {*v, *i};
    if (parser.isSet(periods)) {
        const std::optional<long> n = integerIn(parser.value(periods), kMinPeriodCount,
                                                kMaxPeriodCount);
        if (!n) {
            return QString("--periods takes 1 to 85, not '%1'").arg(parser.value(periods));
        }
        s.periods = static_cast<int>(*n);
    }
    if (parser.isSet(filter)) {
        const std::optional<long> f = integerIn(parser.value(filter), 0, 2);
        if (!f) {
            return QString("--filter takes 0, 1 or 2, not '%1'").arg(parser.value(filter));
        }
        s.filter = static_cast<CaptureFilter>(*f);
    }
    return {};
}


QJsonObject measuredJson(const CalibrationMeasurement& m) {
    return QJsonObject{{"Vrms", m.vrms},
                       {"Irms", m.irms},
                       {"gainV", static_cast<double>(m.gainV)},
                       {"gainI", static_cast<double>(m.gainI)}};
}

// The worker on the meter's port, for the length of the command.
class CalibrationSession {
public:
    CalibrationSession(DetectedMeter& meter, int periods, CaptureFilter filter)
        : m_meter(meter), m_filter(filter) {
        m_generation = SelectMeter(&m_meter);
        m_shared->setPort(m_meter.port.get());
        (void)m_shared->setPeriodCount(periods);  // validated with the options
        m_shared->setState(AcqStatus::Idle);
    }
    ~CalibrationSession() {
        m_shared->setState(AcqStatus::Idle);
        if (m_started && !m_worker.stop()) {
            // The worker still uses the port: keep it open until the process ends.
            (void)m_meter.port.release();
        }
    }
    CalibrationSession(const CalibrationSession&) = delete;
    CalibrationSession& operator=(const CalibrationSession&) = delete;

    // Starts the worker and waits until it has loaded the meter's calibration.
    bool start() {
        m_started = m_worker.start();
        if (!m_started) {
            std::fprintf(stderr, "%s: the acquisition worker could not be started\n", kCommandName);
            return false;
        }
        m_observer.waitForIdle();
        return !m_observer.communicationError();
    }

    // Asks for one Single capture and analyses it.
    std::optional<CalibrationMeasurement> singleCapture() {
        m_shared->setState(AcqStatus::SingleRequested);
        return nextCapture();
    }

    // The capture the worker takes by itself after a store.
    std::optional<CalibrationMeasurement> nextCapture() {
        std::unique_ptr<HandedCapture> capture = m_observer.nextCapture();
        if (!capture) {
            return std::nullopt;  // the communication error was reported
        }
        if (!AnalyseCapture(*capture, m_generation, m_filter, *m_measurements, m_statistics)) {
            std::fprintf(stderr, "%s: a capture of %d blocks could not be analysed\n",
                         kCommandName, capture->buffer.blockCount);
            return std::nullopt;
        }
        const MeasurementSet& m = *m_measurements;
        CalibrationMeasurement measured{m.Vrms, m.Irms, static_cast<int>(m.PeriodsAnalysed),
                                        capture->calibration.gainV, capture->calibration.gainI};
        m_observer.recycle(std::move(capture));
        return measured;
    }

    [[nodiscard]] AcquisitionShared& shared() { return *m_shared; }
    [[nodiscard]] bool storeFailed() const { return m_observer.storeFailed(); }

private:
    DetectedMeter& m_meter;
    CaptureFilter m_filter;
    DeviceGeneration m_generation = kGenerationV1;
    std::shared_ptr<AcquisitionShared> m_shared = std::make_shared<AcquisitionShared>();
    CaptureObserver m_observer{*m_shared};
    AcquisitionWorker m_worker{m_shared, m_observer, std::make_unique<MeterCaptureSource>()};
    std::unique_ptr<MeasurementSet> m_measurements = std::make_unique<MeasurementSet>();
    StatisticsGrid m_statistics;  // the statistics the analysis keeps; calibrate prints none
    bool m_started = false;
};

// Hands the calibration to the worker and reads the capture it takes with it.
int storeAndPrint(CalibrationSession& session, const CalibrationParams& calibration,
                  AcqStatus store, const std::optional<CalibrationMeasurement>& before) {
    if (!session.shared().requestCalibrationStore(calibration, store)) {
        std::fprintf(stderr, "%s\n", tableText(kCalAcquisitionOnGoing).c_str());
        return 2;
    }
    const std::optional<CalibrationMeasurement> after = session.nextCapture();
    if (session.storeFailed() || !after) {
        return 2;  // the worker's message is on standard error
    }
    QJsonObject result;
    if (before) {
        result.insert("before", measuredJson(*before));
    }
    result.insert("after", measuredJson(*after));
    result.insert("calibration", CalibrationJson(session.shared().calibration()));
    PrintJsonLine(result);
    return 0;
}

}  // namespace

int runCalibrate(const QStringList& args) {
    CalibrateSettings s;
    if (const QString error = parseArguments(args, s); !error.isEmpty()) {
        return usageError(error);
    }
    if (s.help) {
        return 0;
    }
    // Checks that need no capture come first, so that a refusal touches nothing on the meter.
    std::uint16_t serialNumber = 0;
    if (s.mode == CalibrateMode::Factory) {
        const std::optional<std::uint64_t> value = ParseDigits(s.serialText.toStdString());
        if (!value) {
            return usageError(QString("--serial: ") + kNotAPositiveIntegerText);
        }
        const std::optional<std::uint16_t> serial = SerialNumberFromValue(*value);
        if (!serial) {
            return refused(kSerialNumberRangeText);
        }
        serialNumber = *serial;
    }
    LogInit("VoltarisRT");
    const std::string path = s.port.toStdString();
    DetectionResult found = lookUpMeterOn(path);
    if (found.meters.empty()) {
        std::fprintf(stderr, "%s: %s\n", kCommandName, lookUpFailureText(found, path).c_str());
        return 2;
    }
    CalibrationSession session(found.meters.front(), s.periods, s.filter);
    if (!session.start()) {
        return 2;
    }
    AcquisitionShared& shared = session.shared();

    if (s.mode == CalibrateMode::RestoreFactory) {
        if (!CalibrationPasswordAccepted(s.password)) {
            return refused(tableText(kCalWrongPassword));
        }
        return storeAndPrint(session, RestoredFactoryCalibration(shared.calibration()),
                             AcqStatus::StoreCalibration, std::nullopt);
    }

    const std::optional<CalibrationMeasurement> before = session.singleCapture();
    if (!before) {
        return 2;
    }
    if (const std::optional<int> refusal = CalibrationRefusal(shared.state(), *before, s.actuals)) {
        return refused(tableText(*refusal));
    }
    const CalibrationGains gains = NewCalibrationGains(*before, s.actuals);
    const std::uint32_t today = TodaysCalibrationDate();
    if (s.mode == CalibrateMode::Factory) {
        return storeAndPrint(session,
                             FactoryCalibration(shared.calibration(), gains, serialNumber, today),
                             AcqStatus::StoreFactoryCalibration, before);
    }
    if (!CalibrationPasswordAccepted(s.password)) {
        return refused(tableText(kCalWrongPassword));
    }
    return storeAndPrint(session, UserCalibration(shared.calibration(), gains, today),
                         AcqStatus::StoreCalibration, before);
}

}  // namespace voltaris::cli
