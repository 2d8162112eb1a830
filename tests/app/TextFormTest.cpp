// The words of a layout in the window: typed in "Beschriftung...", they change the layout,
// are saved with it, come back when it opens, go with New and can be taken back; the
// track list from a text file in UTF-8 or Windows-1252.
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AppTestSupport.h"
#include "PictureTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "app/TextForm.h"
#include "app/TextPreview.h"
#include "print/Printer.h"
#include "sheet/CoverSheet.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"

namespace {
class TextForm : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
    }

    // Opens the dialog and types into it before OK.
    void Type(DialogScript& script, const QString& spine, const QString& tracks) {
        script.Then([&](QDialog& dialog) {
            auto& form = dynamic_cast<TfrmText&>(dialog);
            form.edSpine->setText(spine);
            form.mmTracks->setPlainText(tracks);
            return int(QDialog::Accepted);
        });
        Form->BeschriftungClick();
    }

    TempDir Dir;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

TEST_F(TextForm, WordsChangeTheLayoutAndTravelWithItsFile) {
    DialogScript script;
    Type(script, "Grüne Wiese", "1. Eins 3:45\r\n2. Zwei\n\n");
    EXPECT_EQ(Form->Document.Text.Spine, "Grüne Wiese");
    EXPECT_EQ(Form->Document.Text.Tracks, (std::vector<std::string>{"1. Eins 3:45", "2. Zwei"}));
    EXPECT_TRUE(Form->Changed());

    const std::string file = Dir.File("worte.vco");
    Form->SaveCover(file);
    EXPECT_FALSE(Form->Changed());
    EXPECT_EQ(ReadLayoutDocument(file).Text, Form->Document.Text);

    // Cancelling the dialog changes nothing.
    script.Cancel();
    Form->BeschriftungClick();
    EXPECT_FALSE(Form->Changed());

    Form->btnNewClick();
    EXPECT_TRUE(Form->Document.Text.Empty());
    Form->LoadCover(file);
    EXPECT_EQ(Form->Document.Text.Spine, "Grüne Wiese");
    EXPECT_FALSE(Form->Changed());
    EXPECT_EQ(script.Pending(), 0);
}

TEST_F(TextForm, ChangesOfTheWordsAreUndoneAndRedoneStepByStep) {
    DialogScript script;
    EXPECT_FALSE(Form->Rueckgaengig->isEnabled());
    Type(script, "Erst", "");
    Type(script, "Dann", "");
    ASSERT_TRUE(Form->Rueckgaengig->isEnabled());
    EXPECT_EQ(Form->Rueckgaengig->text(), QString::fromUtf8("&Rückgängig: Beschriftung"));
    Form->Rueckgaengig->trigger();
    EXPECT_EQ(Form->Document.Text.Spine, "Erst");
    Form->Rueckgaengig->trigger();
    EXPECT_TRUE(Form->Document.Text.Empty());
    EXPECT_FALSE(Form->Rueckgaengig->isEnabled());
    Form->Wiederherstellen->trigger();
    EXPECT_EQ(Form->Document.Text.Spine, "Erst");
}

TEST_F(TextForm, TrackListFromTextFilesAndItsLimit) {
    TPicture cover, back;
    TfrmText dialog({}, {.Cover = cover, .Back = back, .Frames = [] {
                             return false;
                         }});
    const struct {
        const char* Bytes;
        std::vector<std::string> Tracks;
    } files[] = {
        {"Gr\xC3\xBC\xC3\x9F"
         "e\r\nZwei\r\n",
         {"Grüße", "Zwei"}},
        // Not UTF-8: Windows-1252, whose 0x80 is the euro sign.
        {"M\xFC"
         "de \x80\nZwei",
         {"Müde €", "Zwei"}},
    };
    for (const auto& file : files) {
        WriteFileText(Dir.File("titel.txt"), file.Bytes);
        dialog.LoadTracks(Dir.File("titel.txt"));
        EXPECT_EQ(dialog.Text().Tracks, file.Tracks);
    }
    EXPECT_THROW(dialog.LoadTracks(Dir.File("fehlt.txt")), EFOpenError);
    // A device or a named pipe is no track list: refused at once, neither read without end
    // nor waited on.
    ASSERT_EQ(mkfifo(Dir.File("pipe").c_str(), 0600), 0);
    for (const std::string& special : {std::string("/dev/zero"), Dir.File("pipe")}) {
        SCOPED_TRACE(special);
        EXPECT_THROW(dialog.LoadTracks(special), EFOpenError);
    }
    EXPECT_EQ(dialog.Text().Tracks, files[1].Tracks);

    QString many;
    for (int i = 1; i <= 120; ++i)
        many += QString::number(i) + '\n';
    dialog.mmTracks->setPlainText(many);
    EXPECT_EQ(dialog.Text().Tracks.size(), 99u);
    EXPECT_TRUE(dialog.lblWarnings->text().contains(QString::fromUtf8("ersten 99 Zeilen")));
}

