// The skinned hint: requests on the virtual clock, the sizing rules of the
// plain and the skinned look (separator lines, corner fit, title and image),
// keeping inside the work area, the application's hints from skinned
// controls, one active component per main form, region and alpha.
#include "skin/skinctrls_helpers.h"

#include "lib/bsSkinHint.h"

using namespace ctrltest;

namespace
{
// The hint picture (0) 30 x 20 with a 5-pixel frame, a mask (1) and a
// second look whose corners overlap for small hints (2: 60 x 20, fixed
// middle from 25 to 35).
std::string HintSkin(const std::string& name, bool overlap)
{
    const std::string dir = skintest::TempDir("hint-" + name);
    skintest::MakePicture(30, 20, 0xFFE0F0FFu).SaveToFile(dir + "hint.bmp");
    skintest::MakePicture(30, 20, 0xFF000000u).SaveToFile(dir + "mask.bmp");
    skintest::MakePicture(60, 20, 0xFFE0F0FFu).SaveToFile(dir + "wide.bmp");
    const std::string look = overlap ? "windowpictureindex=2\r\nlefttoppoint=25,2\r\nrighttoppoint=35,2\r\n"
                                       "leftbottompoint=25,18\r\nrightbottompoint=35,18\r\nclientrect=2,2,58,18\r\n"
                                     : "windowpictureindex=0\r\nmaskpictureindex=1\r\nlefttoppoint=5,4\r\n"
                                       "righttoppoint=25,4\r\nleftbottompoint=5,16\r\nrightbottompoint=25,16\r\n"
                                       "clientrect=5,4,25,16\r\n";
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=hints\r\n\r\n[PICTURES]\r\nactivepicturescount=3\r\n0=hint.bmp\r\n"
                        "1=mask.bmp\r\n2=wide.bmp\r\n\r\n[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n"
                        "[SKINOBJECTS]\r\ncount=0\r\n\r\n[SKINCONTROLS]\r\ncount=0\r\n\r\n[HINTWINDOW]\r\n" +
                            look + "fontname=Arial\r\nfontheight=14\r\nfontcolor=128\r\n\r\n");
    return dir + "skin.ini";
}

class HintTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        driver->SetMonitors({backend::TMonitorDesc{TRect(0, 0, 800, 600), TRect(0, 0, 800, 560), true}});
        form = MakeForm();
        Application->SetMainForm(form);
        hint = new TbsSkinHint(form);
        hint->DefaultFont()->SetName("Arial");
        hint->DefaultFont()->SetHeight(14);
        form->Show();
        driver->PumpUntilIdle();
    }
    void TearDown() override
    {
        Application->SetMainForm(nullptr);
        delete form;
        sd.reset();
        SkinCtrlTest::TearDown();
    }
    void UseSkin(bool overlap)
    {
        sd = std::make_unique<TbsSkinData>(nullptr);
        sd->LoadFromFile(HintSkin(overlap ? "overlap" : "frame", overlap));
        hint->SetSkinData(sd.get());
    }
    // Width and height of a text in the hint's font (bold when asked).
    TSize TextSize(const std::string& text, bool bold = false)
    {
        TBitmap b(1, 1, pf24bit);
        b.Canvas()->Font()->Assign(hint->DefaultFont());
        if (bold) b.Canvas()->Font()->SetStyle(TFontStyles{fsBold});
        TRect r(0, 0, 0, 0);
        DrawText(b.Canvas()->GetHandle(), text, r, DT_CALCRECT | DT_NOPREFIX);
        return TSize{r.Width(), r.Height()};
    }
    TbsSkinHintWindow* W() { return hint->Window(); }
    TSkinnedForm* form = nullptr;
    TbsSkinHint* hint = nullptr;
    std::unique_ptr<TbsSkinData> sd;
};
} // namespace

TEST_F(HintTest, RequestsShowAfterThePauseAndHideAfterTheHidePause)
{
    Application->HintPause = 500;
    Application->HintHidePause = 2500;
    driver->MoveTo(TPoint(100, 100));
    hint->ActivateHint2("提示 hint");
    struct Step
    {
        int AdvanceMs;
        bool Visible;
    };
    for (const Step& s : {Step{499, false}, Step{1, true}, Step{2499, true}, Step{1, false}})
    {
        driver->AdvanceClock(s.AdvanceMs);
        driver->PumpUntilIdle();
        EXPECT_EQ(hint->IsVisible(), s.Visible);
    }
    EXPECT_FALSE(hint->RequestPending());
    // Shown under the cursor, below its height.
    hint->ActivateHint2("x");
    driver->AdvanceClock(500);
    driver->PumpUntilIdle();
    EXPECT_EQ(W()->Left(), 100);
    EXPECT_EQ(W()->Top(), 100 + hint->GetCursorHeightMargin());
    // HideHint while waiting only stops the request.
    hint->HideHint();
    hint->ActivateHint2("y");
    EXPECT_TRUE(hint->RequestPending());
    hint->HideHint();
    EXPECT_FALSE(hint->RequestPending());
    driver->AdvanceClock(5000);
    driver->PumpUntilIdle();
    EXPECT_FALSE(hint->IsVisible());
    // Against a rectangle: centred under it, or above it.
    hint->ActivateHint3(TRect(200, 200, 300, 220), "z", true);
    driver->AdvanceClock(500);
    driver->PumpUntilIdle();
    EXPECT_EQ(W()->Left(), 250 - W()->Width() / 2);
    EXPECT_EQ(W()->Top(), 200 - W()->Height());
}

