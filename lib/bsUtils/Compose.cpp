// Composition of skin pictures at any size, frame bands, masks and regions.
//
// The algorithms are written once over a small set of bitmap operations
// (size, scaled copy, draw at a point, clip) so that they serve every bitmap
// kind that offers them; TbsBitmap is the one wired here.
#include "lib/bsEffects.h"
#include "lib/bsUtils.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Gdi.h"
#include "platform/os/Region.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <memory>

namespace
{
// ---- the bitmap operations composition needs ---------------------------------

struct BsOps
{
    using Bmp = TbsBitmap;
    static int W(const Bmp* b) { return b ? b->Width() : 0; }
    static int H(const Bmp* b) { return b ? b->Height() : 0; }
    static bool Empty(const Bmp* b) { return !b || b->Empty(); }
    static void SetSize(Bmp* b, int w, int h) { b->SetSize(w, h); }
    static std::unique_ptr<Bmp> Temp(int w, int h)
    {
        auto b = std::make_unique<Bmp>();
        if (w > 0 && h > 0) b->SetSize(w, h);
        return b;
    }
    // Copies src's rectangle s into d (scaled, nearest pixel, when the sizes
    // differ), limited to `clip` when given. Pixels are copied whole.
    static void Copy(Bmp* dst, const TRect& d, Bmp* src, const TRect& s, const TRect* clip = nullptr)
    {
        if (!dst || !src || IsEmptyRect(d) || IsEmptyRect(s)) return;
        DrawToBitmapOpaque(dst, d, clip ? *clip : d, src, s);
    }
};

struct VclOps
{
    using Bmp = TBitmap;
    static int W(const Bmp* b) { return b ? b->GetWidth() : 0; }
    static int H(const Bmp* b) { return b ? b->GetHeight() : 0; }
    static bool Empty(const Bmp* b) { return !b || b->Empty(); }
    static void SetSize(Bmp* b, int w, int h) { b->SetSize(std::max(w, 0), std::max(h, 0)); }
    static std::unique_ptr<Bmp> Temp(int w, int h) { return std::make_unique<Bmp>(std::max(w, 0), std::max(h, 0), pf32bit); }
    static void Copy(Bmp* dst, const TRect& d, Bmp* src, const TRect& s, const TRect* clip = nullptr)
    {
        if (!dst || !src || dst->Empty() || src->Empty() || IsEmptyRect(d) || IsEmptyRect(s)) return;
        TCanvas* c = dst->Canvas();
        HDC dc = c->GetHandle();
        if (clip) {
            SaveDC(dc);
            IntersectClipRect(dc, clip->Left, clip->Top, clip->Right, clip->Bottom);
        }
        c->CopyRect(d, src->Canvas(), s);
        if (clip) RestoreDC(dc, -1);
    }
};

// ---- shared steps ---------------------------------------------------------------

// Tiles the piece `src` (p = its length along the axis) from `start` to `end`
// along x (horz) or y; the other axis spans [o0, o1) in the target. The last
// tile is cut; a piece of length 0 draws nothing.
template <class Ops>
void TileAxis(typename Ops::Bmp* dst, typename Ops::Bmp* pic, const TRect& src, bool horz,
              int start, int end, int o0, int o1)
{
    const int p = horz ? RectWidth(src) : RectHeight(src);
    if (p <= 0) return;
    const int span = end - start;
    const int q = span / p;
    if (q < 0) return;
    // Tiles wholly outside the target draw nothing: only those that can
    // reach it are walked (a damaged skin can make the span huge).
    const int extent = horz ? Ops::W(dst) : Ops::H(dst);
    const int first = start < 0 ? (-(long long)start) / p : 0;
    const long long lastUseful = start >= extent ? -1 : ((long long)extent - 1 - start) / p;
    const int last = int(std::min<long long>(q, lastUseful));
    for (int i = first; i <= last; ++i) {
        const int a = start + i * p;
        const int b = std::min(a + p, end);
        if (b <= a) continue;
        const int cut = b - a;
        if (horz) {
            Ops::Copy(dst, TRect(a, o0, b, o1), pic, TRect(src.Left, src.Top, src.Left + cut, src.Bottom));
        } else {
            Ops::Copy(dst, TRect(o0, a, o1, b), pic, TRect(src.Left, src.Top, src.Right, src.Top + cut));
        }
    }
}

// Tiles in two directions from the top-left of `area`, cut at its right and bottom.
template <class Ops>
void Tile2D(typename Ops::Bmp* dst, typename Ops::Bmp* pic, const TRect& src, const TRect& area)
{
    const int pw = RectWidth(src), ph = RectHeight(src);
    if (pw <= 0 || ph <= 0 || IsEmptyRect(area)) return;
    // Only tiles that can reach the target are walked; the pattern keeps its
    // phase from the area's top-left corner.
    const int x0 = area.Left < 0 ? area.Left + int((-(long long)area.Left) / pw) * pw : area.Left;
    const int y0 = area.Top < 0 ? area.Top + int((-(long long)area.Top) / ph) * ph : area.Top;
    const int xEnd = std::min(area.Right, Ops::W(dst)), yEnd = std::min(area.Bottom, Ops::H(dst));
    for (int y = y0; y < yEnd; y += ph)
        for (int x = x0; x < xEnd; x += pw) {
            const int cw = std::min(pw, area.Right - x), chh = std::min(ph, area.Bottom - y);
            Ops::Copy(dst, TRect(x, y, x + cw, y + chh), pic,
                      TRect(src.Left, src.Top, src.Left + cw, src.Top + chh));
        }
}

inline TRect Off(const TRect& r, int dx, int dy) { return TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy); }

