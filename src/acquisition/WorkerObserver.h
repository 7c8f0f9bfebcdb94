// How the acquisition worker tells its owner what happened. The window forwards each call to
// its own thread with queued calls, keeping their order; the command-line tool handles them
// directly.
#pragma once

#include <string>

namespace voltaris {

// Every call except stopping() is made on the worker thread, one at a time and in the order of
// the events (phase 3 comes before the capture-read that ends the same transfer). None is made
// once AcquisitionWorker::stop() has returned.
class WorkerObserver {
public:
    virtual ~WorkerObserver() = default;

    // The worker phase (WorkerPhase) has just been stored; also re-sent about every 10 ms while
    // idle.
    virtual void phaseChanged(int phase) = 0;

    // A capture was read into the shared capture buffer, with the next sequence number.
    // `transferred` is false when the sample transfer or the mains-period read failed: the
    // buffer then holds no whole capture (sequence 0) and a communication error follows. The
    // worker arms the next capture as soon as this returns, so an observer that keeps every
    // capture copies it here (CaptureHandOver).
    virtual void captureRead(bool transferred) = 0;

    // The capture source has no more captures (a replay read its last file); the request is
    // Idle again.
    virtual void sourceEnded() {}

    // The link to the meter was lost (`lost`: a hang-up or an I/O error on the port; the worker
    // reconnects every two seconds and resumes a run by itself) or is back (the meter answered
    // its status again). Not a box: nothing waits for the user.
    virtual void linkChanged(bool lost) { (void)lost; }

    // Shows a message with an OK button (empty caption: none) and returns once the user has
    // dismissed it; the worker waits meanwhile. After stopping() it must return promptly.
    virtual void showMessage(const std::string& text, const std::string& caption) = 0;

    // Called by AcquisitionWorker::stop() on the stopping thread, before it waits for the
    // worker: a showMessage() in progress must return now (the application is closing), or
    // the worker cannot end within the stop bound.
    virtual void stopping() = 0;
};

}  // namespace voltaris
