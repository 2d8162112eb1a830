// The one replacement rule of every file the programs write: only a regular file or a new
// name is replaced, links are followed (a loop fails), and an output that is one of its
// own inputs is refused.
#include <gtest/gtest.h>

#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "TestSupport.h"
#include "toolkit/SafeFile.h"

namespace {

// Binds a Unix socket at path, as a server leaves one in the file system.
bool MakeSocket(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return bound;
}

mode_t TypeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & S_IFMT;
}

size_t EntriesIn(const fs::path& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

// A path to examine, made in the folder by Make.
struct TTargetCase {
    const char* Name;
    std::function<std::string(const TempDir&)> Make;
    TTargetState Expected;
};

} // namespace

TEST(ExamineTarget, OnlyARegularFileOrANewNameIsReplaceable) {
    const std::vector<TTargetCase> cases = {
        {"new name", [](const TempDir& dir) { return dir.File("neu.png"); }, TTargetState::New},
        {"regular file",
         [](const TempDir& dir) {
             WriteFileText(dir.File("alt.png"), "alt");
             return dir.File("alt.png");
         },
         TTargetState::Regular},
        {"link to a regular file",
         [](const TempDir& dir) {
             WriteFileText(dir.File("ziel.png"), "alt");
             fs::create_symlink("ziel.png", dir.File("link.png"));
             return dir.File("link.png");
         },
         TTargetState::Regular},
        {"dangling link",
         [](const TempDir& dir) {
             fs::create_symlink("fehlt.png", dir.File("link.png"));
             return dir.File("link.png");
         },
         TTargetState::New},
        {"read-only file",
         [](const TempDir& dir) {
             WriteFileText(dir.File("fest.png"), "alt");
             fs::permissions(dir.File("fest.png"), fs::perms::owner_read);
             return dir.File("fest.png");
         },
         TTargetState::ReadOnly},
        {"folder", [](const TempDir& dir) { return dir.Path().string(); },
         TTargetState::NotRegular},
        {"pipe",
         [](const TempDir& dir) {
             EXPECT_EQ(::mkfifo(dir.File("rohr").c_str(), 0600), 0);
             return dir.File("rohr");
         },
         TTargetState::NotRegular},
        {"socket",
         [](const TempDir& dir) {
             EXPECT_TRUE(MakeSocket(dir.File("sock")));
             return dir.File("sock");
         },
         TTargetState::NotRegular},
        {"character device", [](const TempDir&) { return std::string("/dev/null"); },
         TTargetState::NotRegular},
        {"link to a character device",
         [](const TempDir& dir) {
             fs::create_symlink("/dev/null", dir.File("null.png"));
             return dir.File("null.png");
         },
         TTargetState::NotRegular},
        {"link loop",
         [](const TempDir& dir) {
             fs::create_symlink("b.png", dir.File("a.png"));
             fs::create_symlink("a.png", dir.File("b.png"));
             return dir.File("a.png");
         },
         TTargetState::Unresolvable},
        {"below a file",
         [](const TempDir& dir) {
             WriteFileText(dir.File("datei"), "");
             return dir.File("datei/neu.png");
         },
         TTargetState::Unresolvable},
    };
    for (const TTargetCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const TReplaceTarget target = ExamineTarget(c.Make(dir));
        EXPECT_EQ(target.State, c.Expected);
        EXPECT_EQ(target.Replaceable(),
                  c.Expected == TTargetState::New || c.Expected == TTargetState::Regular);
    }
}

TEST(ExamineTarget, FollowsLinksToTheFileReallyReplaced) {
    TempDir dir;
    fs::create_directory(dir.Path() / "real");
    WriteFileText(dir.File("real/ziel.png"), "alt");
    fs::create_symlink("real/ziel.png", dir.File("eins.png"));
    fs::create_symlink("eins.png", dir.File("zwei.png"));
    const TReplaceTarget target = ExamineTarget(dir.File("zwei.png"));
    EXPECT_EQ(target.Path, dir.File("real/ziel.png"));
    ASSERT_NE(target.ExistingStatus(), nullptr);
    EXPECT_EQ(target.ExistingStatus()->st_size, 3);
}

