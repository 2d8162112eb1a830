#include "mru/RegMru.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

#include "toolkit/Application.h"
#include "toolkit/AsciiText.h"
#include "toolkit/Errors.h"

namespace {

// The text's value when it is a decimal integer within 32 bits, and nothing otherwise.
std::optional<int32_t> Decimal(std::string_view text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

QString FromBytes(const std::string& name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// Values with these names are the key's settings or reserved, never entries.
bool IsEntryValue(const std::string& valueName) {
    const std::string upper = AsciiUpperCase(valueName);
    return upper != "COUNT" && upper != "DEFAULT" && upper != "MAXFILES";
}

// A stored entry: "name|data" where data is a decimal number, otherwise the whole text is
// the name. A name may hold "|" itself; only a number after the last one is data.
std::pair<std::string, int32_t> SplitEntry(const std::string& text) {
    if (const size_t bar = text.rfind('|'); bar != std::string::npos)
        if (const auto data = Decimal(std::string_view(text).substr(bar + 1)))
            return {text.substr(0, bar), *data};
    return {text, 0};
}

// The stored count, which only switches the entries on: 0 when missing or not a number.
int32_t StoredCount(const TRegistry& registry) {
    for (const auto& name : registry.GetValueNames())
        if (AsciiUpperCase(name) == "COUNT")
            return Decimal(registry.ReadString(name)).value_or(0);
    return 0;
}

TRegRoot RegRoot(TRootKey root) {
    return static_cast<TRegRoot>(root);
}

// What moves from position to position when the list is reordered.
struct TContent {
    std::string Name;
    int32_t Data;
    bool Checked;
    bool Enabled;
    QVariant Tag;
};

TContent ContentOf(const TMruEntry& entry) {
    return {entry.Name, entry.Data, entry.Item->isChecked(), entry.Item->isEnabled(),
            entry.Item->data()};
}

void SetContent(TMruEntry& entry, TContent content) {
    entry.Name = std::move(content.Name);
    entry.Data = content.Data;
    entry.Item->setCheckable(content.Checked);
    entry.Item->setChecked(content.Checked);
    entry.Item->setEnabled(content.Enabled);
    entry.Item->setData(content.Tag);
}

} // namespace

QString MruCaptionName(const std::string& name) {
    std::u32string text = FromBytes(name).toStdU32String();
    if (text.size() > MruMaxShownLength) {
        // The file name stays whole unless it alone is too long; then its end shows.
        constexpr size_t Kept = MruMaxShownLength - 1;
        const size_t slash = text.rfind(U'/');
        size_t tail = slash == std::u32string::npos ? 0 : text.size() - slash;
        if (tail == 0 || tail > Kept - Kept / 4)
            tail = Kept / 2;
        const size_t head = Kept - tail;
        text.replace(head, text.size() - head - tail, 1, U'\u2026');
    }
    return QString::fromStdU32String(text).replace(u'&', QStringLiteral("&&"));
}

TRegMru::TRegMru(std::string ownerName) : OwnerName(std::move(ownerName)) {}

TRegMru::~TRegMru() = default;

void TRegMru::SetMaxItems(int32_t v) {
    MaxItems_ = v;
    while (v >= 0 && static_cast<int64_t>(Items.size()) > v)
        DeleteItem(Items.back().Item);
}

void TRegMru::SetLazyWrite(bool lazy) {
    LazyWrite_ = lazy;
    if (Registry)
        Registry->LazyWrite = lazy;
}

void TRegMru::SetRootKey(TRootKey root) {
    RootKey_ = root;
    if (Registry)
        Registry->SetRootKey(RegRoot(root));
}

void TRegMru::SetActiveRegistry(bool active) {
    if (active && !Registry) {
        Registry = std::make_unique<TRegistry>(RegRoot(RootKey_));
        Registry->LazyWrite = LazyWrite_;
    } else if (!active) {
        Registry.reset();
    }
}

std::string TRegMru::CurrentPath() const {
    return Registry ? Registry->CurrentPath() : "";
}

uintptr_t TRegMru::CurrentKey() const {
    return Registry ? Registry->CurrentKey() : 0;
}

void TRegMru::Loaded() {
    if (!SerializeList)
        return;
    const bool created = !Registry;
    SetActiveRegistry(true);
    LoadFromRegistry();
    RenumberItems();
    if (created)
        SetActiveRegistry(false);
}

void TRegMru::BeforeDestruction() {
    if (!SerializeList)
        return;
    SetActiveRegistry(true);
    SaveToRegistry();
}

std::string TRegMru::GetKeyPath() const {
    return "\\Software\\" + CompanyName + "\\" + ApplicationName + "\\" + ApplicationVersion +
           "\\" + OwnerName + "\\" + Section;
}

TRegistry& TRegMru::AccessorFor(std::unique_ptr<TRegistry>& temporary) {
    if (Registry)
        return *Registry;
    temporary = std::make_unique<TRegistry>(RegRoot(RootKey_));
    temporary->LazyWrite = LazyWrite_;
    return *temporary;
}

void TRegMru::LoadFromRegistry() {
    std::unique_ptr<TRegistry> temporary;
    TRegistry& registry = AccessorFor(temporary);
    if (!registry.OpenKey(GetKeyPath(), false))
        return;
    // The key closes on every path, an exception from a value included.
    struct TCloser {
        TRegistry& Registry;
        ~TCloser() {
            try {
                Registry.CloseKey();
            } catch (const std::exception&) {
                // Loading changes nothing that closing would have to write.
            }
        }
    } closer{registry};

    const std::vector<std::string> names = registry.GetValueNames();
    int32_t count = 0;
    bool countSeen = false;
    bool maxSeen = false;
    for (const auto& name : names) {
        const std::string upper = AsciiUpperCase(name);
        if (upper == "COUNT") {
            count = Decimal(registry.ReadString(name)).value_or(0);
            countSeen = true;
        } else if (upper == "MAXFILES") {
            // A limit that is no number leaves the program's own: taking it as 0 would
            // switch the list off for good, as 0 is then saved back.
            if (const auto limit = Decimal(registry.ReadString(name)))
                MaxItems_ = *limit;
            maxSeen = true;
        }
        if (countSeen && maxSeen)
            break;
    }
    KnownStored.clear();
    if (count <= 0)
        return;
    for (size_t i = 0; i < names.size(); ++i) {
        if (!IsEntryValue(names[i]))
            continue;
        const auto [name, data] = SplitEntry(registry.ReadString(names[i]));
        KnownStored.push_back(name);
        if (!FindAndMoveToTop(name))
            AppendItem(name, false, true, static_cast<int32_t>(i), false, data);
    }
}

namespace {
// How many entries at the top of a list were put there since the list was known as known:
// a list is moved to or added at its top, so below those its entries keep the order they
// had (some of them may be gone). The rest is the longest end of the list that stands in
// known in the same order.
size_t NewAtTop(const std::vector<std::string>& list, const std::vector<std::string>& known) {
    size_t start = list.size();
    auto searchEnd = known.end();
    while (start > 0) {
        const auto found =
            std::find(std::make_reverse_iterator(searchEnd), known.rend(), list[start - 1]);
        if (found == known.rend())
            break;
        searchEnd = std::prev(found.base());
        --start;
    }
    return start;
}

// The entries the key holds, in their order; none while its count switches them off.
std::vector<std::pair<std::string, int32_t>> StoredEntries(const TRegistry& registry) {
    std::vector<std::pair<std::string, int32_t>> entries;
    int32_t count = 0;
    try {
        count = StoredCount(registry);
    } catch (const ERegistryException&) {
        // A count of another type switches the stored entries off, as for loading.
    }
    if (count <= 0)
        return entries;
    for (const auto& valueName : registry.GetValueNames()) {
        if (!IsEntryValue(valueName))
            continue;
        try {
            entries.push_back(SplitEntry(registry.ReadString(valueName)));
        } catch (const ERegistryException&) {
            // not an entry this list could show; the save replaces it
        }
    }
    return entries;
}
} // namespace

void TRegMru::MergeStored(const TRegistry& registry) {
    const auto stored = StoredEntries(registry);
    std::vector<std::string> ownNames, storedNames;
    for (const TMruEntry& entry : Items)
        ownNames.push_back(entry.Name);
    for (const auto& entry : stored)
        storedNames.push_back(entry.first);
    const size_t ownNew = NewAtTop(ownNames, KnownStored);
    const size_t otherNew = NewAtTop(storedNames, KnownStored);
    if (otherNew == 0)
        return;
    // This copy's new entries, then the other copies' new ones, then those both had, in
    // this copy's order (what this copy removed stays removed); the oldest fall off.
    std::vector<TContent> merged;
    const auto add = [&](TContent content) {
        const bool full = MaxItems_ >= 0 && static_cast<int64_t>(merged.size()) >= MaxItems_;
        if (!full && std::none_of(merged.begin(), merged.end(),
                                  [&](const TContent& c) { return c.Name == content.Name; }))
            merged.push_back(std::move(content));
    };
    for (size_t i = 0; i < ownNew; ++i)
        add(ContentOf(Items[i]));
    for (size_t i = 0; i < otherNew; ++i) {
        const int own = IndexOf(stored[i].first);
        add(own >= 0 ? ContentOf(Items[static_cast<size_t>(own)])
                     : TContent{stored[i].first, stored[i].second, false, true, QVariant(0)});
    }
    for (size_t i = ownNew; i < Items.size(); ++i)
        add(ContentOf(Items[i]));
    while (Items.size() > merged.size())
        DeleteItem(Items.back().Item);
    while (Items.size() < merged.size() && AppendItem({}, false, true, 0, false, 0))
        ;
    for (size_t p = 0; p < Items.size(); ++p) {
        SetContent(Items[p], std::move(merged[p]));
        SetCaption(Items[p], {});
    }
    RenumberItems();
}

void TRegMru::SaveToRegistry() {
    std::unique_ptr<TRegistry> temporary;
    TRegistry& registry = AccessorFor(temporary);
    // Read, merge and write under the registry's lock, and replace the file once: a
    // failed write leaves the former list whole, and no other copy's save falls between.
    if (!registry.OpenKeyForUpdate(GetKeyPath()))
        return;
    try {
        MergeStored(registry);
    } catch (...) {
        registry.CloseKey();
        throw;
    }
    ClearKeyValues(registry);
    registry.WriteString("Count", std::to_string(Items.size()));
    registry.WriteString("MaxFiles", std::to_string(MaxItems_));
    KnownStored.clear();
    for (size_t p = 0; p < Items.size(); ++p) {
        const TMruEntry& entry = Items[p];
        registry.WriteString("H" + std::to_string(p),
                             entry.Data == 0 ? entry.Name
                                             : entry.Name + "|" + std::to_string(entry.Data));
        KnownStored.push_back(entry.Name);
    }
    registry.CloseKey();
}

void TRegMru::ClearKeyValues(TRegistry& registry) {
    for (const auto& name : registry.GetValueNames())
        if (AsciiUpperCase(name) != "DEFAULT")
            registry.DeleteValue(name);
}

QAction* TRegMru::AddItem(const std::string& fileName, bool checked, bool enabled, int32_t tag,
                          int32_t data) {
    if (AddingSuspended)
        return nullptr;
    if (FindAndMoveToTop(fileName)) {
        Items[0].Data = data;
        return Items[0].Item;
    }
    if (MaxItems_ >= 0)
        while (!Items.empty() && static_cast<int64_t>(Items.size()) >= MaxItems_)
            DeleteItem(Items.back().Item);
    return AppendItem(fileName, checked, enabled, tag, true, data);
}

// File systems tell names apart by every byte, letter case included, so the list does too.
bool TRegMru::FindAndMoveToTop(const std::string& name) {
    const int index = IndexOf(name);
    if (index < 0)
        return false;
    MoveToTop(Items[static_cast<size_t>(index)].Item);
    return true;
}

QAction* TRegMru::AppendItem(const std::string& name, bool checked, bool enabled, int32_t tag,
                             bool moveTop, int32_t data) {
    // Without a host there is nowhere to show an entry, so none is made.
    if (!MenuItem)
        return nullptr;
    if (MaxItems_ >= 0 && static_cast<int64_t>(Items.size()) >= MaxItems_)
        return nullptr;
    if (Separator && !SeparatorItem)
        SeparatorItem = MenuItem->addSeparator();
    auto* item = new QAction(MenuItem);
    item->setCheckable(checked);
    item->setChecked(checked);
    item->setEnabled(enabled);
    item->setData(tag);
    // A menu click is a command of its own: what the handler throws is shown there.
    QObject::connect(item, &QAction::triggered, item,
                     [this, item] { Guarded([&] { ItemClick(item); }); });
    MenuItem->addAction(item);
    Items.push_back({name, data, item});
    SetCaption(Items.back(), {});
    if (moveTop)
        MoveToTop(item);
    return item;
}

int TRegMru::IndexOf(const std::string& name) const {
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

int TRegMru::IndexOf(const QAction* item) const {
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Item == item)
            return static_cast<int>(i);
    return -1;
}

void TRegMru::DeleteItem(QAction* item) {
    const int index = IndexOf(item);
    if (index < 0)
        return;
    if (MenuItem)
        MenuItem->removeAction(item);
    // The item may be the one whose click is being handled, so it goes once that ends.
    item->deleteLater();
    Items.erase(Items.begin() + index);
    RenumberItems();
    if (Items.empty() && SeparatorItem) {
        if (MenuItem)
            MenuItem->removeAction(SeparatorItem);
        SeparatorItem->deleteLater();
        SeparatorItem = nullptr;
    }
}

void TRegMru::MoveToTop(QAction* item) {
    // An item that no longer belongs to an entry (a click handler shrank the list) has
    // nothing to move.
    const int k = IndexOf(item);
    if (k < 0)
        return;
    TContent moving = ContentOf(Items[static_cast<size_t>(k)]);
    for (int p = k; p > 0; --p)
        SetContent(Items[static_cast<size_t>(p)], ContentOf(Items[static_cast<size_t>(p - 1)]));
    SetContent(Items[0], std::move(moving));
    for (const auto& entry : Items)
        SetCaption(entry, {});
    RenumberItems();
}

void TRegMru::RenumberItems() {
    if (!NumberItems)
        return;
    for (size_t p = 0; p < Items.size(); ++p) {
        // The first eight carry their number as access key.
        const std::string number = (p < 8 ? "&" : "") + std::to_string(p + 1) + " ";
        SetCaption(Items[p], QString::fromStdString(number));
    }
}

void TRegMru::SetCaption(const TMruEntry& entry, const QString& number) const {
    entry.Item->setText(number + MruCaptionName(entry.Name));
    // The whole path, wherever the caption had to shorten it.
    entry.Item->setToolTip(FromBytes(entry.Name));
    entry.Item->setStatusTip(FromBytes(entry.Name));
}

void TRegMru::ItemClick(QAction* sender) {
    const int index = IndexOf(sender);
    bool canDelete = false;
    if (OnItemClick && index >= 0) {
        const std::string fileName = Items[static_cast<size_t>(index)].Name;
        AddingSuspended = true;
        try {
            OnItemClick(*this, sender, fileName, canDelete);
        } catch (...) {
            AddingSuspended = false;
            throw;
        }
        AddingSuspended = false;
    }
    if (canDelete)
        DeleteItem(sender);
    else
        MoveToTop(sender);
}
