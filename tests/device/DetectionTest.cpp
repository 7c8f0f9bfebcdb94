// Meter detection and selection against simulated meters through the real serial backend.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/DeviceTestSupport.h"
#include "device/MeterCommands.h"
#include "device/MeterDetection.h"
#include "meter-sim/MeterSimulator.h"

namespace voltaris {
namespace {

using Status = std::pair<std::string, std::string>;

// Records what detection reports.
struct Recorder {
    std::vector<Status> statuses;
    std::vector<std::string> messages;
    DetectionObserver observer() {
        return {[this](const std::string& h, const std::string& d) { statuses.emplace_back(h, d); },
                [this](const std::string& text) { messages.push_back(text); }};
    }
};

std::unique_ptr<sim::MeterSimulator> startMeter(int generation, char generationDigit = 0) {
    sim::Config config;
    config.generation = generation;
    config.generationDigit = generationDigit;
    auto meter = std::make_unique<sim::MeterSimulator>(config);
    EXPECT_TRUE(meter->start());
    return meter;
}

PortCandidate bluetoothPort(const sim::MeterSimulator& meter, const std::string& name) {
    return {meter.portPath(), name, "Standard Serial over Bluetooth link", false};
}

// True when nobody holds the port any more (it is opened exclusively while held).
bool portIsFree(const std::string& path) {
    return OpenPort(path) != nullptr;
}

const std::string kHeadline = kDetectionHeadlineText;

TEST(Detection, FindsAFirstGenerationMeterAndKeepsItsPortOpen) {
    test::LogCapture log;
    auto meter = startMeter(1);
    Recorder recorder;
    DetectionResult result = DetectMeters({bluetoothPort(*meter, "rfcomm0")}, recorder.observer());

    EXPECT_FALSE(result.demoMode);
    ASSERT_EQ(result.meters.size(), 1u);
    const DetectedMeter& found = result.meters[0];
    EXPECT_EQ(found.entry, "V1 rfcomm0");
    EXPECT_EQ(found.portPath, meter->portPath());
    EXPECT_EQ(found.generation, kGenerationV1);
    EXPECT_EQ(found.hardwareVersion, 0x02);
    ASSERT_NE(found.port, nullptr);
    EXPECT_TRUE(QueryStatus(*found.port).status.has_value()) << "the kept port must stay usable";
    EXPECT_FALSE(portIsFree(meter->portPath()));

    const std::vector<Status> expected = {
        {kHeadline, "Searching rfcomm0"},
        {kHeadline, "Voltaris on rfcomm0 -> ok, initialisation..."},
        {"1 Voltaris detected", "Application starting..."},
    };
    EXPECT_EQ(recorder.statuses, expected);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_EQ(log.messages("INFO", "RETOUR"), std::vector<std::string>{"RETOUR 2"});
    EXPECT_EQ(log.messages("INFO", "Interfaces"),
              std::vector<std::string>{"Interfaces(s) trouvees : 1"});
}

TEST(Detection, SecondGenerationMeterOnAComPortUsesTheComTexts) {
    auto meter = startMeter(2);
    Recorder recorder;
    DetectionResult result = DetectMeters({bluetoothPort(*meter, "COM5")}, recorder.observer());

    ASSERT_EQ(result.meters.size(), 1u);
    EXPECT_EQ(result.meters[0].entry, "V2 COM5");
    EXPECT_EQ(result.meters[0].generation, kGenerationV2);
    EXPECT_EQ(result.meters[0].hardwareVersion, 0x12);
    ASSERT_GE(recorder.statuses.size(), 2u);
    EXPECT_EQ(recorder.statuses[0].second, "Searching COM5");
    EXPECT_EQ(recorder.statuses[1].second, "Voltaris on COM5 -> ok, initialisation...");
}

TEST(Detection, UnknownGenerationDigitClosesThePortAndFallsBackToDemonstration) {
    test::LogCapture log;
    auto meter = startMeter(1, '2');
    Recorder recorder;
    DetectionResult result = DetectMeters({bluetoothPort(*meter, "rfcomm0")}, recorder.observer());

    EXPECT_TRUE(result.meters.empty());
    EXPECT_TRUE(result.demoMode);
    EXPECT_TRUE(portIsFree(meter->portPath()));
    EXPECT_EQ(meter->receivedFrames(), std::vector<std::string>{"<?>"});
    EXPECT_EQ(recorder.messages,
              std::vector<std::string>{"No Voltaris found - Demonstration mode"});
    const std::vector<Status> expected = {{kHeadline, "Searching rfcomm0"}};
    EXPECT_EQ(recorder.statuses, expected);
    EXPECT_EQ(log.messages("ERROR", "Pas d'interface"),
              std::vector<std::string>{"Pas d'interface trouvée, mode simulé"});
}

TEST(Detection, TwoMetersGiveTwoEntriesInDetectionOrder) {
    test::LogCapture log;
    auto second = startMeter(2);
    auto first = startMeter(1);
    Recorder recorder;
    DetectionResult result = DetectMeters(
        {bluetoothPort(*second, "rfcomm3"), bluetoothPort(*first, "rfcomm7")}, recorder.observer());

    ASSERT_EQ(result.meters.size(), 2u);
    EXPECT_EQ(result.meters[0].entry, "V2 rfcomm3");
    EXPECT_EQ(result.meters[1].entry, "V1 rfcomm7");
    ASSERT_FALSE(recorder.statuses.empty());
    EXPECT_EQ(recorder.statuses.back(), Status("2 Voltaris detected", "Application starting..."));
    EXPECT_EQ(log.messages("INFO", "Interfaces"),
              std::vector<std::string>{"Interfaces(s) trouvees : 2"});
}

TEST(Detection, SilentOrMissingPortsAreSkipped) {
    auto silent = startMeter(1);
    sim::Faults faults;
    faults.silent = true;
    silent->setFaults(faults);
    auto meter = startMeter(1);
    Recorder recorder;
    const PortCandidate missing{"/nonexistent/voltaris-port", "/nonexistent/voltaris-port", "",
                                true};
    DetectionResult result =
        DetectMeters({missing, bluetoothPort(*silent, "rfcomm0"), bluetoothPort(*meter, "rfcomm1")},
                     recorder.observer());

    ASSERT_EQ(result.meters.size(), 1u);
    EXPECT_EQ(result.meters[0].entry, "V1 rfcomm1");
    EXPECT_TRUE(portIsFree(silent->portPath()));
    EXPECT_FALSE(silent->receivedFrames().empty()) << "the silent port was asked";
    const std::vector<Status> expected = {
        {kHeadline, "Searching /nonexistent/voltaris-port"},
        {kHeadline, "Searching rfcomm0"},
        {kHeadline, "Searching rfcomm1"},
        {kHeadline, "Voltaris on rfcomm1 -> ok, initialisation..."},
        {"1 Voltaris detected", "Application starting..."},
    };
    EXPECT_EQ(recorder.statuses, expected);
}

TEST(Detection, OnlyBluetoothDescriptionsOrNamedPortsAreProbed) {
    auto meter = startMeter(1);
    Recorder recorder;
    const std::string path = meter->portPath();
    DetectionResult result = DetectMeters({{path, "ttyS0", "", false},
                                           {path, "ttyUSB0", "USB Serial Port", false},
                                           {path, "rfcomm9", "uetooth at the start", false}},
                                          recorder.observer());
    EXPECT_TRUE(result.demoMode);
    EXPECT_TRUE(meter->receivedFrames().empty());
    EXPECT_TRUE(recorder.statuses.empty());
    EXPECT_EQ(recorder.messages.size(), 1u);

    result = DetectMeters({{path, path, "", true}}, recorder.observer());
    ASSERT_EQ(result.meters.size(), 1u);
    EXPECT_EQ(result.meters[0].entry, "V1 " + path);
}

TEST(Detection, NoPortsAtAllIsDemonstrationModeWithOneMessage) {
    Recorder recorder;
    const DetectionResult result = DetectMeters({}, recorder.observer());
    EXPECT_TRUE(result.demoMode);
    EXPECT_TRUE(result.meters.empty());
    EXPECT_EQ(recorder.messages, std::vector<std::string>{kDemonstrationModeText});
    // An observer without functions is allowed.
    EXPECT_TRUE(DetectMeters({}, DetectionObserver{}).demoMode);
}

TEST(MeterSelection, SecondGenerationMeterGetsItsClockSet) {
    test::LogCapture log;
    auto meter = startMeter(2);
    DetectionResult result = DetectMeters({bluetoothPort(*meter, "rfcomm0")}, {});
    ASSERT_EQ(result.meters.size(), 1u);
    meter->clearReceivedFrames();

    std::tm when{};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 3 - 1;
    when.tm_mday = 5;
    when.tm_hour = 14;
    when.tm_min = 7;
    when.tm_sec = 9;
    EXPECT_EQ(SelectMeter(&result.meters[0], [&] { return when; }), kGenerationV2);

    EXPECT_EQ(meter->receivedFrames(), std::vector<std::string>{"<E1803050E0709>"});
    const sim::MeterClock expectedClock{2024, 3, 5, 14, 7, 9};
    EXPECT_EQ(meter->meterClock(), expectedClock);
    std::vector<std::string> infos;
    for (const std::string& line : log.messages("INFO")) {
        if (line.rfind("write", 0) != 0 && line.rfind("read", 0) != 0 &&
            line.rfind("RETOUR", 0) != 0 && line.rfind("Interfaces", 0) != 0) {
            infos.push_back(line);
        }
    }
    const std::vector<std::string> expectedLog = {"Selection V2 rfcomm0", "Version 2",
                                                  "Time=5/3/2024 14:7:9", "Command=<E1803050E0709>",
                                                  "Mise à l'heure ok"};
    EXPECT_EQ(infos, expectedLog);
}

TEST(MeterSelection, FirstGenerationOrNoMeterSendsNothing) {
    test::LogCapture log;
    auto meter = startMeter(1);
    DetectionResult result = DetectMeters({bluetoothPort(*meter, "rfcomm0")}, {});
    ASSERT_EQ(result.meters.size(), 1u);
    meter->clearReceivedFrames();
    bool clockAsked = false;
    const auto clock = [&] {
        clockAsked = true;
        return LocalTimeNow();
    };

    EXPECT_EQ(SelectMeter(&result.meters[0], clock), kGenerationV1);
    EXPECT_EQ(SelectMeter(nullptr, clock), kGenerationV1);
    EXPECT_FALSE(clockAsked);
    EXPECT_TRUE(meter->receivedFrames().empty());
    EXPECT_EQ(log.messages("INFO", "Version"),
              (std::vector<std::string>{"Version 1", "Version 1"}));
    EXPECT_EQ(log.messages("INFO", "Selection"),
              (std::vector<std::string>{"Selection V1 rfcomm0", "Selection"}));
}

}  // namespace
}  // namespace voltaris
