// The image-grid menu: a drop-down grid of image cells from an image list,
// with full-width button rows (image and caption) and header rows, chosen
// with the mouse or the arrow keys. Part of the skinned menus unit.
#pragma once
#include <memory>
#include <string>

#include "lib/bsSkinData.h"
#include "platform/gui/Classes.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"

class TbsSkinHint;
class TbsSkinImagesMenu;

// One item: a cell, a button row (`Button`) or a header row (`Header`, never
// chosen).
class TbsImagesMenuItem : public TCollectionItem
{
public:
    explicit TbsImagesMenuItem(TCollection* Collection);
    void Assign(const TPersistent* Source) override;

    int ImageIndex() const { return FImageIndex; }
    virtual void SetImageIndex(int Value) { FImageIndex = Value; }
    const std::string& Caption() const { return FCaption; }
    virtual void SetCaption(const std::string& Value) { FCaption = Value; }
    bool Button = false;
    bool Header = false;
    std::string Hint;
    // Called when this item is chosen; Sender is the menu.
    TNotifyEvent OnClick;
    // The item's place in the popup window, set by the layout.
    TRect ItemRect;

private:
    int FImageIndex = -1;
    std::string FCaption;
};

class TbsImagesMenuItems : public TCollection
{
public:
    explicit TbsImagesMenuItems(TbsSkinImagesMenu* AImagesMenu);
    TPersistent* GetOwner() const override;
    TbsImagesMenuItem* Items(int Index) const { return static_cast<TbsImagesMenuItem*>(TCollection::Items(Index)); }
    TbsImagesMenuItem* Add() { return static_cast<TbsImagesMenuItem*>(TCollection::Add()); }
    TbsSkinImagesMenu* ImagesMenu;

protected:
    void Update(TCollectionItem* Item) override;
};

// The popup of an open image-grid menu: a top-level window that never takes
// the activation, holds the mouse capture and hooks the application's
// messages while open, so a click elsewhere, an activation change or Escape
// closes it.
class TbsSkinImagesMenuPopupWindow : public TCustomControl
{
public:
    explicit TbsSkinImagesMenuPopupWindow(TbsSkinImagesMenu* AMenu);
    ~TbsSkinImagesMenuPopupWindow() override;

    // Lays the items out, sizes the window and shows it against PopupRect
    // (screen coordinates): below it, above when the work area ends first.
    void Show(const TRect& PopupRect);
    // Closes; the menu then fires its events (choice events only with
    // AProcessEvents) and releases the window.
    void Hide(bool AProcessEvents);
    void ProcessKey(WORD Key);

    int HotItem() const { return MouseInItem; }
    bool SkinSupport() const { return FSkinSupport; }
    // The opacity the fade-in has reached (tests).
    int Alpha() const { return FAlpha; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& m) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void CMMouseLeave(TMessage& m) override;

private:
    void CalcItemRects();
    void CalcSize();
    bool HasSkin() const;
    int GetItemFromPoint(TPoint P) const;
    void TestActive(int X, int Y);
    void SetHot(int Index);
    void SelectNextItem();
    void SelectPrevItem();
    void SelectUpItem();
    void SelectDownItem();
    int FirstChoosable() const;
    void DrawItems(TCanvas* C, int Hot, int Sel);
    void DrawItemBackground(TCanvas* C, const TRect& R, bool Pressed);
    void DrawButtonCaption(TCanvas* C, const TRect& R, const std::string& Text, bool Pressed, bool Hot);
    void DrawHeader(TCanvas* C, const TRect& R, const std::string& Text);
    void HookApp();
    void UnHookApp();
    void NewAppMessage(TMsg& Msg, bool& Handled);
    void HideItemHint();

    bool FSkinSupport = false;
    TMessageHookToken FHook = 0;
    TbsSkinImagesMenu* ImagesMenu;
    HRGN FRgn = nullptr;
    TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
    TRect NewItemsRect;
    TBitmap* WindowPicture = nullptr;
    TBitmap* MaskPicture = nullptr;
    int MouseInItem = -1, OldMouseInItem = -1;
    bool FDown = false, FItemDown = false;
    bool FClosing = false;
    std::unique_ptr<TTimer> FFadeTimer;
    int FAlpha = 0;
};

class TbsSkinImagesMenu : public TComponent
{
public:
    explicit TbsSkinImagesMenu(TComponent* AOwner);
    ~TbsSkinImagesMenu() override;

    // As PopupFromRect with the rectangle (X, Y, X, Y).
    void Popup(int X, int Y);
    // Closes an open popup without choosing, fires OnMenuPopup and, when
    // there are images and items, opens a new popup against R (screen).
    void PopupFromRect(const TRect& R);
    // Closes an open popup without choosing.
    void Hide();
    // The item at ItemIndex, or null.
    TbsImagesMenuItem* GetSelectedItem() const;
    // Called by the popup window as it closes.
    void ProcessEvents(bool AProcessEvents);

    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TbsImagesMenuItems* ImagesItems() const { return FImagesItems.get(); }
    void SetImagesItems(const TbsImagesMenuItems* Value) { FImagesItems->Assign(Value); }
    int ItemIndex() const { return FItemIndex; }
    // Stores the value; tells the owning button (no public event).
    void SetItemIndex(int Value);
    int ColumnsCount() const { return FColumnsCount; }
    // 1..50; other values are ignored.
    void SetColumnsCount(int Value);
    TbsSkinData* SkinData() const { return FSkinData; }
    void SetSkinData(TbsSkinData* Value);
    TbsSkinHint* SkinHint() const { return FSkinHint; }
    void SetSkinHint(TbsSkinHint* Value);
    TFont* DefaultFont() const { return FDefaultFont.get(); }
    void SetDefaultFont(const TFont* Value) { FDefaultFont->Assign(Value); }
    bool UseSkinFont = true;
    bool ShowSelectedItem = true;
    bool ShowHints = true;
    bool AlphaBlend = false;
    bool AlphaBlendAnimation = false;
    BYTE AlphaBlendValue = 200;

    TNotifyEvent OnItemClick, OnChange, OnMenuClose, OnMenuPopup;

    // The owning button's notifications: the last control that sets one owns
    // it; Release clears what `owner` set.
    void SetInternalChange(TObject* owner, TNotifyEvent e);
    void SetInternalMenuClose(TObject* owner, TNotifyEvent e);
    void ReleaseInternal(TObject* owner);
    // Tells the owning button that the selection or the items changed.
    void InternalChange();

    // The open popup window, or null.
    TbsSkinImagesMenuPopupWindow* PopupWindow() const { return FPopupWindow; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void Watch(TComponent* old, TComponent* now);

    TCustomImageList* FImages = nullptr;
    std::unique_ptr<TbsImagesMenuItems> FImagesItems;
    int FItemIndex = -1;
    int FColumnsCount = 1;
    TbsSkinData* FSkinData = nullptr;
    TbsSkinImagesMenuPopupWindow* FPopupWindow = nullptr;
    int FOldItemIndex = -1;
    std::unique_ptr<TFont> FDefaultFont;
    TbsSkinHint* FSkinHint = nullptr;
    TNotifyEvent FOnInternalChange, FOnInternalMenuClose;
    TObject *FInternalChangeOwner = nullptr, *FInternalCloseOwner = nullptr;
    // Expires with the menu: a handler may free it.
    std::shared_ptr<char> FLife = std::make_shared<char>();
};
