// TbsLayerManager and TbsLayerWindow: the fading glow overlay in a layered,
// click-through popup window that never activates.
#include "lib/bsEffects.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"

#include <algorithm>

TbsLayerWindow::TbsLayerWindow(TComponent* owner) : TCustomControl(owner) {}

void TbsLayerWindow::CreateParams(TCreateParams& p)
{
    TCustomControl::CreateParams(p);
    p.Style = WS_POPUP;
    p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT;
    p.WndParent = nullptr;
    p.WindowClass.style |= CS_SAVEBITS;
}

void TbsLayerWindow::Dispatch(TMessage& m)
{
    if (m.Msg == WM_MOUSEACTIVATE) {
        m.Result = MA_NOACTIVATE;
        return;
    }
    TCustomControl::Dispatch(m);
}

TbsLayerManager::TbsLayerManager(TComponent* owner) : TComponent(owner)
{
    Timer = new TTimer(this);
    Timer->SetEnabled(false);
    Timer->SetInterval(25);
    Timer->SetOnTimer([this](TObject*) { FadeStep(); });
}

TbsLayerManager::~TbsLayerManager()
{
    StopTimer();
    delete LayerWindow;
    LayerWindow = nullptr;
    delete Bmp;
    Bmp = nullptr;
}

void TbsLayerManager::StartTimer()
{
    BeginAlphaBlendValue = 0;
    Timer->SetEnabled(true);
}

void TbsLayerManager::StopTimer()
{
    if (Timer) Timer->SetEnabled(false);
}

void TbsLayerManager::Show(int x, int y, TbsBitmap* image, TbsBitmap* imageMask, int alphaBlendValue)
{
    if (!IsLayeredWindowsAvailable()) return;
    if (LayerWindow) Hide();
    if (!image || image->Empty()) return;
    IsVisible = true;
    LayerWindow = new TbsLayerWindow(this);
    LayerWindow->SetVisible(false);
    LayerWindow->SetBounds(x, y, image->Width(), image->Height());
    HWND h = LayerWindow->Handle();
    SetWindowLong(h, GWL_EXSTYLE, GetWindowLong(h, GWL_EXSTYLE) | LONG(WS_EX_LAYERED));
    delete Bmp;
    Bmp = new TbsBitmap();
    MakeAlphaBitmap(image, imageMask, Bmp);
    UpdateLayeredWindowFromBitmap(Bmp, 0, LayerWindow);
    SetWindowPos(h, TopMostMode ? HWND_TOPMOST : HWND_NOTOPMOST, x, y, 0, 0,
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
    // A step that rounds to 0 would never arrive: finish at once.
    if (StepAlphaBlendValue <= 0) BeginAlphaBlendValue = EndAlphaBlendValue;
    UpdateLayeredWindowFromBitmap(Bmp, BYTE(BeginAlphaBlendValue), LayerWindow);
    if (BeginAlphaBlendValue == EndAlphaBlendValue) StopTimer();
}

void TbsLayerManager::Hide()
{
    if (!IsLayeredWindowsAvailable()) return;
    StopTimer();
    delete Bmp;
    Bmp = nullptr;
    IsVisible = false;
    if (LayerWindow) {
        if (LayerWindow->HandleAllocated())
            SetWindowPos(LayerWindow->Handle(), nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        delete LayerWindow;
        LayerWindow = nullptr;
    }
}

// ---------------------------------------------------------------------------
// TbsAlphaFade

TbsAlphaFade::TbsAlphaFade() = default;
TbsAlphaFade::~TbsAlphaFade() = default;

void TbsAlphaFade::Start(int Target, int Step, unsigned Interval, std::function<void(int)> Apply,
                         std::function<void()> Done)
{
    Stop();
    FApply = std::move(Apply);
    FDone = std::move(Done);
    FTarget = Target;
    FStep = std::max(Step, 1);
    FAlpha = 0;
    FSteps = 0;
    if (!FTimer)
    {
        FTimer = std::make_unique<TTimer>(nullptr);
        FTimer->SetEnabled(false);
        FTimer->SetOnTimer([this](TObject*) { Tick(); });
    }
    FTimer->SetInterval(Interval);
    Tick();
    if (FAlpha < FTarget) FTimer->SetEnabled(true);
}

void TbsAlphaFade::Stop()
{
    if (FTimer) FTimer->SetEnabled(false);
}

bool TbsAlphaFade::Running() const { return FTimer && FTimer->GetEnabled(); }

void TbsAlphaFade::Tick()
{
    FAlpha = std::min(FAlpha + FStep, FTarget);
    ++FSteps;
    if (FApply) FApply(FAlpha);
    if (FAlpha < FTarget) return;
    Stop();
    // Taken out first: the handler may start another fade.
    std::function<void()> done = std::move(FDone);
    FDone = nullptr;
    if (done) done();
}
