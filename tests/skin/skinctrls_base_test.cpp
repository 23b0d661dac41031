// The look protocol of skinned controls: entry lookup by name and fallback to
// the default look, resize modes and CalcSize, rectangles mapped to the
// current size, regions from masks, skin switches and off-screen painting.
#include "skin/skinctrls_helpers.h"

#include "platform/os/Region.h"

using namespace ctrltest;

namespace
{
// A windowed custom control that counts its paints.
class TCountingControl : public TbsSkinCustomControl
{
public:
    using TbsSkinCustomControl::TbsSkinCustomControl;
    int Paints = 0;
    using TbsSkinCustomControl::CalcResizedRect;

protected:
    void Paint() override
    {
        ++Paints;
        TbsSkinCustomControl::Paint();
    }
};

class TCountingGraphic : public TbsGraphicSkinCustomControl
{
public:
    using TbsGraphicSkinCustomControl::TbsGraphicSkinCustomControl;
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        TbsGraphicSkinCustomControl::Paint();
    }
};

// Every control of this issue with the entry name it looks up by default.
struct Kind
{
    const char* Name;
    std::function<TControl*(TComponent*)> Make;
    std::function<int(TControl*)> Index;
    std::function<void(TControl*, TbsSkinData*)> SetStore;
};

template <class T>
Kind MakeKind(const char* name)
{
    return Kind{name, [](TComponent* o) -> TControl* { return new T(o); },
                [](TControl* c) { return static_cast<T*>(c)->SkinIndex(); },
                [](TControl* c, TbsSkinData* sd) { static_cast<T*>(c)->SetSkinData(sd); }};
}

std::vector<Kind> Kinds()
{
    return {MakeKind<TbsSkinPanel>("panel"),         MakeKind<TbsSkinGroupBox>("groupbox"),
            MakeKind<TbsSkinPaintPanel>("panel"),    MakeKind<TbsSkinStatusBar>("statusbar"),
            MakeKind<TbsSkinTextLabel>("stdlabel"),  MakeKind<TbsSkinStdLabel>("stdlabel"),
            MakeKind<TbsSkinBevel>("bevel"),         MakeKind<TbsSkinSplitter>("vsplitter")};
}

// The pixels of a control's area on the desktop.
std::vector<TPixel> Area(TTestDriver& d, TControl* c)
{
    std::vector<TPixel> out;
    const TPoint o = c->ClientToScreen(TPoint(0, 0));
    for (int y = 0; y < c->Height(); ++y)
        for (int x = 0; x < c->Width(); ++x) out.push_back(d.PixelAt(TPoint(o.X + x, o.Y + y)));
    return out;
}
} // namespace

TEST_F(SkinCtrlTest, EachControlFindsItsDefaultEntryOrFallsBack)
{
    TbsSkinData full, bare;
    full.LoadFromFile(WriteSkin("lookup", 0));
    bare.LoadFromFile(WriteBareSkin("lookup"));
    TSkinnedForm* f = MakeForm();
    for (const Kind& k : Kinds())
    {
        SCOPED_TRACE(k.Name);
        TControl* c = k.Make(f);
        c->SetParent(f);
        EXPECT_EQ(k.Index(c), -1);   // no store
        k.SetStore(c, &full);
        EXPECT_EQ(k.Index(c), full.GetControlIndex(k.Name));
        EXPECT_NE(k.Index(c), -1);
        k.SetStore(c, &bare);        // the store has no such entry: default look
        EXPECT_EQ(k.Index(c), -1);
        k.SetStore(c, nullptr);
    }
    f->Show();
    driver->PumpUntilIdle();   // every control paints its default look
}

