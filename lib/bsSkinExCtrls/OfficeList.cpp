// The office list box and its rows: layout, painting (skinned and default),
// scrolling with its own skinned bar, selection by mouse and keys (headers
// and disabled rows skipped), and its popup window.
#include "lib/bsSkinExCtrls.h"

#include <algorithm>
#include <cstdint>

#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls/Common.h"
#include "platform/gui/Forms.h"

namespace
{
bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

template <class E>
const E* Entry(const TbsSkinData* sd, const char* name)
{
    return dynamic_cast<const E*>(bsSkinControlEntry(sd, bsSkinControlIndex(sd, name)));
}
} // namespace

// ---- rows ------------------------------------------------------------------------------

TbsSkinOfficeItem::TbsSkinOfficeItem(TCollection* Collection) : TCollectionItem(Collection)
{
    if (auto* items = dynamic_cast<TbsSkinOfficeItems*>(Collection))
        Active = items->OfficeListBox && Index() == items->OfficeListBox->FItemIndex;
}

void TbsSkinOfficeItem::Assign(const TPersistent* Source)
{
    if (const auto* o = dynamic_cast<const TbsSkinOfficeItem*>(Source))
    {
        FImageIndex = o->FImageIndex;
        FCaption = o->FCaption;
        FTitle = o->FTitle;
        FEnabled = o->FEnabled;
        FHeader = o->FHeader;
        Changed(false);
        return;
    }
    TCollectionItem::Assign(Source);
}

void TbsSkinOfficeItem::SetImageIndex(int Value)
{
    FImageIndex = Value;
    Changed(false);
}
void TbsSkinOfficeItem::SetTitle(const std::string& Value)
{
    FTitle = Value;
    Changed(false);
}
void TbsSkinOfficeItem::SetCaption(const std::string& Value)
{
    FCaption = Value;
    Changed(false);
}
void TbsSkinOfficeItem::SetEnabled(bool Value)
{
    FEnabled = Value;
    Changed(false);
}
void TbsSkinOfficeItem::SetHeader(bool Value)
{
    FHeader = Value;
    Changed(false);
}

TbsSkinOfficeItems::TbsSkinOfficeItems(TbsSkinOfficeListBox* AListBox)
    : TCollection(CollectionItemClass<TbsSkinOfficeItem>()), OfficeListBox(AListBox)
{
}

TPersistent* TbsSkinOfficeItems::GetOwner() const { return OfficeListBox; }

void TbsSkinOfficeItems::Update(TCollectionItem*)
{
    if (!OfficeListBox) return;
    // A row being constructed reports itself before it is a complete row.
    for (int i = 0; i < Count(); ++i)
        if (!dynamic_cast<TbsSkinOfficeItem*>(TCollection::Items(i))) return;
    OfficeListBox->Invalidate();
    OfficeListBox->UpdateScrollInfo();
}

TbsSkinOfficeItem* TbsSkinOfficeItems::Add()
{
    auto* i = static_cast<TbsSkinOfficeItem*>(TCollection::Add());
    if (OfficeListBox) OfficeListBox->Invalidate();
    return i;
}

TbsSkinOfficeItem* TbsSkinOfficeItems::Insert(int Index)
{
    auto* i = static_cast<TbsSkinOfficeItem*>(TCollection::Insert(Index));
    if (OfficeListBox) OfficeListBox->Invalidate();
    return i;
}

void TbsSkinOfficeItems::Delete(int Index)
{
    TCollection::Delete(Index);
    if (OfficeListBox) OfficeListBox->Invalidate();
}

void TbsSkinOfficeItems::Clear()
{
    TCollection::Clear();
    if (OfficeListBox) OfficeListBox->Invalidate();
}

// ---- list ------------------------------------------------------------------------------

TbsSkinOfficeListBox::TbsSkinOfficeListBox(TComponent* AOwner)
    : TbsSkinCustomControl(AOwner), FItems(std::make_unique<TbsSkinOfficeItems>(this))
{
    ControlStyle.Include(csAcceptsControls);
    ControlStyle.Include(csReplicatable);
    width_ = 150;
    height_ = 150;
    tabStop_ = true;
    FSkinDataName = "listbox";
}

