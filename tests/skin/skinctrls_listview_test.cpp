// The skinned list view as the main window's job table uses it: the attached
// skinned bars mirror the native scroll state and drive it (wheel, keys, bar
// moves and drags), appear and go as rows and columns grow, the skinned
// header (pressed look, divider drag, hit tests, order array, skin pictures
// with their fallbacks), the look from the skin entry, and repaints limited
// to the rows that changed, also for cell updates queued by a worker thread.
#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

#include "platform/gui/Threads.h"
#include "skin/skinctrls_helpers.h"

using namespace ctrltest;

namespace
{
// Counts the rows it draws and the header sections painted.
class TCountingListView : public TbsSkinListView
{
public:
    using TbsSkinListView::TbsSkinListView;
    std::map<int, int> Draws;
    int HeaderSections = 0;
    int TotalDraws() const
    {
        int n = 0;
        for (auto& [row, count] : Draws) n += count;
        return n;
    }

protected:
    void DrawItem(int Index, TListItem* Item, const TRect& Rect, TCustomDrawState State) override
    {
        ++Draws[Index];
        TbsSkinListView::DrawItem(Index, Item, Rect, State);
    }
};

// A skin with a list view entry, a header button entry and entries of the
// wrong kind under the same kind of names.
std::string WriteViewSkin(const std::string& name, const std::string& downRect)
{
    const std::string dir = skintest::TempDir("views-" + name);
    CoordPicture(64, 48).SaveToFile(dir + "p0.bmp");
    skintest::WriteFile(
        dir + "skin.ini",
        "[VERSION]\r\nskinname=views\r\n\r\n[PICTURES]\r\nactivepicturescount=1\r\n0=p0.bmp\r\n\r\n"
        "[FORMINFO]\r\nclientrect=0,0,0,0\r\n\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
        "[SKINCONTROLS]\r\ncount=4\r\n0=listview:listview\r\n1=resizetoolbutton:button\r\n"
        "2=wronglv:bevel\r\n3=hotonly:button\r\n\r\n"
        "[listview]\r\nfontname=Courier New\r\nfontheight=17\r\nfontcolor=255\r\nbgcolor=65535\r\n\r\n"
        "[resizetoolbutton]\r\npictureindex=0\r\nskinrect=0,10,20,30\r\nlefttoppoint=2,0\r\nrighttoppoint=18,0\r\n"
        "activeskinrect=20,10,40,30\r\ndownskinrect=" + downRect + "\r\nfontcolor=16711680\r\ndownfontcolor=255\r\n\r\n"
        "[wronglv]\r\nlightcolor=1\r\n\r\n"
        "[hotonly]\r\npictureindex=0\r\nskinrect=0,10,20,30\r\nlefttoppoint=2,0\r\nrighttoppoint=18,0\r\n\r\n");
    return dir + "skin.ini";
}

class ListViewTest : public SkinCtrlTest
{
protected:
    void SetUp() override
    {
        SkinCtrlTest::SetUp();
        form = MakeForm(400, 300);
        view = new TCountingListView(form);
        view->SetBounds(10, 10, 300, 200);
        view->SetViewStyle(vsReport);
        view->SetRowSelect(true);
        view->SetGridLines(true);
        view->ReadOnly = true;
        for (int i = 0; i < 3; ++i)
        {
            TListColumn* c = view->Columns()->Add();
            c->SetCaption("列" + std::to_string(i));
            c->SetWidth(80);
        }
        view->SetParent(form);
        vbar = new TbsSkinScrollBar(form);
        vbar->SetKind(sbVertical);
        vbar->SetBounds(310, 10, 19, 200);
        vbar->SetParent(form);
        hbar = new TbsSkinScrollBar(form);
        hbar->SetBounds(10, 210, 300, 19);
        hbar->SetParent(form);
        view->SetVScrollBar(vbar);
        view->SetHScrollBar(hbar);
        form->Show();
        driver->PumpUntilIdle();
    }
    void AddRows(int n, int cells = 2)
    {
        for (int i = 0; i < n; ++i)
        {
            TListItem* it = view->Items()->Add();
            it->SetCaption("视频文件" + std::to_string(view->Items()->Count()) + ".mp4");
            for (int c = 0; c < cells; ++c) it->SubItems()->Add("0%");
        }
        driver->PumpUntilIdle();
    }
    int PerPage() { return int(view->Perform(LVM_GETCOUNTPERPAGE)); }
    TListViewHeader* Header() { return view->Header(); }
    TPoint HeaderPoint(int x, int y) { return Header()->ClientToScreen(TPoint(x, y)); }
    void Pump() { driver->PumpUntilIdle(); }

