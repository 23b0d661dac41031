// What the parts of the shell controls share. Parts: ShellFolder.cpp (the
// folder object, roots, icon lists), ContextMenu.cpp (verbs and the context
// menu), TreeView.cpp, ListView.cpp, ComboBox.cpp.
#pragma once
#include "lib/bsSkinShellCtrls.h"

namespace shellctrls
{
// The hourglass for the duration of a fill (restored on every way out).
class TBusyCursor
{
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    int saved_;
};

// Sets a flag for a scope and puts the old value back.
class TFlagScope
{
public:
    explicit TFlagScope(bool& flag) : flag_(flag), old_(flag) { flag = true; }
    ~TFlagScope() { flag_ = old_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

// The folder object of a child of Parent (its own folder bound when it is one).
std::unique_ptr<TbsShellFolder> NewChild(TbsShellFolder* Parent, const TItemIDList& ID);
// The same for an item a listing has looked at already.
std::unique_ptr<TbsShellFolder> NewChild(TbsShellFolder* Parent, const TItemIDList& ID, shell::TItemInfo Info);
// The items of a folder as one-item lists; false when it cannot be listed.
bool EnumItems(TbsShellFolder* Folder, unsigned Flags, std::vector<TItemIDList>& Items);
// Root names compare ignoring case; paths exactly (Linux names are
// case-sensitive, so "/a/X" and "/a/x" are two folders).
bool SameRoot(const std::string& A, const std::string& B);
bool Loading(const TComponent* C);
// An item of a folder and what its listing saw of it.
struct TListedItem
{
    TItemIDList ID;
    shell::TItemInfo Info;
};
// The items of a folder in its order (folders first, then by name); false
// when it cannot be listed.
bool ListSortedChildren(TbsShellFolder* Folder, unsigned Flags, std::vector<TListedItem>& Items);

// Links two shell controls both ways: the old peer forgets Self, the new one
// takes Self's root and points back at it. Back is the peer's own link field.
template <class Self, class Peer>
void LinkPeer(Self* self, Peer*& Mine, Peer* Value, Self* Peer::*Back, const TRoot& Root)
{
    if (Value == Mine) return;
    if (Mine)
    {
        Mine->*Back = nullptr;
        Mine->RemoveFreeNotification(self);
    }
    if (Value)
    {
        Value->SetRoot(Root);
        Value->*Back = self;
        Value->FreeNotification(self);
    }
    Mine = Value;
}
}