// Geometry comes from skin descriptions, which may be damaged: coordinates
// are kept within +-2^28 so that no sum of two or three of them overflows.
// Real skin pictures are far smaller, so a usable value never changes.
constexpr int kCoordLimit = 1 << 28;
inline void Sane(int& v) { v = std::clamp(v, -kCoordLimit, kCoordLimit); }
inline void Sane(TPoint& p) { Sane(p.X); Sane(p.Y); }
inline void Sane(TRect& r) { Sane(r.Left); Sane(r.Top); Sane(r.Right); Sane(r.Bottom); }
template <class... T>
void SaneAll(T&... v) { (Sane(v), ...); }

struct Geometry
{
    TPoint LT, RT, LB, RB;
    TRect Cl;
    TPoint NLT, NRT, NLB, NRB;
    TRect NCl;
};

// A band middle: stretched into the target or tiled from its start.
template <class Ops>
void BandMiddle(typename Ops::Bmp* B, typename Ops::Bmp* SB, const TRect& src, const TRect& dst,
                bool horz, bool stretch)
{
    if (stretch)
        Ops::Copy(B, dst, SB, src);
    else if (horz)
        TileAxis<Ops>(B, SB, src, true, dst.Left, dst.Right, dst.Top, dst.Bottom);
    else
        TileAxis<Ops>(B, SB, src, false, dst.Top, dst.Bottom, dst.Left, dst.Right);
}

// The client part: stretched (full, horizontal strips, vertical strips) or tiled.
template <class Ops>
void ClientPart(typename Ops::Bmp* B, typename Ops::Bmp* SB, const TRect& src, const TRect& dst,
                bool stretchEffect, TbsStretchType type)
{
    if (!stretchEffect) {
        Tile2D<Ops>(B, SB, src, dst);
        return;
    }
    const int cw = RectWidth(src), ch = RectHeight(src);
    if (cw <= 0 || ch <= 0 || IsEmptyRect(dst)) return;
    const int nw = RectWidth(dst), nh = RectHeight(dst);
    switch (type) {
    case bsstFull:
        Ops::Copy(B, dst, SB, src);
        break;
    // A strip keeps the client's width (height) at scale 1; only as much of it
    // as the target shows is made, so a damaged skin's huge client rectangle
    // needs no huge bitmap.
    case bsstHorz: {
        const int sw = std::min(cw, nw);
        auto strip = Ops::Temp(sw, nh);
        Ops::Copy(strip.get(), TRect(0, 0, sw, nh), SB, TRect(src.Left, src.Top, src.Left + sw, src.Bottom));
        for (int i = 0; i <= nw / cw; ++i) {
            const int x = dst.Left + i * cw;
            Ops::Copy(B, TRect(x, dst.Top, x + sw, dst.Bottom), strip.get(), TRect(0, 0, sw, nh), &dst);
        }
        break;
    }
    case bsstVert: {
        const int sh = std::min(ch, nh);
        auto strip = Ops::Temp(nw, sh);
        Ops::Copy(strip.get(), TRect(0, 0, nw, sh), SB, TRect(src.Left, src.Top, src.Right, src.Top + sh));
        for (int i = 0; i <= nh / ch; ++i) {
            const int y = dst.Top + i * ch;
            Ops::Copy(B, TRect(dst.Left, y, dst.Right, y + sh), strip.get(), TRect(0, 0, nw, sh), &dst);
        }
        break;
    }
    }
}

