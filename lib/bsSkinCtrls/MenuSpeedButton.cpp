// TbsSkinMenuSpeedButton: the track area, opening the skinned popup menu and
// the image-grid menu, staying down until a menu closes, the drop-down
// marker, and the looks composed from the tool-button entries.
#include "lib/bsSkinCtrls/MenuSpeedButton.h"

#include <initializer_list>

#include "lib/bsSkinCtrls/Common.h"
#include "lib/bsSkinMenus.h"

namespace
{
constexpr int kTrack = 15;   // the track part and the marker strip

bool IsOneOf(const std::string& n, std::initializer_list<const char*> names)
{
    for (const char* s : names)
        if (n == s) return true;
    return false;
}

// The tool-button entries, whose looks the button composes itself; the
// other entries (the skin's menu buttons) draw as a speed button does.
bool ToolButtonEntry(const std::string& n)
{
    return IsOneOf(n, {"resizebutton", "resizetoolbutton", "toolbutton", "bigtoolbutton"});
}
} // namespace

TbsSkinMenuSpeedButton::TbsSkinMenuSpeedButton(TComponent* AOwner) : TbsSkinSpeedButton(AOwner)
{
    SkinDataName = "toolmenubutton";
}

// ---- properties -------------------------------------------------------------------

void TbsSkinMenuSpeedButton::SetSkinPopupMenu(TbsSkinPopupMenu* Value)
{
    Watch(FSkinPopupMenu, Value);
    FSkinPopupMenu = Value;
}

void TbsSkinMenuSpeedButton::SetTrackButtonMode(bool Value)
{
    FTrackButtonMode = Value;
    if (FIndex == -1) Invalidate();
}

void TbsSkinMenuSpeedButton::SetNewStyle(bool Value)
{
    FNewStyle = Value;
    if (Value) SkinDataName = "resizetoolbutton";
}

void TbsSkinMenuSpeedButton::SetTrackPosition(TbsTrackPosition Value)
{
    FTrackPosition = Value;
    Invalidate();
}

void TbsSkinMenuSpeedButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinSpeedButton::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSkinPopupMenu) FSkinPopupMenu = nullptr;
}

void TbsSkinMenuSpeedButton::GetSkinData()
{
    TbsSkinSpeedButton::GetSkinData();
    if (auto* d = dynamic_cast<const TbsDataSkinMenuButtonControl*>(bsSkinControlEntry(FSD, FIndex)))
        TrackButtonRect = d->TrackButtonRect;
}

// ---- geometry ---------------------------------------------------------------------

TRect TbsSkinMenuSpeedButton::Strip() const
{
    return BottomStrip() ? TRect(0, height_ - kTrack, width_, height_) : TRect(width_ - kTrack, 0, width_, height_);
}

TRect TbsSkinMenuSpeedButton::GetTrackButtonRect() const
{
    TRect t = TrackButtonRect;
    const int dx = width_ - RectWidth(SkinRect), dy = height_ - RectHeight(SkinRect);
    switch (ResizeMode)
    {
    // A look that resizes both ways keeps its right end and grows in height.
    case 1:
        OffsetRect(t, dx, 0);
        t.Bottom += dy;
        break;
    case 2: OffsetRect(t, dx, 0); break;
    case 3: OffsetRect(t, 0, dy); break;
    default: break;
    }
    return t;
}

TRect TbsSkinMenuSpeedButton::ContentRect() const
{
    if (FIndex != -1 && !ToolButtonEntry(SkinDataName))
    {
        TRect r = NewClRect;
        r.Right = std::min(r.Right, width_ - kTrack);
        return r;
    }
    return BottomStrip() ? TRect(0, 0, width_, height_ - kTrack) : TRect(0, 0, width_ - kTrack, height_);
}

bool TbsSkinMenuSpeedButton::InTrackArea(int X, int Y) const
{
    if (!FSkinPopupMenu && !FSkinImagesMenu) return false;
    if (!FTrackButtonMode) return true;
    const TRect t = FIndex != -1 && !ToolButtonEntry(SkinDataName) && !IsEmptyRect(TrackButtonRect)
                        ? GetTrackButtonRect()
                        : Strip();
    return X >= t.Left && X <= t.Right && Y >= t.Top && Y <= t.Bottom;
}

// ---- the menus --------------------------------------------------------------------

