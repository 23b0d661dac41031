// Gallery entries of the skinned menus: a popup menu with every kind of
// entry (images, check and radio marks, a header, separators, shortcut
// texts, a disabled entry, form command glyphs, Chinese captions) with a
// sub-menu open, in the skin and in the default look. Real menu levels of a
// form's controller, painted off-screen and put on the page.
#include "lib/bsSkinForm.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ImgList.h"
#include "platform/core/MainThread.h"
#include "platform/os/Region.h"
#include "tools/skingallery/Gallery.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace gallery
{
namespace
{
// Four 16 x 16 glyphs on a magenta key: a folder, a file, a camera, a disc.
void FillImages(TImageList& il)
{
    il.SetSize(16, 16);
    const TColor fill[4] = {TColor(0x30A0E0), TColor(0xE0E0E0), TColor(0x404040), TColor(0xC08030)};
    for (int k = 0; k < 4; ++k)
    {
        TBitmap b(16, 16, pf32bit);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(TColor(0xFF00FF));
        c->FillRect(TRect(0, 0, 16, 16));
        c->Brush()->SetColor(fill[k]);
        c->Pen()->SetColor(TColor(0x303030));
        if (k == 3) c->Ellipse(1, 1, 15, 15);
        else c->Rectangle(2, k == 0 ? 4 : 1, 14, 15);
        if (k == 2)
        {
            c->Brush()->SetColor(TColor(0xF0F0F0));
            c->Ellipse(5, 5, 11, 11);
        }
        il.AddMasked(&b, TColor(0xFF00FF));
    }
}

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const std::string& caption, int image = -1,
                const std::string& shortCut = "")
{
    auto* mi = new TMenuItem(owner);
    mi->SetCaption(caption);
    mi->SetImageIndex(image);
    if (!shortCut.empty()) mi->SetShortCut(TextToShortCut(shortCut));
    parent->Add(mi);
    return mi;
}

void BuildMenu(TForm& f, TPopupMenu& m)
{
    TMenuItem* root = m.Items();
    Item(&f, root, "添加文件(&A)...", 1, "Ctrl+O");
    Item(&f, root, "添加文件夹(&F)", 0);
    Item(&f, root, "-");
    Item(&f, root, "-快照格式-")->SetEnabled(false);
    for (const char* fmt : {"BMP 位图", "JPEG 图片"})
    {
        TMenuItem* r = Item(&f, root, fmt);
        r->SetRadioItem(true);
        r->SetGroupIndex(1);
    }
    root->Items(4)->SetChecked(true);
    Item(&f, root, "显示预览(&P)")->SetChecked(true);
    Item(&f, root, "截取快照", 2)->SetChecked(true);
    Item(&f, root, "不可用的命令")->SetEnabled(false);
    Item(&f, root, "-");
    TMenuItem* sub = Item(&f, root, "输出格式(&O)", 3);
    Item(&f, sub, "MP4 视频 (H.264)", -1, "Ctrl+1");
    Item(&f, sub, "AVI 视频", -1, "Ctrl+2")->SetChecked(true);
    Item(&f, sub, "-");
    Item(&f, sub, "MP3 音频");
    TMenuItem* close = Item(&f, root, "关闭(&C)", -1, "Alt+F4");
    close->SetName("BSF_CLOSE");
}

// One level as it shows on the screen: its picture inside its region, the
// page's background outside.
void PutLevel(GalleryPage& p, TbsSkinPopupWindow* w, int x, int y)
{
    TBitmap shot(w->Width(), w->Height(), pf32bit);
    w->PaintMenu(shot.Canvas());
    TbsBitmap out;
    out.Assign(&shot);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(w->Handle(), rgn) != 0)
        for (int yy = 0; yy < out.Height(); ++yy)
            for (int xx = 0; xx < out.Width(); ++xx)
                if (!PtInRegion(rgn, xx, yy)) out.SetPixel(xx, yy, p.Background());
    DeleteObject(rgn);
    for (int yy = 0; yy < out.Height(); ++yy)
        for (int xx = 0; xx < out.Width(); ++xx) out.SetPixel(xx, yy, out.GetPixel(xx, yy) | 0xFF000000u);
    p.Put(out, x, y);
}

