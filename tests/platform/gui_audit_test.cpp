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
