// Message boxes and message dialogs.
#include "platform/gui/Dialogs.h"

#include "platform/gui/StdCtrls.h"

#include <algorithm>

namespace
{
enum class BoxIcon { None, Error, Question, Warning, Information };

class TBoxForm : public TForm
{
public:
    TBoxForm(const std::string& text, BoxIcon icon) : TForm(nullptr), text_(text), icon_(icon)
    {
        SetBorderStyle(bsDialog);
        SetBorderIcons(TBorderIcons{biSystemMenu});
        SetPosition(poScreenCenter);
        KeyPreview = false;
    }
    TModalResult EscapeResult = mrNone;

protected:
    void PaintWindow(HDC dc) override
    {
        TCanvas* c = Canvas();
        c->SetHandle(dc);
        c->Font()->Assign(Font());
        c->Brush()->SetStyle(bsClear);
        std::string t = text_;
        TRect r = TextRect;
        c->TextRect(r, t, TTextFormat{tfLeft, tfWordBreak, tfNoPrefix, tfExpandTabs});
        drawIcon(c);
        c->SetHandle(nullptr);
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_CLOSE)
        {
            if (EscapeResult != mrNone) SetModalResult(EscapeResult);
            m.Result = 0;
            return;
        }
        if (m.Msg == CM_DIALOGKEY && m.WParam == WPARAM(VK_ESCAPE) && EscapeResult != mrNone)
        {
            TForm::Dispatch(m);
            if (!m.Result) SetModalResult(EscapeResult);
            m.Result = 1;
            return;
        }
        TForm::Dispatch(m);
    }

public:
    TRect TextRect;
    TRect IconRect;

private:
    void drawIcon(TCanvas* c)
    {
        if (icon_ == BoxIcon::None) return;
        const TRect r = IconRect;
        TColor fill = clBlue;
        std::string mark = "i";
        switch (icon_)
        {
        case BoxIcon::Error: fill = clRed; mark = "X"; break;
        case BoxIcon::Question: fill = clBlue; mark = "?"; break;
        case BoxIcon::Warning: fill = clYellow; mark = "!"; break;
        default: break;
        }
        c->Brush()->SetColor(fill);
        c->Pen()->SetColor(clBlack);
        if (icon_ == BoxIcon::Warning)
            c->Polygon({TPoint((r.Left + r.Right) / 2, r.Top), TPoint(r.Right - 1, r.Bottom - 1), TPoint(r.Left, r.Bottom - 1)});
        else
            c->Ellipse(r);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetStyle(TFontStyles{fsBold});
        c->Font()->SetHeight(-18);
        c->Font()->SetColor(icon_ == BoxIcon::Warning ? clBlack : clWhite);
        TRect tr = r;
        c->TextRect(tr, mark, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine, tfNoPrefix});
        c->Font()->Assign(Font());
    }
    std::string text_;
    BoxIcon icon_;
};

struct ButtonDef
{
    std::string caption;
    std::string name;
    TModalResult result;
};

TModalResult RunBox(const std::string& text, const std::string& caption, BoxIcon icon,
                    const std::vector<ButtonDef>& buttons, int defIndex, TModalResult escapeResult)
{
    auto* form = new TBoxForm(text, icon);
    try
    {
        form->SetText(caption);
        form->Font()->SetName("Tahoma");
        form->Font()->SetHeight(-12);
        // Text size: wrapped to a comfortable width.
        TCanvas* c = form->Canvas();
        HDC dc = GetDC(nullptr);
        c->SetHandle(dc);
        c->Font()->Assign(form->Font());
        TRect tr(0, 0, 420, 0);
        std::string t = text.empty() ? std::string(" ") : text;
        c->TextRect(tr, t, TTextFormat{tfCalcRect, tfWordBreak, tfNoPrefix, tfExpandTabs});
        c->SetHandle(nullptr);
        ReleaseDC(nullptr, dc);
        const int iconW = icon == BoxIcon::None ? 0 : 32 + 12;
        const int margin = 12, bw = 75, bh = 23, gap = 6;
        const int bandW = int(buttons.size()) * bw + (int(buttons.size()) - 1) * gap;
        const int textH = std::max(tr.Height(), icon == BoxIcon::None ? 0 : 32);
        const int cw = std::max(margin * 2 + iconW + tr.Width(), margin * 2 + bandW);
        const int ch = margin + textH + margin + bh + margin;
        form->SetClientSize(cw, ch);
        form->IconRect = Bounds(margin, margin, 32, 32);
        form->TextRect = Bounds(margin + iconW, margin + std::max(0, (textH - tr.Height()) / 2), tr.Width() + 1,
                                tr.Height());
        form->EscapeResult = escapeResult;
        int x = (cw - bandW) / 2;
        TButton* first = nullptr;
        for (std::size_t i = 0; i < buttons.size(); ++i)
        {
            auto* b = new TButton(form);
            b->SetName(buttons[i].name);
            b->SetText(buttons[i].caption);
            b->ModalResult = buttons[i].result;
            b->SetDefault(int(i) == defIndex);
            b->Cancel = buttons[i].result == escapeResult && escapeResult != mrNone;
            b->SetBounds(x, ch - margin - bh, bw, bh);
            b->SetParent(form);
            if (int(i) == defIndex) first = b;
            x += bw + gap;
        }
        if (first) form->SetActiveControl(nullptr), form->FocusControl(first);
        const TModalResult r = form->ShowModal();
        delete form;
        return r;
    }
    catch (...)
    {
        delete form;
        throw;
    }
}
} // namespace

