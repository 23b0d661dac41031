#include "lib/bsSkinData/Objects.h"

// ---------------------------------------------------------------------------
// Objects

TbsDataSkinObject::TbsDataSkinObject(const std::string& aIDName) : IDName(aIDName) {}

void TbsDataSkinObject::LoadFromFile(TbsIniFile& ini)
{
    TbsIniIO io(ini, IDName, true);
    Keys(io);
}

void TbsDataSkinObject::SaveToFile(TbsIniFile& ini)
{
    ini.EraseSection(IDName);
    TbsIniIO io(ini, IDName, false);
    Keys(io);
}

void TbsDataSkinObject::FitToPicture(int w, int h)
{
    TbsIniIO io(w, h);
    Keys(io);
}

void TbsDataSkinObject::Keys(TbsIniIO& io)
{
    io.Str("hint", Hint, "");
    io.Int("activepictureindex", ActivePictureIndex, -1);
    io.Int("activemaskpictureindex", ActiveMaskPictureIndex, -1);
    io.Bool("skinrectinapicture", SkinRectInAPicture);
    io.Rect("skinrect", SkinRect);
    io.Rect("activeskinrect", ActiveSkinRect);
    io.Rect("inactiveskinrect", InActiveSkinRect);
    io.Bool("morphing", Morphing);
    io.MorphKind("morphkind", MorphKind);
    io.Int("glowlayerpictureindex", GlowLayerPictureIndex, -1);
    io.Int("glowlayermaskpictureindex", GlowLayerMaskPictureIndex, -1);
    io.Int("glowlayeroffsetx", GlowLayerOffsetX, 0);
    io.Int("glowlayeroffsety", GlowLayerOffsetY, 0);
    io.Int("glowlayeralphablendvalue", GlowLayerAlphaBlendValue, 255);
}

// A user object carries only its rectangle.
void TbsDataUserObject::Keys(TbsIniIO& io)
{
    io.Rect("skinrect", SkinRect);
}

TbsDataSkinButton::TbsDataSkinButton(const std::string& aIDName) : TbsDataSkinObject(aIDName) {}

void TbsDataSkinButton::Keys(TbsIniIO& io)
{
    TbsDataSkinObject::Keys(io);
    io.Rect("downrect", DownRect);
    // The key's spelling is part of the format.
    io.Rect("disableskinrsect", DisableSkinRect);
}

namespace
{
// The hint of a caption button while the form is maximized or rolled up.
void FillRestoreHint(std::string& restoreHint, const std::string& hint, TbsStdCommand command)
{
    if (!restoreHint.empty()) return;
    if ((hint == "Maximize" && command == cmMaximize) || (hint == "Minimize" && command == cmMinimize) ||
        ((hint == "RollUp" || hint == "Roll Up") && command == cmRollUp))
        restoreHint = "Restore";
}
} // namespace

void TbsDataSkinStdButton::Keys(TbsIniIO& io)
{
    TbsDataSkinButton::Keys(io);
    io.Command("command", Command);
    io.Rect("restorerect", RestoreRect);
    io.Rect("restoreactiverect", RestoreActiveRect);
    io.Rect("restoredownrect", RestoreDownRect);
    io.Rect("restoreinactiverect", RestoreInActiveRect);
    io.Str("restorehint", RestoreHint, "");
}

void TbsDataSkinStdButton::LoadFromFile(TbsIniFile& ini)
{
    TbsDataSkinButton::LoadFromFile(ini);
    FillRestoreHint(RestoreHint, Hint, Command);
}

void TbsDataSkinAnimate::Keys(TbsIniIO& io)
{
    TbsDataSkinObject::Keys(io);
    io.Int("countframes", CountFrames, 1);
    io.Bool("cycle", Cycle);
    io.Bool("buttonstyle", ButtonStyle);
    io.Int("timerinterval", TimerInterval, 50);
    io.Command("command", Command);
    io.Rect("downskinrect", DownSkinRect);
    io.Rect("restorerect", RestoreRect);
    io.Rect("restoreactiverect", RestoreActiveRect);
    io.Rect("restoredownrect", RestoreDownRect);
    io.Rect("restoreinactiverect", RestoreInActiveRect);
    io.Str("restorehint", RestoreHint, "");
}

