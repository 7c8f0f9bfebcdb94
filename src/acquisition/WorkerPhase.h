// What the acquisition worker is doing, as the state meter of the window shows it.
#pragma once

namespace voltaris {

enum WorkerPhase : int {
    WorkerPhaseStopped = 0,       // "STOP"
    WorkerPhaseArming = 1,        // arming the meter
    WorkerPhaseWaiting = 2,       // armed, waiting for the trigger
    WorkerPhaseTransferring = 3,  // capture complete, transferring
};

}  // namespace voltaris
