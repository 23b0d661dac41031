// Regions: set operations checked pixel by pixel against a brute-force
// model, canonical form, and the region-handle calls.
#include "platform/os/Gdi.h"
#include "platform/os/Region.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace
{
// Pixel membership over a window that covers every test shape.
constexpr int kLo = -4, kHi = 24;

std::vector<TRect> RandomRects(std::mt19937& rng, int n)
{
    std::uniform_int_distribution<int> c(kLo + 1, kHi - 1);
    std::vector<TRect> out;
    for (int i = 0; i < n; ++i)
    {
        int a = c(rng), b = c(rng), d = c(rng), e = c(rng);
        out.emplace_back(std::min(a, b), std::min(d, e), std::max(a, b), std::max(d, e));
    }
    return out;
}

bool InRects(const std::vector<TRect>& rs, int x, int y)
{
    for (const TRect& r : rs)
        if (r.Contains(TPoint(x, y))) return true;
    return false;
}

// The canonical form: bands sorted and disjoint, spans sorted and not
// touching, neighbouring bands that touch differ.
void ExpectCanonical(const TRegion& r)
{
    const auto& bands = r.Bands();
    for (size_t i = 0; i < bands.size(); ++i)
    {
        const auto& b = bands[i];
        ASSERT_LT(b.Top, b.Bottom);
        ASSERT_FALSE(b.Xs.empty());
        ASSERT_EQ(b.Xs.size() % 2, 0u);
        for (size_t k = 0; k + 1 < b.Xs.size(); ++k) ASSERT_LT(b.Xs[k], b.Xs[k + 1]);
        if (i > 0)
        {
            ASSERT_LE(bands[i - 1].Bottom, b.Top);
            if (bands[i - 1].Bottom == b.Top) { ASSERT_NE(bands[i - 1].Xs, b.Xs); }
        }
    }
}
}  // namespace

TEST(GdiRegion, SetOperationsMatchPixelModel)
{
    std::mt19937 rng(1234);
    using Pred = std::function<bool(bool, bool)>;
    struct Op { const char* name; std::function<TRegion(const TRegion&, const TRegion&)> f; Pred p; };
    const Op ops[] = {
        {"union", [](const TRegion& a, const TRegion& b) { return a.Union(b); }, [](bool x, bool y) { return x || y; }},
        {"intersect", [](const TRegion& a, const TRegion& b) { return a.Intersect(b); }, [](bool x, bool y) { return x && y; }},
        {"subtract", [](const TRegion& a, const TRegion& b) { return a.Subtract(b); }, [](bool x, bool y) { return x && !y; }},
        {"xor", [](const TRegion& a, const TRegion& b) { return a.Xor(b); }, [](bool x, bool y) { return x != y; }},
    };
    for (int round = 0; round < 40; ++round)
    {
        auto ra = RandomRects(rng, 1 + round % 5), rb = RandomRects(rng, 1 + (round / 3) % 4);
        TRegion a = TRegion::FromRects(ra), b = TRegion::FromRects(rb);
        ExpectCanonical(a);
        for (const Op& op : ops)
        {
            TRegion r = op.f(a, b);
            ExpectCanonical(r);
            for (int y = kLo; y < kHi; ++y)
                for (int x = kLo; x < kHi; ++x)
                    ASSERT_EQ(r.Contains(x, y), op.p(InRects(ra, x, y), InRects(rb, x, y)))
                        << op.name << " round " << round << " at " << x << "," << y;
        }
    }
}

