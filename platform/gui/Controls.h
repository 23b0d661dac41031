// Controls of the class library: TControl (bounds, alignment, visibility,
// fonts and colours, hints, mouse and key events, messages), TWinControl
// (controls with a window: creation, children, tab order, focus, painting),
// TGraphicControl (window-less, painted on the parent) and TCustomControl
// (a windowed control with its own canvas and Paint).
//
// Messages reach a control through WindowProc, which is WndProc unless
// replaced; WndProc ends in Dispatch, which calls the handler of the message
// number, and unknown messages go to DefaultHandler (for windowed controls the
// window class's own procedure). The class library's own notifications have
// the CM_ numbers below; messages that a parent reflects back to the child
// that sent them have the CN_ numbers (CN_BASE + the original message).
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Geometry.h"
#include "platform/core/Types.h"
#include "platform/gui/Classes.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"

class TPopupMenu;
class TWinControl;
class TCustomForm;
class TControl;

// ---- the class library's notification messages ------------------------------------
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;        // LParam: the control that keeps the focus (TControl*)
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;         // WParam: virtual key; result 1 when used
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;        // WParam: character; result 1 when used
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;      // LParam: the control with the focus (TWinControl*)
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;          // LParam: client point; result non-zero when hit
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;   // WParam: new visibility
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_MENUCHANGED = CM_BASE + 21;
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 24;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_DESIGNHITTEST = CM_BASE + 28;
constexpr UINT CM_ICONCHANGED = CM_BASE + 29;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;   // WParam: virtual key; non-zero: the control wants it
constexpr UINT CM_INVOKEHELP = CM_BASE + 31;
constexpr UINT CM_WINDOWHOOK = CM_BASE + 32;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44; // WParam: TControl*, LParam: inserted
constexpr UINT CM_CHILDKEY = CM_BASE + 46;          // WParam: key, LParam: the control; non-zero: used
constexpr UINT CM_HINTSHOW = CM_BASE + 48;          // LParam: THintInfo*; non-zero: no hint
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;        // 45108
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;     // WParam: TControl*, LParam: inserted
constexpr UINT CM_CHANGED = CM_BASE + 55;
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;
constexpr UINT CM_LAST_ = CM_BASE + 0x100;          // the skin library's numbers start far above

// Notifications a parent reflects to the child control they concern.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_DRAWITEM = CN_BASE + 0x002B;
constexpr UINT CN_MEASUREITEM = CN_BASE + 0x002C;
constexpr UINT CN_NOTIFY = CN_BASE + 0x004E;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;      // 0xBD11
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;       // 0xBD33
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;   // 0xBD38

// ---- enumerations ---------------------------------------------------------------------
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TEnumSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TEnumSet<TShiftStateFlag>;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TImeMode { imDisable, imClose, imOpen, imDontCare };

enum TControlStyleFlag {
    csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption,
    csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable,
    csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint,
    csParentBackground, csSubComponent
};
using TControlStyle = TEnumSet<TControlStyleFlag>;

