#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "toolkit/Errors.h"
#include "toolkit/IniFile.h"
#include "toolkit/SafeFile.h"

namespace {

std::string Find(std::string_view text, std::string_view section, std::string_view key) {
    return IniFindValue(text, section, key).value_or("<missing>");
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Expects the write error naming the file, and the file exactly as before.
void ExpectRefused(TIniFile& ini, const std::string& before) {
    try {
        ini.WriteStrings("Vellacour", {{"cover", "/new.jpg"}, {"back", "/new.bmp"}});
        ADD_FAILURE() << "write succeeded";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "nach " + ini.FileName() + " kann nicht geschrieben werden");
    }
    EXPECT_EQ(ReadFileText(ini.FileName()), before);
}

} // namespace

TEST(IniFindValue, MatchesSectionAndKeyIgnoringAsciiCase) {
    const std::string text = "[VELLACOUR]\nCOVER=/a/Cover.JPG\nBack=/b.bmp\n";
    EXPECT_EQ(Find(text, "Vellacour", "cover"), "/a/Cover.JPG");
    EXPECT_EQ(Find(text, "vellacour", "BACK"), "/b.bmp");
    // Folding is ASCII only: umlauts of different case are different names.
    EXPECT_EQ(Find("[Ä]\nk=1\n", "ä", "k"), "<missing>");
    EXPECT_EQ(Find("[Ä]\nk=1\n", "Ä", "K"), "1");
}

TEST(IniFindValue, MissingSectionOrKeyOrEmptyText) {
    EXPECT_FALSE(IniFindValue("", "Vellacour", "cover"));
    EXPECT_FALSE(IniFindValue("[Other]\ncover=x\n", "Vellacour", "cover"));
    EXPECT_FALSE(IniFindValue("[Vellacour]\nback=x\n", "Vellacour", "cover"));
    // A key before any section header belongs to no section.
    EXPECT_FALSE(IniFindValue("cover=x\n[Vellacour]\n", "Vellacour", "cover"));
    // An existing key with an empty value is not missing.
    EXPECT_EQ(Find("[Vellacour]\ncover=\n", "Vellacour", "cover"), "");
}

TEST(IniFindValue, IgnoresBlanksAroundNamesAndValues) {
    const std::string text = "  [ Vellacour ]  \n\t cover \t=  /a b.jpg \t\n";
    EXPECT_EQ(Find(text, "Vellacour", "cover"), "/a b.jpg");
    EXPECT_EQ(Find(text, " Vellacour ", " cover "), "/a b.jpg");
}

TEST(IniFindValue, TakesOffOneMatchingPairOfQuotes) {
    EXPECT_EQ(Find("[s]\nk=\"/a b\"\n", "s", "k"), "/a b");
    EXPECT_EQ(Find("[s]\nk=' x '\n", "s", "k"), " x ");
    EXPECT_EQ(Find("[s]\nk=\"\"x\"\"\n", "s", "k"), "\"x\"");
    EXPECT_EQ(Find("[s]\nk=\"x'\n", "s", "k"), "\"x'");
    EXPECT_EQ(Find("[s]\nk=\"\n", "s", "k"), "\"");
    EXPECT_EQ(Find("[s]\nk=\"\"\n", "s", "k"), "");
}

TEST(IniFindValue, ValueIsEverythingAfterTheFirstEquals) {
    EXPECT_EQ(Find("[s]\nk=a=b==c\n", "s", "k"), "a=b==c");
    EXPECT_EQ(Find("[s]\nk==\n", "s", "k"), "=");
}

TEST(IniFindValue, CommentsAndLinesWithoutEqualsNeverMatch) {
    const std::string text = "[s]\n;k=comment\n  ;k=indented\nk\nk=value\n";
    EXPECT_EQ(Find(text, "s", "k"), "value");
    EXPECT_EQ(Find(text, "s", ";k"), "<missing>");
    // A header needs its closing bracket; "[x" is an ordinary line.
    EXPECT_EQ(Find("[s\nk=1\n", "s", "k"), "<missing>");
    EXPECT_EQ(Find("[a]b] tail\nk=1\n", "a]b", "k"), "1");
}

TEST(IniFindValue, FirstDuplicateSectionAndKeyWin) {
    const std::string text = "[s]\nk=first\nk=second\n[S]\nk=third\nonly=later\n";
    EXPECT_EQ(Find(text, "s", "k"), "first");
    EXPECT_EQ(Find(text, "s", "only"), "<missing>");
}

