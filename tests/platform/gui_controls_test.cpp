// Controls: alignment, anchors, focus and tab order, mouse routing to
// graphic children, enter/leave notifications, painting through the canvas.
#include <functional>

#include "gui_test_util.h"

#include "platform/gui/Menus.h"

namespace
{
struct AlignCase
{
    const char* name;
    std::vector<std::pair<TAlign, TRect>> controls;   // align and starting bounds
    std::vector<TRect> expected;                      // bounds after alignment
};

TEST_F(GuiTest, AlignLayouts)
{
    const AlignCase cases[] = {
        {"top bottom left right client",
         {{alTop, Bounds(0, 0, 10, 20)}, {alBottom, Bounds(0, 0, 10, 30)}, {alLeft, Bounds(0, 0, 50, 10)},
          {alRight, Bounds(0, 0, 60, 10)}, {alClient, Bounds(5, 5, 5, 5)}},
         {Bounds(0, 0, 400, 20), Bounds(0, 270, 400, 30), Bounds(0, 20, 50, 250), Bounds(340, 20, 60, 250),
          Bounds(50, 20, 290, 250)}},
        {"two tops keep their vertical order",
         {{alTop, Bounds(0, 50, 10, 10)}, {alTop, Bounds(0, 5, 10, 25)}},
         {Bounds(0, 25, 400, 10), Bounds(0, 0, 400, 25)}},
        {"two rights: the right-most stays outside",
         {{alRight, Bounds(300, 0, 40, 10)}, {alRight, Bounds(380, 0, 20, 10)}},
         {Bounds(340, 0, 40, 300), Bounds(380, 0, 20, 300)}},
        {"client alone fills all",
         {{alClient, Bounds(1, 2, 3, 4)}},
         {Bounds(0, 0, 400, 300)}},
        {"none keeps its place",
         {{alNone, Bounds(7, 8, 9, 10)}, {alTop, Bounds(0, 0, 1, 15)}},
         {Bounds(7, 8, 9, 10), Bounds(0, 0, 400, 15)}},
    };
    for (const AlignCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TForm* f = MakeForm(400, 300);
        std::vector<TControl*> ctrls;
        f->DisableAlign();   // as while a form is being built: one alignment at the end
        for (auto& [al, r] : c.controls)
        {
            auto* b = new TTestBox(f);
            b->SetBoundsRect(r);
            b->SetAlign(al);
            b->SetParent(f);
            ctrls.push_back(b);
        }
        f->EnableAlign();
        f->Show();
        for (std::size_t i = 0; i < ctrls.size(); ++i) EXPECT_EQ(ctrls[i]->BoundsRect(), c.expected[i]) << i;
        delete f;
    }
}

// A child that shows or hides a sibling bar while the parent places it (a
// view dropping its scroll bar once wide enough) gets the space at once; a
// child that keeps flipping the bar still ends the placing.
TEST_F(GuiTest, AChildHidingASiblingWhilePlacedGetsItsSpace)
{
    struct TFlips : TTestBox
    {
        using TTestBox::TTestBox;
        TControl* bar = nullptr;
        std::function<bool(int)> barFor;   // the bar's visibility for a width
        void Resize() override
        {
            TTestBox::Resize();
            if (bar && barFor) bar->SetVisible(barFor(Width()));
        }
    };
    struct Case { const char* what; std::function<bool(int)> barFor; int widthAfter; };
    const Case cases[] = {
        {"hides once wide", [](int w) { return w < 300; }, 400},
        {"flips forever", [](int w) { return w >= 390; }, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        TForm* f = MakeForm(400, 300);
        auto* bar = new TTestBox(f);
        bar->SetWidth(20);
        bar->SetAlign(alRight);
        bar->SetParent(f);
        auto* view = new TFlips(f);
        view->SetAlign(alClient);
        view->bar = bar;
        view->barFor = c.barFor;
        view->SetParent(f);
        f->Show();
        f->Realign();
        if (c.widthAfter > 0) EXPECT_EQ(view->BoundsRect(), Bounds(0, 0, c.widthAfter, 300));
        else EXPECT_TRUE(view->Width() == 380 || view->Width() == 400);
        view->bar = nullptr;
        delete f;
    }
}

TEST_F(GuiTest, AlignFollowsResizeVisibilityAndAnchors)
{
    TForm* f = MakeForm(400, 300);
    auto* top = new TTestBox(f);
    top->SetHeight(20);
    top->SetAlign(alTop);
    top->SetParent(f);
    auto* client = new TTestBox(f);
    client->SetAlign(alClient);
    client->SetParent(f);
    auto* anchored = new TTestGraphic(f);
    anchored->SetBounds(350, 260, 40, 30);   // 10 from the right, 10 from the bottom
    anchored->SetParent(f);
    anchored->SetAnchors(TAnchors{akRight, akBottom});
    auto* stretched = new TTestGraphic(f);
    stretched->SetBounds(10, 100, 380, 10);  // 10 from both sides
    stretched->SetParent(f);
    stretched->SetAnchors(TAnchors{akLeft, akTop, akRight});
    f->Show();
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 20, 400, 280));

