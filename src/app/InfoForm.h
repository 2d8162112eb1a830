// The info window: the product's name, version, copyright line, logo and web address;
// a click on the address or the logo opens the address in the user's browser.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>

// A label that runs a handler when it is clicked.
class TClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TfrmInfo : public QDialog {
    Q_OBJECT

public:
    explicit TfrmInfo(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    TClickLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;
    TClickLabel* lblURL = nullptr;

    // Opens the web address; the window stays open.
    void lblURLClick();

    static constexpr int ClientWidth = 274;
    static constexpr int ClientHeight = 270;

protected:
    void showEvent(QShowEvent* event) override;
};

// The logo: 107 × 108 pixels, 256 colours.
QImage InfoLogo();
