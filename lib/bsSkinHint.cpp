// Skinned hints: the component (application hooks, delayed requests on the
// class library's timers) and the hint window (look, size, place, region,
// alpha and painting).
#include "lib/bsSkinHint.h"

#include <algorithm>

#include "lib/bsEffects.h"
#include "lib/bsSkinCtrls.h"
#include "lib/bsSkinValidate.h"
#include "lib/bsUtils.h"

namespace
{
// Milliseconds between fade-in steps (more than the 3 the steps wait for).
constexpr unsigned FadeInterval = 4;

bool SkinQualifies(const TbsSkinData* sd)
{
    return sd && !sd->Empty && sd->HintWindow.WindowPictureIndex != -1;
}

// One pass from the start: the search goes on after each inserted line
// break, so a separator that is itself a line break (or part of one) cannot
// be found again in what replaced it; an empty separator changes nothing.
std::string ReplaceSeparators(std::string text, const std::string& sep)
{
    if (sep.empty()) return text;
    static const std::string lineBreak = "\n\r";
    for (std::size_t p = text.find(sep); p != std::string::npos; p = text.find(sep, p + lineBreak.size()))
        text.replace(p, sep.size(), lineBreak);
    return text;
}

// The work area a hint is kept in: of the monitor of the active form, else
// of the visible main form, else the screen.
TRect HintWorkArea()
{
    TRect r;
    TCustomForm* f = Screen ? Screen->ActiveCustomForm() : nullptr;
    if (!f && Application && Application->MainForm() && Application->MainForm()->GetVisible())
        f = Application->MainForm();
    if (f && f->HandleAllocated())
        GetMonitorWorkArea(f->GetHandle(), true, r);
    else
        r = TRect(0, 0, Screen ? Screen->Width() : 1024, Screen ? Screen->Height() : 768);
    return r;
}
} // namespace

// ---- the hint window --------------------------------------------------------------------

TbsSkinHintWindow::TbsSkinHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}

TbsSkinHintWindow::~TbsSkinHintWindow() = default;

void TbsSkinHintWindow::CreateParams(TCreateParams& Params)
{
    THintWindow::CreateParams(Params);
    Params.Style &= ~WS_BORDER;
    if (IsWindowsXPOrLater()) Params.WindowClass.style |= CS_DROPSHADOW;
}

TbsSkinHint* TbsSkinHintWindow::FindSkinHint()
{
    TCustomForm* f = Application ? Application->MainForm() : nullptr;
    if (!f) return nullptr;
    for (int i = 0; i < f->ComponentCount(); ++i)
        if (auto* h = dynamic_cast<TbsSkinHint*>(f->Components(i)); h && h->Active()) return h;
    return nullptr;
}

// The component's own window serves that component; the application's hint
// windows serve the active one of the main form.
static TbsSkinHint* OwningHint(TbsSkinHintWindow* w)
{
    if (auto* h = dynamic_cast<TbsSkinHint*>(w->Owner())) return h;
    return TbsSkinHintWindow::FindSkinHint();
}

void TbsSkinHintWindow::SetHintFont(TCanvas* C)
{
    const TbsSkinHint* h = FspHint;
    if (FSD && h->UseSkinFont)
    {
        const TbsDataSkinHintWindow& d = FSD->HintWindow;
        C->Font()->SetHeight(d.FontHeight);
        C->Font()->SetName(d.FontName);
        TFontStyles st;
        if (d.FontStyle.Has(TbsFontStyles::Bold)) st.Include(fsBold);
        if (d.FontStyle.Has(TbsFontStyles::Italic)) st.Include(fsItalic);
        if (d.FontStyle.Has(TbsFontStyles::Underline)) st.Include(fsUnderline);
        if (d.FontStyle.Has(TbsFontStyles::StrikeOut)) st.Include(fsStrikeOut);
        C->Font()->SetStyle(st);
    }
    else
        C->Font()->Assign(h->DefaultFont());
    const TbsSkinData* sd = h->SkinData();
    if (sd && sd->ResourceStrData()) C->Font()->SetCharset(sd->ResourceStrData()->CharSet());
    else C->Font()->SetCharset(h->DefaultFont()->GetCharset());
}

