#include "platform/gui/Menus.h"

#include "platform/core/Utf8.h"

#include <algorithm>
#include <mutex>

// ---- shortcuts ---------------------------------------------------------------

namespace {

struct KeyName { WORD key; const char* name; };

// Names of the keys that are not letters, digits or function keys.
const KeyName kKeyNames[] = {
    {0x08, "BkSp"},  {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},   {0x20, "Space"},
    {0x21, "PgUp"},  {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},
    {0x26, "Up"},    {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Ins"},   {0x2E, "Del"},
    {0x13, "Pause"}, {0x2C, "PrtSc"},
    {0x60, "Num 0"}, {0x61, "Num 1"}, {0x62, "Num 2"}, {0x63, "Num 3"}, {0x64, "Num 4"},
    {0x65, "Num 5"}, {0x66, "Num 6"}, {0x67, "Num 7"}, {0x68, "Num 8"}, {0x69, "Num 9"},
    {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"}, {0x6E, "Num Del"}, {0x6F, "Num /"},
    {0xBA, ";"},     {0xBB, "="},     {0xBC, ","},     {0xBD, "-"},     {0xBE, "."},
    {0xBF, "/"},     {0xC0, "`"},     {0xDB, "["},     {0xDC, "\\"},    {0xDD, "]"},
    {0xDE, "'"},
};

std::string KeyToText(WORD key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
    if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x70 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.key == key) return k.name;
    return {};
}

WORD TextToKey(const std::string& text)
{
    if (text.size() == 1)
    {
        char c = text[0];
        if (c >= 'a' && c <= 'z') return WORD(c - 32);
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return WORD(c);
    }
    if (text.size() >= 2 && (text[0] == 'F' || text[0] == 'f'))
    {
        int n = 0;
        if (TryStrToInt(text.substr(1), n) && n >= 1 && n <= 24 && text[1] >= '0' && text[1] <= '9')
            return WORD(0x70 + n - 1);
    }
    for (const KeyName& k : kKeyNames)
        if (SameText(k.name, text)) return k.key;
    return 0;
}

// Command numbers of live items.
std::mutex gCommandMutex;
std::vector<bool> gCommandUsed(0x10000, false);
unsigned gNextCommand = 1;

WORD AllocateCommand()
{
    std::lock_guard<std::mutex> g(gCommandMutex);
    for (unsigned n = 0; n < 0xFFFF; ++n)
    {
        unsigned c = gNextCommand;
        gNextCommand = gNextCommand >= 0xFFFF ? 1 : gNextCommand + 1;
        if (!gCommandUsed[c])
        {
            gCommandUsed[c] = true;
            return WORD(c);
        }
    }
    throw EMenuError("Too many menu items");
}

void ReleaseCommand(WORD c)
{
    std::lock_guard<std::mutex> g(gCommandMutex);
    gCommandUsed[c] = false;
}

TPopupMenu::TPopupHook& Hook()
{
    static TPopupMenu::TPopupHook h;
    return h;
}

} // namespace

TShortCut ShortCut(WORD Key, TShortCut Modifiers)
{
    if (Key & 0xFF00) return 0;
    return TShortCut(Key | (Modifiers & (scShift | scCtrl | scAlt)));
}

void ShortCutToKey(TShortCut sc, WORD& Key, TShortCut& Modifiers)
{
    Key = WORD(sc & 0xFF);
    Modifiers = TShortCut(sc & (scShift | scCtrl | scAlt));
}

std::string ShortCutToText(TShortCut sc)
{
    std::string key = KeyToText(WORD(sc & 0xFF));
    if (key.empty()) return {};
    std::string out;
    if (sc & scShift) out += "Shift+";
    if (sc & scCtrl) out += "Ctrl+";
    if (sc & scAlt) out += "Alt+";
    return out + key;
}

TShortCut TextToShortCut(const std::string& Text)
{
    std::string t = Trim(Text);
    TShortCut mods = 0;
    for (;;)
    {
        struct Prefix { const char* text; TShortCut bit; };
        static const Prefix prefixes[] = {{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}};
        bool found = false;
        for (const Prefix& p : prefixes)
        {
            std::size_t n = std::char_traits<char>::length(p.text);
            // "+" alone is a key name only for "Num +"; a bare "Ctrl+" has no key.
            if (t.size() > n && SameText(t.substr(0, n), p.text))
            {
                mods |= p.bit;
                t = t.substr(n);
                found = true;
            }
        }
        if (!found) break;
    }
    WORD key = TextToKey(t);
    return key ? TShortCut(key | mods) : TShortCut(0);
}

std::string GetHotkey(const std::string& Caption)
{
    for (std::size_t i = 0; i < Caption.size(); ++i)
    {
        if (Caption[i] != '&') continue;
        if (i + 1 >= Caption.size()) return {};
        if (Caption[i + 1] == '&')
        {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        char32_t cp = Utf8Next(Caption, j);
        return Utf8Encode(cp);
    }
    return {};
}

std::string StripHotkey(const std::string& Caption)
{
    std::string out;
    out.reserve(Caption.size());
    for (std::size_t i = 0; i < Caption.size(); ++i)
    {
        if (Caption[i] == '&')
        {
            if (i + 1 < Caption.size() && Caption[i + 1] == '&') out += '&', ++i;
            continue;
        }
        out += Caption[i];
    }
    return out;
}

bool IsAccel(WORD VK, const std::string& Caption)
{
    std::string hot = GetHotkey(Caption);
    if (hot.empty() || VK == 0) return false;
    return AnsiSameText(Utf8Encode(char32_t(VK)), hot);
}

// ---- TMenuItem ---------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), command_(AllocateCommand()) {}

TMenuItem::~TMenuItem()
{
    if (parent_) parent_->Remove(this);
    while (!items_.empty())
    {
        TMenuItem* child = items_.back();
        items_.pop_back();
        child->parent_ = nullptr;
        delete child;
    }
    ReleaseCommand(command_);
}

TMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* m = this;
    while (m->parent_) m = m->parent_;
    return m->menu_;
}

void TMenuItem::Changed(bool Rebuild)
{
    if (Destroying()) return;
    if (TMenu* m = GetParentMenu()) m->MenuChanged(this, Rebuild);
}

void TMenuItem::SetCaption(const std::string& Value)
{
    if (caption_ == Value) return;
    caption_ = Value;
    Changed(true);
}

void TMenuItem::TurnSiblingsOff()
{
    if (!parent_) return;
    for (TMenuItem* s : parent_->items_)
        if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_ && s->checked_)
        {
            s->checked_ = false;
            s->Changed(false);
        }
}