TEST_F(SkinCtrlTest, ResizeModesAndCalcSize)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("modes", 0));
    TSkinnedForm* f = MakeForm(400, 300);
    struct Case
    {
        const char* Entry;
        int Mode;
        TSize Ask, Got;
        TRect Client;
    };
    const Case cases[] = {
        {"mode0", 0, {100, 50}, {20, 16}, {2, 2, 18, 14}},   {"mode0", 0, {5, 5}, {20, 16}, {2, 2, 18, 14}},
        {"mode1", 1, {100, 50}, {100, 50}, {5, 5, 95, 45}},  {"mode1", 1, {40, 30}, {40, 30}, {5, 5, 35, 25}},
        {"mode1", 1, {12, 9}, {12, 9}, {5, 5, 7, 4}},        {"mode2", 2, {100, 50}, {100, 18}, {6, 2, 94, 16}},
        {"mode2", 2, {30, 80}, {30, 18}, {6, 2, 24, 16}},    {"mode3", 3, {100, 50}, {12, 50}, {2, 6, 10, 44}},
        {"mode3", 3, {5, 200}, {12, 200}, {2, 6, 10, 194}},  {"emptyrect", -1, {70, 60}, {70, 60}, {}},
        {"wrongkind", 0, {70, 60}, {70, 60}, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.Entry) + " " + std::to_string(c.Ask.cx) + "x" + std::to_string(c.Ask.cy));
        auto* ctl = new TCountingControl(f);
        ctl->SetParent(f);
        ctl->SetSkinDataName(c.Entry);
        ctl->SetSkinData(&sd);
        EXPECT_EQ(ctl->ResizeMode, c.Mode);
        if (std::string(c.Entry) == "wrongkind")
        {
            // An entry of another kind: fixed, without a picture or a mask.
            EXPECT_EQ(ctl->Picture, nullptr);
            EXPECT_EQ(ctl->MaskPicture, nullptr);
            delete ctl;
            continue;
        }
        int w = c.Ask.cx, h = c.Ask.cy;
        ctl->CalcSize(w, h);
        EXPECT_EQ(TSize(w, h), c.Got);
        if (c.Mode >= 0)
        {
            EXPECT_EQ(ctl->RealClientRect(), c.Client);
        }
        ctl->SetBounds(10, 10, c.Ask.cx, c.Ask.cy);
        EXPECT_EQ(TSize(ctl->Width(), ctl->Height()), c.Got);
        delete ctl;
    }
    f->Show();
    driver->PumpUntilIdle();
}

TEST_F(SkinCtrlTest, DefaultSizesApplyOnlyWithoutEntry)
{
    TSkinnedForm* f = MakeForm();
    auto* c = new TCountingControl(f);
    c->SetParent(f);
    c->SetBounds(0, 0, 30, 20);
    c->SetDefaultWidth(0);
    EXPECT_EQ(c->Width(), 30);
    c->SetDefaultWidth(80);
    EXPECT_EQ(c->Width(), 80);
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("defaults", 0));
    c->SetSkinDataName("mode0");
    c->SetSkinData(&sd);
    EXPECT_EQ(TSize(c->Width(), c->Height()), TSize(20, 16));
    c->SetDefaultHeight(90);   // has an entry: no change
    EXPECT_EQ(c->Height(), 16);
    c->SetSkinDataName("no such entry");
    c->ChangeSkinData();       // back to the default size
    EXPECT_EQ(TSize(c->Width(), c->Height()), TSize(80, 90));
}

TEST_F(SkinCtrlTest, ResizedRectanglesFollowTheCornerAreas)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("resized", 0));
    TSkinnedForm* f = MakeForm();
    auto* c = new TCountingControl(f);
    c->SetParent(f);
    c->SetSkinDataName("mode1");   // 40 x 30, corners at 5 and 35 / 5 and 25
    c->SetSkinData(&sd);
    c->SetBounds(0, 0, 100, 50);   // dx 60, dy 20
    struct Case
    {
        TRect In, Out;
    };
    const Case cases[] = {
        {{1, 1, 4, 4}, {1, 1, 4, 4}},          // inside the left-top corner: never moves
        {{36, 1, 39, 4}, {96, 1, 99, 4}},      // right-top: moves right
        {{1, 26, 4, 29}, {1, 46, 4, 49}},      // left-bottom: moves down
        {{36, 26, 39, 29}, {96, 46, 99, 49}},  // right-bottom: both
        {{2, 2, 37, 27}, {2, 2, 97, 47}},      // left-top to right-bottom: grows both ways
        {{2, 1, 37, 4}, {2, 1, 97, 4}},        // left-top to right-top: grows right
        {{2, 2, 4, 27}, {2, 2, 4, 47}},        // left-top to left-bottom: grows down
        {{10, 10, 20, 20}, {10, 10, 20, 20}},  // the middle: unchanged
    };
    for (const Case& k : cases)
    {
        TRect out;
        c->CalcResizedRect(k.In, out);
        EXPECT_EQ(out, k.Out) << k.In.Left << "," << k.In.Top;
    }
    c->SetSkinDataName("mode2");   // corners at x 6 and 34 of 40
    c->ChangeSkinData();
    c->SetBounds(0, 0, 100, 18);
    TRect out;
    c->CalcResizedRect(TRect(2, 2, 36, 10), out);
    EXPECT_EQ(out, TRect(2, 2, 96, 10));
    c->CalcResizedRect(TRect(35, 2, 38, 10), out);
    EXPECT_EQ(out, TRect(95, 2, 98, 10));
}

