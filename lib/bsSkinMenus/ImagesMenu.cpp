// The image-grid menu: its items, the component with its events and the
// notifications of the button that owns it, and the popup window (layout,
// placement, painting, mouse, keys and the application hook while open).
#include "lib/bsSkinMenus.h"

#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinHint.h"
#include "lib/bsSkinValidate.h"
#include "lib/bsUtils.h"
#include "platform/core/MainThread.h"

// ---- items ------------------------------------------------------------------------------

TbsImagesMenuItem::TbsImagesMenuItem(TCollection* Collection) : TCollectionItem(Collection) {}

void TbsImagesMenuItem::Assign(const TPersistent* Source)
{
    if (const auto* s = dynamic_cast<const TbsImagesMenuItem*>(Source))
    {
        FImageIndex = s->FImageIndex;
        FCaption = s->FCaption;
        Button = s->Button;
        Hint = s->Hint;
        return;
    }
    TCollectionItem::Assign(Source);
}

TbsImagesMenuItems::TbsImagesMenuItems(TbsSkinImagesMenu* AImagesMenu)
    : TCollection(CollectionItemClass<TbsImagesMenuItem>()), ImagesMenu(AImagesMenu)
{
}

TPersistent* TbsImagesMenuItems::GetOwner() const { return ImagesMenu; }

void TbsImagesMenuItems::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    if (ImagesMenu) ImagesMenu->InternalChange();
}

// ---- the component ----------------------------------------------------------------------

TbsSkinImagesMenu::TbsSkinImagesMenu(TComponent* AOwner)
    : TComponent(AOwner), FImagesItems(std::make_unique<TbsImagesMenuItems>(this)), FDefaultFont(std::make_unique<TFont>())
{
    FDefaultFont->SetName("Arial");
    FDefaultFont->SetHeight(14);
    FDefaultFont->SetStyle(TFontStyles{});
}

TbsSkinImagesMenu::~TbsSkinImagesMenu()
{
    FOnInternalChange = nullptr;
    FOnInternalMenuClose = nullptr;
    if (FPopupWindow)
    {
        TbsSkinImagesMenuPopupWindow* w = FPopupWindow;
        FPopupWindow = nullptr;
        delete w;
    }
    Watch(FImages, nullptr);
    Watch(FSkinData, nullptr);
    Watch(FSkinHint, nullptr);
    FImagesItems->ImagesMenu = nullptr;
}

void TbsSkinImagesMenu::Watch(TComponent* old, TComponent* now)
{
    if (old == now) return;
    if (old) old->RemoveFreeNotification(this);
    if (now) now->FreeNotification(this);
}

void TbsSkinImagesMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == FSkinData) FSkinData = nullptr;
    if (AComponent == FSkinHint) FSkinHint = nullptr;
}

void TbsSkinImagesMenu::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
}

void TbsSkinImagesMenu::SetSkinData(TbsSkinData* Value)
{
    Watch(FSkinData, Value);
    FSkinData = Value;
}

void TbsSkinImagesMenu::SetSkinHint(TbsSkinHint* Value)
{
    Watch(FSkinHint, Value);
    FSkinHint = Value;
}

void TbsSkinImagesMenu::SetItemIndex(int Value)
{
    if (Value == FItemIndex) return;
    FItemIndex = Value;
    InternalChange();
}

void TbsSkinImagesMenu::SetColumnsCount(int Value)
{
    if (Value >= 1 && Value <= 50) FColumnsCount = Value;
}

TbsImagesMenuItem* TbsSkinImagesMenu::GetSelectedItem() const
{
    if (FItemIndex < 0 || FItemIndex >= FImagesItems->Count()) return nullptr;
    return FImagesItems->Items(FItemIndex);
}

void TbsSkinImagesMenu::SetInternalChange(TObject* owner, TNotifyEvent e)
{
    FInternalChangeOwner = owner;
    FOnInternalChange = std::move(e);
}

void TbsSkinImagesMenu::SetInternalMenuClose(TObject* owner, TNotifyEvent e)
{
    FInternalCloseOwner = owner;
    FOnInternalMenuClose = std::move(e);
}

void TbsSkinImagesMenu::ReleaseInternal(TObject* owner)
{
    if (FInternalChangeOwner == owner)
    {
        FInternalChangeOwner = nullptr;
        FOnInternalChange = nullptr;
    }
    if (FInternalCloseOwner == owner)
    {
        FInternalCloseOwner = nullptr;
        FOnInternalMenuClose = nullptr;
    }
}

