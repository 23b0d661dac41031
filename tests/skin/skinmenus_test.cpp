// Skinned popup menus in their default look on a headless desktop: where a
// level opens near each work-area edge, its size, the sub-menu wait on the
// virtual clock, the order of the notices when an item is chosen, keyboard
// paths through nested levels, Escape, scrolling, separators, closing on a
// press elsewhere, the application hook stack, and the form's system menu.
#include "lib/bsSkinForm.h"
#include "lib/bsSkinHint.h"
#include "platform/gui/StdCtrls.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
// A control that records the skinned-menu notices it receives.
class TNoticeControl : public TCustomControl
{
public:
    explicit TNoticeControl(TComponent* AOwner, std::vector<std::string>* log) : TCustomControl(AOwner), Log(log) {}
    std::vector<std::string>* Log;

protected:
    void WndProc(TMessage& m) override
    {
        if (m.Msg == BSM_SKINMENU_CLOSED) Log->push_back("control closed");
        if (m.Msg == BSM_SKINMENU_COMMANDDONE) Log->push_back("command done");
        TCustomControl::WndProc(m);
    }
};

class SkinMenuTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        form = new TForm(Application);
        form->SetCaption("菜单 Menus");
        sf = new TbsSkinForm(form);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
        menu = new TbsSkinPopupMenu(form);
        driver->PumpUntilIdle();
    }
    // An empty store: the default look, but menus opened for a control
    // need a store.
    void EmptyStore() { menu->SetSkinData(new TbsSkinData(form)); }
    TMenuItem* Add(TMenuItem* parent, const std::string& caption, std::vector<std::string>* log = nullptr)
    {
        auto* mi = new TMenuItem(form);
        mi->SetCaption(caption);
        if (log) mi->OnClick = [log, caption](TObject*) { log->push_back("click " + caption); };
        parent->Add(mi);
        return mi;
    }
    // n items "Item 0" ... at the menu's root.
    void Fill(int n)
    {
        for (int i = 0; i < n; ++i) Add(menu->Items(), "Item " + std::to_string(i));
    }
    TbsSkinPopupWindow* Level(int i) { return sf->SkinMenu->Level(i); }
    int Levels() { return sf->SkinMenu->LevelCount(); }
    TRect Bounds(TbsSkinPopupWindow* w) { return TRect(w->Left(), w->Top(), w->Left() + w->Width(), w->Top() + w->Height()); }
    TPoint ItemPoint(int level, int item)
    {
        TbsSkinPopupWindow* w = Level(level);
        const TRect r = w->Item(item)->ObjectRect;
        return TPoint(w->Left() + (r.Left + r.Right) / 2, w->Top() + (r.Top + r.Bottom) / 2);
    }
    void Key(int vk)
    {
        driver->PressKey(vk);
        driver->PumpUntilIdle();
    }
    TForm* form = nullptr;
    TbsSkinForm* sf = nullptr;
    TbsSkinPopupMenu* menu = nullptr;
};
}  // namespace

TEST_F(SkinMenuTest, DefaultLevelSizeFromItemsSeparatorsAndLimit)
{
    Fill(3);
    Add(menu->Items(), "-");
    Add(menu->Items(), "Item 3");   // the separator sits between items: it stays
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    // Four items of 20 and a separator of 4 in a frame of 4.
    EXPECT_EQ(Level(0)->Height(), 4 * 20 + 4 + 4);
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();

    // Twelve items, five shown: the markers take 10 pixels each.
    menu->Items()->Clear();
    Fill(12);
    sf->SkinMenu->MaxMenuItemsInWindow = 5;
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->Height(), 5 * 20 + 4 + 20);
    EXPECT_TRUE(Level(0)->Scroll);
    EXPECT_EQ(Level(0)->VisibleCount, 5);
    EXPECT_EQ(Bounds(Level(0)).TopLeft(), TPoint(200, 200));   // placed like an unlimited one
    sf->SkinMenu->Hide();
    sf->SkinMenu->MaxMenuItemsInWindow = 0;

    // Two lists in one level (the bar's overflow with a merged menu): two
    // pixels more frame; the second list goes on from StartIndex - count.
    auto* second = new TbsSkinPopupMenu(form);
    Add(second->Items(), "Child 0");
    Add(second->Items(), "-");
    Add(second->Items(), "Child 1");
    sf->SkinMenu->Popup2(nullptr, nullptr, 11, TRect(200, 200, 200, 200), menu->Items(), second->Items(), false);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    ASSERT_EQ(Level(0)->ItemCount(), 4);
    EXPECT_EQ(Level(0)->Item(0)->MenuItem->Caption(), "Item 11");
    EXPECT_EQ(Level(0)->Item(1)->MenuItem->Caption(), "Child 0");
    EXPECT_EQ(Level(0)->Height(), 3 * 20 + 4 + 6);
}

