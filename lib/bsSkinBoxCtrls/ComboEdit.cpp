// The editable style of the skinned combo box: the inner edit over the item
// area, its window filter (keys, focus, wheel, double-byte key-ups), taking
// the edit's text and the auto-completion.
#include "lib/bsSkinBoxCtrls.h"

#include <algorithm>
#include <cstdint>

#include "lib/bsSkinBoxCtrls/Internal.h"
#include "platform/core/Clock.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Forms.h"

using namespace bsboxctrls;

void TbsSkinCustomComboBox::SetStyle(TbsSkinCustomComboBoxStyle Value)
{
    if (Value == FStyle && (ComponentState() & csDesigning)) return;
    FStyle = Value;
    if (Value == bscbEditStyle)
    {
        if (!FEdit) CreateEditBox();
        if (!(ComponentState() & csDesigning))
        {
            if (GetTabStop())
            {
                SetTabStop(false);
                FEdit->SetTabStop(true);
            }
            else
                FEdit->SetTabStop(false);
        }
        FEdit->SetText(GetText());
        if (Focused()) FEdit->SetFocus();
    }
    else if (FEdit)
        DestroyEditBox();
    CalcRects();
    Invalidate();
}

void TbsSkinCustomComboBox::CreateEditBox()
{
    FEdit = FNumEdit ? new TbsSkinNumEdit(this) : new TbsCustomEdit(this);
    FEdit->SetParent(this);
    FEdit->SetColor(FDefaultColor);
    FEdit->SetAutoSize(false);
    FEdit->SetVisible(true);
    FEdit->OnChange = [this](TObject* s) { EditChange(s); };
    FEditWindowProc = FEdit->WindowProc;
    FEdit->WindowProc = [this](TMessage& m) { EditWProc(m); };
    FEdit->OnEditCancelMode = [this](TControl* c) { EditCancelMode(c); };
    FEdit->OnKeyDown = [this](TObject*, WORD& k, TShiftState s) {
        if (OnKeyDown) OnKeyDown(this, k, s);
    };
    FEdit->OnKeyPress = [this](TObject*, char32_t& k) {
        if (OnKeyPress) OnKeyPress(this, k);
    };
    FEdit->OnKeyUp = [this](TObject*, WORD& k, TShiftState s) {
        if (OnKeyUp) OnKeyUp(this, k, s);
    };
    FEdit->SetCharCase(FCharCase);
    ApplyEditFont();
    CalcRects();
}

void TbsSkinCustomComboBox::DestroyEditBox()
{
    if (!FEdit) return;
    FEdit->WindowProc = FEditWindowProc;
    FEdit->SetVisible(false);
    TbsCustomEdit* e = FEdit;
    FEdit = nullptr;
    delete e;
}

void TbsSkinCustomComboBox::ApplyEditFont()
{
    if (!FEdit) return;
    TFont* f = FEdit->Font();
    if (FIndex != -1 && UseSkinFont)
    {
        SetSkinFontOf(f, FontName, FontStyle, FontHeight);
        f->SetColor(TColor(FontColor));
    }
    else
    {
        f->Assign(FIndex != -1 ? DefaultFont() : Font());
        if (FIndex != -1) f->SetColor(TColor(FontColor));
    }
    if (FIndex != -1 && !IsEmptyRect(ActiveSkinRect) && (FEdit->Focused() || FMouseIn))
        f->SetColor(TColor(ActiveFontColor));
    f->SetCharset(ItemCharset(FSD, DefaultFont()));
    if (!GetEnabled()) f->SetColor(TColor(DisabledTextColor(FIndex != -1 ? FSD : nullptr)));
    if (FEdit->EditTransparent() != (FIndex != -1)) FEdit->SetEditTransparent(FIndex != -1);
}

void TbsSkinCustomComboBox::CalcRects()
{
    TbsSkinComboLook::CalcRects();
    if (!FEdit) return;
    TBitmap b(1, 1, pf32bit);
    b.Canvas()->Font()->Assign(FEdit->Font());
    const int h = b.Canvas()->TextHeight("Wg");
    FEdit->SetBounds(CBItem.R.Left, CBItem.R.Top + RectHeight(CBItem.R) / 2 - h / 2, RectWidth(CBItem.R), h);
}

int TbsSkinCustomComboBox::SelStart() { return FEdit ? FEdit->GetSelStart() : 0; }
void TbsSkinCustomComboBox::SetSelStart(int v)
{
    if (FEdit) FEdit->SetSelStart(v);
}
int TbsSkinCustomComboBox::SelLength() { return FEdit ? FEdit->GetSelLength() : 0; }
void TbsSkinCustomComboBox::SetSelLength(int v)
{
    if (FEdit) FEdit->SetSelLength(v);
}

