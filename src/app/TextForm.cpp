#include "app/TextForm.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "app/TextPreview.h"
#include "sheet/CoverSheet.h"
#include "sheet/CoverTextPaint.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/FileDialog.h"
#include "toolkit/Modal.h"
#include "toolkit/SafeFile.h"
#include "toolkit/Translation.h"

namespace {
// A track list is a few kilobytes; anything far larger is not one.
constexpr uint64_t MaxTrackFile = 1 << 20;
constexpr TMsg TrackFileFilter{
    QT_TRANSLATE_NOOP("Msg", "Textdateien (*.txt)|*.txt|Alle Dateien (*)|*")};
constexpr int Sizes[] = {5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36, 48, 72};

QComboBox* Choice(std::initializer_list<const char*> captions, int current, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const char* caption : captions)
        box->addItem(QCoreApplication::translate("TfrmText", caption));
    box->setCurrentIndex(current);
    return box;
}

void ShowColour(QPushButton& button, const QColor& colour) {
    QPixmap swatch(16, 16);
    swatch.fill(colour);
    button.setIcon(QIcon(swatch));
}
} // namespace

TfrmText::TfrmText(const TCoverText& text, const TSheetContent& sheet, QWidget* parent)
    : QDialog(parent), Layout(sheet.Layout) {
    setObjectName("frmText");
    setWindowTitle(tr("Beschriftung"));

    auto* spine = new QGroupBox(tr("Rückentitel"), this);
    edSpine = new QLineEdit(QString::fromStdString(text.Spine), spine);
    edSpine->setObjectName("edSpine");
    cbDirection = Choice({QT_TRANSLATE_NOOP("TfrmText", "von unten nach oben"),
                          QT_TRANSLATE_NOOP("TfrmText", "von oben nach unten")},
                         text.Direction == TSpineDirection::BottomToTop ? 0 : 1, spine);
    // A slim card, or a wrap of one's own without a spine, has nowhere to print it.
    lblNoSpine = new QLabel(spine);
    lblNoSpine->setObjectName("lblNoSpine");
    lblNoSpine->setWordWrap(true);
    const bool noSpine = Layout.IsWrap() && Layout.Size.Spine == 0;
    lblNoSpine->setText(
        noSpine
            ? (Layout.Case == TCaseKind::Slim ? Msg::SlimHasNoSpine : Msg::WrapHasNoSpine).QText()
            : QString());
    lblNoSpine->setVisible(noSpine);
    auto* spineForm = new QFormLayout(spine);
    spineForm->addRow(tr("&Text:"), edSpine);
    spineForm->addRow(tr("&Leserichtung:"), cbDirection);
    spineForm->addRow(StyleRow(SpineStyle, text.SpineStyle));
    spineForm->addRow(lblNoSpine);

    auto* tracks = new QGroupBox(tr("Titelliste"), this);
    QString lines;
    for (const std::string& track : text.Tracks)
        lines += QString::fromStdString(track) + '\n';
    mmTracks = new QPlainTextEdit(lines, tracks);
    mmTracks->setObjectName("mmTracks");
    mmTracks->setPlaceholderText(tr("z. B. „1. Titel 3:45“"));
    btnPaste = new QPushButton(tr("Aus der &Zwischenablage"), tracks);
    btnFromFile = new QPushButton(tr("Aus &Datei..."), tracks);
    auto* trackButtons = new QHBoxLayout;
    trackButtons->addWidget(btnPaste);
    trackButtons->addWidget(btnFromFile);
    trackButtons->addStretch();
    auto* trackLabel = new QLabel(tr("T&itel, einer je Zeile:"), tracks);
    trackLabel->setBuddy(mmTracks);
    auto* trackBox = new QVBoxLayout(tracks);
    trackBox->addWidget(trackLabel);
    trackBox->addWidget(mmTracks);
    trackBox->addLayout(trackButtons);
    trackBox->addWidget(StyleRow(TrackStyle, text.TrackStyle));

    auto* title = new QGroupBox(tr("Titel"), this);
    edTitle = new QLineEdit(QString::fromStdString(text.Title), title);
    edTitle->setObjectName("edTitle");
    cbPosition =
        Choice({QT_TRANSLATE_NOOP("TfrmText", "oben"), QT_TRANSLATE_NOOP("TfrmText", "unten")},
               text.TitlePosition == TTitlePosition::Top ? 0 : 1, title);
    auto* titleForm = new QFormLayout(title);
    titleForm->addRow(tr("Te&xt:"), edTitle);
    titleForm->addRow(tr("&Position:"), cbPosition);
    titleForm->addRow(StyleRow(TitleStyle, text.TitleStyle));

    Preview = new TTextPreview(sheet, this);
    lblWarnings = new QLabel(this);
    lblWarnings->setObjectName("lblWarnings");
    lblWarnings->setWordWrap(true);
    QPalette warning = lblWarnings->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    lblWarnings->setPalette(warning);

    auto* buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(tr("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(spine);
    left->addWidget(title);
    left->addStretch();
    columns->addLayout(left);
    columns->addWidget(tracks);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(Preview, 1);
    layout->addWidget(lblWarnings);
    layout->addWidget(buttons);

    for (QLineEdit* edit : {edSpine, edTitle})
        connect(edit, &QLineEdit::textChanged, this, &TfrmText::Changed);
    for (QComboBox* box : {cbDirection, cbPosition})
        connect(box, &QComboBox::currentIndexChanged, this, &TfrmText::Changed);
    connect(mmTracks, &QPlainTextEdit::textChanged, this, &TfrmText::Changed);
    connect(btnPaste, &QPushButton::clicked, mmTracks, &QPlainTextEdit::paste);
    connect(btnFromFile, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnFromFileClick(); }); });
    edSpine->setFocus();
    Changed();
}