enum TControlStateFlag {
    csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating,
    csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TEnumSet<TControlStateFlag>;

// Cursors: negative numbers are the stock shapes.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSize = -22;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// ---- events ------------------------------------------------------------------------------
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
using TWndMethod = std::function<void(TMessage& Message)>;

// A key message as shortcut handlers see it.
struct TWMKey
{
    UINT Msg = 0;
    WORD CharCode = 0;
    LPARAM KeyData = 0;
    LRESULT Result = 0;
};
using TShortCutEvent = std::function<void(TWMKey& Msg, bool& Handled)>;

// What a hint is about to show (CM_HINTSHOW, OnShowHint).
struct THintInfo
{
    TControl* HintControl = nullptr;
    TPoint HintPos;              // screen
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    TRect CursorRect;            // hint stays while the cursor is in it (control coordinates)
    TPoint CursorPos;            // control coordinates
    int ReshowTimeout = 0;
    int HideTimeout = 0;
    std::string HintStr;
    void* HintData = nullptr;
};

// Size limits of a control (0: none).
struct TSizeConstraints
{
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
};

// Shift state from message key flags / the keyboard now.
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyDataToShiftState(LPARAM keyData);
TShiftState GetShiftState();

// A canvas on a control: its own window's DC, or for a window-less control the
// parent's DC moved and clipped to the control.
class TControlCanvas : public TCanvas
{
public:
    explicit TControlCanvas(TControl* c) : control_(c) {}
    ~TControlCanvas() override;
    TControl* Control() const { return control_; }
    // Releases a DC the canvas got for itself (not one set from outside).
    void FreeHandle();
    // Releases every control canvas's own DC (done when the GUI goes idle).
    static void FreeDeviceContexts();

protected:
    void CreateHandle() override;

private:
    TControl* control_;
    HDC ownDC_ = nullptr;
    HWND dcWindow_ = nullptr;
};

// Lends a device context to a control's canvas while the control paints: the
// canvas is locked and takes the context (and, when given, the control's
// state holds csCustomPaint); all is undone when the scope ends, also when
// the painting raises.
class TCanvasPaintScope
{
public:
    TCanvasPaintScope(TCanvas* Canvas, HDC DC, TControlState* State = nullptr) : canvas_(Canvas), state_(State)
    {
        canvas_->Lock();
        canvas_->SetHandle(DC);
        if (state_) state_->Include(csCustomPaint);
    }
    ~TCanvasPaintScope()
    {
        if (state_) state_->Exclude(csCustomPaint);
        canvas_->SetHandle(nullptr);
        canvas_->Unlock();
    }
    TCanvasPaintScope(const TCanvasPaintScope&) = delete;
    TCanvasPaintScope& operator=(const TCanvasPaintScope&) = delete;

private:
    TCanvas* canvas_;
    TControlState* state_;
};

// ---- TControl -----------------------------------------------------------------------------
class TControl : public TComponent
{
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // ---- tree ----
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);
    // Whether the control has a window of its own.
    virtual bool IsWindowed() const { return false; }

    // ---- bounds (parent client coordinates) ----
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    TRect BoundsRect() const { return TRect(left_, top_, left_ + width_, top_ + height_); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    virtual TRect GetClientRect();
    int ClientWidth() { return GetClientRect().Width(); }
    int ClientHeight() { return GetClientRect().Height(); }
    void SetClientWidth(int v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int v) { SetClientSize(ClientWidth(), v); }
    virtual void SetClientSize(int w, int h);
    // The screen point of the client area's top-left corner.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(TPoint p) { TPoint o = ClientOrigin(); return TPoint(p.X + o.X, p.Y + o.Y); }
    TPoint ScreenToClient(TPoint p) { TPoint o = ClientOrigin(); return TPoint(p.X - o.X, p.Y - o.Y); }
    TPoint ClientToParent(TPoint p, TWinControl* AParent = nullptr);

    // ---- layout ----
    TAlign GetAlign() const { return align_; }
    void SetAlign(TAlign v);
    TAnchors GetAnchors() const { return anchors_; }
    void SetAnchors(TAnchors v);
    TSizeConstraints Constraints;
    bool GetAutoSize() const { return autoSize_; }
    virtual void SetAutoSize(bool v);
    virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
    virtual bool CanResize(int& NewWidth, int& NewHeight);
    // Applies the size limits and CanResize to a requested size (SetBounds'
    // first step; a refused resize keeps the current size).
    void ConstrainBounds(int& AWidth, int& AHeight);

    // ---- state ----
    bool GetVisible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show();
    void Hide() { SetVisible(false); }
    // Visible and every parent showing.
    virtual bool Showing() const;
    bool GetEnabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    std::string GetText();
    void SetText(const std::string& v);
    std::string Caption() { return GetText(); }
    void SetCaption(const std::string& v) { SetText(v); }
    TFont* Font() { return font_.get(); }
    void SetFont(TFont* f) { font_->Assign(f); }
    TColor GetColor() const { return color_; }
    void SetColor(TColor v);
    bool GetParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    bool GetParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    std::string GetHint() const { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    // With ParentShowHint the parent's (effective) value.
    bool GetShowHint() const { return parentShowHint_ && parent_ ? EffectiveShowHint() : showHint_; }
    void SetShowHint(bool v);
    bool GetParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v);
    TCursor GetCursor() const { return cursor_; }
    void SetCursor(TCursor v);
    TPopupMenu* GetPopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* m);
    TControlStyle ControlStyle;
    TControlState ControlState;
    bool GetCtl3D() const { return ctl3D_; }
    void SetCtl3D(bool v) { ctl3D_ = v; }
    bool GetParentCtl3D() const { return parentCtl3D_; }
    void SetParentCtl3D(bool v) { parentCtl3D_ = v; }
    TBiDiMode BiDiMode = bdLeftToRight;
    bool ParentBiDiMode = true;
    TDragMode DragMode = dmManual;
    TDragKind DragKind = dkDrag;
    TCursor DragCursor = crDrag;
    int HelpContext = 0;
    bool IsRightToLeft() const { return false; }
    bool UseRightToLeftAlignment() const { return false; }