TEST(IniFindValue, ReadsEveryLineEndAndAByteOrderMark) {
    EXPECT_EQ(Find("[s]\r\na=1\r\nb=2\r\n", "s", "b"), "2");
    EXPECT_EQ(Find("[s]\ra=1\rb=2", "s", "a"), "1");
    EXPECT_EQ(Find("[s]\ra=1\rb=2", "s", "b"), "2");
    EXPECT_EQ(Find("[t]\r\n[s]\na=1\rb=2\r\n", "s", "b"), "2");
    EXPECT_EQ(Find("\xEF\xBB\xBF[s]\na=1\n", "s", "a"), "1");
}

// A text read once answers as IniFindValue does, with each value cut as a file's is.
TEST(TIniText, ReadsEveryValueOnceAsTheTextHoldsIt) {
    const char zeros[] = "nul=\0zero\n[s\0]\nz=0\n";
    const std::string text = "\xEF\xBB\xBFvor=1\n[S]\nK=first\nk=second\n  q = \"' x '\" \n" +
                             std::string(zeros, sizeof zeros - 1) +
                             "leer=\n[t]\nlang=" + std::string(3000, 'x') +
                             "\n[s]\nk=third\nonly=later\n";
    const TIniText ini(text);
    const struct {
        const char* Section;
        const char* Key;
        std::optional<std::string> Value;
    } cases[] = {
        {"s", "k", "first"},         // first section and first key win, any case
        {" s ", "K", "first"},       // names without their blanks
        {"s", "q", "' x '"},         // one pair of quotes taken off
        {"s", "only", std::nullopt}, // a later section of the name counts not
        {"s", "z", "0"},             // a line with a zero byte is no header...
        {"s", "nul", std::nullopt},  // ...and no key
        {"s", "leer", ""},
        {"t", "lang", std::string(2047, 'x')}, // cut to 2047 bytes
        {"", "vor", std::nullopt},             // a key before any section is in none
        {"u", "k", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Section) + "/" + c.Key);
        EXPECT_EQ(ini.Value(c.Section, c.Key), c.Value);
        EXPECT_EQ(ini.String(c.Section, c.Key, "<default>"), c.Value.value_or("<default>"));
    }
    EXPECT_TRUE(ini.HasSection("S"));
    EXPECT_TRUE(ini.HasSection("t"));
    EXPECT_FALSE(ini.HasSection("u"));
    EXPECT_FALSE(TIniText().HasSection("s"));
}

TEST(IniSetValues, NewTextIsHeaderAndKeysWithLf) {
    EXPECT_EQ(IniSetValues("", "Vellacour", {{"cover", "/a.jpg"}, {"back", ""}}),
              "[Vellacour]\ncover=/a.jpg\nback=\n");
}

TEST(IniSetValues, ReplacingKeepsEveryOtherLineByteForByte) {
    const std::string before = "; layout\r\n\r\n[Other]\r\ncover = keep\r\n"
                               "[VELLACOUR]\r\n  Cover =  /old.jpg  \r\n; note\r\nx\r\n"
                               "BACK=\"/old.bmp\"\r\nextra=1\r\n\r\n[Last]\r\nz=9";
    const std::string after = "; layout\r\n\r\n[Other]\r\ncover = keep\r\n"
                              "[VELLACOUR]\r\nCover=/new.jpg\r\n; note\r\nx\r\n"
                              "BACK=/new.bmp\r\nextra=1\r\n\r\n[Last]\r\nz=9";
    EXPECT_EQ(IniSetValues(before, "Vellacour", {{"cover", "/new.jpg"}, {"back", "/new.bmp"}}),
              after);
}

TEST(IniSetValues, NewKeyGoesAfterLastKeyOfItsSection) {
    const std::string before = "[s]\na=1\n; about t\n\n\n[t]\nb=2\n";
    EXPECT_EQ(IniSetValues(before, "S", {{"c", "3"}}), "[s]\na=1\nc=3\n; about t\n\n\n[t]\nb=2\n");
    EXPECT_EQ(IniSetValues("[s]\n\n[t]\n", "s", {{"c", "3"}}), "[s]\nc=3\n\n[t]\n");
    // The last line of the text gets its line end before a key follows it.
    EXPECT_EQ(IniSetValues("[s]\r\na=1", "s", {{"c", "3"}}), "[s]\r\na=1\r\nc=3\r\n");
    EXPECT_EQ(IniSetValues("[s]", "s", {{"c", "3"}}), "[s]\nc=3\n");
}

TEST(IniSetValues, NewSectionIsAppendedInTheTextsLineEndStyle) {
    EXPECT_EQ(IniSetValues("[a]\r\nx=1", "Vellacour", {{"cover", "c"}, {"back", "b"}}),
              "[a]\r\nx=1\r\n[Vellacour]\r\ncover=c\r\nback=b\r\n");
    EXPECT_EQ(IniSetValues("[a]\rx=1\r\r", "s", {{"k", "v"}}), "[a]\rx=1\r\r[s]\rk=v\r");
    EXPECT_EQ(IniSetValues("\xEF\xBB\xBF", "s", {{"k", "v"}}), "\xEF\xBB\xBF[s]\nk=v\n");
}

