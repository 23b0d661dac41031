// The skinned list box frame (skin entry, layout, caption and caption
// buttons, skinned scroll bars kept in step with the inner list) and the
// popup list box of the combo box.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>

#include "lib/bsSkinBoxCtrls/Internal.h"
#include "lib/bsEffects.h"
#include "platform/core/Clock.h"
#include "platform/os/ScrollBar.h"
#include "platform/gui/Forms.h"

using namespace bsboxctrls;

namespace bsboxctrls
{
int DisabledTextColor(const TbsSkinData* sd)
{
    const int i = bsSkinControlIndex(sd, "edit");
    if (const auto* e = dynamic_cast<const TbsDataSkinEditControl*>(bsSkinControlEntry(sd, i)))
        return e->DisabledFontColor;
    return int(ColorToRGB(clGrayText));
}

int ItemCharset(const TbsSkinData* sd, const TFont* fallback)
{
    if (sd && sd->ResourceStrData()) return sd->ResourceStrData()->CharSet();
    return fallback ? fallback->GetCharset() : 0;
}
} // namespace bsboxctrls

namespace
{
constexpr unsigned kRepeatWait = 500, kRepeatStep = 100, kRepeatResume = 50;
TRect OrRect(const TRect& r, const TRect& fallback) { return IsEmptyRect(r) ? fallback : r; }
bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }
} // namespace

TbsSkinCustomListBox::TbsSkinCustomListBox(TComponent* AOwner)
    : TbsSkinCustomControl(AOwner), FTabWidths(std::make_unique<TStringList>()), FGlyph(std::make_unique<TBitmap>()),
      FDefaultCaptionFont(bsctrls::MakeDefaultFont())
{
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks,
                                 csReplicatable};
    ForcebackGround = true;
    DrawbackGround = false;
    FDefaultCaptionFont->OnChange = [this](TObject*) {
        if (FIndex == -1 && FCaptionMode) Invalidate();
    };
    Font()->SetName("Arial");
    Font()->SetHeight(14);
    Font()->SetColor(clWindowText);
    Font()->SetStyle(TFontStyles{});
    ListBox = new TbsListBox(this);
    ListBox->SkinListBox = this;
    ListBox->SetStyle(lbOwnerDrawFixed);
    ListBox->SetItemHeight(FDefaultItemHeight);
    ListBox->SetParent(this);
    ListBox->SetVisible(true);
    width_ = 120;
    height_ = 120;
    FSkinDataName = "listbox";
    FTabWidths->OnChange = [this](TObject*) {
        if (FTabWidths->Count() > 0) ListBox->Invalidate();
    };
}

TbsSkinCustomListBox::~TbsSkinCustomListBox()
{
    StopTimer(FTimer);
    FDefaultCaptionFont->OnChange = nullptr;
    FTabWidths->OnChange = nullptr;
    // The inner list must not call back into a frame on its way out.
    ListBox->SkinListBox = nullptr;
    delete ScrollBar;
    ScrollBar = nullptr;
    delete HScrollBar;
    HScrollBar = nullptr;
    delete ListBox;
    ListBox = nullptr;
}

void TbsSkinCustomListBox::CreateParams(TCreateParams& Params)
{
    TbsSkinCustomControl::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TbsSkinCustomListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FImages) FImages = nullptr;
    if (AComponent == ScrollBar) ScrollBar = nullptr;
    if (AComponent == HScrollBar) HScrollBar = nullptr;
}

// ---- properties ------------------------------------------------------------------------

void TbsSkinCustomListBox::SetItems(const TStrings* Value)
{
    ListBox->Items()->Assign(Value);
    UpDateScrollBar();
}

void TbsSkinCustomListBox::SetSorted(bool Value)
{
    if (ScrollBar) HideScrollBar();
    ListBox->SetSorted(Value);
}

void TbsSkinCustomListBox::SetColumns(int Value)
{
    ListBox->SetColumns(Value);
    UpDateScrollBar();
}

void TbsSkinCustomListBox::SetTabWidths(const TStrings* Value) { FTabWidths->Assign(Value); }

void TbsSkinCustomListBox::SetHorizontalExtent(bool Value)
{
    FHorizontalExtent = Value;
    UpDateScrollBar();
}

void TbsSkinCustomListBox::SetDefaultItemHeight(int Value)
{
    FDefaultItemHeight = Value;
    if (FIndex == -1 || !FUseSkinItemHeight) ListBox->SetItemHeight(Value);
}

void TbsSkinCustomListBox::SetRowCount(int Value)
{
    FRowCount = Value;
    if (FRowCount != 0) SetHeight(CalcHeight(FRowCount));
    UpDateScrollBar();
}

