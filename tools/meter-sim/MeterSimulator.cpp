// Service thread and thread-safe access of the simulated meter.
#include "MeterSimulator.h"

#include "FrameAssembler.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

namespace voltaris::sim {

namespace {

using Clock = std::chrono::steady_clock;

timespec toTimespec(Clock::duration duration) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::max(duration, Clock::duration::zero()))
                        .count();
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

// Writes what the queue lets out now. Returns false when the terminal is full and the rest
// must wait until it can take more.
bool flushDue(int fd, ReplyQueue& queue, Clock::time_point now) {
    for (;;) {
        const std::string_view bytes = queue.writable(now);
        if (bytes.empty()) {
            return true;
        }
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return false;
            }
            queue.clear();  // the terminal is unusable: nothing queued can arrive
            return true;
        }
        queue.consumed(static_cast<std::size_t>(written));
        if (static_cast<std::size_t>(written) < bytes.size()) {
            return false;
        }
    }
}

}  // namespace

MeterSimulator::MeterSimulator(Config config)
    : m_config(std::move(config)), m_model(m_config, Clock::now()) {}

MeterSimulator::~MeterSimulator() {
    stop();
}

bool MeterSimulator::start() {
    if (m_running.load()) {
        return false;
    }
    if (!m_terminal.open()) {
        return false;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_terminal.close();
        return false;
    }
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    {
        std::lock_guard lock(m_mutex);
        m_portPath = m_terminal.slavePath();
    }
    m_stopRequested.store(false);
    m_running.store(true);
    m_thread = std::thread(&MeterSimulator::serve, this);
    return true;
}

void MeterSimulator::stop() {
    if (!m_running.load()) {
        return;
    }
    m_stopRequested.store(true);
    const char wake = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(m_wakeWrite, &wake, 1);
    m_thread.join();
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
    m_wakeRead = m_wakeWrite = -1;
    m_terminal.close();
    {
        std::lock_guard lock(m_mutex);
        m_portPath.clear();
    }
    m_running.store(false);
}

void MeterSimulator::serve() {
    const int fd = m_terminal.masterFd();
    FrameAssembler assembler;
    ReplyQueue queue(m_config.paced);
    bool waitWritable = false;
    char buffer[4096];
    while (!m_stopRequested.load()) {
        const auto now = Clock::now();
        if (!waitWritable) {
            waitWritable = !flushDue(fd, queue, now);
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (!waitWritable) {
            if (const auto due = queue.nextDue(Clock::now())) {
                timeout = toTimespec(*due - Clock::now());
                timeoutPtr = &timeout;
            }
        }
        pollfd fds[2] = {{fd, static_cast<short>(POLLIN | (waitWritable ? POLLOUT : 0)), 0},
                         {m_wakeRead, POLLIN, 0}};
        if (::ppoll(fds, 2, timeoutPtr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[1].revents & POLLIN) {
            char drain[16];
            while (::read(m_wakeRead, drain, sizeof drain) > 0) {
            }
        }
        if (fds[0].revents & POLLOUT) {
            waitWritable = false;
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                answerFrames(
                    assembler.feed(std::string_view(buffer, static_cast<std::size_t>(got))), queue);
            }
        }
    }
}

void MeterSimulator::answerFrames(const std::vector<std::string>& frames, ReplyQueue& queue) {
    for (const std::string& frame : frames) {
        const auto now = Clock::now();
        std::string reply;
        int lateMs = 0;
        {
            std::lock_guard lock(m_mutex);
            m_frames.push_back(frame);
            if (m_frames.size() > kMaxRecordedFrames) {
                m_frames.pop_front();
            }
            ++m_frameCount;
            reply = m_model.handleFrame(frame, now);
            lateMs = std::max(m_model.faults().lateBytesMs, 0);
        }
        m_framesChanged.notify_all();
        if (m_observer) {
            m_observer(frame);
        }
        queue.push(std::move(reply), now + std::chrono::milliseconds(lateMs));
    }
}

std::string MeterSimulator::portPath() const {
    std::lock_guard lock(m_mutex);
    return m_portPath;
}

void MeterSimulator::setFaults(const Faults& faults) {
    std::lock_guard lock(m_mutex);
    m_model.setFaults(faults);
}

Faults MeterSimulator::faults() const {
    std::lock_guard lock(m_mutex);
    return m_model.faults();
}

void MeterSimulator::setWaveform(const Waveform& waveform) {
    std::lock_guard lock(m_mutex);
    m_model.setWaveform(waveform);
}

Waveform MeterSimulator::waveform() const {
    std::lock_guard lock(m_mutex);
    return m_model.waveform();
}

std::vector<std::string> MeterSimulator::receivedFrames() const {
    std::lock_guard lock(m_mutex);
    return {m_frames.begin(), m_frames.end()};
}

void MeterSimulator::clearReceivedFrames() {
    std::lock_guard lock(m_mutex);
    m_frames.clear();
    m_frameCount = 0;
}

bool MeterSimulator::waitForFrames(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_mutex);
    return m_framesChanged.wait_for(lock, timeout, [&] { return m_frameCount >= count; });
}

