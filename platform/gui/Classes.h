// Component model of the class library: persistent objects, components with
// ownership and free notification, and owned collections of items.
#pragma once
#include "platform/core/Exception.h"

#include <functional>
#include <string>
#include <vector>

class TPersistent;
class TComponent;
// Reader or writer of stored component data. Forms here are built in code and
// never streamed, so no filer is ever created; the type exists for the hook below.
class TFiler;

// A list of untyped pointers (it owns nothing). Index errors raise EListError.
class TList;

// The basic event: called with the object that raised it.
using TNotifyEvent = std::function<void(TObject* Sender)>;
// A method without parameters, as handed to TThread::Synchronize / Queue.
using TThreadMethod = std::function<void()>;

class EComponentError : public Exception { public: using Exception::Exception; };
class EListError : public Exception { public: using Exception::Exception; };

class TList
{
public:
    int Count() const { return int(items_.size()); }
    void* Items(int Index) const;
    void SetItems(int Index, void* Item);
    void* operator[](int Index) const { return Items(Index); }
    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    // Removes the first occurrence; returns its index or -1.
    int Remove(void* Item);
    // Removes the first occurrence and returns the item (nullptr when absent).
    void* Extract(void* Item);
    int IndexOf(const void* Item) const;
    void Clear() { items_.clear(); }
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    // Drops the nullptr entries.
    void Pack();
    // Compare returns <0, 0, >0; equal items keep their order.
    void Sort(const std::function<int(void*, void*)>& Compare);
    std::vector<void*>& List() { return items_; }

private:
    void Check(int Index, int limit) const;
    std::vector<void*> items_;
};

// Readable class name of an object, for messages.
std::string ClassNameOf(const TObject* obj);

// An object whose state can be copied into another with Assign.
class TPersistent : public TObject
{
public:
    // Copies Source into this object. The base asks Source to AssignTo this;
    // raises EConvertError when neither side knows how.
    virtual void Assign(const TPersistent* Source);

protected:
    virtual void AssignTo(TPersistent* Dest) const;
    [[noreturn]] void AssignError(const TPersistent* Source) const;
    // Declares extra stored data of the object; the base declares none.
    virtual void DefineProperties(TFiler* /*Filer*/) {}
};

enum TOperation { opInsert, opRemove };

// Component state flags (a bit set).
enum TComponentStateFlag : unsigned
{
    csLoading = 1u << 0,
    csReading = 1u << 1,
    csWriting = 1u << 2,
    csDestroying = 1u << 3,
    csDesigning = 1u << 4,
    csAncestor = 1u << 5,
    csUpdating = 1u << 6,
    csFixups = 1u << 7,
    csFreeNotification = 1u << 8,
    csInline = 1u << 9,
    csDesignInstance = 1u << 10,
};
using TComponentState = unsigned;

// A component may own others: an owner deletes the components it owns when
// it is deleted (the last added first). Components that asked for free
// notification of each other hear Notification(x, opRemove) before x goes.
//
// Note on destruction order: ~TComponent runs after the derived destructors,
// so owned components and free-notification partners are told while this
// object is already reduced to a TComponent. A derived class that must react
// to its owned components going (with its own overrides) calls
// DestroyComponents() at the start of its own destructor.
class TComponent : public TPersistent
{
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    // Raises EComponentError for a name that is not an identifier or that
    // another component of the same owner already has (compared ignoring case).
    virtual void SetName(const std::string& NewName);
    std::intptr_t Tag() const { return tag_; }
    void SetTag(std::intptr_t v) { tag_ = v; }

    int ComponentCount() const { return int(components_.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    // The owned component with that name (ignoring case), or nullptr.
    TComponent* FindComponent(const std::string& AName) const;

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Deletes every owned component, the last first. The removal of one that
    // is marked csFreeNotification is announced to the others first.
    void DestroyComponents();

    // Both components hear of each other's removal.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);
    // Told of components inserted into or removed from this owner, and of the
    // removal of free-notification partners. The base forgets a removed
    // partner and passes the notice on to the owned components.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    TComponentState ComponentState() const { return state_; }
    bool Destroying() const { return (state_ & csDestroying) != 0; }
    // Loading protocol: BeginLoading marks this component and everything it
    // owns as loading; EndLoading then calls Loaded on this and on the owned
    // components (in order, recursively). Loaded clears csLoading.
    void BeginLoading();
    void EndLoading();
    virtual void Loaded();
    // Design-time mode flag, for this component and everything it owns.
    void SetDesigning(bool Value);

protected:
    void SetComponentStateFlag(TComponentStateFlag flag, bool on);

private:
    void Insert(TComponent* c);
    void Remove(TComponent* c);
    void ValidateRename(TComponent* c, const std::string& oldName, const std::string& newName) const;

    TComponent* owner_ = nullptr;
    std::string name_;
    std::intptr_t tag_ = 0;
    TComponentState state_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

// Validates identifier names: a letter or "_" first, then letters, digits, "_".
bool IsValidIdent(const std::string& s);

class TCollection;

// An item of a collection: it lives in at most one collection, which owns it.
class TCollectionItem : public TPersistent
{
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* Collection() const { return collection_; }
    // Moves the item to another collection (nullptr: out of any collection;
    // the caller then owns it).
    void SetCollection(TCollection* Value);
    int ID() const { return id_; }
    int Index() const;
    void SetIndex(int Value);
    virtual std::string DisplayName() const;
    virtual void SetDisplayName(const std::string& Value);

protected:
    // Tells the collection this item (or, with AllItems, every item) changed.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

// Creates an item in the given collection.
using TCollectionItemClass = std::function<TCollectionItem*(TCollection*)>;

template <class T>
TCollectionItemClass CollectionItemClass()
{
    return [](TCollection* c) -> TCollectionItem* { return new T(c); };
}

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// A list of items of one class, which it owns.
class TCollection : public TPersistent
{
public:
    explicit TCollection(TCollectionItemClass ItemClass);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    int Count() const { return int(items_.size()); }
    TCollectionItem* Items(int Index) const;
    TCollectionItem* FindItemID(int ID) const;
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }
    // Copies the items of another collection (each through Assign).
    void Assign(const TPersistent* Source) override;
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // Called after a change: Item is the changed item, nullptr for the whole list.
    virtual void Update(TCollectionItem* Item);
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void CheckIndex(int Index) const;

    TCollectionItemClass itemClass_;
    std::vector<TCollectionItem*> items_;
    int nextId_ = 0;
    int updateCount_ = 0;
};

// A collection that names its owner (for Update handlers and paths).
class TOwnedCollection : public TCollection
{
public:
    TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
        : TCollection(std::move(ItemClass)), owner_(AOwner) {}
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
};
