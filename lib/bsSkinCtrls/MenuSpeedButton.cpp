// TbsSkinMenuSpeedButton: the track area, opening the skinned popup menu,
// staying down until the menu closes, and the drop-down marker.
#include "lib/bsSkinCtrls/MenuSpeedButton.h"

#include "lib/bsSkinMenus.h"

namespace
{
constexpr int kTrack = 15;   // width of the track part and marker strip
}  // namespace

TbsSkinMenuSpeedButton::TbsSkinMenuSpeedButton(TComponent* AOwner) : TbsSkinButton(AOwner)
{
    FSkinDataName = "toolmenubutton";
    SetCanFocused(false);
}

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

void TbsSkinMenuSpeedButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TbsSkinButton::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FSkinPopupMenu) FSkinPopupMenu = nullptr;
}

void TbsSkinMenuSpeedButton::GetSkinData()
{
    TbsSkinButton::GetSkinData();
    if (auto* d = dynamic_cast<const TbsDataSkinMenuButtonControl*>(bsSkinControlEntry(FSD, FIndex)))
        TrackButtonRect = d->TrackButtonRect;
}

TRect TbsSkinMenuSpeedButton::TrackRect() const
{
    const std::string& n = FSkinDataName;
    const bool plain = n == "resizebutton" || n == "resizetoolbutton" || n == "toolbutton" || n == "bigtoolbutton";
    if (FIndex != -1 && !plain && !IsEmptyRect(TrackButtonRect))
    {
        TRect t = TrackButtonRect;
        if (ResizeMode == 2) OffsetRect(t, width_ - RectWidth(SkinRect), 0);
        if (ResizeMode == 3) OffsetRect(t, 0, height_ - RectHeight(SkinRect));
        return t;
    }
    return TRect(width_ - kTrack, 0, width_, height_);
}

bool TbsSkinMenuSpeedButton::InTrackArea(int X, int Y) const
{
    if (!FSkinPopupMenu) return false;
    if (!FTrackButtonMode) return true;
    const TRect t = TrackRect();
    return X >= t.Left && X <= t.Right && Y >= t.Top && Y <= t.Bottom;
}

void TbsSkinMenuSpeedButton::TrackMenu()
{
    const TPoint p = ClientToScreen(TPoint(0, 0));
    const TRect R(p.X, p.Y, p.X + width_, p.Y + height_);
    if (FSkinPopupMenu)
    {
        if (OnShowTrackMenu) OnShowTrackMenu(this);
        if (FSkinPopupMenu) FSkinPopupMenu->PopupFromRect2(this, R, false);
    }
}

void TbsSkinMenuSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
    {
        FMenuTracked = InTrackArea(X, Y);
        FMouseIn = true;
        if (FMenuTracked)
        {
            FDown = true;
            Invalidate();
            TrackMenu();
            return;
        }
    }
    TbsSkinButton::MouseDown(Button, Shift, X, Y);
}

void TbsSkinMenuSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!FMenuTracked) TbsSkinButton::MouseUp(Button, Shift, X, Y);
}

void TbsSkinMenuSpeedButton::CMMouseEnter(TMessage& m)
{
    if (FMenuTracked) FMouseIn = true;
    else TbsSkinButton::CMMouseEnter(m);
}

void TbsSkinMenuSpeedButton::CMMouseLeave(TMessage& m)
{
    if (FMenuTracked) FMouseIn = false;
    else TbsSkinButton::CMMouseLeave(m);
}

void TbsSkinMenuSpeedButton::WndProc(TMessage& m)
{
    if (m.Msg == BSM_SKINMENU_CLOSED)
    {
        FMenuTracked = false;
        FDown = false;
        FMouseIn = false;
        const std::weak_ptr<char> alive = LifeToken();
        if (OnHideTrackMenu) OnHideTrackMenu(this);
        if (!alive.expired()) Invalidate();
        return;
    }
    TbsSkinButton::WndProc(m);
}

void TbsSkinMenuSpeedButton::DrawMarker(TBitmap* B, bool pressed, TColor color)
{
    TRect r(B->GetWidth() - kTrack, 0, B->GetWidth(), B->GetHeight());
    if (pressed || FMenuTracked)
    {
        r.Left = B->GetWidth() - 13;
        r.Top += 2;
    }
    if (FDrawStandardArrow) DrawArrowGlyph(B->Canvas(), r, ColorToRGB(color), FArrowType);
    else DrawSmallDownArrow(B->Canvas(), r, ColorToRGB(color));
}

void TbsSkinMenuSpeedButton::CreateControlDefaultImage(TBitmap* B)
{
    TbsSkinButton::CreateControlDefaultImage(B);
    DrawMarker(B, FDown && FMouseIn, GetEnabled() ? clBtnText : clBtnShadow);
}

void TbsSkinMenuSpeedButton::DrawButtonState(TBitmap* B, const TRect& R, bool ADown, bool AActive)
{
    TbsSkinButton::DrawButtonState(B, R, ADown, AActive);
    const TColor c = !GetEnabled() ? TColor(DisabledFontColor)
                     : FMenuTracked ? TColor(DownFontColor)
                     : ADown && AActive ? TColor(DownFontColor)
                     : AActive ? TColor(ActiveFontColor)
                               : TColor(FontColor);
    DrawMarker(B, ADown && AActive, c);
}
