#include "app/CaseSizeForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
#include <cmath>

#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Translation.h"

namespace {
constexpr TMsg Limits{QT_TRANSLATE_NOOP(
    "Msg", "Jeder Teil %s bis %s mm breit und hoch, der Rücken bis %s mm; der ganze Umschlag "
           "höchstens %s × %s mm.")};
constexpr TMsg TooLarge{QT_TRANSLATE_NOOP(
    "Msg", "Der Umschlag wäre %s × %s mm groß (zwei Teile und der Rücken nebeneinander); "
           "höchstens %s × %s mm sind möglich, so viel hält US Legal mit 5 mm Rand.")};

std::string Text(int tenths) {
    return MillimetreText(tenths).toStdString();
}

// Millimetres with one decimal, written as the program's language writes numbers.
QDoubleSpinBox* MillimetreBox(int tenths, int least, int most, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setLocale(CurrentLanguage() == TLanguage::German
                       ? QLocale(QLocale::German, QLocale::Germany)
                       : QLocale(QLocale::English, QLocale::UnitedStates));
    box->setDecimals(1);
    box->setRange(least / 10.0, most / 10.0);
    box->setSingleStep(1.0);
    box->setValue(tenths / 10.0);
    return box;
}

int Tenths(const QDoubleSpinBox& box) {
    return static_cast<int>(std::lround(box.value() * 10));
}
} // namespace

QString MillimetreText(int tenths) {
    const QString whole = QString::number(tenths / 10);
    return tenths % 10 == 0 ? whole
                            : whole + QChar(DecimalSeparator()) + QString::number(tenths % 10);
}

TfrmCaseSize::TfrmCaseSize(const TCaseSize& size, QWidget* parent) : QDialog(parent) {
    using namespace CustomCase;
    setObjectName("frmCaseSize");
    setWindowTitle(CaseType(TCaseKind::Custom).Caption.QText());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    seWidth = MillimetreBox(size.PanelWidth, MinPanel, MaxPanel, this);
    seWidth->setObjectName("seWidth");
    seHeight = MillimetreBox(size.PanelHeight, MinPanel, MaxPanel, this);
    seHeight->setObjectName("seHeight");
    seSpine = MillimetreBox(size.Spine, 0, MaxSpine, this);
    seSpine->setObjectName("seSpine");
    auto* limits =
        new QLabel(QString::fromStdString(Format(Limits, Text(MinPanel).c_str(),
                                                 Text(MaxPanel).c_str(), Text(MaxSpine).c_str(),
                                                 Text(MaxWidth).c_str(), Text(MaxHeight).c_str())),
                   this);
    limits->setWordWrap(true);

    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(tr("Abbrechen"), this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(tr("&Breite je Teil (mm):"), seWidth);
    fields->addRow(tr("&Höhe (mm):"), seHeight);
    fields->addRow(tr("&Rückenbreite (mm):"), seSpine);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(limits);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    seWidth->setFocus();
}

TCaseSize TfrmCaseSize::Size() const {
    return {Tenths(*seWidth), Tenths(*seHeight), Tenths(*seSpine)};
}

void TfrmCaseSize::btnOKClick() {
    const TCaseSize size = Size();
    if (CustomSizeFits(size)) {
        accept();
        return;
    }
    const std::string message =
        Format(TooLarge, Text(size.Width()).c_str(), Text(size.PanelHeight).c_str(),
               Text(CustomCase::MaxWidth).c_str(), Text(CustomCase::MaxHeight).c_str());
    Guarded([&message] { throw EInvalidOperation(message); });
    seWidth->setFocus();
}
