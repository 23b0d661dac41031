// Form and application protocol cases: destroy events of forms built in code,
// message hooks that remove themselves (and others) while they run.
#include "gui_test_util.h"

TEST_F(GuiTest, FormsBuiltInCodeTellTheirDestroyHandler)
{
    // A dialog built in code (not through CreateForm), freed by Close with caFree
    // and by deleting it directly.
    struct Case { bool throughClose; };
    for (const Case c : {Case{true}, Case{false}})
    {
        TForm* dlg = MakeForm(200, 100, "Dialog");
        int destroyed = 0;
        dlg->OnDestroy = [&](TObject* sender) {
            EXPECT_EQ(sender, dlg);
            ++destroyed;
        };
        dlg->Show();
        const int before = Screen->FormCount();
        if (c.throughClose)
        {
            dlg->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
            dlg->Close();
            EXPECT_EQ(destroyed, 0) << "freed only once the loop runs again";
            Application->ProcessMessages();
        }
        else
            delete dlg;
        EXPECT_EQ(destroyed, 1);
        EXPECT_EQ(Screen->FormCount(), before - 1);
    }
}

TEST_F(GuiTest, MessageHooksMayRemoveThemselvesAndOthersWhileRunning)
{
    TForm* f = MakeForm();
    f->Show();
    const UINT kMsg = WM_USER + 78;
    std::vector<std::string> seen;
    TMessageHookToken a = 0, b = 0, c = 0;
    a = Application->HookOnMessage([&](TMsg& m, bool&) { if (m.message == kMsg) seen.push_back("A"); });
    b = Application->HookOnMessage([&](TMsg& m, bool&) {
        if (m.message != kMsg) return;
        seen.push_back("B");
        Application->UnhookOnMessage(b);   // a closing menu drops its own hook …
        Application->UnhookOnMessage(a);   // … and an older one goes with it
    });
    c = Application->HookOnMessage([&](TMsg& m, bool&) {
        if (m.message != kMsg) return;
        seen.push_back("C");
        // Installed while the message is on its way: sees the next one.
        Application->HookOnMessage([&](TMsg& m2, bool&) { if (m2.message == kMsg) seen.push_back("D"); });
        Application->UnhookOnMessage(c);
    });
    PostMessage(f->GetHandle(), kMsg);
    Application->ProcessMessages();
    EXPECT_EQ(seen, (std::vector<std::string>{"C", "B"})) << "a removed hook is not called";
    EXPECT_EQ(Application->MessageHookCount(), 1);
    seen.clear();
    PostMessage(f->GetHandle(), kMsg);
    Application->ProcessMessages();
    EXPECT_EQ(seen, (std::vector<std::string>{"D"}));
}

// A control freed by its own mouse event (a menu level that a click on one of
// its items closes) ends the message's handling there: nothing touches it after.
TEST_F(GuiTest, ControlsFreedByTheirOwnMouseEvents)
{
    enum Kind { Windowed, Graphic, TopLevel };
    enum Event { Down, Up, Click, DblClick, Move };
    struct Case { Kind kind; Event event; };
    const Case cases[] = {
        {Windowed, Down}, {Windowed, Up}, {Windowed, Click}, {Windowed, DblClick}, {Windowed, Move},
        {Graphic, Down},  {Graphic, Up},  {Graphic, Click},  {Graphic, DblClick},
        {TopLevel, Down}, {TopLevel, Up}, {TopLevel, Click},
    };
    TForm* f = MakeForm();
    f->Show();
    for (const Case& c : cases)
    {
        TControl* victim = nullptr;
        if (c.kind == TopLevel)
        {
            auto* p = new TForm(f);
            p->SetBorderStyle(bsNone);
            p->SetBounds(700, 600, 80, 60);
            p->Show();
            victim = p;
        }
        else
        {
            victim = c.kind == Windowed ? static_cast<TControl*>(new TTestBox(f)) : new TTestGraphic(f);
            victim->SetBounds(10, 10, 60, 40);
            victim->SetParent(f);
        }
        driver->PumpUntilIdle();
        bool freed = false;
        auto kill = [&] {
            if (freed) return;
            freed = true;
            delete victim;
        };
        switch (c.event)
        {
        case Down: victim->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { kill(); }; break;
        case Up: victim->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { kill(); }; break;
        case Click: victim->OnClick = [&](TObject*) { kill(); }; break;
        case DblClick: victim->OnDblClick = [&](TObject*) { kill(); }; break;
        case Move: victim->OnMouseMove = [&](TObject*, TShiftState, int, int) { kill(); }; break;
        }
        const TPoint at = c.kind == TopLevel ? TPoint(720, 620) : driver->ClientPoint(f->GetHandle(), TPoint(30, 30));
        driver->AdvanceClock(1000);   // no double click with the previous case
        if (c.event == DblClick) driver->DoubleClick(at);
        else if (c.event == Move) { driver->MoveTo(TPoint(at.X + 3, at.Y + 3)); driver->MoveTo(at); }
        else driver->Click(at);
        EXPECT_TRUE(freed) << c.kind << "/" << c.event;
        if (!freed) delete victim;
        EXPECT_EQ(f->ControlCount(), 0) << c.kind << "/" << c.event;
        driver->MoveTo(TPoint(5, 5));   // away from the form for the next case
    }
}

// The same for a focused control freed by its own key events.
TEST_F(GuiTest, ControlsFreedByTheirOwnKeyEvents)
{
    enum Event { Down, Press, Up };
    TForm* f = MakeForm();
    f->Show();
    for (Event e : {Down, Press, Up})
    {
        auto* box = new TTestBox(f);
        box->SetParent(f);
        f->SetActiveControl(box);
        driver->PumpUntilIdle();
        ASSERT_TRUE(box->Focused());
        bool freed = false;
        auto kill = [&] {
            if (freed) return;
            freed = true;
            delete box;
        };
        if (e == Down) box->OnKeyDown = [&](TObject*, WORD&, TShiftState) { kill(); };
        if (e == Press) box->OnKeyPress = [&](TObject*, char32_t&) { kill(); };
        if (e == Up) box->OnKeyUp = [&](TObject*, WORD&, TShiftState) { kill(); };
        driver->PressKey('A');
        EXPECT_TRUE(freed) << e;
        if (!freed) delete box;
        EXPECT_EQ(f->ControlCount(), 0) << e;
    }
}
