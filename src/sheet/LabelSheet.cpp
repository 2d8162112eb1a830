#include "sheet/LabelSheet.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <charconv>
#include <optional>

#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"
#include "toolkit/Registry.h"

namespace {
constexpr const char* ShippedFile = ":/sheet/labelsheets.txt";
constexpr std::string_view Blanks = " \t";
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// The diameters a label may have, in tenths of a millimetre: what label sheets use, with
// room for labels cut by hand.
constexpr int MinOuter = 1000;
constexpr int MaxOuter = 1200;
constexpr int MinHole = 150;
constexpr int MaxHole = 450;
// A list of sheets is a few lines; a file this large is something else put there by mistake.
constexpr qint64 MaxFileSize = 1 << 20;

struct TPaper {
    TLabelPaper Paper;
    const char* Name; // the files' word for it
    TLabelPaperSize Size;
};
constexpr TPaper Papers[] = {{TLabelPaper::A4, "A4", {2100, 2970}},
                             {TLabelPaper::Letter, "Letter", {2159, 2794}}};

std::optional<TLabelPaper> PaperOf(std::string_view word) {
    for (const TPaper& paper : Papers)
        if (SameAsciiText(word, paper.Name))
            return paper.Paper;
    return std::nullopt;
}

// A length such as "46.5" in tenths of a millimetre: up to four digits, then optionally a
// point and one digit. A finer figure would be silently rounded, so it is refused.
std::optional<int> TenthsOf(std::string_view text) {
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view("0") : text.substr(point + 1);
    const auto digits = [](std::string_view s) {
        return std::ranges::all_of(s, [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || whole.size() > 4 || fraction.size() != 1 || !digits(whole) ||
        !digits(fraction))
        return std::nullopt;
    int value = 0;
    for (char c : whole)
        value = value * 10 + (c - '0');
    return value * 10 + (fraction[0] - '0');
}

std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> fields;
    while (!(text = TrimStart(text, Blanks)).empty()) {
        const size_t end = std::min(text.find_first_of(Blanks), text.size());
        fields.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return fields;
}

// The fields before the labels' places: name, paper, outer diameter, hole.
constexpr size_t FirstPlace = 4;

// Reads name, paper and diameters into sheet; sets error at the first fault.
void ReadHead(const std::vector<std::string_view>& fields, TLabelSheet& sheet, std::string& error) {
    // A blank in the name splits it, so that the paper stands later than second.
    const auto paper = std::find_if(fields.begin() + 1, fields.end(),
                                    [](std::string_view field) { return PaperOf(field); });
    if (paper == fields.end()) {
        error = Format(Msg::LabelSheetPaper, std::string(fields[1]).c_str());
        return;
    }
    if (paper != fields.begin() + 1) {
        const std::string name(fields[0].data(), paper[-1].data() + paper[-1].size());
        error = Format(Msg::LabelSheetNameBlanks, name.c_str());
        return;
    }
    if (fields.size() <= FirstPlace) {
        error = Msg::LabelSheetIncomplete.Text();
        return;
    }
    sheet.Name = fields[0];
    sheet.Paper = *PaperOf(fields[1]);
    const std::string outerText(fields[2]);
    const std::string holeText(fields[3]);
    const std::optional<int> outer = TenthsOf(outerText);
    const std::optional<int> hole = TenthsOf(holeText);
    if (!outer || !hole)
        error = Format(Msg::LabelSheetNumber, (outer ? holeText : outerText).c_str());
    // Before the ranges, so that diameters given the wrong way round read as that.
    else if (*hole >= *outer)
        error = Format(Msg::LabelSheetHoleNotSmaller, holeText.c_str(), outerText.c_str());
    else if (*outer < MinOuter || *outer > MaxOuter)
        error = Format(Msg::LabelSheetOuterRange, outerText.c_str());
    else if (*hole < MinHole || *hole > MaxHole)
        error = Format(Msg::LabelSheetHoleRange, holeText.c_str());
    sheet.Outer = outer.value_or(0);
    sheet.Hole = hole.value_or(0);
}

// Whether two labels of the sheet's size overlap: their centres closer than a diameter.
// Labels that only touch are fine.
bool Overlap(const TLabelPlace& a, const TLabelPlace& b, int outer) {
    const long long dx = a.X - b.X;
    const long long dy = a.Y - b.Y;
    return dx * dx + dy * dy < static_cast<long long>(outer) * outer;
}

// Reads the labels' places into sheet; sets error at the first fault.
void ReadPlaces(const std::vector<std::string_view>& fields, TLabelSheet& sheet,
                std::string& error) {
    const TLabelPaperSize paper = LabelPaperSize(sheet.Paper);
    for (size_t i = FirstPlace; i < fields.size(); ++i) {
        const std::string_view field = fields[i];
        const size_t comma = field.find(',');
        const std::optional<int> x = TenthsOf(field.substr(0, comma));
        const std::optional<int> y =
            comma == std::string_view::npos ? std::nullopt : TenthsOf(field.substr(comma + 1));
        if (!x || !y) {
            error = Format(Msg::LabelSheetPosition, std::string(field).c_str());
            return;
        }
        const TLabelPlace place{*x, *y};
        if (place.X + sheet.Outer > paper.Width || place.Y + sheet.Outer > paper.Height) {
            error = Format(Msg::LabelSheetOffPaper, std::string(field).c_str());
            return;
        }
        for (size_t j = 0; j < sheet.Labels.size(); ++j)
            if (Overlap(sheet.Labels[j], place, sheet.Outer)) {
                error = Format(Msg::LabelSheetOverlap, std::string(fields[FirstPlace + j]).c_str(),
                               std::string(field).c_str());
                return;
            }
        sheet.Labels.push_back(place);
    }
}

// The sheet an entry (one line, without its line end) describes; sets error at the first
// fault.
TLabelSheet ReadEntry(std::string_view line, std::string& error) {
    TLabelSheet sheet;
    const size_t semicolon = line.find(';');
    if (semicolon != std::string_view::npos)
        sheet.Description = TrimBlanks(line.substr(semicolon + 1), Blanks);
    const std::vector<std::string_view> fields = Fields(line.substr(0, semicolon));
    if (fields.size() < 2) {
        error = Msg::LabelSheetIncomplete.Text();
        return sheet;
    }
    ReadHead(fields, sheet, error);
    if (error.empty())
        ReadPlaces(fields, sheet, error);
    return sheet;
}

void ReadLabelSheetFile(const QString& path, TLabelSheets& sheets) {
    const std::string fileName = QFile::encodeName(path).toStdString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        sheets.Messages.push_back(Format(Msg::FOpenError, fileName.c_str()));
        return;
    }
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize) {
        sheets.Messages.push_back(Format(Msg::LabelSheetFileTooLarge, fileName.c_str()));
        return;
    }
    ReadLabelSheets(std::string_view(bytes.constData(), size_t(bytes.size())), fileName, sheets);
}

TLabelSheets LoadLabelSheets() {
    TLabelSheets sheets;
    ReadLabelSheetFile(QString::fromLatin1(ShippedFile), sheets);
    const QDir folder(QFile::decodeName(UserLabelSheetFolder().c_str()));
    for (const QString& name : folder.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        ReadLabelSheetFile(folder.filePath(name), sheets);
    return sheets;
}

std::optional<TLabelSheets>& Cache() {
    static std::optional<TLabelSheets> sheets;
    return sheets;
}
} // namespace

TLabelPaperSize LabelPaperSize(TLabelPaper paper) {
    return Papers[static_cast<size_t>(paper)].Size;
}

TRect TLabelSheet::Square(size_t index) const {
    const TLabelPlace& place = Labels.at(index);
    return {place.X, place.Y, place.X + Outer, place.Y + Outer};
}

const TLabelSheet* TLabelSheets::Find(std::string_view name) const {
    const auto found = std::ranges::find_if(
        Sheets, [&](const TLabelSheet& sheet) { return SameAsciiText(sheet.Name, name); });
    return found == Sheets.end() ? nullptr : &*found;
}

void ReadLabelSheets(std::string_view text, const std::string& fileName, TLabelSheets& sheets) {
    if (text.starts_with(Utf8Bom))
        text.remove_prefix(Utf8Bom.size());
    for (int lineNumber = 1; !text.empty(); ++lineNumber) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = TrimBlanks(text.substr(0, end), " \t\r");
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty() || line.front() == '#')
            continue;
        std::string error;
        TLabelSheet sheet = ReadEntry(line, error);
        if (error.empty() && sheets.Find(sheet.Name))
            error = Format(Msg::LabelSheetDuplicate, sheet.Name.c_str());
        if (!error.empty())
            sheets.Messages.push_back(
                Format(Msg::LabelSheetEntry, fileName.c_str(), lineNumber, error.c_str()));
        else
            sheets.Sheets.push_back(std::move(sheet));
    }
}

