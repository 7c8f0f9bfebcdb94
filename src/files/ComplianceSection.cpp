// Placeholders and placement of the report's pre-compliance section.
#include "files/ComplianceSection.h"

#include "files/TextFormat.h"

namespace voltaris {

namespace {

std::string failingOrders(const ComplianceResult& result) {
    std::string text;
    for (const int order : result.failingOrders) {
        text += (text.empty() ? "" : ", ") + std::to_string(order);
    }
    return text.empty() ? "none" : text;
}

std::string rows(const ComplianceResult& result) {
    const std::string unit = ComplianceLimitUnit(result);
    std::string html;
    for (std::size_t order = 2; order < result.orders.size(); ++order) {
        const OrderCompliance& o = result.orders[order];
        if (o.verdict == OrderVerdict::NoLimit) {
            continue;
        }
        const char* cell = o.verdict == OrderVerdict::Fail          ? " class=\"fail\""
                           : o.verdict == OrderVerdict::Disregarded ? " class=\"quiet\""
                                                                    : "";
        html += "      <tr><td>" + std::to_string(order) + "</td><td>" +
                FormatC("%.4g", o.limit) + " " + unit + "</td><td>" +
                FormatC("%.1f", o.maxPctOfLimit) + "</td><td>" +
                FormatC("%.1f", o.averagePctOfLimit) + "</td><td" + cell + ">" +
                OrderVerdictText(o.verdict) + "</td></tr>\n";
    }
    if (!html.empty()) {
        html.pop_back();  // the template's line end follows
    }
    return html;
}

}  // namespace

const char* ComplianceClassName(LimitClass limitClass) {
    switch (limitClass) {
        case LimitClass::A:
            return "A";
        case LimitClass::B:
            return "B";
        case LimitClass::C:
            return "C";
        case LimitClass::D:
            return "D";
        case LimitClass::None:
            break;
    }
    return "none";
}

const char* ComplianceVerdictText(ComplianceVerdict verdict) {
    switch (verdict) {
        case ComplianceVerdict::Pass:
            return "PASS";
        case ComplianceVerdict::Fail:
            return "FAIL";
        case ComplianceVerdict::NotEvaluated:
            break;
    }
    return "NOT EVALUATED";
}

const char* OrderVerdictText(OrderVerdict verdict) {
    switch (verdict) {
        case OrderVerdict::Pass:
            return "pass";
        case OrderVerdict::Fail:
            return "fail";
        case OrderVerdict::Disregarded:
            return "disregarded";
        case OrderVerdict::NoLimit:
            break;
    }
    return "no limit";
}

const char* ComplianceLimitUnit(const ComplianceResult& result) {
    return result.limitsInPercent ? "% of H1" : "A";
}

Placeholders CompliancePlaceholders(const ComplianceResult& result, std::size_t captures) {
    return {
        {"%PC_CLASS%", ComplianceClassName(result.limitClass)},
        {"%PC_VERDICT%", ComplianceVerdictText(result.verdict)},
        {"%PC_TIME%", FormatC("%.1f", result.observationTime)},
        {"%PC_WINDOWS%", std::to_string(result.windows)},
        {"%PC_CAPTURES%", std::to_string(captures)},
        {"%PC_POWER%", FormatC("%.1f", result.averagePower)},
        {"%PC_PF%", FormatC("%.3f", result.averagePowerFactor)},
        {"%PC_POHC%", FormatC("%.4g", result.pohc) + " / " + FormatC("%.4g", result.pohcLimit)},
        {"%PC_FAILING%", failingOrders(result)},
        {"%PC_ROWS%", rows(result)},
    };
}

std::string InsertReportSection(std::string_view report, std::string_view section) {
    std::size_t at = report.find("<section class=\"pictures\"");
    if (at == std::string_view::npos) {
        at = report.find("</body>");
    }
    if (at == std::string_view::npos) {
        at = report.size();
    }
    std::string out(report.substr(0, at));
    out += section;
    out += report.substr(at);
    return out;
}

}  // namespace voltaris
