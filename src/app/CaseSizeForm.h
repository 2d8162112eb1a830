// The size of a case of one's own ("Eigene Maße"): each panel's width and height and the
// spine between the panels, in millimetres with one decimal, within what such a wrap may
// measure; OK refuses a wrap too large for the paper.
#pragma once

#include <QDialog>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QString>

#include "sheet/CaseType.h"

// Tenths of a millimetre as millimetres, with the language's decimal separator and no
// decimal where there is none: "7", "12,5".
QString MillimetreText(int tenths);

class TfrmCaseSize : public QDialog {
    Q_OBJECT

public:
    // Starts from size, in tenths of a millimetre.
    explicit TfrmCaseSize(const TCaseSize& size, QWidget* parent = nullptr);

    QDoubleSpinBox* seWidth = nullptr;
    QDoubleSpinBox* seHeight = nullptr;
    QDoubleSpinBox* seSpine = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // The size as the dialog shows it, in tenths of a millimetre.
    TCaseSize Size() const;
    // Closes the dialog with OK, unless the wrap would be larger than a case of one's own
    // may be: then it says so and stays open.
    void btnOKClick();
};
