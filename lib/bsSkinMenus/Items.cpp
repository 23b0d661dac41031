// One entry of an open menu level: its look from the skin's menu item entry
// (or the default look), the hover cross-fade and frame animation, and the
// hover and click it passes on to the controller.
#include "lib/bsSkinMenus/Internal.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lib/bsEffects.h"
#include "lib/bsUtils.h"

namespace bsmenus
{
void SetItemFont(TFont* F, const TbsSkinMenu* M, const TbsDataSkinMenuItem* MI)
{
    if (MI && M->UseSkinFont())
    {
        F->SetName(MI->FontName);
        TFontStyles st;
        if (MI->FontStyle.Has(TbsFontStyles::Bold)) st.Include(fsBold);
        if (MI->FontStyle.Has(TbsFontStyles::Italic)) st.Include(fsItalic);
        if (MI->FontStyle.Has(TbsFontStyles::Underline)) st.Include(fsUnderline);
        if (MI->FontStyle.Has(TbsFontStyles::StrikeOut)) st.Include(fsStrikeOut);
        F->SetStyle(st);
        F->SetHeight(MI->FontHeight);
    }
    else
        F->Assign(M->DefaultMenuItemFont());
    if (M->SkinData && M->SkinData->ResourceStrData()) F->SetCharset(M->SkinData->ResourceStrData()->CharSet());
    else F->SetCharset(M->DefaultMenuItemFont()->GetCharset());
}

std::string ShortCutTextOf(const TMenuItem* Item)
{
    return Item->ShortCut() != scNone ? ShortCutToText(Item->ShortCut()) : std::string();
}

void DrawMorph(TCanvas* C, TBitmap* from, TBitmap* to, TbsMorphKind kind, double kf)
{
    std::unique_ptr<TbsEffectBmp> e1(TbsEffectBmp::CreateFromhWnd(from->GetHandle()));
    std::unique_ptr<TbsEffectBmp> e2(TbsEffectBmp::CreateFromhWnd(to->GetHandle()));
    switch (kind)
    {
    case mkDefault: e1->Morph(e2.get(), kf); break;
    case mkGradient: e1->MorphGrad(e2.get(), kf); break;
    case mkLeftGradient: e1->MorphLeftGrad(e2.get(), kf); break;
    case mkRightGradient: e1->MorphRightGrad(e2.get(), kf); break;
    case mkLeftSlide: e1->MorphLeftSlide(e2.get(), kf); break;
    case mkRightSlide: e1->MorphRightSlide(e2.get(), kf); break;
    case mkPush: e1->MorphPush(e2.get(), kf); break;
    }
    e1->Draw(C->GetHandle(), 0, 0);
}

TRect MeasureText(TCanvas* C, const std::string& text, TRect r)
{
    DrawTextUnicode(C, text, r, DT_CALCRECT);
    return r;
}
}  // namespace bsmenus

using namespace bsmenus;

// ---------------------------------------------------------------------------
// Mark glyphs of the default look

void DrawMenuCheckGlyph(TCanvas* C, int X, int Y, TColor Color)
{
    C->Pen()->SetColor(Color);
    for (int i = 0; i <= 2; ++i)
    {
        C->MoveTo(X, Y + 5 - i);
        C->LineTo(X + 2, Y + 7 - i);
        C->LineTo(X + 7, Y + 2 - i);
    }
}

void DrawMenuArrowGlyph(TCanvas* C, int X, int Y, TColor Color)
{
    C->Pen()->SetColor(Color);
    for (int i = 0; i <= 3; ++i)
    {
        C->MoveTo(X + i, Y + i);
        C->LineTo(X + i, Y + 7 - i);
    }
}

void DrawMenuRadioGlyph(TCanvas* C, int X, int Y, TColor Color)
{
    C->Pen()->SetColor(Color);
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color);
    C->Ellipse(X, Y, X + 6, Y + 6);
}

// ---------------------------------------------------------------------------