template <class Ops>
void ComposeLook(Geometry g, typename Ops::Bmp* B, typename Ops::Bmp* SB, TRect R,
                 int W, int H, bool drawClient, bool ls, bool ts, bool rs, bool bs, bool se,
                 TbsStretchType st, bool noRightBand)
{
    if (!B) return;
    SaneAll(g.LT, g.RT, g.LB, g.RB, g.Cl, g.NLT, g.NRT, g.NLB, g.NRB, g.NCl, R, W, H);
    Ops::SetSize(B, W, H);
    if (g.RB.X == g.LT.X || g.RB.Y == g.LT.Y || Ops::Empty(SB)) return;
    const int rw = RectWidth(R), rh = RectHeight(R);
    auto pic = [&](int l, int t, int r, int b) { return TRect(R.Left + l, R.Top + t, R.Left + r, R.Top + b); };
    // Band middles.
    BandMiddle<Ops>(B, SB, pic(g.LT.X, 0, g.RT.X, g.Cl.Top),
                    TRect(g.NLT.X, 0, noRightBand ? W : g.NRT.X, g.NCl.Top), true, ts);
    BandMiddle<Ops>(B, SB, pic(g.LB.X, g.Cl.Bottom, g.RB.X, rh),
                    TRect(g.NLB.X, g.NCl.Bottom, noRightBand ? W : g.NRB.X, H), true, bs);
    BandMiddle<Ops>(B, SB, pic(0, g.LT.Y, g.Cl.Left, g.LB.Y),
                    TRect(0, g.NLT.Y, g.NCl.Left, g.NLB.Y), false, ls);
    if (!noRightBand)
        BandMiddle<Ops>(B, SB, pic(g.Cl.Right, g.RT.Y, rw, g.RB.Y),
                        TRect(g.NCl.Right, g.NRT.Y, W, g.NRB.Y), false, rs);
    // Fixed pieces, copied one to one.
    auto fixed = [&](TRect s, TRect d) { Ops::Copy(B, d, SB, pic(s.Left, s.Top, s.Right, s.Bottom)); };
    fixed(TRect(0, 0, g.LT.X, g.Cl.Top), TRect(0, 0, g.NLT.X, g.NCl.Top));
    fixed(TRect(0, g.Cl.Top, g.Cl.Left, g.LT.Y), TRect(0, g.NCl.Top, g.NCl.Left, g.NLT.Y));
    if (!noRightBand) {
        fixed(TRect(g.RT.X, 0, rw, g.Cl.Top), TRect(g.NRT.X, 0, W, g.NCl.Top));
        fixed(TRect(g.Cl.Right, g.Cl.Top, rw, g.RT.Y), TRect(g.NCl.Right, g.NCl.Top, W, g.NRT.Y));
    }
    fixed(TRect(0, g.LB.Y, g.Cl.Left, rh), TRect(0, g.NLB.Y, g.NCl.Left, H));
    fixed(TRect(g.Cl.Left, g.Cl.Bottom, g.LB.X, rh), TRect(g.NCl.Left, g.NCl.Bottom, g.NLB.X, H));
    if (!noRightBand) {
        fixed(TRect(g.RB.X, g.Cl.Bottom, rw, rh), TRect(g.NRB.X, g.NCl.Bottom, W, H));
        fixed(TRect(g.Cl.Right, g.RB.Y, rw, g.Cl.Bottom), TRect(g.NCl.Right, g.NRB.Y, W, g.NCl.Bottom));
    }
    if (drawClient) {
        TRect dst = g.NCl;
        if (noRightBand) dst.Right = W;
        ClientPart<Ops>(B, SB, pic(g.Cl.Left, g.Cl.Top, g.Cl.Right, g.Cl.Bottom), dst, se, st);
    }
}

// One-axis composition: ends of `lo` and `hi` pixels and a middle.
enum class AxisEnds { Both, LeftOnly, None };

template <class Ops>
void ComposeAxis(int lo, int hi, typename Ops::Bmp* B, typename Ops::Bmp* SB, TRect R,
                 int len, bool stretch, bool horz, AxisEnds ends)
{
    if (!B) return;
    SaneAll(lo, hi, R, len);
    const int rw = RectWidth(R), rh = RectHeight(R);
    if (horz)
        Ops::SetSize(B, len, rh);
    else
        Ops::SetSize(B, rw, len);
    if (Ops::Empty(SB)) return;
    const int across = horz ? rh : rw;
    auto seg = [&](int a, int b) {   // a slice of R along the axis
        return horz ? TRect(R.Left + a, R.Top, R.Left + b, R.Bottom) : TRect(R.Left, R.Top + a, R.Right, R.Top + b);
    };
    auto tgt = [&](int a, int b) { return horz ? TRect(a, 0, b, across) : TRect(0, a, across, b); };
    const int full = horz ? rw : rh;
    if (ends != AxisEnds::None && lo != 0) Ops::Copy(B, tgt(0, lo), SB, seg(0, lo));
    if (ends == AxisEnds::Both && hi != 0) Ops::Copy(B, tgt(len - hi, len), SB, seg(full - hi, full));
    const TRect middle = seg(lo, full - hi);
    const int start = ends == AxisEnds::None ? 0 : lo;
    const int end = ends == AxisEnds::Both ? len - hi : len;
    if (stretch)
        Ops::Copy(B, tgt(start, end), SB, middle);
    else
        TileAxis<Ops>(B, SB, middle, horz, start, end, 0, across);
}
}  // namespace

