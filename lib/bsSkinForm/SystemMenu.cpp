// The form component's menus: the system menu and the tray menu it builds,
// opening skinned menus for the form, and menu tracking (the application
// message hook that routes keys to the open menu, and closing the menu on
// the form's own messages).
#include "lib/bsSkinForm.h"

#include <algorithm>

void TbsSkinForm::CreateMenus()
{
    SkinMenu = new TbsSkinMenu(this, FForm);
    FSysMenu = new TPopupMenu(this);
    CreateTrayMenu();
    FForm->OnShortCut = [this](TWMKey& Msg, bool& Handled) { FormShortCut(Msg, Handled); };
    bsInstallPopupHook();
}

void TbsSkinForm::SetMainMenuBar(TbsSkinMainMenuBar* Value)
{
    if (FMainMenuBar == Value) return;
    if (FMainMenuBar) FMainMenuBar->RemoveFreeNotification(this);
    FMainMenuBar = Value;
    if (FMainMenuBar) FMainMenuBar->FreeNotification(this);
}

void TbsSkinForm::SetSkinHint(TbsSkinHint* Value)
{
    if (FSkinHint == Value) return;
    if (FSkinHint) FSkinHint->RemoveFreeNotification(this);
    FSkinHint = Value;
    if (FSkinHint) FSkinHint->FreeNotification(this);
}

void TbsSkinForm::HideSkinHint()
{
    if (ShowObjectHint && FSkinHint) FSkinHint->HideHint();
}

void TbsSkinForm::SetSystemMenu(TPopupMenu* Value)
{
    if (FSystemMenu == Value) return;
    if (FSystemMenu) FSystemMenu->RemoveFreeNotification(this);
    FSystemMenu = Value;
    if (FSystemMenu) FSystemMenu->FreeNotification(this);
}

void TbsSkinForm::SetMenusSkinData(TbsSkinData* Value)
{
    if (FMenusSD == Value) return;
    if (FMenusSD) FMenusSD->RemoveFreeNotification(this);
    FMenusSD = Value;
    if (FMenusSD) FMenusSD->FreeNotification(this);
}

std::string TbsSkinForm::ResCaption(const std::string& key, const std::string& builtIn) const
{
    std::string caption;
    if (FSD && FSD->ResourceStrData()) caption = FSD->ResourceStrData()->GetResStr(key);
    // A string table without the line keeps the built-in text.
    return caption.empty() ? builtIn : caption;
}

TMenuItem* TbsSkinForm::MakeSysItem(const std::string& name, const std::string& key, const std::string& builtIn,
                                    std::function<void()> click)
{
    auto* mi = new TMenuItem(this);
    mi->SetName(name);
    mi->SetCaption(ResCaption(key, builtIn));
    mi->OnClick = [click = std::move(click)](TObject*) { click(); };
    return mi;
}

namespace
{
constexpr const char* kStdNames[] = {"BSF_MINITEM", "BSF_MAXITEM", "BSF_CLOSE", "BSF_MINTOTRAY", "BSF_ROLLUP",
                                     "BSF_RESTORE"};
}  // namespace

void TbsSkinForm::CreateTrayMenu()
{
    FSysTrayMenu = new TbsSkinPopupMenu(this);
    FSysTrayMenu->ComponentForm = FForm;
    TMenuItem* root = FSysTrayMenu->Items();
    root->Add(MakeSysItem("TRAY_BSF_RESTORE", "MI_RESTORECAPTION", "&Restore", [this] { RestoreFromTray(); }));
    auto* sep = new TMenuItem(this);
    sep->SetCaption("-");
    root->Add(sep);
    TMenuItem* close = MakeSysItem("TRAY_BSF_CLOSE", "MI_CLOSECAPTION", "&Close", [this] { FForm->Close(); });
    close->SetShortCut(TextToShortCut(IsMDIChild() ? "Ctrl+F4" : "Alt+F4"));
    root->Add(close);
}

// The tray menu is made before any store is set: its captions follow the
// string table whenever the store or its table changes.
void TbsSkinForm::UpdateTrayMenuCaptions()
{
    if (!FSysTrayMenu) return;
    static const std::pair<const char*, const char*> keys[] = {{"MI_RESTORECAPTION", "&Restore"},
                                                               {"MI_CLOSECAPTION", "&Close"}};
    TMenuItem* root = FSysTrayMenu->Items();
    for (int i = 0; i < root->Count(); ++i)
    {
        TMenuItem* mi = root->Items(i);
        const int k = mi->Name() == "TRAY_BSF_RESTORE" ? 0 : mi->Name() == "TRAY_BSF_CLOSE" ? 1 : -1;
        if (k >= 0) mi->SetCaption(ResCaption(keys[k].first, keys[k].second));
    }
}

