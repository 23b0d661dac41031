// The skinned message boxes without a skin: the geometry of label, icon,
// button row and check box for the usual button sets, the results of Enter,
// Escape, clicks and closing the window, the Help button that leaves the box
// open, the caption texts from a string table and their fallbacks, the
// show-again flag and the positioned call.
#include "lib/bsMessages.h"
#include "common/when_idle.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{

TbsSkinButton* Button(TbsMessageForm* f, const std::string& name)
{
    return dynamic_cast<TbsSkinButton*>(f->FindComponent(name));
}

class MessageTest : public SkinCtrlTest
{
protected:
    void TearDown() override
    {
        SetIdleHook(nullptr);
        SkinCtrlTest::TearDown();
    }
    // The message box's window while one is open.
    static TbsMessageForm* BoxForm()
    {
        for (int i = 0; Screen && i < Screen->FormCount(); ++i)
            if (auto* f = dynamic_cast<TbsMessageForm*>(Screen->Forms(i)); f && f->HandleAllocated()) return f;
        return nullptr;
    }
    static HWND Box() { return BoxForm() ? BoxForm()->Handle() : nullptr; }
    // A box is open and not yet answered.
    static bool Open() { return BoxShowing() && BoxForm()->GetModalResult() == mrNone; }
    static bool BoxShowing() { return Box() && IsWindowVisible(Box()); }
    // Answers the next box with `act` once it shows.
    void Answer(std::function<void()> act)
    {
        WhenIdle([this] { return BoxShowing(); }, std::move(act));
    }
    TbsSkinMessage msg{nullptr};
};
}  // namespace

TEST_F(MessageTest, GeometryOfTheButtonSetsTextsAndCheckBox)
{
    const std::string wide(400, 'W');
    struct Case
    {
        const char* name;
        std::string text;
        TMsgDlgButtons buttons;
        bool checkBox;
    } cases[] = {
        {"ok", "Conversion finished.", {mbOK}, false},
        {"yesno", "Overwrite the file?", {mbYes, mbNo}, false},
        {"abort-retry-ignore", "The device is busy.", {mbAbort, mbRetry, mbIgnore}, false},
        {"empty set", "Please wait", {}, false},
        {"short text, long row", "x", {mbYes, mbNo, mbOK, mbCancel, mbAll}, false},
        {"wide text", wide, {mbOK}, false},
        {"chinese, two lines", "文件已经存在。\n是否覆盖？", {mbYes, mbNo}, false},
        {"check box", "Done.", {mbOK}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        msg.ShowAgainFlag = c.checkBox;
        TbsMessageBoxRequest r;
        r.Msg = c.text;
        r.DlgType = mtWarning;
        r.Buttons = c.buttons;
        auto f = msg.BuildMessageForm(r);
        TbsSkinStdLabel* label = f->Message;
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->GetText(), c.text);
        EXPECT_EQ(TPoint(label->Left(), label->Top()), TPoint(50, 15));
        EXPECT_GT(label->Width(), 0);
        const int lh = label->Height(), lr = 50 + label->Width();
        int n = 0;
        for (int k = mbYes; k <= mbClose; ++k) n += c.buttons.Contains(TMsgDlgBtn(k));
        const int row = n ? 70 * n + 10 * (n - 1) : 0;
        const int ch = 25 + lh + 50 + (c.checkBox ? 40 : 0);
        EXPECT_EQ(f->ClientHeight(), ch);
        if (c.text == wide)
        {
            // Cut to the work area; the row centres on what is left.
            EXPECT_EQ(f->Width(), Screen->WorkAreaWidth());
            EXPECT_LT(f->ClientWidth(), lr + 40);
        }
        else if (!c.checkBox)
        {
            EXPECT_EQ(f->ClientWidth(), std::max(lr, row) + 40);
        }
        // The icon sits on the label's middle line, never above y = 10.
        auto* image = dynamic_cast<TImage*>(f->FindComponent("Image"));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->BoundsRect(), Bounds(5, std::max(15 + lh / 2 - 16, 10), 32, 32));
        EXPECT_EQ(image->Picture()->GetWidth(), 32);
        // The buttons: 70 x 25 in kind order, 80 apart, centred, 10 above the bottom.
        int x = (f->ClientWidth() - row) / 2, count = 0;
        for (int k = mbYes; k <= mbClose; ++k)
        {
            auto* b = Button(f.get(), bsMessageButtonName(TMsgDlgBtn(k)));
            ASSERT_EQ(b != nullptr, c.buttons.Contains(TMsgDlgBtn(k))) << k;
            if (!b) continue;
            ++count;
            EXPECT_EQ(b->BoundsRect(), Bounds(x, ch - 35, 70, 25)) << b->Name();
            EXPECT_EQ(b->GetText(), bsMessageButtonCaption(TMsgDlgBtn(k)));
            x += 80;
        }
        EXPECT_EQ(count, n);
        if (c.checkBox)
        {
            ASSERT_NE(f->DisplayCheckBox, nullptr);
            EXPECT_EQ(f->DisplayCheckBox->Top(), lh + 40);
            EXPECT_EQ(f->DisplayCheckBox->Left(), 5);
            EXPECT_EQ(f->DisplayCheckBox->Height(), 30);
            EXPECT_GE(f->ClientWidth(), f->DisplayCheckBox->Width() + 5);
            EXPECT_EQ(f->DisplayCheckBox->GetText(), "Do not display this message again");
        }
        else EXPECT_EQ(f->DisplayCheckBox, nullptr);
    }
}

