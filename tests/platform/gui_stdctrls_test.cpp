// The plain controls: label, button, bevel, splitter, image, panel.
#include "gui_test_util.h"

#include "platform/gui/Clipbrd.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"

namespace
{
TEST_F(GuiTest, LabelSizesToItsCaption)
{
    TForm* f = MakeForm();
    auto* l = new TLabel(f);
    l->SetParent(f);
    l->SetBounds(10, 10, 200, 50);
    l->SetText("Short");
    const int shortW = l->Width(), lineH = l->Height();
    EXPECT_GT(shortW, 10);
    EXPECT_LT(lineH, 50);
    l->SetText("A much longer caption");
    EXPECT_GT(l->Width(), shortW);
    l->SetText("");                       // an empty caption keeps one line's height
    EXPECT_EQ(l->Height(), lineH);
    l->SetText("Two\nlines");
    EXPECT_GT(l->Height(), lineH);
    // A right-aligned label grows to the left.
    l->SetText("x");
    l->SetAlignment(taRightJustify);
    const int right = l->Left() + l->Width();
    l->SetText("wider text");
    EXPECT_EQ(l->Left() + l->Width(), right);
    // Without auto-size the bounds stay.
    l->SetAutoSize(false);
    l->SetBounds(0, 0, 30, 30);
    l->SetText("very very long caption");
    EXPECT_EQ(l->BoundsRect(), Bounds(0, 0, 30, 30));
}

TEST_F(GuiTest, LabelDrawsDisabledTwiceAndAcceleratorFocuses)
{
    TForm* f = MakeForm(200, 60);
    f->SetColor(clWhite);
    auto* l = new TLabel(f);
    l->SetParent(f);
    l->SetTransparent(true);
    l->SetLeft(5);
    l->SetTop(5);
    l->Font()->SetHeight(-20);
    l->SetText("&Name");
    auto* box = new TTestBox(f);
    box->SetBounds(150, 5, 20, 20);
    box->SetParent(f);
    auto* other = new TTestBox(f);
    other->SetBounds(150, 30, 20, 20);
    other->SetParent(f);
    l->FocusControl = box;
    f->Show();
    other->SetFocus();
    driver->PressKey('N', {VK_MENU});
    EXPECT_TRUE(box->Focused());

    l->SetEnabled(false);
    driver->PumpUntilIdle();
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    int shadowPx = 0, lightPx = 0;
    for (int y = l->Top(); y < l->Top() + l->Height() + 1; ++y)
        for (int x = l->Left(); x < l->Left() + l->Width() + 1; ++x)
        {
            const COLORREF c = PixelToColorRef(driver->PixelAt(f->ClientToScreen(TPoint(x, y))));
            if (c == shadow) ++shadowPx;
            if (c == light && light != RGB(255, 255, 255)) ++lightPx;
        }
    EXPECT_GT(shadowPx, 5);
    if (light != RGB(255, 255, 255))
    {
        EXPECT_GT(lightPx, 5);
    }
}

TEST_F(GuiTest, ButtonsDefaultCancelAndModalResult)
{
    struct Case { const char* name; std::function<void(TTestDriver&, TButton*, TButton*)> act; TModalResult expect; };
    const Case cases[] = {
        {"click", [](TTestDriver& d, TButton* ok, TButton*) { d.Click(ok->GetHandle()); }, mrOk},
        {"enter: the default", [](TTestDriver& d, TButton*, TButton*) { d.PressKey(VK_RETURN); }, mrOk},
        {"escape: the cancel", [](TTestDriver& d, TButton*, TButton*) { d.PressKey(VK_ESCAPE); }, mrCancel},
        {"enter on the focused non-default", [](TTestDriver& d, TButton*, TButton* no) { no->SetFocus(); d.PressKey(VK_RETURN); }, mrCancel},
        {"space on the focused", [](TTestDriver& d, TButton*, TButton* no) { no->SetFocus(); d.PressKey(VK_SPACE); }, mrCancel},
        {"accelerator", [](TTestDriver& d, TButton*, TButton*) { d.PressKey('C', {VK_MENU}); }, mrCancel},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TForm* dlg = MakeForm(200, 80, "Dlg");
        auto* ok = new TButton(dlg);
        ok->SetText("OK");
        ok->ModalResult = mrOk;
        ok->SetDefault(true);
        ok->SetBounds(10, 10, 75, 25);
        ok->SetParent(dlg);
        auto* cancel = new TButton(dlg);
        cancel->SetText("&Cancel");
        cancel->ModalResult = mrCancel;
        cancel->Cancel = true;
        cancel->SetBounds(100, 10, 75, 25);
        cancel->SetParent(dlg);
        auto ran = std::make_shared<bool>(false);
        SetIdleHook([&, ran] {
            if (*ran || !dlg->Showing()) return false;
            *ran = true;
            c.act(*driver, ok, cancel);
            return true;
        });
        EXPECT_EQ(dlg->ShowModal(), c.expect);
        delete dlg;
    }
}

TEST_F(GuiTest, BevelSplitterImageAndPanel)
{
    TForm* f = MakeForm(300, 200);
    f->SetColor(clWhite);
    auto* bevel = new TBevel(f);
    bevel->SetBounds(200, 150, 40, 30);
    bevel->SetParent(f);
    auto* left = new TPanel(f);
    left->SetWidth(100);
    left->SetAlign(alLeft);
    left->SetParent(f);
    auto* inner = new TTestBox(f);
    inner->SetAlign(alClient);
    inner->SetParent(left);
    auto* split = new TSplitter(f);
    split->SetAlign(alLeft);
    split->SetLeft(100);
    split->SetWidth(4);
    split->SetParent(f);
    int moved = 0;
    split->OnMoved = [&](TObject*) { ++moved; };
    auto* img = new TImage(f);
    img->SetBounds(150, 10, 40, 40);
    img->SetParent(f);
    TBitmap pic(4, 4, pf24bit);
    pic.Canvas()->Brush()->SetColor(clRed);
    pic.Canvas()->FillRect(TRect(0, 0, 4, 4));
    img->Picture()->SetGraphic(&pic);
    img->SetStretch(true);
    f->Show();
    driver->PumpUntilIdle();
    auto at = [&](int x, int y) { return PixelToColorRef(driver->PixelAt(f->ClientToScreen(TPoint(x, y)))); };
    // Bevel: lowered box, shadow on the top-left edges, highlight bottom-right.
    EXPECT_EQ(at(210, 150), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(at(239, 170), GetSysColor(COLOR_BTNHIGHLIGHT));
    // Panel with a raised bevel: its aligned child sits inside the border.
    EXPECT_EQ(inner->BoundsRect(), Bounds(1, 1, 98, 198));
    // Image stretched over the control.
    EXPECT_EQ(at(185, 45), RGB(255, 0, 0));
    img->SetStretch(false);
    img->SetCenter(true);
    driver->PumpUntilIdle();
    EXPECT_EQ(at(170, 30), RGB(255, 0, 0));
    EXPECT_EQ(at(152, 12), RGB(255, 255, 255));
    // Splitter: dragging it resizes the panel, within the minimum size.
    EXPECT_EQ(split->FindControl(), left);
    driver->Drag(split->ClientToScreen(TPoint(1, 50)), split->ClientToScreen(TPoint(41, 50)));
    EXPECT_EQ(left->Width(), 140);
    EXPECT_EQ(split->Left(), 140);
    EXPECT_EQ(moved, 1);
    split->MinSize = 50;
    split->AutoSnap = false;
    driver->Drag(split->ClientToScreen(TPoint(1, 50)), split->ClientToScreen(TPoint(-200, 50)));
    EXPECT_EQ(left->Width(), 50);
}
TEST_F(GuiTest, ClipboardTextAndPictures)
{
    TBitmap b(3, 2, pf24bit);
    b.SetPixel32(1, 1, MakePixel(10, 20, 30));
    Clipboard()->Assign(&b);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    TBitmap back;
    back.Assign(Clipboard());
    EXPECT_EQ(back.GetWidth(), 3);
    EXPECT_EQ(back.GetPixel32(1, 1) & 0xFFFFFF, 0x0A141Eu);
    TPicture pic;
    pic.Assign(Clipboard());
    EXPECT_EQ(pic.GetWidth(), 3);
    Clipboard()->SetAsText("文字 text");
    EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_EQ(Clipboard()->GetAsText(), "文字 text");
    EXPECT_ANY_THROW(back.Assign(Clipboard()));   // no picture to give
}
} // namespace