TEST_F(SkinMenuTest, ItemKindsAndTheirDefaultLook)
{
    const struct
    {
        const char* caption;
        bool enabled, separator, header;
    } kinds[] = {
        {"&Open", true, false, false},   {"-", true, true, false},    {"-标题-", false, false, true},
        {"-标题-", true, false, false},  {"", true, false, false},    {"--", false, false, true},
        {"&Xoff", false, false, false},  {"End", true, false, false},
    };
    for (const auto& k : kinds) Add(menu->Items(), k.caption)->SetEnabled(k.enabled);
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    ASSERT_EQ(Level(0)->ItemCount(), int(std::size(kinds)));
    for (int i = 0; i < Level(0)->ItemCount(); ++i)
    {
        SCOPED_TRACE(kinds[i].caption);
        EXPECT_EQ(Level(0)->Item(i)->IsSeparator(), kinds[i].separator);
        EXPECT_EQ(Level(0)->Item(i)->IsHeader(), kinds[i].header);
    }
    // The morph factor stays within 0..1.
    TbsSkinMenuItem* first = Level(0)->Item(0);
    first->SetMorphKf(1.3);
    EXPECT_EQ(first->MorphKf(), 1.0);
    first->SetMorphKf(-0.1);
    EXPECT_EQ(first->MorphKf(), 0.0);

    // Default look: the hot item framed in navy and filled in the hot
    // colour, a header filled with the shadow colour; the accelerator of a
    // disabled leaf makes it hot (and runs nothing).
    auto pixel = [&](int item, int dx, int dy) {
        const TRect r = Level(0)->Item(item)->ObjectRect;
        return PixelToColorRef(driver->PixelAt(TPoint(Level(0)->Left() + r.Left + dx, Level(0)->Top() + r.Top + dy)));
    };
    EXPECT_EQ(Level(0)->ActiveItem, 0);
    EXPECT_EQ(pixel(0, 0, 0), RGB(0, 0, 128));
    EXPECT_EQ(pixel(0, 3, 3), RGB(182, 189, 210));
    EXPECT_EQ(pixel(2, 1, 1), ColorToRGB(clBtnShadow));
    Key('X');
    EXPECT_EQ(Level(0)->ActiveItem, 6);
    EXPECT_EQ(Levels(), 1);
    EXPECT_EQ(pixel(6, 3, 3), RGB(182, 189, 210));
    EXPECT_EQ(pixel(0, 3, 3), ColorToRGB(clBtnFace));
}

TEST_F(SkinMenuTest, SeparatorsAreReducedOnAutomaticMenus)
{
    Add(menu->Items(), "-");
    Fill(2);
    Add(menu->Items(), "-");
    Add(menu->Items(), "-");
    Add(menu->Items(), "Last");
    Add(menu->Items(), "-");
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    std::vector<std::string> shown;
    for (int i = 0; i < Level(0)->ItemCount(); ++i) shown.push_back(Level(0)->Item(i)->MenuItem->Caption());
    EXPECT_EQ(shown, (std::vector<std::string>{"Item 0", "Item 1", "-", "Last"}));
}

TEST_F(SkinMenuTest, PlacementNearEveryWorkAreaEdge)
{
    // One 1280 x 1024 monitor, work area (0, 0, 1280, 994); half = 497.
    const struct
    {
        const char* what;
        int items;        // of 20 pixels, frame 4
        TPoint at;
        bool up;
        TPoint expect;    // top-left of the level; x -1: any
        int height;
    } cases[] = {
        {"fits below and right", 3, {200, 200}, false, {200, 200}, 64},
        {"right edge: pushed left", 3, {1270, 200}, false, {-1, 200}, 64},
        {"left of the work area: to its edge", 3, {-50, 200}, false, {0, 200}, 64},
        {"bottom, lower half: above the point", 3, {600, 980}, false, {600, 980 - 64}, 64},
        {"upward when it fits", 3, {600, 500}, true, {600, 500 - 64}, 64},
        {"upward at the top, upper half: below", 3, {600, 20}, true, {600, 20}, 64},
        {"upper half, too tall for below: ends at the bottom, beside", 40, {300, 300}, false, {301, 994 - 804}, 804},
        {"taller than the work area: cut, at the top, beside", 60, {300, 300}, false, {301, 0}, 994},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        menu->Items()->Clear();
        Fill(c.items);
        menu->PopupFromRect(TRect(c.at.X, c.at.Y, c.at.X, c.at.Y), c.up);
        driver->PumpUntilIdle();
        ASSERT_EQ(Levels(), 1);
        const TRect b = Bounds(Level(0));
        EXPECT_EQ(b.Height(), c.height);
        if (c.expect.X >= 0) EXPECT_EQ(b.Left, c.expect.X);
        else EXPECT_EQ(b.Right, 1280);
        EXPECT_EQ(b.Top, c.expect.Y);
        sf->SkinMenu->Hide();
        driver->PumpUntilIdle();
    }
}