void TbsSkinCustomListBox::SetImages(TCustomImageList* Value)
{
    Watch(FImages, Value);
    FImages = Value;
    ListBox->Invalidate();
}

void TbsSkinCustomListBox::SetImageIndex(int Value)
{
    FImageIndex = Value;
    ListBox->Invalidate();
}

void TbsSkinCustomListBox::SetCaptionMode(bool Value)
{
    FCaptionMode = Value;
    if (FIndex == -1)
    {
        AlignListBox();
        Invalidate();
    }
}

void TbsSkinCustomListBox::SetDefaultCaptionHeight(int Value)
{
    FDefaultCaptionHeight = Value;
    if (FIndex == -1 && FCaptionMode)
    {
        AlignListBox();
        Invalidate();
    }
}

void TbsSkinCustomListBox::SetAlignment(TAlignment Value)
{
    if (FAlignment == Value) return;
    FAlignment = Value;
    if (FCaptionMode) Invalidate();
}

void TbsSkinCustomListBox::SetShowCaptionButtons(bool Value)
{
    if (FShowCaptionButtons == Value) return;
    FShowCaptionButtons = Value;
    Invalidate();
}

void TbsSkinCustomListBox::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
    Invalidate();
}

void TbsSkinCustomListBox::SetNumGlyphs(int Value)
{
    FNumGlyphs = std::clamp(Value, 1, 2);
    Invalidate();
}

void TbsSkinCustomListBox::SetSpacing(int Value)
{
    FSpacing = Value;
    Invalidate();
}

void TbsSkinCustomListBox::Clear()
{
    ListBox->Clear();
    UpDateScrollBar();
}

// ---- forwarding ------------------------------------------------------------------------

int TbsSkinCustomListBox::GetItemTextWidth(int Index, TCanvas* C) { return C->TextWidth(Items()->Get(Index)); }

void TbsSkinCustomListBox::DoListBoxMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnListBoxMouseDown) OnListBoxMouseDown(this, Button, Shift, X, Y);
}
void TbsSkinCustomListBox::DoListBoxMouseMove(TShiftState Shift, int X, int Y)
{
    if (OnListBoxMouseMove) OnListBoxMouseMove(this, Shift, X, Y);
}
void TbsSkinCustomListBox::DoListBoxMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnListBoxMouseUp) OnListBoxMouseUp(this, Button, Shift, X, Y);
}
void TbsSkinCustomListBox::DoListBoxClick()
{
    if (OnListBoxClick) OnListBoxClick(this);
}
void TbsSkinCustomListBox::DoListBoxDblClick()
{
    if (OnListBoxDblClick) OnListBoxDblClick(this);
}
void TbsSkinCustomListBox::DoListBoxKeyDown(WORD& Key, TShiftState Shift)
{
    if (OnListBoxKeyDown) OnListBoxKeyDown(this, Key, Shift);
}
void TbsSkinCustomListBox::DoListBoxKeyUp(WORD& Key, TShiftState Shift)
{
    if (OnListBoxKeyUp) OnListBoxKeyUp(this, Key, Shift);
}
void TbsSkinCustomListBox::DoListBoxKeyPress(char32_t& Key)
{
    if (OnListBoxKeyPress) OnListBoxKeyPress(this, Key);
}

// ---- skin ------------------------------------------------------------------------------

void TbsSkinCustomListBox::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    const auto* d = dynamic_cast<const TbsDataSkinListBox*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    FontName = d->FontName;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    SItemRect = d->SItemRect;
    ActiveItemRect = OrRect(d->ActiveItemRect, SItemRect);
    FocusItemRect = OrRect(d->FocusItemRect, SItemRect);
    ItemLeftOffset = d->ItemLeftOffset;
    ItemRightOffset = d->ItemRightOffset;
    ItemTextRect = d->ItemTextRect;
    FontColor = d->FontColor;
    ActiveFontColor = d->ActiveFontColor;
    FocusFontColor = d->FocusFontColor;
    CaptionRect = d->CaptionRect;
    CaptionFontName = d->CaptionFontName;
    CaptionFontStyle = d->CaptionFontStyle;
    CaptionFontHeight = d->CaptionFontHeight;
    CaptionFontColor = d->CaptionFontColor;
    UpButtonRect = d->UpButtonRect;
    ActiveUpButtonRect = d->ActiveUpButtonRect;
    DownUpButtonRect = OrRect(d->DownUpButtonRect, ActiveUpButtonRect);
    DownButtonRect = d->DownButtonRect;
    ActiveDownButtonRect = d->ActiveDownButtonRect;
    DownDownButtonRect = OrRect(d->DownDownButtonRect, ActiveDownButtonRect);
    CheckButtonRect = d->CheckButtonRect;
    ActiveCheckButtonRect = d->ActiveCheckButtonRect;
    DownCheckButtonRect = OrRect(d->DownCheckButtonRect, ActiveCheckButtonRect);
    VScrollBarName = d->VScrollBarName;
    HScrollBarName = d->HScrollBarName;
    BothScrollBarName = d->BothScrollBarName;
    ShowFocus = d->ShowFocus;
    DisabledButtonsRect = d->DisabledButtonsRect;
    ButtonsArea = d->ButtonsArea;
}

