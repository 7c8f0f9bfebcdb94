// The Calibration page in the window against a simulated meter whose input stages read 200 V for
// 230 V and 1.25 A for 1 A with its stored gains: the controls it shows, the refusals in their
// order, the W frames of each store, the EEPROM read back and the capture that follows.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cmath>

#include "acquisition/CalibrationUpdate.h"
#include "acquisition/WorkerMessages.h"
#include "meter-sim/Eeprom.h"
#include "support/SimulatedMeter.h"
#include "support/WindowHarness.h"
#include "ui/MainControls.h"
#include "ui/pages/CalibrationPage.h"

namespace voltaris::test {
namespace {

constexpr int kCalibrationPage = 7;
constexpr float kInputGainV = kDefaultGainV * 1.15f;
constexpr float kInputGainI = kDefaultGainI * 0.8f;

sim::Config miscalibratedMeter() {
    sim::Config config;
    config.inputGainV = kInputGainV;
    config.inputGainI = kInputGainI;
    return config;
}

// Answers every box with OK; `onQuestion` runs while an OK/Cancel box is open.
class QuestionMessages final : public MessageService {
public:
    MessageAnswer show(QWidget*, const std::string& text, const std::string& caption,
                       MessageButtons buttons) override {
        m_shown.push_back({text, caption, buttons});
        if (buttons == MessageButtons::OkCancel && onQuestion) {
            onQuestion();
        }
        return MessageAnswer::Ok;
    }
    [[nodiscard]] const std::vector<ShownMessage>& shown() const { return m_shown; }
    std::function<void()> onQuestion;

private:
    std::vector<ShownMessage> m_shown;
};

class CalibrationPage : public ::testing::Test {
protected:
    // The window on the simulated meter, with one Single capture of 85 periods on the page.
    void start(bool mfg) {
        ASSERT_TRUE(meter.ready());
        StartupOptions options = TestOptions({meter.path()});
        options.mfg = mfg;
        window = std::make_unique<WindowUnderTest>(messages, std::move(options));
        ASSERT_TRUE(window->initialised);
        TypeInto(*c().periodsEdit, "85");
        QTest::mouseClick(c().stop, Qt::LeftButton);
        ASSERT_TRUE(singleCapture());
        c().tabs->setCurrentIndex(kCalibrationPage);
    }

    // Waits for the next capture to be analysed with the acquisition idle again.
    ::testing::AssertionResult capturedAgain(int analysedBefore) {
        return WaitForEvents("a capture analysed and the acquisition idle", [&] {
            return w().capturesAnalysed() > analysedBefore &&
                   w().shared().state() == AcqStatus::Idle &&
                   w().measurements().PeriodsAnalysed >= kMinCalibrationPeriods;
        });
    }

    ::testing::AssertionResult singleCapture() {
        const int analysed = w().capturesAnalysed();
        QTest::mouseClick(c().single, Qt::LeftButton);
        return capturedAgain(analysed);
    }

    void fill(const char* vrms, const char* irms, const char* password) {
        TypeInto(*k().vrmsActual, vrms);
        TypeInto(*k().irmsActual, irms);
        TypeInto(*k().password, password);
    }

    // Presses `button` and returns the texts of the boxes it showed.
    std::vector<std::string> press(QPushButton* button) {
        const std::size_t before = messages.shown().size();
        meter.sim.clearReceivedFrames();
        QTest::mouseClick(button, Qt::LeftButton);
        std::vector<std::string> texts;
        for (std::size_t n = before; n < messages.shown().size(); ++n) {
            texts.push_back(messages.shown()[n].text);
        }
        return texts;
    }

    static std::vector<int> range(int first, int last) {
        std::vector<int> r;
        for (int a = first; a <= last; ++a) {
            r.push_back(a);
        }
        return r;
    }

    CMeterDlg& w() { return **window; }
    MainControls& c() { return w().controls(); }
    CalibrationControls& k() { return c().calibration; }