TEST_F(MessageTest, DefaultAndCancelButtonsOfEachSet)
{
    struct Case
    {
        TMsgDlgButtons buttons;
        const char* def;
        const char* cancel;
    } cases[] = {
        {{mbOK}, "OK", "OK"},
        {{mbYes, mbNo}, "Yes", "No"},
        {{mbAbort, mbRetry, mbIgnore}, "Retry", ""},
        {{mbOK, mbCancel}, "OK", "Cancel"},
        {{mbYes, mbNo, mbCancel}, "Yes", "Cancel"},
        {{mbIgnore}, "", ""},
    };
    for (const Case& c : cases)
    {
        TbsMessageBoxRequest r;
        r.Buttons = c.buttons;
        auto f = msg.BuildMessageForm(r);
        for (int k = mbYes; k <= mbClose; ++k)
            if (auto* b = Button(f.get(), bsMessageButtonName(TMsgDlgBtn(k))))
            {
                EXPECT_EQ(b->Default(), b->Name() == c.def) << b->Name();
                EXPECT_EQ(b->Cancel, b->Name() == c.cancel) << b->Name();
            }
    }
}

TEST_F(MessageTest, KeysClicksAndClosingGiveTheResults)
{
    struct Case
    {
        const char* name;
        TMsgDlgButtons buttons;
        std::vector<int> keys;   // pressed in turn (an accelerator letter with Alt)
        const char* click;       // then clicked, when given
        bool closeWindow;        // then the window is closed
        int expect;
    } cases[] = {
        {"ok enter", {mbOK}, {VK_RETURN}, nullptr, false, mrOk},
        {"ok escape", {mbOK}, {VK_ESCAPE}, nullptr, false, mrOk},
        {"yes-no enter", {mbYes, mbNo}, {VK_RETURN}, nullptr, false, mrYes},
        {"yes-no escape", {mbYes, mbNo}, {VK_ESCAPE}, nullptr, false, mrNo},
        {"retry is the default", {mbAbort, mbRetry, mbIgnore}, {VK_RETURN}, nullptr, false, mrRetry},
        {"no cancel button: escape does nothing", {mbAbort, mbRetry, mbIgnore}, {VK_ESCAPE}, "Ignore", false, mrIgnore},
        {"accelerator", {mbAbort, mbRetry, mbIgnore}, {'A'}, nullptr, false, mrAbort},
        {"accelerator of a later button", {mbYes, mbNoToAll}, {'O'}, nullptr, false, mrNoToAll},
        {"close kind", {mbClose}, {}, "Close", false, mrClose},
        {"all kinds", {mbNoToAll, mbYesToAll, mbAll}, {}, "YesToAll", false, mrYesToAll},
        {"empty set: keys do nothing, closing cancels", {}, {VK_RETURN, VK_ESCAPE}, nullptr, true, mrCancel},
        {"closing answers as the cancel button", {mbYes, mbNo}, {}, nullptr, true, mrNo},
        {"closing a box with only OK", {mbOK}, {}, nullptr, true, mrOk},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Answer([&] {
            for (int k : c.keys)
                if (k >= 'A' && k <= 'Z') driver->PressKey(k, {VK_MENU});
                else driver->PressKey(k);
            if (c.click && Open()) driver->Click(driver->FindByName(c.click));
            // Closing also ends a box that the steps left open by mistake.
            if (Open())
            {
                EXPECT_TRUE(c.closeWindow) << "the box stayed open";
                PostMessage(Box(), WM_CLOSE, 0, 0);
            }
        });
        EXPECT_EQ(msg.MessageDlg("Question?", mtConfirmation, c.buttons, 0), c.expect);
        EXPECT_EQ(Box(), nullptr);
    }
}

