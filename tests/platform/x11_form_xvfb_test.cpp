// A demo form on a real X display with a window manager (openbox): a caption
// area that moves the form through the layer's own move loop, a text control,
// a shaped half-transparent popup, a menu-like popup. xdotool plays the user;
// a screenshot shows where the pixels went.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/platform/x11_demo.h"
#include "tests/platform/x11_session.h"

using namespace x11test;
using namespace x11demo;

namespace
{
const TPixel kFormPixel = MakePixel(0x20, 0x80, 0x30);
const TPixel kRed = MakePixel(255, 0, 0);

struct Log
{
    std::vector<std::pair<UINT, WPARAM>> msgs;
    int count(UINT m, WPARAM wp) const
    {
        return int(std::count(msgs.begin(), msgs.end(), std::make_pair(m, wp)));
    }
    int count(UINT m) const
    {
        return int(std::count_if(msgs.begin(), msgs.end(), [&](auto& p) { return p.first == m; }));
    }
};

} // namespace

class X11FormTest : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        TDemoForm demo = MakeDemoForm([this](UINT m, WPARAM wp) {
            if (m == WM_MOVING || m == WM_SIZE || m == WM_ACTIVATE || m == WM_KEYDOWN || m == WM_SYSKEYDOWN ||
                m == WM_SYSKEYUP)
                log.msgs.push_back({m, m == WM_ACTIVATE ? WPARAM(LOWORD(wp)) : wp});
        });
        form = demo.Form;
        edit = demo.Edit;
        editToken = SubclassWindow(edit->Handle(), [this](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) log.msgs.push_back({m, wp});
            if (m == WM_MOUSEWHEEL || m == WM_MOUSEHWHEEL) wheels.push_back({m, GET_WHEEL_DELTA_WPARAM(wp)});
            return CallPreviousWindowProc(h, editToken, m, wp, lp);
        });
        ASSERT_TRUE(PumpUntil([&] { return !XWindowOf(kTitle).empty(); }));
        xid = XWindowOf(kTitle);
        // The window manager gave the new form the keyboard focus.
        ASSERT_TRUE(PumpUntil([&] { return Output({"xdotool", "getwindowfocus"}) == xid; }))
            << Output({"sh", "-c", "xwininfo -root -tree"});
        ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
    }

    void TearDown() override { ResetApplication(); }

    // Pixels of the screen that are dark (text), inside r.
    static int DarkPixels(const TSurface& s, const TRect& r)
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
            {
                TPixel p = s.Pixel(x, y);
                if (PixelR(p) + PixelG(p) + PixelB(p) < 200) ++n;
            }
        return n;
    }

    TForm* form = nullptr;
    TEdit* edit = nullptr;
    TSubclassToken editToken = 0;
    std::string xid;
    Log log;
    std::vector<std::pair<UINT, int>> wheels;   // message and delta seen by the edit
};

TEST_F(X11FormTest, CaptionDragMovesTheFormThroughTheLayersLoop)
{
    ASSERT_TRUE(Exec({"xdotool", "mousemove", "150", "110", "mousedown", "1", "mousemove", "200", "150", "mousemove",
                     "350", "260", "mouseup", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return form->Left() == 300 && form->Top() == 250; }))
        << form->Left() << "," << form->Top();
    EXPECT_GT(log.count(WM_MOVING), 0);
    // The screen agrees, read back through the window manager's frame.
    EXPECT_TRUE(PumpUntil([&] {
        std::string g = Output({"xdotool", "getwindowgeometry", xid});
        return g.find("Position: 300,250") != std::string::npos;
    }));
    // A press inside the client area below the caption does not move it.
    ASSERT_TRUE(Exec({"xdotool", "mousemove", "400", "400", "mousedown", "1", "mousemove", "450", "450", "mouseup",
                     "1"}));
    PumpFor(300);
    EXPECT_EQ(form->Left(), 300);
    EXPECT_EQ(form->Top(), 250);
}

TEST_F(X11FormTest, TypedTextAndKeysReachTheFocusedControl)
{
    ASSERT_TRUE(Exec({"xdotool", "type", "--delay", "20", "Hello 42"}));
    ASSERT_TRUE(PumpUntil([&] { return edit->GetText() == "Hello 42"; })) << edit->GetText();
    log.msgs.clear();
    ASSERT_TRUE(Exec({"xdotool", "key", "--delay", "30", "Tab", "Return", "Escape", "Alt_L", "F10"}));
    ASSERT_TRUE(PumpUntil([&] { return log.count(WM_SYSKEYDOWN, VK_F10) > 0; }));
    EXPECT_GT(log.count(WM_KEYDOWN, VK_TAB), 0);
    EXPECT_GT(log.count(WM_KEYDOWN, VK_RETURN), 0);
    EXPECT_GT(log.count(WM_KEYDOWN, VK_ESCAPE), 0);
    // A lone Alt is a system key press and release.
    EXPECT_GT(log.count(WM_SYSKEYDOWN, VK_MENU), 0);
    EXPECT_GT(log.count(WM_SYSKEYUP, VK_MENU), 0);
    // Keys that make no character leave the text alone.
    EXPECT_EQ(edit->GetText(), "Hello 42");
}