TEST_F(SkinCtrlTest, WindowRegionFollowsTheMask)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("mask", 0));
    TSkinnedForm* f = MakeForm();
    auto* c = new TCountingControl(f);
    c->SetParent(f);
    c->SetBounds(20, 20, 50, 50);
    c->SetSkinDataName("masked");
    f->Show();
    c->SetSkinData(&sd);
    driver->PumpUntilIdle();
    ASSERT_NE(c->Region(), nullptr);
    HRGN r = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(c->Handle(), r), RGN_ERROR);
    EXPECT_TRUE(PtInRegion(r, 2, 2));     // black part of the mask
    EXPECT_FALSE(PtInRegion(r, 15, 15));  // white part: cut away
    // The form shows through where the region cuts the control away.
    EXPECT_EQ(At(f, 20 + 15, 20 + 15), RGB(255, 255, 255));
    EXPECT_EQ(At(f, 20 + 2, 20 + 2), CoordColor(2, 2));
    // Back to a plain control: the region goes.
    c->SetSkinDataName("mode1");
    c->ChangeSkinData();
    EXPECT_EQ(c->Region(), nullptr);
    EXPECT_EQ(GetWindowRgn(c->Handle(), r), RGN_ERROR);
    DeleteObject(r);
}

// Pictures of the store are shared by every control: painting must leave
// them exactly as they were; missing pictures and empty tiles draw nothing.
TEST_F(SkinCtrlTest, PaintingNeverChangesTheStoreAndSurvivesBrokenEntries)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("sound", 0));
    // Every pixel and the transparency settings of the store's pictures.
    auto state = [&sd] {
        std::vector<TPixel> out;
        for (int i = 0; i < sd.ActivePicturesCount(); ++i)
        {
            TBitmap* b = sd.ActivePicture(i)->Bitmap();
            for (int y = 0; y < b->GetHeight(); ++y)
                for (int x = 0; x < b->GetWidth(); ++x) out.push_back(b->GetPixel32(x, y));
            out.push_back(TPixel(b->GetTransparentMode()));
            out.push_back(TPixel(b->GetTransparent()));
            out.push_back(TPixel(b->GetTransparentColor()));
        }
        return out;
    };
    const std::vector<TPixel> before = state();
    TSkinnedForm* f = MakeForm(400, 300);
    const char* entries[] = {"mode0", "mode1", "mode2", "mode3", "emptyrect", "nopic", "zerotile", "masked"};
    int x = 0;
    for (const char* e : entries)
    {
        auto* c = new TCountingControl(f);
        c->SetParent(f);
        c->SetBounds(x, 0, 40, 40);
        c->ForcebackGround = std::string(e) == "zerotile" || std::string(e) == "nopic";
        c->SetSkinDataName(e);
        c->SetSkinData(&sd);
        x += 45;
    }
    auto* panel = new TbsSkinStatusBar(f);
    panel->SetParent(f);
    panel->SetSizeGrip(true);
    panel->SetSkinData(&sd);
    auto* split = new TbsSkinSplitter(f);
    split->SetAlign(alLeft);
    split->SetParent(f);
    split->SetSkinData(&sd);
    auto* checked = new TbsSkinPanel(f);
    checked->SetBounds(0, 150, 120, 60);
    checked->SetCaptionMode(true);
    checked->SetCheckedMode(true);
    checked->SetCaption("选中");
    checked->SetParent(f);
    checked->SetSkinData(&sd);
    auto* zero = new TCountingControl(f);   // no size: paints nothing
    zero->SetParent(f);
    zero->SetBounds(0, 100, 0, 0);
    f->Show();
    driver->PumpUntilIdle();
    zero->Repaint();
    EXPECT_EQ(zero->Paints, 0);
    // Entries without a picture or with an empty rectangle draw nothing: the
    // form shows through.
    EXPECT_EQ(At(f, 5 * 45 + 20, 20), RGB(255, 255, 255));   // nopic
    EXPECT_EQ(At(f, 4 * 45 + 20, 20), RGB(255, 255, 255));   // emptyrect
    EXPECT_EQ(state(), before);
}

