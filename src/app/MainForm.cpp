#include "app/MainForm.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/CalibrationForm.h"
#include "app/DiscView.h"
#include "app/Icons.h"
#include "app/InfoForm.h"
#include "app/PageGeometry.h"
#include "app/TextForm.h"
#include "app/TextPreview.h"
#include "mru/RegMru.h"
#include "print/Printer.h"
#include "print/XPrinter.h"
#include "sheet/Calibration.h"
#include "sheet/CoverSheet.h"
#include "sheet/LayoutPictures.h"
#include "sheet/SheetClipping.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Modal.h"
#include "toolkit/Registry.h"

namespace {
// Tool bar geometry: a 2-pixel edge plus a 2-pixel border before the first item.
constexpr int ToolBarInset = 4;
constexpr int ToolBarHeight = 32;
constexpr int ButtonWidth = 23;
constexpr int ButtonHeight = 22;
constexpr int SeparatorWidth = 8;

} // namespace

TfrmMain::TfrmMain(TPrinter& printer, QWidget* parent)
    : QMainWindow(parent), PrinterObject(printer) {
    setObjectName("frmMain");
    setWindowTitle(QString::fromStdString(TApplication::Title()));
    // The program's icon is the application's, drawn once for all its windows; a form made
    // without it (in tests) draws its own.
    if (QApplication::windowIcon().isNull())
        setWindowIcon(ApplicationIcon());
    // Fixed size with system menu and minimize box, no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // "MS Sans Serif" at 8 points; where it is missing, the metric-compatible Liberation
    // Sans keeps captions inside the sizes the window was designed for.
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial")});
    font.setPixelSize(11);
    setFont(font);

    ImageList = CreateImageList();
    CreateMenu();

    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    ToolBar = new QFrame(client);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setGeometry(0, 0, ClientWidth, ToolBarHeight);
    pnlMain = new QFrame(client);
    pnlMain->setObjectName("pnlMain");
    pnlMain->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlMain->setLineWidth(1);
    pnlMain->setGeometry(0, ToolBarHeight, ClientWidth, ClientHeight - ToolBarHeight);
    CreateToolBar();
    CreatePage();
    CreateEditMenu();
    CreatePlacementMenus();
    CreateSheetMenu();
    CreatePrint();
    CreateMRU();
    setAcceptDrops(true);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QAction* TfrmMain::AddItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                           const QString& hint, int image, void (TfrmMain::*handler)()) {
    QAction* item = menu->addAction(caption);
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WindowShortcut);
    if (!hint.isEmpty()) {
        item->setToolTip(hint);
        item->setStatusTip(hint);
    }
    if (image >= 0)
        item->setIcon(ImageList[image]);
    if (handler)
        connect(item, &QAction::triggered, this,
                [this, handler] { Guarded([&] { (this->*handler)(); }); });
    return item;
}

