// The words from the music: an album folder (chosen, or dropped on the window) or a CUE
// sheet is read, what it gives is shown in the words dialog, and only what the user
// confirms there replaces the layout's words (and, from a folder, its pictures), as one
// step.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "app/MainForm.h"
#include "app/TextForm.h"
#include "music/AlbumFolder.h"
#include "music/CueSheet.h"
#include "sheet/AlbumDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Modal.h"

namespace {
// The wait cursor while files are read.
class TBusy {
public:
    TBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusy() { QApplication::restoreOverrideCursor(); }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;
};

// Asks for a folder or an existing file in Qt's own dialog, as the other file dialogs do;
// empty when the user cancelled.
std::string Choose(QWidget* parent, const QString& caption, QFileDialog::FileMode mode,
                   const QString& filter = {}) {
    QFileDialog dialog(parent, caption);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(mode);
    if (mode == QFileDialog::Directory)
        dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    if (ExecModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}
} // namespace

void TfrmMain::AusMusikordnerClick() {
    const std::string folder = Choose(this, tr("Album-Ordner wählen"), QFileDialog::Directory);
    if (!folder.empty())
        ImportAlbumFolder(folder);
}

void TfrmMain::AusCueDateiClick() {
    const std::string file = Choose(this, tr("CUE-Datei öffnen"), QFileDialog::ExistingFile,
                                    tr("CUE-Dateien (*.cue *.CUE);;Alle Dateien (*)"));
    if (!file.empty())
        ImportCueSheet(file);
}

void TfrmMain::ImportAlbumFolder(const std::string& folder) {
    TAlbum album;
    {
        TBusy busy;
        album = ReadAlbumFolder(folder);
    }
    std::vector<std::string> notes = album.Notes;
    const TLayoutDocument next = AlbumDocument(album, Document, &notes);
    ReviewImport(next, notes, tr("Aus Musikordner"));
}

void TfrmMain::ImportCueSheet(const std::string& fileName) {
    TCueSheet cue;
    {
        TBusy busy;
        cue = ReadCueSheet(fileName);
    }
    std::vector<std::string> notes = cue.Notes;
    const TLayoutDocument next = CueDocument(cue, Document, &notes);
    ReviewImport(next, notes, tr("Aus CUE-Datei"));
}

void TfrmMain::ReviewImport(TLayoutDocument next, const std::vector<std::string>& notes,
                            const QString& step) {
    if (!notes.empty()) {
        std::string text;
        for (const std::string& note : notes)
            text += (text.empty() ? "" : "\n") + note;
        QMessageBox box(QMessageBox::Information, QString::fromStdString(TApplication::Title()),
                        QString::fromStdString(text), QMessageBox::Ok, this);
        ExecModal(box);
    }
    TfrmText dialog(next.Text, ShownSheet(), this);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    next.Text = dialog.Text();
    ChangeDocument(next, step);
}
