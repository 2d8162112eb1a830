#include "picture/BmpReader.h"

#include "toolkit/Errors.h"
#include "toolkit/Stream.h"

TBitmapImage ReadBmp(TStream&) {
    throw EInvalidGraphic(Msg::InvalidBitmap);
}
