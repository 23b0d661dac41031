// The skinned panel and its family: group box, paint panel and status bar.
#include "lib/bsSkinCtrls.h"

#include "lib/bsSkinCtrls/Common.h"

using namespace bsctrls;

namespace
{
constexpr int kArrowUp = 3, kArrowDown = 4;

// A one-pixel frame on r: top and left in tl, bottom and right in br.
void Frame3D(TCanvas* C, const TRect& r, TColor tl, TColor br)
{
    if (IsEmptyRect(r)) return;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(tl);
    C->FillRect(TRect(r.Left, r.Top, r.Right, r.Top + 1));
    C->FillRect(TRect(r.Left, r.Top, r.Left + 1, r.Bottom));
    C->Brush()->SetColor(br);
    C->FillRect(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    C->FillRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom));
}

void Line(TCanvas* C, int x1, int y1, int x2, int y2)
{
    C->MoveTo(x1, y1);
    C->LineTo(x2, y2);
}
} // namespace

// ---- TbsSkinPanel ---------------------------------------------------------------------

TbsSkinPanel::TbsSkinPanel(TComponent* AOwner) : TbsSkinCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    ControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csOpaque, csDoubleClicks,
                                 csReplicatable, csSetCaption};
    ForcebackGround = true;
    width_ = 150;
    height_ = 150;
    FSkinDataName = "panel";
}

TbsSkinPanel::~TbsSkinPanel() { Watch(FCaptionImageList, nullptr); }

void TbsSkinPanel::CreateParams(TCreateParams& Params)
{
    TbsSkinCustomControl::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TbsSkinPanel::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FCaptionImageList) FCaptionImageList = nullptr;
}

void TbsSkinPanel::SetRibbonStyle(bool v)
{
    if (FRibbonStyle == v) return;
    FRibbonStyle = v;
    Invalidate();
}

void TbsSkinPanel::SetImagePosition(TbsImagePosition v)
{
    if (FImagePosition == v) return;
    FImagePosition = v;
    Invalidate();
}

void TbsSkinPanel::SetCaptionImageIndex(int v)
{
    if (FCaptionImageIndex == v) return;
    FCaptionImageIndex = v;
    Invalidate();
}

void TbsSkinPanel::SetTransparentMode(bool v)
{
    if (FTransparentMode == v) return;
    FTransparentMode = v;
    Invalidate();
    if (!(ComponentState() & (csDesigning | csLoading))) CheckControlsBackground();
}

void TbsSkinPanel::SetCheckedMode(bool v)
{
    FCheckedMode = v;
    Invalidate();
}

void TbsSkinPanel::SetChecked(bool v)
{
    FChecked = v;
    if (FCheckedMode) Invalidate();
    if (AutoEnabledControls && FCheckedMode)
        for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(v);
    if (OnChecked) OnChecked(this);
}

void TbsSkinPanel::SetNumGlyphs(int v)
{
    FNumGlyphs = std::clamp(v, 1, 2);
    Invalidate();
}

void TbsSkinPanel::SetSpacing(int v)
{
    FSpacing = v;
    Invalidate();
}

void TbsSkinPanel::SetGlyph(TBitmap* v)
{
    if (v) FGlyph->Assign(v);
    else FGlyph->SetSize(0, 0);
    Invalidate();
}

void TbsSkinPanel::SetDefaultAlignment(TAlignment v)
{
    FDefaultAlignment = v;
    if (FIndex == -1 && FCaptionMode) Invalidate();
}

void TbsSkinPanel::SetRollUpMode(bool v)
{
    FRollUpMode = v;
    if (FIndex == -1 && FCaptionMode) Invalidate();
}

void TbsSkinPanel::SetDefaultCaptionHeight(int v)
{
    FDefaultCaptionHeight = v;
    if (FIndex == -1 && FCaptionMode)
    {
        Invalidate();
        Realign();
    }
}

