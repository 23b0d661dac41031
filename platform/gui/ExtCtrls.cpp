#include "platform/gui/ExtCtrls.h"

#include "platform/gui/Forms.h"
#include "platform/os/Window.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer()
{
    enabled_ = false;
    update();
}

void TTimer::SetEnabled(bool v)
{
    if (enabled_ == v) return;
    enabled_ = v;
    update();
}

void TTimer::SetInterval(unsigned v)
{
    if (interval_ == v) return;
    interval_ = v;
    update();
}

void TTimer::SetOnTimer(TNotifyEvent e)
{
    onTimer_ = std::move(e);
    update();
}

void TTimer::update()
{
    if (id_) KillTimer(nullptr, id_);
    id_ = 0;
    if (!enabled_ || interval_ == 0 || !onTimer_ || (ComponentState() & csDestroying)) return;
    id_ = SetTimer(nullptr, 0, interval_, [this](HWND, UINT, std::uintptr_t, DWORD) {
        try
        {
            Timer();
        }
        catch (...)
        {
            if (Application) Application->HandleException(this);
        }
    });
}

void TTimer::Timer()
{
    if (enabled_ && onTimer_)
    {
        TNotifyEvent e = onTimer_;
        e(this);
    }
}