void TbsSkinForm::CreateSystemMenu()
{
    // Built anew for every showing, from the current state. Every item
    // changes the state the way the caption buttons do.
    FSysMenu->Items()->Clear();
    const TWindowState ws = WindowState();
    TMenuItem* root = FSysMenu->Items();
    int added = 0;
    auto add = [&](TMenuItem* mi) {
        root->Add(mi);
        ++added;
    };
    if (FBorderIcons.Minimize && ws != wsMinimized)
        add(MakeSysItem("BSF_MINITEM", "MI_MINCAPTION", "Mi&nimize", [this] {
            if (AlwaysMinimizeToTray) MinimizeToTray();
            else ChangeWindowState(wsMinimized);
        }));
    if (FBorderIcons.Maximize && ws != wsMaximized)
        add(MakeSysItem("BSF_MAXITEM", "MI_MAXCAPTION", "Ma&ximize", [this] { ChangeWindowState(wsMaximized); }));
    if (ws != wsNormal || FRollUpState)
        add(MakeSysItem("BSF_RESTORE", "MI_RESTORECAPTION", "&Restore", [this] {
            // Rolled up in the normal state or while maximized: rolled down;
            // else (a form rolled up before it was maximized too) restored.
            if (FRollUpState && (WindowState() != wsMaximized || MaxRollUpState)) ChangeRollUpState(false);
            else ChangeWindowState(wsNormal);
        }));
    if (FBorderIcons.RollUp && !FRollUpState && ws != wsMinimized && !IsMaximizedMDIChild())
        add(MakeSysItem("BSF_ROLLUP", "MI_ROLLUPCAPTION", "Ro&llUp", [this] { ChangeRollUpState(true); }));
    if (FBorderIcons.MinimizeToTray)
        add(MakeSysItem("BSF_MINTOTRAY", "MI_MINTOTRAYCAPTION", "Minimize to &Tray",
                        [this] { MinimizeToTray(); }));
    if (added > 0)
    {
        auto* sep = new TMenuItem(this);
        sep->SetCaption("-");
        root->Add(sep);
    }
    TMenuItem* close = MakeSysItem("BSF_CLOSE", "MI_CLOSECAPTION", "&Close", [this] { FForm->Close(); });
    close->SetShortCut(TextToShortCut(IsMDIChild() ? "Ctrl+F4" : "Alt+F4"));
    root->Add(close);
}

void TbsSkinForm::UpdateUserSystemMenu()
{
    TMenuItem* root = FSystemMenu->Items();
    for (int i = root->Count() - 1; i >= 0; --i)
    {
        TMenuItem* mi = root->Items(i);
        if (std::find(std::begin(kStdNames), std::end(kStdNames), mi->Name()) != std::end(kStdNames)) delete mi;
    }
    // The default menu's items, each made for the user's menu, at its top.
    CreateSystemMenu();
    TMenuItem* stdItems = FSysMenu->Items();
    std::vector<TMenuItem*> front, close;
    while (stdItems->Count() > 0)
    {
        TMenuItem* mi = stdItems->Items(0);
        stdItems->Delete(0);
        if (mi->Name() == "BSF_CLOSE") close.push_back(mi);
        else if (mi->IsLine()) delete mi;
        else front.push_back(mi);
    }
    // Read from the top: Minimize, Restore, Maximize, RollUp, Minimize to Tray.
    const std::vector<std::string> order = {"BSF_MINITEM", "BSF_RESTORE", "BSF_MAXITEM", "BSF_ROLLUP", "BSF_MINTOTRAY"};
    auto rank = [&](TMenuItem* mi) { return std::find(order.begin(), order.end(), mi->Name()) - order.begin(); };
    std::stable_sort(front.begin(), front.end(), [&](TMenuItem* a, TMenuItem* b) { return rank(a) < rank(b); });
    for (std::size_t i = 0; i < front.size(); ++i) root->Insert(int(i), front[i]);
    for (TMenuItem* mi : close) root->Add(mi);
}

TMenuItem* TbsSkinForm::GetSystemMenuItems()
{
    if (FSystemMenu)
    {
        if (UseDefaultSysMenu) UpdateUserSystemMenu();
        return FSystemMenu->Items();
    }
    CreateSystemMenu();
    return FSysMenu->Items();
}

void TbsSkinForm::PopupSystemMenuInRect(const TRect& R)
{
    TMenuItem* items = GetSystemMenuItems();
    SkinMenuOpen();
    SkinMenu->Popup(nullptr, FMenusSD ? FMenusSD : FSD, 0, R, items, false);
}

