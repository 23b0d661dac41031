// The skinned page control's look: the frame around the pages, the tab row
// in four positions (side tabs composed lying down, then turned a quarter;
// bottom tabs from the top picture turned upside down), the page
// backgrounds, the tab sheets, and the bitmap turning helpers.
#include "lib/bsSkinTabs.h"
#include "lib/bsSkinValidate.h"

#include <array>
#include <cstdlib>

using namespace bsctrls;

// ---- turning bitmaps -------------------------------------------------------------------

namespace
{
// dst(mapX(x, y), mapY(x, y)) := src(x, y) over a bitmap of W x H turned to NW x NH.
template <class Map>
void Remap(TBitmap* B, int NW, int NH, Map map)
{
    const int W = B->GetWidth(), H = B->GetHeight();
    if (W <= 0 || H <= 0) return;
    B->SetPixelFormat(pf32bit);
    TBitmap out(NW, NH, pf32bit);
    for (int y = 0; y < H; ++y)
    {
        const auto* src = static_cast<const std::uint32_t*>(B->ScanLine(y));
        for (int x = 0; x < W; ++x)
        {
            const TPoint d = map(x, y, W, H);
            static_cast<std::uint32_t*>(out.ScanLine(d.Y))[d.X] = src[x];
        }
    }
    B->Assign(&out);
}

// The mean colour (0x00BBGGRR) of the middle half of a look of a picture.
int MeanFace(TBitmap* pic, const TRect& r)
{
    std::array<long, 3> sum{};
    long n = 0;
    const int w = RectWidth(r), h = RectHeight(r);
    for (int y = std::max(r.Top + h / 4, 0); y < std::min(r.Bottom - h / 4, pic->GetHeight()); ++y)
        for (int x = std::max(r.Left + w / 4, 0); x < std::min(r.Right - w / 4, pic->GetWidth()); ++x)
        {
            const TPixel p = pic->GetPixel32(x, y);
            sum[0] += (p >> 16) & 0xFF, sum[1] += (p >> 8) & 0xFF, sum[2] += p & 0xFF, ++n;
        }
    if (n == 0) return 0;
    return int(sum[0] / n | (sum[1] / n) << 8 | (sum[2] / n) << 16);
}

// Whether two colours differ by a visible amount in some channel.
bool ColoursApart(int a, int b)
{
    for (int sh : {0, 8, 16})
        if (std::abs(((a >> sh) & 0xFF) - ((b >> sh) & 0xFF)) >= 28) return true;
    return false;
}

// How far (percent) the normal tab must move towards the accent to read
// apart from the selected one: the least of a few steps.
int HotTint(TBitmap* pic, const TRect& normal, const TRect& selected, int accent)
{
    const int n = MeanFace(pic, normal), s = MeanFace(pic, selected);
    for (int p = 15; p < 60; p += 5)
        if (ColoursApart(bsMixColor(accent, n, p / 100.0), s)) return p;
    return 60;
}
} // namespace

void RotateBitmap90_1(TBitmap* B)
{
    Remap(B, B->GetHeight(), B->GetWidth(), [](int x, int y, int W, int) { return TPoint(y, W - 1 - x); });
}

void RotateBitmap90_2(TBitmap* B)
{
    Remap(B, B->GetHeight(), B->GetWidth(), [](int x, int y, int, int H) { return TPoint(H - 1 - y, x); });
}

void FlipBitmapVert(TBitmap* B)
{
    Remap(B, B->GetWidth(), B->GetHeight(), [](int x, int y, int, int H) { return TPoint(x, H - 1 - y); });
}

void DrawBitmapRotated90_1(TCanvas* C, TBitmap* B, int x, int y)
{
    TBitmap t;
    t.Assign(B);
    RotateBitmap90_1(&t);
    C->Draw(x, y, &t);
}

void DrawBitmapRotated90_2(TCanvas* C, TBitmap* B, int x, int y)
{
    TBitmap t;
    t.Assign(B);
    RotateBitmap90_2(&t);
    C->Draw(x, y, &t);
}

// ---- frame -----------------------------------------------------------------------------

void TbsSkinPageControl::PaintWindow(HDC dc)
{
    if (Width() <= 0 || Height() <= 0) return;
    GetSkinData();
    const int saved = SaveDC(dc);
    TCanvas c;
    c.SetHandle(dc);
    if (FIndex == -1) PaintDefaultFrame(&c);
    else PaintSkinFrame(&c);
    DrawTabs(&c);
    c.SetHandle(nullptr);
    RestoreDC(dc, saved);
}

