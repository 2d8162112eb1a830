#include "app/StyleRow.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QHBoxLayout>

#include "sheet/CoverTextPaint.h"
#include "toolkit/Modal.h"

namespace {
constexpr int Sizes[] = {5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36, 48, 72};

QString Translated(const char* text) {
    return QCoreApplication::translate("TfrmText", text);
}

void ShowColour(QPushButton& button, const QColor& colour) {
    QPixmap swatch(16, 16);
    swatch.fill(colour);
    button.setIcon(QIcon(swatch));
}
} // namespace

QComboBox* Choice(std::initializer_list<const char*> captions, int current, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const char* caption : captions)
        box->addItem(Translated(caption));
    box->setCurrentIndex(current);
    return box;
}

QWidget* StyleRow(QWidget* parent, TStyleControls& controls, const TTextStyle& style, bool band,
                  const std::function<void()>& changed) {
    auto* row = new QWidget(parent);
    controls.Family = style.Family;
    controls.Chosen = style.Color;
    controls.Font = new QFontComboBox(row);
    controls.Font->setCurrentFont(QFont(ResolveFamily(style.Family).Family));
    controls.Size = new QComboBox(row);
    controls.Size->addItem(Translated(QT_TRANSLATE_NOOP("TfrmText", "automatisch")), 0);
    for (const int points : Sizes)
        controls.Size->addItem(QString::number(points), points);
    if (controls.Size->findData(style.Points) < 0)
        controls.Size->addItem(QString::number(style.Points), style.Points);
    controls.Size->setCurrentIndex(controls.Size->findData(style.Points));
    controls.Colour = new QPushButton(Translated(QT_TRANSLATE_NOOP("TfrmText", "Farbe...")), row);
    ShowColour(*controls.Colour, style.Color);
    controls.Bold = new QCheckBox(Translated(QT_TRANSLATE_NOOP("TfrmText", "Fett")), row);
    controls.Bold->setChecked(style.Bold);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : std::initializer_list<QWidget*>{controls.Font, controls.Size,
                                                           controls.Colour, controls.Bold})
        layout->addWidget(widget);
    if (band) {
        controls.Band = Choice({QT_TRANSLATE_NOOP("TfrmText", "kein Band"),
                                QT_TRANSLATE_NOOP("TfrmText", "Band weiß"),
                                QT_TRANSLATE_NOOP("TfrmText", "Band schwarz"),
                                QT_TRANSLATE_NOOP("TfrmText", "Band weiß durchscheinend")},
                               static_cast<int>(style.Band), row);
        layout->addWidget(controls.Band);
        QObject::connect(controls.Band, &QComboBox::currentIndexChanged, row, changed);
    }
    // The family read from the layout stays, installed or not, until the user picks one.
    QObject::connect(controls.Font, &QFontComboBox::currentFontChanged, row,
                     [&controls, changed](const QFont& font) {
                         // The default family is stored as none, so another machine uses
                         // its own.
                         controls.Family = font.family() == DefaultTextFamily()
                                               ? ""
                                               : font.family().toStdString();
                         changed();
                     });
    QObject::connect(controls.Size, &QComboBox::currentIndexChanged, row, changed);
    QObject::connect(controls.Bold, &QCheckBox::toggled, row, changed);
    QObject::connect(controls.Colour, &QPushButton::clicked, row, [row, &controls, changed] {
        QColorDialog dialog(controls.Chosen, row->window());
        if (ExecModal(dialog) != QDialog::Accepted)
            return;
        controls.Chosen = dialog.selectedColor();
        ShowColour(*controls.Colour, controls.Chosen);
        changed();
    });
    return row;
}

TTextStyle StyleOf(const TStyleControls& controls) {
    return {controls.Family, controls.Size->currentData().toInt(), controls.Chosen,
            controls.Bold->isChecked(),
            controls.Band ? static_cast<TTextBand>(controls.Band->currentIndex())
                          : TTextBand::None};
}
