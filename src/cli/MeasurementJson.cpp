// Builds the JSON objects printed by the analysis commands. QJsonDocument writes doubles with
// the shortest text that reads back to the same value.
#include "cli/MeasurementJson.h"

#include <QJsonArray>

#include <algorithm>
#include <span>

namespace voltaris::cli {

namespace {

QJsonArray toArray(std::span<const double> values) {
    QJsonArray a;
    for (double v : values) {
        a.append(v);
    }
    return a;
}

}  // namespace

QJsonObject measurementJson(const MeasurementSet& m) {
    QJsonObject o;
    const std::pair<const char*, double> scalars[] = {
        {"Vrms", m.Vrms},   {"Irms", m.Irms},     {"Prms", m.Prms},     {"S", m.S},
        {"Q", m.Q},         {"PF", m.PF},         {"Vpeak", m.Vpeak},   {"Ipeak", m.Ipeak},
        {"Ppeak", m.Ppeak}, {"Vcrest", m.Vcrest}, {"Icrest", m.Icrest}, {"Pcrest", m.Pcrest},
        {"THDV", m.THDV},   {"THDI", m.THDI},     {"F", m.F},
    };
    for (const auto& [name, value] : scalars) {
        o.insert(QLatin1String(name), value);
    }
    o.insert(QLatin1String("PeriodsAnalysed"), static_cast<qint64>(m.PeriodsAnalysed));

    const std::pair<const char*, const HarmonicArray*> harmonics[] = {
        {"HarmV", &m.HarmV},
        {"HarmI", &m.HarmI},
        {"PhaseV", &m.PhaseV},
        {"PhaseI", &m.PhaseI},
        {"HarmVPctRms", &m.HarmVPctRms},
        {"HarmIPctRms", &m.HarmIPctRms},
        {"HarmVPctH1", &m.HarmVPctH1},
        {"HarmIPctH1", &m.HarmIPctH1},
    };
    for (const auto& [name, values] : harmonics) {
        o.insert(QLatin1String(name), toArray(*values));
    }

    const std::size_t periods = std::min<std::size_t>(m.PeriodsAnalysed, kPeriodCapacity);
    const std::pair<const char*, const PeriodArray*> series[] = {
        {"PeriodVrms", &m.PeriodVrms},   {"PeriodIrms", &m.PeriodIrms},
        {"PeriodP", &m.PeriodP},         {"PeriodPF", &m.PeriodPF},
        {"PeriodVpeak", &m.PeriodVpeak}, {"PeriodIpeak", &m.PeriodIpeak},
        {"PeriodPpeak", &m.PeriodPpeak},
    };
    for (const auto& [name, values] : series) {
        o.insert(QLatin1String(name), toArray(std::span(values->data(), periods)));
    }
    return o;
}

QJsonObject limitCheckJson(const LimitCheck& check, const QString& className, int displayMode) {
    QJsonArray failing;
    for (std::size_t i = 0; i < kHarmonicCount; ++i) {
        if (check.failing[i]) {
            failing.append(static_cast<int>(i));
        }
    }
    QJsonObject o;
    o.insert(QLatin1String("class"), className);
    o.insert(QLatin1String("mode"), displayMode);
    o.insert(QLatin1String("applies"), check.applies);
    o.insert(QLatin1String("table"), toArray(check.limits));
    o.insert(QLatin1String("failing"), failing);
    o.insert(QLatin1String("verdict"), QString::fromStdString(check.text));
    return o;
}

}  // namespace voltaris::cli