// Whatever takes the name between the check and the rename is not replaced either.
TEST(ReplaceFile, APipeThatTookTheNameMeanwhileIsNotReplaced) {
    TempDir dir;
    const std::string path = dir.File("bild.png");
    SetBeforeRenameHook([&](const std::string&) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); });
    const bool replaced = ReplaceFile(path, "neu", nullptr);
    SetBeforeRenameHook(nullptr);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(TypeOf(path), S_IFIFO);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u) << "a temporary file was left";
}

TEST(SameFile, HardAndSymbolicLinksAreTheFile) {
    TempDir dir;
    fs::create_directory(dir.Path() / "sub");
    const std::string file = dir.File("sub/bild.png");
    WriteFileText(file, "bild");
    WriteFileText(dir.File("kopie.png"), "bild");
    fs::create_hard_link(file, dir.File("hart.png"));
    fs::create_symlink("sub/bild.png", dir.File("weich.png"));
    fs::create_symlink("b.png", dir.File("a.png"));
    fs::create_symlink("a.png", dir.File("b.png"));
    const struct {
        std::string Other;
        bool Same;
    } cases[] = {
        {file, true},
        {dir.File("sub/../sub/bild.png"), true},
        {dir.File("hart.png"), true},
        {dir.File("weich.png"), true},
        {dir.File("kopie.png"), false}, // same bytes, another file
        {dir.File("fehlt.png"), false},
        {dir.File("a.png"), false}, // a link loop is no file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Other);
        EXPECT_EQ(SameFile(file, c.Other), c.Same);
        EXPECT_EQ(SameFile(c.Other, file), c.Same);
    }
    EXPECT_FALSE(SameFile(dir.File("fehlt.png"), dir.File("fehlt.png")));
}

// A character device takes the same path as a pipe (ExamineTarget above finds /dev/null
// not regular); it is left out here so that a broken check could never replace the
// system's /dev/null when the tests run as root.
TEST(ReplaceOutputFile, RefusesAnInputAndAnythingButARegularFileOrANewName) {
    TempDir dir;
    const std::string input = dir.File("eingabe.png");
    WriteFileText(input, "eingabe");
    fs::create_hard_link(input, dir.File("hart.png"));
    fs::create_symlink("eingabe.png", dir.File("weich.png"));
    ASSERT_EQ(::mkfifo(dir.File("rohr").c_str(), 0600), 0);
    ASSERT_TRUE(MakeSocket(dir.File("sock")));
    fs::create_directory(dir.Path() / "ordner");
    fs::create_symlink("schleife.png", dir.File("schleife.png"));
    WriteFileText(dir.File("alt.png"), "alt");
    const struct {
        std::string Output;
        TOutputResult Expected;
    } cases[] = {
        {input, TOutputResult::IsInput},
        {dir.File("hart.png"), TOutputResult::IsInput},
        {dir.File("weich.png"), TOutputResult::IsInput},
        {dir.File("rohr"), TOutputResult::NotRegular},
        {dir.File("sock"), TOutputResult::NotRegular},
        {dir.File("ordner"), TOutputResult::NotRegular},
        {dir.File("schleife.png"), TOutputResult::Failed},
        {dir.File("alt.png"), TOutputResult::Written},
        {dir.File("neu.png"), TOutputResult::Written},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Output);
        EXPECT_EQ(ReplaceOutputFile(c.Output, "ausgabe", {dir.File("andere.png"), input}),
                  c.Expected);
    }
    EXPECT_EQ(ReadFileText(input), "eingabe");
    EXPECT_TRUE(fs::is_symlink(dir.File("weich.png")));
    EXPECT_EQ(TypeOf(dir.File("rohr")), S_IFIFO);
    EXPECT_EQ(TypeOf(dir.File("sock")), S_IFSOCK);
    EXPECT_TRUE(fs::is_directory(dir.Path() / "ordner"));
    EXPECT_TRUE(fs::is_empty(dir.Path() / "ordner"));
    EXPECT_TRUE(fs::is_symlink(dir.File("schleife.png")));
    EXPECT_EQ(ReadFileText(dir.File("alt.png")), "ausgabe");
    EXPECT_EQ(ReadFileText(dir.File("neu.png")), "ausgabe");
    // The eight names made above plus the new file: no temporary file was left.
    EXPECT_EQ(EntriesIn(dir.Path()), 9u);
}
