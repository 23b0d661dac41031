// The static skinned controls: panel (client rectangle, roll-up, check mode,
// background picture, transparency), group box caption, paint panel, status
// bar grip, labels, bevel shapes and the splitter.
#include "lib/bsSkinValidate.h"
#include "skin/skinctrls_helpers.h"

#include <cstdlib>
#include <set>

using namespace ctrltest;

namespace
{
// The bounding box of pixels in `c`'s area that differ from `bg`, or an
// empty rectangle.
TRect InkBox(TTestDriver& d, TControl* c, COLORREF bg)
{
    TRect box(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    const TPoint o = c->ClientToScreen(TPoint(0, 0));
    for (int y = 0; y < c->Height(); ++y)
        for (int x = 0; x < c->Width(); ++x)
            if (PixelToColorRef(d.PixelAt(TPoint(o.X + x, o.Y + y))) != bg)
            {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box.Left == INT32_MAX ? TRect() : box;
}

// Whether some pixel is (nearly) the colour: text is drawn with smoothed
// edges, so only the cores of its strokes reach the colour itself.
bool HasInk(const std::set<COLORREF>& colours, COLORREF want)
{
    for (COLORREF c : colours)
        if (std::abs(GetRValue(c) - GetRValue(want)) <= 48 && std::abs(GetGValue(c) - GetGValue(want)) <= 48 &&
            std::abs(GetBValue(c) - GetBValue(want)) <= 48)
            return true;
    return false;
}

std::set<COLORREF> Colours(TTestDriver& d, TControl* c)
{
    std::set<COLORREF> out;
    const TPoint o = c->ClientToScreen(TPoint(0, 0));
    for (int y = 0; y < c->Height(); ++y)
        for (int x = 0; x < c->Width(); ++x) out.insert(PixelToColorRef(d.PixelAt(TPoint(o.X + x, o.Y + y))));
    return out;
}
} // namespace

TEST_F(SkinCtrlTest, PanelDefaultsAndClientRectangles)
{
    TSkinnedForm* f = MakeForm();
    auto* p = new TbsSkinPanel(f);
    EXPECT_EQ(TSize(p->Width(), p->Height()), TSize(150, 150));
    EXPECT_EQ(p->BorderStyle(), TbsSkinBorderStyle::bvFrame);
    EXPECT_FALSE(p->CaptionMode());
    EXPECT_EQ(p->SkinDataName(), "panel");
    p->SetParent(f);
    struct Case
    {
        bool Caption, Ribbon;
        TbsSkinBorderStyle Border;
        TRect Client;
    };
    const Case cases[] = {
        {false, false, TbsSkinBorderStyle::bvFrame, {1, 1, 149, 149}},
        {true, false, TbsSkinBorderStyle::bvFrame, {1, 23, 149, 149}},
        {true, true, TbsSkinBorderStyle::bvFrame, {1, 1, 149, 127}},
        {true, false, TbsSkinBorderStyle::bvNone, {0, 22, 150, 150}},
        {false, false, TbsSkinBorderStyle::bvRaised, {1, 1, 149, 149}},
    };
    for (const Case& c : cases)
    {
        p->SetCaptionMode(c.Caption);
        p->SetRibbonStyle(c.Ribbon);
        p->SetBorderStyle(c.Border);
        TRect r;
        p->GetSkinClientRect(r);
        EXPECT_EQ(r, c.Client) << c.Caption << c.Ribbon << int(c.Border);
    }
}

TEST_F(SkinCtrlTest, PanelRollUpAndCheckMode)
{
    TSkinnedForm* f = MakeForm(300, 300);
    auto* p = new TbsSkinPanel(f);
    p->SetBounds(0, 0, 150, 150);
    p->SetParent(f);
    p->SetCaptionMode(true);
    p->SetCaption("卷起");
    auto* a = new TbsSkinPanel(f);
    a->SetBounds(10, 40, 30, 30);
    a->SetParent(p);
    auto* b = new TbsSkinPanel(f);
    b->SetBounds(50, 40, 30, 30);
    b->SetParent(p);
    b->Hide();
    f->Show();
    driver->PumpUntilIdle();

    // Check mode: a click on the caption toggles Checked and the children.
    int checkedEvents = 0;
    p->OnChecked = [&](TObject*) { ++checkedEvents; };
    p->SetCheckedMode(true);
    driver->Click(p->ClientToScreen(TPoint(60, 10)));
    EXPECT_TRUE(p->Checked());
    EXPECT_TRUE(a->GetEnabled());
    driver->Click(p->ClientToScreen(TPoint(60, 10)));
    EXPECT_FALSE(p->Checked());
    EXPECT_FALSE(a->GetEnabled());
    driver->Click(p->ClientToScreen(TPoint(60, 100)));   // not on the caption
    EXPECT_FALSE(p->Checked());
    p->SetChecked(false);                                 // same value: fires too
    EXPECT_EQ(checkedEvents, 3);
    p->SetCheckedMode(false);

    // Roll-up without a skin entry: caption height + 1, children hidden.
    int rollEvents = 0;
    p->OnChangeRollUpState = [&](TObject*) { ++rollEvents; };
    p->SetRollUpMode(true);
    driver->Click(p->ClientToScreen(TPoint(60, 10)));
    EXPECT_TRUE(p->RollUpState());
    EXPECT_EQ(p->Height(), 23);
    EXPECT_EQ(p->RealHeight, 150);
    EXPECT_FALSE(a->GetVisible());
    p->SetRollUpState(false);
    EXPECT_EQ(p->Height(), 150);
    EXPECT_TRUE(a->GetVisible());
    EXPECT_TRUE(b->GetVisible());   // every child comes back
    EXPECT_EQ(rollEvents, 2);

    // Rolled up across skin changes: the rolled height follows the skin.
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("rollup", 0));
    p->Constraints.MaxHeight = 400;
    p->SetRollUpState(true);
    p->SetSkinData(&sd);   // entry 40 x 30 with a 20-high client: 10 of frame
    EXPECT_EQ(p->Height(), 150 - 140);
    EXPECT_EQ(p->RealHeight, 150);
    sd.LoadFromFile(WriteBareSkin("rollup"));
    driver->PumpUntilIdle();
    EXPECT_EQ(p->Height(), 23);
    // Clearing RollUpMode while rolled: the constraints come back, the
    // height stays.
    p->SetRollUpMode(false);
    p->SetRollUpState(false);
    EXPECT_FALSE(p->RollUpState());
    EXPECT_EQ(p->Height(), 23);
    EXPECT_EQ(p->Constraints.MaxHeight, 400);
}

TEST_F(SkinCtrlTest, GroupBoxCaptionPlacement)
{
    TSkinnedForm* f = MakeForm(300, 220);
    auto* g = new TbsSkinGroupBox(f);
    EXPECT_TRUE(g->CaptionMode());
    EXPECT_EQ(g->SkinDataName(), "groupbox");
    g->SetBounds(10, 10, 200, 100);
    g->SetCaption("分组框");
    g->SetParent(f);
    auto* child = new TbsSkinPanel(f);
    child->SetAlign(alClient);
    child->SetParent(g);
    f->Show();
    driver->PumpUntilIdle();
    // Default look: the children sit below the 22-pixel caption strip, the
    // caption text inside the strip.
    EXPECT_EQ(child->BoundsRect(), TRect(1, 23, 199, 99));
    const TRect ink = InkBox(*driver, g, ColorToRGB(clBtnFace));
    EXPECT_EQ(ink.Top, 0);   // the strip's frame
    std::set<COLORREF> strip;
    for (int y = 3; y < 19; ++y)
        for (int x = 3; x < 120; ++x) strip.insert(At(g, x, y));
    EXPECT_TRUE(HasInk(strip, ColorToRGB(clBtnText)));

    // Skin look: the caption rectangle spans the top corners, so it grows
    // with the width; the text is drawn in it in the entry's colour.
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("groupbox", 0));
    g->SetSkinData(&sd);
    driver->PumpUntilIdle();
    EXPECT_EQ(g->NewCaptionRect, TRect(2, 1, 198, 9));
    EXPECT_TRUE(g->ForcebackGround);
    int green = 0;
    for (int y = 0; y < g->Height(); ++y)
        for (int x = 0; x < g->Width(); ++x)
            if (HasInk({At(g, x, y)}, RGB(0, 255, 0)))
            {
                ++green;
                EXPECT_TRUE(PtInRectInclusive(g->NewCaptionRect, TPoint(x, y))) << x << "," << y;
            }
    EXPECT_GT(green, 0);
    EXPECT_EQ(child->BoundsRect(), TRect(3, 10, 197, 97));
    // A skin whose client lies above the caption turns the border-pieces
    // painting off for good.
    sd.LoadFromFile(WriteSkin("groupbox1", 1));
    driver->PumpUntilIdle();
    EXPECT_FALSE(g->ForcebackGround);
    sd.LoadFromFile(WriteSkin("groupbox0", 0));
    driver->PumpUntilIdle();
    EXPECT_FALSE(g->ForcebackGround);
}