    // ---- messages ----
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // Replaceable: save the old value, install a new one that calls it.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& Message);
    // Calls the handler of Message.Msg, or DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    // ---- painting ----
    virtual void Invalidate();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void Update();
    void BringToFront();
    void SendToBack();

    // ---- events ----
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnResize;
    TContextPopupEvent OnContextPopup;
    TCanResizeEvent OnCanResize;
    TNotifyEvent OnConstrainedResize;

    virtual void Click();
    virtual void DblClick();

    // Whether the control gets mouse and hint events at a point (client coordinates).
    virtual bool IsHitAt(TPoint p);
    // The form the control lies on (the top-most form), or null.
    friend TCustomForm* GetParentForm(TControl* c);

    // Used by the parent and the application; not for general use.
    void SetParentDirect(TWinControl* p) { parent_ = p; }
    bool EffectiveShowHint() const;
    void UpdateBoundsRect(const TRect& r);

protected:
    // Message handlers Dispatch calls. Each does the class library's work
    // for that message; overrides call the base to keep it.
    virtual void WMMouseMove(TMessage& m);
    virtual void WMButtonDown(TMessage& m, TMouseButton b, bool dbl);
    virtual void WMButtonUp(TMessage& m, TMouseButton b);
    virtual void WMMouseWheel(TMessage& m);
    virtual void WMContextMenu(TMessage& m);
    virtual void WMCancelMode(TMessage& m);
    virtual void WMWindowPosChanged(TMessage& m);
    virtual void CMEnabledChanged(TMessage& m);
    virtual void CMVisibleChanged(TMessage& m);
    virtual void CMFontChanged(TMessage& m);
    virtual void CMColorChanged(TMessage& m);
    virtual void CMParentFontChanged(TMessage& m);
    virtual void CMParentColorChanged(TMessage& m);
    virtual void CMParentShowHintChanged(TMessage& m);
    virtual void CMTextChanged(TMessage& m);
    virtual void CMMouseEnter(TMessage& m);
    virtual void CMMouseLeave(TMessage& m);
    virtual void CMHitTest(TMessage& m);
    virtual void CMHintShow(TMessage& m);

    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
    virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
    virtual void DoContextPopup(TPoint MousePos, bool& Handled);
    virtual void Resize();
    virtual void Changed();
    // Text storage (windowed controls keep it in the window).
    virtual std::string GetTextBuf();
    virtual void SetTextBuf(const std::string& s);
    virtual void FontChanged();
    virtual void RequestAlign();
    virtual void VisibleChanging() {}
    // The popup menu to show for a context click (the control's or a parent's).
    virtual TPopupMenu* GetPopupMenuFor();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

public:
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;

protected:
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_{akLeft, akTop};
    // Distances kept for right/bottom anchors (to the parent's client edges).
    int anchorRight_ = 0, anchorBottom_ = 0;
    bool anchorValid_ = false;
    bool autoSize_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    std::string text_;
    std::unique_ptr<TFont> font_;
    TColor color_ = clWindow;
    bool parentFont_ = true;
    bool parentColor_ = true;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    bool ctl3D_ = true, parentCtl3D_ = true;
    bool mouseInClient_ = false;
    void updateAnchorRules();
    // Expires when the control is freed. A message handler whose event freed
    // the control (a menu level closed by a click on it) stops right there.
    std::weak_ptr<char> LifeToken() const { return life_; }

private:
    void fontChange(TObject*);
    std::shared_ptr<char> life_ = std::make_shared<char>(0);
};