void TbsSkinPanel::SetBorderStyle(TbsSkinBorderStyle v)
{
    FBorderStyle = v;
    if (FIndex == -1)
    {
        Invalidate();
        Realign();
    }
}

void TbsSkinPanel::SetCaptionMode(bool v)
{
    FCaptionMode = v;
    Invalidate();
    Realign();
}

void TbsSkinPanel::SetCaptionImageList(TCustomImageList* v)
{
    Watch(FCaptionImageList, v);
    FCaptionImageList = v;
}

void TbsSkinPanel::SetRollUpState(bool v)
{
    if (v == FRollUpState) return;
    if (FRollUpMode)
    {
        FCMaxWidth = Constraints.MaxWidth;
        FCMinWidth = Constraints.MinWidth;
        FCMaxHeight = Constraints.MaxHeight;
        FCMinHeight = Constraints.MinHeight;
        Constraints = TSizeConstraints{};
        FRollUpState = v;
        DoRollUp(v);
        if (OnChangeRollUpState) OnChangeRollUpState(this);
    }
    else
    {
        Constraints.MaxWidth = FCMaxWidth;
        Constraints.MinWidth = FCMinWidth;
        Constraints.MaxHeight = FCMaxHeight;
        Constraints.MinHeight = FCMinHeight;
        FRollUpState = false;
    }
}

void TbsSkinPanel::DoRollUp(bool ARollUp)
{
    struct Busy
    {
        bool& f;
        explicit Busy(bool& v) : f(v) { f = true; }
        ~Busy() { f = false; }
    } busy(FInChangingRollUp);
    if (ARollUp && RealHeight == -1)
    {
        RealHeight = height_;
        // Alignment stays suspended once while rolled, however often the
        // roll-up is applied again (a skin change re-applies it).
        if (!FAlignSuspended)
        {
            DisableAlign();
            FAlignSuspended = true;
        }
        for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetVisible(false);
        SetHeight(FIndex == -1 ? FDefaultCaptionHeight + 1 : height_ - RectHeight(NewClRect));
    }
    else if (!ARollUp && RealHeight != -1)
    {
        SetHeight(RealHeight);
        RealHeight = -1;
        for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetVisible(true);
        if (FAlignSuspended)
        {
            FAlignSuspended = false;
            EnableAlign();
        }
    }
}

void TbsSkinPanel::GetSkinClientRect(TRect& R)
{
    R = TRect(0, 0, width_, height_);
    AdjustClientRect(R);
}

void TbsSkinPanel::PaintskinTo(TCanvas* C, int X, int Y)
{
    if (width_ <= 0 || height_ <= 0) return;
    TBitmap B(width_, height_, pf32bit);
    GetSkinData();
    if (FIndex == -1) CreateControlDefaultImage(&B);
    else CreateControlSkinImage(&B);
    C->Draw(X, Y, &B);
}

void TbsSkinPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FIndex == -1) Invalidate();
}

bool TbsSkinPanel::CanAutoSize(int& NewWidth, int& NewHeight)
{
    if (FInChangingRollUp && FRollUpMode && autoSize_) return false;
    return TbsSkinCustomControl::CanAutoSize(NewWidth, NewHeight);
}

void TbsSkinPanel::ChangeSkinData()
{
    TbsSkinCustomControl::ChangeSkinData();
    if (FRollUpState)
    {
        const int saved = RealHeight;
        RealHeight = -1;
        DoRollUp(true);
        RealHeight = saved;
    }
    else
        Realign();
}

void TbsSkinPanel::AdjustClientRect(TRect& Rect)
{
    TbsSkinCustomControl::AdjustClientRect(Rect);
    if (FIndex == -1 || (ComponentState() & csDesigning))
    {
        if (FBorderStyle != TbsSkinBorderStyle::bvNone) InflateRect(Rect, -1, -1);
        if (FCaptionMode)
        {
            if (FRibbonStyle) Rect.Bottom -= FDefaultCaptionHeight;
            else Rect.Top += FDefaultCaptionHeight;
        }
        return;
    }
    if (BGPictureIndex != -1 || (FBorderStyle == TbsSkinBorderStyle::bvNone && !FCaptionMode && ResizeMode == 1))
        return;
    Rect = NewClRect;
}

