// Writes one PNG of every sample chart into a folder, to look at what the chart layer draws:
// chart_gallery [FOLDER] (default /tmp/charts). Small charts also get a 4x enlarged copy.
#include "ui/StateMeter.h"
#include "ui/charts/SampleCharts.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string folder = argc > 1 ? argv[1] : "/tmp/charts";
    if (!QDir().mkpath(QString::fromStdString(folder))) {
        std::fprintf(stderr, "cannot create %s\n", folder.c_str());
        return 2;
    }
    using namespace voltaris::charts;
    const samples::Waveforms w = samples::makeWaveforms(85);
    const samples::Waveforms few = samples::makeWaveforms(2);
    struct Item {
        const char* name;
        const Chart& chart;
    };
    const XYChart vi = samples::voltageCurrentChart(w);
    const XYChart viAuto = samples::voltageCurrentChart(few, false);
    const XYChart p = samples::powerChart(w);
    const XYChart harm = samples::harmonicsChart(false);
    const XYChart harmLog = samples::harmonicsChart(true);
    const XYChart stats = samples::statBarsChart();
    const XYChart steps = samples::stepChart();
    const XYChart va = samples::vaCurveChart(few);
    const XYChart energy = samples::energyAreaChart();
    const AngularMeter dial = samples::vrmsMeter(231.4);
    const AngularMeter dialHigh = samples::vrmsMeter(450);
    const LinearMeter state = voltaris::MakeStateMeter(2);
    const Item items[] = {{"WaveVoltageCurrent", vi},
                          {"WaveVoltageCurrentAuto", viAuto},
                          {"WavePower", p},
                          {"HarmonicsBars", harm},
                          {"HarmonicsLog", harmLog},
                          {"StatBars", stats},
                          {"StepChart", steps},
                          {"XYCurve", va},
                          {"EnergyArea", energy},
                          {"AngularMeter", dial},
                          {"AngularMeterOver", dialHigh},
                          {"StateMeter", state}};
    int failures = 0;
    for (const Item& item : items) {
        const std::string path = folder + "/" + item.name + ".png";
        if (!item.chart.renderToPng(path)) {
            std::fprintf(stderr, "failed: %s\n", path.c_str());
            ++failures;
            continue;
        }
        if (item.chart.width() < 200) {
            const QImage image = item.chart.render();
            const QImage big =
                image.scaled(image.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            big.save(QString::fromStdString(folder + "/" + item.name + "_x4.png"), "PNG");
        }
    }
    return failures == 0 ? 0 : 1;
}
