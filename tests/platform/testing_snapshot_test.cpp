// The test driver against the headless desktop: a shaped, half-transparent
// popup over a window holding Chinese text, saved as a PNG snapshot; layered
// windows with colour keys and per-pixel alpha; finding windows and typing.
#include <gtest/gtest.h>

#include <filesystem>

#include "os_testlog.h"
#include "platform/os/Os.h"

namespace
{
constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlack = RGB(0, 0, 0);

LRESULT TextWindowProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_PAINT)
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        TRect cr;
        GetClientRect(h, &cr);
        HBRUSH white = CreateSolidBrush(kWhite);
        FillRect(dc, cr, white);
        DeleteObject(white);
        HFONT f = CreateFont(-28, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
        HGDIOBJ old = SelectObject(dc, f);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kBlack);
        TRect tr(20, 20, cr.Right - 20, 80);
        DrawText(dc, GetWindowText(h), tr, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(f);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

LRESULT RedPopupProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (m == WM_ERASEBKGND)
    {
        TRect cr;
        GetClientRect(h, &cr);
        HBRUSH red = CreateSolidBrush(kRed);
        FillRect(reinterpret_cast<HDC>(w), cr, red);
        DeleteObject(red);
        return 1;
    }
    return DefWindowProc(h, m, w, l);
}

int DarkPixels(TTestDriver& drv, const TRect& r)
{
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
        {
            TPixel p = drv.PixelAt(TPoint(x, y));
            if (PixelR(p) < 100 && PixelG(p) < 100 && PixelB(p) < 100) ++n;
        }
    return n;
}

void RegisterSnapshotClasses()
{
    WNDCLASS wc;
    wc.lpszClassName = "TextForm";
    wc.lpfnWndProc = TextWindowProc;
    RegisterClass(wc);
    wc.lpszClassName = "RedPopup";
    wc.lpfnWndProc = RedPopupProc;
    wc.style = CS_SAVEBITS | CS_DROPSHADOW;
    RegisterClass(wc);
}
} // namespace

TEST(TestingSnapshot, ShapedHalfTransparentPopupOverChineseText)
{
    TTestDriver drv;
    RegisterSnapshotClasses();
    HWND form = CreateWindowEx(0, "TextForm", "中文 视频转换", WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, nullptr);
    ASSERT_NE(form, nullptr);
    drv.PumpUntilIdle();
    // Text appeared (the font name the machine lacks fell back to a CJK font).
    EXPECT_GT(DarkPixels(drv, Bounds(120, 120, 200, 40)), 40);

    // A popup cut to a plus shape, half transparent, over the right part of the text.
    HWND popup = CreateWindowEx(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "RedPopup", "", WS_POPUP, 220, 110,
                                120, 120, form);
    ASSERT_NE(popup, nullptr);
    HRGN plus = CreateRectRgn(40, 0, 80, 120);
    HRGN bar = CreateRectRgn(0, 40, 120, 80);
    CombineRgn(plus, plus, bar, RGN_OR);
    DeleteObject(bar);
    SetWindowRgn(popup, plus, TRUE);
    ASSERT_TRUE(IsLayeredWindowsAvailable());
    SetLayeredWindowAttributes(popup, 0, 128, LWA_ALPHA);
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    drv.PumpUntilIdle();
    EXPECT_EQ(GetActiveWindow(), form);

    std::string png = std::string(QUORVEL_BINARY_DIR) + "/testing_snapshot_popup.png";
    std::filesystem::remove(png);
    ASSERT_TRUE(drv.Snapshot(png));
    TSurface shot = TSurface::LoadPng(png);
    ASSERT_EQ(shot.Width(), 1280);
    ASSERT_EQ(shot.Height(), 1024);

    struct Probe
    {
        TPoint pt;
        COLORREF expected;
        const char* what;
    } probes[] = {
        {{280, 215}, RGB(255, 127, 127), "the popup's bar over white: half red"},
        {{230, 215}, kWhite, "inside the popup's box but outside its shape: the window below"},
        {{110, 290}, kWhite, "the form away from the text"},
        {{50, 50}, RGB(0, 64, 128), "the desktop"},
        {{342, 170}, RGB(213, 213, 213), "the drop shadow right of the bar, faded with the popup"},
    };
    for (const Probe& p : probes)
    {
        TPixel px = shot.Pixel(p.pt.X, p.pt.Y);
        EXPECT_NEAR(PixelR(px), GetRValue(p.expected), 2) << p.what;
        EXPECT_NEAR(PixelG(px), GetGValue(p.expected), 2) << p.what;
        EXPECT_NEAR(PixelB(px), GetBValue(p.expected), 2) << p.what;
    }
    // Under the popup's vertical bar the text shows through, darkened red.
    int through = 0;
    for (int y = 120; y < 160; ++y)
        for (int x = 262; x < 298; ++x)
        {
            TPixel px = shot.Pixel(x, y);
            if (PixelR(px) > 100 && PixelG(px) < 60) ++through;
        }
    EXPECT_GT(through, 0) << "no text seen through the popup";

    // A click on the shape reaches the popup but does not activate it; a click
    // in the cut-away corner goes to the form.
    EXPECT_EQ(WindowFromPoint(TPoint(280, 215)), popup);
    EXPECT_EQ(WindowFromPoint(TPoint(230, 120)), form);
    drv.Click(TPoint(280, 215));
    EXPECT_EQ(GetActiveWindow(), form);
}