TEST_F(SkinCtrlTest, PanelBackgroundPictureTransparencyAndPaintPanel)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("panels", 0));
    TSkinnedForm* f = MakeForm(400, 200);
    auto* bg = new TbsSkinPanel(f);
    bg->SetSkinDataName("bgpanel");
    bg->SetBounds(0, 0, 100, 80);
    bg->SetParent(f);
    auto* bgChild = new TbsSkinPanel(f);
    bgChild->SetAlign(alClient);
    bgChild->SetParent(bg);
    bg->SetSkinData(&sd);
    auto* clear = new TbsSkinPanel(f);
    clear->SetBounds(110, 0, 100, 80);
    clear->SetBorderStyle(TbsSkinBorderStyle::bvNone);
    clear->SetTransparentMode(true);
    clear->SetParent(f);
    clear->SetSkinData(&sd);
    auto* frame = new TbsSkinGroupBox(f);   // transparent caption frame
    frame->SetBounds(0, 90, 150, 100);
    frame->SetCaption("透明");
    frame->SetTransparentMode(true);
    frame->SetParent(f);
    frame->SetSkinData(&sd);
    auto* paint = new TbsSkinPaintPanel(f);
    paint->SetBounds(220, 0, 100, 80);
    paint->SetParent(f);
    std::vector<TRect> painted;
    paint->OnPanelPaint = [&](TCanvas* C, TRect R) {
        painted.push_back(R);
        C->Brush()->SetColor(TColor(RGB(1, 2, 3)));
        C->FillRect(R);
    };
    f->Show();
    driver->PumpUntilIdle();
    // The background picture alone, the whole client area for children.
    EXPECT_EQ(bgChild->BoundsRect(), TRect(0, 0, 100, 80));
    bgChild->Hide();
    driver->PumpUntilIdle();
    EXPECT_EQ(At(bg, 50, 40), RGB(0x20, 0x40, 0x60));
    EXPECT_EQ(At(bg, 0, 0), RGB(0x20, 0x40, 0x60));
    // Transparent, no caption, no border: exactly the parent behind it.
    EXPECT_EQ(Colours(*driver, clear), std::set<COLORREF>{RGB(255, 255, 255)});
    // The transparent caption frame: the parent's background inside, frame
    // lines in the skin's shadow colour, the caption in its text colour.
    const COLORREF navy = RGB(0, 0, 0x80);
    EXPECT_EQ(At(frame, 75, 60), RGB(255, 255, 255));
    EXPECT_EQ(At(frame, 0, 60), navy);
    EXPECT_EQ(At(frame, 149, 60), navy);
    EXPECT_EQ(At(frame, 75, 99), navy);
    EXPECT_EQ(frame->NewCaptionRect.Left, 5);
    EXPECT_EQ(At(frame, 2, frame->NewCaptionRect.Bottom / 2), navy);   // the stub left of the caption
    EXPECT_TRUE(HasInk(Colours(*driver, frame), RGB(0, 0x80, 0)));     // "stdlabel" colour
    // The paint panel paints over its client rectangle, in both looks.
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.back(), TRect(1, 1, 99, 79));
    EXPECT_EQ(At(paint, 50, 40), RGB(1, 2, 3));
    EXPECT_EQ(At(paint, 0, 0), ColorToRGB(clBtnShadow));
    paint->SetSkinData(&sd);
    driver->PumpUntilIdle();
    EXPECT_EQ(painted.back(), TRect(5, 5, 95, 75));
    EXPECT_EQ(At(paint, 50, 40), RGB(1, 2, 3));
    EXPECT_EQ(At(paint, 0, 0), CoordColor(0, 0));
}