void TbsSkinImagesMenu::InternalChange()
{
    if (FOnInternalChange) FOnInternalChange(this);
}

void TbsSkinImagesMenu::Popup(int X, int Y) { PopupFromRect(TRect(X, Y, X, Y)); }

void TbsSkinImagesMenu::Hide()
{
    if (FPopupWindow) FPopupWindow->Hide(false);
}

void TbsSkinImagesMenu::PopupFromRect(const TRect& R)
{
    Hide();
    if (OnMenuPopup) OnMenuPopup(this);
    // Without images, or without items to lay out, nothing opens.
    if (!FImages || FImages->Count() == 0 || FImagesItems->Count() == 0) return;
    FOldItemIndex = FItemIndex;
    FPopupWindow = new TbsSkinImagesMenuPopupWindow(this);
    FPopupWindow->Show(R);
}

void TbsSkinImagesMenu::ProcessEvents(bool AProcessEvents)
{
    if (!FPopupWindow) return;
    // The window is being closed from its own handling: it goes once that
    // handling has returned.
    TbsSkinImagesMenuPopupWindow* w = FPopupWindow;
    FPopupWindow = nullptr;
    RunOnMainThread([w] { delete w; }, false, w);
    const std::weak_ptr<char> life = FLife;
    if (FOnInternalMenuClose) FOnInternalMenuClose(this);
    if (life.expired()) return;
    if (OnMenuClose) OnMenuClose(this);
    if (life.expired() || !AProcessEvents || FItemIndex == -1) return;
    if (TbsImagesMenuItem* item = GetSelectedItem(); item && item->OnClick) item->OnClick(this);
    if (life.expired()) return;
    if (OnItemClick) OnItemClick(this);
    if (life.expired() || FItemIndex == FOldItemIndex) return;
    InternalChange();
    if (life.expired()) return;
    if (OnChange) OnChange(this);
}

// ---- the popup window -------------------------------------------------------------------

namespace
{
// Milliseconds between fade-in steps (more than the 5 the steps wait for).
constexpr unsigned FadeInterval = 6;
constexpr int FadeStep = 10;

const TbsDataSkinControl* SkinEntry(const TbsSkinData* sd, const char* name, const char* fallback = nullptr)
{
    int i = bsSkinControlIndex(sd, name);
    if (i == -1 && fallback) i = bsSkinControlIndex(sd, fallback);
    return bsSkinControlEntry(sd, i);
}

const TbsDataSkinMenuItem* MenuItemObject(const TbsSkinData* sd)
{
    if (!sd || sd->Empty) return nullptr;
    for (const char* name : {"menuitem", "MENUITEM"})
    {
        const int i = sd->GetIndex(name);
        if (i >= 0 && i < int(sd->ObjectList.size()))
            if (auto* o = dynamic_cast<const TbsDataSkinMenuItem*>(sd->ObjectList[std::size_t(i)].get())) return o;
    }
    return nullptr;
}

void Frame3D(TCanvas* C, const TRect& r, TColor c)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(c);
    C->FrameRect(r);
}

void SetFontFromSkin(TFont* f, const std::string& name, int height, TbsFontStyles style)
{
    f->SetName(name);
    f->SetHeight(height);
    TFontStyles st;
    if (style.Has(TbsFontStyles::Bold)) st.Include(fsBold);
    if (style.Has(TbsFontStyles::Italic)) st.Include(fsItalic);
    if (style.Has(TbsFontStyles::Underline)) st.Include(fsUnderline);
    if (style.Has(TbsFontStyles::StrikeOut)) st.Include(fsStrikeOut);
    f->SetStyle(st);
}
} // namespace

TbsSkinImagesMenuPopupWindow::TbsSkinImagesMenuPopupWindow(TbsSkinImagesMenu* AMenu)
    : TCustomControl(nullptr), ImagesMenu(AMenu)
{
    ControlStyle.Include(csReplicatable);
    // The popup takes and keeps the capture itself, for as long as it is open.
    ControlStyle.Exclude(csCaptureMouse);
    visible_ = false;
}

TbsSkinImagesMenuPopupWindow::~TbsSkinImagesMenuPopupWindow()
{
    UnHookApp();
    if (HandleAllocated() && GetCapture() == GetHandle()) ReleaseCapture();
}

void TbsSkinImagesMenuPopupWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP;
    Params.ExStyle = WS_EX_TOOLWINDOW;
    Params.WndParent = nullptr;
    Params.WindowClass.style |= CS_SAVEBITS;
    if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

bool TbsSkinImagesMenuPopupWindow::HasSkin() const
{
    const TbsSkinData* sd = ImagesMenu->SkinData();
    return sd && !sd->Empty && sd->PopupWindow.WindowPictureIndex != -1;
}

void TbsSkinImagesMenuPopupWindow::CalcItemRects()
{
    TCustomImageList* il = ImagesMenu->Images();
    const int CW = il->GetWidth() + 10, CH = il->GetHeight() + 10;
    const int RW = ImagesMenu->ColumnsCount() * CW;
    const TbsSkinData* sd = ImagesMenu->SkinData();
    const int L = FSkinSupport ? sd->PopupWindow.ItemsRect.Left : 5;
    int Y = FSkinSupport ? sd->PopupWindow.ItemsRect.Top : 5;
    int X = L;
    const TbsDataSkinControl* label = SkinEntry(sd, "label");
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    for (int i = 0; i < items->Count(); ++i)
    {
        TbsImagesMenuItem* it = items->Items(i);
        if (it->Header || it->Button)
        {
            // Full-width rows start a row of their own.
            if (X != L) Y += CH + 1;
            const int h = it->Header && label ? RectHeight(label->SkinRect) : CH;
            it->ItemRect = TRect(L, Y, L + RW, Y + h);
            Y += h + 1;
            X = L;
            continue;
        }
        it->ItemRect = TRect(X, Y, X + CW, Y + CH);
        X += CW;
        if (X + CW > L + RW)
        {
            X = L;
            Y += CH + 1;
        }
    }
}

void TbsSkinImagesMenuPopupWindow::CalcSize()
{
    FSkinSupport = HasSkin();
    CalcItemRects();
    TCustomImageList* il = ImagesMenu->Images();
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    const int W = ImagesMenu->ColumnsCount() * (il->GetWidth() + 10);
    const int H = items->Items(items->Count() - 1)->ItemRect.Bottom - items->Items(0)->ItemRect.Top;
    WindowPicture = MaskPicture = nullptr;
    if (FSkinSupport)
    {
        const TbsSkinData* sd = ImagesMenu->SkinData();
        const TbsDataSkinPopupWindow& d = sd->PopupWindow;
        WindowPicture = bsSkinActiveBitmap(sd, d.WindowPictureIndex);
        MaskPicture = d.MaskPictureIndex == -1 ? nullptr : bsSkinActiveBitmap(sd, d.MaskPictureIndex);
    }
    if (!WindowPicture)
    {
        FSkinSupport = false;
        if (FSkinSupport != HasSkin()) CalcItemRects();
        SetBounds(Left(), Top(), W + 10, H + 10);
        return;
    }
    const TbsDataSkinPopupWindow& d = ImagesMenu->SkinData()->PopupWindow;
    const int PW = WindowPicture->GetWidth(), PH = WindowPicture->GetHeight();
    const int w = PW + W - RectWidth(d.ItemsRect), h = PH + H - RectHeight(d.ItemsRect);
    NewLTPoint = d.LTPoint;
    NewRTPoint = TPoint(w - (PW - d.RTPoint.X), d.RTPoint.Y);
    NewLBPoint = TPoint(d.LBPoint.X, h - (PH - d.LBPoint.Y));
    NewRBPoint = TPoint(w - (PW - d.RBPoint.X), h - (PH - d.RBPoint.Y));
    NewItemsRect = TRect(d.ItemsRect.Left, d.ItemsRect.Top, w - (PW - d.ItemsRect.Right), h - (PH - d.ItemsRect.Bottom));
    SetBounds(Left(), Top(), w, h);
    if (MaskPicture)
    {
        HRGN rgn = nullptr;
        CreateSkinRegion(rgn, d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ItemsRect, NewLTPoint, NewRTPoint,
                         NewLBPoint, NewRBPoint, NewItemsRect, MaskPicture, w, h);
        // The window owns the region it is given (and frees the one before).
        SetWindowRgn(GetHandle(), rgn, TRUE);
        FRgn = rgn;
    }
}