void TbsSkinMenuSpeedButton::TrackMenu()
{
    const TPoint p = ClientToScreen(TPoint(0, 0));
    const TRect R(p.X, p.Y, p.X + width_, p.Y + height_);
    const auto life = LifeToken();
    if (FSkinPopupMenu)
    {
        if (OnShowTrackMenu) OnShowTrackMenu(this);
        if (life.expired()) return;
        if (FSkinPopupMenu) FSkinPopupMenu->PopupFromRect2(this, R, false);
        if (life.expired()) return;
    }
    if (!FSkinImagesMenu) return;
    if (OnShowTrackMenu) OnShowTrackMenu(this);
    if (life.expired() || !FSkinImagesMenu) return;
    FSkinImagesMenu->SetInternalMenuClose(this, [this](TObject*) { MenuClosed(); });
    FSkinImagesMenu->PopupFromRect(R);
    // A menu without images shows nothing and never closes: nothing to wait for.
    if (!life.expired() && FMenuTracked && !FSkinPopupMenu && FSkinImagesMenu && !FSkinImagesMenu->PopupWindow())
        EndTracking();
}

void TbsSkinMenuSpeedButton::MenuClosed() { EndTracking(); }

void TbsSkinMenuSpeedButton::EndTracking()
{
    FMenuTracked = false;
    SetDown(false);
    FMouseIn = false;
    const auto life = LifeToken();
    if (OnHideTrackMenu) OnHideTrackMenu(this);
    if (!life.expired()) Invalidate();
}

// ---- mouse and messages -------------------------------------------------------------

void TbsSkinMenuSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
    {
        GetSkinData();
        FMenuTracked = InTrackArea(X, Y);
        FMouseIn = true;
        if (FMenuTracked)
        {
            // The menu's press: no click of the button follows.
            if (!FDown) SetDown(true);
            TrackMenu();
            return;
        }
    }
    TbsSkinSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TbsSkinMenuSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!FMenuTracked) TbsSkinSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TbsSkinMenuSpeedButton::CMMouseEnter(TMessage& m)
{
    if (FMenuTracked) FMouseIn = true;
    else TbsSkinSpeedButton::CMMouseEnter(m);
}

void TbsSkinMenuSpeedButton::CMMouseLeave(TMessage& m)
{
    if (FMenuTracked) FMouseIn = false;
    else TbsSkinSpeedButton::CMMouseLeave(m);
}

void TbsSkinMenuSpeedButton::Dispatch(TMessage& m)
{
    if (m.Msg == BSM_SKINMENU_CLOSED)
    {
        EndTracking();
        return;
    }
    TbsSkinSpeedButton::Dispatch(m);
}

// While its menu shows the button stays pressed, wherever the pointer is.
bool TbsSkinMenuSpeedButton::Pressed() const
{
    return FDown && (FGroupIndex != 0 || FMouseIn || FMenuTracked);
}

// ---- painting ---------------------------------------------------------------------

void TbsSkinMenuSpeedButton::DrawMarker(TCanvas* C, const TRect& M, bool active, bool down, TColor textColor)
{
    if (FDrawStandardArrow) DrawArrowGlyph(C, M, ColorToRGB(textColor), FArrowType);
    // The skin has no disabled marker: a disabled button's is the small
    // arrow in its disabled text colour.
    else if (!GetEnabled()) DrawSmallDownArrow(C, M, ColorToRGB(textColor));
    else if (FIndex != -1 && !IsEmptyRect(MenuMarkerRect)) DrawMenuMarker(C, M, active, down, false);
    else DrawSmallDownArrow(C, M, ColorToRGB(FMenuTracked && FIndex != -1 ? TColor(DownFontColor) : textColor));
}

void TbsSkinMenuSpeedButton::DrawLookContent(TCanvas* C, const TRect& R, const TRect& M, bool pressed, bool active,
                                             bool markerDown)
{
    DrawStateContent(C, R, R, pressed, active);
    DrawMarker(C, M, active, markerDown, StateTextColor(pressed, active));
}