TEST(TestingSnapshot, ColourKeyPerPixelAlphaAndClickThrough)
{
    TTestDriver drv;
    RegisterSnapshotClasses();
    HWND form = CreateWindowEx(0, "TextForm", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 300, nullptr);
    drv.PumpUntilIdle();

    // Colour key: the red popup with a key of red shows nothing at all.
    HWND keyed = CreateWindowEx(WS_EX_LAYERED, "RedPopup", "", WS_POPUP, 10, 10, 50, 50, nullptr);
    SetLayeredWindowAttributes(keyed, kRed, 255, LWA_COLORKEY);
    ShowWindow(keyed, SW_SHOWNA);
    drv.PumpUntilIdle();
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(30, 30))), kWhite);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(keyed, &key, &alpha, &flags));
    EXPECT_EQ(key, kRed);
    EXPECT_EQ(flags, LWA_COLORKEY);

    // Per-pixel alpha from a premultiplied 32-bit DIB section: the left half
    // opaque blue, the right half blue at alpha 64 (premultiplied: 64).
    HWND glow = CreateWindowEx(WS_EX_LAYERED | WS_EX_TRANSPARENT, "RedPopup", "", WS_POPUP | WS_VISIBLE, 100, 100, 40,
                               20, nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = 40;
    bmi.bmiHeader.biHeight = -20;
    bmi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) px[y * 40 + x] = x < 20 ? 0xFF0000FFu : 0x40000040u;
    HGDIOBJ old = SelectObject(mem, dib);
    BLENDFUNCTION bf;
    bf.SourceConstantAlpha = 255;
    bf.AlphaFormat = AC_SRC_ALPHA;
    TPoint src(0, 0), dst(100, 100);
    TSize size(40, 20);
    ASSERT_TRUE(UpdateLayeredWindow(glow, nullptr, &dst, &size, mem, &src, 0, &bf, ULW_ALPHA));
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    drv.PumpUntilIdle();
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(105, 105))), RGB(0, 0, 255));
    TPixel mixed = drv.PixelAt(TPoint(130, 105));   // white * (1 - 64/255) + 64 blue
    EXPECT_NEAR(PixelR(mixed), 191, 2);
    EXPECT_NEAR(PixelB(mixed), 255, 2);
    // The layered, transparent window lets clicks through to the form.
    EXPECT_EQ(WindowFromPoint(TPoint(105, 105)), form);
    // Fading a window through constant alpha: alpha 0 shows the form only.
    HWND fade = CreateWindowEx(WS_EX_LAYERED, "RedPopup", "", WS_POPUP, 150, 150, 50, 50, nullptr);
    SetLayeredWindowAttributes(fade, 0, 0, LWA_ALPHA);
    ShowWindow(fade, SW_SHOWNA);
    drv.PumpUntilIdle();
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(170, 170))), kWhite);
    SetLayeredWindowAttributes(fade, 0, 255, LWA_ALPHA);
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(170, 170))), kRed);
    // Removing the layered style paints the window normally again.
    SetWindowLong(fade, GWL_EXSTYLE, 0);
    drv.PumpUntilIdle();
    EXPECT_EQ(PixelToColorRef(drv.PixelAt(TPoint(170, 170))), kRed);
}