// A skin look that cannot be drawn (a piece of an impossible size) gives the
// default look; no error leaves the paint.
TEST_F(SkinCtrlTest, ASkinLookThatCannotBeDrawnGivesTheDefaultLook)
{
    struct TBrokenLook : public TCountingControl
    {
        using TCountingControl::TCountingControl;
        bool TooLarge = false;
        void CreateControlDefaultImage(TBitmap* B) override
        {
            B->Canvas()->Brush()->SetColor(clRed);
            B->Canvas()->FillRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
        }
        void CreateControlSkinImage(TBitmap* B) override
        {
            B->Canvas()->Brush()->SetColor(clBlue);
            B->Canvas()->FillRect(TRect(0, 0, B->GetWidth(), B->GetHeight()));
            TBitmap piece;
            if (TooLarge) piece.SetSize(40000, 10);
            else piece.SetSize(10, -4);
        }
    };
    int errors = 0;
    Application->OnException = [&errors](TObject*, std::exception_ptr) { ++errors; };
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("broken", 0));
    TSkinnedForm* f = MakeForm(200, 100);
    std::vector<TBrokenLook*> controls;
    for (bool large : {false, true})
    {
        auto* c = new TBrokenLook(f);
        c->TooLarge = large;
        c->SetParent(f);
        c->SetBounds(large ? 60 : 0, 0, 40, 40);
        c->SetSkinDataName("mode1");
        c->SetSkinData(&sd);
        controls.push_back(c);
    }
    f->Show();
    driver->PumpUntilIdle();
    for (TBrokenLook* c : controls)
    {
        EXPECT_GE(c->Paints, 1);
        EXPECT_EQ(At(c, 20, 20), RGB(255, 0, 0));
    }
    EXPECT_EQ(errors, 0);
}

// A skin switch while the controls are shown: every control takes the new
// entry, none keeps a pointer into the old skin (ASan would see the freed
// pictures), and each repaints a bounded number of times.
TEST_F(SkinCtrlTest, SkinSwitchReskinsEveryControlWithBoundedRepaints)
{
    const std::string skinA = WriteSkin("switchA", 0), skinB = WriteSkin("switchB", 1);
    TbsSkinData sd;
    sd.LoadFromFile(skinA);
    TSkinnedForm* f = MakeForm(400, 300);
    auto* panel = new TCountingPanel(f);
    panel->SetBounds(0, 0, 200, 100);
    panel->SetParent(f);
    auto* inner = new TCountingControl(panel);
    inner->SetSkinDataName("mode2");
    inner->SetBounds(10, 10, 60, 30);
    inner->SetParent(panel);
    auto* graphic = new TCountingGraphic(f);
    graphic->SkinDataName = "mode1";
    graphic->SetBounds(220, 10, 60, 40);
    graphic->SetParent(f);
    auto* group = new TbsSkinGroupBox(f);
    group->SetBounds(0, 120, 150, 70);
    group->SetCaption("分组");
    group->SetParent(f);
    auto* label = new TbsSkinStdLabel(f);
    label->SetCaption("标签");
    label->SetBounds(220, 100, 50, 20);
    label->SetParent(f);
    for (TbsSkinControl* c : std::vector<TbsSkinControl*>{panel, inner, group}) c->SetSkinData(&sd);
    graphic->SetSkinData(&sd);
    label->SetSkinData(&sd);
    f->Show();
    driver->PumpUntilIdle();
    const int groupIndexA = group->SkinIndex();
    EXPECT_NE(groupIndexA, -1);
    EXPECT_EQ(label->FontColor, 32768);

    panel->Paints = inner->Paints = graphic->Paints = 0;
    sd.LoadFromFile(skinB);
    driver->PumpUntilIdle();
    EXPECT_EQ(f->Changes, 1);
    EXPECT_EQ(label->FontColor, 8421376);   // the new skin's label colour
    EXPECT_NE(inner->Picture, nullptr);
    EXPECT_EQ(inner->Height(), 18);
    EXPECT_GE(panel->Paints, 1);
    EXPECT_LE(panel->Paints, 2);
    EXPECT_GE(inner->Paints, 1);
    EXPECT_LE(inner->Paints, 2);
    EXPECT_GE(graphic->Paints, 1);
    EXPECT_LE(graphic->Paints, 2);
    // The second skin's group box has its client above the caption.
    EXPECT_FALSE(group->ForcebackGround);

    // Before a change every windowed control drops its references.
    bsBeforeChangeSkinDataWalk(f, &sd);
    EXPECT_EQ(inner->SkinIndex(), -1);
    EXPECT_EQ(inner->Picture, nullptr);
    EXPECT_EQ(inner->MaskPicture, nullptr);
    bsChangeSkinDataWalk(f, nullptr);   // no sender: every control
    EXPECT_NE(inner->SkinIndex(), -1);

    // The store goes away: controls forget it and paint their default look.
    sd.ClearSkin();
    driver->PumpUntilIdle();
}

