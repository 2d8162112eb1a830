// Undo and redo: every change to the layout is a step that holds the document before and
// after it (values, never decoded pixels), on one history shown in the "Bearbeiten" menu.
#include <QElapsedTimer>
#include <QMenuBar>
#include <QUndoStack>
#include <map>

#include "app/MainForm.h"
#include "picture/Picture.h"
#include "print/XPrinter.h"
#include "toolkit/Application.h"
#include "toolkit/Errors.h"
#include "toolkit/Translation.h"

namespace {
constexpr TMsg UndoCaption{QT_TRANSLATE_NOOP("Msg", "&Rückgängig")};
constexpr TMsg RedoCaption{QT_TRANSLATE_NOOP("Msg", "&Wiederherstellen")};
// View changes of one part this close together are one step, as is a whole drag.
constexpr qint64 MergeMilliseconds = 500;
// The ids that let a view change merge with the one before: one per part.
constexpr int ViewChangeId[] = {1, 2, 3};
} // namespace

class TLayoutStep : public QUndoCommand {
public:
    // drag is the number of the drag the step is part of, 0 for none.
    TLayoutStep(TfrmMain& window, TLayoutDocument before, TLayoutDocument after,
                const QString& name, int id, int drag)
        : QUndoCommand(name), Window(window), Before(std::move(before)), After(std::move(after)),
          Id(id), Drag(drag) {
        Clock.start();
    }

    void undo() override { Window.ShowDocument(Before); }
    void redo() override {
        // A step put back onto a trimmed history is already shown.
        if (std::exchange(Replayed, false))
            return;
        Window.ShowDocument(After);
    }
    int id() const override { return Id; }

    // A move of the same drag joins it; other view changes join one another while they
    // come less than half a second apart. The history never merges into the step a save
    // was made at.
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const TLayoutStep*>(other);
        const bool sameDrag = next->Drag != 0 && next->Drag == Drag;
        const bool soonAfter = next->Drag == 0 && Drag == 0 && Clock.elapsed() <= MergeMilliseconds;
        if (!sameDrag && !soonAfter)
            return false;
        After = next->After;
        Clock.restart();
        // A view moved back where it was is no step at all.
        setObsolete(After == Before);
        return true;
    }

    // After a layout is saved under another name, its steps' entries are rewritten too, so
    // that undoing a step after it names the same files.
    void Rebase(const std::string& oldFile, const std::string& newFile) {
        Before = RebasedDocument(Before, oldFile, newFile);
        After = RebasedDocument(After, oldFile, newFile);
    }

    // The same step for a history built anew: it does not show its document when pushed,
    // and merges with nothing.
    TLayoutStep* Replay() const {
        auto* step = new TLayoutStep(Window, Before, After, text(), -1, 0);
        step->Replayed = true;
        return step;
    }

    // Adds the held pictures of both documents to held, by hash.
    void AddHeld(std::map<std::string, size_t>& held) const {
        for (const TLayoutDocument* document : {&Before, &After})
            for (const TPictureSlot slot :
                 {TfrmMain::CoverSlot, TfrmMain::BackSlot, TfrmMain::WrapSlot, TfrmMain::DiscSlot})
                if (const auto& picture = document->*TfrmMain::SlotPicture[slot]; picture.Held)
                    held[picture.Held->Hash] = picture.Held->Bytes.size();
    }

private:
    using TPictureSlot = TfrmMain::TPictureSlot;
    TfrmMain& Window;
    TLayoutDocument Before;
    TLayoutDocument After;
    int Id;
    int Drag;
    QElapsedTimer Clock;
    bool Replayed = false;
};

void TfrmMain::CreateEditMenu() {
    History = new QUndoStack(this);
    Bearbeiten = new QMenu(tr("Bearbei&ten"), MainMenu);
    Bearbeiten->setObjectName("Bearbeiten");
    MainMenu->insertMenu(Einfuegen->menuAction(), Bearbeiten);
    Rueckgaengig =
        AddItem(Bearbeiten, UndoCaption.QText(), QKeySequence(Qt::CTRL | Qt::Key_Z),
                tr("Den letzten Schritt zurücknehmen"), -1, &TfrmMain::RueckgaengigClick);
    Rueckgaengig->setObjectName("Rueckgaengig");
    Wiederherstellen = AddItem(Bearbeiten, RedoCaption.QText(), QKeySequence(Qt::CTRL | Qt::Key_Y),
                               tr("Den zurückgenommenen Schritt wiederholen"), -1,
                               &TfrmMain::WiederherstellenClick);
    Wiederherstellen->setObjectName("Wiederherstellen");
    Wiederherstellen->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    Bearbeiten->addSeparator();
    BildEinfuegen =
        AddItem(Bearbeiten, tr("Bild &einfügen"), QKeySequence(Qt::CTRL | Qt::Key_V),
                tr("Das Bild aus der Zwischenablage einfügen"), -1, &TfrmMain::BildEinfuegenClick);
    BildEinfuegen->setObjectName("BildEinfuegen");
    connect(History, &QUndoStack::indexChanged, this, [this] { UpdateEditMenu(); });
    UpdateEditMenu();
}

