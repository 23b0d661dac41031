// Window states of a skinned form without a skin: its own minimize (the main
// form through the application, other forms parked as caption tiles),
// maximize within the work area, restore, roll-up, the caption double click,
// size limits, centring, magnetic edges and the fade-in on the virtual clock.
#include "lib/bsSkinForm.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
constexpr int kWorkBottom = 994;  // the default monitor's work area: 1280 x 994

class SkinFormStates : public SkinCtrlTest
{
protected:
    std::pair<TForm*, TbsSkinForm*> Make(TFormBorderStyle bs = bsSizeable, TRect bounds = Bounds(100, 100, 300, 200),
                                         const std::function<void(TbsSkinForm*)>& setup = nullptr)
    {
        auto* f = new TForm(Application);
        f->SetBorderStyle(bs);
        f->SetCaption("关于 Quorvel");
        auto* sf = new TbsSkinForm(f);
        f->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        if (setup) setup(sf);
        f->Show();
        driver->PumpUntilIdle();
        return {f, sf};
    }
    void DblClickCaption(TForm* f)
    {
        driver->DoubleClick(TTestDriver::WindowPoint(f->Handle(), TPoint(40, 10)));
        driver->PumpUntilIdle();
    }
};
}  // namespace

TEST_F(SkinFormStates, AboutBoxCentresRollsUpAndComesBackAtItsClientHeight)
{
    // The about box: a dialog frame, roll-up only, centred on the work area.
    auto [f, sf] = Make(bsDialog, Bounds(5, 5, 346, 270), [](TbsSkinForm* s) {
        s->SetBorderIcons(TbsBorderIcons{false, false, false, true, false});
        s->PositionInMonitor = bspDesktopCenter;
        s->SetClientHeight(245);
    });
    EXPECT_EQ(f->BoundsRect(), Bounds(640 - 346 / 2, kWorkBottom / 2 - 270 / 2, 346, 270));
    // A non-sizeable frame rolls up on a caption double click instead of maximizing.
    DblClickCaption(f);
    EXPECT_TRUE(sf->RollUpState());
    EXPECT_EQ(sf->WindowState(), wsNormal);
    EXPECT_EQ(f->Height(), sf->GetMinHeight());
    DblClickCaption(f);
    EXPECT_FALSE(sf->RollUpState());
    EXPECT_EQ(f->ClientHeight(), 245);
    // Whatever the height was before rolling up, the client height comes back.
    f->SetClientHeight(100);
    sf->ChangeRollUpState(true);
    sf->ChangeRollUpState(false);
    EXPECT_EQ(f->ClientHeight(), 245);
    // Without roll-up among the buttons nothing happens.
    sf->SetBorderIcons(TbsBorderIcons{});
    sf->SetBorderIcons(TbsBorderIcons{true, true, true, false, false});
    sf->ChangeRollUpState(true);
    EXPECT_FALSE(sf->RollUpState());
}

