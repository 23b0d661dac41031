// Gallery entries of the skinned views: the main window's job table (a
// report list view of 25 columns and 30 rows with its skinned header and
// bars, one row selected) and a tree view of folders with its bar, each in
// the page's skin and in the default look.
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinTabs.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Forms.h"
#include "tools/skingallery/Gallery.h"

#include <memory>
#include <string>

namespace gallery
{
namespace
{
const char* const kColumns[] = {"输入文件", "视频时间", "文件大小", "输出文件", "转换进度", "", "当前时间", "转换大小"};
const int kWidths[] = {80, 70, 70, 80, 70, 0, 80, 80};
const char* const kNames[] = {"春节联欢晚会", "家庭旅行记录", "毕业典礼", "婚礼现场", "生日派对", "演唱会片段",
                              "风景延时摄影", "宠物日常", "烹饪教程", "篮球比赛集锦"};

std::unique_ptr<TForm> BareForm(TbsSkinData* sd, int W, int H)
{
    auto f = std::make_unique<TForm>(nullptr);
    f->SetBorderStyle(bsNone);
    f->SetBounds(0, 0, W, H);
    f->SetColor(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace);
    return f;
}

TbsSkinScrollBar* Bar(TForm* o, TWinControl* parent, TScrollBarKind kind, const TRect& r, TbsSkinData* sd)
{
    auto* b = new TbsSkinScrollBar(o);
    b->SetKind(kind);
    if (kind == sbVertical) b->SetSkinDataName("vscrollbar");
    b->SetBoundsRect(r);
    b->SetParent(parent);
    b->SetSkinData(sd);
    return b;
}

// The job table as the main window lays it out: a panel holding the view
// with a bar below and one at the right.
std::unique_ptr<TForm> JobTableForm(TbsSkinData* sd, int W, int H)
{
    auto f = BareForm(sd, W, H);
    TForm* o = f.get();
    auto* panel = new TbsSkinPanel(o);
    panel->SetBoundsRect(TRect(4, 4, W - 4, H - 4));
    panel->SetParent(o);
    panel->SetSkinData(sd);
    auto* lv = new TbsSkinListView(o);
    lv->SetBounds(7, 10, W - 45, H - 48);
    lv->SetViewStyle(vsReport);
    lv->SetRowSelect(true);
    lv->SetGridLines(true);
    lv->ReadOnly = true;
    lv->HideSelection = false;
    for (int i = 0; i < 25; ++i)
    {
        TListColumn* c = lv->Columns()->Add();
        c->SetCaption(i < 8 ? kColumns[i] : "参数" + std::to_string(i));
        c->SetWidth(i < 8 ? kWidths[i] : 0);
    }
    lv->SetParent(panel);
    for (int r = 0; r < 30; ++r)
    {
        TListItem* it = lv->Items()->Add();
        const std::string name = std::string(kNames[r % 10]) + (r >= 10 ? std::to_string(r / 10 + 1) : "");
        it->SetCaption("/home/用户/视频/" + name + ".avi");
        it->SubItems()->Add("00:0" + std::to_string(r % 10) + ":3" + std::to_string(r % 6));
        it->SubItems()->Add(std::to_string(12 + r * 7) + ".5MB");
        it->SubItems()->Add(name + ".mp4");
        it->SubItems()->Add(r < 3 ? "100%" : r < 6 ? std::to_string(r * 13) + "%" : "");
        for (int c = 5; c < 25; ++c) it->SubItems()->Add(c == 6 && r < 6 ? "00:01:0" + std::to_string(r) : "");
    }
    lv->SetItemIndex(4);
    lv->SetVScrollBar(Bar(o, panel, sbVertical, TRect(W - 38, 10, W - 19, H - 38), sd));
    lv->SetHScrollBar(Bar(o, panel, sbHorizontal, TRect(7, H - 38, W - 38, H - 19), sd));
    lv->SetSkinData(sd);
    f->HandleNeeded();
    lv->UpDateScrollBars();
    return f;
}

std::unique_ptr<TForm> TreeForm(TbsSkinData* sd, int W, int H)
{
    auto f = BareForm(sd, W, H);
    TForm* o = f.get();
    auto* tv = new TbsSkinTreeView(o);
    tv->SetBounds(4, 4, W - 27, H - 8);
    tv->SetParent(o);
    tv->HideSelection = false;
    TTreeNodes* n = tv->Items();
    TTreeNode* home = n->Add(nullptr, "主文件夹");
    TTreeNode* video = n->AddChild(home, "视频");
    for (int i = 0; i < 6; ++i) n->AddChild(video, kNames[i]);
    TTreeNode* music = n->AddChild(home, "音乐");
    n->AddChild(music, "古典");
    n->AddChild(music, "流行");
    n->AddChild(home, "下载");
    n->Add(nullptr, "文档")->SetHasChildren(true);
    n->Add(nullptr, "桌面");
    home->Expand(false);
    video->Expand(false);
    tv->SetSelected(video->Item(2));
    tv->SetVScrollBar(Bar(o, o, sbVertical, TRect(W - 23, 4, W - 4, H - 4), sd));
    tv->SetSkinData(sd);
    f->HandleNeeded();
    tv->UpDateScrollBars();
    return f;
}

// A page control of four pages with its tabs at `pos`; the third page's
// tab is hot. With `narrow` the row does not fit and the up-down shows.
std::unique_ptr<TForm> PagesForm(TbsSkinData* sd, int W, int H, TTabPosition pos, bool narrow)
{
    auto f = BareForm(sd, W, H);
    TForm* o = f.get();
    auto* pc = new TbsSkinPageControl(o);
    pc->SetBounds(4, 4, narrow ? 170 : W - 8, H - 8);
    pc->SetParent(o);
    pc->SetTabPosition(pos);
    const char* captions[] = {"标准参数设置", "剪辑设置", "滤镜设置", "文字水印"};
    for (const char* c : captions)
    {
        auto* page = new TbsSkinTabSheet(o);
        page->SetPageControl(pc);
        page->SetCaption(c);
    }
    pc->SetActivePageIndex(1);
    pc->SetSkinData(sd);
    f->HandleNeeded();
    auto* l = new TbsSkinStdLabel(o);
    l->SetCaption("页面内容");
    l->SetLeft(10);
    l->SetTop(10);
    l->SetParent(pc->Pages(1));
    l->SetSkinData(sd);
    const TRect hot = pc->GetTabRect(2);
    pc->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(hot.Left + 3, hot.Top + 3));
    return f;
}

std::unique_ptr<TForm> UpDownForm(TbsSkinData* sd, int W, int H)
{
    auto f = BareForm(sd, W, H);
    TForm* o = f.get();
    int x = 6;
    for (TUDOrientation orient : {udHorizontal, udVertical})
        for (bool skinSize : {true, false})
        {
            auto* u = new TbsSkinUpDown(o);
            u->SetSkinDataName(orient == udVertical ? "vupdown" : "hupdown");
            u->SetOrientation(orient);
            u->SetUseSkinSize(skinSize);
            u->SetBounds(x, 6, orient == udVertical ? 20 : 44, orient == udVertical ? 36 : 22);
            u->SetParent(o);
            u->SetSkinData(sd);
            x += 56;
        }
    f->HandleNeeded();
    return f;
}

void DrawViews(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("listview", "任务列表(列表视图、表头、滚动条) job table");
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        const int W = 566, H = 270;
        PutForm(p, *JobTableForm(sd, W, H), p.Place(W, H, sd ? "皮肤外观" : "默认外观"));
    }
    p.Section("treeview", "树形视图 tree view");
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        const int W = 260, H = 200;
        PutForm(p, *TreeForm(sd, W, H), p.Place(W, H, sd ? "皮肤外观" : "默认外观"));
    }
    p.Section("pagecontrol", "页面控件(上、下、左、右标签,滚动按钮) page control");
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        const char* names[] = {"上", "下", "左", "右"};
        for (TTabPosition pos : {tpTop, tpBottom, tpLeft, tpRight})
        {
            auto f = PagesForm(sd, 250, 170, pos, false);
            const TRect cell = p.Place(250, 170, std::string(names[pos]) + (sd ? " 皮肤外观" : " 默认外观"));
            PutForm(p, *f, cell);
            // The selected and the hot tab of the top row as named cells.
            if (pos != tpTop) continue;
            auto* pc = static_cast<TbsSkinPageControl*>(f->Controls(0));
            for (auto [index, what] : {std::pair{1, " tab selected"}, {2, " tab hot"}})
            {
                const TRect t = pc->GetTabRect(index);
                p.Mark(TRect(cell.Left + pc->Left() + t.Left, cell.Top + pc->Top() + t.Top,
                             cell.Left + pc->Left() + t.Right, cell.Top + pc->Top() + t.Bottom),
                       std::string(sd ? "skin" : "plain") + what);
            }
        }
        PutForm(p, *PagesForm(sd, 180, 120, tpTop, true), p.Place(180, 120, sd ? "滚动 皮肤外观" : "滚动 默认外观"));
        PutForm(p, *UpDownForm(sd, 230, 50), p.Place(230, 50, sd ? "上下按钮 皮肤外观" : "上下按钮 默认外观"));
    }
    ServeMessages();
}
}  // namespace

void AddViewEntries(std::vector<GalleryEntry>& entries) { entries.push_back({"views", DrawViews}); }
}  // namespace gallery