void TbsSkinPanel::GetSkinData()
{
    TbsSkinCustomControl::GetSkinData();
    BGPictureIndex = -1;
    const auto* d = dynamic_cast<const TbsDataSkinPanelControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    CaptionRect = d->CaptionRect;
    Alignment = d->Alignment;
    FontName = d->FontName;
    FontColor = d->FontColor;
    FontStyle = d->FontStyle;
    FontHeight = d->FontHeight;
    BGPictureIndex = d->BGPictureIndex;
    CheckImageRect = d->CheckImageRect;
    UnCheckImageRect = d->UnCheckImageRect;
    MarkFrameRect = d->MarkFrameRect;
    FrameRect = d->FrameRect;
    FrameTextRect = d->FrameTextRect;
    FrameLeftOffset = d->FrameLeftOffset;
    FrameRightOffset = d->FrameRightOffset;
}

void TbsSkinPanel::Dispatch(TMessage& m)
{
    if (m.Msg == BSM_CHECKPARENTBACKGROUND)
    {
        if (FTransparentMode)
        {
            Invalidate();
            CheckControlsBackground();
        }
        return;
    }
    TbsSkinCustomControl::Dispatch(m);
}

void TbsSkinPanel::WMMove(TMessage& m)
{
    TbsSkinCustomControl::WMMove(m);
    if (FTransparentMode)
    {
        Invalidate();
        CheckControlsBackground();
    }
}

void TbsSkinPanel::CMEnabledChanged(TMessage& m)
{
    TbsSkinCustomControl::CMEnabledChanged(m);
    Invalidate();
}

void TbsSkinPanel::CMTextChanged(TMessage&)
{
    if (FCaptionMode) Invalidate();
}

void TbsSkinPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FCaptionMode && (FRollUpMode || FCheckedMode))
    {
        const TRect r = FIndex != -1 ? NewCaptionRect : TRect(1, 1, width_ - 1, FDefaultCaptionHeight);
        if (PtInRectInclusive(r, TPoint(X, Y)))
        {
            if (FCheckedMode) SetChecked(!FChecked);
            if (FRollUpMode) SetRollUpState(!FRollUpState);
        }
    }
    TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TbsSkinPanel::HasCaptionImage() const
{
    return FCaptionImageList && FCaptionImageIndex >= 0 && FCaptionImageIndex < FCaptionImageList->Count();
}

void TbsSkinPanel::SetCharset(TCanvas* C) { SetStringTableCharset(C->Font(), FSD, FDefaultFont.get()); }

void TbsSkinPanel::SetCaptionFont(TCanvas* C)
{
    if (UseSkinFont) SetSkinFont(C->Font(), FontName, FontStyle, FontHeight);
    else C->Font()->Assign(FDefaultFont.get());
    SetCharset(C);
}