TEST_F(SkinFormStates, MaximizeFillsTheWorkAreaAndRestoreGivesTheBoundsBack)
{
    auto [f, sf] = Make();
    DblClickCaption(f);
    EXPECT_EQ(sf->WindowState(), wsMaximized);
    EXPECT_EQ(f->GetWindowState(), wsNormal);
    EXPECT_EQ(f->BoundsRect(), TRect(0, 0, 1280, kWorkBottom));
    // A maximized form has no sizing edges and cannot be dragged.
    EXPECT_EQ(SendMessage(f->Handle(), WM_NCHITTEST, 0, MAKELPARAM(0, 0)), HTOBJECT);
    TRect moving = Bounds(50, 50, 1280, kWorkBottom);
    SendMessage(f->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&moving));
    EXPECT_EQ(moving, TRect(0, 0, 1280, kWorkBottom));
    DblClickCaption(f);
    EXPECT_EQ(sf->WindowState(), wsNormal);
    EXPECT_EQ(f->BoundsRect(), Bounds(100, 100, 300, 200));

    // The status bar's size grip is hidden while maximized; a freed bar is forgotten.
    auto* status = new TbsSkinStatusBar(f);
    status->SetParent(f);
    status->SetSizeGrip(true);
    sf->SetStatusBar(status);
    sf->ChangeWindowState(wsMaximized);
    EXPECT_FALSE(status->ShowGrip());
    sf->ChangeWindowState(wsNormal);
    EXPECT_TRUE(status->ShowGrip());
    delete status;
    EXPECT_EQ(sf->StatusBar(), nullptr);

    // A work area as large as the primary screen leaves a 1-pixel margin;
    // with MaximizeOnFullScreen the form covers the task bar's place.
    const struct
    {
        TRect work;
        bool full;
        TRect expected;
    } cases[] = {
        {TRect(0, 0, 1280, 1024), false, TRect(1, 1, 1279, 1023)},
        {TRect(0, 0, 1280, 994), true, TRect(0, 0, 1280, 1024)},
        {TRect(0, 30, 1280, 1024), false, TRect(0, 30, 1280, 1024)},
    };
    for (const auto& c : cases)
    {
        driver->SetMonitors({backend::TMonitorDesc{TRect(0, 0, 1280, 1024), c.work, true}});
        sf->MaximizeOnFullScreen = c.full;
        sf->ChangeWindowState(wsMaximized);
        EXPECT_EQ(f->BoundsRect(), c.expected);
        sf->ChangeWindowState(wsNormal);
        EXPECT_EQ(f->BoundsRect(), Bounds(100, 100, 300, 200));
    }
}

