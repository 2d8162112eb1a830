#include <QMenu>
#include <QProcess>
#include <gtest/gtest.h>
#include <map>
#include <pwd.h>
#include <unistd.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "mru/RegMru.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

const std::string KeyLine =
    "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\frmMain\\MRUHistory]\n";

// The main window with a registry of its own.
class RecentLayouts : public testing::Test {
protected:
    void SetUp() override {
        Saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", Dir.File("config").c_str());
        TApplication::SetTitle("Vellacour");
        CoverBmp = Dir.File("vorne.bmp");
        WriteBmp(CoverBmp, 8, 8, 0xFF0000);
        Form = std::make_unique<TfrmMain>(Printer());
    }
    void TearDown() override {
        Form.reset();
        qputenv("XDG_CONFIG_HOME", Saved);
    }

    std::string StoreFile() const { return Dir.File("config/Vellacour/registry.reg"); }
    std::string StoredValues() const {
        const std::string text = ReadFileText(StoreFile());
        const size_t at = text.find(KeyLine);
        return at == std::string::npos ? "<no key>" : text.substr(at + KeyLine.size());
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const QAction* item : Form->LetzteDateien->actions())
            captions.push_back(item->text().toStdString());
        return captions;
    }
    // A layout file with the cover picture only and an empty back.
    std::string Layout(const std::string& name) {
        const std::string file = Dir.File(name);
        WriteLayoutPaths(file, CoverBmp, CoverBmp);
        return file;
    }

    TempDir Dir;
    QByteArray Saved;
    std::string CoverBmp;
    std::unique_ptr<TfrmMain> Form;
};

TEST_F(RecentLayouts, FirstRunStartsEmptyAndClosingCreatesTheKey) {
    Form->show();
    EXPECT_TRUE(Captions().empty());
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(StoredValues(), "\"Count\"=\"0\"\n\"MaxFiles\"=\"4\"\n");
}

TEST_F(RecentLayouts, ADamagedStoreGivesWhatCouldBeRead) {
    fs::create_directories(Dir.File("config/Vellacour"));
    WriteFileText(StoreFile(), "Windows Registry Editor\n" + KeyLine +
                                   "\"Count\"=\"2\"\n\"H0\"=\"/a.vco\"\n\"H1\"=\"/b.v");
    Form->show();
    EXPECT_EQ(Captions(), std::vector<std::string>{"/a.vco"});
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(StoredValues(), "\"Count\"=\"1\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"/a.vco\"\n");
}

TEST_F(RecentLayouts, SavesAddTheLastFourAndTheNextRunShowsThemPlain) {
    Form->show();
    Form->Document.Cover.Entry = CoverBmp;
    Form->Document.Back.Entry = CoverBmp;
    std::vector<std::string> files;
    for (const char* name : {"1.vco", "2.vco", "3.vco", "4.vco", "5.vco"}) {
        files.push_back(Dir.File(name));
        Form->SaveCover(files.back());
    }
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 " + files[4], "&2 " + files[3],
                                                    "&3 " + files[2], "&4 " + files[1]}));
    EXPECT_TRUE(Form->close());
    EXPECT_EQ(StoredValues(), "\"Count\"=\"4\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"" + files[4] +
                                  "\"\n\"H1\"=\"" + files[3] + "\"\n\"H2\"=\"" + files[2] +
                                  "\"\n\"H3\"=\"" + files[1] + "\"\n");

    Form = std::make_unique<TfrmMain>(Printer());
    EXPECT_TRUE(Captions().empty()) << "loaded only when shown";
    Form->show();
    EXPECT_EQ(Captions(), (std::vector<std::string>{files[4], files[3], files[2], files[1]}));
}

TEST_F(RecentLayouts, OpeningDoesNotAddButSavingDoes) {
    Form->show();
    const std::string file = Layout("offen.vco");
    DialogScript script;
    script.Choose(file);
    Form->btnOpenClick();
    EXPECT_TRUE(Captions().empty());
    Form->btnSaveClick();
    EXPECT_EQ(Captions(), std::vector<std::string>{"&1 " + file});
}

