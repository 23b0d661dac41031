// Skin control descriptors: one per entry of a skin's SKINCONTROLS list, found
// by name in the store's control list. Each reads and writes the keys of its
// own ini section; the class tree mirrors the control families.
#pragma once
#include <memory>
#include <string>

#include "lib/bsSkinData/Ini.h"

class TbsDataSkinControl
{
public:
    explicit TbsDataSkinControl(const std::string& aIDName);
    virtual ~TbsDataSkinControl() = default;
    virtual void LoadFromFile(TbsIniFile& ini);
    // Erases the entry's section, then writes every key of the class chain.
    virtual void SaveToFile(TbsIniFile& ini);
    // Empties every rect that does not lie in a picture of w x h and moves
    // every point into it (the fitting pass of TbsIniIO).
    void FitToPicture(int w, int h);

    std::string IDName;
    int PictureIndex = -1;
    int MaskPictureIndex = -1;
    TRect SkinRect;

protected:
    // Reads or writes the class's keys in writing order, base keys first.
    virtual void Keys(TbsIniIO& io);
};

class TbsDataSkinCustomControl : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;

    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
    bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;

protected:
    void Keys(TbsIniIO& io) override;
};

// ---- buttons, check boxes, up-down ---------------------------------------

class TbsDataSkinButtonControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, DisabledFontColor = 0;
    TRect ActiveSkinRect, DownSkinRect, DisabledSkinRect, FocusedSkinRect;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
    TRect AnimateSkinRect;
    int FrameCount = 0, AnimateInterval = 0;
    bool ShowFocus = false;
    TRect MenuMarkerFlatRect, MenuMarkerRect, MenuMarkerActiveRect, MenuMarkerDownRect;
    int MenuMarkerTransparentColor = 0;
    int GlowLayerPictureIndex = -1, GlowLayerMaskPictureIndex = -1;
    int GlowLayerOffsetLeft = 0, GlowLayerOffsetRight = 0, GlowLayerOffsetTop = 0, GlowLayerOffsetBottom = 0;
    int GlowLayerShowOffsetX = 0, GlowLayerShowOffsetY = 0;
    int GlowLayerAlphaBlendValue = 255;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinMenuButtonControl : public TbsDataSkinButtonControl
{
public:
    using TbsDataSkinButtonControl::TbsDataSkinButtonControl;
    TRect TrackButtonRect;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinCheckRadioControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0, ActiveFontColor = 0, UnEnabledFontColor = 0;
    TRect ActiveSkinRect, CheckImageArea, TextArea, CheckImageRect, UnCheckImageRect, ActiveCheckImageRect,
        ActiveUnCheckImageRect, UnEnabledCheckImageRect, UnEnabledUnCheckImageRect, GrayedCheckImageRect,
        ActiveGrayedCheckImageRect;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
    int FrameFontColor = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

// Never keeps frame geometry: the points and client rectangle are zeroed
// after loading and before saving.
class TbsDataSkinUpDownControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
    void LoadFromFile(TbsIniFile& ini) override;
    void SaveToFile(TbsIniFile& ini) override;

    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
        DownDownButtonRect;

protected:
    void Keys(TbsIniIO& io) override;

private:
    void ZeroGeometry();
};

// ---- edits and lists -------------------------------------------------------

class TbsDataSkinEditControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect ActiveSkinRect;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0, DisabledFontColor = 0, ActiveFontColor = 0;
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinMemoControl : public TbsDataSkinEditControl
{
public:
    using TbsDataSkinEditControl::TbsDataSkinEditControl;
    int BGColor = 0, ActiveBGColor = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinSpinEditControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect ActiveSkinRect;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0, ActiveFontColor = 0, DisabledFontColor = 0;
    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
        DownDownButtonRect;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinComboBox : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect SItemRect, ActiveItemRect, FocusItemRect;
    int ItemLeftOffset = 0, ItemRightOffset = 0;
    TRect ItemTextRect;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 14;
    int FontColor = 0, FocusFontColor = 0, ActiveFontColor = 0;
    TRect ButtonRect, ActiveButtonRect, DownButtonRect, UnEnabledButtonRect;
    bool ItemStretchEffect = false, FocusItemStretchEffect = false;
    TRect ActiveSkinRect;
    std::string ListBoxName;
    bool ShowFocus = false;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinListBox : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect SItemRect, ActiveItemRect, FocusItemRect;
    int ItemLeftOffset = 0, ItemRightOffset = 0;
    TRect ItemTextRect;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 14;
    int FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0;
    TRect CaptionRect;
    std::string CaptionFontName = "Arial";
    TbsFontStyles CaptionFontStyle;
    int CaptionFontHeight = 14;
    int CaptionFontColor = 0;
    TRect UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
        DownDownButtonRect, CheckButtonRect, ActiveCheckButtonRect, DownCheckButtonRect;
    std::string HScrollBarName, VScrollBarName, BothScrollBarName;
    bool ShowFocus = false;
    TRect DisabledButtonsRect, ButtonsArea;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinCheckListBox : public TbsDataSkinListBox
{
public:
    using TbsDataSkinListBox::TbsDataSkinListBox;
    TRect UnCheckImageRect, CheckImageRect, ItemCheckRect;

protected:
    void Keys(TbsIniIO& io) override;
};

// ---- panels, bars, gauges ---------------------------------------------------

class TbsDataSkinPanelControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect CaptionRect;
    TbsAlignment Alignment = bstaCenter;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0;
    int BGPictureIndex = -1;
    TRect CheckImageRect, UnCheckImageRect, MarkFrameRect, FrameRect;
    int FrameLeftOffset = 0, FrameRightOffset = 0;
    TRect FrameTextRect, GripperRect;
    bool GripperTransparent = false;
    int GripperTransparentColor = 16711935;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinExPanelControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect RollHSkinRect, RollVSkinRect;
    int RollLeftOffset = 0, RollRightOffset = 0, RollTopOffset = 0, RollBottomOffset = 0;
    TRect RollVCaptionRect, RollHCaptionRect;
    TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
    TRect HRollButtonRect, HRollButtonActiveRect, HRollButtonDownRect;
    TRect HRestoreButtonRect, HRestoreButtonActiveRect, HRestoreButtonDownRect;
    TRect VRollButtonRect, VRollButtonActiveRect, VRollButtonDownRect;
    TRect VRestoreButtonRect, VRestoreButtonActiveRect, VRestoreButtonDownRect;
    TRect CaptionRect;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0;
    bool ButtonsTransparent = false;
    int ButtonsTransparentColor = 16711935;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinControlBar : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect ItemRect;
    int BGPictureIndex = -1;
    TRect HGripRect, VGripRect;
    int GripOffset1 = 0, GripOffset2 = 0;
    bool ItemStretchEffect = false;
    int ItemOffset1 = 0, ItemOffset2 = 0;
    bool ItemTransparent = false;
    int ItemTransparentColor = 0;
    bool GripTransparent = false;
    int GripTransparentColor = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinScrollBoxControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;
    int BGPictureIndex = -1;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinScrollBarControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect TrackArea, UpButtonRect, ActiveUpButtonRect, DownUpButtonRect, DownButtonRect, ActiveDownButtonRect,
        DownDownButtonRect, ThumbRect, ActiveThumbRect, DownThumbRect;
    int ThumbOffset1 = 0, ThumbOffset2 = 0;
    TRect GlyphRect, ActiveGlyphRect, DownGlyphRect;
    bool GlyphTransparent = false;
    int GlyphTransparentColor = 16711935;
    bool ThumbTransparent = false;
    int ThumbTransparentColor = 16711935;
    bool ThumbStretchEffect = false;
    int ThumbMinSize = 0, ThumbMinPageSize = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinTrackBarControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect ActiveSkinRect, TrackArea, ButtonRect, ActiveButtonRect;
    bool Vertical = false;
    bool ButtonTransparent = false;
    int ButtonTransparentColor = 16711935;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinGaugeControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect ProgressArea, ProgressRect;
    bool Vertical = false;
    int BeginOffset = 0, EndOffset = 0;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 14;
    int FontColor = 0;
    bool ProgressTransparent = false;
    int ProgressTransparentColor = 16711935;
    bool ProgressStretch = false;
    TRect AnimationSkinRect;
    int AnimationCountFrames = 0, AnimationTimerInterval = 0;
    TRect ProgressAnimationSkinRect;
    int ProgressAnimationCountFrames = 0, ProgressAnimationTimerInterval = 0;
    int AnimationBeginOffset = 0, AnimationEndOffset = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinSplitterControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    TRect GripperRect;
    bool GripperTransparent = false;
    int GripperTransparentColor = 16711935;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinLabelControl : public TbsDataSkinCustomControl
{
public:
    using TbsDataSkinCustomControl::TbsDataSkinCustomControl;

    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

// ---- tabs, grids, menu bars, plain entries ---------------------------------

class TbsDataSkinTabControl : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;

    TRect TabRect, ActiveTabRect, FocusTabRect, MouseInTabRect, ClRect, TabsBGRect;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    int TabLeftOffset = 0, TabRightOffset = 0;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 14;
    int FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0, MouseInFontColor = 0;
    std::string UpDown;
    int BGPictureIndex = -1;
    bool TabStretchEffect = false, ShowFocus = false;
    int FocusOffsetX = 0, FocusOffsetY = 0;
    bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
    bool StretchEffect = false;
    TbsStretchType StretchType = bsstFull;
    TRect CloseButtonRect, CloseButtonActiveRect, CloseButtonDownRect;
    bool ButtonTransparent = false;
    int ButtonTransparentColor = 16711935;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinGridControl : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;

    TRect FixedCellRect, SelectCellRect, FocusCellRect;
    int FixedCellLeftOffset = 0, FixedCellRightOffset = 0;
    TRect FixedCellTextRect;
    int CellLeftOffset = 0, CellRightOffset = 0;
    TRect CellTextRect;
    int LinesColor = 0, BGColor = 0;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 14;
    int FontColor = 0, SelectFontColor = 0, FocusFontColor = 0;
    std::string FixedFontName = "Arial";
    TbsFontStyles FixedFontStyle;
    int FixedFontHeight = 14;
    int FixedFontColor = 0;
    bool FixedCellStretchEffect = false, CellStretchEffect = false, ShowFocus = false;
    int BGPictureIndex = -1;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinMainMenuBar : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;

    TRect ItemsRect;
    std::string MenuBarItem, CloseButton, MaxButton, MinButton, SysMenuButton;
    int TrackMarkColor = 0, TrackMarkActiveColor = 0;
    bool StretchEffect = false, ItemTransparent = false;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinSlider : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;

    TRect HRulerRect, HThumbRect, VRulerRect, VThumbRect;
    int EdgeSize = 0;
    int BGColor = 0, PointsColor = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinBevel : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;
    int LightColor = 0, DarkColor = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

// Font and background colour shared by the tree view, list view and rich
// edit entries (three unrelated entry kinds with the same keys).
class TbsDataSkinTextBGControl : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;

    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 14;
    int FontColor = 0;
    int BGColor = 16777215;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinTreeView : public TbsDataSkinTextBGControl
{
public:
    using TbsDataSkinTextBGControl::TbsDataSkinTextBGControl;
};

class TbsDataSkinListView : public TbsDataSkinTextBGControl
{
public:
    using TbsDataSkinTextBGControl::TbsDataSkinTextBGControl;
};

class TbsDataSkinRichEdit : public TbsDataSkinTextBGControl
{
public:
    using TbsDataSkinTextBGControl::TbsDataSkinTextBGControl;
};

class TbsDataSkinStdLabelControl : public TbsDataSkinControl
{
public:
    using TbsDataSkinControl::TbsDataSkinControl;

    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0;
    int ActiveFontColor = 16711680;

protected:
    void Keys(TbsIniIO& io) override;
};

// The descriptor of a SKINCONTROLS type word (exact, case-sensitive), or null
// for a word the list does not have.
std::unique_ptr<TbsDataSkinControl> bsCreateSkinControl(const std::string& typeWord, const std::string& name);
// The type word written for a descriptor (subclasses tested before their
// bases); empty for the two base classes.
std::string bsSkinControlTypeWord(const TbsDataSkinControl& c);