TEST_F(SkinFormStates, MainFormMinimizesThroughTheApplicationOthersParkAsTiles)
{
    auto [main, msf] = Make();
    Application->SetMainForm(main);
    msf->ChangeWindowState(wsMinimized);
    driver->PumpUntilIdle();
    EXPECT_EQ(msf->WindowState(), wsNormal);
    EXPECT_TRUE(Application->Minimized());
    EXPECT_TRUE(IsIconic(main->Handle()));
    // Restored by the window manager or a task bar: the application comes back.
    SendMessage(main->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    driver->PumpUntilIdle();
    EXPECT_FALSE(Application->Minimized());
    EXPECT_FALSE(IsIconic(main->Handle()));

    // Three dialogs on a work area two tiles wide: two side by side at the
    // bottom left, the third one tile higher.
    driver->SetMonitors({backend::TMonitorDesc{TRect(0, 0, 1280, 1024), TRect(10, 0, 300, 994), true}});
    std::vector<std::pair<TForm*, TbsSkinForm*>> dialogs;
    for (int i = 0; i < 3; ++i) dialogs.push_back(Make(bsSizeable, Bounds(200 + 10 * i, 200, 280, 200)));
    for (auto& [f, sf] : dialogs) sf->ChangeWindowState(wsMinimized);
    const int w = dialogs[0].second->GetMinWidth(), h = dialogs[0].second->GetMinHeight();
    EXPECT_EQ(w, 120);
    EXPECT_EQ(dialogs[0].first->BoundsRect(), Bounds(10, kWorkBottom - h, w, h));
    EXPECT_EQ(dialogs[1].first->BoundsRect(), Bounds(10 + w, kWorkBottom - h, w, h));
    EXPECT_EQ(dialogs[2].first->BoundsRect(), Bounds(10, kWorkBottom - 2 * h, w, h));
    // A minimized tile restores to its bounds on a caption double click.
    DblClickCaption(dialogs[1].first);
    EXPECT_EQ(dialogs[1].second->WindowState(), wsNormal);
    EXPECT_EQ(dialogs[1].first->BoundsRect(), Bounds(210, 200, 280, 200));
}

TEST_F(SkinFormStates, MinimizedTilesNeverOverlap)
{
    // A wide tile first: the next one parks beside it, not over it.
    auto [wide, wsf] = Make(bsSizeable, Bounds(300, 300, 400, 200), [](TbsSkinForm* s) { s->MinWidth = 200; });
    auto [narrow, nsf] = Make();
    wsf->ChangeWindowState(wsMinimized);
    nsf->ChangeWindowState(wsMinimized);
    const int h = nsf->GetMinHeight();
    EXPECT_EQ(wide->BoundsRect(), Bounds(0, kWorkBottom - h, 200, h));
    EXPECT_EQ(narrow->BoundsRect(), Bounds(200, kWorkBottom - h, 120, h));
    delete wide;
    delete narrow;

    // A work area of three rows of two tiles and eight dialogs: when the rows
    // run out the tiles go on upward, never onto each other.
    driver->SetMonitors({backend::TMonitorDesc{TRect(0, 0, 1280, 1024), TRect(10, 900, 250, 994), true}});
    std::vector<TForm*> tiles;
    for (int i = 0; i < 8; ++i)
    {
        auto [f, sf] = Make(bsSizeable, Bounds(400 + 10 * i, 300, 300, 200));
        sf->ChangeWindowState(wsMinimized);
        tiles.push_back(f);
    }
    EXPECT_EQ(tiles[5]->BoundsRect(), Bounds(130, 994 - 3 * h, 120, h));
    EXPECT_EQ(tiles[6]->BoundsRect(), Bounds(10, 994 - 4 * h, 120, h));
    for (std::size_t i = 0; i < tiles.size(); ++i)
        for (std::size_t k = i + 1; k < tiles.size(); ++k)
        {
            TRect common;
            EXPECT_FALSE(IntersectRect(common, tiles[i]->BoundsRect(), tiles[k]->BoundsRect())) << i << " and " << k;
        }
}

TEST_F(SkinFormStates, SizeLimitsReachTheMoveSizeLoop)
{
    auto [f, sf] = Make(bsSizeable, Bounds(100, 100, 300, 200), [](TbsSkinForm* s) {
        s->MinWidth = 200;
        s->MinHeight = 150;
        s->MaxWidth = 500;
    });
    MINMAXINFO mi;
    SendMessage(f->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mi));
    EXPECT_EQ(mi.ptMinTrackSize, TPoint(200, 150));
    EXPECT_EQ(mi.ptMaxTrackSize, TPoint(500, kWorkBottom));
    // Sizing from the bottom-right corner stops at the limits.
    const TPoint corner = TTestDriver::WindowPoint(f->Handle(), TPoint(299, 199));
    driver->Drag(corner, TPoint(corner.X + 400, corner.Y + 400));
    driver->PumpUntilIdle();
    EXPECT_EQ(f->Width(), 500);
    const TPoint corner2 = TTestDriver::WindowPoint(f->Handle(), TPoint(f->Width() - 1, f->Height() - 1));
    driver->Drag(corner2, TPoint(corner2.X - 600, corner2.Y - 600));
    driver->PumpUntilIdle();
    EXPECT_EQ(TSize(f->Width(), f->Height()), TSize(200, 150));
}

