// The inner list of the skinned list box: a platform list box without
// border or non-client area that paints its items and background from the
// frame's look and reports its input and content changes to the frame.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>
#include <cstdint>

#include "lib/bsSkinBoxCtrls/Internal.h"

using namespace bsboxctrls;

std::vector<int> bsTabStops(const TStrings* tabs)
{
    std::vector<int> stops;
    if (!tabs) return stops;
    for (int i = 0; i < std::min(tabs->Count(), 10); ++i)
    {
        const std::string s = tabs->Get(i);
        int v = 0;
        bool digits = !s.empty();
        for (char c : s)
        {
            if (c < '0' || c > '9')
            {
                digits = false;
                break;
            }
            v = std::min(v * 10 + (c - '0'), 1 << 20);
        }
        stops.push_back(digits ? v : 0);
    }
    return stops;
}

TbsListBox::TbsListBox(TComponent* AOwner) : TListBox(AOwner)
{
    SetCtl3D(false);
    SetBorderStyle(bsNone);
    ControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks};
}

void TbsListBox::CreateParams(TCreateParams& Params)
{
    TListBox::CreateParams(Params);
    Params.Style &= ~WS_BORDER;
    Params.Style |= WS_TABSTOP;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    Params.WindowClass.style = CS_DBLCLKS;
}

void TbsListBox::CreateWnd()
{
    TListBox::CreateWnd();
    if (SkinListBox) SkinListBox->DoListBoxCreateWnd();
}

void TbsListBox::WndProc(TMessage& Message)
{
    if (!SkinListBox)
    {
        TListBox::WndProc(Message);
        return;
    }
    bool handled = false;
    SkinListBox->DoListBoxWndProc(Message, handled);
    if (!handled) return;
    // The frame or the list may go while a message is served (a click that
    // closes a dialog); after-effects only while both are there.
    const std::weak_ptr<char> alive = LifeToken();
    const int top = GetTopIndex(), count = Count();
    TListBox::WndProc(Message);
    if (alive.expired() || !SkinListBox) return;
    switch (Message.Msg)
    {
    case WM_ERASEBKGND:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
        SkinListBox->UpDateScrollBar();
        return;
    case WM_LBUTTONDBLCLK:
        SkinListBox->DoListBoxDblClick();
        return;
    case WM_MOUSEWHEEL:
    {
        const bool up = static_cast<std::int32_t>(Message.WParam) > 0;
        if (SkinListBox->ScrollBar)
        {
            SendMessage(GetHandle(), WM_VSCROLL, up ? SB_LINEUP : SB_LINEDOWN, 0);
            SkinListBox->UpDateScrollBar();
        }
        else if (TbsSkinScrollBar* h = SkinListBox->HScrollBar)
            h->SetPosition(h->Position() + (up ? -h->SmallChange() : h->SmallChange()));
        return;
    }
    case BSM_PRINTCLIENTTODC:
        if (Count() == 0 && Message.LParam == kPrintToDc2Magic)
        {
            if (Message.WParam) PaintBG(reinterpret_cast<HDC>(Message.WParam));
            Message.Result = kPrintToDc2Magic;
        }
        return;
    default: break;
    }
    // The platform's list does not erase after it scrolls: the bars follow
    // every message that moved the lines.
    if (GetTopIndex() != top || Count() != count) SkinListBox->UpDateScrollBar();
}

void TbsListBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_NCCALCSIZE:
        // No non-client area: the native bars take no room and never show,
        // their range and position stay for the frame to read.
        m.Result = 0;
        return;
    case WM_ERASEBKGND:
        if (Width() > 0 && Height() > 0) PaintBG(reinterpret_cast<HDC>(m.WParam));
        m.Result = 1;
        return;
    case CN_DRAWITEM:
    {
        const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(m.LParam);
        m.Result = TRUE;
        if (!d) return;
        TOwnerDrawState st;
        if (d->itemState & ODS_SELECTED) st.Include(odSelected);
        if (d->itemState & ODS_FOCUS) st.Include(odFocused);
        TCanvasPaintScope scope(Canvas(), d->hDC, &ControlState);
        Canvas()->Font()->Assign(Font());
        Canvas()->Brush()->Assign(Brush());
        PaintItem(Canvas(), int(d->itemID), d->rcItem, st);
        return;
    }
    case BSM_PRINTTODC:
        m.Result = kPrintToDcResult;
        return;
    case CM_ENTER:
        if (SkinListBox) SkinListBox->DoListBoxEnter();
        break;
    case CM_EXIT:
        if (SkinListBox) SkinListBox->DoListBoxExit();
        break;
    default: break;
    }
    TListBox::Dispatch(m);
}

void TbsListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const int oldWidth = Width();
    TListBox::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (Width() != oldWidth && FHorizontalExtentValue >= 1)
    {
        FHorizontalExtentValue = std::max(0, FHorizontalExtentValue + oldWidth - Width());
        Invalidate();
    }
}

void TbsListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (SkinListBox) SkinListBox->DoListBoxMouseDown(Button, Shift, X, Y);
    TListBox::MouseDown(Button, Shift, X, Y);
}

void TbsListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    if (SkinListBox) SkinListBox->DoListBoxMouseMove(Shift, X, Y);
    TListBox::MouseMove(Shift, X, Y);
}

void TbsListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (SkinListBox) SkinListBox->DoListBoxMouseUp(Button, Shift, X, Y);
    TListBox::MouseUp(Button, Shift, X, Y);
}

void TbsListBox::Click()
{
    if (SkinListBox) SkinListBox->DoListBoxClick();
    TListBox::Click();
}

void TbsListBox::KeyDown(WORD& Key, TShiftState Shift)
{
    if (SkinListBox)
    {
        SkinListBox->DoListBoxKeyDown(Key, Shift);
        if (TbsSkinScrollBar* h = SkinListBox->HScrollBar)
        {
            if (Key == VK_LEFT)
            {
                h->SetPosition(h->Position() - h->SmallChange());
                Key = 0;
            }
            else if (Key == VK_RIGHT)
            {
                h->SetPosition(h->Position() + h->SmallChange());
                Key = 0;
            }
        }
    }
    TListBox::KeyDown(Key, Shift);
}

void TbsListBox::KeyUp(WORD& Key, TShiftState Shift)
{
    if (SkinListBox) SkinListBox->DoListBoxKeyUp(Key, Shift);
    TListBox::KeyUp(Key, Shift);
}

void TbsListBox::KeyPress(char32_t& Key)
{
    if (SkinListBox) SkinListBox->DoListBoxKeyPress(Key);
    // Incremental search belongs to AutoComplete.
    if (SkinListBox && !SkinListBox->AutoComplete)
    {
        if (OnKeyPress) OnKeyPress(this, Key);
        return;
    }
    TListBox::KeyPress(Key);
}

TOwnerDrawState TbsListBox::GetItemState(int Index)
{
    if (Index == GetItemIndex())
    {
        TOwnerDrawState s{odSelected};
        if (Focused()) s.Include(odFocused);
        return s;
    }
    if (SelCount() > 0 && GetSelected(Index)) return TOwnerDrawState{odSelected};
    return {};
}

// ---- painting --------------------------------------------------------------------------

void TbsListBox::PaintWindow(HDC dc)
{
    if (Width() <= 0 || Height() <= 0) return;
    const int saved = SaveDC(dc);
    if (GetColumns() <= 0) PaintList(dc);
    else PaintColumnsList(dc);
    RestoreDC(dc, saved);
}

void TbsListBox::PaintList(HDC dc)
{
    TCanvasPaintScope scope(Canvas(), dc, &ControlState);
    const int h = GetItemHeight();
    const int last = std::min(Height() / h + GetTopIndex(), Count() - 1);
    int bottom = 0;
    for (int i = GetTopIndex(); i <= last; ++i)
    {
        const TRect r = ItemRect(i);
        PaintItem(Canvas(), i, r, GetItemState(i));
        bottom = r.Bottom;
    }
    if (bottom >= Height() || !SkinListBox) return;
    SkinListBox->GetSkinData();
    if (!SkinListBox->HasSkinEntry())
    {
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->Brush()->SetColor(clWindow);
        Canvas()->FillRect(TRect(0, bottom, Width(), Height()));
    }
    else
        DrawSkinBG(Canvas(), 0, bottom, Width(), Height() - bottom);
}

