// Building the acquisition-state meter.
#include "ui/StateMeter.h"

namespace voltaris {

charts::LinearMeter MakeStateMeter(int state) {
    using namespace charts;
    LinearMeter meter(kStateMeterWidth, kStateMeterHeight, metalColor(0xdddddd, 90), 0x000000, -1);
    meter.setMeter(2, 2, 136, 16, kBottomCenter, false);
    meter.setScale(0, 4, 0, 0, 0);
    meter.addZone(3, 4, 0x20ff20, "TRF");
    meter.addZone(2, 3, 0xff4040, "ACQ");
    meter.addZone(1, 2, 0xffff20, "ARM");
    meter.addZone(0, 1, 0xe0e0e0, "STOP");
    // Blank labels at every unit keep the scale free of numbers.
    for (int position = 0; position <= 4; ++position) {
        meter.addLabel(position, " ");
    }
    meter.addPointer(state + 0.5, 0x800000ff, kDefault)
        .setShape(kTriangularPointer, kNoValue, kNoValue);
    return meter;
}

}  // namespace voltaris
