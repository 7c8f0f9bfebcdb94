// The report's template engine on its own: placeholders matched with both percent signs, lines
// and line ends, bytes copied as they are, the title escaped and never scanned again, and the
// value and format of every placeholder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportFixtures.h"
#include "files/ComplianceSection.h"
#include "files/ReportTemplate.h"

namespace voltaris::test {

namespace {

using namespace std::string_literals;

// A measurement whose values print recognisably.
std::unique_ptr<MeasurementSet> KnownMeasurement() {
    auto m = std::make_unique<MeasurementSet>();
    m->Vrms = 230.456;
    m->Vcrest = 1.41421;
    m->Icrest = 1.73205;
    m->PeriodsAnalysed = 83;
    return m;
}

}  // namespace

TEST(ReportTemplate, CopiesLinesAndReplacesOnlyWholePlaceholders) {
    const auto m = KnownMeasurement();
    const StatisticsGrid statistics;
    ReportFacts facts;
    facts.title = "Motor <5 kW> & \"pump\" 100%VRMS% %%";
    const Placeholders placeholders = ReportPlaceholders(facts, *m, statistics);
    struct Case {
        std::string input;
        std::string output;
    };
    const Case cases[] = {
        {"", "\r\n"},
        {"<td width=\"100%\">", "<td width=\"100%\">\r\n\r\n"},
        {"%VRMS is %VRMS", "%VRMS is %VRMS\r\n\r\n"},
        {"%%VRMS%", "%230.46 V\r\n\r\n"},
        {"%VRMS%%VRMS%", "230.46 V230.46 V\r\n\r\n"},
        {"%FOO% %vrms% %VRMS_%", "%FOO% %vrms% %VRMS_%\r\n\r\n"},
        {"%ICREST% %VCREST%", "1.732 1.414\r\n\r\n"},
        {"a\nb", "a\r\nb\r\n\r\n"},      // last line without its line end
        {"a\r\nb\n", "a\r\nb\r\n\r\n"},  // CR LF and LF lines alike
        {"a\n\nb\n", "a\r\n\r\nb\r\n\r\n"},
        {"x\ry\n", "x\ry\r\n\r\n"},          // a carriage return alone stays in its line
        {"%VR\nMS%", "%VR\r\nMS%\r\n\r\n"},  // no placeholder across two lines
        {"%VRMS\n%", "%VRMS\r\n%\r\n\r\n"},
        {"\xc3\xa9t\xe9 %VRMS% \xff\x00!"s, "\xc3\xa9t\xe9 230.46 V \xff\x00!\r\n\r\n"s},
        {"<h1>%TITLE%</h1>",
         "<h1>Motor &lt;5 kW&gt; &amp; &quot;pump&quot; 100%VRMS% %%</h1>\r\n\r\n"},
        {"%NPERIODS% periods", "83 periods\r\n\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandTemplate(c.input, placeholders), c.output) << c.input;
    }
}

TEST(ReportTemplate, EveryPlaceholderInItsOrderAndFormat) {
    auto m = std::make_unique<MeasurementSet>();
    m->Vrms = 230.456;
    m->Vpeak = 325.126;
    m->Vcrest = 1.41421;
    m->THDV = 3.14159;
    m->Irms = 1.23456;
    m->Ipeak = 2.5;
    m->Icrest = 2.0251;
    m->THDI = 45.6789;
    m->Prms = 283.1234;
    m->Ppeak = 812.5;
    m->Pcrest = 2.87;
    m->S = 284.5678;
    m->Q = -28.25;
    m->PF = 0.99495;
    m->F = 49.9876;
    m->PeriodsAnalysed = 10;
    StatisticsGrid statistics;
    for (double v : {220.0, 240.0}) {  // min 220, avg 230, max 240, sdev 10
        statistics.add(kStatVrms, v);
    }
    statistics.add(kStatF, 50);
    const ReportFacts facts{
        .title = "Line 3",
        .dateText = ReportDateText(kSeventhOfDecember),
        .hardwareVersion = 3,
        .serialNumber = 42,
        .lastCalibrationDate = 7122026,
        .harmonicLimits = "IEC 61000-3-2 edition 2.2 Class A",
        .harmonicVerdict = "FAILED, harmonic 3, actual 2.500000 > limit 2.300000"};
    const Placeholders placeholders = ReportPlaceholders(facts, *m, statistics);

    const std::vector<std::pair<std::string, std::string>> head = {
        {"%TITLE%", "Line 3"},   {"%DATETIME%", "Date 07/12/26, curent time 14:05:09 and 042ms"},
        {"%SWVERSION%", "2.02"}, {"%HWVERSION%", "3"},
        {"%SERIALNUM%", "42"},   {"%LASTCAL%", "07122026"},
    };
    const std::vector<std::pair<std::string, std::string>> quantities = {
        {"VRMS", "230.46 V"},      {"VPEAK", "325.13 V"}, {"VCREST", "1.414"},
        {"VTHD", "3.142 %"},       {"IRMS", "1.235 A"},   {"IPEAK", "2.500 A"},
        {"ICREST", "2.025"},       {"ITHD", "45.679 %"},  {"PRMS", "283.123 W"},
        {"PPEAK", "812.500 W"},    {"PCREST", "2.870"},   {"VA", "284.568 VA"},
        {"PREACT", "-28.250 VAR"}, {"PF", "0.995"},       {"FREQ", "49.988 Hz"},
    };
    std::vector<std::pair<std::string, std::string>> expected = head;
    for (const auto& [base, value] : quantities) {
        expected.emplace_back("%" + base + "%", value);
        for (const char* form : {"_MIN%", "_AVG%", "_MAX%", "_SDEV%"}) {
            expected.emplace_back("%" + base + form, "");  // statistics checked below
        }
    }
    expected.emplace_back("%NPERIODS%", "10");
    expected.emplace_back("%HARMLIMITS%", "IEC 61000-3-2 edition 2.2 Class A");
    expected.emplace_back("%HARMPASS%", "FAILED, harmonic 3, actual 2.500000 > limit 2.300000");

    ASSERT_EQ(placeholders.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(placeholders[k].name, expected[k].first) << k;
        if (!expected[k].second.empty()) {
            EXPECT_EQ(placeholders[k].value, expected[k].second) << expected[k].first;
        }
    }
    const auto value = [&](const std::string& name) { return ExpandTemplate(name, placeholders); };
    EXPECT_EQ(value("%VRMS_MIN% %VRMS_AVG% %VRMS_MAX% %VRMS_SDEV%"),
              "220.00 V 230.00 V 240.00 V 10.00 V\r\n\r\n");
    // Statistics after their reset print as zeros in the quantity's format.
    EXPECT_EQ(value("%IRMS_MIN%|%PREACT_SDEV%|%FREQ_AVG%|%FREQ_SDEV%"),
              "0.000 A|0.000 VAR|50.000 Hz|0.000 Hz\r\n\r\n");
}

TEST(ReportTemplate, SerialNumberWithoutZerosAndDateWithEightDigits) {
    const MeasurementSet m;
    const StatisticsGrid statistics;
    struct Case {
        std::uint16_t serial;
        std::uint32_t date;
        const char* text;
    };
    const Case cases[] = {{7, 1012026, "7 01012026"},
                          {9999, 99999999, "9999 99999999"},
                          {65535, 0, "65535 00000000"}};
    for (const Case& c : cases) {
        ReportFacts facts;
        facts.serialNumber = c.serial;
        facts.lastCalibrationDate = c.date;
        EXPECT_EQ(ExpandTemplate("%SERIALNUM% %LASTCAL%", ReportPlaceholders(facts, m, statistics)),
                  std::string(c.text) + "\r\n\r\n");
    }
}

// The pre-compliance section goes before the pictures, else before the end of the body, else
// at the end; its rows list the orders with a limit, failures marked.
TEST(ComplianceSection, IsPlacedBeforeThePicturesAndListsTheLimitedOrders) {
    const struct {
        const char* report;
        const char* expected;
    } cases[] = {
        {"<body><section>a</section><section class=\"pictures\">p</section></body>",
         "<body><section>a</section>S<section class=\"pictures\">p</section></body>"},
        {"<body>a</body>", "<body>aS</body>"},
        {"a", "aS"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InsertReportSection(c.report, "S"), c.expected);
    }

    ComplianceResult result;
    result.limitClass = LimitClass::A;
    result.verdict = ComplianceVerdict::Fail;
    result.failingOrders = {3, 5};
    result.orders[3] = {2.3, 4.0, 3.0, 173.9, 130.4, OrderVerdict::Fail};
    result.orders[4] = {0.43, 0.001, 0.001, 0.2, 0.2, OrderVerdict::Disregarded};
    const Placeholders p = CompliancePlaceholders(result, 7);
    const auto value = [&](const std::string& name) {
        for (const Placeholder& entry : p) {
            if (entry.name == name) {
                return entry.value;
            }
        }
        return std::string("(missing)");
    };
    EXPECT_EQ(value("%PC_VERDICT%"), "FAIL");
    EXPECT_EQ(value("%PC_FAILING%"), "3, 5");
    EXPECT_EQ(value("%PC_CAPTURES%"), "7");
    EXPECT_EQ(value("%PC_ROWS%"),
              "      <tr><td>3</td><td>2.3 A</td><td>173.9</td><td>130.4</td>"
              "<td class=\"fail\">fail</td></tr>\n"
              "      <tr><td>4</td><td>0.43 A</td><td>0.2</td><td>0.2</td>"
              "<td class=\"quiet\">disregarded</td></tr>");
}

}  // namespace voltaris::test