void TbsSkinCustomListBox::DefaultFontChanged()
{
    if (FIndex == -1) Font()->Assign(DefaultFont());
}

void TbsSkinCustomListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FIndex == -1) Invalidate();
}

void TbsSkinCustomListBox::ChangeSkinData()
{
    TbsSkinCustomControl::ChangeSkinData();
    FStopUpDateHScrollBar = true;
    if (FIndex == -1)
    {
        ListBox->SetItemHeight(FDefaultItemHeight);
        ListBox->Font()->Assign(DefaultFont());
    }
    else if (FUseSkinItemHeight && !IsEmptyRect(SItemRect))
        ListBox->SetItemHeight(RectHeight(SItemRect));
    if (ScrollBar)
    {
        ScrollBar->SetSkinDataName(FIndex == -1 ? std::string() : Columns() >= 1 ? HScrollBarName : VScrollBarName);
        ScrollBar->SetSkinData(FSD);
    }
    if (HScrollBar)
    {
        if (FIndex == -1)
        {
            HScrollBar->SetSkinDataName("");
            if (ScrollBar)
            {
                HScrollBar->SetBothFlag(true);
                HScrollBar->SetBothMarkerWidth(19);
            }
        }
        else if (ScrollBar)
        {
            HScrollBar->SetSkinDataName(BothScrollBarName);
            HScrollBar->BothSkinDataName = BothScrollBarName;
            HScrollBar->SetBothFlag(true);
        }
        else
        {
            HScrollBar->SetSkinDataName(HScrollBarName);
            HScrollBar->BothSkinDataName = HScrollBarName;
            HScrollBar->SetBothFlag(false);
        }
        HScrollBar->SetSkinData(FSD);
    }
    if (FRowCount != 0) SetHeight(CalcHeight(FRowCount));
    AlignListBox();
    FStopUpDateHScrollBar = false;
    UpDateScrollBar();
    ListBox->Invalidate();
}

// ---- layout and scroll bars ------------------------------------------------------------

void TbsSkinCustomListBox::AlignListBox()
{
    const bool skin = FIndex != -1;
    int T = 1;
    if (!skin) T = FCaptionMode ? FDefaultCaptionHeight : 1;
    else
    {
        NewClRect = ClRect;
        NewClRect.Right += Width() - RectWidth(SkinRect);
        NewClRect.Bottom += Height() - RectHeight(SkinRect);
    }
    int H = 0;
    if (Columns() == 0 && HScrollBar && HScrollBar->GetVisible())
    {
        if (!skin)
        {
            HScrollBar->SetBounds(1, Height() - 20, Width() - 2, 19);
            H = HScrollBar->Height() - 1;
        }
        else
        {
            HScrollBar->SetBounds(NewClRect.Left, NewClRect.Bottom - HScrollBar->Height(), RectWidth(NewClRect),
                                  HScrollBar->Height());
            H = HScrollBar->Height();
        }
    }
    if (ScrollBar && ScrollBar->GetVisible())
    {
        if (!skin && Columns() > 0)
        {
            ScrollBar->SetBounds(1, Height() - 20, Width() - 2, 19);
            ListRect = TRect(2, T + 1, Width() - 2, ScrollBar->Top());
        }
        else if (!skin)
        {
            ScrollBar->SetBounds(Width() - 20, T, 19, Height() - T - H - 1);
            ListRect = TRect(2, T + 1, ScrollBar->Left(), Height() - 2 - H);
        }
        else if (Columns() > 0)
        {
            ScrollBar->SetBounds(NewClRect.Left, NewClRect.Bottom - ScrollBar->Height(), RectWidth(NewClRect),
                                 ScrollBar->Height());
            ListRect = NewClRect;
            ListRect.Bottom -= ScrollBar->Height();
        }
        else
        {
            ScrollBar->SetBounds(NewClRect.Right - ScrollBar->Width(), NewClRect.Top, ScrollBar->Width(),
                                 RectHeight(NewClRect) - H);
            ListRect = NewClRect;
            ListRect.Right -= ScrollBar->Width();
            ListRect.Bottom -= H;
        }
    }
    else if (!skin)
        ListRect = TRect(2, T + 1, Width() - 2, Height() - 2 - H);
    else
    {
        ListRect = NewClRect;
        ListRect.Bottom -= H;
    }
    // A skin entry without a client area leaves the list no room, never a
    // negative size.
    ListBox->SetBounds(ListRect.Left, ListRect.Top, std::max(0, RectWidth(ListRect)),
                       std::max(0, RectHeight(ListRect)));
}