TEST_F(SkinMenuTest, SubMenuOpensBesideItsItemAndFlipsAtTheRightEdge)
{
    for (int x : {200, 1150})
    {
        SCOPED_TRACE(x);
        menu->Items()->Clear();
        TMenuItem* sub = Add(menu->Items(), "Sub");
        Add(sub, "Inner 0");
        Add(sub, "Inner 1");
        menu->Popup(x, 300);
        driver->PumpUntilIdle();
        Key(VK_RIGHT);
        ASSERT_EQ(Levels(), 2);
        const TRect parent = Bounds(Level(0));
        const TRect child = Bounds(Level(1));
        const TRect item = Level(0)->Item(0)->ObjectRect;
        // The first inner item is level with the parent item.
        EXPECT_EQ(child.Top + Level(1)->NewItemsRect.Top, parent.Top + item.Top);
        if (x == 200) EXPECT_EQ(child.Left, parent.Left + item.Right + 1);
        else EXPECT_EQ(child.Right, parent.Left + item.Left - 1);
        sf->SkinMenu->Hide();
        driver->PumpUntilIdle();
    }
}

TEST_F(SkinMenuTest, SubMenuOpensAfterTheHoverWait)
{
    std::vector<std::string> log;
    Add(menu->Items(), "Leaf", &log);
    TMenuItem* sub = Add(menu->Items(), "Sub", &log);
    Add(sub, "Inner", &log);
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    // The first usable item is hot but nothing opens.
    EXPECT_EQ(Level(0)->ActiveItem, 0);
    driver->MoveTo(ItemPoint(0, 1));
    driver->AdvanceClock(50);   // the level polls the cursor
    EXPECT_EQ(Level(0)->ActiveItem, 1);
    driver->AdvanceClock(400);
    EXPECT_EQ(Levels(), 1);
    // Moving away before the wait ends cancels it.
    driver->MoveTo(ItemPoint(0, 0));
    driver->AdvanceClock(600);
    EXPECT_EQ(Levels(), 1);
    driver->MoveTo(ItemPoint(0, 1));
    driver->AdvanceClock(50);
    driver->AdvanceClock(500);
    ASSERT_EQ(Levels(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"click Sub"}));   // the sub-menu item's own click first
    EXPECT_TRUE(Level(0)->Item(1)->Down);
}

TEST_F(SkinMenuTest, ChoosingALeafClosesEverythingBeforeTheCommand)
{
    std::vector<std::string> log;
    EmptyStore();
    auto* ctrl = new TNoticeControl(form, &log);
    ctrl->SetParent(form);
    ctrl->SetBounds(10, 10, 50, 20);
    sf->OnSkinMenuClose = [&](TObject*) { log.push_back("form closed"); };
    menu->OnMenuClose = [&](TObject* s) {
        log.push_back("menu close");
        EXPECT_EQ(s, sf->SkinMenu);
    };
    TMenuItem* go = Add(menu->Items(), "Go");
    go->OnClick = [&](TObject*) {
        log.push_back("click Go");
        EXPECT_EQ(Levels(), 0);
        EXPECT_FALSE(sf->InMenu());
    };
    const int hooks = Application->MessageHookCount();
    menu->Popup2(ctrl, 200, 200);
    driver->PumpUntilIdle();
    EXPECT_EQ(Application->MessageHookCount(), hooks + 1);
    driver->Click(ItemPoint(0, 0));
    driver->PumpUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"control closed", "menu close", "form closed", "click Go", "command done"}));
    EXPECT_EQ(Application->MessageHookCount(), hooks);
    // The one-shot close event does not fire for the next menu.
    log.clear();
    menu->OnMenuClose = nullptr;
    sf->PopupSkinMenu(menu, TPoint(300, 300));
    Key(VK_ESCAPE);
    EXPECT_EQ(log, (std::vector<std::string>{"form closed"}));
}

TEST_F(SkinMenuTest, KeyboardPathsThroughNestedLevels)
{
    std::vector<std::string> log;
    Add(menu->Items(), "&Open", &log);
    TMenuItem* off = Add(menu->Items(), "Disabled", &log);
    off->SetEnabled(false);
    TMenuItem* sub = Add(menu->Items(), "&More", &log);
    Add(sub, "First", &log);
    TMenuItem* deeper = Add(sub, "&Deeper", &log);
    Add(deeper, "&Snapshot", &log);
    Add(deeper, "Other", &log);
    TMenuItem* offLeaf = Add(deeper, "&Xoff", &log);
    offLeaf->SetEnabled(false);

    const struct
    {
        const char* what;
        std::vector<int> keys;
        std::vector<std::string> clicks;
        int levelsLeft;
    } cases[] = {
        {"Down skips the disabled item, Enter runs", {VK_DOWN, VK_RETURN}, {"click &More"}, 2},
        {"Up from the first wraps to the last", {VK_UP, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN},
         {"click &More", "click &Deeper", "click Other"}, 0},
        {"accelerators open and choose", {'M', 'D', 'S'}, {"click &More", "click &Deeper", "click &Snapshot"}, 0},
        {"Left and Escape close one level each", {'M', VK_DOWN, VK_RIGHT, VK_LEFT, VK_ESCAPE},
         {"click &More", "click &Deeper"}, 1},
        {"Left on the first level does nothing", {VK_LEFT}, {}, 1},
        {"an accelerator of a disabled leaf runs nothing", {'M', VK_DOWN, VK_RIGHT, 'X'},
         {"click &More", "click &Deeper"}, 3},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        log.clear();
        sf->PopupSkinMenu(menu, TPoint(200, 200));
        driver->PumpUntilIdle();
        for (int k : c.keys) Key(k);
        EXPECT_EQ(log, c.clicks);
        EXPECT_EQ(Levels(), c.levelsLeft);
        sf->SkinMenu->Hide();
        driver->PumpUntilIdle();
        EXPECT_FALSE(sf->InMenu());
    }
}