void DrawPopupMenus(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("popupmenu", "弹出菜单 popup menu (sub-menu open)");
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        {
            TForm f(nullptr);
            auto* sf = new TbsSkinForm(&f);
            sf->SetSkinData(sd);
            f.SetBounds(600, 600, 200, 100);
            f.HandleNeeded();
            TImageList il(&f);
            FillImages(il);
            TPopupMenu m(&f);
            m.SetImages(&il);
            BuildMenu(f, m);
            TbsSkinMenu* M = sf->SkinMenu;
            M->Popup(nullptr, sd, 0, TRect(10, 10, 10, 10), m.Items(), false);
            TbsSkinPopupWindow* l0 = M->Level(0);
            // The sub-menu item hot with its level open.
            for (int i = 0; i < l0->ItemCount(); ++i)
                if (l0->Item(i)->MenuItem->Count() > 0)
                {
                    l0->Item(i)->Active = true;
                    M->CheckItem(l0, l0->Item(i), true, false);
                    l0->Item(0)->Active = false;
                    break;
                }
            int right = 0, bottom = 0;
            for (int i = 0; i < M->LevelCount(); ++i)
            {
                right = std::max(right, M->Level(i)->Left() + M->Level(i)->Width());
                bottom = std::max(bottom, M->Level(i)->Top() + M->Level(i)->Height());
            }
            const TRect cell = p.Place(right - 10, bottom - 10, sd ? "皮肤外观" : "默认外观");
            for (int i = 0; i < M->LevelCount(); ++i)
                PutLevel(p, M->Level(i), cell.Left + M->Level(i)->Left() - 10, cell.Top + M->Level(i)->Top() - 10);
            M->CloseMenu(0);
        }
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
        CheckSynchronize(0);
    }
}
// The main window's menu bar: one item hot, one with its menu open, a
// disabled one; and a narrow bar whose last items went to the overflow
// marker.
void DrawMenuBars(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("menubar", "菜单栏 menu bar (hot, open, disabled, overflow)");
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
        for (int w : {440, 200})
        {
            {
                TForm f(nullptr);
                f.SetBorderStyle(bsNone);
                f.SetBounds(0, 0, w, 60);
                TMainMenu m(&f);
                for (const char* c : {"文件(&F)", "编辑(&E)", "转换(&C)", "工具(&T)", "帮助(&H)"})
                {
                    TMenuItem* mi = Item(&f, m.Items(), c);
                    Item(&f, mi, "-");
                }
                m.Items()->Items(3)->SetEnabled(false);
                auto* bar = new TbsSkinMainMenuBar(&f);
                bar->SetParent(&f);
                bar->SetSkinData(sd);
                bar->SetMainMenu(&m);
                bar->ChangeSkinData();
                f.HandleNeeded();
                bar->HandleNeeded();
                TBitmap first(bar->Width(), bar->Height(), pf32bit);
                bar->PaintMenuBar(first.Canvas());   // lays the items out
                if (bar->ItemCount() > 2)
                {
                    bar->Item(0)->FDown = true;
                    bar->Item(1)->Active = bar->Item(1)->FMouseIn = true;
                    bar->Item(1)->SetMorphKf(1);
                }
                TBitmap shot(bar->Width(), bar->Height(), pf32bit);
                bar->PaintMenuBar(shot.Canvas());
                TbsBitmap out;
                out.Assign(&shot);
                const TRect cell = p.Place(bar->Width(), bar->Height(),
                                           std::string(sd ? "皮肤外观" : "默认外观") + (w < 300 ? " overflow" : ""));
                p.Put(out, cell.Left, cell.Top);
                // Each shown item's caption, above the open item's accent bar;
                // the open and the hot item of the wide bar as named cells.
                for (int i = 0; i < bar->ItemCount(); ++i)
                {
                    const auto* it = bar->Item(i);
                    const TRect& r = it->ObjectRect;
                    if (!it->Fits || r.IsEmpty()) continue;
                    if (w > 300 && i < 2)
                        p.Mark(TRect(cell.Left + r.Left, cell.Top + r.Top, cell.Left + r.Right, cell.Top + r.Bottom),
                               std::string(sd ? "skin" : "plain") + (i == 0 ? " menubar open" : " menubar hot"));
                    p.TextRegion(TRect(cell.Left + r.Left + 2, cell.Top + r.Top + 2, cell.Left + r.Right - 2,
                                       cell.Top + r.Bottom - 3),
                                 it->MenuItem->Enabled() ? TbsTextKind::Body : TbsTextKind::Disabled,
                                 std::string(sd ? "skin " : "plain ") + it->MenuItem->Caption());
                }
            }
            MSG msg;
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
        }
}
}  // namespace

void AddPopupMenuEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"popupmenu", DrawPopupMenus});
    entries.push_back({"menubar", DrawMenuBars});
    AddMenuButtonEntries(entries);
}
}  // namespace gallery
