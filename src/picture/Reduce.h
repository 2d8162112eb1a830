// Reducing a picture to the pixels a printer can use: area averaging in one streaming pass
// over the source rows, straight on the decoded pixel layout.
#pragma once

#include <QImage>
#include <QSize>

// The image averaged down to target: each output pixel is the mean of the source area it
// covers, partly covered source pixels weighted by their share. target must be no larger
// than the image on either axis and not empty. 24-bit and opaque or premultiplied 32-bit
// images keep their layout; other layouts go through Qt's smooth scaling.
QImage ReduceImage(const QImage& image, QSize target);
