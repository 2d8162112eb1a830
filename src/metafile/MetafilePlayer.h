// Plays enhanced and Windows metafiles through QPainter, so that what they draw stays
// vector graphics on printers and in PDF files.
#pragma once

#include <QRectF>

class QPainter;
struct TMetafileImage;

// Plays the metafile so that its frame (an enhanced metafile's frame rectangle, a Windows
// metafile's window) covers the rectangle, given in the painter's coordinates with its right
// and bottom edges inclusive. A record damaged within its size is left out quietly; a
// record size that does not fit the file ends the playback there, everything before it
// drawn. The painter's state is the same afterwards.
void PlayMetafile(const TMetafileImage& image, QPainter& painter, const QRectF& frame);
