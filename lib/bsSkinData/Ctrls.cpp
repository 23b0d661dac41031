#include "lib/bsSkinData/Ctrls.h"

#include <functional>
#include <utility>

TbsDataSkinControl::TbsDataSkinControl(const std::string& aIDName) : IDName(aIDName) {}

void TbsDataSkinControl::LoadFromFile(TbsIniFile& ini)
{
    TbsIniIO io(ini, IDName, true);
    Keys(io);
}

void TbsDataSkinControl::SaveToFile(TbsIniFile& ini)
{
    ini.EraseSection(IDName);
    TbsIniIO io(ini, IDName, false);
    Keys(io);
}

void TbsDataSkinControl::FitToPicture(int w, int h)
{
    TbsIniIO io(w, h);
    Keys(io);
}

void TbsDataSkinControl::Keys(TbsIniIO& io)
{
    io.Int("pictureindex", PictureIndex, -1);
    io.Int("maskpictureindex", MaskPictureIndex, -1);
    io.Rect("skinrect", SkinRect);
}

void TbsDataSkinCustomControl::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Point("lefttoppoint", LTPoint);
    io.Point("righttoppoint", RTPoint);
    io.Point("leftbottompoint", LBPoint);
    io.Point("rightbottompoint", RBPoint);
    io.Rect("clientrect", ClRect);
    io.Bool("leftstretch", LeftStretch);
    io.Bool("topstretch", TopStretch);
    io.Bool("rightstretch", RightStretch);
    io.Bool("bottomstretch", BottomStretch);
    io.Bool("stretcheffect", StretchEffect);
    io.StretchType("stretchtype", StretchType);
}

// ---- buttons, check boxes, up-down ---------------------------------------

void TbsDataSkinButtonControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Color("downfontcolor", DownFontColor, 0);
    io.Color("disabledfontcolor", DisabledFontColor, 0);
    io.Rect("activeskinrect", ActiveSkinRect);
    io.Rect("downskinrect", DownSkinRect);
    io.Rect("focusedskinrect", FocusedSkinRect);
    io.Rect("disabledskinrect", DisabledSkinRect);
    io.Bool("morphing", Morphing);
    io.MorphKind("morphkind", MorphKind);
    io.Rect("animateskinrect", AnimateSkinRect);
    io.Int("framecount", FrameCount, 0);
    io.Int("animateinterval", AnimateInterval, 25);
    io.Bool("showfocus", ShowFocus);
    io.Rect("menumarkerflatrect", MenuMarkerFlatRect);
    io.Rect("menumarkerrect", MenuMarkerRect);
    io.Rect("menumarkeractiverect", MenuMarkerActiveRect);
    io.Rect("menumarkerdownrect", MenuMarkerDownRect);
    io.Color("menumarkertransparentcolor", MenuMarkerTransparentColor, 0);
    io.Int("glowlayerpictureindex", GlowLayerPictureIndex, -1);
    io.Int("glowlayermaskpictureindex", GlowLayerMaskPictureIndex, -1);
    io.Int("glowlayeroffsetleft", GlowLayerOffsetLeft, 0);
    io.Int("glowlayeroffsetright", GlowLayerOffsetRight, 0);
    io.Int("glowlayeroffsettop", GlowLayerOffsetTop, 0);
    io.Int("glowlayeroffsetbottom", GlowLayerOffsetBottom, 0);
    io.Int("glowlayershowoffsetx", GlowLayerShowOffsetX, 0);
    io.Int("glowlayershowoffsety", GlowLayerShowOffsetY, 0);
    io.Int("glowlayeralphablendvalue", GlowLayerAlphaBlendValue, 255);
}

void TbsDataSkinMenuButtonControl::Keys(TbsIniIO& io)
{
    TbsDataSkinButtonControl::Keys(io);
    io.Rect("trackbuttonrect", TrackButtonRect);
}

void TbsDataSkinCheckRadioControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("framefontcolor", FrameFontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Color("unenabledfontcolor", UnEnabledFontColor, 0);
    io.Rect("activeskinrect", ActiveSkinRect);
    io.Rect("checkimagearea", CheckImageArea);
    io.Rect("textarea", TextArea);
    io.Rect("checkimagerect", CheckImageRect);
    io.Rect("uncheckimagerect", UnCheckImageRect);
    io.Rect("activecheckimagerect", ActiveCheckImageRect);
    io.Rect("activeuncheckimagerect", ActiveUnCheckImageRect);
    io.Rect("unenabledcheckimagerect", UnEnabledCheckImageRect);
    io.Rect("unenableduncheckimagerect", UnEnabledUnCheckImageRect);
    io.Rect("grayedcheckimagerect", GrayedCheckImageRect);
    io.Rect("activegrayedcheckimagerect", ActiveGrayedCheckImageRect);
    io.Bool("morphing", Morphing);
    io.MorphKind("morphkind", MorphKind);
}

void TbsDataSkinUpDownControl::ZeroGeometry()
{
    LTPoint = RTPoint = LBPoint = RBPoint = TPoint();
    ClRect = TRect();
}

void TbsDataSkinUpDownControl::LoadFromFile(TbsIniFile& ini)
{
    TbsDataSkinCustomControl::LoadFromFile(ini);
    ZeroGeometry();
}

void TbsDataSkinUpDownControl::SaveToFile(TbsIniFile& ini)
{
    ZeroGeometry();
    TbsDataSkinCustomControl::SaveToFile(ini);
}

void TbsDataSkinUpDownControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("upbuttonrect", UpButtonRect);
    io.Rect("activeupbuttonrect", ActiveUpButtonRect);
    io.Rect("downupbuttonrect", DownUpButtonRect);
    io.Rect("downbuttonrect", DownButtonRect);
    io.Rect("activedownbuttonrect", ActiveDownButtonRect);
    io.Rect("downdownbuttonrect", DownDownButtonRect);
}

// ---- edits and lists -------------------------------------------------------

void TbsDataSkinEditControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("activeskinrect", ActiveSkinRect);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("disabledfontcolor", DisabledFontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Rect("buttonrect", ButtonRect);
    io.Rect("activebuttonrect", ActiveButtonRect);
    io.Rect("downbuttonrect", DownButtonRect);
    io.Rect("unenabledbuttonrect", UnEnabledButtonRect);
}

void TbsDataSkinMemoControl::Keys(TbsIniIO& io)
{
    TbsDataSkinEditControl::Keys(io);
    io.Color("bgcolor", BGColor, 0);
    io.Color("activebgcolor", ActiveBGColor, 0);
}

void TbsDataSkinSpinEditControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("activeskinrect", ActiveSkinRect);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Color("disabledfontcolor", DisabledFontColor, 0);
    io.Rect("upbuttonrect", UpButtonRect);
    io.Rect("activeupbuttonrect", ActiveUpButtonRect);
    io.Rect("downupbuttonrect", DownUpButtonRect);
    io.Rect("downbuttonrect", DownButtonRect);
    io.Rect("activedownbuttonrect", ActiveDownButtonRect);
    io.Rect("downdownbuttonrect", DownDownButtonRect);
}

void TbsDataSkinComboBox::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("activeskinrect", ActiveSkinRect);
    io.Rect("itemrect", SItemRect);
    io.Rect("activeitemrect", ActiveItemRect);
    io.Rect("focusitemrect", FocusItemRect);
    io.Int("itemleftoffset", ItemLeftOffset, 0);
    io.Int("itemrightoffset", ItemRightOffset, 0);
    io.Rect("itemtextrect", ItemTextRect);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("focusfontcolor", FocusFontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Rect("buttonrect", ButtonRect);
    io.Rect("activebuttonrect", ActiveButtonRect);
    io.Rect("downbuttonrect", DownButtonRect);
    io.Rect("unenabledbuttonrect", UnEnabledButtonRect);
    io.Str("listboxname", ListBoxName, "");
    io.Bool("itemstretcheffect", ItemStretchEffect);
    io.Bool("focusitemstretcheffect", FocusItemStretchEffect);
    io.Bool("showfocus", ShowFocus);
}