void TbsSkinForm::PopupSystemMenuAt(int X, int Y) { PopupSystemMenuInRect(TRect(X, Y, X, Y)); }

void TbsSkinForm::PopupSystemMenuFromButton()
{
    for (auto& o : ObjectList)
    {
        auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
        if (!b || b->Command != cmSysMenu || !b->Enabled) continue;
        TRect r = b->ObjectRect;
        OffsetRect(r, FForm->Left(), FForm->Top());
        PopupSystemMenuInRect(r);
        return;
    }
    // No system-menu button: under the cursor.
    TPoint p;
    GetCursorPos(&p);
    PopupSystemMenuAt(p.X, p.Y);
}

void TbsSkinForm::PopupSystemMenuFromObject(TbsActiveSkinObject* Obj)
{
    MouseCaptureObject = -1;
    if (FForm->HandleAllocated() && GetCapture() == FForm->Handle()) ReleaseCapture();
    TRect r = Obj->ObjectRect;
    OffsetRect(r, FForm->Left(), FForm->Top());
    PopupSystemMenuInRect(r);
}

// The caption object whose menu just closed comes up again.
void TbsSkinForm::ReleaseMenuObject()
{
    for (auto& o : ObjectList)
        if (auto* b = dynamic_cast<TbsSkinButtonObject*>(o.get()); b && b->FMenuOpen)
        {
            b->FMenuOpen = false;
            b->FDown = false;
            if (b->EnableMorphing()) b->ReDraw();
            if (FForm->HandleAllocated()) NCPaint();
            return;
        }
    for (auto& o : ObjectList)
        if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get()); a && a->FMenuTracking)
        {
            // Plays back from the last frame.
            a->Active = true;
            a->FFrame = a->CountFrames;
            a->FDown = false;
            a->FMenuTracking = false;
            a->Increment = false;
            AnimateTimer->SetEnabled(true);
            return;
        }
}

void TbsSkinForm::DoPopupMenu(TPopupMenu* Menu, int X, int Y)
{
    if (!Menu) return;
    if (Menu->OnPopup) Menu->OnPopup(Menu);
    if (SkinMenu->Visible()) SkinMenuClose();
    SkinMenuOpen();
    SkinMenu->Popup(nullptr, FSD, 0, TRect(X, Y, X, Y), Menu->Items(), false);
}

void TbsSkinForm::PopupSkinMenu(TMenu* Menu, TPoint P) { PopupSkinMenu1(Menu, TRect(P.X, P.Y, P.X, P.Y), false); }

void TbsSkinForm::PopupSkinMenu1(TMenu* Menu, const TRect& R, bool PopupUp)
{
    if (!Menu) return;
    SkinMenuOpen();
    SkinMenu->Popup(nullptr, FMenusSD ? FMenusSD : FSD, 0, R, Menu->Items(), PopupUp);
}

// ---------------------------------------------------------------------------
// Tracking

void TbsSkinForm::SkinMenuOpen()
{
    HideSkinHint();
    if (!FInMainMenu) HookApp();
    if (!FInMenu)
    {
        FInMenu = true;
        if (OnSkinMenuOpen) OnSkinMenuOpen(this);
    }
}

void TbsSkinForm::SkinMenuClose()
{
    if (FMenuLayerManager && FMenuLayerManager->IsVisible) FMenuLayerManager->Hide();
    FInMenu = false;
    ReleaseMenuObject();
    UnHookApp();
    if (OnSkinMenuClose) OnSkinMenuClose(this);
    if (FInMainMenu)
    {
        FInMainMenu = false;
        if (FMainMenuBar) FMainMenuBar->ExitMainMenu();
        if (OnMainMenuExit) OnMainMenuExit(this);
    }
}

void TbsSkinForm::HookApp()
{
    if (FAppHook || !Application) return;
    FHookApp = Application;
    FAppHook = Application->HookOnMessage([this](TMsg& msg, bool& handled) { AppMessage(msg, handled); });
}

void TbsSkinForm::UnHookApp()
{
    // Only from the application that holds it (a reset one numbers anew).
    if (FAppHook && FHookApp == Application) Application->UnhookOnMessage(FAppHook);
    FAppHook = 0;
    FHookApp = nullptr;
}

