// voltaris-cli against a meter that misbehaves at every stage of a capture, run end to end as a
// process on the simulator's pseudo-terminal. Each row says what goes wrong and when, what the
// user must be told, how the command ends (a clear failure, or captures that go on), how many
// captures it reports (each with the meter's true values: nothing reported may be wrong or
// lost) and how long it may take after the fault.
#include <gtest/gtest.h>
#include <signal.h>

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "meter-sim/MeterSimulator.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace voltaris {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kCommunicationError = "Communication error ! Voltaris resetted.";
constexpr const char* kLinkLost = "Link to the meter lost: reconnecting until it answers again.";
constexpr const char* kLinkRestored = "Link to the meter restored";

// What happens to the link when the scenario's fault strikes.
enum class Link {
    Kept,
    DroppedAndBack,  // dropped, and bound again 3 s later
    DroppedForGood,  // dropped; the user gives up with Ctrl-C 3 s later
};

struct Scenario {
    const char* name;
    std::vector<std::string> args;  // the command and its options; --port is added
    sim::Faults faults;             // from the start
    // From the `strikeAt`-th frame starting with `strikeOn` on (its own reply unchanged):
    // `later` replaces the faults, and the link does what `link` says.
    std::string strikeOn;
    sim::Faults later;
    Link link = Link::Kept;
    int exitCode = 0;
    std::vector<std::string> messages;  // each one on standard error
    int captures = 0;                   // reported on standard output, each with true values
    std::chrono::seconds bound = 15s;   // from the fault (the start when none strikes) to the end
    sim::Config config = {};
    void (*prepare)(sim::MeterSimulator&) = nullptr;
    int strikeAt = 1;
};

// The faults silencing `letters` (the first character after '<' of a frame).
sim::Faults silentOn(const char* letters) {
    sim::Faults f;
    f.silentOn = letters;
    return f;
}

sim::Config pacedMeter() {
    sim::Config c;
    c.paced = true;  // a B transfer takes long enough to be cut while it flows
    return c;
}

std::string join(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& a : args) {
        line += a + ' ';
    }
    return line;
}

// Named by the row, not dumped byte by byte.
void PrintTo(const Scenario& s, std::ostream* out) {
    *out << s.name;
}

class FaultMatrix : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.valid()); }

    test::TempDir m_dir;
};

