// The recent-files list: a short, most-recent-first list of file names kept in one
// registry key and shown as numbered menu items under a host menu. The list and the
// registry code need no window; the items are QActions owned by the host menu.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Registry.h"

class TRegMru;

// Raised when an entry is clicked; setting canDelete removes the entry afterwards,
// leaving it false moves the entry to the top.
using TNotifyItemClick = std::function<void(TRegMru& sender, QAction* menuItem,
                                            const std::string& fileName, bool& canDelete)>;
// Stored and never raised.
using TOnGetItems = std::function<void(TRegMru& sender, QAction* item, int32_t index)>;

enum class TRootKey {
    HKeyClassesRoot,
    HKeyCurrentUser,
    HKeyLocalMachine,
    HKeyUsers,
    HKeyPerformanceData,
    HKeyCurrentConfig,
    HKeyDynData,
};

struct TMruEntry {
    std::string Name; // the whole file name, byte for byte
    int32_t Data = 0;
    QAction* Item = nullptr;
};

// A menu caption shows at most this many characters of a name; a longer one keeps its
// start and its file name, with "…" between.
inline constexpr size_t MruMaxShownLength = 80;
// The name as a menu caption shows it: shortened as above, "&" doubled so that it shows
// as itself instead of marking an access key.
QString MruCaptionName(const std::string& name);

class TRegMru {
public:
    // ownerName is the owning component's name (empty without an owner).
    explicit TRegMru(std::string ownerName = "");
    ~TRegMru();
    TRegMru(const TRegMru&) = delete;
    TRegMru& operator=(const TRegMru&) = delete;

    int32_t MaxItems() const { return MaxItems_; }
    // Stores v; a non-negative v trims the list to v entries from the end.
    void SetMaxItems(int32_t v);
    bool LazyWrite() const { return LazyWrite_; }
    void SetLazyWrite(bool lazy);
    TRootKey RootKey() const { return RootKey_; }
    void SetRootKey(TRootKey root);
    bool ActiveRegistry() const { return Registry != nullptr; }
    // True creates the accessor the component then holds; false frees it.
    void SetActiveRegistry(bool active);
    // The accessor's open key (without a leading backslash) and its handle; empty and 0
    // when no key is open.
    std::string CurrentPath() const;
    uintptr_t CurrentKey() const;

    std::string ApplicationName;
    std::string CompanyName;
    std::string OwnerName;
    std::string Section = "MRUHistory";
    std::string ApplicationVersion;
    bool SerializeList = false;
    bool Separator = true;
    bool NumberItems = true;
    QMenu* MenuItem = nullptr;
    TNotifyItemClick OnItemClick;
    TOnGetItems OnGetMenuItems;

    // The two hooks of the component's life: after its settings have been applied, and
    // before the owner destroys it. Both act only when SerializeList is true.
    void Loaded();
    void BeforeDestruction();

    std::string GetKeyPath() const;
    void LoadFromRegistry();
    // Replaces the key's values with the list in one write of the registry file. Entries
    // that another running copy stored since this list was loaded or last saved are
    // merged in: this list's new entries first, then the other copy's new ones, then the
    // entries both had; the oldest fall off beyond MaxItems.
    void SaveToRegistry();
    QAction* AddItem(const std::string& fileName, bool checked, bool enabled, int32_t tag,
                     int32_t data);
    bool FindAndMoveToTop(const std::string& name);
    QAction* AppendItem(const std::string& name, bool checked, bool enabled, int32_t tag,
                        bool moveTop, int32_t data);
    void DeleteItem(QAction* item);
    void MoveToTop(QAction* item);
    void RenumberItems();
    void ItemClick(QAction* sender);

    const std::vector<TMruEntry>& Entries() const { return Items; }
    bool HasSeparator() const { return SeparatorItem != nullptr; }

private:
    // Merges into the list what another copy stored since this list last loaded or saved.
    void MergeStored(const TRegistry& registry);
    void ClearKeyValues(TRegistry& registry);
    void SetCaption(const TMruEntry& entry, const QString& number) const;
    // The held accessor, or one made for a single load or save.
    TRegistry& AccessorFor(std::unique_ptr<TRegistry>& temporary);
    int IndexOf(const QAction* item) const;
    // The position of the entry of exactly this name; -1 when there is none.
    int IndexOf(const std::string& name) const;

    int32_t MaxItems_ = -1;
    bool LazyWrite_ = true;
    TRootKey RootKey_ = TRootKey::HKeyCurrentUser;
    std::unique_ptr<TRegistry> Registry;
    std::vector<TMruEntry> Items;
    // The names the key held when this list was last loaded or saved.
    std::vector<std::string> KnownStored;
    QPointer<QAction> SeparatorItem;
    bool AddingSuspended = false;
};
