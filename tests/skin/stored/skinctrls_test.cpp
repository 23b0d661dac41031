// The static skinned controls in each of the eleven stored skins: every
// control finds its entry, the panel family's sizes follow the entries'
// resize modes, and switching through all skins while the controls are shown
// re-skins each of them with a bounded number of repaints. The views mark
// their selection in the skin's accent, with and without the focus.
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinExCtrls.h"
#include "lib/bsSkinValidate.h"
#include "skin/skinctrls_helpers.h"
#include "skin/stored/helpers.h"

using namespace ctrltest;

namespace
{
class StoredSkinControls : public SkinCtrlTest, public testing::WithParamInterface<int>
{
};

// Where a control of each kind sits on the test form, and how it is linked.
struct Placed
{
    const char* Entry;
    TControl* Control;
    std::function<int()> Index;
};

std::vector<Placed> PlaceAll(TForm* f, TbsSkinData* sd)
{
    std::vector<Placed> out;
    auto add = [&](const char* entry, auto* c, const TRect& r) {
        c->SetBoundsRect(r);
        c->SetParent(f);
        c->SetSkinData(sd);
        out.push_back({entry, c, [c] { return c->SkinIndex(); }});
        return c;
    };
    add("panel", new TCountingPanel(f), TRect(10, 10, 160, 110))->SetCaption("面板");
    add("groupbox", new TbsSkinGroupBox(f), TRect(170, 10, 320, 110))->SetCaption("分组框");
    add("panel", new TbsSkinPaintPanel(f), TRect(330, 10, 480, 110));
    add("stdlabel", new TbsSkinStdLabel(f), TRect(10, 120, 100, 140))->SetCaption("标签");
    add("stdlabel", new TbsSkinTextLabel(f), TRect(10, 150, 100, 190))->Lines()->Add("多行文本");
    add("bevel", new TbsSkinBevel(f), TRect(170, 120, 200, 150));
    auto* split = new TbsSkinSplitter(f);
    split->SetAlign(alRight);
    add("vsplitter", split, TRect(480, 0, 490, 10));
    auto* bar = new TbsSkinStatusBar(f);
    bar->SetSizeGrip(true);
    add("statusbar", bar, TRect(0, 0, 10, 21));
    return out;
}
} // namespace

TEST_P(StoredSkinControls, EveryControlFindsItsEntryAndFollowsItsResizeMode)
{
    auto sd = storedtest::Load(GetParam());
    TSkinnedForm* f = MakeForm(500, 300);
    for (const Placed& p : PlaceAll(f, sd.get()))
    {
        SCOPED_TRACE(p.Entry);
        EXPECT_NE(sd->GetControlIndex(p.Entry), -1) << "the skin has no entry for the control";
        EXPECT_EQ(p.Index(), sd->GetControlIndex(p.Entry));
    }
    f->Show();
    driver->PumpUntilIdle();

    // The panel family's entries at several sizes: the size and client
    // rectangle each resize mode allows.
    for (const char* entry : {"panel", "groupbox", "statusbar"})
    {
        const auto* d = dynamic_cast<const TbsDataSkinCustomControl*>(
            bsSkinControlEntry(sd.get(), sd->GetControlIndex(entry)));
        ASSERT_NE(d, nullptr) << entry;
        auto* c = new TbsSkinPanel(f);
        c->SetSkinDataName(entry);
        c->SetParent(f);
        c->SetSkinData(sd.get());
        const int sw = d->SkinRect.Width(), sh = d->SkinRect.Height();
        for (TSize ask : {TSize(60, 40), TSize(230, 120), TSize(400, 30)})
        {
            SCOPED_TRACE(std::string(entry) + " " + std::to_string(ask.cx) + "x" + std::to_string(ask.cy));
            c->SetBounds(0, 0, ask.cx, ask.cy);
            const int dx = c->Width() - sw, dy = c->Height() - sh;
            TRect cl = d->ClRect;
            switch (c->ResizeMode)
            {
            case 0: EXPECT_EQ(TSize(c->Width(), c->Height()), TSize(sw, sh)); break;
            case 1:
                EXPECT_EQ(TSize(c->Width(), c->Height()), ask);
                cl.Right += dx;
                cl.Bottom += dy;
                break;
            case 2:
                EXPECT_EQ(TSize(c->Width(), c->Height()), TSize(ask.cx, sh));
                cl.Right += dx;
                break;
            case 3:
                EXPECT_EQ(TSize(c->Width(), c->Height()), TSize(sw, ask.cy));
                cl.Bottom += dy;
                break;
            default: ADD_FAILURE() << "no usable skin rectangle";
            }
            EXPECT_EQ(c->RealClientRect(), cl);
        }
    }
}

