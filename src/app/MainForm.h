// The main window: the white page with the front cover and the back inlay (or the panels of
// a wrap, or its one picture across the whole wrap), the menu, the tool bar and the
// handlers that run the program's commands.
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
class TTextOverlay;
class TfrmInfo;
class TDiscView;
struct TDiscPrintChoice;

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
    // Pastes the clipboard's picture: into the picture control that has focus, else where
    // a small dialog asks.
    QAction* BildEinfuegen = nullptr;
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
    // The picture across a whole wrap, and taking it away again.
    QAction* Umschlagbild = nullptr;
    QAction* UmschlagbildEntfernen = nullptr;
    // How the pictures are placed into their parts: a submenu per part.
    QMenu* Bild = nullptr;
    QMenu* Bogen = nullptr;
    // The case: one item a case, "Eigene Maße..." asking for the size, and the spines the
    // case is made with.
    QMenu* Huelle = nullptr;
    QAction* EigeneMasse = nullptr;
    QMenu* Rueckenbreite = nullptr;
    QMenu* Anordnung = nullptr;
    QMenu* Beschnittzugabe = nullptr;
    QAction* Beschriftung = nullptr;
    QAction* AusMusikordner = nullptr;
    QAction* AusCueDatei = nullptr;
    // The disc label: its picture, taking it away, its dialog, and printing it on plain paper
    // or a label sheet.
    QAction* DiscBild = nullptr;
    QAction* DiscBildEntfernen = nullptr;
    QAction* DiscEtikett = nullptr;
    QAction* DiscDrucken = nullptr;
    // What the page shows: the case's sheet or the disc label.
    QMenu* Ansicht = nullptr;
    QAction* AnsichtHuelle = nullptr;
    QAction* AnsichtDisc = nullptr;
    QMenu* N3 = nullptr;
    QAction* Info = nullptr;
    QWidget* pnlPage = nullptr;
    TImage* Cover = nullptr;
    TImage* Back = nullptr;
    // The picture across a whole wrap, shown instead of the two panels' while it is set.
    TImage* Wrap = nullptr;
    // The disc label, shown instead of the page while "Disc-Etikett" is chosen, and its
    // picture's control.
    TDiscView* pnlDisc = nullptr;
    TImage* Disc = nullptr;
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
    // The wrap picture: chosen in the picture dialog, or taken away; each one step.
    void UmschlagbildClick();
    void UmschlagbildEntfernenClick();
    // The disc label's picture, its dialog and its printing; each change one step.
    void DiscBildClick();
    void DiscBildEntfernenClick();
    void DiscEtikettClick();
    void DiscDruckenClick();
    // Shows the disc label (or the case's page) in the window.
    void ShowDisc(bool disc);
    bool ShowsDisc() const;
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
    // The words (and, from a folder, the pictures) an album folder or a CUE sheet gives,
    // shown in the words dialog before they replace anything; one step.
    void AusMusikordnerClick();
    void AusCueDateiClick();
    void ImportAlbumFolder(const std::string& folder);
    void ImportCueSheet(const std::string& fileName);
    void ReviewImport(TLayoutDocument next, const std::vector<std::string>& notes,
                      const QString& step);
    // Undo and redo: the step before or after the current one.
    void RueckgaengigClick();
    void WiederherstellenClick();
    // "Bild einfügen": the clipboard's picture into the control that has focus, else into
    // the part the user chooses; one step.
    void BildEinfuegenClick();

    // The undo history keeps at most this many bytes of distinct held pictures (pasted or
    // embedded ones not saved yet), besides the document's own: beyond it, the oldest steps
    // are dropped. A budget is needed because each paste of another picture keeps its
    // bytes for as long as a step can bring it back.
    size_t HeldHistoryBudget = size_t{256} << 20;

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

    // The sheet menu's commands. Another case comes with its own spine; "Eigene Maße..."
    // asks for the size of a case of one's own.
    void SetArrangement(TArrangement arrangement);
    void SetBleed(int tenths);
    void SetCase(TCaseKind kind);
    void SetSpine(int tenths);
    void EigeneMasseClick();

    // The client area below the menu: tool bar plus main panel.
    static constexpr int ClientWidth = 578;
    static constexpr int ClientHeight = 433;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The picture across a wrap has no window of its own to move or zoom: the mouse and
    // the wheel do nothing there.
    bool eventFilter(QObject* watched, QEvent* event) override;

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
    void CreateDiscMenus();
    // Prints the disc sheet the print dialog chose on the selected printer, calibrated.
    void PrintDiscPage(const TDiscPrintChoice& choice);
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
    // The "Bogen" menu: case, spine, arrangement and bleed, checked as the layout holds them
    // (the spines are the case's, the arrangement the jewel case's alone); updating it also
    // lays the page out for the case and the arrangement.
    void CreateSheetMenu();
    void CreateCaseMenu();
    void UpdateSheetMenu();
    void UpdateSpineMenu();
    // Lays the page out as the sheet prints: for the jewel case landscape side by side or
    // portrait stacked, for a wrap its panels (or its one picture) on a landscape page; the
    // words follow.
    void ShowPage();
    // Shows or hides the placeholder that names a part's missing picture file.
    void ShowMissing(TImage& image, bool missing, const std::string& file);
    // After a layout was opened: says which pictures were found only in the layout's folder
    // and which were found nowhere.
    void TellAboutPictures(const TPicturesFound& found);
    // Before printing a layout with a missing picture it prints: asks whether to print it
    // with that part empty; false for "&Nein".
    bool ConfirmMissingPictures();
    // Tells the user when the sheet prints less of the bleed than the layout holds: side by
    // side, or a wrap too near the edge of the paper the window shows.
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
    // The document's pictures as the window keeps them: the front and back pictures and the
    // wrap's, each with its control.
    enum TPictureSlot : size_t { CoverSlot, BackSlot, WrapSlot, DiscSlot, SlotCount };
    static constexpr TLayoutPicture TLayoutDocument::*SlotPicture[SlotCount] = {
        &TLayoutDocument::Cover, &TLayoutDocument::Back, &TLayoutDocument::Wrap,
        &TLayoutDocument::Disc};
    TImage& ImageIn(TPictureSlot slot);
    // Shows the slot's picture in its control, from the cache (or the placeholder of one
    // that cannot be loaded any more); answers the file shown, empty for none.
    std::string ShowPicture(TPictureSlot slot);
    // Whether a slot shows the placeholder of a picture found nowhere: missing when the
    // layout was opened, or not loadable when its step was undone or redone.
    bool ShowsMissing(TPictureSlot slot) const;
    // What the picture cache keeps a part's picture under: its file, or for held bytes a
    // key no file name can be; empty for none.
    static std::string PictureKey(const TLayoutPicture& picture);
    // Drops the oldest steps while the history holds more held bytes than its budget.
    void TrimHistory();
    // Pasting: the slot whose control has focus, the slot the user chooses (none when the
    // dialog was cancelled), and pasting the clipboard's picture into a slot.
    std::optional<TPictureSlot> FocusedSlot() const;
    std::optional<TPictureSlot> AskPasteTarget();
    void PastePicture(std::optional<TPictureSlot> slot);
    // The item that pastes into slot, for a control's context menu.
    void AddPasteItem(QMenu* menu, TPictureSlot slot);
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
    // Loads the file and makes it the slot's picture, as one step.
    void InsertPicture(TPictureSlot slot, const std::string& fileName);
    // The sheet as the window shows it, as it prints: the pictures shown (while the wrap's
    // picture is shown, that one alone), their placements, the layout and the words.
    TSheetContent ShownSheet();
    // The picture controls' tooltips: file, pixel size and resolution as printed.
    void UpdatePictureHints();
    // Says once per run that the settings cannot be saved, when the registry file is
    // write-protected.
    void WarnIfSettingsReadOnly();

    // What a file dropped on the window does: a picture on the front cover or the back
    // inlay (or on the picture across a wrap, or on the disc label) is inserted there, a
    // layout anywhere is opened, an album folder anywhere is read as its menu item reads it.
    enum class TDropTarget { None, Cover, Back, Wrap, Disc, Layout, AlbumFolder };
    struct TDrop {
        TDropTarget Target = TDropTarget::None;
        std::string FileName;
    };
    // The drop the event's data make at its position (in the window's coordinates).
    TDrop DropAt(const QDropEvent& event) const;
    void RunDrop(const TDrop& drop);

    // The words over the pictures: over each part of the jewel case, or across a wrap's page.
    TTextOverlay* CoverWords = nullptr;
    TTextOverlay* BackWords = nullptr;
    TTextOverlay* WrapWords = nullptr;
    // Which decoding of its file each slot shows (0 for none), and whether a slot's
    // picture could not be loaded when its document was last shown.
    uint64_t ShownGenerations[SlotCount] = {};
    bool Unavailable[SlotCount] = {};
    bool Shown = false;
    bool SettingsWarned = false;
};
