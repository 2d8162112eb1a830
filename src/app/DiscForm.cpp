#include "app/DiscForm.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

#include "picture/Canvas.h"
#include "picture/Picture.h"
#include "sheet/CoverTextPaint.h"
#include "sheet/DiscLabelPaint.h"
#include "toolkit/Modal.h"

namespace {
// The preview shows the largest disc with a little room around it.
constexpr int PreviewSide = DiscLimits::MaxOuter + 40;

QDoubleSpinBox* Millimetres(int tenths, int least, int most, double step, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setRange(least / 10.0, most / 10.0);
    box->setSingleStep(step);
    box->setSuffix(QCoreApplication::translate("TfrmDisc", " mm"));
    box->setValue(tenths / 10.0);
    return box;
}

int Tenths(const QDoubleSpinBox& box) {
    return static_cast<int>(std::lround(box.value() * 10));
}

void ShowSwatch(QPushButton& button, const QColor& colour) {
    QPixmap swatch(16, 16);
    swatch.fill(colour);
    button.setIcon(QIcon(swatch));
}

QLabel* WarningLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    QPalette warning = label->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    label->setPalette(warning);
    return label;
}
} // namespace

TDiscPreview::TDiscPreview(const TPicture* picture, QWidget* parent)
    : QWidget(parent), Picture(picture) {
    setMinimumSize(200, 200);
}

void TDiscPreview::SetLabel(const TDiscLabel& label) {
    Label = label;
    update();
}

void TDiscPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const double scale = double(std::min(width(), height())) / PreviewSide;
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(scale, scale);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(-PreviewSide / 2.0, -PreviewSide / 2.0, PreviewSide, PreviewSide));
    TCanvas canvas(painter);
    canvas.Pen.Color = Qt::gray;
    canvas.Pen.Width = 0;
    try {
        DrawDiscLabel(canvas, {0, 0}, Label, Picture ? Picture->Content() : nullptr, 0, true);
    } catch (const std::exception&) {
        // A picture that cannot be drawn any more leaves the ring in its colour; the main
        // window says why.
    }
}

