// Charts built the way the application's pages build them, on synthetic mains data.
#include "ui/charts/SampleCharts.h"

#include "ui/charts/LabelFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace voltaris::charts::samples {
namespace {

constexpr int kSamplesPerPeriod = 256;

// Common frame of the 700 x 280 waveform charts.
XYChart waveFrame() {
    // Written with the plain numbers of the page descriptions: -1 for the default colour.
    XYChart chart(700, 280, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(40, 30, 620, 220, 0xFFFFFF, -1, -1, 0xCCCCCC, 0xCCCCCC);
    chart.addLegend(50, 2, false, "arialbd.ttf", 9).setBackground(0xFF000000, -1, 0);
    return chart;
}

}  // namespace

Waveforms makeWaveforms(int periods) {
    Waveforms w;
    const std::size_t n = static_cast<std::size_t>(periods) * kSamplesPerPeriod;
    w.voltage.resize(n);
    w.current.resize(n);
    w.power.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2 * M_PI * static_cast<double>(i) / kSamplesPerPeriod;
        w.voltage[i] = 325.27 * std::sin(t);
        w.current[i] = 1.5 * std::sin(t - M_PI / 6) + 0.3 * std::sin(3 * t);
        w.power[i] = w.voltage[i] * w.current[i];
    }
    return w;
}

XYChart voltageCurrentChart(const Waveforms& w, bool fixedScales) {
    XYChart chart = waveFrame();
    chart.yAxis().setColors(0x008000, 0x008000, 0x008000, -1);
    chart.yAxis2().setColors(0xC00000, 0xC00000, 0xC00000, -1);
    LineLayer& layer = chart.addLineLayer();
    layer.setLineWidth(2);
    if (fixedScales) {
        chart.yAxis().setLinearScale(-400, 400, 100, 0);
        chart.yAxis2().setLinearScale(-2, 2, 0.5, 0);
    }
    layer.addDataSet(w.voltage, 0x008000, "Voltage (V)");
    layer.addDataSet(w.current, 0xC00000, "Current (A)").setUseYAxis2();
    return chart;
}

XYChart powerChart(const Waveforms& w, bool fixedScales) {
    XYChart chart = waveFrame();
    chart.yAxis().setColors(0x000080, 0x000080, 0x000080, kDefault);
    LineLayer& layer = chart.addLineLayer();
    layer.setLineWidth(2);
    if (fixedScales) {
        chart.yAxis().setLinearScale(-500, 500, 100, 0);
    }
    layer.addDataSet(w.power, 0x0000FF, "Power (W)");
    return chart;
}