TbsSkinOfficeListBox::~TbsSkinOfficeListBox()
{
    FItems->OfficeListBox = nullptr;
    delete ScrollBar;
    ScrollBar = nullptr;
}

void TbsSkinOfficeListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == ScrollBar) ScrollBar = nullptr;
}

void TbsSkinOfficeListBox::SetItems(const TbsSkinOfficeItems* Value)
{
    FItems->Assign(Value);
    Invalidate();
    UpdateScrollInfo();
}

void TbsSkinOfficeListBox::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
}

void TbsSkinOfficeListBox::SetShowItemTitles(bool Value)
{
    if (FShowItemTitles == Value) return;
    FShowItemTitles = Value;
    Invalidate();
}

void TbsSkinOfficeListBox::SetItemHeight(int Value)
{
    if (FItemHeight == Value || Value <= 0) return;
    FItemHeight = Value;
    Invalidate();
}

void TbsSkinOfficeListBox::SetHeaderHeight(int Value)
{
    if (FHeaderHeight == Value || Value <= 0) return;
    FHeaderHeight = Value;
    Invalidate();
}

void TbsSkinOfficeListBox::SetShowLines(bool Value)
{
    if (FShowLines == Value) return;
    FShowLines = Value;
    Invalidate();
}

int TbsSkinOfficeListBox::CalcHeight(int AItemCount)
{
    const int n = std::min(AItemCount, FItems->Count());
    GetSkinData();
    if (FIndex == -1) return n * FItemHeight + 5;
    int w = Width(), h = Height();
    CalcSize(w, h);
    return n * FItemHeight + Height() - RectHeight(NewClRect) + 1;
}

void TbsSkinOfficeListBox::CalcItemRects()
{
    FRealMax = 0;
    if (FIndex == -1) FItemsRect = TRect(2, 2, Width() - 2, Height() - 2);
    else
    {
        NewClRect = ClRect;
        NewClRect.Right += Width() - RectWidth(SkinRect);
        NewClRect.Bottom += Height() - RectHeight(SkinRect);
        FItemsRect = NewClRect;
    }
    if (ScrollBar) FItemsRect.Right -= ScrollBar->Width();
    int y = FItemsRect.Top;
    for (int i = 0; i < FItems->Count(); ++i)
    {
        TbsSkinOfficeItem* it = FItems->Items(i);
        const int h = it->Header() ? FHeaderHeight : FItemHeight;
        it->ItemRect = TRect(FItemsRect.Left, y - FScrollOffset, FItemsRect.Right, y + h - FScrollOffset);
        it->IsVisible = RectTopOrBottomInRect(it->ItemRect, FItemsRect) ||
                        (it->ItemRect.Top <= FItemsRect.Top && it->ItemRect.Bottom >= FItemsRect.Bottom);
        if (it->IsVisible) FRealMax = it->ItemRect.Bottom;
        y += h;
    }
    FMax = y;
}

// ---- painting --------------------------------------------------------------------------

void TbsSkinOfficeListBox::CreateControlDefaultImage(TBitmap* B)
{
    TCanvas* C = B->Canvas();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnShadow);
    C->FrameRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
    C->Brush()->SetColor(clWindow);
    C->FillRect(TRect(2, 2, B->GetWidth() - 2, B->GetHeight() - 2));
    DrawRows(C);
}

void TbsSkinOfficeListBox::CreateControlSkinImage(TBitmap* B)
{
    TbsSkinCustomControl::CreateControlSkinImage(B);
    DrawRows(B->Canvas());
}

void TbsSkinOfficeListBox::DrawRows(TCanvas* C)
{
    CalcItemRects();
    HDC dc = C->GetHandle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, FItemsRect.Left, FItemsRect.Top, FItemsRect.Right, FItemsRect.Bottom);
    for (int i = 0; i < FItems->Count(); ++i)
        if (FItems->Items(i)->IsVisible) DrawItem(i, C);
    RestoreDC(dc, saved);
    C->Refresh();
}