void TbsSkinMenuSpeedButton::ComposePart(TBitmap* B, const TRect& S, int x, int W, int H, bool cornerPoints)
{
    if (!Picture || IsEmptyRect(S) || W < 1 || H < 1) return;
    TBitmap part(W, H, pf32bit);
    if (cornerPoints && ResizeMode == 1)
    {
        const int dx = W - RectWidth(SkinRect), dy = H - RectHeight(SkinRect);
        CreateSkinImage(LTPt, RTPt, LBPt, RBPt, ClRect, LTPt, TPoint(RTPt.X + dx, RTPt.Y), TPoint(LBPt.X, LBPt.Y + dy),
                        TPoint(RBPt.X + dx, RBPt.Y + dy),
                        TRect(ClRect.Left, ClRect.Top, ClRect.Right + dx, ClRect.Bottom + dy), &part, Picture, S, W, H,
                        true, LeftStretch, TopStretch, RightStretch, BottomStretch, StretchEffect, StretchType);
    }
    else
        CreateSkinImageByClRect(&part, Picture, S, ClRect, true);
    B->Canvas()->Draw(x, 0, &part);
}

void TbsSkinMenuSpeedButton::DrawTwoPartLook(TBitmap* B, const TRect& R, bool ADown, bool AActive,
                                             bool cornerPoints)
{
    const int W = width_, H = height_;
    const bool tracked = FTrackButtonMode && FMenuTracked;
    const bool down = ADown && AActive;
    // The state pictures; the normal one is the one the button asked for
    // (its disabled picture when it has one).
    const TRect normal = !ADown && !AActive ? R : SkinRect;
    const TRect* idle = FFlat ? nullptr : &normal;
    if (FFlat) DrawParentImage(this, B->Canvas());
    if (FTrackButtonMode)
    {
        const TRect* main = down ? &DownSkinRect : AActive ? &ActiveSkinRect : idle;
        const TRect* track = main;
        if (tracked)
        {
            main = &ActiveSkinRect;
            track = &DownSkinRect;
        }
        if (main) ComposePart(B, *main, 0, W - kTrack, H, cornerPoints);
        if (track) ComposePart(B, *track, W - kTrack, kTrack, H, cornerPoints);
    }
    else if (const TRect* s = down ? &DownSkinRect : AActive ? &ActiveSkinRect : idle)
        ComposePart(B, *s, 0, W, H, cornerPoints);
    const bool pressed = down && !tracked;
    TRect M = Strip();
    if (pressed || FMenuTracked)
    {
        M.Top += 2;
        M.Left = W - 13;
    }
    DrawLookContent(B->Canvas(), TRect(0, 0, W - kTrack, H), M, pressed, AActive, pressed || FMenuTracked);
}

void TbsSkinMenuSpeedButton::DrawNewStyle(TBitmap* B, bool ADown, bool AActive)
{
    const int W = width_, H = height_;
    const bool tracked = FTrackButtonMode && FMenuTracked;
    const bool pressed = ADown && AActive && !tracked;
    const std::string mainName = bsSkinControlIndex(FSD, "resizetoolbutton") != -1 ? "resizetoolbutton" : "resizebutton";
    const TRect strip = Strip();
    TRect main(0, 0, W, H);
    std::string trackName;
    // In track mode a hot button shows its track part apart: from its own
    // entry over the whole look, or cut from the main entry.
    const bool split = FTrackButtonMode && AActive;
    if (split)
    {
        trackName = BottomStrip() ? "htracktoolbutton" : "vtracktoolbutton";
        if (bsSkinControlIndex(FSD, trackName) == -1)
        {
            trackName = mainName;
            main = BottomStrip() ? TRect(0, 0, W, H - kTrack) : TRect(0, 0, W - kTrack, H);
        }
    }
    const auto put = [&](const std::string& name, bool hot, bool down, const TRect& r) {
        if (r.Width() < 1 || r.Height() < 1) return;
        TBitmap part(r.Width(), r.Height(), pf32bit);
        if (bsctrls::ComposeButtonLook(FSD, name, hot, down, &part, r.Width(), r.Height()) != -1)
            B->Canvas()->Draw(r.Left, r.Top, &part);
    };
    put(mainName, AActive, pressed, main);
    if (split) put(trackName, true, tracked, strip);
    TRect M = strip;
    if (FTrackButtonMode ? tracked : pressed) OffsetRect(M, 1, 1);
    const TRect content = BottomStrip() ? TRect(0, 0, W, H - kTrack) : TRect(0, 0, W - kTrack, H);
    DrawLookContent(B->Canvas(), content, M, pressed, AActive, pressed || FMenuTracked);
}