namespace
{
// Whether every channel of `c` lies between those of `a` and `b` (a little
// slack for rounding): `c` is a mix of the two.
bool Between(int c, int a, int b)
{
    for (int sh : {0, 8, 16})
    {
        const int v = (c >> sh) & 0xFF, lo = std::min((a >> sh) & 0xFF, (b >> sh) & 0xFF),
                  hi = std::max((a >> sh) & 0xFF, (b >> sh) & 0xFF);
        if (v < lo - 2 || v > hi + 2) return false;
    }
    return true;
}
}  // namespace

// The job table, the tree and the file list share the skinned views: a
// selection without the focus is a tint of the accent that shows on the
// view's background and keeps the row's text readable; with the focus it is
// the accent, darkened or lightened until its text reads.
TEST_P(StoredSkinControls, ViewsMarkTheSelectionInTheAccent)
{
    auto sd = storedtest::Load(GetParam());
    TSkinnedForm* f = MakeForm(500, 300);
    auto* lv = new TbsSkinListView(f);
    lv->SetBounds(10, 10, 200, 120);
    lv->SetViewStyle(vsReport);
    lv->SetRowSelect(true);
    lv->HideSelection = false;
    lv->Columns()->Add()->SetWidth(180);
    for (const char* t : {"一", "二", "三"}) lv->Items()->Add()->SetCaption(t);
    lv->SetParent(f);
    lv->SetSkinData(sd.get());
    lv->SetItemIndex(1);
    auto* tv = new TbsSkinTreeView(f);
    tv->SetBounds(220, 10, 200, 120);
    tv->HideSelection = false;
    tv->SetParent(f);
    tv->SetSkinData(sd.get());
    TTreeNode* root = tv->Items()->Add(nullptr, "主文件夹");
    tv->Items()->AddChild(root, "视频");
    root->Expand(false);
    tv->SetSelected(root->Item(0));
    auto* other = new TbsSkinEdit(f);
    other->SetBounds(10, 200, 100, 21);
    other->SetParent(f);
    f->Show();
    const int accent = sd->FSkinColors.FcHighLight, accentText = sd->FSkinColors.FcHighLightText;
    auto pixel = [&](TControl* c, TPoint p) { return int(PixelToColorRef(driver->PixelAt(c->ClientToScreen(p)))); };
    // Points inside the selected row or label, away from its text.
    const TRect row = lv->Items()->Item(1)->DisplayRect(drBounds);
    const TPoint inRow(row.Right - 8, row.Top + row.Height() / 2);
    const TRect label = tv->GetSelected()->DisplayRect(true);
    const TPoint inLabel(label.Left + 1, label.Top + 1);
    for (TWinControl* view : {static_cast<TWinControl*>(lv), static_cast<TWinControl*>(tv)})
    {
        SCOPED_TRACE(view == lv ? "list view" : "tree view");
        const TPoint at = view == lv ? inRow : inLabel;
        const int back = int(ColorToRGB(view->GetColor())), text = int(ColorToRGB(view->Font()->GetColor()));
        other->SetFocus();
        driver->PumpUntilIdle();
        const int tint = pixel(view, at);
        EXPECT_TRUE(Between(tint, accent, back)) << std::hex << tint << " is no tint of the accent " << accent;
        EXPECT_GE(bsContrastRatio(tint, back), 1.2) << "the selection shows on the background";
        EXPECT_GE(bsContrastRatio(text, tint), bsBodyTextContrast) << "the row's text reads on it";
        view->SetFocus();
        driver->PumpUntilIdle();
        const int full = pixel(view, at);
        EXPECT_TRUE(Between(full, accent, 0) || Between(full, accent, 0xFFFFFF)) << std::hex << full;
        EXPECT_GE(bsContrastRatio(accentText, full), bsBodyTextContrast);
    }
}