void TbsListBox::PaintColumnsList(HDC dc)
{
    TCanvasPaintScope scope(Canvas(), dc, &ControlState);
    const int last = std::min(GetTopIndex() + (Height() / GetItemHeight()) * GetColumns(), Count() - 1);
    for (int i = GetTopIndex(); i <= last; ++i) PaintItem(Canvas(), i, ItemRect(i), GetItemState(i));
}

void TbsListBox::PaintBG(HDC DC)
{
    if (!DC) return;
    TCanvas c;
    c.SetHandle(DC);
    if (SkinListBox) SkinListBox->GetSkinData();
    if (!SkinListBox || !SkinListBox->HasSkinEntry())
    {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(clWindow);
        c.FillRect(TRect(0, 0, Width(), Height()));
    }
    else
        DrawSkinBG(&c, 0, 0, Width(), Height());
    c.SetHandle(nullptr);
}

void TbsListBox::DrawSkinBG(TCanvas* C, int X, int Y, int W, int H)
{
    // The entry's client picture tiled from the top-left; a tile without
    // size (or no picture) draws nothing.
    TbsSkinCustomListBox* f = SkinListBox;
    if (!f || W <= 0 || H <= 0) return;
    TRect src = f->ClRect;
    OffsetRect(src, f->SkinRect.Left, f->SkinRect.Top);
    std::unique_ptr<TBitmap> tile = CopyPicturePart(f->Picture, src);
    if (!tile) return;
    TBitmap b(W, H, pf32bit);
    TileInto(b.Canvas(), tile.get(), TRect(0, 0, W, H));
    C->Draw(X, Y, &b);
}

void TbsListBox::ItemFont(TFont* f)
{
    TbsSkinCustomListBox* s = SkinListBox;
    if (s->UseSkinFont) SetSkinFontOf(f, s->FontName, s->FontStyle, s->FontHeight);
    else f->Assign(s->DefaultFont());
}

void TbsListBox::PaintItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State)
{
    if (Index < 0 || Index >= Count() || IsEmptyRect(R)) return;
    if (!SkinListBox || !SkinListBox->HasSkinEntry()) DrawDefaultItem(C, Index, R, State);
    else if (SkinListBox->UseSkinItemHeight()) DrawSkinItem(C, Index, R, State);
    else DrawStretchSkinItem(C, Index, R, State);
}

void TbsListBox::DrawContent(TCanvas* C, int Index, TRect TR, int W, int H, TOwnerDrawState State)
{
    TbsSkinCustomListBox* f = SkinListBox;
    if (f) SetStringTableCharset(C->Font(), f->SkinData(), f->DefaultFont());
    if (f && f->OnDrawItem)
    {
        f->OnDrawItem(C, Index, W, H, TR, State);
        return;
    }
    const int hev = FHorizontalExtentValue;
    int offset = 0;
    if (f && f->Images())
    {
        TCustomImageList* il = f->Images();
        const int img = f->ImageIndex() < 0 ? Index : f->ImageIndex();
        if (img < il->Count())
            il->Draw(C, TR.Left - hev, TR.Top + RectHeight(TR) / 2 - il->GetHeight() / 2, img, true);
        offset = il->GetWidth() + 2;
    }
    C->Brush()->SetStyle(bsClear);
    const std::string text = Items()->Get(Index);
    if (f && f->TabWidths()->Count() > 0 && GetColumns() == 0)
    {
        const std::vector<int> stops = bsTabStops(f->TabWidths());
        const int th = C->TextHeight(text.empty() ? std::string("W") : text);
        TabbedTextOut(C->GetHandle(), TR.Left + offset + 2, TR.Top + RectHeight(TR) / 2 - th / 2, text,
                      int(stops.size()), stops.data(), 0);
    }
    else
        DrawTextVCenterOffset(C, text, TR, offset - hev);
}

void TbsListBox::DrawDefaultItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State)
{
    TBitmap b(RectWidth(R), RectHeight(R), pf32bit);
    TCanvas* bc = b.Canvas();
    TFont* src = SkinListBox ? SkinListBox->Font() : Font();
    bc->Font()->Assign(src);
    bc->Brush()->SetStyle(bsSolid);
    if (State.Contains(odSelected))
    {
        bc->Brush()->SetColor(clHighlight);
        bc->Font()->SetColor(clHighlightText);
    }
    else
        bc->Brush()->SetColor(clWindow);
    bc->FillRect(TRect(0, 0, b.GetWidth(), b.GetHeight()));
    DrawContent(bc, Index, TRect(2, 0, b.GetWidth() - 2, b.GetHeight()), b.GetWidth(), b.GetHeight(), State);
    if (State.Contains(odFocused))
    {
        bc->Brush()->SetStyle(bsSolid);
        bc->DrawFocusRect(TRect(0, 0, b.GetWidth(), b.GetHeight()));
    }
    C->Draw(R.Left, R.Top, &b);
}

