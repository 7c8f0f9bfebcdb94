// Lines of the capture command: JSON, or a summary for a person.
#include "cli/CaptureOutput.h"

#include <QJsonDocument>
#include <cstdio>

#include "analysis/HarmonicLimits.h"
#include "analysis/HarmonicsCoupling.h"
#include "cli/MeasurementJson.h"
#include "cli/TextSummary.h"

namespace voltaris::cli {

QJsonObject CalibrationJson(const CalibrationParams& c) {
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

std::optional<LimitCheck> AnalyseCapture(const HandedCapture& capture, DeviceGeneration generation,
                                         CaptureFilter filter, MeasurementSet& m,
                                         StatisticsGrid& statistics) {
    AnalysisOptions options;
    options.filter = filter;
    options.status = static_cast<AcquisitionStatus>(capture.status);
    if (!DoCalculations(capture.raw(generation), options, m, statistics)) {
        return std::nullopt;
    }
    return checkHarmonicLimits(kNoLimits, kModeAbsolute, *harmonicDisplayValues(m, kModeAbsolute),
                               m.Prms, m.PF);
}

QJsonObject CaptureJson(const HandedCapture& capture, const MeasurementSet& m,
                        const LimitCheck& check) {
    const CaptureBuffer& b = capture.buffer;
    QJsonObject o = measurementJson(m);
    o.insert("limits", limitCheckJson(check, "none", kModeAbsolute));
    o.insert("blockCount", b.blockCount);
    o.insert("mainsPeriodTicks", b.mainsPeriodTicks);
    o.insert("hardwareVersion", b.hardwareVersion);
    o.insert("calibration", CalibrationJson(capture.calibration));
    return o;
}

void PrintCapture(OutputFormat format, std::int64_t number, const HandedCapture& capture,
                  const MeasurementSet& m, const LimitCheck& check) {
    if (format == OutputFormat::Text) {
        printText(QString("%1: %2").arg(static_cast<qint64>(number)).arg(captureSummary(m, check, kNoLimits)));
    } else {
        PrintJsonLine(CaptureJson(capture, m, check));
    }
}

void PrintJsonLine(const QJsonObject& object) {
    std::fputs(QJsonDocument(object).toJson(QJsonDocument::Compact).constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace voltaris::cli
