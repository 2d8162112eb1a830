#include <QMenu>
#include <functional>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "mru/RegMru.h"
#include "toolkit/Errors.h"
#include "toolkit/SafeFile.h"

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

const std::string KeyLine =
    "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\frmMain\\MRUHistory]\n";

class RegMru : public testing::Test {
protected:
    void SetUp() override {
        Saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", Dir.Path().string().c_str());
        fs::create_directories(Dir.Path() / "Vellacour");
        Mru = std::make_unique<TRegMru>("frmMain");
        Mru->ApplicationName = "Vellacour";
        Mru->CompanyName = "Brennholt";
        Mru->ApplicationVersion = "1.0.0";
        Mru->MenuItem = &Host;
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", Saved); }

    std::string StoreFile() const { return Dir.File("Vellacour/registry.reg"); }
    // A store holding the key with these value lines.
    void StoreKey(const std::string& values) {
        WriteFileText(StoreFile(), "Windows Registry Editor Version 5.00\n\n" + KeyLine + values);
    }
    // The key's value lines as the store file holds them.
    std::string StoredValues() const {
        const std::string text = ReadFileText(StoreFile());
        const size_t at = text.find(KeyLine);
        if (at == std::string::npos)
            return "<no key>";
        const size_t begin = at + KeyLine.size();
        const size_t next = text.find("\n[", begin);
        return text.substr(begin, next == std::string::npos ? std::string::npos : next + 1 - begin);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : Mru->Entries())
            names.push_back(entry.Name);
        return names;
    }
    // The host's sub-items as captions, "-" for a separator.
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const QAction* item : Host.actions())
            captions.push_back(item->isSeparator() ? "-" : item->text().toStdString());
        return captions;
    }
    void Add(std::initializer_list<const char*> names) {
        for (const char* name : names)
            Mru->AddItem(name, false, true, 0, 0);
    }

    TempDir Dir;
    QByteArray Saved;
    QMenu Host;
    std::unique_ptr<TRegMru> Mru;
};

TEST_F(RegMru, DefaultsAndKeyPath) {
    TRegMru plain;
    EXPECT_EQ(plain.MaxItems(), -1);
    EXPECT_TRUE(plain.LazyWrite());
    EXPECT_EQ(plain.RootKey(), TRootKey::HKeyCurrentUser);
    EXPECT_FALSE(plain.ActiveRegistry());
    EXPECT_FALSE(plain.SerializeList);
    EXPECT_TRUE(plain.Separator);
    EXPECT_TRUE(plain.NumberItems);
    EXPECT_EQ(plain.OwnerName, "");
    EXPECT_EQ(plain.GetKeyPath(), "\\Software\\\\\\\\\\MRUHistory");
    EXPECT_EQ(Mru->GetKeyPath(), "\\Software\\Brennholt\\Vellacour\\1.0.0\\frmMain\\MRUHistory");
    // A path with an empty part is refused: saving writes nothing.
    plain.SaveToRegistry();
    EXPECT_FALSE(fs::exists(StoreFile()));
}

TEST_F(RegMru, LoadingTakesCountAsSwitchAndMaxFilesAsLimit) {
    struct Case {
        std::string Values;
        std::vector<std::string> Names;
        int32_t MaxItems;
    } cases[] = {
        {"\"Count\"=\"1\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"/a\"\n\"H1\"=\"/b\"\n\"H2\"=\"/c\"\n",
         {"/a", "/b", "/c"},
         4},
        {"\"count\"=\"0\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"/a\"\n", {}, 4},
        {"\"MaxFiles\"=\"4\"\n\"H0\"=\"/a\"\n", {}, 4},
        {"\"Count\"=\"-2\"\n\"H0\"=\"/a\"\n", {}, -1},
        {"\"Count\"=\"zwei\"\n\"H0\"=\"/a\"\n", {}, -1},
        // A limit that is no 32-bit decimal number leaves the program's own.
        {"\"MAXFILES\"=\"viele\"\n\"Count\"=\"1\"\n\"H0\"=\"/a\"\n", {"/a"}, -1},
        {"\"MaxFiles\"=\"0\"\n\"Count\"=\"1\"\n\"H0\"=\"/a\"\n", {}, 0},
        {"\"Count\"=\"3\"\n\"MaxFiles\"=\"2\"\n\"H0\"=\"/a\"\n\"x\"=\"/b\"\n\"H2\"=\"/c\"\n",
         {"/a", "/b"},
         2},
        {"\"Count\"=\"3\"\n\"DeFault\"=\"/d\"\n\"H0\"=\"/A\"\n\"H1\"=\"/a\"\n\"H2\"=\"/c|-5\"\n",
         {"/A", "/a", "/c"},
         -1},
    };
    for (const auto& c : cases) {
        StoreKey(c.Values);
        Mru = std::make_unique<TRegMru>("frmMain");
        Mru->ApplicationName = "Vellacour";
        Mru->CompanyName = "Brennholt";
        Mru->ApplicationVersion = "1.0.0";
        Mru->MenuItem = &Host;
        Mru->LoadFromRegistry();
        EXPECT_EQ(Names(), c.Names) << c.Values;
        EXPECT_EQ(Mru->MaxItems(), c.MaxItems) << c.Values;
        EXPECT_EQ(Mru->CurrentPath(), "");
        Host.clear();
    }
}

