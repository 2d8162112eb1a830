#include "export/Export.h"
#include "export/SheetExport.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <cctype>
#include <charconv>
#include <iostream>
#include <unistd.h>

#include <QPageSize>

#include "picture/Canvas.h"
#include "picture/Picture.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/CoverSheet.h"
#include "sheet/CoverTextPaint.h"
#include "sheet/DiscLabelPaint.h"
#include "sheet/DiscSheet.h"
#include "sheet/LabelSheet.h"
#include "sheet/LayoutDocument.h"
#include "sheet/LayoutPictures.h"
#include "sheet/PrintResolution.h"
#include "sheet/SheetClipping.h"
#include "sheet/Version.h"
#include "toolkit/Application.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"
#include "toolkit/SafeFile.h"
#include "toolkit/Translation.h"

namespace {
constexpr TMsg Usage{QT_TRANSLATE_NOOP(
    "Msg",
    "Aufruf: vellacour-export picture DATEI -o AUSGABE.png [--size BxH]\n"
    "        vellacour-export sheet LAYOUT.vco -o AUSGABE.pdf [--frames] [--paper A4|Letter|Legal] "
    "[--dpi N]\n"
    "        vellacour-export disc LAYOUT.vco -o AUSGABE.pdf [--sheet NAME] [--positions 1,2] "
    "[--paper A4|Letter] [--frames] [--overprint MM] [--dpi N]\n"
    "        vellacour-export disc --sheets\n"
    "        vellacour-export album ORDNER -o AUSGABE.pdf [--frames] [--paper A4|Letter|Legal] "
    "[--dpi N]\n"
    "        vellacour-export collection ORDNER -o AUSGABE.pdf [--frames] "
    "[--paper A4|Letter|Legal] [--dpi N]\n"
    "        vellacour-export --help | --version\n")};
// Large enough for any print resolution of a cover, small enough to stay in memory.
constexpr long MaxSide = 30000;
constexpr TMsg BadSize{QT_TRANSLATE_NOOP("Msg", "Ungültige Größe: %s")};
constexpr TMsg TooLarge{QT_TRANSLATE_NOOP("Msg", "Ein Bild von %d x %d Pixeln ist zu groß")};
constexpr TMsg BadPaper{QT_TRANSLATE_NOOP("Msg", "Unbekanntes Papierformat: %s")};
constexpr TMsg BadResolution{QT_TRANSLATE_NOOP("Msg", "Ungültige Auflösung: %s")};
constexpr int MinDpi = 72;
constexpr int MaxDpi = 4800;
constexpr TMsg UnknownLabelSheet{QT_TRANSLATE_NOOP(
    "Msg", "Einen Etikettenbogen namens „%s“ gibt es nicht; vellacour-export disc --sheets "
           "nennt alle")};
constexpr TMsg PaperWithSheet{QT_TRANSLATE_NOOP(
    "Msg", "--paper und --sheet schließen sich aus: ein Etikettenbogen hat sein eigenes Papier")};
constexpr TMsg OnlyWithSheet{
    QT_TRANSLATE_NOOP("Msg", "%s gilt nur für einen Etikettenbogen (mit --sheet)")};
constexpr TMsg BadOverprint{QT_TRANSLATE_NOOP(
    "Msg", "Ungültiger Überdruck: %s (0 bis 2 mm, höchstens eine Nachkommastelle)")};
constexpr TMsg NoDiscLabel{QT_TRANSLATE_NOOP(
    "Msg", "Die Layoutdatei %s enthält kein Disc-Etikett: weder ein Disc-Bild noch Text dafür")};

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

// Writes the image as PNG in one replacement, so a failure leaves no partial file. The
// PNG is encoded in memory, where no write can fail, so the encoder never has a write
// error of its own to report; only the replacement can fail, with our message.
void WritePng(const QImage& image, const std::string& path, const std::string& input) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(image))
        throw EWriteError(Format(Msg::ExportCreateError, path.c_str()));
    switch (
        ReplaceOutputFile(path, std::string_view(png.constData(), size_t(png.size())), {input})) {
    case TOutputResult::Written:
        return;
    case TOutputResult::IsInput:
        throw EWriteError(Format(Msg::OutputIsInput, path.c_str()));
    case TOutputResult::NotRegular:
        throw EWriteError(Format(Msg::OutputNotRegular, path.c_str()));
    case TOutputResult::Failed:
        break;
    }
    throw EWriteError(Format(Msg::ExportCreateError, path.c_str()));
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
            err << Usage.Text();
            return 2;
        }
    }
    if (input.empty() || output.empty()) {
        err << Usage.Text();
        return 2;
    }
    try {
        TPicture picture;
        picture.LoadByExtension(input);
        if (!sized) {
            width = std::max(1, picture.Width());
            height = std::max(1, picture.Height());
        }
        if (uint64_t(width) * uint64_t(height) * 4 > PixelMemoryLimit())
            throw EOutOfResources(Format(TooLarge, width, height));
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull())
            throw EOutOfResources(Msg::OutOfResources);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            TCanvas canvas(painter);
            canvas.DrawStretched({0, 0, width, height}, picture.Content());
        }
        WritePng(image, output, input);
    } catch (const std::exception& error) {
        err << ErrorDisplayText(ErrorMessage(error)) << "\n";
        return 1;
    }
    return 0;
}