void TMenuItem::SetChecked(bool Value)
{
    if (checked_ == Value) return;
    checked_ = Value;
    if (Value && radioItem_) TurnSiblingsOff();
    Changed(false);
}

void TMenuItem::SetEnabled(bool Value)
{
    if (enabled_ == Value) return;
    enabled_ = Value;
    Changed(false);
}

void TMenuItem::SetVisible(bool Value)
{
    if (visible_ == Value) return;
    visible_ = Value;
    Changed(true);
}

void TMenuItem::SetDefault(bool Value)
{
    if (default_ == Value) return;
    if (Value && parent_)
        for (TMenuItem* s : parent_->items_)
            if (s != this) s->default_ = false;
    default_ = Value;
    Changed(true);
}

void TMenuItem::SetRadioItem(bool Value)
{
    if (radioItem_ == Value) return;
    radioItem_ = Value;
    if (checked_ && radioItem_) TurnSiblingsOff();
    Changed(false);
}

void TMenuItem::SetGroupIndex(BYTE Value)
{
    if (groupIndex_ == Value) return;
    groupIndex_ = Value;
    if (checked_ && radioItem_) TurnSiblingsOff();
    Changed(false);
}

void TMenuItem::SetImageIndex(int Value)
{
    if (imageIndex_ == Value) return;
    imageIndex_ = Value;
    Changed(false);
}

void TMenuItem::SetShortCut(TShortCut Value)
{
    if (shortCut_ == Value) return;
    shortCut_ = Value;
    Changed(true);
}

