#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/InfoForm.h"
#include "sheet/LayoutDocument.h"
#include "toolkit/Modal.h"

DialogScript::DialogScript() {
    SetModalHandler([this](QDialog& dialog) {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog))
            Shown.push_back(box->windowTitle() + "|" + box->text());
        else
            Shown.push_back(dialog.windowTitle());
        if (Steps.empty()) {
            ADD_FAILURE() << "unexpected dialog: " << Shown.back().toStdString();
            return int(QDialog::Rejected);
        }
        Step step = std::move(Steps.front());
        Steps.pop_front();
        return step(dialog);
    });
}

DialogScript::~DialogScript() {
    SetModalHandler({});
}

DialogScript& DialogScript::Choose(const std::string& path) {
    Steps.push_back([path](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) {
            ADD_FAILURE() << "expected a file dialog";
            return int(QDialog::Rejected);
        }
        files->selectFile(QFile::decodeName(path.c_str()));
        return int(QDialog::Accepted);
    });
    return *this;
}

DialogScript& DialogScript::Cancel() {
    Steps.push_back([](QDialog&) { return int(QDialog::Rejected); });
    return *this;
}

DialogScript& DialogScript::Accept() {
    Steps.push_back([](QDialog&) { return int(QDialog::Accepted); });
    return *this;
}

DialogScript& DialogScript::Click(const char* caption) {
    Steps.push_back([caption](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        if (!box) {
            ADD_FAILURE() << "expected a message box";
            return int(QDialog::Rejected);
        }
        for (QAbstractButton* button : box->buttons())
            if (button->text() == QString::fromUtf8(caption)) {
                button->click();
                return box->result();
            }
        ADD_FAILURE() << "no button " << caption;
        return int(QDialog::Rejected);
    });
    return *this;
}

DialogScript& DialogScript::Then(Step step) {
    Steps.push_back(std::move(step));
    return *this;
}

void ExpectCopyrightLineWhole(const TfrmInfo& info) {
    const QLabel& label = *info.Label2;
    const QRect place = label.geometry();
    EXPECT_GE(place.width(), 136);
    EXPECT_GE(place.width(), label.fontMetrics().horizontalAdvance(label.text()));
    EXPECT_EQ(2 * place.left() + place.width(), 2 * 69 + 136) << "centred as laid out";
    EXPECT_EQ(place.top(), 184);
    EXPECT_EQ(place.height(), 13);
    EXPECT_GE(place.left(), 0);
    EXPECT_LE(place.right(), info.width() - 1);
}

void WriteLayoutPaths(const std::string& file, const std::string& cover, const std::string& back) {
    TLayoutDocument document;
    document.Cover.Entry = cover;
    document.Back.Entry = back;
    WriteLayoutDocument(file, document);
}

std::string StoredCover(const std::string& file) {
    return ReadLayoutDocument(file).Cover.File();
}