void TfrmMain::CreateMenu() {
    MainMenu = menuBar();
    MainMenu->setObjectName("MainMenu");
    Datei = MainMenu->addMenu(tr("&Datei"));
    Datei->setObjectName("Datei");
    Neu = AddItem(Datei, tr("&Neu"), QKeySequence(Qt::CTRL | Qt::Key_N), tr("Neues Coverlayout"),
                  imgNew, &TfrmMain::btnNewClick);
    Laden = AddItem(Datei, tr("&Laden"), QKeySequence(Qt::CTRL | Qt::Key_O),
                    tr("Coverlayout laden"), imgOpen, &TfrmMain::btnOpenClick);
    LetzteDateien = Datei->addMenu(tr("Let&zte Dateien"));
    LetzteDateien->setObjectName("LetzteDateien");
    // Opened while the list is empty, a submenu of no size never becomes a window on X11,
    // and entries added later would not show; a minimum size keeps it a real window.
    LetzteDateien->setMinimumSize(1, 1);
    // An entry's tooltip holds the whole path its caption may shorten.
    LetzteDateien->setToolTipsVisible(true);
    Speichern = AddItem(Datei, tr("&Speichern"), QKeySequence(Qt::CTRL | Qt::Key_S),
                        tr("Coverlayout speichern"), imgSave, &TfrmMain::btnSaveClick);
    Speichernunter = AddItem(Datei, tr("Speichern &unter..."), QKeySequence(Qt::Key_F12),
                             tr("Coverlayout unter anderem Namen speichern"), -1,
                             &TfrmMain::SpeichernunterClick);
    N1 = Datei->addSeparator();
    Drucken = AddItem(Datei, tr("Druc&ken"), QKeySequence(Qt::CTRL | Qt::Key_P),
                      tr("Coverlayout drucken"), imgPrint, &TfrmMain::btnPrintClick);
    Seitenansicht = AddItem(Datei, tr("Seiten&ansicht..."), QKeySequence(),
                            tr("Coverlayout so zeigen, wie es gedruckt wird"), -1,
                            &TfrmMain::SeitenansichtClick);
    DiscDrucken = AddItem(Datei, tr("&Disc-Etikett drucken..."), QKeySequence(),
                          tr("Das Disc-Etikett auf Papier oder einen Etikettenbogen drucken"), -1,
                          &TfrmMain::DiscDruckenClick);
    DiscDrucken->setObjectName("DiscDrucken");
    Druckerkorrektur = AddItem(Datei, tr("Druckerkorrektur..."), QKeySequence(), {}, -1,
                               &TfrmMain::DruckerkorrekturClick);
    N2 = Datei->addSeparator();
    Beenden = AddItem(Datei, tr("&Beenden"), QKeySequence(), {}, -1, &TfrmMain::BeendenClick);

    Einfuegen = MainMenu->addMenu(tr("&Einfügen"));
    Einfuegen->setObjectName("Einfuegen");
    Cover1 =
        AddItem(Einfuegen, tr("&Cover"), QKeySequence(Qt::Key_F2),
                tr("Bilddatei als Cover einfügen"), imgInsertCover, &TfrmMain::btnInsertCoverClick);
    Rueckseite = AddItem(Einfuegen, tr("&Rückseite"), QKeySequence(Qt::Key_F3),
                         tr("Bilddatei als Rückseite einfügen"), imgInsertBack,
                         &TfrmMain::btnInsertBackClick);
    Umschlagbild = AddItem(Einfuegen, tr("&Umschlagbild..."), QKeySequence(),
                           tr("Bilddatei über den ganzen Umschlag einfügen"), -1,
                           &TfrmMain::UmschlagbildClick);
    UmschlagbildEntfernen = AddItem(Einfuegen, tr("Umschlagbild &entfernen"), QKeySequence(), {},
                                    -1, &TfrmMain::UmschlagbildEntfernenClick);
    DiscBild = AddItem(Einfuegen, tr("&Disc-Bild..."), QKeySequence(),
                       tr("Bilddatei auf das Disc-Etikett einfügen"), -1, &TfrmMain::DiscBildClick);
    DiscBild->setObjectName("DiscBild");
    DiscBildEntfernen = AddItem(Einfuegen, tr("Disc-Bild ent&fernen"), QKeySequence(), {}, -1,
                                &TfrmMain::DiscBildEntfernenClick);
    DiscBildEntfernen->setObjectName("DiscBildEntfernen");
    Einfuegen->addSeparator();
    Beschriftung = AddItem(Einfuegen, tr("&Beschriftung..."), QKeySequence(Qt::Key_F4),
                           tr("Rückentitel, Titelliste und Titel bearbeiten"), -1,
                           &TfrmMain::BeschriftungClick);
    AusMusikordner = AddItem(Einfuegen, tr("Aus &Musikordner..."), QKeySequence(),
                             tr("Titel, Zeiten und Cover-Bild aus einem Album-Ordner übernehmen"),
                             -1, &TfrmMain::AusMusikordnerClick);
    AusMusikordner->setObjectName("AusMusikordner");
    AusCueDatei = AddItem(Einfuegen, tr("&Aus CUE-Datei..."), QKeySequence(),
                          tr("Titel und Zeiten aus einer CUE-Datei übernehmen"), -1,
                          &TfrmMain::AusCueDateiClick);
    AusCueDatei->setObjectName("AusCueDatei");

    DiscEtikett = AddItem(Einfuegen, tr("Disc-E&tikett..."), QKeySequence(Qt::Key_F5),
                          tr("Größe, Farbe und Beschriftung des Disc-Etiketts bearbeiten"), -1,
                          &TfrmMain::DiscEtikettClick);
    DiscEtikett->setObjectName("DiscEtikett");

    // The page shows the case's sheet or the disc label; each keeps its own placements.
    Ansicht = MainMenu->addMenu(tr("&Ansicht"));
    Ansicht->setObjectName("Ansicht");
    auto* views = new QActionGroup(Ansicht);
    AnsichtHuelle = Ansicht->addAction(tr("&Hülle"));
    AnsichtHuelle->setObjectName("AnsichtHuelle");
    AnsichtHuelle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
    AnsichtDisc = Ansicht->addAction(tr("&Disc-Etikett"));
    AnsichtDisc->setObjectName("AnsichtDisc");
    AnsichtDisc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
    for (QAction* item : {AnsichtHuelle, AnsichtDisc}) {
        item->setCheckable(true);
        item->setShortcutContext(Qt::WindowShortcut);
        views->addAction(item);
    }
    AnsichtHuelle->setChecked(true);
    connect(AnsichtHuelle, &QAction::triggered, this, [this] { ShowDisc(false); });
    connect(AnsichtDisc, &QAction::triggered, this, [this] { ShowDisc(true); });

    N3 = MainMenu->addMenu(tr("&?"));
    N3->setObjectName("N3");
    Info = AddItem(N3, tr("&Info..."), QKeySequence(), {}, -1, &TfrmMain::InfoClick);
}

