// Skin objects (the named pieces of a skinned form's frame: caption buttons,
// caption, animations, user areas, menu items) and the four fixed frame
// sections of a skin (popup window, layered frame, hint window, skin colours).
// Descriptors only hold data read from and written to their ini section.
#pragma once
#include <string>

#include "lib/bsSkinData/Ini.h"

class TbsDataSkinObject
{
public:
    explicit TbsDataSkinObject(const std::string& aIDName);
    virtual ~TbsDataSkinObject() = default;
    virtual void LoadFromFile(TbsIniFile& ini);
    virtual void SaveToFile(TbsIniFile& ini);
    // Empties every rect that does not lie in a picture of w x h and moves
    // every point into it (the fitting pass of TbsIniIO).
    void FitToPicture(int w, int h);

    std::string IDName;
    std::string Hint;
    bool SkinRectInAPicture = false;
    TRect SkinRect;
    TRect ActiveSkinRect;
    int ActivePictureIndex = -1;
    int ActiveMaskPictureIndex = -1;
    TRect InActiveSkinRect;
    bool Morphing = false;
    TbsMorphKind MorphKind = mkDefault;
    int GlowLayerPictureIndex = -1;
    int GlowLayerMaskPictureIndex = -1;
    int GlowLayerOffsetX = 0;
    int GlowLayerOffsetY = 0;
    int GlowLayerAlphaBlendValue = 255;

protected:
    // Reads or writes the class's keys in writing order (parents first).
    virtual void Keys(TbsIniIO& io);
};