TEST_P(FaultMatrix, TellsTheUserAndLosesNothing) {
    const Scenario& s = GetParam();
    sim::Config config = s.config;
    config.linkPath = m_dir.file("rfcomm0");
    sim::MeterSimulator meter(config);

    // The fault strikes on the service thread as the frame arrives; its time is kept for the
    // bound. Without a strike frame, the first frame a silencing fault swallows is the fault.
    std::mutex mutex;
    std::optional<Clock::time_point> struckAt;
    std::atomic<int> seen{0};
    ASSERT_TRUE(meter.setFrameObserver([&](const std::string& frame) {
        const char letter = frame.size() > 1 ? frame[1] : 0;
        std::lock_guard lock(mutex);
        if (struckAt) {
            return;
        }
        if (!s.strikeOn.empty()) {
            if (frame.rfind(s.strikeOn, 0) != 0 || ++seen < s.strikeAt) {
                return;
            }
            struckAt = Clock::now();
            meter.setFaults(s.later);
            if (s.link != Link::Kept) {
                meter.dropLink();
            }
        } else if (s.faults.silentOn.find(letter) != std::string::npos) {
            struckAt = Clock::now();
        }
    }));
    if (s.prepare != nullptr) {
        s.prepare(meter);
    }
    meter.setFaults(s.faults);
    ASSERT_TRUE(meter.start());

    std::vector<std::string> args = s.args;
    args.insert(args.begin() + 1, {"--port", config.linkPath});
    if (args.front() == "capture") {
        args.insert(args.end(), {"--dev-root", m_dir.file("dev"), "--sys-root", m_dir.file("sys"),
                                 "--log", m_dir.file("log.csv")});
    } else if (args.front() == "download") {
        args.insert(args.end(), {"--out", m_dir.path().string()});
    }
    const test::Environment environment{.set = {{"XDG_CONFIG_HOME", m_dir.file("config")},
                                                {"XDG_DATA_HOME", m_dir.file("data")}},
                                        .unset = {"VOLTARIS_PORTS"}};
    const Clock::time_point started = Clock::now();
    test::ChildProcess cli(VOLTARIS_CLI_PROGRAM, args, environment);
    ASSERT_TRUE(cli.started());

    // The link comes back, or the user gives up, 3 s after it dropped.
    std::jthread afterDrop([&](std::stop_token stop) {
        if (s.link == Link::Kept) {
            return;
        }
        while (!stop.stop_requested()) {
            std::optional<Clock::time_point> at;
            {
                std::lock_guard lock(mutex);
                at = struckAt;
            }
            if (at && Clock::now() >= *at + 3s) {
                s.link == Link::DroppedAndBack ? (void)meter.restoreLink() : cli.signal(SIGINT);
                return;
            }
            std::this_thread::sleep_for(20ms);
        }
    });

    const bool closed = cli.readToEnd(90s);
    // The helper thread may have signalled the child: done with it before the child is reaped.
    afterDrop.request_stop();
    afterDrop.join();
    const std::optional<int> exitCode = cli.wait(5s);
    const Clock::time_point ended = Clock::now();
    const std::string what = std::string(s.name) + ": " + join(args) + "\n" + cli.err();
    ASSERT_TRUE(closed && exitCode) << what;

    // A user who gives up with Ctrl-C ends the run cleanly, with what was printed: exit 0.
    EXPECT_EQ(*exitCode, s.exitCode) << what;
    for (const std::string& message : s.messages) {
        EXPECT_NE(cli.err().find(message), std::string::npos) << message << "\n" << what;
    }
    if (s.link == Link::DroppedAndBack) {
        // Said once each, not once per attempt.
        EXPECT_EQ(cli.err().find(kLinkLost), cli.err().rfind(kLinkLost)) << what;
    }
    // Every capture reported is whole and carries the meter's true values.
    const QList<QByteArray> lines = QByteArray::fromStdString(cli.out()).trimmed().split('\n');
    const int reported = cli.out().empty() ? 0 : static_cast<int>(lines.size());
    EXPECT_EQ(reported, s.captures) << cli.out() << what;
    if (args.front() == "capture") {
        // The log goes on over a dropped link: a line for each capture reported, whole.
        const std::string log = test::ReadFile(m_dir.file("log.csv"));
        EXPECT_TRUE(log.empty() || log.back() == '\n') << what;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), reported == 0 ? 0 : reported + 1)
            << log << what;
    }
    if (args.front() == "capture" && reported > 0) {
        for (const QByteArray& line : lines) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            EXPECT_NEAR(o["Vrms"].toDouble(), config.waveform.voltageRms, 1.5) << line.data();
            EXPECT_NEAR(o["Irms"].toDouble(), config.waveform.currentRms, 0.02) << line.data();
        }
    }
    std::lock_guard lock(mutex);
    const Clock::time_point from = struckAt.value_or(started);
    EXPECT_LE(ended - from, s.bound) << what;
}

// A meter that stops answering the status in the middle of a capture is reset once the poll
// fails; the same for each later stage. Silence during arming stops the arming at once.
const std::vector<std::string> kCapture = {"capture"};
const std::vector<std::string> kCapture3 = {"capture", "--count", "3"};
const std::vector<std::string> kCalibrate = {"calibrate",   "--vrms-actual", "230",
                                             "--irms-actual", "1000",       "--password",
                                             "271828"};

void eraseEeprom(sim::MeterSimulator& m) {
    m.eraseEeprom();
}
void corruptGain(sim::MeterSimulator& m) {
    // The voltage gain's exponent byte set so that the float is not a number.
    for (std::uint8_t address = 14; address < 18; ++address) {
        m.setEepromByte(address, 0xFF);
    }
}
void addLog(sim::MeterSimulator& m) {
    (void)m.addLogFile("LOG001", sim::MeterSimulator::makeLogRecords(200));
}

sim::Config secondGeneration() {
    sim::Config c;
    c.generation = 2;
    return c;
}

