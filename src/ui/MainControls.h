// The controls of the main window, created at their places in the window's client area: the
// control panel on the left, the tab control with its chart panes, and the page-specific
// controls on the tab area. Each member notes its control id.
#pragma once

#include <array>
#include <memory>

#include <QSize>

#include "ui/PaneGrid.h"
#include "acquisition/TriggerConditions.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;

namespace voltaris {

class CChartPane;

// Pixel size of the client area: 663 x 419 dialog units.
[[nodiscard]] QSize ClientAreaSize();

// The Calibration page's fields and buttons; hidden until the page is drawn with a capture.
struct CalibrationControls {
    QLabel* hint = nullptr;              // 1083
    QLabel* serialLabel = nullptr;       // 1085 "Serial number"
    QLineEdit* serialNumber = nullptr;   // 1074, read-only
    QLineEdit* factorySerial = nullptr;  // 1076, "/MFG" only
    QLabel* lastLabel = nullptr;         // 1086 "Last calibration"
    QLineEdit* lastCalibration = nullptr;  // 1080, read-only
    QPushButton* storeFactory = nullptr;   // 1082, "/MFG" only
    QLabel* vrmsLabel = nullptr;           // 1087 "Vrms actual (V)"
    QLineEdit* vrmsActual = nullptr;       // 1077, digits only
    QLabel* irmsLabel = nullptr;           // 1088 "Irms actual (mA)"
    QLineEdit* irmsActual = nullptr;       // 1078, digits only
    QPushButton* store = nullptr;          // 1079 "Store calibration"
    QPushButton* restoreFactory = nullptr;  // 1081 "Restore factory calibration"
    QLabel* passwordLabel = nullptr;        // 1092 "Administrator password"
    QLineEdit* password = nullptr;          // 1091, characters hidden

    // Every control but the two factory ones, and those two.
    [[nodiscard]] std::array<QWidget*, 13> common() const;
    [[nodiscard]] std::array<QWidget*, 2> factory() const;
};

struct MainControls {
    QTabWidget* tabs = nullptr;           // 1013, eight pages
    QComboBox* comPort = nullptr;         // 1042
    QPushButton* run = nullptr;           // 1016
    QPushButton* stop = nullptr;          // 1017
    QPushButton* single = nullptr;        // 1018
    CChartPane* statePane = nullptr;      // 1073
    QSlider* periodsSlider = nullptr;     // 1024
    QLineEdit* periodsEdit = nullptr;     // 1025
    QComboBox* uScale = nullptr;          // 1037
    QComboBox* iScale = nullptr;          // 1021
    QComboBox* pScale = nullptr;          // 1022
    QComboBox* filter = nullptr;          // 1029
    QSlider* preTriggerSlider = nullptr;  // 1019
    QLineEdit* preTriggerEdit = nullptr;  // 1038
    // 1020, 1023, 1026, 1061, 1062, 1063, 1027, 1028, indexed by TriggerField.
    std::array<QLineEdit*, kTriggerFieldCount> trigger{};
    QPushButton* ok = nullptr;         // 1065
    QPushButton* zero = nullptr;       // 1064
    QLineEdit* title = nullptr;        // 1071
    QPushButton* exportCsv = nullptr;  // 1069
    QPushButton* report = nullptr;     // 1070
    QPushButton* download = nullptr;   // 1075
    QLabel* logo = nullptr;            // bitmap 135

    // Page-specific controls, hidden whenever the page changes.
    QPushButton* resetStats = nullptr;     // 1060, statistics page
    QComboBox* harmonicsMode = nullptr;    // 1066, harmonics page
    QComboBox* harmonicsCount = nullptr;   // 1067
    QComboBox* harmonicsLimits = nullptr;  // 1068
    QLabel* harmonicsResult = nullptr;     // 1072
    QLabel* initialising = nullptr;        // 1089 "Initialisation on going"
    // The link's state after it dropped, over the foot of the pages; hidden while all is well.
    QLabel* linkStatus = nullptr;
    CalibrationControls calibration;

    std::unique_ptr<PaneGrid> panes;  // 1044..1059
};

// Creates every control on `client` with its caption; lists are left empty and sliders unset
// (start-up fills them). "Export CSV", "Report" and "Download files" start disabled.
[[nodiscard]] MainControls BuildMainControls(QWidget& client);

}  // namespace voltaris
