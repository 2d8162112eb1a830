// "Bild einfügen": what the clipboard holds decides what is pasted (a held picture of the
// bytes as they came, or a copied file), focus or the dialog where; each paste is one step,
// and saving writes the pasted picture beside the layout while the history keeps its bytes.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QRadioButton>
#include <QTest>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "picture/Jpeg.h"
#include "picture/Png.h"
#include "print/Printer.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Application.h"

namespace {
std::string Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

QImage Filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Puts data on the clipboard: each (type, bytes) pair, image data, or a file's address.
void Copy(const std::vector<std::pair<QString, std::string>>& typed, const QImage& image = {},
          const std::string& file = {}) {
    auto* data = new QMimeData;
    for (const auto& [type, bytes] : typed)
        data->setData(type, QByteArray::fromStdString(bytes));
    if (!image.isNull())
        data->setImageData(image);
    if (!file.empty())
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
    QApplication::clipboard()->setMimeData(data);
}

// Answers the dialog that asks where, choosing the radio button named choice.
DialogScript::Step Choose(const char* choice) {
    return [choice](QDialog& dialog) {
        auto* button = dialog.findChild<QRadioButton*>(choice);
        if (!button) {
            ADD_FAILURE() << "no choice " << choice;
            return int(QDialog::Rejected);
        }
        button->setChecked(true);
        return int(QDialog::Accepted);
    };
}

class Paste : public testing::Test {
protected:
    void SetUp() override {
        RegisterJpegFormat();
        RegisterPngFormat();
        TApplication::SetTitle("Vellacour");
        Form = std::make_unique<TfrmMain>(Printer());
    }
    void TearDown() override { QApplication::clipboard()->clear(); }

    TempDir Dir;
    std::unique_ptr<TfrmMain> Form;
};
} // namespace

