// Skinned popup menus: one entry of an open menu level (TbsSkinMenuItem), the
// window of one level (TbsSkinPopupWindow), the controller that opens, closes
// and runs them (TbsSkinMenu, one per skinned form) and the popup menu
// component that shows its items through that controller (TbsSkinPopupMenu).
//
// A level never takes the activation or the focus: the form keeps the
// keyboard, and its skinning component hands the key presses to the topmost
// level through its application message hook. Levels draw themselves from
// the skin's popup-window frame and menu item entry, or in a plain default
// look without a skin.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinData.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

// BSM_SKINMENU_CLOSED (lib/bsSkinCtrls.h): the skinned menu has closed (to
// the form, and to the control that opened it); BSM_SKINMENU_COMMANDDONE:
// the chosen item's command has run (to the control that opened the menu).

class TbsSkinMenu;
class TbsSkinPopupWindow;
class TCustomImageList;

// The check mark, sub-menu arrow and radio dot of the default look, in `color`.
void DrawMenuCheckGlyph(TCanvas* C, int X, int Y, TColor Color);
void DrawMenuArrowGlyph(TCanvas* C, int X, int Y, TColor Color);
void DrawMenuRadioGlyph(TCanvas* C, int X, int Y, TColor Color);

// Whether a message of the form closes its open skinned menu (moves, sizes,
// activation and focus changes, presses anywhere on the form).
bool IsMenuCloseMessage(UINT Msg);

// ---------------------------------------------------------------------------
// One entry of an open level.
class TbsSkinMenuItem
{
public:
    TbsSkinMenuItem(TbsSkinPopupWindow* AParent, TMenuItem* AMenuItem, const TbsDataSkinMenuItem* AData);
    virtual ~TbsSkinMenuItem() = default;

    TbsSkinPopupWindow* Parent;
    // The skin's menu item entry (null: the default look).
    const TbsDataSkinMenuItem* MI;
    // The store's picture of the entry (not owned), null with a bad index.
    TBitmap* ActivePicture = nullptr;
    TMenuItem* MenuItem;
    TRect ObjectRect;
    bool Active = false;
    bool Down = false;
    bool FVisible = true;
    bool WaitCommand = false;
    int CurrentFrame = 0;

    // The entry's skin rectangles (empty when its picture index is bad).
    TRect SkinRect, ActiveSkinRect;

    double MorphKf() const { return FMorphKf; }
    void SetMorphKf(double Value);

    bool Hot() const { return Active || Down; }
    bool IsSeparator() const;
    bool IsHeader() const;
    bool EnableMorphing() const;
    bool EnableAnimation() const;
    virtual bool CanMorphing();
    void DoMorphing();
    void ReDraw();
    void Draw(TCanvas* Cnvs);
    void DefaultDraw(TCanvas* Cnvs);
    void MouseEnter(bool Kb);
    void MouseLeave();
    void MouseDown(int X, int Y);

    // The rectangle of animation frame n (from 1).
    TRect FrameRect(int n) const;

private:
    void DrawSkinItem(TBitmap* B, bool hot, bool animFrame);
    void DrawHeader(TBitmap* B);
    void DrawMarkImage(TCanvas* C, const TRect& R, const TRect& src);
    void DrawGlyphAndMarks(TCanvas* C, const TRect& T, int x0, int yCenter, bool skinned, const TRect& imageRct,
                           TColor color, bool hot);
    double FMorphKf = 0;
};

// ---------------------------------------------------------------------------
// The window of one open level.
class TbsSkinPopupWindow : public TCustomControl
{
public:
    TbsSkinPopupWindow(TbsSkinMenu* AParentMenu, const TbsDataSkinPopupWindow* AData);
    ~TbsSkinPopupWindow() override;

    // Builds the level from AItem's children from StartIndex and shows it
    // next to the screen rectangle R (beside it for a sub-menu).
    void Show(const TRect& R, TMenuItem* AItem, int StartIndex, bool PopupByItem, bool PopupUp);
    // The same for AItem's children followed by AItem2's.
    void Show2(const TRect& R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem, bool PopupUp);
    void Hide();
    void PaintMenu(TCanvas* C);
    // Draws on the shown window at once (outside its paint).
    void DrawNow(const std::function<void(TCanvas*)>& draw);
    void PopupKeyDown(int CharCode);
    void CloseChildLevels();

    // Mouse tracking (also called by the polling timer).
    void TestActive(int X, int Y);
    bool InItemRect(int X, int Y) const;
    bool CursorInWindow(TPoint P);
    bool CanScroll(int Code) const;
    void StartScroll();
    void StopScroll();
    void ScrollUp(bool AWrap);
    void ScrollDown(bool AWrap);
    void MouseTimerProc();
    void MorphTimerProc();
    int GetLastStartIndex() const;
    void ArrangeItems();
    int ItemHeight(const TbsSkinMenuItem* Item) const;

    const TbsDataSkinMenuItem* DSMI = nullptr;
    int VisibleCount = 0;
    int VisibleStartIndex = 0;
    bool Scroll = false, Scroll2 = false;
    int ScrollCode = 0;
    TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
    TRect NewItemsRect;
    int ShowX = 0, ShowY = 0;
    int OMX = -1, OMY = -1;
    TCustomImageList* ImgL = nullptr;
    int GlyphWidth = 19;
    TBitmap* WindowPicture = nullptr;
    TBitmap* MaskPicture = nullptr;
    int OldActiveItem = -1;
    int ActiveItem = -1;
    TTimer* MouseTimer = nullptr;
    TTimer* MorphTimer = nullptr;
    TbsSkinMenu* ParentMenu;
    TbsSkinData* SD = nullptr;
    const TbsDataSkinPopupWindow* PW = nullptr;
    std::vector<std::unique_ptr<TbsSkinMenuItem>> ItemList;
    std::unique_ptr<TBitmap> FPaintBuffer;
    // The hint of the hot item.
    std::string Hint;