TEST_F(MessageTest, HelpButtonAsksTheHelpSystemAndLeavesTheBoxOpen)
{
    std::vector<int> contexts;
    Application->OnHelp = [&](UINT, int data, bool& callHelp) {
        contexts.push_back(data);
        callHelp = false;
        return true;
    };
    std::string helpFile;
    bool openAfterHelp = false;
    Answer([&] {
        driver->Click(driver->FindByName("Help"));
        openAfterHelp = BoxShowing();
        helpFile = Screen->ActiveForm() ? Screen->ActiveForm()->HelpFile : "";
        driver->Click(driver->FindByName("OK"));
    });
    EXPECT_EQ(msg.MessageDlgHelp("Need help?", mtInformation, {mbOK, mbHelp}, 42, "/usr/share/help/q.html"), mrOk);
    EXPECT_TRUE(openAfterHelp);
    EXPECT_EQ(contexts, std::vector<int>{42});
    EXPECT_EQ(helpFile, "/usr/share/help/q.html");
}

TEST_F(MessageTest, CaptionsFromTheStringTableAndTheirFallbacks)
{
    TbsSkinData store;   // no skin loaded: the texts do not depend on one
    msg.SetCtrlSkinData(&store);
    msg.ShowAgainFlag = true;
    TbsMessageBoxRequest r;
    r.Buttons = {mbYes, mbNo};
    r.DlgType = mtError;
    auto texts = [&](TbsMessageForm* f) {
        return std::vector<std::string>{f->GetText(), Button(f, "Yes")->GetText(), Button(f, "No")->GetText(),
                                        f->DisplayCheckBox->GetText()};
    };
    // A store without a table: the built-in texts.
    EXPECT_EQ(texts(msg.BuildMessageForm(r).get()),
              (std::vector<std::string>{"Error", "&Yes", "&No", "Do not display this message again"}));
    // A table with other texts.
    TbsResourceStrData table;
    table.SetResStrings(std::vector<std::string>{"MSG_BTN_YES=是(&Y)", "MSG_BTN_NO=否(&N)", "MSG_CAP_ERROR=错误",
                                                 "MSG_CAP_SHOWFLAG=不再显示此消息"});
    store.SetResourceStrData(&table);
    EXPECT_EQ(texts(msg.BuildMessageForm(r).get()),
              (std::vector<std::string>{"错误", "是(&Y)", "否(&N)", "不再显示此消息"}));
    // A table that lacks the keys: empty captions, but the check box keeps its text.
    table.SetResStrings(std::vector<std::string>{"OTHER=x"});
    EXPECT_EQ(texts(msg.BuildMessageForm(r).get()),
              (std::vector<std::string>{"", "", "", "Do not display this message again"}));
    // The given caption wins; mtCustom takes the application's title and shows no icon.
    Application->Title = "Quorvel MTS";
    r.DlgType = mtCustom;
    auto f = msg.BuildMessageForm(r);
    EXPECT_EQ(f->GetText(), "Quorvel MTS");
    EXPECT_EQ(dynamic_cast<TImage*>(f->FindComponent("Image"))->Picture()->GetWidth(), 0);
    EXPECT_EQ(f->Message->Left(), 50);
    r.Caption = "提示";
    EXPECT_EQ(msg.BuildMessageForm(r)->GetText(), "提示");
    store.SetResourceStrData(nullptr);
}

