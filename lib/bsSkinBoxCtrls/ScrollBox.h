// The skinned scroll box: a container whose children scroll inside it,
// driven by two skinned scroll bars that its owner places and assigns; the
// box computes their ranges from its visible children, shows and hides them
// and moves the children when a bar moves. Background and frame from the
// skin entry "scrollbox", or a one-pixel border without a skin.
#pragma once
#include "lib/bsSkinCtrls.h"

class TbsSkinScrollBox : public TbsSkinCustomControl
{
public:
    explicit TbsSkinScrollBox(TComponent* AOwner);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void AdjustClientRect(TRect& Rect) override;
    void GetSkinData() override;
    void ChangeSkinData() override;

    // Recomputes both bars (the owner calls it after moving or resizing children).
    void UpDateScrollRange();
    void GetVRange();
    void GetHRange();
    // Scrolls to a bar position by program.
    void VScroll(int APosition);
    void HScroll(int APosition);

    TbsSkinScrollBar* HScrollBar() const { return FHScrollBar; }
    void SetHScrollBar(TbsSkinScrollBar* Value);
    TbsSkinScrollBar* VScrollBar() const { return FVScrollBar; }
    void SetVScrollBar(TbsSkinScrollBar* Value);
    TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TbsSkinBorderStyle Value);
    bool CanFocused = false;
    int BGPictureIndex = -1;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void CreateControlDefaultImage(TBitmap* B) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& m) override;
    void Dispatch(TMessage& m) override;
    void DrawBorder(TCanvas* C);
    bool HasFrame();
    void GetRange(bool vertical);
    void ScrollControls(bool vertical, int d);

    bool FClicksDisabled = false;
    bool FInCheckScrollBars = false;
    TbsSkinScrollBar* FVScrollBar = nullptr;
    TbsSkinScrollBar* FHScrollBar = nullptr;
    int FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;
    int FVSizeOffset = 0, FHSizeOffset = 0;
    TbsSkinBorderStyle FBorderStyle = TbsSkinBorderStyle::bvFrame;
};
