// Placeholder values and the line-by-line copy of the report template.
#include "files/ReportTemplate.h"

namespace voltaris {

namespace {

// A measured quantity: its base name, value of the last capture, statistics cell and format.
struct Quantity {
    const char* base;
    double MeasurementSet::*field;
    StatCell cell;
    const char* format;
};

constexpr Quantity kQuantities[] = {
    {"VRMS", &MeasurementSet::Vrms, kStatVrms, "%3.2f V"},
    {"VPEAK", &MeasurementSet::Vpeak, kStatVpeak, "%3.2f V"},
    {"VCREST", &MeasurementSet::Vcrest, kStatVcrest, "%1.3f"},
    {"VTHD", &MeasurementSet::THDV, kStatTHDV, "%1.3f %%"},
    {"IRMS", &MeasurementSet::Irms, kStatIrms, "%1.3f A"},
    {"IPEAK", &MeasurementSet::Ipeak, kStatIpeak, "%1.3f A"},
    {"ICREST", &MeasurementSet::Icrest, kStatIcrest, "%1.3f"},
    {"ITHD", &MeasurementSet::THDI, kStatTHDI, "%1.3f %%"},
    {"PRMS", &MeasurementSet::Prms, kStatPrms, "%3.3f W"},
    {"PPEAK", &MeasurementSet::Ppeak, kStatPpeak, "%3.3f W"},
    {"PCREST", &MeasurementSet::Pcrest, kStatPcrest, "%1.3f"},
    {"VA", &MeasurementSet::S, kStatS, "%3.3f VA"},
    {"PREACT", &MeasurementSet::Q, kStatQ, "%3.3f VAR"},
    {"PF", &MeasurementSet::PF, kStatPF, "%1.3f"},
    {"FREQ", &MeasurementSet::F, kStatF, "%2.3f Hz"},
};

// The format strings above are fixed and each takes one double.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string formatValue(const char* format, double value) {
    return FormatC(format, value);
}
#pragma GCC diagnostic pop

}  // namespace

std::string ReportDateText(const ClockReading& now) {
    return FormatC("Date %2.2d/%2.2d/%2.2d, curent time %2.2d:%2.2d:%2.2d and %3.3dms", now.day,
                   now.month, now.year % 100, now.hour, now.minute, now.second, now.millisecond);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

Placeholders ReportPlaceholders(const ReportFacts& facts, const MeasurementSet& m,
                                const StatisticsGrid& statistics) {
    Placeholders list = {
        {"%TITLE%", EscapeHtml(facts.title)},
        {"%DATETIME%", facts.dateText},
        {"%SWVERSION%", kReportSoftwareVersion},
        {"%HWVERSION%", FormatC("%d", facts.hardwareVersion)},
        {"%SERIALNUM%", FormatC("%d", facts.serialNumber)},
        {"%LASTCAL%", FormatC("%8.8ld", static_cast<long>(facts.lastCalibrationDate))},
    };
    for (const Quantity& q : kQuantities) {
        const StatAccumulator& s = statistics.record(q.cell);
        const std::string base = std::string("%") + q.base;
        list.push_back({base + "%", formatValue(q.format, m.*q.field)});
        list.push_back({base + "_MIN%", formatValue(q.format, s.min)});
        list.push_back({base + "_AVG%", formatValue(q.format, s.avg)});
        list.push_back({base + "_MAX%", formatValue(q.format, s.max)});
        list.push_back({base + "_SDEV%", formatValue(q.format, s.sdev)});
    }
    list.push_back({"%NPERIODS%", FormatC("%d", static_cast<int>(m.PeriodsAnalysed))});
    list.push_back({"%HARMLIMITS%", facts.harmonicLimits});
    list.push_back({"%HARMPASS%", facts.harmonicVerdict});
    return list;
}

void ExpandLine(std::string_view line, const Placeholders& placeholders, std::string& out) {
    std::size_t k = 0;
    while (k < line.size()) {
        const std::size_t percent = line.find('%', k);
        if (percent == std::string_view::npos) {
            out.append(line.substr(k));
            return;
        }
        out.append(line.substr(k, percent - k));
        const std::string_view rest = line.substr(percent);
        const Placeholder* match = nullptr;
        for (const Placeholder& p : placeholders) {
            if (rest.starts_with(p.name)) {
                match = &p;
                break;
            }
        }
        if (match != nullptr) {
            out += match->value;
            k = percent + match->name.size();
        } else {
            out += '%';
            k = percent + 1;
        }
    }
}

std::string ExpandTemplate(std::string_view bytes, const Placeholders& placeholders) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4 + 2);
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t feed = bytes.find('\n', start);
        const std::size_t end = feed == std::string_view::npos ? bytes.size() : feed;
        std::string_view line = bytes.substr(start, end - start);
        if (feed != std::string_view::npos && line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        ExpandLine(line, placeholders, out);
        out += kLineEnd;
        start = end + 1;
    }
    // The read that finds the end of the template gets its line end too.
    out += kLineEnd;
    return out;
}

}  // namespace voltaris
