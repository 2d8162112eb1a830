#include "app/TextForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "app/StyleRow.h"
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
} // namespace

TfrmText::TfrmText(const TCoverText& text, const TSheetContent& sheet, QWidget* parent)
    : QDialog(parent), Layout(sheet.Layout) {
    setObjectName("frmText");
    setWindowTitle(tr("Beschriftung"));

    const auto changed = [this] {
        Changed();
    };
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
    spineForm->addRow(StyleRow(this, SpineStyle, text.SpineStyle, true, changed));
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
    trackBox->addWidget(StyleRow(this, TrackStyle, text.TrackStyle, true, changed));

    auto* title = new QGroupBox(tr("Titel"), this);
    edTitle = new QLineEdit(QString::fromStdString(text.Title), title);
    edTitle->setObjectName("edTitle");
    cbPosition =
        Choice({QT_TRANSLATE_NOOP("TfrmText", "oben"), QT_TRANSLATE_NOOP("TfrmText", "unten")},
               text.TitlePosition == TTitlePosition::Top ? 0 : 1, title);
    auto* titleForm = new QFormLayout(title);
    titleForm->addRow(tr("Te&xt:"), edTitle);
    titleForm->addRow(tr("&Position:"), cbPosition);
    titleForm->addRow(StyleRow(this, TitleStyle, text.TitleStyle, true, changed));

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