void TbsSkinOfficeListBox::DrawItem(int Index, TCanvas* C)
{
    if (FIndex == -1) DefaultDrawItem(Index, C);
    else SkinDrawItem(Index, C);
}

void TbsSkinOfficeListBox::DrawRowContent(int Index, TCanvas* C, TRect R, bool skinned)
{
    TbsSkinOfficeItem* it = FItems->Items(Index);
    if (OnDrawItem)
    {
        C->Brush()->SetStyle(bsClear);
        OnDrawItem(C, Index, R);
        return;
    }
    C->Brush()->SetStyle(bsClear);
    if (!it->Title().empty() && FShowItemTitles)
    {
        TFontStyles st = C->Font()->GetStyle();
        st.Include(fsBold);
        C->Font()->SetStyle(st);
        const int th = C->TextHeight(it->Title());
        TRect tr(R.Left, R.Top, R.Right, R.Top + th);
        DrawTextUnicode(C, it->Title(), tr, 0);
        st.Exclude(fsBold);
        C->Font()->SetStyle(st);
        R.Top += th;
    }
    if (FImages && it->ImageIndex() >= 0 && it->ImageIndex() < FImages->Count())
    {
        DrawImageAndText2(C, R, 0, 2, blGlyphLeft, it->Caption(), it->ImageIndex(), FImages, false, it->Enabled(),
                          false, 0);
        return;
    }
    if (FShowItemTitles) R.Left += 10;
    TRect m(0, 0, std::max(1, RectWidth(R)), 0);
    DrawTextUnicode(C, it->Caption(), m, DT_CALCRECT | DT_WORDBREAK);
    const int h = RectHeight(m);
    const int top = std::max(R.Top, R.Top + RectHeight(R) / 2 - h / 2);
    TRect tr(R.Left, top, R.Left + RectWidth(m), top + h);
    DrawTextUnicode(C, it->Caption(), tr, skinned ? (DT_EXPANDTABS | DT_WORDBREAK) : DT_WORDBREAK);
}

void TbsSkinOfficeListBox::SkinDrawItem(int Index, TCanvas* C)
{
    TbsSkinOfficeItem* it = FItems->Items(Index);
    if (it->Header())
    {
        SkinDrawHeaderItem(Index, C);
        return;
    }
    const auto* d = Entry<TbsDataSkinListBox>(FSD, "listbox");
    if (!d) return;
    TRect Cr = it->ItemRect;
    InflateRect(Cr, -2, -2);
    if (d->FontColor == 0 && FDisabledFontColor == 0) FDisabledFontColor = clGray;
    const auto setFont = [&](TFont* f, int color) {
        if (UseSkinFont) bsctrls::SetSkinFont(f, d->FontName, d->FontStyle, d->FontHeight);
        else f->Assign(DefaultFont());
        f->SetColor(TColor(color));
        bsctrls::SetStringTableCharset(f, FSD, DefaultFont());
    };
    const int normal = it->Enabled() ? (FSkinDataName == "listbox" || FSkinDataName == "memo"
                                            ? d->FontColor
                                            : (FSD ? FSD->FSkinColors.FcBtnText : 0))
                                     : FDisabledFontColor;
    TBitmap* pic = bsSkinActiveBitmap(FSD, d->PictureIndex);
    if (it->Active && it->Enabled() && pic)
    {
        const int w = RectWidth(it->ItemRect), h = RectHeight(it->ItemRect);
        TBitmap b(w, h, pf32bit);
        const TRect src = Focused() ? d->FocusItemRect : d->ActiveItemRect;
        if (!IsEmptyRect(src)) CreateSkinImageByClRect(&b, pic, src, d->ItemTextRect, true);
        setFont(b.Canvas()->Font(), Focused() ? d->FocusFontColor : d->ActiveFontColor);
        DrawRowContent(Index, b.Canvas(), TRect(2, 2, w - 2, h - 2), true);
        C->Draw(it->ItemRect.Left, it->ItemRect.Top, &b);
        return;
    }
    HDC dc = C->GetHandle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, it->ItemRect.Left, it->ItemRect.Top, it->ItemRect.Right, it->ItemRect.Bottom);
    setFont(C->Font(), normal);
    DrawRowContent(Index, C, Cr, true);
    RestoreDC(dc, saved);
    C->Refresh();
    if (FShowLines)
    {
        C->Pen()->SetColor(TColor(FSD ? FSD->FSkinColors.FcBtnShadow : ColorToRGB(clBtnShadow)));
        C->MoveTo(it->ItemRect.Left, it->ItemRect.Bottom - 1);
        C->LineTo(it->ItemRect.Right, it->ItemRect.Bottom - 1);
    }
}