TEST_F(X11FormTest, BothWheelsReachTheFocusedControl)
{
    // Buttons 4/5 are the wheel, 6/7 the horizontal wheel (left, right).
    ASSERT_TRUE(Exec({"xdotool", "mousemove", "300", "350", "click", "4", "click", "5", "click", "6", "click", "7"}));
    ASSERT_TRUE(PumpUntil([&] { return wheels.size() >= 4; }));
    using W = std::pair<UINT, int>;
    EXPECT_EQ(wheels, (std::vector<W>{{WM_MOUSEWHEEL, 120}, {WM_MOUSEWHEEL, -120}, {WM_MOUSEHWHEEL, -120},
                                      {WM_MOUSEHWHEEL, 120}}));
}

TEST_F(X11FormTest, ScreenShowsTheFormThePopupAndTheText)
{
    // A shaped, half-transparent popup over the form.
    ShowShapedPopup(form->Handle(), TPoint(300, 250));

    const std::string png = ShotPath("x11_form_screen");
    TRect editRect = Bounds(100 + 20, 100 + 60, 200, 24);
    PumpFor(500);
    TSurface before = Screenshot(png);
    ASSERT_FALSE(before.Empty());
    ASSERT_TRUE(Exec({"xdotool", "type", "--delay", "20", "Hello 42"}));
    ASSERT_TRUE(PumpUntil([&] { return edit->GetText() == "Hello 42"; }));
    PumpFor(300);
    TSurface shot = Screenshot(png);
    ASSERT_FALSE(shot.Empty());

    EXPECT_TRUE(Near(shot.Pixel(110, 370), kFormPixel)) << std::hex << shot.Pixel(110, 370);
    EXPECT_TRUE(Near(shot.Pixel(480, 120), kFormPixel));
    // No frame from the window manager: the form's own pixels start at its corner.
    EXPECT_TRUE(Near(shot.Pixel(100, 100), kFormPixel));
    EXPECT_FALSE(Near(shot.Pixel(99, 99), kFormPixel));
    // The popup: red where its shape is (no compositor: opacity has no effect),
    // the form through the cut-away corner.
    EXPECT_TRUE(Near(shot.Pixel(320, 270), kRed)) << std::hex << shot.Pixel(320, 270);
    EXPECT_TRUE(Near(shot.Pixel(400, 320), kFormPixel)) << std::hex << shot.Pixel(400, 320);
    // The typed text is drawn inside the text control.
    EXPECT_GT(DarkPixels(shot, editRect), DarkPixels(before, editRect) + 20);
    // The popup never took the focus.
    EXPECT_EQ(Output({"xdotool", "getwindowfocus"}), xid);
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    if (!HasFailure()) unlink(png.c_str());   // kept to look at when a check failed
}