    f->SetClientSize(500, 400);
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 500, 20));
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 20, 500, 380));
    EXPECT_EQ(anchored->BoundsRect(), Bounds(450, 360, 40, 30));
    EXPECT_EQ(stretched->BoundsRect(), Bounds(10, 100, 480, 10));

    // A hidden control gives its space back; shown again it takes it.
    top->SetVisible(false);
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 0, 500, 400));
    top->SetVisible(true);
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 20, 500, 380));
    // Scrolling moves the free children and keeps them there.
    const TRect before = anchored->BoundsRect();
    f->ScrollBy(-5, 7);
    EXPECT_EQ(anchored->BoundsRect(), (TRect(before.Left - 5, before.Top + 7, before.Right - 5, before.Bottom + 7)));
    f->ScrollBy(5, -7);
    // Alignment can be held back and done once.
    f->DisableAlign();
    top->SetHeight(50);
    EXPECT_EQ(client->Top(), 20);
    f->EnableAlign();
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 50, 500, 350));
}

TEST_F(GuiTest, FocusAndTabOrder)
{
    TForm* f = MakeForm();
    std::vector<std::string> log;
    std::vector<TTestBox*> boxes;
    for (int i = 0; i < 4; ++i)
    {
        auto* b = new TTestBox(f);
        b->SetName("B" + std::to_string(i));
        b->SetBounds(10, 10 + 30 * i, 80, 20);
        b->SetParent(f);
        b->Log = &log;
        boxes.push_back(b);
    }
    boxes[2]->SetTabStop(false);   // skipped by Tab
    boxes[3]->SetTabOrder(0);      // first in tab order now
    EXPECT_EQ(boxes[3]->GetTabOrder(), 0);
    EXPECT_EQ(boxes[0]->GetTabOrder(), 1);
    f->Show();
    driver->PumpUntilIdle();
    // Showing the form focuses the first control in tab order.
    EXPECT_TRUE(boxes[3]->Focused());
    EXPECT_EQ(f->GetActiveControl(), boxes[3]);
    EXPECT_EQ(Screen->ActiveControl(), boxes[3]);

    struct Step { int vk; std::vector<int> mods; int expect; };
    const Step steps[] = {{VK_TAB, {}, 0}, {VK_TAB, {}, 1}, {VK_TAB, {}, 3}, {VK_TAB, {VK_SHIFT}, 1},
                          {VK_TAB, {VK_SHIFT}, 0}, {VK_TAB, {VK_SHIFT}, 3}};
    for (const Step& s : steps)
    {
        driver->PressKey(s.vk, s.mods);
        EXPECT_TRUE(boxes[std::size_t(s.expect)]->Focused()) << "expected B" << s.expect;
    }
    log.clear();
    driver->PressKey(VK_TAB);
    EXPECT_EQ(log, (std::vector<std::string>{"exit B3", "enter B0"}));

    // Disabled and hidden controls are passed over; SetFocus on them fails clearly.
    boxes[1]->SetEnabled(false);
    driver->PressKey(VK_TAB);
    EXPECT_TRUE(boxes[3]->Focused());
    EXPECT_THROW(boxes[1]->SetFocus(), EInvalidOperation);
    boxes[0]->SetVisible(false);
    driver->PressKey(VK_TAB);
    EXPECT_TRUE(boxes[3]->Focused());
    // A control that takes the focus by a call.
    boxes[2]->SetFocus();
    EXPECT_TRUE(boxes[2]->Focused());
    EXPECT_EQ(f->GetActiveControl(), boxes[2]);
    // Hiding the focused control moves the focus away from it.
    boxes[2]->SetVisible(false);
    EXPECT_FALSE(boxes[2]->Focused());
    EXPECT_NE(f->GetActiveControl(), boxes[2]);
}