int PlainMessageBox(const std::string& Text, const std::string& Caption, UINT Flags)
{
    std::vector<ButtonDef> b;
    TModalResult esc = mrNone;
    switch (Flags & 0x0F)
    {
    case MB_OKCANCEL: b = {{"OK", "OK", IDOK}, {"Cancel", "Cancel", IDCANCEL}}; esc = IDCANCEL; break;
    case MB_ABORTRETRYIGNORE: b = {{"Abort", "Abort", IDABORT}, {"Retry", "Retry", IDRETRY}, {"Ignore", "Ignore", IDIGNORE}}; break;
    case MB_YESNOCANCEL: b = {{"Yes", "Yes", IDYES}, {"No", "No", IDNO}, {"Cancel", "Cancel", IDCANCEL}}; esc = IDCANCEL; break;
    case MB_YESNO: b = {{"Yes", "Yes", IDYES}, {"No", "No", IDNO}}; break;
    case MB_RETRYCANCEL: b = {{"Retry", "Retry", IDRETRY}, {"Cancel", "Cancel", IDCANCEL}}; esc = IDCANCEL; break;
    default: b = {{"OK", "OK", IDOK}}; esc = IDOK; break;
    }
    BoxIcon icon = BoxIcon::None;
    switch (Flags & 0xF0)
    {
    case MB_ICONHAND: icon = BoxIcon::Error; break;
    case MB_ICONQUESTION: icon = BoxIcon::Question; break;
    case MB_ICONEXCLAMATION: icon = BoxIcon::Warning; break;
    case MB_ICONASTERISK: icon = BoxIcon::Information; break;
    default: break;
    }
    int def = int((Flags & 0xF00) >> 8);
    if (def >= int(b.size())) def = 0;
    return RunBox(Text, Caption.empty() ? std::string("Error") : Caption, icon, b, def, esc);
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int)
{
    static const ButtonDef all[] = {{"Yes", "Yes", mrYes},       {"No", "No", mrNo},
                                    {"OK", "OK", mrOk},          {"Cancel", "Cancel", mrCancel},
                                    {"Abort", "Abort", mrAbort}, {"Retry", "Retry", mrRetry},
                                    {"Ignore", "Ignore", mrIgnore}, {"All", "All", mrAll},
                                    {"No to All", "NoToAll", mrNoToAll}, {"Yes to All", "YesToAll", mrYesToAll},
                                    {"Help", "Help", mrHelp},    {"Close", "Close", mrClose}};
    std::vector<ButtonDef> b;
    for (int i = 0; i <= int(mbClose); ++i)
        if (Buttons.Contains(TMsgDlgBtn(i))) b.push_back(all[i]);
    if (b.empty()) b.push_back(all[mbOK]);
    TModalResult esc = mrNone;
    if (Buttons.Contains(mbCancel)) esc = mrCancel;
    else if (Buttons.Contains(mbNo)) esc = mrNo;
    else if (Buttons.Contains(mbOK)) esc = mrOk;
    else if (Buttons.Contains(mbClose)) esc = mrClose;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
    switch (DlgType)
    {
    case mtWarning: caption = "Warning"; icon = BoxIcon::Warning; break;
    case mtError: caption = "Error"; icon = BoxIcon::Error; break;
    case mtInformation: caption = "Information"; icon = BoxIcon::Information; break;
    case mtConfirmation: caption = "Confirm"; icon = BoxIcon::Question; break;
    case mtCustom: caption = Application ? Application->Title : std::string(); break;
    }
    return RunBox(Msg, caption, icon, b, 0, esc);
}

void ShowMessage(const std::string& Msg)
{
    MessageDlg(Msg, mtCustom, TMsgDlgButtons{mbOK});
}