TEST_F(MessageTest, ShowAgainFlagRoundTrip)
{
    msg.ShowAgainFlag = true;
    struct Case
    {
        bool in;
        bool toggle;
        bool out;
    } cases[] = {{false, false, false}, {false, true, true}, {true, false, true}, {true, true, false}};
    for (const Case& c : cases)
    {
        msg.ShowAgainFlagValue = c.in;
        bool startedTicked = false;
        Answer([&] {
            auto* box = dynamic_cast<TbsMessageForm*>(Screen->ActiveForm());
            startedTicked = box && box->DisplayCheckBox->Checked();
            if (c.toggle) driver->Click(driver->FindByName("checkbox"));
            driver->Click(driver->FindByName("OK"));
        });
        EXPECT_EQ(msg.MessageDlg2("保存完成", "提示", mtInformation, {mbOK}, 0), mrOk);
        EXPECT_EQ(startedTicked, !c.in);
        EXPECT_EQ(msg.ShowAgainFlagValue, c.out);
    }
    // The wide-text calls show no check box and leave the flag alone.
    msg.ShowAgainFlagValue = true;
    bool hadBox = true;
    Answer([&] {
        hadBox = driver->FindByName("checkbox") != nullptr;
        driver->PressKey(VK_RETURN);
    });
    EXPECT_EQ(msg.WideMessageDlg("wide", mtWarning, {mbOK}, 0), mrOk);
    EXPECT_FALSE(hadBox);
    EXPECT_TRUE(msg.ShowAgainFlagValue);
}

