// The static skinned controls in each of the eleven stored skins: every
// control finds its entry, the panel family's sizes follow the entries'
// resize modes, and switching through all skins while the controls are shown
// re-skins each of them with a bounded number of repaints.
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinExCtrls.h"
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

INSTANTIATE_TEST_SUITE_P(All, StoredSkinControls, testing::Range(0, 11), storedtest::SkinName);