TfrmDisc::TfrmDisc(const TDiscLabel& label, const TPicture* picture, QWidget* parent)
    : QDialog(parent), Start(label), Background(label.Background) {
    setObjectName("frmDisc");
    setWindowTitle(tr("Disc-Etikett"));
    const auto changed = [this] {
        Changed();
    };

    auto* ring = new QGroupBox(tr("Etikett"), this);
    edOuter = Millimetres(label.Outer, DiscLimits::MinOuter, DiscLimits::MaxOuter, 0.5, ring);
    edOuter->setObjectName("edOuter");
    edHole = Millimetres(label.Hole, DiscLimits::MinHole, DiscLimits::MaxHole, 0.5, ring);
    edHole->setObjectName("edHole");
    btnBackground = new QPushButton(tr("&Farbe..."), ring);
    btnBackground->setObjectName("btnBackground");
    ShowSwatch(*btnBackground, Background);
    auto* ringForm = new QFormLayout(ring);
    ringForm->addRow(tr("&Außendurchmesser:"), edOuter);
    ringForm->addRow(tr("&Lochdurchmesser:"), edHole);
    ringForm->addRow(tr("Hintergrund:"), btnBackground);

    auto* words = new QGroupBox(tr("Beschriftung"), this);
    edTitle = new QLineEdit(QString::fromStdString(label.Title), words);
    edTitle->setObjectName("edDiscTitle");
    edSubtitle = new QLineEdit(QString::fromStdString(label.Subtitle), words);
    edSubtitle->setObjectName("edDiscSubtitle");
    QString lines;
    for (const std::string& line : label.Lines)
        lines += QString::fromStdString(line) + '\n';
    mmLines = new QPlainTextEdit(lines, words);
    mmLines->setObjectName("mmDiscLines");
    mmLines->setMaximumHeight(90);
    auto* wordsForm = new QFormLayout(words);
    wordsForm->addRow(tr("&Titel (oben):"), edTitle);
    wordsForm->addRow(StyleRow(words, TitleStyle, label.TitleStyle, false, changed));
    wordsForm->addRow(tr("&Zweite Zeile (unten):"), edSubtitle);
    wordsForm->addRow(StyleRow(words, SubtitleStyle, label.SubtitleStyle, false, changed));
    wordsForm->addRow(tr("Zeilen in der &Mitte:"), mmLines);
    wordsForm->addRow(StyleRow(words, LinesStyle, label.LinesStyle, false, changed));

    Preview = new TDiscPreview(picture, this);
    lblWarnings = WarningLabel(this);
    lblWarnings->setObjectName("lblWarnings");

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(tr("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(ring);
    left->addWidget(words);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(Preview, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(lblWarnings);
    layout->addWidget(buttons);

    for (QDoubleSpinBox* box : {edOuter, edHole})
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    for (QLineEdit* edit : {edTitle, edSubtitle})
        connect(edit, &QLineEdit::textChanged, this, changed);
    connect(mmLines, &QPlainTextEdit::textChanged, this, changed);
    connect(btnBackground, &QPushButton::clicked, this, [this] {
        QColorDialog dialog(Background, this);
        if (ExecModal(dialog) != QDialog::Accepted)
            return;
        Background = dialog.selectedColor();
        ShowSwatch(*btnBackground, Background);
        Changed();
    });
    edTitle->setFocus();
    Changed();
}

TDiscLabel TfrmDisc::Label() const {
    TDiscLabel label = Start;
    label.Outer = Tenths(*edOuter);
    label.Hole = Tenths(*edHole);
    label.Background = Background;
    label.Title = CleanTextLine(edTitle->text().toStdString());
    label.TitleStyle = StyleOf(TitleStyle);
    label.Subtitle = CleanTextLine(edSubtitle->text().toStdString());
    label.SubtitleStyle = StyleOf(SubtitleStyle);
    label.Lines = TrackLines(mmLines->toPlainText().toStdString());
    label.LinesStyle = StyleOf(LinesStyle);
    return label;
}

void TfrmDisc::Changed() {
    const TDiscLabel label = Label();
    Preview->SetLabel(label);
    // The spin boxes' ranges keep the hole smaller than the label.
    QStringList warnings;
    for (const std::string& line : LayoutWarnings(LayoutDiscWithFonts(label, {0, 0})))
        warnings << QString::fromStdString(line);
    lblWarnings->setText(warnings.join('\n'));
}

TfrmDiscPrint::TfrmDiscPrint(const TLabelSheets& sheets, int overprint, QWidget* parent)
    : QDialog(parent), Sheets(sheets) {
    setObjectName("frmDiscPrint");
    setWindowTitle(tr("Disc-Etikett drucken"));
    cbSheet = new QComboBox(this);
    cbSheet->setObjectName("cbSheet");
    cbSheet->addItem(tr("Normales Papier (in der Mitte, zum Ausschneiden)"));
    for (const TLabelSheet& sheet : sheets.Sheets)
        cbSheet->addItem(QString::fromStdString(sheet.Name + " – " + sheet.Description));
    PositionBox = new QWidget(this);
    new QHBoxLayout(PositionBox);
    PositionBox->layout()->setContentsMargins(0, 0, 0, 0);
    edOverprint = Millimetres(ClampedOverprint(overprint), 0, DiscLimits::MaxOverprint, 0.1, this);
    edOverprint->setObjectName("edOverprint");
    edOverprint->setToolTip(tr("So weit reicht das Bild über den Rand des Etiketts und in "
                               "das Loch, damit ein etwas verschobenes Etikett keinen weißen "
                               "Rand zeigt."));
    lblSheetMessages = WarningLabel(this);
    lblSheetMessages->setObjectName("lblSheetMessages");
    QStringList messages;
    for (const std::string& message : sheets.Messages)
        messages << QString::fromStdString(message);
    lblSheetMessages->setText(messages.join('\n'));
    lblSheetMessages->setVisible(!messages.isEmpty());

    auto* form = new QFormLayout;
    form->addRow(tr("&Papier:"), cbSheet);
    lblPositions = new QLabel(tr("Etiketten:"), this);
    form->addRow(lblPositions, PositionBox);
    form->addRow(tr("Ü&berdruck:"), edOverprint);

    auto* buttons = new QDialogButtonBox(this);
    btnPrint = buttons->addButton(tr("&Drucken..."), QDialogButtonBox::AcceptRole);
    btnPrint->setObjectName("btnDiscPrint");
    btnPreview = buttons->addButton(tr("&Vorschau..."), QDialogButtonBox::AcceptRole);
    btnPreview->setObjectName("btnDiscPreview");
    btnCancel = buttons->addButton(tr("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(btnPrint, &QPushButton::clicked, this, [this] {
        Preview = false;
        accept();
    });
    connect(btnPreview, &QPushButton::clicked, this, [this] {
        Preview = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblSheetMessages);
    layout->addWidget(buttons);
    connect(cbSheet, &QComboBox::currentIndexChanged, this, [this] { SheetChanged(); });
    SheetChanged();
}

void TfrmDiscPrint::SheetChanged() {
    for (QCheckBox* box : Positions)
        delete box;
    Positions.clear();
    const int index = cbSheet->currentIndex();
    const TLabelSheet* sheet = index > 0 ? &Sheets.Sheets[size_t(index - 1)] : nullptr;
    if (sheet) {
        // Every label of a fresh sheet; the user unticks those already used.
        for (size_t i = 0; i < sheet->Labels.size(); ++i) {
            auto* box = new QCheckBox(QString::number(i + 1), PositionBox);
            box->setObjectName(QString("cbPosition%1").arg(i + 1));
            box->setChecked(true);
            PositionBox->layout()->addWidget(box);
            connect(box, &QCheckBox::toggled, this, [this] { UpdateButtons(); });
            Positions.push_back(box);
        }
        // The positions come right after the sheet in the Tab order, whenever they were made.
        QWidget* before = cbSheet;
        for (QCheckBox* box : Positions) {
            setTabOrder(before, box);
            before = box;
        }
        setTabOrder(before, edOverprint);
    }
    lblPositions->setVisible(sheet != nullptr);
    PositionBox->setVisible(sheet != nullptr);
    // Plain paper is cut by hand along the circles: nothing reaches beyond them.
    edOverprint->setEnabled(sheet != nullptr);
    UpdateButtons();
}

void TfrmDiscPrint::UpdateButtons() {
    const bool any =
        cbSheet->currentIndex() == 0 ||
        std::ranges::any_of(Positions, [](const QCheckBox* box) { return box->isChecked(); });
    btnPrint->setEnabled(any);
    btnPreview->setEnabled(any);
}

TDiscPrintChoice TfrmDiscPrint::Choice() const {
    TDiscPrintChoice choice;
    const int index = cbSheet->currentIndex();
    if (index > 0)
        choice.Sheet = &Sheets.Sheets[size_t(index - 1)];
    for (size_t i = 0; i < Positions.size(); ++i)
        if (Positions[i]->isChecked())
            choice.Labels.push_back(i);
    choice.Overprint = Tenths(*edOverprint);
    return choice;
}
