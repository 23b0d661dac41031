// The scroll box: a windowed container whose children may reach past its
// client area; the window's own scroll bars (WS_HSCROLL / WS_VSCROLL, the
// plain look) move them into view. With AutoScroll the ranges follow the
// children's extent; the bars obey WM_HSCROLL / WM_VSCROLL like any
// scrolling control, so a wrapper can hide them and drive the box.
#pragma once
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"
#include "platform/os/ScrollBar.h"

class TScrollingWinControl;

// One of the two bars of a scrolling control.
class TControlScrollBar
{
public:
    TControlScrollBar(TScrollingWinControl* control, int bar) : control_(control), bar_(bar) {}
    // The scrollable extent in pixels (the children's when AutoScroll).
    int GetRange() const { return range_; }
    void SetRange(int v);
    // Pixels scrolled.
    int GetPosition() const { return position_; }
    void SetPosition(int v);
    int Increment = 8;
    bool GetVisible() const { return visible_; }
    void SetVisible(bool v);
    // Shown now (visible, and the range exceeds the client).
    bool IsScrollBarVisible() const;
    int Kind() const { return bar_; }

private:
    friend class TScrollingWinControl;
    TScrollingWinControl* control_;
    int bar_;
    int range_ = 0;
    int position_ = 0;
    bool visible_ = true;
};

class TScrollingWinControl : public TWinControl
{
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    TControlScrollBar* HorzScrollBar() { return &horz_; }
    TControlScrollBar* VertScrollBar() { return &vert_; }
    bool GetAutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool v);
    // Scrolls so that the control is in view.
    void ScrollInView(TControl* AControl);

protected:
    void CreateWnd() override;
    void Dispatch(TMessage& m) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    // Works out the ranges (AutoScroll) and sets the window's bars.
    void UpdateScrollBars();

private:
    friend class TControlScrollBar;
    void scrollTo(TControlScrollBar& b, int pos);
    void scrollCommand(TControlScrollBar& b, WORD code, int pos);
    TControlScrollBar horz_, vert_;
    bool autoScroll_ = true;
    bool updating_ = false;
};

class TScrollBox : public TScrollingWinControl
{
public:
    explicit TScrollBox(TComponent* AOwner);
    TBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    TBorderStyle borderStyle_ = bsSingle;
};
