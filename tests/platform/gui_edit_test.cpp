// The plain single-line edit box: keys, clipboard, mouse, change events,
// dialog keys on a form, scrolling and painting.
#include "gui_test_util.h"

#include "platform/core/Utf8.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Mask.h"
#include "platform/gui/StdCtrls.h"

namespace
{
class EditTest : public GuiTest
{
protected:
    // A shown form with one focused edit of the given text; the selection is
    // set after focusing (focus by the program selects everything).
    TEdit* MakeEdit(const std::string& text, int selStart = -1, int selLength = 0, int width = 200)
    {
        form = MakeForm(300, 120);
        auto* e = new TEdit(form);
        e->SetName("Edit");
        e->SetBounds(10, 10, width, 21);
        e->SetParent(form);
        e->SetText(text);
        form->Show();
        e->SetFocus();
        e->SetSelStart(selStart < 0 ? int(Utf8Length(text)) : selStart);
        e->SetSelLength(selLength);
        driver->PumpUntilIdle();
        return e;
    }
    // Width of text in the edit's font.
    static int TextWidthIn(TEdit* e, const std::string& text)
    {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, e->Font()->GetHandle());
        TSize sz;
        GetTextExtentPoint32(dc, text, &sz);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return sz.cx;
    }
    // Screen point of a client x in the middle of the edit's line.
    static TPoint At(TEdit* e, int x) { return e->ClientToScreen(TPoint(x, e->ClientHeight() / 2)); }
    TForm* form = nullptr;
};