std::string UserLabelSheetFolder() {
    return ConfigFolder() + "/labelsheets";
}

const TLabelSheets& LabelSheets() {
    if (!Cache())
        Cache() = LoadLabelSheets();
    return *Cache();
}

const TLabelSheets& ReloadLabelSheets() {
    Cache() = LoadLabelSheets();
    return *Cache();
}

TLabelChoice ParseLabelPositions(std::string_view text, const TLabelSheet& sheet) {
    if (TrimBlanks(text, Blanks).empty())
        return {{}, Msg::LabelPositionsMissing.Text()};
    std::vector<bool> chosen(sheet.Labels.size());
    const int count = static_cast<int>(sheet.Labels.size());
    while (true) {
        const size_t comma = std::min(text.find(','), text.size());
        const std::string word(TrimBlanks(text.substr(0, comma), Blanks));
        int position = 0;
        const auto [end, fault] = std::from_chars(word.data(), word.data() + word.size(), position);
        if (fault != std::errc() || end != word.data() + word.size() || position < 1 ||
            position > count)
            return {{}, Format(Msg::LabelPositionUnknown, word.c_str(), sheet.Name.c_str(), count)};
        if (chosen[position - 1])
            return {{}, Format(Msg::LabelPositionRepeated, position)};
        chosen[position - 1] = true;
        if (comma == text.size())
            break;
        text.remove_prefix(comma + 1);
    }
    TLabelChoice choice;
    for (size_t i = 0; i < chosen.size(); ++i)
        if (chosen[i])
            choice.Labels.push_back(i);
    return choice;
}