// Only a decimal number after the last "|" is data; a name may hold "|" itself.
TEST_F(RegMru, LoadingShowsPlainNamesWithDataAndTags) {
    StoreKey("\"Count\"=\"2\"\n\"H0\"=\"/a|b.vco|7\"\n\"H1\"=\"/c.vco\"\n"
             "\"H2\"=\"/x/links|rechts.vco\"\n\"H3\"=\"/y|12a\"\n\"H4\"=\"/z|\"\n");
    Mru->LoadFromRegistry();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"-", "/a|b.vco", "/c.vco",
                                                    "/x/links|rechts.vco", "/y|12a", "/z|"}));
    std::vector<int32_t> data;
    for (const auto& entry : Mru->Entries())
        data.push_back(entry.Data);
    EXPECT_EQ(data, (std::vector<int32_t>{7, 0, 0, 0, 0}));
    EXPECT_EQ(Mru->Entries()[1].Item->data().toInt(), 2) << "the tag is the value's index";
}

TEST_F(RegMru, LoadingAnEntryOfAnotherTypeFailsAfterTheEntriesBeforeIt) {
    StoreKey("\"Count\"=\"3\"\n\"H0\"=\"/a\"\n\"H1\"=dword:00000001\n\"H2\"=\"/c\"\n");
    try {
        Mru->LoadFromRegistry();
        ADD_FAILURE() << "load succeeded";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Ungültiger Datentyp für 'H1'");
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"/a"}));
    EXPECT_EQ(Mru->CurrentPath(), "");
}

TEST_F(RegMru, SavingReplacesTheValuesButDefault) {
    StoreKey("\"default\"=\"bleibt\"\n\"Alt\"=\"weg\"\n@=\"auch weg\"\n");
    Mru->SetMaxItems(4);
    Add({"/c.vco", "/b.vco"});
    Mru->AddItem("/a.vco", false, true, 0, 7);
    Mru->SaveToRegistry();
    EXPECT_EQ(StoredValues(), "\"default\"=\"bleibt\"\n"
                              "\"Count\"=\"3\"\n"
                              "\"MaxFiles\"=\"4\"\n"
                              "\"H0\"=\"/a.vco|7\"\n"
                              "\"H1\"=\"/b.vco\"\n"
                              "\"H2\"=\"/c.vco\"\n");

    TRegMru again("frmMain");
    QMenu host;
    again.ApplicationName = "Vellacour";
    again.CompanyName = "Brennholt";
    again.ApplicationVersion = "1.0.0";
    again.MenuItem = &host;
    again.LoadFromRegistry();
    ASSERT_EQ(again.Entries().size(), 3u);
    EXPECT_EQ(again.Entries()[0].Name, "/a.vco");
    EXPECT_EQ(again.Entries()[0].Data, 7);
}

// A save replaces the file once, so a failed write leaves the former list whole.
TEST_F(RegMru, SavingWritesOnceAndAFailedWriteKeepsTheFormerList) {
    StoreKey("\"Count\"=\"2\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"/a\"\n\"H1\"=\"/b\"\n");
    const std::string before = ReadFileText(StoreFile());
    Mru->LoadFromRegistry();
    Add({"/c"});
    int writes = 0;
    for (const bool failing : {true, false}) {
        writes = 0;
        SetBeforeRenameHook([&](const std::string&) {
            ++writes;
            if (failing)
                throw EWriteError("Datenträger voll");
        });
        if (failing) {
            EXPECT_THROW(Mru->SaveToRegistry(), EWriteError);
            EXPECT_EQ(ReadFileText(StoreFile()), before);
        } else {
            Mru->SaveToRegistry();
        }
        SetBeforeRenameHook(nullptr);
        EXPECT_EQ(writes, 1);
    }
    EXPECT_EQ(StoredValues(), "\"Count\"=\"3\"\n\"MaxFiles\"=\"4\"\n\"H0\"=\"/c\"\n\"H1\"=\"/a\"\n"
                              "\"H2\"=\"/b\"\n");
}

