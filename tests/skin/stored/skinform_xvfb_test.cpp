// A skinned form on a real X display with a window manager: it shows without
// the manager's decoration, its corners on the screen are the skin's, a drag
// on its caption moves it, its minimize button parks it as a caption tile and
// its close button closes it. xdotool plays the user.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lib/bsSkinForm.h"
#include "skin/stored/helpers.h"
#include "tests/platform/x11_session.h"

using namespace x11test;

// The number of rectangles of the window's bounding shape (1 for a window
// without a shape; x11_shape.cpp, away from the X headers' names).
int ShapeRectangles(const std::string& xid);

namespace
{
const char* const kTitle = "Quorvel 皮肤窗体";

class X11SkinFormTest : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        sd = storedtest::Load(0);
        form = new TForm(Application);
        form->SetCaption(kTitle);
        sf = new TbsSkinForm(form);
        sf->SetSkinData(sd.get());
        form->SetBounds(100, 100, 500, 360);
        form->Show();
        ASSERT_TRUE(PumpUntil([&] { return !XWindowOf(kTitle).empty(); }));
        xid = XWindowOf(kTitle);
        PumpFor(300);
    }
    void TearDown() override
    {
        ResetApplication();
        sd.reset();
    }
    // Screen point of a window point of the form.
    TPoint At(TPoint p) const { return TPoint(form->Left() + p.X, form->Top() + p.Y); }
    // Screen centre of the caption button with this command.
    TPoint CentreOf(TbsStdCommand cmd) const
    {
        TRect r;
        for (auto& o : sf->ObjectList)
            if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get()); b && b->Command == cmd && b->Visible)
                r = b->ObjectRect;
        EXPECT_FALSE(IsEmptyRect(r));
        return At(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    static std::string S(int v) { return std::to_string(v); }

    std::unique_ptr<TbsSkinData> sd;
    TForm* form = nullptr;
    TbsSkinForm* sf = nullptr;
    std::string xid;
};
}  // namespace

TEST_F(X11SkinFormTest, ShowsUndecoratedWithTheSkinsCorners)
{
    // The window manager added no frame: the window sits where the form says.
    std::string g = Output({"xdotool", "getwindowgeometry", xid});
    EXPECT_NE(g.find("Position: 100,100"), std::string::npos) << g;
    EXPECT_NE(g.find("Geometry: 500x360"), std::string::npos) << g;
    const TSurface shot = Screenshot(ShotPath("skinform"));
    ASSERT_FALSE(shot.Empty());
    const TbsSkinPicture& pic = sd->FPicture;
    const int pw = pic.Width(), ph = pic.Height();
    // Fixed corner pieces: top-left and bottom-right of the frame picture.
    for (TPoint p : {TPoint(2, 2), TPoint(pw - 3, ph - 3), TPoint(2, ph - 3)})
    {
        if (!sd->FMask.Empty() && (sd->FMask.Pixel(p.X, p.Y) & 0xFFFFFF) != 0) continue;
        const int wx = p.X >= sd->RTPoint.X ? p.X + 500 - pw : p.X, wy = p.Y >= sd->LBPoint.Y ? p.Y + 360 - ph : p.Y;
        const std::uint32_t want = pic.Pixel(p.X, p.Y);
        EXPECT_TRUE(Near(shot.Pixel(100 + wx, 100 + wy), MakePixel((want >> 16) & 0xFF, (want >> 8) & 0xFF, want & 0xFF)))
            << p.X << "," << p.Y;
    }
}

TEST_F(X11SkinFormTest, CaptionDragMovesAndTheButtonsMinimizeAndClose)
{
    TRect cr;
    for (auto& o : sf->ObjectList)
        if (o->IsCaption()) cr = o->ObjectRect;
    ASSERT_FALSE(IsEmptyRect(cr));
    const TPoint from = At(TPoint(cr.Left + 40, (cr.Top + cr.Bottom) / 2));
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(from.X), S(from.Y), "mousedown", "1", "mousemove", S(from.X + 30),
                      S(from.Y + 20), "mousemove", S(from.X + 80), S(from.Y + 60), "mouseup", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return form->Left() == 180 && form->Top() == 160; }))
        << form->Left() << "," << form->Top();

    // The close button: a press that leaves it before the release does nothing.
    const TPoint close = CentreOf(cmClose);
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(close.X), S(close.Y), "mousedown", "1", "mousemove", S(close.X - 200),
                      S(close.Y + 150), "mouseup", "1"}));
    PumpFor(300);
    EXPECT_TRUE(form->GetVisible());

    const TPoint min = CentreOf(cmMinimize);
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(min.X), S(min.Y), "click", "1"}));
    // Not the main form: the frame minimizes it to a caption tile at the
    // bottom left of the work area; the form's own state stays normal.
    ASSERT_TRUE(PumpUntil([&] { return sf->WindowState() == wsMinimized; }));
    EXPECT_EQ(form->GetWindowState(), wsNormal);
    EXPECT_EQ(form->Height(), sf->GetMinHeight());
    EXPECT_EQ(form->Left(), Screen->WorkAreaRect().Left);
    EXPECT_EQ(form->Top() + form->Height(), Screen->WorkAreaRect().Bottom);
    sf->ChangeWindowState(wsNormal);
    EXPECT_EQ(form->BoundsRect(), Bounds(180, 160, 500, 360));
    form->BringToFront();
    PumpFor(300);

    const TPoint shut = CentreOf(cmClose);
    ASSERT_TRUE(Exec({"xdotool", "mousemove", S(shut.X), S(shut.Y), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !form->GetVisible(); }));
}

TEST_F(X11SkinFormTest, MaskedSkinsShapeTheWindow)
{
    // The skins with a frame mask cut the window's corners: the X window
    // carries the region as its bounding shape (one rectangle per run of
    // kept pixels); a skin without a mask leaves the window a plain rectangle.
    for (int skin : {0, 3, 6, 10})
    {
        SCOPED_TRACE(skin);
        auto data = storedtest::Load(skin);
        EXPECT_EQ(!data->FMask.Empty(), skin != 0);
        const std::string title = "形状 " + std::to_string(skin);
        auto* f = new TForm(Application);
        f->SetCaption(title);
        auto* c = new TbsSkinForm(f);
        c->SetSkinData(data.get());
        f->SetBounds(300, 200, 400, 300);
        f->Show();
        ASSERT_TRUE(PumpUntil([&] { return !XWindowOf(title).empty(); }));
        PumpFor(200);
        EXPECT_EQ(ShapeRectangles(XWindowOf(title)) > 1, skin != 0);
        delete f;
        PumpFor(100);
    }
}

