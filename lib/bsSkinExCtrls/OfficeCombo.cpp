// The office combo box: the combo look of the skinned combo box with an
// office list as its drop-down; ItemIndex assignments fire OnClick and
// OnChange every time.
#include "lib/bsSkinExCtrls.h"

#include <algorithm>
#include <cstdint>

#include "lib/bsSkinCtrls/Common.h"
#include "platform/gui/Forms.h"

namespace
{
bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }
} // namespace

TbsSkinCustomOfficeComboBox::TbsSkinCustomOfficeComboBox(TComponent* AOwner) : TbsSkinComboLook(AOwner)
{
    FListBox = new TbsPopupOfficeListBox(this);
    FListBox->AlphaSource = &Alpha;
    FListBox->PressFlag = &FLBDown;
    FListBoxWindowProc = FListBox->WindowProc;
    FListBox->WindowProc = [this](TMessage& m) { ListBoxWProc(m); };
    FListBox->MouseMoveChangeIndex = true;
    height_ = 41;
    CalcRects();
    FUseSkinSize = false;
    FDropDownCount = 7;
}

TbsSkinCustomOfficeComboBox::~TbsSkinCustomOfficeComboBox()
{
    UnhookPresses();
    if (FListBox)
    {
        FListBox->WindowProc = FListBoxWindowProc;
        delete FListBox;
        FListBox = nullptr;
    }
}

bool TbsSkinCustomOfficeComboBox::IsPopupVisible() const { return FListBox && FListBox->GetVisible(); }

bool TbsSkinCustomOfficeComboBox::IsOwnWindow(HWND h)
{
    if (!h) return false;
    if (HandleAllocated() && (h == GetHandle() || IsChild(GetHandle(), h))) return true;
    return FListBox->HandleAllocated() && (h == FListBox->GetHandle() || IsChild(FListBox->GetHandle(), h));
}

int TbsSkinCustomOfficeComboBox::ShownIndex() const
{
    return IsPopupVisible() ? FOldItemIndex : FListBox->ItemIndex();
}

void TbsSkinCustomOfficeComboBox::SetDropDownCount(int Value)
{
    if (Value >= 0) FDropDownCount = Value;
}

void TbsSkinCustomOfficeComboBox::SetListBoxSkinDataName(const std::string& Value)
{
    FListBoxSkinDataName = Value;
    FListBox->SetSkinDataName(Value);
}

void TbsSkinCustomOfficeComboBox::SetShowItemTitle(bool v)
{
    if (FShowItemTitle == v) return;
    FShowItemTitle = v;
    Invalidate();
}

void TbsSkinCustomOfficeComboBox::SetShowItemImage(bool v)
{
    if (FShowItemImage == v) return;
    FShowItemImage = v;
    Invalidate();
}

void TbsSkinCustomOfficeComboBox::SetShowItemText(bool v)
{
    if (FShowItemText == v) return;
    FShowItemText = v;
    Invalidate();
}

void TbsSkinCustomOfficeComboBox::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
    FListBox->SetImages(Value);
}

void TbsSkinCustomOfficeComboBox::SetToolButtonStyle(bool Value)
{
    if (FToolButtonStyle == Value) return;
    FToolButtonStyle = Value;
    if (Value) FUseSkinSize = false;
    Invalidate();
}

void TbsSkinCustomOfficeComboBox::Change()
{
    if (OnChange) OnChange(this);
}

void TbsSkinCustomOfficeComboBox::SetItemIndex(int Value)
{
    FListBox->SetItemIndex(Value);
    FOldItemIndex = FListBox->ItemIndex();
    Invalidate();
    if (ComponentState() & (csDesigning | csLoading)) return;
    const std::weak_ptr<char> alive = LifeToken();
    if (OnClick) OnClick(this);
    if (alive.expired()) return;
    Change();
}

// ---- drop-down --------------------------------------------------------------------------

void TbsSkinCustomOfficeComboBox::DropDown()
{
    if (Items()->Count() == 0) return;
    WasInLB = false;
    StopAutoScroll();
    const std::weak_ptr<char> alive = LifeToken();
    if (OnDropDown) OnDropDown(this);
    if (alive.expired() || !HandleAllocated()) return;
    const int w = FListBoxWidth > 0 ? FListBoxWidth : Width();
    FListBox->OnDrawItem = OnDrawItem;
    FListBox->SetSkinData(FSD);
    int h = FListBox->Height();
    if (ListBoxHeight > 0) h = ListBoxHeight;
    else if (FDropDownCount > 0) h = FListBox->CalcHeight(FDropDownCount);
    FListBox->SetBounds(FListBox->Left(), FListBox->Top(), w, h);
    TPoint P = ClientToScreen(TPoint(Width() - w, Height()));
    TRect work;
    GetMonitorWorkArea(GetHandle(), true, work);
    if (P.Y + h > work.Bottom) P.Y -= Height() + h;
    FOldItemIndex = FListBox->ItemIndex();
    if (FOldItemIndex == 0 && Items()->Count() > 1)
    {
        FListBox->SetItemActive(1);
        FListBox->SetItemActive(0);
    }
    FDropDown = true;
    if (FToolButtonStyle) Invalidate();
    FListBox->Show(P);
    HookPresses();
}

