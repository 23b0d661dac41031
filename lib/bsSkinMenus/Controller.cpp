// The menu controller (the stack of open levels, the sub-menu wait, running
// the chosen command and the closing notices) and the skinned popup menu
// component that opens through its form's controller.
#include "lib/bsSkinMenus/Internal.h"

#include <algorithm>

#include "lib/bsSkinForm.h"
#include "lib/bsUtils.h"
#include "platform/core/MainThread.h"

using namespace bsmenus;

bool IsMenuCloseMessage(UINT Msg)
{
    switch (Msg)
    {
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
    case WM_MOUSEACTIVATE:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_PARENTNOTIFY: return true;
    default: return false;
    }
}

void bsSendMenuMessage(TControl* Ctrl, UINT Msg)
{
    if (!Ctrl) return;
    if (auto* w = dynamic_cast<TWinControl*>(Ctrl); w && w->HandleAllocated()) SendMessage(w->Handle(), Msg, 0, 0);
    else Ctrl->Perform(Msg, 0, 0);
}

namespace
{
// Notices that a component was freed (by a handler that ran meanwhile).
class TFreeWatch : public TComponent
{
public:
    explicit TFreeWatch(TComponent* target) : TComponent(nullptr), Target(target)
    {
        if (Target) Target->FreeNotification(this);
    }
    ~TFreeWatch() override
    {
        if (Target) Target->RemoveFreeNotification(this);
    }
    TComponent* Target;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Target) Target = nullptr;
    }
};
}  // namespace

// ---------------------------------------------------------------------------

TbsSkinMenu::TbsSkinMenu(TComponent* AOwner, TCustomForm* AForm) : TComponent(AOwner), FForm(AForm)
{
    FDefaultMenuItemFont = std::make_unique<TFont>();
    FDefaultMenuItemFont->SetName("Arial");
    FDefaultMenuItemFont->SetStyle(TFontStyles{});
    FDefaultMenuItemFont->SetHeight(14);
    WaitTimer = new TTimer(this);
    WaitTimer->SetEnabled(false);
    WaitTimer->SetInterval(500);
    WaitTimer->SetOnTimer([this](TObject*) { WaitTimerProc(); });
}

TbsSkinMenu::~TbsSkinMenu()
{
    WaitTimer->SetEnabled(false);
    CloseMenu(0);
    RemoveQueuedCalls(this);
    FClosed.clear();
    SetPopupCtrl(nullptr);
    if (DCtrl) DCtrl->RemoveFreeNotification(this);
}

void TbsSkinMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    // A control that opened the menu may be freed while the menu is open.
    if (AComponent == PopupCtrl) PopupCtrl = nullptr;
    if (AComponent == DCtrl) DCtrl = nullptr;
    if (AComponent == SkinData)
    {
        SkinData = nullptr;
        CloseMenu(0);
    }
}

void TbsSkinMenu::SetPopupCtrl(TControl* c)
{
    if (PopupCtrl == c) return;
    if (PopupCtrl && PopupCtrl != DCtrl) PopupCtrl->RemoveFreeNotification(this);
    PopupCtrl = c;
    if (c) c->FreeNotification(this);
}

TRect TbsSkinMenu::GetWorkArea() const
{
    TRect r;
    if (FForm && FForm->HandleAllocated()) GetMonitorWorkArea(FForm->Handle(), true, r);
    else if (Screen) r = Screen->WorkAreaRect();
    return r;
}

bool TbsSkinMenu::IsLevelWindow(HWND Wnd) const
{
    if (!Wnd) return false;
    for (auto& w : FPopupList)
        if (w->HandleAllocated() && w->Handle() == Wnd) return true;
    return false;
}

int TbsSkinMenu::GetPWIndex(const TbsSkinPopupWindow* PW) const
{
    for (int i = 0; i < LevelCount(); ++i)
        if (Level(i) == PW) return i;
    return LevelCount();
}

void TbsSkinMenu::Popup(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, const TRect& R,
                        TMenuItem* AItem, bool PopupUp)
{
    Popup2(APopupCtrl, ASkinData, StartIndex, R, AItem, nullptr, PopupUp);
}

void TbsSkinMenu::Popup2(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, const TRect& R,
                         TMenuItem* AItem, TMenuItem* AItem2, bool PopupUp)
{
    FFirst = !FVisible;
    // The menu being replaced tells its own control that it closed; the new
    // control is recorded after that, so that it hears of its own menu's end.
    if (!FPopupList.empty()) CloseMenu(0);
    SetPopupCtrl(APopupCtrl);
    WorkArea = GetWorkArea();
    if (SkinData != ASkinData)
    {
        if (SkinData) SkinData->RemoveFreeNotification(this);
        SkinData = ASkinData;
        if (SkinData) SkinData->FreeNotification(this);
    }
    const int count = (AItem ? AItem->Count() : 0) + (AItem2 ? AItem2->Count() : 0);
    if (AItem && AItem->Count() + (AItem2 ? AItem2->Count() : 0) > 0 && StartIndex < count)
    {
        FVisible = true;
        AddWindow(R, AItem, AItem2, StartIndex, false, PopupUp);
        FFirst = false;
    }
}