void TbsSkinForm::AppMessage(TMsg& Msg, bool& Handled)
{
    switch (Msg.message)
    {
    case WM_SYSKEYDOWN:
        // A window without a focused control gets every key as a system
        // key; Alt and F10 themselves (menu mode) and Alt+F4 go on.
        if (Msg.wParam == VK_MENU || Msg.wParam == VK_F10 || Msg.wParam == VK_F4 || Msg.wParam == VK_LMENU ||
            Msg.wParam == VK_RMENU)
            break;
        [[fallthrough]];
    case WM_KEYDOWN:
        MenuKeyDown(WORD(Msg.wParam));
        Msg.message = 0;
        Handled = true;
        break;
    case WM_MOUSEWHEEL:
        Msg.message = 0;
        Handled = true;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
        // A press on another window of the program that does not reach this
        // form (a window that never activates) closes the menu as well.
        if (SkinMenu->Visible() && !SkinMenu->IsLevelWindow(Msg.hwnd) && FForm->HandleAllocated() &&
            GetAncestor(Msg.hwnd, GA_ROOT) != FForm->Handle())
            SkinMenu->Hide();
        break;
    default: break;
    }
}

void TbsSkinForm::LeaveMainMenu()
{
    FInMainMenu = false;
    if (SkinMenu->Visible()) SkinMenu->Hide();
    if (FMainMenuBar) FMainMenuBar->ExitMainMenu();
    UnHookApp();
    if (OnMainMenuExit) OnMainMenuExit(this);
}

void TbsSkinForm::MainMenuPopupClosed()
{
    FInMenu = false;
    if (FMainMenuBar) FMainMenuBar->ReleaseDownItem();
    if (OnSkinMenuClose) OnSkinMenuClose(this);
}

bool TbsSkinForm::CheckMainMenuBarHotKey(WORD Key) { return FMainMenuBar && FMainMenuBar->FindHotKeyItem(Key); }

void TbsSkinForm::MenuKeyDown(WORD Key)
{
    const bool menuMode = FInMainMenu && FMainMenuBar;
    TbsSkinPopupWindow* top = SkinMenu->TopLevel();
    auto toPopup = [&] {
        if (SkinMenu->Visible() && SkinMenu->TopLevel()) SkinMenu->TopLevel()->PopupKeyDown(Key);
        // Escape on the last level ended the menu without telling the form.
        if (Key == VK_ESCAPE && SkinMenu->LevelCount() == 0)
        {
            if (FInMainMenu && FMainMenuBar) MainMenuPopupClosed();
            else if (FInMenu || FAppHook) SkinMenuClose();
        }
    };
    if (menuMode)
    {
        // Letters open the bar's items only while no popup takes them.
        if (!top && CheckMainMenuBarHotKey(Key)) return;
        if (Key == VK_ESCAPE && !top)
        {
            LeaveMainMenu();
            return;
        }
        if (Key == VK_LEFT && SkinMenu->LevelCount() <= 1)
        {
            FMainMenuBar->PriorMainMenuItem();
            return;
        }
        if (Key == VK_RIGHT)
        {
            const bool sub = top && top->ActiveItem != -1 && top->Item(top->ActiveItem)->MenuItem->Count() > 0;
            if (!sub)
            {
                FMainMenuBar->NextMainMenuItem();
                return;
            }
        }
        if ((Key == VK_RETURN || Key == VK_DOWN) && FMainMenuBar->PopupActiveItem()) return;
    }
    toPopup();
}

void TbsSkinForm::CloseMenusOnMessage(UINT)
{
    HideSkinHint();
    const bool menuMode = FInMainMenu && FMainMenuBar;
    if (!menuMode || SkinMenu->LevelCount() > 0)
    {
        if (SkinMenu->Visible()) SkinMenu->Hide();
        else if (FInMenu) SkinMenuClose();
    }
    else
        LeaveMainMenu();
}

void TbsSkinForm::FormShortCut(TWMKey& Msg, bool& Handled)
{
    if (OnShortCut)
    {
        OnShortCut(Msg, Handled);
        if (Handled) return;
    }
    const bool alt = (Msg.KeyData & KF_ALTDOWN_BIT) != 0 || GetKeyState(VK_MENU) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    if (alt && !ctrl && !shift && Msg.CharCode == VK_SPACE)
    {
        PopupSystemMenuFromButton();
        FInShortCut = false;
        Handled = true;
        return;
    }
    if (FInShortCut)
    {
        FInShortCut = false;
        Handled = false;
    }
    TMainMenu* mm = FMainMenuBar ? FMainMenuBar->MainMenu() : nullptr;
    if (!mm) return;
    if (alt && !ctrl && !shift && Msg.CharCode != VK_F4 && CheckMainMenuBarHotKey(Msg.CharCode))
    {
        Handled = true;
        return;
    }
    TShortCut mods = 0;
    if (alt) mods |= scAlt;
    if (ctrl) mods |= scCtrl;
    if (shift) mods |= scShift;
    FInShortCut = mm->IsShortCut(Msg.CharCode, mods);
    Handled = FInShortCut;
}

