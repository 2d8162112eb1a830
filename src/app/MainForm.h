// The main window: the white page with the front cover and the back inlay, the menu, the
// tool bar and the handlers that run the program's commands.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QList>
#include <QMainWindow>
#include <QMenu>
#include <QToolButton>
#include <memory>
#include <optional>
#include <string>

#include "picture/Image.h"
#include "picture/PictureCache.h"
#include "sheet/LayoutDocument.h"

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QUndoStack;
class TRegMru;
class TfrmInfo;

class TOpenDialog;
class TOpenPictureDialog;
class TSaveDialog;
class TPrinter;
class TXPrint;

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // A window that prints on printer, which outlives it.
    explicit TfrmMain(TPrinter& printer, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Components, in the order the window declares them.
    QFrame* pnlMain = nullptr;
    QMenuBar* MainMenu = nullptr;
    QMenu* Datei = nullptr;
    QAction* Neu = nullptr;
    QAction* Laden = nullptr;
    QAction* Speichern = nullptr;
    QAction* Speichernunter = nullptr;
    QAction* N1 = nullptr;
    QAction* Drucken = nullptr;
    QAction* Seitenansicht = nullptr;
    QAction* Druckerkorrektur = nullptr;
    QAction* N2 = nullptr;
    QAction* Beenden = nullptr;
    // Undo and redo of every change to the layout, each naming its step.
    QMenu* Bearbeiten = nullptr;
    QAction* Rueckgaengig = nullptr;
    QAction* Wiederherstellen = nullptr;
    QFrame* ToolBar = nullptr;
    QList<QIcon> ImageList;
    QToolButton* btnPrint = nullptr;
    QWidget* btnSep = nullptr;
    QToolButton* btnInsertCover = nullptr;
    QToolButton* btnInsertBack = nullptr;
    TOpenPictureDialog* dlgOpen = nullptr;
    QMenu* Einfuegen = nullptr;
    QAction* Cover1 = nullptr;
    QAction* Rueckseite = nullptr;
    // How the pictures are placed into their parts: a submenu per part.
    QMenu* Bild = nullptr;
    QMenu* Bogen = nullptr;
    QMenu* Anordnung = nullptr;
    QMenu* Beschnittzugabe = nullptr;
    QAction* Beschriftung = nullptr;
    QMenu* N3 = nullptr;
    QAction* Info = nullptr;
    QWidget* pnlPage = nullptr;
    TImage* Cover = nullptr;
    TImage* Back = nullptr;
    QToolButton* btnNew = nullptr;
    QToolButton* btnOpen = nullptr;
    QToolButton* btnSave = nullptr;
    TSaveDialog* SaveDialog = nullptr;
    TOpenDialog* OpenDialog = nullptr;
    QMenu* LetzteDateien = nullptr;
    TImage* Image_Empty = nullptr;
    QCheckBox* cbRahmen = nullptr;
    QWidget* ToolButton1 = nullptr;
    TPrinter& PrinterObject;
    std::unique_ptr<TXPrint> XPrint;
    std::unique_ptr<TRegMru> MRU;
    TfrmInfo* frmInfo = nullptr;

    // Handlers, named after the component and the event that runs them.
    void btnInsertCoverClick();
    void btnInsertBackClick();
    void btnPrintClick();
    void PrintPage();
    // The print preview of the chosen printer; its "&Drucken" runs the print command.
    void SeitenansichtClick();
    void FormShow();
    void FormClose();
    void AddToMRU();
    void btnSaveClick();
    void btnOpenClick();
    bool Changed() const;
    void SaveCover(const std::string& fileName);
    void LoadCover(const std::string& fileName);
    void MRUItemClick(TRegMru& sender, QAction* menuItem, const std::string& fileName,
                      bool& canDelete);
    void SpeichernunterClick();
    void BeendenClick();
    void btnNewClick();
    void FormCloseQuery(bool& canClose);
    void InfoClick();
    // The printer calibration dialog for the selected printer.
    void DruckerkorrekturClick();
    // The text dialog; its words replace the layout's when confirmed.
    void BeschriftungClick();
    // Undo and redo: the step before or after the current one.
    void RueckgaengigClick();
    void WiederherstellenClick();

    // The layout file the document is tied to; empty while untitled.
    std::string LayoutFile;
    // The layout as it is now: its pictures' entries (a part whose picture was found
    // nowhere keeps its entry and shows a placeholder), placements, sheet settings and
    // words. Every change to it is an undoable step.
    TLayoutDocument Document;
    // The steps that led to the document, for undo and redo.
    QUndoStack* History = nullptr;
    // The decoded pictures, by file: those the document shows and a few shown before.
    TPictureCache Pictures;

    // The sheet menu's commands.
    void SetArrangement(TArrangement arrangement);
    void SetBleed(int tenths);

    // The client area below the menu: tool bar plus main panel.
    static constexpr int ClientWidth = 578;
    static constexpr int ClientHeight = 433;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenu();
    void CreateToolBar();
    void CreatePage();
    QAction* AddItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut,
                     const QString& hint, int image, void (TfrmMain::*handler)());
    QToolButton* AddButton(int left, const QAction* item, void (TfrmMain::*handler)());
    QWidget* AddSeparator(int left);
    void CreateDialogs();
    void CreatePrint();
    // The printer a command beside printing works on, as the print command chooses it: none
    // while a document is being started or spooled, else the selected printer, or the
    // default one where none is selected (without one, the printer layer's error).
    TPrinter* IdlePrinter();
    void CreateMRU();
    // The "Bild" menu and the picture controls' context menus.
    void CreatePlacementMenus();
    // Adds the placement commands of one part to menu: the three modes, "Drehen" and
    // "Ausschnitt zurücksetzen", checked and enabled as the part's placement is.
    void AddPlacementItems(QMenu* menu, TSheetPart part);
    TImage& ImageOf(TSheetPart part);
    // Sets a part's placement as a step named step; moves and zooms of the window a user
    // makes in one go (a drag, wheel notches or keys less than half a second apart) are
    // one step.
    enum class TStepKind { Single, ViewChange };
    void SetPlacement(TSheetPart part, const TPartPlacement& placement, const QString& step,
                      TStepKind kind = TStepKind::Single);
    // Shows both placements in the controls.
    void ShowPlacements();
    // The "Bogen" menu: arrangement and bleed, checked as the layout holds them; updating it
    // also lays the page out for the arrangement.
    void CreateSheetMenu();
    void UpdateSheetMenu();
    // Lays the page out as the arrangement prints: landscape side by side or portrait stacked.
    void ShowArrangement();
    // Shows or hides the placeholder that names a part's missing picture file.
    void ShowMissing(TImage& image, bool missing, const std::string& file);
    // After a layout was opened: says which pictures were found only in the layout's folder
    // and which were found nowhere.
    void TellAboutPictures(bool coverMoved, bool backMoved);
    // Before printing a layout with a missing picture: asks whether to print it with that
    // part empty; false for "&Nein".
    bool ConfirmMissingPictures();
    // Tells the user when side by side prints less of the bleed than the layout holds.
    void WarnIfBleedLimited();
    // A question with "&Ja" and "&Nein" ("&Nein" the default); true for "&Ja".
    bool AskYesNo(const std::string& text);

    // The "Bearbeiten" menu and the history behind it.
    void CreateEditMenu();
    void UpdateEditMenu();
    // Makes next the document as one undoable step named step; a change that changes
    // nothing is no step. View changes of one part in one go merge into one step.
    void ChangeDocument(const TLayoutDocument& next, const QString& step,
                        TStepKind kind = TStepKind::Single, TSheetPart part = TSheetPart::Cover);
    // Makes document the one shown: its pictures (from the cache, decoded anew where they
    // are not kept; one that cannot be loaded any more shows as missing), placements,
    // placeholders, sheet settings, words and tooltips. Never fails: undo and redo run it.
    void ShowDocument(const TLayoutDocument& document);
    // Whether a part shows the placeholder of a picture found nowhere: missing when the
    // layout was opened, or not loadable when its step was undone or redone.
    bool ShowsMissing(TSheetPart part) const;
    // A new document with no history: after New and Open.
    void StartDocument(const TLayoutDocument& document);
    // After the layout was saved from oldFile as newFile: every step's entries as
    // RebasedDocument rewrites them.
    void RebaseHistory(const std::string& oldFile, const std::string& newFile);
    friend class TLayoutStep;

    enum class TSaveAnswer { Yes, No, Cancel };
    // The save prompt; asQuestion ends the text with "?".
    TSaveAnswer AskToSave(bool asQuestion);
    // Asks to save unsaved changes; false when the user chose "Abbrechen" or, after
    // "&Ja", cancelled the save dialog of an untitled layout.
    bool OfferToSave(bool asQuestion);
    void SetCaption(const std::string& layoutFile);
    // After the printer dialog: when the printer would cut a part of the sheet, asks
    // whether to print anyway; false for "&Nein".
    bool ConfirmPrintableArea();
    // Loads the file and makes it the part's picture, as one step.
    void InsertPicture(TSheetPart part, const std::string& fileName);
    // The picture controls' tooltips: file, pixel size and resolution as printed.
    void UpdatePictureHints();
    // Says once per run that the settings cannot be saved, when the registry file is
    // write-protected.
    void WarnIfSettingsReadOnly();

    // What a file dropped on the window does: a picture on the front cover or the back
    // inlay is inserted there, a layout anywhere is opened.
    enum class TDropTarget { None, Cover, Back, Layout };
    struct TDrop {
        TDropTarget Target = TDropTarget::None;
        std::string FileName;
    };
    // The drop the event's data make at its position (in the window's coordinates).
    TDrop DropAt(const QDropEvent& event) const;
    void RunDrop(const TDrop& drop);

    // Which decoding of its file the cover and the back show (0 for none), and whether a
    // part's picture could not be loaded when its document was last shown.
    uint64_t ShownGenerations[2] = {};
    bool Unavailable[2] = {};
    bool Shown = false;
    bool SettingsWarned = false;
};