void TbsSkinPageControl::PaintDefaultFrame(TCanvas* C)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(GetClientRect());
    TRect d = GetDisplayRect();
    InflateRect(d, 1, 1);
    C->Brush()->SetColor(clBtnShadow);
    C->FrameRect(d);
}

TRect TbsSkinPageControl::FrameRect()
{
    const TRect d = GetDisplayRect();
    return TRect(d.Left - ClRect.Left, d.Top - ClRect.Top, d.Right + (RectWidth(SkinRect) - ClRect.Right),
                 d.Bottom + (RectHeight(SkinRect) - ClRect.Bottom));
}

TRect TbsSkinPageControl::GetActiveTabRect()
{
    const int ti = GetTabIndex();
    if (ti < 0 || ti >= PageCount() || VisibleTabCount() == 0 || !GetActivePage()) return TRect();
    TRect r = GetTabRect(ti);
    const int d = RectHeight(ActiveTabRect) - RectHeight(TabRect);
    switch (GetTabPosition())
    {
    case tpTop: r.Bottom += d; break;
    case tpBottom: r.Top -= d; break;
    case tpLeft: r.Right += d; break;
    case tpRight: r.Left -= d; break;
    }
    return r;
}

void TbsSkinPageControl::PaintSkinFrame(TCanvas* C)
{
    if (!Picture) return;
    const TRect F = FrameRect();
    const int dx = RectWidth(F) - RectWidth(SkinRect), dy = RectHeight(F) - RectHeight(SkinRect);
    if (RectWidth(F) <= 0 || RectHeight(F) <= 0) return;
    TBitmap left, top, right, bottom;
    CreateSkinBorderImages(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, LTPoint, TPoint(RTPoint.X + dx, RTPoint.Y),
                           TPoint(LBPoint.X, LBPoint.Y + dy), TPoint(RBPoint.X + dx, RBPoint.Y + dy),
                           TRect(ClRect.Left, ClRect.Top, ClRect.Right + dx, ClRect.Bottom + dy), &left, &top, &right,
                           &bottom, Picture, SkinRect, RectWidth(F), RectHeight(F), LeftStretch, TopStretch,
                           RightStretch, BottomStretch);
    const int saved = SaveDC(C->GetHandle());
    const TRect at = GetActiveTabRect();
    if (!IsEmptyRect(at)) ExcludeClipRect(C->GetHandle(), at.Left, at.Top, at.Right, at.Bottom);
    C->Draw(F.Left, F.Top, &top);
    C->Draw(F.Left, F.Top + top.GetHeight(), &left);
    C->Draw(F.Left + RectWidth(F) - right.GetWidth(), F.Top + top.GetHeight(), &right);
    C->Draw(F.Left, F.Top + RectHeight(F) - bottom.GetHeight(), &bottom);
    RestoreDC(C->GetHandle(), saved);
}

// ---- tabs ------------------------------------------------------------------------------