// Default look: border, and with a caption an etched or framed strip holding
// check box, image, text and roll-up marker.
void TbsSkinPanel::CreateControlDefaultImage(TBitmap* B)
{
    TbsSkinCustomControl::CreateControlDefaultImage(B);
    TCanvas* C = B->Canvas();
    const int W = B->GetWidth(), H = B->GetHeight();
    switch (FBorderStyle)
    {
    case TbsSkinBorderStyle::bvFrame: Frame3D(C, TRect(0, 0, W, H), clBtnShadow, clBtnShadow); break;
    case TbsSkinBorderStyle::bvRaised: Frame3D(C, TRect(0, 0, W, H), clBtnHighlight, clBtnShadow); break;
    case TbsSkinBorderStyle::bvLowered: Frame3D(C, TRect(0, 0, W, H), clBtnShadow, clBtnHighlight); break;
    case TbsSkinBorderStyle::bvNone: break;
    }
    if (!FCaptionMode) return;
    const int dch = FDefaultCaptionHeight;
    TRect S;
    if (FBorderStyle == TbsSkinBorderStyle::bvFrame)
    {
        S = FRibbonStyle ? TRect(0, H - dch, W, H) : TRect(0, 0, W, dch);
        Frame3D(C, S, clBtnShadow, clBtnShadow);
        TRect in = S;
        InflateRect(in, -1, -1);
        Frame3D(C, in, clBtnHighlight, clBtnFace);
    }
    else
    {
        S = FRibbonStyle ? TRect(1, H - dch - 1, W - 1, H - 1) : TRect(1, 1, W - 1, dch);
        Frame3D(C, S, clBtnShadow, clBtnHighlight);
        TRect in = S;
        InflateRect(in, -1, -1);
        Frame3D(C, in, clBtnHighlight, clBtnShadow);
    }
    TRect R = S;
    InflateRect(R, -2, -2);
    if (FCheckedMode) R.Left += 20;
    if (FRollUpMode) R.Right -= 10;
    C->Font()->Assign(FDefaultFont.get());
    SetCharset(C);
    const std::string caption = GetText();
    const int rh = RectHeight(R);
    const int y = R.Top + rh / 2 - C->TextHeight(caption) / 2;
    int T = C->TextWidth(caption);
    if (!FGlyph->Empty()) T += FGlyph->GetWidth() / FNumGlyphs + FSpacing;
    int x = R.Left + 2;
    if (FDefaultAlignment == taRightJustify) x = R.Right - T;
    else if (FDefaultAlignment == taCenter) x = R.Left + 2 + RectWidth(R) / 2 - T / 2;
    if (FCheckedMode)
    {
        const int top = R.Top + rh / 2 - 7;
        Frame3D(C, TRect(5, top, 19, top + 14), clBtnShadow, clBtnShadow);
        if (FChecked) DrawCheckGlyph(C, 5 + 4, top + 3, ColorToRGB(clBtnText));
    }
    if (FGlyph->Empty() && HasCaptionImage())
    {
        FCaptionImageList->Draw(C, x, R.Top + rh / 2 - FCaptionImageList->GetHeight() / 2, FCaptionImageIndex,
                                GetEnabled());
        x += FCaptionImageList->GetWidth() + FSpacing;
    }
    else if (!FGlyph->Empty())
    {
        const int frame = (!GetEnabled() && FNumGlyphs == 2) ? 2 : 1;
        DrawGlyphFrame(C, x, R.Top + rh / 2 - FGlyph->GetHeight() / 2, FGlyph.get(), FNumGlyphs, frame);
        x += FGlyph->GetWidth() / FNumGlyphs + FSpacing;
    }
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetColor(clBtnText);
    C->TextRect(R, x, y, caption);
    if (FRollUpMode)
        DrawArrowGlyph(C, TRect(R.Right, R.Top, R.Right + 10, R.Bottom), ColorToRGB(clBtnText),
                       FRollUpState ? kArrowDown : kArrowUp);
}

// The caption's check box picture, with the picture's own bottom-left colour
// left out (drawn from a copy: the store's picture is never changed).
void TbsSkinPanel::PaintCheckPicture(TCanvas* C, int x, int y)
{
    const TRect src = TRect(FChecked ? CheckImageRect : UnCheckImageRect);
    TRect sized(src.Left, src.Top, src.Left + RectWidth(CheckImageRect), src.Top + RectHeight(CheckImageRect));
    auto part = CopyPart(Picture, sized);
    if (!part) return;
    part->SetTransparentMode(tmAuto);
    part->SetTransparent(true);
    C->Draw(x, y, part.get());
}

