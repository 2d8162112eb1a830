#include "picture/Graphic.h"

#include "toolkit/Stream.h"

void TGraphic::NotifyChange() {
    Modified = true;
    if (OnChange)
        OnChange(*this);
}

void TGraphic::SetTransparent(bool transparent) {
    if (transparent != Transparent_) {
        Transparent_ = transparent;
        NotifyChange();
    }
}

void TGraphic::ReadFile(const std::string& path) {
    TFileStream stream(path);
    ReadFrom(stream);
}

void TGraphic::Progress(TProgressStage stage, int percentDone) {
    if (OnProgress)
        OnProgress(*this, stage, percentDone);
}