void TbsSkinCustomOfficeComboBox::CloseUp(bool AcceptChanges)
{
    StopAutoScroll();
    if (!IsPopupVisible()) return;
    UnhookPresses();
    FListBox->Hide();
    const std::weak_ptr<char> alive = LifeToken();
    const int i = FListBox->ItemIndex();
    if (i >= 0 && i < Items()->Count() && AcceptChanges)
    {
        FOldItemIndex = i;
        Invalidate();
        if (OnClick) OnClick(this);
        if (alive.expired()) return;
        Change();
        if (alive.expired()) return;
    }
    else
        FListBox->SetItemActive(FOldItemIndex);
    FDropDown = false;
    Invalidate();
    if (AcceptChanges && OnCloseUp) OnCloseUp(this);
}

void TbsSkinCustomOfficeComboBox::ListBoxWProc(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_LBUTTONDOWN:
        FLBDown = true;
        WasInLB = true;
        if (HandleAllocated()) SetCaptureControl(this);
        return;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return;
    case WM_MOUSEACTIVATE:
        FListBoxWindowProc(m);
        m.Result = MA_NOACTIVATE;
        return;
    default: FListBoxWindowProc(m);
    }
}

void TbsSkinCustomOfficeComboBox::TrackListBox()
{
    if (!FListBox->HandleAllocated()) return;
    TPoint p;
    GetCursorPos(&p);
    p = FListBox->ScreenToClient(p);
    const bool bar = FListBox->ScrollBar != nullptr;
    if (p.Y < 0 && bar && WasInLB) StartAutoScroll(1);
    else if (p.Y > FListBox->Height() && bar && WasInLB) StartAutoScroll(2);
    else if (p.Y >= 0 && p.Y <= FListBox->Height())
    {
        StopAutoScroll();
        FListBox->MouseMove(TShiftState{}, p.X, p.Y);
        WasInLB = true;
        if (!FLBDown)
        {
            FLBDown = true;
            WasInLB = false;
        }
    }
}

void TbsSkinCustomOfficeComboBox::AutoScrollStep()
{
    if (TimerMode == 1) FListBox->FindUp();
    else if (TimerMode == 2) FListBox->FindDown();
}

void TbsSkinCustomOfficeComboBox::MouseDown(TMouseButton Btn, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    TbsSkinComboLook::MouseDown(Btn, Shift, X, Y);
    if (alive.expired()) return;
    if (!Focused() && CanFocus()) SetFocus();
    if (Btn != mbLeft) return;
    Button.MouseIn = Inside(Button.R, X, Y);
    if (Button.MouseIn || Inside(CBItem.R, X, Y) || FToolButtonStyle)
    {
        Button.Down = true;
        Invalidate();
        if (IsPopupVisible()) CloseUp(false);
        else
        {
            WasInLB = false;
            FLBDown = true;
            DropDown();
        }
    }
    else if (IsPopupVisible())
        CloseUp(false);
}

void TbsSkinCustomOfficeComboBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TbsSkinComboLook::MouseMove(Shift, X, Y);
    if (IsPopupVisible()) TrackListBox();
    const bool in = Inside(Button.R, X, Y);
    if (in != Button.MouseIn)
    {
        Button.MouseIn = in;
        Invalidate();
    }
}

void TbsSkinCustomOfficeComboBox::MouseUp(TMouseButton Btn, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (FLBDown && WasInLB)
    {
        SetCaptureControl(nullptr);
        FLBDown = false;
        TPoint p;
        GetCursorPos(&p);
        CloseUp(FListBox->HandleAllocated() && WindowFromPoint(p) == FListBox->GetHandle());
    }
    else
        FLBDown = false;
    if (alive.expired()) return;
    TbsSkinComboLook::MouseUp(Btn, Shift, X, Y);
    if (Button.Down)
    {
        Button.Down = false;
        Invalidate();
    }
}

void TbsSkinCustomOfficeComboBox::Move(void (TbsSkinOfficeListBox::*find)(), bool viaSetter)
{
    // The popup moves its selection; through the setter the combo's events follow.
    (FListBox->*find)();
    if (viaSetter) SetItemIndex(FListBox->ItemIndex());
}