TEST_F(SkinMenuTest, EscapeClosesOneLevelAtATimeAndRestoresTheHook)
{
    TMenuItem* sub = Add(menu->Items(), "Sub");
    Add(sub, "Inner");
    const int hooks = Application->MessageHookCount();
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    Key(VK_RIGHT);
    ASSERT_EQ(Levels(), 2);
    EXPECT_TRUE(sf->AppHooked());
    Key(VK_ESCAPE);
    EXPECT_EQ(Levels(), 1);
    EXPECT_FALSE(Level(0)->Item(0)->Down);
    EXPECT_TRUE(sf->AppHooked());
    Key(VK_ESCAPE);
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(sf->AppHooked());
    EXPECT_FALSE(sf->InMenu());
    EXPECT_EQ(Application->MessageHookCount(), hooks);
}

TEST_F(SkinMenuTest, HooksComeOffInAnyOrderAndThePreviewHookKeepsWorking)
{
    int previewSaw = 0;
    const int base = Application->MessageHookCount();
    const TMessageHookToken preview = Application->HookOnMessage([&](TMsg& m, bool&) {
        if (m.message == WM_KEYUP) ++previewSaw;
    });
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 100, 20);
    combo->Items()->Add("a");
    combo->Items()->Add("b");
    driver->PumpUntilIdle();
    Fill(2);
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    combo->SetDroppedDown(true);   // its hook is now above the menu's
    ASSERT_TRUE(combo->GetDroppedDown());
    const int withAll = Application->MessageHookCount();
    Key(VK_ESCAPE);                // the menu's hook goes first, out of order
    EXPECT_EQ(Levels(), 0);
    EXPECT_EQ(Application->MessageHookCount(), withAll - 1);
    EXPECT_TRUE(combo->GetDroppedDown());
    const int before = previewSaw;
    Key('A');
    EXPECT_GT(previewSaw, before);
    combo->SetDroppedDown(false);
    EXPECT_EQ(Application->MessageHookCount(), base + 1);
    // A new menu hooks on top of the preview hook and leaves it alone.
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    Key(VK_DOWN);
    EXPECT_GT(previewSaw, before + 1);
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();
    Application->UnhookOnMessage(preview);
    EXPECT_EQ(Application->MessageHookCount(), base);
}

TEST_F(SkinMenuTest, APressElsewhereClosesTheMenuAndTheRightButtonRunsNothing)
{
    std::vector<std::string> log;
    Add(menu->Items(), "A", &log);
    Add(menu->Items(), "B", &log);
    menu->Popup(450, 150);
    driver->PumpUntilIdle();
    // A right-button click selects and runs nothing.
    driver->Click(ItemPoint(0, 1), backend::TMouseButton::Right);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->ActiveItem, 1);
    EXPECT_TRUE(log.empty());
    // A press on the form's client area closes it.
    driver->Press(TTestDriver::ClientPoint(form->Handle(), TPoint(20, 20)));
    driver->PumpUntilIdle();
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(sf->InMenu());
    driver->Release(TTestDriver::ClientPoint(form->Handle(), TPoint(20, 20)));
    // And so does a press on another form of the program.
    auto* other = new TForm(Application);
    other->SetBounds(700, 600, 200, 150);
    other->Show();
    driver->PumpUntilIdle();
    form->SetFocus();
    driver->PumpUntilIdle();
    menu->Popup(450, 150);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    driver->Click(TTestDriver::CenterOf(other->Handle()));
    driver->PumpUntilIdle();
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(sf->InMenu());
    EXPECT_TRUE(log.empty());
}