    SimulatedMeter meter{miscalibratedMeter(), MeterPort::Free};
    QuestionMessages messages;
    std::unique_ptr<WindowUnderTest> window;
};

const std::string kConfirm = "Are you sure to want to store this new calibration ?";
const std::string kWrongPassword =
    "Wrong password !\nPlease enter the correct administrator password";

TEST_F(CalibrationPage, RefusalsComeInOrderAndChangeNothing) {
    start(false);
    // Shown once a capture is there; the factory controls only with "/MFG".
    for (QWidget* widget : k().common()) {
        EXPECT_TRUE(widget->isVisible());
    }
    for (QWidget* widget : k().factory()) {
        EXPECT_FALSE(widget->isVisible());
    }
    EXPECT_EQ(k().serialNumber->text(), "1234");
    EXPECT_EQ(k().lastCalibration->text(), "15032024");
    EXPECT_TRUE(k().password->echoMode() == QLineEdit::Password);
    const CalibrationParams loaded = w().shared().calibration();

    // An entry that is not a number is refused before any condition.
    fill("", "1000", kCalibrationPasswordReference);
    EXPECT_EQ(press(k().store), std::vector<std::string>{kNotANumberText});
    fill("39", "1000", kCalibrationPasswordReference);
    EXPECT_EQ(press(k().store),
              std::vector<std::string>{"Calibration impossible : wrong actual voltage "});
    EXPECT_EQ(messages.shown().back().caption, "Calibration error");
    fill("230", "6001", kCalibrationPasswordReference);
    EXPECT_EQ(press(k().store),
              std::vector<std::string>{"Calibration impossible : wrong actual current"});
    // The password is checked only after the question was answered.
    fill("230", "1000", "27182");
    EXPECT_EQ(press(k().store), (std::vector<std::string>{kConfirm, kWrongPassword}));
    EXPECT_EQ(messages.shown()[messages.shown().size() - 2].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(press(k().restoreFactory),
              (std::vector<std::string>{"Recall factory calibration ?", kWrongPassword}));
    // Run pressed while the question is open: the store is refused when it is answered.
    fill("230", "1000", kCalibrationPasswordReference);
    messages.onQuestion = [&] { QTest::mouseClick(c().run, Qt::LeftButton); };
    EXPECT_EQ(press(k().store),
              (std::vector<std::string>{kConfirm, "Calibration impossible : Acquisition on going"}));
    messages.onQuestion = nullptr;
    // Restoring needs an idle acquisition, nothing else.
    EXPECT_EQ(press(k().restoreFactory),
              std::vector<std::string>{"Failed : Acquisition on going"});
    fill("230", "1000", kCalibrationPasswordReference);
    EXPECT_EQ(press(k().store),
              std::vector<std::string>{"Calibration impossible : Acquisition on going"});

    EXPECT_TRUE(WrittenEepromAddresses(meter.sim).empty());
    EXPECT_EQ(w().shared().calibration(), loaded);
    // Another page hides the controls again.
    c().tabs->setCurrentIndex(0);
    EXPECT_FALSE(k().store->isVisible());
}

TEST_F(CalibrationPage, StoreWritesTheNewGainsAndTheNextCaptureReadsTrueValues) {
    start(false);
    EXPECT_NEAR(w().measurements().Vrms, 200, 1);
    EXPECT_NEAR(w().measurements().Irms, 1.25, 0.01);
    fill("230", "1000", kCalibrationPasswordReference);
    const int analysed = w().capturesAnalysed();
    EXPECT_EQ(press(k().store), std::vector<std::string>{kConfirm});
    ASSERT_TRUE(capturedAgain(analysed));
    ASSERT_TRUE(WaitForEvents("the store message", [&] {
        return messages.shown().back().text == kCalibrationUpdatedText;
    }));
    EXPECT_EQ(WrittenEepromAddresses(meter.sim), range(14, 25));

    const CalibrationParams stored = w().shared().calibration();
    const sim::EepromImage eeprom = meter.sim.eeprom();
    EXPECT_EQ(sim::readFloat(eeprom, sim::kAddrGainV), stored.gainV);
    EXPECT_EQ(sim::readFloat(eeprom, sim::kAddrGainI), stored.gainI);
    EXPECT_EQ(sim::readU32(eeprom, sim::kAddrLastCalibrationDate), TodaysCalibrationDate());
    EXPECT_NEAR(stored.gainV / kInputGainV, 1, 2e-3);
    EXPECT_NEAR(stored.gainI / kInputGainI, 1, 2e-3);
    EXPECT_NEAR(w().measurements().Vrms, 230, 0.5);
    EXPECT_NEAR(w().measurements().Irms, 1, 0.003);
    EXPECT_EQ(k().lastCalibration->text().toStdString(),
              CalibrationDateText(TodaysCalibrationDate()));

    // Back to the factory gains, written as a user calibration.
    const int analysedAgain = w().capturesAnalysed();
    EXPECT_EQ(press(k().restoreFactory), std::vector<std::string>{"Recall factory calibration ?"});
    ASSERT_TRUE(capturedAgain(analysedAgain));
    EXPECT_EQ(WrittenEepromAddresses(meter.sim), range(14, 25));
    EXPECT_EQ(sim::readFloat(meter.sim.eeprom(), sim::kAddrGainV), kDefaultGainV);
    EXPECT_EQ(k().lastCalibration->text(), "15032024");
}

TEST_F(CalibrationPage, FactoryStoreWritesTheWholeAreaWithTheSerialNumber) {
    start(true);
    for (QWidget* widget : k().factory()) {
        EXPECT_TRUE(widget->isVisible());
    }
    fill("230", "1000", "");
    TypeInto(*k().factorySerial, "70000");
    EXPECT_EQ(press(k().storeFactory), std::vector<std::string>{kSerialNumberRangeText});
    TypeInto(*k().factorySerial, "");
    EXPECT_EQ(press(k().storeFactory), std::vector<std::string>{kNotAPositiveIntegerText});
    EXPECT_TRUE(WrittenEepromAddresses(meter.sim).empty());

    TypeInto(*k().factorySerial, "4321");
    const int analysed = w().capturesAnalysed();
    EXPECT_EQ(press(k().storeFactory), std::vector<std::string>{kConfirm});
    ASSERT_TRUE(capturedAgain(analysed));
    EXPECT_EQ(WrittenEepromAddresses(meter.sim), range(0, 25));
    EXPECT_EQ(messages.shown().back().text, kFactoryCalibrationUpdatedText);
    const sim::EepromImage eeprom = meter.sim.eeprom();
    EXPECT_EQ(sim::readU16(eeprom, sim::kAddrSerial), 4321);
    EXPECT_EQ(sim::readFloat(eeprom, sim::kAddrFactoryGainV),
              sim::readFloat(eeprom, sim::kAddrGainV));
    EXPECT_EQ(sim::readU32(eeprom, sim::kAddrFactoryDate), TodaysCalibrationDate());
    EXPECT_EQ(sim::readU16(eeprom, sim::kAddrLogPeriod), 50);  // never written
    EXPECT_EQ(k().serialNumber->text(), "4321");
    EXPECT_NEAR(w().measurements().Vrms, 230, 0.5);
}

}  // namespace
}  // namespace voltaris::test