TEST(TestingDriver, FindsWindowsTypesAndAdvancesTime)
{
    TTestDriver drv;
    TMsgLog log;
    TMsgLog::Current() = &log;
    RegisterLogClass("Log");
    HWND form = CreateWindowEx(0, "Log", "设置", WS_POPUP | WS_VISIBLE, 10, 10, 300, 200, nullptr);
    HWND edit = CreateWindowEx(0, "Log", "name", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, form, 5);
    WNDCLASS wc;
    wc.lpszClassName = "Button";
    RegisterClass(wc);
    HWND ok = CreateWindowEx(0, "Button", "确定", WS_CHILD | WS_VISIBLE, 10, 100, 80, 24, form, 6);
    EXPECT_EQ(drv.FindByText("设置"), form);
    EXPECT_EQ(drv.FindByText("确定", form), ok);
    EXPECT_EQ(drv.FindByClass("Button"), ok);
    EXPECT_EQ(drv.FindByText("missing"), nullptr);
    TTestDriver::SetNameResolver([&](HWND h) { return h == edit ? std::string("edtName") : std::string(); });
    EXPECT_EQ(drv.FindByName("edtName"), edit);
    TTestDriver::SetNameResolver(nullptr);
    EXPECT_EQ(TTestDriver::CenterOf(ok), TPoint(10 + 10 + 40, 10 + 100 + 12));

    drv.Click(edit);
    SetFocus(edit);
    log.Clear();
    drv.TypeText("Ab");
    drv.PressKey(VK_BACK);
    std::vector<WPARAM> chars;
    for (auto& e : log.entries)
        if (e.msg == WM_CHAR) chars.push_back(e.wp);
    EXPECT_EQ(chars, (std::vector<WPARAM>{'A', 'b', 8}));

    std::uint64_t t0 = Clock::Now();
    SetTimer(form, 1, 250);
    log.Clear();
    drv.AdvanceClock(1000);
    EXPECT_EQ(log.Count(form, WM_TIMER), 4);
    EXPECT_EQ(Clock::Now(), t0 + 1000);
    TMsgLog::Current() = nullptr;
}

TEST(TestingDriver, AnswersAModalLoopWhenItGoesIdle)
{
    TTestDriver drv;
    TMsgLog log;
    TMsgLog::Current() = &log;
    RegisterLogClass("Log");
    HWND form = CreateWindowEx(0, "Log", "form", WS_POPUP | WS_VISIBLE, 10, 10, 300, 200, nullptr);
    HWND open = CreateWindowEx(0, "Log", "open", WS_CHILD | WS_VISIBLE, 10, 10, 80, 24, form);
    drv.PumpUntilIdle();
    HWND dialog = nullptr;
    bool closed = false;
    std::vector<std::string> order;
    log.handlers[{open, WM_LBUTTONUP}] = [&](HWND, UINT, WPARAM, LPARAM) {
        // A modal dialog: a new window and a loop until it is answered.
        dialog = CreateWindowEx(0, "Log", "dialog", WS_POPUP | WS_VISIBLE, 50, 50, 200, 100, form);
        HWND ok = CreateWindowEx(0, "Log", "OK", WS_CHILD | WS_VISIBLE, 10, 60, 80, 24, dialog);
        log.handlers[{ok, WM_LBUTTONUP}] = [&](HWND, UINT, WPARAM, LPARAM) {
            order.push_back("ok clicked");
            closed = true;
            return LRESULT(0);
        };
        EnableWindow(form, FALSE);
        order.push_back("modal begin");
        RunNestedLoop([&] { return closed; });
        order.push_back("modal end");
        EnableWindow(form, TRUE);
        DestroyWindow(dialog);
        return LRESULT(0);
    };
    drv.WhenIdle([&] {
        order.push_back("answering");
        HWND ok = drv.FindByText("OK");
        ASSERT_NE(ok, nullptr);
        drv.Click(ok);
    });
    drv.Click(open);
    EXPECT_EQ(order, (std::vector<std::string>{"modal begin", "answering", "ok clicked", "modal end"}));
    EXPECT_EQ(drv.PendingIdleActions(), 0u);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(GetActiveWindow(), form);
    TMsgLog::Current() = nullptr;
}