void TbsSkinPanel::DrawSkinCaption(TCanvas* C)
{
    TRect r = NewCaptionRect;
    if (FRollUpMode) r.Right -= 12;
    const int rh = RectHeight(r);
    if (FCheckedMode)
    {
        PaintCheckPicture(C, r.Left, r.Top + rh / 2 - RectHeight(CheckImageRect) / 2);
        r.Left += RectWidth(CheckImageRect) + 2;
    }
    SetCaptionFont(C);
    C->Font()->SetColor(TColor(FontColor));
    const std::string caption = GetText();
    const int tw = C->TextWidth(caption);
    const int y = r.Top + rh / 2 - C->TextHeight(caption) / 2;
    int T = tw;
    const bool glyph = !FGlyph->Empty();
    if (glyph) T += FGlyph->GetWidth() / FNumGlyphs + FSpacing;
    int x = r.Left;
    if (Alignment == bstaRightJustify) x = r.Right - T;
    else if (Alignment == bstaCenter) x = r.Left + RectWidth(r) / 2 - T / 2;
    // Caption image: an image-list image, or the glyph's frame.
    const bool listImage = !glyph && HasCaptionImage();
    int iw = 0, ih = 0, ix = 0, iy = 0;
    if (listImage)
    {
        iw = FCaptionImageList->GetWidth();
        ih = FCaptionImageList->GetHeight();
    }
    else if (glyph)
    {
        iw = FGlyph->GetWidth() / FNumGlyphs;
        ih = FGlyph->GetHeight();
    }
    if (listImage || glyph)
    {
        iy = r.Top + rh / 2 - ih / 2;
        if (FImagePosition == bsipLeft)
        {
            ix = r.Left + 2;
            if (Alignment == bstaLeftJustify) x = ix + iw + FSpacing;
            else if (Alignment == bstaRightJustify) x = r.Right - tw;
            else x = r.Left + RectWidth(r) / 2 - tw / 2;
            x = std::max(x, ix + iw + FSpacing);
        }
        else
        {
            ix = x;
            x += iw + FSpacing;
        }
    }
    if (FRollUpMode)
    {
        const TRect m(r.Right, r.Top, r.Right + 10, r.Bottom);
        if (!IsEmptyRect(MarkFrameRect))
            if (auto mark = CopyPart(Picture, MarkFrameRect))
                C->StretchDraw(TRect(m.Left, m.Top, m.Left + RectWidth(MarkFrameRect),
                                     CaptionRect.Top + RectHeight(MarkFrameRect)),
                               mark.get());
        DrawArrowGlyph(C, m, ColorToRGB(TColor(FontColor)), FRollUpState ? kArrowDown : kArrowUp);
    }
    if (!IsEmptyRect(FrameRect) && Picture)
    {
        const int e = RectWidth(FrameRect) - RectWidth(FrameTextRect);
        TBitmap frame;
        CreateHSkinImage(FrameLeftOffset, FrameRightOffset, &frame, Picture, FrameRect, tw + e,
                         RectHeight(FrameRect), false);
        int fx = x;
        if (Alignment == bstaLeftJustify)
            x = FrameTextRect.Left + fx;
        else if (Alignment == bstaRightJustify)
        {
            fx = x - e;
            x = FrameTextRect.Left + fx;
            ix -= e;
        }
        else
        {
            fx = x - FrameTextRect.Left - 2;
            ix -= FrameTextRect.Left;
            x -= 2;
        }
        if (!frame.Empty()) C->Draw(fx, CaptionRect.Top, &frame);
    }
    C->Brush()->SetStyle(bsClear);
    C->TextRect(r, x, y, caption);
    if (listImage) FCaptionImageList->Draw(C, ix, iy, FCaptionImageIndex, GetEnabled());
    else if (glyph)
        DrawGlyphFrame(C, ix, iy, FGlyph.get(), FNumGlyphs, (!GetEnabled() && FNumGlyphs == 2) ? 2 : 1);
}

void TbsSkinPanel::FillClientTiles(TCanvas* C, bool onBitmap)
{
    TRect tileRect = ClRect;
    OffsetRect(tileRect, SkinRect.Left, SkinRect.Top);
    auto tile = CopyPart(Picture, tileRect);
    if (!tile) return;
    const TRect all(0, 0, width_, height_);
    DrawTiles(C, tile.get(), all, all, onBitmap ? false : StretchEffect, StretchType);
}

