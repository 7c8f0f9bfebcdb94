// The page table.
#include "ui/pages/PageTable.h"

#include "StringTable.h"
#include "ui/pages/CalibrationPage.h"
#include "ui/pages/EnergyPage.h"
#include "ui/pages/HarmonicsPage.h"
#include "ui/pages/MeasurementsPage.h"
#include "ui/pages/StatisticsPage.h"
#include "ui/pages/TransientPage.h"
#include "ui/pages/VAGraphPage.h"
#include "ui/pages/WaveformsPage.h"

namespace voltaris {

namespace {

constexpr PageDescriptor kPages[] = {
    {kStrTabWaveforms, "Waveforms", DrawChartWaveforms, 0},
    {kStrTabMeasurements, "Measurements", DrawChartMeasure, 0},
    {kStrTabStatistics, "Statistics", DrawChartStatistics, kResetStatsControl},
    {kStrTabTransient, "Transient analysis", DrawChartInrush, 0},
    {kStrTabHarmonics, "Harmonic analysis", DrawChartHarmonics, kHarmonicsPageControls},
    {kStrTabVaGraph, "VA graph", DrawChartVAGraph, 0},
    {kStrTabEnergy, "Energy", DrawChartLogging, 0},
    {kStrTabCalibration, "Calibration", DrawChartCalibration,
     kCalibrationControl | kFactoryCalibrationControl},
};

}  // namespace

std::span<const PageDescriptor> Pages() {
    return kPages;
}

const PageDescriptor* FindPage(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= std::size(kPages)) {
        return nullptr;
    }
    return &kPages[index];
}

}  // namespace voltaris
