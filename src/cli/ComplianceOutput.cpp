// Progress, JSON, CSV and report section of the pre-compliance run.
#include "cli/ComplianceOutput.h"

#include <QJsonArray>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "files/ComplianceSection.h"
#include "files/HtmlReport.h"
#include "files/TextFormat.h"

namespace voltaris::cli {

namespace {

void printFailure(const char* command, const std::string& path, const std::string& error) {
    std::fprintf(stderr, "%s: %s: %s\n", command, path.c_str(), error.c_str());
}

std::string readFile(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    ok = static_cast<bool>(in) || in.eof();
    return bytes.str();
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

std::string ComplianceProgressLine(std::size_t windows, double observed, double duration,
                                   double secondsLeft, const WorstHarmonic& worst) {
    std::string line = FormatC("pre-compliance: %zu windows evaluated (%.1f s of %g s)",
                                  windows, observed, duration);
    line += secondsLeft < 0 ? std::string(", time left not known yet")
                            : FormatC(", about %.0f s left", secondsLeft);
    line += worst.order == 0 ? std::string(", no harmonic above its threshold so far")
                             : FormatC(", worst harmonic so far: order %d at %.1f %% of its limit",
                                          worst.order, worst.pctOfLimit);
    return line;
}

QJsonObject ComplianceJson(const ComplianceResult& result, std::size_t captures) {
    QJsonArray orders;
    for (std::size_t order = 1; order < result.orders.size(); ++order) {
        const OrderCompliance& o = result.orders[order];
        orders.append(QJsonObject{{"order", static_cast<int>(order)},
                                  {"limit", o.limit},
                                  {"max", o.maxValue},
                                  {"average", o.averageValue},
                                  {"maxPctOfLimit", o.maxPctOfLimit},
                                  {"averagePctOfLimit", o.averagePctOfLimit},
                                  {"verdict", OrderVerdictText(o.verdict)}});
    }
    QJsonArray failing;
    for (const int order : result.failingOrders) {
        failing.append(order);
    }
    return QJsonObject{{"preCompliance", kPreComplianceNote},
                       {"class", ComplianceClassName(result.limitClass)},
                       {"observationTime", result.observationTime},
                       {"windows", static_cast<qint64>(result.windows)},
                       {"captures", static_cast<qint64>(captures)},
                       {"limitUnit", ComplianceLimitUnit(result)},
                       {"averagePower", result.averagePower},
                       {"averagePowerFactor", result.averagePowerFactor},
                       {"averageCurrent", result.averageCurrent},
                       {"disregardThreshold", result.disregardThreshold},
                       {"pohc", result.pohc},
                       {"pohcLimit", result.pohcLimit},
                       {"orders", orders},
                       {"verdict", ComplianceVerdictText(result.verdict)},
                       {"failingOrders", failing}};
}

bool WriteComplianceCsv(const char* command, const std::string& path,
                        const ComplianceResult& result, std::size_t captures) {
    // FormatC writes a decimal point whatever the user's locale.
    std::string csv = std::string("\"") + kPreComplianceNote + "\"\r\n";
    csv += FormatC("class,%s,observation time (s),%.3f,windows,%zu,captures,%zu,verdict,%s\r\n",
                      ComplianceClassName(result.limitClass), result.observationTime,
                      result.windows, captures, ComplianceVerdictText(result.verdict));
    csv += FormatC("order,limit (%s),max smoothed,average,max %% of limit,average %% of limit,"
                      "verdict\r\n",
                      ComplianceLimitUnit(result));
    for (std::size_t order = 1; order < result.orders.size(); ++order) {
        const OrderCompliance& o = result.orders[order];
        csv += FormatC("%zu,%.6g,%.6g,%.6g,%.2f,%.2f,%s\r\n", order, o.limit, o.maxValue,
                          o.averageValue, o.maxPctOfLimit, o.averagePctOfLimit,
                          OrderVerdictText(o.verdict));
    }
    if (!writeFile(path, csv)) {
        printFailure(command, path, "cannot be written");
        return false;
    }
    return true;
}

bool AddComplianceSection(const char* command, const std::string& reportPath,
                          const std::string& applicationFolder, const ComplianceResult& result,
                          std::size_t captures) {
    const std::string sectionPath =
        FindReportResource(ReportResourceFolders(applicationFolder), kComplianceSectionName);
    bool ok = false;
    const std::string section = readFile(sectionPath, ok);
    if (!ok || section.empty()) {
        printFailure(command, sectionPath.empty() ? kComplianceSectionName : sectionPath,
                     "the pre-compliance section's template cannot be read");
        return false;
    }
    const std::string report = readFile(reportPath, ok);
    if (!ok) {
        printFailure(command, reportPath, "cannot be read back");
        return false;
    }
    const std::string expanded =
        ExpandTemplate(section, CompliancePlaceholders(result, captures));
    if (!writeFile(reportPath, InsertReportSection(report, expanded))) {
        printFailure(command, reportPath, "cannot be written");
        return false;
    }
    return true;
}

}  // namespace voltaris::cli