void TbsDataSkinAnimate::LoadFromFile(TbsIniFile& ini)
{
    TbsDataSkinObject::LoadFromFile(ini);
    Morphing = false;
    FillRestoreHint(RestoreHint, Hint, Command);
}

void TbsDataSkinMenuItem::Keys(TbsIniIO& io)
{
    TbsDataSkinObject::Keys(io);
    io.Int("itemleftoffset", ItemLO, 0);
    io.Int("itemrightoffset", ItemRO, 0);
    io.Rect("dividerrect", DividerRect);
    io.Int("dividerleftoffset", DividerLO, 0);
    io.Int("dividerrightoffset", DividerRO, 0);
    io.Rect("textrect", TextRct);
    io.Rect("imagerect", ImageRct);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Color("unenabledfontcolor", UnEnabledFontColor, 0);
    io.Bool("stretcheffect", StretchEffect);
    io.Bool("inactivestretcheffect", InActiveStretchEffect);
    io.Bool("dividerstretcheffect", DividerStretchEffect);
    io.Rect("animateskinrect", AnimateSkinRect);
    io.Int("framecount", FrameCount, 0);
    io.Int("animateinterval", AnimateInterval, 25);
    io.Bool("inactiveanimation", InActiveAnimation);
    io.Bool("useimagecolor", UseImageColor);
    io.Color("imagecolor", ImageColor, 0);
    io.Color("activeimagecolor", ActiveImageColor, 0);
    io.Bool("inactivetransparent", InActiveTransparent);
    io.Rect("checkimagerect", CheckImageRect);
    io.Rect("activecheckimagerect", ActiveCheckImageRect);
    io.Rect("radioimagerect", RadioImageRect);
    io.Rect("activeradioimagerect", ActiveRadioImageRect);
    io.Rect("arrowimagerect", ArrowImageRect);
    io.Rect("activearrowimagerect", ActiveArrowImageRect);
}

void TbsDataSkinMenuItem::LoadFromFile(TbsIniFile& ini)
{
    TbsDataSkinObject::LoadFromFile(ini);
    if (ActiveCheckImageRect.IsEmpty()) ActiveCheckImageRect = CheckImageRect;
    if (ActiveRadioImageRect.IsEmpty()) ActiveRadioImageRect = RadioImageRect;
    if (ActiveArrowImageRect.IsEmpty()) ActiveArrowImageRect = ArrowImageRect;
}

void TbsDataSkinMainMenuItem::Keys(TbsIniIO& io)
{
    TbsDataSkinObject::Keys(io);
    io.Int("itemleftoffset", ItemLO, 0);
    io.Int("itemrightoffset", ItemRO, 0);
    io.Rect("downrect", DownRect);
    io.Rect("textrect", TextRct);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Color("downfontcolor", DownFontColor, 0);
    io.Color("unenabledfontColor", UnEnabledFontColor, 0);
    io.Bool("stretcheffect", StretchEffect);
    io.Rect("animateskinrect", AnimateSkinRect);
    io.Int("framecount", FrameCount, 0);
    io.Int("animateinterval", AnimateInterval, 25);
    io.Bool("inactiveanimation", InActiveAnimation);
}

