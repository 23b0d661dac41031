// Forms and the application: modal loops ended through the test driver,
// synchronised calls from threads during a modal loop, the message hook
// stack, the default exception handler, close handling, timers and hints.
#include "common/when_idle.h"
#include "gui_test_util.h"

#include <atomic>
#include <thread>

#include "platform/core/MainThread.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/sys/Process.h"

#include <filesystem>
#include <fstream>

namespace
{

TEST_F(GuiTest, ShowModalEndedByClickThroughTheDriver)
{
    TForm* main = MakeForm(300, 200, "Main");
    main->Show();
    TForm* dlg = MakeForm(200, 100, "Dlg");
    dlg->SetPosition(poMainFormCenter);
    auto* ok = new TTestBox(dlg);
    ok->SetName("OkBox");
    ok->SetBounds(10, 10, 60, 25);
    ok->SetParent(dlg);
    ok->OnClick = [&](TObject*) { dlg->SetModalResult(mrOk); };
    bool mainEnabledDuring = true;
    WhenIdle([&] { return dlg->Showing(); },
             [&] {
                 mainEnabledDuring = IsWindowEnabled(main->GetHandle()) != 0;
                 driver->Click(driver->FindByName("OkBox"));
             });
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    EXPECT_FALSE(mainEnabledDuring);
    EXPECT_TRUE(IsWindowEnabled(main->GetHandle()));
    EXPECT_FALSE(dlg->Showing());
    EXPECT_FALSE(dlg->Modal());
    // A visible form cannot go modal.
    dlg->Show();
    EXPECT_THROW(dlg->ShowModal(), EInvalidOperation);
}

TEST_F(GuiTest, ModalCloseQueryAndEscapeCloseBox)
{
    TForm* dlg = MakeForm(200, 100, "Dlg");
    int queries = 0;
    dlg->OnCloseQuery = [&](TObject*, bool& can) { can = ++queries > 1; };   // refuses once
    std::vector<TCloseAction> actions;
    dlg->OnClose = [&](TObject*, TCloseAction& a) { actions.push_back(a); };
    WhenIdle([&] { return dlg->Showing(); }, [&] {
        PostMessage(dlg->GetHandle(), WM_CLOSE);       // Cancel, refused by the query
        WhenIdle([&] { return queries == 1; }, [&] { PostMessage(dlg->GetHandle(), WM_CLOSE); });
    });
    EXPECT_EQ(dlg->ShowModal(), mrCancel);
    EXPECT_EQ(queries, 2);
    EXPECT_EQ(actions, std::vector<TCloseAction>{caHide});
}

TEST_F(GuiTest, SynchronizeFromThreadsDuringModalLoop)
{
    TForm* dlg = MakeForm(200, 100, "Dlg");
    constexpr int kThreads = 6, kCalls = 40;
    std::atomic<int> finished{0};
    int counter = 0;   // touched on the GUI thread only
    std::vector<std::thread> threads;
    bool allOnGui = true;
    dlg->OnShow = [&](TObject*) {
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < kCalls; ++i)
                    RunOnMainThread([&] {
                        if (!IsMainThread()) allOnGui = false;
                        ++counter;
                    }, true);
                if (++finished == kThreads) RunOnMainThread([&] { dlg->SetModalResult(mrOk); }, false);
            });
    };
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, kThreads * kCalls);
    EXPECT_TRUE(allOnGui);
}

TEST_F(GuiTest, BoxShownFromASynchronisedCallKeepsServingOtherThreads)
{
    // A worker reports a failed task: the GUI thread shows the plain box from
    // inside the synchronised call while another worker keeps synchronising.
    Application->Title = "Quorvel";
    std::atomic<int> served{0};
    std::atomic<bool> reporterDone{false};
    std::thread other;
    int result = 0;
    std::thread reporter([&] {
        RunOnMainThread([&] { result = Application->MessageBox("Task 3 failed", Application->Title, MB_OK | MB_ICONWARNING); },
                        true);
        reporterDone = true;
    });
    bool started = false;
    SetIdleHook([&] {
        HWND ok = driver->FindByName("OK");
        if (!ok) return false;
        if (!started)
        {
            started = true;
            other = std::thread([&] {
                for (int i = 0; i < 20; ++i) RunOnMainThread([&] { ++served; }, true);
            });
            return true;
        }
        if (served < 20) return false;
        EXPECT_EQ(GetWindowText(GetAncestor(ok, GA_ROOT)), "Quorvel");
        driver->Click(ok);
        return true;
    });
    while (!reporterDone) Application->HandleMessage();
    reporter.join();
    other.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(served, 20);
}

