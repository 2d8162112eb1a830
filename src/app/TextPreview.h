// The words as they will print, shown on screen: over a picture control of the main window,
// and as a preview of the whole sheet in the text dialog. Both draw the sheet's own layout,
// scaled from tenths of a millimetre to the widget.
#pragma once

#include <QWidget>

#include "picture/Graphic.h"
#include "sheet/CoverText.h"

class TPicture;

// A see-through layer over a picture control, showing the part of the sheet the control
// stands for. Clicks and drops pass through to the control.
class TTextOverlay : public QWidget {
public:
    TTextOverlay(QWidget& control, const TRect& part, const TCoverText& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TRect Part;
    const TCoverText& Text;
};

// Both parts of the sheet side by side with their pictures, fold lines and words.
class TTextPreview : public QWidget {
public:
    TTextPreview(const TPicture& cover, const TPicture& back, QWidget* parent = nullptr);
    void SetText(const TCoverText& text);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TPicture& Cover;
    const TPicture& Back;
    TCoverText Text;
};