TEST_F(EditTest, KeySequences)
{
    using Keys = std::function<void(TTestDriver&, TEdit*)>;
    auto press = [](int vk, std::vector<int> mods = {}) {
        return Keys([=](TTestDriver& d, TEdit*) { d.PressKey(vk, mods); });
    };
    auto type = [](std::string s) { return Keys([=](TTestDriver& d, TEdit*) { d.TypeText(s); }); };
    const Keys makeReadOnly = [](TTestDriver&, TEdit* e) { e->SetReadOnly(true); };
    struct Case
    {
        const char* name;
        const char* text;
        int selStart, selLength;
        std::vector<Keys> keys;
        const char* expect;
        int expectStart, expectLength;
        bool readOnly = false;
        int maxLength = 0;
        char32_t passwordChar = 0;
        TEditCharCase charCase = ecNormal;
    };
    const std::vector<Case> cases = {
        {"typing at the caret", "ad", 1, 0, {type("bc")}, "abcd", 3, 0},
        {"Chinese typing", "", 0, 0, {type("中文 ok")}, "中文 ok", 5, 0},
        {"typing replaces the selection", "hello", 1, 3, {type("E")}, "hEo", 2, 0},
        {"backspace at the start", "abc", 0, 0, {press(VK_BACK)}, "abc", 0, 0},
        {"backspace takes a whole character", "a中文", 3, 0, {press(VK_BACK)}, "a中", 2, 0},
        {"backspace removes the selection only", "abcd", 1, 2, {press(VK_BACK)}, "ad", 1, 0},
        {"delete at the end", "abc", 3, 0, {press(VK_DELETE)}, "abc", 3, 0},
        {"delete in the middle", "中文字", 1, 0, {press(VK_DELETE)}, "中字", 1, 0},
        {"shift+home selects, typing replaces", "hello", 5, 0, {press(VK_HOME, {VK_SHIFT}), type("x")}, "x", 1, 0},
        {"shift+left extends, left collapses", "abcd", 4, 0,
         {press(VK_LEFT, {VK_SHIFT}), press(VK_LEFT, {VK_SHIFT}), press(VK_LEFT)}, "abcd", 2, 0},
        {"shift+right then shift+end", "abcd", 0, 0, {press(VK_RIGHT, {VK_SHIFT}), press(VK_END, {VK_SHIFT})}, "abcd", 0, 4},
        {"home and end", "abc", 1, 0, {press(VK_END), type("!"), press(VK_HOME), type("^")}, "^abc!", 1, 0},
        {"ctrl+right word moves", "one two  three", 0, 0,
         {press(VK_RIGHT, {VK_CONTROL}), press(VK_RIGHT, {VK_CONTROL}), type("|")}, "one two  |three", 10, 0},
        {"ctrl+left word moves", "one two.txt", 11, 0,
         {press(VK_LEFT, {VK_CONTROL}), press(VK_LEFT, {VK_CONTROL}), type("|")}, "one two|.txt", 8, 0},
        {"ctrl+shift+left selects a word", "one two", 7, 0, {press(VK_LEFT, {VK_CONTROL, VK_SHIFT})}, "one two", 4, 3},
        {"ctrl+a then typing replaces all", "old", 1, 0, {press('A', {VK_CONTROL}), type("new")}, "new", 3, 0},
        {"maxlength counts characters", "", 0, 0, {type("中文字符")}, "中文字", 3, 0, false, 3},
        {"maxlength: typing over a selection fits", "abc", 0, 3, {type("xy")}, "xy", 2, 0, false, 3},
        {"read-only refuses typing and deleting", "abc", 1, 0,
         {type("x"), press(VK_BACK), press(VK_DELETE), press('X', {VK_CONTROL})}, "abc", 1, 0, true},
        {"read-only still moves and selects", "abc", 0, 0, {press(VK_END, {VK_SHIFT})}, "abc", 0, 3, true},
        {"undo restores the text before the typing", "abc", 3, 0, {type("def"), press('Z', {VK_CONTROL})}, "abc", 3, 0},
        {"a second undo redoes", "abc", 3, 0,
         {press(VK_BACK), press('Z', {VK_CONTROL}), press('Z', {VK_CONTROL})}, "ab", 2, 0},
        {"undo refused while read-only", "abc", 3, 0,
         {type("d"), makeReadOnly, press('Z', {VK_CONTROL})}, "abcd", 4, 0},
        {"upper case typing", "", 0, 0, {type("ab中")}, "AB中", 3, 0, false, 0, 0, ecUpperCase},
        {"lower case converts the text too", "MiXed", 5, 0, {type("ABC")}, "mixedabc", 8, 0, false, 0, 0, ecLowerCase},
        {"password: a word move spans the text", "ab cd", 5, 0, {press(VK_LEFT, {VK_CONTROL})}, "ab cd", 0, 0, false, 0, '*'},
        {"control characters are not text", "ab", 2, 0, {press(VK_TAB, {VK_CONTROL}), press(VK_ESCAPE)}, "ab", 2, 0},
        {"shift+delete cuts, shift+insert pastes", "abc", 0, 1,
         {press(VK_DELETE, {VK_SHIFT}), press(VK_END), press(VK_INSERT, {VK_SHIFT})}, "bca", 3, 0},
        {"ctrl+insert copies", "abc", 1, 2, {press(VK_INSERT, {VK_CONTROL}), press(VK_HOME), press(VK_INSERT, {VK_SHIFT})},
         "bcabc", 2, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TEdit* e = MakeEdit(c.text, c.selStart, c.selLength);
        e->SetReadOnly(c.readOnly);
        e->SetMaxLength(c.maxLength);
        e->SetPasswordChar(c.passwordChar);
        e->SetCharCase(c.charCase);
        e->SetSelStart(c.selStart);
        e->SetSelLength(c.selLength);
        for (const Keys& k : c.keys) k(*driver, e);
        EXPECT_EQ(e->GetText(), c.expect);
        EXPECT_EQ(e->GetSelStart(), c.expectStart);
        EXPECT_EQ(e->GetSelLength(), c.expectLength);
        delete form;
    }
}

TEST_F(EditTest, ClipboardCutCopyPasteAndReadOnly)
{
    TEdit* e = MakeEdit("hello world", 6, 5);
    driver->PressKey('X', {VK_CONTROL});
    EXPECT_EQ(e->GetText(), "hello ");
    EXPECT_EQ(Clipboard()->GetAsText(), "world");
    driver->PressKey(VK_HOME);
    driver->PressKey('V', {VK_CONTROL});
    EXPECT_EQ(e->GetText(), "worldhello ");
    EXPECT_EQ(e->GetSelStart(), 5);
    EXPECT_TRUE(e->GetModified());

    // Read-only: copy works, cut and paste change nothing.
    e->SetReadOnly(true);
    e->SetSelStart(0);
    e->SetSelLength(5);
    Clipboard()->SetAsText("other");
    e->CutToClipboard();
    EXPECT_EQ(e->GetText(), "worldhello ");
    EXPECT_EQ(Clipboard()->GetAsText(), "other");
    e->PasteFromClipboard();
    e->ClearSelection();
    EXPECT_EQ(e->GetText(), "worldhello ");
    driver->PressKey('C', {VK_CONTROL});
    EXPECT_EQ(Clipboard()->GetAsText(), "world");

    // Pasting keeps one line and stops at MaxLength (in characters).
    e->SetReadOnly(false);
    e->SetText("");
    e->SetMaxLength(4);
    Clipboard()->SetAsText("中文\tab\r\nsecond line");
    e->PasteFromClipboard();
    EXPECT_EQ(e->GetText(), "中文ab");
    // Nothing of a password leaves the edit.
    e->SetPasswordChar('*');
    e->SelectAll();
    e->CopyToClipboard();
    EXPECT_EQ(Clipboard()->GetAsText(), "中文\tab\r\nsecond line");
    EXPECT_EQ(e->GetSelText(), "中文ab");
}

TEST_F(EditTest, MouseClickPlacesTheCaretAndDragSelects)
{
    TEdit* e = MakeEdit("abcdefgh hij", 0, 0);
    const int x4 = 1 + TextWidthIn(e, "abcd");
    const int x2 = 1 + TextWidthIn(e, "ab");
    const int x6 = 1 + TextWidthIn(e, "abcdef");
    driver->Click(At(e, x4));
    EXPECT_EQ(e->GetSelStart(), 4);
    EXPECT_EQ(e->GetSelLength(), 0);
    driver->Click(At(e, e->ClientWidth() - 3));     // past the text's end
    EXPECT_EQ(e->GetSelStart(), 12);
    driver->Drag(At(e, x2), At(e, x6));
    EXPECT_EQ(e->GetSelStart(), 2);
    EXPECT_EQ(e->GetSelLength(), 4);
    EXPECT_EQ(GetCapture(), nullptr);
    // Dragging back past the start selects to the anchor from the left.
    driver->Drag(At(e, x6), At(e, -30));
    EXPECT_EQ(e->GetSelStart(), 0);
    EXPECT_EQ(e->GetSelLength(), 6);
    // Double-click selects a word.
    driver->DoubleClick(At(e, x4));
    EXPECT_EQ(e->GetSelText(), "abcdefgh");
    // A click into an unfocused edit does not select everything.
    auto* other = new TEdit(form);
    other->SetBounds(10, 50, 200, 21);
    other->SetParent(form);
    other->SetText("some text");
    driver->PumpUntilIdle();
    driver->Click(At(other, 1 + TextWidthIn(other, "so")));
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(other->GetSelStart(), 2);
    EXPECT_EQ(other->GetSelLength(), 0);
    // Tab into an edit selects its whole text (AutoSelect).
    driver->PressKey(VK_TAB);
    EXPECT_TRUE(e->Focused());
    EXPECT_EQ(e->GetSelLength(), 12);
}

TEST_F(EditTest, OnChangeFiresOncePerChange)
{
    auto* loose = new TEdit(nullptr);   // no window yet
    int looseChanges = 0;
    loose->OnChange = [&](TObject*) { ++looseChanges; };
    loose->SetText("a");
    EXPECT_EQ(looseChanges, 1);
    delete loose;

    TEdit* e = MakeEdit("start");
    int changes = 0;
    TObject* sender = nullptr;
    e->OnChange = [&](TObject* s) {
        ++changes;
        sender = s;
    };
    struct Step { const char* name; std::function<void()> act; int expect; };
    const Step steps[] = {
        {"set text", [&] { e->SetText("abc"); }, 1},
        {"set the same text", [&] { e->SetText("abc"); }, 0},
        {"type three characters", [&] { driver->PressKey(VK_END); driver->TypeText("def"); }, 3},
        {"caret moves", [&] { driver->PressKey(VK_HOME); driver->PressKey(VK_RIGHT, {VK_SHIFT}); }, 0},
        {"backspace at the start", [&] { driver->PressKey(VK_HOME); driver->PressKey(VK_BACK); }, 0},
        {"undo", [&] { e->Undo(); }, 1},
        {"selected text replaced", [&] { e->SetSelText("x"); }, 1},
        {"read-only typing", [&] { e->SetReadOnly(true); driver->TypeText("zz"); }, 0},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.name);
        changes = 0;
        s.act();
        EXPECT_EQ(changes, s.expect);
    }
    EXPECT_EQ(sender, e);
    EXPECT_TRUE(e->GetModified());
    e->SetText("reset");
    EXPECT_FALSE(e->GetModified());
    EXPECT_FALSE(e->CanUndo());
}

