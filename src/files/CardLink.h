// The meter's port borrowed from the acquisition worker for the SD-card file service, and the
// exchanges run on it away from the user-interface thread, so that the window keeps repainting
// and its Cancel button keeps working while the meter answers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "device/SerialPort.h"

namespace voltaris {

class AcquisitionShared;

class CardLink {
public:
    // How long the worker may take to lend the port: an exchange it was in may last the 8 s
    // its own stop allows.
    static constexpr std::chrono::milliseconds kLoanBound{10000};
    // How often the user-interface thread looks for the calls a job posts and for its end.
    static constexpr std::chrono::milliseconds kUiPoll{10};

    // `port` is the selected meter's (null: none). Nothing is borrowed before the first run().
    CardLink(AcquisitionShared& shared, SerialPort* port);
    // Hands the port back to the worker, if it was borrowed.
    ~CardLink();
    CardLink(const CardLink&) = delete;
    CardLink& operator=(const CardLink&) = delete;

    // User-interface thread. Runs `job` with the port on a thread of its own and returns once it
    // ended; meanwhile this thread handles its events (repaints, clicks) and runs the calls the
    // job posts, in order. The first run borrows the port. False, and `job` not run, when there
    // is no port, a run is already in progress, the acquisition was not Idle, or the worker did
    // not lend the port within kLoanBound.
    [[nodiscard]] bool run(const std::function<void(SerialPort&)>& job);
    [[nodiscard]] bool busy() const { return m_busy; }

    // Job thread: queues `call` for the user-interface thread.
    void post(std::function<void()> call);
    // Job thread: runs `call` on the user-interface thread and returns once it has run.
    void callOnUi(std::function<void()> call);

private:
    enum class Loan { NotAsked, Refused, Lent };

    // User-interface thread: runs the calls queued so far, oldest first; true once the job
    // has ended and every call it queued has run.
    bool runPosted();

    AcquisitionShared& m_shared;
    SerialPort* const m_port;
    Loan m_loan = Loan::NotAsked;  // user-interface thread only
    bool m_busy = false;           // user-interface thread only
    bool m_running = false;        // in runPosted(), which a call's nested event loop re-enters

    std::mutex m_mutex;  // protects m_calls, m_ran and m_jobEnded
    // Signalled under m_mutex when m_ran grows; callOnUi waits on it.
    std::condition_variable m_ranSignal;
    std::deque<std::function<void()>> m_calls;
    std::uint64_t m_ran = 0;  // calls run so far
    bool m_jobEnded = false;
};

}  // namespace voltaris