TEST_F(GuiTest, KeyPreviewAndWantSpecialKey)
{
    TForm* f = MakeForm();
    struct TArrowBox : TTestBox
    {
        using TTestBox::TTestBox;
        void CMWantSpecialKey(TMessage& m) override { m.Result = (m.WParam >= WPARAM(VK_LEFT) && m.WParam <= WPARAM(VK_DOWN)); }
    };
    auto* a = new TArrowBox(f);
    a->SetBounds(0, 0, 10, 10);
    a->SetParent(f);
    auto* b = new TTestBox(f);
    b->SetBounds(0, 20, 10, 10);
    b->SetParent(f);
    std::vector<std::string> keys;
    a->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { keys.push_back("ctl " + std::to_string(k)); };
    f->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
        keys.push_back("form " + std::to_string(k));
        if (k == 'X') k = 0;   // eaten by the form
    };
    f->KeyPreview = true;
    f->Show();
    a->SetFocus();
    driver->PressKey(VK_RIGHT);          // wanted by the control: no focus move
    EXPECT_TRUE(a->Focused());
    driver->PressKey('X');
    driver->PressKey('Y');
    EXPECT_EQ(keys, (std::vector<std::string>{"form 39", "ctl 39", "form 88", "form 89", "ctl 89"}));
    driver->PressKey(VK_TAB);            // not wanted: the form moves the focus
    EXPECT_TRUE(b->Focused());
    // The form's shortcut handling comes before everything.
    std::vector<std::string> cuts;
    f->OnShortCut = [&](TWMKey& k, bool& handled) {
        if (k.CharCode == 'S' && GetKeyState(VK_CONTROL) < 0)
        {
            cuts.push_back("ctrl+s");
            handled = true;
        }
    };
    keys.clear();
    a->SetFocus();
    driver->PressKey('S', {VK_CONTROL});
    EXPECT_EQ(cuts, std::vector<std::string>{"ctrl+s"});
    EXPECT_EQ(keys, (std::vector<std::string>{"form 17", "ctl 17"}));   // only the Ctrl key itself
}

TEST_F(GuiTest, MouseRoutingClicksAndEnterLeave)
{
    TForm* f = MakeForm();
    auto* g = new TTestGraphic(f);
    g->SetBounds(20, 20, 40, 40);
    g->SetParent(f);
    auto* w = new TTestBox(f);
    w->SetBounds(100, 20, 40, 40);
    w->SetParent(f);
    int gClicks = 0, wClicks = 0, fClicks = 0;
    TPoint gDown;
    g->OnClick = [&](TObject*) { ++gClicks; };
    g->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { gDown = TPoint(x, y); };
    w->OnClick = [&](TObject*) { ++wClicks; };
    f->OnClick = [&](TObject*) { ++fClicks; };
    f->Show();
    driver->PumpUntilIdle();

    driver->Click(f->ClientToScreen(TPoint(25, 30)));
    EXPECT_EQ(gClicks, 1);
    EXPECT_EQ(gDown, TPoint(5, 10));     // in the graphic control's own coordinates
    driver->Click(f->ClientToScreen(TPoint(110, 30)));
    EXPECT_EQ(wClicks, 1);
    driver->Click(f->ClientToScreen(TPoint(300, 200)));
    EXPECT_EQ(fClicks, 1);
    // Pressed on the control, released outside: no click.
    driver->Drag(f->ClientToScreen(TPoint(25, 25)), f->ClientToScreen(TPoint(200, 200)));
    EXPECT_EQ(gClicks, 1);

    driver->MoveTo(f->ClientToScreen(TPoint(300, 250)));
    const int e0 = g->Enters, l0 = g->Leaves;
    driver->MoveTo(f->ClientToScreen(TPoint(30, 30)));
    EXPECT_EQ(g->Enters, e0 + 1);
    EXPECT_EQ(GetMouseControl(), g);
    driver->MoveTo(f->ClientToScreen(TPoint(300, 250)));
    EXPECT_EQ(g->Leaves, l0 + 1);
    EXPECT_EQ(GetMouseControl(), f);
    // A disabled graphic control lets the mouse through to the form.
    g->SetEnabled(false);
    driver->Click(f->ClientToScreen(TPoint(25, 30)));
    EXPECT_EQ(gClicks, 1);
    EXPECT_EQ(fClicks, 2);
}

