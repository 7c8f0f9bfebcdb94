// The report of one 85-period capture: the eleven images and the HTML written by WriteHtmlReport
// in this process, and `voltaris-cli report FILE --out DIR` run as a process (start-up, replay
// through the worker, analysis and the report).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QTemporaryDir>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "acquisition/RawCaptureFile.h"
#include "analysis/Measurements.h"
#include "files/HtmlReport.h"
#include "files/ReportTemplate.h"

extern char** environ;

namespace voltaris::bench {

namespace {

constexpr std::uint32_t kBlocks = 87;  // 85 analysed periods
constexpr float kGainV = 0.0222550128f;
constexpr float kGainI = 9.5138399e-05f;

// A distorted supply and a load with odd harmonics, as raw samples.
CaptureBuffer MakeCapture() {
    CaptureBuffer buffer;
    buffer.blockCount = kBlocks;
    buffer.mainsPeriodTicks = 20000;
    for (std::size_t k = 0; k < kBlocks * kSamplesPerPeriod; ++k) {
        const double w = 2 * std::numbers::pi * static_cast<double>(k) / 256.0;
        const double volts = 325 * std::sin(w) + 8 * std::sin(3 * w) + 4 * std::sin(5 * w);
        const double amps = 1.6 * std::sin(w - 0.3) + 0.7 * std::sin(3 * w) + 0.3 * std::sin(5 * w);
        buffer.voltage[k] = static_cast<std::int16_t>(std::lround(volts / kGainV));
        buffer.current[k] = static_cast<std::int16_t>(std::lround(amps / kGainI));
    }
    return buffer;
}

void HtmlReportInProcess(benchmark::State& state) {
    QTemporaryDir folder;
    const auto buffer = std::make_unique<CaptureBuffer>(MakeCapture());
    auto m = std::make_unique<MeasurementSet>();
    StatisticsGrid statistics;
    const RawCapture raw{buffer->voltage, buffer->current, kBlocks, kGainV, kGainI, 20000, 1};
    AnalysisOptions options;
    options.status = AcquisitionStatus::Running;
    if (!folder.isValid() || !DoCalculations(raw, options, *m, statistics)) {
        state.SkipWithError("no folder or no capture");
        return;
    }
    ReportJob job;
    job.folder = folder.path().toStdString() + "/";
    job.templatePath = std::string(VOLTARIS_RESOURCES_DIR) + "/" + kReportTemplateName;
    job.logoPath = std::string(VOLTARIS_RESOURCES_DIR) + "/" + kReportLogoName;
    PageSelections selections;
    selections.title = "Benchmark";
    const PageData data{*m, statistics, CalibrationParams{}, selections};
    for (auto _ : state) {
        job.dateText = ReportDateText(ReadLocalClock());
        const ReportOutcome outcome = WriteHtmlReport(job, data);
        if (!outcome.result.ok || outcome.images.size() != 11) {
            state.SkipWithError("report not written");
            break;
        }
    }
}
BENCHMARK(HtmlReportInProcess)->Unit(benchmark::kMillisecond);

void CliReportCommand(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string capture = folder.filePath("capture85.bin").toStdString();
    const std::string out = folder.filePath("report").toStdString();
    std::string error;
    if (!folder.isValid() || !WriteRawCaptureFile(capture, MakeCapture(), error)) {
        state.SkipWithError("capture file not written");
        return;
    }
    std::vector<std::string> args = {VOLTARIS_CLI_PROGRAM, "report", capture, "--out", out};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("voltaris-cli report failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(CliReportCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace voltaris::bench