void TbsSkinCustomListBox::UpDateScrollBar()
{
    if (!ListBox || !ListBox->HandleAllocated()) return;
    HWND lh = ListBox->GetHandle();
    const int ih = std::max(1, ListBox->GetItemHeight());
    if (Columns() > 0)
    {
        int mn = 0, mx = 0;
        GetScrollRange(lh, SB_HORZ, &mn, &mx);
        const int pos = GetScrollPos(lh, SB_HORZ);
        if (mx > mn && pos <= mx && Columns() <= mx && (ListBox->Height() / ih) * Columns() < Items()->Count())
        {
            if (!ScrollBar) ShowScrollBar();
            ScrollBar->SetRange(mn, mx, pos, Columns());
        }
        else if (ScrollBar && ScrollBar->GetVisible())
            HideScrollBar();
        return;
    }
    if (FHorizontalExtent && !FStopUpDateHScrollBar)
    {
        TCanvas* c = ListBox->Canvas();
        if (FIndex != -1 && UseSkinFont) SetSkinFontOf(c->Font(), FontName, FontStyle, FontHeight);
        else c->Font()->Assign(ListBox->Font());
        int mx = 0;
        for (int i = 0; i < Items()->Count(); ++i) mx = std::max(mx, GetItemTextWidth(i, c));
        int page = FIndex == -1 ? ListBox->Width() - 4
                                : ListBox->Width() + RectWidth(ItemTextRect) - RectWidth(SItemRect);
        if (FImages) page -= FImages->GetWidth() + 4;
        if (page < mx)
        {
            if (!HScrollBar) ShowHScrollBar();
            HScrollBar->SetRange(0, mx, HScrollBar->Position(), page);
            const int step = c->TextWidth("0");
            HScrollBar->SetSmallChange(step);
            HScrollBar->SetLargeChange(step);
        }
        else if (HScrollBar && HScrollBar->GetVisible())
            HideHScrollBar();
    }
    else if (HScrollBar && HScrollBar->GetVisible())
        HideHScrollBar();

    if (FRowCount > 0 && FRowCount == Items()->Count())
    {
        if (ScrollBar && ScrollBar->GetVisible()) HideScrollBar();
        return;
    }
    int mn = 0, mx = 0;
    GetScrollRange(lh, SB_VERT, &mn, &mx);
    const int pos = GetScrollPos(lh, SB_VERT);
    const int page = ListBox->Height() / ih;
    if (mx > mn && pos <= mx && page < Items()->Count())
    {
        if (!ScrollBar) ShowScrollBar();
        ScrollBar->SetRange(mn, mx, pos, page);
        ScrollBar->SetLargeChange(page);
    }
    else if (ScrollBar && ScrollBar->GetVisible())
        HideScrollBar();
}

void TbsSkinCustomListBox::ShowScrollBar()
{
    ScrollBar = new TbsListScrollBar(this);
    ScrollBar->SetKind(Columns() <= 0 ? sbVertical : sbHorizontal);
    ScrollBar->SetBounds(0, 0, 20, 100);
    ScrollBar->SetPageSize(0);
    ScrollBar->SetMin(0);
    ScrollBar->SetPosition(0);
    ScrollBar->OnChange = [this](TObject* s) { SBChange(s); };
    ScrollBar->SetSkinDataName(FIndex == -1 ? std::string() : Columns() <= 0 ? VScrollBarName : HScrollBarName);
    ScrollBar->SetSkinData(FSD);
    if (HScrollBar)
    {
        if (FIndex == -1)
        {
            HScrollBar->SetSkinDataName("");
            HScrollBar->SetBothFlag(true);
            HScrollBar->SetBothMarkerWidth(19);
        }
        else
        {
            HScrollBar->BothSkinDataName = BothScrollBarName;
            HScrollBar->SetSkinDataName(BothScrollBarName);
            HScrollBar->SetBothFlag(true);
        }
        HScrollBar->SetSkinData(FSD);
    }
    ScrollBar->SetParent(this);
    AlignListBox();
    ScrollBar->SetVisible(true);
    Invalidate();
}

