// The words as they will print, shown on screen: over a picture control of the main window,
// and as a preview of the whole sheet in the text dialog. Both draw the sheet's own layout,
// scaled from tenths of a millimetre to the widget.
#pragma once

#include <QWidget>

#include "picture/Graphic.h"
#include "sheet/CoverSheet.h"
#include "sheet/CoverText.h"

// A see-through layer over a widget (a picture control, or the whole page), showing the
// words on the part of the sheet the widget stands for. Clicks and drops pass through to
// what lies below.
class TTextOverlay : public QWidget {
public:
    TTextOverlay(QWidget& control, const TCoverText& text);
    // The rectangle of the layout's sheet the widget stands for.
    void SetPart(const TRect& part, const TSheetLayout& layout);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TRect Part;
    TSheetLayout Layout;
    const TCoverText& Text;
};

// Both parts of the sheet, or the whole wrap, as it prints them, arranged, placed, turned
// and bled as the layout says, with grey cutting edges and fold lines and the words typed
// so far.
class TTextPreview : public QWidget {
public:
    // sheet's pictures outlive the preview; its words are replaced by SetText.
    explicit TTextPreview(const TSheetContent& sheet, QWidget* parent = nullptr);
    void SetText(const TCoverText& text);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TSheetContent Sheet;
    TCoverText Text;
};