TEST_F(RecentLayouts, ChoosingAnEntryAsksToSaveThenOpensIt) {
    Form->show();
    const std::string first = Layout("erste.vco");
    const std::string second = Layout("zweite.vco");
    Form->SaveCover(first);
    Form->SaveCover(second);
    Form->btnNewClick();
    DialogScript script;
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();

    // "&Nein": the chosen layout opens and goes to the top.
    script.Click("&Nein");
    Form->LetzteDateien->actions()[1]->trigger();
    EXPECT_EQ(script.Shown.back(),
              QString::fromUtf8("Bestätigung|Änderungen in <Unbenannt> speichern?"));
    EXPECT_EQ(Form->windowTitle(), QString::fromStdString(first + " - Vellacour"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 " + first, "&2 " + second}));

    // "&Ja" on an untitled layout saves under the chosen name without adding it.
    Form->btnNewClick();
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    const std::string saved = Dir.File("gespeichert.vco");
    script.Click("&Ja").Choose(saved);
    Form->LetzteDateien->actions()[1]->trigger();
    EXPECT_EQ(StoredCover(saved), CoverBmp);
    EXPECT_EQ(Form->windowTitle(), QString::fromStdString(second + " - Vellacour"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 " + second, "&2 " + first}));

    // "Abbrechen" keeps the layout; the chosen entry still goes to the top.
    script.Choose(CoverBmp);
    Form->btnInsertCoverClick();
    Form->Document.Cover.Entry = "/anders.bmp";
    script.Click("Abbrechen");
    Form->LetzteDateien->actions()[1]->trigger();
    EXPECT_EQ(Form->LayoutFile, second);
    EXPECT_EQ(Form->Document.Cover.File(), "/anders.bmp");
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 " + first, "&2 " + second}));
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(RecentLayouts, AFailedOpenShowsTheErrorAndLeavesTheEntry) {
    Form->show();
    const std::string good = Layout("gut.vco");
    const std::string bad = Dir.File("kaputt.vco");
    Form->SaveCover(bad);
    Form->SaveCover(good);
    // A picture that cannot be read fails the open (one that is missing would not).
    WriteFileText(Dir.File("kaputt.bmp"), "kein Bild");
    WriteLayoutPaths(bad, Dir.File("kaputt.bmp"), CoverBmp);
    DialogScript script;
    script.Click("OK");
    Form->LetzteDateien->actions()[1]->trigger();
    EXPECT_EQ(script.Pending(), 0) << "the error was shown";
    EXPECT_EQ(Form->LayoutFile, good);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 " + good, "&2 " + bad}));
    // Adding works again after the failed click.
    const std::string third = Layout("dritte.vco");
    Form->SaveCover(third);
    EXPECT_EQ(Captions().front(), "&1 " + third);
}

// Every entry opens exactly the file saved, through the real store and a second run.
TEST_F(RecentLayouts, EachEntryOpensExactlyTheFileSaved) {
    const std::string folder = Dir.File(Repeat("Überlänge ", 12));
    fs::create_directories(folder);
    const std::string names[] = {
        folder + "/Hülle für „Wintermärchen“ – Doppel-CD & Beiheft.vco",
        Dir.File("Cover.vco"),
        Dir.File("cover.vco"),
        Dir.File("links|rechts.vco"),
        Dir.File("zwei\nZeilen.vco"),
    };
    ASSERT_GT(names[0].size(), 200u);
    // Room for all five: a stored limit governs the run.
    fs::create_directories(Dir.File("config/Vellacour"));
    WriteFileText(StoreFile(), "Windows Registry Editor Version 5.00\n\n" + KeyLine +
                                   "\"Count\"=\"0\"\n\"MaxFiles\"=\"8\"\n");
    Form->show();
    std::map<std::string, std::string> covers;
    for (const auto& name : names) {
        covers[name] = Dir.File("bild" + std::to_string(covers.size()) + ".bmp");
        WriteBmp(covers[name], 4, 4, 0x00FF00);
        Form->Document.Cover.Entry = covers[name];
        Form->Document.Back.Entry = CoverBmp;
        for (int time = 0; time < (name == names[0] ? 5 : 1); ++time)
            Form->SaveCover(name);
    }
    EXPECT_EQ(Captions().size(), 5u) << "saving one layout five times leaves one entry";
    EXPECT_TRUE(Form->close());

    Form = std::make_unique<TfrmMain>(Printer());
    Form->show();
    for (const auto& name : names) {
        QAction* entry = nullptr;
        for (QAction* item : Form->LetzteDateien->actions())
            if (item->toolTip().toStdString() == name)
                entry = item;
        ASSERT_NE(entry, nullptr) << name;
        entry->trigger();
        EXPECT_EQ(Form->LayoutFile, name);
        EXPECT_EQ(Form->Document.Cover.File(), covers[name]) << name;
        EXPECT_EQ(Form->LetzteDateien->actions()[0]->toolTip().toStdString(), name);
    }
}

// A limit in the store that is no number leaves the program's 4, which is saved back.
TEST_F(RecentLayouts, AStoredLimitThatIsNoNumberLeavesTheProgramsOwn) {
    for (const char* limit : {"abc", "", "4x", "99999999999"}) {
        fs::create_directories(Dir.File("config/Vellacour"));
        WriteFileText(StoreFile(), "Windows Registry Editor Version 5.00\n\n" + KeyLine +
                                       "\"Count\"=\"1\"\n\"MaxFiles\"=\"" + limit +
                                       "\"\n\"H0\"=\"/alt.vco\"\n");
        Form = std::make_unique<TfrmMain>(Printer());
        Form->show();
        Form->Document.Cover.Entry = CoverBmp;
        Form->SaveCover(Dir.File("neu.vco"));
        EXPECT_TRUE(Form->close());
        EXPECT_EQ(StoredValues(), "\"Count\"=\"2\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"" +
                                      Dir.File("neu.vco") + "\"\n\"H1\"=\"/alt.vco\"\n")
            << limit;
    }
}

// With the store write-protected the program goes on with what it read, says so once and
// never replaces the file. Meant for a user who cannot override permissions: run as root,
// the test copies itself where nobody can reach it and runs again as nobody.
TEST_F(RecentLayouts, AWriteProtectedStoreIsLeftAlone) {
    const std::string stored = "Windows Registry Editor Version 5.00\n\n" + KeyLine +
                               "\"Count\"=\"1\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"/alt.vco\"\n";
    const char* given = std::getenv("VC_PROTECTED_CONFIG");
    const std::string config = given ? given : Dir.File("home/config");
    const std::string store = config + "/Vellacour/registry.reg";
    if (!given) {
        fs::create_directories(config + "/Vellacour");
        WriteFileText(store, stored);
        fs::permissions(store,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    if (!given && ::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            GTEST_SKIP() << "no user nobody";
        const std::string home = Dir.File("home");
        const std::string self = Dir.File("test");
        fs::copy_file("/proc/self/exe", self);
        fs::permissions(Dir.Path(),
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        for (const auto& entry : fs::recursive_directory_iterator(home))
            ASSERT_EQ(::chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        ASSERT_EQ(::chown(home.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        QProcess run;
        // The sanitizers' settings go along; the folders are nobody's.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(home));
        env.insert("TMPDIR", QString::fromStdString(home));
        env.remove("XDG_RUNTIME_DIR");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VC_PROTECTED_CONFIG", QString::fromStdString(config));
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        const QStringList asNobody = {"--reuid=" + QString::number(nobody->pw_uid),
                                      "--regid=" + QString::number(nobody->pw_gid),
                                      "--clear-groups", "--"};
        run.start("setpriv", asNobody + QStringList{"/bin/true"});
        if (!run.waitForFinished(10000) || run.exitStatus() != QProcess::NormalExit ||
            run.exitCode() != 0)
            GTEST_SKIP() << "cannot switch to user nobody";
        run.start("setpriv", asNobody + QStringList{QString::fromStdString(self),
                                                    "--gtest_filter=RecentLayouts."
                                                    "AWriteProtectedStoreIsLeftAlone"});
        ASSERT_TRUE(run.waitForFinished(60000));
        const std::string output = run.readAll().toStdString();
        EXPECT_EQ(run.exitCode(), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
    } else {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config));
        Form = std::make_unique<TfrmMain>(Printer());
        DialogScript script;
        script.Click("OK");
        Form->show();
        EXPECT_EQ(script.Shown,
                  std::vector<QString>{QString::fromStdString(
                      "Vellacour|Die Einstellungen können nicht gespeichert werden, denn '" +
                      store + "' ist schreibgeschützt.")});
        Form->Document.Cover.Entry = CoverBmp;
        Form->SaveCover(Dir.File("neu.vco"));
        EXPECT_EQ(Captions(),
                  (std::vector<std::string>{"&1 " + Dir.File("neu.vco"), "&2 /alt.vco"}));
        EXPECT_TRUE(Form->close());
        EXPECT_EQ(script.Shown.size(), 1u) << "said once";
    }
    EXPECT_EQ(ReadFileText(store), stored);
    EXPECT_EQ(fs::status(store).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

} // namespace