QToolButton* TfrmMain::AddButton(int left, const QAction* item, void (TfrmMain::*handler)()) {
    // The button takes the menu item's caption, hint and image; its click runs its own
    // handler.
    auto* button = new QToolButton(ToolBar);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The caption without its access key: on a button that shows only its image, the key
    // would be unseen and would take Alt and that letter from the menu bar.
    button->setText(item->iconText());
    button->setToolTip(item->toolTip());
    button->setIcon(item->icon());
    button->setIconSize(QSize(16, 16));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(ToolBarInset + left, ToolBarInset, ButtonWidth, ButtonHeight);
    connect(button, &QToolButton::clicked, this,
            [this, handler] { Guarded([&] { (this->*handler)(); }); });
    return button;
}

QWidget* TfrmMain::AddSeparator(int left) {
    auto* separator = new QFrame(ToolBar);
    separator->setGeometry(ToolBarInset + left, ToolBarInset, SeparatorWidth, ButtonHeight);
    return separator;
}

void TfrmMain::CreateToolBar() {
    btnNew = AddButton(0, Neu, &TfrmMain::btnNewClick);
    btnNew->setObjectName("btnNew");
    btnOpen = AddButton(23, Laden, &TfrmMain::btnOpenClick);
    btnOpen->setObjectName("btnOpen");
    btnSave = AddButton(46, Speichern, &TfrmMain::btnSaveClick);
    btnSave->setObjectName("btnSave");
    btnPrint = AddButton(69, Drucken, &TfrmMain::btnPrintClick);
    btnPrint->setObjectName("btnPrint");
    btnSep = AddSeparator(92);
    btnSep->setObjectName("btnSep");
    btnInsertCover = AddButton(100, Cover1, &TfrmMain::btnInsertCoverClick);
    btnInsertCover->setObjectName("btnInsertCover");
    btnInsertBack = AddButton(123, Rueckseite, &TfrmMain::btnInsertBackClick);
    btnInsertBack->setObjectName("btnInsertBack");
    ToolButton1 = AddSeparator(146);
    ToolButton1->setObjectName("ToolButton1");
    cbRahmen = new QCheckBox(tr("Hilfsrahmen drucken"), ToolBar);
    cbRahmen->setObjectName("cbRahmen");
    cbRahmen->setGeometry(ToolBarInset + 154, ToolBarInset, 125, 22);
    cbRahmen->setChecked(false);
    cbRahmen->setFocusPolicy(Qt::ClickFocus); // skipped by the Tab key
}

