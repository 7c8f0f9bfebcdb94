// Command handling of the simulated meter.
#include "MeterModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace voltaris::sim {

namespace {

constexpr const char* kAck = "<K>";
constexpr const char* kRefused = "<N>";
constexpr const char* kNoCard = "<Z>";
constexpr double kGen1TicksPerSecond = 1e6;
constexpr double kGen2TicksPerSecond = 1382400.0;

// Fixed-width hexadecimal field; nullopt unless every character is a hex digit.
std::optional<std::uint32_t> parseHex(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string hex(unsigned value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", width, value);
    return text;
}

}  // namespace

MeterModel::MeterModel(const Config& config, Clock::time_point epoch)
    : m_config(config),
      m_eeprom(defaultEepromImage()),
      m_sdCard(SdCard::withDefaultFiles()),
      m_epoch(epoch),
      m_triggerHolds(config.triggerAlwaysHolds) {}

void MeterModel::setFaults(const Faults& faults) {
    // Reseeded only when noise starts or its seed changes, so switching other faults while it
    // is on does not repeat the same bytes.
    if (faults.noise && (!m_faults.noise || faults.noiseSeed != m_faults.noiseSeed)) {
        m_noise.seed(static_cast<std::mt19937::result_type>(faults.noiseSeed));
    }
    m_faults = faults;
}

std::string MeterModel::handleFrame(std::string_view frame, Clock::time_point now) {
    if (m_faults.silent) {
        return {};
    }
    if (frame.size() >= 2 && frame.front() == '<' &&
        m_faults.silentOn.find(frame[1]) != std::string::npos) {
        return {};
    }
    return deform(answer(frame, now));
}

MeterModel::Answer MeterModel::answer(std::string_view frame, Clock::time_point now) {
    if (frame.size() < 3 || frame.front() != '<' || frame.back() != '>') {
        return {kRefused};
    }
    const char command = frame[1];
    const std::string_view fields = frame.substr(2, frame.size() - 3);
    switch (command) {
        case '?':
            return {fields.empty() ? status(now) : kRefused};
        case 'C':
        case 'R':
            // Cancel and reset both leave the meter idle.
            m_state = CaptureState::Idle;
            m_triggeredAt.reset();
            return {kAck};
        case 'L':
            return {acceptL(fields)};
        case 'T':
            return {acceptT(fields)};
        case 'S':
            if (m_faults.refuseS || !fields.empty()) {
                return {kRefused};
            }
            m_state = CaptureState::Armed;
            m_triggeredAt.reset();
            if (m_triggerHolds) {
                m_triggeredAt = now;
            }
            return {kAck};
        case 'B':
            return {captureBytes(now), true};
        case 'F':
            return {"<F" + hex(mainsPeriodTicks(), 4) + ">"};
        case 'E':
            return {acceptE(fields)};
        case 'V': {
            const auto address = fields.size() == 2 ? parseHex(fields) : std::nullopt;
            if (!address || m_faults.refuseV) {
                return {kRefused};
            }
            if (static_cast<int>(*address) == m_faults.failEepromReadAt) {
                return {};
            }
            return {"<" + hex(m_eeprom[*address], 2) + ">"};
        }
        case 'W': {
            const auto address = fields.size() == 4 ? parseHex(fields.substr(0, 2)) : std::nullopt;
            const auto value = fields.size() == 4 ? parseHex(fields.substr(2, 2)) : std::nullopt;
            if (!address || !value || m_faults.refuseW) {
                return {kRefused};
            }
            m_eeprom[*address] = static_cast<std::uint8_t>(*value);
            return {kAck};
        }
        case 'U':
            if (m_faults.noSdCard) {
                return {kNoCard};
            }
            return {fields.empty() ? m_sdCard.listing() : kRefused};
        case 'X': {
            if (m_faults.noSdCard) {
                return {kNoCard};
            }
            std::string block = readBlock(fields);
            if (block.empty()) {
                return {kRefused};
            }
            std::string reply = "<" + block + ">";
            const auto number = fields.size() == kLogNameLength + 5
                                    ? parseHex(fields.substr(kLogNameLength + 1))
                                    : std::nullopt;
            if (m_faults.cutLogBlock >= 0 && number &&
                static_cast<int>(*number) == m_faults.cutLogBlock) {
                reply.resize(std::min(
                    reply.size(), static_cast<std::size_t>(std::max(m_faults.cutLogBlockAt, 0))));
            }
            return {reply, true};
        }
        case 'Y':
            return {deleteFile(fields)};
        case 'M':
            return {setLogPeriod(fields)};
        default:
            return {kRefused};
    }
}

std::string MeterModel::status(Clock::time_point now) {
    char letter = 'I';
    switch (captureState(now)) {
        case CaptureState::Idle:
            letter = 'I';
            break;
        case CaptureState::Armed:
            letter = 'A';
            break;
        case CaptureState::Complete:
            letter = 'C';
            break;
    }
    const int version = m_config.hardwareVersion >= 0 ? m_config.hardwareVersion
                        : m_config.generation == 2    ? 0x12
                                                      : 0x02;
    std::string reply =
        "<00000000" + std::string(1, letter) + "000000" + hex(version & 0xFF, 2) + "0000>";
    if (m_config.generationDigit != 0) {
        reply[16] = m_config.generationDigit;
    }
    return reply;
}

std::string MeterModel::acceptL(std::string_view fields) {
    const auto blocks = fields.size() == 2 ? parseHex(fields) : std::nullopt;
    if (m_faults.refuseL || !blocks || *blocks < 1 || *blocks > kMaxBlocks) {
        return kRefused;
    }
    m_blocks = static_cast<int>(*blocks);
    return kAck;
}

std::string MeterModel::acceptT(std::string_view fields) {
    static constexpr int kWidths[] = {2, 4, 4, 8, 4, 4, 8, 4, 4};
    if (m_faults.refuseT || fields.size() != 42) {
        return kRefused;
    }
    std::uint32_t values[9];
    std::size_t at = 0;
    for (int i = 0; i < 9; ++i) {
        const auto value = parseHex(fields.substr(at, static_cast<std::size_t>(kWidths[i])));
        if (!value) {
            return kRefused;
        }
        values[i] = *value;
        at += static_cast<std::size_t>(kWidths[i]);
    }
    auto u16 = [](std::uint32_t v) { return static_cast<std::uint16_t>(v); };
    m_trigger = TriggerSetup{static_cast<int>(values[0]),
                             u16(values[1]),
                             u16(values[2]),
                             values[3],
                             u16(values[4]),
                             u16(values[5]),
                             values[6],
                             u16(values[7]),
                             u16(values[8])};
    return kAck;
}

std::string MeterModel::acceptE(std::string_view fields) {
    if (fields.size() != 12) {
        return kRefused;
    }
    int parts[6];
    for (int i = 0; i < 6; ++i) {
        const auto value = parseHex(fields.substr(static_cast<std::size_t>(i) * 2, 2));
        if (!value) {
            return kRefused;
        }
        parts[i] = static_cast<int>(*value);
    }
    m_clock = MeterClock{2000 + parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]};
    return kAck;
}

