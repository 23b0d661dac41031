// Gallery entries of the skin's popup windows: hint windows (a plain hint,
// a hint of two lines, the title and image form; in the skin and in the
// plain look) and the image-grid menu. Real windows of the library, painted
// off-screen and put on the page.
#include "lib/bsSkinHint.h"
#include "lib/bsSkinMenus.h"
#include "platform/backend/headless/Headless.h"
#include "platform/core/MainThread.h"
#include "platform/gui/Forms.h"
#include "tools/skingallery/Gallery.h"

#include <memory>
#include <string>

namespace gallery
{
namespace
{
void PutWindow(GalleryPage& p, TWinControl* w, int x, int y)
{
    TBitmap shot(w->Width(), w->Height(), pf32bit);
    w->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
    TbsBitmap out;
    out.Assign(&shot);
    p.Put(out, x, y);
}

// A 24 x 24 picture list with one "information" image.
std::unique_ptr<TCustomImageList> InfoImages()
{
    auto l = std::make_unique<TCustomImageList>(24, 24);
    TBitmap b(24, 24, pf24bit);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(TColor(0xFF00FF));
    c->FillRect(TRect(0, 0, 24, 24));
    c->Brush()->SetColor(TColor(0xC07020));
    c->Pen()->SetColor(TColor(0x804010));
    c->Ellipse(1, 1, 23, 23);
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(11, 10, 14, 19));
    c->FillRect(TRect(11, 5, 14, 8));
    l->AddMasked(&b, TColor(0xFF00FF));
    return l;
}

void DrawHints(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("hints", "提示窗口：单行、多行、标题与图像 hints");
    auto images = InfoImages();
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        TbsSkinHint hint(nullptr);
        hint.SetSkinData(sd);
        hint.DefaultFont()->SetName("Arial");
        hint.DefaultFont()->SetHeight(14);
        TbsSkinHintWindow* w = hint.Window();
        struct Shown
        {
            const char* Label;
            const char* Title;
            const char* Text;
            int Image;
        };
        const Shown shown[] = {
            {"单行", "", "转换所选文件 Convert the selected files", -1},
            {"多行", "", "输出文件夹@Output folder: /home/user/视频", -1},
            {"标题", "预览", "播放所选文件的预览@Plays a preview of the selected file", -1},
            {"标题与图像", "提示", "双击以打开文件@Double-click to open the file", 0},
        };
        for (const Shown& s : shown)
        {
            if (s.Title[0] || s.Image >= 0)
                hint.ActivateHintEx(TPoint(0, 0), s.Title, s.Text, s.Image, images.get());
            else
                hint.ActivateHint(TPoint(0, 0), s.Text);
            const TRect cell = p.Place(w->Width(), w->Height(),
                                       std::string(sd ? "皮肤 " : "普通 ") + s.Label);
            PutWindow(p, w, cell.Left, cell.Top);
            // The text where the window lays it out (the image would count
            // as text: hints with one are left out).
            if (s.Image < 0)
            {
                const TRect t = sd ? w->NewClRect : TRect(2, 2, w->Width() - 2, w->Height() - 2);
                p.TextRegion(TRect(cell.Left + t.Left, cell.Top + t.Top, cell.Left + t.Right, cell.Top + t.Bottom),
                             TbsTextKind::Body, std::string(sd ? "skin hint " : "plain hint ") + s.Label);
            }
            hint.HideHint();
        }
        p.NewRow();
    }
    ServeMessages();
}

// Twelve 24 x 24 colour swatches with a white mark for the image grid.
std::unique_ptr<TCustomImageList> Swatches()
{
    auto l = std::make_unique<TCustomImageList>(24, 24);
    for (int i = 0; i < 12; ++i)
    {
        TBitmap b(24, 24, pf24bit);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(TColor(RGB(40 + 18 * i, 200 - 14 * i, 90 + (i % 3) * 60)));
        c->FillRect(TRect(0, 0, 24, 24));
        c->Brush()->SetColor(clWhite);
        c->FillRect(TRect(4 + i, 10, 8 + i, 14));
        l->Add(&b, nullptr);
    }
    return l;
}

// The image-grid menu open: a header, nine cells in rows of four (one hot,
// one selected) and two button rows; in the skin and in the plain look.
void DrawImagesMenu(GalleryPage& p)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    p.Section("imagesmenu", "图像网格菜单：标题行、单元格（悬停、选中）、按钮行 image-grid menu");
    auto images = Swatches();
    for (TbsSkinData* sd : {&p.Data(), static_cast<TbsSkinData*>(nullptr)})
    {
        TbsSkinImagesMenu menu(nullptr);
        menu.SetSkinData(sd);
        menu.SetImages(images.get());
        menu.SetColumnsCount(4);
        auto add = [&](int image, const char* caption, bool button, bool header) {
            TbsImagesMenuItem* it = menu.ImagesItems()->Add();
            it->SetImageIndex(image);
            it->SetCaption(caption);
            it->Button = button;
            it->Header = header;
        };
        add(-1, "颜色 Colours", false, true);
        for (int i = 0; i < 9; ++i) add(i, "", false, false);
        add(9, "更多… More", true, false);
        add(10, "无 None", true, false);
        menu.SetItemIndex(3);
        menu.PopupFromRect(TRect(0, 0, 0, 0));
        TbsSkinImagesMenuPopupWindow* w = menu.PopupWindow();
        if (!w) continue;
        for (int k = 0; k < 6; ++k) w->ProcessKey(VK_RIGHT);   // item 6 hot
        const TRect cell = p.Place(w->Width(), w->Height(), sd ? "皮肤外观" : "默认外观");
        PutWindow(p, w, cell.Left, cell.Top);
        // The header and the button rows' captions (right of their images).
        for (int i = 0; i < menu.ImagesItems()->Count(); ++i)
        {
            const TbsImagesMenuItem* it = menu.ImagesItems()->Items(i);
            if (!it->Header && !it->Button) continue;
            TRect r = it->ItemRect;
            if (it->Button) r.Left += images->GetWidth() + 10;
            p.TextRegion(TRect(cell.Left + r.Left, cell.Top + r.Top, cell.Left + r.Right, cell.Top + r.Bottom),
                         TbsTextKind::Body, std::string(sd ? "skin " : "plain ") + it->Caption());
        }
        menu.Hide();
    }
    p.NewRow();
    // The closed popups are freed from the queue; then serving the messages
    // lets the window layer reclaim their windows.
    CheckSynchronize();
    ServeMessages();
}
}  // namespace

void AddMenuEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"hints", DrawHints});
    entries.push_back({"imagesmenu", DrawImagesMenu});
}
}  // namespace gallery
