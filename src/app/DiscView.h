// The disc label in the main window: the ring in its colour on a white page, the picture
// control clipped to the ring (placed and moved by mouse as the cover's), and the words
// over it as they print.
#pragma once

#include <QWidget>

#include "picture/Image.h"
#include "sheet/DiscLabel.h"

class TDiscWords;

class TDiscView : public QWidget {
public:
    explicit TDiscView(QWidget* parent = nullptr);

    // The control that shows the label's picture.
    TImage& Picture() { return *Picture_; }
    // Shows label: sizes the control to the label's square at the view's scale, clips it to
    // the ring and shows the label's placement, colour and words.
    void SetLabel(const TDiscLabel& label);
    const TDiscLabel& Label() const { return Label_; }

    // Screen pixels per tenth of a millimetre: a 120 mm disc fits the page's room.
    static constexpr double Scale = 0.25;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayOut();
    TImage* Picture_ = nullptr;
    TDiscWords* Words = nullptr;
    TDiscLabel Label_;
};