TEST_F(SkinFormStates, MagneticEdgesSnapWithinTheSnapSize)
{
    auto [f, sf] = Make(bsSizeable, Bounds(400, 300, 300, 200), [](TbsSkinForm* s) {
        s->Magnetic = true;
        s->MagneticSize = 10;
    });
    // Distance d of the moving rectangle from an edge of the work area.
    enum Edge { Left, Top, Right, Bottom };
    const struct
    {
        Edge edge;
        int d;
        bool snaps;
    } cases[] = {{Left, 9, true},    {Left, 10, false},  {Left, -9, true},    {Left, -10, false},
                 {Top, 7, true},     {Top, 10, false},   {Right, -9, true},   {Right, 10, false},
                 {Bottom, 5, true},  {Bottom, -10, false}, {Bottom, -9, true}, {Right, 11, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.edge) + " at " + std::to_string(c.d));
        sf->HMagnetized = sf->VMagnetized = sf->HMagnetized2 = sf->VMagnetized2 = false;
        TRect r = Bounds(400, 300, 300, 200), snapped = r;
        switch (c.edge)
        {
        case Left: r = Bounds(c.d, 300, 300, 200), snapped = Bounds(0, 300, 300, 200); break;
        case Top: r = Bounds(400, c.d, 300, 200), snapped = Bounds(400, 0, 300, 200); break;
        case Right: r = Bounds(980 + c.d, 300, 300, 200), snapped = Bounds(980, 300, 300, 200); break;
        case Bottom:
            r = Bounds(400, kWorkBottom - 200 + c.d, 300, 200), snapped = Bounds(400, kWorkBottom - 200, 300, 200);
            break;
        }
        const TRect before = r;
        SendMessage(f->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(r, c.snaps ? snapped : before);
    }

    // Stuck at the edge until the cursor has gone more than 10 pixels from
    // where the snap happened.
    sf->HMagnetized = sf->VMagnetized = sf->HMagnetized2 = sf->VMagnetized2 = false;
    driver->MoveTo(TPoint(500, 400));
    driver->PumpUntilIdle();
    TRect r = Bounds(7, 300, 300, 200);
    SendMessage(f->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.Left, 0);
    for (const auto& [dx, left] : {std::pair{5, 0}, std::pair{10, 0}, std::pair{11, 11}})
    {
        driver->MoveTo(TPoint(500 + dx, 400));
        driver->PumpUntilIdle();
        r = Bounds(8, 300, 300, 200);
        SendMessage(f->Handle(), WM_MOVING, 0, reinterpret_cast<LPARAM>(&r));
        EXPECT_EQ(r.Left, left) << dx;
    }
}

TEST_F(SkinFormStates, FadeInStepsOnTheVirtualClock)
{
    TbsSkinData store;
    const struct
    {
        bool alphaBlend, animation, forAll;
        int value;
        int steps;
        bool layeredAfter;
        BYTE alphaAfter;
    } cases[] = {
        {false, true, false, 200, 15, false, 255},  // fades to 255, ends opaque
        {true, true, false, 200, 16, true, 200},    // steps of 13 up to 200, stays layered
        {true, false, false, 120, 0, true, 120},    // no animation: the value at once
        {false, false, true, 0, 15, false, 255},    // every window fades, value 0 counts as 255
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.steps));
        store.AnimationForAllWindows = c.forAll;
        auto [f, sf] = Make(bsSizeable, Bounds(100, 100, 300, 200), [&](TbsSkinForm* s) {
            s->SetSkinData(&store);
            s->AlphaBlendAnimation = c.animation;
            s->SetAlphaBlendValue(BYTE(c.value));
            s->SetAlphaBlend(c.alphaBlend);
        });
        // Partway after 20 ms: the fade rises a step per timer tick and the
        // thread serves its messages in between.
        driver->AdvanceClock(20);
        driver->PumpUntilIdle();
        if (c.steps > 0)
        {
            BYTE partway = 0;
            GetLayeredWindowAttributes(f->Handle(), nullptr, &partway, nullptr);
            EXPECT_GT(partway, 0);
            EXPECT_LT(partway, c.alphaAfter / 2);
        }
        driver->AdvanceClock(200);
        driver->PumpUntilIdle();
        EXPECT_EQ(sf->FadeStepCount(), c.steps);
        const bool layered = (GetWindowLong(f->Handle(), GWL_EXSTYLE) & LONG(WS_EX_LAYERED)) != 0;
        EXPECT_EQ(layered, c.layeredAfter);
        BYTE alpha = 255;
        if (layered) GetLayeredWindowAttributes(f->Handle(), nullptr, &alpha, nullptr);
        EXPECT_EQ(alpha, c.alphaAfter);
        delete f;
    }
}