TEST_F(GuiTest, PaintingShowsControlsAndGraphicChildren)
{
    TForm* f = MakeForm(200, 100);
    f->SetColor(clWhite);
    auto* w = new TTestBox(f, clRed);
    w->SetBounds(10, 10, 30, 30);
    w->SetParent(f);
    auto* g = new TTestGraphic(f, clBlue);
    g->SetBounds(100, 10, 30, 30);
    g->SetParent(f);
    f->Show();
    driver->PumpUntilIdle();
    auto at = [&](int x, int y) { return driver->PixelAt(f->ClientToScreen(TPoint(x, y))) & 0xFFFFFF; };
    EXPECT_EQ(at(20, 20), 0xFF0000u);
    EXPECT_EQ(at(110, 20), 0x0000FFu);
    EXPECT_EQ(at(70, 70), 0xFFFFFFu);
    // A changed colour repaints; so does a moved graphic control (old place erased).
    w->SetColor(clLime);
    g->SetLeft(150);
    driver->PumpUntilIdle();
    EXPECT_EQ(at(20, 20), 0x00FF00u);
    EXPECT_EQ(at(110, 20), 0xFFFFFFu);
    EXPECT_EQ(at(160, 20), 0x0000FFu);
    // The same with an off-screen buffer.
    f->DoubleBuffered = true;
    g->SetColor(clYellow);
    driver->PumpUntilIdle();
    EXPECT_EQ(at(160, 20), 0xFFFF00u);
}

TEST_F(GuiTest, WindowProcReplaceableAndChainedAndNotificationsMeaning)
{
    TForm* f = MakeForm();
    auto* b = new TTestBox(f);
    b->SetParent(f);
    std::vector<UINT> seen;
    TWndMethod old = b->WindowProc;
    b->WindowProc = [&, old](TMessage& m) {
        if (m.Msg >= CM_BASE && m.Msg < CM_LAST_) seen.push_back(m.Msg);
        if (m.Msg == CM_INVALIDATE) { m.Result = 42; return; }
        old(m);
    };
    EXPECT_EQ(b->Perform(CM_INVALIDATE), 42);
    b->SetEnabled(false);
    b->SetText("x");
    b->SetVisible(false);
    f->Font()->SetHeight(-20);           // parent font change reaches the child
    EXPECT_EQ(b->Font()->GetHeight(), -20);
    b->Font()->SetHeight(-9);            // own font: no longer the parent's
    EXPECT_FALSE(b->GetParentFont());
    f->Font()->SetHeight(-30);
    EXPECT_EQ(b->Font()->GetHeight(), -9);
    EXPECT_EQ(seen, (std::vector<UINT>{CM_INVALIDATE, CM_ENABLEDCHANGED, CM_TEXTCHANGED, CM_VISIBLECHANGED,
                                       CM_PARENTFONTCHANGED, CM_FONTCHANGED, CM_FONTCHANGED,
                                       CM_PARENTFONTCHANGED}));
    // The fixed numbers of the notifications the skin library relies on.
    EXPECT_EQ(CM_CANCELMODE, 0xB004u);
    EXPECT_EQ(CM_DIALOGKEY, 0xB005u);
    EXPECT_EQ(CM_TEXTCHANGED, 0xB012u);
    EXPECT_EQ(CM_MOUSEENTER, 0xB013u);
    EXPECT_EQ(CM_WANTSPECIALKEY, 0xB01Eu);
    EXPECT_EQ(CM_INVALIDATE, 45108u);
    EXPECT_EQ(CN_COMMAND, 0xBD11u);
    EXPECT_EQ(CN_CTLCOLOREDIT, 0xBD33u);
}