bool ParseSheetOptions(const std::vector<std::string>& args, TSheetOptions& options,
                       std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-o" && i + 1 < args.size()) {
            options.Output = args[++i];
        } else if (arg == "--frames") {
            options.Frames = true;
        } else if (arg == "--paper" && i + 1 < args.size()) {
            const std::string& paper = args[++i];
            if (paper == "A4" || paper == "a4") {
                options.Paper = QPageSize::A4;
            } else if (paper == "Letter" || paper == "letter") {
                options.Paper = QPageSize::Letter;
            } else if (paper == "Legal" || paper == "legal") {
                options.Paper = QPageSize::Legal;
            } else {
                err << Format(BadPaper, paper.c_str()) << "\n";
                return false;
            }
        } else if (arg == "--dpi" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            int dpi = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), dpi);
            if (error != std::errc() || end != text.data() + text.size() || dpi < MinDpi ||
                dpi > MaxDpi) {
                err << Format(BadResolution, text.c_str()) << "\n";
                return false;
            }
            options.Dpi = dpi;
        } else if (options.Layout.empty() && !arg.empty() && arg[0] != '-') {
            options.Layout = arg;
        } else {
            err << Usage.Text();
            return false;
        }
    }
    if (options.Layout.empty() || options.Output.empty()) {
        err << Usage.Text();
        return false;
    }
    return true;
}