TCustomForm* GetParentForm(TControl* c);
// The control whose window is hwnd, or null.
TWinControl* FindControl(HWND hwnd);
// The control whose window is hwnd or one of its ancestors.
TWinControl* FindVCLWindow(TPoint screenPos);
// The control under a screen point: windowed or, when enabled ones cover it, a graphic child.
TControl* FindDragTarget(TPoint screenPos, bool allowDisabled);
// Mouse capture by a control (windowed: the window's capture; graphic: its parent's).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* c);
// The control the mouse is over, as the class library tracks it for
// CM_MOUSEENTER / CM_MOUSELEAVE.
TControl* GetMouseControl();
// Re-checks the control under the cursor and sends leave/enter as needed.
void UpdateMouseControl();
// Forgets a control (it goes away).
void ForgetControl(TControl* c);

// Window creation parameters.
struct TCreateParams
{
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASS WindowClass;
    std::string WinClassName;
};

// ---- TWinControl ---------------------------------------------------------------------------
class TWinControl : public TControl
{
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    bool IsWindowed() const override { return true; }
    void SetParent(TWinControl* AParent) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;

    HWND GetHandle();
    HWND Handle() { return GetHandle(); }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    // Destroys and re-creates the window (when one exists), keeping the state.
    void RecreateWnd();
    // Window of a parent given by handle (for controls placed on a foreign window).
    HWND ParentWindow = nullptr;

