// The form skinning component without a skin: it takes over the window
// procedure, draws the default frame, answers the hit test at every border,
// corner and button, and its caption buttons act only on a click that both
// begins and ends on them.
#include "lib/bsSkinForm.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SkinFormTest : public SkinCtrlTest
{
protected:
    // A 300 x 200 sizeable form with its component, shown and active.
    std::pair<TForm*, TbsSkinForm*> Shown(TFormBorderStyle bs = bsSizeable)
    {
        auto* f = new TForm(Application);
        f->SetBorderStyle(bs);
        f->SetCaption("转换 Quorvel");
        auto* sf = new TbsSkinForm(f);
        f->SetBounds(100, 100, 300, 200);
        f->Show();
        driver->PumpUntilIdle();
        return {f, sf};
    }
    LRESULT Hit(TForm* f, int x, int y)
    {
        return SendMessage(f->Handle(), WM_NCHITTEST, 0, MAKELPARAM(f->Left() + x, f->Top() + y));
    }
};
}  // namespace

TEST_F(SkinFormTest, DefaultFrameGivesTheClientRectangleAndCaption)
{
    auto [f, sf] = Shown();
    // Client (3, 22, 297, 197) in window coordinates.
    EXPECT_EQ(f->ClientWidth(), 294);
    EXPECT_EQ(f->ClientHeight(), 175);
    EXPECT_EQ(f->ClientOrigin(), TPoint(103, 122));
    EXPECT_GE(sf->NCPaintCount, 1);
    EXPECT_EQ(sf->NewDefCaptionRect.Top, 3);
    EXPECT_EQ(sf->NewDefCaptionRect.Bottom, 19);
    // Left of the close, maximize, minimize and roll-up buttons (17 each).
    EXPECT_EQ(sf->NewDefCaptionRect.Right, 297 - 4 * 17);
    EXPECT_EQ(sf->GetProductVersion(), "7.81");
    EXPECT_EQ(SendMessage(f->Handle(), BSM_QUERYSKINNEDFORM, 0, 0), 12853);
}

TEST_F(SkinFormTest, HitTestAtEveryBorderCornerAndButton)
{
    auto [f, sf] = Shown();
    const int close = sf->GetIndex("closebutton");
    ASSERT_NE(close, -1);
    const TRect cb = sf->ObjectList[std::size_t(close)]->ObjectRect;
    const struct
    {
        int x, y;
        LRESULT code;
    } cases[] = {
        {0, 0, HTTOPLEFT},     {299, 0, HTTOPRIGHT},   {0, 199, HTBOTTOMLEFT}, {299, 199, HTBOTTOMRIGHT},
        {1, 100, HTLEFT},      {298, 100, HTRIGHT},    {150, 1, HTTOP},        {150, 198, HTBOTTOM},
        {60, 10, HTCAPTION},   {150, 100, HTCLIENT},   {cb.Left + 5, cb.Top + 5, HTOBJECT},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hit(f, c.x, c.y), c.code) << c.x << "," << c.y;
    // A dialog frame has no sizing edges.
    f->SetBorderStyle(bsDialog);
    driver->PumpUntilIdle();
    EXPECT_EQ(Hit(f, 0, 0), HTOBJECT);
    EXPECT_EQ(Hit(f, 60, 10), HTCAPTION);
}

TEST_F(SkinFormTest, CloseButtonActsOnlyOnAClickThatStaysOnIt)
{
    auto [f, sf] = Shown();
    const TRect cb = sf->ObjectList[std::size_t(sf->GetIndex("closebutton"))]->ObjectRect;
    const TPoint on = TTestDriver::WindowPoint(f->Handle(), TPoint(cb.Left + 8, cb.Top + 8));
    const TPoint off = TTestDriver::WindowPoint(f->Handle(), TPoint(150, 100));
    auto* button = sf->ObjectList[std::size_t(sf->GetIndex("closebutton"))].get();

    // Enter, press, leave, re-enter, leave, release outside: nothing.
    driver->MoveTo(on);
    driver->PumpUntilIdle();
    EXPECT_TRUE(button->FMouseIn);
    driver->Press(on);
    driver->PumpUntilIdle();
    EXPECT_TRUE(button->FDown);
    driver->MoveTo(off);
    driver->PumpUntilIdle();
    EXPECT_FALSE(button->FMouseIn);
    EXPECT_TRUE(button->FDown);
    driver->MoveTo(on);
    driver->PumpUntilIdle();
    EXPECT_TRUE(button->FMouseIn);
    driver->MoveTo(off);
    driver->Release(off);
    driver->PumpUntilIdle();
    EXPECT_FALSE(button->FDown);
    EXPECT_TRUE(f->GetVisible());

    // A click on it closes the form, which is freed after the handler.
    f->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
    bool destroyed = false;
    f->OnDestroy = [&destroyed](TObject*) { destroyed = true; };
    driver->Click(on);
    driver->PumpUntilIdle();
    EXPECT_TRUE(destroyed);
}

