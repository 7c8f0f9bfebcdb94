// A simulated Voltaris meter on a pseudo-terminal: one service thread answers every command of
// the meter's protocol as a first- or second-generation meter would, with switchable faults.
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

    // Opens a new pseudo-terminal and starts answering on it; false if it cannot be opened or
    // the simulator already runs.
    [[nodiscard]] bool start();
    // Stops the service thread and closes the terminal; replies not yet sent are dropped.
    void stop();
    [[nodiscard]] bool running() const { return m_running.load(); }
    // Path of the slave side (e.g. /dev/pts/7) while running; empty otherwise.
    [[nodiscard]] std::string portPath() const;

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
    void answerFrames(const std::vector<std::string>& frames, ReplyQueue& queue);

    const Config m_config;
    PseudoTerminal m_terminal;  // opened and closed by start()/stop() only
    int m_wakeRead = -1;        // self-pipe that interrupts the service thread's wait
    int m_wakeWrite = -1;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopRequested{false};
    std::function<void(const std::string&)> m_observer;  // fixed while running

    // Protects m_model, m_frames, m_frameCount and m_portPath. Inspecting the capture state
    // may complete a due capture, hence mutable.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_framesChanged;
    mutable MeterModel m_model;
    std::deque<std::string> m_frames;
    std::size_t m_frameCount = 0;
    std::string m_portPath;
};

}  // namespace voltaris::sim