std::string MeterModel::readBlock(std::string_view fields) const {
    // Fields: 6-character name, a blank, the block number in 4 hex digits.
    if (fields.size() != kLogNameLength + 5 || fields[kLogNameLength] != ' ') {
        return {};
    }
    const auto block = parseHex(fields.substr(kLogNameLength + 1));
    if (!block) {
        return {};
    }
    return m_sdCard.block(fields.substr(0, kLogNameLength), static_cast<int>(*block))
        .value_or(std::string{});
}

std::string MeterModel::deleteFile(std::string_view fields) {
    if (m_faults.noSdCard) {
        return kNoCard;
    }
    return m_sdCard.remove(fields) ? kAck : kRefused;
}

std::string MeterModel::setLogPeriod(std::string_view fields) {
    const auto period = fields.size() == 4 ? parseHex(fields) : std::nullopt;
    if (!period) {
        return kRefused;
    }
    m_lastLogPeriod = static_cast<std::uint16_t>(*period);
    writeU16(m_eeprom, kAddrLogPeriod, *m_lastLogPeriod);
    return kAck;
}

std::uint16_t MeterModel::mainsPeriodTicks() const {
    const double f = m_config.waveform.frequencyHz;
    if (!(f > 0) || !std::isfinite(f)) {
        return 0;
    }
    const double perSecond = m_config.generation == 2 ? kGen2TicksPerSecond : kGen1TicksPerSecond;
    return static_cast<std::uint16_t>(std::min(std::round(perSecond / f), 65535.0));
}