TEST_F(GuiTest, MessageHookStackRemovedOutOfOrder)
{
    TForm* f = MakeForm();
    f->Show();
    const UINT kMsg = WM_USER + 77;
    std::vector<std::string> seen;
    int dispatched = 0;
    TWndMethod old = f->WindowProc;
    f->WindowProc = [&, old](TMessage& m) {
        if (m.Msg == kMsg) ++dispatched;
        old(m);
    };
    auto hook = [&](const std::string& name, bool handle) {
        return [&, name, handle](TMsg& m, bool& handled) {
            if (m.message != kMsg) return;
            seen.push_back(name);
            if (handle && m.wParam == 1) handled = true;
        };
    };
    const TMessageHookToken a = Application->HookOnMessage(hook("A", false));
    const TMessageHookToken b = Application->HookOnMessage(hook("B", true));
    const TMessageHookToken c = Application->HookOnMessage(hook("C", false));
    struct Step { std::function<void()> change; WPARAM wp; std::vector<std::string> expect; int dispatched; };
    const Step steps[] = {
        {[] {}, 0, {"C", "B", "A"}, 1},                              // newest first, then dispatched
        {[] {}, 1, {"C", "B"}, 0},                                   // B handles: stops there
        {[&] { Application->UnhookOnMessage(b); }, 1, {"C", "A"}, 1}, // the middle one goes first
        {[&] { Application->UnhookOnMessage(c); }, 0, {"A"}, 1},
        {[&] { Application->UnhookOnMessage(a); }, 0, {}, 1},
    };
    for (const Step& s : steps)
    {
        s.change();
        seen.clear();
        dispatched = 0;
        PostMessage(f->GetHandle(), kMsg, s.wp);
        Application->ProcessMessages();
        EXPECT_EQ(seen, s.expect);
        EXPECT_EQ(dispatched, s.dispatched);
    }
    EXPECT_EQ(Application->MessageHookCount(), 0);
    // A hook that keeps the message from older hooks (a menu's keyboard hook).
    Application->HookOnMessage(hook("old", false));
    const TMessageHookToken menu = Application->HookOnMessage(hook("menu", false), false);
    seen.clear();
    PostMessage(f->GetHandle(), kMsg, 0);
    Application->ProcessMessages();
    EXPECT_EQ(seen, std::vector<std::string>{"menu"});
    Application->UnhookOnMessage(menu);
    Application->UnhookOnMessage(12345);   // unknown token: nothing happens
}

TEST_F(GuiTest, DefaultExceptionHandlerShowsBoxAndLoopGoesOn)
{
    Application->Title = "Quorvel";
    TForm* f = MakeForm(300, 200, "Main");
    auto* b = new TTestBox(f);
    b->SetName("Bad");
    b->SetBounds(10, 10, 60, 25);
    b->SetParent(f);
    int clicks = 0;
    b->OnClick = [&](TObject*) {
        if (++clicks == 1) throw Exception("Something failed");
    };
    f->Show();
    std::string boxText, boxCaption;
    WhenIdle([&] { return driver->FindByName("OK") != nullptr; }, [&] {
        HWND ok = driver->FindByName("OK");
        HWND box = GetAncestor(ok, GA_ROOT);
        boxCaption = GetWindowText(box);
        driver->Click(ok);
    });
    driver->Click(driver->FindByName("Bad"));
    EXPECT_EQ(boxCaption, "Quorvel");
    EXPECT_EQ(clicks, 1);
    // The program goes on: the next click works and the form is usable.
    driver->Click(driver->FindByName("Bad"));
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(f->Showing());
    // OnException replaces the box; EAbort is silent.
    std::vector<std::string> errors;
    Application->OnException = [&](TObject*, std::exception_ptr e) {
        try { std::rethrow_exception(e); } catch (const std::exception& x) { errors.push_back(x.what()); }
    };
    b->OnClick = [&](TObject*) { throw Exception("second"); };
    driver->Click(driver->FindByName("Bad"));
    b->OnClick = [&](TObject*) { throw EAbort(); };
    driver->Click(driver->FindByName("Bad"));
    EXPECT_EQ(errors, std::vector<std::string>{"second"});
}