void TfrmMain::CreatePage() {
    const TPageGeometry side = PageGeometry({});
    pnlPage = new QWidget(pnlMain);
    pnlPage->setObjectName("pnlPage");
    pnlPage->setGeometry(side.Page);
    pnlPage->setAutoFillBackground(true);
    QPalette white = pnlPage->palette();
    white.setColor(QPalette::Window, Qt::white);
    pnlPage->setPalette(white);

    Cover = new TImage(pnlPage);
    Cover->setObjectName("Cover");
    Cover->setGeometry(side.Cover);
    Cover->SetStretch(true);
    Back = new TImage(pnlPage);
    Back->setObjectName("Back");
    Back->setGeometry(side.Back);
    Back->SetStretch(true);
    Wrap = new TImage(pnlPage);
    Wrap->setObjectName("Wrap");
    Wrap->SetStretch(true);
    Wrap->setVisible(false);
    Wrap->installEventFilter(this);
    // The words over the pictures, as they will print: on each part of the jewel case, and
    // on a wrap across the whole page, over the spine as over the pictures.
    CoverWords = new TTextOverlay(*Cover, Document.Text);
    BackWords = new TTextOverlay(*Back, Document.Text);
    WrapWords = new TTextOverlay(*pnlPage, Document.Text);
    WrapWords->setVisible(false);
    // The disc label stands in the same room as the page, shown instead of it.
    pnlDisc = new TDiscView(pnlMain);
    pnlDisc->setObjectName("pnlDisc");
    pnlDisc->setGeometry(side.Page);
    pnlDisc->setVisible(false);
    Disc = &pnlDisc->Picture();
    Image_Empty = new TImage(pnlPage);
    Image_Empty->setObjectName("Image_Empty");
    Image_Empty->setGeometry(440, 280, 41, 41);
    Image_Empty->setVisible(false);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Wrap) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            return true;
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!Shown) {
        Shown = true;
        Guarded([this] { FormShow(); });
    }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // A failure inside the close query (a save that could not be written, say) keeps the
    // window open, like an answer of "Abbrechen".
    bool canClose = true;
    try {
        FormCloseQuery(canClose);
    } catch (const std::exception& error) {
        ShowException(error);
        canClose = false;
    }
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
    Guarded([this] { FormClose(); });
}

void TfrmMain::BeendenClick() {
    close();
}

TfrmMain::~TfrmMain() {
    MRU->BeforeDestruction();
    // The history goes with the window's children and says so as it goes; the menu it
    // would update may be gone by then.
    History->disconnect(this);
}

void TfrmMain::CreatePrint() {
    XPrint = std::make_unique<TXPrint>(PrinterObject);
    ConfigureSheetPrint(*XPrint);
}

void TfrmMain::btnPrintClick() {
    // A command that arrives while a document is being started or spooled is ignored.
    if (XPrint->Printing())
        return;
    if (!ConfirmMissingPictures())
        return;
    if (!ExecutePrinterDialog(XPrint->Printer(), this))
        return;
    if (!ConfirmPrintableArea())
        return;
    PrintPage();
}

bool TfrmMain::ConfirmPrintableArea() {
    if (XPrint->PrinterCount() == 0)
        return true;
    TPrinter& printer = XPrint->Printer();
    const TCalibration calibration = ReadCalibration(printer.PrinterName());
    const bool frames = cbRahmen->isChecked();
    // The cuts of a layout's sheet on the chosen paper, turned as that sheet prints. A file
    // is no printer: there its parts are to keep the margin nearly every printer needs.
    const auto cutsOf = [&](const TSheetLayout& layout) {
        const TSheetLayout onPaper = LayoutOnPaper(*XPrint, layout);
        const TDeviceCaps caps = printer.DeviceCaps();
        return FindCuts(
            SheetPartAreas(frames, SheetCalibration(calibration, onPaper, caps), onPaper),
            printer.PrintsToFile() ? FilePrintableArea(caps) : PrintableArea(caps));
    };
    const TSheetLayout layout = Document.Settings.Layout();
    const std::vector<TCut> cuts = cutsOf(layout);
    if (cuts.empty())
        return true;
    std::string text = OutsidePrintableText(cuts);
    if (const std::string advice = FitAdvice(LayoutOnPaper(*XPrint, layout), frames, cutsOf);
        !advice.empty())
        text += " " + advice;
    return AskYesNo(text + " " + Msg::PrintAnyway.Text());
}

TSheetContent TfrmMain::ShownSheet() {
    // A wrap picture found nowhere prints as an empty wrap, as the question before printing
    // says, not as the panels' pictures.
    const bool wrap = Document.ShowsWrap();
    const TPicture& none = Image_Empty->Picture();
    return {.Cover = wrap ? none : Cover->Picture(),
            .Back = wrap ? none : Back->Picture(),
            .Frames = [this] { return cbRahmen->isChecked(); },
            .CoverPlacement = Document.Placements.Cover.Placement,
            .BackPlacement = Document.Placements.Back.Placement,
            .Wrap = wrap ? &Wrap->Picture() : nullptr,
            .Layout = Document.Settings.Layout(),
            .Text = &Document.Text};
}

