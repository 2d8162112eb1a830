// The window in English and in German: every text a user meets in its menus, hints,
// dialogs and message boxes is one of the chosen language's catalogue, and a layout saved
// in one language opens the same in the other.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QUndoStack>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/CalibrationForm.h"
#include "app/CaseSizeForm.h"
#include "app/InfoForm.h"
#include "app/MainForm.h"
#include "app/PreviewForm.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Translation.h"

namespace {
// A text as it may be shown: without its access key and final dots, as a tooltip shows a
// menu item's caption, and as an error box ends every message with one full stop.
QString Plain(const QString& text) {
    static const QRegularExpression finalDots(QStringLiteral("\\.+$"));
    QString plain = text;
    return plain.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
        .remove(u'&')
        .replace(u'\x01', u'&')
        .remove(finalDots);
}

// A catalogue text as a pattern for what the program shows: its placeholders stand for
// whatever was filled in.
QRegularExpression TextPattern(const QString& text) {
    static const QRegularExpression marker(QStringLiteral(R"(%[-+ #0]*\d*[sdu]|%\d)"));
    QString pattern;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& match : marker.globalMatch(text)) {
        pattern += QRegularExpression::escape(text.mid(from, match.capturedStart() - from));
        pattern += QStringLiteral(".*");
        from = match.capturedEnd();
    }
    pattern += QRegularExpression::escape(text.mid(from));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                              QRegularExpression::DotMatchesEverythingOption);
}

// The texts of one language, and the other's that it does not share.
struct TLanguageTexts {
    std::vector<QRegularExpression> Own;
    std::vector<QRegularExpression> Foreign;
};

TLanguageTexts TextsOf(TLanguage language) {
    TLanguageTexts texts;
    for (const TCatalogueEntry& entry : ReadCatalogue("en")) {
        const bool english = language == TLanguage::English;
        const QString& own = english ? entry.Translation : entry.Source;
        const QString& foreign = english ? entry.Source : entry.Translation;
        texts.Own.push_back(TextPattern(Plain(own)));
        if (entry.Translation != entry.Source)
            texts.Foreign.push_back(TextPattern(Plain(foreign)));
    }
    return texts;
}

void Collect(QMenu* menu, QStringList& texts);

void CollectAction(QAction* action, QStringList& texts) {
    if (action->isSeparator())
        return;
    texts << action->text() << action->toolTip() << action->statusTip();
    if (QMenu* menu = action->menu())
        Collect(menu, texts);
}

void Collect(QMenu* menu, QStringList& texts) {
    texts << menu->title();
    // Menus filled as they open are opened for the walk.
    emit menu->aboutToShow();
    for (QAction* action : menu->actions())
        CollectAction(action, texts);
}

// Every text a widget and its children show: captions, labels, hints, choices.
QStringList VisibleTexts(QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        texts << widget->toolTip() << widget->statusTip();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            texts << group->title();
        else if (auto* line = qobject_cast<QLineEdit*>(widget))
            texts << line->placeholderText();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
            texts << plain->placeholderText();
        else if (auto* combo = qobject_cast<QComboBox*>(widget);
                 combo && !qobject_cast<QFontComboBox*>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        else if (auto* bar = qobject_cast<QMenuBar*>(widget))
            for (QAction* action : bar->actions())
                CollectAction(action, texts);
    }
    return texts;
}

// The letter Alt reaches a caption by, lower case; empty for none.
QString AccessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text.mid(i + 1, 1).toLower();
        ++i;
    }
    return {};
}

// Names every access key that more than one of the captions uses.
QStringList SharedKeys(const QStringList& captions) {
    QStringList seen, shared;
    for (const QString& caption : captions) {
        const QString key = AccessKey(caption);
        if (key.isEmpty())
            continue;
        if (seen.contains(key))
            shared << key + ": " + caption;
        seen << key;
    }
    return shared;
}

QStringList Captions(const QList<QAction*>& actions) {
    QStringList captions;
    for (const QAction* action : actions)
        captions << action->text();
    return captions;
}

class Language : public testing::TestWithParam<TLanguage> {
protected:
    void SetUp() override {
        Speak(GetParam());
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
    }
    void TearDown() override {
        Form.reset();
        Speak(TLanguage::German);
    }
    static void Speak(TLanguage language) {
        UseLanguage(language);
        InstallTranslations(*qApp);
    }

    // Each text with words is one of the language's own and none of the other's.
    void ExpectSpoken(const QStringList& texts, const std::string& where) {
        const TLanguageTexts language = TextsOf(GetParam());
        ASSERT_FALSE(language.Own.empty());
        static const QRegularExpression words(QStringLiteral("[A-Za-zÄÖÜäöüß]{2,}"));
        int checked = 0;
        for (const QString& text : texts) {
            if (!text.contains(words) || text == u"Vellacour" || text.startsWith(u"https://"))
                continue;
            ++checked;
            const auto matches = [plain = Plain(text)](const QRegularExpression& pattern) {
                return pattern.match(plain).hasMatch();
            };
            EXPECT_TRUE(std::any_of(language.Own.begin(), language.Own.end(), matches))
                << where << ": not a text of the language: " << text.toStdString();
            EXPECT_FALSE(std::any_of(language.Foreign.begin(), language.Foreign.end(), matches))
                << where << ": a text of the other language: " << text.toStdString();
        }
        EXPECT_GT(checked, 0) << where;
    }

