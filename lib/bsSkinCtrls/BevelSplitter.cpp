// The skinned bevel (two colours of a "bevel" entry, with a divider groove)
// and the skinned splitter (its bar picture from a "splitter" entry).
#include "lib/bsSkinCtrls.h"

#include "lib/bsSkinCtrls/Common.h"

using namespace bsctrls;

// ---- TbsSkinBevel ---------------------------------------------------------------------

void TbsSkinBevel::ChangeSkinData()
{
    FIndex = bsSkinControlIndex(FSD, SkinDataName);
    if (FIndex == -1)
    {
        LightColor = clBtnHighlight;
        DarkColor = clBtnShadow;
    }
    else if (const auto* d = dynamic_cast<const TbsDataSkinBevel*>(bsSkinControlEntry(FSD, FIndex)))
    {
        LightColor = TColor(d->LightColor);
        DarkColor = TColor(d->DarkColor);
    }
    Invalidate();
}

void TbsSkinBevel::SetSkinData(TbsSkinData* Value)
{
    LinkStore(Value);
    ChangeSkinData();
}

void TbsSkinBevel::SetDividerMode(bool v)
{
    FDividerMode = v;
    Invalidate();
}

void TbsSkinBevel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AdjustTopInPanel(this, ATop, AHeight);
    TbsSkinLink::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TbsSkinBevel::Paint()
{
    TCanvas* C = Canvas();
    const TColor first = style_ == bsLowered ? DarkColor : LightColor;
    const TColor second = style_ == bsLowered ? LightColor : DarkColor;
    const int W = width_, H = height_;
    C->Pen()->SetWidth(1);
    auto rect = [C](int l, int t, int r, int b, TColor c1, TColor c2) {
        C->Pen()->SetColor(c1);
        C->Polyline({TPoint(l, b), TPoint(l, t), TPoint(r, t)});
        C->Pen()->SetColor(c2);
        C->Polyline({TPoint(r, t), TPoint(r, b), TPoint(l, b)});
    };
    auto line = [C](int x1, int y1, int x2, int y2, TColor c) {
        C->Pen()->SetColor(c);
        C->MoveTo(x1, y1);
        C->LineTo(x2, y2);
    };
    if (FDividerMode)
    {
        switch (shape_)
        {
        case bsTopLine:
        case bsBottomLine: rect(2, H / 2 - 1, W - 2, H / 2, first, second); break;
        case bsSpacer: break;
        default: rect(W / 2 - 1, 2, W / 2, H - 2, first, second); break;
        }
        return;
    }
    switch (shape_)
    {
    case bsBox: rect(0, 0, W - 1, H - 1, first, second); break;
    case bsFrame:
        rect(1, 1, W - 1, H - 1, second, second);
        rect(0, 0, W - 2, H - 2, first, first);
        break;
    case bsTopLine:
        line(0, 0, W, 0, first);
        line(0, 1, W, 1, second);
        break;
    case bsBottomLine:
        line(0, H - 2, W, H - 2, first);
        line(0, H - 1, W, H - 1, second);
        break;
    case bsLeftLine:
        line(0, 0, 0, H, first);
        line(1, 0, 1, H, second);
        break;
    case bsRightLine:
        line(W - 2, 0, W - 2, H, first);
        line(W - 1, 0, W - 1, H, second);
        break;
    case bsSpacer: break;
    }
}

// ---- TbsSkinSplitter ------------------------------------------------------------------------

TbsSkinSplitter::TbsSkinSplitter(TComponent* AOwner) : TbsSkinLink(AOwner) { ControlStyle.Include(csOpaque); }

void TbsSkinSplitter::GetSkinData()
{
    FIndex = bsSkinControlIndex(FSD, SkinDataName);
    FSkinPicture = nullptr;
    const auto* d = dynamic_cast<const TbsDataSkinSplitterControl*>(bsSkinControlEntry(FSD, FIndex));
    if (!d)
    {
        // An entry of another kind gives the bar no look.
        FIndex = -1;
        return;
    }
    LTPt = d->LTPoint;
    RTPt = d->RTPoint;
    LBPt = d->LBPoint;
    SkinRect = d->SkinRect;
    StretchEffect = d->StretchEffect;
    GripperRect = d->GripperRect;
    GripperTransparent = d->GripperTransparent;
    GripperTransparentColor = d->GripperTransparentColor;
    FSkinPicture = bsSkinActiveBitmap(FSD, d->PictureIndex);
}

void TbsSkinSplitter::ChangeSkinData()
{
    GetSkinData();
    const bool plain = FIndex == -1 || FTransparent;
    if (align_ == alTop || align_ == alBottom) SetHeight(plain ? DefaultSize : RectHeight(SkinRect));
    else SetWidth(plain ? DefaultSize : RectWidth(SkinRect));
    FSkinPicture = nullptr;
    Invalidate();
}

void TbsSkinSplitter::SetSkinData(TbsSkinData* Value)
{
    LinkStore(Value);
    ChangeSkinData();
}

void TbsSkinSplitter::DropSkinReferences()
{
    TbsSkinLink::DropSkinReferences();
    FSkinPicture = nullptr;
}

void TbsSkinSplitter::SetTransparent(bool v)
{
    if (FTransparent == v) return;
    FTransparent = v;
    if (v) ControlStyle.Exclude(csOpaque);
    else ControlStyle.Include(csOpaque);
    Invalidate();
}

void TbsSkinSplitter::RequestAlign()
{
    TbsSkinLink::RequestAlign();
    if (ComponentState() & csDesigning)
        SkinDataName = (align_ == alTop || align_ == alBottom) ? "hsplitter" : "vsplitter";
}

void TbsSkinSplitter::Paint()
{
    if (FTransparent || width_ < 1 || height_ < 1) return;
    GetSkinData();
    if (FIndex == -1 || align_ == alNone || align_ == alClient)
    {
        TbsSkinLink::Paint();
        return;
    }
    // Without the entry's picture there is nothing to draw from.
    TBitmap* pic = FSkinPicture;
    FSkinPicture = nullptr;
    if (!pic) return;
    TBitmap B;
    if (align_ == alTop || align_ == alBottom)
        CreateHSkinImage(LTPt.X, RectWidth(SkinRect) - RTPt.X, &B, pic, SkinRect, width_, height_, StretchEffect);
    else
        CreateVSkinImage(LTPt.Y, RectHeight(SkinRect) - LBPt.Y, &B, pic, SkinRect, width_, height_, StretchEffect);
    if (B.Empty()) return;
    if (auto grip = CopyPart(pic, GripperRect))
    {
        if (GripperTransparent)
        {
            grip->SetTransparentMode(tmFixed);
            grip->SetTransparentColor(TColor(GripperTransparentColor));
            grip->SetTransparent(true);
        }
        B.Canvas()->Draw(B.GetWidth() / 2 - grip->GetWidth() / 2, B.GetHeight() / 2 - grip->GetHeight() / 2,
                         grip.get());
    }
    Canvas()->Draw(0, 0, &B);
}