// ---- public routines -------------------------------------------------------------

// Stretches the picture's client rectangle to the target's size, keeping the
// four borders around it (shared by both bitmap kinds).
template <class Bmp>
void ByClientRect(Bmp* B, Bmp* SB, TRect R, TRect ClRect, bool DrawClient, int W, int H)
{
    TRect n = ClRect;
    n.Right += W - RectWidth(R);
    n.Bottom += H - RectHeight(R);
    CreateSkinImage(TPoint(ClRect.Left, ClRect.Top), TPoint(ClRect.Right, ClRect.Top),
                    TPoint(ClRect.Left, ClRect.Bottom), TPoint(ClRect.Right, ClRect.Bottom), ClRect,
                    TPoint(n.Left, n.Top), TPoint(n.Right, n.Top), TPoint(n.Left, n.Bottom),
                    TPoint(n.Right, n.Bottom), n, B, SB, R, W, H, DrawClient, true, true, true, true,
                    true, bsstFull);
}


void CreateSkinImage(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                     TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                     TRect NewClRect, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                     bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                     bool BottomStretch, bool StretchEffect, TbsStretchType StretchType)
{
    const Geometry g{LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect};
    ComposeLook<BsOps>(g, B, SB, R, W, H, DrawClient, LeftStretch, TopStretch, RightStretch,
                       BottomStretch, StretchEffect, StretchType, false);
}

void CreateSkinImage2(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType)
{
    CreateSkinImage(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                    NewClRect, B, SB, R, W, H, DrawClient, LeftStretch, TopStretch, RightStretch,
                    BottomStretch, StretchEffect, StretchType);
}

void CreateSkinImage3(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType)
{
    const Geometry g{LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect};
    ComposeLook<BsOps>(g, B, SB, R, W, H, DrawClient, LeftStretch, TopStretch, RightStretch,
                       BottomStretch, StretchEffect, StretchType, true);
}

void CreateSkinImageByClRect(TbsBitmap* B, TbsBitmap* SB, TRect R, TRect ClRect, bool DrawClient)
{
    if (B) ByClientRect(B, SB, R, ClRect, DrawClient, B->Width(), B->Height());
}

void CreateHSkinImage(int LO, int RO, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int, bool Stretch)
{
    ComposeAxis<BsOps>(LO, RO, B, SB, R, W, Stretch, true, AxisEnds::Both);
}

void CreateHSkinImage2(int LO, int RO, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int, bool Stretch)
{
    ComposeAxis<BsOps>(LO, RO, B, SB, R, W, Stretch, true, AxisEnds::LeftOnly);
}

void CreateHSkinMiddleImage(int LO, int RO, TbsBitmap* B, TbsBitmap* SB, TRect R, int W, int,
                            bool Stretch)
{
    ComposeAxis<BsOps>(LO, RO, B, SB, R, W, Stretch, true, AxisEnds::None);
}

void CreateVSkinImage(int TO, int BO, TbsBitmap* B, TbsBitmap* SB, TRect R, int, int H, bool Stretch)
{
    ComposeAxis<BsOps>(TO, BO, B, SB, R, H, Stretch, false, AxisEnds::Both);
}

// The class library's bitmaps.

void CreateSkinImage(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                     TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                     TRect NewClRect, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                     bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                     bool BottomStretch, bool StretchEffect, TbsStretchType StretchType)
{
    const Geometry g{LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect};
    ComposeLook<VclOps>(g, B, SB, R, W, H, DrawClient, LeftStretch, TopStretch, RightStretch,
                        BottomStretch, StretchEffect, StretchType, false);
}

void CreateSkinImage2(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType)
{
    CreateSkinImage(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                    NewClRect, B, SB, R, W, H, DrawClient, LeftStretch, TopStretch, RightStretch,
                    BottomStretch, StretchEffect, StretchType);
}

void CreateSkinImage3(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                      TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                      TRect NewClRect, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                      bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                      bool BottomStretch, bool StretchEffect, TbsStretchType StretchType)
{
    const Geometry g{LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect};
    ComposeLook<VclOps>(g, B, SB, R, W, H, DrawClient, LeftStretch, TopStretch, RightStretch,
                        BottomStretch, StretchEffect, StretchType, true);
}

void CreateSkinImageByClRect(TBitmap* B, TBitmap* SB, TRect R, TRect ClRect, bool DrawClient)
{
    if (B) ByClientRect(B, SB, R, ClRect, DrawClient, B->GetWidth(), B->GetHeight());
}

