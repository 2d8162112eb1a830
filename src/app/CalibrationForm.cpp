#include "app/CalibrationForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "toolkit/Application.h"

namespace {
QSpinBox* OffsetBox(int value, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setRange(-CalibrationLimit, CalibrationLimit);
    box->setValue(value);
    return box;
}
} // namespace

TfrmCalibration::TfrmCalibration(const std::string& printer, const TCalibration& calibration,
                                 TPrintSheet printSheet, QWidget* parent)
    : QDialog(parent), PrintSheet(std::move(printSheet)) {
    setObjectName("frmCalibration");
    setWindowTitle(QString::fromUtf8("Druckerkorrektur"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    lblPrinter = new QLabel(QString::fromUtf8("Drucker: ") + QString::fromStdString(printer), this);
    lblPrinter->setObjectName("lblPrinter");
    seRight = OffsetBox(calibration.X, this);
    seRight->setObjectName("seRight");
    seDown = OffsetBox(calibration.Y, this);
    seDown->setObjectName("seDown");
    auto* hint = new QLabel(QString::fromUtf8("Der Prüfbogen zeigt, wie weit der Drucker die Seite "
                                              "verschiebt; negative Werte schieben nach links "
                                              "oder oben."),
                            this);
    hint->setWordWrap(true);

    btnTestSheet = new QPushButton(QString::fromUtf8("&Prüfbogen drucken"), this);
    btnTestSheet->setObjectName("btnTestSheet");
    btnTestSheet->setAutoDefault(false);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    connect(btnTestSheet, &QPushButton::clicked, this, [this] { btnTestSheetClick(); });
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(QString::fromUtf8("Nach &rechts (0,1 mm):"), seRight);
    fields->addRow(QString::fromUtf8("Nach &unten (0,1 mm):"), seDown);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnTestSheet);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrinter);
    layout->addLayout(fields);
    layout->addWidget(hint);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TCalibration TfrmCalibration::Calibration() const {
    return {seRight->value(), seDown->value()};
}

void TfrmCalibration::btnTestSheetClick() {
    Guarded([this] { PrintSheet(Calibration()); });
}
