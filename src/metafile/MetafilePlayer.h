// Plays enhanced and Windows metafiles through QPainter, so that what they draw stays
// vector graphics on printers and in PDF files.
#pragma once

#include <QRectF>

class QPainter;
struct TMetafileImage;

// Plays the metafile so that its frame (an enhanced metafile's frame rectangle, a Windows
// metafile's window) covers the rectangle, given in the painter's coordinates with its right
// and bottom edges inclusive. A damaged record ends the playback quietly where it occurs;
// everything before it stays drawn. The painter's state is the same afterwards.
void PlayMetafile(const TMetafileImage& image, QPainter& painter, const QRectF& frame);
