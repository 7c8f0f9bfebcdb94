// Cost of one diagnostic-log call: switched off (the normal case), filtered out by its level
// switch, written, and written with the size limit trimming the file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QSettings>
#include <QVariant>

#include "infra/Log.h"
#include "infra/Logger.h"

namespace {

std::string g_home;  // temporary settings and log folder; the user's own are never touched

void Configure(std::initializer_list<std::pair<QString, QVariant>> values) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Korvex", "Tracekit");
    settings.clear();
    settings.setValue("PathLog", QString::fromStdString(g_home + "/logs"));
    for (const auto& [name, value] : values) {
        settings.setValue(name, value);
    }
    settings.sync();
}

void BM_LogOff(benchmark::State& state) {
    // The process-wide log is never initialised here, so every call is skipped at once.
    for (auto _ : state) {
        benchmark::DoNotOptimize(voltaris::LogMessage("voltaris", voltaris::LogDebug1, "OnRun"));
    }
}
BENCHMARK(BM_LogOff);

void BM_LogLevelOff(benchmark::State& state) {
    Configure({{"EnableLog", 1}, {"LogInfo", 1}});
    voltaris::Logger logger;
    logger.init("VoltarisRT");
    for (auto _ : state) {
        benchmark::DoNotOptimize(logger.write("voltaris", voltaris::LogDebug1, "OnRun"));
    }
}
BENCHMARK(BM_LogLevelOff);

void BM_LogWrite(benchmark::State& state) {
    std::filesystem::remove_all(g_home + "/logs");
    std::filesystem::create_directories(g_home + "/logs");
    Configure({{"EnableLog", 1}, {"LogInfo", 1}});
    voltaris::Logger logger;
    logger.init("VoltarisRT");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            logger.write("voltaris", voltaris::LogInfo, "Write command S, %d bytes read", ++i));
    }
}
BENCHMARK(BM_LogWrite);

void BM_LogWriteTrimmed(benchmark::State& state) {
    std::filesystem::remove_all(g_home + "/logs");
    std::filesystem::create_directories(g_home + "/logs");
    Configure({{"EnableLog", 1}, {"LogInfo", 1}, {"MaxSize", 100}, {"ResetSize", 50}});
    voltaris::Logger logger;
    logger.init("VoltarisRT");
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            logger.write("voltaris", voltaris::LogInfo, "Write command S, %d bytes read", ++i));
    }
}
BENCHMARK(BM_LogWriteTrimmed);

}  // namespace

int main(int argc, char** argv) {
    std::string pattern = (std::filesystem::temp_directory_path() / "voltaris-bench-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        return 1;
    }
    g_home = pattern;
    setenv("XDG_CONFIG_HOME", (g_home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (g_home + "/data").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(g_home);
    return 0;
}