const Scenario kScenarios[] = {
    // Silence at each stage.
    {"silent_calibration_read", kCapture, {}, "<V", {.silent = true}, Link::Kept, 2,
     {"Error reading calibration parameters", kCommunicationError}},
    {"silent_clear", kCapture, silentOn("C"), {}, {}, Link::Kept, 2, {kCommunicationError}},
    {"silent_length", kCapture, silentOn("L"), {}, {}, Link::Kept, 2, {kCommunicationError}},
    {"silent_start", kCapture, silentOn("S"), {}, {}, Link::Kept, 2, {kCommunicationError}},
    {"silent_poll", kCapture, {}, "<S>", silentOn("?"), Link::Kept, 2, {kCommunicationError}},
    {"silent_bulk", kCapture, silentOn("B"), {}, {}, Link::Kept, 2, {kCommunicationError}},
    {"silent_period", kCapture, silentOn("F"), {}, {}, Link::Kept, 2, {kCommunicationError}},
    {"silent_second_bulk", kCapture3, {}, "<B>", silentOn("B"), Link::Kept, 2,
     {kCommunicationError}, 1},
    // Replies that are not replies.
    {"no_terminator_while_armed", kCapture, {}, "<S>", {.noTerminator = true}, Link::Kept, 2,
     {kCommunicationError}},
    {"garbage_while_armed", kCapture, {}, "<S>", {.garbage = true}, Link::Kept, 2,
     {kCommunicationError}},
    {"noise_at_status", kCapture, {.noise = true}, {}, {}, Link::Kept, 2,
     {"voltaris-cli capture: the device on "}},
    {"noise_while_armed", kCapture, {}, "<S>", {.noise = true}, Link::Kept, 2,
     {kCommunicationError}},
    {"long_replies_at_status", kCapture, {.longReplies = true}, {}, {}, Link::Kept, 2,
     {"instead of a meter's 23-byte status"}},
    {"long_replies_while_armed", kCapture, {}, "<S>", {.longReplies = true}, Link::Kept, 2,
     {kCommunicationError}},
    // A bulk transfer cut short at several points: the 5 s stall rule, not the budget.
    {"bulk_cut_at_start", kCapture, {.cutBulkAt = 0}, {}, {}, Link::Kept, 2,
     {kCommunicationError}},
    {"bulk_cut_in_block_one", kCapture, {.cutBulkAt = 700}, {}, {}, Link::Kept, 2,
     {kCommunicationError}, 0, 15s, pacedMeter()},
    {"bulk_cut_one_byte_short", kCapture, {.cutBulkAt = 12 * 1024 - 1}, {}, {}, Link::Kept, 2,
     {kCommunicationError}, 0, 15s, pacedMeter()},
    // Replies that come late: true values or a clear failure, never wrong values.
    {"late_150ms", kCapture3, {.lateBytesMs = 150}, {}, {}, Link::Kept, 0, {}, 3, 90s},
    {"late_after_capture", kCapture3, {}, "<B>", {.lateBytesMs = 200}, Link::Kept, 0, {}, 3,
     60s},
    // Refusals: L and T are ignored (the meter keeps its block count), S and V fail.
    // A refused L leaves the meter's block count unknown: the transfer cannot be read whole.
    {"refused_length", {"capture", "--periods", "20"}, {.refuseL = true}, {}, {}, Link::Kept, 2,
     {kCommunicationError}, 0, 20s},
    {"refused_trigger", kCapture, {.refuseT = true}, {}, {}, Link::Kept, 0, {}, 1, 30s},
    {"refused_start", kCapture, {.refuseS = true}, {}, {}, Link::Kept, 2, {kCommunicationError}},
    {"refused_eeprom_read", kCapture, {.refuseV = true}, {}, {}, Link::Kept, 0,
     {"Error reading calibration parameters"}, 1, 30s},
    // Writing a calibration to a meter that refuses, or stops answering, the EEPROM writes.
    {"refused_eeprom_write", kCalibrate, {.refuseW = true}, {}, {}, Link::Kept, 2,
     {"Calibration storage error, please restore factory calibration"}, 0, 40s},
    {"silent_eeprom_write", kCalibrate, silentOn("W"), {}, {}, Link::Kept, 2,
     {"Calibration storage error, please restore factory calibration"}},
    // EEPROM contents: erased, and a gain that is not a number.
    {"erased_eeprom", kCapture, {}, {}, {}, Link::Kept, 0,
     {"Warning : factory calibration not available"}, 1, 30s, {}, eraseEeprom},
    {"corrupt_eeprom", kCapture, {}, {}, {}, Link::Kept, 0,
     {"Warning : factory calibration not available"}, 1, 30s, {}, corruptGain},
    // The SD card: silence and a cut during X.
    {"silent_card_block", {"download", "LOG001"}, silentOn("X"), {}, {}, Link::Kept, 1,
     {"Download ended, incomplete file(s) : LOG001"}, 1,
     20s, secondGeneration(), addLog},
    // The link drops (the terminal closes) and comes back at the same path.
    {"link_drop_while_polling", kCapture3, {}, "<S>", {}, Link::DroppedAndBack, 0,
     {kLinkLost, kLinkRestored}, 3, 40s},
    {"link_drop_during_bulk", kCapture3, {}, "<B>", {}, Link::DroppedAndBack, 0,
     {kLinkLost, kLinkRestored}, 3, 40s, pacedMeter(), nullptr, 2},
    {"link_drop_for_good", kCapture3, {}, "<S>", {}, Link::DroppedForGood, 0, {kLinkLost}, 0,
     8s},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace voltaris