TEST_F(SkinCtrlTest, SwitchingThroughAllStoredSkinsWhileShown)
{
    TbsSkinData sd;
    TSkinnedForm* f = MakeForm(500, 300);
    const std::vector<Placed> placed = PlaceAll(f, &sd);
    auto* counted = static_cast<TCountingPanel*>(placed.front().Control);
    f->Show();
    driver->PumpUntilIdle();
    for (int i = 0; i < bsStoredSkinCount(); ++i)
    {
        SCOPED_TRACE(bsStoredSkin(i).FileName);
        const TbsStoredSkinInfo& s = bsStoredSkin(i);
        TbsCompressedStoredSkin stored;
        stored.LoadFromCompressStream(s.Data, s.Size);
        counted->Paints = 0;
        sd.LoadCompressedStoredSkin(&stored);
        driver->PumpUntilIdle();
        EXPECT_EQ(f->Changes, i + 1);
        for (const Placed& p : placed) EXPECT_EQ(p.Index(), sd.GetControlIndex(p.Entry)) << p.Entry;
        EXPECT_GE(counted->Paints, 1);
        EXPECT_LE(counted->Paints, 2);
    }
}

TEST_F(SkinCtrlTest, EditsAndLinkLabelsTakeTheNewSkinsColoursAtOnce)
{
    // A light skin, then the dark one: the text colours follow the change
    // (dark text left on a dark edit would be unreadable).
    TbsSkinData sd;
    TSkinnedForm* f = MakeForm(300, 100);
    auto* edit = new TbsSkinEdit(f);
    edit->SetBounds(10, 10, 200, 21);
    edit->SetParent(f);
    edit->SetSkinData(&sd);
    edit->SetText("文字");
    auto* link = new TbsSkinLinkLabel(f);
    link->SetBounds(10, 50, 200, 20);
    link->SetCaption("链接");
    link->SetParent(f);
    link->SetSkinData(&sd);
    f->Show();
    for (int i : {0, 8})
    {
        SCOPED_TRACE(i);
        const TbsStoredSkinInfo& s = bsStoredSkin(i);
        TbsCompressedStoredSkin stored;
        stored.LoadFromCompressStream(s.Data, s.Size);
        sd.LoadCompressedStoredSkin(&stored);
        const auto* e = dynamic_cast<const TbsDataSkinEditControl*>(bsSkinControlEntry(&sd, sd.GetControlIndex("edit")));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(ColorToRGB(edit->Font()->GetColor()), COLORREF(e->FontColor)) << "before any paint";
        driver->PumpUntilIdle();
        const auto* l = dynamic_cast<const TbsDataSkinStdLabelControl*>(
            bsSkinControlEntry(&sd, sd.GetControlIndex("stdlabel")));
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(ColorToRGB(link->LastTextColor()), COLORREF(l->FontColor));
    }
}

TEST_F(SkinCtrlTest, AnAutoSizedLinkLabelFitsEachSkinsFont)
{
    // The same skin with its label font twice as big: the label grows with
    // its text instead of cutting it.
    TbsSkinData sd;
    TSkinnedForm* f = MakeForm(500, 100);
    auto* link = new TbsSkinLinkLabel(f);
    link->SetLeft(10);
    link->SetTop(10);
    link->SetParent(f);
    link->SetSkinData(&sd);
    link->SetCaption("https://quorvel.example.org/");
    f->Show();
    int width[2] = {0, 0};
    for (int big : {0, 1})
    {
        const auto skin = big ? storedtest::Edited(0, {{"stdlabel", "fontheight", "-24"}}) : [] {
            auto s = std::make_unique<TbsCompressedStoredSkin>();
            s->LoadFromCompressStream(bsStoredSkin(0).Data, bsStoredSkin(0).Size);
            return s;
        }();
        sd.LoadCompressedStoredSkin(skin.get());
        driver->PumpUntilIdle();
        width[big] = link->Width();
        // As wide as a label given its text under this skin.
        auto* fresh = new TbsSkinLinkLabel(f);
        fresh->SetParent(f);
        fresh->SetSkinData(&sd);
        fresh->SetCaption(link->GetText());
        EXPECT_EQ(link->Width(), fresh->Width());
        delete fresh;
    }
    EXPECT_GT(width[1], width[0] * 3 / 2);
}

INSTANTIATE_TEST_SUITE_P(All, StoredSkinControls, testing::Range(0, 11), storedtest::SkinName);
