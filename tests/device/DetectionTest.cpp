// Meter detection and selection against simulated meters through the real serial backend.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/MeterCommands.h"
#include "device/MeterDetection.h"
#include "meter-sim/MeterSimulator.h"
#include "support/LogCapture.h"
#include "support/SimulatedMeter.h"

namespace voltaris {
namespace {

using Status = std::pair<std::string, std::string>;
using Texts = std::vector<std::string>;
const std::string kHeadline = kDetectionHeadlineText;

// Records what detection reports.
struct Recorder {
    std::vector<Status> statuses;
    Texts messages;
    DetectionObserver observer() {
        return {[this](const std::string& h, const std::string& d) { statuses.emplace_back(h, d); },
                [this](const std::string& text) { messages.push_back(text); }};
    }
};

// Simulated meters, their terminals left free for detection to open.
using Meter = test::SimulatedMeter;
constexpr test::MeterPort kFree = test::MeterPort::Free;

PortCandidate bluetooth(const sim::MeterSimulator& meter, const std::string& name) {
    return {meter.portPath(), name, "Standard Serial over Bluetooth link", false};
}

// Ports are opened exclusively: a port can be opened again only once its holder closed it.
bool portIsFree(const std::string& path) {
    return OpenPort(path) != nullptr;
}

TEST(Detection, TwoMetersGiveTwoEntriesInOrderWithTheirPortsKeptOpen) {
    test::LogCapture log;
    Meter second(test::GenerationConfig(2), kFree);
    Meter first(test::GenerationConfig(1), kFree);
    Recorder recorder;
    DetectionResult result = DetectMeters(
        {bluetooth(second.sim, "COM5"), bluetooth(first.sim, "rfcomm7")}, recorder.observer());

    EXPECT_FALSE(result.demoMode);
    ASSERT_EQ(result.meters.size(), 2u);
    EXPECT_EQ(result.meters[0].entry, "V2 COM5");
    EXPECT_EQ(result.meters[0].generation, kGenerationV2);
    EXPECT_EQ(result.meters[0].hardwareVersion, 0x12);
    EXPECT_EQ(result.meters[0].portPath, second.path());
    EXPECT_EQ(result.meters[1].entry, "V1 rfcomm7");
    EXPECT_EQ(result.meters[1].generation, kGenerationV1);
    EXPECT_EQ(result.meters[1].hardwareVersion, 0x02);
    for (DetectedMeter& meter : result.meters) {
        ASSERT_NE(meter.port, nullptr);
        EXPECT_TRUE(QueryStatus(*meter.port).status.has_value()) << meter.entry;
        EXPECT_FALSE(portIsFree(meter.portPath)) << meter.entry;
    }
    const std::vector<Status> expected = {
        {kHeadline, "Searching COM5"},
        {kHeadline, "Voltaris on COM5 -> ok, initialisation..."},
        {kHeadline, "Searching rfcomm7"},
        {kHeadline, "Voltaris on rfcomm7 -> ok, initialisation..."},
        {"2 Voltaris detected", "Application starting..."},
    };
    EXPECT_EQ(recorder.statuses, expected);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(log.messages("INFO", "RETOUR"), (Texts{"RETOUR 2", "RETOUR 2"}));
    EXPECT_EQ(log.messages("INFO", "Interfaces"), Texts{"Interfaces(s) trouvees : 2"});
}

TEST(Detection, UnknownGenerationDigitClosesThePortAndFallsBackToDemonstration) {
    test::LogCapture log;
    Meter meter(test::GenerationConfig(1, '2'), kFree);
    Recorder recorder;
    const DetectionResult result =
        DetectMeters({bluetooth(meter.sim, "rfcomm0")}, recorder.observer());

    EXPECT_TRUE(result.meters.empty());
    EXPECT_TRUE(result.demoMode);
    EXPECT_TRUE(portIsFree(meter.path()));
    EXPECT_EQ(meter.sim.receivedFrames(), Texts{"<?>"});
    EXPECT_EQ(recorder.statuses, (std::vector<Status>{{kHeadline, "Searching rfcomm0"}}));
    EXPECT_EQ(recorder.messages, Texts{"No Voltaris found - Demonstration mode"});
    EXPECT_EQ(log.messages("ERROR", "Pas"), Texts{"Pas d'interface trouvée, mode simulé"});
}

TEST(Detection, SilentOrMissingPortsAreSkipped) {
    Meter silent(test::GenerationConfig(1), kFree);
    silent.sim.setFaults(sim::Faults{.silent = true});
    Meter meter(test::GenerationConfig(1), kFree);
    Recorder recorder;
    const std::string missing = "/nonexistent/voltaris-port";
    const DetectionResult result = DetectMeters({{missing, missing, "", true},
                                                 bluetooth(silent.sim, "rfcomm0"),
                                                 bluetooth(meter.sim, "rfcomm1")},
                                                recorder.observer());

    ASSERT_EQ(result.meters.size(), 1u);
    EXPECT_EQ(result.meters[0].entry, "V1 rfcomm1");
    EXPECT_FALSE(silent.sim.receivedFrames().empty());
    EXPECT_TRUE(portIsFree(silent.path()));
    const std::vector<Status> expected = {
        {kHeadline, "Searching " + missing},
        {kHeadline, "Searching rfcomm0"},
        {kHeadline, "Searching rfcomm1"},
        {kHeadline, "Voltaris on rfcomm1 -> ok, initialisation..."},
        {"1 Voltaris detected", "Application starting..."},
    };
    EXPECT_EQ(recorder.statuses, expected);
}

TEST(Detection, OnlyBluetoothDescriptionsOrNamedPortsAreProbed) {
    Meter meter(test::GenerationConfig(1), kFree);
    const std::string path = meter.path();
    Recorder recorder;
    DetectionResult result = DetectMeters({{path, "ttyS0", "", false},
                                           {path, "ttyUSB0", "USB Serial Port", false},
                                           {path, "rfcomm9", "uetooth at the start", false}},
                                          recorder.observer());
    EXPECT_TRUE(result.demoMode);
    EXPECT_TRUE(meter.sim.receivedFrames().empty());
    EXPECT_TRUE(recorder.statuses.empty());
    EXPECT_EQ(recorder.messages, Texts{kDemonstrationModeText});
    EXPECT_TRUE(DetectMeters({}, DetectionObserver{}).demoMode);  // observer may be empty

    result = DetectMeters({{path, path, "", true}}, {});
    ASSERT_EQ(result.meters.size(), 1u);
    EXPECT_EQ(result.meters[0].entry, "V1 " + path);
}

// Selection log lines, without the exchange traces of the serial link.
Texts selectionLog(const test::LogCapture& log) {
    Texts lines;
    for (const std::string& line : log.messages("INFO")) {
        if (line.rfind("write ", 0) != 0 && line.rfind("read ", 0) != 0 &&
            line.rfind("RETOUR", 0) != 0 && line.rfind("Interfaces", 0) != 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(MeterSelection, SecondGenerationMeterGetsItsClockSet) {
    test::LogCapture log;
    Meter meter(test::GenerationConfig(2), kFree);
    DetectionResult result = DetectMeters({bluetooth(meter.sim, "rfcomm0")}, {});
    ASSERT_EQ(result.meters.size(), 1u);
    meter.sim.clearReceivedFrames();
    std::tm when{};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 3 - 1;
    when.tm_mday = 5;
    when.tm_hour = 14;
    when.tm_min = 7;
    when.tm_sec = 9;

    EXPECT_EQ(SelectMeter(&result.meters[0], [&] { return when; }), kGenerationV2);
    EXPECT_EQ(meter.sim.receivedFrames(), Texts{"<E1803050E0709>"});
    EXPECT_EQ(meter.sim.meterClock(), (sim::MeterClock{2024, 3, 5, 14, 7, 9}));
    EXPECT_EQ(selectionLog(log), (Texts{"Selection V2 rfcomm0", "Version 2", "Time=5/3/2024 14:7:9",
                                        "Command=<E1803050E0709>", "Mise à l'heure ok"}));
}

TEST(MeterSelection, FirstGenerationOrNoMeterSendsNothing) {
    test::LogCapture log;
    Meter meter(test::GenerationConfig(1), kFree);
    DetectionResult result = DetectMeters({bluetooth(meter.sim, "rfcomm0")}, {});
    ASSERT_EQ(result.meters.size(), 1u);
    meter.sim.clearReceivedFrames();
    bool clockAsked = false;
    const auto clock = [&] {
        clockAsked = true;
        return LocalTimeNow();
    };

    EXPECT_EQ(SelectMeter(&result.meters[0], clock), kGenerationV1);
    EXPECT_EQ(SelectMeter(nullptr, clock), kGenerationV1);
    EXPECT_FALSE(clockAsked);
    EXPECT_TRUE(meter.sim.receivedFrames().empty());
    EXPECT_EQ(selectionLog(log),
              (Texts{"Selection V1 rfcomm0", "Version 1", "Selection", "Version 1"}));
}

}  // namespace
}  // namespace voltaris
