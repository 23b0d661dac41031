// What both skinned combo boxes share: the "combobox" entry's look fields,
// the layout of button and item area, the default and skinned bodies and
// buttons, the item backgrounds, the tool-button looks, the auto-scroll
// timer of the drop-down tracking and the hook that closes an open list on
// a press elsewhere.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>

#include "lib/bsSkinBoxCtrls/Internal.h"
#include "platform/gui/Forms.h"

using namespace bsboxctrls;

namespace
{
constexpr unsigned kAutoScrollMs = 25;
constexpr TColor kHotFill = TColor(RGB(182, 189, 210)), kDownFill = TColor(RGB(133, 147, 181));

void FrameFill(TCanvas* C, const TRect& r, TColor frame, TColor fill)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(frame);
    C->FrameRect(r);
    TRect in = r;
    InflateRect(in, -1, -1);
    C->Brush()->SetColor(fill);
    C->FillRect(in);
}

// A button entry composed at w x h from a state rectangle.
void ComposeButtonEntry(TBitmap* out, const TbsDataSkinButtonControl& e, TBitmap* pic, const TRect& state, int w,
                        int h)
{
    const int dx = w - RectWidth(e.SkinRect), dy = h - RectHeight(e.SkinRect);
    TRect cl = e.ClRect;
    cl.Right += dx;
    cl.Bottom += dy;
    out->SetSize(w, h);
    CreateSkinImage(e.LTPoint, e.RTPoint, e.LBPoint, e.RBPoint, e.ClRect, e.LTPoint,
                    TPoint(e.RTPoint.X + dx, e.RTPoint.Y), TPoint(e.LBPoint.X, e.LBPoint.Y + dy),
                    TPoint(e.RBPoint.X + dx, e.RBPoint.Y + dy), cl, out, pic, state, w, h, true, e.LeftStretch,
                    e.TopStretch, e.RightStretch, e.BottomStretch, e.StretchEffect, e.StretchType);
}

const TbsDataSkinButtonControl* ButtonEntry(const TbsSkinData* sd, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (const auto* e =
                dynamic_cast<const TbsDataSkinButtonControl*>(bsSkinControlEntry(sd, bsSkinControlIndex(sd, n))))
            return e;
    return nullptr;
}

TRect OrRect(const TRect& r, const TRect& fallback) { return IsEmptyRect(r) ? fallback : r; }
} // namespace

TbsSkinComboLook::TbsSkinComboLook(TComponent* AOwner) : TbsSkinCustomControl(AOwner)
{
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable};
    tabStop_ = true;
    Font()->SetName("Arial");
    Font()->SetColor(clWindowText);
    Font()->SetStyle(TFontStyles{});
    Font()->SetHeight(14);
    width_ = 120;
    height_ = 20;
    FSkinDataName = "combobox";
}

TbsSkinComboLook::~TbsSkinComboLook()
{
    UnhookPresses();
    StopTimer(FScrollTimer);
}

void TbsSkinComboLook::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) FImages = nullptr;
}

void TbsSkinComboLook::SetDefaultColor(TColor Value)
{
    FDefaultColor = Value;
    if (FIndex == -1) Invalidate();
}

void TbsSkinComboLook::DefaultFontChanged() { Font()->Assign(DefaultFont()); }

void TbsSkinComboLook::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    const auto* d = dynamic_cast<const TbsDataSkinComboBox*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    ActiveSkinRect = d->ActiveSkinRect;
    ActiveFontColor = d->ActiveFontColor;
    FontName = d->FontName;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    SItemRect = d->SItemRect;
    FocusItemRect = OrRect(d->FocusItemRect, SItemRect);
    ActiveItemRect = d->ActiveItemRect;
    ItemLeftOffset = d->ItemLeftOffset;
    ItemRightOffset = d->ItemRightOffset;
    ItemTextRect = d->ItemTextRect;
    FontColor = d->FontColor;
    FocusFontColor = d->FocusFontColor;
    ButtonRect = d->ButtonRect;
    ActiveButtonRect = d->ActiveButtonRect;
    DownButtonRect = d->DownButtonRect;
    UnEnabledButtonRect = d->UnEnabledButtonRect;
    ListBoxName = d->ListBoxName;
    ItemStretchEffect = d->ItemStretchEffect;
    FocusItemStretchEffect = d->FocusItemStretchEffect;
    ShowFocus = d->ShowFocus;
}