// Two running copies: this copy's new entries come first, then what the other stored since
// this one loaded, then the entries both had; what this one removed from its list stays
// removed, and with a full list the oldest fall off, not the other copy's newest.
TEST_F(RegMru, SavingKeepsWhatAnotherCopyStoredMeanwhile) {
    struct TCase {
        const char* Name;
        std::string Stored;
        std::function<void(TRegMru& self, TRegMru& other)> Use;
        std::vector<std::string> Expected;
    };
    const TCase cases[] = {
        {"one removed here",
         "\"Count\"=\"2\"\n\"H0\"=\"/alt1\"\n\"H1\"=\"/alt2\"\n",
         [](TRegMru& self, TRegMru& other) {
             self.DeleteItem(self.Entries()[1].Item); // /alt2 is gone from this copy
             other.AddItem("/b1", false, true, 0, 0);
             other.AddItem("/b2", false, true, 0, 5);
             other.SaveToRegistry();
             self.AddItem("/a1", false, true, 0, 0);
         },
         {"/a1", "/b2|5", "/b1", "/alt1"}},
        {"full lists",
         "\"Count\"=\"4\"\n\"H0\"=\"/o1\"\n\"H1\"=\"/o2\"\n\"H2\"=\"/o3\"\n"
         "\"H3\"=\"/o4\"\n",
         [](TRegMru& self, TRegMru& other) {
             other.AddItem("/b1", false, true, 0, 0);
             other.SaveToRegistry();
             self.AddItem("/a1", false, true, 0, 0);
             self.AddItem("/a2", false, true, 0, 0);
         },
         {"/a2", "/a1", "/b1", "/o1"}},
        {"an old one reopened in each",
         "\"Count\"=\"4\"\n\"H0\"=\"/o1\"\n\"H1\"=\"/o2\"\n\"H2\"=\"/o3\"\n"
         "\"H3\"=\"/o4\"\n",
         [](TRegMru& self, TRegMru& other) {
             other.AddItem("/o4", false, true, 0, 0);
             other.SaveToRegistry();
             self.AddItem("/o3", false, true, 0, 0);
         },
         {"/o3", "/o4", "/o1", "/o2"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        StoreKey(c.Stored);
        QMenu selfHost, otherHost;
        TRegMru self("frmMain"), other("frmMain");
        for (TRegMru* copy : {&self, &other}) {
            copy->ApplicationName = "Vellacour";
            copy->CompanyName = "Brennholt";
            copy->ApplicationVersion = "1.0.0";
            copy->SetMaxItems(4);
        }
        self.MenuItem = &selfHost;
        other.MenuItem = &otherHost;
        self.LoadFromRegistry();
        other.LoadFromRegistry();
        c.Use(self, other);
        self.SaveToRegistry();
        std::string values =
            "\"Count\"=\"" + std::to_string(c.Expected.size()) + "\"\n\"MaxFiles\"=\"4\"\n";
        std::vector<std::string> captions{"-"};
        for (size_t i = 0; i < c.Expected.size(); ++i) {
            values += "\"H" + std::to_string(i) + "\"=\"" + c.Expected[i] + "\"\n";
            const std::string name = c.Expected[i].substr(0, c.Expected[i].find('|'));
            captions.push_back("&" + std::to_string(i + 1) + " " + name);
        }
        EXPECT_EQ(StoredValues(), values);
        std::vector<std::string> shown;
        for (const QAction* item : selfHost.actions())
            shown.push_back(item->isSeparator() ? "-" : item->text().toStdString());
        EXPECT_EQ(shown, captions);
        // Saving again merges nothing twice.
        self.SaveToRegistry();
        EXPECT_EQ(StoredValues(), values);
    }
}

TEST_F(RegMru, EmptyListSavesCountAndLimit) {
    fs::remove_all(Dir.Path() / "Vellacour");
    Mru->SetMaxItems(4);
    Mru->LoadFromRegistry();
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(Mru->MaxItems(), 4);
    Mru->SaveToRegistry();
    EXPECT_EQ(StoredValues(), "\"Count\"=\"0\"\n\"MaxFiles\"=\"4\"\n");
}

TEST_F(RegMru, AddingKeepsTheMostRecentWithinTheLimit) {
    Mru->SetMaxItems(4);
    Add({"/1", "/2", "/3", "/4"});
    EXPECT_EQ(Names(), (std::vector<std::string>{"/4", "/3", "/2", "/1"}));
    Add({"/5"});
    EXPECT_EQ(Names(), (std::vector<std::string>{"/5", "/4", "/3", "/2"}));

    // A name that differs only in letter case is another file: it gets an entry of its own.
    Mru->AddItem("/4", false, true, 0, 9);
    Mru->Entries()[0].Item->setData(5);
    Add({"C:\\A.VCO"});
    EXPECT_NE(Mru->AddItem("c:\\a.vco", false, true, 0, 3), nullptr);
    EXPECT_EQ(Names(), (std::vector<std::string>{"c:\\a.vco", "C:\\A.VCO", "/4", "/5"}));
    EXPECT_EQ(Mru->Entries()[0].Data, 3);
    EXPECT_EQ(Mru->Entries()[2].Data, 9);
    EXPECT_EQ(Mru->Entries()[2].Item->data().toInt(), 5) << "the tag moves with its entry";
    // The exact name returns its item and takes the new data.
    QAction* item = Mru->AddItem("C:\\A.VCO", false, true, 0, 2);
    EXPECT_EQ(item, Mru->Entries()[0].Item);
    EXPECT_EQ(Mru->Entries()[0].Data, 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\A.VCO", "c:\\a.vco", "/4", "/5"}));

    Mru->SetMaxItems(2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\A.VCO", "c:\\a.vco"}));
    Mru->SetMaxItems(0);
    EXPECT_EQ(Mru->AddItem("/neu", false, true, 0, 0), nullptr);
    EXPECT_TRUE(Names().empty());
}

// The entry keeps the whole name; only the caption shortens it, keeping the file name.
TEST_F(RegMru, LongNamesStayWholeAndOnlyTheCaptionShortensThem) {
    const std::string folder = "/" + std::string(60, 'o') + "/" + std::string(40, 'p');
    const std::string longName = folder + "/Hülle & Rücken.vco";
    Add({longName.c_str()});
    Add({longName.c_str()});
    EXPECT_EQ(Names(), std::vector<std::string>{longName}) << "the whole name matches itself";
    const QAction* item = Mru->Entries()[0].Item;
    EXPECT_EQ(item->toolTip().toStdString(), longName);
    EXPECT_EQ(item->statusTip().toStdString(), longName);
    // 60 characters of the start, "…", the last 19 characters; "&" doubled.
    EXPECT_EQ(Captions(), (std::vector<std::string>{"-", "&1 /" + std::string(59, 'o') +
                                                             "\u2026/Hülle && Rücken.vco"}));

    const struct {
        std::string Name;
        std::string Shown;
    } rows[] = {
        {"/a&b/c.vco", "/a&&b/c.vco"},
        {"/" + std::string(79, 'x'), "/" + std::string(79, 'x')},
        {std::string(81, 'x'), std::string(40, 'x') + "\u2026" + std::string(39, 'x')},
        {"/d/" + std::string(90, 'f'),
         "/d/" + std::string(37, 'f') + "\u2026" + std::string(39, 'f')},
        // Characters, not bytes, are counted: 80 letters of two bytes each show whole.
        {Repeat("ä", 80), Repeat("ä", 80)},
        {Repeat("ä", 81), Repeat("ä", 40) + "\u2026" + Repeat("ä", 39)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(MruCaptionName(row.Name).toStdString(), row.Shown) << row.Name;
}

TEST_F(RegMru, CaptionsNumberTheFirstEightAsAccessKeys) {
    Mru->Separator = false;
    Add({"j", "i", "h", "g", "f", "e", "d", "c", "b", "a"});
    EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 a", "&2 b", "&3 c", "&4 d", "&5 e", "&6 f",
                                                    "&7 g", "&8 h", "9 i", "10 j"}));
    Mru->NumberItems = false;
    Mru->MoveToTop(Mru->Entries()[9].Item);
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"j", "a", "b", "c", "d", "e", "f", "g", "h", "i"}));
}