TEST_F(GuiTest, MessageBoxButtonsAndKeys)
{
    struct Case { UINT flags; std::string press; int key; int expect; };
    const Case cases[] = {
        {MB_OK, "OK", 0, IDOK},
        {MB_OKCANCEL, "Cancel", 0, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, "No", 0, IDNO},
        {MB_YESNOCANCEL, "", VK_ESCAPE, IDCANCEL},
        {MB_OK | MB_ICONSTOP, "", VK_ESCAPE, IDOK},
        {MB_YESNO | MB_DEFBUTTON2, "", VK_RETURN, IDNO},
        {MB_RETRYCANCEL, "", VK_RETURN, IDRETRY},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.flags);
        WhenIdle([&] { return driver->FindByName(c.press.empty() ? "OK" : c.press) || driver->FindByName("Yes") ||
                               driver->FindByName("Retry"); },
                 [&] {
                     if (!c.press.empty()) driver->Click(driver->FindByName(c.press));
                     else driver->PressKey(c.key);
                 });
        EXPECT_EQ(PlainMessageBox("Text of the box\nsecond line, 中文", "Caption", c.flags), c.expect);
        EXPECT_EQ(Screen->FormCount(), 0);
    }
}

TEST_F(GuiTest, CloseMainFormTerminatesAndOtherFormsHideOrFree)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    int created = 0;
    TForm* second = nullptr;
    Application->CreateForm(second);
    EXPECT_EQ(Application->MainForm(), main);
    second->OnClose = [&](TObject*, TCloseAction& a) { a = caFree; };
    bool destroyed = false;
    second->OnDestroy = [&](TObject*) { destroyed = true; };
    main->OnCreate = [&](TObject*) { ++created; };
    main->AfterConstruction();            // already created: not again
    EXPECT_EQ(created, 0);
    second->Show();
    second->Close();                      // freed once the loop runs again
    EXPECT_FALSE(destroyed);
    Application->ProcessMessages();
    EXPECT_TRUE(destroyed);
    WhenIdle([&] { return main->Showing(); }, [&] { main->Close(); });
    Application->Run();                   // ends when the main form closes
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(GuiTest, MinimizeAndRestoreTheApplication)
{
    TForm* main = nullptr;
    Application->CreateForm(main);
    TForm* tool = nullptr;
    Application->CreateForm(tool);
    main->Show();
    tool->Show();
    int minimized = 0, restored = 0;
    Application->OnMinimize = [&](TObject*) { ++minimized; };
    Application->OnRestore = [&](TObject*) { ++restored; };
    // The main form's minimize command minimizes the whole program.
    SendMessage(main->GetHandle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Application->Minimized());
    EXPECT_TRUE(IsIconic(main->GetHandle()));
    EXPECT_FALSE(tool->Showing());
    EXPECT_EQ(main->GetWindowState(), wsMinimized);
    Application->Minimize();                 // already: nothing more
    EXPECT_EQ(minimized, 1);
    Application->Restore();
    EXPECT_FALSE(IsIconic(main->GetHandle()));
    EXPECT_TRUE(tool->Showing());
    EXPECT_EQ(restored, 1);
    // A form freed while minimized is not shown again.
    Application->Minimize();
    delete tool;
    Application->Restore();
    EXPECT_TRUE(main->Showing());
}

