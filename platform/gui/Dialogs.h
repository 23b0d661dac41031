// The plain (unskinned) message box: a modal form with the text, an icon and
// a row of buttons. Used where the program shows the system's own box rather
// than a skinned one, and by the default exception handler.
#pragma once
#include <string>

#include "platform/gui/Forms.h"

// Buttons (low four bits of the flags).
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x0002;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_RETRYCANCEL = 0x0005;
// Icons.
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x0040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
// Default button.
constexpr UINT MB_DEFBUTTON1 = 0x0000;
constexpr UINT MB_DEFBUTTON2 = 0x0100;
constexpr UINT MB_DEFBUTTON3 = 0x0200;
constexpr UINT MB_APPLMODAL = 0x0000;
constexpr UINT MB_SYSTEMMODAL = 0x1000;
constexpr UINT MB_TASKMODAL = 0x2000;
constexpr UINT MB_TOPMOST = 0x00040000;
// Results.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows the box modally and returns the button chosen (IDOK …). Escape and
// the close box answer Cancel (or OK in a box with only OK); a box without
// either cannot be closed that way. Window caption "Error" when empty.
int PlainMessageBox(const std::string& Text, const std::string& Caption, UINT Flags);

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose };
using TMsgDlgButtons = TEnumSet<TMsgDlgBtn>;

// A box with any set of buttons (in the order above); returns the modal
// result of the button (mrYes …), mrCancel for Escape when there is a Cancel
// button. The caption is the kind's name ("Warning", "Error", "Information",
// "Confirm") or, for mtCustom, the application's title.
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
void ShowMessage(const std::string& Msg);

// ---- file dialogs ------------------------------------------------------------------------
// The plain open and save dialogs: a modal form built in code with the
// folder, its sub-folders and the files matching the chosen filter, a
// file-name box and a filter box.

enum TOpenOption {
    ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofAllowMultiSelect, ofExtensionDifferent,
    ofPathMustExist, ofFileMustExist, ofEnableSizing
};
using TOpenOptions = TEnumSet<TOpenOption>;

class TCommonDialog : public TComponent
{
public:
    explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
    // Shows the dialog modally; true when the user confirmed it.
    virtual bool Execute() = 0;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
};

// Choosing a file. Filter is "description|mask;mask|description|mask…";
// FilterIndex counts its pairs from 1 (out of range: the first).
// DefaultExt has no dot. On confirmation FileName is the full path, the
// chosen filter is in FilterIndex, and Options holds ofExtensionDifferent
// exactly when the name's extension is not DefaultExt. Cancelled, all
// stay as they were. The process's current folder is never changed.
class TOpenDialog : public TCommonDialog
{
public:
    explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
    bool Execute() override;
    std::string FileName;
    std::string Filter;
    int FilterIndex = 1;
    std::string DefaultExt;
    std::string InitialDir;
    // Caption; empty: "Open" or "Save As".
    std::string Title;
    // Honoured: ofOverwritePrompt, ofExtensionDifferent (the result),
    // ofPathMustExist (always: no name in a missing folder is accepted),
    // ofFileMustExist, ofEnableSizing. The others are accepted and ignored.
    TOpenOptions Options{ofHideReadOnly, ofEnableSizing};

protected:
    virtual bool IsSaveDialog() const { return false; }
};

class TSaveDialog : public TOpenDialog
{
public:
    explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

protected:
    bool IsSaveDialog() const override { return true; }
};
