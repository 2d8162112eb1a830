// The printer calibration dialog: the printer's name, its correction right and down in
// tenths of a millimetre, the lengths of the test sheet's long rulers as measured on
// paper (empty for no scale correction), a button that prints the test sheet with the
// correction as it stands in the dialog, and OK / Abbrechen.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <functional>
#include <string>

#include "sheet/Calibration.h"
#include "toolkit/Translation.h"

namespace Msg {
inline constexpr TMsg CorrectionNeedsPrinter{QT_TRANSLATE_NOOP(
    "Msg", "Eine Druckerkorrektur gilt für einen Drucker. Beim Drucken in eine Datei wird keine "
           "Korrektur angewandt.")};
} // namespace Msg

class TfrmCalibration : public QDialog {
    Q_OBJECT

public:
    using TPrintSheet = std::function<void(const TCalibration&)>;
    TfrmCalibration(const std::string& printer, const TCalibration& calibration,
                    TPrintSheet printSheet, QWidget* parent = nullptr);

    QLabel* lblPrinter = nullptr;
    QSpinBox* seRight = nullptr;
    QSpinBox* seDown = nullptr;
    QLineEdit* edAcross = nullptr;
    QLineEdit* edDown = nullptr;
    QPushButton* btnTestSheet = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // The correction as the dialog shows it; a length that cannot be read, or lies outside
    // what can be corrected, counts as no scale correction.
    TCalibration Calibration() const;
    // Closes the dialog with OK, unless a measured length cannot be used: then it says
    // so and stays open.
    void btnOKClick();
    // Prints the test sheet; a failure is shown and the dialog stays open.
    void btnTestSheetClick();

private:
    TPrintSheet PrintSheet;
};
