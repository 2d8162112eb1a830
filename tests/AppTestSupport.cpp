#include "AppTestSupport.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <gtest/gtest.h>

#include "TestSupport.h"
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

void WriteBmp(const std::string& path, int width, int height, unsigned rgb) {
    const int row = (width * 3 + 3) & ~3;
    const uint32_t pixels = static_cast<uint32_t>(row * height);
    std::vector<uint8_t> bytes(54 + pixels, 0);
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &bytes[54 + y * row + x * 3];
            p[0] = rgb & 0xFF;
            p[1] = (rgb >> 8) & 0xFF;
            p[2] = (rgb >> 16) & 0xFF;
        }
    WriteFileBytes(path, bytes);
}
