// The library's edits: the context menu's enable rules and captions, read-
// only on every path, line breaks kept out of a single-line edit, Enter and
// Esc handed to the form, the skinned edit's geometry, and the numeric edit.
#include <array>
#include <cmath>

#include "lib/bsSkinBoxCtrls.h"
#include "platform/gui/Clipbrd.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
class SkinEditTest : public SkinCtrlTest
{
protected:
    template <class E = TbsSkinEdit>
    E* MakeEdit(TForm* f, const std::string& text)
    {
        auto* e = new E(f);
        e->SetBounds(10, 10, 200, 20);
        e->SetParent(f);
        e->SetText(text);
        return e;
    }
    static std::string Enabled(const std::vector<TbsEditMenuItem>& items)
    {
        std::string s;
        for (const TbsEditMenuItem& i : items)
            if (i.Caption != "-") s += i.Enabled ? '1' : '0';
        return s;
    }
};

// A skin with one edit entry: 100 x 22, client (4, 4, 96, 18), fixed ends of
// 5; text red, green when active, blue when disabled.
std::string WriteEditSkin()
{
    const std::string dir = skintest::TempDir("boxes-edit");
    skintest::MakePicture(120, 30, 0xFF336699u).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(dir + "skin.ini",
                        "[VERSION]\r\nskinname=edit\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
                        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
                        "[SKINCONTROLS]\r\ncount=1\r\n0=edit:edit\r\n\r\n"
                        "[edit]\r\npictureindex=0\r\nskinrect=0,0,100,22\r\nlefttoppoint=5,0\r\n"
                        "righttoppoint=95,0\r\nclientrect=4,4,96,18\r\nfontcolor=255\r\nactivefontcolor=65280\r\n"
                        "disabledfontcolor=16711680\r\n\r\n");
    return dir + "skin.ini";
}
} // namespace

TEST_F(SkinEditTest, ContextMenuEnableRules)
{
    // Undo, Cut, Copy, Paste, Delete, Select All.
    struct Case
    {
        bool readOnly;
        int selStart, selLength;   // -1: no text at all
        bool clipboard;
        const char* enabled;
    };
    const Case cases[] = {
        {false, -1, 0, false, "000000"}, {false, -1, 0, true, "000100"},   {false, 0, 0, true, "000101"},
        {false, 1, 2, false, "011011"},  {false, 0, 5, true, "011110"},    {true, 1, 2, true, "001001"},
        {true, 0, 5, true, "001000"},    {true, 0, 0, false, "000001"},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(testing::Message() << k.readOnly << " " << k.selStart << "+" << k.selLength << " " << k.clipboard);
        TSkinnedForm* f = MakeForm();
        TbsSkinEdit* e = MakeEdit(f, k.selStart < 0 ? "" : "abcde");
        e->SetReadOnly(k.readOnly);
        f->Show();
        Clipboard()->SetAsText(k.clipboard ? "剪贴板" : "");
        if (k.selStart >= 0)
        {
            e->SetSelStart(k.selStart);
            e->SetSelLength(k.selLength);
        }
        EXPECT_EQ(Enabled(e->SysMenuItems()), k.enabled);
        delete f;
    }
}