void TbsSkinPanel::CreateControlSkinImage(TBitmap* B)
{
    if (FBorderStyle == TbsSkinBorderStyle::bvNone && ResizeMode == 1 && !FCaptionMode && !StretchEffect)
    {
        FillClientTiles(B->Canvas(), true);
        return;
    }
    TbsSkinCustomControl::CreateControlSkinImage(B);
    if (ResizeMode < 1) NewCaptionRect = CaptionRect;
    else if (!FTransparentMode) CalcResizedRect(CaptionRect, NewCaptionRect);
    if (!GetText().empty() && !IsEmptyRect(CaptionRect)) DrawSkinCaption(B->Canvas());
}

void TbsSkinPanel::PaintBGPicture(TBitmap* P)
{
    int w = width_, h = height_;
    CalcSize(w, h);
    DrawTiles(Canvas(), P, TRect(0, 0, width_, height_), NewClRect, StretchEffect, StretchType);
}

void TbsSkinPanel::PaintTransparentCaptionFrame()
{
    const int W = width_, H = height_;
    TBitmap B(W, H, pf32bit);
    TCanvas* C = B.Canvas();
    DrawParentImage(this, C);
    const TbsSkinColors& colors = FSD->FSkinColors;
    C->Pen()->SetColor(TColor(colors.FcBtnShadow));
    C->Pen()->SetWidth(1);
    C->Brush()->SetStyle(bsClear);
    if (UseSkinFont) SetSkinFont(C->Font(), FontName, FontStyle, FontHeight);
    else C->Font()->Assign(FDefaultFont.get());
    SetCharset(C);
    const std::string caption = GetText();
    const int th = C->TextHeight(caption);
    NewCaptionRect = TRect(5, 0, W, th + 5);
    const int ch = th + 5;
    int a = 5;
    if (FCheckedMode)
    {
        PaintCheckPicture(C, 5, ch / 2 - RectHeight(CheckImageRect) / 2);
        a = RectWidth(CheckImageRect) + 10;
    }
    const bool glyph = !FGlyph->Empty();
    const bool listImage = !glyph && HasCaptionImage();
    const int ix = a;
    if (listImage) a += FCaptionImageList->GetWidth() + 2;
    else if (glyph) a += FGlyph->GetWidth() / FNumGlyphs + 2;
    TColor textColor = TColor(colors.FcBtnText);
    if (const auto* l = dynamic_cast<const TbsDataSkinStdLabelControl*>(
            bsSkinControlEntry(FSD, bsSkinControlIndex(FSD, "stdlabel"))))
        textColor = TColor(l->FontColor);
    C->Font()->SetColor(textColor);
    DrawTextSingleLineVCenter(C, caption, TRect(a, 0, W, ch));
    const int tw = C->TextWidth(caption);
    if (listImage)
        FCaptionImageList->Draw(C, ix, ch / 2 - FCaptionImageList->GetHeight() / 2, FCaptionImageIndex,
                                GetEnabled());
    else if (glyph)
        DrawGlyphFrame(C, ix, ch / 2 - FGlyph->GetHeight() / 2, FGlyph.get(), FNumGlyphs,
                       (!GetEnabled() && FNumGlyphs == 2) ? 2 : 1);
    const int y = ch / 2;
    int lineStart = a + tw + 3;
    if (FRollUpMode)
    {
        DrawArrowGlyph(C, TRect(a + tw + 3, 0, a + tw + 10, ch), ColorToRGB(textColor),
                       FRollUpState ? kArrowDown : kArrowUp);
        lineStart = a + tw + 12;
    }
    Line(C, lineStart, y, W, y);
    Line(C, 0, y, 4, y);
    C->MoveTo(W - 1, y);
    C->LineTo(W - 1, H - 1);
    C->LineTo(0, H - 1);
    C->LineTo(0, y);
    DoPanelPaint(C);
    Canvas()->Draw(0, 0, &B);
}