    int ItemCount() const { return int(ItemList.size()); }
    TbsSkinMenuItem* Item(int i) const { return ItemList[std::size_t(i)].get(); }
    // The menu item the level lists (its parent item), for tests.
    TMenuItem* ListedItem() const { return FListed; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Paint() override;

private:
    void CreateItems(TMenuItem* AItem, TMenuItem* AItem2, int StartIndex);
    void SetItemFont(TFont* F) const;
    void Place(const TRect& R, bool PopupByItem, bool PopupUp);
    void ShowLevel();
    void SetMenuRegion();
    void CreateMenuImage(TBitmap* B, bool AFill);
    void DrawItemArea(TCanvas* C, const TRect& R);
    void DrawUpMarker(TCanvas* C);
    void DrawDownMarker(TCanvas* C);
    void NextItem();
    void PriorItem();
    bool Usable(int i) const;
    TMenuItem* FListed = nullptr;
    bool FTwoLists = false;
    // The first level's fade-in.
    TbsAlphaFade FFade;
};

// ---------------------------------------------------------------------------
// The controller of one skinned menu at a time.
class TbsSkinMenu : public TComponent
{
public:
    TbsSkinMenu(TComponent* AOwner, TCustomForm* AForm);
    ~TbsSkinMenu() override;

    void Popup(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, const TRect& R, TMenuItem* AItem,
               bool PopupUp);
    void Popup2(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, const TRect& R, TMenuItem* AItem,
                TMenuItem* AItem2, bool PopupUp);
    // Closes the menu and tells the form.
    void Hide();

    bool First() const { return FFirst; }
    bool Visible() const { return FVisible; }
    TFont* DefaultMenuItemFont() const { return FDefaultMenuItemFont.get(); }
    void SetDefaultMenuItemFont(const TFont* Value) { FDefaultMenuItemFont->Assign(Value); }
    int DefaultMenuItemHeight() const { return FDefaultMenuItemHeight; }
    void SetDefaultMenuItemHeight(int Value) { FDefaultMenuItemHeight = Value; }
    bool UseSkinFont() const { return FUseSkinFont; }
    void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
    // Fires once, when the current menu closes.
    TNotifyEvent OnMenuClose;

    // Used by the levels and their items.
    void CheckItem(TbsSkinPopupWindow* PW, TbsSkinMenuItem* Item, bool Execute, bool Keyboard);
    void CloseMenu(int AIndex);
    int GetPWIndex(const TbsSkinPopupWindow* PW) const;
    int LevelCount() const { return int(FPopupList.size()); }
    TbsSkinPopupWindow* Level(int i) const { return FPopupList[std::size_t(i)].get(); }
    TbsSkinPopupWindow* TopLevel() const { return FPopupList.empty() ? nullptr : FPopupList.back().get(); }
    // Whether the window is one of the open levels.
    bool IsLevelWindow(HWND Wnd) const;

    TbsSkinMenuItem* WItem = nullptr;
    TTimer* WaitTimer = nullptr;
    TRect WorkArea;
    TbsSkinData* SkinData = nullptr;
    TControl* PopupCtrl = nullptr;
    TControl* DCtrl = nullptr;
    TCustomForm* FForm;
    bool AlphaBlend = false;
    BYTE AlphaBlendValue = 150;
    bool AlphaBlendAnimation = false;
    int MaxMenuItemsInWindow = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AddWindow(const TRect& R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem,
                   bool PopupUp);
    void WaitTimerProc();
    TRect GetWorkArea() const;
    void SetPopupCtrl(TControl* c);
    void FreeClosedLevels();
    bool FUseSkinFont = true;
    bool FFirst = false;
    int FDefaultMenuItemHeight = 20;
    std::unique_ptr<TFont> FDefaultMenuItemFont;
    bool FVisible = false;
    std::vector<std::unique_ptr<TbsSkinPopupWindow>> FPopupList;
    // Closed levels, freed once the message that closed them is done (a
    // level may close from inside its own mouse handler).
    std::vector<std::unique_ptr<TbsSkinPopupWindow>> FClosed;
    std::shared_ptr<char> FLife = std::make_shared<char>();
};

// Shows the class library's plain popup menus (a control's own context
// menu) through the skinned menus of the form they belong to; installed by
// the first form skinning component, when no other popup hook is set.
void bsInstallPopupHook();

// Sends a skinned-menu message to a control (SendMessage to a windowed one,
// Perform otherwise).
void bsSendMenuMessage(TControl* Ctrl, UINT Msg);

// ---------------------------------------------------------------------------
// A popup menu shown through the controller of its form's skinning component.
class TbsSkinPopupMenu : public TPopupMenu
{
public:
    explicit TbsSkinPopupMenu(TComponent* AOwner);
    ~TbsSkinPopupMenu() override;

    void Popup(int X, int Y) override;
    void PopupFromRect(const TRect& R, bool APopupUp);
    // On behalf of a control, which is told when the menu closes and when
    // the chosen command has run.
    void Popup2(TControl* ACtrl, int X, int Y);
    void PopupFromRect2(TControl* ACtrl, const TRect& R, bool APopupUp);

    TPoint PopupPoint() const { return FPopupPoint; }
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);
    TCustomForm* ComponentForm = nullptr;
    TComponent* SkinComponent = nullptr;
    TNotifyEvent OnMenuClose;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DoPopupMenu(TControl* ACtrl, const TRect& R, bool APopupUp, bool fromRect);
    TPoint FPopupPoint{-1, -1};
    TbsSkinData* FSD = nullptr;
};