TEST_F(SkinMenuTest, Resting_on_the_down_marker_scrolls_to_the_end_and_back)
{
    Fill(12);
    sf->SkinMenu->MaxMenuItemsInWindow = 5;
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    TbsSkinPopupWindow* w = Level(0);
    const TRect b = Bounds(w);
    driver->MoveTo(TPoint(b.Left + 40, b.Top + w->NewItemsRect.Bottom - 4));
    driver->AdvanceClock(50);
    EXPECT_EQ(w->ScrollCode, 2);
    driver->AdvanceClock(100);
    EXPECT_EQ(w->VisibleStartIndex, 1);
    driver->AdvanceClock(2000);
    EXPECT_EQ(w->VisibleStartIndex, 7);   // items 7 to 11 shown
    EXPECT_EQ(w->ScrollCode, 0);
    EXPECT_FALSE(w->Item(0)->FVisible);
    EXPECT_TRUE(w->Item(11)->FVisible);
    driver->MoveTo(TPoint(b.Left + 40, b.Top + w->NewItemsRect.Top + 4));
    driver->AdvanceClock(50);
    driver->AdvanceClock(300);
    EXPECT_EQ(w->VisibleStartIndex, 4);
    // The keyboard wraps: Up from the first usable item of the list.
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    Key(VK_UP);
    EXPECT_EQ(Level(0)->ActiveItem, 11);
    EXPECT_EQ(Level(0)->VisibleStartIndex, 7);
    Key(VK_DOWN);
    EXPECT_EQ(Level(0)->ActiveItem, 0);
    EXPECT_EQ(Level(0)->VisibleStartIndex, 0);
}

TEST_F(SkinMenuTest, HandlersThatFreeTheControlOrTheMenuAreSafe)
{
    // The command frees the control that opened the menu: it is not told
    // that the command ran.
    std::vector<std::string> log;
    EmptyStore();
    auto* ctrl = new TNoticeControl(form, &log);
    ctrl->SetParent(form);
    TMenuItem* go = Add(menu->Items(), "Go");
    go->OnClick = [&](TObject*) {
        log.push_back("click");
        delete ctrl;
    };
    menu->Popup2(ctrl, 200, 200);
    driver->PumpUntilIdle();
    Key(VK_RETURN);
    EXPECT_EQ(log, (std::vector<std::string>{"control closed", "click"}));

    // The close notice frees the popup menu and its items: the command,
    // taken before, finds no menu and nothing runs.
    bool ran = false;
    go->OnClick = [&](TObject*) { ran = true; };
    menu->OnMenuClose = [&](TObject*) {
        delete menu;
        menu = nullptr;
    };
    menu->Popup(200, 200);
    driver->PumpUntilIdle();
    Key(VK_RETURN);
    EXPECT_FALSE(ran);
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(sf->InMenu());
}

TEST_F(SkinMenuTest, ACommandThatFreesTheFormIsSafe)
{
    // The form goes with its component, the controller, the levels (one of
    // them still inside the message that chose the item) and the menu.
    const int hooks = Application->MessageHookCount();
    for (bool byMouse : {false, true})
    {
        SCOPED_TRACE(byMouse ? "mouse" : "key");
        if (!form)
        {
            form = new TForm(Application);
            sf = new TbsSkinForm(form);
            form->SetBounds(100, 100, 400, 300);
            form->Show();
            menu = new TbsSkinPopupMenu(form);
        }
        int ran = 0;
        TMenuItem* go = Add(menu->Items(), "Go");
        go->OnClick = [&](TObject*) {
            // The handler goes with the item: nothing of it is used after.
            ++ran;
            TForm* f = form;
            form = nullptr;
            delete f;
        };
        menu->Popup(200, 200);
        driver->PumpUntilIdle();
        ASSERT_EQ(Levels(), 1);
        if (byMouse) driver->Click(ItemPoint(0, 0));
        else Key(VK_RETURN);
        driver->PumpUntilIdle();
        EXPECT_EQ(ran, 1);
        EXPECT_EQ(form, nullptr);
        EXPECT_EQ(Application->MessageHookCount(), hooks);
    }
}