// A control made on a class registered elsewhere: its procedure is the default handler.
std::vector<UINT> gNativeSaw;
struct TNativeBased : TWinControl
{
    using TWinControl::TWinControl;
    void CreateParams(TCreateParams& p) override
    {
        TWinControl::CreateParams(p);
        CreateSubClass(p, "QuorvelTestNative");
    }
};

TEST_F(GuiTest, NativeClassProcedureIsTheDefaultHandler)
{
    WNDCLASS wc;
    wc.lpszClassName = "QuorvelTestNative";
    wc.lpfnWndProc = [](HWND h, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        if (msg >= WM_USER) gNativeSaw.push_back(msg);
        return msg == 48203u ? 16802 : DefWindowProc(h, msg, wp, lp);
    };
    ASSERT_TRUE(RegisterClass(wc));
    TForm* f = MakeForm();
    auto* n = new TNativeBased(f);
    n->SetParent(f);
    gNativeSaw.clear();
    // The skin library's numbers (some inside the reflected range) reach the
    // native procedure untouched; the class library's own reflections do not.
    for (UINT msg : {45490u, 45513u, 48202u, 48203u}) n->Perform(msg, 0, 16802);
    EXPECT_EQ(n->Perform(48203u, 0, 16802), 16802);
    n->Perform(CN_COMMAND, 0, 0);
    EXPECT_EQ(gNativeSaw, (std::vector<UINT>{45490u, 45513u, 48202u, 48203u, 48203u}));
    EXPECT_EQ(GetClassName(n->GetHandle()), ClassNameOf(n));
}

TEST_F(GuiTest, ParentColourFontAndShowHint)
{
    TForm* f = MakeForm();
    auto* panel = new TTestBox(f);
    panel->SetParent(f);
    auto* child = new TTestGraphic(f);
    child->SetParent(panel);
    panel->SetParentColor(true);
    child->SetParentColor(true);
    f->SetColor(clTeal);
    EXPECT_EQ(panel->GetColor(), clTeal);
    EXPECT_EQ(child->GetColor(), clTeal);      // through two levels
    f->SetShowHint(true);
    EXPECT_TRUE(child->GetShowHint());
    child->SetShowHint(false);                 // its own value now
    EXPECT_FALSE(child->GetParentShowHint());
    EXPECT_FALSE(child->GetShowHint());
    f->Font()->SetName("Tahoma");
    EXPECT_EQ(child->Font()->GetName(), "Tahoma");
    child->SetParentFont(false);
    child->Font()->SetName("Arial");
    child->SetParentFont(true);                // back to the parent's font
    EXPECT_EQ(child->Font()->GetName(), "Tahoma");
}