TSize TbsSkinHintWindow::MeasureText(TCanvas* C, const std::string& text)
{
    if (text.empty()) return TSize{0, 0};
    TRect r(0, 0, 0, 0);
    DrawTextUnicode(C, text, r, DT_CALCRECT | DT_NOPREFIX);
    return TSize{r.Width(), r.Height()};
}

TSize TbsSkinHintWindow::PictureSize() const
{
    TBitmap* pic = bsSkinActiveBitmap(FSD, FSD->HintWindow.WindowPictureIndex);
    return pic ? TSize{pic->GetWidth(), pic->GetHeight()} : TSize{0, 0};
}

void TbsSkinHintWindow::FitCorners(int& W, int& H)
{
    const TbsDataSkinHintWindow& d = FSD->HintWindow;
    const TSize ps = PictureSize();
    const int pw = ps.cx, ph = ps.cy;
    int dx = W - pw, dy = H - ph;
    // The corners may not overlap: a hint too small for them grows.
    if (d.RTPoint.X + dx < d.LTPoint.X)
    {
        W += d.LTPoint.X - (d.RTPoint.X + dx);
        dx = W - pw;
    }
    if (d.RBPoint.X + dx < d.LBPoint.X)
    {
        W += d.LBPoint.X - (d.RBPoint.X + dx);
        dx = W - pw;
    }
    if (d.LBPoint.Y + dy < d.LTPoint.Y)
    {
        H += d.LTPoint.Y - (d.LBPoint.Y + dy);
        dy = H - ph;
    }
    if (d.RBPoint.Y + dy < d.RTPoint.Y)
    {
        H += d.RTPoint.Y - (d.RBPoint.Y + dy);
        dy = H - ph;
    }
    NewClRect = TRect(d.ClRect.Left, d.ClRect.Top, d.ClRect.Right + dx, d.ClRect.Bottom + dy);
    NewLTPoint = d.LTPoint;
    NewRTPoint = TPoint(d.RTPoint.X + dx, d.RTPoint.Y);
    NewLBPoint = TPoint(d.LBPoint.X, d.LBPoint.Y + dy);
    NewRBPoint = TPoint(d.RBPoint.X + dx, d.RBPoint.Y + dy);
}

void TbsSkinHintWindow::CalcHintSize(TCanvas* C, int& W, int& H)
{
    const TSize t = MeasureText(C, GetText());
    if (!FSD)
    {
        W = t.cx + 4;
        H = t.cy + 4;
        return;
    }
    const TbsDataSkinHintWindow& d = FSD->HintWindow;
    const TSize ps = PictureSize();
    const int pw = ps.cx, ph = ps.cy;
    W = t.cx + d.ClRect.Left + (pw - d.ClRect.Right) + 5;
    H = t.cy + d.ClRect.Top + (ph - d.ClRect.Bottom);
    FitCorners(W, H);
}

void TbsSkinHintWindow::CalcHintSizeEx(TCanvas* C, int& W, int& H)
{
    const TSize t = MeasureText(C, GetText());
    W = t.cx;
    H = t.cy;
    int tth = 0;
    if (!FTitle.empty())
    {
        // The title is drawn bold: measured bold, so it always fits.
        const TFontStyles saved = C->Font()->GetStyle();
        C->Font()->SetStyle(TFontStyles{fsBold});
        const TSize tt = MeasureText(C, FTitle);
        C->Font()->SetStyle(saved);
        tth = tt.cy;
        H += tt.cy + 10;
        W = std::max(W, tt.cx);
    }
    if (FImageList && FImageIndex >= 0 && FImageIndex < FImageList->Count())
    {
        W += FImageList->GetWidth() + 10;
        H = std::max(H, FImageList->GetHeight() + tth + 5);
    }
    if (!FSD)
    {
        W += 4;
        H += 4;
        return;
    }
    const TbsDataSkinHintWindow& d = FSD->HintWindow;
    const TSize ps = PictureSize();
    const int pw = ps.cx, ph = ps.cy;
    W += 10 + d.ClRect.Left + (pw - d.ClRect.Right);
    H += d.ClRect.Top + (ph - d.ClRect.Bottom);
    FitCorners(W, H);
}