// Each kind of data lands where focus or the dialog says, as one step that undo takes back.
TEST_F(Paste, ThePastedPictureIsOneStepInThePartChosen) {
    const std::string png = Encoded(Filled(12, 8, 0xFF0000), "PNG");
    const std::string jpeg = Encoded(Filled(16, 8, 0x0000FF), "JPG");
    const std::string bmp = Dir.File("kopiert.bmp");
    WriteBmp(bmp, 4, 4, 0x00FF00);
    enum class Where { Cover, Back, Disc };
    const struct {
        const char* Name;
        std::function<void()> Copy;
        const char* Choice; // answered in the dialog that asks where; none: focus decides
        Where Part;
        const char* Extension; // of the held picture; none: the copied file
        int Width;
    } cases[] = {
        {"PNG-Daten",
         [&] {
             Copy({{"image/png", png}});
         },
         "PasteCover", Where::Cover, "png", 12},
        {"JPEG-Daten vor PNG",
         [&] {
             Copy({{"image/png", png}, {"image/jpeg", jpeg}});
         },
         "PasteDisc", Where::Disc, "jpg", 16},
        {"Bilddaten", [&] { Copy({}, Filled(5, 3, 0xFFFFFF)); }, "PasteBack", Where::Back, "png",
         5},
        {"kopierte Datei",
         [&] {
             Copy({{"image/png", png}}, {}, bmp);
         },
         "PasteCover", Where::Cover, nullptr, 4},
        {"Fokus auf der Rückseite",
         [&] {
             Copy({{"image/png", png}});
         },
         nullptr, Where::Back, "png", 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Form = std::make_unique<TfrmMain>(Printer());
        c.Copy();
        DialogScript script;
        if (c.Choice) {
            script.Then(Choose(c.Choice));
            Form->BildEinfuegen->trigger();
        } else {
            Form->show();
            QApplication::setActiveWindow(Form.get());
            Form->Back->setFocus();
            QTest::keyClick(Form.get(), Qt::Key_V, Qt::ControlModifier);
        }
        EXPECT_EQ(script.Pending(), 0);
        const TLayoutPicture& pasted = c.Part == Where::Cover  ? Form->Document.Cover
                                       : c.Part == Where::Back ? Form->Document.Back
                                                               : Form->Document.Disc;
        TImage& image = c.Part == Where::Cover  ? *Form->Cover
                        : c.Part == Where::Back ? *Form->Back
                                                : *Form->Disc;
        if (c.Extension) {
            ASSERT_NE(pasted.Held, nullptr);
            EXPECT_EQ(pasted.Held->Extension, c.Extension);
            if (std::string(c.Extension) == "jpg") {
                EXPECT_EQ(pasted.Held->Bytes, jpeg);
            }
            EXPECT_EQ(pasted.File(), "Bild." + pasted.Held->Hash + "." + c.Extension);
        } else {
            EXPECT_EQ(pasted.Held, nullptr);
            EXPECT_EQ(pasted.File(), bmp);
        }
        EXPECT_EQ(image.Picture().Width(), c.Width);
        EXPECT_EQ(Form->History->count(), 1);
        EXPECT_EQ(Form->History->undoText(), QString::fromUtf8("Bild einfügen"));
        Form->RueckgaengigClick();
        EXPECT_EQ(Form->Document, TLayoutDocument{});
        EXPECT_EQ(image.Picture().Width(), 0);
    }
}

// Nothing usable on the clipboard is said, and nothing changes; neither does a cancelled
// choice of where.
TEST_F(Paste, WithoutAPictureNothingChanges) {
    const std::string text = Dir.File("notiz.txt");
    WriteFileText(text, "kein Bild");
    const struct {
        const char* Name;
        std::function<void()> Copy;
        QString Shown;
    } cases[] = {
        {"Text",
         [] {
             Copy({{"text/plain", "Hallo"}});
         },
         QString::fromUtf8("Vellacour|Die Zwischenablage enthält kein Bild.")},
        {"Textdatei", [&] { Copy({}, {}, text); },
         QString::fromUtf8("Vellacour|Die Zwischenablage enthält kein Bild.")},
        {"kaputte PNG-Daten",
         [] {
             Copy({{"image/png", "\x89PNG kaputt"}});
         },
         QString::fromUtf8("Vellacour|PNG-Bild ist ungültig.")},
        {"abgebrochen",
         [] {
             Copy({{"image/png", Encoded(Filled(2, 2, 0), "PNG")}});
         },
         QString::fromUtf8("Bild einfügen")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Copy();
        DialogScript script;
        if (c.Shown == QString::fromUtf8("Bild einfügen"))
            script.Then([&](QDialog&) {
                return int(std::string(c.Name) == "abgebrochen" ? QDialog::Rejected
                                                                : QDialog::Accepted);
            });
        else
            script.Accept();
        Form->BildEinfuegen->trigger();
        ASSERT_FALSE(script.Shown.empty());
        EXPECT_EQ(script.Shown.front(), c.Shown);
        EXPECT_EQ(Form->History->count(), 0);
        EXPECT_EQ(Form->Document, TLayoutDocument{});
    }
}

// Until saved, the tooltip says where the picture came from; saving writes it beside the
// layout, a second paste saved keeps the first file, and undo brings back the first.
TEST_F(Paste, SavingWritesPastedPicturesBesideTheLayout) {
    const std::string first = Encoded(Filled(6, 6, 0xFF0000), "PNG");
    const std::string second = Encoded(Filled(7, 7, 0x00FF00), "PNG");
    const std::string layout = Dir.File("Album.vco");
    DialogScript script;
    Copy({{"image/png", first}});
    script.Accept();
    Form->BildEinfuegen->trigger();
    EXPECT_TRUE(
        Form->Cover->toolTip().startsWith(QString::fromUtf8("Aus der Zwischenablage eingefügt\n")))
        << Form->Cover->toolTip().toStdString();
    EXPECT_TRUE(Form->Changed());
    Form->SaveCover(layout);
    const std::string firstFile = Dir.File("Album." + PictureHash(first) + ".png");
    EXPECT_EQ(ReadFileText(firstFile), first);
    EXPECT_EQ(Form->Document.Cover.Held, nullptr);
    EXPECT_FALSE(Form->Changed());
    EXPECT_FALSE(Form->Cover->toolTip().contains("Zwischenablage"));

    Copy({{"image/png", second}});
    script.Accept();
    Form->BildEinfuegen->trigger();
    EXPECT_EQ(Form->Document.Cover.File(), "Album." + PictureHash(second) + ".png");
    Form->SaveCover(layout);
    EXPECT_EQ(ReadFileText(Dir.File("Album." + PictureHash(second) + ".png")), second);
    EXPECT_EQ(ReadFileText(firstFile), first);
    EXPECT_EQ(StoredCover(layout), "Album." + PictureHash(second) + ".png");
    Form->RueckgaengigClick();
    EXPECT_TRUE(fs::equivalent(Form->Document.Cover.Resolved, firstFile));
    EXPECT_EQ(Form->Cover->Picture().Width(), 6);
    // Before the first save the picture was held: that step redone, it is held again.
    Form->RueckgaengigClick();
    EXPECT_EQ(Form->Document, TLayoutDocument{});
    Form->WiederherstellenClick();
    ASSERT_NE(Form->Document.Cover.Held, nullptr);
    EXPECT_EQ(Form->Document.Cover.Held->Bytes, first);
}

// Beyond its budget of held bytes the history drops its oldest steps; the newest stay
// whole, undo included.
TEST_F(Paste, TheHistoryKeepsHeldPicturesWithinItsBudget) {
    const std::string pictures[] = {
        Encoded(Filled(3, 3, 0xFF0000), "PNG"), Encoded(Filled(4, 4, 0x00FF00), "PNG"),
        Encoded(Filled(5, 5, 0x0000FF), "PNG"), Encoded(Filled(6, 6, 0xFFFFFF), "PNG")};
    // Room for the last three pictures, which the last two steps hold, not for all four.
    Form->HeldHistoryBudget = pictures[1].size() + pictures[2].size() + pictures[3].size();
    DialogScript script;
    for (const std::string& picture : pictures) {
        Copy({{"image/png", picture}});
        script.Accept();
        Form->BildEinfuegen->trigger();
    }
    EXPECT_EQ(Form->History->count(), 2);
    EXPECT_EQ(Form->Cover->Picture().Width(), 6);
    Form->RueckgaengigClick();
    EXPECT_EQ(Form->Cover->Picture().Width(), 5);
    Form->RueckgaengigClick();
    EXPECT_EQ(Form->Cover->Picture().Width(), 4);
    EXPECT_FALSE(Form->History->canUndo());
    Form->WiederherstellenClick();
    Form->WiederherstellenClick();
    EXPECT_EQ(Form->Cover->Picture().Width(), 6);
}
