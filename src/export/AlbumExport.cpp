// "album" and "collection": cover sheets made from album folders as the window makes them
// from a folder: the tracks, the album's title and artist, the folder's or the files' art.
#include <QFile>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "export/Export.h"
#include "export/SheetExport.h"
#include "music/AlbumFolder.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/AlbumDocument.h"
#include "sheet/CoverSheet.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/SafeFile.h"
#include "toolkit/Translation.h"

namespace {
constexpr TMsg NoAlbums{QT_TRANSLATE_NOOP("Msg", "Unter %s wurde kein Album-Ordner gefunden")};
constexpr TMsg FailedFolders{QT_TRANSLATE_NOOP("Msg", "Diese Ordner wurden nicht gedruckt:")};
constexpr TMsg NonePrinted{
    QT_TRANSLATE_NOOP("Msg", "Kein Album wurde gedruckt; %s bleibt, wie es war")};
constexpr TMsg SomePrinted{QT_TRANSLATE_NOOP("Msg", "%d von %d Alben gedruckt nach %s")};

// An album's sheet ready to print: its document and its pictures, loaded.
struct TAlbumSheet {
    TLayoutDocument Document;
    TSheetPictures Pictures;
};

// Reads the album folder and loads its pictures; what was skipped goes to notes.
void LoadAlbumSheet(const std::string& folder, TAlbumSheet& sheet,
                    std::vector<std::string>& notes) {
    const TAlbum album = ReadAlbumFolder(folder);
    notes.insert(notes.end(), album.Notes.begin(), album.Notes.end());
    sheet.Document = AlbumDocument(album, TLayoutDocument{}, &notes);
    LoadLayoutPicture(sheet.Pictures.Cover, sheet.Document.Cover);
    LoadLayoutPicture(sheet.Pictures.Back, sheet.Document.Back);
}

// The run's progress on err: on a terminal one line redrawn as a bar, elsewhere one line an
// album, so that a log shows where a run stood.
class TProgress {
public:
    TProgress(std::ostream& err, bool bar, size_t total) : Err_(err), Bar_(bar), Total_(total) {}

    void Show(size_t done, const std::string& folder) {
        const std::string count = std::to_string(done + 1) + "/" + std::to_string(Total_);
        if (!Bar_) {
            Err_ << count << " " << folder << "\n";
            return;
        }
        constexpr size_t Width = 30;
        const size_t filled = Total_ ? done * Width / Total_ : Width;
        std::string name = folder.substr(folder.rfind('/') + 1);
        if (name.size() > 40) {
            // Cut at a character's start, so the terminal is not handed half a character.
            size_t cut = 39;
            while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
                --cut;
            name.resize(cut);
            name += "…";
        }
        Err_ << "\r\033[K[" << std::string(filled, '#') << std::string(Width - filled, '.') << "] "
             << count << " " << name << std::flush;
    }
    void Done() {
        if (Bar_)
            Err_ << "\r\033[K" << std::flush;
    }

private:
    std::ostream& Err_;
    bool Bar_;
    size_t Total_;
};
} // namespace

int ExportAlbum(const std::vector<std::string>& args, std::ostream& err) {
    TSheetOptions options;
    if (!ParseSheetOptions(args, options, err))
        return 2;
    try {
        TAlbumSheet sheet;
        std::vector<std::string> notes;
        LoadAlbumSheet(options.Layout, sheet, notes);
        for (const std::string& note : notes)
            err << Msg::ExportWarning.Text() << note << "\n";
        PrintDocumentSheet(options, sheet.Document, sheet.Pictures, PictureFiles(sheet.Document),
                           err);
    } catch (const std::exception& error) {
        err << ErrorDisplayText(ErrorMessage(error)) << "\n";
        return 1;
    }
    return 0;
}

int ExportCollection(const std::vector<std::string>& args, std::ostream& err, bool progressBar) {
    TSheetOptions options;
    if (!ParseSheetOptions(args, options, err))
        return 2;
    // Only the folders' names are held: each album is read, drawn and let go in turn.
    std::vector<std::string> folders;
    try {
        ForEachAlbumFolder(options.Layout,
                           [&folders](const std::string& folder) { folders.push_back(folder); });
    } catch (const std::exception& error) {
        err << ErrorDisplayText(ErrorMessage(error)) << "\n";
        return 1;
    }
    if (folders.empty()) {
        err << Format(NoAlbums, options.Layout.c_str()) << "\n";
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> failed;
    size_t printed = 0;
    TProgress progress(err, progressBar, folders.size());
    // The pages go straight into a new file beside the output, which takes the output's
    // place only when the whole document was written.
    const auto write = [&](int fd) {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return false;
        TPrinter printer(&file, QPageSize(options.Paper), options.Dpi);
        printer.Title = TApplication::Title();
        TXPrint print(printer);
        ConfigureSheetPrint(print);
        const TSheetLayout layout = LayoutOnPaper(print, TLayoutDocument{}.Settings.Layout());
        const bool frames = options.Frames;
        try {
            for (size_t i = 0; i < folders.size(); ++i) {
                progress.Show(i, folders[i]);
                TAlbumSheet sheet;
                std::vector<std::string> notes;
                try {
                    LoadAlbumSheet(folders[i], sheet, notes);
                } catch (const std::exception& error) {
                    failed.emplace_back(folders[i], ErrorMessage(error));
                    continue;
                }
                if (printed == 0)
                    print.BeginJob();
                else
                    print.NewPage();
                const TLayoutPlacements& placements = sheet.Document.Placements;
                ComposeSheetPage(print, {.Cover = sheet.Pictures.Cover,
                                         .Back = sheet.Pictures.Back,
                                         .Frames = [frames] { return frames; },
                                         .CoverPlacement = placements.Cover.Placement,
                                         .BackPlacement = placements.Back.Placement,
                                         .Layout = layout,
                                         .Text = &sheet.Document.Text});
                ++printed;
            }
        } catch (...) {
            progress.Done();
            if (printed > 0)
                print.AbortJob();
            throw;
        }
        progress.Done();
        if (printed == 0)
            return false;
        print.EndJob();
        return file.flush() && file.error() == QFileDevice::NoError;
    };
    try {
        const TOutputResult result = ReplaceOutputFileWith(options.Output, {}, write);
        if (result == TOutputResult::NotRegular)
            throw EWriteError(Format(Msg::OutputNotRegular, options.Output.c_str()));
        if (result != TOutputResult::Written && printed > 0)
            throw EWriteError(Format(Msg::ExportCreateError, options.Output.c_str()));
    } catch (const std::exception& error) {
        err << ErrorDisplayText(ErrorMessage(error)) << "\n";
        return 1;
    }
    if (!failed.empty()) {
        err << FailedFolders.Text() << "\n";
        for (const auto& [folder, reason] : failed)
            err << "  " << folder << ": " << ErrorDisplayText(reason) << "\n";
    }
    if (printed == 0) {
        err << Format(NonePrinted, options.Output.c_str()) << "\n";
        return 1;
    }
    if (!failed.empty()) {
        err << Format(SomePrinted, int(printed), int(folders.size()), options.Output.c_str())
            << "\n";
        return 3;
    }
    return 0;
}
