#include "app/MainForm.h"

void TfrmMain::btnInsertCoverClick() {}
void TfrmMain::btnInsertBackClick() {}
void TfrmMain::btnSaveClick() {}
void TfrmMain::btnOpenClick() {}
bool TfrmMain::Changed() const {
    return false;
}
void TfrmMain::SaveCover(const std::string&) {}
void TfrmMain::LoadCover(const std::string&) {}
void TfrmMain::SpeichernunterClick() {}
void TfrmMain::btnNewClick() {}
void TfrmMain::FormCloseQuery(bool&) {}
