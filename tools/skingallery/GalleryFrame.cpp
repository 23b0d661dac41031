// Gallery entries of the form frame: the frame active and inactive with its
// caption buttons and caption, the layered shadow, and every caption button
// in every state.
#include "lib/bsSkinForm.h"
#include "lib/bsUtils.h"
#include "platform/backend/headless/Headless.h"
#include "platform/gui/Graphics.h"
#include "tools/skingallery/Gallery.h"

#include <algorithm>
#include <functional>

namespace gallery
{
namespace
{
void SetButton(TbsSkinForm& sf, TbsStdCommand cmd, bool in, bool down)
{
    for (auto& o : sf.ObjectList)
        if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get()); b && b->Command == cmd)
        {
            b->FMouseIn = in;
            b->FDown = down;
        }
}

// The frame of a real form; `tweak` sets caption object states before the
// paint, `client` paints into the client rectangle (window coordinates).
void PaintForm(TbsSkinData& d, bool active, int w, int h, const std::string& caption, TbsBitmap& out,
               TbsColor outside, const std::function<void(TbsSkinForm&)>& tweak,
               const std::function<void(TCanvas*, const TRect&)>& client = nullptr)
{
    // A real form with its skinning component, painted off-screen.
    if (!backend::HasCurrent()) backend::UseHeadless();
    {
        TForm f(nullptr);
        f.SetCaption(caption);
        auto* sf = new TbsSkinForm(&f);
        sf->SetSkinData(&d);
        f.SetBounds(0, 0, w, h);
        f.HandleNeeded();
        SendMessage(f.Handle(), WM_NCACTIVATE, active ? 1 : 0, 0);
        // Fades and the activation animation at their end.
        sf->MorphTimer->SetEnabled(false);
        sf->AnimateTimer->SetEnabled(false);
        for (auto& o : sf->ObjectList)
        {
            o->FMorphKf = o->Active ? 1.0 : 0.0;
            if (auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get())) c->CurrentFrame = c->Active ? c->FrameCount + 1 : 0;
        }
        if (tweak) tweak(*sf);
        TBitmap shot(f.Width(), f.Height(), pf32bit);
        // The client area shows the skin's face colour.
        shot.Canvas()->Brush()->SetColor(d.Empty ? clBtnFace : TColor(d.FSkinColors.FcBtnFace));
        shot.Canvas()->FillRect(TRect(0, 0, f.Width(), f.Height()));
        if (client)
        {
            const TRect cl = sf->SkinSupport() ? sf->NewClRect : TRect(3, 22, f.Width() - 3, f.Height() - 3);
            client(shot.Canvas(), cl);
        }
        if (sf->SkinSupport()) sf->PaintNCSkin(shot.Canvas()->GetHandle());
        else sf->PaintNCDefault(shot.Canvas()->GetHandle());
        out.Assign(&shot);
        // Pixels outside the window region show what lies under the form.
        if (HRGN rgn = sf->Region())
            for (int y = 0; y < out.Height(); ++y)
                for (int x = 0; x < out.Width(); ++x)
                    if (!PtInRegion(rgn, x, y)) out.SetPixel(x, y, outside);
        for (int y = 0; y < out.Height(); ++y)
            for (int x = 0; x < out.Width(); ++x) out.SetPixel(x, y, out.GetPixel(x, y) | 0xFF000000u);
    }
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
}
}  // namespace

void RenderFrame(TbsSkinData& d, bool active, int w, int h, const std::string& caption, TbsBitmap& out,
                 TbsColor outside)
{
    PaintForm(d, active, w, h, caption, out, outside, nullptr);
}

namespace
{
// Sixteen-pixel pictures for the quick buttons: a document, a disc, a star.
void QuickImages(TCustomImageList& il)
{
    const TColor key = clFuchsia;
    for (int i = 0; i < 3; ++i)
    {
        TBitmap b(16, 16);
        TCanvas* c = b.Canvas();
        c->Brush()->SetColor(key);
        c->FillRect(TRect(0, 0, 16, 16));
        c->Pen()->SetColor(TColor(RGB(40, 40, 60)));
        if (i == 0)
        {
            c->Brush()->SetColor(clWhite);
            c->Rectangle(3, 1, 13, 15);
            for (int y = 4; y < 13; y += 3) c->FillRect(TRect(5, y, 11, y + 1)), c->MoveTo(5, y), c->LineTo(11, y);
        }
        else if (i == 1)
        {
            c->Brush()->SetColor(TColor(RGB(40, 110, 200)));
            c->Ellipse(1, 1, 15, 15);
            c->Brush()->SetColor(clWhite);
            c->Ellipse(6, 6, 10, 10);
        }
        else
        {
            c->Brush()->SetColor(TColor(RGB(240, 170, 20)));
            c->Polygon({{8, 0}, {10, 6}, {15, 6}, {11, 9}, {13, 15}, {8, 11}, {3, 15}, {5, 9}, {1, 6}, {6, 6}});
        }
        il.AddMasked(&b, key);
    }
}

// The client band where the main menu bar sits: the menu bar's own drawing
// when it has registered one, else the skin's empty bar.
void PaintMenuBarArea(TbsSkinData& d, TCanvas* c, const TRect& cl)
{
    const int ci = d.GetControlIndex("mainmenubar");
    const auto* bar = ci >= 0 ? dynamic_cast<const TbsDataSkinMainMenuBar*>(d.CtrlList[std::size_t(ci)].get()) : nullptr;
    const int h = bar && !bar->SkinRect.IsEmpty() ? bar->SkinRect.Height() : GetSystemMetrics(SM_CYMENU);
    const TRect band(cl.Left, cl.Top, cl.Right, std::min(cl.Bottom, cl.Top + h));
    if (gMenuBarPainter)
    {
        gMenuBarPainter(d, c, band);
        return;
    }
    if (TBitmap* pic = bar ? bsSkinActiveBitmap(&d, bar->PictureIndex) : nullptr)
        c->CopyRect(band, pic->Canvas(), bar->SkinRect);
    else
    {
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(band);
    }
}
}  // namespace