void TbsSkinImagesMenuPopupWindow::Show(const TRect& PopupRect)
{
    HandleNeeded();
    CalcSize();
    int X = PopupRect.Left, Y = PopupRect.Bottom;
    TRect wa;
    TCustomForm* f = Screen ? Screen->ActiveCustomForm() : nullptr;
    if (!f && Application && Application->MainForm() && Application->MainForm()->GetVisible())
        f = Application->MainForm();
    if (!f) f = dynamic_cast<TCustomForm*>(ImagesMenu->Owner());
    if (f && f->HandleAllocated()) GetMonitorWorkArea(f->GetHandle(), true, wa);
    else GetScreenWorkArea(true, wa);
    const int w = Width(), h = Height();
    if (wa.Bottom < Y + h) Y -= h + RectHeight(PopupRect);
    if (wa.Right < X + w) X -= X + w - wa.Right;
    X = std::max(X, wa.Left);
    Y = std::max(Y, wa.Top);
    const bool fade = IsLayeredWindowsAvailable() && ImagesMenu->AlphaBlend;
    if (fade)
    {
        SetWindowLong(GetHandle(), GWL_EXSTYLE, LONG(GetWindowLong(GetHandle(), GWL_EXSTYLE) | WS_EX_LAYERED));
        SetLayeredAlpha(GetHandle(), ImagesMenu->AlphaBlendAnimation ? 0 : ImagesMenu->AlphaBlendValue);
    }
    SetBounds(X, Y, w, h);
    SetWindowPos(GetHandle(), HWND_TOPMOST, X, Y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    visible_ = true;
    if (fade && ImagesMenu->AlphaBlendAnimation)
    {
        // Raised by 10 on the clock (the fade never waits in a loop).
        FAlpha = 0;
        FFadeTimer = std::make_unique<TTimer>(nullptr);
        FFadeTimer->SetInterval(FadeInterval);
        FFadeTimer->SetOnTimer([this](TObject*) {
            FAlpha = std::min(FAlpha + FadeStep, int(ImagesMenu->AlphaBlendValue));
            SetLayeredAlpha(GetHandle(), BYTE(FAlpha));
            if (FAlpha >= ImagesMenu->AlphaBlendValue) FFadeTimer->SetEnabled(false);
        });
        FFadeTimer->SetEnabled(true);
    }
    HookApp();
    SetCapture(GetHandle());
}

void TbsSkinImagesMenuPopupWindow::Hide(bool AProcessEvents)
{
    if (FClosing) return;
    FClosing = true;
    HideItemHint();
    if (FFadeTimer) FFadeTimer->SetEnabled(false);
    if (HandleAllocated())
        SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    visible_ = false;
    UnHookApp();
    if (HandleAllocated() && GetCapture() == GetHandle()) ReleaseCapture();
    ImagesMenu->ProcessEvents(AProcessEvents);
}

void TbsSkinImagesMenuPopupWindow::HookApp()
{
    if (FHook || !Application) return;
    FHook = Application->HookOnMessage([this](TMsg& Msg, bool& Handled) { NewAppMessage(Msg, Handled); });
}

void TbsSkinImagesMenuPopupWindow::UnHookApp()
{
    if (!FHook || !Application) return;
    Application->UnhookOnMessage(FHook);
    FHook = 0;
}

void TbsSkinImagesMenuPopupWindow::NewAppMessage(TMsg& Msg, bool& Handled)
{
    switch (Msg.message)
    {
    case WM_KEYDOWN:
        ProcessKey(WORD(Msg.wParam));
        // Nothing else handles the key.
        Msg.message = 0;
        Handled = true;
        return;
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
    case WM_MOUSEACTIVATE:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_PARENTNOTIFY: Hide(false); return;
    default: return;
    }
}

void TbsSkinImagesMenuPopupWindow::HideItemHint()
{
    if (ImagesMenu->ShowHints && ImagesMenu->SkinHint()) ImagesMenu->SkinHint()->HideHint();
}

// ---- hot item and keys ------------------------------------------------------------------

int TbsSkinImagesMenuPopupWindow::GetItemFromPoint(TPoint P) const
{
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    for (int i = 0; i < items->Count(); ++i)
    {
        const TbsImagesMenuItem* it = items->Items(i);
        const TRect& r = it->ItemRect;
        if (!it->Header && P.X >= r.Left && P.X <= r.Right && P.Y >= r.Top && P.Y <= r.Bottom) return i;
    }
    return -1;
}

void TbsSkinImagesMenuPopupWindow::SetHot(int Index)
{
    if (Index == MouseInItem) return;
    MouseInItem = Index;
    OldMouseInItem = Index;
    Invalidate();
}

void TbsSkinImagesMenuPopupWindow::TestActive(int X, int Y)
{
    MouseInItem = GetItemFromPoint(TPoint(X, Y));
    TbsSkinHint* hint = ImagesMenu->SkinHint();
    if (hint && MouseInItem == -1) hint->HideHint();
    if (MouseInItem == OldMouseInItem) return;
    OldMouseInItem = MouseInItem;
    Invalidate();
    if (ImagesMenu->ShowHints && MouseInItem != -1 && hint)
    {
        hint->HideHint();
        const std::string& text = ImagesMenu->ImagesItems()->Items(MouseInItem)->Hint;
        if (!text.empty()) hint->ActivateHint2(text);
    }
}

int TbsSkinImagesMenuPopupWindow::FirstChoosable() const
{
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    return items->Count() > 1 && items->Items(0)->Header ? 1 : 0;
}

void TbsSkinImagesMenuPopupWindow::SelectNextItem()
{
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    const int N = items->Count(), M = MouseInItem;
    if (M == -1 || M == N - 1)
    {
        SetHot(FirstChoosable());
        return;
    }
    for (int i = M + 1; i < N; ++i)
        if (!items->Items(i)->Header)
        {
            SetHot(i);
            return;
        }
}

void TbsSkinImagesMenuPopupWindow::SelectPrevItem()
{
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    const int N = items->Count(), M = MouseInItem;
    if (M == -1 || M == 0 || (items->Items(0)->Header && N > 1 && M == 1))
    {
        SetHot(N - 1);
        return;
    }
    for (int i = M - 1; i >= 0; --i)
        if (!items->Items(i)->Header)
        {
            SetHot(i);
            return;
        }
}

void TbsSkinImagesMenuPopupWindow::SelectUpItem()
{
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    const int M = MouseInItem;
    if (M == -1)
    {
        SetHot(items->Count() - 1);
        return;
    }
    const TRect& cur = items->Items(M)->ItemRect;
    for (int i = M - 1; i >= 0; --i)
    {
        const TbsImagesMenuItem* it = items->Items(i);
        if (!it->Header && it->ItemRect.Top < cur.Top && (it->Button || it->ItemRect.Left == cur.Left))
        {
            SetHot(i);
            return;
        }
    }
}

void TbsSkinImagesMenuPopupWindow::SelectDownItem()
{
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    const int M = MouseInItem;
    if (M == -1)
    {
        SetHot(FirstChoosable());
        return;
    }
    const TRect& cur = items->Items(M)->ItemRect;
    for (int i = M + 1; i < items->Count(); ++i)
    {
        const TbsImagesMenuItem* it = items->Items(i);
        if (!it->Header && it->ItemRect.Top > cur.Top && (it->Button || it->ItemRect.Left == cur.Left))
        {
            SetHot(i);
            return;
        }
    }
}

void TbsSkinImagesMenuPopupWindow::ProcessKey(WORD Key)
{
    switch (Key)
    {
    case VK_RETURN:
    case VK_SPACE:
        if (MouseInItem != -1) ImagesMenu->SetItemIndex(MouseInItem);
        Hide(true);
        break;
    case VK_ESCAPE: Hide(false); break;
    case VK_LEFT: SelectPrevItem(); break;
    case VK_UP: SelectUpItem(); break;
    case VK_RIGHT: SelectNextItem(); break;
    case VK_DOWN: SelectDownItem(); break;
    default: break;
    }
}

// ---- mouse ------------------------------------------------------------------------------

void TbsSkinImagesMenuPopupWindow::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    TestActive(X, Y);
}

void TbsSkinImagesMenuPopupWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    HideItemHint();
    FDown = true;
    FItemDown = GetItemFromPoint(TPoint(X, Y)) != -1;
    Invalidate();
}

void TbsSkinImagesMenuPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const auto life = LifeToken();
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (life.expired() || FClosing) return;
    const int i = GetItemFromPoint(TPoint(X, Y));
    if (FDown && i != -1)
    {
        ImagesMenu->SetItemIndex(i);
        Hide(true);
        return;
    }
    // A release off the items keeps the menu open, holding the mouse.
    FDown = FItemDown = false;
    Invalidate();
    if (GetCapture() == GetHandle()) ReleaseCapture();
    SetCapture(GetHandle());
}

void TbsSkinImagesMenuPopupWindow::CMMouseLeave(TMessage& m)
{
    TCustomControl::CMMouseLeave(m);
    HideItemHint();
    MouseInItem = OldMouseInItem = -1;
    Invalidate();
}

void TbsSkinImagesMenuPopupWindow::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_MOUSEACTIVATE: m.Result = MA_NOACTIVATE; return;
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    {
        const auto life = LifeToken();
        TCustomControl::Dispatch(m);
        if (life.expired() || FClosing) return;
        // The popup holds the capture: a click elsewhere closes it.
        TPoint p;
        GetCursorPos(&p);
        if (WindowFromPoint(p) != GetHandle()) Hide(false);
        return;
    }
    default: break;
    }
    TCustomControl::Dispatch(m);
}