TEST(IniSetValues, FirstOfDuplicateKeysIsReplaced) {
    EXPECT_EQ(IniSetValues("[s]\nk=1\nk=2\n[s]\nk=3\n", "s", {{"K", "new"}}),
              "[s]\nk=new\nk=2\n[s]\nk=3\n");
}

TEST(IniSetValues, LaterEntryForTheSameKeyWins) {
    const std::string text = IniSetValues("", "s", {{"k", "1"}, {"K", "2"}});
    EXPECT_EQ(text, "[s]\nk=2\n");
}

TEST(IniSetValues, ValuesThatReadingWouldChangeAreQuoted) {
    for (const std::string value : {" lead", "trail\t", "\"both\"", "'x'", "  ", "\"", "a\"b\""}) {
        const std::string text = IniSetValues("", "s", {{"k", value}});
        EXPECT_EQ(Find(text, "s", "k"), value) << text;
    }
    EXPECT_EQ(IniSetValues("", "s", {{"k", " x"}}), "[s]\nk=\" x\"\n");
}

TEST(IniCanWrite, RefusesWhatCouldNotBeReadBack) {
    EXPECT_TRUE(IniCanWrite("Vellacour", "cover", "/a=b;c[d].jpg"));
    EXPECT_FALSE(IniCanWrite("Vellacour", "cover", "/a\nb.jpg"));
    EXPECT_FALSE(IniCanWrite("Vellacour", "cover", "/a\rb.jpg"));
    EXPECT_FALSE(IniCanWrite("Vellacour", "cover", std::string_view("/a\0b.jpg", 8)));
    EXPECT_FALSE(IniCanWrite("Vellacour", std::string_view("co\0ver", 6), ""));
    EXPECT_FALSE(IniCanWrite("Velle\ncour", "cover", ""));
    EXPECT_FALSE(IniCanWrite(" ", "cover", ""));
    EXPECT_FALSE(IniCanWrite("s", "", ""));
    EXPECT_FALSE(IniCanWrite("s", "a=b", ""));
    EXPECT_FALSE(IniCanWrite("s", ";k", ""));
    EXPECT_FALSE(IniCanWrite("s", "[k]", ""));
}

TEST(TIniFile, MissingFileFolderOrPipeReadsTheDefault) {
    TempDir dir;
    EXPECT_EQ(TIniFile(dir.File("none.vco")).ReadString("Vellacour", "cover", "dflt"), "dflt");
    EXPECT_EQ(TIniFile(dir.Path().string()).ReadString("Vellacour", "cover", ""), "");
    const std::string fifo = dir.File("pipe.vco");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(TIniFile(fifo).ReadString("Vellacour", "cover", "dflt"), "dflt");
}

TEST(TIniFile, WritesANewFileAndReadsItBack) {
    TempDir dir;
    TIniFile ini(dir.File("layout.vco"));
    ini.WriteStrings("Vellacour", {{"cover", "/home/u/Bilder/Vorderseite äö.jpg"}, {"back", ""}});
    EXPECT_EQ(ReadFileText(ini.FileName()),
              "[Vellacour]\ncover=/home/u/Bilder/Vorderseite äö.jpg\nback=\n");
    EXPECT_EQ(ini.ReadString("VELLACOUR", "Cover", "x"), "/home/u/Bilder/Vorderseite äö.jpg");
    EXPECT_EQ(ini.ReadString("Vellacour", "back", "x"), "");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(ini.FileName()), 0666 & ~mask);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"layout.vco"});
}

TEST(TIniFile, SavingIntoAnotherIniFileKeepsItsContentAndPermissions) {
    TempDir dir;
    const std::string path = dir.File("other.ini");
    WriteFileText(path, "[Settings]\r\nCover=keep\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    TIniFile ini(path);
    ini.WriteString("Vellacour", "cover", "/c.jpg");
    ini.WriteString("Vellacour", "back", "/b.jpg");
    EXPECT_EQ(ReadFileText(path),
              "[Settings]\r\nCover=keep\r\n[Vellacour]\r\ncover=/c.jpg\r\nback=/b.jpg\r\n");
    EXPECT_EQ(ModeOf(path), 0640u);
}

TEST(TIniFile, LongValueIsCutTo2047Bytes) {
    TempDir dir;
    TIniFile ini(dir.File("long.vco"));
    const std::string value = "/" + std::string(3000, 'x');
    ini.WriteString("Vellacour", "cover", value);
    EXPECT_EQ(ini.ReadString("Vellacour", "cover", ""), value.substr(0, 2047));
    ini.WriteString("Vellacour", "cover", value.substr(0, 2047));
    EXPECT_EQ(ini.ReadString("Vellacour", "cover", ""), value.substr(0, 2047));
}

TEST(TIniFile, ReadOnlyFileIsRefusedAndUnchanged) {
    TempDir dir;
    const std::string path = dir.File("ro.vco");
    const std::string before = "[Vellacour]\ncover=/old.jpg\nback=/old.bmp\n";
    WriteFileText(path, before);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    TIniFile ini(path);
    ExpectRefused(ini, before);
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"ro.vco"});
}

