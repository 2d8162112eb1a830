// Makes an SVG document safe to hand to Qt SVG: Qt SVG reads files named by an image's
// href from disk, so every reference that could name a file goes before it sees the
// document. Only references into the document itself ("#id") and data: addresses of
// anything but SVG remain.
#pragma once

#include <QByteArray>
#include <optional>

// The document rewritten without its DTD, processing instructions and comments, without
// href attributes (of any namespace) other than "#..." and "data:..." (not of an SVG media
// type, whose document would go unfiltered), without attributes
// and style sheets that refer to anything but "#..." or "data:" through url(...) or
// @import. None when the document is not well-formed XML.
std::optional<QByteArray> FilterSvg(const QByteArray& document);