std::function<void(TbsSkinData&, TCanvas*, const TRect&)> gMenuBarPainter;

void AddFrameEntries(std::vector<GalleryEntry>& entries)
{
    entries.push_back({"frame", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("frame", d.SkinName + " — 窗体 frame (active, inactive)");
        const int w = 440, h = 250;
        const auto& lf = d.LayerFrame;
        const int S = lf.PictureIndex >= 0 ? lf.ClRect.Left : 0;
        for (bool active : {true, false})
        {
            const TRect cell = p.Place(w + 2 * S, h + 2 * S, active ? "active" : "inactive");
            if (S > 0)
            {
                // The layered shadow: the layer picture composed around the
                // form, blended by its grey mask.
                TbsBitmap* lp = p.Picture(lf.PictureIndex);
                TbsBitmap* lm = p.Picture(lf.MaskPictureIndex);
                if (lp && lm)
                {
                    const TRect whole(0, 0, lp->Width(), lp->Height());
                    TbsBitmap shade, alpha;
                    ComposeLook(shade, *lp, whole, lf.LTPoint, lf.RTPoint, lf.LBPoint, lf.RBPoint, lf.ClRect, true, true,
                                true, true, true, bsstFull, w + 2 * S, h + 2 * S);
                    ComposeLook(alpha, *lm, whole, lf.LTPoint, lf.RTPoint, lf.LBPoint, lf.RBPoint, lf.ClRect, true, true,
                                true, true, true, bsstFull, w + 2 * S, h + 2 * S);
                    const float k = (active ? lf.AlphaBlendValue : lf.InActiveAlphaBlendValue) / 255.0f;
                    for (int y = 0; y < shade.Height(); ++y)
                        for (int x = 0; x < shade.Width(); ++x)
                        {
                            const float a = k * float(alpha.GetPixel(x, y) & 0xFF) / 255.0f;
                            const TbsColor s = shade.GetPixel(x, y), bg = p.Bitmap().GetPixel(cell.Left + x, cell.Top + y);
                            auto mix = [&](int sh) {
                                return TbsColor(((bg >> sh) & 0xFF) * (1 - a) + ((s >> sh) & 0xFF) * a) << sh;
                            };
                            p.Bitmap().SetPixel(cell.Left + x, cell.Top + y, 0xFF000000u | mix(16) | mix(8) | mix(0));
                        }
                }
            }
            TbsBitmap frame;
            RenderFrame(d, active, w, h, "Quorvel MTS 视频音频转换", frame, p.Background());
            // Pixels cut by the mask show what lies under the form.
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                {
                    const TbsColor c = frame.GetPixel(x, y);
                    if (c != p.Background() || d.FMask.Empty()) p.Bitmap().SetPixel(cell.Left + S + x, cell.Top + S + y, c);
                }
        }
    }});
    entries.push_back({"framestates", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("framestates", "窗体按钮状态 frame buttons hot and pressed, long caption");
        const std::pair<const char*, std::function<void(TbsSkinForm&)>> states[] = {
            {"close hot", [](TbsSkinForm& sf) { SetButton(sf, cmClose, true, false); }},
            {"close pressed", [](TbsSkinForm& sf) { SetButton(sf, cmClose, true, true); }},
            {"minimize hot", [](TbsSkinForm& sf) { SetButton(sf, cmMinimize, true, false); }},
            {"maximize pressed", [](TbsSkinForm& sf) { SetButton(sf, cmMaximize, true, true); }}};
        for (const auto& [what, tweak] : states)
        {
            const TRect cell = p.Place(250, 90, what);
            TbsBitmap frame;
            PaintForm(d, true, 250, 90, "长标题会以省略号结尾 Quorvel MTS", frame, p.Background(), tweak);
            p.Put(frame, cell.Left, cell.Top);
        }
    }});
    entries.push_back({"captionbuttons", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("captionbuttons", "标题按钮 caption buttons: normal, hot, pressed, disabled, inactive; restore looks");
        for (const auto& o : d.ObjectList)
        {
            auto* b = dynamic_cast<const TbsDataSkinStdButton*>(o.get());
            if (b == nullptr || dynamic_cast<const TbsDataSkinMainMenuBarButton*>(b)) continue;
            TbsBitmap* pic = p.Picture(b->ActivePictureIndex);
            if (pic == nullptr) continue;
            const std::pair<const char*, TRect> states[] = {
                {"normal", b->SkinRect},          {"hot", b->ActiveSkinRect},
                {"pressed", b->DownRect},         {"disabled", b->DisableSkinRect},
                {"inactive", b->InActiveSkinRect}, {"restore", b->RestoreRect},
                {"restore hot", b->RestoreActiveRect}, {"restore pressed", b->RestoreDownRect}};
            for (const auto& [what, r] : states)
            {
                if (r.IsEmpty()) continue;
                const TRect cell = p.Place(std::max(r.Width(), 44), r.Height(), b->IDName + " " + what);
                p.LastCell().Entry = "captionbuttons";
                DrawToBitmapOpaque(&p.Bitmap(), TRect(cell.Left, cell.Top, cell.Left + r.Width(), cell.Bottom),
                                   TRect(0, 0, p.Bitmap().Width(), p.Bitmap().Height()), pic, r);
            }
            p.NewRow();
        }
    }});
    entries.push_back({"framemenubar", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("framemenubar", "带菜单栏区域的窗体 frame with a menu bar area (active, inactive)");
        for (bool active : {true, false})
        {
            const TRect cell = p.Place(440, 200, active ? "menu bar, active" : "menu bar, inactive");
            TbsBitmap frame;
            PaintForm(d, active, 440, 200, "Quorvel MTS 视频音频转换", frame, p.Background(), nullptr,
                      [&d](TCanvas* c, const TRect& cl) { PaintMenuBarArea(d, c, cl); });
            p.Put(frame, cell.Left, cell.Top);
        }
    }});
    entries.push_back({"framecaption", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("framecaption", "标题图标与快捷按钮 caption icon and quick buttons, long caption");
        const std::pair<const char*, int> states[] = {{"icon, quick buttons", -1},
                                                      {"quick button hot", 1},
                                                      {"quick button pressed", 2},
                                                      {"inactive", -2}};
        for (const auto& [what, which] : states)
        {
            const TRect cell = p.Place(330, 90, what);
            TbsBitmap frame;
            TCustomImageList il(16, 16);
            QuickImages(il);
            const int hot = which;
            PaintForm(d, which != -2, 330, 90, "快捷按钮与图标 — 很长的标题会以省略号结尾 Quorvel MTS", frame,
                      p.Background(), [&il, hot](TbsSkinForm& sf) {
                          sf.SetShowIcon(true);
                          sf.SetQuickImageList(&il);
                          for (int i = 0; i < 3; ++i)
                          {
                              TbsQuickButtonItem* it = sf.QuickButtons()->Add();
                              it->SetImageIndex(i);
                              it->Hint = "快捷按钮";
                              it->Active = i == hot;
                              it->Down = hot == 2 && i == 2;
                          }
                          sf.QuickButtons()->Items(2)->SetEnabled(hot != -1);
                      });
            p.Put(frame, cell.Left, cell.Top);
        }
    }});
    entries.push_back({"captioneffects", [](GalleryPage& p) {
        TbsSkinData& d = p.Data();
        p.Section("captioneffects", "标题文字效果 caption text: light copy, glow, soft glow, reflection");
        // Effects in a colour that stands off the caption text.
        auto contrast = [](const TbsSkinCaptionObject& c) {
            const COLORREF f = ColorToRGB(TColor(c.ActiveFontColor));
            return GetRValue(f) * 3 + GetGValue(f) * 6 + GetBValue(f) > 1280 ? 0x302010 : 0xFFFFFF;
        };
        const std::pair<const char*, std::function<void(TbsSkinCaptionObject&)>> looks[] = {
            {"light", [&](TbsSkinCaptionObject& c) { c.Light = true; c.ActiveLightColor = contrast(c); }},
            {"glow", [&](TbsSkinCaptionObject& c) { c.GlowEffect = true; c.GlowSize = 3; c.GlowActiveColor = contrast(c); }},
            {"soft glow", [&](TbsSkinCaptionObject& c) { c.VistaGlowEffect = true; c.GlowActiveColor = contrast(c); }},
            {"reflection", [](TbsSkinCaptionObject& c) { c.ReflectionEffect = true; c.ReflectionActiveColor = 0x808080; c.ReflectionOffset = 1; }}};
        for (const auto& [what, look] : looks)
        {
            const TRect cell = p.Place(260, 60, what);
            TbsBitmap frame;
            PaintForm(d, true, 260, 60, "效果 Quorvel", frame, p.Background(), [&look](TbsSkinForm& sf) {
                for (auto& o : sf.ObjectList)
                    if (auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get())) look(*c);
            });
            p.Put(frame, cell.Left, cell.Top);
        }
    }});
}
}  // namespace gallery
