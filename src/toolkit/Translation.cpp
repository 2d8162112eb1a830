#include "toolkit/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdarg>
#include <memory>
#include <vector>

#include "toolkit/Errors.h"

namespace {
constexpr const char* MsgContext = "Msg";

TLanguage Current = TLanguage::German;

// The catalogue of the chosen language; empty for German, the language the texts are
// written in. Loaded once at start, before any thread reads it.
QTranslator& Catalogue() {
    static QTranslator translator;
    return translator;
}
} // namespace

QString TMsg::QText() const {
    if (Current != TLanguage::German) {
        QString translated = Catalogue().translate(MsgContext, Source);
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(Source);
}

std::string TMsg::Text() const {
    return Current == TLanguage::German ? std::string(Source) : QText().toStdString();
}

std::string Format(TMsg fmt, ...) {
    const std::string pattern = fmt.Text();
    va_list args;
    va_start(args, fmt);
    std::string text = VFormat(pattern.c_str(), args);
    va_end(args);
    return text;
}

TLanguage ChooseLanguage(const QStringList& uiLanguages) {
    bool onlyC = true;
    for (const QString& name : uiLanguages) {
        const QLocale locale(name);
        if (locale.language() == QLocale::German)
            return TLanguage::German;
        if (locale.language() == QLocale::English)
            return TLanguage::English;
        // Only the C locale itself counts as none: a language Qt does not know also reads
        // as C, and is one not shipped.
        if (name != u"C" && name != u"POSIX")
            onlyC = false;
    }
    return onlyC ? TLanguage::German : TLanguage::English;
}

TLanguage EnvironmentLanguage() {
    return ChooseLanguage(QLocale::system().uiLanguages());
}

void UseLanguage(TLanguage language) {
    Current = language;
    if (language == TLanguage::English &&
        !Catalogue().load(QStringLiteral(":/i18n/vellacour_en.qm")))
        Current = TLanguage::German;
}

TLanguage CurrentLanguage() {
    return Current;
}

char DecimalSeparator() {
    return Current == TLanguage::German ? ',' : '.';
}

const char* LanguageCode(TLanguage language) {
    return language == TLanguage::German ? "de" : "en";
}

void InstallTranslations(QCoreApplication& app) {
    // Installed again (as a test switching languages does), the catalogues of the language
    // chosen before make way.
    static std::vector<QTranslator*> installed;
    for (QTranslator* translator : installed) {
        QCoreApplication::removeTranslator(translator);
        if (translator != &Catalogue())
            delete translator;
    }
    installed.clear();
    if (Current != TLanguage::German) {
        QCoreApplication::installTranslator(&Catalogue());
        installed.push_back(&Catalogue());
    }
    // Qt's own texts, from the system. The widgets' texts are all in qtbase_<code>;
    // qt_<code> names every module's catalogue and would load qtbase a second time with
    // the rest, so it is only the fallback where qtbase's is missing.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString code = QString::fromLatin1(LanguageCode(Current));
    for (const QString& name : {QStringLiteral("qtbase_") + code, QStringLiteral("qt_") + code}) {
        auto translator = std::make_unique<QTranslator>(&app);
        if (translator->load(name, folder)) {
            QCoreApplication::installTranslator(translator.get());
            installed.push_back(translator.release());
            return;
        }
    }
}
