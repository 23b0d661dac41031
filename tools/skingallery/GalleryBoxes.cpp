// Gallery entry of the skinned boxes: list boxes (plain, with a caption and
// its buttons, with images and a scroll bar), combo boxes (closed, focused,
// disabled, tool-button style, editable) with an open drop-down list, and
// edit boxes (plain, read-only output folder, disabled, with an edit button).
// Real controls on a form of the page's skin, painted off-screen, once in
// the skin and once in their default look.
#include "lib/bsSkinBoxCtrls.h"
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
    edit(220, 180, 250, "带按钮的编辑框")->SetButtonMode(true);
    LinkBoxes(o, sd);
    return f;
}

// Shown first: the boxes lay their parts out when their windows appear.
void PutShownForm(GalleryPage& p, TForm& f, const TRect& cell)
{
    f.HandleNeeded();
    f.Show();
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    TBitmap shot(f.Width(), f.Height(), pf32bit);
    f.PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    TbsBitmap out;
    out.Assign(&shot);
    p.Put(out, cell.Left, cell.Top);
}

void DrawBoxes(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("boxes", "列表框、组合框、编辑框 list, combo and edit boxes");
    const int W = 620, H = 210;
    auto images = Images();
    PutShownForm(p, *BoxesForm(&p.Data(), images.get(), W, H), p.Place(W, H, "皮肤外观"));
    PutShownForm(p, *BoxesForm(nullptr, images.get(), W, H), p.Place(W, H, "默认外观"));
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
}
}  // namespace

void AddBoxEntries(std::vector<GalleryEntry>& entries) { entries.push_back({"boxes", DrawBoxes}); }
}  // namespace gallery
