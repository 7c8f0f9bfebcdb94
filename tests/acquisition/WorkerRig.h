// A worker with its shared blocks and a recording observer, stopped when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "RecordingObserver.h"
#include "acquisition/AcquisitionShared.h"
#include "acquisition/AcquisitionWorker.h"

namespace voltaris::test {

struct WorkerRig {
    WorkerRig() : shared(std::make_shared<AcquisitionShared>()) {}
    ~WorkerRig() {
        if (worker) {
            worker->stop();
        }
    }

    // Runs the worker over `source` (a meter source when none was set).
    [[nodiscard]] bool start() {
        worker = std::make_unique<AcquisitionWorker>(shared, observer, std::move(source));
        return worker->start();
    }

    [[nodiscard]] CaptureBuffer capture() const {
        auto buffer = std::make_unique<CaptureBuffer>();
        shared->copyCapture(*buffer);
        return *buffer;
    }

    // Waits until the worker has seen the Idle state set before the call: a phase 0 posted
    // after those already recorded.
    [[nodiscard]] bool waitForIdlePhase() {
        return observer.waitForPhase(WorkerPhaseStopped, observer.phaseCount(WorkerPhaseStopped));
    }

    std::shared_ptr<AcquisitionShared> shared;
    std::unique_ptr<CaptureSource> source;
    RecordingObserver observer;  // outlives the worker
    std::unique_ptr<AcquisitionWorker> worker;
};

}  // namespace voltaris::test
