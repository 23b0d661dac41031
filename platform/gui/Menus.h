// Menus as data: items with captions, shortcuts, check marks, radio groups,
// images and click events, and the main and popup menus that hold them. They
// are never shown natively; the skinned menus draw them and call Click.
#pragma once
#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/gui/Classes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitmap;
class TCustomImageList;
class TMenu;

class EMenuError : public Exception { public: using Exception::Exception; };

// A key with modifiers: the virtual key in the low byte, plus these bits.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// Key plus modifier bits (scShift | scCtrl | scAlt).
TShortCut ShortCut(WORD Key, TShortCut Modifiers);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShortCut& Modifiers);
// "Ctrl+S", "Shift+Ctrl+F1", "Alt+Enter"; "" for none or an unknown key.
std::string ShortCutToText(TShortCut ShortCut);
// The reverse, ignoring case ("ctrl+s"); 0 when the text is not a shortcut.
TShortCut TextToShortCut(const std::string& Text);

// The accelerator of a caption: the character after a single "&" ("&&" is a
// literal "&"), as UTF-8; "" when none.
std::string GetHotkey(const std::string& Caption);
// The caption without its "&" marks ("&&" becomes "&").
std::string StripHotkey(const std::string& Caption);
// Whether the character code (a virtual key of a letter or digit, or any
// character) is the caption's accelerator, ignoring case.
bool IsAccel(WORD VK, const std::string& Caption);

// Separator handling of a menu (maAutomatic hides redundant separators).
enum TMenuAutoFlag { maAutomatic, maManual, maParent };
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

constexpr const char* cLineCaption = "-";

class TMenuItem : public TComponent
{
public:
    explicit TMenuItem(TComponent* AOwner);
    // Frees its subitems and leaves its parent.
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& Value);
    bool Checked() const { return checked_; }
    // Checking a radio item unchecks the radio items of its group.
    void SetChecked(bool Value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    bool Default() const { return default_; }
    // Only one item of a level is the default.
    void SetDefault(bool Value);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool Value);
    BYTE GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(BYTE Value);
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool Value) { autoCheck_ = Value; }
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut Value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& Value) { hint_ = Value; }
    // The item's own picture, shared with whoever created it (may be null).
    TBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(std::shared_ptr<TBitmap> Value);
    TMenuAutoFlag AutoLineReduction() const { return autoLineReduction_; }
    void SetAutoLineReduction(TMenuAutoFlag Value) { autoLineReduction_ = Value; }

    // Subitems.
    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int Index) const;
    TMenuItem* operator[](int Index) const { return Items(Index); }
    // Raises EMenuError when the item already has a parent.
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out (does not free it).
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    // Frees every subitem.
    void Clear();
    int IndexOf(const TMenuItem* Item) const;
    // The subitem whose caption, without "&" marks, equals ACaption (ignoring case).
    TMenuItem* Find(const std::string& ACaption) const;
    TMenuItem* Parent() const { return parent_; }
    int MenuIndex() const;
    void SetMenuIndex(int Value);
    bool IsLine() const { return caption_ == cLineCaption; }
    // The menu's command number of this item (unique among live items).
    WORD Command() const { return command_; }
    // The menu this item belongs to (through its parents), or nullptr.
    TMenu* GetParentMenu() const;
    // Hides separators at the start or end of the level and repeated ones
    // (only visible items count); shows the others. Returns whether any changed.
    bool RethinkLines();

    // With Enabled: toggles Checked when AutoCheck, then runs OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

private:
    friend class TMenu;
    void Changed(bool Rebuild);
    void TurnSiblingsOff();

    std::string caption_;
    std::string hint_;
    bool checked_ = false, enabled_ = true, visible_ = true, default_ = false;
    bool radioItem_ = false, autoCheck_ = false;
    BYTE groupIndex_ = 0;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    TMenuAutoFlag autoLineReduction_ = maParent;
    std::shared_ptr<TBitmap> bitmap_;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr;   // set on a menu's root item only
    WORD command_ = 0;
};

// A menu's change notice: Source is the changed item (nullptr: many), Rebuild
// whether items were added, removed or moved.
using TMenuChangeEvent = std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

class TMenu : public TComponent
{
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;

    // The root item whose subitems are the menu's items.
    TMenuItem* Items() const { return items_; }
    TCustomImageList* Images() const { return images_; }
    // Sets the image list (forgotten automatically when it is freed).
    template <class TImages>
    void SetImages(TImages* Value) { SetImagesComponent(Value, Value); }
    TMenuAutoFlag AutoLineReduction() const { return autoLineReduction_; }
    void SetAutoLineReduction(TMenuAutoFlag Value) { autoLineReduction_ = Value; }

    TMenuItem* FindItem(unsigned Value, TFindItemKind Kind) const;
    // Clicks the item with that command number; false when there is none.
    bool DispatchCommand(WORD ACommand);
    // Clicks the enabled item (with enabled parents) that has this shortcut;
    // returns whether there was one.
    bool IsShortCut(WORD Key, TShortCut Modifiers);

    void Notification(TComponent* AComponent, TOperation Operation) override;

    TMenuChangeEvent OnChange;

protected:
    friend class TMenuItem;
    virtual void MenuChanged(TMenuItem* Source, bool Rebuild);

private:
    void SetImagesComponent(TCustomImageList* list, TComponent* asComponent);
    TMenuItem* items_;
    TCustomImageList* images_ = nullptr;
    TComponent* imagesComponent_ = nullptr;
    TMenuAutoFlag autoLineReduction_ = maAutomatic;
};

class TMainMenu : public TMenu
{
public:
    using TMenu::TMenu;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu
{
public:
    using TMenu::TMenu;

    // Raises OnPopup, then hands the menu to the popup hook (the skinned
    // menus); without a hook nothing is shown.
    virtual void Popup(int X, int Y);
    TPoint PopupPoint() const { return popupPoint_; }
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* Value) { popupComponent_ = Value; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool Value) { autoPopup_ = Value; }
    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }

    TNotifyEvent OnPopup;

    // Installed by whatever draws menus; called with the menu and the point.
    using TPopupHook = std::function<void(TPopupMenu* Menu, int X, int Y)>;
    static void SetPopupHook(TPopupHook Hook);
    static const TPopupHook& PopupHook();

protected:
    virtual void DoPopup(TObject* Sender);

private:
    TPoint popupPoint_;
    TComponent* popupComponent_ = nullptr;
    bool autoPopup_ = true;
    TPopupAlignment alignment_ = paLeft;
};
