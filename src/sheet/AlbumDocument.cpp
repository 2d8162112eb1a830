#include "sheet/AlbumDocument.h"

#include "music/AlbumFolder.h"
#include "music/CueSheet.h"
#include "sheet/AlbumWords.h"

namespace {
// A picture file of the album, named by its full path so that the layout finds it from
// wherever it is saved.
TLayoutPicture FilePicture(const std::string& file) {
    TLayoutPicture picture;
    picture.Entry = file;
    picture.Resolved = file;
    return picture;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
} // namespace

TLayoutDocument AlbumDocument(const TAlbum& album, const TLayoutDocument& base,
                              std::vector<std::string>* notes) {
    TLayoutDocument document = base;
    document.Text = AlbumWords(album, base.Text, notes);
    if (!album.FrontFile.empty())
        document.Cover = FilePicture(album.FrontFile);
    else if (album.FrontArt)
        document.Cover = HeldLayoutPicture(
            album.FrontArt->Bytes, album.FrontArt->Extension,
            Format(Msg::ArtEmbeddedIn, FileName(album.FrontArt->SourceFile).c_str()));
    if (!album.BackFile.empty())
        document.Back = FilePicture(album.BackFile);
    return document;
}

TLayoutDocument CueDocument(const TCueSheet& cue, const TLayoutDocument& base,
                            std::vector<std::string>* notes) {
    TLayoutDocument document = base;
    document.Text = CueWords(cue, base.Text, notes);
    return document;
}