void TbsSkinMenuSpeedButton::DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive)
{
    const std::string& n = SkinDataName;
    if (FNewStyle && n == "resizetoolbutton") return DrawNewStyle(B, ADown, AActive);
    if (n == "toolbutton" || n == "bigtoolbutton") return DrawTwoPartLook(B, R, ADown, AActive, false);
    if (n == "resizebutton" || n == "resizetoolbutton") return DrawTwoPartLook(B, R, ADown, AActive, true);
    // A menu-button entry: the speed button's look; in track mode with its
    // menu open, hot with the track part cut from the pressed look.
    const bool trackDown = FTrackButtonMode && FMenuTracked && !IsEmptyRect(TrackButtonRect) &&
                           !IsEmptyRect(DownSkinRect);
    TRect content = DrawStateLook(B, trackDown ? ActiveSkinRect : R);
    if (trackDown)
    {
        TBitmap D(width_, height_, pf32bit);
        DrawStateLook(&D, DownSkinRect);
        const TRect t = GetTrackButtonRect();
        B->Canvas()->CopyRect(t, D.Canvas(), t);
    }
    const bool pressed = ADown && AActive && !trackDown;
    content.Right = std::min(content.Right, width_ - kTrack);
    TRect M(content.Right, 0, width_, height_);
    if (pressed || FMenuTracked) OffsetRect(M, 1, 1);
    DrawLookContent(B->Canvas(), content, M, pressed, AActive, pressed || FMenuTracked);
}

void TbsSkinMenuSpeedButton::CreateControlDefaultImage(TBitmap* B)
{
    using bsctrls::TDefaultFace;
    TCanvas* C = B->Canvas();
    const int W = B->GetWidth(), H = B->GetHeight();
    const bool pressed = Pressed(), hot = FMouseIn;
    const bool tracked = FTrackButtonMode && FMenuTracked;
    const TDefaultFace whole = pressed ? TDefaultFace::Pressed
                               : hot   ? TDefaultFace::Hot
                               : FFlat ? TDefaultFace::Plain
                                       : TDefaultFace::Normal;
    const TRect strip = Strip();
    const TRect main = BottomStrip() ? TRect(0, 0, W, H - kTrack) : TRect(0, 0, W - kTrack, H);
    TRect M = strip;
    const auto parts = [&](TDefaultFace a, TDefaultFace b) {
        bsctrls::DrawDefaultFace(C, main, a);
        bsctrls::DrawDefaultFace(C, strip, b);
    };
    if (!FNewStyle)
    {
        if (!FTrackButtonMode) bsctrls::DrawDefaultFace(C, TRect(0, 0, W, H), whole);
        else if (tracked) parts(TDefaultFace::Hot, TDefaultFace::Pressed);
        else parts(whole, whole);
        if (pressed || FMenuTracked)
        {
            M.Left = W - 13;
            M.Top += 2;
        }
    }
    else
    {
        if (!FTrackButtonMode || !FMouseIn) bsctrls::DrawDefaultFace(C, TRect(0, 0, W, H), whole);
        else if (tracked) parts(TDefaultFace::Hot, TDefaultFace::Pressed);
        else if (pressed) parts(TDefaultFace::Pressed, TDefaultFace::Hot);
        else parts(TDefaultFace::Hot, TDefaultFace::Hot);
        if (FTrackButtonMode ? tracked : pressed) OffsetRect(M, 2, 2);
    }
    DrawDefaultContent(C, main, pressed && !tracked, FMouseIn || FDown);
    DrawMarker(C, M, hot, pressed || FMenuTracked, GetEnabled() ? clBtnText : clBtnShadow);
}

// Transparent and idle: the content and the flat marker over the parent.
void TbsSkinMenuSpeedButton::PaintTransparent()
{
    const TRect r = ContentRect();
    PaintTransparentContent(r);
    TCanvas* C = Canvas();
    TRect M = FIndex != -1 && !ToolButtonEntry(SkinDataName) ? TRect(r.Right, 0, width_, height_) : Strip();
    if (FIndex == -1)
    {
        DrawMarker(C, M, false, false, GetEnabled() ? clBtnText : clBtnShadow);
        return;
    }
    if (ResizeMode != 1) M.Left -= 2;
    const TColor text = !FSD ? clBtnText : TColor(GetEnabled() ? FSD->FSkinColors.FcBtnText : FSD->FSkinColors.FcBtnShadow);
    if (FDrawStandardArrow) DrawArrowGlyph(C, M, ColorToRGB(text), FArrowType);
    else if (GetEnabled() && !IsEmptyRect(MenuMarkerFlatRect)) DrawMenuMarker(C, M, false, false, true);
    else DrawSmallDownArrow(C, M, ColorToRGB(text));
}
