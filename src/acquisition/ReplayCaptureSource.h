// Raw capture files as a capture source: each armed capture is the next file, in the order
// given, so that a command working on files runs the same capture path as one on a meter.
// After the last file the source has ended.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/CaptureSource.h"

namespace voltaris {

class ReplayCaptureSource final : public CaptureSource {
public:
    // What a file does not say: the mains period that comes with each capture (50 Hz with the
    // clock of a first-generation meter by default) and the hardware version.
    struct Settings {
        std::uint16_t mainsPeriodTicks = 20000;
        std::uint16_t hardwareVersion = 0;
    };

    // Checks every file first, so that a bad one is reported before any capture runs; null,
    // with `error` naming the file and the fault, when one is not a capture file.
    [[nodiscard]] static std::unique_ptr<ReplayCaptureSource> open(
        const std::vector<std::string>& paths, std::string& error, Settings settings);

    [[nodiscard]] bool arm(const AcqRequest& request) override;
    // Complete while files remain, then Ended.
    [[nodiscard]] CapturePoll poll(const AcqRequest& request) override;
    // Reads the next file into the buffer; false (logged) when it can no longer be read.
    [[nodiscard]] bool transfer(const AcqRequest& request, AcquisitionShared& shared) override;
    // Files hold no calibration: the new gains apply to the captures that follow.
    [[nodiscard]] bool storeCalibration(const CalibrationParams& calibration,
                                        bool factory) override;

    [[nodiscard]] std::size_t fileCount() const { return m_paths.size(); }

private:
    ReplayCaptureSource(std::vector<std::string> paths, Settings settings);

    const std::vector<std::string> m_paths;
    const Settings m_settings;
    std::size_t m_next = 0;  // index of the file the next transfer reads
};

}  // namespace voltaris
