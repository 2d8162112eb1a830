// The disc label's dialogs: "Disc-Etikett" (the label's diameters, its colour and its words,
// with a preview of the label as it prints) and "Disc-Etikett drucken" (plain paper or a label
// sheet, which of its labels, and how far the picture reaches beyond the ring).
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <vector>

#include "app/StyleRow.h"
#include "sheet/DiscLabel.h"
#include "sheet/DiscSheet.h"
#include "sheet/LabelSheet.h"

class TPicture;

// The label as it prints, with its picture, centred in the widget.
class TDiscPreview : public QWidget {
public:
    // picture outlives the preview; null for none.
    TDiscPreview(const TPicture* picture, QWidget* parent = nullptr);
    void SetLabel(const TDiscLabel& label);
    QSize sizeHint() const override { return {240, 240}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TPicture* Picture;
    TDiscLabel Label;
};

class TfrmDisc : public QDialog {
    Q_OBJECT

public:
    // Edits label (its diameters, colour and words); picture is shown in the preview.
    TfrmDisc(const TDiscLabel& label, const TPicture* picture, QWidget* parent = nullptr);

    QDoubleSpinBox* edOuter = nullptr;
    QDoubleSpinBox* edHole = nullptr;
    QPushButton* btnBackground = nullptr;
    QLineEdit* edTitle = nullptr;
    TStyleControls TitleStyle;
    QLineEdit* edSubtitle = nullptr;
    TStyleControls SubtitleStyle;
    QPlainTextEdit* mmLines = nullptr;
    TStyleControls LinesStyle;
    TDiscPreview* Preview = nullptr;
    QLabel* lblWarnings = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // The label as the dialog shows it: diameters in tenths, the words cleaned.
    TDiscLabel Label() const;

private:
    void Changed();
    TDiscLabel Start;
    QColor Background;
};

// What the print dialog chose.
struct TDiscPrintChoice {
    // The label sheet, null for plain paper, and the indices of its labels to print.
    const TLabelSheet* Sheet = nullptr;
    std::vector<size_t> Labels;
    int Overprint = DiscLimits::DefaultSheetOverprint;
};

class TfrmDiscPrint : public QDialog {
    Q_OBJECT

public:
    // Offers plain paper and the label sheets; starts with overprint (tenths) for a sheet.
    TfrmDiscPrint(const TLabelSheets& sheets, int overprint, QWidget* parent = nullptr);

    QComboBox* cbSheet = nullptr;
    QLabel* lblPositions = nullptr;
    std::vector<QCheckBox*> Positions;
    QDoubleSpinBox* edOverprint = nullptr;
    QLabel* lblSheetMessages = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnPreview = nullptr;
    QPushButton* btnCancel = nullptr;

    // Whether the dialog was left by "Vorschau" rather than "Drucken".
    bool PreviewWanted() const { return Preview; }
    TDiscPrintChoice Choice() const;

private:
    void SheetChanged();
    void UpdateButtons();
    const TLabelSheets& Sheets;
    QWidget* PositionBox = nullptr;
    bool Preview = false;
};
