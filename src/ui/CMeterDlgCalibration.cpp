// The Calibration page's buttons: checks, the administrator password, and the hand-over of the
// new calibration to the worker under the request mutex.
#include <QLineEdit>

#include "infra/Log.h"
#include "ui/CMeterDlg.h"
#include "ui/MessageService.h"

namespace voltaris {

namespace {

constexpr const char* kLogModule = "voltaris";

std::optional<std::uint64_t> digitsOf(const QLineEdit& edit) {
    return ParseDigits(edit.text().toStdString());
}

}  // namespace

void CMeterDlg::showCalibrationError(const QString& text) {
    (void)m_messages.show(this, text.toStdString(), string(kCalErrorCaption).toStdString());
}

bool CMeterDlg::transferCalibrationEntries(bool serialNumber) {
    const CalibrationControls& k = m_controls.calibration;
    const std::optional<std::uint64_t> vrms = digitsOf(*k.vrmsActual);
    const std::optional<std::uint64_t> irms = digitsOf(*k.irmsActual);
    if (!vrms || !irms) {
        (vrms ? k.irmsActual : k.vrmsActual)->setFocus();
        showCalibrationError(kNotANumberText);
        return false;
    }
    if (serialNumber) {
        const std::optional<std::uint64_t> value = digitsOf(*k.factorySerial);
        const std::optional<std::uint16_t> serial =
            value ? SerialNumberFromValue(*value) : std::nullopt;
        if (!serial) {
            k.factorySerial->setFocus();
            showCalibrationError(value ? kSerialNumberRangeText : kNotAPositiveIntegerText);
            return false;
        }
        m_factorySerial = *serial;
    }
    m_actuals = {static_cast<double>(*vrms), static_cast<double>(*irms)};
    return true;
}

CalibrationMeasurement CMeterDlg::calibrationMeasurement() const {
    return {m_measurements->Vrms, m_measurements->Irms,
            static_cast<int>(m_measurements->PeriodsAnalysed),
            m_analysedCalibration.gainV, m_analysedCalibration.gainI};
}

bool CMeterDlg::CheckCalibrationConditions() {
    if (const std::optional<int> refusal =
            CalibrationRefusal(m_shared->state(), calibrationMeasurement(), m_actuals)) {
        showCalibrationError(string(*refusal));
        return false;
    }
    return m_messages.show(this, string(kCalConfirmStore).toStdString(), kCalConfirmCaption,
                           MessageButtons::OkCancel) == MessageAnswer::Ok;
}

void CMeterDlg::requestCalibrationStore(const CalibrationParams& calibration, AcqStatus store) {
    if (!m_shared->requestCalibrationStore(calibration, store)) {
        // Run or Single was pressed while a question was open.
        showCalibrationError(string(kCalAcquisitionOnGoing));
        return;
    }
    LogMessage(kLogModule, LogInfo, "Calibration store requested");
}

void CMeterDlg::OnStoreCalibration() {
    if (!transferCalibrationEntries(false) || !CheckCalibrationConditions()) {
        return;
    }
    if (!CalibrationPasswordAccepted(m_controls.calibration.password->text().toStdString())) {
        showCalibrationError(string(kCalWrongPassword));
        return;
    }
    const CalibrationGains gains = NewCalibrationGains(calibrationMeasurement(), m_actuals);
    requestCalibrationStore(UserCalibration(m_shared->calibration(), gains, TodaysCalibrationDate()),
                            AcqStatus::StoreCalibration);
}

void CMeterDlg::OnRestoreFactoryCalibration() {
    if (m_shared->state() != AcqStatus::Idle) {
        showCalibrationError(string(kCalRestoreAcquisitionOnGoing));
        return;
    }
    if (m_messages.show(this, string(kCalConfirmRestore).toStdString(), kCalConfirmCaption,
                        MessageButtons::OkCancel) != MessageAnswer::Ok) {
        return;
    }
    if (!CalibrationPasswordAccepted(m_controls.calibration.password->text().toStdString())) {
        showCalibrationError(string(kCalWrongPassword));
        return;
    }
    requestCalibrationStore(RestoredFactoryCalibration(m_shared->calibration()),
                            AcqStatus::StoreCalibration);
}

void CMeterDlg::OnStoreFactoryCalibration() {
    if (!m_options.mfg) {
        LogMessage(kLogModule, LogError, "Factory calibration needs /MFG");
        return;
    }
    if (!transferCalibrationEntries(true) || !CheckCalibrationConditions()) {
        return;
    }
    const CalibrationGains gains = NewCalibrationGains(calibrationMeasurement(), m_actuals);
    requestCalibrationStore(
        FactoryCalibration(m_shared->calibration(), gains, m_factorySerial, TodaysCalibrationDate()),
        AcqStatus::StoreFactoryCalibration);
}

}  // namespace voltaris