void TfrmMain::UpdateEditMenu() {
    // "&Rückgängig: Bild einfügen", or the bare caption when there is nothing to undo.
    const auto caption = [](TMsg command, const QString& step) {
        return step.isEmpty() ? command.QText() : command.QText() + ": " + step;
    };
    Rueckgaengig->setEnabled(History->canUndo());
    Rueckgaengig->setText(caption(UndoCaption, History->canUndo() ? History->undoText() : ""));
    Wiederherstellen->setEnabled(History->canRedo());
    Wiederherstellen->setText(caption(RedoCaption, History->canRedo() ? History->redoText() : ""));
}

// While a sheet is being started or spooled, the layout it prints from stays as it is: a
// command that arrives meanwhile is ignored, as the print command itself is.
void TfrmMain::RueckgaengigClick() {
    if (!XPrint->Printing())
        History->undo();
}

void TfrmMain::WiederherstellenClick() {
    if (!XPrint->Printing())
        History->redo();
}

void TfrmMain::ChangeDocument(const TLayoutDocument& next, const QString& step, TStepKind kind,
                              TSheetPart part) {
    if (next == Document || XPrint->Printing())
        return;
    const bool view = kind == TStepKind::ViewChange;
    const int id = view ? ViewChangeId[static_cast<size_t>(part)] : -1;
    // Pushing runs the step, which shows the new document.
    History->push(
        new TLayoutStep(*this, Document, next, step, id, view ? ImageOf(part).Drag() : 0));
    TrimHistory();
}

void TfrmMain::TrimHistory() {
    // Right after a push every step is one to undo, so none to redo is lost. QUndoStack
    // cannot drop its oldest steps, so the kept ones are put onto it anew.
    const auto heldBytes = [this](int first) {
        std::map<std::string, size_t> held;
        for (int i = first; i < History->count(); ++i)
            static_cast<const TLayoutStep*>(History->command(i))->AddHeld(held);
        size_t total = 0;
        for (const auto& [hash, size] : held)
            total += size;
        return total;
    };
    int first = 0;
    while (first < History->count() - 1 && heldBytes(first) > HeldHistoryBudget)
        ++first;
    if (first == 0)
        return;
    std::vector<TLayoutStep*> kept;
    for (int i = first; i < History->count(); ++i)
        kept.push_back(static_cast<const TLayoutStep*>(History->command(i))->Replay());
    History->clear();
    for (TLayoutStep* step : kept)
        History->push(step);
}

void TfrmMain::RebaseHistory(const std::string& oldFile, const std::string& newFile) {
    // The steps are the history's own; only their documents' entries change.
    for (int i = 0; i < History->count(); ++i)
        static_cast<TLayoutStep*>(const_cast<QUndoCommand*>(History->command(i)))
            ->Rebase(oldFile, newFile);
}

void TfrmMain::StartDocument(const TLayoutDocument& document) {
    History->clear();
    ShowDocument(document);
    // A layout of a disc label alone opens on the label.
    const bool discOnly = document.HasDisc() && document.Cover.File().empty() &&
                          document.Back.File().empty() && document.Wrap.File().empty() &&
                          document.Text.Empty();
    ShowDisc(discOnly);
}

void TfrmMain::ShowDocument(const TLayoutDocument& document) {
    Document = document;
    std::set<std::string> inUse;
    for (const TPictureSlot slot : {CoverSlot, BackSlot, WrapSlot, DiscSlot})
        if (std::string shown = ShowPicture(slot); !shown.empty())
            inUse.insert(std::move(shown));
    Pictures.SetInUse(std::move(inUse));
    ShowPlacements();
    UpdateSheetMenu();
    Cover->update();
    Back->update();
    Wrap->update();
    Disc->update();
}

TImage& TfrmMain::ImageIn(TPictureSlot slot) {
    switch (slot) {
    case CoverSlot:
        return *Cover;
    case BackSlot:
        return *Back;
    case WrapSlot:
        return *Wrap;
    default:
        return *Disc;
    }
}

std::string TfrmMain::ShowPicture(TPictureSlot slot) {
    const TLayoutPicture& picture = Document.*SlotPicture[slot];
    // The wrap's picture is looked at only while the sheet shows it.
    const bool wanted = slot != WrapSlot || Document.ShowsWrap();
    TImage& image = ImageIn(slot);
    const TPicture* shown = nullptr;
    const std::string key = PictureKey(picture);
    try {
        if (wanted && picture.Held)
            shown = &Pictures.LoadBytes(key, picture.Held->Bytes, picture.Held->Extension);
        else if (wanted && !key.empty())
            shown = &Pictures.Load(key);
    } catch (const std::exception&) {
        // A file that went away or broke since the step was made: the part shows it as
        // missing, as a layout opened without it would; the document stays the step's.
    }
    Unavailable[slot] = wanted && !key.empty() && !shown;
    // The picture is set only when another decoding is to be shown, so that a placement
    // step (a drag above all) does not draw it anew.
    const uint64_t generation = shown ? Pictures.Generation(key) : 0;
    if (generation != ShownGenerations[slot] || !shown) {
        image.SetPicture(shown ? *shown : Image_Empty->Picture());
        ShownGenerations[slot] = generation;
    }
    ShowMissing(image, wanted && ShowsMissing(slot), picture.File());
    return shown ? key : std::string();
}

std::string TfrmMain::PictureKey(const TLayoutPicture& picture) {
    // A file's path holds no zero byte.
    if (picture.Held)
        return std::string(1, '\0') + picture.Held->Hash + "." + picture.Held->Extension;
    return picture.Resolved;
}

bool TfrmMain::ShowsMissing(TPictureSlot slot) const {
    return (Document.*SlotPicture[slot]).Missing || Unavailable[slot];
}
