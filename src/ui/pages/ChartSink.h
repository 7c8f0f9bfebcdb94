// Where a page builder's charts go: the chart panes of the window, or PNG files named after a
// prefix for the report and the headless commands. A builder draws the same charts into either.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace voltaris {

namespace charts {
class Chart;
}

// The sixteen chart panes of the window, 1044 to 1059, shared by every page.
inline constexpr int kFirstPaneId = 1044;
inline constexpr int kLastPaneId = 1059;

class ChartSink {
public:
    virtual ~ChartSink() = default;

    // True for the window's panes: a page also clears the panes it does not use there.
    [[nodiscard]] virtual bool onScreen() const = 0;
    // Shows `chart` in pane `paneId`, or writes it to the file that `fileFormat` (one "%s" for
    // the prefix, as "%sWavePower.png") names. False when it could not be shown or written;
    // the sink has logged why.
    [[nodiscard]] virtual bool put(const charts::Chart& chart, int paneId,
                                   const char* fileFormat) = 0;
    // Clears every pane except those listed; files have nothing to clear.
    virtual void clearOthers(std::initializer_list<int> keep) = 0;
};

// Writes each chart to the file its format names for `prefix` (a folder with its trailing
// separator, possibly followed by the start of a file name).
class FileChartSink final : public ChartSink {
public:
    explicit FileChartSink(std::string prefix) : m_prefix(std::move(prefix)) {}

    [[nodiscard]] bool onScreen() const override { return false; }
    [[nodiscard]] bool put(const charts::Chart& chart, int paneId,
                           const char* fileFormat) override;
    void clearOthers(std::initializer_list<int> keep) override { (void)keep; }

    // Paths of the files written, in order.
    [[nodiscard]] const std::vector<std::string>& written() const { return m_written; }

private:
    const std::string m_prefix;
    std::vector<std::string> m_written;
};

// `format` with its "%s" replaced by `prefix`.
[[nodiscard]] std::string ChartFileName(const char* format, const std::string& prefix);

}  // namespace voltaris