bool MeterSimulator::setFrameObserver(std::function<void(const std::string&)> observer) {
    if (m_running.load()) {
        return false;
    }
    m_observer = std::move(observer);
    return true;
}

EepromImage MeterSimulator::eeprom() const {
    std::lock_guard lock(m_mutex);
    return m_model.eeprom();
}

void MeterSimulator::setEepromByte(std::uint8_t address, std::uint8_t value) {
    std::lock_guard lock(m_mutex);
    m_model.eeprom()[address] = value;
}

void MeterSimulator::eraseEeprom() {
    std::lock_guard lock(m_mutex);
    m_model.eeprom().fill(0xFF);
}

void MeterSimulator::restoreDefaultEeprom() {
    std::lock_guard lock(m_mutex);
    m_model.eeprom() = defaultEepromImage();
}

bool MeterSimulator::addLogFile(const std::string& name, std::vector<std::uint8_t> content) {
    std::lock_guard lock(m_mutex);
    return m_model.sdCard().add(name, std::move(content));
}

bool MeterSimulator::addRawLogFile(const std::string& name, std::vector<std::uint8_t> content) {
    std::lock_guard lock(m_mutex);
    return m_model.sdCard().addRaw(name, std::move(content));
}

std::vector<LogFile> MeterSimulator::logFiles() const {
    std::lock_guard lock(m_mutex);
    return m_model.sdCard().files();
}

bool MeterSimulator::removeLogFile(const std::string& name) {
    std::lock_guard lock(m_mutex);
    return m_model.sdCard().remove(name);
}

void MeterSimulator::clearLogFiles() {
    std::lock_guard lock(m_mutex);
    m_model.sdCard().clear();
}

std::optional<std::uint16_t> MeterSimulator::lastLogPeriod() const {
    std::lock_guard lock(m_mutex);
    return m_model.lastLogPeriod();
}

void MeterSimulator::setTriggerHolds(bool holds) {
    std::lock_guard lock(m_mutex);
    m_model.setTriggerHolds(holds, Clock::now());
}

bool MeterSimulator::triggerHolds() const {
    std::lock_guard lock(m_mutex);
    return m_model.triggerHolds();
}

CaptureState MeterSimulator::captureState() const {
    std::lock_guard lock(m_mutex);
    return m_model.captureState(Clock::now());
}

bool MeterSimulator::waitForCaptureState(CaptureState state,
                                         std::chrono::milliseconds timeout) const {
    // The state changes with time as well as with frames, so it is re-read every millisecond.
    const auto deadline = Clock::now() + timeout;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_model.captureState(Clock::now()) == state) {
            return true;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        m_framesChanged.wait_for(
            lock, std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(1)));
    }
}

int MeterSimulator::blockCount() const {
    std::lock_guard lock(m_mutex);
    return m_model.blockCount();
}

std::optional<TriggerSetup> MeterSimulator::triggerSetup() const {
    std::lock_guard lock(m_mutex);
    return m_model.triggerSetup();
}

std::optional<MeterClock> MeterSimulator::meterClock() const {
    std::lock_guard lock(m_mutex);
    return m_model.clock();
}

std::uint16_t MeterSimulator::mainsPeriodTicks() const {
    std::lock_guard lock(m_mutex);
    return m_model.mainsPeriodTicks();
}

}  // namespace voltaris::sim