TEST_F(SkinFormTest, MinimizeAndRollUpButtons)
{
    auto [f, sf] = Shown();
    const TRect rb = sf->ObjectList[std::size_t(sf->GetIndex("rollupbutton"))]->ObjectRect;
    driver->Click(TTestDriver::WindowPoint(f->Handle(), TPoint(rb.Left + 8, rb.Top + 8)));
    driver->PumpUntilIdle();
    EXPECT_TRUE(sf->RollUpState());
    EXPECT_EQ(f->Height(), sf->GetMinHeight());
    sf->ChangeRollUpState(false);
    EXPECT_EQ(f->Height(), 200);
    const TRect mb = sf->ObjectList[std::size_t(sf->GetIndex("minbutton"))]->ObjectRect;
    driver->Click(TTestDriver::WindowPoint(f->Handle(), TPoint(mb.Left + 8, mb.Top + 8)));
    driver->PumpUntilIdle();
    // A form that is not the main form is minimized by its frame: the form's
    // own state stays normal and it becomes a caption tile at the bottom left
    // of the work area.
    EXPECT_EQ(sf->WindowState(), wsMinimized);
    EXPECT_EQ(f->GetWindowState(), wsNormal);
    EXPECT_EQ(f->BoundsRect(), Bounds(0, 994 - sf->GetMinHeight(), sf->GetMinWidth(), sf->GetMinHeight()));
}

TEST_F(SkinFormTest, DestroyingTheComponentGivesTheFormItsFrameBack)
{
    auto [f, sf] = Shown();
    EXPECT_EQ(f->ClientWidth(), 294);
    delete sf;
    f->RecreateWnd();
    driver->PumpUntilIdle();
    EXPECT_NE(f->ClientWidth(), 294);
    // A second component works the same way.
    new TbsSkinForm(f);
    driver->PumpUntilIdle();
    EXPECT_EQ(f->ClientWidth(), 294);
    EXPECT_THROW(new TbsSkinForm(Application), Exception);
}

namespace
{
// A skin with no frame picture whose client background is active picture
// `bg` (0: the coordinate picture, 64 x 48), tiled or stretched.
std::string BackgroundSkin(const std::string& name, int bg, bool stretch)
{
    const std::string dir = skintest::TempDir("form-bg-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=bg\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\nbgpictureindex=" + std::to_string(bg) +
                            "\r\nstretcheffect=" + (stretch ? "1" : "0") +
                            "\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n[SKINCONTROLS]\r\ncount=0\r\n\r\n");
    return dir + "skin.ini";
}
}  // namespace

TEST_F(SkinFormTest, ClientBackgroundIsTiledFromTheSkinPicture)
{
    TbsSkinData sd;
    sd.LoadFromFile(BackgroundSkin("tile", 0, false));
    auto [f, sf] = Shown();
    sf->SetSkinData(&sd);
    f->SetClientSize(200, 130);
    driver->PumpUntilIdle();
    ASSERT_TRUE(sf->SkinSupport());
    // Four columns and three rows of the 64 x 48 picture.
    for (TPoint p : {TPoint(0, 0), TPoint(70, 50), TPoint(199, 129), TPoint(130, 100)})
        EXPECT_EQ(At(f, p.X, p.Y), CoordColor(p.X % 64, p.Y % 48)) << p.X << "," << p.Y;
}

TEST_F(SkinFormTest, ABadBackgroundIndexDrawsNothingAndLeavesTheStoreAlone)
{
    TbsSkinData sd;
    sd.LoadFromFile(BackgroundSkin("bad", 7, true));
    auto [f, sf] = Shown();
    sf->SetSkinData(&sd);
    f->Invalidate();
    driver->PumpUntilIdle();
    EXPECT_EQ(sd.ActivePicturesCount(), 1);
    EXPECT_EQ(sd.BGPictureIndex, 7);
    // Without a skin the client is the plain face colour.
    sf->SetSkinData(nullptr);
    f->Invalidate();
    driver->PumpUntilIdle();
    EXPECT_EQ(At(f, 10, 10), ColorToRGB(clBtnFace));
}

