// Captures from the meter over its serial link: arming with C, L, T and S, polling the status,
// reading the samples with B and the mains period with F; the calibration of each newly selected
// meter is loaded from its EEPROM.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/CaptureSource.h"
#include "device/InterruptiblePort.h"
#include "device/MeterCommands.h"

namespace voltaris {

class MeterCaptureSource final : public CaptureSource {
public:
    MeterCaptureSource();

    // Adopts the port the request names (it stays owned by the list of detected meters) and
    // loads its calibration, published whole in the request block.
    void follow(const AcqRequest& request, SourceHost& host) override;
    [[nodiscard]] bool arm(const AcqRequest& request) override;
    [[nodiscard]] CapturePoll poll(const AcqRequest& request) override;
    [[nodiscard]] bool transfer(const AcqRequest& request, AcquisitionShared& shared) override;
    [[nodiscard]] bool storeCalibration(const CalibrationParams& calibration,
                                        bool factory) override;
    void reset() override;
    void drain() override;
    [[nodiscard]] bool linkLost() const override;
    [[nodiscard]] bool reconnect() override;

private:
    void adopt(SerialPort* port, SourceHost& host);
    // Sends one arming command; a refusal is logged with `refusedLog` and fails the arming only
    // when `refusalFails`. Returns the outcome; `failed` is set when the arming failed.
    CommandOutcome sendArming(const std::string& command, const char* refusedLog,
                              bool refusalFails, bool& failed);
    [[nodiscard]] int portNumber(const SerialPort* port);

    SerialPort* m_adopted = nullptr;              // port the request named; none at first
    std::unique_ptr<InterruptiblePort> m_link;    // the adopted port, giving up on exit
    std::vector<const SerialPort*> m_knownPorts;  // adopted ports, for their number in the log
    std::optional<int> m_acknowledgedBlocks;      // block count of the last L the meter accepted
    int m_hardwareVersion = 0;                    // from the last status that completed
    int m_unusableStatuses = 0;  // status replies in a row with neither armed nor complete
    std::vector<char> m_reply;  // the largest bulk reply plus its terminating zero
};

}  // namespace voltaris
