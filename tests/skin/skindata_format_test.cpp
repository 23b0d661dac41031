// The description dialect, its value forms and the descriptors' keys.
#include <gtest/gtest.h>

#include "lib/bsSkinData.h"

namespace
{
TEST(SkinIni, DialectRules)
{
    TbsIniFile ini("\xEF\xBB\xBF; comment\r\n"
                   "[Sec]\n  Key = first value  \nkey=second\nempty=\nnoequals\n"
                   "[sec]\nother=from second section\n"
                   "[Hollow]\n");
    EXPECT_EQ(ini.ReadString("SEC", "KEY", "d"), "first value");   // case-free, first occurrence
    EXPECT_EQ(ini.ReadString("sec", "other", "d"), "d");            // the second section is not read
    EXPECT_EQ(ini.ReadString("Sec", "empty", "d"), "");             // present but empty: not the default
    EXPECT_EQ(ini.ReadString("Sec", "missing", "d"), "d");
    EXPECT_TRUE(ini.SectionExists("sec"));
    EXPECT_FALSE(ini.SectionExists("Hollow"));                     // no key: does not count
    EXPECT_FALSE(ini.SectionExists("None"));
}

TEST(SkinIni, EraseRemovesEveryOccurrence)
{
    TbsIniFile ini("[S]\na=1\n[T]\nx=1\n[s]\nb=2\n");
    ini.EraseSection("S");
    EXPECT_FALSE(ini.ValueExists("s", "b"));
    EXPECT_EQ(ini.KeyCount("S"), 0u);
    ini.WriteString("S", "c", "3");
    EXPECT_EQ(ini.GetText(), "[T]\r\nx=1\r\n\r\n[S]\r\nc=3\r\n\r\n");
    ini.EraseSection("nothing");
    EXPECT_EQ(ini.ReadString("s", "C", ""), "3");
}

TEST(SkinIni, Utf16TextWithByteOrderMark)
{
    std::u16string text = u"[VERSION]\r\nskinname=皮肤\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text)
    {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    TbsIniFile ini(bytes);
    EXPECT_EQ(ini.ReadString("VERSION", "skinname", ""), "皮肤");
}

TEST(SkinIni, WriterFormat)
{
    TbsIniFile ini;
    ini.WriteString("A", "k", "v");
    ini.WriteInteger("A", "n", -5);
    ini.WriteString("B", "x", "中文");
    ini.WriteString("a", "K", "replaced");
    EXPECT_EQ(ini.GetText(), "[A]\r\nk=replaced\r\nn=-5\r\n\r\n[B]\r\nx=中文\r\n\r\n");
    ini.EraseSection("a");
    EXPECT_EQ(ini.GetText(), "[B]\r\nx=中文\r\n\r\n");
}

TEST(SkinIni, IntegerForms)
{
    struct Case
    {
        const char* text;
        int expected;
    } cases[] = {{"42", 42},   {"-7", -7},         {"0x10", 16},          {"$1F", 31},   {"0X0a", 10},
                 {"abc", -1},  {"", -1},           {"12abc", -1},         {"99999999999", -1},
                 {"$FF000000", static_cast<int>(0xFF000000u)}, {"-16777201", -16777201}};
    for (const Case& c : cases)
    {
        TbsIniFile ini(std::string("[S]\nk=") + c.text + "\n");
        EXPECT_EQ(ini.ReadInteger("S", "k", -1), c.expected) << c.text;
    }
}

TEST(SkinIni, PointAndRectParsing)
{
    EXPECT_EQ(ParseRectStr("5, 6 ,7,8"), TRect(5, 6, 7, 8));
    EXPECT_EQ(ParseRectStr("-2,0,10,10"), TRect(2, 0, 10, 10));
    EXPECT_EQ(ParsePointStr("10, 20"), TPoint(10, 20));
    EXPECT_EQ(ParsePointStr("-5,3"), TPoint(5, 3));
    EXPECT_EQ(ParseRectStr("1,2,3,4,5"), TRect(1, 2, 3, 4));   // further fields are dropped
    for (const char* bad : {"", "1,2,3", "1,,3,4", "a,b,c,d", "99999999999,1,1,1"})
        EXPECT_THROW(ParseRectStr(bad), EConvertError) << bad;
    EXPECT_THROW(ParsePointStr("7"), EConvertError);
    try
    {
        ParsePointStr("");
        FAIL();
    }
    catch (const EConvertError& e)
    {
        EXPECT_STREQ(e.what(), "'''' is not a valid integer value");
    }
}

TEST(SkinIni, WordForms)
{
    TbsIniFile ini("[S]\nflag1=1\nflag2=2\nflagt=true\nst=STFULL\nsv=stvert\nie=\n"
                   "al1=TACENTER\nal2=taleftjustify\nmk=mkpush\nmkbad=push\n"
                   "cm1=cmrollup\ncm2=cmminimizetotray\ncm3=whatever\n"
                   "fs1=fsitalic,fsbold\nfs2=fsboldfsitalic\nfs3=FSBOLD\n");
    EXPECT_TRUE(ReadBoolFromIni(ini, "S", "flag1"));
    EXPECT_FALSE(ReadBoolFromIni(ini, "S", "flag2"));
    EXPECT_FALSE(ReadBoolFromIni(ini, "S", "flagt"));
    EXPECT_FALSE(ReadBoolFromIni(ini, "S", "missing"));
    EXPECT_EQ(ReadStretchTypeFromIni(ini, "S", "st"), bsstHorz);    // words are case-sensitive
    EXPECT_EQ(ReadStretchTypeFromIni(ini, "S", "sv"), bsstVert);
    EXPECT_EQ(ReadStretchTypeFromIni(ini, "S", "missing"), bsstFull);
    EXPECT_EQ(ReadInActiveEffectFromIni(ini, "S", "ie"), ieGrayScale);
    EXPECT_EQ(ReadInActiveEffectFromIni(ini, "S", "missing"), ieBrightness);
    EXPECT_EQ(ReadAlignmentFromIni(ini, "S", "al1"), bstaRightJustify);
    EXPECT_EQ(ReadAlignmentFromIni(ini, "S", "al2"), bstaLeftJustify);
    EXPECT_EQ(ReadAlignmentFromIni(ini, "S", "missing"), bstaCenter);
    EXPECT_EQ(ReadMorphKindFromIni(ini, "S", "mk"), mkPush);
    EXPECT_EQ(ReadMorphKindFromIni(ini, "S", "mkbad"), mkDefault);
    EXPECT_EQ(ReadCommandFromIni(ini, "S", "cm1"), cmRollUp);
    EXPECT_EQ(ReadCommandFromIni(ini, "S", "cm2"), cmMinimizeToTray);
    EXPECT_EQ(ReadCommandFromIni(ini, "S", "cm3"), cmMinimizeToTray);
    EXPECT_EQ(ReadCommandFromIni(ini, "S", "missing"), cmDefault);
    const TbsFontStyles bi(TbsFontStyles::Bold | TbsFontStyles::Italic);
    EXPECT_EQ(ReadFontStylesFromIni(ini, "S", "fs1"), bi);
    EXPECT_EQ(ReadFontStylesFromIni(ini, "S", "fs2"), bi);
    EXPECT_TRUE(ReadFontStylesFromIni(ini, "S", "fs3").IsEmpty());

    TbsIniFile out;
    WriteFontStylesToIni(out, "S", "fs", bi);
    WriteStretchTypeToIni(out, "S", "st", static_cast<TbsStretchType>(7));
    WriteCommandToIni(out, "S", "cm", static_cast<TbsStdCommand>(9));
    WriteAlignmentToIni(out, "S", "al", static_cast<TbsAlignment>(9));
    WriteRectToIni(out, "S", "r", TRect(-1, 2, 3, 4));
    EXPECT_EQ(out.ReadString("S", "fs", ""), "fsbold,fsitalic");
    EXPECT_EQ(out.ReadString("S", "st", "x"), "");
    EXPECT_EQ(out.ReadString("S", "cm", ""), "cmminimizetotray");
    EXPECT_EQ(out.ReadString("S", "al", ""), "tarightjustify");
    EXPECT_EQ(out.ReadString("S", "r", ""), "-1,2,3,4");
}

TEST(SkinIni, StringListsAndCountLimit)
{
    TbsIniFile ini("[P]\nlistcount=3\n0=a\n2=c\n[Q]\nlistcount=2000000000\n");
    std::vector<std::string> l{"kept"};
    ReadStringsFromIni(ini, "P", "list", l);
    EXPECT_EQ(l, (std::vector<std::string>{"kept", "a", "", "c"}));
    EXPECT_THROW(ReadStringsFromIni(ini, "Q", "list", l), EbsSkinDataError);
}

// ---- descriptors: constructor values against the values of missing keys ----

template <class T>
T LoadFrom(const std::string& sectionBody)
{
    TbsIniFile ini("[e]\n" + sectionBody);
    T d("e");
    d.LoadFromFile(ini);
    return d;
}

TEST(SkinDescriptors, ConstructorDefaultsDifferFromMissingKeys)
{
    // Only "skinrect" is present: every other key reads as its default.
    const std::string only = "skinrect=1,2,3,4\n";
    {
        TbsDataSkinButtonControl c("b");
        EXPECT_EQ(c.FontHeight, 12);
        EXPECT_EQ(c.AnimateInterval, 0);
        auto l = LoadFrom<TbsDataSkinButtonControl>(only);
        EXPECT_EQ(l.FontHeight, 14);
        EXPECT_EQ(l.AnimateInterval, 25);
        EXPECT_EQ(l.GlowLayerAlphaBlendValue, 255);
        EXPECT_EQ(l.GlowLayerPictureIndex, -1);
        EXPECT_EQ(l.PictureIndex, -1);
        EXPECT_EQ(l.MaskPictureIndex, -1);
        EXPECT_EQ(l.SkinRect, TRect(1, 2, 3, 4));
        EXPECT_EQ(l.ClRect, TRect());
        EXPECT_FALSE(l.LeftStretch || l.TopStretch || l.RightStretch || l.BottomStretch || l.StretchEffect);
    }
    {
        TbsDataSkinControlBar c("c");
        EXPECT_EQ(c.ItemOffset1, 0);
        auto l = LoadFrom<TbsDataSkinControlBar>(only);
        EXPECT_EQ(l.ItemOffset1, 3);
        EXPECT_EQ(l.ItemOffset2, 3);
    }
    {
        TbsDataSkinScrollBarControl c("s");
        EXPECT_EQ(c.ThumbTransparentColor, 16711935);
        EXPECT_EQ(LoadFrom<TbsDataSkinScrollBarControl>(only).ThumbTransparentColor, 0);
    }
    {
        auto p = LoadFrom<TbsDataSkinPanelControl>(only);
        EXPECT_EQ(p.Alignment, bstaCenter);
        EXPECT_EQ(p.BGPictureIndex, -1);
        EXPECT_EQ(p.FontHeight, 14);
        EXPECT_EQ(TbsDataSkinPanelControl("p").FontHeight, 12);
    }
    EXPECT_EQ(LoadFrom<TbsDataSkinGaugeControl>(only).FontHeight, 14);
    EXPECT_EQ(TbsDataSkinGaugeControl("g").FontHeight, 14);
    EXPECT_EQ(LoadFrom<TbsDataSkinLabelControl>(only).FontHeight, 14);
    EXPECT_EQ(TbsDataSkinLabelControl("l").FontHeight, 12);
    EXPECT_EQ(LoadFrom<TbsDataSkinEditControl>(only).FontHeight, 14);
    EXPECT_EQ(TbsDataSkinSpinEditControl("s").FontHeight, 12);
    {
        TbsDataSkinListBox c("l");
        EXPECT_EQ(c.VScrollBarName, "");
        auto l = LoadFrom<TbsDataSkinListBox>(only);
        EXPECT_EQ(l.VScrollBarName, "vscrollbar");
        EXPECT_EQ(l.HScrollBarName, "hscrollbar");
        EXPECT_EQ(l.BothScrollBarName, "bothhscrollbar");
    }
    EXPECT_EQ(TbsDataSkinTreeView("t").BGColor, 16777215);
    EXPECT_EQ(LoadFrom<TbsDataSkinTreeView>(only).BGColor, 0);
    EXPECT_EQ(LoadFrom<TbsDataSkinRichEdit>(only).BGColor, 0);
    EXPECT_EQ(LoadFrom<TbsDataSkinStdLabelControl>(only).ActiveFontColor, 16711680);
    EXPECT_EQ(LoadFrom<TbsDataSkinStdLabelControl>(only).FontHeight, 14);
    EXPECT_EQ(TbsDataSkinStdLabelControl("s").FontHeight, 12);
    EXPECT_EQ(TbsDataSkinTabControl("t").ButtonTransparentColor, 16711935);
    EXPECT_EQ(LoadFrom<TbsDataSkinTabControl>(only).ButtonTransparentColor, 0);
}

TEST(SkinDescriptors, UpDownNeverKeepsGeometry)
{
    TbsIniFile ini("[u]\nlefttoppoint=3,3\nclientrect=3,3,10,10\nupbuttonrect=1,1,4,4\n");
    TbsDataSkinUpDownControl u("u");
    u.LoadFromFile(ini);
    EXPECT_EQ(u.LTPoint, TPoint());
    EXPECT_EQ(u.ClRect, TRect());
    EXPECT_EQ(u.UpButtonRect, TRect(1, 1, 4, 4));
    u.ClRect = TRect(1, 1, 9, 9);
    u.SaveToFile(ini);
    EXPECT_EQ(ini.ReadString("u", "lefttoppoint", ""), "0,0");
    EXPECT_EQ(ini.ReadString("u", "clientrect", ""), "0,0,0,0");
}

TEST(SkinDescriptors, ObjectQuirks)
{
    struct Case
    {
        const char* hint;
        const char* command;
        const char* restore;
    } cases[] = {{"Maximize", "cmmaximize", "Restore"}, {"Minimize", "cmminimize", "Restore"},
                 {"Roll Up", "cmrollup", "Restore"},    {"maximize", "cmmaximize", ""},
                 {"Close", "cmclose", ""},              {"Maximize", "cmminimize", ""}};
    for (const Case& c : cases)
    {
        auto b = LoadFrom<TbsDataSkinStdButton>(std::string("hint=") + c.hint + "\ncommand=" + c.command + "\n");
        EXPECT_EQ(b.RestoreHint, c.restore) << c.hint;
    }
    auto a = LoadFrom<TbsDataSkinAnimate>("morphing=1\n");
    EXPECT_FALSE(a.Morphing);
    EXPECT_EQ(a.CountFrames, 1);
    EXPECT_EQ(a.TimerInterval, 50);
    auto u = LoadFrom<TbsDataUserObject>("hint=ignored\nactivepictureindex=3\nskinrect=1,1,2,2\n");
    EXPECT_EQ(u.Hint, "");
    EXPECT_EQ(u.ActivePictureIndex, -1);
    EXPECT_EQ(u.SkinRect, TRect(1, 1, 2, 2));
    auto m = LoadFrom<TbsDataSkinMenuItem>("checkimagerect=1,2,11,12\n");
    EXPECT_EQ(m.ActiveCheckImageRect, TRect(1, 2, 11, 12));
    EXPECT_EQ(TbsDataSkinMenuItem("m").FontHeight, 0);
    EXPECT_EQ(m.FontHeight, 14);
    auto mm = LoadFrom<TbsDataSkinMainMenuItem>("unenabledfontcolor=77\n");   // "...fontColor" matches any case
    EXPECT_EQ(mm.UnEnabledFontColor, 77);
    auto b = LoadFrom<TbsDataSkinButton>("disableskinrsect=1,2,3,4\ndisableskinrect=9,9,9,9\n");
    EXPECT_EQ(b.DisableSkinRect, TRect(1, 2, 3, 4));
}

TEST(SkinDescriptors, MisspelledKeysAreWrittenAsTheyAre)
{
    TbsIniFile ini;
    TbsDataSkinCaption c("cap");
    c.ReflectionColor = 255;
    c.ReflectionActiveColor = 128;
    c.SaveToFile(ini);
    EXPECT_TRUE(ini.ValueExists("cap", "reflactioncolor"));
    EXPECT_TRUE(ini.ValueExists("cap", "reflactionactivecolor"));
    EXPECT_TRUE(ini.ValueExists("cap", "reflectioneffect"));
    TbsDataSkinCaption back("cap");
    back.LoadFromFile(ini);
    EXPECT_EQ(back.ReflectionColor, 255);
    EXPECT_EQ(back.ReflectionActiveColor, 128);
    TbsDataSkinListBox l("lb");
    l.SaveToFile(ini);
    EXPECT_TRUE(ini.ValueExists("lb", "bothhscrollbarname"));
}

TEST(SkinDescriptors, SaveErasesUnknownKeysAndKeepsKeyOrder)
{
    TbsIniFile ini("[t]\nmdibutton=1,1,1,1\ntabrect=1,2,3,4\n");
    TbsDataSkinTabControl t("t");
    t.LoadFromFile(ini);
    t.SaveToFile(ini);
    EXPECT_FALSE(ini.ValueExists("t", "mdibutton"));
    std::string text = ini.GetText();
    auto at = [&](const char* k) { return text.find(std::string("\r\n") + k + "="); };
    EXPECT_LT(at("skinrect"), at("tabrect"));
    EXPECT_LT(at("mouseintabrect"), at("clientrect"));
    EXPECT_LT(at("clientrect"), at("bgpictureindex"));
    EXPECT_LT(at("bgpictureindex"), at("lefttoppoint"));
}

TEST(SkinDescriptors, TypeWords)
{
    const char* words[] = {"panel", "expanel", "menubutton", "button", "checkradio", "gauge", "splitter",
                           "trackbar", "label", "stdlabel", "updown", "grid", "tab", "mainmenubar",
                           "controlbar", "memo", "edit", "checklistbox", "listbox", "combobox", "scrollbar",
                           "spinedit", "scrollbox", "treeview", "bevel", "slider", "listview", "richedit"};
    for (const char* w : words)
    {
        auto c = bsCreateSkinControl(w, "x");
        ASSERT_NE(c, nullptr) << w;
        EXPECT_EQ(bsSkinControlTypeWord(*c), w);
    }
    EXPECT_EQ(bsCreateSkinControl("Button", "x"), nullptr);
    EXPECT_EQ(bsCreateSkinControl("", "x"), nullptr);
    EXPECT_EQ(bsSkinControlTypeWord(TbsDataSkinCustomControl("x")), "");
}

// Writing every descriptor and reading it back gives the same values.
TEST(SkinDescriptors, RoundTrip)
{
    TbsIniFile ini;
    TbsDataSkinButtonControl b("b");
    b.FontName = "宋体";
    b.FontStyle = TbsFontStyles(TbsFontStyles::Underline | TbsFontStyles::StrikeOut);
    b.MorphKind = mkRightSlide;
    b.DownSkinRect = TRect(1, 2, 3, 4);
    b.GlowLayerOffsetTop = -3;
    b.StretchType = bsstVert;
    b.SaveToFile(ini);
    TbsDataSkinButtonControl b2("b");
    b2.LoadFromFile(ini);
    EXPECT_EQ(b2.FontName, "宋体");
    EXPECT_EQ(b2.FontStyle, b.FontStyle);
    EXPECT_EQ(b2.MorphKind, mkRightSlide);
    EXPECT_EQ(b2.DownSkinRect, b.DownSkinRect);
    EXPECT_EQ(b2.GlowLayerOffsetTop, -3);
    EXPECT_EQ(b2.StretchType, bsstVert);
    EXPECT_EQ(b2.FontHeight, 12);

    TbsDataSkinCheckListBox c("c");
    c.ItemCheckRect = TRect(4, 4, 8, 8);
    c.HScrollBarName = "h";
    c.SaveToFile(ini);
    TbsDataSkinCheckListBox c2("c");
    c2.LoadFromFile(ini);
    EXPECT_EQ(c2.ItemCheckRect, c.ItemCheckRect);
    EXPECT_EQ(c2.HScrollBarName, "h");
    EXPECT_EQ(c2.VScrollBarName, "");   // written empty, read back empty
}
} // namespace