void TbsSkinComboLook::CalcRects()
{
    const int W = Width(), H = Height();
    if (FIndex == -1 || FToolButtonStyle)
    {
        Button.R = TRect(W - 19, 2, W - 2, H - 2);
        CBItem.R = TRect(2, 2, Button.R.Left - 1, H - 2);
        return;
    }
    const int dx = W - RectWidth(SkinRect);
    Button.R = ButtonRect;
    if (ButtonRect.Left >= RectWidth(SkinRect) - RTPt.X) OffsetRect(Button.R, dx, 0);
    CBItem.R = ClRect;
    CBItem.R.Right += dx;
    if (!FUseSkinSize)
    {
        const int dy = H - RectHeight(SkinRect);
        CBItem.R.Bottom += dy;
        Button.R.Bottom += dy;
    }
}

void TbsSkinComboLook::CalcSize(int& AWidth, int& AHeight)
{
    if (FUseSkinSize)
    {
        TbsSkinCustomControl::CalcSize(AWidth, AHeight);
        return;
    }
    if (FIndex == -1) return;
    NewLTPoint = LTPt;
    NewRTPoint = TPoint(RTPt.X + AWidth - RectWidth(SkinRect), RTPt.Y);
    NewClRect = ClRect;
    NewClRect.Right += AWidth - RectWidth(SkinRect);
}

void TbsSkinComboLook::SetControlRegion()
{
    if (FUseSkinSize) TbsSkinCustomControl::SetControlRegion();
}

bool TbsSkinComboLook::HasFocus() { return Focused(); }

// ---- looks --------------------------------------------------------------------------

void TbsSkinComboLook::CreateControlDefaultImage(TBitmap* B)
{
    CalcRects();
    TCanvas* C = B->Canvas();
    if (FToolButtonStyle)
    {
        DrawDefaultToolButton(C);
        return;
    }
    DrawDefaultBody(C);
    DrawDefaultButton(C);
    if (!HasEdit()) DrawDefaultItem(C);
}

void TbsSkinComboLook::CreateControlSkinImage(TBitmap* B)
{
    CalcRects();
    TCanvas* C = B->Canvas();
    if (FToolButtonStyle)
    {
        DrawSkinToolButton(C);
        return;
    }
    const bool active = FocusedOrHot() && !IsEmptyRect(ActiveSkinRect);
    if (FUseSkinSize)
    {
        if (active && Picture)
        {
            TBitmap b;
            CreateHSkinImage(LTPt.X, RectWidth(ActiveSkinRect) - RTPt.X, &b, Picture, ActiveSkinRect, Width(),
                             RectHeight(ActiveSkinRect), StretchEffect);
            C->Draw(0, 0, &b);
        }
        else
            TbsSkinCustomControl::CreateControlSkinImage(B);
        DrawSkinButton(C);
        if (!HasEdit()) DrawSkinItem(C);
    }
    else
    {
        if (Picture)
        {
            TBitmap b(Width(), Height(), pf32bit);
            CreateSkinImageByClRect(&b, Picture, active ? ActiveSkinRect : SkinRect, ClRect, true);
            C->Draw(0, 0, &b);
        }
        DrawResizeButton(C);
        if (!HasEdit()) DrawResizeSkinItem(C);
    }
}

void TbsSkinComboLook::DrawDefaultBody(TCanvas* C)
{
    const TRect r(0, 0, Width(), Height());
    FrameFill(C, r, clBtnShadow, clBtnFace);
    TRect in = r;
    InflateRect(in, -2, -2);
    C->Brush()->SetColor(FDefaultColor);
    C->FillRect(in);
}

