// The demo form of the display tests and of the x11_demo program: a
// borderless form whose top strip is the caption (the skin's way: the form
// answers HTCAPTION there), a text control, and a shaped, half-transparent
// popup that never activates.
#pragma once
#include <functional>
#include <string>

#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "platform/os/Region.h"
#include "platform/os/Window.h"

namespace x11demo
{
constexpr TColor kFormColor = 0x308020;   // RGB(0x20, 0x80, 0x30)
constexpr int kCaptionHeight = 30;
inline const char* const kTitle = "Quorvel demo";

struct TDemoForm
{
    TForm* Form = nullptr;
    TEdit* Edit = nullptr;
    TSubclassToken Token = 0;
};

// Every message the form's procedure sees goes to `spy` first (may be empty).
inline TDemoForm MakeDemoForm(std::function<void(UINT, WPARAM)> spy = {})
{
    TDemoForm d;
    d.Form = new TForm(Application);
    d.Form->SetBorderStyle(bsNone);
    d.Form->SetCaption(kTitle);
    d.Form->SetColor(kFormColor);
    d.Form->SetBounds(100, 100, 400, 300);
    d.Edit = new TEdit(d.Form);
    d.Edit->SetBounds(20, 60, 200, 24);
    d.Edit->SetParent(d.Form);
    d.Form->Show();
    auto token = std::make_shared<TSubclassToken>(0);
    *token = SubclassWindow(d.Form->Handle(), [token, spy](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (spy) spy(m, wp);
        LRESULT r = CallPreviousWindowProc(h, *token, m, wp, lp);
        if (m == WM_NCHITTEST && r == HTCLIENT)
        {
            TPoint pt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            ScreenToClient(h, &pt);
            if (pt.Y < kCaptionHeight) r = HTCAPTION;
        }
        return r;
    });
    d.Token = *token;
    d.Edit->SetFocus();
    return d;
}

// A window of one colour (registers its class on first use).
inline HWND MakeSolidPopup(const char* className, COLORREF color, DWORD exStyle, const TRect& r, HWND owner,
                           TWndProc before = {})
{
    WNDCLASS wc;
    wc.lpszClassName = className;
    wc.lpfnWndProc = [color, before](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (before)
            if (LRESULT res = before(h, m, wp, lp)) return res;
        if (m == WM_PAINT)
        {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            TRect c;
            GetClientRect(h, &c);
            HBRUSH b = CreateSolidBrush(color);
            FillRect(dc, c, b);
            DeleteObject(b);
            EndPaint(h, &ps);
            return 0;
        }
        if (m == WM_ERASEBKGND) return 1;
        return DefWindowProc(h, m, wp, lp);
    };
    RegisterClass(wc);
    return CreateWindowEx(exStyle, className, "", WS_POPUP, r.Left, r.Top, r.Width(), r.Height(), owner);
}

// The red hint-like popup: its bottom-right quarter cut away by the window
// region, half transparent where a compositor runs.
inline HWND ShowShapedPopup(HWND owner, TPoint at)
{
    HWND popup = MakeSolidPopup("DemoHint", RGB(255, 0, 0),
                                WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE,
                                Bounds(at.X, at.Y, 120, 80), owner);
    HRGN all = CreateRectRgn(0, 0, 120, 80), cut = CreateRectRgn(60, 40, 120, 80);
    CombineRgn(all, all, cut, RGN_DIFF);
    SetWindowRgn(popup, all, TRUE);
    DeleteObject(cut);
    SetLayeredWindowAttributes(popup, 0, 128, LWA_ALPHA);
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    return popup;
}
} // namespace x11demo
