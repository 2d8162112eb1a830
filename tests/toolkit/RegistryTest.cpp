#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "toolkit/Errors.h"
#include "toolkit/Registry.h"

namespace {

const std::string KeyPath = "Software\\Brennholt\\Vellacour\\1.0.0\\frmMain\\MRUHistory";

// Every test gets a configuration folder of its own.
class Registry : public testing::Test {
protected:
    void SetUp() override {
        Saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", Dir.Path().string().c_str());
        fs::create_directories(Dir.Path() / "Vellacour");
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", Saved); }

    std::string StoreFile() const { return Dir.File("Vellacour/registry.reg"); }
    void Store(const std::string& text) { WriteFileText(StoreFile(), text); }

    TempDir Dir;
    QByteArray Saved;
};

const std::string Sample = "Windows Registry Editor Version 5.00\n"
                           "\n"
                           "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\frmMain\\"
                           "MRUHistory]\n"
                           "\"Count\"=\"2\"\n"
                           "\"H1\"=\"C:\\\\b \\\"q\\\".vco\"\n"
                           "\"H0\"=\"/a.vco|7\"\n"
                           "\"Zahl\"=dword:00000004\n"
                           "\"Pfad\"=hex(2):25,00,41,00,25,00,00,00\n"
                           "\"Leer\"=dword:\n"
                           "@=\"unbenannt\"\n";

TEST_F(Registry, ReadsValuesInStoredOrderWithoutRegardToCase) {
    Store(Sample);
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("\\Software\\Brennholt\\Fehlt", false));
    ASSERT_TRUE(reg.OpenKey("\\software\\BRENNHOLT\\Vellacour\\1.0.0\\frmMain\\MRUHistory", false));
    EXPECT_EQ(reg.CurrentPath(), "software\\BRENNHOLT\\Vellacour\\1.0.0\\frmMain\\MRUHistory");
    EXPECT_NE(reg.CurrentKey(), 0u);
    EXPECT_EQ(reg.GetValueNames(),
              (std::vector<std::string>{"Count", "H1", "H0", "Zahl", "Pfad", "Leer", ""}));
    const std::pair<const char*, const char*> texts[] = {
        {"COUNT", "2"}, {"h1", "C:\\b \"q\".vco"}, {"H0", "/a.vco|7"}, {"Pfad", "%A%"},
        {"Leer", ""},   {"", "unbenannt"},         {"fehlt", ""},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(reg.ReadString(name), text) << name;
    try {
        reg.ReadString("zahl");
        ADD_FAILURE() << "a REG_DWORD read as text";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Ungültiger Datentyp für 'zahl'");
    }
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_EQ(reg.CurrentKey(), 0u);
    EXPECT_EQ(ReadFileText(StoreFile()), Sample) << "reading never writes";
}

TEST_F(Registry, WritingKeepsOtherValuesTypesAndKeys) {
    Store(Sample + "\n[HKEY_CURRENT_USER\\Software\\Anderes]\n\"x\"=\"y\"\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + KeyPath, true));
    reg.WriteString("h0", "/neu.vco");
    reg.WriteString("H2", "zeile\neins");
    EXPECT_TRUE(reg.DeleteValue("COUNT"));
    EXPECT_FALSE(reg.DeleteValue("fehlt"));
    reg.CloseKey();
    EXPECT_EQ(ReadFileText(StoreFile()),
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Brennholt]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\frmMain]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Brennholt\\Vellacour\\1.0.0\\frmMain\\MRUHistory]\n"
              "\"H1\"=\"C:\\\\b \\\"q\\\".vco\"\n"
              "\"H0\"=\"/neu.vco\"\n"
              "\"Zahl\"=dword:00000004\n"
              "\"Pfad\"=hex(2):25,00,41,00,25,00,00,00\n"
              "\"Leer\"=dword:\n"
              "@=\"unbenannt\"\n"
              "\"H2\"=hex(1):7a,00,65,00,69,00,6c,00,65,00,0a,00,65,00,69,00,6e,00,73,00,00,00\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Anderes]\n"
              "\"x\"=\"y\"\n");
    ASSERT_TRUE(reg.OpenKey(KeyPath, false));
    EXPECT_EQ(reg.ReadString("H2"), "zeile\neins");
}

TEST_F(Registry, CreatingMakesTheFileFolderAndParentKeys) {
    fs::remove_all(Dir.Path() / "Vellacour");
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("Software\\\\Leer", true)) << "an empty part is refused";
    ASSERT_TRUE(reg.OpenKey("Software\\A\\B", true));
    reg.CloseKey();
    EXPECT_EQ(ReadFileText(StoreFile()), "Windows Registry Editor Version 5.00\n"
                                         "\n"
                                         "[HKEY_CURRENT_USER\\Software]\n"
                                         "\n"
                                         "[HKEY_CURRENT_USER\\Software\\A]\n"
                                         "\n"
                                         "[HKEY_CURRENT_USER\\Software\\A\\B]\n");
    TRegistry machine(TRegRoot::LocalMachine);
    EXPECT_FALSE(machine.OpenKey("Software\\A\\B", false)) << "roots are apart";
}