TEST_F(RegMru, ClickHandsTheNameOverThenMovesOrDeletes) {
    for (const bool deleting : {false, true}) {
        Host.clear();
        Mru = std::make_unique<TRegMru>("frmMain");
        Mru->MenuItem = &Host;
        Mru->Separator = false;
        Add({"D", "C", "B", "A"});
        std::vector<std::string> during;
        std::string clicked;
        Mru->OnItemClick = [&](TRegMru& sender, QAction* item, const std::string& name,
                               bool& canDelete) {
            EXPECT_EQ(&sender, Mru.get());
            EXPECT_EQ(item, Mru->Entries()[2].Item);
            EXPECT_FALSE(canDelete);
            during = Names();
            clicked = name;
            EXPECT_EQ(Mru->AddItem("/neu", false, true, 0, 0), nullptr) << "adding is suspended";
            canDelete = deleting;
        };
        Mru->Entries()[2].Item->trigger();
        EXPECT_EQ(clicked, "C");
        EXPECT_EQ(during, (std::vector<std::string>{"A", "B", "C", "D"}));
        if (deleting)
            EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 A", "&2 B", "&3 D"}));
        else
            EXPECT_EQ(Captions(), (std::vector<std::string>{"&1 C", "&2 A", "&3 B", "&4 D"}));
    }
    Mru->OnItemClick = nullptr;
    Mru->ItemClick(Mru->Entries()[2].Item);
    EXPECT_EQ(Names(), (std::vector<std::string>{"D", "A", "B"}));
}

