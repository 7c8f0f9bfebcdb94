// The pre-compliance section of the report: its placeholders, from the evaluation of an
// observation period, and its place in a report already written (before the pictures).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "analysis/ComplianceEvaluation.h"
#include "files/ReportTemplate.h"

namespace voltaris {

inline constexpr const char* kComplianceSectionName = "VoltarisComplianceSection.html";

// "A".."D", or "none".
[[nodiscard]] const char* ComplianceClassName(LimitClass limitClass);
// "PASS", "FAIL" or "NOT EVALUATED".
[[nodiscard]] const char* ComplianceVerdictText(ComplianceVerdict verdict);
// "pass", "fail", "disregarded" or "no limit".
[[nodiscard]] const char* OrderVerdictText(OrderVerdict verdict);
// The limit's unit: "A", or "% of H1" for class C.
[[nodiscard]] const char* ComplianceLimitUnit(const ComplianceResult& result);

// PC_CLASS, PC_VERDICT, PC_TIME (s), PC_WINDOWS, PC_CAPTURES, PC_POWER (W), PC_PF, PC_POHC
// ("measured / limit"), PC_FAILING (the orders, or "none") and PC_ROWS (one table row per order
// 2 to 40 that has a limit).
[[nodiscard]] Placeholders CompliancePlaceholders(const ComplianceResult& result,
                                                  std::size_t captures);

// `report` with `section` inserted before its first pictures section, else before </body>, else
// at its end.
[[nodiscard]] std::string InsertReportSection(std::string_view report, std::string_view section);

}  // namespace voltaris