void TbsListBox::DrawSkinItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State)
{
    TbsSkinCustomListBox* f = SkinListBox;
    if (!f->Picture || IsEmptyRect(f->SItemRect)) return;
    const bool focused = State.Contains(odFocused), selected = State.Contains(odSelected);
    const int w = RectWidth(R);
    TBitmap b;
    if (focused && !selected)
        CreateHSkinImage(f->ItemLeftOffset, f->ItemRightOffset, &b, f->Picture, f->SItemRect, w,
                         RectHeight(f->SItemRect), f->StretchEffect);
    else if (focused)
        CreateHSkinImage(f->ItemLeftOffset, f->ItemRightOffset, &b, f->Picture, f->FocusItemRect, w,
                         RectHeight(f->FocusItemRect), f->StretchEffect);
    else if (selected)
        CreateHSkinImage(f->ItemLeftOffset, f->ItemRightOffset, &b, f->Picture, f->ActiveItemRect, w,
                         RectHeight(f->ActiveItemRect), f->StretchEffect);
    else
        CreateHSkinImage(f->ItemLeftOffset, f->ItemRightOffset, &b, f->Picture, f->SItemRect, w,
                         RectHeight(f->SItemRect), false);
    if (b.Empty()) return;
    TCanvas* bc = b.Canvas();
    if (focused && !selected) DrawDottedFocusRect(bc, TRect(0, 0, b.GetWidth(), b.GetHeight()));
    TRect TR = f->ItemTextRect;
    TR.Right += b.GetWidth() - RectWidth(f->SItemRect);
    ItemFont(bc->Font());
    bc->Font()->SetColor(TColor(selected && focused ? f->FocusFontColor
                                : selected          ? f->ActiveFontColor
                                                    : f->FontColor));
    if (!f->OnDrawItem && focused && f->ShowFocus)
    {
        bc->Brush()->SetStyle(bsSolid);
        bc->Brush()->SetColor(TColor(SkinBtnFace(f->SkinData())));
        DrawDottedFocusRect(bc, TRect(0, 0, b.GetWidth(), b.GetHeight()));
    }
    DrawContent(bc, Index, TR, b.GetWidth(), b.GetHeight(), State);
    C->Draw(R.Left, R.Top, &b);
}

void TbsListBox::DrawStretchSkinItem(TCanvas* C, int Index, const TRect& R, TOwnerDrawState State)
{
    TbsSkinCustomListBox* f = SkinListBox;
    if (!f->Picture) return;
    const bool focused = State.Contains(odFocused), selected = State.Contains(odSelected);
    const TRect src = focused ? f->FocusItemRect : selected ? f->ActiveItemRect : f->SItemRect;
    if (IsEmptyRect(src)) return;
    const int w = RectWidth(R), h = RectHeight(R);
    TBitmap b(w, h, pf32bit);
    TRect margins = f->ItemTextRect;
    InflateRect(margins, -1, -1);
    CreateSkinImageByClRect(&b, f->Picture, src, margins, true);
    TRect TR = f->ItemTextRect;
    TR.Right += w - RectWidth(f->SItemRect);
    TR.Bottom += h - RectHeight(f->SItemRect);
    TCanvas* bc = b.Canvas();
    ItemFont(bc->Font());
    bc->Font()->SetColor(TColor(focused ? f->FocusFontColor : selected ? f->ActiveFontColor : f->FontColor));
    if (!f->OnDrawItem && focused && f->ShowFocus)
    {
        bc->Brush()->SetStyle(bsSolid);
        bc->Brush()->SetColor(TColor(SkinBtnFace(f->SkinData())));
        DrawDottedFocusRect(bc, TRect(0, 0, w, h));
    }
    DrawContent(bc, Index, TR, w, RectHeight(f->SItemRect), State);
    C->Draw(R.Left, R.Top, &b);
}
