// The print preview: the sheet as the chosen printer will put it on paper, drawn by the print
// command's own page, shown whole in a window the user can size, with a button that prints it.
#pragma once

#include <QDialog>
#include <QImage>
#include <QPushButton>
#include <QWidget>

// The page image, shrunk or grown to the widget's size with its proportions kept, centred on
// a grey ground with the paper's outline.
class TSheetView : public QWidget {
public:
    explicit TSheetView(QImage sheet, QWidget* parent = nullptr);
    const QImage& Sheet() const { return Sheet_; }
    // Where the page stands in the widget.
    QRect PageRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage Sheet_;
};

class TfrmPreview : public QDialog {
    Q_OBJECT

public:
    // Accepted by "&Drucken", rejected by "&Schließen" and Escape.
    explicit TfrmPreview(const QImage& sheet, QWidget* parent = nullptr);

    TSheetView* View = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnClose = nullptr;
};
