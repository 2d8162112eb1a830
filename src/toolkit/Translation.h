// The language the program speaks. Its texts are written in German; English comes from a
// Qt Linguist catalogue built into the program. The language is chosen once at start from
// the user's environment and holds for the whole run.
//
// A message kept as a constant is a TMsg, written with QT_TRANSLATE_NOOP("Msg", ...) so
// that lupdate finds it; it reaches the user only through Text() or Format(), which give it
// in the chosen language.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <string>

class QCoreApplication;

struct TMsg {
    const char* Source; // German, UTF-8, as written

    // The message in the chosen language, UTF-8.
    std::string Text() const;
    QString QText() const;
    operator std::string() const { return Text(); } // NOLINT(google-explicit-constructor)
};

// Whether a text is the message as the chosen language says it.
inline bool operator==(const std::string& text, const TMsg& message) {
    return text == message.Text();
}

// Formats the message, in the chosen language, like printf.
std::string Format(TMsg fmt, ...);

enum class TLanguage { German, English };

// The language for a list of user interface languages as QLocale::uiLanguages() gives
// them, most wanted first: the first whose language is shipped, by language and not by
// region; German where the list names only the C locale or nothing, English where it
// names only languages not shipped.
TLanguage ChooseLanguage(const QStringList& uiLanguages);
// The language the environment asks for.
TLanguage EnvironmentLanguage();

// Makes the language the one Text() and Format() give. English loads the built-in
// catalogue; German needs none.
void UseLanguage(TLanguage language);
TLanguage CurrentLanguage();
// The decimal separator of numbers the program writes: a comma in German, a point in
// English.
char DecimalSeparator();
// The language's code: "de" or "en".
const char* LanguageCode(TLanguage language);

// Installs the chosen language's catalogues in the application: ours, for the widgets'
// tr(), and Qt's own from the system, for its standard dialogs and buttons.
void InstallTranslations(QCoreApplication& app);