void TfrmMain::PrintPage() {
    // The printer's calibration scales and moves the whole sheet, turned with a portrait one.
    const TSheetLayout layout = Document.Settings.Layout();
    TPrinter& printer = XPrint->Printer();
    OrientForSheet(*XPrint, layout);
    ApplyCalibration(*XPrint, SheetCalibration(ReadCalibration(printer.PrinterName()), layout,
                                               printer.DeviceCaps()));
    // Print to file must not overwrite the layout or its pictures.
    printer.Inputs = PictureFiles(Document);
    if (!LayoutFile.empty())
        printer.Inputs.push_back(LayoutFile);
    PrintCoverSheet(*XPrint, ShownSheet());
}

void TfrmMain::CreateMRU() {
    MRU = std::make_unique<TRegMru>(objectName().toStdString());
    MRU->SetMaxItems(4);
    MRU->SetLazyWrite(true);
    MRU->ApplicationName = "Vellacour";
    MRU->CompanyName = "Brennholt";
    MRU->OwnerName = "frmMain";
    MRU->Section = "MRUHistory";
    // Part of the list's key: where the list has always been kept, not the program's version.
    MRU->ApplicationVersion = "1.0.0";
    MRU->SerializeList = false;
    MRU->SetActiveRegistry(true);
    MRU->Separator = false;
    MRU->NumberItems = true;
    MRU->MenuItem = LetzteDateien;
    MRU->OnItemClick = [this](TRegMru& sender, QAction* item, const std::string& fileName,
                              bool& canDelete) {
        MRUItemClick(sender, item, fileName, canDelete);
    };
    MRU->Loaded();
}

void TfrmMain::FormShow() {
    MRU->LoadFromRegistry();
    WarnIfSettingsReadOnly();
}

void TfrmMain::FormClose() {
    WarnIfSettingsReadOnly();
    MRU->SaveToRegistry();
}

void TfrmMain::WarnIfSettingsReadOnly() {
    // The program goes on with what it read; saving then leaves the file alone.
    if (SettingsWarned || RegistryWritable())
        return;
    SettingsWarned = true;
    QMessageBox box(
        QMessageBox::Warning, QString::fromStdString(TApplication::Title()),
        QString::fromStdString(Format(Msg::SettingsReadOnly, RegistryFileName().c_str())),
        QMessageBox::Ok, this);
    ExecModal(box);
}

void TfrmMain::AddToMRU() {
    MRU->AddItem(LayoutFile, false, true, 0, 0);
}

void TfrmMain::MRUItemClick(TRegMru&, QAction*, const std::string& fileName, bool&) {
    if (!OfferToSave(true))
        return;
    LoadCover(fileName);
}

void TfrmMain::InfoClick() {
    // Made when first asked for: its fonts and logo need not delay the first window.
    if (!frmInfo)
        frmInfo = new TfrmInfo(this);
    ExecModal(*frmInfo);
}

TPrinter* TfrmMain::IdlePrinter() {
    if (XPrint->Printing())
        return nullptr;
    TPrinter& printer = XPrint->Printer();
    if (!printer.HasPrinter())
        printer.SetToDefaultPrinter(false);
    return &printer;
}

void TfrmMain::DruckerkorrekturClick() {
    TPrinter* printer = IdlePrinter();
    if (!printer)
        return;
    const std::string name = printer->PrinterName();
    // Printing into a file chosen in the printer dialog there is no printer to correct.
    if (name.empty()) {
        QMessageBox box(QMessageBox::Information, QString::fromStdString(TApplication::Title()),
                        Msg::CorrectionNeedsPrinter.QText(), QMessageBox::Ok, this);
        ExecModal(box);
        return;
    }
    TfrmCalibration dialog(
        name, ReadCalibration(name),
        [this, name](const TCalibration& calibration) {
            if (!XPrint->Printing())
                PrintCalibrationSheet(*XPrint, name, calibration);
        },
        this);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    WriteCalibration(name, dialog.Calibration());
}

void TfrmMain::BeschriftungClick() {
    TfrmText dialog(Document.Text, ShownSheet(), this);
    if (ExecModal(dialog) != QDialog::Accepted)
        return;
    TLayoutDocument next = Document;
    next.Text = dialog.Text();
    ChangeDocument(next, tr("Beschriftung"));
}