TbsSkinMenuItem::TbsSkinMenuItem(TbsSkinPopupWindow* AParent, TMenuItem* AMenuItem, const TbsDataSkinMenuItem* AData)
    : Parent(AParent), MI(AData), MenuItem(AMenuItem)
{
    if (!MI) return;
    SkinRect = MI->SkinRect;
    ActiveSkinRect = MI->ActiveSkinRect;
    const TbsSkinData* sd = AParent->SD;
    if (MI->ActivePictureIndex == -1 || !sd || MI->ActivePictureIndex >= sd->ActivePicturesCount())
    {
        // The store's entry is never changed: this entry's own copies go empty.
        NullRect(SkinRect);
        NullRect(ActiveSkinRect);
    }
    else
        ActivePicture = bsSkinActiveBitmap(sd, MI->ActivePictureIndex);
}

void TbsSkinMenuItem::SetMorphKf(double Value) { FMorphKf = std::clamp(Value, 0.0, 1.0); }

bool TbsSkinMenuItem::IsSeparator() const { return MenuItem->Caption() == cLineCaption; }

bool TbsSkinMenuItem::IsHeader() const
{
    const std::string& c = MenuItem->Caption();
    return !c.empty() && c.front() == '-' && c.back() == '-' && !MenuItem->Enabled() && c != cLineCaption;
}

namespace
{
bool EffectsOn(const TbsSkinData* sd) { return sd && !sd->Empty && sd->EnableSkinEffects; }
}  // namespace

bool TbsSkinMenuItem::EnableMorphing() const { return MI && MI->Morphing && EffectsOn(Parent->SD); }

bool TbsSkinMenuItem::EnableAnimation() const
{
    return MI && !IsEmptyRect(MI->AnimateSkinRect) && MI->FrameCount > 0 && EffectsOn(Parent->SD);
}

bool TbsSkinMenuItem::CanMorphing()
{
    if (!FVisible && FMorphKf != 0)
    {
        Active = false;
        Down = false;
        FMorphKf = 0;
    }
    return FVisible && ((Hot() && FMorphKf < 1) || (!Hot() && FMorphKf > 0));
}

void TbsSkinMenuItem::DoMorphing()
{
    SetMorphKf(FMorphKf + (Hot() ? 0.2 : -0.2));
    // Counted in fifths so that five steps land exactly on the end.
    FMorphKf = std::round(FMorphKf * 5) / 5;
    Parent->DrawNow([this](TCanvas* c) { Draw(c); });
}

void TbsSkinMenuItem::ReDraw()
{
    if (MI && EnableAnimation())
    {
        if (Parent->MorphTimer->GetInterval() != unsigned(MI->AnimateInterval))
            Parent->MorphTimer->SetInterval(unsigned(std::max(1, MI->AnimateInterval)));
        if (!MI->InActiveAnimation && !Active)
        {
            CurrentFrame = 0;
            Parent->DrawNow([this](TCanvas* c) { Draw(c); });
        }
        else
            Parent->MorphTimer->SetEnabled(true);
    }
    else if (MI && EnableMorphing())
    {
        if (Parent->MorphTimer->GetInterval() != 20) Parent->MorphTimer->SetInterval(20);
        Parent->MorphTimer->SetEnabled(true);
    }
    else
        Parent->DrawNow([this](TCanvas* c) { Draw(c); });
}

TRect TbsSkinMenuItem::FrameRect(int n) const
{
    const TRect& a = MI->AnimateSkinRect;
    const int count = std::max(1, MI->FrameCount);
    if (RectHeight(a) > RectHeight(MI->SkinRect))
    {
        const int f = RectHeight(a) / count;
        return TRect(a.Left, a.Top + f * (n - 1), a.Right, a.Top + f * n);
    }
    const int f = RectWidth(a) / count;
    return TRect(a.Left + f * (n - 1), a.Top, a.Left + f * n, a.Bottom);
}