TEST_F(SkinFormTest, CaptionRightClickAndDoubleClickReachTheirCallPoints)
{
    auto [f, sf] = Shown();
    TPoint menuAt(-1, -1);
    int dbl = 0;
    sf->OnSystemMenu = [&menuAt](TPoint p) { menuAt = p; };
    sf->OnCaptionDblClick = [&dbl](TObject*) { ++dbl; };
    const TPoint cap = TTestDriver::WindowPoint(f->Handle(), TPoint(60, 10));
    driver->Click(cap, backend::TMouseButton::Right);
    driver->PumpUntilIdle();
    EXPECT_EQ(menuAt, cap);
    driver->DoubleClick(cap);
    driver->PumpUntilIdle();
    EXPECT_EQ(dbl, 1);
}

TEST_F(SkinFormTest, DefaultCaptionTakesTheFormsFontsOrItsPainter)
{
    auto [f, sf] = Shown();
    auto* other = new TForm(Application);
    other->SetBounds(600, 600, 100, 80);
    // Pixels of the caption strip (window coordinates) mostly of one colour
    // (text edges are blended).
    auto count = [&](COLORREF colour) {
        int n = 0;
        for (int y = 3; y < 19; ++y)
            for (int x = sf->NewDefCaptionRect.Left; x < sf->NewDefCaptionRect.Right; ++x)
            {
                const COLORREF c = PixelToColorRef(driver->PixelAt(TTestDriver::WindowPoint(f->Handle(), TPoint(x, y))));
                auto near = [](int a, int b) { return std::abs(a - b) < 60; };
                if (near(GetRValue(c), GetRValue(colour)) && near(GetGValue(c), GetGValue(colour)) &&
                    near(GetBValue(c), GetBValue(colour)))
                    ++n;
            }
        return n;
    };
    TFont red, blue;
    red.Assign(sf->DefCaptionFont());
    red.SetColor(TColor(RGB(255, 0, 0)));
    blue.Assign(sf->DefInActiveCaptionFont());
    blue.SetColor(TColor(RGB(0, 0, 255)));
    sf->SetDefCaptionFont(&red);
    sf->SetDefInActiveCaptionFont(&blue);
    driver->PumpUntilIdle();
    EXPECT_GT(count(RGB(255, 0, 0)), 0);
    EXPECT_EQ(count(RGB(0, 0, 255)), 0);
    other->Show();
    driver->PumpUntilIdle();
    EXPECT_EQ(count(RGB(255, 0, 0)), 0);
    EXPECT_GT(count(RGB(0, 0, 255)), 0);

    // A painter of its own draws the caption instead, in the caption's place.
    std::vector<std::pair<TRect, bool>> calls;
    sf->OnCaptionPaint = [&calls](TCanvas* c, const TRect& r, bool active) {
        calls.emplace_back(r, active);
        c->Brush()->SetColor(TColor(RGB(0, 200, 0)));
        c->FillRect(r);
    };
    f->BringToFront();
    driver->PumpUntilIdle();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(TRect(sf->NewDefCaptionRect.Left - 3, 0, sf->NewDefCaptionRect.Right - 3, 19), true));
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(TTestDriver::WindowPoint(f->Handle(), TPoint(150, 10)))), RGB(0, 200, 0));
    EXPECT_EQ(count(RGB(255, 0, 0)), 0);
}

TEST_F(SkinFormTest, TheFormsCursorOverTheFrameWhenAsked)
{
    auto [f, sf] = Shown();
    f->SetCursor(crHandPoint);
    const HCURSOR hand = Screen->Cursors(crHandPoint);
    auto cursorAt = [&](int x, int y) {
        driver->MoveTo(TTestDriver::WindowPoint(f->Handle(), TPoint(x, y)));
        driver->PumpUntilIdle();
        return GetCursor();
    };
    EXPECT_NE(cursorAt(150, 10), hand);
    sf->UseFormCursorInNCArea = true;
    // The caption and the buttons show it; the sizing edges keep their own.
    EXPECT_EQ(cursorAt(150, 10), hand);
    EXPECT_EQ(cursorAt(150, 100), hand);
    EXPECT_NE(cursorAt(0, 100), hand);
    EXPECT_NE(cursorAt(299, 199), hand);
}