void TbsSkinMenu::AddWindow(const TRect& R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem,
                            bool PopupUp)
{
    const TbsDataSkinPopupWindow* data = SkinData && !SkinData->Empty ? &SkinData->PopupWindow : nullptr;
    FPopupList.push_back(std::make_unique<TbsSkinPopupWindow>(this, data));
    FPopupList.back()->Show2(R, AItem, AItem2, StartIndex, PopupByItem, PopupUp);
}

void TbsSkinMenu::FreeClosedLevels() { FClosed.clear(); }

void TbsSkinMenu::CloseMenu(int AIndex)
{
    AIndex = std::max(0, AIndex);
    bool closedAny = false;
    while (LevelCount() > AIndex)
    {
        std::unique_ptr<TbsSkinPopupWindow> w = std::move(FPopupList.back());
        FPopupList.pop_back();
        if (WItem && WItem->Parent == w.get())
        {
            WaitTimer->SetEnabled(false);
            WItem = nullptr;
        }
        w->Hide();
        FClosed.push_back(std::move(w));
        closedAny = true;
    }
    if (closedAny)
    {
        // Freed after the message that closed them (perhaps one of their own).
        std::weak_ptr<char> life = FLife;
        RunOnMainThread([this, life] {
            if (!life.expired()) FreeClosedLevels();
        }, false, this);
    }
    if (AIndex != 0) return;
    FVisible = false;
    WaitTimer->SetEnabled(false);
    if (DCtrl && DCtrl != PopupCtrl) DCtrl->RemoveFreeNotification(this);
    DCtrl = PopupCtrl;
    if (DCtrl) DCtrl->FreeNotification(this);
    std::weak_ptr<char> life = FLife;
    if (TControl* c = PopupCtrl)
    {
        PopupCtrl = nullptr;
        bsSendMenuMessage(c, BSM_SKINMENU_CLOSED);
        if (life.expired()) return;
    }
    if (OnMenuClose)
    {
        TNotifyEvent e = std::move(OnMenuClose);
        OnMenuClose = nullptr;
        e(this);
    }
}

void TbsSkinMenu::Hide()
{
    std::weak_ptr<char> life = FLife;
    CloseMenu(0);
    if (life.expired()) return;
    WaitTimer->SetEnabled(false);
    WItem = nullptr;
    if (FForm && FForm->HandleAllocated()) SendMessage(FForm->Handle(), BSM_SKINMENU_CLOSED, 0, 0);
}

void TbsSkinMenu::CheckItem(TbsSkinPopupWindow* PW, TbsSkinMenuItem* Item, bool Execute, bool Keyboard)
{
    TMenuItem* mi = Item->MenuItem;
    const bool leaf = mi->Count() == 0;
    const int pwIndex = GetPWIndex(PW);
    if (leaf)
    {
        WaitTimer->SetEnabled(false);
        WItem = nullptr;
        if (!Execute)
        {
            if (pwIndex + 1 < LevelCount()) CloseMenu(pwIndex + 1);
            return;
        }
        // The command is taken before the levels go: the handlers that run
        // on closing may free the menu, the form or the control.
        TFreeWatch menu(mi->GetParentMenu());
        const WORD command = mi->Command();
        std::weak_ptr<char> life = FLife;
        Hide();
        if (menu.Target) static_cast<TMenu*>(menu.Target)->DispatchCommand(command);
        if (life.expired()) return;
        if (TControl* c = DCtrl)
        {
            DCtrl->RemoveFreeNotification(this);
            DCtrl = nullptr;
            bsSendMenuMessage(c, BSM_SKINMENU_COMMANDDONE);
        }
        return;
    }
    if (!Execute)
    {
        if (Keyboard) return;
        // Hover: the sub-menu opens after the wait.
        WaitTimer->SetEnabled(false);
        if (pwIndex + 1 < LevelCount()) CloseMenu(pwIndex + 1);
        WItem = Item;
        WaitTimer->SetEnabled(true);
        return;
    }
    // The sub-menu item's own click runs first; it may close the menu.
    {
        TFreeWatch menu(mi->GetParentMenu());
        TFreeWatch item(mi);
        std::weak_ptr<char> life = FLife;
        if (menu.Target) static_cast<TMenu*>(menu.Target)->DispatchCommand(mi->Command());
        if (life.expired() || !item.Target || GetPWIndex(PW) >= LevelCount()) return;
        const auto& items = PW->ItemList;
        if (std::none_of(items.begin(), items.end(), [&](const auto& p) { return p.get() == Item; })) return;
    }
    WaitTimer->SetEnabled(false);
    WItem = nullptr;
    if (pwIndex + 1 < LevelCount()) CloseMenu(pwIndex + 1);
    Item->Down = true;
    TRect r = Item->ObjectRect;
    OffsetRect(r, PW->Left(), PW->Top());
    AddWindow(r, mi, nullptr, 0, true, false);
}