TEST(GdiRegion, EmptyAndSingleRectangleOperands)
{
    // The cases answered without the band sweep, against the pixel model.
    const TRegion empty, rect(Rect(2, 2, 12, 9)), inner(Rect(4, 3, 8, 6)), apart(Rect(14, 0, 20, 4)),
        frame = TRegion::FromRects({Rect(0, 0, 16, 2), Rect(0, 2, 2, 14), Rect(14, 2, 16, 14), Rect(0, 14, 16, 16)});
    const TRegion* shapes[] = {&empty, &rect, &inner, &apart, &frame};
    for (const TRegion* a : shapes)
        for (const TRegion* b : shapes)
        {
            const TRegion u = a->Union(*b), i = a->Intersect(*b), d = a->Subtract(*b);
            ExpectCanonical(u);
            ExpectCanonical(i);
            ExpectCanonical(d);
            for (int y = kLo; y < kHi; ++y)
                for (int x = kLo; x < kHi; ++x)
                {
                    const bool inA = a->Contains(x, y), inB = b->Contains(x, y);
                    ASSERT_EQ(u.Contains(x, y), inA || inB) << x << "," << y;
                    ASSERT_EQ(i.Contains(x, y), inA && inB) << x << "," << y;
                    ASSERT_EQ(d.Contains(x, y), inA && !inB) << x << "," << y;
                }
        }
}

TEST(GdiRegion, SamePixelsGiveEqualRegions)
{
    // An L-shape built two ways, and a rectangle split into strips.
    TRegion a = TRegion::FromRects({Rect(0, 0, 10, 5), Rect(0, 5, 5, 10)});
    TRegion b = TRegion(Rect(0, 0, 5, 10)).Union(TRegion(Rect(5, 0, 10, 5)));
    EXPECT_EQ(a, b);
    TRegion strips = TRegion::FromRects({Rect(0, 0, 3, 4), Rect(3, 0, 7, 4), Rect(7, 0, 9, 4), Rect(0, 4, 9, 6)});
    EXPECT_EQ(strips, TRegion(Rect(0, 0, 9, 6)));
    EXPECT_TRUE(strips.IsRect());
    EXPECT_EQ(strips.RectCount(), 1u);
}

TEST(GdiRegion, QueriesAndOffset)
{
    TRegion r = TRegion::FromRects({Rect(0, 0, 10, 2), Rect(0, 2, 2, 8), Rect(8, 2, 10, 8), Rect(0, 8, 10, 10)});  // a frame
    EXPECT_EQ(r.Bounds(), Rect(0, 0, 10, 10));
    EXPECT_FALSE(r.Contains(5, 5));
    EXPECT_TRUE(r.Contains(0, 0));
    EXPECT_FALSE(r.Contains(10, 0));   // right edge excluded
    EXPECT_TRUE(r.Intersects(Rect(4, 4, 9, 5)));
    EXPECT_FALSE(r.Intersects(Rect(3, 3, 7, 7)));
    EXPECT_TRUE(r.ContainsRect(Rect(0, 0, 10, 2)));
    EXPECT_FALSE(r.ContainsRect(Rect(0, 0, 10, 3)));
    EXPECT_FALSE(r.ContainsRect(Rect(0, 0, 0, 0)));
    r.Offset(-3, 4);
    EXPECT_EQ(r.Bounds(), Rect(-3, 4, 7, 14));
    EXPECT_TRUE(r.Contains(-3, 4));
    EXPECT_EQ(r.Rects().size(), 4u);
    EXPECT_TRUE(TRegion(Rect(5, 5, 5, 9)).IsEmpty());
    EXPECT_EQ(TRegion().Bounds(), TRect());
}