TEST_F(GuiTest, ContextPopupAndCancelMode)
{
    TForm* f = MakeForm();
    auto* a = new TTestBox(f);
    a->SetName("A");
    a->SetBounds(10, 10, 60, 25);
    a->SetParent(f);
    auto* g = new TTestGraphic(f);
    g->SetBounds(100, 10, 40, 40);
    g->SetParent(f);
    auto* menu = new TPopupMenu(f);
    std::vector<std::pair<TPopupMenu*, TPoint>> shown;
    TPopupMenu::SetPopupHook([&](TPopupMenu* m, int x, int y) { shown.push_back({m, TPoint(x, y)}); });
    a->SetPopupMenu(menu);
    g->SetPopupMenu(menu);
    f->Show();
    // A right click shows the control's menu at the click, naming the control.
    const TPoint at = a->ClientToScreen(TPoint(5, 5));
    driver->Click(at, backend::TMouseButton::Right);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].second, at);
    EXPECT_EQ(menu->PopupComponent(), a);
    driver->Click(g->ClientToScreen(TPoint(5, 5)), backend::TMouseButton::Right);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(menu->PopupComponent(), g);
    // OnContextPopup may take over.
    a->OnContextPopup = [](TObject*, TPoint, bool& handled) { handled = true; };
    driver->Click(at, backend::TMouseButton::Right);
    EXPECT_EQ(shown.size(), 2u);
    // A freed menu is forgotten by the controls that used it.
    delete menu;
    EXPECT_EQ(a->GetPopupMenu(), nullptr);
    EXPECT_EQ(g->GetPopupMenu(), nullptr);
    TPopupMenu::SetPopupHook(nullptr);

    // Pressing another control tells the focused one (CM_CANCELMODE, with the sender).
    std::vector<LPARAM> cancels;
    TWndMethod old = a->WindowProc;
    a->WindowProc = [&, old](TMessage& m) {
        if (m.Msg == CM_CANCELMODE) cancels.push_back(m.LParam);
        old(m);
    };
    a->SetFocus();
    driver->Click(g->ClientToScreen(TPoint(5, 5)));
    EXPECT_EQ(cancels, std::vector<LPARAM>{LPARAM(static_cast<TControl*>(g))});
}

TEST_F(GuiTest, ControlsGoAwayInAnyOrder)
{
    TForm* f = MakeForm();
    auto* panel = new TTestBox(f);
    panel->SetBounds(0, 0, 200, 200);
    panel->SetParent(f);
    auto* inner = new TTestBox(f);       // owned by the form, placed on the panel
    inner->SetBounds(10, 10, 50, 20);
    inner->SetParent(panel);
    auto* g = new TTestGraphic(f);
    g->SetBounds(10, 50, 40, 40);
    g->SetParent(panel);
    auto* other = new TTestBox(f);
    other->SetBounds(300, 10, 50, 20);
    other->SetParent(f);
    f->Show();
    inner->SetFocus();
    driver->MoveTo(g->ClientToScreen(TPoint(5, 5)));
    EXPECT_EQ(GetMouseControl(), g);
    const int owned = f->ComponentCount();
    // The focused control goes: the focus and the tab order forget it.
    delete inner;
    EXPECT_EQ(f->ComponentCount(), owned - 1);
    EXPECT_NE(f->GetActiveControl(), inner);
    driver->PressKey(VK_TAB);
    driver->PressKey(VK_TAB);
    // A parent takes its children with it, whoever owns them.
    delete panel;
    EXPECT_EQ(f->ComponentCount(), owned - 3);
    EXPECT_EQ(GetMouseControl(), nullptr);
    driver->MoveTo(f->ClientToScreen(TPoint(20, 60)));
    driver->Click(f->ClientToScreen(TPoint(20, 60)));
    EXPECT_EQ(f->ControlCount(), 1);
    other->SetFocus();
    EXPECT_TRUE(other->Focused());
    delete f;                            // the rest with the form
    EXPECT_EQ(Screen->FormCount(), 0);
}

TEST_F(GuiTest, RecreateWndKeepsStateAndChildren)
{
    TForm* f = MakeForm();
    auto* b = new TTestBox(f);
    b->SetName("Child");
    b->SetBounds(5, 6, 70, 20);
    b->SetParent(f);
    f->SetText("标题");
    f->Show();
    b->SetFocus();
    HWND before = f->GetHandle();
    HWND childBefore = b->GetHandle();
    f->SetBorderStyle(bsToolWindow);    // needs a new window
    EXPECT_NE(f->GetHandle(), before);
    EXPECT_FALSE(IsWindow(childBefore));
    EXPECT_TRUE(IsWindow(b->GetHandle()));
    EXPECT_EQ(GetParent(b->GetHandle()), f->GetHandle());
    EXPECT_EQ(f->GetText(), "标题");
    EXPECT_EQ(b->BoundsRect(), Bounds(5, 6, 70, 20));
    EXPECT_EQ(driver->FindByName("Child"), b->GetHandle());
    EXPECT_TRUE(GetWindowLong(f->GetHandle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(f->Showing());           // still shown, and the focus is back
    EXPECT_TRUE(b->Focused());
}
} // namespace
