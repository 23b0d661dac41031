// The skinned combo box: selection through ItemIndex and its events, the
// drop-down list (opening, closing, mouse tracking, auto-scroll), keys,
// wheel, incremental search and the item drawing.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>
#include <cstdint>

#include "lib/bsSkinBoxCtrls/Internal.h"
#include "platform/core/Clock.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Forms.h"

using namespace bsboxctrls;

TbsSkinCustomComboBox::TbsSkinCustomComboBox(TComponent* AOwner) : TbsSkinComboLook(AOwner)
{
    FListBox = new TbsPopupListBox(this);
    FListBox->AlphaSource = &Alpha;
    FListBox->ListBox->SetTabStop(false);
    FListBox->ListBox->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        ListBoxMouseMove(s, sh, x, y);
    };
    FListBoxWindowProc = FListBox->ListBox->WindowProc;
    FListBox->ListBox->WindowProc = [this](TMessage& m) { ListBoxWProc(m); };
    FListBox->OnCheckButtonClick = [this](TObject*) { CloseUp(true); };
    FDropDownCount = 8;
    CalcRects();
}

TbsSkinCustomComboBox::~TbsSkinCustomComboBox()
{
    UnhookPresses();
    if (FEdit) DestroyEditBox();
    if (FListBox)
    {
        FListBox->ListBox->WindowProc = FListBoxWindowProc;
        delete FListBox;
        FListBox = nullptr;
    }
}

bool TbsSkinCustomComboBox::IsPopupVisible() const { return FListBox && FListBox->GetVisible(); }

bool TbsSkinCustomComboBox::IsOwnWindow(HWND h)
{
    if (!h) return false;
    if (HandleAllocated() && (h == GetHandle() || IsChild(GetHandle(), h))) return true;
    return FListBox->HandleAllocated() && (h == FListBox->GetHandle() || IsChild(FListBox->GetHandle(), h));
}

bool TbsSkinCustomComboBox::HasFocus()
{
    return Focused() || (FEdit && FEdit->Focused());
}

int TbsSkinCustomComboBox::ShownIndex() const
{
    return IsPopupVisible() ? FOldItemIndex : FListBox->ItemIndex();
}

void TbsSkinCustomComboBox::Invalidate()
{
    TbsSkinComboLook::Invalidate();
    if (FIndex != -1 && FEdit) FEdit->Invalidate();
}

// ---- properties ------------------------------------------------------------------------

void TbsSkinCustomComboBox::SetDropDownCount(int Value)
{
    if (Value > 0) FDropDownCount = Value;
}

void TbsSkinCustomComboBox::SetToolButtonStyle(bool Value)
{
    if (FToolButtonStyle == Value) return;
    FToolButtonStyle = Value;
    if (Value)
    {
        SetStyle(bscbFixedStyle);
        FUseSkinSize = false;
    }
    Invalidate();
}

void TbsSkinCustomComboBox::SetDefaultColor(TColor Value)
{
    FDefaultColor = Value;
    if (FIndex == -1)
    {
        Invalidate();
        if (FEdit) FEdit->SetColor(Value);
    }
}

void TbsSkinCustomComboBox::SetCharCase(TEditCharCase Value)
{
    FCharCase = Value;
    if (FEdit) FEdit->SetCharCase(Value);
}

void TbsSkinCustomComboBox::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
    FListBox->SetImages(Value);
    Invalidate();
}

void TbsSkinCustomComboBox::SetImageIndex(int Value)
{
    FListBox->SetImageIndex(Value);
    Invalidate();
}

// ---- selection -------------------------------------------------------------------------

void TbsSkinCustomComboBox::SetItemIndex(int Value)
{
    FListBox->SetItemIndex(Value);
    const int i = FListBox->ItemIndex();
    if (Items()->Count() > 0 && i != -1) SetText(Items()->Get(i));
    FOldItemIndex = FListBox->ItemIndex();
    if (!FEdit) Invalidate();
    if (ComponentState() & (csDesigning | csLoading)) return;
    const std::weak_ptr<char> alive = LifeToken();
    if (OnClick) OnClick(this);
    if (alive.expired()) return;
    Change();
}

void TbsSkinCustomComboBox::MoveTo(int index, bool viaSetter)
{
    if (viaSetter) SetItemIndex(index);
    else FListBox->SetItemIndex(index);
}

void TbsSkinCustomComboBox::FindUp(bool viaSetter)
{
    if (ItemIndex() > 0) MoveTo(ItemIndex() - 1, viaSetter);
}