bool TbsSkinHintWindow::Prepare(const std::string& AHint, bool extended, int& W, int& H)
{
    if (!FspHint || !FspHint->Active()) return false;
    AExtendedStyle = extended;
    FSD = SkinQualifies(FspHint->SkinData()) ? FspHint->SkinData() : nullptr;
    SetText(ReplaceSeparators(AHint, FspHint->LineSeparator));
    TBitmap measure(1, 1, pf24bit);
    SetHintFont(measure.Canvas());
    if (extended) CalcHintSizeEx(measure.Canvas(), W, H);
    else CalcHintSize(measure.Canvas(), W, H);
    if (!FSD) NewClRect = TRect(0, 0, W, H);
    return true;
}

void TbsSkinHintWindow::SetHintRegion(int W, int H)
{
    HRGN rgn = nullptr;
    if (FSD && FSD->HintWindow.MaskPictureIndex != -1)
        if (TBitmap* mask = bsSkinActiveBitmap(FSD, FSD->HintWindow.MaskPictureIndex))
        {
            const TbsDataSkinHintWindow& d = FSD->HintWindow;
            CreateSkinRegion(rgn, d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect, NewLTPoint, NewRTPoint,
                             NewLBPoint, NewRBPoint, NewClRect, mask, W, H);
        }
    // The window owns the region it is given.
    if (rgn || FRgn) SetWindowRgn(GetHandle(), rgn, TRUE);
    FRgn = rgn;
}

void TbsSkinHintWindow::ApplyAlpha()
{
    if (!IsLayeredWindowsAvailable()) return;
    const TbsSkinHint* h = FspHint;
    const HWND wnd = GetHandle();
    if (h->AlphaBlend != FOldAlphaBlend)
    {
        const LONG ex = GetWindowLong(wnd, GWL_EXSTYLE);
        SetWindowLong(wnd, GWL_EXSTYLE, h->AlphaBlend ? LONG(ex | WS_EX_LAYERED) : LONG(ex & ~WS_EX_LAYERED));
        FOldAlphaBlend = h->AlphaBlend;
    }
    if (h->AlphaBlend && h->AlphaBlendAnimation) SetLayeredAlpha(wnd, 0);
    if (h->AlphaBlend && h->AlphaBlendValue != FOldAlphaBlendValue)
    {
        if (!h->AlphaBlendAnimation) SetLayeredAlpha(wnd, h->AlphaBlendValue);
        FOldAlphaBlendValue = h->AlphaBlendValue;
    }
}

void TbsSkinHintWindow::FadeIn()
{
    const TbsSkinHint* h = FspHint;
    if (!IsLayeredWindowsAvailable() || !h->AlphaBlend || !h->AlphaBlendAnimation) return;
    // Steps of a fifteenth of the target, the first at once, the rest on
    // the clock (the fade never waits in a loop).
    FFadeTarget = h->AlphaBlendValue;
    FFadeStep = std::max(FFadeTarget / 15, 1);
    FFadeAlpha = 0;
    FadeTick();
    if (FFadeAlpha < FFadeTarget)
    {
        if (!FFadeTimer) FFadeTimer = std::make_unique<TTimer>(nullptr);
        FFadeTimer->SetEnabled(false);
        FFadeTimer->SetInterval(FadeInterval);
        FFadeTimer->SetOnTimer([this](TObject*) { FadeTick(); });
        FFadeTimer->SetEnabled(true);
    }
}

void TbsSkinHintWindow::FadeTick()
{
    FFadeAlpha = std::min(FFadeAlpha + FFadeStep, FFadeTarget);
    ++FFadeSteps;
    Repaint();
    SetLayeredAlpha(GetHandle(), BYTE(FFadeAlpha));
    if (FFadeAlpha >= FFadeTarget && FFadeTimer) FFadeTimer->SetEnabled(false);
}