void TMenuItem::SetBitmap(std::shared_ptr<TBitmap> Value)
{
    bitmap_ = std::move(Value);
    Changed(false);
}

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= int(items_.size()))
        throw EMenuError("Menu index out of range (" + std::to_string(Index) + ")");
    return items_[std::size_t(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    if (!Item) return;
    if (Item->parent_) throw EMenuError("Menu inserted twice");
    if (Item == this || Item->menu_) throw EMenuError("A menu item cannot be inserted into itself");
    for (const TMenuItem* p = this; p; p = p->parent_)
        if (p == Item) throw EMenuError("A menu item cannot be inserted into its own subitems");
    if (Index < 0 || Index > int(items_.size()))
        throw EMenuError("Menu index out of range (" + std::to_string(Index) + ")");
    items_.insert(items_.begin() + Index, Item);
    Item->parent_ = this;
    Changed(true);
}

void TMenuItem::Delete(int Index)
{
    TMenuItem* item = Items(Index);
    items_.erase(items_.begin() + Index);
    item->parent_ = nullptr;
    Changed(true);
}

void TMenuItem::Remove(TMenuItem* Item)
{
    int i = IndexOf(Item);
    if (i < 0) throw EMenuError("Menu item not found");
    Delete(i);
}

void TMenuItem::Clear()
{
    while (!items_.empty()) delete items_.back();   // each leaves this list
}

int TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const
{
    std::string want = StripHotkey(ACaption);
    for (TMenuItem* i : items_)
        if (AnsiSameText(StripHotkey(i->caption_), want)) return i;
    return nullptr;
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int Value)
{
    if (!parent_) return;
    TMenuItem* p = parent_;
    int cur = p->IndexOf(this);
    Value = std::clamp(Value, 0, p->Count() - 1);
    if (cur == Value) return;
    p->items_.erase(p->items_.begin() + cur);
    p->items_.insert(p->items_.begin() + Value, this);
    Changed(true);
}

bool TMenuItem::RethinkLines()
{
    bool changed = false;
    bool contentBefore = false;          // a visible item since the last shown line
    TMenuItem* pendingLine = nullptr;    // shown only if more content follows
    std::vector<std::pair<TMenuItem*, bool>> decisions;
    for (TMenuItem* i : items_)
    {
        if (i->IsLine())
        {
            if (contentBefore && !pendingLine)
                pendingLine = i;
            else
                decisions.push_back({i, false});
            continue;
        }
        if (!i->visible_) continue;
        if (pendingLine)
        {
            decisions.push_back({pendingLine, true});
            pendingLine = nullptr;
        }
        contentBefore = true;
    }
    if (pendingLine) decisions.push_back({pendingLine, false});
    for (auto& [line, show] : decisions)
        if (line->visible_ != show)
        {
            line->visible_ = show;
            changed = true;
        }
    if (changed) Changed(true);
    return changed;
}

void TMenuItem::Click()
{
    if (!enabled_) return;
    if (autoCheck_) SetChecked(!checked_);
    if (OnClick) OnClick(this);
}

// ---- TMenu -------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr))
{
    items_->menu_ = this;
}

TMenu::~TMenu()
{
    items_->menu_ = nullptr;   // no change notices from the teardown
    delete items_;
    SetImagesComponent(nullptr, nullptr);
}

void TMenu::SetImagesComponent(TCustomImageList* list, TComponent* asComponent)
{
    if (imagesComponent_ == asComponent) return;
    if (imagesComponent_) RemoveFreeNotification(imagesComponent_);
    images_ = list;
    imagesComponent_ = asComponent;
    if (imagesComponent_) imagesComponent_->FreeNotification(this);
    if (!Destroying()) MenuChanged(nullptr, false);
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == imagesComponent_)
    {
        images_ = nullptr;
        imagesComponent_ = nullptr;
    }
}

void TMenu::MenuChanged(TMenuItem* Source, bool Rebuild)
{
    if (OnChange && !Destroying()) OnChange(this, Source, Rebuild);
}

namespace {
TMenuItem* FindIn(TMenuItem* item, unsigned value, TFindItemKind kind)
{
    for (int i = 0; i < item->Count(); ++i)
    {
        TMenuItem* c = item->Items(i);
        if ((kind == fkCommand && c->Command() == value) ||
            (kind == fkShortCut && value != 0 && c->ShortCut() == value))
            return c;
        if (TMenuItem* r = FindIn(c, value, kind)) return r;
    }
    return nullptr;
}
} // namespace

TMenuItem* TMenu::FindItem(unsigned Value, TFindItemKind Kind) const
{
    if (Kind == fkHandle) return nullptr;   // items have no system handles
    return FindIn(items_, Value, Kind);
}

bool TMenu::DispatchCommand(WORD ACommand)
{
    TMenuItem* item = FindItem(ACommand, fkCommand);
    if (!item) return false;
    item->Click();
    return true;
}

bool TMenu::IsShortCut(WORD Key, TShortCut Modifiers)
{
    TShortCut sc = ::ShortCut(Key, Modifiers);
    if (sc == 0) return false;
    TMenuItem* item = FindItem(sc, fkShortCut);
    if (!item) return false;
    // The levels above get their clicks first (they may update the item),
    // then the item itself when it and all its levels are enabled.
    std::vector<TMenuItem*> chain;
    for (TMenuItem* p = item->Parent(); p && p != items_; p = p->Parent()) chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if ((*it)->Enabled()) (*it)->Click();
    bool enabled = item->Enabled();
    for (TMenuItem* p : chain) enabled = enabled && p->Enabled();
    if (!enabled) return false;
    item->Click();
    return true;
}

// ---- TPopupMenu --------------------------------------------------------------

void TPopupMenu::SetPopupHook(TPopupHook h) { Hook() = std::move(h); }
const TPopupMenu::TPopupHook& TPopupMenu::PopupHook() { return Hook(); }

void TPopupMenu::DoPopup(TObject* Sender)
{
    if (OnPopup) OnPopup(Sender);
}

void TPopupMenu::Popup(int X, int Y)
{
    popupPoint_ = TPoint(X, Y);
    DoPopup(this);
    if (TPopupHook h = Hook()) h(this, X, Y);
}
