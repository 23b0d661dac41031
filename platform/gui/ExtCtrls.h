// The timer component (OnTimer every Interval milliseconds while Enabled,
// on the one clock, virtual in headless tests) and the plain graphic
// controls the skinned ones build on: bevel, splitter, image, panel.
#pragma once
#include <cstdint>

#include "platform/gui/Classes.h"
#include "platform/gui/Controls.h"

class TTimer : public TComponent
{
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned GetInterval() const { return interval_; }
    void SetInterval(unsigned v);
    // Assigning the event (re)starts the timer when it is enabled.
    void SetOnTimer(TNotifyEvent e);
    const TNotifyEvent& GetOnTimer() const { return onTimer_; }
    // Whether a system timer is running now.
    bool Running() const { return id_ != 0; }

protected:
    virtual void Timer();

private:
    void update();
    bool enabled_ = true;
    unsigned interval_ = 1000;
    TNotifyEvent onTimer_;
    std::uintptr_t id_ = 0;
};

// ---- bevel ----------------------------------------------------------------------------
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// A box, frame or line in the 3-D colours, lowered or raised.
class TBevel : public TGraphicControl
{
public:
    explicit TBevel(TComponent* AOwner);
    TBevelShape GetShape() const { return shape_; }
    void SetShape(TBevelShape v);
    TBevelStyle GetStyle() const { return style_; }
    void SetStyle(TBevelStyle v);

protected:
    void Paint() override;
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// ---- splitter ---------------------------------------------------------------------------
enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
using TCanResizeSplitterEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

// A bar aligned to an edge of its parent; dragging it resizes the control
// aligned to the same edge just before it (the one it touches).
class TSplitter : public TGraphicControl
{
public:
    explicit TSplitter(TComponent* AOwner);
    int MinSize = 30;
    bool AutoSnap = true;
    bool Beveled = false;
    TResizeStyle ResizeStyle = rsPattern;
    TNotifyEvent OnMoved;
    TCanResizeSplitterEvent OnCanResize;
    // The control it resizes (found when a drag starts), or null.
    TControl* FindControl();

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void RequestAlign() override;

private:
    TControl* control_ = nullptr;
    TPoint downPos_;
    int startSize_ = 0;
    bool dragging_ = false;
};

// ---- image ------------------------------------------------------------------------------
// Shows a picture: at its size, centred, stretched or scaled in proportion.
class TImage : public TGraphicControl
{
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    TPicture* Picture() { return picture_.get(); }
    void SetPicture(TPicture* p) { picture_->Assign(p); }
    bool GetStretch() const { return stretch_; }
    void SetStretch(bool v);
    bool GetCenter() const { return center_; }
    void SetCenter(bool v);
    bool GetProportional() const { return proportional_; }
    void SetProportional(bool v);
    bool GetTransparent() const { return transparent_; }
    void SetTransparent(bool v);
    void SetAutoSize(bool v) override;
    // Where the picture is drawn in the control.
    TRect DestRect();

protected:
    void Paint() override;

private:
    void pictureChanged(TObject*);
    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false, center_ = false, proportional_ = false, transparent_ = false;
};

// ---- panel ------------------------------------------------------------------------------
enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// A container with a bevelled border and a centred caption.
class TCustomPanel : public TCustomControl
{
public:
    explicit TCustomPanel(TComponent* AOwner);
    TPanelBevel GetBevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel v);
    TPanelBevel GetBevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel v);
    int GetBevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    int GetBorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);
    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    void AdjustClientRect(TRect& Rect) override;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;
    TPanelBevel bevelOuter_ = bvRaised, bevelInner_ = bvNone;
    int bevelWidth_ = 1, borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel
{
public:
    using TCustomPanel::TCustomPanel;
};