TEST_F(MessageTest, PositionedCallsAndTheShowPositionEvent)
{
    std::vector<TRect> asked;
    msg.OnSetShowPos = [&](int& x, int& y, int w, int h) {
        asked.push_back(Bounds(x, y, w, h));
        x = 30;
        y = 40;
    };
    TPoint shownAt;
    auto answer = [&] {
        Answer([&] {
            TRect r;
            GetWindowRect(Box(), &r);
            shownAt = TPoint(r.Left, r.Top);
            driver->PressKey(VK_RETURN);
        });
    };
    answer();
    EXPECT_EQ(msg.MessageDlgPos("here", mtInformation, {mbOK}, 0, 200, 100), mrOk);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(TPoint(asked[0].Left, asked[0].Top), TPoint(200, 100));
    EXPECT_EQ(shownAt, TPoint(30, 40));
    // A centred positioned call still asks; the unpositioned calls do not.
    answer();
    msg.CustomMessageDlgPos("centred", "c", nullptr, 0, {mbOK}, 0, bsMessageCentred, bsMessageCentred);
    EXPECT_EQ(asked.size(), 2u);
    answer();
    msg.MessageDlg("plain", mtInformation, {mbOK}, 0);
    answer();
    msg.WideMessageDlgPos("wide", mtInformation, {mbOK}, 0, 10, 10);
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(MessageTest, ImageListIconOnlyForAValidIndex)
{
    TImageList images(24, 24);
    TBitmap b(24, 24, pf32bit);
    images.AddMasked(&b, clDefault);
    for (int index : {-1, 0, 1})
    {
        TbsMessageBoxRequest r;
        r.FromImages = true;
        r.Images = &images;
        r.ImageIndex = index;
        r.Buttons = {mbOK};
        auto f = msg.BuildMessageForm(r);
        auto* image = dynamic_cast<TImage*>(f->FindComponent("Image"));
        ASSERT_EQ(image != nullptr, index == 0) << index;
        if (image)
        {
            EXPECT_EQ(image->BoundsRect(), Bounds(5, 15 + f->Message->Height() / 2 - 16, 24, 24));
        }
    }
    TbsMessageBoxRequest none;
    none.FromImages = true;
    EXPECT_EQ(msg.BuildMessageForm(none)->FindComponent("Image"), nullptr);
}

TEST_F(MessageTest, TheBoxFadesInToItsTransparencyThroughItsFrame)
{
    TbsSkinData menus;
    msg.SetCtrlSkinData(&menus);
    msg.AlphaBlend = true;
    msg.AlphaBlendAnimation = true;
    msg.AlphaBlendValue = 180;
    int steps = 0;
    BYTE alpha = 255;
    bool framed = false;
    Answer([&] {
        TbsMessageForm* f = BoxForm();
        framed = f->BSF->AlphaBlend() && f->BSF->AlphaBlendAnimation && f->BSF->MenusSkinData() == &menus;
        driver->AdvanceClock(200);   // the fade starts from the first timer tick
        driver->PumpUntilIdle();
        steps = f->BSF->FadeStepCount();
        GetLayeredWindowAttributes(Box(), nullptr, &alpha, nullptr);
        driver->PressKey(VK_RETURN);
    });
    EXPECT_EQ(msg.MessageDlg("淡入", mtInformation, {mbOK}, 0), mrOk);
    EXPECT_TRUE(framed);
    EXPECT_GT(steps, 1) << "faded in, not shown at once";
    EXPECT_EQ(alpha, 180);
}

TEST_F(MessageTest, ATextTallerThanTheWorkAreaScrollsAndTheButtonsStayOnTheScreen)
{
    // A short text is held whole.
    TbsMessageBoxRequest small;
    small.Msg = "Done.";
    small.Buttons = {mbOK};
    EXPECT_EQ(msg.BuildMessageForm(small)->MessageBox, nullptr);

    std::string text;
    for (int i = 0; i < 1000; ++i) text += "第 " + std::to_string(i) + " 行 line of a long report\n";
    msg.ShowAgainFlag = true;
    TRect box, ok, check, view;
    bool labelInView = false, barShown = false;
    int labelHeight = 0, range = 0, scrolledTop = 0;
    Answer([&] {
        TbsMessageForm* f = BoxForm();
        box = f->BoundsRect();
        ok = Button(f, "OK")->BoundsRect();
        check = f->DisplayCheckBox->BoundsRect();
        ASSERT_NE(f->MessageBox, nullptr);
        view = f->MessageBox->BoundsRect();
        labelInView = f->Message->Parent() == f->MessageBox && f->Message->Top() == 0;
        labelHeight = f->Message->Height();
        barShown = f->MessageScrollBar->GetVisible();
        range = f->MessageScrollBar->Max() - f->MessageScrollBar->Min();
        driver->PressKey(VK_END);
        scrolledTop = f->Message->Top();
        driver->PressKey(VK_RETURN);
    });
    EXPECT_EQ(msg.MessageDlg(text, mtInformation, {mbOK}, 0), mrOk);
    const TRect work = Screen->WorkAreaRect();
    EXPECT_GE(box.Top, work.Top);
    EXPECT_LE(box.Bottom, work.Bottom);
    EXPECT_LE(box.Height(), work.Height());
    // The text above the check box, the check box above the buttons, all inside.
    EXPECT_TRUE(labelInView);
    EXPECT_LE(view.Bottom, check.Top);
    EXPECT_LE(check.Bottom, ok.Top);
    EXPECT_GT(view.Height(), 0);
    EXPECT_TRUE(barShown);
    EXPECT_GE(range, labelHeight - view.Height());
    // End shows the last lines: the text moved up by what does not fit.
    EXPECT_EQ(scrolledTop, -(labelHeight - view.Height()));
}