void TbsSkinOfficeListBox::SkinDrawHeaderItem(int Index, TCanvas* C)
{
    TbsSkinOfficeItem* it = FItems->Items(Index);
    const TbsDataSkinLabelControl* e = Entry<TbsDataSkinLabelControl>(FSD, "menuheader");
    if (!e) e = Entry<TbsDataSkinLabelControl>(FSD, "label");
    if (!e) return;
    TBitmap* pic = bsSkinActiveBitmap(FSD, e->PictureIndex);
    const int w = RectWidth(it->ItemRect), h = RectHeight(it->ItemRect);
    if (!pic || w <= 0 || h <= 0 || IsEmptyRect(e->SkinRect)) return;
    TBitmap b(w, h, pf32bit);
    CreateSkinImageByClRect(&b, pic, e->SkinRect, e->ClRect, true);
    bsctrls::SetSkinFont(b.Canvas()->Font(), e->FontName, e->FontStyle, e->FontHeight);
    b.Canvas()->Font()->SetColor(TColor(e->FontColor));
    b.Canvas()->Brush()->SetStyle(bsClear);
    TRect r(1, 1, w - 1, h - 1);
    DrawTextUnicode(b.Canvas(), it->Caption(), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    C->Draw(it->ItemRect.Left, it->ItemRect.Top, &b);
}

void TbsSkinOfficeListBox::DefaultDrawItem(int Index, TCanvas* C)
{
    TbsSkinOfficeItem* it = FItems->Items(Index);
    TColor bg = clWindow, fg = it->Enabled() ? clWindowText : clGray;
    if (it->Header()) bg = clBtnShadow, fg = clBtnHighlight;
    else if (it->Active) bg = clHighlight, fg = clHighlightText;
    C->Font()->Assign(DefaultFont());
    C->Font()->SetColor(fg);
    HDC dc = C->GetHandle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, it->ItemRect.Left, it->ItemRect.Top, it->ItemRect.Right, it->ItemRect.Bottom);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(bg);
    C->FillRect(it->ItemRect);
    TRect Cr = it->ItemRect;
    InflateRect(Cr, -2, -2);
    if (it->Header())
    {
        C->Brush()->SetStyle(bsClear);
        DrawTextUnicode(C, it->Caption(), Cr, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    else
    {
        if (OnDrawItem)
        {
            C->Brush()->SetStyle(bsClear);
            OnDrawItem(C, Index, it->ItemRect);
        }
        else
            DrawRowContent(Index, C, Cr, false);
        if (FShowLines)
        {
            C->Pen()->SetColor(TColor(ColorToRGB(clBtnFace)));
            C->MoveTo(it->ItemRect.Left, it->ItemRect.Bottom - 1);
            C->LineTo(it->ItemRect.Right, it->ItemRect.Bottom - 1);
        }
    }
    RestoreDC(dc, saved);
    C->Refresh();
    if (it->Active && Focused())
    {
        C->Brush()->SetStyle(bsSolid);
        C->DrawFocusRect(it->ItemRect);
    }
}

// ---- scrolling -------------------------------------------------------------------------

void TbsSkinOfficeListBox::GetScrollInfo(int& AMin, int& AMax, int& APage, int& APosition)
{
    CalcItemRects();
    AMin = 0;
    AMax = FMax - FItemsRect.Top;
    APage = RectHeight(FItemsRect);
    if (APage >= AMax) APage = AMax = 0;
    APosition = FScrollOffset;
}

void TbsSkinOfficeListBox::UpdateScrollInfo()
{
    int mn, mx, page, pos;
    GetScrollInfo(mn, mx, page, pos);
    if (mx != 0)
    {
        if (!ScrollBar) ShowScrollbar();
        ScrollBar->SetRange(0, mx, FScrollOffset, page);
        ScrollBar->SetLargeChange(page);
    }
    else if (ScrollBar)
        HideScrollBar();
}

void TbsSkinOfficeListBox::ShowScrollbar()
{
    if (ScrollBar) return;
    ScrollBar = new TbsSkinScrollBar(this);
    ScrollBar->SetVisible(false);
    ScrollBar->SetParent(this);
    ScrollBar->SetDefaultHeight(0);
    ScrollBar->SetDefaultWidth(19);
    ScrollBar->SetSmallChange(FItemHeight);
    ScrollBar->SetLargeChange(FItemHeight);
    ScrollBar->SetSkinDataName("vscrollbar");
    ScrollBar->SetKind(sbVertical);
    ScrollBar->SetSkinData(FSD);
    ScrollBar->OnChange = [this](TObject*) { Scroll(ScrollBar->Position()); };
    AdjustScrollBar();
    ScrollBar->SetVisible(true);
    Invalidate();
}

void TbsSkinOfficeListBox::HideScrollBar()
{
    if (!ScrollBar) return;
    ScrollBar->SetVisible(false);
    delete ScrollBar;
    ScrollBar = nullptr;
    Invalidate();
}

void TbsSkinOfficeListBox::AdjustScrollBar()
{
    if (!ScrollBar) return;
    TRect R = FIndex == -1 ? TRect(2, 2, Width() - 2, Height() - 2) : NewClRect;
    if (FIndex != -1)
    {
        R = ClRect;
        R.Right += Width() - RectWidth(SkinRect);
        R.Bottom += Height() - RectHeight(SkinRect);
    }
    const int w = ScrollBar->Width() > 0 ? ScrollBar->Width() : 19;
    ScrollBar->SetBounds(R.Right - w, R.Top, w, RectHeight(R));
}

void TbsSkinOfficeListBox::Scroll(int AScrollOffset)
{
    FScrollOffset = AScrollOffset;
    Invalidate();
    UpdateScrollInfo();
}

void TbsSkinOfficeListBox::ScrollToItem(int Index)
{
    // A row outside the list scrolls nothing.
    if (Index < 0 || Index >= FItems->Count())
    {
        UpdateScrollInfo();
        return;
    }
    CalcItemRects();
    TRect R = FItems->Items(Index)->ItemRect;
    OffsetRect(R, 0, FScrollOffset);
    const TRect shown = FItems->Items(Index)->ItemRect;
    if (shown.Top <= FItemsRect.Top)
    {
        if (Index == 1 && FItems->Items(0)->Header()) FScrollOffset = 0;
        else FScrollOffset = R.Top - FItemsRect.Top;
        CalcItemRects();
        Invalidate();
    }
    else if (shown.Bottom >= FItemsRect.Bottom)
    {
        FScrollOffset = R.Bottom + FItemsRect.Top - Height() + 1;
        CalcItemRects();
        Invalidate();
    }
    UpdateScrollInfo();
}

// ---- selection -------------------------------------------------------------------------

bool TbsSkinOfficeListBox::Selectable(int i) const
{
    const TbsSkinOfficeItem* it = FItems->Items(i);
    return !it->Header() && it->Enabled();
}

int TbsSkinOfficeListBox::ItemAtPos(int X, int Y)
{
    for (int i = 0; i < FItems->Count(); ++i)
    {
        const TbsSkinOfficeItem* it = FItems->Items(i);
        if (Inside(it->ItemRect, X, Y) && it->Enabled()) return i;
    }
    return -1;
}

void TbsSkinOfficeListBox::SetItemActive(int Index)
{
    FItemIndex = Index;
    for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->Active = i == Index;
    Invalidate();
    ScrollToItem(Index);
}

void TbsSkinOfficeListBox::SetItemIndex(int Value)
{
    FItemIndex = Value;
    // A value outside the rows is kept but selects and scrolls nothing.
    if (Value < 0 || Value >= FItems->Count())
    {
        Invalidate();
        return;
    }
    for (int i = 0; i < FItems->Count(); ++i) FItems->Items(i)->Active = i == Value;
    Invalidate();
    ScrollToItem(Value);
    if (ComponentState() & csDesigning) return;
    const std::weak_ptr<char> alive = LifeToken();
    TbsSkinOfficeItem* it = FItems->Items(Value);
    if (it->OnClick) it->OnClick(this);
    if (alive.expired()) return;
    if (OnItemClick) OnItemClick(this);
}

void TbsSkinOfficeListBox::FindUp()
{
    if (FItemIndex <= 0) return;
    for (int i = std::min(FItemIndex, FItems->Count()) - 1; i >= 0; --i)
        if (Selectable(i))
        {
            SetItemIndex(i);
            return;
        }
}

void TbsSkinOfficeListBox::FindDown()
{
    for (int i = FItemIndex < 0 ? 0 : FItemIndex + 1; i < FItems->Count(); ++i)
        if (Selectable(i))
        {
            SetItemIndex(i);
            return;
        }
}

void TbsSkinOfficeListBox::FindPageUp()
{
    if (FItemIndex <= 0) return;
    const int P = std::max(1, RectHeight(FItemsRect) / std::max(1, FItemHeight));
    const int from = std::min(FItemIndex, FItems->Count()) - 1;
    int found = -1;
    bool header = false;
    for (int i = from; i >= std::max(0, FItemIndex - 1 - P); --i)
    {
        if (FItems->Items(i)->Header()) header = true;
        else if (Selectable(i))
        {
            if (header)
            {
                SetItemIndex(i);
                return;
            }
            found = i;
        }
    }
    if (found >= 0) SetItemIndex(found);
}

void TbsSkinOfficeListBox::FindPageDown()
{
    const int S = FItemIndex < 0 ? 0 : FItemIndex + 1;
    if (S >= FItems->Count()) return;
    const int P = std::max(1, RectHeight(FItemsRect) / std::max(1, FItemHeight));
    int found = -1;
    bool header = false;
    for (int i = S; i <= std::min(S + P, FItems->Count() - 1); ++i)
    {
        if (FItems->Items(i)->Header()) header = true;
        else if (Selectable(i))
        {
            if (header)
            {
                SetItemIndex(i);
                return;
            }
            found = i;
        }
    }
    if (found >= 0) SetItemIndex(found);
}

void TbsSkinOfficeListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
    const int i = ItemAtPos(X, Y);
    if (Button == mbLeft && i >= 0 && !FItems->Items(i)->Header())
    {
        SetItemActive(i);
        FMouseDown = true;
        FMouseActive = i;
    }
}

void TbsSkinOfficeListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TbsSkinCustomControl::MouseMove(Shift, X, Y);
    const int i = ItemAtPos(X, Y);
    if (i >= 0 && !FItems->Items(i)->Header() && i != FMouseActive && (FMouseDown || MouseMoveChangeIndex))
    {
        SetItemActive(i);
        FMouseActive = i;
    }
}

void TbsSkinOfficeListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
    FMouseDown = false;
    const int i = ItemAtPos(X, Y);
    if (Button == mbLeft && i >= 0 && !FItems->Items(i)->Header()) SetItemIndex(i);
}

void TbsSkinOfficeListBox::KeyDown(WORD& Key, TShiftState Shift)
{
    TbsSkinCustomControl::KeyDown(Key, Shift);
    switch (Key)
    {
    case VK_NEXT: FindPageDown(); break;
    case VK_PRIOR: FindPageUp(); break;
    case VK_UP:
    case VK_LEFT: FindUp(); break;
    case VK_DOWN:
    case VK_RIGHT: FindDown(); break;
    default: break;
    }
}

void TbsSkinOfficeListBox::ChangeSkinData()
{
    TbsSkinCustomControl::ChangeSkinData();
    if (const auto* e = Entry<TbsDataSkinEditControl>(FSD, "edit")) FDisabledFontColor = e->DisabledFontColor;
    else FDisabledFontColor = FSD ? FSD->FSkinColors.FcBtnShadow : int(ColorToRGB(clBtnShadow));
    if (ScrollBar)
    {
        ScrollBar->SetSkinData(FSD);
        AdjustScrollBar();
    }
    CalcItemRects();
    Invalidate();
}