TEST_F(SkinCtrlTest, StoreDestroyedWhileControlsShown)
{
    TSkinnedForm* f = MakeForm();
    auto sd = std::make_unique<TbsSkinData>();
    sd->LoadFromFile(WriteSkin("gone", 0));
    auto* c = new TCountingControl(f);
    c->SetSkinDataName("mode1");
    c->SetBounds(0, 0, 80, 60);
    c->SetParent(f);
    c->SetSkinData(sd.get());
    auto* label = new TbsSkinTextLabel(f);
    label->SetParent(f);
    label->SetSkinData(sd.get());
    f->Show();
    driver->PumpUntilIdle();
    sd.reset();
    EXPECT_EQ(c->SkinData(), nullptr);
    EXPECT_EQ(label->SkinData(), nullptr);
    c->Invalidate();
    driver->PumpUntilIdle();
    EXPECT_EQ(At(c, 40, 30), ColorToRGB(clBtnFace));
}

TEST_F(SkinCtrlTest, CoveredAndUncoveredControlsRepaintTheSamePixels)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteSkin("cover", 0));
    TSkinnedForm* f = MakeForm(300, 200);
    auto* panel = new TbsSkinPanel(f);
    panel->SetBounds(10, 10, 120, 80);
    panel->SetCaptionMode(true);
    panel->SetCaption("面板");
    panel->SetParent(f);
    panel->SetSkinData(&sd);
    auto* plain = new TbsSkinGroupBox(f);   // default look
    plain->SetBounds(140, 10, 120, 80);
    plain->SetCaption("默认");
    plain->SetParent(f);
    auto* bar = new TbsSkinStatusBar(f);
    bar->SetParent(f);
    bar->SetSizeGrip(true);
    bar->SetSkinData(&sd);
    f->Show();
    driver->PumpUntilIdle();
    const auto a1 = Area(*driver, panel), b1 = Area(*driver, plain), c1 = Area(*driver, bar);

    auto* cover = new TForm(Application);
    cover->SetBounds(90, 90, 400, 300);
    cover->SetColor(clBlack);
    cover->Show();
    driver->PumpUntilIdle();
    EXPECT_NE(Area(*driver, panel), a1);
    cover->Hide();
    driver->PumpUntilIdle();
    EXPECT_EQ(Area(*driver, panel), a1);
    EXPECT_EQ(Area(*driver, plain), b1);
    EXPECT_EQ(Area(*driver, bar), c1);
}

// What the skinned hint copies from a control, and the image list forgotten
// when it goes away.
TEST_F(SkinCtrlTest, HintValuesOfBothBases)
{
    TSkinnedForm* f = MakeForm();
    auto* windowed = new TCountingControl(f);
    auto* graphic = new TCountingGraphic(f);
    auto list = std::make_unique<TImageList>(16, 16);
    windowed->HintTitle = "标题";
    windowed->HintImageIndex = 3;
    windowed->SetHintImageList(list.get());
    graphic->HintTitle = "提示";
    graphic->SetHintImageList(list.get());
    EXPECT_EQ(windowed->HintImageList(), list.get());
    EXPECT_EQ(graphic->HintImageIndex, 0);
    list.reset();
    EXPECT_EQ(windowed->HintImageList(), nullptr);
    EXPECT_EQ(graphic->HintImageList(), nullptr);
    EXPECT_EQ(windowed->HintTitle, "标题");
    EXPECT_EQ(windowed->HintImageIndex, 3);
}
