// The borrowed port and the thread of each file-service job.
#include "files/CardLink.h"

#include <QEventLoop>
#include <QTimer>
#include <thread>

#include "acquisition/AcquisitionShared.h"
#include "infra/Log.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

}  // namespace

CardLink::CardLink(AcquisitionShared& shared, SerialPort* port) : m_shared(shared), m_port(port) {}

CardLink::~CardLink() {
    if (m_loan == Loan::Lent) {
        // No job runs any more (run() joined its thread): the worker may take the port back.
        m_shared.returnPort();
        LogMessage(kLogModule, LogInfo, "Port rendu a l'acquisition");
    }
}

bool CardLink::run(const std::function<void(SerialPort&)>& job) {
    if (m_port == nullptr || m_busy || m_loan == Loan::Refused) {
        return false;
    }
    const bool borrow = m_loan == Loan::NotAsked;
    if (borrow && !m_shared.requestPortLoan()) {
        return false;  // the acquisition is not Idle
    }
    m_busy = true;
    {
        std::lock_guard lock(m_mutex);
        m_jobEnded = false;
    }
    bool lent = !borrow;  // read after the join
    std::thread thread([&] {
        // The worker lends the port between two iterations; this thread, not the window,
        // waits for that.
        if (borrow) {
            lent = m_shared.waitForPortLoan(kLoanBound);
        }
        if (lent) {
            job(*m_port);
        }
        std::lock_guard lock(m_mutex);
        m_jobEnded = true;
    });

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kUiPoll);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (runPosted()) {
            loop.quit();
        }
    });
    poll.start();
    if (!runPosted()) {
        loop.exec();
    }
    poll.stop();
    thread.join();
    (void)runPosted();
    m_busy = false;

    if (borrow) {
        if (lent) {
            m_loan = Loan::Lent;
            LogMessage(kLogModule, LogInfo, "Port prete au service de fichiers");
        } else {
            m_loan = Loan::Refused;
            m_shared.returnPort();  // withdraws the request the worker did not answer
            LogMessage(kLogModule, LogError, "Port non prete par l'acquisition");
        }
    }
    return lent;
}

bool CardLink::runPosted() {
    if (m_running) {
        return false;  // a call's own event loop (a message box) must not run the next ones
    }
    m_running = true;
    bool ended = false;
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(m_mutex);
            if (m_calls.empty()) {
                ended = m_jobEnded;
                break;
            }
            call = std::move(m_calls.front());
            m_calls.pop_front();
        }
        call();
        {
            std::lock_guard lock(m_mutex);
            ++m_ran;
        }
        m_ranSignal.notify_all();
    }
    m_running = false;
    return ended;
}

void CardLink::post(std::function<void()> call) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
}

void CardLink::callOnUi(std::function<void()> call) {
    std::unique_lock lock(m_mutex);
    m_calls.push_back(std::move(call));
    const std::uint64_t ticket = m_ran + m_calls.size();
    m_ranSignal.wait(lock, [&] { return m_ran >= ticket; });
}

}  // namespace voltaris
