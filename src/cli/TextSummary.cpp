// Readable summaries of the headless commands' results. Numbers are written with a point
// whatever the locale, as in the JSON.
#include "cli/TextSummary.h"

#include <QStringList>
#include <algorithm>
#include <array>

#include "analysis/HarmonicsCoupling.h"

namespace voltaris::cli {

namespace {

QString quantity(const char* name, double value, int decimals, const char* unit) {
    QString text = QString("%1 %2").arg(QLatin1String(name)).arg(value, 0, 'f', decimals);
    if (*unit != '\0') {
        text += ' ' + QLatin1String(unit);
    }
    return text;
}

QString hardwareVersion(int version) {
    return QString("%1").arg(version, 2, 16, QLatin1Char('0')).toUpper();
}

QString stateText(char state) {
    switch (state) {
        case kStateArmed:
            return "armed, waiting for the trigger";
        case kStateComplete:
            return "capture complete";
        default:
            return "no capture ready";
    }
}

}  // namespace

QString captureSummary(const MeasurementSet& m, const LimitCheck& check, int limitClass) {
    // The names of the window's limits list.
    const QString limits = limitClass == kNoLimits
                               ? QString("no limits")
                               : QString("class %1").arg(QLatin1String(LimitClassName(limitClass)));
    const QStringList parts = {
        quantity("Vrms", m.Vrms, 2, "V"),
        quantity("Irms", m.Irms, 3, "A"),
        quantity("P", m.Prms, 2, "W"),
        quantity("S", m.S, 2, "VA"),
        quantity("PF", m.PF, 3, ""),
        quantity("F", m.F, 2, "Hz"),
        quantity("THD V", m.THDV, 2, "%"),
        quantity("THD I", m.THDI, 2, "%"),
        QString("%1: %2").arg(limits, QString::fromStdString(check.text)),
    };
    return parts.join("  ");
}

QString meterTable(const std::vector<DetectedMeter>& meters) {
    if (meters.empty()) {
        return "No meter found";
    }
    using Row = std::array<QString, 4>;
    std::vector<Row> rows = {{"Entry", "Port", "Generation", "Hardware"}};
    for (const DetectedMeter& meter : meters) {
        rows.push_back({QString::fromStdString(meter.entry), QString::fromStdString(meter.portPath),
                        QString::number(meter.generation), hardwareVersion(meter.hardwareVersion)});
    }
    const Row::size_type columns = rows.front().size();
    std::array<qsizetype, 4> widths{};
    for (const Row& row : rows) {
        for (Row::size_type c = 0; c < columns; ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    QString table =
        meters.size() == 1 ? "1 meter found\n" : QString("%1 meters found\n").arg(meters.size());
    for (const Row& row : rows) {
        QString line;
        for (Row::size_type c = 0; c < columns; ++c) {
            line += c + 1 < columns ? row[c].leftJustified(widths[c] + 2) : row[c];
        }
        table += line + '\n';
    }
    return table;
}

QString statusSummary(const QString& port, const MeterStatus& status, const QString& reply) {
    const QString meter = status.generation == 0 ? QString("A meter of unknown generation")
                                                 : QString("Voltaris V%1").arg(status.generation);
    return QString("%1 on %2: state %3 (%4), hardware version %5, status %6")
        .arg(meter, port, QString(QLatin1Char(status.state)), stateText(status.state),
             hardwareVersion(status.hardwareVersion), reply);
}

}  // namespace voltaris::cli
