// The skinned main menu bar: a control at the top of a form's client area
// that draws the top-level items of a main menu from the skin entry
// "mainmenubar" and opens their sub-menus as skinned popups through the form
// component's controller; the form component drives its keyboard menu mode
// (F10 or a lone Alt, arrows, accelerators).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "lib/bsSkinMenus/PopupMenus.h"

class TbsSkinForm;
struct TbsBorderIcons;
class TbsSkinMainMenuBar;

// A main menu that carries its own skin store.
class TbsSkinMainMenu : public TMainMenu
{
public:
    using TMainMenu::TMainMenu;
    ~TbsSkinMainMenu() override { SetSkinData(nullptr); }
    TbsSkinData* SkinData() const { return FSD; }
    void SetSkinData(TbsSkinData* Value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TbsSkinData* FSD = nullptr;
};

// What lives on the bar: the drawing state shared by its objects.
class TbsMenuBarObject
{
public:
    TbsMenuBarObject(TbsSkinMainMenuBar* AParent, const TbsDataSkinObject* AData);
    virtual ~TbsMenuBarObject() = default;

    TbsSkinMainMenuBar* Parent;
    bool FMouseIn = false;
    TBitmap* Picture = nullptr;
    bool FDown = false;
    std::string IDName;
    TRect SkinRect, ActiveSkinRect, DownRect;
    TRect ObjectRect;
    bool Active = false;
    bool Enabled = true;
    bool Visible = true;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;

    double MorphKf() const { return FMorphKf; }
    void SetMorphKf(double Value);
    bool EnableMorphing() const;
    virtual bool CanMorphing();
    void DoMorphing();
    virtual void ReDraw();
    virtual void Draw(TCanvas*) {}
    virtual void MouseDown(int, int, TMouseButton) {}
    virtual void MouseUp(int, int, TMouseButton) {}
    virtual void DblClick() {}
    virtual void MouseEnter();
    virtual void MouseLeave();

protected:
    double FMorphKf = 0;
};

// One top-level menu item on the bar.
class TbsSkinMainMenuBarItem : public TbsMenuBarObject
{
public:
    TbsSkinMainMenuBarItem(TbsSkinMainMenuBar* AParent, const TbsDataSkinMainMenuItem* AData);

    bool FSkinSupport = false;
    bool OldEnabled = true;
    // The item fits on the bar.
    bool Fits = true;
    TMenuItem* MenuItem = nullptr;
    std::string FontName;
    int FontHeight = 0;
    TbsFontStyles FontStyle;
    TColor UnEnabledFontColor = 0, FontColor = 0, ActiveFontColor = 0, DownFontColor = 0;
    TRect TextRct, ItemDownRect;
    int LO = 0, RO = 0;
    bool StretchEffect = false;
    TRect AnimateSkinRect;
    int FrameCount = 0, AnimateInterval = 0;
    int CurrentFrame = 0;
    bool InActiveAnimation = false;

    bool EnableAnimation() const;
    void ReDraw() override;
    void Draw(TCanvas* Cnvs) override;
    void DefaultDraw(TCanvas* Cnvs);
    void MouseDown(int X, int Y, TMouseButton Button) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void LeaveOtherActiveItem();
    bool ReleaseOtherDownItem();
    void SetDown(bool Value);
    void TrackMenu();
    TRect FrameRect(int n) const;

private:
    void Place(TCanvas* C);
    void SetFont(TFont* F) const;
    void DrawImage(TCanvas* Target, TBitmap* B, const TRect& src, bool hot);
    static void MarkOpen(TBitmap* B, COLORREF accent);
};

// A caption button of the maximized MDI child, shown on the main form's bar:
// system menu, close, restore or minimize.
class TbsSkinMainMenuBarButton : public TbsMenuBarObject
{
public:
    TbsSkinMainMenuBarButton(TbsSkinMainMenuBar* AParent, const TbsDataSkinMainMenuBarButton* AData);

    bool FSkinSupport = false;
    TbsStdCommand Command = cmClose;

    void Draw(TCanvas* Cnvs) override;
    void DefaultDraw(TCanvas* Cnvs);
    void MouseDown(int X, int Y, TMouseButton Button) override;
    void MouseUp(int X, int Y, TMouseButton Button) override;
    void DblClick() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void ButtonClick();
};

class TbsSkinMainMenuBar : public TbsSkinControl
{
public:
    explicit TbsSkinMainMenuBar(TComponent* AOwner);
    ~TbsSkinMainMenuBar() override;