TEST_F(EditTest, EnterAndEscapeReachTheFormsButtons)
{
    TEdit* e = MakeEdit("name.png");
    auto* ok = new TButton(form);
    ok->SetDefault(true);
    ok->SetBounds(10, 60, 75, 25);
    ok->SetParent(form);
    auto* cancel = new TButton(form);
    cancel->Cancel = true;
    cancel->SetBounds(100, 60, 75, 25);
    cancel->SetParent(form);
    int oks = 0, cancels = 0;
    ok->OnClick = [&](TObject*) { ++oks; };
    cancel->OnClick = [&](TObject*) { ++cancels; };
    e->SetFocus();
    driver->PumpUntilIdle();
    // Edit keys stay in the edit.
    for (int vk : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_DELETE})
        driver->PressKey(vk);
    EXPECT_TRUE(e->Focused());
    driver->PressKey(VK_RETURN);
    EXPECT_EQ(oks, 1);
    driver->PressKey(VK_ESCAPE);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(e->GetText(), "name.png");
    // Tab leaves it.
    driver->PressKey(VK_TAB);
    EXPECT_FALSE(e->Focused());
}

TEST_F(EditTest, LongTextScrollsToKeepTheCaretVisible)
{
    TEdit* e = MakeEdit("", 0, 0, 80);
    const std::string text = "a_rather_long_file_name_for_a_picture.png";
    ASSERT_GT(TextWidthIn(e, text), 2 * e->ClientWidth());
    driver->TypeText(text);
    TPoint caret;
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_EQ(GetCaretWindow(), e->Handle());
    EXPECT_TRUE(IsCaretVisible());
    EXPECT_GT(caret.X, e->ClientWidth() / 2);
    EXPECT_LT(caret.X, e->ClientWidth());
    driver->PressKey(VK_HOME);
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_EQ(caret.X, 1);
    // Deleting the text brings the view back.
    driver->PressKey(VK_END, {VK_SHIFT});
    driver->PressKey(VK_DELETE);
    driver->TypeText("ab");
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_EQ(caret.X, 1 + TextWidthIn(e, "ab"));
    // The caret goes with the focus.
    auto* other = new TEdit(form);
    other->SetParent(form);
    other->SetTop(50);
    other->SetFocus();
    driver->PumpUntilIdle();
    EXPECT_EQ(GetCaretWindow(), other->Handle());
}