TEST_F(SkinEditTest, ContextMenuHasTheBuiltInCaptionsAndRunsItsCommands)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* e = MakeEdit(f, "hello world");
    f->Show();
    TPopupMenu* shown = nullptr;
    TPoint at;
    TPopupMenu::SetPopupHook([&](TPopupMenu* m, int x, int y) {
        shown = m;
        at = TPoint(x, y);
    });
    e->SetFocus();
    e->SetSelStart(6);
    e->SetSelLength(5);
    // From the keyboard (no point): the edit's centre.
    SendMessage(e->GetHandle(), WM_CONTEXTMENU, WPARAM(e->GetHandle()), MAKELPARAM(-1, -1));
    ASSERT_NE(shown, nullptr);
    const TPoint centre = e->ClientToScreen(TPoint(0, 0));
    EXPECT_EQ(at, TPoint(centre.X + 100, centre.Y + 10));
    std::vector<std::string> captions;
    for (int i = 0; i < shown->Items()->Count(); ++i) captions.push_back(shown->Items()->Items(i)->Caption());
    const std::vector<std::string> want = {"Undo", "-", "Cut", "Copy", "Paste", "Delete", "-", "Select All"};
    EXPECT_EQ(captions, want);
    shown->Items()->Items(2)->Click();   // Cut
    driver->PumpUntilIdle();
    EXPECT_EQ(e->GetText(), "hello ");
    EXPECT_EQ(Clipboard()->GetAsText(), "world");
    EXPECT_EQ(e->SysPopupMenu(), nullptr) << "the menu goes once its command ran";
    TPopupMenu::SetPopupHook(nullptr);
}

TEST_F(SkinEditTest, ReadOnlyHoldsOnEveryPath)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* e = MakeEdit(f, "固定");
    f->Show();
    e->SetFocus();
    e->SetSelStart(2);
    driver->TypeText("文本");   // something to undo
    e->SelectAll();
    Clipboard()->SetAsText("x");
    e->SetReadOnly(true);
    EXPECT_TRUE(e->SysMenuItems()[0].Enabled) << "Undo stays enabled; choosing it changes nothing";
    driver->TypeText("ab");
    driver->TypeText("中文");
    driver->PressKey(VK_DELETE);
    driver->PressKey(VK_BACK);
    for (UINT msg : {WM_CUT, WM_PASTE, WM_CLEAR, WM_UNDO}) SendMessage(e->GetHandle(), msg, 0, 0);
    // A string committed by the input method.
    SendMessage(e->GetHandle(), WM_IME_COMPOSITION, GCS_RESULTSTR, LPARAM("输入法"));
    for (const TbsEditMenuItem& i : e->SysMenuItems())
        if (i.Action) i.Action();
    EXPECT_EQ(e->GetText(), "固定文本");
    // Copying and the dialog keys still work.
    e->SelectAll();
    SendMessage(e->GetHandle(), WM_COPY, 0, 0);
    EXPECT_EQ(Clipboard()->GetAsText(), "固定文本");
    std::string keys;
    e->OnKeyPress = [&](TObject*, char32_t& k) { keys += char(k); };
    driver->PressKey(VK_RETURN);
    EXPECT_EQ(keys, "\r");
}

TEST_F(SkinEditTest, LineBreaksNeverEnterASingleLineEdit)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* e = MakeEdit(f, "一\r\n二\n三");
    EXPECT_EQ(e->GetText(), "一二三");
    f->Show();
    e->SetFocus();
    e->SelectAll();
    Clipboard()->SetAsText("第一行\r\n第二行\n");
    SendMessage(e->GetHandle(), WM_PASTE, 0, 0);
    EXPECT_EQ(e->GetText(), "第一行第二行");
    SendMessage(e->GetHandle(), WM_IME_COMPOSITION, GCS_RESULTSTR, LPARAM("三\n四"));
    EXPECT_EQ(e->GetText(), "第一行第二行三四");
}

TEST_F(SkinEditTest, DefaultLookGeometry)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* e = MakeEdit(f, "x");
    f->Show();
    EXPECT_EQ(e->GetClientRect(), TRect(0, 0, 196, 16));
    e->CalcEditRect();
    EXPECT_EQ(e->EditRect(), TRect(2, 2, 198, 18));
    e->SetButtonMode(true);
    f->Show();
    e->CalcEditRect();
    EXPECT_EQ(e->ButtonRectNow(), TRect(180, 0, 200, 20));
    EXPECT_EQ(e->EditRect().Right, 200 - 20 - 2);
    EXPECT_EQ(e->GetClientRect().Width(), 200 - 20 - 2 - 2);
}