    bool ScrollMenu = true;
    bool UseSkinFont = true;
    TFont* DefItemFont() const { return FDefItemFont.get(); }
    void SetDefItemFont(const TFont* Value);
    int DefaultHeight() const { return FDefaultHeight; }
    void SetDefaultHeight(int Value);
    bool PopupToUp = false;
    TbsSkinForm* SkinForm() const { return BSF; }
    void SetSkinForm(TbsSkinForm* Value);
    TMainMenu* MainMenu() const { return FMainMenu; }
    void SetMainMenu(TMainMenu* Value);
    std::function<void(TMenuItem*)> OnItemMouseEnter, OnItemMouseLeave;

    void CreateMenu();
    void UpDateItems();
    // A child's main menu merged into the items (by program, or the active
    // MDI child's on an MDI main form).
    void Merge(TMainMenu* Menu);
    void UnMerge();
    TMainMenu* GetChildMainMenu() const;
    bool ChildMenuIn = false;

    // The maximized MDI child's caption buttons at the ends of the bar.
    void MDIChildMaximize();
    void MDIChildRestore();
    void ReleaseSysMenuButton();
    int ButtonsCount() const { return int(Buttons.size()); }
    TbsSkinMainMenuBarButton* Button(int i) const { return Buttons[std::size_t(i)].get(); }
    TbsSkinMainMenuBarButton* FindButton(TbsStdCommand Command) const;
    // In the order system menu, close, restore, minimize.
    std::vector<std::unique_ptr<TbsSkinMainMenuBarButton>> Buttons;
    bool FMDIChildMax = false;
    // The button under the pointer and the one that took a press.
    int ActiveButton = -1, CaptureButton = -1;
    std::string MaxButton, MinButton, SysMenuButton, CloseButton;
    void UpDateEnabledItems();

    // The form component's keyboard menu mode.
    bool FindHotKeyItem(WORD Key);
    void EnterMainMenu();
    void NextMainMenuItem();
    void PriorMainMenuItem();
    bool PopupActiveItem();
    void ReleaseDownItem();
    void ExitMainMenu();

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void GetSkinData() override;
    void ChangeSkinData() override;
    void BeforeChangeSkinData() override;

    void PaintMenuBar(TCanvas* C);
    void DrawObject(TbsMenuBarObject* Obj);
    void CalcItemsRect();
    TRect GetMarkerRect() const;
    void PopupHiddenItems();
    void TestActive(int X, int Y);

    int ItemCount() const { return int(ObjectList.size()); }
    TbsSkinMainMenuBarItem* Item(int i) const { return ObjectList[std::size_t(i)].get(); }
    std::vector<std::unique_ptr<TbsSkinMainMenuBarItem>> ObjectList;
    bool FSkinSupport = false;
    bool MenuActive = false;
    bool Scroll = false;
    bool MarkerActive = false;
    int ActiveObject = -1, OldActiveObject = -1, MouseCaptureObject = -1;
    TRect NewItemsRect;
    TRect SkinRect, ItemsRect;
    std::string MenuBarItem;
    int TrackMarkColor = 0, TrackMarkActiveColor = 0;
    TBitmap* Picture = nullptr;
    bool StretchEffect = false, ItemTransparent = false;
    TTimer* MouseTimer = nullptr;
    TTimer* MorphTimer = nullptr;
    TTimer* AnimateTimer = nullptr;
    TbsSkinForm* BSF = nullptr;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;
    void DropSkinReferences() override;

private:
    void MouseTimerProc();
    void MorphTimerProc();
    void AnimateTimerProc();
    void DrawMarker(TCanvas* C);
    bool Usable(int i) const;
    void CreateMDIButtons();
    void UpdateMDIButtons(const TbsBorderIcons& AIcons);
    void DeleteMDIButtons();
    void PlaceMDIButtons();
    bool TestButtons(int X, int Y);
    TMainMenu* FMergeMenu = nullptr;
    // The MDI child's menu the items were built from (watched: it may go first).
    TMainMenu* FChildMenu = nullptr;
    // The items are built again at the next paint (their child menu went).
    bool FRebuild = false;
    std::unique_ptr<TFont> FDefItemFont;
    int FDefaultHeight = 22;
    TMainMenu* FMainMenu = nullptr;
};