void TbsDataSkinListBox::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("itemrect", SItemRect);
    io.Rect("activeitemrect", ActiveItemRect);
    io.Rect("focusitemrect", FocusItemRect);
    io.Int("itemleftoffset", ItemLeftOffset, 0);
    io.Int("itemrightoffset", ItemRightOffset, 0);
    io.Rect("itemtextrect", ItemTextRect);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Color("focusfontcolor", FocusFontColor, 0);
    io.Rect("captionrect", CaptionRect);
    io.Str("captionfontname", CaptionFontName, "Arial");
    io.Int("captionfontheight", CaptionFontHeight, 14);
    io.FontStyle("captionfontstyle", CaptionFontStyle);
    io.Color("captionfontcolor", CaptionFontColor, 0);
    io.Rect("upbuttonrect", UpButtonRect);
    io.Rect("activeupbuttonrect", ActiveUpButtonRect);
    io.Rect("downupbuttonrect", DownUpButtonRect);
    io.Rect("downbuttonrect", DownButtonRect);
    io.Rect("activedownbuttonrect", ActiveDownButtonRect);
    io.Rect("downdownbuttonrect", DownDownButtonRect);
    io.Rect("checkbuttonrect", CheckButtonRect);
    io.Rect("activecheckbuttonrect", ActiveCheckButtonRect);
    io.Rect("downcheckbuttonrect", DownCheckButtonRect);
    io.Str("vscrollbarname", VScrollBarName, "vscrollbar");
    io.Str("hscrollbarname", HScrollBarName, "hscrollbar");
    // Spelled with two h, key and default alike.
    io.Str("bothhscrollbarname", BothScrollBarName, "bothhscrollbar");
    io.Bool("showfocus", ShowFocus);
    io.Rect("disabledbuttonsrect", DisabledButtonsRect);
    io.Rect("buttonsarea", ButtonsArea);
}

void TbsDataSkinCheckListBox::Keys(TbsIniIO& io)
{
    TbsDataSkinListBox::Keys(io);
    io.Rect("itemcheckrect", ItemCheckRect);
    io.Rect("uncheckimagerect", UnCheckImageRect);
    io.Rect("checkimagerect", CheckImageRect);
}

// ---- panels, bars, gauges ---------------------------------------------------

void TbsDataSkinPanelControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Int("bgpictureindex", BGPictureIndex, -1);
    io.Rect("captionrect", CaptionRect);
    io.Alignment("alignment", Alignment);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Rect("checkimagerect", CheckImageRect);
    io.Rect("uncheckimagerect", UnCheckImageRect);
    io.Rect("markframerect", MarkFrameRect);
    io.Rect("framerect", FrameRect);
    io.Rect("frametextrect", FrameTextRect);
    io.Int("frameleftoffset", FrameLeftOffset, 0);
    io.Int("framerightoffset", FrameRightOffset, 0);
    io.Rect("gripperrect", GripperRect);
    io.Bool("grippertransparent", GripperTransparent);
    io.Color("grippertransparentcolor", GripperTransparentColor, 0);
}

void TbsDataSkinExPanelControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("rollhskinrect", RollHSkinRect);
    io.Rect("rollvskinrect", RollVSkinRect);
    io.Int("rollleftoffset", RollLeftOffset, 0);
    io.Int("rollrightoffset", RollRightOffset, 0);
    io.Int("rolltopoffset", RollTopOffset, 0);
    io.Int("rollbottomoffset", RollBottomOffset, 0);
    io.Rect("rollvcaptionrect", RollVCaptionRect);
    io.Rect("rollhcaptionrect", RollHCaptionRect);
    io.Rect("closebuttonrect", CloseButtonRect);
    io.Rect("closebuttonactiverect", CloseButtonActiveRect);
    io.Rect("closebuttondownrect", CloseButtonDownRect);
    io.Rect("hrollbuttonrect", HRollButtonRect);
    io.Rect("hrollbuttonactiverect", HRollButtonActiveRect);
    io.Rect("hrollbuttondownrect", HRollButtonDownRect);
    io.Rect("hrestorebuttonrect", HRestoreButtonRect);
    io.Rect("hrestorebuttonactiverect", HRestoreButtonActiveRect);
    io.Rect("hrestorebuttondownrect", HRestoreButtonDownRect);
    io.Rect("vrollbuttonrect", VRollButtonRect);
    io.Rect("vrollbuttonactiverect", VRollButtonActiveRect);
    io.Rect("vrollbuttondownrect", VRollButtonDownRect);
    io.Rect("vrestorebuttonrect", VRestoreButtonRect);
    io.Rect("vrestorebuttonactiverect", VRestoreButtonActiveRect);
    io.Rect("vrestorebuttondownrect", VRestoreButtonDownRect);
    io.Rect("captionrect", CaptionRect);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Bool("buttonstransparent", ButtonsTransparent);
    io.Color("buttonstransparentcolor", ButtonsTransparentColor, 0);
}

