#include <QDesktopServices>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "AppTestSupport.h"
#include "app/InfoForm.h"
#include "app/MainForm.h"
#include "print/Printer.h"

namespace {

// Takes the place of the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList Opened;
public slots:
    void Open(const QUrl& url) { Opened << url.toString(); }
};

TEST(InfoForm, ShowsNameVersionAndCopyrightInPlace) {
    TfrmInfo info;
    EXPECT_EQ(info.windowTitle(), "Info...");
    EXPECT_EQ(info.size(), QSize(274, 270));
    const struct {
        QWidget* Widget;
        QRect Place;
        QString Text;
    } rows[] = {
        {info.Label1, {86, 136, 103, 24}, "Vellacour"},
        {info.lblVersion, {86, 160, 103, 14}, "Version 1.1.0"},
        {info.lblURL, {70, 208, 135, 13}, "https://vellacour.org"},
        {info.Button1, {100, 234, 75, 25}, "OK"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.Widget->geometry(), row.Place) << row.Text.toStdString();
        if (auto* label = qobject_cast<QLabel*>(row.Widget))
            EXPECT_EQ(label->text(), row.Text);
        else
            EXPECT_EQ(static_cast<QPushButton*>(row.Widget)->text(), row.Text);
    }
    EXPECT_EQ(info.Label2->text(), QString::fromUtf8("© 2026 Die Vellacour-Entwickler"));
    ExpectCopyrightLineWhole(info);
    EXPECT_EQ(info.Image1->pixmap().size(), QSize(107, 108));
    EXPECT_EQ(InfoLogo().format(), QImage::Format_Indexed8);
    EXPECT_TRUE(info.lblURL->font().underline());
    EXPECT_EQ(info.lblURL->palette().color(QPalette::WindowText), QColor(Qt::blue));
}

TEST(InfoForm, AddressAndLogoOpenTheAddressAndTheWindowStays) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    TfrmInfo info;
    info.show();
    QTest::mouseClick(info.lblURL, Qt::LeftButton);
    QTest::mouseClick(info.Image1, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.Opened, QStringList({"https://vellacour.org", "https://vellacour.org"}));
    EXPECT_TRUE(info.isVisible());
    QTest::mouseClick(info.Button1, Qt::LeftButton);
    EXPECT_FALSE(info.isVisible());
    EXPECT_EQ(info.result(), QDialog::Accepted);
}

TEST(InfoForm, InfoMenuItemShowsItModally) {
    TfrmMain form(Printer());
    DialogScript script;
    script.Accept();
    form.Info->trigger();
    EXPECT_EQ(script.Shown, std::vector<QString>{"Info..."});
}

} // namespace

#include "InfoFormTest.moc"