    // ---- children ----
    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int i) const { return controls_.at(std::size_t(i)); }
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    bool ContainsControl(TControl* c) const;
    TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false);
    TWinControl* FindChildControl(const std::string& name);
    // Sends the message to every child control until one answers non-zero.
    void Broadcast(TMessage& m);
    void NotifyControls(UINT msg);
    // Moves every child by (dx, dy) and repaints (a scrolled view of them).
    void ScrollBy(int dx, int dy);

    // ---- alignment ----
    void DisableAlign() { ++alignLevel_; }
    void EnableAlign();
    void Realign();
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    virtual void AdjustClientRect(TRect& Rect);
    bool AlignDisabled() const { return alignLevel_ > 0; }

    // ---- focus and tab order ----
    int GetTabOrder() const;
    void SetTabOrder(int v);
    bool GetTabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    void GetTabOrderList(std::vector<TWinControl*>& list);
    TWinControl* FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop, bool checkParent);
    void SelectNext(TWinControl* cur, bool goForward, bool checkTabStop);
    virtual void SetFocus();
    virtual bool CanFocus();
    bool Focused() const;
    virtual void SelectFirst() { SelectNext(nullptr, true, true); }

    // ---- painting ----
    bool DoubleBuffered = false;
    TBrush* Brush() { return brush_.get(); }
    void PaintTo(HDC dc, int x, int y);
    // The window's own picture into dc (no graphic children), as a paint
    // handler draws it; used to paint what lies under a see-through child.
    virtual void PaintWindow(HDC dc);
    // The visible graphic children from `first` on (null: all), each moved
    // to its place and clipped to its size.
    void PaintControls(HDC dc, TControl* first);
    void Invalidate() override;
    void Repaint() override;
    void Update() override;
    bool Showing() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect GetClientRect() override;
    TPoint ClientOrigin() override;
    void SetClientSize(int w, int h) override;

    // ---- keys ----
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void DefaultHandler(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void WndProc(TMessage& Message) override;
    // Called by the window procedure (catches exceptions, hands them to the application).
    LRESULT MainWndProc(UINT msg, WPARAM wp, LPARAM lp);

protected:
    virtual void CreateParams(TCreateParams& Params);
    // Makes the window: parents first, then CreateWnd, then the children's windows.
    virtual void CreateHandle();
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void DestroyHandle();
    virtual void DestroyWnd();
    virtual void DestroyWindowHandle();
    // Creates the window as a new class based on a registered one (its window
    // procedure becomes the default handler).
    void CreateSubClass(TCreateParams& Params, const std::string& ControlClassName);
    // Painting: WM_PAINT goes to PaintHandler, which calls PaintWindow (the
    // window's own picture) and PaintControls (the graphic children on top).
    virtual void PaintHandler(TMessage& m);
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(char32_t& Key);
    bool DoKeyEvent(TMessage& m, void (TWinControl::*handler)(WORD&, TShiftState));
    bool DoKeyDown(TMessage& m);
    bool DoKeyUp(TMessage& m);
    bool DoKeyPress(TMessage& m);
    virtual void DoEnter();
    virtual void DoExit();
    // Reflects a notification to the control whose window sent it.
    static bool DoControlMsg(HWND child, TMessage& m);
    std::string GetTextBuf() override;
    void SetTextBuf(const std::string& s) override;
    void RequestAlign() override;
    void FontChanged() override;
    virtual void ShowControl(TControl*) {}
    void updateShowing();
    void alignControl(TControl* c);
    void updateTabList(TWinControl* c, bool add);

    virtual void WMPaint(TMessage& m);
    virtual void WMEraseBkgnd(TMessage& m);
    virtual void WMSetFocus(TMessage& m);
    virtual void WMKillFocus(TMessage& m);
    virtual void WMSize(TMessage& m);
    virtual void WMMove(TMessage& m);
    virtual void WMKeyDown(TMessage& m);
    virtual void WMKeyUp(TMessage& m);
    virtual void WMChar(TMessage& m);
    virtual void WMSetCursor(TMessage& m);
    virtual void WMCommand(TMessage& m);
    virtual void WMNCDestroy(TMessage& m);
    virtual void CNKeyDown(TMessage& m);
    virtual void CNKeyUp(TMessage& m);
    virtual void CNChar(TMessage& m);
    virtual void CMDialogKey(TMessage& m);
    virtual void CMDialogChar(TMessage& m);
    virtual void CMFocusChanged(TMessage& m);
    virtual void CMEnter(TMessage& m);
    virtual void CMExit(TMessage& m);
    virtual void CMWantSpecialKey(TMessage& m) { m.Result = 0; }
    void CMEnabledChanged(TMessage& m) override;
    void CMVisibleChanged(TMessage& m) override;
    void CMColorChanged(TMessage& m) override;
    void CMFontChanged(TMessage& m) override;
    void CMTextChanged(TMessage& m) override;

    HWND handle_ = nullptr;
    TWndProc defWndProc_;
    std::vector<TControl*> controls_;      // every child, in z-order (bottom first)
    std::vector<TWinControl*> tabList_;    // windowed children in tab order
    std::unique_ptr<TBrush> brush_;
    bool tabStop_ = false;
    int alignLevel_ = 0;
    bool showing_ = false;
    bool inAlign_ = false;
    bool realignPending_ = false;
    int realignRepeats_ = 0;
    bool recreating_ = false;
    TSubclassToken subclassToken_ = 0;
    friend class TControl;
    friend class TCustomForm;
    friend class TApplication;
    friend LRESULT ClassLibraryWndProc(HWND, UINT, WPARAM, LPARAM);
};

// A window-less control painted on its parent's surface.
class TGraphicControl : public TControl
{
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& m) override;
    std::unique_ptr<TControlCanvas> canvas_;
};

// A windowed control with a canvas and a virtual Paint.
class TCustomControl : public TWinControl
{
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() { return canvas_.get(); }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;
    std::unique_ptr<TControlCanvas> canvas_;
};

// A plain, unskinned hint window.
class THintWindow : public TCustomControl
{
public:
    explicit THintWindow(TComponent* AOwner);
    // Shows the hint in rect (screen coordinates).
    virtual void ActivateHint(TRect Rect, const std::string& AHint);
    virtual void ActivateHintData(TRect Rect, const std::string& AHint, void* AData);
    virtual TRect CalcHintRect(int MaxWidth, const std::string& AHint, void* AData);
    virtual void ReleaseHandle();
    bool IsHintShown() { return HandleAllocated() && IsWindowVisible(handle_); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void WMNCHitTest(TMessage& m);
    void Dispatch(TMessage& m) override;
};
