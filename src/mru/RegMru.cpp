#include "mru/RegMru.h"

#include <charconv>

#include "toolkit/Application.h"
#include "toolkit/AsciiText.h"

namespace {

// The text's decimal value as a 32-bit integer; 0 when it is not one.
int32_t Decimal(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end ? value : 0;
}

QString Caption(const std::string& name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
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
            count = Decimal(registry.ReadString(name));
            countSeen = true;
        } else if (upper == "MAXFILES") {
            MaxItems_ = Decimal(registry.ReadString(name));
            maxSeen = true;
        }
        if (countSeen && maxSeen)
            break;
    }
    if (count <= 0)
        return;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string upper = AsciiUpperCase(names[i]);
        if (upper == "COUNT" || upper == "DEFAULT" || upper == "MAXFILES")
            continue;
        const std::string text = registry.ReadString(names[i]);
        std::string name = text;
        int32_t data = 0;
        if (const size_t bar = text.rfind('|'); bar != std::string::npos) {
            name = text.substr(0, bar);
            data = Decimal(text.substr(bar + 1));
        }
        if (!FindAndMoveToTop(name))
            AppendItem(name, false, true, static_cast<int32_t>(i), false, data);
    }
}

void TRegMru::ClearKeyValues(TRegistry& registry) {
    if (!registry.OpenKey(GetKeyPath(), false))
        return;
    for (const auto& name : registry.GetValueNames())
        if (AsciiUpperCase(name) != "DEFAULT")
            registry.DeleteValue(name);
    registry.CloseKey();
}

void TRegMru::SaveToRegistry() {
    std::unique_ptr<TRegistry> temporary;
    TRegistry& registry = AccessorFor(temporary);
    ClearKeyValues(registry);
    if (!registry.OpenKey(GetKeyPath(), true))
        return;
    try {
        registry.WriteString("Count", std::to_string(Items.size()));
        registry.WriteString("MaxFiles", std::to_string(MaxItems_));
        for (size_t p = 0; p < Items.size(); ++p) {
            const TMruEntry& entry = Items[p];
            registry.WriteString("H" + std::to_string(p),
                                 entry.Data == 0 ? entry.Name
                                                 : entry.Name + "|" + std::to_string(entry.Data));
        }
    } catch (...) {
        registry.CloseKey();
        throw;
    }
    registry.CloseKey();
}

QAction* TRegMru::AddItem(const std::string& fileName, bool checked, bool enabled, int32_t tag,
                          int32_t data) {
    if (AddingSuspended)
        return nullptr;
    if (FindAndMoveToTop(fileName)) {
        for (auto& entry : Items)
            if (entry.Name == fileName) {
                entry.Data = data;
                return entry.Item;
            }
        return nullptr;
    }
    if (MaxItems_ >= 0)
        while (!Items.empty() && static_cast<int64_t>(Items.size()) >= MaxItems_)
            DeleteItem(Items.back().Item);
    return AppendItem(fileName, checked, enabled, tag, true, data);
}

bool TRegMru::FindAndMoveToTop(const std::string& name) {
    const std::string upper = AsciiUpperCase(name);
    for (const auto& entry : Items)
        if (AsciiUpperCase(entry.Name) == upper) {
            MoveToTop(entry.Item);
            return true;
        }
    return false;
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
    auto* item = new QAction(Caption(name), MenuItem);
    item->setCheckable(checked);
    item->setChecked(checked);
    item->setEnabled(enabled);
    item->setData(tag);
    // A menu click is a command of its own: what the handler throws is shown there.
    QObject::connect(item, &QAction::triggered, item,
                     [this, item] { Guarded([&] { ItemClick(item); }); });
    MenuItem->addAction(item);
    Items.push_back({name.substr(0, MruMaxNameLength), data, item});
    if (moveTop)
        MoveToTop(item);
    return item;
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
    for (auto& entry : Items)
        entry.Item->setText(Caption(entry.Name));
    RenumberItems();
}

void TRegMru::RenumberItems() {
    if (!NumberItems)
        return;
    for (size_t p = 0; p < Items.size(); ++p) {
        // The first eight carry their number as access key.
        const std::string number = (p < 8 ? "&" : "") + std::to_string(p + 1) + " ";
        Items[p].Item->setText(Caption(number + Items[p].Name));
    }
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
