// Plain controls of the class library that the skinned ones build on: the
// text label (a window-less control drawing its caption with the text call,
// with alignment, word wrap, accelerator underlining, vertical layout and
// auto-size) and a plain push button.
#pragma once
#include "platform/gui/Controls.h"
#include "platform/gui/Forms.h"

class TCustomLabel : public TGraphicControl
{
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment GetAlignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    bool GetWordWrap() const { return wordWrap_; }
    void SetWordWrap(bool v);
    bool GetShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool v);
    TTextLayout GetLayout() const { return layout_; }
    void SetLayout(TTextLayout v);
    bool GetTransparent() const { return !ControlStyle.Contains(csOpaque); }
    void SetTransparent(bool v);
    void SetAutoSize(bool v) override;
    // The control that takes the focus when the label's accelerator is pressed.
    TWinControl* FocusControl = nullptr;

protected:
    void Paint() override;
    // Draws (or with DT_CALCRECT measures) the caption in rect with the DrawText flags.
    virtual void DoDrawText(TRect& Rect, UINT Flags);
    // Sizes the control to its caption (keeping the edge its alignment holds).
    virtual void AdjustBounds();
    virtual std::string GetLabelText() { return GetText(); }
    UINT DrawTextFlags() const;
    void Dispatch(TMessage& m) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TTextLayout layout_ = tlTop;
};

class TLabel : public TCustomLabel
{
public:
    using TCustomLabel::TCustomLabel;
};

// A plain push button: clicked by the mouse, Space, Enter when focused,
// Enter anywhere on the form when Default and Escape when Cancel; a
// ModalResult other than mrNone ends the form's modal loop with it.
class TButton : public TCustomControl
{
public:
    explicit TButton(TComponent* AOwner);
    TModalResult ModalResult = mrNone;
    bool GetDefault() const { return default_; }
    void SetDefault(bool v);
    bool Cancel = false;
    void Click() override;

protected:
    void Paint() override;
    void Dispatch(TMessage& m) override;

private:
    bool default_ = false;
    bool down_ = false;
    bool active_ = false;   // answers Enter: focused, or the default while no button is
};

// ---- edit controls ----

// ---- list and combo boxes ----
