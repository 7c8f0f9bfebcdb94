// The scaling options of commands that read raw capture files.
#include "cli/FileScalingOptions.h"

#include <QCommandLineParser>
#include <utility>

#include "cli/ArgumentValues.h"

namespace voltaris::cli {

FileScalingOptions::FileScalingOptions()
    : m_gainV("gain-v", "volts per raw unit", "G"),
      m_gainI("gain-i", "amperes per raw unit", "G"),
      m_ticks("ticks", "mains period in meter ticks", "T"),
      m_generation("generation", "meter generation, 1 or 2", "N") {}

void FileScalingOptions::addTo(QCommandLineParser& parser) const {
    parser.addOptions({m_gainV, m_gainI, m_ticks, m_generation});
}

QString FileScalingOptions::read(const QCommandLineParser& parser, FileScaling& s) const {
    for (auto [option, target] : {std::pair{&m_gainV, &s.gainV}, std::pair{&m_gainI, &s.gainI}}) {
        if (parser.isSet(*option)) {
            // Refused as the calibration load refuses a corrupt EEPROM's gains.
            QString error;
            const std::optional<float> gain =
                gainValue(option->names().first(), parser.value(*option), error);
            if (!gain) {
                return error;
            }
            *target = *gain;
        }
    }
    if (parser.isSet(m_ticks)) {
        const auto v = integerIn(parser.value(m_ticks), 0, 65535);
        if (!v) {
            return "--ticks needs an integer from 0 to 65535";
        }
        s.ticks = static_cast<std::uint16_t>(*v);
    }
    if (parser.isSet(m_generation)) {
        const auto v = integerIn(parser.value(m_generation), 1, 2);
        if (!v) {
            return "--generation needs 1 or 2";
        }
        s.generation = static_cast<std::uint8_t>(*v);
    }
    return {};
}

}  // namespace voltaris::cli
