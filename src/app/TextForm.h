// The text dialog ("Beschriftung"): the spine title and its reading direction, the track
// list (typed, pasted or read from a text file, one title a line) and the title line with
// its position, each with font, size, colour, boldness and background band, a preview of
// the sheet (the case's: the jewel case's two parts or a wrap) and what cannot be printed as
// typed.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>

#include "app/StyleRow.h"
#include "sheet/CoverSheet.h"
#include "sheet/CoverText.h"
#include "toolkit/Translation.h"

class TPicture;
class TTextPreview;

namespace Msg {
inline constexpr TMsg TooManyTracks{
    QT_TRANSLATE_NOOP("Msg", "Es werden nur die ersten %d Zeilen übernommen.")};
inline constexpr TMsg TrackFileTooLarge{
    QT_TRANSLATE_NOOP("Msg", "Die Datei %s ist zu groß für eine Titelliste.")};
inline constexpr TMsg SlimHasNoSpine{QT_TRANSLATE_NOOP(
    "Msg", "Ein Slimcase hat keinen Rücken: der Rückentitel wird nicht gedruckt.")};
inline constexpr TMsg WrapHasNoSpine{QT_TRANSLATE_NOOP(
    "Msg", "Dieser Umschlag hat keinen Rücken: der Rückentitel wird nicht gedruckt.")};
} // namespace Msg

class TfrmText : public QDialog {
    Q_OBJECT

public:
    // Edits text; the preview shows it over sheet, the layout's sheet as it prints.
    TfrmText(const TCoverText& text, const TSheetContent& sheet, QWidget* parent = nullptr);

    QLineEdit* edSpine = nullptr;
    QComboBox* cbDirection = nullptr;
    // Says so where the case has no spine to print the spine title on; hidden otherwise.
    QLabel* lblNoSpine = nullptr;
    TStyleControls SpineStyle;
    QPlainTextEdit* mmTracks = nullptr;
    QPushButton* btnPaste = nullptr;
    QPushButton* btnFromFile = nullptr;
    TStyleControls TrackStyle;
    QLineEdit* edTitle = nullptr;
    QComboBox* cbPosition = nullptr;
    TStyleControls TitleStyle;
    TTextPreview* Preview = nullptr;
    QLabel* lblWarnings = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // The words as the dialog shows them, each line cleaned and the list cut to its limit.
    TCoverText Text() const;
    // Replaces the track list with the lines of a text file (UTF-8, or Windows-1252 when it
    // is not); fails with a German message for a file that cannot be read.
    void LoadTracks(const std::string& fileName);
    void btnFromFileClick();

private:
    // The layout whose sheet the words are printed on.
    TSheetLayout Layout;
    void Changed();
};