namespace {
// Prints the sheet into the output file, which is put in place only when the whole sheet
// was printed and written.
void PrintSheetFile(TPrinter& printer, const TSheetOptions& options, const TSheetPictures& pictures,
                    const TLayoutDocument& document) {
    TXPrint print(printer);
    ConfigureSheetPrint(print);
    printer.Title = TApplication::Title();
    const bool frames = options.Frames;
    const TLayoutPlacements& placements = document.Placements;
    PrintCoverSheet(print, {.Cover = pictures.Cover,
                            .Back = pictures.Back,
                            .Frames = [frames] { return frames; },
                            .CoverPlacement = placements.Cover.Placement,
                            .BackPlacement = placements.Back.Placement,
                            .Wrap = document.ShowsWrap() ? &pictures.Wrap : nullptr,
                            .Layout = document.Settings.Layout(),
                            .Text = &document.Text});
}

// After the sheet was printed: one warning line naming the parts that come closer to the
// paper's edge than a printer can print, and the arrangement or paper that would fit. A
// file is not a printer, so no calibration moves the parts.
void WarnOfCutParts(TPrinter& printer, const TSheetOptions& options, const TSheetLayout& layout,
                    std::ostream& err) {
    const auto cutsOf = [&](const TSheetLayout& sheet) {
        TXPrint print(printer);
        const TSheetLayout onPaper = LayoutOnPaper(print, sheet);
        return FindCuts(SheetPartAreas(options.Frames, {}, onPaper),
                        FilePrintableArea(printer.DeviceCaps()));
    };
    const std::vector<TCut> cuts = cutsOf(layout);
    if (cuts.empty())
        return;
    err << Msg::ExportWarning.Text() << OutsidePrintableText(cuts);
    TXPrint print(printer);
    const std::string advice = FitAdvice(LayoutOnPaper(print, layout), options.Frames, cutsOf);
    if (!advice.empty())
        err << " " << advice;
    err << "\n";
}

// Loads a part's picture for the sheet (a held one from its bytes): a picture found nowhere
// fails as a missing file, one found only in the layout's folder is named.
void LoadSheetPicture(TPicture& picture, const std::string& layoutFile, const TLayoutPicture& part,
                      bool moved, std::ostream& err) {
    if (part.Missing)
        throw EFOpenError(
            Format(Msg::FOpenError, LocateLayoutPicture(layoutFile, part.File()).Path.c_str()));
    if (moved)
        err << Msg::ExportWarning.Text() << Format(Msg::PictureFoundBeside, part.File().c_str())
            << "\n";
    LoadLayoutPicture(picture, part);
}

// Names a picture that would print coarsely at its part's size; the sheet is printed all
// the same.
void WarnIfCoarse(std::ostream& err, TSheetPart part, const std::string& file,
                  const TPicture& picture, const TRect& printed, const TPartPlacement& placement) {
    const std::optional<TPrintResolution> resolution =
        DescribePrintResolution(file, picture, printed, placement);
    if (resolution && resolution->Low)
        err << Msg::ExportWarning.Text() << PartName(part) << ": " << resolution->Text << "\n";
}
} // namespace

int ExportSheet(const std::vector<std::string>& args, std::ostream& err) {
    TSheetOptions options;
    if (!ParseSheetOptions(args, options, err))
        return 2;
    try {
        TLayoutDocument document = ReadLayoutDocument(options.Layout);
        const TPicturesFound found = LocatePictures(document, options.Layout);
        TSheetPictures pictures;
        LoadSheetPicture(pictures.Cover, options.Layout, document.Cover, found.CoverMoved, err);
        LoadSheetPicture(pictures.Back, options.Layout, document.Back, found.BackMoved, err);
        LoadSheetPicture(pictures.Wrap, options.Layout, document.Wrap, found.WrapMoved, err);
        std::vector<std::string> inputs = PictureFiles(document);
        inputs.push_back(options.Layout);
        PrintDocumentSheet(options, document, pictures, std::move(inputs), err);
    } catch (const std::exception& error) {
        err << ErrorDisplayText(ErrorMessage(error)) << "\n";
        return 1;
    }
    return 0;
}

void PrintDocumentSheet(const TSheetOptions& options, const TLayoutDocument& document,
                        const TSheetPictures& pictures, std::vector<std::string> inputs,
                        std::ostream& err) {
    TPrinter printer(options.Output, QPageSize(options.Paper), options.Dpi);
    TSheetLayout layout;
    {
        TXPrint print(printer);
        layout = LayoutOnPaper(print, document.Settings.Layout());
    }
    const TSheetGeometry sheet = SheetGeometry(layout);
    const TLayoutPlacements& placements = document.Placements;
    if (!document.ShowsWrap()) {
        WarnIfCoarse(err, TSheetPart::Cover, document.Cover.File(), pictures.Cover, sheet.Cover,
                     placements.Cover.Placement);
        WarnIfCoarse(err, TSheetPart::Back, document.Back.File(), pictures.Back, sheet.Back,
                     placements.Back.Placement);
    }
    if (const std::string limited = BleedLimitedText(layout); !limited.empty())
        err << Msg::ExportWarning.Text() << limited << "\n";
    const TCoverText& text = document.Text;
    for (const std::string& warning : CoverTextWarnings(text, CoverTextAreas(layout)))
        err << Msg::ExportWarning.Text() << warning << "\n";
    printer.Inputs = std::move(inputs);
    PrintSheetFile(printer, options, pictures, document);
    WarnOfCutParts(printer, options, document.Settings.Layout(), err);
}