TEST_F(HintTest, SizesFollowTheLook)
{
    const TSize one = TextSize("工具栏 tool bar");
    const TSize two = TextSize("工具栏 tool bar\nline");
    struct Case
    {
        int Skin;   // 0 plain, 1 framed picture, 2 overlapping corners
        std::string Text;
        int Width, Height;
    };
    const Case cases[] = {
        {0, "工具栏 tool bar", one.cx + 4, one.cy + 4},
        {0, "工具栏 tool bar@line", two.cx + 4, two.cy + 4},   // two lines, not three
        {1, "工具栏 tool bar", one.cx + 5 + 5 + 5, one.cy + 4 + 4},
        {2, "x", 50, TextSize("x").cy + 4},   // grown until the fixed middle fits
    };
    for (const Case& c : cases)
    {
        if (c.Skin == 0) hint->SetSkinData(nullptr);
        else UseSkin(c.Skin == 2);
        hint->ActivateHint(TPoint(10, 10), c.Text);
        driver->PumpUntilIdle();
        EXPECT_EQ(W()->Skinned(), c.Skin != 0);
        EXPECT_EQ(W()->Width(), c.Width) << c.Text;
        EXPECT_EQ(W()->Height(), c.Height) << c.Text;
    }
    EXPECT_EQ(W()->GetText(), "x");
    UseSkin(false);
    hint->ActivateHint(TPoint(10, 10), "a@b@c");
    EXPECT_EQ(W()->GetText(), "a\n\rb\n\rc") << "the separator becomes LF CR";
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(W()->GetHandle(), rgn), 0) << "the mask gives the window a region";
    DeleteObject(rgn);
}

TEST_F(HintTest, TheSeparatorIsReplacedInOnePass)
{
    // Separators that are line breaks themselves, or part of the inserted
    // one, must not be found again in what replaced them.
    struct Case
    {
        std::string Separator, Text, Shown;
    };
    const Case cases[] = {
        {"@", "a@@b", "a\n\r\n\rb"},
        {"", "a@b", "a@b"},
        {"\n", "a\nb", "a\n\rb"},
        {"\r", "a\rb\r", "a\n\rb\n\r"},
        {"\n\r", "a\n\rb", "a\n\rb"},
        {"\r\n", "a\r\n\nb", "a\n\r\nb"},
    };
    for (const Case& c : cases)
    {
        hint->LineSeparator = c.Separator;
        hint->ActivateHint(TPoint(10, 10), c.Text);
        EXPECT_EQ(W()->GetText(), c.Shown) << "separator of " << c.Separator.size() << " characters";
    }
}

TEST_F(HintTest, MovingToAnotherControlReshowsAfterTheShortPause)
{
    Application->HintPause = 500;
    Application->HintHidePause = 5000;
    auto make = [&](int x, const std::string& text) {
        auto* p = new TbsSkinPanel(form);
        p->SetParent(form);
        p->SetBounds(x, 20, 80, 60);
        p->SetHint(text);
        p->SetShowHint(true);
        return p;
    };
    TbsSkinPanel* a = make(10, "甲 first");
    TbsSkinPanel* b = make(120, "乙 second");
    driver->PumpUntilIdle();
    auto shown = [&] {
        THintWindow* w = Application->HintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->GetHandle()) ? w->GetText() : std::string();
    };
    driver->MoveTo(a->ClientToScreen(TPoint(40, 30)));
    driver->PumpUntilIdle();
    driver->AdvanceClock(499);
    driver->PumpUntilIdle();
    EXPECT_EQ(shown(), "");
    driver->AdvanceClock(1);
    driver->PumpUntilIdle();
    EXPECT_EQ(shown(), "甲 first");
    // While a hint shows, the next control's hint follows after the short
    // pause the skinned hint sets (100 ms), not the full one.
    driver->MoveTo(b->ClientToScreen(TPoint(40, 30)));
    driver->PumpUntilIdle();
    EXPECT_EQ(shown(), "");
    driver->AdvanceClock(100);
    driver->PumpUntilIdle();
    EXPECT_EQ(shown(), "乙 second");
    // Leaving the controls for a while: the full pause again.
    driver->MoveTo(form->ClientToScreen(TPoint(250, 150)));
    driver->PumpUntilIdle();
    driver->AdvanceClock(1000);
    driver->MoveTo(a->ClientToScreen(TPoint(40, 30)));
    driver->PumpUntilIdle();
    driver->AdvanceClock(100);
    driver->PumpUntilIdle();
    EXPECT_EQ(shown(), "");
    driver->AdvanceClock(400);
    driver->PumpUntilIdle();
    EXPECT_EQ(shown(), "甲 first");
}

