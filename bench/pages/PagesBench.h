// Shared fixture of the page benchmarks: an 85-period capture of a distorted supply and a load
// rich in harmonics, analysed as the window analyses it (statistics from a few captures), the
// window's sixteen panes on a plain widget, and loops that draw one page into them or write the
// report images of every built page.
#pragma once

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <QWidget>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "analysis/Measurements.h"
#include "ui/PaneGrid.h"
#include "ui/PaneSink.h"
#include "ui/charts/CChartPane.h"
#include "ui/pages/PageTable.h"

namespace voltaris::bench {

class PagesBench {
public:
    static constexpr std::uint32_t kPeriods = 85;
    static constexpr float kGainV = 0.0222550128f;
    static constexpr float kGainI = 9.5138399e-05f;

    PagesBench() {
        // Four captures whose load grows a little, so that the statistics have a spread; the
        // last one stays in the measurement set.
        for (int capture = 0; capture < 4; ++capture) {
            makeCapture(1.0 + 0.05 * capture);
            const RawCapture raw{m_voltage, m_current, kPeriods + 2, kGainV, kGainI, 20000, 1};
            AnalysisOptions options;
            options.status = AcquisitionStatus::Running;
            m_analysed = DoCalculations(raw, options, *m_measurements, m_statistics) && m_analysed;
        }
        m_selections.scales = {4, 0, 0};  // 400 V, the others automatic
    }

    [[nodiscard]] PageData data() const {
        return {*m_measurements, m_statistics, {}, m_selections};
    }

    // Draws `build` into the panes once per iteration.
    void drawPage(benchmark::State& state, PageBuilder build) {
        if (!m_analysed) {
            state.SkipWithError("capture not analysed");
            return;
        }
        PaneSink sink(m_panes);
        PageTexts texts;
        const PageData input = data();
        for (auto _ : state) {
            const PageOutcome outcome = build(input, sink, texts);
            if (!outcome.drawn || !outcome.ok) {
                state.SkipWithError("page not drawn");
                break;
            }
        }
        state.counters["panes"] = static_cast<double>(panesShown());
    }

    // Writes the report images of every page of the table that has a builder, once per
    // iteration, to files under a temporary folder.
    void writeReportImages(benchmark::State& state) {
        QTemporaryDir folder;
        if (!m_analysed || !folder.isValid()) {
            state.SkipWithError("no capture or no folder");
            return;
        }
        const std::string prefix = folder.filePath("report_").toStdString();
        const PageData input = data();
        std::size_t files = 0;
        for (auto _ : state) {
            FileChartSink sink(prefix);
            PageTexts texts;
            for (const PageDescriptor& page : Pages()) {
                if (page.build != nullptr && !page.build(input, sink, texts).ok) {
                    state.SkipWithError("report image not written");
                    return;
                }
            }
            files = sink.written().size();
        }
        state.counters["files"] = static_cast<double>(files);
    }

private:
    // A distorted 230 V supply and a rectifier-like current with odd harmonics, in raw units.
    void makeCapture(double load) {
        m_voltage.clear();
        m_current.clear();
        std::uint32_t noise = 12345;
        for (std::size_t k = 0; k < (kPeriods + 2) * kSamplesPerPeriod; ++k) {
            const double wt = 2 * std::numbers::pi * static_cast<double>(k) / kSamplesPerPeriod;
            noise = noise * 1103515245u + 12345u;
            const double jitter = static_cast<double>((noise >> 16) & 0xFF) / 255.0 - 0.5;
            const double v = 325 * std::sin(wt) + 10 * std::sin(3 * wt + 0.3) + jitter;
            const double i = load * (2.0 * std::sin(wt - 0.2) + 1.2 * std::sin(3 * wt) +
                                     0.6 * std::sin(5 * wt) + 0.3 * std::sin(7 * wt)) +
                             0.02 * jitter;
            m_voltage.push_back(static_cast<std::int16_t>(std::lround(v / kGainV)));
            m_current.push_back(static_cast<std::int16_t>(std::lround(i / kGainI)));
        }
    }

    [[nodiscard]] int panesShown() const {
        int n = 0;
        for (int id = PaneGrid::kFirstId; id <= PaneGrid::kLastId; ++id) {
            n += m_panes.pane(id).hasImage() ? 1 : 0;
        }
        return n;
    }

    std::vector<std::int16_t> m_voltage;
    std::vector<std::int16_t> m_current;
    std::unique_ptr<MeasurementSet> m_measurements = std::make_unique<MeasurementSet>();
    StatisticsGrid m_statistics;
    PageSelections m_selections;
    bool m_analysed = true;
    QWidget m_client;
    PaneGrid m_panes{m_client};
};

}  // namespace voltaris::bench