void TbsSkinHintWindow::ShowAt(int Left, int Top, int W, int H, bool clamp)
{
    if (clamp)
    {
        const TRect wa = HintWorkArea();
        if (Left + W > wa.Right) Left -= W + 2;
        if (Top + H > wa.Bottom) Top -= H + 2;
    }
    HandleNeeded();
    if (FFadeTimer) FFadeTimer->SetEnabled(false);
    SetBounds(Left, Top, W, H);
    ApplyAlpha();
    SetHintRegion(W, H);
    SetWindowPos(GetHandle(), HWND_TOPMOST, Left, Top, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    SetVisible(true);
    Repaint();
    FadeIn();
}

void TbsSkinHintWindow::ActivateHint(TRect Rect, const std::string& AHint)
{
    AExtendedStyle = false;
    FspHint = OwningHint(this);
    if (!FspHint) return;
    if (!FspHint->HintTitle().empty() || FspHint->HintImageList())
    {
        ActivateHintEx(Rect, FspHint->HintTitle(), AHint, FspHint->HintImageIndex(), FspHint->HintImageList());
        return;
    }
    FTitle.clear();
    FImageList = nullptr;
    int W = 0, H = 0;
    if (!Prepare(AHint, false, W, H)) return;
    ShowAt(Rect.Left, Rect.Top, W, H, true);
}

void TbsSkinHintWindow::ActivateHintEx(TRect Rect, const std::string& AHintTitle, const std::string& AHint,
                                       int AImageIndex, TCustomImageList* AImageList)
{
    FspHint = OwningHint(this);
    if (!FspHint) return;
    FTitle = AHintTitle;
    FImageIndex = AImageIndex;
    FImageList = AImageList;
    int W = 0, H = 0;
    if (!Prepare(AHint, true, W, H)) return;
    ShowAt(Rect.Left, Rect.Top, W, H, true);
}

void TbsSkinHintWindow::ActivateHintFromRect(const TRect& ARect, const std::string& AHint, bool ATop)
{
    FspHint = OwningHint(this);
    if (!FspHint) return;
    FTitle.clear();
    FImageList = nullptr;
    int W = 0, H = 0;
    if (!Prepare(AHint, false, W, H)) return;
    const int left = ARect.Left + RectWidth(ARect) / 2 - W / 2;
    ShowAt(left, ATop ? ARect.Top - H : ARect.Bottom, W, H, false);
}

// ---- painting ---------------------------------------------------------------------------

void TbsSkinHintWindow::PaintBackground(TCanvas* C)
{
    const int W = Width(), H = Height();
    if (FSD)
    {
        const TbsDataSkinHintWindow& d = FSD->HintWindow;
        if (TBitmap* pic = bsSkinActiveBitmap(FSD, d.WindowPictureIndex))
        {
            TBitmap B(W, H, pf32bit);
            CreateSkinImage2(d.LTPoint, d.RTPoint, d.LBPoint, d.RBPoint, d.ClRect, NewLTPoint, NewRTPoint,
                             NewLBPoint, NewRBPoint, NewClRect, &B, pic, TRect(0, 0, pic->GetWidth(), pic->GetHeight()),
                             W, H, true, d.LeftStretch, d.TopStretch, d.RightStretch, d.BottomStretch,
                             d.StretchEffect, d.StretchType);
            C->Draw(0, 0, &B);
            return;
        }
    }
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clInfoBk);
    C->FillRect(TRect(0, 0, W, H));
    C->Brush()->SetColor(clBtnShadow);
    C->FrameRect(TRect(0, 0, W, H));
}

TColor TbsSkinHintWindow::SkinTextColor(TCanvas* C) const
{
    const int ground = int(DominantColor(C, NewClRect, ColorToRGB(TColor(FSD->FSkinColors.FcBtnFace))));
    return TColor(bsSkinTextColor(*FSD, FSD->HintWindow.FontColor, ground));
}

void TbsSkinHintWindow::PaintPlain(TCanvas* C)
{
    const std::string text = GetText();
    C->Brush()->SetStyle(bsClear);
    SetBkMode(C->GetHandle(), TRANSPARENT);
    if (FSD)
    {
        C->Font()->SetColor(SkinTextColor(C));
        const TSize t = MeasureText(C, text);
        TRect r(NewClRect.Left + RectWidth(NewClRect) / 2 - t.cx / 2,
                NewClRect.Top + RectHeight(NewClRect) / 2 - t.cy / 2, 0, 0);
        r.Right = r.Left + t.cx;
        r.Bottom = r.Top + t.cy;
        DrawTextUnicode(C, text, r, DT_NOPREFIX);
        return;
    }
    C->Font()->SetColor(clInfoText);
    TRect r(2, 2, Width() - 2, Height() - 2);
    DrawTextUnicode(C, text, r, DT_NOPREFIX);
}