TEST_F(GuiTest, SizeLimitsHoldForCallsAndUserSizing)
{
    TForm* f = MakeForm(300, 200);
    f->Constraints.MinWidth = 200;
    f->Constraints.MaxWidth = 400;
    f->SetBounds(100, 100, 250, 250);
    f->Show();
    f->SetWidth(1000);
    EXPECT_EQ(f->Width(), 400);
    f->SetWidth(10);
    EXPECT_EQ(f->Width(), 200);
    // Dragging the right edge of the frame.
    const TPoint edge = TTestDriver::WindowPoint(f->GetHandle(), TPoint(f->Width() - 2, 100));
    driver->Drag(edge, TPoint(edge.X + 500, edge.Y));
    EXPECT_EQ(f->Width(), 400);
    const TPoint edge2 = TTestDriver::WindowPoint(f->GetHandle(), TPoint(f->Width() - 2, 100));
    driver->Drag(edge2, TPoint(edge2.X - 350, edge2.Y));
    EXPECT_EQ(f->Width(), 200);
}

TEST_F(GuiTest, HelpContextOpensTheHelpFileThroughTheSystem)
{
    struct Recorder : sys::ILauncher
    {
        std::vector<std::vector<std::string>> calls;
        bool Launch(const std::vector<std::string>& argv, bool) override
        {
            calls.push_back(argv);
            return true;
        }
    };
    auto rec = std::make_shared<Recorder>();
    auto old = sys::SetLauncher(rec);
    const std::string file = (std::filesystem::temp_directory_path() / "quorvel help 帮助.html").string();
    { std::ofstream(file) << "<html></html>"; }
    EXPECT_FALSE(Application->HelpContext(5));             // no help file: nothing
    Application->HelpFile = file;
    EXPECT_TRUE(Application->HelpContext(5));
    ASSERT_EQ(rec->calls.size(), 1u);
    EXPECT_EQ(rec->calls[0].back(), file);
    Application->HelpFile = file + ".missing";
    EXPECT_FALSE(Application->HelpContext(5));
    int asked = 0;
    Application->OnHelp = [&](UINT, int data, bool& call) { asked = data; call = false; return true; };
    EXPECT_TRUE(Application->HelpContext(7));
    EXPECT_EQ(asked, 7);
    EXPECT_EQ(rec->calls.size(), 1u);
    sys::SetLauncher(old);
    std::filesystem::remove(file);
}

TEST_F(GuiTest, TimerOnTheVirtualClock)
{
    TForm* f = MakeForm();
    auto* t = new TTimer(f);
    int ticks = 0;
    t->SetInterval(100);
    t->SetOnTimer([&](TObject*) { ++ticks; });
    driver->AdvanceClock(350);
    EXPECT_EQ(ticks, 3);
    t->SetEnabled(false);
    driver->AdvanceClock(500);
    EXPECT_EQ(ticks, 3);
    t->SetEnabled(true);
    t->SetInterval(50);
    driver->AdvanceClock(120);
    EXPECT_EQ(ticks, 5);
    delete t;                             // a freed timer fires no more
    driver->AdvanceClock(500);
    EXPECT_EQ(ticks, 5);
}

