#include <QApplication>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTimer>
#include <gtest/gtest.h>

#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"

namespace {
struct ShownBox {
    QString Title;
    QString Text;
    QString InformativeText;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    QList<QAbstractButton*>::size_type Buttons = 0;
};

// Captures every message box instead of showing it.
class ErrorDisplay : public testing::Test {
protected:
    void SetUp() override {
        TApplication::SetTitle("Vellacour");
        SetModalHandler([this](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            Boxes.push_back({box.windowTitle(), box.text(), box.informativeText(), box.icon(),
                             box.buttons().size()});
            return int(QMessageBox::Ok);
        });
    }
    void TearDown() override { SetModalHandler({}); }

    std::vector<ShownBox> Boxes;
};
} // namespace

TEST(ErrorDisplayText, AppendsFullStopOnlyAfterCharactersSortingAfterDot) {
    EXPECT_EQ(ErrorDisplayText("Bitmap ist ungültig"), "Bitmap ist ungültig.");
    EXPECT_EQ(ErrorDisplayText("JPEG-Fehlernr. 53"), "JPEG-Fehlernr. 53.");
    EXPECT_EQ(ErrorDisplayText("Unbekannte Bilddateierweiterung (.gif)"),
              "Unbekannte Bilddateierweiterung (.gif)");
    EXPECT_EQ(ErrorDisplayText("Systemressourcen erschöpft."), "Systemressourcen erschöpft.");
    EXPECT_EQ(ErrorDisplayText("Abstand -"), "Abstand -");
    EXPECT_EQ(ErrorDisplayText("Pfad /"), "Pfad /.");
    EXPECT_EQ(ErrorDisplayText(""), "");
}

TEST_F(ErrorDisplay, ShowsMessageWithTitleErrorIconAndOneButton) {
    ShowException(EInvalidGraphic("Bitmap ist ungültig"));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Title, "Vellacour");
    EXPECT_EQ(Boxes[0].Text, QString::fromUtf8("Bitmap ist ungültig."));
    EXPECT_EQ(Boxes[0].InformativeText, "");
    EXPECT_EQ(Boxes[0].Icon, QMessageBox::Critical);
    EXPECT_EQ(Boxes[0].Buttons, 1);
}

TEST_F(ErrorDisplay, AnErrorOfAFileShowsTheFileBesideItsMessage) {
    EInvalidGraphic error("Bitmap ist ungültig");
    error.SetFileName("/tmp/bilder/kaputt.bmp");
    ShowException(error);
    QueueException(error);
    QApplication::processEvents();
    ASSERT_EQ(Boxes.size(), 2u);
    for (const ShownBox& box : Boxes) {
        EXPECT_EQ(box.Text, QString::fromUtf8("Bitmap ist ungültig."));
        EXPECT_EQ(box.InformativeText, "Datei: /tmp/bilder/kaputt.bmp");
    }
}

TEST_F(ErrorDisplay, OutOfMemoryShowsTheSystemsGermanText) {
    Guarded([] { throw std::bad_alloc(); });
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QString::fromUtf8("Systemressourcen erschöpft."));
}

TEST_F(ErrorDisplay, AbortIsSilent) {
    ShowException(EAbort());
    Guarded([] { throw EAbort(); });
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(ErrorDisplay, GuardedHandlerShowsErrorAndReturns) {
    bool after = false;
    Guarded([] { throw EReadError(Msg::ReadError); });
    after = true;
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "Stream-Read-Fehler.");
    EXPECT_TRUE(after);
}

TEST_F(ErrorDisplay, QueuedErrorAppearsOnceEventsAreProcessed) {
    QueueException(EJPEG("JPEG-Fehlernr. 42"));
    EXPECT_TRUE(Boxes.empty());
    QApplication::processEvents();
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, "JPEG-Fehlernr. 42.");
}

TEST_F(ErrorDisplay, ExceptionEscapingAnEventIsCaughtAtDispatch) {
    QObject receiver;
    bool ran = false;
    QTimer::singleShot(0, &receiver, [&] {
        ran = true;
        throw EInvalidOperation("Ungültige Operation");
    });
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(ran);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QString::fromUtf8("Ungültige Operation."));
}

TEST(Format, FormatsLikePrintf) {
    EXPECT_EQ(Format(Msg::FOpenError, "/tmp/ä.bmp"), "Datei /tmp/ä.bmp kann nicht geöffnet werden");
    EXPECT_EQ(Format("%d-%s", 7, ""), "7-");
    EXPECT_EQ(Format("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}

// The extension arrow of tool and menu bars is read when first drawn, and then is the
// platform style's own picture.
TEST(ApplicationStyle, ExtensionArrowsAreTheBaseStylesPictures) {
    const auto* proxy = qobject_cast<const QProxyStyle*>(QApplication::style());
    ASSERT_NE(proxy, nullptr);
    for (const auto which :
         {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon deferred = QApplication::style()->standardIcon(which);
        const QImage expected = proxy->baseStyle()->standardIcon(which).pixmap(16).toImage();
        ASSERT_FALSE(expected.isNull());
        EXPECT_FALSE(deferred.isNull());
        EXPECT_EQ(deferred.pixmap(16).toImage(), expected);
        EXPECT_EQ(deferred.actualSize(QSize(64, 64)),
                  proxy->baseStyle()->standardIcon(which).actualSize(QSize(64, 64)));
    }
}
