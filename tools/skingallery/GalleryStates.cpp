// Gallery entries of the window states: the layered border pieces around the
// frame (active and inactive), a rolled-up frame and a minimized tile.
#include "lib/bsSkinForm.h"
#include "platform/backend/headless/Headless.h"
#include "tools/skingallery/Gallery.h"

namespace gallery
{
namespace
{
struct Sizes
{
    int minW = 0, minH = 0;
};

// The border of a real form at w x h drawn at (x, y) of the page (its
// picture's client rectangle over the form), and the form's minimum size.
Sizes DrawBorder(GalleryPage& p, bool active, int x, int y, int w, int h, bool draw)
{
    if (!backend::HasCurrent()) backend::UseHeadless();
    Sizes s;
    {
        TForm f(nullptr);
        auto* sf = new TbsSkinForm(&f);
        sf->SetSkinData(&p.Data());
        f.SetBounds(0, 0, w, h);
        s.minW = sf->GetMinWidth();
        s.minH = sf->GetMinHeight();
        TbsFormLayerBorder* b = sf->BorderLayer();
        if (draw && b->HasFrame())
        {
            b->SetActive(active, false);
            const TRect r = b->WithFormBounds(x, y, w, h);
            // The page pixels are opaque; the pieces blend over them.
            const float k = b->CurrentAlpha() / 255.0f;
            // Drawing builds the pieces for the size.
            TBitmap scratch(r.Width(), r.Height(), pf32bit);
            b->Draw(scratch.Canvas(), 0, 0, r.Width(), r.Height());
            for (TbsFormLayerBorderType t : {bsflTop, bsflBottom, bsflLeft, bsflRight})
            {
                TbsBitmap* piece = b->Image(t);
                if (!piece || piece->Empty()) continue;
                const int th = b->Image(bsflTop)->Empty() ? 0 : b->Image(bsflTop)->Height();
                const int bh = b->Image(bsflBottom)->Empty() ? 0 : b->Image(bsflBottom)->Height();
                const TPoint at = t == bsflTop      ? TPoint(0, 0)
                                  : t == bsflBottom ? TPoint(0, r.Height() - bh)
                                  : t == bsflLeft   ? TPoint(0, th)
                                                    : TPoint(r.Width() - piece->Width(), th);
                for (int py = 0; py < piece->Height(); ++py)
                    for (int px = 0; px < piece->Width(); ++px)
                    {
                        const int X = r.Left + at.X + px, Y = r.Top + at.Y + py;
                        if (X < 0 || Y < 0 || X >= p.Bitmap().Width() || Y >= p.Bitmap().Height()) continue;
                        const TbsColor c = piece->GetPixel(px, py), bg = p.Bitmap().GetPixel(X, Y);
                        const float a = k * float(c >> 24) / 255.0f;
                        auto mix = [&](int sh) {
                            return TbsColor(((bg >> sh) & 0xFF) * (1 - a) + ((c >> sh) & 0xFF) * a) << sh;
                        };
                        p.Bitmap().SetPixel(X, Y, 0xFF000000u | mix(16) | mix(8) | mix(0));
                    }
            }
        }
    }
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    return s;
}

void PutFrame(GalleryPage& p, bool active, int x, int y, int w, int h)
{
    TbsBitmap frame;
    RenderFrame(p.Data(), active, w, h, "Quorvel MTS 关于", frame, p.Background());
    for (int fy = 0; fy < h; ++fy)
        for (int fx = 0; fx < w; ++fx)
        {
            const TbsColor c = frame.GetPixel(fx, fy);
            if (c != p.Background() || p.Data().FMask.Empty()) p.Bitmap().SetPixel(x + fx, y + fy, c);
        }
}
}  // namespace

void AddStateEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"windowstates", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("windowstates", "窗口状态 layered border (active, inactive), rolled up, minimized tile");
        const int w = 300, h = 170;
        const auto& lf = d.LayerFrame;
        const bool layer = lf.PictureIndex >= 0 && d.ActivePicture(lf.PictureIndex);
        const int ml = layer ? lf.ClRect.Left : 0, mt = layer ? lf.ClRect.Top : 0;
        int mr = 0, mb = 0;
        if (layer)
        {
            const TbsSkinPicture* pic = d.ActivePicture(lf.PictureIndex);
            mr = pic->Width() - lf.ClRect.Right;
            mb = pic->Height() - lf.ClRect.Bottom;
        }
        Sizes s;
        for (bool active : {true, false})
        {
            const TRect cell = p.Place(w + ml + mr, h + mt + mb, std::string(layer ? "layered border, " : "") + (active ? "active" : "inactive"));
            s = DrawBorder(p, active, cell.Left + ml, cell.Top + mt, w, h, true);
            PutFrame(p, active, cell.Left + ml, cell.Top + mt, w, h);
        }
        const int rw = std::max(s.minW, 260);
        TRect cell = p.Place(rw, s.minH, "rolled up");
        PutFrame(p, true, cell.Left, cell.Top, rw, s.minH);
        cell = p.Place(s.minW, s.minH, "minimized");
        PutFrame(p, true, cell.Left, cell.Top, s.minW, s.minH);
    }});
    entries.push_back({"mditabs", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("mditabs", "MDI 标签栏 tabs bar: list button, tabs with close buttons (active, hot), button tabs, "
                             "hidden tabs with their list button, default look");
        if (!backend::HasCurrent()) backend::UseHeadless();
        const int W = 460;
        const char* captions[] = {"视频 1.mp4", "Quorvel 转换任务", "a very long document caption", "音频"};
        for (int look = 0; look < 4; ++look)
        {
            {
                TForm f(nullptr);
                std::vector<std::unique_ptr<TForm>> children;
                f.SetBounds(0, 0, W + 20, 80);
                f.HandleNeeded();
                auto* bar = new TbsSkinMDITabsBar(&f);
                bar->SetParent(&f);
                bar->SetBounds(0, 0, W, 21);
                bar->ShowCloseButtons = look != 1;
                if (look == 1) bar->SetTabKind(bstkButton);
                if (look != 3) bar->SetSkinData(&d);
                // Room for three tabs of 140: the fourth is reached through the right button.
                if (look == 2) bar->MinTabWidth = 140;
                for (const char* c : captions)
                {
                    children.push_back(std::make_unique<TForm>(nullptr));
                    children.back()->SetCaption(c);
                    bar->AddTab(children.back().get());
                }
                bar->Tabs(1)->Active = true;
                bar->Tabs(2)->MouseIn = true;
                bar->Tabs(2)->ButtonMouseIn = look == 0;
                const char* label = look == 0 ? "tabs" : look == 1 ? "tabs as buttons" : look == 2 ? "hidden tabs" : "default look";
                const TRect cell = p.Place(W, bar->Height() + 4, label);
                TBitmap shot(bar->Width(), bar->Height(), pf32bit);
                // A first paint lays the tabs out and brings the list buttons.
                bar->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
                bar->PaintTo(shot.Canvas()->GetHandle(), 0, 0);
                TbsBitmap out;
                out.Assign(&shot);
                p.Put(out, cell.Left, cell.Top);
                delete bar;
            }
            MSG m;
            while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
        }
    }});
}
} // namespace gallery
