// The acquisition worker of a capturing command, for the length of its run: the meter selected
// as the window selects it, the request block, the observer the main thread waits on, and
// SIGINT/SIGTERM wired to end the run.
#pragma once

#include <functional>
#include <memory>

#include "acquisition/AcquisitionShared.h"
#include "acquisition/AcquisitionWorker.h"
#include "cli/CaptureObserver.h"
#include "cli/CaptureOrigin.h"
#include "cli/StopSignals.h"

namespace voltaris::cli {

class CaptureSession {
public:
    // Takes the origin's source. `configure` sets the request block (periods, trigger) before
    // the worker starts; replayed files get their scaling here.
    CaptureSession(CaptureOrigin& origin, const OriginRequest& request, StopSignals& stopSignals,
                   const std::function<void(AcquisitionShared&)>& configure);
    // finish(), if it was not called.
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // Starts the worker and waits until it has adopted the port and loaded its calibration;
    // false after printing why after `command`.
    [[nodiscard]] bool start(const char* command);
    // Back to Idle and the worker stopped; a port the worker still uses stays open until the
    // process ends.
    void finish();

    [[nodiscard]] AcquisitionShared& shared() { return *m_shared; }
    [[nodiscard]] CaptureObserver& observer() { return m_observer; }

private:
    CaptureOrigin& m_origin;
    std::shared_ptr<AcquisitionShared> m_shared = std::make_shared<AcquisitionShared>();
    CaptureObserver m_observer{*m_shared};
    std::unique_ptr<AcquisitionWorker> m_worker;
    std::unique_ptr<StopHandler> m_stopHandler;
    bool m_finished = false;
};

}  // namespace voltaris::cli
