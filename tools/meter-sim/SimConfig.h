// Settings of the simulated meter: the signals it measures, its generation and hardware version,
// and the faults it can be told to show on its serial link.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace voltaris::sim {

// The mains signals seen by the meter's inputs. voltageRms and currentRms are the RMS values of
// the whole signal (fundamental plus harmonics, without noise); each harmonic is given as
// (order, fraction of the fundamental's amplitude) and starts in phase with its fundamental.
struct Waveform {
    double frequencyHz = 50;
    double voltageRms = 230;
    double currentRms = 1;
    double currentPhaseDeg = 0;  // positive: the current lags the voltage
    std::vector<std::pair<int, double>> voltageHarmonics;
    std::vector<std::pair<int, double>> currentHarmonics;
    double voltageNoise = 0;  // raw units, uniform within +/- this peak
    double currentNoise = 0;  // raw units, uniform within +/- this peak
};

// Misbehaviours of the link, switchable at any time.
struct Faults {
    bool silent = false;        // no reply at all
    bool noTerminator = false;  // text replies lose their final '>'
    bool garbage = false;       // text replies replaced by garbage of the same length
    int cutBulkAt = -1;         // B and X replies stop after this many bytes (-1: whole)
    // X replies for block number cutLogBlock (of any file) stop after cutLogBlockAt bytes.
    int cutLogBlock = -1;
    int cutLogBlockAt = 0;
    bool refuseL = false;       // L answers "<N>"
    bool refuseT = false;       // T answers "<N>"
    bool refuseS = false;       // S answers "<N>" and does not arm
    bool refuseW = false;       // W answers "<N>" and writes nothing
    int lateBytesMs = 0;        // delay before every reply
    bool noSdCard = false;      // U, X and Y answer "<Z>"
    int failEepromReadAt = -1;  // V of this address gets no reply
    // Command letters (the character after '<': '?', 'C', 'L', 'T', 'S', 'B', 'F', 'V', 'W',
    // 'R', 'U', 'X', 'Y', 'M', 'E') that get no reply at all; like `silent`, the meter hears
    // them (they are recorded) but does not carry them out. Other commands are answered.
    std::string silentOn = {};
    bool refuseV = false;  // V answers "<N>"
    // Every reply is replaced by 1..64 random bytes (any value, NUL and '>' included), drawn
    // from a generator seeded with noiseSeed each time noise is switched on or the seed changes.
    bool noise = false;
    int noiseSeed = 1;
    // Every reply ten times as long: a text reply "<body>" becomes "<" + body x 10 + ">"; a B or
    // X reply (after cutBulkAt/cutLogBlock) is sent ten times back to back.
    bool longReplies = false;
};

struct Config {
    int generation = 1;        // 1 or 2
    int hardwareVersion = -1;  // byte shown at status 16-17; -1: 0x02 for gen 1, 0x12 for gen 2
    char generationDigit = 0;  // when set, overrides status position 16 (e.g. '2')
    bool paced = false;        // send at 460800 baud 8N1, that is 46080 bytes/s
    Waveform waveform;
    bool triggerAlwaysHolds = true;  // initial trigger condition; see setTriggerHolds()
    // Volts and amperes per raw unit of the meter's own input stages. 0: the gains in its
    // EEPROM, a meter that is exactly calibrated whatever is stored. Set them to model a meter
    // whose stored calibration is off, as a recalibration against a reference corrects.
    float inputGainV = 0;
    float inputGainI = 0;
    // When set, start() makes this path a symbolic link to the terminal's slave side and
    // restoreLink() points it at each new terminal, as the device path of a Bluetooth link that
    // drops and comes back. An existing symbolic link there is replaced; anything else is not.
    std::string linkPath;
};

}  // namespace voltaris::sim