    TempDir Dir;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_P(Language, TheWindowItsDialogsAndItsMessagesSpeakIt) {
    ExpectSpoken(VisibleTexts(*Form), "main window");
    // The tool bar's check box has the fixed width its German caption was given; the
    // caption takes no more room in either language.
    QCheckBox german(QString::fromUtf8("Hilfsrahmen drucken"));
    german.setFont(Form->cbRahmen->font());
    EXPECT_LE(Form->cbRahmen->sizeHint().width(), german.sizeHint().width());

    DialogScript script;
    QStringList shown;
    const auto walk = [&](QDialog& dialog) {
        shown << VisibleTexts(dialog);
        return int(QDialog::Rejected);
    };
    script.Then(walk);
    Form->BeschriftungClick();
    ExpectSpoken(shown, "words dialog");

    // A slim card's words dialog says it prints no spine title; a DVD case's menu lists its
    // spines.
    Form->SetCase(TCaseKind::Slim);
    shown.clear();
    script.Then(walk);
    Form->BeschriftungClick();
    ExpectSpoken(shown, "words dialog of a slim card");
    Form->SetCase(TCaseKind::Dvd);
    // The undo item joins two texts ("&Rückgängig: Hülle"); the undo test reads those.
    Form->History->clear();
    ExpectSpoken(VisibleTexts(*Form), "main window of a DVD case");
    TfrmCaseSize caseSize({1295, 1840, 140});
    ExpectSpoken(VisibleTexts(caseSize), "custom size");

    TfrmCalibration calibration("P", {}, [](const TCalibration&) {});
    ExpectSpoken(VisibleTexts(calibration), "printer correction");
    TfrmInfo info;
    ExpectSpoken(VisibleTexts(info), "info window");
    TfrmPreview preview(QImage(40, 30, QImage::Format_RGB32));
    ExpectSpoken(VisibleTexts(preview), "print preview");

    // A layout that is not there, and a change about to be lost.
    shown.clear();
    script.Then(walk);
    Guarded([&] { Form->LoadCover(Dir.File("fehlt.vco")); });
    TLayoutDocument changed = Form->Document;
    changed.Text.Title = "x";
    Form->Document = changed;
    script.Then(walk);
    Form->btnNewClick();
    // A custom size wider than a case of one's own may be.
    caseSize.seWidth->setValue(200);
    script.Then(walk);
    caseSize.btnOKClick();
    EXPECT_EQ(script.Pending(), 0);
    ExpectSpoken(shown, "messages");
}

TEST_P(Language, AnAccessKeyReachesOneThingInTheWindowAndInEachMenu) {
    // Alt and a letter: the menu bar's titles, and any button of the window with a caption.
    QStringList window = Captions(Form->menuBar()->actions());
    for (const QAbstractButton* button : Form->findChildren<QAbstractButton*>())
        window << button->text();
    EXPECT_EQ(SharedKeys(window), QStringList());
    for (QMenu* menu : Form->findChildren<QMenu*>()) {
        emit menu->aboutToShow();
        EXPECT_EQ(SharedKeys(Captions(menu->actions())), QStringList())
            << menu->title().toStdString();
    }
}

TEST_P(Language, ALayoutSavedInOneLanguageOpensTheSameInTheOther) {
    TLayoutDocument document = Form->Document;
    document.Text.Spine = "Grüne Wiese";
    document.Text.Tracks = {"1. Eins", "2. Two"};
    document.Settings.Arrangement.Value = TArrangement::Stacked;
    Form->Document = document;
    const std::string file = Dir.File("sprache.vco");
    Form->SaveCover(file);
    const std::string saved = ReadFileText(file);

    Form.reset();
    Speak(GetParam() == TLanguage::German ? TLanguage::English : TLanguage::German);
    Form = std::make_unique<TfrmMain>(Printer());
    Form->LoadCover(file);
    EXPECT_EQ(Form->Document.Text, document.Text);
    EXPECT_EQ(Form->Document.Settings.Arrangement.Value, TArrangement::Stacked);
    const std::string again = Dir.File("wieder.vco");
    Form->SaveCover(again);
    EXPECT_EQ(ReadFileText(again), saved);
}

INSTANTIATE_TEST_SUITE_P(EnglishAndGerman, Language,
                         testing::Values(TLanguage::English, TLanguage::German),
                         [](const testing::TestParamInfo<TLanguage>& info) {
                             return info.param == TLanguage::English ? "English" : "German";
                         });