TEST_F(X11FormTest, TransparencyFollowsTheCompositor)
{
    const std::string png = ShotPath("x11_form_layers");
    // Colour key: the key colour's pixels are holes (the left half is red,
    // the right half the key).
    HWND keyed = MakeSolidPopup("DemoKeyed", RGB(255, 0, 0), WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                Bounds(130, 220, 80, 40), form->Handle(),
                                [](HWND h, UINT m, WPARAM, LPARAM) -> LRESULT {
                                    if (m != WM_PAINT) return 0;
                                    PAINTSTRUCT ps;
                                    HDC dc = BeginPaint(h, &ps);
                                    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), key = CreateSolidBrush(RGB(0, 0, 255));
                                    FillRect(dc, TRect(0, 0, 40, 40), red);
                                    FillRect(dc, TRect(40, 0, 80, 40), key);
                                    DeleteObject(red);
                                    DeleteObject(key);
                                    EndPaint(h, &ps);
                                    return 1;
                                });
    SetLayeredWindowAttributes(keyed, RGB(0, 0, 255), 0, LWA_COLORKEY);
    ShowWindow(keyed, SW_SHOWNOACTIVATE);
    ShowShapedPopup(form->Handle(), TPoint(300, 250));
    // Per-pixel alpha: left half opaque blue, right half fully transparent.
    HWND glow = MakeSolidPopup("DemoGlow", RGB(0, 0, 0), WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                               Bounds(130, 300, 80, 40), form->Handle());
    auto updateGlow = [&] {
        HDC mem = CreateCompatibleDC(nullptr);
        BITMAPINFO bmi{};
        bmi.bmiHeader.biWidth = 80;
        bmi.bmiHeader.biHeight = -40;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* px = static_cast<std::uint32_t*>(bits);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 80; ++x) px[y * 80 + x] = x < 40 ? 0xFF0000FFu : 0u;
        HGDIOBJ old = SelectObject(mem, dib);
        BLENDFUNCTION bf;
        bf.AlphaFormat = AC_SRC_ALPHA;
        TPoint src(0, 0), dst(130, 300);
        TSize size(80, 40);
        BOOL ok = UpdateLayeredWindow(glow, nullptr, &dst, &size, mem, &src, 0, &bf, ULW_ALPHA);
        SelectObject(mem, old);
        DeleteObject(dib);
        DeleteDC(mem);
        return ok;
    };
    ASSERT_TRUE(updateGlow());
    ShowWindow(glow, SW_SHOWNOACTIVATE);

    // No compositor: layered windows are reported unavailable; shapes and
    // colour keys still cut, constant alpha has no effect.
    PumpFor(500);
    EXPECT_FALSE(IsLayeredWindowsAvailable());
    TSurface plain = Screenshot(png);
    ASSERT_FALSE(plain.Empty());
    EXPECT_TRUE(Near(plain.Pixel(140, 240), kRed)) << std::hex << plain.Pixel(140, 240);
    EXPECT_TRUE(Near(plain.Pixel(200, 240), kFormPixel)) << std::hex << plain.Pixel(200, 240);
    EXPECT_TRUE(Near(plain.Pixel(320, 270), kRed));

    // With a compositor: the popup is half transparent (red over the form's
    // green), the per-pixel window shows the form through its clear half.
    pid_t cm = Spawn({"xcompmgr"});
    ASSERT_GT(cm, 0);
    bool layered = PumpUntil([] { return IsLayeredWindowsAvailable(); });
    // The next update after the compositor started moves the window to a visual with alpha.
    ASSERT_TRUE(updateGlow());
    PumpFor(800);
    TSurface blended = Screenshot(png);
    Stop(cm);
    ASSERT_TRUE(layered) << "xcompmgr did not take the compositing selection";
    TPixel p = blended.Pixel(320, 270);
    EXPECT_TRUE(Near(p, MakePixel((255 + 0x20) / 2, 0x80 / 2, 0x30 / 2), 20)) << std::hex << p;
    EXPECT_TRUE(Near(blended.Pixel(400, 320), kFormPixel));
    EXPECT_TRUE(Near(blended.Pixel(140, 320), MakePixel(0, 0, 255))) << std::hex << blended.Pixel(140, 320);
    EXPECT_TRUE(Near(blended.Pixel(200, 320), kFormPixel)) << std::hex << blended.Pixel(200, 320);
    EXPECT_TRUE(Near(blended.Pixel(200, 240), kFormPixel));
    PumpUntil([] { return !IsLayeredWindowsAvailable(); }, 3000);
    if (!HasFailure()) unlink(png.c_str());
}

TEST_F(X11FormTest, MenuPopupClosesOnAPressOutsideAndNeverTakesTheFocus)
{
    struct State
    {
        bool closed = false;
        int insidePresses = 0;
    };
    static State* st = nullptr;
    State state;
    st = &state;
    // What a skinned menu does: it holds the capture; a press outside its
    // own rectangle, or losing the capture, closes it.
    auto menuProc = [](HWND h, UINT m, WPARAM, LPARAM lp) -> LRESULT {
        auto close = [&] {
            if (st->closed) return;
            st->closed = true;
            ShowWindow(h, SW_HIDE);
            if (GetCapture() == h) ReleaseCapture();
        };
        if (m == WM_LBUTTONDOWN)
        {
            TRect r;
            GetClientRect(h, &r);
            if (r.Contains(TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)))) ++st->insidePresses;
            else close();
            return 1;
        }
        if (m == WM_CAPTURECHANGED && IsWindowVisible(h)) close();
        return 0;
    };
    HWND menu = MakeSolidPopup("DemoMenu", RGB(0, 0, 255), WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                               Bounds(150, 200, 120, 100), form->Handle(), menuProc);
    ASSERT_TRUE(menu);
    ShowWindow(menu, SW_SHOWNOACTIVATE);
    SetCapture(menu);
    PumpFor(300);

    ASSERT_TRUE(Exec({"xdotool", "mousemove", "200", "250", "click", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return state.insidePresses == 1; }));
    EXPECT_FALSE(state.closed);
    // Far away from every window of the program: on the bare desktop.
    ASSERT_TRUE(Exec({"xdotool", "mousemove", "1000", "900", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return state.closed; }));
    EXPECT_FALSE(IsWindowVisible(menu));
    EXPECT_EQ(GetActiveWindow(), form->Handle());
    EXPECT_EQ(Output({"xdotool", "getwindowfocus"}), xid);
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(menu);
    st = nullptr;
}