void TbsSkinCustomListBox::ShowHScrollBar()
{
    HScrollBar = new TbsListScrollBar(this);
    HScrollBar->SetKind(sbHorizontal);
    HScrollBar->SetBounds(0, 0, 100, 20);
    HScrollBar->SetPageSize(0);
    HScrollBar->SetMin(0);
    HScrollBar->SetPosition(0);
    HScrollBar->OnChange = [this](TObject* s) { HSBChange(s); };
    if (FIndex == -1)
    {
        HScrollBar->SetSkinDataName("");
        if (ScrollBar)
        {
            HScrollBar->SetBothFlag(true);
            HScrollBar->SetBothMarkerWidth(19);
        }
    }
    else if (ScrollBar)
    {
        HScrollBar->BothSkinDataName = BothScrollBarName;
        HScrollBar->SetSkinDataName(BothScrollBarName);
        HScrollBar->SetBothFlag(true);
    }
    else
    {
        HScrollBar->BothSkinDataName = HScrollBarName;
        HScrollBar->SetSkinDataName(HScrollBarName);
        HScrollBar->SetBothFlag(false);
    }
    HScrollBar->SetSkinData(FSD);
    HScrollBar->SetParent(this);
    HScrollBar->SetVisible(true);
    AlignListBox();
    Invalidate();
}

void TbsSkinCustomListBox::HideScrollBar()
{
    if (!ScrollBar) return;
    ScrollBar->SetVisible(false);
    delete ScrollBar;
    ScrollBar = nullptr;
    AlignListBox();
}

void TbsSkinCustomListBox::HideHScrollBar()
{
    ListBox->SetHorizontalExtentValue(0);
    if (HScrollBar)
    {
        HScrollBar->SetVisible(false);
        delete HScrollBar;
        HScrollBar = nullptr;
    }
    AlignListBox();
    ListBox->Invalidate();
}

void TbsSkinCustomListBox::SBChange(TObject*)
{
    if (!ScrollBar) return;
    SendMessage(ListBox->GetHandle(), Columns() > 0 ? WM_HSCROLL : WM_VSCROLL,
                MAKEWPARAM(SB_THUMBPOSITION, WORD(ScrollBar->Position())), 0);
}

void TbsSkinCustomListBox::HSBChange(TObject*)
{
    if (!HScrollBar) return;
    ListBox->SetHorizontalExtentValue(HScrollBar->Position());
    ListBox->Invalidate();
}

int TbsSkinCustomListBox::CalcHeight(int AnItemCount)
{
    const int ih = ListBox->GetItemHeight();
    int h = FIndex == -1 ? AnItemCount * ih + 4 + (FCaptionMode ? FDefaultCaptionHeight : 0)
                         : RectHeight(SkinRect) + AnItemCount * ih + ClRect.Top - ClRect.Bottom;
    if (HScrollBar) h += HScrollBar->Height();
    return h;
}

// ---- looks -----------------------------------------------------------------------------

void TbsSkinCustomListBox::DrawCaption(TCanvas* C, const TRect& R, int Y, bool skinned)
{
    const std::string text = GetText();
    int W = C->TextWidth(text);
    const bool glyph = !FGlyph->Empty();
    const int numGlyphs = std::max(1, FNumGlyphs);
    if (glyph) W += FGlyph->GetWidth() / numGlyphs + FSpacing;
    const int pad = skinned ? 2 : 0;
    int X = R.Left + pad;
    if (FAlignment == taRightJustify) X = R.Right - W - pad;
    else if (FAlignment == taCenter) X = R.Left + pad + RectWidth(R) / 2 - W / 2;
    int GX = X;
    if (glyph)
    {
        X = GX + FGlyph->GetWidth() / numGlyphs + FSpacing;
    }
    C->Brush()->SetStyle(bsClear);
    C->TextRect(R, X, Y, text);
    if (glyph)
    {
        const int GY = RectHeight(R) / 2 + R.Top - FGlyph->GetHeight() / 2 - (skinned ? 0 : 1);
        DrawGlyphFrame(C, GX, GY, FGlyph.get(), numGlyphs, !GetEnabled() && numGlyphs == 2 ? 2 : 1);
    }
}

void TbsSkinCustomListBox::CreateControlDefaultImage(TBitmap* B)
{
    TbsSkinCustomControl::CreateControlDefaultImage(B);
    TCanvas* C = B->Canvas();
    int S = 0;
    if (FCaptionMode && FShowCaptionButtons)
    {
        S = std::min(17, FDefaultCaptionHeight - 3);
        Buttons[0].R = TRect(Width() - S - 2, 2, Width() - 2, S + 1);
        Buttons[1].R = TRect(Buttons[0].R.Left - S, 2, Buttons[0].R.Left, S + 1);
        Buttons[2].R = TRect(Buttons[1].R.Left - S, 2, Buttons[1].R.Left, S + 1);
    }
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnShadow);
    C->FrameRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
    if (!FCaptionMode) return;
    const TRect R = FShowCaptionButtons ? TRect(3, 2, Width() - 3 * S - 3, FDefaultCaptionHeight - 2)
                                        : TRect(3, 2, Width() - 2, FDefaultCaptionHeight - 2);
    C->Font()->Assign(FDefaultCaptionFont.get());
    if (FSD && FSD->ResourceStrData()) C->Font()->SetCharset(FSD->ResourceStrData()->CharSet());
    const std::string text = GetText();
    const int Y = (FDefaultCaptionHeight - 2) / 2 - C->TextHeight(text.empty() ? std::string("W") : text) / 2;
    DrawCaption(C, R, Y, false);
    C->Pen()->SetColor(clBtnShadow);
    C->MoveTo(1, FDefaultCaptionHeight - 1);
    C->LineTo(Width() - 1, FDefaultCaptionHeight - 1);
    if (FShowCaptionButtons)
        for (int i = 0; i < 3; ++i) DrawButton(C, i);
}