TEST_F(EditTest, AHundredThousandCharacterTextStaysEditable)
{
    std::string text;
    for (int i = 0; i < 25000; ++i) text += "ab中 ";
    TEdit* e = MakeEdit(text, 0, 0, 80);
    driver->PressKey(VK_END);
    driver->TypeText("!");
    EXPECT_EQ(e->GetText(), text + "!");
    EXPECT_EQ(e->GetSelStart(), 100001);
    TPoint caret;
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_GT(caret.X, 0);
    EXPECT_LT(caret.X, e->ClientWidth());
    driver->PressKey(VK_HOME);
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_EQ(caret.X, 1);
    driver->PressKey(VK_END, {VK_SHIFT});
    driver->PumpUntilIdle();
    EXPECT_EQ(e->GetSelLength(), 100001);
    driver->TypeText("y");
    EXPECT_EQ(e->GetText(), "y");
}

TEST_F(EditTest, PaintsFrameTextSelectionAndDisabledText)
{
    TEdit* e = MakeEdit("WWWW", 0, 0);
    EXPECT_EQ(e->ClientWidth(), e->Width() - 4);            // sunken two-pixel frame
    // Pixels of the client area that pass a test (text is smoothed, so ink is
    // told by darkness rather than by one exact colour).
    auto count = [&](std::function<bool(COLORREF)> want) {
        int n = 0;
        for (int y = 0; y < e->ClientHeight(); ++y)
            for (int x = 0; x < e->ClientWidth(); ++x)
                if (want(PixelToColorRef(driver->PixelAt(e->ClientToScreen(TPoint(x, y)))))) ++n;
        return n;
    };
    auto is = [](COLORREF c) { return [c](COLORREF p) { return p == c; }; };
    auto dark = [](COLORREF p) { return GetRValue(p) < 64 && GetGValue(p) < 64 && GetBValue(p) < 64; };
    const COLORREF window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
    auto ink = [&](COLORREF p) { return p != window && p != highlight; };
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(e->ClientToScreen(TPoint(e->ClientWidth() - 3, 2)))),
              window);
    EXPECT_GT(count(dark), 10);
    EXPECT_EQ(count(is(highlight)), 0);
    e->SelectAll();
    driver->PumpUntilIdle();
    EXPECT_GT(count(is(highlight)), 10);
    // Without the focus the selection is not shown; disabled text is grey.
    e->SetEnabled(false);
    driver->PumpUntilIdle();
    EXPECT_EQ(count(is(highlight)), 0);
    EXPECT_EQ(count(dark), 0);
    EXPECT_GT(count(ink), 10);
    // No frame; right alignment puts the text at the right end.
    e->SetEnabled(true);
    e->SetBorderStyle(bsNone);
    e->SetAlignment(taRightJustify);
    EXPECT_EQ(e->ClientWidth(), e->Width());
    e->SetFocus();
    e->SetSelStart(4);
    driver->PumpUntilIdle();
    TPoint caret;
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_GE(caret.X, e->ClientWidth() - 3);
    e->SetSelStart(0);
    ASSERT_TRUE(GetCaretPos(&caret));
    EXPECT_LE(std::abs(caret.X - (e->ClientWidth() - 2 - TextWidthIn(e, "WWWW"))), 1);
}
TEST_F(EditTest, FormattingRectangleAndMarginsPlaceTheText)
{
    TEdit* e = MakeEdit("WWWW", 0, 0);
    HWND h = e->GetHandle();
    struct Case { const char* what; std::function<void()> set; int caretX; TRect area; };
    const int ch = e->ClientHeight(), cw = e->ClientWidth();
    TRect rect(30, 2, 150, ch - 1);
    const Case cases[] = {
        {"default", [] {}, 1, TRect(1, 0, cw - 1, ch)},
        {"margins", [&] { SendMessage(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(10, 6)); },
         10, TRect(10, 0, cw - 6, ch)},
        {"left margin only", [&] { SendMessage(h, EM_SETMARGINS, EC_LEFTMARGIN, MAKELPARAM(2, 99)); },
         2, TRect(2, 0, cw - 6, ch)},
        {"rectangle", [&] { SendMessage(h, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect)); },
         32, TRect(32, 2, 144, ch - 1)},
        {"rectangle reset", [&] { SendMessage(h, EM_SETRECT, 0, 0); }, 2, TRect(2, 0, cw - 6, ch)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        c.set();
        driver->PumpUntilIdle();
        TRect got;
        SendMessage(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
        EXPECT_EQ(got, c.area);
        e->SetSelStart(0);
        TPoint caret;
        ASSERT_TRUE(GetCaretPos(&caret));
        EXPECT_EQ(caret.X, c.caretX);
    }
    EXPECT_EQ(SendMessage(h, EM_GETMARGINS), MAKELPARAM(2, 6));
    // With the rectangle set, no text is drawn left of it.
    SendMessage(h, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    driver->PumpUntilIdle();
    HideCaret(h);
    auto dark = [&](int x0, int x1) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = 2; y < ch - 2; ++y)
                if (GetRValue(PixelToColorRef(driver->PixelAt(e->ClientToScreen(TPoint(x, y))))) < 128) ++n;
        return n;
    };
    EXPECT_EQ(dark(0, 31), 0);
    EXPECT_GT(dark(32, 32 + TextWidthIn(e, "WWWW")), 0);
    ShowCaret(h);
}