void TbsSkinHintWindow::PaintEx(TCanvas* C)
{
    const std::string text = GetText();
    C->Brush()->SetStyle(bsClear);
    SetBkMode(C->GetHandle(), TRANSPARENT);
    C->Font()->SetColor(FSD ? SkinTextColor(C) : clInfoText);
    const bool image = FImageList && FImageIndex >= 0 && FImageIndex < FImageList->Count();
    const bool title = !FTitle.empty();
    // The skinned look lays out in the client rectangle 5 pixels in, the
    // plain one in the window 2 pixels in.
    const TRect area = FSD ? NewClRect : TRect(2, 2, Width() - 2, Height() - 2);
    const int x0 = FSD ? area.Left + 5 : area.Left;
    int a = 0;
    if (title)
    {
        C->Font()->SetStyle(TFontStyles{fsBold});
        const TSize tt = MeasureText(C, FTitle);
        TRect tr(x0, area.Top, x0 + tt.cx, area.Top + tt.cy);
        DrawTextUnicode(C, FTitle, tr, DT_NOPREFIX);
        C->Font()->SetStyle(TFontStyles{});
        a = tt.cy + 5;
    }
    const TSize t = MeasureText(C, text);
    const int top = FSD ? area.Top + a : a;
    int tx = x0;
    if (image)
    {
        const int ih = FImageList->GetHeight();
        FImageList->Draw(C, x0, title ? top : area.Top + RectHeight(area) / 2 - ih / 2, FImageIndex, true);
        tx = x0 + FImageList->GetWidth() + (FSD ? 5 : 7);
    }
    TRect r;
    if (FSD)
    {
        const int ty = title ? top : area.Top + RectHeight(area) / 2 - t.cy / 2;
        r = TRect(tx, ty, tx + t.cx, ty + t.cy);
    }
    else
        r = TRect(tx, area.Top + a, area.Right, area.Bottom);
    DrawTextUnicode(C, text, r, DT_NOPREFIX);
}

void TbsSkinHintWindow::Paint()
{
    if (!FspHint || Width() <= 0 || Height() <= 0) return;
    TBitmap DrawBuffer(Width(), Height(), pf32bit);
    TCanvas* C = DrawBuffer.Canvas();
    PaintBackground(C);
    SetHintFont(C);
    if (AExtendedStyle) PaintEx(C);
    else PaintPlain(C);
    Canvas()->Draw(0, 0, &DrawBuffer);
}

void TbsSkinHintWindow::Dispatch(TMessage& m)
{
    switch (m.Msg)
    {
    case WM_NCPAINT: return;
    case WM_ERASEBKGND: m.Result = 1; return;
    default: break;
    }
    THintWindow::Dispatch(m);
}

// ---- the component ----------------------------------------------------------------------

TbsSkinHint::TbsSkinHint(TComponent* AOwner) : TComponent(AOwner), FDefaultFont(std::make_unique<TFont>())
{
    HW = new TbsSkinHintWindow(this);
    HW->SetVisible(false);
    if (!(ComponentState() & csDesigning) && Application)
    {
        Application->SetHintWindowClass([](TComponent* o) -> THintWindow* { return new TbsSkinHintWindow(o); });
        // Switching hints off and on makes the application's hint window anew
        // from the new class.
        Application->SetShowHint(false);
        Application->SetShowHint(true);
        InstallAppHandler();
        Application->HintShortPause = 100;
    }
}

TbsSkinHint::~TbsSkinHint()
{
    HintTimer.reset();
    Watch(FSD, nullptr);
    Watch(FHintImageList, nullptr);
}

void TbsSkinHint::Watch(TComponent* old, TComponent* now)
{
    if (old == now) return;
    if (old) old->RemoveFreeNotification(this);
    if (now) now->FreeNotification(this);
}

void TbsSkinHint::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == FSD) FSD = nullptr;
    if (AComponent == FHintImageList) FHintImageList = nullptr;
    if (AComponent == HW) HW = nullptr;
}

void TbsSkinHint::InstallAppHandler()
{
    // The handler outlives no component: once this one is gone it does
    // nothing.
    Application->OnShowHint = [this, life = std::weak_ptr<char>(FLife)](std::string& HintStr, bool& CanShow,
                                                                        THintInfo& HintInfo) {
        if (!life.expired()) AppShowHint(HintStr, CanShow, HintInfo);
    };
}

void TbsSkinHint::SetActive(bool Value)
{
    if (Value && Application && Application->MainForm())
    {
        TCustomForm* f = Application->MainForm();
        for (int i = 0; i < f->ComponentCount(); ++i)
            if (auto* h = dynamic_cast<TbsSkinHint*>(f->Components(i)); h && h != this && h->FActive)
                h->SetActive(false);
    }
    FActive = Value;
    if (Value && !(ComponentState() & csDesigning) && Application) InstallAppHandler();
}

