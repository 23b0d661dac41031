// TbsLayerManager: the fading glow overlay in a layered popup window.
#include "lib/bsEffects.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"

#include <algorithm>

namespace
{
// The overlay's window class: popup, never activated by a click.
void EnsureLayerWindowClass()
{
    static bool done = false;
    WNDCLASS wc;
    if (done && GetClassInfo(bsLayerWindowClass, &wc)) return;
    wc.style = CS_SAVEBITS;
    wc.lpszClassName = bsLayerWindowClass;
    wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
        return DefWindowProc(h, msg, wp, lp);
    };
    RegisterClass(wc);
    done = true;
}
}  // namespace

TbsLayerManager::TbsLayerManager(TComponent* owner) : TComponent(owner) {}

TbsLayerManager::~TbsLayerManager()
{
    StopTimer();
    if (LayerWindow) DestroyWindow(LayerWindow);
    LayerWindow = nullptr;
    delete Bmp;
    Bmp = nullptr;
}

void TbsLayerManager::StartTimer()
{
    BeginAlphaBlendValue = 0;
    if (TimerId) return;
    TimerId = SetTimer(nullptr, 0, 25, [this](HWND, UINT, std::uintptr_t, DWORD) { FadeStep(); });
}

void TbsLayerManager::StopTimer()
{
    if (TimerId) KillTimer(nullptr, TimerId);
    TimerId = 0;
}

void TbsLayerManager::Show(int x, int y, TbsBitmap* image, TbsBitmap* imageMask, int alphaBlendValue)
{
    if (!IsLayeredWindowsAvailable()) return;
    if (LayerWindow) Hide();
    if (!image || image->Empty()) return;
    IsVisible = true;
    EnsureLayerWindowClass();
    LayerWindow = CreateWindowEx(WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED,
                                 bsLayerWindowClass, "", WS_POPUP, x, y, image->Width(),
                                 image->Height(), nullptr);
    delete Bmp;
    Bmp = new TbsBitmap();
    MakeAlphaBitmap(image, imageMask, Bmp);
    UpdateLayeredWindowFromBitmap(Bmp, 0, LayerWindow);
    SetWindowPos(LayerWindow, TopMostMode ? HWND_TOPMOST : HWND_NOTOPMOST, x, y, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    alphaBlendValue = std::clamp(alphaBlendValue, 0, 255);
    EndAlphaBlendValue = alphaBlendValue;
    StepAlphaBlendValue = alphaBlendValue / 10;
    StartTimer();
}

void TbsLayerManager::FadeStep()
{
    if (!Bmp || !LayerWindow) return;
    BeginAlphaBlendValue = std::min(BeginAlphaBlendValue + StepAlphaBlendValue, EndAlphaBlendValue);
    UpdateLayeredWindowFromBitmap(Bmp, BYTE(BeginAlphaBlendValue), LayerWindow);
    if (BeginAlphaBlendValue == EndAlphaBlendValue) {
        StopTimer();
        return;
    }
    // A step that rounds to 0 would never arrive: finish at once.
    if (StepAlphaBlendValue <= 0) {
        BeginAlphaBlendValue = EndAlphaBlendValue;
        UpdateLayeredWindowFromBitmap(Bmp, BYTE(BeginAlphaBlendValue), LayerWindow);
        StopTimer();
    }
}

void TbsLayerManager::Hide()
{
    if (!IsLayeredWindowsAvailable()) return;
    StopTimer();
    delete Bmp;
    Bmp = nullptr;
    IsVisible = false;
    if (LayerWindow) {
        SetWindowPos(LayerWindow, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        DestroyWindow(LayerWindow);
        LayerWindow = nullptr;
    }
}