void TbsSkinOfficeListBox::WndProc(TMessage& m)
{
    if ((m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) && !Focused() && CanFocus() &&
        !(ComponentState() & csDesigning))
    {
        const std::weak_ptr<char> alive = LifeToken();
        FClicksDisabled = true;
        SetFocus();
        if (alive.expired()) return;
        FClicksDisabled = false;
        if (!Focused()) return;
    }
    if (m.Msg == CN_COMMAND && FClicksDisabled) return;
    TbsSkinCustomControl::WndProc(m);
}

void TbsSkinOfficeListBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_SIZE:
        TbsSkinCustomControl::Dispatch(m);
        if (FOldHeight != -1 && FOldHeight != Height())
        {
            CalcItemRects();
            if (FItemsRect.Bottom >= FRealMax && FScrollOffset > 0)
            {
                FScrollOffset = std::max(0, FScrollOffset + FRealMax - FItemsRect.Bottom);
                CalcItemRects();
                Invalidate();
            }
        }
        AdjustScrollBar();
        UpdateScrollInfo();
        FOldHeight = Height();
        return;
    case WM_MOUSEWHEEL:
        TbsSkinCustomControl::Dispatch(m);
        if (ScrollBar)
        {
            const bool down = static_cast<std::int32_t>(m.WParam) < 0;
            ScrollBar->SetPosition(ScrollBar->Position() + (down ? ScrollBar->SmallChange() : -ScrollBar->SmallChange()));
        }
        return;
    case CM_FOCUSCHANGED:
        TbsSkinCustomControl::Dispatch(m);
        Invalidate();
        return;
    case WM_GETDLGCODE:
        m.Result = DLGC_WANTARROWS;
        return;
    default: break;
    }
    TbsSkinCustomControl::Dispatch(m);
}