TEST_F(RegMru, AThrowingHandlerLeavesTheEntryAndResumesAdding) {
    Add({"B", "A"});
    Mru->OnItemClick = [](TRegMru&, QAction*, const std::string&, bool& canDelete) {
        canDelete = true;
        throw EInvalidGraphic("kaputt");
    };
    EXPECT_THROW(Mru->ItemClick(Mru->Entries()[1].Item), EInvalidGraphic);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_NE(Mru->AddItem("C", false, true, 0, 0), nullptr);
}

TEST_F(RegMru, SeparatorComesWithTheFirstEntryAndGoesWithTheLast) {
    Host.addAction("Vorher");
    Mru->OnItemClick = [](TRegMru&, QAction*, const std::string&, bool& canDelete) {
        canDelete = true;
    };
    for (int round = 0; round < 2; ++round) {
        Add({"A"});
        EXPECT_EQ(Captions(), (std::vector<std::string>{"Vorher", "-", "&1 A"}));
        Mru->ItemClick(Mru->Entries()[0].Item);
        EXPECT_EQ(Captions(), std::vector<std::string>{"Vorher"});
        EXPECT_FALSE(Mru->HasSeparator());
    }
}

TEST_F(RegMru, HeldAccessorFollowsActiveRegistry) {
    Mru->SetActiveRegistry(true);
    EXPECT_TRUE(Mru->ActiveRegistry());
    Add({"/a"});
    Mru->SaveToRegistry();
    EXPECT_TRUE(Mru->ActiveRegistry());
    EXPECT_EQ(Mru->CurrentPath(), "");
    EXPECT_EQ(Mru->CurrentKey(), 0u);
    Mru->SetRootKey(TRootKey::HKeyLocalMachine);
    Mru->LoadFromRegistry();
    EXPECT_EQ(Names(), std::vector<std::string>{"/a"}) << "nothing stored under that root";
    Mru->SetActiveRegistry(false);
    EXPECT_FALSE(Mru->ActiveRegistry());
}

TEST_F(RegMru, SerializeListLoadsAndSavesItself) {
    StoreKey("\"Count\"=\"1\"\n\"H0\"=\"/a\"\n");
    Mru->SerializeList = true;
    Mru->Loaded();
    EXPECT_EQ(Captions(), (std::vector<std::string>{"-", "&1 /a"})) << "numbered after loading";
    EXPECT_FALSE(Mru->ActiveRegistry());
    Add({"/b"});
    Mru->BeforeDestruction();
    EXPECT_EQ(StoredValues(),
              "\"Count\"=\"2\"\n\"MaxFiles\"=\"-1\"\n\"H0\"=\"/b\"\n\"H1\"=\"/a\"\n");
}

} // namespace