TEST_F(SkinMenuTest, SystemMenuOnTheCaptionFollowsTheWindowState)
{
    const TPoint cap = TTestDriver::WindowPoint(form->Handle(), TPoint(60, 10));
    driver->Click(cap, backend::TMouseButton::Right);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    auto names = [&] {
        std::vector<std::string> n;
        for (int i = 0; i < Level(0)->ItemCount(); ++i) n.push_back(Level(0)->Item(i)->MenuItem->Name());
        return n;
    };
    EXPECT_EQ(names(), (std::vector<std::string>{"BSF_MINITEM", "BSF_MAXITEM", "BSF_ROLLUP", "", "BSF_CLOSE"}));
    EXPECT_EQ(Bounds(Level(0)).TopLeft(), cap);
    // A press outside closes it.
    driver->Click(TTestDriver::ClientPoint(form->Handle(), TPoint(50, 50)));
    EXPECT_EQ(Levels(), 0);

    form->SetWindowState(wsMaximized);
    driver->PumpUntilIdle();
    sf->PopupSystemMenuAt(300, 300);
    driver->PumpUntilIdle();
    EXPECT_EQ(names(), (std::vector<std::string>{"BSF_MINITEM", "BSF_RESTORE", "BSF_ROLLUP", "", "BSF_CLOSE"}));
    // Choosing Restore restores.
    Key('R');
    EXPECT_EQ(form->GetWindowState(), wsNormal);

    // A user's system menu gets the standard items once, however often shown.
    auto* user = new TPopupMenu(form);
    auto* own = new TMenuItem(form);
    own->SetCaption("关于 About");
    user->Items()->Add(own);
    sf->SetSystemMenu(user);
    for (int i = 0; i < 2; ++i)
    {
        sf->PopupSystemMenuAt(300, 300);
        driver->PumpUntilIdle();
        sf->SkinMenu->Hide();
        driver->PumpUntilIdle();
    }
    std::vector<std::string> n;
    for (int i = 0; i < user->Items()->Count(); ++i) n.push_back(user->Items()->Items(i)->Name());
    EXPECT_EQ(n, (std::vector<std::string>{"BSF_MINITEM", "BSF_MAXITEM", "BSF_ROLLUP", "", "BSF_CLOSE"}));
    sf->UseDefaultSysMenu = false;
    user->Items()->Clear();
    user->Items()->Add(new TMenuItem(form));
    EXPECT_EQ(sf->GetSystemMenuItems()->Count(), 1);
}

TEST_F(SkinMenuTest, TheSystemMenuButtonStaysDownUntilItsMenuCloses)
{
    auto* button = dynamic_cast<TbsSkinButtonObject*>(sf->ObjectList[std::size_t(sf->GetIndex("sysmenubutton"))].get());
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->Visible && button->Enabled);
    const TRect r = button->ObjectRect;
    const TPoint on = TTestDriver::WindowPoint(form->Handle(), TPoint(r.Left + 4, r.Top + 4));
    const TPoint under = TTestDriver::WindowPoint(form->Handle(), TPoint(r.Left, r.Bottom));
    Fill(1);
    for (bool byKey : {true, false})
    {
        SCOPED_TRACE(byKey ? "Escape" : "a press on the form");
        driver->MoveTo(on);
        driver->PumpUntilIdle();
        driver->Press(on);
        driver->PumpUntilIdle();
        // Open on the press, under the button; the release keeps it down.
        ASSERT_EQ(Levels(), 1);
        EXPECT_EQ(Bounds(Level(0)).TopLeft(), under);
        driver->Release(on);
        driver->PumpUntilIdle();
        EXPECT_EQ(Levels(), 1);
        EXPECT_TRUE(button->FDown);
        if (byKey) Key(VK_ESCAPE);
        else driver->Click(TTestDriver::ClientPoint(form->Handle(), TPoint(100, 100)));
        EXPECT_EQ(Levels(), 0);
        EXPECT_FALSE(button->FDown);
        EXPECT_FALSE(sf->InMenu());
    }
    // Alt+Space opens it under the button too, without pressing it.
    driver->MoveTo(TTestDriver::ClientPoint(form->Handle(), TPoint(100, 100)));
    driver->PressKey(VK_SPACE, {VK_MENU});
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Bounds(Level(0)).TopLeft(), under);
    EXPECT_FALSE(button->FDown);
    Key(VK_ESCAPE);
    // With DisableSystemMenu the caption's right click shows nothing.
    sf->DisableSystemMenu = true;
    driver->Click(TTestDriver::WindowPoint(form->Handle(), TPoint(60, 10)), backend::TMouseButton::Right);
    driver->PumpUntilIdle();
    EXPECT_EQ(Levels(), 0);
}

TEST_F(SkinMenuTest, CaptionObjectHintsGoThroughTheSkinnedHintAndMenusHideThem)
{
    Application->SetMainForm(form);
    sf->SetSkinData(new TbsSkinData(form));   // an empty store: default hints
    driver->PumpUntilIdle();
    auto* hint = new TbsSkinHint(form);
    sf->SetSkinHint(hint);
    sf->ShowObjectHint = true;
    Application->HintPause = 500;
    Application->HintHidePause = 5000;
    const TRect r = sf->ObjectList[std::size_t(sf->GetIndex("closebutton"))]->ObjectRect;
    driver->MoveTo(TTestDriver::WindowPoint(form->Handle(), TPoint(r.Left + 4, r.Top + 4)));
    driver->PumpUntilIdle();
    driver->AdvanceClock(50);   // the form polls the pointer over its frame
    EXPECT_TRUE(hint->RequestPending());
    driver->AdvanceClock(500);
    driver->PumpUntilIdle();
    ASSERT_TRUE(hint->IsVisible());
    EXPECT_EQ(hint->Window()->GetText(), "Close");
    Fill(1);
    sf->PopupSystemMenuAt(300, 300);
    driver->PumpUntilIdle();
    EXPECT_FALSE(hint->IsVisible());
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();
    sf->SetSkinHint(nullptr);
    delete hint;
    Application->SetMainForm(nullptr);
}

