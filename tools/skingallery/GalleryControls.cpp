// Gallery entry of the static skinned controls: panels (caption with check
// box and roll-up marker), group box, plain and multi-line labels (normal,
// disabled, path ellipsis), bevels in every shape, splitters between panels
// and a status bar with its grip. They are real controls on a form of the
// page's skin, painted off-screen and put on the page, once in the skin and
// once in their default look for comparison.
#include "lib/bsSkinCtrls.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Forms.h"
#include "tools/skingallery/Gallery.h"

#include <functional>
#include <memory>

namespace gallery
{
namespace
{
TbsSkinStdLabel* Label(TComponent* owner, TWinControl* parent, int x, int y, const std::string& text)
{
    auto* l = new TbsSkinStdLabel(owner);
    l->SetLeft(x);
    l->SetTop(y);
    l->SetCaption(text);
    l->SetParent(parent);
    return l;
}

template <class P>
P* Panel(TComponent* owner, TWinControl* parent, const TRect& r, const std::string& caption)
{
    auto* p = new P(owner);
    p->SetBoundsRect(r);
    p->SetCaption(caption);
    p->SetParent(parent);
    return p;
}

// Every skinned control under `root` takes the store (null: the default
// look at the default sizes).
void LinkStore(TWinControl* root, TbsSkinData* sd)
{
    for (int i = 0; i < root->ControlCount(); ++i)
    {
        TControl* c = root->Controls(i);
        if (auto* s = dynamic_cast<TbsSkinControl*>(c)) s->SetSkinData(sd);
        else if (auto* l = dynamic_cast<TbsSkinStdLabel*>(c)) l->SetSkinData(sd);
        else if (auto* t = dynamic_cast<TbsSkinTextLabel*>(c)) t->SetSkinData(sd);
        else if (auto* b = dynamic_cast<TbsSkinBevel*>(c)) b->SetSkinData(sd);
        else if (auto* sp = dynamic_cast<TbsSkinSplitter*>(c)) sp->SetSkinData(sd);
        if (c->IsWindowed()) LinkStore(static_cast<TWinControl*>(c), sd);
    }
}

// A borderless form of W x H holding one of each static control.
std::unique_ptr<TForm> StaticControlsForm(TbsSkinData* sd, int W, int H)
{
    auto f = std::make_unique<TForm>(nullptr);
    TForm* o = f.get();
    f->SetBorderStyle(bsNone);
    f->SetBounds(0, 0, W, H);
    f->SetColor(sd ? TColor(sd->FSkinColors.FcBtnFace) : clBtnFace);

    // A caption panel as the program's windows have them: the group box look.
    auto* p1 = Panel<TbsSkinPanel>(o, o, TRect(10, 10, 170, 120), "面板标题");
    p1->SetSkinDataName("groupbox");
    p1->SetCaptionMode(true);
    p1->SetCheckedMode(true);
    p1->AutoEnabledControls = false;
    p1->SetChecked(true);
    p1->SetRollUpMode(true);
    Label(o, p1, 12, 40, "面板中的标签");
    auto* g = Panel<TbsSkinGroupBox>(o, o, TRect(180, 10, 340, 120), "分组框");
    Label(o, g, 12, 40, "选项一");
    Label(o, g, 12, 64, "选项二");
    auto* p3 = Panel<TbsSkinPanel>(o, o, TRect(350, 10, 510, 120), "");
    auto* text = new TbsSkinTextLabel(o);
    text->SetLeft(10);
    text->SetTop(10);
    text->Lines()->Add("多行文本标签");
    text->Lines()->Add("第二行文字");
    text->Lines()->Add("第三行 Text");
    text->SetParent(p3);

    Label(o, o, 10, 130, "标准标签(&L)");
    Label(o, o, 10, 152, "禁用的标签")->SetEnabled(false);
    auto* path = Label(o, o, 10, 174, "/home/用户/视频/输出/电影片段.mp4");
    path->SetAutoSize(false);
    path->SetBounds(10, 174, 160, 18);
    path->SetEllipsType(bsetPathEllips);

    const TBevelShape shapes[] = {bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine};
    int x = 180;
    for (int i = 0; i < 6; ++i)
    {
        auto* b = new TbsSkinBevel(o);
        b->SetBounds(x, 134, 20, 20);
        b->SetShape(shapes[i]);
        b->SetStyle(i % 2 ? bsRaised : bsLowered);
        b->SetParent(o);
        x += 26;
    }
    auto* divider = new TbsSkinBevel(o);
    divider->SetBounds(180, 166, 150, 10);
    divider->SetShape(bsTopLine);
    divider->SetDividerMode(true);
    divider->SetParent(o);

    // A vertical splitter between two panels, a horizontal one below.
    auto* box = Panel<TbsSkinPanel>(o, o, TRect(10, 198, 330, H - 32), "");
    box->SetBorderStyle(TbsSkinBorderStyle::bvNone);
    auto* left = Panel<TbsSkinPanel>(o, box, TRect(0, 0, 120, 10), "");
    left->SetAlign(alLeft);
    Label(o, left, 8, 8, "左侧面板");
    auto* vs = new TbsSkinSplitter(o);
    vs->SetAlign(alLeft);
    vs->SetLeft(120);
    vs->SetParent(box);
    auto* right = Panel<TbsSkinPanel>(o, box, TRect(130, 0, 320, 10), "");
    right->SetAlign(alClient);
    Label(o, right, 8, 8, "右侧面板");
    auto* box2 = Panel<TbsSkinPanel>(o, o, TRect(350, 132, 510, H - 32), "");
    box2->SetBorderStyle(TbsSkinBorderStyle::bvNone);
    auto* top = Panel<TbsSkinPanel>(o, box2, TRect(0, 0, 160, 40), "");
    top->SetAlign(alTop);
    Label(o, top, 8, 8, "上方面板");
    auto* hs = new TbsSkinSplitter(o);
    hs->SkinDataName = "hsplitter";
    hs->SetAlign(alTop);
    hs->SetTop(40);
    hs->SetParent(box2);
    auto* bottom = Panel<TbsSkinPanel>(o, box2, TRect(0, 50, 160, 60), "");
    bottom->SetAlign(alClient);
    Label(o, bottom, 8, 8, "下方面板");

    auto* bar = new TbsSkinStatusBar(o);
    bar->SetParent(o);
    bar->SetSizeGrip(true);
    Label(o, bar, 6, 3, "就绪");
    Label(o, bar, 120, 3, "共 3 个文件，已转换 1 个");
    LinkStore(o, sd);
    return f;
}

void DrawStaticControls(GalleryPage& p)
{
    // The controls need windows: on the headless desktop unless the program
    // already has a screen.
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("staticcontrols", "面板、分组框、标签、斜面、分隔条、状态栏 static controls");
    const int W = 520, H = 300;
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        auto f = StaticControlsForm(sd, W, H);
        const TRect cell = p.Place(W, H, sd ? "皮肤外观" : "默认外观");
        PutForm(p, *f, cell);
        // The labels on the form itself, enabled and disabled.
        for (int i = 0; i < f->ControlCount(); ++i)
            if (auto* l = dynamic_cast<TbsSkinStdLabel*>(f->Controls(i)))
            {
                const TRect b = l->BoundsRect();
                p.TextRegion(TRect(cell.Left + b.Left, cell.Top + b.Top, cell.Left + b.Right, cell.Top + b.Bottom),
                             l->GetEnabled() ? TbsTextKind::Body : TbsTextKind::Disabled,
                             std::string(sd ? "skin " : "plain ") + "label " + l->GetText());
            }
    }
    // The forms are gone; serving the queue lets the window layer reclaim
    // their windows.
    ServeMessages();
}
}  // namespace

// The form's picture with its controls, as its windows paint it.
void PutForm(GalleryPage& p, TForm& f, const TRect& cell)
{
    f.HandleNeeded();
    TBitmap shot(f.Width(), f.Height(), pf32bit);
    f.PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    TbsBitmap out;
    out.Assign(&shot);
    p.Put(out, cell.Left, cell.Top);
}

void ServeMessages()
{
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
}

void AddStaticControlEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"staticcontrols", DrawStaticControls});
}
}  // namespace gallery
