// The meter's behaviour, without threads or I/O: the answer to every command frame, the capture
// state machine, the EEPROM and the SD card. The simulator drives it under its own lock.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "Eeprom.h"
#include "SampleSynth.h"
#include "SdCard.h"
#include "SimConfig.h"

namespace voltaris::sim {

enum class CaptureState { Idle, Armed, Complete };

// The trigger set-up of the last accepted T command, in the meter's raw units.
struct TriggerSetup {
    int preTrigger = 0;
    std::uint16_t urmsLow = 0;
    std::uint16_t irmsLow = 0;
    std::uint32_t prmsLow = 0;
    std::uint16_t urmsHigh = 0;
    std::uint16_t irmsHigh = 0;
    std::uint32_t prmsHigh = 0;
    std::uint16_t upeakMax = 0;
    std::uint16_t ipeakMax = 0;
    bool operator==(const TriggerSetup&) const = default;
};

// The clock set by the last accepted E command.
struct MeterClock {
    int year = 0;  // full year, 2000 + the field sent
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const MeterClock&) const = default;
};

class MeterModel {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMaxBlocks = 87;
    static constexpr int kDefaultBlocks = 12;  // 10 periods + 2, until an L is accepted
    static constexpr std::chrono::milliseconds kBlockDuration{20};
    static constexpr int kStatusLength = 23;

    MeterModel(const Config& config, Clock::time_point epoch);

    // The bytes the meter sends back for one complete frame, faults applied; empty: no reply.
    [[nodiscard]] std::string handleFrame(std::string_view frame, Clock::time_point now);

    // Current capture state; an armed capture whose time has come completes here.
    CaptureState captureState(Clock::time_point now);
    // While the trigger does not hold, an armed capture waits forever; once it holds, the
    // capture completes blocks x 20 ms later.
    void setTriggerHolds(bool holds, Clock::time_point now);
    [[nodiscard]] bool triggerHolds() const { return m_triggerHolds; }

    void setFaults(const Faults& faults);
    [[nodiscard]] const Faults& faults() const { return m_faults; }
    void setWaveform(const Waveform& waveform) { m_config.waveform = waveform; }
    [[nodiscard]] const Waveform& waveform() const { return m_config.waveform; }
    [[nodiscard]] EepromImage& eeprom() { return m_eeprom; }
    [[nodiscard]] const EepromImage& eeprom() const { return m_eeprom; }
    [[nodiscard]] SdCard& sdCard() { return m_sdCard; }
    [[nodiscard]] const SdCard& sdCard() const { return m_sdCard; }

    [[nodiscard]] int blockCount() const { return m_blocks; }
    [[nodiscard]] std::optional<TriggerSetup> triggerSetup() const { return m_trigger; }
    [[nodiscard]] std::optional<MeterClock> clock() const { return m_clock; }
    [[nodiscard]] std::optional<std::uint16_t> lastLogPeriod() const { return m_lastLogPeriod; }
    [[nodiscard]] std::uint16_t mainsPeriodTicks() const;

private:
    // Replies before the faults that deform them are applied; `bulk` marks the binary ones.
    struct Answer {
        std::string bytes;
        bool bulk = false;
    };

    [[nodiscard]] Answer answer(std::string_view frame, Clock::time_point now);
    [[nodiscard]] std::string status(Clock::time_point now);
    [[nodiscard]] std::string acceptL(std::string_view fields);
    [[nodiscard]] std::string acceptT(std::string_view fields);
    [[nodiscard]] std::string acceptE(std::string_view fields);
    [[nodiscard]] std::string readBlock(std::string_view fields) const;
    [[nodiscard]] std::string deleteFile(std::string_view fields);
    [[nodiscard]] std::string setLogPeriod(std::string_view fields);
    [[nodiscard]] std::string captureBytes(Clock::time_point now);
    void completeCapture(Clock::time_point now);
    [[nodiscard]] std::string deform(Answer answer);

    // Volts and amperes per raw unit the samples are made with.
    [[nodiscard]] float inputGainV() const;
    [[nodiscard]] float inputGainI() const;

    Config m_config;
    Faults m_faults;
    std::mt19937 m_noise;  // source of the noise fault's bytes
    EepromImage m_eeprom;
    SdCard m_sdCard;
    SampleSynth m_synth;
    Clock::time_point m_epoch;

    int m_blocks = kDefaultBlocks;
    CaptureState m_state = CaptureState::Idle;
    bool m_triggerHolds;
    std::optional<Clock::time_point> m_triggeredAt;  // armed and trigger holding since then
    std::string m_capture;                           // samples of the last capture
    std::optional<TriggerSetup> m_trigger;
    std::optional<MeterClock> m_clock;
    std::optional<std::uint16_t> m_lastLogPeriod;
};

}  // namespace voltaris::sim
