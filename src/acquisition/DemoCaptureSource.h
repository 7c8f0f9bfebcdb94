// Demonstration mode as a capture source: every armed capture completes after the time the
// meter would take (20 ms a period) with synthetic signals from the demonstration generator.
#pragma once

#include <chrono>
#include <optional>

#include "acquisition/CaptureSource.h"
#include "acquisition/DemoSignalGenerator.h"

namespace voltaris {

class DemoCaptureSource final : public CaptureSource {
public:
    [[nodiscard]] bool arm(const AcqRequest& request) override;
    // Waiting until the capture time since the arming has passed, then Complete.
    [[nodiscard]] CapturePoll poll(const AcqRequest& request) override;
    [[nodiscard]] bool transfer(const AcqRequest& request, AcquisitionShared& shared) override;
    // Nothing to write to: always stored.
    [[nodiscard]] bool storeCalibration(const CalibrationParams& calibration,
                                        bool factory) override;

private:
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> m_readyAt;  // when the armed capture completes
    DemoSignalGenerator m_generator;  // never seeded: every run gives the same signals
};

}  // namespace voltaris