    TSkinnedForm* form = nullptr;
    TCountingListView* view = nullptr;
    TbsSkinScrollBar *vbar = nullptr, *hbar = nullptr;
};
} // namespace

TEST_F(ListViewTest, BarsMirrorTheNativeRangeAndAppearWithTheRows)
{
    const int page = PerPage();
    ASSERT_GT(page, 3);
    EXPECT_FALSE(vbar->GetVisible());
    EXPECT_FALSE(hbar->GetVisible());

    struct Case
    {
        int Rows;
        bool Visible;
    };
    for (const Case& c : {Case{page, false}, Case{page + 1, true}, Case{1000, true}})
    {
        view->Items()->Clear();
        AddRows(c.Rows);
        EXPECT_EQ(vbar->GetVisible(), c.Visible) << c.Rows;
        if (!c.Visible) continue;
        EXPECT_EQ(vbar->Min(), 0);
        EXPECT_EQ(vbar->Max(), c.Rows - 1);
        EXPECT_EQ(vbar->PageSize(), page);
        EXPECT_EQ(vbar->LargeChange(), page) << "a page is the rows that fit";
        EXPECT_EQ(vbar->SmallChange(), 1);
        EXPECT_EQ(vbar->Position(), 0);
    }
    // The native window keeps no scroll bar and no frame of its own: its client is the whole window.
    EXPECT_EQ(view->ClientWidth(), 300);
    EXPECT_EQ(view->ClientHeight(), 200);
}

TEST_F(ListViewTest, ScrollingStaysInStepBothWays)
{
    AddRows(1000);
    const int page = PerPage();
    const TPoint centre = view->ClientToScreen(TPoint(150, 100));

    driver->Wheel(-120, centre);
    Pump();
    EXPECT_GT(view->TopIndex(), 0) << "the wheel scrolls the native view";
    EXPECT_EQ(vbar->Position(), view->TopIndex());

    view->SetFocus();
    driver->PressKey(VK_END);
    Pump();
    EXPECT_EQ(view->TopIndex(), 1000 - page);
    EXPECT_EQ(vbar->Position(), 1000 - page);
    driver->PressKey(VK_HOME);
    Pump();
    EXPECT_EQ(view->TopIndex(), 0);
    EXPECT_EQ(vbar->Position(), 0);

    vbar->SetPosition(100);
    Pump();
    EXPECT_EQ(view->TopIndex(), 100) << "a bar move scrolls by whole rows";
    driver->Click(vbar->ClientToScreen(TPoint(9, 195)));   // the down arrow
    Pump();
    EXPECT_EQ(view->TopIndex(), 101);
    EXPECT_EQ(vbar->Position(), 101);

    const TRect thumb = vbar->Part(0).R;
    const TPoint from = vbar->ClientToScreen(TPoint(9, (thumb.Top + thumb.Bottom) / 2));
    driver->Drag(from, TPoint(from.X, from.Y + 60));
    Pump();
    EXPECT_GT(vbar->Position(), 101);
    EXPECT_EQ(view->TopIndex(), vbar->Position()) << "the thumb drag reaches the view";

    // Making a row visible moves the bar.
    view->Items()->Item(700)->MakeVisible();
    Pump();
    EXPECT_EQ(vbar->Position(), view->TopIndex());
    EXPECT_LE(view->TopIndex(), 700);
    EXPECT_GT(view->TopIndex() + page, 700);
}