TEST_F(SkinCtrlTest, StatusBarGripClientAndHitTest)
{
    TSkinnedForm* f = MakeForm(300, 200);
    auto* bar = new TbsSkinStatusBar(f);
    EXPECT_EQ(bar->Height(), 21);
    EXPECT_EQ(bar->GetAlign(), alBottom);
    EXPECT_FALSE(bar->SizeGrip());
    bar->SetParent(f);
    auto* part = new TbsSkinPanel(f);
    part->SetAlign(alClient);
    part->SetParent(bar);
    f->Show();
    driver->PumpUntilIdle();
    const int W = bar->Width();
    EXPECT_EQ(W, 300);
    EXPECT_EQ(part->BoundsRect(), TRect(0, 0, 300, 21));
    auto hit = [&](int x, int y) {
        const TPoint s = bar->ClientToScreen(TPoint(x, y));
        return SendMessage(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y));
    };
    EXPECT_EQ(hit(W - 5, 10), HTCLIENT);   // no grip yet
    bar->SetSizeGrip(true);
    driver->PumpUntilIdle();
    EXPECT_EQ(part->BoundsRect(), TRect(0, 0, W - 21, 21));
    EXPECT_EQ(bar->GripRect(), TRect(W - 19, 0, W, 19));
    EXPECT_EQ(hit(W - 5, 10), HTBOTTOMRIGHT);
    EXPECT_EQ(hit(W - 19, 0), HTBOTTOMRIGHT);   // edges count
    EXPECT_EQ(hit(W - 30, 10), HTCLIENT);
    EXPECT_EQ(hit(5, 5), HTCLIENT);
    // Grip lines in the shadow and highlight colours, inside the grip.
    std::set<COLORREF> grip;
    for (int y = 0; y < 21; ++y)
        for (int x = W - 21; x < W; ++x) grip.insert(At(bar, x, y));
    EXPECT_TRUE(grip.count(ColorToRGB(clBtnShadow)));
    EXPECT_TRUE(grip.count(ColorToRGB(clBtnHighlight)));
    bar->SetShowGrip(false);   // as while the form is maximized
    EXPECT_EQ(hit(W - 5, 10), HTCLIENT);
    bar->SetShowGrip(true);

    // With a skin: the bar's height is the entry's, the grip its picture,
    // and the store goes on to the skinned children.
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("statusbar", 0));
    bar->SetSkinData(&sd);
    driver->PumpUntilIdle();
    EXPECT_EQ(part->SkinData(), &sd);
    EXPECT_EQ(bar->Height(), 18);
    const TRect G = bar->GripRect();
    EXPECT_EQ(G, TRect(W - 6 - 12, 4, W - 6, 16));
    EXPECT_EQ(At(bar, G.Left + 3, G.Top + 2), CoordColor(52 + 3, 30 + 2));
    EXPECT_EQ(hit(G.Left + 1, G.Top + 1), HTBOTTOMRIGHT);
}

