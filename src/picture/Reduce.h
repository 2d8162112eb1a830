// Reducing a picture to the pixels a printer can use: area averaging in one streaming pass
// over the source rows, straight on the decoded pixel layout.
#pragma once

#include <QImage>
#include <QSize>
#include <memory>

// The image averaged down to target: each output pixel is the mean of the source area it
// covers, partly covered source pixels weighted by their share. target must be no larger
// than the image on either axis and not empty. 24-bit and opaque or premultiplied 32-bit
// images keep their layout; other layouts go through Qt's smooth scaling.
QImage ReduceImage(const QImage& image, QSize target);

// Whether a layout is averaged channel by channel (and can be reduced row by row).
bool CanReduceRows(QImage::Format format);

// The same averaging for a picture that arrives row by row from the top, so the whole
// picture never needs to be held: only the rows of one output row are worked on at a time.
// The layout must be one CanReduceRows accepts; target as for ReduceImage.
class TRowReducer {
public:
    TRowReducer(QSize source, QImage::Format format, QSize target);
    ~TRowReducer();
    TRowReducer(const TRowReducer&) = delete;
    TRowReducer& operator=(const TRowReducer&) = delete;

    // The next count source rows, the first at rows, each stride bytes after the one
    // before. Rows past the source's height are ignored.
    void AddRows(const uchar* rows, qsizetype stride, int count);
    // The reduced picture; output rows no source row has reached yet are black. Null when
    // its memory could not be had.
    const QImage& Result() const { return Result_; }

    struct TState;

private:
    QImage Result_;
    std::unique_ptr<TState> State_;
};