void TbsDataSkinControlBar::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("itemrect", ItemRect);
    io.Int("bgpictureindex", BGPictureIndex, -1);
    io.Rect("hgriprect", HGripRect);
    io.Rect("vgriprect", VGripRect);
    io.Int("gripoffset1", GripOffset1, 0);
    io.Int("gripoffset2", GripOffset2, 0);
    io.Int("itemoffset1", ItemOffset1, 3);
    io.Int("itemoffset2", ItemOffset2, 3);
    io.Bool("itemstretcheffect", ItemStretchEffect);
    io.Bool("itemtransparent", ItemTransparent);
    io.Color("itemtransparentcolor", ItemTransparentColor, 0);
    io.Bool("griptransparent", GripTransparent);
    io.Color("griptransparentcolor", GripTransparentColor, 0);
}

void TbsDataSkinScrollBoxControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Int("bgpictureindex", BGPictureIndex, -1);
}

void TbsDataSkinScrollBarControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("trackarea", TrackArea);
    io.Rect("upbuttonrect", UpButtonRect);
    io.Rect("activeupbuttonrect", ActiveUpButtonRect);
    io.Rect("downupbuttonrect", DownUpButtonRect);
    io.Rect("downbuttonrect", DownButtonRect);
    io.Rect("activedownbuttonrect", ActiveDownButtonRect);
    io.Rect("downdownbuttonrect", DownDownButtonRect);
    io.Rect("thumbrect", ThumbRect);
    io.Rect("activethumbrect", ActiveThumbRect);
    io.Rect("downthumbrect", DownThumbRect);
    io.Int("thumboffset1", ThumbOffset1, 0);
    io.Int("thumboffset2", ThumbOffset2, 0);
    io.Bool("thumbtransparent", ThumbTransparent);
    io.Color("thumbtransparentcolor", ThumbTransparentColor, 0);
    io.Bool("thumbstretcheffect", ThumbStretchEffect);
    io.Int("thumbminsize", ThumbMinSize, 0);
    io.Int("thumbminpagesize", ThumbMinPageSize, 0);
    io.Rect("glyphrect", GlyphRect);
    io.Rect("activeglyphrect", ActiveGlyphRect);
    io.Rect("downglyphrect", DownGlyphRect);
    io.Bool("glyphtransparent", GlyphTransparent);
    io.Color("glyphtransparentcolor", GlyphTransparentColor, 0);
}

void TbsDataSkinTrackBarControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("activeskinrect", ActiveSkinRect);
    io.Rect("trackarea", TrackArea);
    io.Rect("buttonrect", ButtonRect);
    io.Rect("activebuttonrect", ActiveButtonRect);
    io.Bool("vertical", Vertical);
    io.Bool("buttontransparent", ButtonTransparent);
    io.Color("buttontransparentcolor", ButtonTransparentColor, 0);
}

void TbsDataSkinGaugeControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("progressarea", ProgressArea);
    io.Rect("progressrect", ProgressRect);
    io.Int("beginoffset", BeginOffset, 0);
    io.Int("endoffset", EndOffset, 0);
    io.Bool("vertical", Vertical);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Bool("progresstransparent", ProgressTransparent);
    io.Color("progresstransparentcolor", ProgressTransparentColor, 0);
    io.Bool("progressstretch", ProgressStretch);
    io.Rect("animationskinrect", AnimationSkinRect);
    io.Int("animationcountframes", AnimationCountFrames, 0);
    io.Int("animationtimerinterval", AnimationTimerInterval, 0);
    io.Rect("progressanimationskinrect", ProgressAnimationSkinRect);
    io.Int("progressanimationcountframes", ProgressAnimationCountFrames, 0);
    io.Int("progressanimationtimerinterval", ProgressAnimationTimerInterval, 0);
    io.Int("animationbeginoffset", AnimationBeginOffset, 0);
    io.Int("animationendoffset", AnimationEndOffset, 0);
}

void TbsDataSkinSplitterControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Rect("gripperrect", GripperRect);
    io.Bool("grippertransparent", GripperTransparent);
    io.Color("grippertransparentcolor", GripperTransparentColor, 0);
}

void TbsDataSkinLabelControl::Keys(TbsIniIO& io)
{
    TbsDataSkinCustomControl::Keys(io);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
}

// ---- tabs, grids, menu bars, plain entries ---------------------------------

void TbsDataSkinTabControl::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Rect("tabrect", TabRect);
    io.Rect("activetabrect", ActiveTabRect);
    io.Rect("focustabrect", FocusTabRect);
    io.Rect("mouseintabrect", MouseInTabRect);
    io.Rect("clientrect", ClRect);
    io.Int("bgpictureindex", BGPictureIndex, -1);
    io.Point("lefttoppoint", LTPoint);
    io.Point("righttoppoint", RTPoint);
    io.Point("leftbottompoint", LBPoint);
    io.Point("rightbottompoint", RBPoint);
    io.Int("tableftoffset", TabLeftOffset, 0);
    io.Int("tabrightoffset", TabRightOffset, 0);
    io.Rect("tabsbgrect", TabsBGRect);
    io.Bool("tabstretcheffect", TabStretchEffect);
    io.Bool("leftstretch", LeftStretch);
    io.Bool("topstretch", TopStretch);
    io.Bool("rightstretch", RightStretch);
    io.Bool("bottomstretch", BottomStretch);
    io.Bool("stretcheffect", StretchEffect);
    io.StretchType("stretchtype", StretchType);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 0);
    io.Color("focusfontcolor", FocusFontColor, 0);
    io.Color("mouseinfontcolor", MouseInFontColor, 0);
    io.Str("updown", UpDown, "");
    io.Bool("showfocus", ShowFocus);
    io.Int("focusoffsetx", FocusOffsetX, 0);
    io.Int("focusoffsety", FocusOffsetY, 0);
    io.Rect("closebuttonrect", CloseButtonRect);
    io.Rect("closebuttonactiverect", CloseButtonActiveRect);
    io.Rect("closebuttondownrect", CloseButtonDownRect);
    io.Bool("buttontransparent", ButtonTransparent);
    io.Color("buttontransparentcolor", ButtonTransparentColor, 0);
}

void TbsDataSkinGridControl::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Rect("fixedcellrect", FixedCellRect);
    io.Rect("selectcellrect", SelectCellRect);
    io.Rect("focuscellrect", FocusCellRect);
    io.Int("fixedcellleftoffset", FixedCellLeftOffset, 0);
    io.Int("fixedcellrightoffset", FixedCellRightOffset, 0);
    io.Rect("fixedcelltextrect", FixedCellTextRect);
    io.Int("cellleftoffset", CellLeftOffset, 0);
    io.Int("cellrightoffset", CellRightOffset, 0);
    io.Rect("celltextrect", CellTextRect);
    io.Color("linescolor", LinesColor, 0);
    io.Color("bgcolor", BGColor, 0);
    io.Int("bgpictureindex", BGPictureIndex, -1);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("selectfontcolor", SelectFontColor, 0);
    io.Color("focusfontcolor", FocusFontColor, 0);
    io.Str("fixedfontname", FixedFontName, "Arial");
    io.Int("fixedfontheight", FixedFontHeight, 14);
    io.FontStyle("fixedfontstyle", FixedFontStyle);
    io.Color("fixedfontcolor", FixedFontColor, 0);
    io.Bool("cellstretcheffect", CellStretchEffect);
    io.Bool("fixedcellstretcheffect", FixedCellStretchEffect);
    io.Bool("showfocus", ShowFocus);
}

void TbsDataSkinMainMenuBar::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Rect("itemsrect", ItemsRect);
    io.Str("menubaritem", MenuBarItem, "");
    io.Str("closebutton", CloseButton, "");
    io.Str("minbutton", MinButton, "");
    io.Str("maxbutton", MaxButton, "");
    io.Str("sysmenubutton", SysMenuButton, "");
    io.Color("trackmarkcolor", TrackMarkColor, 0);
    io.Color("trackmarkactivecolor", TrackMarkActiveColor, 0);
    io.Bool("stretcheffect", StretchEffect);
    io.Bool("itemtransparent", ItemTransparent);
}

