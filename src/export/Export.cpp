#include "export/Export.h"

#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <charconv>

#include "picture/Canvas.h"
#include "picture/Picture.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"

namespace {
constexpr const char* Usage =
    "Aufruf: vellacour-export picture DATEI -o AUSGABE.png [--size BxH]\n";
// Large enough for any print resolution of a cover, small enough to stay in memory.
constexpr long MaxSide = 30000;
constexpr const char* BadSize = "Ungültige Größe: %s";
constexpr const char* CreateError = "Datei %s kann nicht erstellt werden";

bool ParseSide(std::string_view text, int& value) {
    long parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || parsed < 1 || parsed > MaxSide)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find_first_of("xX");
    return x != std::string::npos && ParseSide(std::string_view(text).substr(0, x), width) &&
           ParseSide(std::string_view(text).substr(x + 1), height);
}

// Writes the image as PNG in one replacement, so a failure leaves no partial file.
void WritePng(const QImage& image, const std::string& path) {
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly))
        throw EWriteError(Format(CreateError, path.c_str()));
    QImageWriter writer(&file, "png");
    if (!writer.write(image) || !file.commit())
        throw EWriteError(Format(CreateError, path.c_str()));
}
} // namespace

int ExportPicture(const std::vector<std::string>& args, std::ostream& err) {
    std::string input, output;
    int width = 0, height = 0;
    bool sized = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-o" && i + 1 < args.size()) {
            output = args[++i];
        } else if (arg == "--size" && i + 1 < args.size()) {
            if (!ParseSize(args[++i], width, height)) {
                err << ErrorDisplayText(Format(BadSize, args[i].c_str())) << "\n";
                return 2;
            }
            sized = true;
        } else if (input.empty() && !arg.empty() && arg[0] != '-') {
            input = arg;
        } else {
            err << Usage;
            return 2;
        }
    }
    if (input.empty() || output.empty()) {
        err << Usage;
        return 2;
    }
    try {
        TPicture picture;
        picture.LoadByExtension(input);
        if (!sized) {
            width = std::max(1, picture.Width());
            height = std::max(1, picture.Height());
        }
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull())
            throw EOutOfResources(Msg::OutOfResources);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            TCanvas canvas(painter, image.depth());
            canvas.DrawStretched({0, 0, width, height}, picture.Content());
        }
        WritePng(image, output);
    } catch (const std::exception& error) {
        err << ErrorDisplayText(ErrorMessage(error)) << "\n";
        return 1;
    }
    return 0;
}

int RunExport(const std::vector<std::string>& args, std::ostream& err) {
    if (!args.empty() && args[0] == "picture")
        return ExportPicture({args.begin() + 1, args.end()}, err);
    err << Usage;
    return 2;
}