void TbsDataSkinCaption::Keys(TbsIniIO& io)
{
    TbsDataSkinObject::Keys(io);
    io.Rect("textrect", TextRct);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Alignment("alignment", Alignment);
    io.Bool("light", Light);
    io.Color("lightcolor", LightColor, 0);
    io.Color("activelightcolor", ActiveLightColor, 0);
    io.Bool("shadow", Shadow);
    io.Color("shadowcolor", ShadowColor, 0);
    io.Color("activeshadowcolor", ActiveShadowColor, 0);
    io.Rect("framerect", FrameRect);
    io.Rect("activeframerect", ActiveFrameRect);
    io.Rect("frametextrect", FrameTextRect);
    io.Int("frameleftoffset", FrameLeftOffset, 0);
    io.Int("framerightoffset", FrameRightOffset, 0);
    io.Bool("stretcheffect", StretchEffect);
    io.Rect("animateskinrect", AnimateSkinRect);
    io.Int("framecount", FrameCount, 0);
    io.Int("animateinterval", AnimateInterval, 25);
    io.Bool("inactiveanimation", InActiveAnimation);
    io.Bool("fullframe", FullFrame);
    io.Bool("vistagloweffect", VistaGlowEffect);
    io.Bool("vistaglowinactiveeffect", VistaGlowInActiveEffect);
    io.Bool("gloweffect", GlowEffect);
    io.Bool("glowinactiveeffect", GlowInActiveEffect);
    io.Int("glowsize", GlowSize, 3);
    io.Color("glowcolor", GlowColor, 0);
    io.Color("glowactivecolor", GlowActiveColor, 0);
    io.Int("glowoffset", GlowOffset, 0);
    io.Bool("reflectioneffect", ReflectionEffect);
    // The two colour keys keep their historical spelling.
    io.Color("reflactioncolor", ReflectionColor, 0);
    io.Color("reflactionactivecolor", ReflectionActiveColor, 0);
    io.Int("reflectionoffset", ReflectionOffset, 0);
}

// ---------------------------------------------------------------------------
// Frame sections

void TbsDataSkinPopupWindow::Keys(TbsIniIO& io)
{
    io.Int("windowpictureindex", WindowPictureIndex, -1);
    io.Int("maskpictureindex", MaskPictureIndex, -1);
    io.Point("lefttoppoint", LTPoint);
    io.Point("righttoppoint", RTPoint);
    io.Point("leftbottompoint", LBPoint);
    io.Point("rightbottompoint", RBPoint);
    io.Rect("itemsrect", ItemsRect);
    io.Color("scrollmarkercolor", ScrollMarkerColor, 0);
    io.Color("scrollmarkeractivecolor", ScrollMarkerActiveColor, 0);
    io.Bool("leftstretch", LeftStretch);
    io.Bool("rightstretch", RightStretch);
    io.Bool("topstretch", TopStretch);
    io.Bool("bottomstretch", BottomStretch);
    io.Bool("stretcheffect", StretchEffect);
    io.StretchType("stretchtype", StretchType);
}

void TbsDataSkinPopupWindow::LoadFromFile(TbsIniFile& ini)
{
    TbsIniIO io(ini, "POPUPWINDOW", true);
    Keys(io);
}

void TbsDataSkinPopupWindow::FitToPicture(int w, int h)
{
    TbsIniIO io(w, h);
    Keys(io);
}

void TbsDataSkinPopupWindow::SaveToFile(TbsIniFile& ini)
{
    ini.EraseSection("POPUPWINDOW");
    TbsIniIO io(ini, "POPUPWINDOW", false);
    Keys(io);
}

void TbsDataSkinLayerFrame::Keys(TbsIniIO& io)
{
    io.Int("pictureindex", PictureIndex, -1);
    io.Int("maskpictureindex", MaskPictureIndex, -1);
    io.Int("inactivepictureindex", InActivePictureIndex, -1);
    io.Int("inactivemaskpictureindex", InActiveMaskPictureIndex, -1);
    io.Point("lefttoppoint", LTPoint);
    io.Point("righttoppoint", RTPoint);
    io.Point("leftbottompoint", LBPoint);
    io.Point("rightbottompoint", RBPoint);
    io.Rect("clientrect", ClRect);
    io.Int("alphablendvalue", AlphaBlendValue, 255);
    io.Int("inactivealphablendvalue", InActiveAlphaBlendValue, 255);
    io.Rect("borderrect", BorderRect);
    io.Bool("hittestenable", HitTestEnable);
}