TEST_F(ListViewTest, HorizontalBarAndBothFollowTheColumnsAndRows)
{
    AddRows(3);
    EXPECT_FALSE(hbar->GetVisible());
    TListColumn* wide = view->Columns()->Add();
    wide->SetWidth(200);
    Pump();
    ASSERT_TRUE(hbar->GetVisible()) << "440 pixels of columns in 300";
    EXPECT_EQ(hbar->Max(), 439);
    EXPECT_EQ(hbar->PageSize(), 300);
    EXPECT_FALSE(hbar->Both()) << "no vertical bar yet";

    AddRows(1000);
    EXPECT_TRUE(vbar->GetVisible());
    EXPECT_TRUE(hbar->Both()) << "both bars shown: the corner marker";

    hbar->SetPosition(50);
    Pump();
    EXPECT_EQ(view->Columns()->Items(0) ? view->ItemRect(0, drBounds).Left : 0, -50);

    view->Items()->Clear();
    Pump();
    EXPECT_FALSE(vbar->GetVisible());
    EXPECT_FALSE(hbar->Both());
    wide->SetWidth(10);
    Pump();
    EXPECT_FALSE(hbar->GetVisible());
}

TEST_F(ListViewTest, HeaderIsTakenOverAndTracksPresses)
{
    ASSERT_NE(view->SkinnedHeader(), nullptr);
    EXPECT_EQ(view->SkinnedHeader(), Header()->GetHandle());
    TRect hr;
    GetWindowRect(view->SkinnedHeader(), &hr);
    EXPECT_EQ(hr.Width(), 300 + 25) << "always 25 pixels wider than asked";

    // Hit tests pass through to the header.
    struct Hit
    {
        int X;
        int Item;
        UINT Flags;
    };
    for (const Hit& h : {Hit{40, 0, HHT_ONHEADER}, Hit{80, 0, HHT_ONDIVIDER}, Hit{120, 1, HHT_ONHEADER},
                         Hit{159, 1, HHT_ONDIVIDER}, Hit{200, 2, HHT_ONHEADER}, Hit{280, -1, HHT_NOWHERE}})
    {
        HDHITTESTINFO info;
        info.pt = TPoint(h.X, 5);
        EXPECT_EQ(int(SendMessage(view->SkinnedHeader(), HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))), h.Item)
            << h.X;
        EXPECT_EQ(info.flags, h.Flags) << h.X;
    }

    // The default look: shadow frame on button face; pressed: navy on 0xB59385.
    const TRect s1 = view->GetHeaderSectionRect(1);
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(HeaderPoint(s1.Left, s1.Top))), ColorToRGB(clBtnShadow));
    driver->Press(HeaderPoint(s1.Left + 20, s1.Top + 4));
    Pump();
    EXPECT_EQ(view->ActiveSection(), 1);
    EXPECT_TRUE(view->HeaderDown());
    EXPECT_FALSE(view->DividerDown());
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(HeaderPoint(s1.Left, s1.Top))), ColorToRGB(clNavy));
    EXPECT_EQ(PixelToColorRef(driver->PixelAt(HeaderPoint(s1.Left + 3, s1.Top + 3))), COLORREF(0xB59385));
    driver->Release(HeaderPoint(s1.Left + 20, s1.Top + 4));
    Pump();
    EXPECT_EQ(view->ActiveSection(), -1);
    EXPECT_FALSE(view->HeaderDown());

    // A divider drag sizes the column natively and never shows a pressed section.
    driver->Press(HeaderPoint(80, 5));
    Pump();
    EXPECT_TRUE(view->DividerDown());
    EXPECT_FALSE(view->HeaderDown());
    driver->MoveTo(HeaderPoint(110, 5));
    Pump();
    driver->Release(HeaderPoint(110, 5));
    Pump();
    EXPECT_EQ(view->Columns()->Items(0)->GetWidth(), 110);
    EXPECT_FALSE(view->DividerDown());

    // With FullDrag the sections come through the order array.
    view->FullDrag = true;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(view->GetHeaderSectionRect(i), Header()->SectionRect(i)) << i;
}