TEST_F(EditTest, LineBreaksSetOrPastedIntoTheEditAreRemoved)
{
    TEdit* e = MakeEdit("", 0, 0);
    struct Case { const char* what; std::function<void()> act; const char* text; };
    const Case cases[] = {
        {"set", [&] { e->SetText("one\r\ntwo\nthree"); }, "onetwothree"},
        {"paste", [&] { e->SetText(""); Clipboard()->SetAsText("中文\r\n第二行\n"); e->PasteFromClipboard(); }, "中文第二行"},
        {"replace", [&] { e->SetText("ab"); e->SetSelStart(1); e->SetSelText("x\ry"); }, "axyb"},
        {"window text", [&] { SetWindowText(e->GetHandle(), "a\nb"); }, "ab"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        c.act();
        EXPECT_EQ(e->GetText(), c.text);
    }
    // Before the window exists too.
    auto* late = new TEdit(form);
    late->SetText("x\r\ny");
    EXPECT_EQ(late->GetText(), "xy");
    late->SetParent(form);
    EXPECT_EQ(GetWindowText(late->GetHandle()), "xy");
}

TEST_F(EditTest, ReadOnlyHoldsOnEveryPath)
{
    TEdit* e = MakeEdit("keep", 0, 0);
    HWND h = e->GetHandle();
    e->SetText("keep");
    e->SelectAll();
    driver->TypeText("x");   // leaves an undo step behind
    ASSERT_TRUE(e->CanUndo());
    e->SetText("keep");
    driver->TypeText("z");
    e->SetReadOnly(true);
    const std::string before = e->GetText();
    Clipboard()->SetAsText("pasted");
    struct Case { const char* what; std::function<void()> act; };
    const Case cases[] = {
        {"typing", [&] { driver->TypeText("abc"); }},
        {"delete", [&] { e->SetSelStart(0); driver->PressKey(VK_DELETE); }},
        {"backspace", [&] { e->SetSelStart(2); driver->PressKey(VK_BACK); }},
        {"cut", [&] { e->SelectAll(); driver->PressKey('X', {VK_CONTROL}); }},
        {"shift delete", [&] { e->SelectAll(); driver->PressKey(VK_DELETE, {VK_SHIFT}); }},
        {"paste", [&] { driver->PressKey('V', {VK_CONTROL}); }},
        {"clear", [&] { e->SelectAll(); e->ClearSelection(); }},
        {"undo", [&] { driver->PressKey('Z', {VK_CONTROL}); e->Undo(); }},
        {"input method", [&] {
             SendMessage(h, WM_IME_COMPOSITION, GCS_RESULTSTR, reinterpret_cast<LPARAM>("中文"));
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        c.act();
        EXPECT_EQ(e->GetText(), before);
    }
    // Reading still works: selection and copy.
    e->SelectAll();
    e->CopyToClipboard();
    EXPECT_EQ(Clipboard()->GetAsText(), before);
}

TEST_F(EditTest, CaretBlinksOnTheClockAndShowsWhenMoved)
{
    TEdit* e = MakeEdit("abc");
    ASSERT_EQ(GetCaretWindow(), e->GetHandle());
    EXPECT_TRUE(IsCaretVisible());
    driver->AdvanceClock(540);
    EXPECT_FALSE(IsCaretVisible());
    driver->AdvanceClock(540);
    EXPECT_TRUE(IsCaretVisible());
    driver->AdvanceClock(540);
    ASSERT_FALSE(IsCaretVisible());
    driver->PressKey(VK_LEFT);   // moving the caret shows it at once
    EXPECT_TRUE(IsCaretVisible());
    driver->AdvanceClock(300);
    EXPECT_TRUE(IsCaretVisible());
    // Without the focus there is no caret and no blinking.
    auto* other = new TTestBox(form);
    other->SetBounds(10, 50, 50, 20);
    other->SetParent(form);
    other->SetFocus();
    driver->AdvanceClock(2000);
    EXPECT_NE(GetCaretWindow(), e->GetHandle());
}

TEST_F(EditTest, InputMethodCompositionShowsAtTheCaretUntilCommitted)
{
    TEdit* e = MakeEdit("ab", 1, 0);
    HWND h = e->GetHandle();
    const int caretX = 1 + TextWidthIn(e, "a");
    auto darkRight = [&] {
        int n = 0;
        for (int x = caretX + 2; x < caretX + TextWidthIn(e, "中文"); ++x)
            for (int y = 2; y < e->ClientHeight() - 2; ++y)
                if (GetRValue(PixelToColorRef(driver->PixelAt(e->ClientToScreen(TPoint(x, y))))) < 128) ++n;
        return n;
    };
    const int plain = darkRight();   // the "b" after the caret
    SendMessage(h, WM_IME_STARTCOMPOSITION);
    SendMessage(h, WM_IME_COMPOSITION, GCS_COMPSTR, reinterpret_cast<LPARAM>("中文"));
    driver->PumpUntilIdle();
    EXPECT_EQ(e->GetText(), "ab");           // shown, not yet typed
    EXPECT_GT(darkRight(), plain + 10);
    SendMessage(h, WM_IME_COMPOSITION, GCS_RESULTSTR, reinterpret_cast<LPARAM>("中文"));
    SendMessage(h, WM_IME_ENDCOMPOSITION);
    driver->PumpUntilIdle();
    EXPECT_EQ(e->GetText(), "a中文b");
    EXPECT_EQ(e->GetSelStart(), 3);
    // A composition that is given up leaves nothing behind.
    SendMessage(h, WM_IME_COMPOSITION, GCS_COMPSTR, reinterpret_cast<LPARAM>("x"));
    SendMessage(h, WM_IME_ENDCOMPOSITION);
    EXPECT_EQ(e->GetText(), "a中文b");
}

// An edit that asks for a see-through background, as a transparent wrapper does.
class TSeeThroughEdit : public TEdit
{
public:
    using TEdit::TEdit;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CN_CTLCOLOREDIT)
        {
            SetBkMode(reinterpret_cast<HDC>(m.WParam), TRANSPARENT);
            m.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            return;
        }
        TEdit::Dispatch(m);
    }
};

TEST_F(EditTest, TransparentTextOverTheParentsBackground)
{
    form = MakeForm(300, 120);
    form->SetColor(clRed);
    auto* e = new TSeeThroughEdit(form);
    e->SetBorderStyle(bsNone);
    e->SetBounds(10, 10, 200, 21);
    e->SetParent(form);
    e->SetText("iii");
    form->Show();
    driver->PumpUntilIdle();
    // Where no text is, the form's red shows through.
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(e->ClientToScreen(TPoint(150, 10)))), ColorToRGB(clRed));
}

