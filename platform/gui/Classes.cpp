#include "platform/gui/Classes.h"

#include "platform/core/Utf8.h"

#include <algorithm>
#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

std::string ClassNameOf(const TObject* obj)
{
    if (!obj) return "nil";
    const char* mangled = typeid(*obj).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> d(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                             std::free);
    return status == 0 && d ? std::string(d.get()) : std::string(mangled);
}

// ---- TList ----------------------------------------------------------------

void TList::Check(int Index, int limit) const
{
    if (Index < 0 || Index >= limit)
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void* TList::Items(int Index) const
{
    Check(Index, Count());
    return items_[std::size_t(Index)];
}

void TList::SetItems(int Index, void* Item)
{
    Check(Index, Count());
    items_[std::size_t(Index)] = Item;
}

int TList::Add(void* Item)
{
    items_.push_back(Item);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item)
{
    Check(Index, Count() + 1);
    items_.insert(items_.begin() + Index, Item);
}

void TList::Delete(int Index)
{
    Check(Index, Count());
    items_.erase(items_.begin() + Index);
}

int TList::Remove(void* Item)
{
    int i = IndexOf(Item);
    if (i >= 0) Delete(i);
    return i;
}

void* TList::Extract(void* Item)
{
    return Remove(Item) >= 0 ? Item : nullptr;
}

int TList::IndexOf(const void* Item) const
{
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TList::Exchange(int Index1, int Index2)
{
    Check(Index1, Count());
    Check(Index2, Count());
    std::swap(items_[std::size_t(Index1)], items_[std::size_t(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex)
{
    Check(CurIndex, Count());
    Check(NewIndex, Count());
    void* p = items_[std::size_t(CurIndex)];
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, p);
}

void TList::Pack()
{
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TList::Sort(const std::function<int(void*, void*)>& Compare)
{
    if (!Compare) return;
    std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

// ---- TPersistent -----------------------------------------------------------

void TPersistent::Assign(const TPersistent* Source)
{
    if (Source)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const
{
    Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const
{
    throw EConvertError("Cannot assign a " + (Source ? ClassNameOf(Source) : std::string("nil")) +
                        " to a " + ClassNameOf(this));
}

// ---- TComponent ------------------------------------------------------------

bool IsValidIdent(const std::string& s)
{
    if (s.empty()) return false;
    // Letters of other scripts (any non-ASCII character) count as letters.
    auto alpha = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
    };
    if (!alpha(s[0])) return false;
    for (char c : s)
        if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
    return true;
}

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    // Mark this and everything it owns as going away, so handlers can tell.
    std::function<void(TComponent*)> mark = [&](TComponent* c) {
        c->state_ |= csDestroying;
        for (TComponent* k : c->components_) mark(k);
    };
    mark(this);

    // Tell free-notification partners, dropping each link first so a partner
    // that does not call the base Notification cannot loop.
    while (!freeNotifies_.empty())
    {
        TComponent* partner = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = partner->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        partner->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const
{
    if (Index < 0 || Index >= int(components_.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return components_[std::size_t(Index)];
}

int TComponent::ComponentIndex() const
{
    if (!owner_) return -1;
    auto& v = owner_->components_;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const
{
    if (AName.empty()) return nullptr;
    for (TComponent* c : components_)
        if (AnsiSameText(c->name_, AName)) return c;
    return nullptr;
}

void TComponent::ValidateRename(TComponent* c, const std::string& oldName, const std::string& newName) const
{
    if (newName.empty() || AnsiSameText(oldName, newName)) return;
    TComponent* other = FindComponent(newName);
    if (other && other != c)
        throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::SetName(const std::string& NewName)
{
    if (NewName == name_) return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (owner_) owner_->ValidateRename(this, name_, NewName);
    name_ = NewName;
}

void TComponent::Insert(TComponent* c)
{
    components_.push_back(c);
    c->owner_ = this;
}

void TComponent::Remove(TComponent* c)
{
    components_.erase(std::remove(components_.begin(), components_.end(), c), components_.end());
    c->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->owner_ == this) return;
    ValidateRename(AComponent, "", AComponent->name_);
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    Insert(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->owner_ != this) return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::DestroyComponents()
{
    while (!components_.empty())
    {
        TComponent* c = components_.back();
        // Others hold links to a component that asked for free notification:
        // announce its removal; the rest go quietly.
        if ((c->state_ & csFreeNotification) || (state_ & csDesigning))
            RemoveComponent(c);
        else
            Remove(c);
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this) return;
    // Marked in any case: its owner then announces its removal even while
    // the owner itself is being destroyed.
    state_ |= csFreeNotification;
    // Components of the same owner already hear of each other through it.
    if (owner_ && AComponent->owner_ == owner_) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    auto& theirs = AComponent->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
    state_ |= csFreeNotification;
    AComponent->state_ |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    if (!AComponent) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent),
                        freeNotifies_.end());
    auto& theirs = AComponent->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // A handler may free components: walk by index from the end and re-check.
    for (int i = int(components_.size()) - 1; i >= 0; --i)
    {
        if (i >= int(components_.size())) continue;
        components_[std::size_t(i)]->Notification(AComponent, Operation);
    }
}

void TComponent::BeginLoading()
{
    state_ |= csLoading;
    for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading()
{
    if (state_ & csLoading) Loaded();
    std::vector<TComponent*> list = components_;
    for (TComponent* c : list) c->EndLoading();
}

void TComponent::Loaded() { state_ &= ~unsigned(csLoading); }

void TComponent::SetDesigning(bool Value)
{
    SetComponentStateFlag(csDesigning, Value);
    for (TComponent* c : components_) c->SetDesigning(Value);
}

void TComponent::SetComponentStateFlag(TComponentStateFlag flag, bool on)
{
    if (on) state_ |= flag; else state_ &= ~unsigned(flag);
}

// ---- TCollectionItem -------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* Collection)
{
    SetCollection(Collection);
}

TCollectionItem::~TCollectionItem()
{
    if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (Value == collection_) return;
    if (collection_) collection_->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (!collection_) return -1;
    auto& v = collection_->items_;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TCollectionItem::SetIndex(int Value)
{
    int cur = Index();
    if (cur < 0 || Value < 0 || Value == cur) return;
    auto& v = collection_->items_;
    if (Value >= int(v.size())) Value = int(v.size()) - 1;
    v.erase(v.begin() + cur);
    v.insert(v.begin() + Value, this);
    Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassNameOf(this); }
void TCollectionItem::SetDisplayName(const std::string&) { Changed(false); }

void TCollectionItem::Changed(bool AllItems)
{
    if (collection_ && collection_->updateCount_ == 0) collection_->Update(AllItems ? nullptr : this);
}

// ---- TCollection -----------------------------------------------------------

TCollection::TCollection(TCollectionItemClass ItemClass) : itemClass_(std::move(ItemClass)) {}

TCollection::~TCollection()
{
    ++updateCount_;   // no Update calls into a half-destroyed object
    while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Add()
{
    if (!itemClass_) throw EComponentError("Collection has no item class");
    return itemClass_(this);
}

TCollectionItem* TCollection::Insert(int Index)
{
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= int(items_.size()))
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TCollection::Delete(int Index)
{
    CheckIndex(Index);
    Notify(items_[std::size_t(Index)], cnDeleting);
    delete items_[std::size_t(Index)];
}

void TCollection::Clear()
{
    if (items_.empty()) return;
    BeginUpdate();
    try
    {
        while (!items_.empty()) delete items_.back();
    }
    catch (...)
    {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const
{
    CheckIndex(Index);
    return items_[std::size_t(Index)];
}

TCollectionItem* TCollection::FindItemID(int ID) const
{
    for (TCollectionItem* it : items_)
        if (it->id_ == ID) return it;
    return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Assign(const TPersistent* Source)
{
    auto* src = dynamic_cast<const TCollection*>(Source);
    if (!src)
    {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    BeginUpdate();
    try
    {
        while (!items_.empty()) delete items_.back();
        for (TCollectionItem* it : src->items_) Add()->Assign(it);
    }
    catch (...)
    {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}
void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed()
{
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
    items_.push_back(Item);
    Item->collection_ = this;
    Item->id_ = nextId_++;
    Notify(Item, cnAdded);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
    Notify(Item, cnExtracting);
    items_.erase(std::remove(items_.begin(), items_.end(), Item), items_.end());
    Item->collection_ = nullptr;
    Changed();
}