TEST_F(X11FormTest, IconifyAndRestoreReachTheLayer)
{
    ASSERT_TRUE(Exec({"xdotool", "windowminimize", xid}));
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(form->Handle()); }));
    EXPECT_GT(log.count(WM_SIZE, SIZE_MINIMIZED), 0);
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() != form->Handle(); }));

    log.msgs.clear();
    ASSERT_TRUE(Exec({"xdotool", "windowactivate", xid}));
    ASSERT_TRUE(PumpUntil([&] { return !IsIconic(form->Handle()); }));
    EXPECT_GT(log.count(WM_SIZE, SIZE_RESTORED), 0);
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
    EXPECT_GT(log.count(WM_ACTIVATE, WA_ACTIVE), 0);

    // The other way: the layer minimizes and restores, the window manager follows.
    auto wmState = [&] { return Output({"xprop", "-id", xid, "WM_STATE"}); };
    ShowWindow(form->Handle(), SW_MINIMIZE);
    EXPECT_TRUE(PumpUntil([&] { return wmState().find("Iconic") != std::string::npos; })) << wmState();
    ShowWindow(form->Handle(), SW_RESTORE);
    EXPECT_TRUE(PumpUntil([&] { return wmState().find("Normal") != std::string::npos; })) << wmState();
    EXPECT_FALSE(IsIconic(form->Handle()));
}

TEST_F(X11FormTest, WindowManagerSeesTheFormsPropertiesAndCanCloseIt)
{
    auto prop = [&](const char* name) { return Output({"xprop", "-id", xid, name}); };
    EXPECT_NE(prop("_NET_WM_NAME").find(kTitle), std::string::npos) << prop("_NET_WM_NAME");
    EXPECT_NE(prop("WM_CLASS").find("\"Quorvel\""), std::string::npos) << prop("WM_CLASS");
    EXPECT_NE(prop("_MOTIF_WM_HINTS").find("0x2, 0x0, 0x0"), std::string::npos) << prop("_MOTIF_WM_HINTS");
    EXPECT_NE(prop("WM_PROTOCOLS").find("WM_DELETE_WINDOW"), std::string::npos);
    form->Icon()->SetSize(16, 16);
    EXPECT_TRUE(PumpUntil([&] { return prop("_NET_WM_ICON").find("Icon (16 x 16)") != std::string::npos; }))
        << prop("_NET_WM_ICON").substr(0, 200);
    form->SetCaption("Quorvel 转换");
    EXPECT_TRUE(PumpUntil([&] { return prop("_NET_WM_NAME").find("Quorvel 转换") != std::string::npos; }))
        << prop("_NET_WM_NAME");
    // The window manager's own move reaches the layer.
    ASSERT_TRUE(Exec({"xdotool", "windowmove", xid, "500", "300"}));
    EXPECT_TRUE(PumpUntil([&] { return form->Left() == 500 && form->Top() == 300; }))
        << form->Left() << "," << form->Top();
    // The window manager's close (Alt+F4 in openbox) asks the form to close.
    ASSERT_TRUE(Exec({"xdotool", "key", "alt+F4"}));
    EXPECT_TRUE(PumpUntil([&] { return !form->GetVisible(); }));
}

TEST_F(X11FormTest, AnotherProgramTakesTheFocusAndAClickBringsItBack)
{
    log.msgs.clear();
    pid_t other = Spawn({"xmessage", "-title", "other program", "-geometry", "+700+100", "hello"});
    ASSERT_GT(other, 0);
    std::string otherId;
    ASSERT_TRUE(PumpUntil([&] { return !(otherId = XWindowOf("other program")).empty(); }));
    ASSERT_TRUE(Exec({"xdotool", "windowactivate", otherId}));
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == nullptr; }));
    EXPECT_GT(log.count(WM_ACTIVATE, WA_INACTIVE), 0);
    // A click into the form (below the caption) activates it again.
    log.msgs.clear();
    ASSERT_TRUE(Exec({"xdotool", "mousemove", "300", "350", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }));
    EXPECT_TRUE(PumpUntil([&] { return Output({"xdotool", "getwindowfocus"}) == xid; }));
    EXPECT_GT(log.count(WM_ACTIVATE, WA_ACTIVE) + log.count(WM_ACTIVATE, WA_CLICKACTIVE), 0);
    Stop(other);
}