void TbsDataSkinSlider::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Color("bgcolor", BGColor, 0);
    io.Rect("hrulerrect", HRulerRect);
    io.Rect("hthumbrect", HThumbRect);
    io.Rect("vrulerrect", VRulerRect);
    io.Rect("vthumbrect", VThumbRect);
    io.Int("edgesize", EdgeSize, 0);
    io.Color("pointscolor", PointsColor, 0);
}

void TbsDataSkinBevel::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Color("lightcolor", LightColor, 0);
    io.Color("darkcolor", DarkColor, 0);
}

void TbsDataSkinTextBGControl::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("bgcolor", BGColor, 0);
}

void TbsDataSkinStdLabelControl::Keys(TbsIniIO& io)
{
    TbsDataSkinControl::Keys(io);
    io.Str("fontname", FontName, "Arial");
    io.Int("fontheight", FontHeight, 14);
    io.FontStyle("fontstyle", FontStyle);
    io.Color("fontcolor", FontColor, 0);
    io.Color("activefontcolor", ActiveFontColor, 16711680);
}

// ---- type words --------------------------------------------------------------

namespace
{
template <class T>
std::unique_ptr<TbsDataSkinControl> Make(const std::string& name)
{
    return std::make_unique<T>(name);
}

template <class T>
bool Is(const TbsDataSkinControl& c)
{
    return dynamic_cast<const T*>(&c) != nullptr;
}

struct WordEntry
{
    const char* Word;
    std::unique_ptr<TbsDataSkinControl> (*Create)(const std::string&);
    bool (*Test)(const TbsDataSkinControl&);
};

#define BS_WORD(word, cls) WordEntry{word, &Make<cls>, &Is<cls>}
// In the order of the class tests of the writer: down the left column of the
// word table, then the right one, so that every subclass comes before its base.
const WordEntry kWords[] = {
    BS_WORD("panel", TbsDataSkinPanelControl),
    BS_WORD("expanel", TbsDataSkinExPanelControl),
    BS_WORD("menubutton", TbsDataSkinMenuButtonControl),
    BS_WORD("button", TbsDataSkinButtonControl),
    BS_WORD("checkradio", TbsDataSkinCheckRadioControl),
    BS_WORD("gauge", TbsDataSkinGaugeControl),
    BS_WORD("splitter", TbsDataSkinSplitterControl),
    BS_WORD("trackbar", TbsDataSkinTrackBarControl),
    BS_WORD("label", TbsDataSkinLabelControl),
    BS_WORD("stdlabel", TbsDataSkinStdLabelControl),
    BS_WORD("updown", TbsDataSkinUpDownControl),
    BS_WORD("grid", TbsDataSkinGridControl),
    BS_WORD("tab", TbsDataSkinTabControl),
    BS_WORD("mainmenubar", TbsDataSkinMainMenuBar),
    BS_WORD("controlbar", TbsDataSkinControlBar),
    BS_WORD("memo", TbsDataSkinMemoControl),
    BS_WORD("edit", TbsDataSkinEditControl),
    BS_WORD("checklistbox", TbsDataSkinCheckListBox),
    BS_WORD("listbox", TbsDataSkinListBox),
    BS_WORD("combobox", TbsDataSkinComboBox),
    BS_WORD("scrollbar", TbsDataSkinScrollBarControl),
    BS_WORD("spinedit", TbsDataSkinSpinEditControl),
    BS_WORD("scrollbox", TbsDataSkinScrollBoxControl),
    BS_WORD("treeview", TbsDataSkinTreeView),
    BS_WORD("bevel", TbsDataSkinBevel),
    BS_WORD("slider", TbsDataSkinSlider),
    BS_WORD("listview", TbsDataSkinListView),
    BS_WORD("richedit", TbsDataSkinRichEdit),
};
#undef BS_WORD
} // namespace

std::unique_ptr<TbsDataSkinControl> bsCreateSkinControl(const std::string& typeWord, const std::string& name)
{
    for (const WordEntry& w : kWords)
        if (typeWord == w.Word) return w.Create(name);
    return nullptr;
}

std::string bsSkinControlTypeWord(const TbsDataSkinControl& c)
{
    for (const WordEntry& w : kWords)
        if (w.Test(c)) return w.Word;
    return "";
}