void TbsSkinComboLook::DrawDefaultButton(TCanvas* C)
{
    const bool down = Button.Down && Button.MouseIn;
    if (down) FrameFill(C, Button.R, clNavy, kDownFill);
    else if (Button.MouseIn) FrameFill(C, Button.R, clNavy, kHotFill);
    else FrameFill(C, Button.R, clBtnShadow, clBtnFace);
    DrawArrowGlyph(C, Button.R, GetEnabled() ? RGB(0, 0, 0) : ColorToRGB(clBtnShadow), 4);
}

void TbsSkinComboLook::DrawSkinButton(TCanvas* C)
{
    if (!Picture) return;
    TRect src;
    if (!GetEnabled() && !IsEmptyRect(UnEnabledButtonRect)) src = UnEnabledButtonRect;
    else if (Button.Down && Button.MouseIn) src = DownButtonRect;
    else if (Button.MouseIn) src = ActiveButtonRect;
    if (IsEmptyRect(src)) return;
    C->CopyRect(Button.R, Picture->Canvas(), src);
}

void TbsSkinComboLook::DrawResizeButton(TCanvas* C)
{
    const TbsDataSkinButtonControl* e = ButtonEntry(FSD, {"combobutton", "editbutton", "resizebutton"});
    if (!e || IsEmptyRect(Button.R)) return;
    TBitmap* pic = bsSkinActiveBitmap(FSD, e->PictureIndex);
    if (!pic) return;
    const bool down = Button.Down && Button.MouseIn;
    TRect state = e->SkinRect;
    int marker = e->FontColor;
    if (down)
    {
        state = OrRect(OrRect(e->DownSkinRect, e->ActiveSkinRect), e->SkinRect);
        marker = e->DownFontColor;
    }
    else if (Button.MouseIn)
    {
        state = OrRect(e->ActiveSkinRect, e->SkinRect);
        marker = e->ActiveFontColor;
    }
    const int w = RectWidth(Button.R), h = RectHeight(Button.R);
    TBitmap b;
    ComposeButtonEntry(&b, *e, pic, state, w, h);
    if (IsEmptyRect(e->MenuMarkerRect))
    {
        if (GetEnabled()) DrawArrowGlyph(b.Canvas(), TRect(0, down ? 2 : 0, w, h), COLORREF(marker), 4);
    }
    else if (Picture)
    {
        TRect m = e->MenuMarkerRect;
        if (down && !IsEmptyRect(e->MenuMarkerDownRect)) m = e->MenuMarkerDownRect;
        else if (Button.MouseIn && !IsEmptyRect(e->MenuMarkerActiveRect)) m = e->MenuMarkerActiveRect;
        const int mx = w / 2 - RectWidth(m) / 2, my = h / 2 - RectHeight(m) / 2 + (down ? 1 : 0);
        b.Canvas()->BrushCopy(TRect(mx, my, mx + RectWidth(m), my + RectHeight(m)), Picture, m,
                              TColor(e->MenuMarkerTransparentColor));
    }
    C->Draw(Button.R.Left, Button.R.Top, &b);
}

void TbsSkinComboLook::SkinItemFont(TFont* f, int color)
{
    if (UseSkinFont) SetSkinFontOf(f, FontName, FontStyle, FontHeight);
    else f->Assign(DefaultFont());
    f->SetCharset(ItemCharset(FSD, DefaultFont()));
    f->SetColor(TColor(color));
}

