// Gallery entries of the form frame: the frame active and inactive with its
// caption buttons and caption, the layered shadow, and every caption button
// in every state.
#include "lib/bsUtils.h"
#include "platform/gui/Graphics.h"
#include "tools/skingallery/Gallery.h"

#include <algorithm>

namespace gallery
{
namespace
{
const TbsDataSkinStdButton* StdButton(TbsSkinData& d, TbsStdCommand cmd)
{
    for (const auto& o : d.ObjectList)
        if (auto* b = dynamic_cast<const TbsDataSkinStdButton*>(o.get()))
            if (!dynamic_cast<const TbsDataSkinMainMenuBarButton*>(b) && b->Command == cmd) return b;
    return nullptr;
}

const TbsDataSkinCaption* Caption(TbsSkinData& d)
{
    for (const auto& o : d.ObjectList)
        if (auto* c = dynamic_cast<const TbsDataSkinCaption*>(o.get())) return c;
    return nullptr;
}

void DrawText(TbsBitmap& b, const TRect& r, const std::string& text, const std::string& font, int height, bool bold,
              int color, UINT format)
{
    TCanvas* c = b.GetCanvas();
    c->Font()->SetName(font);
    c->Font()->SetHeight(height);
    TFontStyles st;
    if (bold) st.Include(fsBold);
    c->Font()->SetStyle(st);
    c->Font()->SetColor(color);
    c->Brush()->SetStyle(bsClear);
    TRect tr = r;
    DrawTextUnicode(c, text, tr, format | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
}

// The inactive effect of auto-rendered skins on one frame band.
void InactiveEffect(TbsBitmap& b, TbsInActiveEffect effect)
{
    if (b.Empty()) return;
    std::unique_ptr<TbsEffectBmp> e(TbsEffectBmp::CreateFromBitmap(&b));
    switch (effect)
    {
    case ieBrightness: e->ChangeBrightness(0.5); break;
    case ieDarkness: e->ChangeDarkness(0.3); break;
    case ieGrayScale: e->GrayScale(); break;
    case ieNoise: e->AddMonoNoise(50); break;
    case ieSplitBlur: e->SplitBlur(1); break;
    case ieInvert: e->Invert(); break;
    }
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, e->GetPixel(x, y) | 0xFF000000u);
}
}  // namespace

void RenderFrame(TbsSkinData& d, bool active, int w, int h, const std::string& caption, TbsBitmap& out,
                 TbsColor outside)
{
    const bool inactivePicture = !active && !d.FInActivePicture.Empty();
    TbsBitmap pic;
    FromPicture(inactivePicture ? d.FInActivePicture : d.FPicture, pic);
    const int pw = pic.Width(), ph = pic.Height(), dx = w - pw, dy = h - ph;
    const TPoint nlt = d.LTPoint, nrt(d.RTPoint.X + dx, d.RTPoint.Y), nlb(d.LBPoint.X, d.LBPoint.Y + dy),
                 nrb(d.RBPoint.X + dx, d.RBPoint.Y + dy);
    const TRect ncl(d.ClRect.Left, d.ClRect.Top, d.ClRect.Right + dx, d.ClRect.Bottom + dy);
    TbsBitmap L, T, R, B;
    CreateSkinBorderImages(d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect, nlt, nrt, nlb, nrb, ncl, &L, &T, &R, &B,
                           &pic, TRect(0, 0, pw, ph), w, h, d.LeftStretch, d.TopStretch, d.RightStretch, d.BottomStretch);

    // Caption buttons, laid out in the buttons rectangle as the form does.
    TRect nbr = d.ButtonsRect;
    if (!nbr.IsEmpty() && nbr.Left > pw / 2) OffsetRect(nbr, dx, 0);
    TbsBitmap buttons;
    int x = d.CapButtonsInLeft ? nbr.Left : nbr.Right;
    for (TbsStdCommand cmd : {cmClose, cmMaximize, cmMinimize})
    {
        const TbsDataSkinStdButton* o = StdButton(d, cmd);
        if (o == nullptr || !o->SkinRectInAPicture) continue;
        const TbsSkinPicture* ap = d.ActivePicture(o->ActivePictureIndex);
        if (ap == nullptr) continue;
        if (buttons.Empty()) FromPicture(*ap, buttons);
        const TRect src = !active && !o->InActiveSkinRect.IsEmpty() ? o->InActiveSkinRect : o->SkinRect;
        const int bw = o->SkinRect.Width(), bh = o->SkinRect.Height();
        const TRect dst = d.CapButtonsInLeft ? TRect(x, nbr.Top, x + bw, nbr.Top + bh) : TRect(x - bw, nbr.Top, x, nbr.Top + bh);
        DrawToBitmapOpaque(&T, dst, TRect(0, 0, T.Width(), T.Height()), &buttons, src);
        x = d.CapButtonsInLeft ? x + bw + d.ButtonsOffset : x - bw - d.ButtonsOffset;
    }
    // Caption: the system-menu icon at its left end (buttons on the right),
    // then the text in the caption object's text rectangle.
    if (const TbsDataSkinCaption* cap = Caption(d))
    {
        TRect obj = cap->SkinRect;
        obj.Right += dx;
        TRect text(obj.Left + cap->TextRct.Left, obj.Top + cap->TextRct.Top, obj.Left + cap->TextRct.Right + dx,
                   obj.Top + cap->TextRct.Bottom);
        const TbsDataSkinStdButton* sys = StdButton(d, cmSysMenu);
        if (!d.CapButtonsInLeft && sys && sys->SkinRectInAPicture && !buttons.Empty())
        {
            const TRect src = !active && !sys->InActiveSkinRect.IsEmpty() ? sys->InActiveSkinRect : sys->SkinRect;
            const TRect dst(obj.Left, nbr.Top, obj.Left + src.Width(), nbr.Top + src.Height());
            DrawToBitmapOpaque(&T, dst, TRect(0, 0, T.Width(), T.Height()), &buttons, src);
            text.Left = dst.Right + 4;
        }
        const UINT align = cap->Alignment == bstaCenter ? DT_CENTER : cap->Alignment == bstaRightJustify ? DT_RIGHT : DT_LEFT;
        const bool bold = cap->FontStyle.Has(TbsFontStyles::Bold);
        if (cap->Shadow)
        {
            TRect sh = text;
            OffsetRect(sh, 1, 1);
            DrawText(T, sh, caption, cap->FontName, cap->FontHeight, bold, active ? cap->ActiveShadowColor : cap->ShadowColor,
                     align);
        }
        DrawText(T, text, caption, cap->FontName, cap->FontHeight, bold, active ? cap->ActiveFontColor : cap->FontColor,
                 align);
    }
    if (!active && !inactivePicture && d.AutoRenderingInActiveImage)
        for (TbsBitmap* band : {&T, &L, &R, &B}) InactiveEffect(*band, d.InActiveEffect);

    out.SetSize(w, h);
    out.Clear(Opaque(d.FSkinColors.FcBtnFace));
    auto put = [&out](TbsBitmap& band, int px, int py) {
        if (band.Empty()) return;
        DrawToBitmapOpaque(&out, TRect(px, py, px + band.Width(), py + band.Height()), TRect(0, 0, out.Width(), out.Height()),
                           &band, TRect(0, 0, band.Width(), band.Height()));
    };
    put(T, 0, 0);
    put(L, 0, T.Height());
    put(R, w - R.Width(), T.Height());
    put(B, 0, h - B.Height());
    // The window region: the mask composed like the frame, black inside.
    if (!d.FMask.Empty())
    {
        TbsBitmap mask, mL, mT, mR, mB;
        FromPicture(d.FMask, mask);
        CreateSkinBorderImages(d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect, nlt, nrt, nlb, nrb, ncl, &mL, &mT,
                               &mR, &mB, &mask, TRect(0, 0, pw, ph), w, h, d.LeftStretch, d.TopStretch, d.RightStretch,
                               d.BottomStretch);
        auto cut = [&](TbsBitmap& band, int px, int py) {
            for (int y = 0; y < band.Height(); ++y)
                for (int xx = 0; xx < band.Width(); ++xx)
                    if ((band.GetPixel(xx, y) & 0xFFFFFF) != 0) out.SetPixel(px + xx, py + y, outside);
        };
        cut(mT, 0, 0);
        cut(mL, 0, mT.Height());
        cut(mR, w - mR.Width(), mT.Height());
        cut(mB, 0, h - mB.Height());
    }
}

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
}
}  // namespace gallery
