// One row of controls for a text's style: font, size, colour, boldness and, where the text
// has one, its background band. The cover's words dialog and the disc label's dialog use it.
#pragma once

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFontComboBox>
#include <QPushButton>
#include <functional>
#include <string>

#include "sheet/CoverText.h"

struct TStyleControls {
    QFontComboBox* Font = nullptr;
    QComboBox* Size = nullptr;
    QPushButton* Colour = nullptr;
    QCheckBox* Bold = nullptr;
    QComboBox* Band = nullptr; // none for a text without a band
    std::string Family;        // kept as read until the user picks another
    QColor Chosen;
};

// Makes the row for style in parent, with a band choice when band is set; changed runs after
// every change the user makes. controls must outlive the row.
QWidget* StyleRow(QWidget* parent, TStyleControls& controls, const TTextStyle& style, bool band,
                  const std::function<void()>& changed);

// The style the controls show.
TTextStyle StyleOf(const TStyleControls& controls);

// A combo box with the captions, translated in the words dialog's context, and the current
// one chosen.
QComboBox* Choice(std::initializer_list<const char*> captions, int current, QWidget* parent);