void TbsSkinPanel::Paint()
{
    if (width_ <= 0 || height_ <= 0) return;
    GetSkinData();
    const bool entry = FIndex != -1;
    if (FTransparentMode && entry && !FCaptionMode)
    {
        TBitmap B(width_, height_, pf32bit);
        DrawParentImage(this, B.Canvas());
        if (FBorderStyle != TbsSkinBorderStyle::bvNone)
        {
            B.Canvas()->Pen()->SetColor(TColor(FSD->FSkinColors.FcBtnShadow));
            B.Canvas()->Pen()->SetWidth(1);
            B.Canvas()->Brush()->SetStyle(bsClear);
            B.Canvas()->Rectangle(0, 0, width_, height_);
        }
        DoPanelPaint(B.Canvas());
        Canvas()->Draw(0, 0, &B);
        return;
    }
    if (FTransparentMode && entry && FCaptionMode) return PaintTransparentCaptionFrame();
    if (!entry || (!ForcebackGround && StretchEffect)) return TbsSkinCustomControl::Paint();
    if (FBorderStyle == TbsSkinBorderStyle::bvNone && ResizeMode == 1 && !FCaptionMode && ForcebackGround)
        return FillClientTiles(Canvas(), false);
    // A background picture index that names no picture falls back to the
    // framed look.
    TBitmap* P = BGPictureIndex == -1 ? nullptr : bsSkinActiveBitmap(FSD, BGPictureIndex);
    if (!P) return TbsSkinCustomControl::Paint();
    PaintBGPicture(P);
}

// ---- TbsSkinGroupBox ------------------------------------------------------------------

TbsSkinGroupBox::TbsSkinGroupBox(TComponent* AOwner) : TbsSkinPanel(AOwner)
{
    FSkinDataName = "groupbox";
    SetCaptionMode(true);
}

void TbsSkinGroupBox::GetSkinData()
{
    TbsSkinPanel::GetSkinData();
    if (dynamic_cast<const TbsDataSkinPanelControl*>(bsSkinControlEntry(FSD, FIndex)) &&
        ClRect.Bottom < CaptionRect.Top)
        ForcebackGround = false;
}

// ---- TbsSkinPaintPanel ----------------------------------------------------------------

TbsSkinPaintPanel::TbsSkinPaintPanel(TComponent* AOwner) : TbsSkinPanel(AOwner) { ForcebackGround = false; }

void TbsSkinPaintPanel::CallPanelPaint(TCanvas* C)
{
    if (!OnPanelPaint) return;
    TRect R;
    GetSkinClientRect(R);
    OnPanelPaint(C, R);
}

void TbsSkinPaintPanel::CreateControlDefaultImage(TBitmap* B)
{
    TbsSkinPanel::CreateControlDefaultImage(B);
    CallPanelPaint(B->Canvas());
}

void TbsSkinPaintPanel::CreateControlSkinImage(TBitmap* B)
{
    TbsSkinPanel::CreateControlSkinImage(B);
    CallPanelPaint(B->Canvas());
}

void TbsSkinPaintPanel::DoPanelPaint(TCanvas* C) { CallPanelPaint(C); }

void TbsSkinPaintPanel::WMEraseBkgnd(TMessage& m)
{
    if (!FromWMPaint && m.WParam)
    {
        TCanvas c;
        c.SetHandle(reinterpret_cast<HDC>(m.WParam));
        PaintskinTo(&c, 0, 0);
        c.SetHandle(nullptr);
    }
    m.Result = 1;
}

// ---- TbsSkinStatusBar -------------------------------------------------------------------

TbsSkinStatusBar::TbsSkinStatusBar(TComponent* AOwner) : TbsSkinPanel(AOwner)
{
    FSkinDataName = "statusbar";
    height_ = 21;
    FBorderStyle = TbsSkinBorderStyle::bvNone;
    ForcebackGround = false;
    SetAlign(alBottom);
}