class TbsDataUserObject : public TbsDataSkinObject
{
public:
    using TbsDataSkinObject::TbsDataSkinObject;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinButton : public TbsDataSkinObject
{
public:
    explicit TbsDataSkinButton(const std::string& aIDName);
    TRect DownRect;
    TRect DisableSkinRect;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinStdButton : public TbsDataSkinButton
{
public:
    using TbsDataSkinButton::TbsDataSkinButton;
    void LoadFromFile(TbsIniFile& ini) override;

    TbsStdCommand Command = cmClose;
    std::string RestoreHint;
    TRect RestoreRect, RestoreActiveRect, RestoreDownRect, RestoreInActiveRect;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinMainMenuBarButton : public TbsDataSkinStdButton
{
public:
    using TbsDataSkinStdButton::TbsDataSkinStdButton;
};

class TbsDataSkinAnimate : public TbsDataSkinObject
{
public:
    using TbsDataSkinObject::TbsDataSkinObject;
    void LoadFromFile(TbsIniFile& ini) override;

    int CountFrames = 0;
    bool Cycle = false;
    bool ButtonStyle = false;
    int TimerInterval = 0;
    TbsStdCommand Command = cmClose;
    TRect DownSkinRect;
    std::string RestoreHint;
    TRect RestoreRect, RestoreActiveRect, RestoreDownRect, RestoreInActiveRect;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinMenuItem : public TbsDataSkinObject
{
public:
    using TbsDataSkinObject::TbsDataSkinObject;
    void LoadFromFile(TbsIniFile& ini) override;

    TRect DividerRect;
    int DividerLO = 0, DividerRO = 0, ItemLO = 0, ItemRO = 0;
    std::string FontName;
    int FontHeight = 0;
    TbsFontStyles FontStyle;
    int UnEnabledFontColor = 0, FontColor = 0, ActiveFontColor = 0;
    TRect TextRct, ImageRct;
    bool UseImageColor = false;
    int ImageColor = 0, ActiveImageColor = 0;
    bool StretchEffect = false, DividerStretchEffect = false, InActiveStretchEffect = false;
    TRect AnimateSkinRect;
    int FrameCount = 0, AnimateInterval = 0;
    bool InActiveAnimation = false, InActiveTransparent = false;
    TRect CheckImageRect, ActiveCheckImageRect, RadioImageRect, ActiveRadioImageRect, ArrowImageRect,
        ActiveArrowImageRect;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinMainMenuItem : public TbsDataSkinObject
{
public:
    using TbsDataSkinObject::TbsDataSkinObject;

    TRect DownRect;
    std::string FontName;
    int FontHeight = 0;
    TbsFontStyles FontStyle;
    int FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, UnEnabledFontColor = 0;
    TRect TextRct;
    int ItemLO = 0, ItemRO = 0;
    bool StretchEffect = false;
    TRect AnimateSkinRect;
    int FrameCount = 0, AnimateInterval = 0;
    bool InActiveAnimation = false;

protected:
    void Keys(TbsIniIO& io) override;
};

class TbsDataSkinMainMenuBarItem : public TbsDataSkinMainMenuItem
{
public:
    using TbsDataSkinMainMenuItem::TbsDataSkinMainMenuItem;
};

class TbsDataSkinCaption : public TbsDataSkinObject
{
public:
    using TbsDataSkinObject::TbsDataSkinObject;

    std::string FontName;
    int FontHeight = 0;
    TbsFontStyles FontStyle;
    int FontColor = 0, ActiveFontColor = 0, ShadowColor = 0, ActiveShadowColor = 0;
    bool Shadow = false;
    TbsAlignment Alignment = bstaLeftJustify;
    TRect TextRct, FrameRect, ActiveFrameRect;
    int FrameLeftOffset = 0, FrameRightOffset = 0;
    TRect FrameTextRect;
    bool Light = false;
    int LightColor = 0, ActiveLightColor = 0;
    bool StretchEffect = false;
    TRect AnimateSkinRect;
    int FrameCount = 0, AnimateInterval = 0;
    bool InActiveAnimation = false, FullFrame = false, GlowEffect = false, VistaGlowEffect = false,
         VistaGlowInActiveEffect = false, GlowInActiveEffect = false;
    int GlowSize = 0;
    int GlowColor = 0, GlowActiveColor = 0;
    int GlowOffset = 0;
    bool ReflectionEffect = false;
    int ReflectionColor = 0, ReflectionActiveColor = 0;
    int ReflectionOffset = 0;

protected:
    void Keys(TbsIniIO& io) override;
};

// Frame of every skinned popup menu (section POPUPWINDOW).
class TbsDataSkinPopupWindow
{
public:
    void LoadFromFile(TbsIniFile& ini);
    void SaveToFile(TbsIniFile& ini);
    // The fitting pass of TbsIniIO for the section's picture (w x h).
    void FitToPicture(int w, int h);

    int WindowPictureIndex = -1, MaskPictureIndex = -1;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ItemsRect;
    int ScrollMarkerColor = 0, ScrollMarkerActiveColor = 0;
    bool TopStretch = false, LeftStretch = false, RightStretch = false, BottomStretch = false,
         StretchEffect = false;
    TbsStretchType StretchType = bsstFull;

private:
    void Keys(TbsIniIO& io);
};

// Layered border around a form (section LAYERFRAME); a skin has one exactly
// when PictureIndex is not -1.
class TbsDataSkinLayerFrame
{
public:
    void LoadFromFile(TbsIniFile& ini);
    void SaveToFile(TbsIniFile& ini);
    // The fitting pass of TbsIniIO for the section's picture (w x h).
    void FitToPicture(int w, int h);

    int PictureIndex = -1, MaskPictureIndex = -1, InActivePictureIndex = -1, InActiveMaskPictureIndex = -1;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    int AlphaBlendValue = 255, InActiveAlphaBlendValue = 255;
    TRect BorderRect;
    bool HitTestEnable = false;

private:
    void Keys(TbsIniIO& io);
};

// Frame and font of skinned hints (section HINTWINDOW).
class TbsDataSkinHintWindow
{
public:
    void LoadFromFile(TbsIniFile& ini);
    void SaveToFile(TbsIniFile& ini);
    // The fitting pass of TbsIniIO for the section's picture (w x h).
    void FitToPicture(int w, int h);

    int WindowPictureIndex = -1, MaskPictureIndex = -1;
    TPoint LTPoint, RTPoint, LBPoint, RBPoint;
    TRect ClRect;
    std::string FontName = "Arial";
    TbsFontStyles FontStyle;
    int FontHeight = 12;
    int FontColor = 0;
    bool TopStretch = false, LeftStretch = false, RightStretch = false, BottomStretch = false,
         StretchEffect = false;
    TbsStretchType StretchType = bsstFull;

private:
    void Keys(TbsIniIO& io);
};

// System colour values as skin descriptions store them (0xFF0000nn).
constexpr int bsSysColor(int n) { return static_cast<int>(0xFF000000u | static_cast<unsigned>(n)); }

// The eight skin colours (section SKINCOLORS).
class TbsSkinColors
{
public:
    void LoadFromFile(TbsIniFile& ini);
    // Writes the keys; the store erases the section first.
    void SaveToFile(TbsIniFile& ini);
    void SetColorsToDefault();

    int FcBtnFace = 0, FcBtnText = 0, FcWindow = 0, FcWindowText = 0, FcHighLight = 0, FcHighLightText = 0,
        FcBtnHighLight = 0, FcBtnShadow = 0;

private:
    void Keys(TbsIniIO& io);
};