void TbsSkinPageControl::DrawTabs(TCanvas* C)
{
    if (FHideTabs || PageCount() == 0) return;
    const int sel = GetTabIndex();
    if (FIndex == -1 || !Picture)
    {
        int vis = 0;
        for (int p = 0; p < PageCount(); ++p)
        {
            if (!Pages(p)->GetTabVisible()) continue;
            DrawTab(Pages(p), GetTabRect(vis), C, vis == sel, vis == FActiveTabIndex);
            ++vis;
        }
        return;
    }
    const TRect F = FrameRect();
    const int W = Width(), H = Height();
    TRect strip;   // the strip's place in the control
    switch (GetTabPosition())
    {
    case tpTop: strip = TRect(0, 0, W, F.Top); break;
    case tpBottom: strip = TRect(0, F.Bottom, W, H); break;
    case tpLeft: strip = TRect(0, 0, F.Left, H); break;
    case tpRight: strip = TRect(F.Right, 0, W, H); break;
    }
    if (RectWidth(strip) > 0 && RectHeight(strip) > 0)
    {
        TBitmap S(RectWidth(strip), RectHeight(strip), pf32bit);
        const TRect bg = IsEmptyRect(TabsBGRect)
                             ? TRect(ClRect.Left + SkinRect.Left, ClRect.Top + SkinRect.Top,
                                     ClRect.Right + SkinRect.Left, ClRect.Bottom + SkinRect.Top)
                             : TabsBGRect;
        if (FTabsBGTransparent)
        {
            TRect area;
            switch (GetTabPosition())
            {
            case tpTop: area = TRect(0, 0, W, F.Top); break;
            case tpBottom: area = TRect(0, F.Bottom, W, H); break;
            case tpLeft: area = TRect(0, 0, F.Left, F.Bottom); break;
            case tpRight: area = TRect(F.Right, 0, W, H); break;
            }
            DrawPageControlParentImage(this, area, S.Canvas());
        }
        else if (auto tile = CopyPart(Picture, bg))
        {
            // The row's background piece turned with the side tabs.
            if (GetTabPosition() == tpLeft) RotateBitmap90_1(tile.get());
            else if (GetTabPosition() == tpRight) RotateBitmap90_2(tile.get());
            else if (GetTabPosition() == tpBottom) FlipBitmapVert(tile.get());
            // Across a side strip the piece is widened with its edge next to
            // the frame kept, so that the edge line runs once along it.
            const TRect all(0, 0, S.GetWidth(), S.GetHeight());
            const TTabPosition pos = GetTabPosition();
            if ((pos == tpLeft || pos == tpRight) && tile->GetWidth() > 2)
            {
                TBitmap column;
                CreateHSkinImage(pos == tpLeft ? 0 : 2, pos == tpLeft ? 2 : 0, &column, tile.get(),
                                 TRect(0, 0, tile->GetWidth(), tile->GetHeight()), S.GetWidth(), tile->GetHeight(), true);
                DrawTiles(S.Canvas(), &column, all, all, false, bsstFull);
            }
            else DrawTiles(S.Canvas(), tile.get(), all, all, false, bsstFull);
        }
        int vis = 0;
        for (int p = 0; p < PageCount(); ++p)
        {
            if (!Pages(p)->GetTabVisible()) continue;
            if (vis != sel)
            {
                TRect r = GetTabRect(vis);
                OffsetRect(r, -strip.Left, -strip.Top);
                DrawTab(Pages(p), r, S.Canvas(), false, vis == FActiveTabIndex);
            }
            ++vis;
        }
        const int saved = SaveDC(C->GetHandle());
        const TRect at = GetActiveTabRect();
        if (!IsEmptyRect(at)) ExcludeClipRect(C->GetHandle(), at.Left, at.Top, at.Right, at.Bottom);
        C->Draw(strip.Left, strip.Top, &S);
        RestoreDC(C->GetHandle(), saved);
    }
    if (sel >= 0 && sel < PageCount())
    {
        TRect r = GetTabRect(sel);
        const int d = RectHeight(TabRect) - RectHeight(ActiveTabRect);
        if (d != 0 && GetTabPosition() == tpBottom) OffsetRect(r, 0, d);
        if (d != 0 && GetTabPosition() == tpRight) OffsetRect(r, d, 0);
        if (TTabSheet* page = PageOfVisibleTab(sel)) DrawTab(page, r, C, true, sel == FActiveTabIndex);
    }
}