namespace {
struct TDiscOptions {
    std::string Layout;
    std::string Output;
    bool Frames = false;
    bool ListSheets = false;
    std::optional<QPageSize::PageSizeId> Paper;
    std::optional<std::string> Sheet;
    std::optional<std::string> Positions;
    std::optional<int> Overprint;
    int Dpi = 600;
};

// Millimetres from 0 to the most overprint, with at most one decimal after a point, as
// tenths.
std::optional<int> ParseOverprint(std::string_view text) {
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view tenth = point == std::string_view::npos ? "0" : text.substr(point + 1);
    if (whole.empty() || whole.size() > 1 || tenth.size() != 1 ||
        !std::isdigit(static_cast<unsigned char>(whole[0])) ||
        !std::isdigit(static_cast<unsigned char>(tenth[0])))
        return std::nullopt;
    const int tenths = (whole[0] - '0') * 10 + (tenth[0] - '0');
    if (tenths > DiscLimits::MaxOverprint)
        return std::nullopt;
    return tenths;
}

std::optional<int> ParseDpi(const std::string& text) {
    int dpi = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), dpi);
    if (error != std::errc() || end != text.data() + text.size() || dpi < MinDpi || dpi > MaxDpi)
        return std::nullopt;
    return dpi;
}

// Reads the options of "disc"; on a usage error writes the message and returns false.
bool ParseDiscOptions(const std::vector<std::string>& args, TDiscOptions& options,
                      std::ostream& err) {
    if (args.size() == 1 && args[0] == "--sheets") {
        options.ListSheets = true;
        return true;
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool valued = i + 1 < args.size();
        if (arg == "-o" && valued) {
            options.Output = args[++i];
        } else if (arg == "--frames") {
            options.Frames = true;
        } else if (arg == "--sheet" && valued) {
            options.Sheet = args[++i];
        } else if (arg == "--positions" && valued) {
            options.Positions = args[++i];
        } else if (arg == "--paper" && valued) {
            const std::string& paper = args[++i];
            if (paper == "A4" || paper == "a4") {
                options.Paper = QPageSize::A4;
            } else if (paper == "Letter" || paper == "letter") {
                options.Paper = QPageSize::Letter;
            } else {
                err << Format(BadPaper, paper.c_str()) << "\n";
                return false;
            }
        } else if (arg == "--overprint" && valued) {
            options.Overprint = ParseOverprint(args[++i]);
            if (!options.Overprint) {
                err << Format(BadOverprint, args[i].c_str()) << "\n";
                return false;
            }
        } else if (arg == "--dpi" && valued) {
            const std::optional<int> dpi = ParseDpi(args[++i]);
            if (!dpi) {
                err << Format(BadResolution, args[i].c_str()) << "\n";
                return false;
            }
            options.Dpi = *dpi;
        } else if (options.Layout.empty() && !arg.empty() && arg[0] != '-') {
            options.Layout = arg;
        } else {
            err << Usage.Text();
            return false;
        }
    }
    if (options.Layout.empty() || options.Output.empty()) {
        err << Usage.Text();
        return false;
    }
    if (options.Sheet && options.Paper) {
        err << PaperWithSheet.Text() << "\n";
        return false;
    }
    for (const auto& [given, name] : {std::pair{options.Positions.has_value(), "--positions"},
                                      std::pair{options.Overprint.has_value(), "--overprint"}})
        if (given && !options.Sheet) {
            err << Format(OnlyWithSheet, name) << "\n";
            return false;
        }
    return true;
}

// The label sheets as read, with each entry skipped named as a warning.
const TLabelSheets& LabelSheetsWarned(std::ostream& err) {
    const TLabelSheets& sheets = LabelSheets();
    for (const std::string& message : sheets.Messages)
        err << Msg::ExportWarning.Text() << message << "\n";
    return sheets;
}