TEST_F(EditTest, MaskedEditFollowsItsMaskAndIsPlainWithoutOne)
{
    form = MakeForm(300, 120);
    auto* e = new TMaskEdit(form);
    e->SetBounds(10, 10, 200, 21);
    e->SetParent(form);
    form->Show();
    e->SetFocus();
    // No mask: the plain edit.
    driver->TypeText("any text 1");
    EXPECT_EQ(e->GetText(), "any text 1");
    struct Case { const char* mask; const char* typed; const char* shown; const char* text; bool complete; };
    const Case cases[] = {
        {"00:00;1;_", "12x34", "12:34", "12:34", true},
        {"00:00;0;_", "1", "1_:__", "1", false},
        {"!99/99;1; ", "7", "7 /  ", "7 /", true},
        {">LL-000;0;*", "ab123", "AB-123", "AB123", true},
        {"\\A000;1;_", "A5", "A5__", "A5", false},      // the escaped A is a literal: typing skips it
        {"0;1;_", "x", "_", "", false},                 // refused characters leave the place empty
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mask);
        e->SetEditMask(c.mask);
        e->SetText("");
        e->SetSelStart(0);
        driver->TypeText(c.typed);
        EXPECT_EQ(e->GetEditText(), c.shown);
        EXPECT_EQ(e->GetText(), c.text);
        EXPECT_EQ(e->IsComplete(), c.complete);
    }
    // Backspace and Delete blank places and keep the literals; set text lands in the places.
    e->SetEditMask("00:00;1;_");
    e->SetText("12:34");
    EXPECT_EQ(e->GetEditText(), "12:34");
    e->SetSelStart(3);
    driver->PressKey(VK_BACK);
    EXPECT_EQ(e->GetEditText(), "1_:34");
    driver->PressKey(VK_DELETE);
    EXPECT_EQ(e->GetEditText(), "1_:34");   // the caret stayed on the emptied place
    e->SetSelStart(3);
    driver->PressKey(VK_DELETE);
    EXPECT_EQ(e->GetEditText(), "1_:_4");
    e->SetReadOnly(true);
    driver->TypeText("9");
    EXPECT_EQ(e->GetEditText(), "1_:_4");
    // Back to no mask: plain again.
    e->SetReadOnly(false);
    e->SetEditMask("");
    e->SetText("free");
    EXPECT_EQ(e->GetText(), "free");
}

} // namespace