TEST_F(ListViewTest, SkinLookAndHeaderPictures)
{
    struct Case
    {
        std::string DownRect;
        std::string Entry;
        TPoint Normal, Pressed;   // picture points at a section's top-left
    };
    for (const Case& c : {Case{"40,10,60,30", "resizetoolbutton", {0, 10}, {40, 10}},
                          Case{"0,0,0,0", "resizetoolbutton", {0, 10}, {20, 10}},
                          Case{"0,0,0,0", "hotonly", {0, 10}, {0, 10}}})
    {
        TbsSkinData sd;
        sd.LoadFromFile(WriteViewSkin("look", c.DownRect));
        view->SetHeaderSkinDataName(c.Entry);
        view->SetSkinData(&sd);
        Pump();
        EXPECT_EQ(view->GetColor(), TColor(65535));
        EXPECT_EQ(view->Font()->GetColor(), TColor(255));
        EXPECT_EQ(view->Font()->GetName(), "Courier New");
        const TRect s0 = view->GetHeaderSectionRect(0);
        EXPECT_EQ(PixelToColorRef(driver->PixelAt(HeaderPoint(s0.Left, s0.Top))), CoordColor(c.Normal.X, c.Normal.Y))
            << c.Entry << " " << c.DownRect;
        driver->Press(HeaderPoint(s0.Left + 30, 4));
        Pump();
        EXPECT_EQ(PixelToColorRef(driver->PixelAt(HeaderPoint(s0.Left, s0.Top))), CoordColor(c.Pressed.X, c.Pressed.Y))
            << c.Entry << " " << c.DownRect;
        driver->Release(HeaderPoint(s0.Left + 30, 4));
        Pump();
        driver->AdvanceClock(2000);   // the next press is no double click
        view->SetSkinData(nullptr);
    }

    TbsSkinData sd;
    sd.LoadFromFile(WriteViewSkin("kinds", "0,0,0,0"));
    view->SetSkinData(&sd);
    view->UseSkinFont = false;
    view->ChangeSkinData();
    EXPECT_EQ(view->Font()->GetName(), "Arial") << "the default font's name";
    EXPECT_EQ(view->Font()->GetColor(), TColor(255)) << "the skin's colour";
    EXPECT_EQ(view->GetColor(), TColor(65535));

    view->SetSkinDataName("wronglv");
    view->ChangeSkinData();
    EXPECT_EQ(view->GetColor(), TColor(65535)) << "an entry of another kind leaves the look";
    view->SetSkinDataName("none");
    view->SetDefaultColor(clLime);
    view->ChangeSkinData();
    EXPECT_EQ(view->GetColor(), clLime);
    view->SetSkinData(nullptr);
}

TEST_F(ListViewTest, ChangedCellsRepaintOnlyTheirRow)
{
    // The job table: 25 columns, 501 rows, tall enough for 25 rows.
    form->SetClientSize(400, 600);
    view->SetHeight(560);
    vbar->SetHeight(560);
    for (int i = 3; i < 25; ++i) view->Columns()->Add()->SetWidth(i == 5 || i >= 8 ? 0 : 60);
    Pump();
    view->Draws.clear();
    AddRows(501, 24);
    EXPECT_LE(view->TotalDraws(), PerPage() + 1) << "adding rows paints only what is visible";
    EXPECT_EQ(vbar->Max(), 500);

    view->Draws.clear();
    view->HeaderSections = 0;
    view->OnDrawHeaderSection = [this](TCanvas*, TListColumn*, bool, const TRect&) { ++view->HeaderSections; };
    view->Items()->Item(3)->SubItems()->Put(2, "42%");
    Pump();
    EXPECT_EQ(view->Draws, (std::map<int, int>{{3, 1}})) << "a progress update repaints its row";
    EXPECT_EQ(view->HeaderSections, 0);
    view->Items()->Item(300)->SubItems()->Put(2, "42%");
    Pump();
    EXPECT_TRUE(view->Draws.count(300) == 0) << "a row out of view is not painted";
    EXPECT_EQ(view->Items()->Item(3)->GetTop(), view->ItemRect(3, drBounds).Top);

    // A worker queues ten updates per row for 19 rows through the GUI queue
    // while the user clicks a row.
    view->Draws.clear();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int round = 1; round <= 10; ++round)
            for (int row = 0; row < 19; ++row)
                TThread::Queue(nullptr, [this, row, round] {
                    view->Items()->Item(row)->SubItems()->Put(2, std::to_string(round * 10) + "%");
                });
        done = true;
    });
    while (!done) Pump();
    worker.join();
    driver->Click(view->ClientToScreen(TPoint(20, view->ItemRect(22, drBounds).Top + 3)));
    Pump();
    EXPECT_EQ(view->GetItemIndex(), 22) << "the click is served among the updates";
    for (int row = 0; row < 19; ++row)
    {
        EXPECT_EQ(view->Items()->Item(row)->SubItems()->Get(2), "100%");
        EXPECT_GE(view->Draws[row], 1) << row;
    }
    for (int row = 23; row < PerPage(); ++row) EXPECT_EQ(view->Draws.count(row), 0u) << row;
    EXPECT_EQ(view->HeaderSections, 0) << "the header is never repainted by cell updates";
}

