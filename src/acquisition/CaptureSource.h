// Where the acquisition worker's captures come from: the meter over its serial link, the
// demonstration generator, or raw capture files played back. The worker runs the same state
// machine over whichever source it is given (arm, poll, transfer into the capture buffer), so
// the window and every headless command share one capture path.
#pragma once

#include "acquisition/AcqRequest.h"
#include "device/CalibrationParams.h"

namespace voltaris {

class AcquisitionShared;

// What one poll found.
enum class CapturePoll {
    NotReady,  // nothing to report yet: poll again
    Waiting,   // armed, waiting for the trigger
    Complete,  // a capture is ready to be transferred
    Ended,     // the source has no more captures (a replay read its last file)
    Failed,    // no answer: the communication-error path follows
};

// What a source may use of the worker that runs it. Called on the worker thread only.
class SourceHost {
public:
    virtual ~SourceHost() = default;
    [[nodiscard]] virtual AcquisitionShared& shared() = 0;
    // Shows a message and returns once it was dismissed (at once while the program closes).
    virtual void show(const char* text, const char* caption) = 0;
};

// Every call is made on the worker thread, one at a time.
class CaptureSource {
public:
    virtual ~CaptureSource() = default;

    // At the top of every iteration, with the request just copied: a meter source adopts the
    // port the request names here (and loads that meter's calibration).
    virtual void follow(const AcqRequest& request, SourceHost& host) {
        (void)request;
        (void)host;
    }
    // Arms one capture with the request's periods and trigger. False when the source failed:
    // the communication-error path follows.
    [[nodiscard]] virtual bool arm(const AcqRequest& request) = 0;
    [[nodiscard]] virtual CapturePoll poll(const AcqRequest& request) = 0;
    // Reads the complete capture into the shared capture buffer (blocks, samples, mains period,
    // hardware version; the sequence number is the worker's). False when the transfer failed:
    // the buffer may then hold part of it, and the communication-error path follows.
    [[nodiscard]] virtual bool transfer(const AcqRequest& request, AcquisitionShared& shared) = 0;
    // Writes the calibration (the factory one too when `factory`); true when it was stored.
    [[nodiscard]] virtual bool storeCalibration(const CalibrationParams& calibration,
                                                bool factory) = 0;
    // After a communication error: asks the meter to reset itself.
    virtual void reset() {}
    // After the reset's recovery delay, unless the program is closing: empties the line.
    virtual void drain() {}
    // True once the source's link is gone (a hang-up or an I/O error on the port): instead of
    // the reset, the worker reconnects with reconnect() until it succeeds.
    [[nodiscard]] virtual bool linkLost() const { return false; }
    // Closes and reopens the lost link; true once it is open and the meter answered its status.
    [[nodiscard]] virtual bool reconnect() { return false; }
};

}  // namespace voltaris
