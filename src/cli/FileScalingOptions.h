// How the samples of raw capture files are scaled. A file holds the samples only, so the gains,
// the mains period and the meter generation come from the command line (`analyze`, and
// `capture --replay`).
#pragma once

#include <QCommandLineOption>
#include <QString>
#include <cstdint>

#include "device/CalibrationParams.h"

class QCommandLineParser;

namespace voltaris::cli {

struct FileScaling {
    float gainV = kDefaultGainV;  // volts per raw unit
    float gainI = kDefaultGainI;  // amperes per raw unit
    std::uint16_t ticks = 20000;  // meter timer ticks per mains period: 50 Hz on a first generation
    std::uint8_t generation = 1;
};

class FileScalingOptions {
public:
    FileScalingOptions();
    void addTo(QCommandLineParser& parser) const;
    // Reads the options given into `scaling`; an error message, empty when all are valid.
    [[nodiscard]] QString read(const QCommandLineParser& parser, FileScaling& scaling) const;

    static constexpr const char* kUsage =
        "[--gain-v G] [--gain-i G] [--ticks T] [--generation 1|2]";

private:
    QCommandLineOption m_gainV;
    QCommandLineOption m_gainI;
    QCommandLineOption m_ticks;
    QCommandLineOption m_generation;
};

}  // namespace voltaris::cli