// ---- painting ---------------------------------------------------------------------------

void TbsSkinImagesMenuPopupWindow::DrawItemBackground(TCanvas* C, const TRect& R, bool Pressed)
{
    const TbsSkinData* sd = ImagesMenu->SkinData();
    const auto* d = FSkinSupport ? dynamic_cast<const TbsDataSkinButtonControl*>(
                                       SkinEntry(sd, "menuitembutton", "resizebutton"))
                                 : nullptr;
    TBitmap* pic = d ? bsSkinActiveBitmap(sd, d->PictureIndex) : nullptr;
    if (d && pic)
    {
        TRect src = Pressed && !IsEmptyRect(d->DownSkinRect) ? d->DownSkinRect : d->ActiveSkinRect;
        if (IsEmptyRect(src)) src = d->SkinRect;
        const int w = RectWidth(R), h = RectHeight(R);
        const int dw = w - RectWidth(d->SkinRect), dh = h - RectHeight(d->SkinRect);
        TRect cl = d->ClRect;
        cl.Right += dw;
        cl.Bottom += dh;
        TBitmap B(w, h, pf32bit);
        CreateSkinImage(d->LTPoint, d->RTPoint, d->LBPoint, d->RBPoint, d->ClRect, d->LTPoint,
                        TPoint(d->RTPoint.X + dw, d->RTPoint.Y), TPoint(d->LBPoint.X, d->LBPoint.Y + dh),
                        TPoint(d->RBPoint.X + dw, d->RBPoint.Y + dh), cl, &B, pic, src, w, h, true, d->LeftStretch,
                        d->TopStretch, d->RightStretch, d->BottomStretch, d->StretchEffect, d->StretchType);
        C->Draw(R.Left, R.Top, &B);
        return;
    }
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(TColor(Pressed ? RGB(133, 147, 181) : RGB(182, 189, 210)));
    C->FillRect(R);
    Frame3D(C, R, TColor(RGB(0, 0, 128)));
}

void TbsSkinImagesMenuPopupWindow::DrawButtonCaption(TCanvas* C, const TRect& R, const std::string& Text, bool Pressed,
                                                     bool Hot)
{
    const TbsSkinData* sd = ImagesMenu->SkinData();
    const auto* d = FSkinSupport ? dynamic_cast<const TbsDataSkinButtonControl*>(
                                       SkinEntry(sd, "menuitembutton", "resizebutton"))
                                 : nullptr;
    const TbsDataSkinMenuItem* mi = FSkinSupport ? MenuItemObject(sd) : nullptr;
    if (d && mi)
    {
        if (ImagesMenu->UseSkinFont) SetFontFromSkin(C->Font(), d->FontName, d->FontHeight, d->FontStyle);
        else C->Font()->Assign(ImagesMenu->DefaultFont());
        if (sd->ResourceStrData()) C->Font()->SetCharset(sd->ResourceStrData()->CharSet());
        else C->Font()->SetCharset(ImagesMenu->DefaultFont()->GetCharset());
        const int ground = int(DominantColor(C, R, ColorToRGB(TColor(sd->FSkinColors.FcBtnFace))));
        C->Font()->SetColor(TColor(
            bsSkinTextColor(*sd, Pressed ? d->DownFontColor : Hot ? d->ActiveFontColor : mi->FontColor, ground)));
    }
    else
    {
        C->Font()->Assign(ImagesMenu->DefaultFont());
        C->Font()->SetColor(clWindowText);
    }
    C->Brush()->SetStyle(bsClear);
    SetBkMode(C->GetHandle(), TRANSPARENT);
    TRect r = R;
    const bool fits = TextWidthW(C, Text) <= RectWidth(R);
    DrawTextUnicode(C, Text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (fits ? DT_CENTER : DT_LEFT));
}

