#include "app/CalibrationForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <QRegularExpression>
#include <cstdint>
#include <optional>

#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Translation.h"

namespace {
constexpr TMsg BadLength{QT_TRANSLATE_NOOP(
    "Msg", "Die gemessene Länge %s muss zwischen %s und %s mm liegen (eine Nachkommastelle).")};

// "250,8" or "250.8" (millimetres, one decimal at most) as tenths; nothing for other text.
std::optional<int> MeasuredTenths(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,4})(?:[,.](\\d))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt() * 10 +
           (match.captured(2).isEmpty() ? 0 : match.captured(2).toInt());
}

// Tenths of a millimetre with the language's decimal separator: "250,8" or "250.8".
QString Millimetres(int tenths) {
    return QString::number(tenths / 10) + QChar(DecimalSeparator()) + QString::number(tenths % 10);
}

// The length a ruler of nominal tenths is printed at by a printer of that scale.
QString LengthText(int nominal, int scale) {
    if (scale == ExactScale)
        return {};
    return Millimetres(int((int64_t{nominal} * scale + ExactScale / 2) / ExactScale));
}

// The scale a length field gives: exact for an empty field, nothing for one that cannot
// be used.
std::optional<int> ScaleOf(const QLineEdit& field, int nominal) {
    if (field.text().trimmed().isEmpty())
        return ExactScale;
    const std::optional<int> measured = MeasuredTenths(field.text());
    return measured ? ScaleFromMeasurement(nominal, *measured) : std::nullopt;
}

QLineEdit* LengthField(const QString& text, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setPlaceholderText(QCoreApplication::translate("TfrmCalibration", "leer: kein Maßstab"));
    field->setMaxLength(8);
    return field;
}

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
    setWindowTitle(tr("Druckerkorrektur"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    lblPrinter = new QLabel(tr("Drucker: %1").arg(QString::fromStdString(printer)), this);
    lblPrinter->setObjectName("lblPrinter");
    seRight = OffsetBox(calibration.X, this);
    seRight->setObjectName("seRight");
    seDown = OffsetBox(calibration.Y, this);
    seDown->setObjectName("seDown");
    edAcross = LengthField(LengthText(RulerAcross, calibration.ScaleX), this);
    edAcross->setObjectName("edAcross");
    edDown = LengthField(LengthText(RulerDown, calibration.ScaleY), this);
    edDown->setObjectName("edDown");
    auto* hint = new QLabel(tr("Der Prüfbogen zeigt, wie weit der Drucker die Seite "
                               "verschiebt; negative Werte schieben nach links oder oben."),
                            this);
    hint->setWordWrap(true);

    btnTestSheet = new QPushButton(tr("&Prüfbogen drucken"), this);
    btnTestSheet->setObjectName("btnTestSheet");
    btnTestSheet->setAutoDefault(false);
    btnOK = new QPushButton(tr("OK"), this);
    btnOK->setObjectName("btnOK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton(tr("Abbrechen"), this);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    connect(btnTestSheet, &QPushButton::clicked, this, [this] { btnTestSheetClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Nach &rechts (0,1 mm):"), seRight);
    fields->addRow(tr("Nach &unten (0,1 mm):"), seDown);
    fields->addRow(tr("Gemessene Länge &waagerecht:"), edAcross);
    fields->addRow(tr("&senkrecht:"), edDown);
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
    return {seRight->value(), seDown->value(), ScaleOf(*edAcross, RulerAcross).value_or(ExactScale),
            ScaleOf(*edDown, RulerDown).value_or(ExactScale)};
}

void TfrmCalibration::btnOKClick() {
    const std::pair<QLineEdit*, int> lengths[] = {{edAcross, RulerAcross}, {edDown, RulerDown}};
    for (const auto& length : lengths) {
        QLineEdit* field = length.first;
        const int nominal = length.second;
        if (ScaleOf(*field, nominal))
            continue;
        const int least = int((int64_t{nominal} * MinScale + ExactScale - 1) / ExactScale);
        const int most = int(int64_t{nominal} * MaxScale / ExactScale);
        const std::string message = Format(BadLength, field->text().toStdString().c_str(),
                                           Millimetres(least).toStdString().c_str(),
                                           Millimetres(most).toStdString().c_str());
        Guarded([&message] { throw EInvalidOperation(message); });
        field->setFocus();
        return;
    }
    accept();
}

void TfrmCalibration::btnTestSheetClick() {
    Guarded([this] { PrintSheet(Calibration()); });
}
