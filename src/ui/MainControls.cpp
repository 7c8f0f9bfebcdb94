// Creation and placement of the main window's controls.
#include "ui/MainControls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QTabWidget>

#include "ui/DialogUnits.h"
#include "ui/charts/CChartPane.h"

namespace voltaris {

namespace {

constexpr double kEditHeight = 12;
constexpr double kListHeight = 12.5;
constexpr double kLabelHeight = 9;

template <class W>
W* place(W* widget, double x, double y, double width, double height) {
    widget->setGeometry(dlu::rect(x, y, width, height));
    return widget;
}

void group(QWidget& client, const char* caption, double x, double y, double width, double height) {
    place(new QGroupBox(caption, &client), x, y, width, height);
}

QLabel* label(QWidget& client, const char* text, double x, double y, double width) {
    return place(new QLabel(text, &client), x, y, width, kLabelHeight);
}

QPushButton* button(QWidget& client, const char* caption, double x, double y, double width,
                    double height) {
    auto* b = place(new QPushButton(caption, &client), x, y, width, height);
    // Enter never presses a button of this window.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QComboBox* list(QWidget& client, double x, double y, double width) {
    return place(new QComboBox(&client), x, y, width, kListHeight);
}

QLineEdit* edit(QWidget& client, double x, double y, double width) {
    return place(new QLineEdit(&client), x, y, width, kEditHeight);
}

QLineEdit* numberEdit(QWidget& client, double x, double y, double width) {
    QLineEdit* e = edit(client, x, y, width);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
    return e;
}

QSlider* slider(QWidget& client, double x, double y, double width) {
    auto* s = place(new QSlider(Qt::Horizontal, &client), x, y, width, 14);
    s->setTickPosition(QSlider::NoTicks);
    return s;
}

// One row of the trigger conditions: an edit, the label, and an edit after it when the row
// has an upper limit.
void triggerRow(QWidget& client, MainControls& c, double y, const char* caption, TriggerField low,
                int high) {
    c.trigger[low] = edit(client, 21, y, 30);
    label(client, caption, 53, y + 2, 35);
    if (high >= 0) {
        c.trigger[static_cast<std::size_t>(high)] = edit(client, 90, y, 30);
    }
}

// The Calibration page's controls, in the middle of the tab area, right of its two dials.
CalibrationControls calibrationControls(QWidget& client) {
    constexpr double kLabelX = 290;
    constexpr double kEditX = 395;
    constexpr double kFactoryX = 465;
    CalibrationControls k;
    k.hint = label(client, "Calibration allowed only with more than 50 periods, Single, "
                           "Vrms>100V, Irms>1A", 200, 40, 400);
    k.hint->setAlignment(Qt::AlignHCenter);
    k.serialLabel = label(client, "Serial number", kLabelX, 72, 100);
    k.serialNumber = edit(client, kEditX, 70, 60);
    k.factorySerial = numberEdit(client, kFactoryX, 70, 60);
    k.lastLabel = label(client, "Last calibration", kLabelX, 90, 100);
    k.lastCalibration = edit(client, kEditX, 88, 60);
    k.storeFactory = button(client, "Store factory calibration", kFactoryX, 87, 95, 14);
    k.vrmsLabel = label(client, "Vrms actual (V)", kLabelX, 122, 100);
    k.vrmsActual = numberEdit(client, kEditX, 120, 60);
    k.irmsLabel = label(client, "Irms actual (mA)", kLabelX, 140, 100);
    k.irmsActual = numberEdit(client, kEditX, 138, 60);
    k.passwordLabel = label(client, "Administrator password", kLabelX, 158, 100);
    k.password = edit(client, kEditX, 156, 60);
    k.password->setEchoMode(QLineEdit::Password);
    k.store = button(client, "Store calibration", kLabelX, 180, 80, 15);
    k.restoreFactory = button(client, "Restore factory calibration", kEditX, 180, 100, 15);
    for (QLineEdit* e : {k.serialNumber, k.lastCalibration}) {
        e->setReadOnly(true);
    }
    for (QLineEdit* e : {k.serialNumber, k.factorySerial, k.vrmsActual, k.irmsActual}) {
        e->setText("0");
    }
    for (QWidget* w : k.common()) {
        w->hide();
    }
    for (QWidget* w : k.factory()) {
        w->hide();
    }
    return k;
}

}  // namespace

std::array<QWidget*, 13> CalibrationControls::common() const {
    return {hint,      serialLabel, lastLabel,    vrmsLabel,       irmsLabel,
            passwordLabel, password, serialNumber, lastCalibration, vrmsActual,
            irmsActual,    store,    restoreFactory};
}

std::array<QWidget*, 2> CalibrationControls::factory() const {
    return {factorySerial, storeFactory};
}

QSize ClientAreaSize() {
    return dlu::size(663, 419);
}

MainControls BuildMainControls(QWidget& client) {
    MainControls c;
    // Group boxes first, so that everything else lies above them.
    group(client, "Interface", 16, 4, 120, 29);
    group(client, "Control", 16, 33, 120, 54);
    group(client, "Periods count", 16, 89, 120, 32);
    group(client, "Scales", 16, 125, 120, 80);
    group(client, "Pre-trigger", 16, 207, 120, 30);
    group(client, "Trigger conditions", 16, 242, 120, 98);

    c.tabs = place(new QTabWidget(&client), 150, 7, 506, 405);

    label(client, "COM port", 23, 15, 36);
    c.comPort = list(client, 60, 13, 70);

    c.stop = button(client, "Stop", 31, 44, 27, 19);
    c.single = button(client, "Single", 62, 44, 27, 19);
    c.run = button(client, "Run", 95, 44, 27, 19);
    c.statePane = new CChartPane(&client);
    c.statePane->setObjectName("pane1073");
    c.statePane->move(dlu::point(30, 67));

    c.periodsSlider = slider(client, 21, 101, 78);
    c.periodsEdit = numberEdit(client, 103, 102, 26);

    label(client, "U", 24, 139, 20);
    c.uScale = list(client, 50, 136, 78);
    label(client, "I", 24, 155, 20);
    c.iScale = list(client, 50, 152, 78);
    label(client, "P", 24, 171, 20);
    c.pScale = list(client, 50, 168, 78);
    label(client, "Filter", 24, 187, 24);
    c.filter = list(client, 50, 184, 78);

    c.preTriggerSlider = slider(client, 21, 219, 78);
    c.preTriggerEdit = numberEdit(client, 103, 220, 26);

    triggerRow(client, c, 254, "< Urms <", kUrmsLow, kUrmsHigh);
    triggerRow(client, c, 269, "< Irms  <", kIrmsLow, kIrmsHigh);
    triggerRow(client, c, 284, "< Prms <", kPrmsLow, kPrmsHigh);
    triggerRow(client, c, 299, "< Upeak", kUpeakMax, -1);
    triggerRow(client, c, 314, "< Ipeak", kIpeakMax, -1);
    c.ok = button(client, "Ok", 106, 309, 24, 13);
    c.zero = button(client, "Zero", 106, 324, 24, 13);

    label(client, "Title", 16, 345, 18);
    c.title = edit(client, 35, 343, 94);
    c.exportCsv = button(client, "Export CSV", 25, 357, 46, 15);
    c.report = button(client, "Report", 77, 357, 46, 15);
    c.download = button(client, "Download files", 25, 375, 98, 15);
    for (QPushButton* b : {c.exportCsv, c.report, c.download}) {
        b->setEnabled(false);
    }
    c.logo = new QLabel(&client);
    c.logo->setPixmap(QPixmap(":/voltaris/voltaris_logo.png"));
    c.logo->move(dlu::point(44, 394));
    c.logo->adjustSize();

    // Panes above the tab control, page-specific controls above the panes.
    c.panes = std::make_unique<PaneGrid>(client);
    c.harmonicsMode = list(client, 592, 34, 59);
    c.harmonicsCount = list(client, 592, 49, 59);
    c.harmonicsLimits = list(client, 592, 64, 59);
    c.harmonicsResult = place(new QLabel(&client), 592, 215, 56, 39);
    c.harmonicsResult->setWordWrap(true);
    c.harmonicsResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.resetStats = button(client, "Reset stats", 608, 383, 41, 12);
    // Each page shows its own controls when it is drawn.
    for (QWidget* w :
         std::initializer_list<QWidget*>{c.harmonicsMode, c.harmonicsCount, c.harmonicsLimits,
                                         c.harmonicsResult, c.resetStats}) {
        w->hide();
    }
    c.calibration = calibrationControls(client);
    c.initialising = label(client, "Initialisation on going", 345, 202, 90);
    c.linkStatus = place(new QLabel(&client), 156, 397, 494, 11);
    c.linkStatus->setObjectName("linkStatus");
    c.linkStatus->setAlignment(Qt::AlignCenter);
    c.linkStatus->setAutoFillBackground(true);
    c.linkStatus->hide();
    return c;
}

}  // namespace voltaris