// ---------------------------------------------------------------------------
// What the form's menus are made of: kept by the menu controller.

int TbsSkinForm::DefMenuItemHeight() const { return SkinMenu->DefaultMenuItemHeight(); }

void TbsSkinForm::SetDefMenuItemHeight(int Value)
{
    if (Value >= 1) SkinMenu->SetDefaultMenuItemHeight(Value);
}

TFont* TbsSkinForm::DefMenuItemFont() const { return SkinMenu->DefaultMenuItemFont(); }

void TbsSkinForm::SetDefMenuItemFont(const TFont* Value)
{
    if (Value) SkinMenu->SetDefaultMenuItemFont(Value);
}

bool TbsSkinForm::UseSkinFontInMenu() const { return SkinMenu->UseSkinFont(); }

void TbsSkinForm::SetUseSkinFontInMenu(bool Value) { SkinMenu->SetUseSkinFont(Value); }

void TbsSkinForm::SetMenusAlphaBlend(bool Value)
{
    FMenusAlphaBlend = Value;
    SkinMenu->AlphaBlend = Value;
}

void TbsSkinForm::SetMenusAlphaBlendValue(BYTE Value)
{
    FMenusAlphaBlendValue = Value;
    SkinMenu->AlphaBlendValue = Value;
}

void TbsSkinForm::SetMenusAlphaBlendAnimation(bool Value)
{
    FMenusAlphaBlendAnimation = Value;
    SkinMenu->AlphaBlendAnimation = Value;
}

void TbsSkinForm::SetMaxMenuItemsInWindow(int Value)
{
    if (Value < 0) return;
    FMaxMenuItemsInWindow = Value;
    SkinMenu->MaxMenuItemsInWindow = Value;
}

// ---------------------------------------------------------------------------
// Menus linked to caption objects

void TbsSkinForm::LinkMenu(const std::string& AIDName, TMenu* AMenu, bool APopupUp)
{
    auto it = std::find_if(FMenuLinks.begin(), FMenuLinks.end(),
                           [&AIDName](const TMenuLink& l) { return l.IDName == AIDName; });
    if (it != FMenuLinks.end())
    {
        TMenu* old = it->Menu;
        FMenuLinks.erase(it);
        if (std::none_of(FMenuLinks.begin(), FMenuLinks.end(), [old](const TMenuLink& l) { return l.Menu == old; }))
            old->RemoveFreeNotification(this);
    }
    if (AMenu)
    {
        FMenuLinks.push_back({AIDName, AMenu, APopupUp});
        AMenu->FreeNotification(this);
    }
    ApplyMenuLinks();
}

void TbsSkinForm::ApplyMenuLinks()
{
    for (auto& o : ObjectList)
    {
        TMenuItem* item = nullptr;
        bool up = false;
        for (const TMenuLink& l : FMenuLinks)
            if (l.IDName == o->IDName)
            {
                item = l.Menu->Items();
                up = l.PopupUp;
            }
        if (auto* b = dynamic_cast<TbsSkinButtonObject*>(o.get()))
        {
            // The system-menu button shows the system menu, never a link.
            if (auto* sb = dynamic_cast<TbsSkinStdButtonObject*>(b); sb && sb->Command == cmSysMenu) continue;
            b->MenuItem = item;
            b->FPopupUp = up;
        }
        else if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get()); a && a->ButtonStyle)
        {
            a->MenuItem = item;
            a->FPopupUp = up;
        }
    }
}

void TbsSkinForm::TrackObjectMenu(TbsActiveSkinObject* Obj, TMenuItem* Item, bool PopupUp)
{
    // The menu takes the clicks from here: the object no longer holds the mouse.
    MouseCaptureObject = -1;
    if (FForm->HandleAllocated() && GetCapture() == FForm->Handle()) ReleaseCapture();
    HideGlowLayers();
    TRect r = Obj->ObjectRect;
    OffsetRect(r, FForm->Left(), FForm->Top());
    if (auto* pm = dynamic_cast<TbsSkinPopupMenu*>(Item->GetParentMenu()); pm && pm->Items() == Item)
    {
        pm->PopupFromRect(r, PopupUp);
        return;
    }
    TbsSkinData* sd = FMenusSD ? FMenusSD : FSD;
    if (auto* mm = dynamic_cast<TbsSkinMainMenu*>(Item->GetParentMenu())) sd = mm->SkinData();
    SkinMenuOpen();
    SkinMenu->Popup(nullptr, sd, 0, r, Item, PopupUp);
}