CaptureState MeterModel::captureState(Clock::time_point now) {
    if (m_state == CaptureState::Armed && m_triggeredAt &&
        now - *m_triggeredAt >= kBlockDuration * m_blocks) {
        completeCapture(now);
    }
    return m_state;
}

void MeterModel::setTriggerHolds(bool holds, Clock::time_point now) {
    captureState(now);  // a capture already due completes before the condition changes
    m_triggerHolds = holds;
    if (m_state != CaptureState::Armed) {
        return;
    }
    if (!holds) {
        m_triggeredAt.reset();
    } else if (!m_triggeredAt) {
        m_triggeredAt = now;
    }
}

void MeterModel::completeCapture(Clock::time_point now) {
    m_state = CaptureState::Complete;
    m_triggeredAt.reset();
    // Start where the mains fundamental is at this instant, so successive captures differ.
    const double seconds = std::chrono::duration<double>(now - m_epoch).count();
    const double cycles = seconds * m_config.waveform.frequencyHz;
    const double startPhase = 2.0 * std::numbers::pi * (cycles - std::floor(cycles));
    m_capture =
        m_synth.generate(m_config.waveform, m_blocks, std::isfinite(startPhase) ? startPhase : 0,
                         inputGainV(), inputGainI());
}

float MeterModel::inputGainV() const {
    return m_config.inputGainV > 0 ? m_config.inputGainV : effectiveGainV(m_eeprom);
}

float MeterModel::inputGainI() const {
    return m_config.inputGainI > 0 ? m_config.inputGainI : effectiveGainI(m_eeprom);
}

std::string MeterModel::captureBytes(Clock::time_point now) {
    captureState(now);
    // Without a capture of the acknowledged size the meter sends whatever its memory holds:
    // here, fresh samples of the signal.
    if (m_capture.size() != static_cast<std::size_t>(m_blocks) * kBytesPerBlock) {
        m_capture = m_synth.generate(m_config.waveform, m_blocks, 0, inputGainV(), inputGainI());
    }
    return m_capture;
}

std::string MeterModel::deform(Answer answer) {
    std::string& bytes = answer.bytes;
    if (bytes.empty()) {
        return bytes;  // no reply stays no reply, whatever the faults
    }
    if (answer.bulk) {
        if (m_faults.cutBulkAt >= 0 &&
            static_cast<std::size_t>(m_faults.cutBulkAt) < bytes.size()) {
            bytes.resize(static_cast<std::size_t>(m_faults.cutBulkAt));
        }
        if (m_faults.longReplies) {
            const std::string once = bytes;
            for (int i = 1; i < 10; ++i) {
                bytes += once;
            }
        }
    } else {
        if (m_faults.longReplies && bytes.size() >= 2 && bytes.front() == '<' &&
            bytes.back() == '>') {
            const std::string body = bytes.substr(1, bytes.size() - 2);
            bytes = "<";
            for (int i = 0; i < 10; ++i) {
                bytes += body;
            }
            bytes += '>';
        }
        if (m_faults.garbage) {
            // Same length and still closed by '>', so a reader takes it whole and must reject it.
            static constexpr char kNoise[] = "#%&*+?@^~$";
            for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
                bytes[i] = kNoise[i % (sizeof kNoise - 1)];
            }
        }
        if (m_faults.noTerminator && bytes.back() == '>') {
            bytes.pop_back();
        }
    }
    if (m_faults.noise) {
        // Plain modulo of the generator's output: the same bytes for a seed on every platform.
        bytes.resize(m_noise() % 64 + 1);
        for (char& byte : bytes) {
            byte = static_cast<char>(m_noise() & 0xFF);
        }
    }
    return bytes;
}

}  // namespace voltaris::sim