TEST_F(SkinCtrlTest, StdLabelAutoSizeAccelAndColours)
{
    TSkinnedForm* f = MakeForm(400, 200);
    auto label = [&](const std::string& text, int x) {
        auto* l = new TbsSkinStdLabel(f);
        l->SetAutoSize(true);
        l->SetLeft(x);
        l->SetCaption(text);
        l->SetParent(f);
        return l;
    };
    auto* accel = label("&Open 打开", 0);
    auto* plain = label("Open 打开", 0);
    auto* literal = label("&Open 打开", 0);
    literal->SetShowAccelChar(false);
    auto* empty = label("", 0);
    // The accelerator's "&" is not drawn and takes no room; without accel
    // chars it is text. An empty caption keeps one line's height.
    EXPECT_EQ(accel->Width(), plain->Width());
    EXPECT_GT(literal->Width(), plain->Width());
    EXPECT_EQ(empty->Height(), plain->Height());
    EXPECT_GT(empty->Height(), 0);

    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("stdlabel", 0));
    auto* skinned = label("颜色 Colour", 10);
    skinned->SetTop(50);
    skinned->UseSkinFont = false;   // the program's usual setting
    skinned->SetSkinData(&sd);
    auto* disabled = label("禁用 Disabled", 10);
    disabled->SetTop(100);
    disabled->SetSkinData(&sd);
    disabled->SetEnabled(false);
    f->Show();
    driver->PumpUntilIdle();
    EXPECT_EQ(skinned->SkinIndex(), sd.GetControlIndex("stdlabel"));
    const auto colours = Colours(*driver, skinned);
    EXPECT_TRUE(HasInk(colours, RGB(0, 0x80, 0)));   // the skin's colour, own face
    EXPECT_EQ(skinned->Height(), plain->Height());
    // Disabled: weaker than the label's own colour, yet at the weak-text
    // contrast on what it stands on (the skin's etch colours, cyan over
    // navy here, do not decide it).
    const auto twice = Colours(*driver, disabled);
    const int ground = int(ColorToRGB(f->GetColor()));
    double strongest = 0;
    for (COLORREF c : twice) strongest = std::max(strongest, bsContrastRatio(int(c), ground));
    EXPECT_GE(strongest, bsWeakTextContrast);
    EXPECT_LT(strongest, bsContrastRatio(int(RGB(0, 0x80, 0)), ground));
    EXPECT_FALSE(HasInk(twice, RGB(0, 0, 0x80)));
    // Without the store: the default look, system colours when disabled.
    disabled->SetSkinData(nullptr);
    disabled->Invalidate();
    driver->PumpUntilIdle();
    EXPECT_EQ(disabled->SkinIndex(), -1);
    EXPECT_TRUE(HasInk(Colours(*driver, disabled), ColorToRGB(clBtnShadow)));

    // Painting to another canvas: the same text at an offset.
    TBitmap shot(200, 40, pf32bit);
    shot.Canvas()->Brush()->SetColor(clWhite);
    shot.Canvas()->FillRect(TRect(0, 0, 200, 40));
    skinned->PaintSkinTo(shot.Canvas(), 20, 5, "Colour");
    bool inkLeft = false, inkRight = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if ((shot.GetPixel32(x, y) & 0xFFFFFF) != 0xFFFFFF) (x < 20 ? inkLeft : inkRight) = true;
    EXPECT_FALSE(inkLeft);
    EXPECT_TRUE(inkRight);
}