TEST_F(SkinEditTest, AFormPaintedIntoABitmapShowsTheFrameAndTheButton)
{
    // A picture of the whole form (the skin gallery takes its pictures so)
    // holds the frame and the edit button of the non-client area.
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* e = MakeEdit(f, "文本");
    e->SetButtonMode(true);
    f->Show();
    driver->PumpUntilIdle();
    TBitmap shot(f->ClientWidth(), f->ClientHeight(), pf32bit);
    f->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    const auto at = [&](int x, int y) { return ColorToRGB(TColor(shot.Canvas()->GetPixel(e->Left() + x, e->Top() + y))); };
    EXPECT_EQ(at(0, 0), ColorToRGB(clBtnShadow)) << "outer frame line";
    EXPECT_EQ(at(1, 5), ColorToRGB(clBtnFace)) << "inner frame line";
    EXPECT_EQ(at(200 - 10, 10), ColorToRGB(clBtnFace)) << "edit button face";
    EXPECT_EQ(at(200 - 20, 10), ColorToRGB(clBtnShadow)) << "edit button frame";
    EXPECT_EQ(at(150, 17), ColorToRGB(clWindow)) << "text area";
}

TEST_F(SkinEditTest, EditButtonAndImageButtonsReportClicksWithoutMovingTheCaret)
{
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* e = MakeEdit(f, "0123456789");
    e->SetButtonMode(true);
    TImageList images(16, 16);
    TBitmap pic(16, 16, pf32bit);
    images.Add(&pic, nullptr);
    e->SetImages(&images);
    e->SetLeftImageIndex(0);
    e->SetRightImageIndex(0);
    int button = 0, left = 0, right = 0;
    e->OnButtonClick = [&](TObject*) { ++button; };
    e->OnLeftButtonClick = [&](TObject*) { ++left; };
    e->OnRightButtonClick = [&](TObject*) { ++right; };
    f->Show();
    e->SetFocus();
    e->SetSelStart(4);
    // Window coordinates of the edit: the button is the 20-pixel square at
    // the right end; the client starts at (2, 2).
    const auto at = [&](int x, int y) { return e->ClientToScreen(TPoint(x - 2, y - 2)); };
    driver->Click(at(190, 10));
    EXPECT_EQ(button, 1);
    driver->Click(at(10, 10));   // left image
    const int clientRight = e->GetClientRect().Right;
    driver->Click(e->ClientToScreen(TPoint(clientRight - 5, 8)));   // right image
    EXPECT_EQ(left, 1);
    EXPECT_EQ(right, 1);
    EXPECT_EQ(e->GetSelStart(), 4) << "the buttons never reach the edit control";
    // A press on an image button released elsewhere leaves it down; the
    // next release over it clicks.
    driver->Press(at(10, 10));
    driver->Release(at(100, 10));
    EXPECT_EQ(left, 1);
    EXPECT_TRUE(e->LeftButton.Down);
    driver->Release(at(10, 10));
    EXPECT_EQ(left, 2);
    EXPECT_EQ(e->GetText(), "0123456789");
}

TEST_F(SkinEditTest, SkinnedGeometryOfTheTwoHundredPixelEdit)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteEditSkin());
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* e = MakeEdit(f, "文本");
    e->SetSkinData(&sd);
    f->Show();
    EXPECT_EQ(e->Height(), 22);
    EXPECT_EQ(e->LOffset, 5);
    EXPECT_EQ(e->ROffset, 5);
    e->CalcEditRect();
    EXPECT_EQ(e->EditRect(), TRect(4, 4, 196, 18));
    EXPECT_EQ(e->GetClientRect(), TRect(0, 0, 192, 14));
    // Every resize keeps the skin's height; DefaultHeight does not change it.
    e->SetBounds(10, 10, 150, 40);
    EXPECT_EQ(e->Height(), 22);
    e->SetDefaultHeight(30);
    EXPECT_EQ(e->Height(), 22);
    // The text colour follows the focus.
    TbsSkinEdit* other = MakeEdit(f, "");
    other->SetTop(50);
    other->SetFocus();
    EXPECT_EQ(ColorToRGB(e->Font()->GetColor()), COLORREF(255));
    e->SetFocus();
    EXPECT_EQ(ColorToRGB(e->Font()->GetColor()), COLORREF(65280));
}