TEST_F(HintTest, TitleAndImage)
{
    auto images = std::make_unique<TCustomImageList>(16, 16);
    TBitmap pic(16, 16, pf24bit);
    images->Add(&pic, nullptr);
    const TSize text = TextSize("文本"), title = TextSize("标题", true);
    struct Case
    {
        std::string Title;
        int Index;
        int Width, Height;
    };
    const Case cases[] = {
        {"标题", -1, std::max(text.cx, title.cx) + 4, text.cy + title.cy + 10 + 4},
        {"", 0, text.cx + 16 + 10 + 4, std::max(text.cy, 16 + 5) + 4},
        {"", 1, text.cx + 4, text.cy + 4},   // an index equal to the count shows no image
    };
    for (const Case& c : cases)
    {
        hint->ActivateHintEx(TPoint(10, 10), c.Title, "文本", c.Index, images.get());
        driver->PumpUntilIdle();
        EXPECT_TRUE(W()->ExtendedStyle());
        EXPECT_EQ(W()->Width(), c.Width) << c.Title << c.Index;
        EXPECT_EQ(W()->Height(), c.Height) << c.Title << c.Index;
    }
    hint->HideHint();
    EXPECT_EQ(hint->HintImageList(), nullptr) << "hiding clears the title and image";
}

TEST_F(HintTest, KeptInsideTheWorkArea)
{
    const TSize t = TextSize("edge");
    const int w = t.cx + 4, h = t.cy + 4;
    struct Case
    {
        TPoint At, Expected;
    };
    for (const Case& c : {Case{TPoint(100, 100), TPoint(100, 100)}, Case{TPoint(790, 100), TPoint(790 - w - 2, 100)},
                          Case{TPoint(100, 555), TPoint(100, 555 - h - 2)}})
    {
        hint->ActivateHint(c.At, "edge");
        EXPECT_EQ(W()->Left(), c.Expected.X);
        EXPECT_EQ(W()->Top(), c.Expected.Y);
    }
}

TEST_F(HintTest, ApplicationHintsOfSkinnedControlsCarryTheirTitle)
{
    auto* panel = new TbsSkinPanel(form);
    panel->SetParent(form);
    panel->SetBounds(20, 20, 100, 60);
    panel->SetHint("面板 panel");
    panel->SetShowHint(true);
    panel->HintTitle = "标题";
    int seen = 0;
    hint->OnShowHint = [&](std::string& s, bool&, THintInfo&) {
        ++seen;
        EXPECT_EQ(s, "面板 panel");
    };
    driver->PumpUntilIdle();
    driver->MoveTo(panel->ClientToScreen(TPoint(50, 30)));
    driver->AdvanceClock(Application->HintPause);
    driver->PumpUntilIdle();
    auto* w = dynamic_cast<TbsSkinHintWindow*>(Application->HintWindow());
    ASSERT_NE(w, nullptr) << "the application's hint window is of the skinned class";
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(w->ExtendedStyle()) << "a title gives the title form";
    EXPECT_EQ(hint->HintTitle(), "标题");

    // A second component made active switches the first off.
    auto* second = new TbsSkinHint(form);
    second->SetActive(false);
    second->SetActive(true);
    EXPECT_FALSE(hint->Active());
    EXPECT_EQ(TbsSkinHintWindow::FindSkinHint(), second);
    delete second;
    EXPECT_EQ(TbsSkinHintWindow::FindSkinHint(), nullptr);
}

TEST_F(HintTest, AlphaFadesInOnTheClock)
{
    driver->Desktop().SetLayeredAvailable(true);
    hint->AlphaBlend = true;
    hint->AlphaBlendValue = 150;
    hint->AlphaBlendAnimation = true;
    hint->ActivateHint(TPoint(10, 10), "fade");
    EXPECT_NE(GetWindowLong(W()->GetHandle(), GWL_EXSTYLE) & LONG(WS_EX_LAYERED), 0);
    EXPECT_EQ(W()->FadeSteps(), 1) << "the first step at once";
    driver->AdvanceClock(200);
    driver->PumpUntilIdle();
    EXPECT_EQ(W()->FadeSteps(), 15) << "steps of a fifteenth up to the value";
    hint->AlphaBlend = false;
    hint->ActivateHint(TPoint(10, 10), "opaque");
    EXPECT_EQ(GetWindowLong(W()->GetHandle(), GWL_EXSTYLE) & LONG(WS_EX_LAYERED), 0);
}