// The preview shows the layout's sheet as it prints: on a stacked sheet it stands upright,
// and a cover turned a quarter clockwise shows its left (red) half on top, not stretched as
// it lies in its file.
TEST_F(TextForm, ThePreviewShowsThePicturesAsTheSheetPrintsThem) {
    QImage halves(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < halves.height(); ++y)
        for (int x = 0; x < halves.width(); ++x)
            halves.setPixel(x, y, x < 100 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    Form->Cover->Picture().CopyFrom(BitmapOf(halves).get());
    Form->Document.Placements.Cover.Placement = {TPlacementMode::Stretch, std::nullopt, 90};
    Form->Document.Settings.Arrangement.Set(TArrangement::Stacked);
    QImage shown;
    DialogScript script;
    script.Then([&](QDialog& dialog) {
        shown = dynamic_cast<TfrmText&>(dialog).Preview->grab().toImage();
        return int(QDialog::Rejected);
    });
    Form->BeschriftungClick();
    ASSERT_FALSE(shown.isNull());
    // Stacked, the preview shows 157 × 254 mm (the parts and 3 mm around them), centred;
    // the cover stands from 18 to 138 mm across and from 3 to 123 mm down in it.
    const double scale = std::min(shown.width() / 157.0, shown.height() / 254.0);
    const double left = (shown.width() - 157 * scale) / 2, top = (shown.height() - 254 * scale) / 2;
    const auto colour = [&](double xMm, double yMm) {
        return shown.pixel(int(left + xMm * scale), int(top + yMm * scale));
    };
    for (const double x : {48.0, 108.0}) {
        SCOPED_TRACE(x);
        const QRgb upper = colour(x, 33), lower = colour(x, 93);
        EXPECT_TRUE(qRed(upper) > 200 && qBlue(upper) < 60) << std::hex << upper;
        EXPECT_TRUE(qBlue(lower) > 200 && qRed(lower) < 60) << std::hex << lower;
    }
}

// On a wrap the preview shows the whole wrap: the spine between the panels is white paper
// with the spine title on it. A slim card has no spine, and the dialog says the spine title
// is not printed.
TEST_F(TextForm, OnAWrapThePreviewShowsTheSpineAndASlimCardSaysItHasNone) {
    const struct {
        TCaseKind Case;
        const char* Note; // empty: none shown
    } cases[] = {
        {TCaseKind::Jewel, ""},
        {TCaseKind::Dvd, ""},
        {TCaseKind::Slim, "Ein Slimcase hat keinen Rücken: der Rückentitel wird nicht gedruckt."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Case));
        Form->SetCase(c.Case);
        TLayoutDocument words = Form->Document;
        words.Text.Spine = "MMMMMMMMMM";
        Form->Document = words;
        QImage shown;
        QString note;
        DialogScript script;
        script.Then([&](QDialog& dialog) {
            auto& form = dynamic_cast<TfrmText&>(dialog);
            note = form.lblNoSpine->isVisibleTo(&form) ? form.lblNoSpine->text() : QString();
            shown = form.Preview->grab().toImage();
            return int(QDialog::Rejected);
        });
        Form->BeschriftungClick();
        EXPECT_EQ(note, QString::fromUtf8(c.Note));
        if (c.Case != TCaseKind::Dvd)
            continue;
        // The DVD wrap and 3 mm around it, 279 × 190 mm, centred; its spine runs from 132.5
        // to 146.5 mm across, its title in the middle of its height.
        const double scale = std::min(shown.width() / 279.0, shown.height() / 190.0);
        const double left = (shown.width() - 279 * scale) / 2,
                     top = (shown.height() - 190 * scale) / 2;
        EXPECT_EQ(shown.pixel(int(left + 139.5 * scale), int(top + 10 * scale)),
                  qRgb(255, 255, 255));
        int dark = 0;
        for (int y = int(top + 60 * scale); y < int(top + 130 * scale); ++y)
            for (int x = int(left + 134 * scale); x < int(left + 145 * scale); ++x)
                dark += qGray(shown.pixel(x, y)) < 100;
        EXPECT_GT(dark, 20) << "no spine title on the spine";
    }
}