void TbsSkinHint::SetSkinData(TbsSkinData* Value)
{
    Watch(FSD, Value);
    FSD = Value;
}

void TbsSkinHint::SetHintImage(const std::string& title, int index, TCustomImageList* list)
{
    FHintTitle = title;
    FHintImageIndex = index;
    Watch(FHintImageList, list);
    FHintImageList = list;
}

void TbsSkinHint::AppShowHint(std::string& HintStr, bool& CanShow, THintInfo& HintInfo)
{
    ClearHintImage();
    if (auto* c = dynamic_cast<TbsSkinControl*>(HintInfo.HintControl))
        SetHintImage(c->HintTitle, c->HintImageIndex, c->HintImageList());
    else if (auto* g = dynamic_cast<TbsGraphicSkinControl*>(HintInfo.HintControl))
        SetHintImage(g->HintTitle, g->HintImageIndex, g->HintImageList());
    if (OnShowHint) OnShowHint(HintStr, CanShow, HintInfo);
}

int TbsSkinHint::GetCursorHeightMargin() const
{
    // The pointer's picture is the display's own: its height is what the
    // window layer reports.
    return GetSystemMetrics(SM_CYCURSOR);
}

bool TbsSkinHint::IsVisible() const { return HW && HW->HandleAllocated() && IsWindowVisible(HW->GetHandle()); }

void TbsSkinHint::StartRequest(int mode)
{
    FRequestMode = mode;
    if (!HintTimer) HintTimer = std::make_unique<TTimer>(nullptr);
    HintTimer->SetEnabled(false);
    HintTimer->SetInterval(unsigned(std::max(1, Application ? Application->HintPause : 500)));
    HintTimer->SetOnTimer([this](TObject*) { HintTimerShow(); });
    HintTimer->SetEnabled(true);
}

void TbsSkinHint::ActivateHint2(const std::string& AHint)
{
    HintText = AHint;
    ClearHintImage();
    StartRequest(0);
}

void TbsSkinHint::ActivateHintEx2(const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                                  TCustomImageList* AImageList)
{
    HintText = AHint;
    SetHintImage(AHintTitle, AImageIndex, AImageList);
    StartRequest(1);
}

void TbsSkinHint::ActivateHint3(const TRect& AFromRect, const std::string& AHint, bool ATop)
{
    HintText = AHint;
    FromRect = AFromRect;
    Top = ATop;
    ClearHintImage();
    StartRequest(2);
}

void TbsSkinHint::HintTimerShow()
{
    if (!HW) return;
    TPoint p;
    GetCursorPos(&p);
    p.Y += GetCursorHeightMargin();
    const TRect at(p.X, p.Y, p.X, p.Y);
    if (FRequestMode == 2) HW->ActivateHintFromRect(FromRect, HintText, Top);
    else if (FRequestMode == 1) HW->ActivateHintEx(at, FHintTitle, HintText, FHintImageIndex, FHintImageList);
    else HW->ActivateHint(at, HintText);
    HintTimer->SetEnabled(false);
    HintTimer->SetInterval(unsigned(std::max(1, Application ? Application->HintHidePause : 2500)));
    HintTimer->SetOnTimer([this](TObject*) { HideHint(); });
    HintTimer->SetEnabled(true);
}

void TbsSkinHint::ActivateHint(TPoint P, const std::string& AHint)
{
    if (HW) HW->ActivateHint(TRect(P.X, P.Y, P.X, P.Y), AHint);
}

void TbsSkinHint::ActivateHintEx(TPoint P, const std::string& AHintTitle, const std::string& AHint, int AImageIndex,
                                 TCustomImageList* AImageList)
{
    SetHintImage(AHintTitle, AImageIndex, AImageList);
    if (HW) HW->ActivateHintEx(TRect(P.X, P.Y, P.X, P.Y), AHintTitle, AHint, AImageIndex, AImageList);
}

void TbsSkinHint::HideHint()
{
    // Switched off, not freed: this may run from the timer's own tick.
    if (HintTimer) HintTimer->SetEnabled(false);
    if (!IsVisible()) return;
    SetWindowPos(HW->GetHandle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    HW->ReleaseHandle();
    ClearHintImage();
}
