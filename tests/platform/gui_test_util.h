// Shared by the GUI class library tests: a fresh headless desktop and a fresh
// Application per test, and small controls to click and focus.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/testing/Driver.h"

class GuiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
    }
    void TearDown() override
    {
        SetIdleHook(nullptr);
        ResetApplication();
        driver.reset();
    }
    // A form owned by the application, of the given client size, at (100, 100).
    TForm* MakeForm(int cw = 400, int ch = 300, const std::string& name = "Form")
    {
        auto* f = new TForm(Application);
        f->SetName(name);
        f->SetBounds(100, 100, 500, 400);
        f->SetClientSize(cw, ch);
        return f;
    }
    std::unique_ptr<TTestDriver> driver;
};

// Takes a window's non-client area away, as a skinned wrapper does to hide a
// control's own frame and scroll bars (their scroll state stays). Undo with
// RemoveWindowSubclass on the token.
inline TSubclassToken MakeFrameless(HWND h)
{
    auto token = std::make_shared<TSubclassToken>(0);
    *token = SubclassWindow(h, [token](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg == WM_NCCALCSIZE || msg == WM_NCPAINT) return 0;
        return CallPreviousWindowProc(w, *token, msg, wp, lp);
    });
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    return *token;
}

// A focusable, clickable windowed control that paints a solid colour.
class TTestBox : public TCustomControl
{
public:
    explicit TTestBox(TComponent* owner, TColor c = clRed) : TCustomControl(owner)
    {
        SetTabStop(true);
        SetColor(c);
        SetBounds(0, 0, 50, 20);
    }
    std::vector<std::string>* Log = nullptr;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(GetColor());
        Canvas()->FillRect(GetClientRect());
    }
    void DoEnter() override
    {
        if (Log) Log->push_back("enter " + Name());
        TCustomControl::DoEnter();
    }
    void DoExit() override
    {
        if (Log) Log->push_back("exit " + Name());
        TCustomControl::DoExit();
    }
};

// A window-less control that paints a solid colour and counts mouse enter/leave.
class TTestGraphic : public TGraphicControl
{
public:
    explicit TTestGraphic(TComponent* owner, TColor c = clBlue) : TGraphicControl(owner)
    {
        SetColor(c);
        SetBounds(0, 0, 40, 40);
    }
    int Enters = 0, Leaves = 0;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(GetColor());
        Canvas()->FillRect(GetClientRect());
    }
    void CMMouseEnter(TMessage& m) override
    {
        ++Enters;
        TGraphicControl::CMMouseEnter(m);
    }
    void CMMouseLeave(TMessage& m) override
    {
        ++Leaves;
        TGraphicControl::CMMouseLeave(m);
    }
};
