// Gallery entry of the skinned boxes: list boxes (plain, with a caption and
// its buttons, with images and a scroll bar), combo boxes (closed, focused,
// disabled, tool-button style, editable) with an open drop-down list, and
// edit boxes (plain, read-only output folder, disabled, with an edit button),
// a scroll box with its bars, office combo boxes with their lists and a link label.
// Real controls on a form of the page's skin, painted off-screen, once in
// the skin and once in their default look.
#include "lib/bsSkinBoxCtrls.h"
#include "lib/bsSkinExCtrls.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Forms.h"
#include "tools/skingallery/Gallery.h"

#include <memory>

namespace gallery
{
namespace
{
void LinkBoxes(TWinControl* root, TbsSkinData* sd)
{
    for (int i = 0; i < root->ControlCount(); ++i)
    {
        TControl* c = root->Controls(i);
        if (auto* e = dynamic_cast<TbsSkinCustomEdit*>(c)) e->SetSkinData(sd);
        else if (auto* l = dynamic_cast<TbsSkinLinkLabel*>(c)) l->SetSkinData(sd);
        else if (auto* s = dynamic_cast<TbsSkinControl*>(c)) s->SetSkinData(sd);
    }
}

// Small coloured squares as item images.
std::unique_ptr<TImageList> Images()
{
    auto il = std::make_unique<TImageList>(16, 16);
    const TColor colors[] = {TColor(RGB(200, 60, 60)), TColor(RGB(60, 160, 60)), TColor(RGB(60, 90, 200)),
                             TColor(RGB(220, 170, 40))};
    for (TColor c : colors)
    {
        TBitmap b(16, 16, pf32bit);
        b.Canvas()->Brush()->SetColor(clFuchsia);
        b.Canvas()->FillRect(TRect(0, 0, 16, 16));
        b.Canvas()->Brush()->SetColor(c);
        b.Canvas()->Ellipse(TRect(1, 1, 15, 15));
        il->AddMasked(&b, clFuchsia);
    }
    return il;
}

std::unique_ptr<TForm> BoxesForm(TbsSkinData* sd, TImageList* images, int W, int H)
{
    auto f = std::make_unique<TForm>(nullptr);
    TForm* o = f.get();
    f->SetBorderStyle(bsNone);
    f->SetBounds(0, 0, W, H);
    f->SetColor(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace);

    auto* l1 = new TbsSkinListBox(o);
    l1->SetBounds(10, 10, 150, 130);
    l1->SetParent(o);
    for (const char* s : {"高清 1080p", "标清 720p", "手机 480p", "音频 MP3", "动画 GIF"}) l1->Items()->Add(s);
    l1->SetItemIndex(1);

    auto* l2 = new TbsSkinListBox(o);
    l2->SetBounds(170, 10, 160, 130);
    l2->SetParent(o);
    l2->SetCaptionMode(true);
    l2->SetCaption("皮肤列表");
    l2->SetImages(images);
    for (int i = 0; i < 12; ++i) l2->Items()->Add("皮肤 " + std::to_string(i + 1) + " 号");
    l2->SetItemIndex(2);

    const auto combo = [&](int x, int y, int w, int index) {
        auto* c = new TbsSkinComboBox(o);
        c->SetBounds(x, y, w, 20);
        c->SetParent(o);
        for (const char* s : {"320x240", "640x480", "720x576", "1280x720", "1920x1080"}) c->Items()->Add(s);
        c->SetItemIndex(index);
        return c;
    };
    combo(340, 10, 130, 3);
    combo(340, 40, 130, 1)->SetEnabled(false);
    auto* tool = combo(340, 70, 130, 4);
    tool->SetToolButtonStyle(true);
    tool->SetHeight(24);
    auto* editable = combo(340, 104, 130, 0);
    editable->SetStyle(bscbEditStyle);
    editable->SetText("自定义 800x600");

    // An open drop-down, drawn as the list it is, under a combo box.
    auto* open = combo(480, 10, 130, 2);
    auto* drop = new TbsSkinListBox(o);
    drop->SetParent(o);
    drop->SetBounds(480, 10 + open->Height(), 130, 60);
    for (int i = 0; i < open->Items()->Count(); ++i) drop->Items()->Add(open->Items()->Get(i));
    drop->SetItemIndex(3);

    // A scroll box with its two bars, scrolled a little.
    auto* vbar = new TbsSkinScrollBar(o);
    vbar->SetKind(sbVertical);
    vbar->SetSkinDataName("vscrollbar");
    vbar->SetBounds(591, 100, 19, 80);
    vbar->SetParent(o);
    auto* hbar = new TbsSkinScrollBar(o);
    hbar->SetSkinDataName("hscrollbar");
    hbar->SetBounds(480, 180, 111, 19);
    hbar->SetParent(o);
    auto* box = new TbsSkinScrollBox(o);
    box->SetBounds(480, 100, 111, 80);
    box->SetParent(o);
    auto* inner = new TbsSkinListBox(o);
    inner->SetBounds(4, 4, 180, 150);
    inner->SetParent(box);
    for (const char* s : {"滚动区域中的列表", "第二行", "第三行"}) inner->Items()->Add(s);
    LinkBoxes(box, sd);
    box->SetVScrollBar(vbar);
    box->SetHScrollBar(hbar);

    const auto edit = [&](int x, int y, int w, const char* text) {
        auto* e = new TbsSkinEdit(o);
        e->SetBounds(x, y, w, 20);
        e->SetParent(o);
        e->SetText(text);
        return e;
    };
    edit(10, 150, 200, "输出文件名 Output");
    edit(220, 150, 250, "/home/用户/视频/输出")->SetReadOnly(true);
    edit(10, 180, 200, "禁用的编辑框")->SetEnabled(false);
    // An edit with a button takes the skin's entry that draws the button.
    auto* withButton = edit(220, 180, 250, "带按钮的编辑框");
    withButton->SetButtonMode(true);
    withButton->SkinDataName = "buttonedit";
    LinkBoxes(o, sd);
    box->UpDateScrollRange();
    box->VScroll(20);
    return f;
}

TbsSkinOfficeItem* Row(TbsSkinOfficeItems* items, const char* title, const char* caption, int image,
                       bool header = false)
{
    TbsSkinOfficeItem* it = items->Add();
    it->SetTitle(title);
    it->SetCaption(caption);
    it->SetImageIndex(image);
    it->SetHeader(header);
    return it;
}

// The main window's category and preset boxes with their office lists open
// under them (drawn as the lists they are), and a link label.
std::unique_ptr<TForm> OfficeForm(TbsSkinData* sd, TImageList* images, int W, int H)
{
    auto f = std::make_unique<TForm>(nullptr);
    TForm* o = f.get();
    f->SetBorderStyle(bsNone);
    f->SetBounds(0, 0, W, H);
    f->SetColor(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace);

    auto* category = new TbsSkinOfficeComboBox(o);
    category->SetBounds(10, 10, 119, 50);
    category->SetParent(o);
    category->SetToolButtonStyle(true);
    category->SetImages(images);
    category->SetListBoxSkinDataName("resizetoolpanel");
    for (const char* c : {"手机", "电脑", "网络视频", "音频"}) Row(category->Items(), "", c, 0);
    for (int i = 0; i < 4; ++i) category->Items()->Items(i)->SetImageIndex(i);
    category->SetItemIndex(1);
    auto* catList = new TbsSkinOfficeListBox(o);
    catList->SetSkinDataName("resizetoolpanel");
    catList->SetBounds(10, 62, 119, 4 * 50 + 5);
    catList->SetParent(o);
    catList->SetImages(images);
    catList->SetItemHeight(50);
    catList->SetShowItemTitles(false);
    for (int i = 0; i < 4; ++i) Row(catList->Items(), "", category->Items()->Items(i)->Caption().c_str(), i);
    catList->SetItemIndex(1);

    auto* presets = new TbsSkinOfficeComboBox(o);
    presets->SetBounds(140, 10, 260, 50);
    presets->SetParent(o);
    presets->SetToolButtonStyle(true);
    presets->SetImages(images);
    const char* captions[] = {"MP4 高清视频 1280x720", "AVI 标准视频 640x480", "3GP 手机视频 176x144"};
    for (int i = 0; i < 3; ++i) Row(presets->Items(), "预设", captions[i], i);
    presets->SetItemIndex(0);
    auto* preList = new TbsSkinOfficeListBox(o);
    preList->SetBounds(140, 62, 260, 4 * 60 + 20 + 6);
    preList->SetParent(o);
    preList->SetImages(images);
    preList->SetItemHeight(60);
    preList->SetShowLines(true);
    Row(preList->Items(), "", "常用格式", -1, true);
    Row(preList->Items(), "MP4 视频", "高清 H.264 编码，适合电脑播放", 0);
    Row(preList->Items(), "AVI 视频", "标准清晰度，兼容性好", 1);
    Row(preList->Items(), "3GP 视频", "手机视频", 2)->SetEnabled(false);
    Row(preList->Items(), "MP3 音频", "仅提取声音", 3);
    preList->SetItemIndex(2);

    auto* link = new TbsSkinLinkLabel(o);
    link->SetBounds(420, 20, 160, 24);
    link->SetCaption("访问 Quorvel 主页");
    link->SetParent(o);
    LinkBoxes(o, sd);
    return f;
}

// Shown first: the boxes lay out their inner windows (edits, lists) on the way.
void PutShownForm(GalleryPage& p, TForm& f, const TRect& cell)
{
    f.HandleNeeded();
    f.Show();
    ServeMessages();
    PutForm(p, f, cell);
}

void DrawBoxes(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("boxes", "列表框、组合框、编辑框 list, combo and edit boxes");
    const int W = 620, H = 210;
    auto images = Images();
    PutShownForm(p, *BoxesForm(&p.Data(), images.get(), W, H), p.Place(W, H, "皮肤外观"));
    PutShownForm(p, *BoxesForm(nullptr, images.get(), W, H), p.Place(W, H, "默认外观"));
    p.NewRow();
    const int OW = 600, OH = 340;
    PutShownForm(p, *OfficeForm(&p.Data(), images.get(), OW, OH), p.Place(OW, OH, "办公风格 皮肤外观"));
    PutShownForm(p, *OfficeForm(nullptr, images.get(), OW, OH), p.Place(OW, OH, "办公风格 默认外观"));
    ServeMessages();
}
}  // namespace

void AddBoxEntries(std::vector<GalleryEntry>& entries) { entries.push_back({"boxes", DrawBoxes}); }
}  // namespace gallery