QWidget* TfrmText::StyleRow(TStyleControls& controls, const TTextStyle& style) {
    auto* row = new QWidget(this);
    controls.Family = style.Family;
    controls.Chosen = style.Color;
    controls.Font = new QFontComboBox(row);
    controls.Font->setCurrentFont(QFont(ResolveFamily(style.Family).Family));
    controls.Size = new QComboBox(row);
    controls.Size->addItem(tr("automatisch"), 0);
    for (const int points : Sizes)
        controls.Size->addItem(QString::number(points), points);
    if (controls.Size->findData(style.Points) < 0)
        controls.Size->addItem(QString::number(style.Points), style.Points);
    controls.Size->setCurrentIndex(controls.Size->findData(style.Points));
    controls.Colour = new QPushButton(tr("Farbe..."), row);
    ShowColour(*controls.Colour, style.Color);
    controls.Bold = new QCheckBox(tr("Fett"), row);
    controls.Bold->setChecked(style.Bold);
    controls.Band = Choice({QT_TRANSLATE_NOOP("TfrmText", "kein Band"),
                            QT_TRANSLATE_NOOP("TfrmText", "Band weiß"),
                            QT_TRANSLATE_NOOP("TfrmText", "Band schwarz"),
                            QT_TRANSLATE_NOOP("TfrmText", "Band weiß durchscheinend")},
                           static_cast<int>(style.Band), row);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : std::initializer_list<QWidget*>{
             controls.Font, controls.Size, controls.Colour, controls.Bold, controls.Band})
        layout->addWidget(widget);
    // The family read from the layout stays, installed or not, until the user picks one.
    connect(controls.Font, &QFontComboBox::currentFontChanged, this,
            [this, &controls](const QFont& font) {
                // The default family is stored as none, so another machine uses its own.
                controls.Family =
                    font.family() == DefaultTextFamily() ? "" : font.family().toStdString();
                Changed();
            });
    connect(controls.Size, &QComboBox::currentIndexChanged, this, &TfrmText::Changed);
    connect(controls.Bold, &QCheckBox::toggled, this, &TfrmText::Changed);
    connect(controls.Band, &QComboBox::currentIndexChanged, this, &TfrmText::Changed);
    connect(controls.Colour, &QPushButton::clicked, this,
            [this, &controls] { ChooseColour(controls); });
    return row;
}

void TfrmText::ChooseColour(TStyleControls& controls) {
    QColorDialog dialog(controls.Chosen, this);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    controls.Chosen = dialog.selectedColor();
    ShowColour(*controls.Colour, controls.Chosen);
    Changed();
}

TTextStyle TfrmText::StyleOf(const TStyleControls& controls) const {
    return {controls.Family, controls.Size->currentData().toInt(), controls.Chosen,
            controls.Bold->isChecked(), static_cast<TTextBand>(controls.Band->currentIndex())};
}

TCoverText TfrmText::Text() const {
    TCoverText text;
    text.Spine = CleanTextLine(edSpine->text().toStdString());
    text.Direction = cbDirection->currentIndex() == 0 ? TSpineDirection::BottomToTop
                                                      : TSpineDirection::TopToBottom;
    text.SpineStyle = StyleOf(SpineStyle);
    text.Tracks = TrackLines(mmTracks->toPlainText().toStdString());
    if (text.Tracks.size() > MaxTracks)
        text.Tracks.resize(MaxTracks);
    text.TrackStyle = StyleOf(TrackStyle);
    text.Title = CleanTextLine(edTitle->text().toStdString());
    text.TitlePosition =
        cbPosition->currentIndex() == 0 ? TTitlePosition::Top : TTitlePosition::Bottom;
    text.TitleStyle = StyleOf(TitleStyle);
    return text;
}

void TfrmText::Changed() {
    const TCoverText text = Text();
    Preview->SetText(text);
    std::vector<std::string> warnings = CoverTextWarnings(text, CoverTextAreas(Layout));
    if (TrackLines(mmTracks->toPlainText().toStdString()).size() > MaxTracks)
        warnings.push_back(Format(Msg::TooManyTracks, int(MaxTracks)));
    QStringList lines;
    for (const std::string& line : warnings)
        lines << QString::fromStdString(line);
    lblWarnings->setText(lines.join('\n'));
}

void TfrmText::LoadTracks(const std::string& fileName) {
    // Only a regular file is read, and only so far: a device or a named pipe could be read
    // without end or block the window.
    struct stat info {};
    const int fd = OpenRegularFile(fileName, info);
    if (fd < 0)
        throw EFOpenError(Format(Msg::FOpenError, fileName.c_str()));
    TFd file(fd);
    std::string text;
    if (info.st_size > off_t(MaxTrackFile))
        throw EReadError(Format(Msg::TrackFileTooLarge, fileName.c_str()));
    if (!ReadAll(file.Get(), text, MaxTrackFile))
        throw EReadError(Msg::ReadError);
    const QByteArray bytes = QByteArray::fromStdString(text);
    QStringDecoder utf8(QStringConverter::Utf8);
    QString lines = utf8(bytes);
    if (utf8.hasError()) {
        QStringDecoder windows("Windows-1252");
        lines = windows.isValid() ? QString(windows(bytes)) : QString::fromLatin1(bytes);
    }
    mmTracks->setPlainText(lines);
}

void TfrmText::btnFromFileClick() {
    TOpenDialog dialog(this);
    dialog.Filter = TrackFileFilter;
    if (dialog.Execute(this))
        LoadTracks(dialog.FileName);
}