// What the options choose of the label sheets: the sheet and its labels; on a usage error
// writes the message and answers nothing.
std::optional<TDiscSheetContent> ChooseLabels(const TDiscOptions& options, std::ostream& err) {
    TDiscSheetContent content;
    content.CuttingCircles = options.Frames;
    if (!options.Sheet)
        return content;
    const TLabelSheet* sheet = LabelSheetsWarned(err).Find(*options.Sheet);
    if (!sheet) {
        err << Format(UnknownLabelSheet, options.Sheet->c_str()) << "\n";
        return std::nullopt;
    }
    content.Sheet = sheet;
    if (options.Positions) {
        TLabelChoice choice = ParseLabelPositions(*options.Positions, *sheet);
        if (!choice.Error.empty()) {
            err << choice.Error << "\n";
            return std::nullopt;
        }
        content.Labels = std::move(choice.Labels);
    } else {
        for (size_t i = 0; i < sheet->Labels.size(); ++i)
            content.Labels.push_back(i);
    }
    return content;
}

QPageSize::PageSizeId DiscPaper(const TDiscOptions& options, const TDiscSheetContent& content) {
    if (content.Sheet)
        return content.Sheet->Paper == TLabelPaper::Letter ? QPageSize::Letter : QPageSize::A4;
    return options.Paper.value_or(QPageSize::A4);
}
} // namespace

int ExportDisc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TDiscOptions options;
    if (!ParseDiscOptions(args, options, err))
        return 2;
    if (options.ListSheets) {
        for (const TLabelSheet& sheet : LabelSheetsWarned(err).Sheets)
            out << sheet.Name << " " << sheet.Description << "\n";
        return 0;
    }
    std::optional<TDiscSheetContent> content = ChooseLabels(options, err);
    if (!content)
        return 2;
    try {
        TLayoutDocument document = ReadLayoutDocument(options.Layout);
        if (!document.HasDisc())
            throw EReadError(Format(NoDiscLabel, options.Layout.c_str()));
        const TPicturesFound found = LocatePictures(document, options.Layout);
        TPicture picture;
        LoadSheetPicture(picture, options.Layout, document.Disc, found.DiscMoved, err);
        content->Label = document.DiscLabel();
        content->Picture = &picture;
        content->Overprint = options.Overprint.value_or(document.DiscSettings.Overprint.Value);
        const int outer = PrintedDiscLabel(*content).Outer;
        WarnIfCoarse(err, TSheetPart::Disc, document.Disc.File(), picture, {0, 0, outer, outer},
                     document.Placements.Disc.Placement);
        for (const std::string& warning :
             LayoutWarnings(LayoutDiscWithFonts(PrintedDiscLabel(*content), QPointF(0, 0))))
            err << Msg::ExportWarning.Text() << warning << "\n";
        TPrinter printer(options.Output, QPageSize(DiscPaper(options, *content)), options.Dpi);
        printer.Title = TApplication::Title();
        printer.Inputs = PictureFiles(document);
        printer.Inputs.push_back(options.Layout);
        TXPrint print(printer);
        ConfigureSheetPrint(print);
        PrintDiscSheet(print, *content);
    } catch (const std::exception& error) {
        err << ErrorDisplayText(ErrorMessage(error)) << "\n";
        return 1;
    }
    return 0;
}

std::optional<int> AnswerHelpOrVersion(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() == 1 && args[0] == "--help") {
        out << Usage.Text();
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << "vellacour-export " << Product::Version << "\n";
        return 0;
    }
    return std::nullopt;
}

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && args[0] == "picture")
        return ExportPicture({args.begin() + 1, args.end()}, err);
    if (!args.empty() && args[0] == "sheet")
        return ExportSheet({args.begin() + 1, args.end()}, err);
    if (!args.empty() && args[0] == "disc")
        return ExportDisc({args.begin() + 1, args.end()}, out, err);
    if (!args.empty() && args[0] == "album")
        return ExportAlbum({args.begin() + 1, args.end()}, err);
    if (!args.empty() && args[0] == "collection")
        return ExportCollection({args.begin() + 1, args.end()}, err,
                                &err == &std::cerr && ::isatty(STDERR_FILENO) != 0);
    err << Usage.Text();
    return 2;
}