TEST_F(SkinMenuTest, APlainPopupMenuOfAControlShowsThroughTheFormsSkinnedMenus)
{
    auto* ctrl = new TNoticeControl(form, nullptr);
    ctrl->SetParent(form);
    auto* plain = new TPopupMenu(nullptr);
    plain->SetPopupComponent(ctrl);
    auto* mi = new TMenuItem(plain);
    mi->SetCaption("复制(&C)");
    plain->Items()->Add(mi);
    plain->Popup(250, 250);
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->Item(0)->MenuItem, mi);
    EXPECT_TRUE(sf->InMenu());
    Key(VK_ESCAPE);
    EXPECT_EQ(Levels(), 0);
    delete plain;
}

TEST_F(SkinMenuTest, TheWheelDoesNothingWhileAMenuIsOpen)
{
    auto* combo = new TComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 100, 20);
    combo->Items()->Add("a");
    combo->Items()->Add("b");
    combo->SetItemIndex(0);
    driver->PumpUntilIdle();
    combo->SetFocus();
    Fill(2);
    menu->Popup(450, 150);
    driver->PumpUntilIdle();
    driver->Wheel(-120, TTestDriver::CenterOf(combo->Handle()));
    driver->PumpUntilIdle();
    EXPECT_EQ(combo->GetItemIndex(), 0);
    EXPECT_EQ(Levels(), 1);
}

// ---------------------------------------------------------------------------
// The main menu bar

namespace
{
class MenuBarTest : public SkinMenuTest
{
protected:
    void SetUp() override
    {
        SkinMenuTest::SetUp();
        mainMenu = new TbsSkinMainMenu(form);
        file = Add(mainMenu->Items(), "文件(&F)", &log);
        Add(file, "添加文件(&A)", &log)->SetShortCut(TextToShortCut("Ctrl+O"));
        Add(file, "退出(&X)", &log);
        TMenuItem* off = Add(mainMenu->Items(), "Off", &log);
        off->SetEnabled(false);
        view = Add(mainMenu->Items(), "查看(&V)", &log);
        Add(view, "预览(&P)", &log);
        help = Add(mainMenu->Items(), "&Help", &log);   // a command on the bar itself
        bar = new TbsSkinMainMenuBar(form);
        bar->SetParent(form);
        bar->SetSkinForm(sf);
        bar->SetMainMenu(mainMenu);
        sf->SetMainMenuBar(bar);
        driver->PumpUntilIdle();
    }
    TPoint BarItemPoint(int i)
    {
        const TRect r = bar->Item(i)->ObjectRect;
        return bar->ClientToScreen(TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    std::vector<std::string> log;
    TbsSkinMainMenu* mainMenu = nullptr;
    TMenuItem *file = nullptr, *view = nullptr, *help = nullptr;
    TbsSkinMainMenuBar* bar = nullptr;
};
}  // namespace

TEST_F(MenuBarTest, F10EntersMenuModeAndTheKeyboardWalksAndChooses)
{
    ASSERT_EQ(bar->ItemCount(), 4);
    const int hooks = Application->MessageHookCount();
    Key(VK_F10);
    EXPECT_TRUE(sf->InMainMenu());
    EXPECT_TRUE(bar->Item(0)->Active);
    // Right skips the disabled item; Left wraps from the first to the last.
    Key(VK_RIGHT);
    EXPECT_TRUE(bar->Item(2)->Active);
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_TRUE(bar->Item(3)->Active);
    Key(VK_RIGHT);
    EXPECT_TRUE(bar->Item(0)->Active);
    // Down opens the item's menu under it; Right moves it to the next item.
    Key(VK_DOWN);
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->ListedItem(), file);
    EXPECT_EQ(Level(0)->Top(), bar->ClientToScreen(TPoint(0, bar->Item(0)->ObjectRect.Bottom)).Y);
    Key(VK_RIGHT);
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->ListedItem(), view);
    EXPECT_TRUE(bar->Item(2)->FDown);
    EXPECT_FALSE(bar->Item(0)->FDown);
    // Escape closes the menu, the item stays highlighted; a second leaves.
    Key(VK_ESCAPE);
    EXPECT_EQ(Levels(), 0);
    EXPECT_TRUE(sf->InMainMenu());
    EXPECT_TRUE(bar->Item(2)->Active);
    Key(VK_ESCAPE);
    EXPECT_FALSE(sf->InMainMenu());
    EXPECT_EQ(Application->MessageHookCount(), hooks);
    // F10, an accelerator opens, another chooses.
    Key(VK_F10);
    Key('F');
    ASSERT_EQ(Levels(), 1);
    Key('A');
    EXPECT_EQ(log, (std::vector<std::string>{"click 添加文件(&A)"}));
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(sf->InMainMenu());
    EXPECT_FALSE(sf->InMenu());
    EXPECT_EQ(Application->MessageHookCount(), hooks);
}

