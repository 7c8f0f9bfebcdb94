// voltaris-meter-sim: runs the simulated meter until SIGINT or SIGTERM and prints its terminal;
// SIGUSR1 and SIGUSR2 drop its link and bring it back.
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
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    sigaddset(&signals, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

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
        if (options.config.linkPath.empty()) {
            std::fprintf(stderr, "voltaris-meter-sim: cannot open a pseudo-terminal\n");
        } else {
            std::fprintf(stderr, "voltaris-meter-sim: cannot open a pseudo-terminal linked at %s\n",
                         options.config.linkPath.c_str());
        }
        return 1;
    }
    const std::string shown =
        options.config.linkPath.empty() ? simulator.portPath() : options.config.linkPath;
    std::printf("%s\n", shown.c_str());
    std::fflush(stdout);

    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) {
            continue;
        }
        if (signal == SIGUSR1) {
            simulator.dropLink();
            if (options.verbose) {
                std::fprintf(stderr, "link dropped\n");
            }
        } else if (signal == SIGUSR2) {
            if (!simulator.restoreLink()) {
                std::fprintf(stderr, "voltaris-meter-sim: cannot bring the link back\n");
            } else if (options.verbose) {
                std::fprintf(stderr, "link restored on %s\n", simulator.portPath().c_str());
            }
        } else {
            break;
        }
    }
    simulator.stop();
    return 0;
}