void TbsDataSkinLayerFrame::LoadFromFile(TbsIniFile& ini)
{
    TbsIniIO io(ini, "LAYERFRAME", true);
    Keys(io);
}

void TbsDataSkinLayerFrame::FitToPicture(int w, int h)
{
    TbsIniIO io(w, h);
    Keys(io);
}

void TbsDataSkinLayerFrame::SaveToFile(TbsIniFile& ini)
{
    ini.EraseSection("LAYERFRAME");
    TbsIniIO io(ini, "LAYERFRAME", false);
    Keys(io);
}

void TbsDataSkinHintWindow::Keys(TbsIniIO& io)
{
    io.Int("windowpictureindex", WindowPictureIndex, -1);
    io.Int("maskpictureindex", MaskPictureIndex, -1);
    io.Point("lefttoppoint", LTPoint);
    io.Point("righttoppoint", RTPoint);
    io.Point("leftbottompoint", LBPoint);
    io.Point("rightbottompoint", RBPoint);
    io.Rect("clientrect", ClRect);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Bool("leftstretch", LeftStretch);
    io.Bool("rightstretch", RightStretch);
    io.Bool("topstretch", TopStretch);
    io.Bool("bottomstretch", BottomStretch);
    io.Bool("stretcheffect", StretchEffect);
    io.StretchType("stretchtype", StretchType);
}

void TbsDataSkinHintWindow::LoadFromFile(TbsIniFile& ini)
{
    TbsIniIO io(ini, "HINTWINDOW", true);
    Keys(io);
}

void TbsDataSkinHintWindow::FitToPicture(int w, int h)
{
    TbsIniIO io(w, h);
    Keys(io);
}

void TbsDataSkinHintWindow::SaveToFile(TbsIniFile& ini)
{
    ini.EraseSection("HINTWINDOW");
    TbsIniIO io(ini, "HINTWINDOW", false);
    Keys(io);
}

namespace
{
constexpr int kBtnFace = 15, kBtnText = 18, kWindow = 5, kWindowText = 8, kHighlight = 13, kHighlightText = 14,
              kBtnHighlight = 20, kBtnShadow = 16;
}

void TbsSkinColors::Keys(TbsIniIO& io)
{
    io.Color("cbtnface", FcBtnFace, bsSysColor(kBtnFace));
    io.Color("cbtntext", FcBtnText, bsSysColor(kBtnText));
    io.Color("cwindow", FcWindow, bsSysColor(kWindow));
    io.Color("cwindowtext", FcWindowText, bsSysColor(kWindowText));
    io.Color("chighlight", FcHighLight, bsSysColor(kHighlight));
    io.Color("chighlighttext", FcHighLightText, bsSysColor(kHighlightText));
    io.Color("cbtnhighlight", FcBtnHighLight, bsSysColor(kBtnHighlight));
    io.Color("cbtnshadow", FcBtnShadow, bsSysColor(kBtnShadow));
}

void TbsSkinColors::LoadFromFile(TbsIniFile& ini)
{
    TbsIniIO io(ini, "SKINCOLORS", true);
    Keys(io);
}

void TbsSkinColors::SaveToFile(TbsIniFile& ini)
{
    TbsIniIO io(ini, "SKINCOLORS", false);
    Keys(io);
}

void TbsSkinColors::SetColorsToDefault()
{
    FcBtnFace = bsSysColor(kBtnFace);
    FcBtnText = bsSysColor(kBtnText);
    FcWindow = bsSysColor(kWindow);
    FcWindowText = bsSysColor(kWindowText);
    FcHighLight = bsSysColor(kHighlight);
    FcHighLightText = bsSysColor(kHighlightText);
    FcBtnHighLight = bsSysColor(kBtnHighlight);
    FcBtnShadow = bsSysColor(kBtnShadow);
}