void TbsSkinMenuItem::Draw(TCanvas* Cnvs)
{
    if (!FVisible || !Cnvs) return;
    if (!MI)
    {
        DefaultDraw(Cnvs);
        return;
    }
    TBitmap B;
    B.SetPixelFormat(pf32bit);
    if (IsSeparator())
        CreateHSkinImage(MI->DividerLO, MI->DividerRO, &B, ActivePicture, MI->DividerRect, RectWidth(ObjectRect),
                         RectHeight(MI->DividerRect), MI->DividerStretchEffect);
    else
    {
        const bool hot = Hot();
        if (EnableAnimation() && CurrentFrame >= 1 && CurrentFrame <= MI->FrameCount)
            DrawSkinItem(&B, hot, true);
        else if (EnableMorphing() && !((hot && FMorphKf == 1) || (!hot && FMorphKf == 0)))
        {
            TBitmap hotB;
            hotB.SetPixelFormat(pf32bit);
            DrawSkinItem(&B, false, false);
            DrawSkinItem(&hotB, true, false);
            if (B.GetWidth() == hotB.GetWidth() && B.GetHeight() == hotB.GetHeight() && B.GetWidth() > 0 &&
                B.GetHeight() > 0)
                DrawMorph(B.Canvas(), &B, &hotB, MI->MorphKind, FMorphKf);
        }
        else
            DrawSkinItem(&B, hot, false);
    }
    if (B.GetWidth() > 0 && B.GetHeight() > 0) Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

void TbsSkinMenuItem::DrawSkinItem(TBitmap* B, bool H, bool A)
{
    const std::string shortCut = ShortCutTextOf(MenuItem);
    TRect src = H ? ActiveSkinRect : SkinRect;
    bool stretch = H ? MI->StretchEffect : MI->InActiveStretchEffect;
    if (!H && !MI->InActiveStretchEffect && MI->StretchEffect) stretch = A;
    if (A) src = FrameRect(CurrentFrame);
    const int w = RectWidth(ObjectRect);
    if (!H && MI->InActiveTransparent && Parent->FPaintBuffer)
    {
        B->SetSize(w, RectHeight(ObjectRect));
        B->Canvas()->CopyRect(TRect(0, 0, w, RectHeight(ObjectRect)), Parent->FPaintBuffer->Canvas(), ObjectRect);
    }
    else
        CreateHSkinImage(MI->ItemLO, MI->ItemRO, B, ActivePicture, src, w, RectHeight(src), stretch);
    if (B->GetWidth() <= 0 || B->GetHeight() <= 0) return;
    TCanvas* C = B->Canvas();
    const int gw = IsEmptyRect(MI->ImageRct) ? (Parent->ImgL ? Parent->GlyphWidth : 16) : 0;
    TRect T = MI->TextRct;
    T.Right = B->GetWidth() - (RectWidth(MI->SkinRect) - MI->TextRct.Right);
    C->Brush()->SetStyle(bsClear);
    SetItemFont(C->Font(), Parent->ParentMenu, MI);
    TColor color = TColor(H ? MI->ActiveFontColor : MenuItem->Enabled() ? MI->FontColor : MI->UnEnabledFontColor);
    C->Font()->SetColor(color);
    if (IsHeader())
    {
        DrawHeader(B);
        return;
    }
    // Caption, then the shortcut at the right.
    TRect cr = MeasureText(C, MenuItem->Caption(), TRect(T.Left + gw, 0, T.Right - 16, 0));
    const int ch = RectHeight(cr);
    OffsetRect(cr, 0, RectHeight(T) / 2 + T.Top - ch / 2);
    cr.Right += 2;
    DrawTextUnicode(C, MenuItem->Caption(), cr, DT_CENTER | DT_VCENTER);
    if (!shortCut.empty())
    {
        const TRect sr = MeasureText(C, shortCut, TRect(0, 0, 0, 0));
        TRect r(T.Right - RectWidth(sr) - 16, cr.Top, T.Right - 16, cr.Bottom);
        DrawTextUnicode(C, shortCut, r, DT_CENTER | DT_VCENTER);
    }
    if (MenuItem->Count() > 0)
    {
        if (IsEmptyRect(MI->ArrowImageRect))
            DrawMenuArrowGlyph(C, T.Right - 7, T.Top + RectHeight(T) / 2 - 4, color);
        else
            DrawMarkImage(C, TRect(T.Right - RectWidth(MI->ArrowImageRect) - 5, T.Top, T.Right, T.Bottom),
                          H ? MI->ActiveArrowImageRect : MI->ArrowImageRect);
    }
    if (MI->UseImageColor) color = TColor(H ? MI->ActiveImageColor : MI->ImageColor);
    DrawGlyphAndMarks(C, T, T.Left + 2, T.Top + RectHeight(T) / 2, true, MI->ImageRct, color, H);
}

// Glyph (with its checked frame) or, without one, the form command glyph,
// radio dot or check mark. x0 / yCenter place them when there is no image
// rectangle.
void TbsSkinMenuItem::DrawGlyphAndMarks(TCanvas* C, const TRect& T, int x0, int yCenter, bool skinned,
                                        const TRect& imageRct, TColor color, bool hot)
{
    TCustomImageList* il = Parent->ImgL;
    TBitmap* bmp = MenuItem->Bitmap();
    const bool hasBitmap = bmp && bmp->GetWidth() > 0 && bmp->GetHeight() > 0;
    const bool hasImage = !hasBitmap && il && MenuItem->ImageIndex() >= 0 && MenuItem->ImageIndex() < il->Count();
    const bool useRect = skinned && !IsEmptyRect(imageRct);
    if (hasBitmap || hasImage)
    {
        const int w = hasBitmap ? bmp->GetWidth() : il->GetWidth();
        const int h = hasBitmap ? bmp->GetHeight() : il->GetHeight();
        int x = x0, y = yCenter - h / 2;
        if (useRect)
        {
            x = imageRct.Left + RectWidth(imageRct) / 2 - w / 2;
            y = imageRct.Top + RectHeight(imageRct) / 2 - h / 2;
        }
        if (MenuItem->Checked())
        {
            C->Brush()->SetStyle(bsClear);
            C->Pen()->SetColor(color);
            C->Rectangle(x - 1, y - 1, x + w + 1, y + h + 1);
        }
        if (hasBitmap)
        {
            // The item's picture is shared: drawn through a transparent copy.
            TBitmap t;
            t.Assign(bmp);
            t.SetTransparent(true);
            C->Draw(x, y, &t);
        }
        else
            il->Draw(C, x, y, MenuItem->ImageIndex(), MenuItem->Enabled());
        return;
    }
    int x = x0, y = yCenter - 4;
    if (useRect)
    {
        x = imageRct.Left + RectWidth(imageRct) / 2 - 4;
        y = imageRct.Top + RectHeight(imageRct) / 2 - 4;
    }
    const COLORREF rgb = ColorToRGB(color);
    const std::string& n = MenuItem->Name();
    if (n == "BSF_CLOSE" || n == "TRAY_BSF_CLOSE") DrawCloseGlyph(C, x, y, rgb);
    else if (n == "BSF_MINITEM") DrawMinimizeGlyph(C, x, y, rgb);
    else if (n == "BSF_MAXITEM") DrawMaximizeGlyph(C, x, y, rgb);
    else if (n == "BSF_RESTORE" || n == "TRAY_BSF_RESTORE") DrawRestoreGlyph(C, x, y, rgb);
    else if (n == "BSF_ROLLUP") DrawRollUpGlyph(C, x, y, rgb);
    else if (n == "BSF_MINTOTRAY") DrawTrayGlyph(C, x, y, rgb);
    else if (MenuItem->Checked())
    {
        // The skin's mark picture goes in the image rectangle, or a column at
        // the start of the text rectangle.
        const TRect markRect = skinned ? (useRect ? imageRct
                                                  : TRect(MI->TextRct.Left + 2, MI->TextRct.Top,
                                                          MI->TextRct.Left + 16, T.Bottom))
                                       : TRect();
        if (MenuItem->RadioItem())
        {
            if (!skinned)
                DrawMenuRadioGlyph(C, x + 1, y, color);
            else if (IsEmptyRect(MI->RadioImageRect))
                DrawMenuRadioGlyph(C, x, y + 1, color);
            else
                DrawMarkImage(C, markRect, hot ? MI->ActiveRadioImageRect : MI->RadioImageRect);
        }
        else if (!skinned)
            DrawMenuCheckGlyph(C, x + 1, y, color);
        else if (IsEmptyRect(MI->CheckImageRect))
            DrawMenuCheckGlyph(C, x, y, color);
        else
            DrawMarkImage(C, markRect, hot ? MI->ActiveCheckImageRect : MI->CheckImageRect);
    }
}

void TbsSkinMenuItem::DrawMarkImage(TCanvas* C, const TRect& R, const TRect& src)
{
    if (!ActivePicture || IsEmptyRect(src)) return;
    const int w = RectWidth(src), h = RectHeight(src);
    TBitmap b(w, h, pf32bit);
    b.Canvas()->CopyRect(TRect(0, 0, w, h), ActivePicture->Canvas(), src);
    b.SetTransparentMode(tmAuto);
    b.SetTransparent(true);
    const int x = std::max(R.Left, R.Left + RectWidth(R) / 2 - w / 2);
    const int y = std::max(R.Top, R.Top + RectHeight(R) / 2 - h / 2);
    C->Draw(x, y, &b);
}

void TbsSkinMenuItem::DrawHeader(TBitmap* B)
{
    const TbsSkinData* sd = Parent->SD;
    if (!sd) return;
    int idx = sd->GetControlIndex("menuheader");
    if (idx == -1) idx = sd->GetControlIndex("label");
    if (idx == -1) return;
    const auto* lab = dynamic_cast<const TbsDataSkinLabelControl*>(bsSkinControlEntry(sd, idx));
    if (!lab) return;
    TBitmap* pic = bsSkinActiveBitmap(sd, lab->PictureIndex);
    if (!pic) return;
    TBitmap hb;
    hb.SetPixelFormat(pf32bit);
    CreateHSkinImage(lab->LTPoint.X, RectWidth(lab->SkinRect) - lab->RTPoint.X, &hb, pic, lab->SkinRect,
                     B->GetWidth(), RectHeight(lab->SkinRect), lab->StretchEffect);
    if (hb.GetWidth() <= 0 || hb.GetHeight() <= 0) return;
    TCanvas* C = hb.Canvas();
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetName(lab->FontName);
    C->Font()->SetHeight(lab->FontHeight);
    TFontStyles st;
    if (lab->FontStyle.Has(TbsFontStyles::Bold)) st.Include(fsBold);
    if (lab->FontStyle.Has(TbsFontStyles::Italic)) st.Include(fsItalic);
    C->Font()->SetStyle(st);
    C->Font()->SetColor(TColor(lab->FontColor));
    C->Font()->SetCharset(B->Canvas()->Font()->GetCharset());
    const std::string& cap = MenuItem->Caption();
    const std::string text = cap.size() >= 2 ? cap.substr(1, cap.size() - 2) : std::string();
    TRect r(lab->ClRect.Left, lab->ClRect.Top, hb.GetWidth() - (RectWidth(lab->SkinRect) - lab->ClRect.Right),
            hb.GetHeight());
    DrawTextUnicode(C, text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    B->Canvas()->Draw(0, B->GetHeight() / 2 - hb.GetHeight() / 2, &hb);
}

void TbsSkinMenuItem::DefaultDraw(TCanvas* Cnvs)
{
    const int W = RectWidth(ObjectRect), H = RectHeight(ObjectRect);
    if (W <= 0 || H <= 0) return;
    TBitmap B(W, H, pf32bit);
    TCanvas* C = B.Canvas();
    const int g = Parent->ImgL ? Parent->GlyphWidth : 19;
    C->Font()->Assign(Parent->ParentMenu->DefaultMenuItemFont());
    const TbsSkinMenu* M = Parent->ParentMenu;
    if (M->SkinData && M->SkinData->ResourceStrData()) C->Font()->SetCharset(M->SkinData->ResourceStrData()->CharSet());
    const bool sep = IsSeparator();
    TColor color;
    C->Brush()->SetStyle(bsSolid);
    if (Hot() && !sep)
    {
        C->Brush()->SetColor(clNavy);
        C->FillRect(TRect(0, 0, W, H));
        C->Brush()->SetColor(TColor(0xD2BDB6));
        C->FillRect(TRect(1, 1, W - 1, H - 1));
        color = clWindowText;
    }
    else
    {
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(TRect(0, 0, g, H));
        C->Brush()->SetColor(clWindow);
        C->FillRect(TRect(g, 0, W, H));
        color = MenuItem->Enabled() ? clWindowText : clBtnShadow;
    }
    if (sep)
    {
        C->Pen()->SetColor(clBtnShadow);
        C->MoveTo(g, H / 2);
        C->LineTo(W, H / 2);
        Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
        return;
    }
    const TRect R(2, 2, W - 2, H - 2);
    C->Brush()->SetStyle(bsClear);
    C->Font()->SetColor(color);
    if (IsHeader())
    {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clBtnShadow);
        C->FillRect(TRect(0, 0, W, H));
        C->Brush()->SetStyle(bsClear);
        C->Font()->SetColor(clBtnHighlight);
        const std::string& cap = MenuItem->Caption();
        TRect r = R;
        DrawTextUnicode(C, cap.substr(1, cap.size() - 2), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
        return;
    }
    TRect cr = MeasureText(C, MenuItem->Caption(), TRect(R.Left + g, 0, R.Right - 19, 0));
    OffsetRect(cr, 0, RectHeight(R) / 2 + R.Top - RectHeight(cr) / 2);
    cr.Right += 2;
    DrawTextUnicode(C, MenuItem->Caption(), cr, DT_CENTER | DT_VCENTER);
    const std::string shortCut = ShortCutTextOf(MenuItem);
    if (!shortCut.empty())
    {
        const TRect sr = MeasureText(C, shortCut, TRect(0, 0, 0, 0));
        TRect r(R.Right - RectWidth(sr) - 19, cr.Top, R.Right - 19, cr.Bottom);
        DrawTextUnicode(C, shortCut, r, DT_CENTER | DT_VCENTER);
    }
    if (MenuItem->Count() > 0) DrawMenuArrowGlyph(C, R.Right - 7, R.Top + RectHeight(R) / 2 - 4, color);
    // The default look puts the check and radio marks one pixel further right.
    DrawGlyphAndMarks(C, R, R.Left + 2, R.Top + RectHeight(R) / 2, false, TRect(), color, Hot());
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

void TbsSkinMenuItem::MouseEnter(bool Kb)
{
    Active = true;
    if (EnableAnimation()) CurrentFrame = 0;
    for (auto& o : Parent->ItemList)
        if (o.get() != this && o->Down)
        {
            o->Down = false;
            o->ReDraw();
        }
    if (WaitCommand && !Kb) ReDraw();
    else if (!Down)
    {
        ReDraw();
        // May close deeper levels (never this one).
        Parent->ParentMenu->CheckItem(Parent, this, false, Kb);
    }
    else
    {
        TbsSkinMenu* m = Parent->ParentMenu;
        const int i = m->GetPWIndex(Parent);
        if (i + 1 < m->LevelCount()) m->Level(i + 1)->CloseChildLevels();
    }
    if (Parent->Hint != MenuItem->Hint()) Parent->Hint = MenuItem->Hint();
}

void TbsSkinMenuItem::MouseLeave()
{
    Active = false;
    if (EnableAnimation()) CurrentFrame = MI->FrameCount + 1;
    WaitCommand = false;
    if (!Down) ReDraw();
    TbsSkinMenu* m = Parent->ParentMenu;
    if (m->WItem == this)
    {
        m->WaitTimer->SetEnabled(false);
        m->WItem = nullptr;
    }
}

void TbsSkinMenuItem::MouseDown(int, int)
{
    WaitCommand = false;
    if (!Down && MenuItem->Enabled()) Parent->ParentMenu->CheckItem(Parent, this, true, false);
}