TEST(TIniFile, MissingFolderOrFolderOrPipeIsRefused) {
    TempDir dir;
    TIniFile missing(dir.File("gone/layout.vco"));
    ExpectRefused(missing, "");
    EXPECT_FALSE(fs::exists(dir.Path() / "gone"));

    TIniFile folder(dir.Path().string());
    EXPECT_THROW(folder.WriteString("Vellacour", "cover", "x"), EIniFileException);

    const std::string fifo = dir.File("pipe.vco");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TIniFile pipe(fifo);
    EXPECT_THROW(pipe.WriteString("Vellacour", "cover", "x"), EIniFileException);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"pipe.vco"});
}

TEST(TIniFile, ValueWithLineBreakIsRefusedAndFileUnchanged) {
    TempDir dir;
    const std::string path = dir.File("layout.vco");
    const std::string before = "[Vellacour]\ncover=/a.jpg\n";
    WriteFileText(path, before);
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteStrings("Vellacour", {{"cover", "/b.jpg"}, {"back", "/x\n[y]"}}),
                 EIniFileException);
    EXPECT_EQ(ReadFileText(path), before);
}

TEST(TIniFile, SymbolicLinkStaysALinkAndItsTargetIsReplaced) {
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    const std::string target = dir.File("real/layout.vco");
    WriteFileText(target, "[Vellacour]\ncover=/old.jpg\n");
    const std::string link = dir.File("link.vco");
    fs::create_symlink("real/layout.vco", link);
    TIniFile ini(link);
    ini.WriteString("Vellacour", "cover", "/new.jpg");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileText(target), "[Vellacour]\ncover=/new.jpg\n");
    EXPECT_EQ(FolderEntries(dir.Path() / "real"), std::vector<std::string>{"layout.vco"});

    // A dangling link creates its target.
    fs::create_symlink("real/new.vco", dir.File("dangling.vco"));
    TIniFile(dir.File("dangling.vco")).WriteString("Vellacour", "back", "/b.jpg");
    EXPECT_EQ(ReadFileText(dir.File("real/new.vco")), "[Vellacour]\nback=/b.jpg\n");

    fs::create_symlink("loop.vco", dir.File("loop.vco"));
    EXPECT_THROW(TIniFile(dir.File("loop.vco")).WriteString("Vellacour", "back", "x"),
                 EIniFileException);
}

TEST(TIniFile, CrashBeforeRenameLeavesOldFileIntact) {
    TempDir dir;
    const std::string path = dir.File("layout.vco");
    const std::string before = "[Vellacour]\ncover=/old.jpg\nback=/old.bmp\n";
    WriteFileText(path, before);
    std::string written;
    SetBeforeRenameHook([&](const std::string& temp) {
        written = ReadFileText(temp);
        throw std::runtime_error("simulated crash");
    });
    TIniFile ini(path);
    EXPECT_THROW(ini.WriteStrings("Vellacour", {{"cover", "/new.jpg"}, {"back", "/new.bmp"}}),
                 std::runtime_error);
    SetBeforeRenameHook(nullptr);
    // Both keys were in the one temporary file, and the real file never saw either.
    EXPECT_EQ(written, "[Vellacour]\ncover=/new.jpg\nback=/new.bmp\n");
    EXPECT_EQ(ReadFileText(path), before);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"layout.vco"});
}

TEST(TIniFile, FullDiskLeavesOldFileIntact) {
    TempDir dir;
    const std::string path = dir.File("layout.vco");
    const std::string before = "[Vellacour]\ncover=/old.jpg\n";
    WriteFileText(path, before);
    TIniFile ini(path);
    // A file size limit makes the write of the temporary file fail as a full disk would.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    rlimit limit = oldLimit;
    limit.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    bool refused = false;
    try {
        ini.WriteString("Vellacour", "cover", "/" + std::string(1000, 'n'));
    } catch (const EIniFileException&) {
        refused = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(refused);
    EXPECT_EQ(ReadFileText(path), before);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"layout.vco"});
}