void TbsSkinComboLook::DrawDefaultItem(TCanvas* C)
{
    if (RectWidth(CBItem.R) <= 0) return;
    CBItem.State = HasFocus() ? TOwnerDrawState{odFocused} : TOwnerDrawState{};
    const bool focused = CBItem.State.Contains(odFocused);
    TBitmap b(RectWidth(CBItem.R), std::max(1, RectHeight(CBItem.R)), pf32bit);
    TCanvas* bc = b.Canvas();
    bc->Font()->Assign(Font());
    bc->Font()->SetCharset(ItemCharset(FSD, DefaultFont()));
    bc->Brush()->SetStyle(bsSolid);
    bc->Brush()->SetColor(focused ? clHighlight : FDefaultColor);
    bc->Font()->SetColor(focused ? clHighlightText : DefaultFont()->GetColor());
    bc->FillRect(TRect(0, 0, b.GetWidth(), b.GetHeight()));
    const int index = ShownIndex();
    if (index >= 0 && index < ItemCount())
        DrawItemContent(bc, index, TRect(2, 0, b.GetWidth() - 2, b.GetHeight()), b.GetWidth(), b.GetHeight(),
                        false);
    if (focused) DrawDottedFocusRect(bc, TRect(0, 0, b.GetWidth(), b.GetHeight()));
    C->Draw(CBItem.R.Left, CBItem.R.Top, &b);
}

void TbsSkinComboLook::ItemBackground(TCanvas* C, TBitmap* b, const TRect& pic, bool stretch, bool resizable)
{
    const int W = RectWidth(CBItem.R), H = RectHeight(CBItem.R);
    if (IsEmptyRect(pic) || !Picture)
    {
        b->SetSize(W, H);
        b->Canvas()->CopyRect(TRect(0, 0, W, H), C, CBItem.R);
        return;
    }
    if (!resizable)
    {
        CreateHSkinImage(ItemLeftOffset, ItemRightOffset, b, Picture, pic, W, RectHeight(pic), stretch);
        return;
    }
    // Resized around the text rectangle, corrected for a picture of another size.
    TRect R = ItemTextRect;
    InflateRect(R, -1, -1);
    R.Right -= RectWidth(SItemRect) - RectWidth(pic);
    R.Top -= RectHeight(SItemRect) - RectHeight(pic);
    if (&pic == &SItemRect) R = ItemTextRect;
    b->SetSize(W, H);
    CreateSkinImageByClRect(b, Picture, pic, R, true);
}

void TbsSkinComboLook::DrawSkinItem(TCanvas* C)
{
    const int W = RectWidth(CBItem.R);
    if (W <= 0) return;
    CBItem.State = HasFocus() ? TOwnerDrawState{odFocused} : TOwnerDrawState{};
    const bool focused = CBItem.State.Contains(odFocused);
    const bool hot = FMouseIn && !IsEmptyRect(ActiveItemRect) && !IsEmptyRect(ActiveSkinRect);
    TBitmap b;
    if (focused) ItemBackground(C, &b, FocusItemRect, FocusItemStretchEffect, false);
    else if (hot) ItemBackground(C, &b, ActiveItemRect, ItemStretchEffect, false);
    else ItemBackground(C, &b, SItemRect, ItemStretchEffect, false);
    if (b.Empty()) return;
    TRect T = ItemTextRect;
    T.Right += W - RectWidth(IsEmptyRect(SItemRect) ? ClRect : SItemRect);
    int color = focused ? FocusFontColor : FMouseIn && !IsEmptyRect(ActiveSkinRect) ? ActiveFontColor : FontColor;
    if (!GetEnabled()) color = DisabledTextColor(FSD);
    TCanvas* bc = b.Canvas();
    SkinItemFont(bc->Font(), color);
    bc->Brush()->SetStyle(bsClear);
    const int index = ShownIndex();
    if (index >= 0 && index < ItemCount())
    {
        ResizeItemFocus(bc, b, focused);
        DrawItemContent(bc, index, T, b.GetWidth(), b.GetHeight(), false);
    }
    C->Draw(CBItem.R.Left, CBItem.R.Top, &b);
}

