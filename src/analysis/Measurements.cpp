// Capture measurements: scaling, filtering, harmonic analysis, alignment to the voltage
// fundamental, totals and per-period series.
#include "analysis/Measurements.h"

#include <algorithm>
#include <cmath>

#include "analysis/EnergySeries.h"
#include "analysis/FirFilter.h"
#include "analysis/Harmonics.h"
#include "analysis/Ratio.h"

namespace voltaris {

namespace {

constexpr double kSamplesPerDegree = 0.7111111111111111;  // 256 / 360
constexpr double kInversePeriod = 0.00390625;             // 1 / 256

bool validFilter(CaptureFilter filter) {
    return captureFilterFromIndex(static_cast<int>(filter)).has_value();
}

void filterChannel(CaptureFilter filter, const SampleArray& in, SampleArray& out, std::size_t n) {
    const std::span<const double> input(in.data(), n);
    const std::span<double> output(out.data(), n);
    switch (filter) {
        case CaptureFilter::None:
            std::copy(input.begin(), input.end(), output.begin());
            break;
        case CaptureFilter::LowPass1k:
            applyFir(lowPass1kCoefficients(), input, output);
            break;
        case CaptureFilter::LowPass2k:
            applyFir(lowPass2kCoefficients(), input, output);
            break;
    }
}

// Moves samples s.. to 0.. for the analysed range; the source always lies in the capture.
void shiftSeries(SampleArray& series, std::size_t shift, std::size_t count) {
    std::copy(series.begin() + static_cast<std::ptrdiff_t>(shift),
              series.begin() + static_cast<std::ptrdiff_t>(shift + count), series.begin());
}

// Peaks and sums of voltage, current and power over a range of samples.
struct SeriesSums {
    double peakV, peakI, peakP;
    double sumV2 = 0, sumI2 = 0, sumP = 0;
};

// One pass over the analysed samples: the per-period series and the totals. Each total sum
// still adds the samples in order; the peaks do not depend on the order.
void computeTotalsAndPeriods(MeasurementSet& m) {
    for (PeriodArray* series : {&m.PeriodVrms, &m.PeriodIrms, &m.PeriodP, &m.PeriodPF,
                                &m.PeriodVpeak, &m.PeriodIpeak, &m.PeriodPpeak}) {
        series->fill(0.0);
    }
    SeriesSums total{-1e19, -1e19, -1e19};
    for (std::size_t l = 0; l < m.PeriodsAnalysed; ++l) {
        const std::size_t first = l * kSamplesPerPeriod;
        const double* v = m.Voltage.data() + first;
        const double* c = m.Current.data() + first;
        const double* p = m.Power.data() + first;
        SeriesSums period{0, 0, 0};
        for (std::size_t i = 0; i < kSamplesPerPeriod; ++i) {
            const double v2 = v[i] * v[i];
            const double i2 = c[i] * c[i];
            period.peakV = std::max(period.peakV, std::fabs(v[i]));
            period.peakI = std::max(period.peakI, std::fabs(c[i]));
            period.peakP = std::max(period.peakP, std::fabs(p[i]));
            period.sumV2 += v2;
            period.sumI2 += i2;
            period.sumP += p[i];
            total.sumV2 += v2;
            total.sumI2 += i2;
            total.sumP += p[i];
        }
        total.peakV = std::max(total.peakV, period.peakV);
        total.peakI = std::max(total.peakI, period.peakI);
        total.peakP = std::max(total.peakP, period.peakP);

        m.PeriodVpeak[l] = period.peakV;
        m.PeriodIpeak[l] = period.peakI;
        m.PeriodPpeak[l] = period.peakP;
        m.PeriodVrms[l] = std::sqrt(period.sumV2 * kInversePeriod);
        m.PeriodIrms[l] = std::sqrt(period.sumI2 * kInversePeriod);
        m.PeriodP[l] = period.sumP * kInversePeriod;
        m.PeriodPF[l] = safeRatio(m.PeriodP[l], m.PeriodVrms[l] * m.PeriodIrms[l]);
    }

    const auto samples = static_cast<double>(m.PeriodsAnalysed * kSamplesPerPeriod);
    m.Vpeak = total.peakV;
    m.Ipeak = total.peakI;
    m.Ppeak = total.peakP;
    m.Vrms = std::sqrt(total.sumV2 / samples);
    m.Irms = std::sqrt(total.sumI2 / samples);
    m.Prms = total.sumP / samples;

    m.Vcrest = safeRatio(m.Vpeak, m.Vrms);
    m.Icrest = safeRatio(m.Ipeak, m.Irms);
    m.Pcrest = safeRatio(m.Ppeak, m.Prms);
    m.S = m.Irms * m.Vrms;
    // Rounding can make S^2 - P^2 slightly negative for a purely resistive load.
    const double q2 = m.S * m.S - m.Prms * m.Prms;
    m.Q = q2 > 0 ? std::sqrt(q2) : 0;
    m.PF = safeRatio(m.Prms, m.S);
}

void accumulateStatistics(const MeasurementSet& m, StatisticsGrid& stats) {
    stats.add(kStatVrms, m.Vrms);
    stats.add(kStatIrms, m.Irms);
    stats.add(kStatPrms, m.Prms);
    stats.add(kStatS, m.S);
    stats.add(kStatVpeak, m.Vpeak);
    stats.add(kStatIpeak, m.Ipeak);
    stats.add(kStatPpeak, m.Ppeak);
    stats.add(kStatQ, m.Q);
    stats.add(kStatVcrest, m.Vcrest);
    stats.add(kStatIcrest, m.Icrest);
    stats.add(kStatPcrest, m.Pcrest);
    stats.add(kStatPF, m.PF);
    stats.add(kStatTHDV, m.THDV);
    stats.add(kStatTHDI, m.THDI);
    stats.add(kStatF, m.F);
}

bool validCapture(const RawCapture& raw) {
    if (raw.blockCount < kMinCaptureBlocks || raw.blockCount > kMaxCaptureBlocks) {
        return false;
    }
    const std::size_t n = std::size_t{raw.blockCount} * kSamplesPerPeriod;
    return raw.voltage.size() >= n && raw.current.size() >= n && std::isfinite(raw.gainV) &&
           std::isfinite(raw.gainI);
}

}  // namespace

std::optional<CaptureFilter> captureFilterFromIndex(int index) {
    switch (index) {
        case 0:
            return CaptureFilter::None;
        case 1:
            return CaptureFilter::LowPass1k;
        case 2:
            return CaptureFilter::LowPass2k;
        default:
            return std::nullopt;
    }
}

double mainsFrequency(std::uint16_t mainsPeriodTicks, std::uint8_t deviceGeneration) {
    if (mainsPeriodTicks == 0) {
        return 0;
    }
    const double clockHz = deviceGeneration == 1 ? 1000000.0 : 1382400.0;
    return clockHz / mainsPeriodTicks;
}

std::size_t alignmentShift(double phaseDegrees) {
    if (!std::isfinite(phaseDegrees)) {
        phaseDegrees = 0;
    }
    phaseDegrees = std::fmod(phaseDegrees, 360.0);
    if (phaseDegrees < 0) {
        phaseDegrees += 360;
    }
    // Truncated toward zero; a phase that rounds up to a whole turn counts as 0.
    auto off = static_cast<std::size_t>(phaseDegrees * kSamplesPerDegree);
    if (off >= kSamplesPerPeriod) {
        off = 0;
    }
    return kSamplesPerPeriod - off;
}

bool scaleCapture(const RawCapture& raw, MeasurementSet& m) {
    if (!validCapture(raw)) {
        return false;
    }
    const std::size_t n = std::size_t{raw.blockCount} * kSamplesPerPeriod;
    const double gainV = raw.gainV;
    const double gainI = raw.gainI;
    for (std::size_t i = 0; i < n; ++i) {
        m.VoltageRaw[i] = raw.voltage[i] * gainV;
        m.CurrentRaw[i] = raw.current[i] * gainI;
    }
    m.PeriodsAnalysed = raw.blockCount - 2;
    m.F = mainsFrequency(raw.mainsPeriodTicks, raw.deviceGeneration);
    return true;
}

bool analyseCapture(MeasurementSet& m, StatisticsGrid& stats, const AnalysisOptions& options) {
    if (!validFilter(options.filter) || m.PeriodsAnalysed < kMinCaptureBlocks - 2 ||
        m.PeriodsAnalysed > kMaxCaptureBlocks - 2) {
        return false;
    }
    const std::size_t n = (m.PeriodsAnalysed + 2) * kSamplesPerPeriod;
    const std::size_t analysed = m.PeriodsAnalysed * kSamplesPerPeriod;

    filterChannel(options.filter, m.VoltageRaw, m.Voltage, n);
    filterChannel(options.filter, m.CurrentRaw, m.Current, n);
    for (std::size_t i = 0; i < n; ++i) {
        m.Power[i] = m.Voltage[i] * m.Current[i];
    }

    // Harmonics of the first (filtered, not yet aligned) period of each channel.
    analysePeriod(std::span<const double, kSamplesPerPeriod>(m.Voltage.data(), kSamplesPerPeriod),
                  m.HarmV, m.PhaseV);
    analysePeriod(std::span<const double, kSamplesPerPeriod>(m.Current.data(), kSamplesPerPeriod),
                  m.HarmI, m.PhaseI);
    const double rawPhaseV1 = m.PhaseV[1];
    referencePhases(m.PhaseV, m.PhaseI);

    // A fundamental A cos(wt + theta) has the raw phase 90 - theta degrees. Moving the series by
    // (180 + phase) degrees makes every capture start at the rising zero crossing of the voltage
    // fundamental, A sin(wt); the shift rounds up to whole samples.
    const std::size_t shift = alignmentShift(180.0 - rawPhaseV1);
    shiftSeries(m.Voltage, shift, analysed);
    shiftSeries(m.Current, shift, analysed);
    shiftSeries(m.Power, shift, analysed);

    computeTotalsAndPeriods(m);

    const DistortionViews v = distortionViews(m.HarmV);
    const DistortionViews i = distortionViews(m.HarmI);
    m.THDV = v.thd;
    m.THDI = i.thd;
    m.HarmVPctRms = v.pctRms;
    m.HarmVPctH1 = v.pctH1;
    m.HarmIPctRms = i.pctRms;
    m.HarmIPctH1 = i.pctH1;

    accumulateStatistics(m, stats);

    if (options.status == AcquisitionStatus::RunRequested ||
        options.status == AcquisitionStatus::Running) {
        addEnergyPoint(m, m.Prms, options.now.value_or(std::chrono::steady_clock::now()));
    }
    return true;
}

bool DoCalculations(const RawCapture& raw, const AnalysisOptions& options, MeasurementSet& m,
                    StatisticsGrid& stats) {
    if (!validFilter(options.filter) || !validCapture(raw)) {
        return false;
    }
    return scaleCapture(raw, m) && analyseCapture(m, stats, options);
}

}  // namespace voltaris