void TbsSkinCustomListBox::CreateControlSkinImage(TBitmap* B)
{
    TbsSkinCustomControl::CreateControlSkinImage(B);
    TCanvas* C = B->Canvas();
    const int XO = Width() - RectWidth(SkinRect), YO = Height() - RectHeight(SkinRect);
    if (!FShowCaptionButtons && !IsEmptyRect(UpButtonRect) && Picture)
    {
        if (!IsEmptyRect(DisabledButtonsRect))
        {
            TRect dst = ButtonsArea;
            OffsetRect(dst, XO, 0);
            C->CopyRect(dst, Picture->Canvas(), DisabledButtonsRect);
        }
        else if (NewRTPoint.X > NewLTPoint.X && NewClRect.Top - 1 > 0)
        {
            const TRect strip(NewLTPoint.X, 0, NewRTPoint.X, NewClRect.Top - 1);
            TBitmap copy(RectWidth(strip), RectHeight(strip), pf32bit);
            copy.Canvas()->CopyRect(TRect(0, 0, copy.GetWidth(), copy.GetHeight()), C, strip);
            C->StretchDraw(TRect(NewLTPoint.X, 0, XO + UpButtonRect.Right, NewClRect.Top - 1), &copy);
        }
    }
    NewClRect = ClRect;
    NewClRect.Right += XO;
    NewClRect.Bottom += YO;
    if (FCaptionMode)
    {
        NewCaptionRect = CaptionRect;
        if (FShowCaptionButtons)
        {
            if (CaptionRect.Right >= RTPt.X) NewCaptionRect.Right += XO;
            const TRect src[3] = {UpButtonRect, DownButtonRect, CheckButtonRect};
            for (int i = 0; i < 3; ++i)
            {
                TRect r = src[i];
                const bool lower = r.Top > LTPt.Y;
                if (lower) OffsetRect(r, 0, YO);
                if (r.Left > (lower ? RBPt.X : RTPt.X)) OffsetRect(r, XO, 0);
                Buttons[i].R = r;
            }
        }
        else
        {
            NewCaptionRect.Right = Width() - CaptionRect.Left;
            for (TbsCBButtonX& b : Buttons) b.R = TRect();
        }
    }
    if (!IsEmptyRect(CaptionRect) && !IsEmptyRect(NewCaptionRect))
    {
        SetSkinFontOf(C->Font(), CaptionFontName, CaptionFontStyle, CaptionFontHeight);
        C->Font()->SetColor(TColor(CaptionFontColor));
        C->Font()->SetCharset(ItemCharset(FSD, FDefaultCaptionFont.get()));
        const std::string text = GetText();
        const int Y = RectHeight(NewCaptionRect) / 2 + NewCaptionRect.Top -
                      C->TextHeight(text.empty() ? std::string("W") : text) / 2;
        DrawCaption(C, NewCaptionRect, Y, true);
    }
    if (FShowCaptionButtons && FCaptionMode)
        for (int i = 0; i < 3; ++i) DrawButton(C, i);
}