void TbsSkinImagesMenuPopupWindow::DrawHeader(TCanvas* C, const TRect& R, const std::string& Text)
{
    const TbsSkinData* sd = ImagesMenu->SkinData();
    const auto* d = FSkinSupport ? dynamic_cast<const TbsDataSkinLabelControl*>(SkinEntry(sd, "label")) : nullptr;
    TBitmap* pic = d ? bsSkinActiveBitmap(sd, d->PictureIndex) : nullptr;
    C->Brush()->SetStyle(bsClear);
    if (d && pic)
    {
        const int w = RectWidth(R), h = RectHeight(d->SkinRect);
        TBitmap B(w, h, pf32bit);
        CreateHSkinImage(d->LTPoint.X, RectWidth(d->SkinRect) - d->RTPoint.X, &B, pic, d->SkinRect, w, h,
                         d->StretchEffect);
        TCanvas* bc = B.Canvas();
        bc->Brush()->SetStyle(bsClear);
        SetBkMode(bc->GetHandle(), TRANSPARENT);
        SetFontFromSkin(bc->Font(), d->FontName, d->FontHeight, d->FontStyle);
        bc->Font()->SetCharset(C->Font()->GetCharset());
        TRect tr(d->ClRect.Left, d->ClRect.Top, w + d->ClRect.Right - RectWidth(d->SkinRect), h);
        bc->Font()->SetColor(TColor(bsSkinTextColor(*sd, d->FontColor, int(DominantColor(&B, tr)))));
        DrawTextUnicode(bc, Text, tr, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
        C->Draw(R.Left, R.Top, &B);
        return;
    }
    SetBkMode(C->GetHandle(), TRANSPARENT);
    TRect r = R;
    DrawTextUnicode(C, Text, r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
}

void TbsSkinImagesMenuPopupWindow::DrawItems(TCanvas* C, int Hot, int Sel)
{
    TbsImagesMenuItems* items = ImagesMenu->ImagesItems();
    TCustomImageList* il = ImagesMenu->Images();
    for (int i = 0; i < items->Count(); ++i)
    {
        const TbsImagesMenuItem* it = items->Items(i);
        TRect R = it->ItemRect;
        if (it->Header)
        {
            DrawHeader(C, R, it->Caption());
            continue;
        }
        const bool selPressed = i == Sel && !FItemDown;
        const bool hotPressed = i == Hot && FItemDown;
        if (selPressed) DrawItemBackground(C, R, true);
        else if (i == Hot) DrawItemBackground(C, R, hotPressed);
        int offset = 0;
        if (it->ImageIndex() >= 0 && it->ImageIndex() < il->Count())
        {
            il->Draw(C, R.Left + 5, R.Top + 5, it->ImageIndex(), true);
            offset = il->GetWidth() + 5;
        }
        if (it->Button && !it->Caption().empty())
        {
            R.Left += offset;
            DrawButtonCaption(C, R, it->Caption(), selPressed || hotPressed, i == Hot && !FItemDown && !selPressed);
        }
    }
}

void TbsSkinImagesMenuPopupWindow::Paint()
{
    FSkinSupport = HasSkin() && WindowPicture;
    const int sel = ImagesMenu->ShowSelectedItem ? ImagesMenu->ItemIndex() : -1;
    TBitmap B(Width(), Height(), pf32bit);
    TCanvas* C = B.Canvas();
    if (FSkinSupport)
    {
        const TbsDataSkinPopupWindow& d = ImagesMenu->SkinData()->PopupWindow;
        CreateSkinImage2(d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ItemsRect, NewLTPoint, NewRTPoint, NewLBPoint,
                         NewRBPoint, NewItemsRect, &B, WindowPicture,
                         TRect(0, 0, WindowPicture->GetWidth(), WindowPicture->GetHeight()), Width(), Height(), true,
                         d.LeftStretch, d.TopStretch, d.RightStretch, d.BottomStretch, d.StretchEffect,
                         d.StretchType);
    }
    else
    {
        C->Pen()->SetColor(clBtnShadow);
        C->Brush()->SetColor(clWindow);
        C->Rectangle(0, 0, Width(), Height());
    }
    C->Font()->Assign(ImagesMenu->DefaultFont());
    DrawItems(C, MouseInItem, sel);
    Canvas()->Draw(0, 0, &B);
}