void TbsSkinCustomComboBox::FindDown(bool viaSetter)
{
    if (ItemIndex() < Items()->Count() - 1) MoveTo(ItemIndex() + 1, viaSetter);
}

int TbsSkinCustomComboBox::PageUpIndex() const { return std::max(0, ItemIndex() - PageStep()); }

int TbsSkinCustomComboBox::PageDownIndex() const
{
    return std::min(ItemCount() - 1, ItemIndex() + PageStep());
}

void TbsSkinCustomComboBox::FindPageUp(bool viaSetter) { MoveTo(PageUpIndex(), viaSetter); }

void TbsSkinCustomComboBox::FindPageDown(bool viaSetter) { MoveTo(PageDownIndex(), viaSetter); }

// ---- drop-down --------------------------------------------------------------------------

void TbsSkinCustomComboBox::DropDown()
{
    if (Items()->Count() == 0) return;
    WasInLB = false;
    StopAutoScroll();
    const std::weak_ptr<char> alive = LifeToken();
    if (OnDropDown) OnDropDown(this);
    if (alive.expired() || !HandleAllocated()) return;
    const int w = FListBoxWidth > 0 ? FListBoxWidth : Width();
    FListBox->SetBounds(FListBox->Left(), FListBox->Top(), w, FListBox->Height());
    FListBox->SetRowCount(std::min(Items()->Count(), FDropDownCount));
    TPoint P = ClientToScreen(TPoint(0, Height()));
    TRect work;
    GetMonitorWorkArea(GetHandle(), true, work);
    if (P.Y + FListBox->Height() > work.Bottom) P.Y -= Height() + FListBox->Height();
    if (FEdit) FEdit->SetFocus();
    FOldItemIndex = FListBox->ItemIndex();
    if (FOldItemIndex == 0 && Items()->Count() > 1)
    {
        FListBox->SetItemIndex(1);
        FListBox->SetItemIndex(0);
    }
    FDropDown = true;
    if (FToolButtonStyle) Invalidate();
    FListBox->SetTopIndex(FListBox->ItemIndex());
    FListBox->SetSkinData(FSD);
    FListBox->Show(P);
    HookPresses();
}

void TbsSkinCustomComboBox::CloseUp(bool AcceptChanges)
{
    StopAutoScroll();
    if (!IsPopupVisible()) return;
    UnhookPresses();
    FListBox->Hide();
    const std::weak_ptr<char> alive = LifeToken();
    const int i = FListBox->ItemIndex();
    if (i >= 0 && i < Items()->Count() && AcceptChanges)
    {
        if (FEdit)
        {
            FEdit->SetText(Items()->Get(i));
            FEdit->SelectAll();
        }
        else
        {
            SetText(Items()->Get(i));
            Invalidate();
        }
        if (alive.expired()) return;
        FOldItemIndex = i;
        if (OnClick) OnClick(this);
        if (alive.expired()) return;
        Change();
        if (alive.expired()) return;
    }
    else
        FListBox->SetItemIndex(FOldItemIndex);
    FDropDown = false;
    Invalidate();
    if (AcceptChanges && OnCloseUp) OnCloseUp(this);
}

void TbsSkinCustomComboBox::ListBoxWProc(TMessage& m)
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
        m.Result = MA_NOACTIVATE;
        FListBoxWindowProc(m);
        m.Result = MA_NOACTIVATE;
        return;
    default: FListBoxWindowProc(m);
    }
}

void TbsSkinCustomComboBox::ListBoxMouseMove(TObject*, TShiftState, int X, int Y)
{
    const int i = FListBox->ItemAtPos(TPoint(X, Y), true);
    if (i >= 0 && i < Items()->Count()) FListBox->SetItemIndex(i);
}

void TbsSkinCustomComboBox::TrackListBox(int, int)
{
    TbsListBox* lb = FListBox->ListBox;
    if (!lb->HandleAllocated()) return;
    TPoint p;
    GetCursorPos(&p);
    p = lb->ScreenToClient(p);
    const bool bar = FListBox->ScrollBar != nullptr;
    if (p.Y < 0 && bar && WasInLB) StartAutoScroll(1);
    else if (p.Y > lb->Height() && bar && WasInLB) StartAutoScroll(2);
    else if (p.Y >= 0 && p.Y <= lb->Height())
    {
        StopAutoScroll();
        ListBoxMouseMove(lb, TShiftState{}, 1, p.Y);
        WasInLB = true;
    }
}

void TbsSkinCustomComboBox::AutoScrollStep()
{
    const int i = FListBox->ItemIndex();
    if (TimerMode == 1 && i > 0) FListBox->SetItemIndex(i - 1);
    else if (TimerMode == 2 && i < Items()->Count() - 1) FListBox->SetItemIndex(i + 1);
}