TEST_F(GuiTest, HintShowsAfterPauseAndHides)
{
    TForm* f = MakeForm();
    auto* b = new TTestBox(f);
    b->SetBounds(10, 10, 60, 25);
    b->SetParent(f);
    b->SetHint("Short|Long text");
    b->SetShowHint(true);
    std::string shown;
    Application->OnShowHint = [&](std::string& s, bool& can, THintInfo& info) {
        shown = s;
        EXPECT_EQ(info.HintControl, b);
        can = true;
    };
    f->Show();
    driver->MoveTo(b->ClientToScreen(TPoint(5, 5)));
    EXPECT_EQ(Application->Hint, "Long text");
    driver->AdvanceClock(Application->HintPause - 100);
    EXPECT_TRUE(shown.empty());
    driver->AdvanceClock(200);
    EXPECT_EQ(shown, "Short");
    ASSERT_NE(Application->HintWindow(), nullptr);
    EXPECT_TRUE(Application->HintWindow()->IsHintShown());
    EXPECT_EQ(Application->HintWindow()->GetText(), "Short");
    driver->AdvanceClock(Application->HintHidePause + 10);
    EXPECT_FALSE(Application->HintWindow()->IsHintShown());
    // A control without ShowHint shows none.
    b->SetShowHint(false);
    shown.clear();
    driver->MoveTo(f->ClientToScreen(TPoint(200, 200)));
    driver->MoveTo(b->ClientToScreen(TPoint(6, 6)));
    driver->AdvanceClock(1000);
    EXPECT_TRUE(shown.empty());
    // A hint window class of the program's own serves the hints from then on.
    struct TMyHint : THintWindow { using THintWindow::THintWindow; };
    Application->SetHintWindowClass([](TComponent* o) -> THintWindow* { return new TMyHint(o); });
    Application->SetShowHint(false);
    Application->SetShowHint(true);
    b->SetShowHint(true);
    driver->MoveTo(f->ClientToScreen(TPoint(200, 200)));
    driver->MoveTo(b->ClientToScreen(TPoint(7, 7)));
    driver->AdvanceClock(Application->HintPause + 10);
    EXPECT_NE(dynamic_cast<TMyHint*>(Application->HintWindow()), nullptr);
    EXPECT_EQ(shown, "Short");
    // Near the corner of the screen the hint stays on the work area.
    f->SetBounds(1280 - 120, 994 - 60, 120, 60);
    b->SetBounds(0, 0, 100, 30);
    b->SetHint("A rather long hint text that needs room");
    driver->MoveTo(TPoint(10, 10));
    driver->MoveTo(b->ClientToScreen(TPoint(90, 20)));
    driver->AdvanceClock(Application->HintPause + 10);
    TRect hr;
    GetWindowRect(Application->HintWindow()->GetHandle(), &hr);
    EXPECT_LE(hr.Right, 1280);
    EXPECT_LE(hr.Bottom, 994);
    EXPECT_GE(hr.Left, 0);
}

TEST_F(GuiTest, ScreenFormsMonitorsAndStayOnTop)
{
    driver->SetMonitors({{TRect(0, 0, 1280, 1024), TRect(0, 0, 1280, 994), true},
                         {TRect(1280, 0, 2304, 768), TRect(1280, 0, 2304, 768), false}});
    TForm* a = MakeForm(100, 100, "A");
    TForm* b = MakeForm(100, 100, "B");
    EXPECT_EQ(Screen->FormCount(), 2);
    EXPECT_EQ(Screen->MonitorCount(), 2);
    EXPECT_TRUE(Screen->Monitors(0)->Primary);
    EXPECT_EQ(Screen->Monitors(1)->BoundsRect, TRect(1280, 0, 2304, 768));
    EXPECT_EQ(Screen->WorkAreaRect(), TRect(0, 0, 1280, 994));
    EXPECT_EQ(Screen->Width(), 1280);
    EXPECT_THROW(Screen->Monitors(2), EListError);
    b->SetFormStyle(fsStayOnTop);
    b->SetPosition(poScreenCenter);
    std::vector<std::string> appEvents;
    Application->OnActivate = [&](TObject*) { appEvents.push_back("activate"); };
    Application->OnDeactivate = [&](TObject*) { appEvents.push_back("deactivate"); };
    a->Show();
    b->Show();
    a->BringToFront();
    // Moving between the program's own forms is no activation of the program.
    EXPECT_EQ(appEvents, std::vector<std::string>{"activate"});
    EXPECT_TRUE(GetWindowLong(b->GetHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetTopWindow(nullptr), b->GetHandle());   // stays above the active form
    EXPECT_EQ(Screen->ActiveForm(), a);
    const TRect r = b->BoundsRect();
    EXPECT_EQ(r.Left + r.Width() / 2, 640);
    delete b;
    EXPECT_EQ(Screen->FormCount(), 1);
}
} // namespace
