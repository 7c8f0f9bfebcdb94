// Service thread and thread-safe access of the simulated meter.
#include "MeterSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string_view>

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
    : m_config(std::move(config)), m_queue(m_config.paced), m_model(m_config, Clock::now()) {}

MeterSimulator::~MeterSimulator() {
    stop();
}

bool MeterSimulator::start() {
    std::lock_guard lifecycle(m_lifecycle);
    if (m_running.load()) {
        return false;
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    if (!openLink()) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    m_wakeRead = pipeFds[0];
    m_wakeWrite = pipeFds[1];
    m_wantLink.store(true);
    {
        std::lock_guard lock(m_mutex);
        m_linkServed = m_linkRequests.load();
    }
    m_stopRequested.store(false);
    m_running.store(true);
    m_thread = std::thread(&MeterSimulator::serve, this);
    return true;
}

void MeterSimulator::stop() {
    if (onServiceThread()) {
        return;  // it cannot wait for itself; the owner stops it
    }
    std::lock_guard lifecycle(m_lifecycle);
    if (!m_running.load()) {
        return;
    }
    m_stopRequested.store(true);
    wake();
    m_thread.join();
    m_serviceThread.store(std::thread::id{});
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
    m_wakeRead = m_wakeWrite = -1;
    closeLink();
    m_running.store(false);
}

bool MeterSimulator::onServiceThread() const {
    return std::this_thread::get_id() == m_serviceThread.load();
}

void MeterSimulator::wake() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(m_wakeWrite, &byte, 1);
}

bool MeterSimulator::openLink() {
    if (!m_terminal.open()) {
        return false;
    }
    const std::string& link = m_config.linkPath;
    if (!link.empty()) {
        // Only a symbolic link (or nothing) is replaced: a file or directory there is not ours.
        struct stat existing {};
        if (::lstat(link.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
            m_terminal.close();
            return false;
        }
        // Made beside the link and renamed over it, so the path never goes missing or dangles
        // while an old link is replaced.
        static std::atomic<unsigned> serial{0};
        const std::string temporary =
            link + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(serial.fetch_add(1));
        if (::symlink(m_terminal.slavePath().c_str(), temporary.c_str()) != 0) {
            m_terminal.close();
            return false;
        }
        if (::rename(temporary.c_str(), link.c_str()) != 0) {
            ::unlink(temporary.c_str());
            m_terminal.close();
            return false;
        }
    }
    m_assembler.reset();
    m_queue.clear();
    m_waitWritable = false;
    ++m_linkEpoch;
    {
        std::lock_guard lock(m_mutex);
        m_portPath = m_terminal.slavePath();
        m_linkUp = true;
    }
    return true;
}

void MeterSimulator::closeLink() {
    const std::string slave = m_terminal.slavePath();
    const std::string& link = m_config.linkPath;
    if (!link.empty() && !slave.empty()) {
        // Removed only while it still points at this terminal: another meter may own it now.
        char target[256];
        const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
        if (length > 0 && std::string_view(target, static_cast<std::size_t>(length)) == slave) {
            ::unlink(link.c_str());
        }
    }
    m_terminal.close();
    m_queue.clear();  // the rest of a reply half sent is lost with the line
    m_assembler.reset();
    m_waitWritable = false;
    std::lock_guard lock(m_mutex);
    m_portPath.clear();
    m_linkUp = false;
}

void MeterSimulator::dropLink() {
    requestLink(false);
}

bool MeterSimulator::restoreLink() {
    requestLink(true);
    return linkUp();
}

bool MeterSimulator::linkUp() const {
    std::lock_guard lock(m_mutex);
    return m_linkUp;
}

void MeterSimulator::requestLink(bool up) {
    if (onServiceThread()) {
        // From the frame observer: the service thread owns the terminal, so it acts at once.
        m_wantLink.store(up);
        if (up && !m_terminal.isOpen() && !openLink()) {
            m_wantLink.store(false);
        } else if (!up && m_terminal.isOpen()) {
            closeLink();
        }
        return;
    }
    std::unique_lock lifecycle(m_lifecycle);
    if (!m_running.load()) {
        return;
    }
    m_wantLink.store(up);
    const std::uint64_t request = ++m_linkRequests;
    wake();
    std::unique_lock lock(m_mutex);
    m_linkChanged.wait(lock, [&] { return m_linkServed >= request; });
}

void MeterSimulator::serve() {
    m_serviceThread.store(std::this_thread::get_id());
    char buffer[4096];
    while (!m_stopRequested.load()) {
        const std::uint64_t request = m_linkRequests.load();
        bool served = false;
        {
            std::lock_guard lock(m_mutex);
            served = m_linkServed >= request;
        }
        if (!served) {
            const bool up = m_wantLink.load();
            if (up && !m_terminal.isOpen()) {
                if (!openLink()) {
                    m_wantLink.store(false);
                }
            } else if (!up && m_terminal.isOpen()) {
                closeLink();
            }
            {
                std::lock_guard lock(m_mutex);
                m_linkServed = request;
            }
            m_linkChanged.notify_all();
        }
        const int fd = m_terminal.masterFd();  // -1 while the link is down: poll skips it
        const auto now = Clock::now();
        if (fd >= 0 && !m_waitWritable) {
            m_waitWritable = !flushDue(fd, m_queue, now);
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (fd >= 0 && !m_waitWritable) {
            if (const auto due = m_queue.nextDue(Clock::now())) {
                timeout = toTimespec(*due - Clock::now());
                timeoutPtr = &timeout;
            }
        }
        pollfd fds[2] = {{fd, static_cast<short>(POLLIN | (m_waitWritable ? POLLOUT : 0)), 0},
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
            m_waitWritable = false;
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                answerFrames(
                    m_assembler.feed(std::string_view(buffer, static_cast<std::size_t>(got))));
            }
        }
    }
}

void MeterSimulator::answerFrames(const std::vector<std::string>& frames) {
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
        const std::uint64_t epoch = m_linkEpoch;
        if (m_observer) {
            m_observer(frame);
        }
        if (!m_terminal.isOpen() || m_linkEpoch != epoch) {
            // The observer dropped the link: this reply and the frames after it went with it.
            return;
        }
        m_queue.push(std::move(reply), now + std::chrono::milliseconds(lateMs));
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