// ---- mouse -----------------------------------------------------------------------------

namespace
{
bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }
} // namespace

void TbsSkinCustomComboBox::MouseDown(TMouseButton Btn, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    TbsSkinComboLook::MouseDown(Btn, Shift, X, Y);
    if (alive.expired()) return;
    if (!Focused() && !FEdit && CanFocus()) SetFocus();
    if (Btn != mbLeft) return;
    // A press is a position too: the button is hot under it even when no
    // move came first.
    Button.MouseIn = Inside(Button.R, X, Y);
    if (Button.MouseIn || (Inside(CBItem.R, X, Y) && !FEdit) || FToolButtonStyle)
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

void TbsSkinCustomComboBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TbsSkinComboLook::MouseMove(Shift, X, Y);
    if (FLBDown)
    {
        TrackListBox(X, Y);
        return;
    }
    const bool in = Inside(Button.R, X, Y);
    if (in != Button.MouseIn)
    {
        Button.MouseIn = in;
        Invalidate();
    }
}

void TbsSkinCustomComboBox::MouseUp(TMouseButton Btn, TShiftState Shift, int X, int Y)
{
    const std::weak_ptr<char> alive = LifeToken();
    if (FLBDown && WasInLB)
    {
        SetCaptureControl(nullptr);
        FLBDown = false;
        TPoint p;
        GetCursorPos(&p);
        const HWND under = WindowFromPoint(p);
        CloseUp(FListBox->ListBox->HandleAllocated() && under == FListBox->ListBox->GetHandle());
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

// ---- keys ------------------------------------------------------------------------------

void TbsSkinCustomComboBox::KeyDown(WORD& Key, TShiftState Shift)
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
    case VK_PRIOR: FindPageUp(true); break;
    case VK_NEXT: FindPageDown(true); break;
    case VK_UP:
    case VK_LEFT:
        if (alt)
        {
            if (IsPopupVisible()) CloseUp(false);
        }
        else
            FindUp(true);
        break;
    case VK_DOWN:
    case VK_RIGHT:
        if (alt)
        {
            if (!IsPopupVisible()) DropDown();
        }
        else
            FindDown(true);
        break;
    default: break;
    }
}

void TbsSkinCustomComboBox::KeyPress(char32_t& Key)
{
    TbsSkinComboLook::KeyPress(Key);
    if (!FEdit) FindListItem(Key);
}

void TbsSkinCustomComboBox::FindListItem(char32_t Key)
{
    if (!FListBox || !FListBox->ListBox || Key < 32) return;
    std::string search;
    const std::string typed = Utf32ToUtf8(std::u32string(1, Key));
    if (AutoComplete)
    {
        const DWORD now = GetTickCount();
        if (now - FLastTime >= 500) FFilter.clear();
        FLastTime = now;
        FFilter += typed;
        search = FFilter;
    }
    else
        search = typed;
    if (search.empty()) return;
    const bool one = Utf8ToUtf32(search).size() == 1;
    const LRESULT i = FListBox->ListBox->Perform(LB_FINDSTRING, one ? WPARAM(ItemIndex()) : WPARAM(-1),
                                                 reinterpret_cast<LPARAM>(search.c_str()));
    if (i >= 0) SetItemIndex(int(i));
}

// ---- messages --------------------------------------------------------------------------

void TbsSkinCustomComboBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_ERASEBKGND:
        if (!FromWMPaint && m.WParam) PaintWindow(reinterpret_cast<HDC>(m.WParam));
        m.Result = 1;
        return;
    case CM_ENABLEDCHANGED:
        TbsSkinComboLook::Dispatch(m);
        if (FEdit)
            FEdit->Font()->SetColor(GetEnabled() ? (FIndex != -1 ? TColor(FontColor) : DefaultFont()->GetColor())
                                                 : TColor(DisabledTextColor(FIndex != -1 ? FSD : nullptr)));
        Invalidate();
        return;
    case CM_MOUSEENTER:
        TbsSkinComboLook::Dispatch(m);
        if (FEdit && FIndex != -1 && !IsEmptyRect(ActiveSkinRect) && !FEdit->Focused())
            FEdit->Font()->SetColor(TColor(ActiveFontColor));
        return;
    case CM_MOUSELEAVE:
        TbsSkinComboLook::Dispatch(m);
        if (FEdit && FIndex != -1 && !IsEmptyRect(ActiveSkinRect) && !FEdit->Focused())
            FEdit->Font()->SetColor(TColor(FontColor));
        return;
    case WM_SETFOCUS:
        if (FEdit)
        {
            FEdit->SetFocus();
            if (FIndex != -1 && !IsEmptyRect(ActiveSkinRect))
            {
                FEdit->Font()->SetColor(TColor(ActiveFontColor));
                Invalidate();
            }
            return;
        }
        TbsSkinComboLook::Dispatch(m);
        Invalidate();
        return;
    case WM_KILLFOCUS:
        TbsSkinComboLook::Dispatch(m);
        if (FStyle == bscbFixedStyle && IsPopupVisible()) CloseUp(false);
        Invalidate();
        if (FEdit && FIndex != -1 && !IsEmptyRect(ActiveSkinRect))
        {
            FEdit->Font()->SetColor(TColor(FontColor));
            Invalidate();
        }
        return;
    case WM_MOUSEWHEEL:
    {
        if (FEdit) return;
        const bool up = static_cast<std::int32_t>(m.WParam) > 0;
        const bool viaSetter = !IsPopupVisible();
        if (up) FindUp(viaSetter);
        else FindDown(viaSetter);
        m.Result = 0;
        return;
    }
    case CM_CANCELMODE:
    {
        TbsSkinComboLook::Dispatch(m);
        auto* sender = reinterpret_cast<TControl*>(m.LParam);
        if (sender != this && sender != FListBox && sender != FListBox->ScrollBar &&
            sender != FListBox->HScrollBar && sender != FListBox->ListBox)
            CloseUp(false);
        return;
    }
    case CM_TEXTCHANGED:
    {
        TbsSkinComboLook::Dispatch(m);
        const std::weak_ptr<char> alive = LifeToken();
        if (FEdit && !FromEdit) FEdit->SetText(GetText());
        if (OnChange) OnChange(this);
        if (alive.expired()) return;
        if (FromEdit) Change();
        return;
    }
    default: break;
    }
    TbsSkinComboLook::Dispatch(m);
}

// ---- skin and drawing -----------------------------------------------------------------

void TbsSkinCustomComboBox::GetSkinData() { TbsSkinComboLook::GetSkinData(); }

void TbsSkinCustomComboBox::ChangeSkinData()
{
    TbsSkinComboLook::ChangeSkinData();
    CalcRects();
    if (FEdit) ApplyEditFont();
    Invalidate();
    // The drop-down's entry comes from this skin's combo entry every time.
    FListBox->SetSkinDataName(FIndex != -1 ? ListBoxName : std::string());
    FListBox->SetSkinData(FSD);
    FListBox->UpDateScrollBar();
    CalcRects();
    if (FEdit && FIndex != -1)
    {
        int w = Width(), h = Height();
        CalcSize(w, h);
        if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
    }
}

bool TbsSkinCustomComboBox::HasOwnerDraw() const { return bool(OnComboBoxDrawItem); }

void TbsSkinCustomComboBox::DrawItemContent(TCanvas* C, int Index, TRect T, int W, int H, bool)
{
    if (OnComboBoxDrawItem)
    {
        OnComboBoxDrawItem(C, Index, W, H, T, CBItem.State);
        return;
    }
    if (FImages)
    {
        const int img = ImageIndex() >= 0 ? ImageIndex() : Index;
        if (img < FImages->Count())
            FImages->Draw(C, T.Left, T.Top + RectHeight(T) / 2 - FImages->GetHeight() / 2, img, true);
        T.Left += FImages->GetWidth() + 2;
    }
    const std::string text = Items()->Get(Index);
    C->Brush()->SetStyle(bsClear);
    if (TabWidths()->Count() > 0)
    {
        const std::vector<int> stops = bsTabStops(TabWidths());
        const int th = C->TextHeight(text.empty() ? std::string("W") : text);
        TabbedTextOut(C->GetHandle(), T.Left + 2, T.Top + RectHeight(T) / 2 - th / 2, text, int(stops.size()),
                      stops.data(), 0);
    }
    else
        DrawTextVCenter(C, text, T);
}

void TbsSkinCustomComboBox::PaintSkinTo(TCanvas* C, int X, int Y, const std::string& AText)
{
    if (Width() <= 0 || Height() <= 0) return;
    TBitmap b(Width(), Height(), pf32bit);
    GetSkinData();
    const std::string saved = GetText();
    SetText(AText);
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
        SetSkinFontOf(bc->Font(), FontName, FontStyle, FontHeight);
        bc->Font()->SetColor(TColor(FontColor));
    }
    bc->Brush()->SetStyle(bsClear);
    DrawTextVCenter(bc, AText, CBItem.R);
    C->Draw(X, Y, &b);
    SetText(saved);
}
