// The printer calibration dialog: the printer's name, its correction right and down in
// tenths of a millimetre, a button that prints the test sheet with the correction as it
// stands in the dialog, and OK / Abbrechen.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <functional>
#include <string>

#include "app/Calibration.h"

class TfrmCalibration : public QDialog {
public:
    using TPrintSheet = std::function<void(const TCalibration&)>;
    TfrmCalibration(const std::string& printer, const TCalibration& calibration,
                    TPrintSheet printSheet, QWidget* parent = nullptr);

    QLabel* lblPrinter = nullptr;
    QSpinBox* seRight = nullptr;
    QSpinBox* seDown = nullptr;
    QPushButton* btnTestSheet = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // The correction as the dialog shows it.
    TCalibration Calibration() const;
    // Prints the test sheet; a failure is shown and the dialog stays open.
    void btnTestSheetClick();

private:
    TPrintSheet PrintSheet;
};
