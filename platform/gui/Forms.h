// Forms, the application object and the screen object of the class library.
//
// A form is a top-level window holding controls. Application runs the GUI
// thread's message loop (every loop it runs serves synchronised calls),
// keeps the main form, the message hooks, the hints and the default
// exception handler; Screen lists the forms and knows the active form and
// control, the cursor and the monitors.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"

class TMainMenu;
class TMenuItem;
class TIcon;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TEnumSet<TBorderIcon>;
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrClose = 8;
constexpr TModalResult mrHelp = 9;
constexpr TModalResult mrTryAgain = 10;
constexpr TModalResult mrContinue = 11;
constexpr TModalResult mrAll = 12;
constexpr TModalResult mrNoToAll = 13;
constexpr TModalResult mrYesToAll = 14;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// ---- forms ------------------------------------------------------------------------------
class TCustomForm : public TWinControl
{
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    // Fires OnCreate. Application::CreateForm calls it once the form is built.
    virtual void AfterConstruction();

    TFormBorderStyle GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons GetBorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons v);
    TPosition GetPosition() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    TFormStyle GetFormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle v);
    TWindowState GetWindowState() const { return windowState_; }
    void SetWindowState(TWindowState v);
    TModalResult GetModalResult() const { return modalResult_; }
    // Setting a result while modal ends the modal loop (it is woken up).
    void SetModalResult(TModalResult v);
    TWinControl* GetActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* c);
    bool KeyPreview = false;
    // Forms here never scroll their contents; kept for code that sets it.
    bool AutoScroll = false;
    std::string HelpFile;
    int HelpContext = 0;
    bool Active() const { return active_; }
    bool Modal() const { return modal_; }
    TCanvas* Canvas() { return canvas_.get(); }
    TIcon* Icon() { return icon_.get(); }
    TMainMenu* Menu = nullptr;
    // The menu item the MDI children are listed under (none: no list).
    TMenuItem* WindowMenu = nullptr;

    // MDI (no window of the program is one): an fsMDIForm holds a client
    // window (ClientHandle) over what its aligned controls leave free; an
    // fsMDIChild form made while the main form is an MDI form is a child
    // window of that client. Children count top first; the active child is
    // the topmost visible one (Show brings a child to the top).
    int MDIChildCount() const;
    TCustomForm* MDIChildren(int i) const;
    TCustomForm* ActiveMDIChild() const;
    HWND ClientHandle() const { return clientHandle_; }
    // The client's place in the form's client area.
    TRect MDIClientRect();
    void Cascade() {}
    void Tile() {}

    void Show();
    void Hide() { SetVisible(false); }
    // Runs the form modally: other forms are disabled, the loop runs until
    // ModalResult is set (or the application ends), the form is hidden and
    // the result returned.
    virtual TModalResult ShowModal();
    // Asks OnCloseQuery, then OnClose decides: hide (the default), free,
    // minimize or nothing. Closing the main form ends the application.
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages being handled are done.
    void Release();
    void SetFocus() override;
    void FocusControl(TWinControl* c);
    bool SetFocusedControl(TWinControl* c);
    void DefocusControl(TWinControl* c, bool removing);
    // Tells the active control that the user turned elsewhere (CM_CANCELMODE,
    // LParam: the control that was pressed), so it closes drop-downs and the like.
    void SendCancelMode(TControl* Sender);
    void SetVisible(bool v) override;
    bool Showing() const override;
    void BringToFront();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    // First look at every key pressed on the form (before the focused control).
    TShortCutEvent OnShortCut;
    virtual bool IsShortCut(TWMKey& Message);

    void KeyDown(WORD& Key, TShiftState Shift) override { TWinControl::KeyDown(Key, Shift); }
    void KeyUp(WORD& Key, TShiftState Shift) override { TWinControl::KeyUp(Key, Shift); }
    void KeyPress(char32_t& Key) override { TWinControl::KeyPress(Key); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void PaintWindow(HDC dc) override;
    void Dispatch(TMessage& m) override;
    void CMDialogKey(TMessage& m) override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();
    void CloseModal();
    void applyPosition();
    void setWindowFocus();
    void applyIcon();
    void placeMDIClient();
    HWND clientHandle_ = nullptr;

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
    TPosition position_ = poDesigned;
    TFormStyle formStyle_ = fsNormal;
    TWindowState windowState_ = wsNormal;
    TModalResult modalResult_ = mrNone;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    bool active_ = false;
    bool modal_ = false;
    bool positioned_ = false;
    bool created_ = false;
    bool releasing_ = false;
    std::unique_ptr<TControlCanvas> canvas_;
    std::unique_ptr<TIcon> icon_;
};

class TForm : public TCustomForm
{
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// ---- screen -------------------------------------------------------------------------------
class TMonitor
{
public:
    HMONITOR Handle = nullptr;
    int MonitorNum = 0;
    TRect BoundsRect;
    TRect WorkareaRect;
    bool Primary = false;
    int Left() const { return BoundsRect.Left; }
    int Top() const { return BoundsRect.Top; }
    int Width() const { return BoundsRect.Width(); }
    int Height() const { return BoundsRect.Height(); }
};

class TScreen : public TComponent
{
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    int FormCount() const { return int(forms_.size()); }
    TCustomForm* Forms(int i) const { return forms_.at(std::size_t(i)); }
    int CustomFormCount() const { return FormCount(); }
    TCustomForm* CustomForms(int i) const { return Forms(i); }
    TCustomForm* ActiveForm() const { return activeForm_; }
    TCustomForm* ActiveCustomForm() const { return activeForm_; }
    TWinControl* ActiveControl() const { return activeControl_; }