// ---- popup -----------------------------------------------------------------------------

TbsPopupOfficeListBox::TbsPopupOfficeListBox(TComponent* AOwner) : TbsSkinOfficeListBox(AOwner)
{
    ControlStyle.Include(csAcceptsControls);
    ControlStyle.Include(csNoDesignVisible);
    ControlStyle.Include(csReplicatable);
    visible_ = false;
    tabStop_ = false;
}

void TbsPopupOfficeListBox::CreateParams(TCreateParams& Params)
{
    TbsSkinOfficeListBox::CreateParams(Params);
    Params.Style = WS_POPUP | WS_CLIPCHILDREN;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    Params.WndParent = nullptr;
    Params.WindowClass.style |= CS_SAVEBITS;
    if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

void TbsPopupOfficeListBox::Dispatch(TMessage& m)
{
    if (m.Msg == WM_MOUSEACTIVATE)
    {
        m.Result = MA_NOACTIVATE;
        return;
    }
    TbsSkinOfficeListBox::Dispatch(m);
}

void TbsPopupOfficeListBox::Show(TPoint P)
{
    HandleNeeded();
    const bool fade = AlphaSource && bsPreparePopupAlpha(GetHandle(), *AlphaSource, FOldAlphaBlend, FOldAlphaBlendValue);
    left_ = P.X;
    top_ = P.Y;
    SetWindowPos(GetHandle(), HWND_TOP, P.X, P.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    visible_ = true;
    UpdateScrollInfo();
    if (fade && IsLayeredWindowsAvailable())
    {
        if (Application) Application->ProcessMessages();
        if (PressFlag) *PressFlag = false;
        // The fade runs to its end before any input is seen.
        bsFadeInPopup(GetHandle(), AlphaSource->AlphaBlendValue, false);
    }
}

void TbsPopupOfficeListBox::Hide()
{
    if (HandleAllocated())
        SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    visible_ = false;
}