void TbsSkinPageControl::DrawCenteredImageAndText(TCanvas* C, int w, int h, int dy, bool enabled, int index,
                                                  const std::string& caption)
{
    const TSize ts(C->TextWidth(caption), C->TextHeight(caption.empty() ? "Wg" : caption));
    const int tw = caption.empty() ? 0 : ts.cx + 2;
    const int iw = FImages->GetWidth(), ih = FImages->GetHeight();
    const int x = w / 2 - (tw + iw + 2) / 2;
    FImages->Draw(C, x, h / 2 + dy - ih / 2, index, enabled);
    TRect r(x + iw + 2, h / 2 + dy - ts.cy / 2, x + iw + 2 + tw, h / 2 + dy - ts.cy / 2 + ts.cy);
    std::string text = caption;
    DrawTextUnicode(C, text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void TbsSkinPageControl::DrawTab(TTabSheet* page, const TRect& R, TCanvas* C, bool Active, bool MouseIn)
{
    if (FHideTabs || !page || page->GetPageIndex() >= PageCount()) return;
    const TTabPosition pos = GetTabPosition();
    const bool side = pos == tpLeft || pos == tpRight;
    // The native row lays side tabs out across for upright captions: such a
    // tab is turned with its caption kept upright.
    const bool upright = FTextInHorizontal || (side && RectWidth(R) > RectHeight(R));
    const int w = side ? RectHeight(R) : RectWidth(R), h = side ? RectWidth(R) : RectHeight(R);
    if (w <= 0 || h <= 0) return;
    const bool hasImage = FImages && page->ImageIndex >= 0 && page->ImageIndex < FImages->Count();
    const std::string caption = page->Caption();
    const bool focused = Focused();
    const bool skin = FIndex != -1 && Picture;
    auto B = std::make_unique<TBitmap>(w, h, pf32bit);
    TRect TR(0, 0, w, h);
    TCanvas* c = B->Canvas();
    int color = 0;
    if (!skin)
    {
        TColor fill = clBtnFace;
        bool frame = false;
        // Hot: a pale shade without the frame the selected tab has.
        if (MouseIn && !Active) fill = TColor(RGB(222, 226, 238));
        else if (Active && focused) fill = TColor(RGB(133, 147, 181)), frame = true;
        else if (Active) fill = TColor(RGB(182, 189, 210)), frame = true;
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(fill);
        c->FillRect(TR);
        if (frame)
        {
            c->Brush()->SetColor(clNavy);
            c->FrameRect(TR);
            InflateRect(TR, -1, -1);
        }
        c->Font()->Assign(Font());
        c->Font()->SetColor(clBtnText);
        if (FSD && FSD->ResourceStrData()) c->Font()->SetCharset(FSD->ResourceStrData()->CharSet());
    }
    else
    {
        TRect S = TabRect;
        color = FontColor;
        // A hot tab must never pass for the selected one: where the skin's
        // hot picture looks like its selected picture, the normal picture
        // tinted towards the accent stands for it.
        const bool hotArt = MouseIn && !Active && !IsEmptyRect(MouseInTabRect) &&
                            ColoursApart(MeanFace(Picture, MouseInTabRect), MeanFace(Picture, ActiveTabRect));
        const bool hotTint = MouseIn && !Active && !hotArt;
        if (hotArt) S = MouseInTabRect, color = MouseInFontColor;
        else if (Active && focused) S = FocusTabRect, color = FocusFontColor;
        else if (Active) S = ActiveTabRect, color = ActiveFontColor;
        // Side tabs fill their whole rectangle: the native row makes them as
        // wide as their captions.
        if (GetTabHeight() > 0 || side)
        {
            int bh = h;
            if (Active && RectHeight(ActiveTabRect) > RectHeight(TabRect))
                bh += RectHeight(ActiveTabRect) - RectHeight(TabRect);
            else if (Active && focused && RectHeight(FocusTabRect) > RectHeight(TabRect))
                bh += RectHeight(FocusTabRect) - RectHeight(TabRect);
            B->SetSize(w, bh);
            const int q = RectHeight(TabRect) / 4;
            CreateSkinImageByClRect(B.get(), Picture, S,
                                    TRect(TabLeftOffset, q, RectWidth(S) - TabRightOffset, RectHeight(S) - q), true);
        }
        else CreateHSkinImage(TabLeftOffset, TabRightOffset, B.get(), Picture, S, w, RectHeight(S), TabStretchEffect);
        if (hotTint && FSD)
        {
            const int accent = int(ColorToRGB(TColor(FSD->FSkinColors.FcHighLight)));
            TintFace(B.get(), COLORREF(accent), HotTint(Picture, TabRect, ActiveTabRect, accent));
        }
        if (pos == tpBottom) FlipBitmapVert(B.get());
        TR = TRect(0, 0, B->GetWidth(), B->GetHeight());
        c = B->Canvas();
        if (UseSkinFont) SetSkinFont(c->Font(), FontName, FontStyle, FontHeight);
        else c->Font()->Assign(Font());
        SetStringTableCharset(c->Font(), FSD, Font());
        c->Font()->SetColor(TColor(color));
    }
    if (side && upright)
    {
        TFont keep;
        keep.Assign(c->Font());
        if (pos == tpLeft) RotateBitmap90_1(B.get());
        else RotateBitmap90_2(B.get());
        TR = TRect(0, 0, B->GetWidth(), B->GetHeight());
        c = B->Canvas();
        c->Font()->Assign(&keep);
    }
    if (skin && ShowFocus && focused && Active)
    {
        TRect fr = TR;
        InflateRect(fr, -FocusOffsetX, -FocusOffsetY);
        // An accent underline under the caption, not a box inside the tab.
        const COLORREF accent = FSD ? COLORREF(FSD->FSkinColors.FcHighLight) : ColorToRGB(clHighlight);
        DrawAccentBar(c->GetHandle(), TRect(fr.Left + 4, fr.Top, fr.Right - 4, fr.Bottom), accent, 2);
    }
    int dy = 0;
    if (skin && RectHeight(TabRect) != RectHeight(ActiveTabRect) && !Active)
    {
        if (pos == tpTop || pos == tpLeft) TR.Top += 2, dy = hasImage ? 2 : 0;
        else TR.Top -= 2, dy = hasImage ? -2 : 0;
    }
    const int closeRoom = FShowCloseButtons ? FCloseSize + 2 : 0;
    const int X = closeRoom == 0 ? TR.Right : skin ? TR.Right - closeRoom - 3 : TR.Right - closeRoom;
    c->Brush()->SetStyle(bsClear);
    if (OnDrawSkinTab) OnDrawSkinTab(page->GetPageIndex(), TRect(0, 0, B->GetWidth(), B->GetHeight()), Active, MouseIn, c);
    else if (hasImage || FTabExtendedDraw)
    {
        if (FTabExtendedDraw)
            DrawImageAndText(c, TRect(TR.Left, TR.Top, TR.Right - closeRoom, TR.Bottom), FTabMargin, FTabSpacing,
                             FTabLayout, caption, page->ImageIndex, FImages, false, page->GetEnabled(), false, 0);
        else
            DrawCenteredImageAndText(c, B->GetWidth() - closeRoom, B->GetHeight(), dy, page->GetEnabled(),
                                     page->ImageIndex, caption);
    }
    else
    {
        TRect tr(TR.Left, TR.Top, X, TR.Bottom);
        std::string text = caption;
        DrawTextUnicode(c, text, tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (FShowCloseButtons)
        if (auto* sheet = dynamic_cast<TbsSkinCustomTabSheet*>(page))
        {
            if (!MouseIn) sheet->ButtonMouseIn = false;
            DrawCloseButton(c, TRect(X, TR.Top + dy, B->GetWidth(), TR.Bottom), B->GetHeight(), B->GetWidth(), sheet,
                            side && !upright);
        }
    if (side && !upright)
    {
        if (pos == tpLeft) DrawBitmapRotated90_1(C, B.get(), R.Left, R.Top);
        else DrawBitmapRotated90_2(C, B.get(), R.Left, R.Top);
    }
    else C->Draw(R.Left, R.Top, B.get());
}

void TbsSkinPageControl::DrawCloseButton(TCanvas* C, const TRect& Cell, int H, int W, TbsSkinCustomTabSheet* page,
                                         bool turn)
{
    const int cy = Cell.Top + RectHeight(Cell) / 2;
    TRect D;
    if (FIndex == -1 || !Picture)
    {
        D = TRect(Cell.Left, cy - 7, Cell.Left + 14, cy + 7);
        DrawCloseGlyph(C, D.Left + 2, D.Top + 2, page->ButtonMouseIn ? 0xFFFFFF : 0);
    }
    else if (IsEmptyRect(CloseButtonRect))
    {
        const int k = FCloseSize;
        TBitmap K(k, k, pf32bit);
        const int glyph = ComposeButtonLook(FSD, "resizetoolbutton", page->ButtonMouseIn,
                                            page->ButtonMouseDown && page->ButtonMouseIn, &K, k, k);
        if (glyph == -1) return;
        DrawCloseGlyph(K.Canvas(), k / 2 - 5, k / 2 - 5, COLORREF(glyph));
        D = TRect(Cell.Left, cy - k / 2, Cell.Left + k, cy - k / 2 + k);
        C->Draw(D.Left, D.Top, &K);
    }
    else
    {
        const TRect P = page->ButtonMouseDown && page->ButtonMouseIn ? CloseButtonDownRect
                        : page->ButtonMouseIn                        ? ClosebuttonActiveRect
                                                                     : CloseButtonRect;
        D = TRect(Cell.Left, cy - RectHeight(P) / 2, Cell.Left + RectWidth(P), cy - RectHeight(P) / 2 + RectHeight(P));
        if (auto part = CopyPart(Picture, P))
        {
            if (ButtonTransparent)
            {
                part->SetTransparentMode(tmFixed);
                part->SetTransparentColor(TColor(ButtonTransparentColor));
                part->SetTransparent(true);
            }
            C->Draw(D.Left, D.Top, part.get());
        }
    }
    // Where the button lies once the tab picture is turned.
    if (turn && GetTabPosition() == tpLeft) page->ButtonRect = TRect(D.Top, W - D.Right, D.Bottom, W - D.Left);
    else if (turn && GetTabPosition() == tpRight) page->ButtonRect = TRect(H - D.Bottom, D.Left, H - D.Top, D.Right);
    else page->ButtonRect = D;
}

// ---- backgrounds -----------------------------------------------------------------------

void TbsSkinPageControl::DrawPageBackground(HDC DC)
{
    TCanvas c;
    c.SetHandle(DC);
    const TRect all(0, 0, Width(), Height());
    TBitmap* pic = BGPictureIndex == -1 ? nullptr : bsSkinActiveBitmap(FSD, BGPictureIndex);
    std::unique_ptr<TBitmap> tile;
    if (!pic)
    {
        tile = CopyPart(Picture, TRect(ClRect.Left + SkinRect.Left, ClRect.Top + SkinRect.Top,
                                       ClRect.Right + SkinRect.Left, ClRect.Bottom + SkinRect.Top));
        pic = tile.get();
    }
    if (pic) DrawTiles(&c, pic, all, all, StretchEffect, StretchType);
    c.SetHandle(nullptr);
}

TbsSkinCustomTabSheet::TbsSkinCustomTabSheet(TComponent* AOwner)
    : TTabSheet(AOwner), FWallPaper(std::make_unique<TBitmap>())
{
    SetAlign(alClient);
    ControlStyle.Include(csAcceptsControls);
    SetVisible(false);
}

TbsSkinCustomTabSheet::~TbsSkinCustomTabSheet() { SetPageControl(nullptr); }

void TbsSkinCustomTabSheet::SetWallPaper(TBitmap* Value)
{
    FWallPaper->Assign(Value);
    if (ComponentState() & csDesigning) Invalidate();
}

void TbsSkinCustomTabSheet::CreateParams(TCreateParams& Params)
{
    TTabSheet::CreateParams(Params);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TbsSkinCustomTabSheet::PaintBG(HDC DC)
{
    auto* pc = dynamic_cast<TbsSkinPageControl*>(Parent());
    if (Width() < 1 || Height() < 1 || !Parent()) return;
    TCanvas c;
    c.SetHandle(DC);
    const TRect area(0, 0, Width(), Height());
    if (!FWallPaper->Empty()) DrawTiles(&c, FWallPaper.get(), area, area, false, bsstFull);
    else if (!pc)
    {
        c.Brush()->SetColor(clBtnFace);
        c.FillRect(area);
    }
    else
    {
        pc->GetSkinData();
        TBitmap* bg = pc->BGPictureIndex == -1 || !pc->FSD || pc->FSD->Empty
                          ? nullptr
                          : bsSkinActiveBitmap(pc->FSD, pc->BGPictureIndex);
        if (bg) DrawTiles(&c, bg, area, area, pc->StretchEffect, pc->StretchType);
        else if (pc->FIndex == -1 || !pc->Picture)
        {
            c.Brush()->SetStyle(bsSolid);
            c.Brush()->SetColor(clBtnFace);
            c.FillRect(area);
        }
        else if (auto tile = CopyPart(pc->Picture, TRect(pc->ClRect.Left + pc->SkinRect.Left,
                                                         pc->ClRect.Top + pc->SkinRect.Top,
                                                         pc->ClRect.Right + pc->SkinRect.Left,
                                                         pc->ClRect.Bottom + pc->SkinRect.Top)))
            DrawTiles(&c, tile.get(), area, TRect(0, 0, pc->Width(), pc->Height()), pc->StretchEffect,
                      pc->StretchType);
    }
    c.SetHandle(nullptr);
}

void TbsSkinCustomTabSheet::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_ERASEBKGND:
        PaintBG(reinterpret_cast<HDC>(m.WParam));
        m.Result = 1;
        return;
    case BSM_NCPAINT: m.Result = kNoNcSkin; return;
    case WM_SIZE:
    {
        TTabSheet::Dispatch(m);
        Invalidate();
        auto* pc = dynamic_cast<TbsSkinPageControl*>(Parent());
        if (pc && pc->FSD && !pc->FSD->Empty && pc->StretchEffect)
            for (int i = 0; i < ControlCount(); ++i)
                if (auto* w = dynamic_cast<TWinControl*>(Controls(i)); w && w->HandleAllocated())
                    SendMessage(w->GetHandle(), BSM_CHECKPARENTBACKGROUND, 0, 0);
        return;
    }
    default: break;
    }
    TTabSheet::Dispatch(m);
}