    TCursor GetCursor() const { return cursor_; }
    void SetCursor(TCursor c);
    HCURSOR Cursors(TCursor c) const;

    int Width() const;
    int Height() const;
    TRect DesktopRect() const;
    TRect WorkAreaRect() const;
    int WorkAreaLeft() const { return WorkAreaRect().Left; }
    int WorkAreaTop() const { return WorkAreaRect().Top; }
    int WorkAreaWidth() const { return WorkAreaRect().Width(); }
    int WorkAreaHeight() const { return WorkAreaRect().Height(); }
    int MonitorCount();
    TMonitor* Monitors(int i);
    TMonitor* MonitorFromPoint(TPoint p);
    TMonitor* MonitorFromWindow(HWND h);
    int PixelsPerInch = 96;
    TFont* HintFont() { return hintFont_.get(); }
    TFont* MenuFont() { return menuFont_.get(); }

    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;

    // Bookkeeping by the forms.
    void AddForm(TCustomForm* f);
    void RemoveForm(TCustomForm* f);
    void SetActiveForm(TCustomForm* f);
    void SetActiveControl(TWinControl* c);
    void ControlDestroyed(TControl* c);

private:
    void refreshMonitors();
    std::vector<TCustomForm*> forms_;
    TCustomForm* activeForm_ = nullptr;
    TWinControl* activeControl_ = nullptr;
    TCursor cursor_ = crDefault;
    std::vector<std::unique_ptr<TMonitor>> monitors_;
    std::unique_ptr<TFont> hintFont_, menuFont_;
};

// ---- application ----------------------------------------------------------------------------
using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, std::exception_ptr E)>;
using TShowHintEvent = std::function<void(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using THintWindowClass = std::function<THintWindow*(TComponent* AOwner)>;
using TMessageHookToken = std::uint64_t;

class TApplication : public TComponent
{
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    void Initialize();
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    void CreateForm(T*& Reference)
    {
        Reference = new T(this);
        formCreated(Reference);
    }
    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Serves every pending message (and synchronised call), then returns.
    void ProcessMessages();
    // Serves one message, waiting for one when none is pending.
    void HandleMessage();
    // Serves one pending message; false when none was pending.
    bool ProcessMessage(MSG& m);

    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* f) { mainForm_ = f; }
    bool ShowMainForm = true;
    HWND Handle();
    std::string Title;
    std::string HelpFile;
    // Help for a context: OnHelp when set (true from it ends there), else the
    // help file (the active form's, or the application's) is opened with the
    // desktop's viewer. False when there is no help to show.
    bool HelpContext(int Context);
    std::function<bool(UINT Command, int Data, bool& CallHelp)> OnHelp;
    TIcon* Icon() { return icon_.get(); }
    bool Active() const;
    void Minimize();
    void Restore();
    bool Minimized() const { return minimized_; }
    void BringToFront();
    int MessageBox(const std::string& Text, const std::string& Caption, UINT Flags);

    // The message hook: a stack. Each hook sees the message (newest first)
    // until one sets Handled; a hook installed with passOn false also keeps
    // the message from the older hooks. Removal by token, in any order.
    TMessageHookToken HookOnMessage(TMessageEvent hook, bool passOn = true);
    void UnhookOnMessage(TMessageHookToken token);
    int MessageHookCount() const { return int(hooks_.size()); }

    // Exceptions that escape event handlers end here: OnException when set,
    // else ShowException (a message box); the program goes on. EAbort is silent.
    TExceptionEvent OnException;
    void HandleException(TObject* Sender);
    void ShowException(std::exception_ptr E);

    // Hints.
    // Switching hints off frees the hint window; the next hint makes a new
    // one from the hint window class.
    bool GetShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    TColor HintColor = clInfoBk;
    TShowHintEvent OnShowHint;
    TNotifyEvent OnHint;
    std::string Hint;
    void SetHintWindowClass(THintWindowClass cls);
    const THintWindowClass& GetHintWindowClass() const { return hintWindowClass_; }
    THintWindow* HintWindow() const { return hintWindow_; }
    void CancelHint();
    void HideHint();
    void ActivateHint(TPoint CursorPos);
    void HintMouseMessage(TControl* Control, TMessage& m);

    TIdleEvent OnIdle;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    void ControlDestroyed(TControl* c);
    // Called by forms as the activation moves: the program as a whole gained
    // (true) or lost (false) the activation; fires OnActivate / OnDeactivate.
    void SetAppActive(bool active);
    // Runs idle work: frees cached DCs, re-checks the mouse control, OnIdle.
    bool Idle();

private:
    void formCreated(TCustomForm* f);
    void dispatchWithHooks(MSG& m);
    void hintTimerFired();
    void startHintTimer(int ms);
    void stopHintTimer();
    struct Hook
    {
        TMessageHookToken token;
        TMessageEvent fn;
        bool passOn;
    };
    std::vector<Hook> hooks_;
    TMessageHookToken nextToken_ = 1;
    bool terminated_ = false;
    bool minimized_ = false;
    std::vector<TCustomForm*> hiddenByMinimize_;
    TCustomForm* mainForm_ = nullptr;
    HWND handle_ = nullptr;
    std::unique_ptr<TIcon> icon_;
    THintWindowClass hintWindowClass_;
    THintWindow* hintWindow_ = nullptr;
    TControl* hintControl_ = nullptr;
    std::uintptr_t hintTimer_ = 0;
    bool hintShown_ = false;
    bool showHint_ = true;
    bool appActive_ = false;
    bool hintHideTimer_ = false;
    int inException_ = 0;
};

extern TApplication* Application;
extern TScreen* Screen;
// Deletes every form, then makes a fresh Application and Screen (tests).
void ResetApplication();