void TbsSkinStatusBar::SetSizeGrip(bool v)
{
    FSizeGrip = v;
    Invalidate();
    Realign();
}

void TbsSkinStatusBar::SetShowGrip(bool v)
{
    FShowGrip = v;
    Invalidate();
    Realign();
}

void TbsSkinStatusBar::GetSkinData()
{
    TbsSkinPanel::GetSkinData();
    const auto* d = dynamic_cast<const TbsDataSkinPanelControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d) return;
    GripperRect = d->GripperRect;
    GripperTransparent = d->GripperTransparent;
    GripperTransparentColor = d->GripperTransparentColor;
}

void TbsSkinStatusBar::SetSkinData(TbsSkinData* Value)
{
    TbsSkinPanel::SetSkinData(Value);
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* c = dynamic_cast<TbsSkinControl*>(Controls(i))) c->SetSkinData(Value);
}

void TbsSkinStatusBar::AdjustClientRect(TRect& Rect)
{
    TbsSkinPanel::AdjustClientRect(Rect);
    if (!GripActive()) return;
    if (FIndex != -1 && !IsEmptyRect(GripperRect)) Rect.Right -= RectWidth(GripperRect);
    else Rect.Right -= RectHeight(Rect);
}

TRect TbsSkinStatusBar::GripRect()
{
    TRect C;
    GetSkinClientRect(C);
    if (FIndex != -1 && !IsEmptyRect(GripperRect))
        return TRect(C.Right, C.Bottom - RectHeight(GripperRect), C.Right + RectWidth(GripperRect), C.Bottom);
    return TRect(C.Right + 2, C.Top, C.Right + RectHeight(C), C.Bottom - 2);
}

void TbsSkinStatusBar::DrawGripLines(TCanvas* C, const TRect& G, TColor shadow, TColor light)
{
    C->Pen()->SetWidth(1);
    for (int k = 0; k <= RectWidth(G) / 3; ++k)
    {
        const int b = 3 + 3 * k;
        if (G.Left + b + 2 > G.Right) break;
        C->Pen()->SetColor(shadow);
        Line(C, G.Left + b, G.Bottom, G.Right, G.Top + b);
        C->Pen()->SetColor(light);
        Line(C, G.Left + b + 1, G.Bottom, G.Right, G.Top + b + 1);
    }
}

void TbsSkinStatusBar::CreateControlDefaultImage(TBitmap* B)
{
    TbsSkinPanel::CreateControlDefaultImage(B);
    if (GripActive()) DrawGripLines(B->Canvas(), GripRect(), clBtnShadow, clBtnHighlight);
}

void TbsSkinStatusBar::CreateControlSkinImage(TBitmap* B)
{
    TbsSkinPanel::CreateControlSkinImage(B);
    if (!GripActive()) return;
    const TRect G = GripRect();
    if (IsEmptyRect(GripperRect))
    {
        DrawGripLines(B->Canvas(), G, TColor(FSD->FSkinColors.FcBtnShadow), TColor(FSD->FSkinColors.FcBtnHighLight));
        return;
    }
    auto grip = CopyPart(Picture, GripperRect);
    if (!grip) return;
    if (GripperTransparent)
    {
        grip->SetTransparentMode(tmFixed);
        grip->SetTransparentColor(TColor(GripperTransparentColor));
        grip->SetTransparent(true);
    }
    B->Canvas()->Draw(G.Left, G.Top, grip.get());
}

void TbsSkinStatusBar::Dispatch(TMessage& m)
{
    if (m.Msg == WM_NCHITTEST && !(ComponentState() & csDesigning) && GripActive())
    {
        GetSkinData();
        const TPoint p = ScreenToClient(TPoint(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)));
        m.Result = PtInRectInclusive(GripRect(), p) ? HTBOTTOMRIGHT : HTCLIENT;
        return;
    }
    TbsSkinPanel::Dispatch(m);
}