void TbsSkinComboLook::DrawResizeSkinItem(TCanvas* C)
{
    const int W = RectWidth(CBItem.R);
    if (W <= 0 || RectHeight(CBItem.R) <= 0) return;
    CBItem.State = HasFocus() ? TOwnerDrawState{odFocused} : TOwnerDrawState{};
    const bool focused = CBItem.State.Contains(odFocused);
    const bool hot = FMouseIn && !IsEmptyRect(ActiveItemRect) && !IsEmptyRect(ActiveSkinRect);
    TBitmap b;
    if (focused && !IsEmptyRect(FocusItemRect)) ItemBackground(C, &b, FocusItemRect, true, true);
    else if (hot) ItemBackground(C, &b, ActiveItemRect, true, true);
    else ItemBackground(C, &b, SItemRect, true, true);
    TRect T = ItemTextRect;
    T.Right += W - RectWidth(IsEmptyRect(SItemRect) ? ClRect : SItemRect);
    T.Bottom += Height() - RectHeight(SkinRect);
    const int color = focused ? FocusFontColor : FMouseIn && !IsEmptyRect(ActiveSkinRect) ? ActiveFontColor : FontColor;
    TCanvas* bc = b.Canvas();
    SkinItemFont(bc->Font(), color);
    bc->Brush()->SetStyle(bsClear);
    const int index = ShownIndex();
    if (index >= 0 && index < ItemCount())
    {
        ResizeItemFocus(bc, b, focused);
        DrawItemContent(bc, index, T, b.GetWidth(), b.GetHeight(), false);
    }
    C->Draw(CBItem.R.Left, CBItem.R.Top, &b);
}

void TbsSkinComboLook::ResizeItemFocus(TCanvas* bc, TBitmap& b, bool focused)
{
    if (!focused || !ShowFocus || HasOwnerDraw()) return;
    bc->Brush()->SetStyle(bsSolid);
    bc->Brush()->SetColor(TColor(SkinBtnFace(FSD)));
    DrawDottedFocusRect(bc, TRect(0, 0, b.GetWidth(), b.GetHeight()));
    bc->Brush()->SetStyle(bsClear);
}

void TbsSkinComboLook::DrawToolButtonContent(TCanvas* C, const TRect& T)
{
    const int index = ShownIndex();
    if (index >= 0 && index < ItemCount()) DrawItemContent(C, index, T, Width(), Height(), true);
}

void TbsSkinComboLook::DrawDefaultToolButton(TCanvas* C)
{
    const int W = Width(), H = Height();
    const TRect r(0, 0, W, H);
    if (FDropDown) FrameFill(C, r, clNavy, kDownFill);
    else if (FMouseIn || HasFocus()) FrameFill(C, r, clNavy, kHotFill);
    else FrameFill(C, r, clBtnShadow, clBtnFace);
    TRect text(2, 2, W - 17, H - 2), arrow(W - 15, 0, W, H);
    if (FDropDown)
    {
        text.Left += 2, text.Top += 2;
        arrow.Left += 2, arrow.Top += 2;
    }
    C->Font()->Assign(DefaultFont());
    C->Brush()->SetStyle(bsClear);
    DrawToolButtonContent(C, text);
    DrawSmallDownArrow(C, arrow, ColorToRGB(C->Font()->GetColor()));
}