void TbsSkinCustomComboBox::EditCancelMode(TControl* C)
{
    if (C != this && C != FListBox && C != FListBox->ScrollBar && C != FListBox->HScrollBar &&
        C != FListBox->ListBox)
        CloseUp(false);
}

void TbsSkinCustomComboBox::EditChange(TObject*)
{
    FromEdit = true;
    const std::string t = FEdit->GetText();
    if (FListBox && FListBox->ListBox && !t.empty())
    {
        const LRESULT i = FListBox->ListBox->Perform(LB_FINDSTRING, WPARAM(-1), LPARAM(t.c_str()));
        if (i >= 0) FListBox->ListBox->Perform(AutoComplete ? LB_SETCURSEL : LB_SETTOPINDEX, WPARAM(i), 0);
    }
    SetText(t);
    FromEdit = false;
}

bool TbsSkinCustomComboBox::DoubleByteCharset()
{
    const int cs = ItemCharset(FSD, DefaultFont());
    return cs == 128 || cs == 134 || cs == 136;
}

void TbsSkinCustomComboBox::EditFindUp(bool flag)
{
    if (ItemIndex() <= 0) return;
    SetItemIndex(ItemIndex() - 1);
    if (!flag || !FEdit) return;
    SetText(Items()->Get(ItemIndex()));
    FEdit->SelectAll();
    if (OnClick) OnClick(this);
}

void TbsSkinCustomComboBox::EditFindDown(bool flag)
{
    if (ItemIndex() >= Items()->Count() - 1) return;
    FListBox->SetItemIndex(ItemIndex() + 1);
    if (!flag || !FEdit) return;
    SetText(Items()->Get(ItemIndex()));
    FEdit->SelectAll();
    if (OnClick) OnClick(this);
}

void TbsSkinCustomComboBox::EditAutoComplete()
{
    if (!FListBox || !FListBox->ListBox || !FEdit) return;
    const DWORD now = GetTickCount();
    if (now - FLastTime <= 200) return;
    FLastTime = now;
    const std::string S = GetText();
    if (S.empty()) return;
    const std::size_t len = Utf8ToUtf32(S).size();
    const LRESULT i = FListBox->ListBox->Perform(LB_FINDSTRING, len == 1 ? WPARAM(ItemIndex()) : WPARAM(-1),
                                                 LPARAM(S.c_str()));
    if (i < 0) return;
    SetItemIndex(int(i));
    const int all = int(Utf8ToUtf32(GetText()).size());
    FEdit->SetSelStart(int(len));
    FEdit->SetSelLength(all - int(len));
}

void TbsSkinCustomComboBox::EditWProc(TMessage& m)
{
    const bool activeLook = FIndex != -1 && !IsEmptyRect(ActiveSkinRect);
    switch (m.Msg)
    {
    case WM_SETFOCUS:
        if (activeLook)
        {
            FEdit->Font()->SetColor(TColor(ActiveFontColor));
            Invalidate();
        }
        break;
    case WM_KILLFOCUS:
        if (IsPopupVisible()) CloseUp(false);
        if (activeLook)
        {
            FEdit->Font()->SetColor(TColor(FontColor));
            Invalidate();
        }
        break;
    case WM_KEYDOWN:
        switch (m.WParam)
        {
        case VK_RETURN:
            if (IsPopupVisible()) CloseUp(true);
            break;
        case VK_ESCAPE:
            if (IsPopupVisible()) CloseUp(false);
            break;
        case VK_PRIOR:
            if (IsPopupVisible()) FListBox->SetItemIndex(PageUpIndex());
            break;
        case VK_NEXT:
            if (IsPopupVisible()) FListBox->SetItemIndex(PageDownIndex());
            break;
        case VK_UP: EditFindUp(true); return;
        case VK_DOWN: EditFindDown(true); return;
        default: break;
        }
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
    {
        const WPARAM k = m.WParam;
        if (DoubleByteCharset())
        {
            if (k != VK_DELETE && k != VK_BACK)
            {
                FEdit->SetSelLength(0);
                FEditWindowProc(m);
                if (AutoComplete && FEdit) EditAutoComplete();
                return;
            }
            break;
        }
        if (m.Msg == WM_SYSKEYUP) break;
        FEditWindowProc(m);
        if (k >= 48 && AutoComplete && FEdit) EditAutoComplete();
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (IsPopupVisible()) CloseUp(false);
        break;
    case WM_MOUSEWHEEL:
        if (static_cast<std::int32_t>(m.WParam) > 0) EditFindUp(!IsPopupVisible());
        else EditFindDown(!IsPopupVisible());
        break;
    default: break;
    }
    FEditWindowProc(m);
}
