// Values a skin may hold: numbers are clamped when read, geometry is fitted
// to the picture it draws from, and the pictures of one skin are bounded
// together, on both roads (description folder and compressed skin).
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <stdexcept>

#include "skin/skindata_helpers.h"

using namespace skintest;

namespace
{
// The test skin's description with key=value lines set in sections.
std::string EditedText(const std::vector<std::array<std::string, 3>>& edits)
{
    TbsIniFile ini(SkinText());
    for (const auto& [section, key, value] : edits) ini.WriteString(section, key, value);
    return ini.GetText();
}

const TbsDataSkinControl& Control(const TbsSkinData& d, const std::string& name)
{
    const int i = d.GetControlIndex(name);
    if (i < 0) throw std::runtime_error("no entry " + name);
    return *d.CtrlList[std::size_t(i)];
}

const TbsDataSkinButtonControl& Button(const TbsSkinData& d)
{
    return dynamic_cast<const TbsDataSkinButtonControl&>(Control(d, "button"));
}

// A 1-bit BMP of w x h, every pixel black.
std::string Bmp1(int w, int h) { return PaletteBmp(w, h, 1, {0x000000, 0xFFFFFF}); }
}  // namespace

// The description's main picture is 100 x 90, active picture 0 (the
// button's) 7 x 5; the panel entry has no picture.
TEST(SkinLimits, NumbersAreClampedAndGeometryFitsItsPicture)
{
    struct Case
    {
        const char* What;
        std::vector<std::array<std::string, 3>> Edits;
        std::function<void(const TbsSkinData&)> Check;
    };
    const Case cases[] = {
        {"a huge minimum width",
         {{"FORMINFO", "formminwidth", "2147483647"}},
         [](const TbsSkinData& d) { EXPECT_EQ(d.FormMinWidth, bsMaxSkinValue); }},
        {"the most negative border width",
         {{"FORMINFO", "borderwidth", "-2147483648"}, {"FORMINFO", "buttonsoffset", "99999999"}},
         [](const TbsSkinData& d) {
             EXPECT_EQ(d.BorderW, -bsMaxSkinValue);
             EXPECT_EQ(d.ButtonsOffset, bsMaxSkinValue);
         }},
        {"a client rectangle beyond the frame picture",
         {{"FORMINFO", "clientrect", "12,25,2147483647,65"}},
         [](const TbsSkinData& d) { EXPECT_EQ(d.ClRect, TRect(12, 25, 100, 65)); }},
        {"frame points beyond the frame picture",
         {{"FORMINFO", "righttoppoint", "2147483647,2147483647"},
          {"FORMINFO", "rightbottompoint", "2147483647,2147483647"},
          {"FORMINFO", "hittestlefttoppoint", "5000,7"}},
         [](const TbsSkinData& d) {
             EXPECT_EQ(d.RTPoint, TPoint(88, 90));   // then kept beside the client rectangle
             EXPECT_EQ(d.RBPoint, TPoint(88, 65));
             EXPECT_EQ(d.HitTestLTPoint, TPoint(100, 7));
         }},
        {"an inverted rectangle",
         {{"maxbutton", "skinrect", "30,4,10,2"}, {"panel", "clientrect", "9,9,3,3"}},
         [](const TbsSkinData& d) {
             EXPECT_EQ(d.ObjectList[std::size_t(d.GetIndex("maxbutton"))]->SkinRect, TRect());
             EXPECT_EQ(dynamic_cast<const TbsDataSkinCustomControl&>(Control(d, "panel")).ClRect, TRect());
         }},
        {"pieces outside their picture are emptied, pieces inside kept",
         {{"button", "skinrect", "0,0,7,5"}, {"button", "activeskinrect", "1,1,6,4"},
          {"button", "downskinrect", "5,0,9,5"}, {"button", "lefttoppoint", "50,50"},
          {"maxbutton", "skinrect", "80,0,120,10"}, {"maxbutton", "disableskinrsect", "80,0,100,10"}},
         [](const TbsSkinData& d) {
             const TbsDataSkinButtonControl& b = Button(d);
             EXPECT_EQ(b.SkinRect, TRect(0, 0, 7, 5));
             EXPECT_EQ(b.ActiveSkinRect, TRect(1, 1, 6, 4));
             EXPECT_EQ(b.DownSkinRect, TRect());
             EXPECT_EQ(b.LTPoint, TPoint(7, 5));
             const auto& m = dynamic_cast<const TbsDataSkinButton&>(*d.ObjectList[std::size_t(d.GetIndex("maxbutton"))]);
             EXPECT_EQ(m.SkinRect, TRect());
             EXPECT_EQ(m.DisableSkinRect, TRect(80, 0, 100, 10));
         }},
        {"numbers of every kind; colours keep all 32 bits",
         {{"button", "fontheight", "2147483647"}, {"button", "glowlayeroffsetleft", "-2147483648"},
          {"button", "fontcolor", "$FF000000"}, {"panel", "skinrect", "0,0,2147483647,5"}},
         [](const TbsSkinData& d) {
             const TbsDataSkinButtonControl& b = Button(d);
             EXPECT_EQ(b.FontHeight, bsMaxSkinValue);
             EXPECT_EQ(b.GlowLayerOffsetLeft, -bsMaxSkinValue);
             EXPECT_EQ(b.FontColor, static_cast<int>(0xFF000000u));
             // No picture to fit it to: only clamped.
             EXPECT_EQ(Control(d, "panel").SkinRect, TRect(0, 0, bsMaxSkinValue, 5));
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.What);
        const std::string file = MakeSkinDir(TempDir("limits"), EditedText(c.Edits));
        TbsSkinData fromFolder;
        fromFolder.LoadFromFile(file);
        c.Check(fromFolder);
        // The compressed road reads the same values.
        TbsCompressedStoredSkin stored;
        stored.LoadFromIniFile(file);
        TbsSkinData fromStored;
        fromStored.LoadCompressedStoredSkin(&stored);
        c.Check(fromStored);
        EXPECT_EQ(fromStored.DescriptionText(), fromFolder.DescriptionText());
    }
}

// Pictures each within the per-picture limit but beyond 256 MB together are
// refused before they are decoded; the store keeps its skin and sends nothing.
TEST(SkinLimits, PicturesOfOneSkinAreBoundedTogether)
{
    auto d = LoadedStore("budget");
    FormLog log;
    log.Add("f");
    ScopedForms scope(log);
    const Bytes big = ToBytes(Bmp1(16384, 4096));
    auto stored = FromInner(Cat({Int32(3), Bytes{0}, ToBytes(Bmp1(32, 32)), Bytes{1, 1}, Int32(2), big, big,
                                 ToBytes(SkinText("too large"))}));
    try
    {
        d->LoadCompressedStoredSkin(stored.get());
        ADD_FAILURE() << "the skin was accepted";
    }
    catch (const EbsSkinTooLarge& e)
    {
        EXPECT_NE(std::string(e.what()).find("256 MB"), std::string::npos) << e.what();
    }
    EXPECT_EQ(d->SkinName, "Test skin 测试");
    EXPECT_TRUE(log.Received.empty());

    // The description road: the same limit over the picture files.
    const std::string dir = TempDir("budget-folder");
    TbsIniFile ini(SkinText("too large"));
    ini.WriteString("PICTURES", "activepicturescount", "3");
    ini.WriteString("PICTURES", "2", "big.bmp");
    ini.WriteString("PICTURES", "1", "big.bmp");
    const std::string file = MakeSkinDir(dir, ini.GetText());
    WriteFile(dir + "big.bmp", Bmp1(16384, 4096));
    EXPECT_THROW(d->LoadFromFile(file), EbsSkinTooLarge);
    EXPECT_THROW(TbsCompressedStoredSkin().LoadFromIniFile(file), EbsSkinTooLarge);
    EXPECT_EQ(d->SkinName, "Test skin 测试");
    EXPECT_TRUE(log.Received.empty());
}