void TbsSkinComboLook::DrawSkinToolButton(TCanvas* C)
{
    const TbsDataSkinButtonControl* e = ButtonEntry(FSD, {"resizetoolbutton", "resizebutton"});
    if (!e) return;
    TBitmap* pic = bsSkinActiveBitmap(FSD, e->PictureIndex);
    if (!pic) return;
    const int W = Width(), H = Height();
    TRect state = FDropDown ? e->DownSkinRect : FocusedOrHot() ? e->ActiveSkinRect : e->SkinRect;
    state = OrRect(state, e->SkinRect);
    state = OrRect(state, e->ActiveSkinRect);
    TBitmap b;
    ComposeButtonEntry(&b, *e, pic, state, W, H);
    C->Draw(0, 0, &b);
    TRect text(2, 2, W - 17, H - 2), arrow(W - 15, 0, W, H);
    if (FDropDown)
    {
        text.Left += 2, text.Top += 2;
        arrow.Left += 2, arrow.Top += 2;
    }
    if (UseSkinFont) SetSkinFontOf(C->Font(), e->FontName, e->FontStyle, e->FontHeight);
    else C->Font()->Assign(DefaultFont());
    C->Font()->SetCharset(ItemCharset(FSD, DefaultFont()));
    const int color = FDropDown ? e->DownFontColor : FocusedOrHot() ? e->ActiveFontColor
                      : GetEnabled()                                 ? e->FontColor
                                                                     : e->DisabledFontColor;
    C->Font()->SetColor(TColor(color));
    C->Brush()->SetStyle(bsClear);
    DrawToolButtonContent(C, text);
    if (!IsEmptyRect(e->MenuMarkerRect))
    {
        TRect m = e->MenuMarkerRect;
        if (FDropDown && !IsEmptyRect(e->MenuMarkerDownRect)) m = e->MenuMarkerDownRect;
        else if ((FDropDown || FMouseIn) && !IsEmptyRect(e->MenuMarkerActiveRect)) m = e->MenuMarkerActiveRect;
        const int mx = arrow.Left + RectWidth(arrow) / 2 - RectWidth(m) / 2;
        const int my = arrow.Top + RectHeight(arrow) / 2 - RectHeight(m) / 2;
        C->BrushCopy(TRect(mx, my, mx + RectWidth(m), my + RectHeight(m)), pic, m,
                     TColor(e->MenuMarkerTransparentColor));
    }
    else
        DrawSmallDownArrow(C, arrow, FDropDown ? COLORREF(e->DownFontColor) : ColorToRGB(C->Font()->GetColor()));
}

// ---- drop-down helpers --------------------------------------------------------------

void TbsSkinComboLook::StartAutoScroll(int mode)
{
    if (TimerMode == mode) return;
    TimerMode = mode;
    StartTimer(FScrollTimer, kAutoScrollMs, [this] { AutoScrollStep(); });
}

void TbsSkinComboLook::StopAutoScroll()
{
    StopTimer(FScrollTimer);
    TimerMode = 0;
}

void TbsSkinComboLook::HookPresses()
{
    if (!Application || FHook) return;
    FHookApp = Application;
    FHook = Application->HookOnMessage([this](TMsg& msg, bool&) {
        const UINT m = msg.message;
        const bool press = m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN ||
                           m == WM_NCLBUTTONDOWN || m == WM_NCRBUTTONDOWN || m == WM_NCMBUTTONDOWN;
        if (press && IsPopupVisible() && !IsOwnWindow(msg.hwnd)) CloseUp(false);
    });
}

void TbsSkinComboLook::UnhookPresses()
{
    if (FHook && Application == FHookApp) Application->UnhookOnMessage(FHook);
    FHook = 0;
    FHookApp = nullptr;
}

void TbsSkinComboLook::CMMouseEnter(TMessage& m)
{
    TbsSkinCustomControl::CMMouseEnter(m);
    FMouseIn = true;
    if ((FIndex != -1 && !IsEmptyRect(ActiveSkinRect)) || FToolButtonStyle) Invalidate();
}

void TbsSkinComboLook::CMMouseLeave(TMessage& m)
{
    TbsSkinCustomControl::CMMouseLeave(m);
    FMouseIn = false;
    if (Button.MouseIn)
    {
        Button.MouseIn = false;
        Invalidate();
    }
    if ((FIndex != -1 && !IsEmptyRect(ActiveSkinRect)) || FToolButtonStyle) Invalidate();
}

void TbsSkinComboLook::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_SIZE:
        TbsSkinCustomControl::Dispatch(m);
        CalcRects();
        return;
    case CM_WANTSPECIALKEY:
        TbsSkinCustomControl::Dispatch(m);
        if (m.WParam >= VK_LEFT && m.WParam <= VK_DOWN) m.Result = 1;
        return;
    default: break;
    }
    TbsSkinCustomControl::Dispatch(m);
}