TEST_F(SkinCtrlTest, TextLabelLayoutAndAutoSize)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("textlabel", 0));
    TSkinnedForm* f = MakeForm(400, 300);
    auto* l = new TbsSkinTextLabel(f);
    l->SetLeft(300);
    l->SetAlignment(taRightJustify);
    l->SetParent(f);
    l->SetSkinData(&sd);
    l->Lines()->Add("第一行");
    l->Lines()->Add("line 2");
    const int right = l->Left() + l->Width();
    const int twoLines = l->Height();
    EXPECT_GT(twoLines, 0);
    l->Lines()->Add("a much longer third line");
    EXPECT_EQ(l->Left() + l->Width(), right);   // the right edge stays
    EXPECT_GT(l->Height(), twoLines);
    l->Lines()->Delete(2);
    EXPECT_EQ(l->Height(), twoLines);

    // Centred on the height of two lines, not three.
    l->SetAutoSize(false);
    l->SetBounds(10, 10, 200, 120);
    l->SetAlignment(taLeftJustify);
    f->Show();
    driver->PumpUntilIdle();
    const TRect top = InkBox(*driver, l, RGB(255, 255, 255));
    l->SetLayout(tlCenter);
    driver->PumpUntilIdle();
    const TRect centre = InkBox(*driver, l, RGB(255, 255, 255));
    EXPECT_EQ(centre.Top - top.Top, (120 - twoLines) / 2);
    l->SetLayout(tlBottom);
    driver->PumpUntilIdle();
    EXPECT_EQ(InkBox(*driver, l, RGB(255, 255, 255)).Top - top.Top, 120 - twoLines);
    // The entry's colour, or the font's with UseSkinColor off.
    EXPECT_TRUE(HasInk(Colours(*driver, l), RGB(0, 0x80, 0)));
    l->UseSkinColor = false;
    l->Font()->SetColor(TColor(RGB(200, 0, 0)));
    driver->PumpUntilIdle();
    const auto own = Colours(*driver, l);
    EXPECT_TRUE(HasInk(own, RGB(200, 0, 0)));
    EXPECT_FALSE(HasInk(own, RGB(0, 0x80, 0)));
}

