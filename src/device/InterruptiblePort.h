// A port that stops waiting on a quiet line once its owner says so. The acquisition worker
// talks to the meter through one, so that closing the program never waits out the empty-read
// budget of a meter that stopped half-way through a bulk transfer (1000 reads of about a
// second each, some 17 minutes).
#pragma once

#include <functional>
#include <string>

#include "device/SerialPort.h"

namespace voltaris {

class InterruptiblePort final : public SerialPort {
public:
    // `inner` must outlive this object; `interrupted` is called before every read, from the
    // thread that uses the port.
    InterruptiblePort(SerialPort& inner, std::function<bool()> interrupted);

    // Passed through: a command written while closing (the meter's reset) still reaches it.
    [[nodiscard]] PortIo write(const void* data, std::size_t count) override;
    // Reads while the meter keeps sending, so an exchange in progress still completes. Once a
    // read comes back empty after the interruption, every later read returns at once with
    // nothing, as a read that timed out would: the exchange fails through its usual path.
    [[nodiscard]] PortIo read(void* buffer, std::size_t count) override;
    // Passed through: it never waits.
    std::size_t discardInput() override { return m_inner.discardInput(); }
    // The inner port belongs to its owner: it stays open.
    void close() override {}
    [[nodiscard]] bool linkLost() const override { return m_inner.linkLost(); }
    // Reopens the inner port; the interruption, once it happened, still holds.
    [[nodiscard]] bool reopen() override { return m_inner.reopen(); }
    [[nodiscard]] std::string name() const override { return m_inner.name(); }

private:
    SerialPort& m_inner;
    std::function<bool()> m_interrupted;
    bool m_gaveUp = false;  // interrupted and the line went quiet
};

}  // namespace voltaris
