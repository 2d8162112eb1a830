// Files dropped on the main window: one picture file on the front cover or the back inlay
// (or on a wrap's picture across it) is inserted there as the insert commands insert it,
// one layout file anywhere is opened as the open command opens it, an album folder anywhere
// is read as "Aus Musikordner..." reads it. Anything else is
// refused while it is still being dragged.
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/MainForm.h"
#include "music/AlbumFolder.h"
#include "picture/Picture.h"
#include "toolkit/Application.h"

namespace {
constexpr const char* LayoutExtension = "vco";

// Dropped files are only read, never taken: the source keeps its file.
bool AcceptAsCopy(QDropEvent& event) {
    if (event.possibleActions() & Qt::CopyAction)
        event.setDropAction(Qt::CopyAction);
    else if (event.possibleActions() & Qt::LinkAction)
        event.setDropAction(Qt::LinkAction);
    else
        return false;
    event.accept();
    return true;
}

// Only a control that is shown takes a picture: the panels hide behind a wrap's picture.
bool Contains(const QWidget& widget, const QWidget& window, QPointF position) {
    return widget.isVisibleTo(&window) &&
           widget.rect().contains(widget.mapFrom(&window, position.toPoint()));
}

enum class TFileKind { None, Picture, Layout, AlbumFolder };

struct TDroppedFile {
    TFileKind Kind = TFileKind::None;
    std::string Name;
};

// The one local file the data carry, if it is a picture or a layout file.
TDroppedFile DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    // A file on another machine is not something a layout can refer to.
    if (urls.size() != 1 || !urls.front().isLocalFile() || !urls.front().host().isEmpty())
        return {};
    std::string name = QFile::encodeName(urls.front().toLocalFile()).toStdString();
    if (QFileInfo(urls.front().toLocalFile()).isDir())
        return IsAlbumFolder(name) ? TDroppedFile{TFileKind::AlbumFolder, std::move(name)}
                                   : TDroppedFile{};
    const std::string extension = ExtractExtension(name);
    if (LowerCaseExtension(extension) == LayoutExtension)
        return {TFileKind::Layout, std::move(name)};
    if (TFileFormatsList::Instance().FindKind(extension))
        return {TFileKind::Picture, std::move(name)};
    return {};
}
} // namespace

TfrmMain::TDrop TfrmMain::DropAt(const QDropEvent& event) const {
    TDroppedFile file = DroppedFile(event.mimeData());
    switch (file.Kind) {
    case TFileKind::Layout:
        return {TDropTarget::Layout, std::move(file.Name)};
    case TFileKind::AlbumFolder:
        return {TDropTarget::AlbumFolder, std::move(file.Name)};
    case TFileKind::Picture:
        if (Contains(*Cover, *this, event.position()))
            return {TDropTarget::Cover, std::move(file.Name)};
        if (Contains(*Back, *this, event.position()))
            return {TDropTarget::Back, std::move(file.Name)};
        if (Contains(*Wrap, *this, event.position()))
            return {TDropTarget::Wrap, std::move(file.Name)};
        if (Contains(*Disc, *this, event.position()))
            return {TDropTarget::Disc, std::move(file.Name)};
        break;
    case TFileKind::None:
        break;
    }
    return {};
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event) {
    // Whether the file is wanted at all; where it may go, the move that always follows
    // decides.
    if (DroppedFile(event->mimeData()).Kind == TFileKind::None || !AcceptAsCopy(*event))
        event->ignore();
}

void TfrmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (DropAt(*event).Target == TDropTarget::None || !AcceptAsCopy(*event))
        event->ignore();
}

void TfrmMain::dropEvent(QDropEvent* event) {
    const TDrop drop = DropAt(*event);
    if (drop.Target == TDropTarget::None || !AcceptAsCopy(*event)) {
        event->ignore();
        return;
    }
    // The command runs once the drop is over, so that the program the file came from is
    // not kept waiting while a prompt or an error message is open.
    QTimer::singleShot(0, this, [this, drop] { Guarded([&] { RunDrop(drop); }); });
}

void TfrmMain::RunDrop(const TDrop& drop) {
    switch (drop.Target) {
    case TDropTarget::Cover:
        InsertPicture(CoverSlot, drop.FileName);
        break;
    case TDropTarget::Back:
        InsertPicture(BackSlot, drop.FileName);
        break;
    case TDropTarget::Wrap:
        InsertPicture(WrapSlot, drop.FileName);
        break;
    case TDropTarget::Disc:
        InsertPicture(DiscSlot, drop.FileName);
        break;
    case TDropTarget::Layout:
        if (OfferToSave(false))
            LoadCover(drop.FileName);
        break;
    case TDropTarget::AlbumFolder:
        if (Document.Text.Empty() || AskYesNo(tr("Die Beschriftung durch die des Albums "
                                                 "ersetzen? Sie wird vorher noch angezeigt.")
                                                  .toStdString()))
            ImportAlbumFolder(drop.FileName);
        break;
    case TDropTarget::None:
        break;
    }
}