void TbsSkinCustomOfficeComboBox::KeyDown(WORD& Key, TShiftState Shift)
{
    TbsSkinComboLook::KeyDown(Key, Shift);
    const bool alt = Shift.Contains(ssAlt);
    switch (Key)
    {
    case VK_RETURN:
        if (IsPopupVisible()) CloseUp(true);
        break;
    case VK_ESCAPE:
        if (IsPopupVisible()) CloseUp(false);
        break;
    case VK_PRIOR: Move(&TbsSkinOfficeListBox::FindPageUp, true); break;
    case VK_NEXT: Move(&TbsSkinOfficeListBox::FindPageDown, true); break;
    case VK_UP:
    case VK_LEFT:
        if (alt)
        {
            if (IsPopupVisible()) CloseUp(false);
        }
        else
            Move(&TbsSkinOfficeListBox::FindUp, true);
        break;
    case VK_DOWN:
    case VK_RIGHT:
        if (alt)
        {
            if (!IsPopupVisible()) DropDown();
        }
        else
            Move(&TbsSkinOfficeListBox::FindDown, true);
        break;
    default: break;
    }
}

void TbsSkinCustomOfficeComboBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_ERASEBKGND:
        if (!FromWMPaint && m.WParam) PaintWindow(reinterpret_cast<HDC>(m.WParam));
        m.Result = 1;
        return;
    case CM_ENABLEDCHANGED:
    case WM_SETFOCUS:
        TbsSkinComboLook::Dispatch(m);
        Invalidate();
        return;
    case WM_KILLFOCUS:
        TbsSkinComboLook::Dispatch(m);
        if (IsPopupVisible()) CloseUp(false);
        Invalidate();
        return;
    case WM_MOUSEWHEEL:
    {
        TbsSkinComboLook::Dispatch(m);
        const bool up = static_cast<std::int32_t>(m.WParam) > 0;
        Move(up ? &TbsSkinOfficeListBox::FindUp : &TbsSkinOfficeListBox::FindDown, !IsPopupVisible());
        return;
    }
    case CM_CANCELMODE:
    {
        TbsSkinComboLook::Dispatch(m);
        auto* sender = reinterpret_cast<TControl*>(m.LParam);
        if (sender != this && sender != FListBox && sender != FListBox->ScrollBar) CloseUp(false);
        return;
    }
    default: break;
    }
    TbsSkinComboLook::Dispatch(m);
}

// ---- skin and drawing -----------------------------------------------------------------

void TbsSkinCustomOfficeComboBox::ChangeSkinData()
{
    TbsSkinComboLook::ChangeSkinData();
    CalcRects();
    Invalidate();
    // The configured drop-down entry is kept apart from the one in use, so
    // one skin without a combo entry does not lose it for every later skin.
    FListBox->SetSkinDataName(FIndex == -1 ? std::string() : FListBoxSkinDataName);
    FListBox->SetSkinData(FSD);
    CalcRects();
}

void TbsSkinCustomOfficeComboBox::DrawSkinItem(TCanvas* C)
{
    FNoTitle = true;
    TbsSkinComboLook::DrawSkinItem(C);
    FNoTitle = false;
}

void TbsSkinCustomOfficeComboBox::DrawItemContent(TCanvas* C, int Index, TRect T, int, int, bool forToolButton)
{
    TbsSkinOfficeItem* it = Items()->Items(Index);
    if (OnDrawItem && !forToolButton)
    {
        C->Brush()->SetStyle(bsClear);
        OnDrawItem(C, Index, T);
        return;
    }
    C->Brush()->SetStyle(bsClear);
    if (FIndex != -1 && !FUseSkinSize && !FToolButtonStyle) T.Left += 1;
    if (FShowItemText && FShowItemTitle && !FNoTitle && !it->Title().empty())
    {
        TFontStyles st = C->Font()->GetStyle();
        st.Include(fsBold);
        C->Font()->SetStyle(st);
        TRect tr(T.Left, T.Top, T.Right, T.Top + C->TextHeight(it->Title()));
        DrawTextUnicode(C, it->Title(), tr, 0);
        st.Exclude(fsBold);
        C->Font()->SetStyle(st);
        T.Top = tr.Bottom - 2;
    }
    if (FShowItemText && !FShowItemImage) DrawTextVCenter(C, it->Caption(), T);
    else if (FShowItemImage)
        DrawImageAndText2(C, T, 0, 2, blGlyphLeft, FShowItemText ? it->Caption() : std::string(), it->ImageIndex(),
                          FImages, false, GetEnabled(), false, 0);
}

void TbsSkinCustomOfficeComboBox::PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText)
{
    if (Width() <= 0 || Height() <= 0) return;
    TBitmap b(Width(), Height(), pf32bit);
    GetSkinData();
    CalcRects();
    TCanvas* bc = b.Canvas();
    if (FIndex == -1)
    {
        DrawDefaultBody(bc);
        DrawDefaultButton(bc);
        bc->Font()->Assign(DefaultFont());
    }
    else
    {
        TbsSkinComboLook::CreateControlSkinImage(&b);
        bsctrls::SetSkinFont(bc->Font(), FontName, FontStyle, FontHeight);
        bc->Font()->SetColor(TColor(FontColor));
    }
    bc->Brush()->SetStyle(bsClear);
    DrawTextVCenter(bc, AText, CBItem.R);
    C->Draw(X, Y, &b);
}