TEST_F(SkinCtrlTest, BevelShapes)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("bevel", 0));
    TSkinnedForm* f = MakeForm(400, 100);
    const COLORREF L = RGB(255, 0, 0), D = RGB(0, 0, 255), W = RGB(255, 255, 255);
    struct Probe
    {
        int X, Y;
        COLORREF Want;
    };
    struct Case
    {
        TBevelShape Shape;
        TBevelStyle Style;
        bool Divider;
        int H;
        std::vector<Probe> Probes;
    };
    const std::vector<Case> cases = {
        {bsBox, bsRaised, false, 10, {{0, 5, L}, {5, 0, L}, {0, 0, L}, {9, 5, D}, {5, 9, D}, {9, 9, D}, {5, 5, W}}},
        {bsBox, bsLowered, false, 10, {{0, 5, D}, {5, 0, D}, {9, 5, L}, {5, 9, L}}},
        {bsFrame, bsLowered, false, 10, {{0, 5, D}, {8, 5, D}, {9, 5, L}, {1, 5, L}, {5, 9, L}}},
        {bsTopLine, bsLowered, false, 10, {{5, 0, D}, {5, 1, L}, {5, 2, W}}},
        {bsBottomLine, bsLowered, false, 10, {{5, 8, D}, {5, 9, L}, {5, 7, W}}},
        {bsLeftLine, bsRaised, false, 10, {{0, 5, L}, {1, 5, D}, {2, 5, W}}},
        {bsRightLine, bsRaised, false, 10, {{8, 5, L}, {9, 5, D}, {7, 5, W}}},
        {bsSpacer, bsRaised, false, 10, {{0, 0, W}, {5, 5, W}, {9, 9, W}}},
        {bsTopLine, bsLowered, true, 8, {{5, 3, D}, {5, 4, L}, {5, 2, W}, {5, 5, W}, {5, 0, W}}},
        {bsLeftLine, bsLowered, true, 10, {{4, 5, D}, {5, 5, L}, {3, 5, W}, {6, 5, W}}},
    };
    std::vector<TbsSkinBevel*> bevels;
    int x = 0;
    for (const Case& c : cases)
    {
        auto* b = new TbsSkinBevel(f);
        b->SetBounds(x, 10, 10, c.H);
        b->SetShape(c.Shape);
        b->SetStyle(c.Style);
        b->SetDividerMode(c.Divider);
        b->SetParent(f);
        b->SetSkinData(&sd);
        bevels.push_back(b);
        x += 20;
    }
    f->Show();
    driver->PumpUntilIdle();
    for (std::size_t i = 0; i < cases.size(); ++i)
        for (const Probe& p : cases[i].Probes)
            EXPECT_EQ(At(bevels[i], p.X, p.Y), p.Want) << "case " << i << " at " << p.X << "," << p.Y;
    // Without the store the system colours come back.
    bevels[0]->SetSkinData(nullptr);
    driver->PumpUntilIdle();
    EXPECT_EQ(At(bevels[0], 0, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(bevels[0], 9, 5), ColorToRGB(clBtnShadow));
}

TEST_F(SkinCtrlTest, SplitterLookAndDrag)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("splitter", 0));
    TSkinnedForm* f = MakeForm(400, 200);
    auto* left = new TbsSkinPanel(f);
    left->SetWidth(100);
    left->SetAlign(alLeft);
    left->SetParent(f);
    auto* split = new TbsSkinSplitter(f);
    EXPECT_EQ(split->SkinDataName, "vsplitter");
    split->SetAlign(alLeft);
    split->SetLeft(100);
    split->SetParent(f);
    split->SetSkinData(&sd);
    EXPECT_EQ(split->Width(), 6);
    int moved = 0;
    split->OnMoved = [&](TObject*) { ++moved; };
    f->Show();
    driver->PumpUntilIdle();
    // The bar: fixed top from the picture, the gripper centred on it.
    EXPECT_EQ(At(split, 2, 2), CoordColor(52 + 2, 2));
    const int gy = split->Height() / 2 - 4;
    EXPECT_EQ(At(split, 1, gy), CoordColor(58, 0));
    EXPECT_EQ(At(split, 4, gy + 7), CoordColor(61, 7));

    // Dragging on the layer's clock resizes the panel, within MinSize.
    driver->Drag(split->ClientToScreen(TPoint(2, 50)), split->ClientToScreen(TPoint(42, 50)), 8);
    EXPECT_EQ(left->Width(), 140);
    EXPECT_EQ(split->Left(), 140);
    EXPECT_EQ(moved, 1);
    split->MinSize = 50;
    split->AutoSnap = false;
    driver->Drag(split->ClientToScreen(TPoint(2, 50)), split->ClientToScreen(TPoint(-300, 50)), 8);
    EXPECT_EQ(left->Width(), 50);
    driver->Drag(split->ClientToScreen(TPoint(2, 50)), split->ClientToScreen(TPoint(600, 50)), 8);
    EXPECT_EQ(left->Width(), 400 - 6 - 50);

    // Alignment changed at run time keeps the name; no store: 10 wide, the
    // platform's look; transparent: DefaultSize and nothing drawn.
    split->SetAlign(alRight);
    EXPECT_EQ(split->SkinDataName, "vsplitter");
    split->SetAlign(alLeft);
    split->SetSkinData(nullptr);
    EXPECT_EQ(split->Width(), 10);
    split->SetSkinData(&sd);
    split->SetTransparent(true);
    split->ChangeSkinData();
    EXPECT_EQ(split->Width(), 10);
    driver->PumpUntilIdle();
    EXPECT_EQ(At(split, 5, 50), RGB(255, 255, 255));
}