TEST(GdiRegion, HandleCalls)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN d = CreateRectRgn(0, 0, 0, 0);
    struct Case { int mode; int kind; int area; };
    const Case cases[] = {
        {RGN_AND, SIMPLEREGION, 25}, {RGN_OR, COMPLEXREGION, 175}, {RGN_DIFF, COMPLEXREGION, 75},
        {RGN_XOR, COMPLEXREGION, 150}, {RGN_COPY, SIMPLEREGION, 100},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(CombineRgn(d, a, b, c.mode), c.kind) << c.mode;
        int area = 0;
        for (const TRect& r : RegionOf(d)->Rects()) area += r.Width() * r.Height();
        EXPECT_EQ(area, c.area) << c.mode;
    }
    EXPECT_EQ(CombineRgn(d, a, b, 99), RGN_ERROR);
    // The destination may be one of the sources.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(a, 7, 7));
    EXPECT_TRUE(PtInRegion(a, 2, 7));
    EXPECT_TRUE(RectInRegion(a, Rect(9, 0, 20, 1)));
    EXPECT_FALSE(RectInRegion(a, Rect(6, 6, 8, 8)));
    TRect box;
    EXPECT_EQ(OffsetRgn(b, 1, 1), SIMPLEREGION);
    EXPECT_EQ(GetRgnBox(b, &box), SIMPLEREGION);
    EXPECT_EQ(box, Rect(6, 6, 16, 16));
    EXPECT_EQ(GetRgnBox(d, &box), SIMPLEREGION);
    // Region handles are not brushes and vice versa.
    HBRUSH br = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(CombineRgn(d, br, a, RGN_OR), RGN_ERROR);
    EXPECT_EQ(RegionOf(br), nullptr);
    EXPECT_TRUE(DeleteObject(br));
    for (HRGN h : {a, b, d}) EXPECT_TRUE(DeleteObject(h));
    EXPECT_FALSE(DeleteObject(a));   // already gone
}

TEST(GdiRegion, RegionDataRoundTripAndBadData)
{
    // A mask scanned into one-row runs, as the skin code builds them.
    std::vector<TRect> runs = {Rect(0, 0, 1, 1), Rect(2, 0, 3, 1), Rect(0, 1, 1, 2), Rect(2, 1, 3, 2)};
    std::vector<char> buf(sizeof(RGNDATAHEADER) + runs.size() * sizeof(TRect));
    RGNDATAHEADER h{sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(runs.size()), 0, Rect(0, 0, 3, 2)};
    std::memcpy(buf.data(), static_cast<const void*>(&h), sizeof h);
    std::memcpy(buf.data() + sizeof h, runs.data(), runs.size() * sizeof(TRect));
    auto* data = reinterpret_cast<const RGNDATA*>(buf.data());
    HRGN r = ExtCreateRegion(nullptr, DWORD(buf.size()), data);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(*RegionOf(r), TRegion::FromRects({Rect(0, 0, 1, 2), Rect(2, 0, 3, 2)}));

    DWORD need = GetRegionData(r, 0, nullptr);
    EXPECT_EQ(need, sizeof(RGNDATAHEADER) + 2 * sizeof(TRect));
    std::vector<char> out(need);
    EXPECT_EQ(GetRegionData(r, need, reinterpret_cast<RGNDATA*>(out.data())), need);
    HRGN back = ExtCreateRegion(nullptr, need, reinterpret_cast<const RGNDATA*>(out.data()));
    EXPECT_TRUE(EqualRgn(r, back));

    // Malformed data is refused: count beyond the size, wrong header size or type.
    struct Bad { DWORD size; DWORD hdr; DWORD type; DWORD count; };
    const Bad bads[] = {
        {DWORD(buf.size()), 32, RDH_RECTANGLES, 5}, {DWORD(buf.size()), 40, RDH_RECTANGLES, 4},
        {DWORD(buf.size()), 32, 2, 4}, {16, 32, RDH_RECTANGLES, 0},
    };
    for (const Bad& b : bads)
    {
        RGNDATAHEADER bh{b.hdr, b.type, b.count, 0, TRect()};
        std::memcpy(buf.data(), static_cast<const void*>(&bh), sizeof bh);
        EXPECT_EQ(ExtCreateRegion(nullptr, b.size, reinterpret_cast<const RGNDATA*>(buf.data())), nullptr);
    }
    EXPECT_EQ(ExtCreateRegion(nullptr, 100, nullptr), nullptr);
    DeleteObject(r);
    DeleteObject(back);
}