TEST_F(SkinEditTest, DisabledTextTakesTheSkinsDisabledColour)
{
    TbsSkinData sd;
    sd.LoadFromFile(WriteEditSkin());
    TSkinnedForm* f = MakeForm();
    TbsSkinEdit* skinned = MakeEdit(f, "WWWWWWWW");
    skinned->SetSkinData(&sd);
    TbsSkinEdit* plain = MakeEdit(f, "WWWWWWWW");
    plain->SetTop(50);
    skinned->SetEnabled(false);
    plain->SetEnabled(false);
    f->Show();
    // The text is smoothed, so its colour is told by the direction in which
    // its pixels leave the background: the cosine between the inkiest pixel's
    // step from the background and the step towards `c`.
    const auto towards = [&](TbsSkinEdit* e, COLORREF c) {
        driver->PumpUntilIdle();
        const TRect r = e->GetClientRect();
        const COLORREF bg = At(e, r.Right - 2, r.Bottom - 2);
        const auto step = [bg](COLORREF p) {
            return std::array<double, 3>{double(GetRValue(p)) - GetRValue(bg), double(GetGValue(p)) - GetGValue(bg),
                                         double(GetBValue(p)) - GetBValue(bg)};
        };
        const auto len = [](const std::array<double, 3>& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); };
        std::array<double, 3> ink{};
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (const auto v = step(At(e, x, y)); len(v) > len(ink)) ink = v;
        const auto want = step(c);
        if (len(ink) == 0 || len(want) == 0) return 0.0;
        return (ink[0] * want[0] + ink[1] * want[1] + ink[2] * want[2]) / (len(ink) * len(want));
    };
    const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), grey = ColorToRGB(clGrayText);
    EXPECT_GT(towards(skinned, blue), 0.95);
    EXPECT_GT(towards(plain, grey), 0.95) << "the default look keeps the system's grey";
    skinned->SetEnabled(true);
    EXPECT_GT(towards(skinned, red), 0.95) << "enabled again: the skin's normal colour";
}

TEST_F(SkinEditTest, NumericEditFiltersCharacters)
{
    TSkinnedForm* f = MakeForm();
    auto* e = MakeEdit<TbsSkinNumEdit>(f, "");
    f->Show();
    e->SetFocus();
    driver->TypeText("1-2-a+3.");
    EXPECT_EQ(e->GetText(), "1-23");
    e->Float = true;
    driver->TypeText(".5.");
    EXPECT_EQ(e->GetText(), "1-23.5");
    // Stepped only: neither digits nor Backspace, but Ctrl+X still cuts.
    e->EditorEnabled = false;
    driver->TypeText("7");
    driver->PressKey(VK_BACK);
    EXPECT_EQ(e->GetText(), "1-23.5");
    e->SelectAll();
    driver->PressKey('X', {VK_CONTROL});
    EXPECT_EQ(e->GetText(), "");
    int up = 0, down = 0;
    e->OnUpClick = [&](TObject*) { ++up; };
    e->OnDownClick = [&](TObject*) { ++down; };
    driver->PressKey(VK_UP);
    driver->PressKey(VK_DOWN);
    driver->PressKey(VK_DOWN);
    EXPECT_EQ(up, 1);
    EXPECT_EQ(down, 2);
    // The wheel turned away from the user steps down.
    const TPoint mid = e->ClientToScreen(TPoint(20, 8));
    driver->Wheel(120, mid);
    driver->Wheel(-120, mid);
    EXPECT_EQ(up, 2);
    EXPECT_EQ(down, 3);
}