// What the main window reads and writes of its job table: columns, cells by
// index, the current row, the selection with its events (also when it goes),
// clicks and double clicks on a row.
TEST_F(ListViewTest, JobTableOperationsOfTheMainWindow)
{
    view->Columns()->Items(1)->SetCaption("视频时间");
    view->Columns()->Items(1)->SetWidth(90);
    EXPECT_EQ(view->Columns()->Items(1)->GetCaption(), "视频时间");
    EXPECT_EQ(view->Columns()->Items(1)->GetWidth(), 90);
    AddRows(5);
    view->Items()->Item(2)->SubItems()->Put(1, "52%");
    EXPECT_EQ(view->Items()->Item(2)->GetCaption(), "视频文件3.mp4");
    EXPECT_EQ(view->Items()->Item(2)->SubItems()->Get(0), "0%");
    EXPECT_EQ(view->Items()->Item(2)->SubItems()->Get(1), "52%");
    EXPECT_EQ(view->GetItemIndex(), -1);
    EXPECT_EQ(view->GetSelected(), nullptr);

    std::vector<std::string> log;
    view->OnSelectItem = [&](TObject*, TListItem* item, bool selected) {
        log.push_back((selected ? "+" : "-") + std::to_string(item->Index()));
    };
    view->OnClick = [&](TObject*) { log.push_back("click"); };
    view->OnDblClick = [&](TObject*) { log.push_back("dbl"); };
    auto row = [&](int i) { return view->ClientToScreen(TPoint(20, view->ItemRect(i, drBounds).Top + 3)); };
    driver->MoveTo(row(1));
    driver->Click(row(1));
    Pump();
    EXPECT_EQ(view->GetItemIndex(), 1);
    ASSERT_NE(view->GetSelected(), nullptr);
    EXPECT_EQ(view->GetSelected()->Index(), 1);
    driver->AdvanceClock(1000);
    driver->MoveTo(row(3));
    driver->Click(row(3));
    Pump();
    EXPECT_EQ(view->GetItemIndex(), 3);
    driver->AdvanceClock(1000);
    driver->DoubleClick(row(3));
    Pump();
    ASSERT_GE(log.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 7),
              (std::vector<std::string>{"+1", "click", "-1", "+3", "click", "click", "dbl"}));
    EXPECT_EQ(std::count(log.begin(), log.end(), "dbl"), 1);

    // From code: the selection moves and both changes are told.
    log.clear();
    view->SetItemIndex(4);
    EXPECT_EQ(view->GetSelected()->Index(), 4);
    EXPECT_EQ(log, (std::vector<std::string>{"-3", "+4"}));
    log.clear();
    view->SetSelected(nullptr);
    EXPECT_EQ(view->GetSelected(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"-4"}));
    EXPECT_EQ(view->Items()->Item(4)->GetTop(), view->ItemRect(4, drBounds).Top);
}
