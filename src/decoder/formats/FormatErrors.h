// The failures the format decoders report beyond a broken file.
#pragma once

#include <QtGlobal>
#include <string>

#include "toolkit/Errors.h"

// A picture the pixel limit does not allow, with the size it declares, so that the decoding
// helper can name it.
class EPictureTooLarge : public EInvalidGraphic {
public:
    EPictureTooLarge(const std::string& message, qint64 width, qint64 height)
        : EInvalidGraphic(message), Width(width), Height(height) {}
    qint64 Width;
    qint64 Height;
};