// A damaged or cut file never fails to open: what can be read is there, the rest missing.
TEST_F(Registry, DamagedFilesYieldWhatCanBeRead) {
    const std::string head = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {head + "\"a\"=\"1\"\n\"b\"=\"2", {"a"}},
        {head + "\"a\"=\"1\"\n\"b", {"a"}},
        {head + "\"a\"=\"1\"\n\"b\"=hex(2):41,0\n\"c\"=\"3\"\n", {"a", "c"}},
        {head + "\"a\"=\"1\"\n[HKEY_CURRENT_USER\\L\n\"b\"=\"2\"\n", {"a"}},
        {"\"a\"=\"1\"\n" + head + "\"b\"=\"2\"\r\n", {"b"}},
        {head.substr(0, head.size() - 3), {}},
        {std::string("\0\xff\xfe[\x01", 5), {}},
    };
    for (const auto& [text, names] : cases) {
        Store(text);
        TRegistry reg;
        if (reg.OpenKey("K", false))
            EXPECT_EQ(reg.GetValueNames(), names) << text;
        else
            EXPECT_TRUE(names.empty()) << text;
    }
}

TEST_F(Registry, UnwritableStoreRefusesAndKeepsTheFile) {
    Store(Sample);
    ::chmod(StoreFile().c_str(), 0444);
    TRegistry reg;
    EXPECT_FALSE(RegistryWritable());
    EXPECT_FALSE(reg.OpenKey(KeyPath, true));
    EXPECT_FALSE(reg.OpenKeyForUpdate(KeyPath));
    ASSERT_TRUE(reg.OpenKey(KeyPath, false)) << "reading still works";
    // A change made through a key opened for reading is refused as well.
    EXPECT_TRUE(reg.DeleteValue("H0"));
    EXPECT_THROW(reg.CloseKey(), ERegistryException);
    EXPECT_EQ(ReadFileText(StoreFile()), Sample);
    ::chmod(StoreFile().c_str(), 0644);
    EXPECT_TRUE(RegistryWritable());

    // The file turns into something that cannot be replaced while the key is open.
    ASSERT_TRUE(reg.OpenKey(KeyPath, true));
    reg.WriteString("H0", "/x.vco");
    fs::remove(StoreFile());
    fs::create_directory(StoreFile());
    try {
        reg.CloseKey();
        ADD_FAILURE() << "close reported success";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Konnte Daten für 'H0' nicht setzen");
    }
    EXPECT_TRUE(fs::is_directory(StoreFile()));
    EXPECT_EQ(reg.CurrentKey(), 0u);
}

// Two programs change one key at once, many times: every reader sees one whole version,
// and every value each of them wrote survives the other's writes.
TEST_F(Registry, ConcurrentWritersNeverTearOrLoseUpdates) {
    constexpr int Rounds = 60;
    pid_t children[2];
    for (int who = 0; who < 2; ++who) {
        children[who] = ::fork();
        ASSERT_GE(children[who], 0);
        if (children[who] == 0) {
            for (int round = 0; round < Rounds; ++round) {
                TRegistry reg;
                if (!reg.OpenKey("Shared", true))
                    ::_exit(2);
                for (int i = 0; i < 20; ++i)
                    reg.WriteString("V" + std::to_string(i), std::to_string(who));
                reg.WriteString("R" + std::to_string(who) + "." + std::to_string(round), "x");
                reg.WriteString("Last" + std::to_string(who), std::to_string(round));
                reg.CloseKey();
            }
            ::_exit(0);
        }
    }
    int seen = 0;
    for (int alive = 2; alive > 0;) {
        if (fs::exists(StoreFile())) {
            TRegistry reg;
            if (reg.OpenKey("Shared", false)) {
                const std::string first = reg.ReadString("V0");
                for (int i = 1; i < 20; ++i)
                    ASSERT_EQ(reg.ReadString("V" + std::to_string(i)), first) << "a torn version";
                ++seen;
            }
        }
        int status = 0;
        for (pid_t& child : children)
            if (child > 0 && ::waitpid(child, &status, WNOHANG) == child) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                child = 0;
                --alive;
            }
    }
    EXPECT_GT(seen, 0);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Shared", false));
    int lost = 0;
    for (int who = 0; who < 2; ++who) {
        EXPECT_EQ(reg.ReadString("Last" + std::to_string(who)), std::to_string(Rounds - 1));
        for (int round = 0; round < Rounds; ++round)
            lost += reg.ReadString("R" + std::to_string(who) + "." + std::to_string(round)) != "x";
    }
    EXPECT_EQ(lost, 0) << "values lost to the other writer";
}

} // namespace