void TbsSkinCustomListBox::DrawButton(TCanvas* C, int i)
{
    const TbsCBButtonX& b = Buttons[i];
    if (FIndex == -1)
    {
        if (IsEmptyRect(b.R)) return;
        C->Brush()->SetStyle(bsSolid);
        if (b.MouseIn)
        {
            C->Brush()->SetColor(TColor(RGB(0, 0, 128)));
            C->FrameRect(b.R);
            TRect in = b.R;
            InflateRect(in, -1, -1);
            C->Brush()->SetColor(b.Down ? TColor(RGB(133, 147, 181)) : TColor(RGB(182, 189, 210)));
            C->FillRect(in);
        }
        else
        {
            C->Brush()->SetColor(clBtnFace);
            C->FillRect(b.R);
        }
        if (i == 2) DrawCheckGlyph(C, b.R.Left + 4, b.R.Top + 4, RGB(0, 0, 0));
        else DrawArrowGlyph(C, b.R, RGB(0, 0, 0), i == 0 ? 3 : 4);
        return;
    }
    if (IsEmptyRect(b.R) || !Picture) return;
    const TRect normal[3] = {UpButtonRect, DownButtonRect, CheckButtonRect};
    const TRect active[3] = {ActiveUpButtonRect, ActiveDownButtonRect, ActiveCheckButtonRect};
    const TRect down[3] = {DownUpButtonRect, DownDownButtonRect, DownCheckButtonRect};
    TRect src;
    if (b.Down && b.MouseIn) src = down[i];
    else if (b.MouseIn) src = active[i];
    if (IsEmptyRect(src))
    {
        src = normal[i];
        OffsetRect(src, SkinRect.Left, SkinRect.Top);
    }
    C->CopyRect(b.R, Picture->Canvas(), src);
}

void TbsSkinCustomListBox::RedrawButton(int) { Invalidate(); }

// ---- caption buttons -------------------------------------------------------------------

void TbsSkinCustomListBox::TestActive(int X, int Y)
{
    if (!FShowCaptionButtons) return;
    if (FIndex != -1 && IsEmptyRect(UpButtonRect) && IsEmptyRect(DownButtonRect)) return;
    OldActiveButton = ActiveButton;
    ActiveButton = -1;
    for (int i = 0; i < 3 && ActiveButton == -1; ++i)
        if (Inside(Buttons[i].R, X, Y)) ActiveButton = i;
    if (CaptureButton != -1 && ActiveButton != CaptureButton) ActiveButton = -1;
    if (OldActiveButton == ActiveButton) return;
    if (OldActiveButton >= 0) ButtonLeave(OldActiveButton);
    if (ActiveButton >= 0) ButtonEnter(ActiveButton);
}

void TbsSkinCustomListBox::ButtonEnter(int i)
{
    Buttons[i].MouseIn = true;
    RedrawButton(i);
    if (TimerMode != 0 && Buttons[i].Down) StartTimer(FTimer, kRepeatResume, [this] { TimerTick(); });
}

void TbsSkinCustomListBox::ButtonLeave(int i)
{
    Buttons[i].MouseIn = false;
    RedrawButton(i);
    if (TimerMode != 0 && Buttons[i].Down) StopTimer(FTimer);
}

void TbsSkinCustomListBox::ButtonDown(int i)
{
    Buttons[i].MouseIn = true;
    Buttons[i].Down = true;
    RedrawButton(i);
    const TNotifyEvent& e = i == 0 ? OnUpButtonClick : i == 1 ? OnDownButtonClick : OnCheckButtonClick;
    if (e) return;
    TimerMode = i == 0 ? 1 : i == 1 ? 2 : 0;
    if (TimerMode != 0)
    {
        WaitMode = true;
        StartTimer(FTimer, kRepeatWait, [this] { TimerTick(); });
    }
}

void TbsSkinCustomListBox::ButtonUp(int i)
{
    Buttons[i].Down = false;
    if (ActiveButton != i) Buttons[i].MouseIn = false;
    RedrawButton(i);
    const TNotifyEvent& e = i == 0 ? OnUpButtonClick : i == 1 ? OnDownButtonClick : OnCheckButtonClick;
    if (Buttons[i].MouseIn && e)
    {
        e(this);
        return;
    }
    if (!e)
    {
        if (i == 0 && ItemIndex() > 0) SetItemIndex(ItemIndex() - 1);
        else if (i == 1 && ItemIndex() < Items()->Count() - 1) SetItemIndex(ItemIndex() + 1);
        else if (i == 2) ListBox->Click();
    }
    StopTimer(FTimer);
    TimerMode = 0;
}

void TbsSkinCustomListBox::TimerTick()
{
    if (WaitMode)
    {
        WaitMode = false;
        StartTimer(FTimer, kRepeatStep, [this] { TimerTick(); });
        return;
    }
    if (TimerMode == 1 && ItemIndex() >= 1) SetItemIndex(ItemIndex() - 1);
    else if (TimerMode == 2 && ItemIndex() < Items()->Count() - 1) SetItemIndex(ItemIndex() + 1);
}


void TbsSkinCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FCaptionMode)
    {
        TestActive(X, Y);
        if (ActiveButton != -1)
        {
            CaptureButton = ActiveButton;
            ButtonDown(ActiveButton);
        }
    }
    TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinCustomListBox::MouseMove(TShiftState Shift, int X, int Y)
{
    TbsSkinCustomControl::MouseMove(Shift, X, Y);
    if (FCaptionMode) TestActive(X, Y);
}

void TbsSkinCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CaptureButton != -1)
    {
        const int b = CaptureButton;
        CaptureButton = -1;
        ButtonUp(b);
    }
    TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinCustomListBox::CMMouseEnter(TMessage& m)
{
    TbsSkinCustomControl::CMMouseEnter(m);
    if (FCaptionMode) TestActive(-1, -1);
}

void TbsSkinCustomListBox::CMMouseLeave(TMessage& m)
{
    TbsSkinCustomControl::CMMouseLeave(m);
    bool any = false;
    for (TbsCBButtonX& b : Buttons)
        if (b.MouseIn)
        {
            b.MouseIn = false;
            any = true;
        }
    ActiveButton = -1;
    if (any) Invalidate();
}

void TbsSkinCustomListBox::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case CM_TEXTCHANGED:
        TbsSkinCustomControl::Dispatch(m);
        if (FCaptionMode) Invalidate();
        return;
    case WM_SIZE:
        TbsSkinCustomControl::Dispatch(m);
        AlignListBox();
        UpDateScrollBar();
        if (ScrollBar) ScrollBar->Invalidate();
        return;
    default: break;
    }
    TbsSkinCustomControl::Dispatch(m);
}

// ---- popup ------------------------------------------------------------------------------

bool bsPreparePopupAlpha(HWND wnd, const TbsPopupAlpha& a, bool& oldAlphaBlend, int& oldAlphaBlendValue)
{
    if (!IsLayeredWindowsAvailable()) return false;
    const LONG ex = GetWindowLong(wnd, GWL_EXSTYLE);
    if (a.AlphaBlend && !oldAlphaBlend) SetWindowLong(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    else if (!a.AlphaBlend && oldAlphaBlend) SetWindowLong(wnd, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    oldAlphaBlend = a.AlphaBlend;
    if (oldAlphaBlendValue != a.AlphaBlendValue && a.AlphaBlend)
    {
        if (a.AlphaBlendAnimation)
        {
            SetLayeredAlpha(wnd, 0);
            oldAlphaBlendValue = 0;
        }
        else
        {
            SetLayeredAlpha(wnd, BYTE(a.AlphaBlendValue));
            oldAlphaBlendValue = a.AlphaBlendValue;
        }
    }
    return a.AlphaBlend && a.AlphaBlendAnimation;
}

void bsFadeInPopup(HWND wnd, int target, bool pump)
{
    // Steps of target div 15 (at least 1), each once more than 5 ms of the
    // platform's clock have passed; the first step at once.
    const int step = std::max(1, target / 15);
    int alpha = 0;
    DWORD last = 0;
    bool first = true;
    while (alpha < target)
    {
        const DWORD now = DWORD(Clock::Poll());
        if (first || now - last > 5)
        {
            first = false;
            last = now;
            alpha = std::min(target, alpha + step);
            SetLayeredAlpha(wnd, BYTE(alpha));
        }
        if (pump && Application) Application->ProcessMessages();
        else if (alpha < target) Sleep(1);
    }
}

TbsPopupListBox::TbsPopupListBox(TComponent* AOwner) : TbsSkinListBox(AOwner)
{
    ControlStyle.Include(csAcceptsControls);
    ControlStyle.Include(csNoDesignVisible);
    ControlStyle.Include(csReplicatable);
    SetCtl3D(false);
    SetParentCtl3D(false);
    visible_ = false;
}

void TbsPopupListBox::CreateParams(TCreateParams& Params)
{
    TbsSkinListBox::CreateParams(Params);
    Params.Style = WS_POPUP | WS_CLIPCHILDREN;
    Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    Params.WndParent = nullptr;
    Params.WindowClass.style |= CS_SAVEBITS;
    if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

void TbsPopupListBox::Dispatch(TMessage& m)
{
    if (m.Msg == WM_MOUSEACTIVATE)
    {
        m.Result = MA_NOACTIVATE;
        return;
    }
    TbsSkinListBox::Dispatch(m);
}

void TbsPopupListBox::Show(TPoint P)
{
    HandleNeeded();
    const TbsPopupAlpha* a = AlphaSource;
    const bool fade = a && bsPreparePopupAlpha(GetHandle(), *a, FOldAlphaBlend, FOldAlphaBlendValue);
    left_ = P.X;
    top_ = P.Y;
    SetWindowPos(GetHandle(), HWND_TOP, P.X, P.Y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    visible_ = true;
    UpDateScrollBar();
    if (fade && IsLayeredWindowsAvailable())
    {
        if (Application) Application->ProcessMessages();
        bsFadeInPopup(GetHandle(), a->AlphaBlendValue, true);
    }
}

void TbsPopupListBox::Hide()
{
    if (HandleAllocated())
        SetWindowPos(GetHandle(), nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    visible_ = false;
}