void CreateHSkinImage(int LO, int RO, TBitmap* B, TBitmap* SB, TRect R, int W, int, bool Stretch)
{
    ComposeAxis<VclOps>(LO, RO, B, SB, R, W, Stretch, true, AxisEnds::Both);
}

void CreateHSkinImage2(int LO, int RO, TBitmap* B, TBitmap* SB, TRect R, int W, int, bool Stretch)
{
    ComposeAxis<VclOps>(LO, RO, B, SB, R, W, Stretch, true, AxisEnds::LeftOnly);
}

void CreateHSkinMiddleImage(int LO, int RO, TBitmap* B, TBitmap* SB, TRect R, int W, int, bool Stretch)
{
    ComposeAxis<VclOps>(LO, RO, B, SB, R, W, Stretch, true, AxisEnds::None);
}

void CreateVSkinImage(int TO, int BO, TBitmap* B, TBitmap* SB, TRect R, int, int H, bool Stretch)
{
    ComposeAxis<VclOps>(TO, BO, B, SB, R, H, Stretch, false, AxisEnds::Both);
}

namespace
{
template <class Ops>
void BorderImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                            TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                            TPoint NewRBPoint, TRect NewClRect, typename Ops::Bmp* LeftB, typename Ops::Bmp* TopB,
                            typename Ops::Bmp* RightB, typename Ops::Bmp* BottomB, typename Ops::Bmp* SB, TRect R, int W,
                            int H, bool LeftStretch, bool TopStretch, bool RightStretch,
                            bool BottomStretch)
{
    if (Ops::Empty(SB)) return;
    SaneAll(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect, R, W, H);
    (void)NewLBPoint;
    const int rw = RectWidth(R), rh = RectHeight(R);
    auto pic = [&](int l, int t, int r, int b) { return TRect(R.Left + l, R.Top + t, R.Left + r, R.Top + b); };
    // Top band: the full width, the caption rows.
    if (TopB && W > 0 && NewClRect.Top > 0 && RTPt.X - LTPt.X > 0) {
        const int th = NewClRect.Top;
        Ops::SetSize(TopB, W, th);
        const TRect mid = pic(LTPt.X, 0, RTPt.X, th);
        if (TopStretch)
            Ops::Copy(TopB, TRect(NewLTPoint.X, 0, NewRTPoint.X, th), SB, mid);
        else
            TileAxis<Ops>(TopB, SB, mid, true, 0, W, 0, th);
        Ops::Copy(TopB, TRect(0, 0, NewLTPoint.X, th), SB, pic(0, 0, LTPt.X, th));
        Ops::Copy(TopB, TRect(NewRTPoint.X, 0, W, th), SB, pic(RTPt.X, 0, rw, th));
    }
    // Bottom band: the last rows of the look.
    const int bh = H - NewClRect.Bottom;
    if (BottomB && W > 0 && bh > 0 && RBPt.X - LBPt.X > 0) {
        Ops::SetSize(BottomB, W, bh);
        const TRect mid = pic(LBPt.X, rh - bh, RBPt.X, rh);
        if (BottomStretch)
            Ops::Copy(BottomB, TRect(NewLBPoint.X, 0, NewRBPoint.X, bh), SB, mid);
        else
            TileAxis<Ops>(BottomB, SB, mid, true, 0, W, 0, bh);
        Ops::Copy(BottomB, TRect(0, 0, NewLBPoint.X, bh), SB, pic(0, rh - bh, LBPt.X, rh));
        Ops::Copy(BottomB, TRect(NewRBPoint.X, 0, W, bh), SB, pic(RBPt.X, rh - bh, rw, rh));
    }
    const int sideH = H - Ops::H(BottomB) - Ops::H(TopB);
    // Side bands span the client height only.
    auto side = [&](typename Ops::Bmp* img, int w, int srcL, int srcR, int midTop, int midBottom, bool stretch) {
        Ops::SetSize(img, w, sideH);
        const TRect mid = pic(srcL, midTop, srcR, midBottom);
        if (stretch)
            Ops::Copy(img, TRect(0, midTop - ClRect.Top, w, sideH + midBottom - ClRect.Bottom), SB, mid);
        else
            TileAxis<Ops>(img, SB, mid, false, 0, sideH, 0, w);
        if (midTop - ClRect.Top > 0)
            Ops::Copy(img, TRect(0, 0, w, midTop - ClRect.Top), SB, pic(srcL, ClRect.Top, srcR, midTop));
        if (ClRect.Bottom - midBottom > 0)
            Ops::Copy(img, TRect(0, sideH - (ClRect.Bottom - midBottom), w, sideH), SB,
                      pic(srcL, midBottom, srcR, ClRect.Bottom));
    };
    const int lw = NewClRect.Left;
    if (LeftB && lw > 0 && sideH > 0 && LBPt.Y - LTPt.Y > 0)
        side(LeftB, lw, 0, lw, LTPt.Y, LBPt.Y, LeftStretch);
    const int rwid = W - NewClRect.Right;
    if (RightB && rwid >= 1 && sideH >= 1 && RBPt.Y - RTPt.Y >= 1)
        side(RightB, rwid, ClRect.Right, rw, RTPt.Y, RBPt.Y, RightStretch);
}