TEST_F(MenuBarTest, AltLetterAndShortcutsWithoutTheMenu)
{
    driver->PressKey('V', {VK_MENU});
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->ListedItem(), view);
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();
    log.clear();
    driver->PressKey('O', {VK_CONTROL});
    driver->PumpUntilIdle();
    // The menu classes click the parent first, then the item.
    EXPECT_EQ(log, (std::vector<std::string>{"click 文件(&F)", "click 添加文件(&A)"}));
    EXPECT_EQ(Levels(), 0);
}

TEST_F(MenuBarTest, TheOpenMenuFollowsThePointerAcrossUnnamedItems)
{
    driver->Click(BarItemPoint(0));
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->ListedItem(), file);
    EXPECT_TRUE(bar->MenuActive);
    driver->MoveTo(BarItemPoint(2));
    driver->PumpUntilIdle();
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->ListedItem(), view);
    EXPECT_FALSE(bar->Item(0)->FDown);
    // Off the items the last one stays highlighted.
    driver->MoveTo(bar->ClientToScreen(TPoint(bar->Width() - 10, 5)));
    driver->PumpUntilIdle();
    EXPECT_TRUE(bar->Item(2)->FDown);
    // A press on the form closes it and leaves menu mode.
    driver->Click(TTestDriver::ClientPoint(form->Handle(), TPoint(50, 150)));
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(sf->InMainMenu());
    EXPECT_FALSE(bar->Item(2)->FDown);
    // A bar item without sub-items runs its command at once.
    log.clear();
    driver->Click(BarItemPoint(3));
    EXPECT_EQ(log, (std::vector<std::string>{"click &Help"}));
    EXPECT_EQ(Levels(), 0);
}

TEST_F(MenuBarTest, ItemsThatDoNotFitGoToTheOverflowMenu)
{
    form->SetClientSize(120, 200);
    driver->PumpUntilIdle();
    bar->Repaint();
    EXPECT_TRUE(bar->Scroll);
    int fit = 0;
    for (int i = 0; i < bar->ItemCount(); ++i)
        if (bar->Item(i)->Fits) ++fit;
    ASSERT_GT(fit, 0);
    ASSERT_LT(fit, 4);
    EXPECT_FALSE(bar->Item(fit)->Enabled);
    const TRect m = bar->GetMarkerRect();
    driver->Click(bar->ClientToScreen(TPoint(m.Left + 2, (m.Top + m.Bottom) / 2)));
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->Item(0)->MenuItem, mainMenu->Items()->Items(fit));
    sf->SkinMenu->Hide();
    driver->PumpUntilIdle();
    // Wide again: every item shows with its own enabled state.
    form->SetClientSize(500, 200);
    driver->PumpUntilIdle();
    bar->Repaint();
    EXPECT_FALSE(bar->Scroll);
    EXPECT_TRUE(bar->Item(3)->Enabled);
    EXPECT_FALSE(bar->Item(1)->Enabled);
}

// ---------------------------------------------------------------------------
// The menu speed button

TEST_F(SkinMenuTest, MenuSpeedButtonOpensItsMenuAndStaysDownUntilItCloses)
{
    EmptyStore();
    Fill(2);
    auto* b = new TbsSkinMenuSpeedButton(form);
    b->SetParent(form);
    b->SetBounds(20, 20, 78, 47);
    b->SetText("添加");
    int clicks = 0, shown = 0, hidden = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->OnShowTrackMenu = [&](TObject*) { ++shown; };
    b->OnHideTrackMenu = [&](TObject*) { ++hidden; };
    driver->PumpUntilIdle();
    auto at = [&](int x, int y) { return b->ClientToScreen(TPoint(x, y)); };

    // Without a menu it is a plain button.
    driver->Click(at(40, 20));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Levels(), 0);

    // A left press anywhere opens the menu under it; the release clicks nothing.
    b->SetSkinPopupMenu(menu);
    driver->Click(at(10, 10));
    ASSERT_EQ(Levels(), 1);
    EXPECT_EQ(Level(0)->Top(), at(0, 47).Y);
    EXPECT_EQ(Level(0)->Left(), at(0, 0).X);
    EXPECT_TRUE(b->MenuTracked());
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(shown, 1);
    Key(VK_ESCAPE);
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(b->MenuTracked());
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(hidden, 1);

    // A right press never opens it.
    driver->Click(at(10, 10), backend::TMouseButton::Right);
    EXPECT_EQ(Levels(), 0);

    // Track mode: only the 15-pixel strip at the right opens the menu.
    b->SetTrackButtonMode(true);
    driver->Click(at(78 - 16, 20));
    EXPECT_EQ(Levels(), 0);
    EXPECT_EQ(clicks, 2);
    driver->Click(at(78 - 15, 20));
    EXPECT_EQ(Levels(), 1);
    EXPECT_EQ(clicks, 2);
    // Choosing an item releases the button too.
    Key(VK_RETURN);
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(hidden, 2);
}
