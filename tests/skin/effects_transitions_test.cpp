// TbsEffectBmp: layout, the transitions at chosen factors, resizing and the
// image effects.
#include "lib/bsEffects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace
{
using Bmp = std::unique_ptr<TbsEffectBmp>;

// A one-row picture whose blue channel holds `v` per column.
Bmp RowOf(const std::vector<int>& v, int height = 1)
{
    Bmp b(new TbsEffectBmp(int(v.size()), height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < int(v.size()); ++x) b->SetPixel(x, y, std::uint32_t(v[x]));
    return b;
}
std::vector<int> Blues(const TbsEffectBmp& b, int y = 0)
{
    std::vector<int> out;
    for (int x = 0; x < b.Width; ++x) out.push_back(int(b.GetPixel(x, y) & 0xFF));
    return out;
}
Bmp Solid(int w, int h, std::uint32_t c)
{
    Bmp b(new TbsEffectBmp(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b->SetPixel(x, y, c);
    return b;
}
}  // namespace

TEST(EffectsTransitions, Layout)
{
    EXPECT_EQ(TbsEffectBmp::RowStride(5), 16);
    EXPECT_EQ(TbsEffectBmp::RowStride(4), 12);
    EXPECT_EQ(TbsEffectBmp::RowStride(1), 4);
    TbsEffectBmp b(5, 3);
    EXPECT_EQ(b.Size, 48);
    b.SetPixel(4, 2, 0x123456);
    EXPECT_EQ(b.ScanLinePtr(2)[12], 0x56);
    EXPECT_EQ(b.ScanLinePtr(2)[14], 0x12);
    EXPECT_EQ(b.GetPixel(4, 2), 0x123456u);
    TbsEffectBmp bad(-1, 4);   // failed creation: no pixels, nothing raised
    EXPECT_EQ(bad.Bits, nullptr);
    bad.Morph(&b, 0.5);
    bad.Invert();
}

TEST(EffectsTransitions, MorphRounding)
{
    Bmp a = RowOf({1, 10, 200}), b = RowOf({2, 20, 100});
    a->Morph(b.get(), 0.5);
    EXPECT_EQ(Blues(*a), (std::vector<int>{2, 15, 150}));   // 1.5 rounds to even 2
    Bmp c = RowOf({1, 10, 200});
    c->Morph(b.get(), 1.7);   // limited to 1
    EXPECT_EQ(Blues(*c), Blues(*b));
    Bmp d = RowOf({1, 10, 200});
    d->Morph(b.get(), std::nan(""));   // NaN counts as 0
    EXPECT_EQ(Blues(*d), (std::vector<int>{1, 10, 200}));
}

TEST(EffectsTransitions, OtherSizeLeavesBitmap)
{
    Bmp a = RowOf({1, 2, 3, 4}), other = RowOf({9, 9, 9});
    for (auto fn : {&TbsEffectBmp::Morph, &TbsEffectBmp::MorphHGrad, &TbsEffectBmp::MorphVGrad,
                    &TbsEffectBmp::MorphGrad, &TbsEffectBmp::MorphLeftGrad,
                    &TbsEffectBmp::MorphRightGrad, &TbsEffectBmp::MorphPush,
                    &TbsEffectBmp::MorphLeftSlide, &TbsEffectBmp::MorphRightSlide}) {
        (a.get()->*fn)(other.get(), 0.5);
        EXPECT_EQ(Blues(*a), (std::vector<int>{1, 2, 3, 4}));
    }
}

TEST(EffectsTransitions, SevenMorphsAtChosenFactors)
{
    const std::vector<int> self = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<int> target = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    struct Case
    {
        const char* name;
        void (TbsEffectBmp::*fn)(TbsEffectBmp*, double);
        double kf;
        std::vector<int> want;
    } cases[] = {
        {"LeftSlide 0", &TbsEffectBmp::MorphLeftSlide, 0, {19, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"LeftSlide .3", &TbsEffectBmp::MorphLeftSlide, 0.3, {17, 18, 19, 0, 0, 0, 0, 0, 0, 0}},
        {"RightSlide .3", &TbsEffectBmp::MorphRightSlide, 0.3, {0, 0, 0, 0, 0, 0, 0, 10, 11, 12}},
        {"Push 1", &TbsEffectBmp::MorphPush, 1, target},
        {"Push .2", &TbsEffectBmp::MorphPush, 0.2, {17, 18, 19, 0, 0, 0, 0, 0, 0, 0}},
        {"HGrad 1", &TbsEffectBmp::MorphHGrad, 1, target},
        // n 4, g 3: band 3..7 is the target, then thirds back to this picture
        {"HGrad .4", &TbsEffectBmp::MorphHGrad, 0.4, {0, 4, 8, 13, 14, 15, 16, 17, 12, 6}},
        // n 5: column 0 the target, t steps of 1/5 up to column 5
        {"LeftGrad .5", &TbsEffectBmp::MorphLeftGrad, 0.5, {10, 9, 7, 5, 3, 0, 0, 0, 0, 0}},
        // c 6: four columns from the right, t steps of 1/4
        {"RightGrad .4", &TbsEffectBmp::MorphRightGrad, 0.4, {0, 0, 0, 0, 0, 0, 4, 8, 14, 19}},
    };
    for (const Case& c : cases) {
        Bmp a = RowOf(self), b = RowOf(target);
        (a.get()->*c.fn)(b.get(), c.kf);
        EXPECT_EQ(Blues(*a), c.want) << c.name;
    }
}

TEST(EffectsTransitions, VerticalGradient)
{
    // 1 x 9 picture; kf 1/3: n 3, g 2, band rows 3..5, halves back to this picture.
    Bmp a(new TbsEffectBmp(1, 9)), b(new TbsEffectBmp(1, 9));
    for (int y = 0; y < 9; ++y) b->SetPixel(0, y, 100);
    a->MorphVGrad(b.get(), 1.0 / 3);
    const int want[9] = {0, 0, 50, 100, 100, 100, 50, 0, 0};
    for (int y = 0; y < 9; ++y) EXPECT_EQ(int(a->GetPixel(0, y) & 0xFF), want[y]) << y;
    // MorphGrad picks the vertical form for a tall picture.
    Bmp c(new TbsEffectBmp(1, 9));
    c->MorphGrad(b.get(), 1.0 / 3);
    for (int y = 0; y < 9; ++y) EXPECT_EQ(c->GetPixel(0, y), a->GetPixel(0, y));
}

TEST(EffectsTransitions, MorphRectStaysInside)
{
    Bmp a = Solid(4, 4, 0), b = Solid(4, 4, 0x646464);
    a->MorphRect(b.get(), 0.5, TRect(2, 2, 9, 9), 3, 3);   // source runs out after one pixel
    EXPECT_EQ(a->GetPixel(2, 2), 0x323232u);
    EXPECT_EQ(a->GetPixel(3, 3), 0u);
    EXPECT_EQ(a->GetPixel(1, 1), 0u);
}

TEST(EffectsTransitions, ResizeAndCopyRect)
{
    Bmp s(new TbsEffectBmp(2, 2));
    s->SetPixel(0, 0, 1);
    s->SetPixel(1, 0, 2);
    s->SetPixel(0, 1, 3);
    s->SetPixel(1, 1, 4);
    Bmp d(new TbsEffectBmp(4, 4));
    s->Resize(d.get());
    // 3 x 3 blocks at 0 and R(1.5) = 2; later pixels overwrite earlier ones.
    const int want[4][4] = {{1, 1, 2, 2}, {1, 1, 2, 2}, {3, 3, 4, 4}, {3, 3, 4, 4}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(int(d->GetPixel(x, y)), want[y][x]) << x << "," << y;

    Bmp c(new TbsEffectBmp(3, 3));
    c->CopyRect(d.get(), TRect(0, 0, 1, 1), 2, 2);   // inclusive: 2 x 2 pixels
    EXPECT_EQ(c->GetPixel(0, 0), 4u);
    EXPECT_EQ(c->GetPixel(1, 1), 4u);
    EXPECT_EQ(c->GetPixel(2, 2), 0u);
    c->CopyRect(d.get(), TRect(0, 0, 9, 9), 3, 3);   // reaches past the source: skipped there
    EXPECT_EQ(c->GetPixel(0, 0), 4u);
    EXPECT_EQ(c->GetPixel(1, 0), 4u);
}

TEST(EffectsImage, ToneEffects)
{
    Bmp b = RowOf({100, 101, 0});
    b->ChangeBrightness(0.5);
    EXPECT_EQ(Blues(*b), (std::vector<int>{178, 178, 128}));   // 177.5 rounds to even
    Bmp d = RowOf({101, 100, 255});
    d->ChangeDarkness(0.5);
    EXPECT_EQ(Blues(*d), (std::vector<int>{50, 50, 128}));   // 50.5 rounds to even
    Bmp n = RowOf({7});
    n->ChangeBrightness(-3);   // limited to 0
    EXPECT_EQ(Blues(*n), (std::vector<int>{7}));
    n->Invert();
    EXPECT_EQ(n->GetPixel(0, 0), 0xFFFFF8u);

    TbsEffectBmp g(2, 1);
    g.SetPixel(0, 0, 0x646464);
    g.SetPixel(1, 0, 0x00FF00);
    g.GrayScale();
    EXPECT_EQ(g.GetPixel(0, 0), 0x646464u);
    EXPECT_EQ(g.GetPixel(1, 0), 0x969696u);
}

TEST(EffectsImage, SplitBlurSamples)
{
    // Column picture 1 x 10 whose row y holds 10 * y; SplitBlur(2) on row 9
    // takes its upper samples from row 7 and its lower ones from row 1.
    Bmp b(new TbsEffectBmp(1, 10));
    for (int y = 0; y < 10; ++y) b->SetPixel(0, y, std::uint32_t(10 * y));
    Bmp ref = Bmp(TbsEffectBmp::CreateCopy(b.get()));
    b->SplitBlur(2);
    // Row 9 reads rows 7 and 1 as already changed by this pass.
    const int r7 = int(b->GetPixel(0, 7) & 0xFF), r1 = int(b->GetPixel(0, 1) & 0xFF);
    EXPECT_EQ(int(b->GetPixel(0, 9) & 0xFF), (2 * r7 + 2 * r1) >> 2);
    // Row 0: upper is row 0, lower row 2 (unchanged yet).
    EXPECT_EQ(int(b->GetPixel(0, 0) & 0xFF), (0 + 0 + 20 + 20) >> 2);
    b->SplitBlur(0);
    // Amounts as large as the picture or negative stay inside it.
    b->SplitBlur(10);
    b->SplitBlur(-40);
    b->SplitBlur(1000);
}

TEST(EffectsImage, MosaicNoiseWaveRotateFlip)
{
    Bmp m(new TbsEffectBmp(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) m->SetPixel(x, y, std::uint32_t(y * 4 + x));
    m->Mosaic(3);
    const int want[4][4] = {{0, 0, 0, 3}, {0, 0, 0, 3}, {0, 0, 0, 3}, {12, 12, 12, 15}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(int(m->GetPixel(x, y)), want[y][x]);
    Bmp keep(TbsEffectBmp::CreateCopy(m.get()));
    m->Mosaic(1);
    m->AddMonoNoise(1);
    m->AddColorNoise(1);
    m->Wave(3, 4, 0);
    m->Wave(0, 4, 5);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(m->GetPixel(x, y), keep->GetPixel(x, y));
    m->Wave(1, 1, 50);   // far offsets stay inside the picture
    m->AddMonoNoise(300);
    m->AddColorNoise(-5);

    Bmp r(new TbsEffectBmp(3, 2));
    r->SetPixel(0, 0, 7);
    r->SetPixel(2, 1, 9);
    Bmp r1(new TbsEffectBmp(2, 3)), r2(new TbsEffectBmp(2, 3)), wrong(new TbsEffectBmp(3, 2));
    r->Rotate90_1(r1.get());
    EXPECT_EQ(r1->GetPixel(0, 2), 7u);
    EXPECT_EQ(r1->GetPixel(1, 0), 9u);
    r->Rotate90_2(r2.get());
    EXPECT_EQ(r2->GetPixel(1, 0), 7u);
    EXPECT_EQ(r2->GetPixel(0, 2), 9u);
    r->Rotate90_1(wrong.get());   // wrong size: nothing
    EXPECT_EQ(wrong->GetPixel(0, 0), 0u);
    Bmp f(new TbsEffectBmp(3, 2));
    r->FlipVert(f.get());
    EXPECT_EQ(f->GetPixel(0, 1), 7u);
    EXPECT_EQ(f->GetPixel(2, 0), 9u);
}

TEST(EffectsImage, MaskOperations)
{
    Bmp pic(new TbsEffectBmp(4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) pic->SetPixel(x, y, std::uint32_t(20 * x * x + y));
    Bmp keep(TbsEffectBmp::CreateCopy(pic.get()));
    Bmp white = Solid(4, 4, 0xFFFFFF);
    pic->MaskBlur(white.get(), 1);
    pic->MaskAntialiasing(white.get(), 1);
    pic->MaskFillColor(white.get(), 0x0000FF, 0.5);
    Bmp narrow = Solid(3, 4, 0), low = Solid(4, 3, 0);
    pic->MaskBlur(narrow.get(), 1);
    pic->MaskBlur(low.get(), 1);
    pic->MaskFillColor(low.get(), 0x0000FF, 0.5);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) ASSERT_EQ(pic->GetPixel(x, y), keep->GetPixel(x, y));

    // Black mask on the left half: only those pixels take the colour.
    Bmp half = Solid(4, 4, 0xFFFFFF);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 2; ++x) half->SetPixel(x, y, 0);
    Bmp fill = Solid(4, 4, 0);
    fill->MaskFillColor(half.get(), RGB(255, 0, 0), 0.5);   // red: 127.5 rounds to 128
    EXPECT_EQ(fill->GetPixel(0, 0), 0x800000u);
    EXPECT_EQ(fill->GetPixel(3, 3), 0u);

    // Antialiasing softens only pixels within Amount of the white area.
    Bmp aa(TbsEffectBmp::CreateCopy(keep.get()));
    aa->MaskAntialiasing(half.get(), 1);
    EXPECT_EQ(aa->GetPixel(0, 1), keep->GetPixel(0, 1));    // its samples (0, 1) are black
    EXPECT_NE(aa->GetPixel(1, 1), keep->GetPixel(1, 1));    // right sample column 2 is white
    EXPECT_EQ(aa->GetPixel(2, 1), keep->GetPixel(2, 1));    // white mask: left alone
}