template <class Ops>
void MaskImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                          TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                          TPoint NewRBPoint, TRect NewClRect, typename Ops::Bmp* MskB, typename Ops::Bmp* TopB,
                          typename Ops::Bmp* LeftB, typename Ops::Bmp* RightB, typename Ops::Bmp* BottomB, int W, int)
{
    if (Ops::Empty(MskB)) return;
    SaneAll(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect, W);
    (void)NewLBPoint;
    const int mw = Ops::W(MskB), mh = Ops::H(MskB);
    // The mask is cut to the look, so its points and client rectangle lie
    // inside it; a damaged skin's values are pulled in (the band images are
    // sized from them).
    for (TPoint* p : {&LTPt, &RTPt, &LBPt, &RBPt}) {
        p->X = std::clamp(p->X, 0, mw);
        p->Y = std::clamp(p->Y, 0, mh);
    }
    ClRect = TRect(std::clamp(ClRect.Left, 0, mw), std::clamp(ClRect.Top, 0, mh), std::clamp(ClRect.Right, 0, mw),
                   std::clamp(ClRect.Bottom, 0, mh));
    const int nch = RectHeight(NewClRect);
    auto side = [&](typename Ops::Bmp* img, int c0, int c1, int midTop, int midBottom) {
        const int w = c1 - c0;
        Ops::SetSize(img, w, nch);
        if (midBottom != midTop)
            TileAxis<Ops>(img, MskB, TRect(c0, midTop, c1, midBottom), false, 0, nch, 0, w);
        if (midTop - ClRect.Top > 0)
            Ops::Copy(img, TRect(0, 0, w, midTop - ClRect.Top), MskB, TRect(c0, ClRect.Top, c1, midTop));
        if (ClRect.Bottom - midBottom > 0)
            Ops::Copy(img, TRect(0, nch - (ClRect.Bottom - midBottom), w, nch), MskB,
                      TRect(c0, midBottom, c1, ClRect.Bottom));
    };
    if (LeftB && ClRect.Left > 0 && nch > 0) side(LeftB, 0, ClRect.Left, LTPt.Y, LBPt.Y);
    if (RightB && mw - ClRect.Right > 0 && nch > 0) side(RightB, ClRect.Right, mw, RTPt.Y, RBPt.Y);
    if (TopB && W > 0 && ClRect.Top > 0) {
        const int th = ClRect.Top;
        Ops::SetSize(TopB, W, th);
        if (RTPt.X != LTPt.X)
            TileAxis<Ops>(TopB, MskB, TRect(LTPt.X, 0, RTPt.X, th), true, NewLTPoint.X, NewRTPoint.X, 0, th);
        Ops::Copy(TopB, TRect(0, 0, LTPt.X, th), MskB, TRect(0, 0, LTPt.X, th));
        Ops::Copy(TopB, TRect(NewRTPoint.X, 0, W, th), MskB, TRect(RTPt.X, 0, mw, th));
    }
    if (BottomB && W >= 1 && mh - ClRect.Bottom >= 1) {
        const int bh = mh - ClRect.Bottom;
        Ops::SetSize(BottomB, W, bh);
        TileAxis<Ops>(BottomB, MskB, TRect(LBPt.X, ClRect.Bottom, RBPt.X, mh), true, NewLBPoint.X,
                      NewRBPoint.X, 0, bh);
        Ops::Copy(BottomB, TRect(0, 0, LBPt.X, bh), MskB, TRect(0, ClRect.Bottom, LBPt.X, mh));
        Ops::Copy(BottomB, TRect(NewRBPoint.X, 0, W, bh), MskB, TRect(RBPt.X, ClRect.Bottom, mw, mh));
    }
}

}  // namespace

void CreateSkinBorderImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                            TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                            TPoint NewRBPoint, TRect NewClRect, TbsBitmap* LeftB, TbsBitmap* TopB,
                            TbsBitmap* RightB, TbsBitmap* BottomB, TbsBitmap* SB, TRect R, int W,
                            int H, bool LeftStretch, bool TopStretch, bool RightStretch,
                            bool BottomStretch)
{
    BorderImages<BsOps>(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                        NewClRect, LeftB, TopB, RightB, BottomB, SB, R, W, H, LeftStretch, TopStretch,
                        RightStretch, BottomStretch);
}

void CreateSkinBorderImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                            TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                            TPoint NewRBPoint, TRect NewClRect, TBitmap* LeftB, TBitmap* TopB,
                            TBitmap* RightB, TBitmap* BottomB, TBitmap* SB, TRect R, int W, int H,
                            bool LeftStretch, bool TopStretch, bool RightStretch, bool BottomStretch)
{
    BorderImages<VclOps>(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                         NewClRect, LeftB, TopB, RightB, BottomB, SB, R, W, H, LeftStretch, TopStretch,
                         RightStretch, BottomStretch);
}

void CreateSkinMaskImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                          TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                          TPoint NewRBPoint, TRect NewClRect, TbsBitmap* MskB, TbsBitmap* TopB,
                          TbsBitmap* LeftB, TbsBitmap* RightB, TbsBitmap* BottomB, int W, int H)
{
    MaskImages<BsOps>(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                      NewClRect, MskB, TopB, LeftB, RightB, BottomB, W, H);
}

void CreateSkinMaskImages(TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                          TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                          TPoint NewRBPoint, TRect NewClRect, TBitmap* MskB, TBitmap* TopB,
                          TBitmap* LeftB, TBitmap* RightB, TBitmap* BottomB, int W, int H)
{
    MaskImages<VclOps>(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                       NewClRect, MskB, TopB, LeftB, RightB, BottomB, W, H);
}

// ---- masks and regions ---------------------------------------------------------------

TbsFBitmap::TbsFBitmap(const TbsBitmap* src)
{
    if (!src || src->Empty()) return;
    Width = src->Width();
    Height = src->Height();
    Initialize();
    for (int y = 0; y < Height; ++y) {
        const TbsColor* s = src->ScanLine(y);
        BYTE* d = Pixels[y];
        for (int x = 0; x < Width; ++x) {
            d[3 * x] = BYTE(s[x]);
            d[3 * x + 1] = BYTE(s[x] >> 8);
            d[3 * x + 2] = BYTE(s[x] >> 16);
        }
    }
}

TbsFBitmap::TbsFBitmap(HBITMAP src)
{
    BITMAP bm;
    if (!src || GetObject(src, int(sizeof(BITMAP)), &bm) <= 0 || bm.bmWidth <= 0 || bm.bmHeight == 0) return;
    Width = bm.bmWidth;
    Height = std::abs(bm.bmHeight);
    Initialize();
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = Width;
    bi.bmiHeader.biHeight = -Height;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, src, 0, UINT(Height), Bits, &bi, DIB_RGB_COLORS);
    DeleteDC(dc);
}

void TbsFBitmap::Initialize()
{
    Gap = Width % 4;
    RowInc = Width * 3 + Gap;
    Size = RowInc * Height;
    FStorage.assign(std::size_t(Size), 0);
    Bits = FStorage.data();
    Pixels.resize(std::size_t(Height));
    for (int i = 0; i < Height; ++i) Pixels[i] = Bits + std::ptrdiff_t(i) * RowInc;
}

namespace
{
// Runs of pure black per row; no limit on their number.
std::vector<TRect> MaskRuns(const TbsFBitmap& fb, int x, int y)
{
    std::vector<TRect> rects;
    for (int r = 0; r < fb.Height; ++r) {
        const BYTE* row = fb.Pixels[r];
        int c = 0;
        while (c < fb.Width) {
            while (c < fb.Width && row[3 * c] + row[3 * c + 1] + row[3 * c + 2] != 0) ++c;
            if (c >= fb.Width) break;
            const int c0 = c;
            while (c < fb.Width && row[3 * c] + row[3 * c + 1] + row[3 * c + 2] == 0) ++c;
            rects.emplace_back(c0 + x, r + y, c + x, r + y + 1);
        }
    }
    return rects;
}

DWORD RegionData(const TbsFBitmap& fb, int x, int y, std::vector<std::uint8_t>& Data)
{
    Data.clear();
    if (fb.Width <= 0 || fb.Height <= 0) return 0;
    const std::vector<TRect> rects = MaskRuns(fb, x, y);
    RGNDATAHEADER h{};
    h.dwSize = 32;
    h.iType = RDH_RECTANGLES;
    h.nCount = DWORD(rects.size());
    h.nRgnSize = 0;
    h.rcBound = TRect(x, y, x + fb.Width, y + fb.Height);
    Data.assign(32 + 16 * rects.size(), 0);
    std::memcpy(Data.data(), &h, 32);
    if (!rects.empty()) std::memcpy(Data.data() + 32, rects.data(), 16 * rects.size());
    return DWORD(Data.size());
}

HRGN RegionFrom(const TbsFBitmap& fb, int x, int y)
{
    std::vector<std::uint8_t> data;
    const DWORD size = RegionData(fb, x, y, data);
    if (size == 0) return nullptr;
    return ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(data.data()));
}