void TbsSkinMenu::WaitTimerProc()
{
    std::weak_ptr<char> life = FLife;
    if (WItem) CheckItem(WItem->Parent, WItem, true, false);
    if (!life.expired()) WaitTimer->SetEnabled(false);
}

// ---------------------------------------------------------------------------
// The popup menu component

TbsSkinPopupMenu::TbsSkinPopupMenu(TComponent* AOwner) : TPopupMenu(AOwner) {}

TbsSkinPopupMenu::~TbsSkinPopupMenu() { SetSkinData(nullptr); }

void TbsSkinPopupMenu::SetSkinData(TbsSkinData* Value)
{
    if (FSD == Value) return;
    if (FSD) FSD->RemoveFreeNotification(this);
    FSD = Value;
    if (FSD) FSD->FreeNotification(this);
}

void TbsSkinPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TPopupMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSD) FSD = nullptr;
}

namespace
{
TbsSkinForm* FirstSkinForm(TComponent* c)
{
    auto* f = dynamic_cast<TCustomForm*>(c);
    return f ? FindSkinForm(f) : nullptr;
}
}  // namespace

void TbsSkinPopupMenu::DoPopupMenu(TControl* ACtrl, const TRect& R, bool APopupUp, bool fromRect)
{
    if (OnPopup) OnPopup(this);
    TbsSkinForm* F = dynamic_cast<TbsSkinForm*>(SkinComponent);
    if (!F && ComponentForm) F = FindSkinForm(ComponentForm);
    if (!F && !ComponentForm && !SkinComponent && Owner())
    {
        if (dynamic_cast<TCustomForm*>(Owner())) F = FirstSkinForm(Owner());
        else if (Owner()->Owner()) F = FirstSkinForm(Owner()->Owner());
    }
    if (F && !FSD) SetSkinData(F->MenusSkinData() ? F->MenusSkinData() : F->SkinData());
    if (!F) return;
    if (ACtrl && !FSD) return;
    if (F->SkinMenu->Visible()) F->SkinMenuClose();
    if (fromRect)
    {
        FPopupPoint = TPoint(R.Left, R.Top);
        F->SkinMenuOpen();
    }
    else
    {
        F->SkinMenuOpen();
        FPopupPoint = TPoint(R.Left, R.Top);
    }
    F->SkinMenu->Popup(ACtrl, FSD, 0, R, Items(), APopupUp);
    if (OnMenuClose) F->SkinMenu->OnMenuClose = OnMenuClose;
}

void TbsSkinPopupMenu::Popup(int X, int Y) { DoPopupMenu(nullptr, TRect(X, Y, X, Y), false, false); }

void TbsSkinPopupMenu::PopupFromRect(const TRect& R, bool APopupUp) { DoPopupMenu(nullptr, R, APopupUp, true); }

void TbsSkinPopupMenu::Popup2(TControl* ACtrl, int X, int Y) { DoPopupMenu(ACtrl, TRect(X, Y, X, Y), false, false); }

void TbsSkinPopupMenu::PopupFromRect2(TControl* ACtrl, const TRect& R, bool APopupUp)
{
    DoPopupMenu(ACtrl, R, APopupUp, true);
}

// ---------------------------------------------------------------------------
// Plain popup menus of the class library (a control's own context menu)
// show through the skinned menus of their form.

void bsInstallPopupHook()
{
    if (TPopupMenu::PopupHook()) return;
    TPopupMenu::SetPopupHook([](TPopupMenu* Menu, int X, int Y) {
        TCustomForm* form = nullptr;
        if (auto* c = dynamic_cast<TControl*>(Menu->PopupComponent())) form = GetParentForm(c);
        if (!form) form = dynamic_cast<TCustomForm*>(Menu->Owner());
        if (!form && Menu->Owner())
            if (auto* c = dynamic_cast<TControl*>(Menu->Owner())) form = GetParentForm(c);
        TbsSkinForm* F = FindSkinForm(form);
        if (!F) return;
        if (F->SkinMenu->Visible()) F->SkinMenuClose();
        F->SkinMenuOpen();
        F->SkinMenu->Popup(nullptr, F->MenusSkinData() ? F->MenusSkinData() : F->SkinData(), 0, TRect(X, Y, X, Y),
                           Menu->Items(), false);
    });
}
