// A simulated Voltaris meter on a pseudo-terminal: one service thread answers every command of
// the meter's protocol as a first- or second-generation meter would, with switchable faults.
// Its link can drop and come back on a new terminal (dropLink/restoreLink) while the meter
// keeps its state, as a Bluetooth serial link does; Config::linkPath then names the terminal of
// the moment at one fixed path.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Eeprom.h"
#include "FrameAssembler.h"
#include "MeterModel.h"
#include "PseudoTerminal.h"
#include "ReplyQueue.h"
#include "SdCard.h"
#include "SimConfig.h"

namespace voltaris::sim {

class MeterSimulator {
public:
    // Frames kept for receivedFrames(); older ones are forgotten on a long run.
    static constexpr std::size_t kMaxRecordedFrames = 100000;

    explicit MeterSimulator(Config config = {});
    ~MeterSimulator();
    MeterSimulator(const MeterSimulator&) = delete;
    MeterSimulator& operator=(const MeterSimulator&) = delete;

    // Opens a new pseudo-terminal, makes Config::linkPath point at it when set, and starts
    // answering on it; false if the terminal or the link cannot be made, or the simulator
    // already runs. The meter's state (capture, EEPROM, card, trigger, frames) carries over
    // from an earlier run.
    [[nodiscard]] bool start();
    // Stops the service thread, closes the terminal and removes the link; replies not yet sent
    // are dropped. Called on the service thread (from the frame observer) it does nothing, as
    // that thread cannot wait for its own end.
    void stop();
    [[nodiscard]] bool running() const { return m_running.load(); }
    // Path of the slave side (e.g. /dev/pts/7) while running with the link up; empty otherwise.
    [[nodiscard]] std::string portPath() const;
    // Config::linkPath: the symbolic link to portPath() while the link is up (empty: none).
    [[nodiscard]] const std::string& linkPath() const { return m_config.linkPath; }

    // The link drops: the terminal's master side closes, so a program holding the slave open
    // sees a hang-up, the link path is removed, and bytes in flight either way are lost (a
    // reply half sent stays half sent). The meter keeps its state and the service thread runs
    // on. No effect unless running with the link up.
    void dropLink();
    // The link comes back on a new pseudo-terminal, the link path pointing at it, and the meter
    // answers again as it was. True when the link is up afterwards (already up included); false
    // when not running or no terminal or link could be made (the link then stays down).
    bool restoreLink();
    [[nodiscard]] bool linkUp() const;
    // Both may be called from any thread, the frame observer included: there they take effect
    // at once, and the reply to the observed frame is lost with the link.

    void setFaults(const Faults& faults);
    [[nodiscard]] Faults faults() const;
    void setWaveform(const Waveform& waveform);
    [[nodiscard]] Waveform waveform() const;

    // Every complete frame received, exact text, in order (since start or the last clear).
    [[nodiscard]] std::vector<std::string> receivedFrames() const;
    void clearReceivedFrames();
    // True once at least `count` frames were received since start or the last clear.
    [[nodiscard]] bool waitForFrames(std::size_t count, std::chrono::milliseconds timeout) const;
    // Called on the service thread with each frame received, after its reply was decided and
    // without the lock held, so it may call the setters above. Only settable before start()
    // (false while running).
    bool setFrameObserver(std::function<void(const std::string&)> observer);

    [[nodiscard]] EepromImage eeprom() const;
    void setEepromByte(std::uint8_t address, std::uint8_t value);
    void eraseEeprom();  // every byte 0xFF
    void restoreDefaultEeprom();

    // SD card: names of 6 characters (see isValidLogName), content in 27-byte records.
    bool addLogFile(const std::string& name, std::vector<std::uint8_t> content);
    // Any 6 bytes as the name, as a hostile card could list it (see SdCard::addRaw).
    bool addRawLogFile(const std::string& name, std::vector<std::uint8_t> content);
    [[nodiscard]] std::vector<LogFile> logFiles() const;
    bool removeLogFile(const std::string& name);
    void clearLogFiles();
    [[nodiscard]] static std::vector<std::uint8_t> makeLogRecords(int count) {
        return sim::makeLogRecords(count);
    }
    // Period of the last accepted M command; nullopt when none came.
    [[nodiscard]] std::optional<std::uint16_t> lastLogPeriod() const;

    // Trigger condition: while it does not hold, an armed capture never completes.
    void setTriggerHolds(bool holds);
    [[nodiscard]] bool triggerHolds() const;
    [[nodiscard]] CaptureState captureState() const;
    [[nodiscard]] bool isArmed() const { return captureState() == CaptureState::Armed; }
    [[nodiscard]] bool captureComplete() const { return captureState() == CaptureState::Complete; }
    [[nodiscard]] bool waitForCaptureState(CaptureState state,
                                           std::chrono::milliseconds timeout) const;

    // What the meter was told: block count of the last accepted L (12 before any), trigger
    // set-up of the last accepted T, clock of the last accepted E.
    [[nodiscard]] int blockCount() const;
    [[nodiscard]] std::optional<TriggerSetup> triggerSetup() const;
    [[nodiscard]] std::optional<MeterClock> meterClock() const;
    [[nodiscard]] std::uint16_t mainsPeriodTicks() const;

private:
    void serve();
    void answerFrames(const std::vector<std::string>& frames);
    // Asks the service thread to bring the link up or down and waits until it did.
    void requestLink(bool up);
    // The terminal and link path opened or closed. Only where no other thread uses the
    // terminal: the service thread, or start()/stop() while it does not run.
    bool openLink();
    void closeLink();
    [[nodiscard]] bool onServiceThread() const;
    void wake();

    const Config m_config;
    PseudoTerminal m_terminal;      // see openLink()/closeLink() for who may touch it
    ReplyQueue m_queue;             // service thread only
    FrameAssembler m_assembler;     // service thread only
    bool m_waitWritable = false;    // service thread only: the terminal is full
    std::uint64_t m_linkEpoch = 0;  // terminals opened so far; see openLink()
    int m_wakeRead = -1;            // self-pipe that interrupts the service thread's wait
    int m_wakeWrite = -1;
    std::thread m_thread;
    std::atomic<std::thread::id> m_serviceThread{};  // id of m_thread while it serves
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopRequested{false};
    std::function<void(const std::string&)> m_observer;  // fixed while running

    // Serialises start(), stop() and the link requests of threads other than the service one.
    std::mutex m_lifecycle;
    // Link requests: the wanted state and a count of requests, the service thread records in
    // m_linkServed (under m_mutex) the count it has applied.
    std::atomic<bool> m_wantLink{false};
    std::atomic<std::uint64_t> m_linkRequests{0};

    // Protects m_model, m_frames, m_frameCount, m_portPath, m_linkUp and m_linkServed.
    // Inspecting the capture state may complete a due capture, hence mutable.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_framesChanged;
    std::condition_variable m_linkChanged;
    mutable MeterModel m_model;
    std::deque<std::string> m_frames;
    std::size_t m_frameCount = 0;
    std::string m_portPath;
    bool m_linkUp = false;
    std::uint64_t m_linkServed = 0;
};

}  // namespace voltaris::sim