template <class Ops>
HRGN RegionOf(typename Ops::Bmp* b, int x, int y);
template <>
HRGN RegionOf<BsOps>(TbsBitmap* b, int x, int y)
{
    if (BsOps::Empty(b)) return nullptr;
    return RegionFrom(TbsFBitmap(b), x, y);
}
template <>
HRGN RegionOf<VclOps>(TBitmap* b, int x, int y)
{
    if (VclOps::Empty(b)) return nullptr;
    return RegionFrom(TbsFBitmap(b->GetHandle()), x, y);
}

template <class Ops>
void SkinRegion(HRGN& FRgn, TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt, TRect ClRect,
                TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint, TPoint NewRBPoint,
                TRect NewClRect, typename Ops::Bmp* Mask, int Width, int Height)
{
    FRgn = nullptr;
    if (NewRTPoint.X < NewLTPoint.X || NewLBPoint.Y < NewLTPoint.Y) return;
    auto top = Ops::Temp(0, 0), left = Ops::Temp(0, 0), right = Ops::Temp(0, 0), bottom = Ops::Temp(0, 0);
    MaskImages<Ops>(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                    NewClRect, Mask, top.get(), left.get(), right.get(), bottom.get(), Width, Height);
    if (IsEmptyRect(NewClRect)) return;
    HRGN parts[4] = {RegionOf<Ops>(top.get(), 0, 0), RegionOf<Ops>(bottom.get(), 0, NewClRect.Bottom),
                     RegionOf<Ops>(left.get(), 0, NewClRect.Top),
                     RegionOf<Ops>(right.get(), NewClRect.Right, NewClRect.Top)};
    // top with bottom, left with right, those two, then the client rectangle.
    auto unite = [](HRGN a, HRGN b) -> HRGN {
        if (!a) return b;
        if (!b) return a;
        CombineRgn(a, a, b, RGN_OR);
        DeleteObject(b);
        return a;
    };
    HRGN tb = unite(parts[0], parts[1]);
    HRGN lr = unite(parts[2], parts[3]);
    HRGN all = unite(tb, lr);
    HRGN result = CreateRectRgnIndirect(NewClRect);
    if (all) {
        CombineRgn(result, result, all, RGN_OR);
        DeleteObject(all);
    }
    FRgn = result;
}
}  // namespace

std::vector<TRect> GetMaskRects(const TbsBitmap* Mask, int x, int y)
{
    if (!Mask || Mask->Empty()) return {};
    return MaskRuns(TbsFBitmap(Mask), x, y);
}

std::vector<TRect> GetMaskRects(TBitmap* Mask, int x, int y)
{
    if (!Mask || Mask->Empty()) return {};
    return MaskRuns(TbsFBitmap(Mask->GetHandle()), x, y);
}

DWORD GetMaskBitmapRects(const TbsBitmap* Mask, int x, int y, std::vector<std::uint8_t>& Data)
{
    Data.clear();
    if (!Mask || Mask->Empty()) return 0;
    return RegionData(TbsFBitmap(Mask), x, y, Data);
}

DWORD GetMaskBitmapRects(TBitmap* Mask, int x, int y, std::vector<std::uint8_t>& Data)
{
    Data.clear();
    if (!Mask || Mask->Empty()) return 0;
    return RegionData(TbsFBitmap(Mask->GetHandle()), x, y, Data);
}

void CreateRgnFromMaskBitmap(HRGN& Rgn, const TbsBitmap* Mask)
{
    Rgn = RegionOf<BsOps>(const_cast<TbsBitmap*>(Mask), 0, 0);
}

void CreateRgnFromMaskBitmap(HRGN& Rgn, TBitmap* Mask) { Rgn = RegionOf<VclOps>(Mask, 0, 0); }

void CreateSkinRegion(HRGN& FRgn, TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt,
                      TRect ClRect, TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                      TPoint NewRBPoint, TRect NewClRect, TbsBitmap* Mask, int Width, int Height)
{
    SkinRegion<BsOps>(FRgn, LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint,
                      NewRBPoint, NewClRect, Mask, Width, Height);
}

void CreateSkinRegion(HRGN& FRgn, TPoint LTPt, TPoint RTPt, TPoint LBPt, TPoint RBPt,
                      TRect ClRect, TPoint NewLTPoint, TPoint NewRTPoint, TPoint NewLBPoint,
                      TPoint NewRBPoint, TRect NewClRect, TBitmap* Mask, int Width, int Height)
{
    SkinRegion<VclOps>(FRgn, LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint,
                       NewRBPoint, NewClRect, Mask, Width, Height);
}
