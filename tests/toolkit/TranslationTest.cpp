#include <QRegularExpression>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "toolkit/Errors.h"
#include "toolkit/Translation.h"

namespace {
struct TLanguageCase {
    const char* Environment; // as a user would set it
    QStringList UiLanguages; // what QLocale::uiLanguages() makes of it
    TLanguage Expected;
};

// The lists are those Qt 6.4 gives for each environment.
const TLanguageCase LanguageCases[] = {
    {"LANG=de_DE.UTF-8", {"de-DE", "de-Latn-DE", "de"}, TLanguage::German},
    {"LANG=de_AT.UTF-8", {"de-AT", "de-Latn-AT"}, TLanguage::German},
    {"LANG=de_CH.UTF-8", {"de-CH", "de-Latn-CH"}, TLanguage::German},
    {"LANG=C, POSIX, C.UTF-8", {"C"}, TLanguage::German},
    {"nothing set", {}, TLanguage::German},
    {"LANG=en_US.UTF-8", {"en-US", "en-Latn-US", "en"}, TLanguage::English},
    {"LANG=en_GB.UTF-8", {"en-GB", "en-Latn-GB"}, TLanguage::English},
    {"LANG=fr_FR.UTF-8", {"fr-FR", "fr-Latn-FR", "fr"}, TLanguage::English},
    {"LANG=en_US.UTF-8 LANGUAGE=de:en",
     {"de", "de-Latn-DE", "de-DE", "en", "en-Latn-US", "en-US"},
     TLanguage::German},
    {"LANG=C LANGUAGE=en", {"en", "en-Latn-US", "en-US"}, TLanguage::English},
    {"LANG=tcy_IN.UTF-8, a language Qt does not know", {"tcy-IN"}, TLanguage::English},
    {"LANGUAGE=fr:de",
     {"fr", "fr-Latn-FR", "fr-FR", "de", "de-Latn-DE", "de-DE"},
     TLanguage::German},
};

// The printf conversions and Qt's %N markers of a text, in order: a translation that
// changes them would format the wrong argument, or crash.
QStringList Placeholders(const QString& text) {
    static const QRegularExpression marker(
        QStringLiteral(R"(%%|%[-+ #0]*\d*(?:\.\d+)?(?:hh|h|ll|l|z)?[sdiuxXcfgp]|%\d+)"));
    QStringList found;
    for (const QRegularExpressionMatch& match : marker.globalMatch(text))
        if (match.captured() != u"%%")
            found << match.captured();
    return found;
}

// Access keys: an "&" that is not one of a doubled "&&".
int AccessKeys(const QString& text) {
    int keys = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (i + 1 < text.size() && text[i + 1] == u'&')
            ++i;
        else
            ++keys;
    }
    return keys;
}
} // namespace

TEST(Language, ChosenFromTheUserInterfaceLanguages) {
    for (const TLanguageCase& each : LanguageCases)
        EXPECT_EQ(ChooseLanguage(each.UiLanguages), each.Expected) << each.Environment;
}

TEST(Language, EveryTextHasAnEnglishTranslationThatKeepsItsPlaceholdersAndAccessKey) {
    const std::vector<TCatalogueEntry> entries = ReadCatalogue("en");
    ASSERT_GT(entries.size(), 100u);
    static const QRegularExpression german(QStringLiteral("[äöüÄÖÜß]"));
    for (const TCatalogueEntry& entry : entries) {
        const std::string where = (entry.Context + ": " + entry.Source).toStdString();
        EXPECT_TRUE(entry.Finished && !entry.Translation.isEmpty()) << "untranslated: " << where;
        EXPECT_EQ(Placeholders(entry.Translation), Placeholders(entry.Source)) << where;
        EXPECT_EQ(AccessKeys(entry.Translation), AccessKeys(entry.Source)) << where;
        EXPECT_FALSE(entry.Translation.contains(german)) << where;
    }
}

TEST(Language, MessagesSpeakTheChosenLanguageAndFallBackToGerman) {
    constexpr TMsg unknown{"Dieser Text steht in keinem Katalog: %s"};
    UseLanguage(TLanguage::English);
    ASSERT_EQ(CurrentLanguage(), TLanguage::English) << "the English catalogue did not load";
    const std::string english = Format(Msg::FOpenError, "a.bmp");
    EXPECT_EQ(english.find("geöffnet"), std::string::npos) << english;
    EXPECT_NE(english.find("a.bmp"), std::string::npos) << english;
    EXPECT_EQ(Format(unknown, "x"), "Dieser Text steht in keinem Katalog: x");
    EXPECT_EQ(DecimalSeparator(), '.');
    UseLanguage(TLanguage::German);
    EXPECT_EQ(Format(Msg::FOpenError, "a.bmp"), "Datei a.bmp kann nicht geöffnet werden");
    EXPECT_EQ(DecimalSeparator(), ',');
}