XYChart harmonicsChart(bool logarithmic) {
    constexpr int kOrders = 14;
    std::array<double, kOrders> values{};
    std::array<double, kOrders> phases{};
    std::array<double, kOrders> limits{};
    std::array<Color, kOrders> colors{};
    std::vector<std::string> labels;
    for (int h = 0; h < kOrders; ++h) {
        values[h] = h == 1 ? 100.0 : (h % 2 == 1 ? 60.0 / h : 0.4 / (h + 1));
        phases[h] = -30.0 * h;
        limits[h] = h == 5 ? 8.0 : (h % 2 == 1 ? 80.0 / h : 2.0);
        const bool failing = logarithmic && values[h] > limits[h] && h > 1;
        colors[h] = failing ? 0xFF2020 : 0x20FF20;
        labels.push_back(h == 0 ? "D" : (h % 2 == 1 ? "H" + std::to_string(h) : ""));
    }
    XYChart chart(630, 286, 0xEEEEFF, 0, 1);
    chart.setPlotArea(55, 15, 560, 245, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    if (logarithmic) {
        chart.yAxis().setLogScale(0, 100);
    } else {
        chart.yAxis().setLinearScale(0, 100);
    }
    chart.yAxis().setTitle(logarithmic ? "I (%H1)" : "V (%H1)", "arialbd.ttf", 9, kTextColor);
    chart.yAxis().setAutoScale(0.15, 0.1, 0.8);
    BarLayer& layer = chart.addBarLayer3(values, colors);
    layer.setBorderColor(kDefault, 1);
    if (logarithmic) {
        layer.addDataSet(limits, 0x04FFC0C0);
    }
    layer.setOverlapRatio(0.7);
    layer.addExtraField(phases);
    layer.setBarGap(0.1);
    if (!logarithmic) {
        layer.setAggregateLabelFormat("{value|2}%\n{field0|1}°");
        layer.setAggregateLabelStyle("arialbd.ttf", 7, 0x663300, 0);
    }
    chart.xAxis().setLabels(labels).setFontStyle("arialbd.ttf").setFontSize(8);
    return chart;
}

XYChart statBarsChart() {
    const std::array<double, 5> values = {221.4, 226.0, 229.5, 233.0, 238.9};
    XYChart chart(145, 145, 0xEEEEFF, 0x000000, 1);
    chart.addTitle("Vrms (V)", "arialbi.ttf", 12, kTextColor, kTransparent, kTransparent);
    chart.setPlotArea(43, 38, 66, 80, kTransparent, kTransparent, kTransparent, kTransparent,
                      kTransparent);
    chart.yAxis().setLinearScale(0, 400, 0, 0);
    BarLayer& layer = chart.addBarLayer(values, 0x008000);
    chart.swapXY();
    layer.setBarGap(0.1);
    layer.setAggregateLabelFormat("{value|3 }");
    layer.setAggregateLabelStyle("ariali.ttf", 9, 0x443300, 0);
    chart.xAxis().setLabels({"Min", "--Sdev", "Avg", "+Sdev", "Max"}).setFontStyle("ariali.ttf");
    chart.xAxis().setColors(kTransparent, 0x443300, kDefault, kDefault);
    chart.yAxis().setColors(kTransparent, kTransparent, kDefault, kDefault);
    return chart;
}

XYChart stepChart() {
    const std::array<double, 10> peak = {520, 410, 380, 350, 340, 335, 333, 332, 331, 331};
    const std::array<double, 10> rms = {300, 250, 235, 231, 230, 230, 230, 230, 230, 230};
    XYChart chart(700, 140, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(30, 30, 660, 95, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.addLegend(55, 0, false, "arialbd.ttf", 9).setBackground(kTransparent, kDefault, 0);
    chart.yAxis().setLinearScale(0, 600, 0, 0);
    chart.addStepLineLayer(peak, 0xFF0000, "Vpeak (V)").setLineWidth(2);
    chart.addStepLineLayer(rms, 0x0000FF, "Vrms (V)").setLineWidth(2);
    return chart;
}

XYChart vaCurveChart(const Waveforms& w) {
    XYChart chart(700, 600, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(70, 30, 600, 510, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.yAxis().setTitle("I (A)", "arialbi.ttf", 12);
    chart.xAxis().setTitle("V (V)", "arialbi.ttf", 12);
    chart.xAxis().setLinearScale(-400, 400, 100);
    chart.yAxis().setLinearScale(-2, 2, 0.5);
    LineLayer& layer = chart.addLineLayer(w.current, 0xFF3333);
    layer.setXData(w.voltage);
    layer.setLineWidth(2);
    return chart;
}

XYChart energyAreaChart() {
    std::vector<double> time(500, 0.0);
    std::vector<double> energy(500, 0.0);
    for (int i = 300; i < 500; ++i) {
        time[i] = (i - 300) * 2.0;
        energy[i] = energy[i - 1] + 100.0 * 2.0 / 3600.0;
    }
    XYChart chart(700, 280, 0xEEEEFF, 0x000000, 1);
    chart.setPlotArea(60, 30, 620, 210, 0xFFFFFF, kDefault, kDefault, 0xCCCCCC, 0xCCCCCC);
    chart.addLegend(50, 2, false, "arialbd.ttf", 9).setBackground(kTransparent, kDefault, 0);
    chart.yAxis().setColors(0xC00000, 0xC00000, 0xC00000, kDefault);
    AreaLayer& layer = chart.addAreaLayer2(CombineMethod::Stack);
    layer.setLineWidth(2);
    const std::string name = "Energy (Wh), total = " + formatNumber(energy[499], 6) + " W";
    layer.addDataSet(energy, 0xC00000, name);
    layer.setXData(time);
    layer.addCustomDataLabel(0, 499, "End", "arialbd.ttf", 8, kTextColor, 0);
    chart.xAxis().setTitle("Seconds", {}, 8, kTextColor);
    return chart;
}

AngularMeter vrmsMeter(double value) {
    constexpr double kMin = 0;
    constexpr double kMax = 400;
    AngularMeter meter(145, 145, metalColor(0xDDDDDD, 90), 0x000000, -2);
    meter.setMeter(15, 130, 120, 90, 0);
    meter.addText(5, 112, "Vrms (V)", "arialbd.ttf", 12, 0xFFFF0002, kLeft, 0);
    meter.addText(135, 7, formatValue(value, "1"), "arial.ttf", 11, 0xFFFFFF, kTopRight, 0)
        .setBackground(0x000000, 0x000000, -1);
    meter.setScale(kMin, kMax, 100, 25, 0);
    meter.addZone(0, 90, 0xFF3333, 0x808080);
    meter.addZone(350, kMax, 0xFF3333, 0x808080);
    meter.addPointer(std::clamp(value, kMin, kMax), 0xC0000000, kDefault);
    return meter;
}

}  // namespace voltaris::charts::samples
