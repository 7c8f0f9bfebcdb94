// voltaris-meter-sim: runs the simulated meter until SIGINT or SIGTERM and prints its terminal.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "MeterSimulator.h"
#include "SimOptions.h"

int main(int argc, char** argv) {
    using namespace voltaris::sim;
    const ParsedOptions parsed =
        parseProgramOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok) {
        std::fprintf(stderr, "voltaris-meter-sim: %s\n\n%s", parsed.error.c_str(),
                     programUsage().c_str());
        return 2;
    }
    const ProgramOptions& options = parsed.options;
    if (options.help) {
        std::fputs(programUsage().c_str(), stdout);
        return 0;
    }

    // The signals are taken by sigwait below; blocked first so the service thread inherits it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    MeterSimulator simulator(options.config);
    simulator.setFaults(options.faults);
    if (options.erasedEeprom) {
        simulator.eraseEeprom();
    }
    for (const auto& [name, bytes] : options.logFiles) {
        std::vector<std::uint8_t> content = makeLogRecords(bytes / kLogRecordSize + 1);
        content.resize(static_cast<std::size_t>(bytes));
        simulator.addLogFile(name, std::move(content));
    }
    if (options.verbose) {
        simulator.setFrameObserver(
            [](const std::string& frame) { std::fprintf(stderr, "%s\n", frame.c_str()); });
    }
    if (!simulator.start()) {
        std::fprintf(stderr, "voltaris-meter-sim: cannot open a pseudo-terminal\n");
        return 1;
    }
    std::printf("%s\n", simulator.portPath().c_str());
    std::fflush(stdout);

    int signal = 0;
    while (sigwait(&stopSignals, &signal) != 0) {
    }
    simulator.stop();
    return 0;
}
