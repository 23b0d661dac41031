// The notification-area icon: one icon in the desktop's notification area,
// its mouse messages turned into click, double-click and mouse events, a
// popup menu at the cursor, icon cycling through an image list, balloon
// texts, and the main form hidden into the icon and shown again. It hooks
// the application's window and its owner form's window to do so.
#pragma once
#include <memory>
#include <string>

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Menus.h"
#include "platform/shell/NotifyIcon.h"

// The callback message of the icon.
constexpr UINT BSM_TRAY_CALLBACK = 2048;

enum TbsBalloonHintIcon { bsbitNone, bsbitInfo, bsbitWarning, bsbitError };
using TbsCycleEvent = std::function<void(TObject* Sender, int NextIndex)>;

class TbsTrayIcon : public TComponent
{
public:
    explicit TbsTrayIcon(TComponent* AOwner);
    ~TbsTrayIcon() override;
    void Loaded() override;

    bool Enabled = true;
    TIcon* Icon() const { return FIcon.get(); }
    void SetIcon(TIcon* Value);
    bool IconVisible() const { return FIconVisible; }
    void SetIconVisible(bool Value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    TPopupMenu* PopupMenu = nullptr;
    bool PopupByLeftButton = false;
    bool MinimizedOnStart = false;
    bool MinimizeToTray() const { return FMinimizeToTray; }
    void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }
    TCustomImageList* IconList() const { return FIconList; }
    void SetIconList(TCustomImageList* Value);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int Value);
    bool CycleIcons() const { return FCycleIcons; }
    void SetCycleIcons(bool Value);
    unsigned AnimateTimerInterval() const { return FAnimateTimerInterval; }
    void SetAnimateTimerInterval(unsigned Value);

    TNotifyEvent OnClick, OnDblClick, OnBalloonHintClick;
    TbsCycleEvent OnCycle;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    void Refresh() { ModifyTrayIcon(); }
    void ShowMainForm();
    void HideMainForm();
    bool ShowBalloonHint(const std::string& Title, const std::string& Text, TbsBalloonHintIcon IconType);
    void HideBalloonHint();
    bool BitmapToIcon(TBitmap* Bitmap, TIcon* AIcon, TColor MaskColor);
    // The utility window that receives the icon's messages.
    HWND Handle() const { return FHandle; }
    // The record handed to the shell (for inspection).
    const NOTIFYICONDATA& IconData() const { return FIconData; }

    virtual bool UseAppIconWhenEmpty() { return true; }
    virtual bool AddTrayIcon();
    virtual bool DeleteTrayIcon();
    virtual bool ModifyTrayIcon();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void Click();
    virtual void DblClick();
    virtual void Cycle(int NextIndex);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void DoMinimizeToTray();

private:
    LRESULT WndProc(UINT Msg, WPARAM WParam, LPARAM LParam);
    void CallbackMessage(UINT mouse);
    void PopupAtCursor();
    void ClickTimerProc();
    void TimerCycle();
    bool InitIcon();
    void HookApp();
    void UnhookApp();
    void HookParent();
    void UnhookParent();
    TWinControl* OwnerControl() const;

    std::unique_ptr<TIcon> FIcon;
    TSurface FIconPixels;
    bool FIconVisible = true;
    std::string FHint;
    bool FShowHint = true;
    bool FMinimizeToTray = true;
    bool FClickStart = false, FClickReady = false, IsDblClick = false;
    TTimer* AnimateTimer = nullptr;
    TTimer* ClickTimer = nullptr;
    int FIconIndex = 0;
    TCustomImageList* FIconList = nullptr;
    bool FCycleIcons = false;
    unsigned FAnimateTimerInterval = 0;
    bool SettingMDIForm = true;
    HWND FHandle = nullptr;
    HWND FAppWnd = nullptr, FOwnerWnd = nullptr;
    TSubclassToken FAppToken = 0, FOwnerToken = 0;
    NOTIFYICONDATA FIconData;
};
