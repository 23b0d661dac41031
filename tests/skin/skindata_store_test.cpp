// The skin store: loading a description with its pictures, lookups, writing
// back, the change broadcast and the transactional load.
#include <sys/stat.h>
#include <gtest/gtest.h>

#include "skin/skindata_helpers.h"

using namespace skintest;

namespace
{
TEST(SkinStore, ConstructionValues)
{
    TbsSkinData d;
    EXPECT_TRUE(d.Empty);
    EXPECT_EQ(d.SkinIndex(), 0);
    EXPECT_TRUE(d.SkinnableForm());
    EXPECT_TRUE(d.ShowLayeredBorders());
    EXPECT_FALSE(d.AnimationForAllWindows);
    EXPECT_EQ(d.FSkinColors.FcBtnFace, 0);          // black until a skin is loaded or cleared
    EXPECT_EQ(d.HintWindow.FontHeight, 12);
    EXPECT_EQ(d.InActiveEffect, ieBrightness);
    EXPECT_EQ(d.BGPictureIndex, -1);
    EXPECT_EQ(d.GetControlIndex("button"), -1);
}

TEST(SkinStore, LoadsDescriptionWithPictures)
{
    std::string file = MakeSkinDir(TempDir("load"));
    TbsSkinData d;
    d.LoadFromFile(file);
    ASSERT_FALSE(d.Empty);
    EXPECT_EQ(d.SkinName, "Test skin 测试");
    EXPECT_EQ(d.AuthorURL, "https://example.org");
    EXPECT_EQ(d.FPicture.Width(), 100);
    EXPECT_EQ(d.FPicture.Height(), 90);
    EXPECT_TRUE(d.FInActivePicture.Empty());
    EXPECT_FALSE(d.FMask.Empty());
    ASSERT_EQ(d.ActivePicturesCount(), 2);
    EXPECT_EQ(d.FActivePicturesNames, (std::vector<std::string>{"a0.bmp", "a1.bmp"}));
    EXPECT_EQ(d.ActivePicture(0)->BitCount(), 8);
    EXPECT_EQ(d.ActivePicture(0)->Pixel(1, 0), 0xFFFF0000u);   // palette entry 1 is red
    EXPECT_EQ(d.ActivePicture(1)->Pixel(1, 0), 0xFF010203u);
    EXPECT_EQ(d.ActivePicture(2), nullptr);

    // FORMINFO with the mask-dependent adjustments.
    EXPECT_EQ(d.MaskRectArea, d.ClRect);
    EXPECT_EQ(d.HitTestLTPoint, TPoint(10, 20));                  // taken from the corner as read
    EXPECT_EQ(d.LTPoint, TPoint(12, 25));                         // pulled onto the client rectangle
    EXPECT_EQ(d.RBPoint, TPoint(88, 65));
    EXPECT_EQ(d.StretchType, bsstVert);
    EXPECT_EQ(d.InActiveEffect, ieGrayScale);
    EXPECT_EQ(d.BGPictureIndex, 1);
    EXPECT_EQ(d.LayerFrame.AlphaBlendValue, 200);
    EXPECT_EQ(d.HintWindow.FontName, "宋体");
    EXPECT_EQ(d.HintWindow.FontHeight, 14);                       // missing key after a load
    EXPECT_EQ(d.FSkinColors.FcBtnFace, -16777201);                // no SKINCOLORS: system colours

    // Objects: the entry without ":" is skipped.
    ASSERT_EQ(d.ObjectList.size(), 3u);
    auto* max = dynamic_cast<TbsDataSkinStdButton*>(d.ObjectList[static_cast<std::size_t>(d.GetIndex("maxbutton"))].get());
    ASSERT_NE(max, nullptr);
    EXPECT_EQ(max->RestoreHint, "Restore");
    EXPECT_EQ(max->SkinRect, TRect(1, 2, 3, 4));
    EXPECT_EQ(max->DisableSkinRect, TRect(5, 6, 7, 8));
    auto* cap = dynamic_cast<TbsDataSkinCaption*>(d.ObjectList[1].get());
    ASSERT_NE(cap, nullptr);
    EXPECT_EQ(cap->ReflectionColor, 255);
    EXPECT_EQ(cap->Alignment, bstaLeftJustify);

    // Controls: the unknown type word is skipped; two entries named alike
    // resolve to the first; names are case-sensitive.
    ASSERT_EQ(d.CtrlList.size(), 4u);
    EXPECT_EQ(d.GetControlIndex("button"), 0);
    EXPECT_NE(dynamic_cast<TbsDataSkinButtonControl*>(d.CtrlList[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<TbsDataSkinListBox*>(d.CtrlList[2].get()), nullptr);
    EXPECT_EQ(d.GetControlIndex("Button"), -1);
    EXPECT_EQ(d.GetControlIndex("odd"), -1);
    EXPECT_EQ(d.GetControlIndex("updown"), 3);
    auto* btn = static_cast<TbsDataSkinButtonControl*>(d.CtrlList[0].get());
    EXPECT_EQ(btn->FontHeight, 16);
    EXPECT_EQ(btn->FontColor, -16777201);
    EXPECT_EQ(btn->PictureIndex, 0);
    auto* ud = static_cast<TbsDataSkinUpDownControl*>(d.CtrlList[3].get());
    EXPECT_EQ(ud->ClRect, TRect());
}

TEST(SkinStore, DescriptionWithoutRequiredSectionChangesNothing)
{
    std::string dir = TempDir("required");
    std::string good = MakeSkinDir(dir);
    TbsSkinData d;
    d.LoadFromFile(good);
    FormLog log;
    log.Add("main");
    ScopedForms scope(log);
    for (const char* section : {"[VERSION]", "[PICTURES]", "[FORMINFO]", "[SKINOBJECTS]", "[SKINCONTROLS]"})
    {
        std::string text = SkinText("other");
        text.replace(text.find(section), std::string(section).size(), "[GONE]");
        WriteFile(dir + "other.ini", text);
        d.LoadFromFile(dir + "other.ini");
        EXPECT_EQ(d.SkinName, "Test skin 测试") << section;
    }
    d.LoadFromFile(dir + "no-such-file.ini");
    EXPECT_TRUE(log.Received.empty());
    EXPECT_FALSE(d.Empty);
}

// Every kind of damage raises a clear error and leaves the current skin and
// the forms as they were: no message is sent.
TEST(SkinStore, DamagedDescriptionsKeepTheOldSkin)
{
    std::string dir = TempDir("damaged");
    std::string good = MakeSkinDir(dir);
    WriteFile(dir + "bad.bmp", "BM this is no bitmap");
    WriteFile(dir + "huge.bmp", Bmp8(4, 4).replace(18, 4, std::string("\xFF\xFF\x00\x00", 4)));
    struct Case
    {
        const char* what;
        const char* find;
        const char* replace;
    } cases[] = {
        {"missing picture file", "picture=main.bmp", "picture=absent.bmp"},
        {"picture that is not a bitmap", "0=a0.bmp", "0=bad.bmp"},
        {"picture name that names the folder", "0=a0.bmp", "0=."},
        {"picture size beyond the limits", "1=a1.bmp", "1=huge.bmp"},
        {"malformed rect", "clientrect=12,25,88,65", "clientrect=12,25"},
        {"malformed rect in a control", "skinrect=0,0,20,10", "skinrect="},
        {"absurd list count", "[SKINCONTROLS]\r\ncount=5", "[SKINCONTROLS]\r\ncount=2147483647"},
        {"absurd picture count", "activepicturescount=2", "activepicturescount=999999999"},
        {"picture that is a FIFO", "0=a0.bmp", "0=pipe.bmp"},
    };
    // FIFOs are refused at once, never waited on.
    ASSERT_EQ(::mkfifo((dir + "pipe.bmp").c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo((dir + "pipe.ini").c_str(), 0666), 0);
    TbsSkinData d;
    d.LoadFromFile(good);
    FormLog log;
    log.Add("main");
    ScopedForms scope(log);
    for (const Case& c : cases)
    {
        std::string text = SkinText("broken");
        std::size_t at = text.find(c.find);
        ASSERT_NE(at, std::string::npos) << c.what;
        text.replace(at, std::string(c.find).size(), c.replace);
        WriteFile(dir + "broken.ini", text);
        EXPECT_THROW(d.LoadFromFile(dir + "broken.ini"), Exception) << c.what;
        EXPECT_EQ(d.SkinName, "Test skin 测试") << c.what;
        EXPECT_FALSE(d.Empty) << c.what;
        EXPECT_FALSE(d.ChangeSkinDataProcess) << c.what;
        EXPECT_EQ(d.CtrlList.size(), 4u) << c.what;
    }
    EXPECT_THROW(d.LoadFromFile(dir), Exception);   // a folder, not a description
    EXPECT_THROW(d.LoadFromFile(dir + "pipe.ini"), Exception);
    EXPECT_EQ(d.SkinName, "Test skin 测试");
    EXPECT_TRUE(log.Received.empty());
}

TEST(SkinStore, WriteThenReadGivesTheSameSkin)
{
    std::string dir = TempDir("roundtrip");
    TbsSkinData d;
    d.LoadFromFile(MakeSkinDir(dir));
    std::string out = TempDir("roundtrip-out");
    d.StoreToDisk(out + "copy.ini");
    // Pictures are written byte for byte; no inactive picture, no file.
    EXPECT_EQ(ReadFile(out + "a0.bmp"), ReadFile(dir + "a0.bmp"));
    EXPECT_EQ(ReadFile(out + "main.bmp"), ReadFile(dir + "main.bmp"));
    EXPECT_FALSE(fs::exists(out + "inactive.bmp"));

    TbsSkinData e;
    e.LoadFromFile(out + "copy.ini");
    EXPECT_EQ(e.DescriptionText(), d.DescriptionText());
    EXPECT_EQ(e.SkinName, d.SkinName);
    EXPECT_EQ(e.ObjectList.size(), d.ObjectList.size());
    EXPECT_EQ(e.CtrlList.size(), d.CtrlList.size());
    EXPECT_EQ(e.ActivePicture(0)->Pixels(), d.ActivePicture(0)->Pixels());
    // The writer's first section is VERSION with "ver" 1 as its first key.
    EXPECT_EQ(d.DescriptionText().rfind("[VERSION]\r\nver=1\r\nskinname=", 0), 0u);

    // Sections of the file that the writer does not erase stay.
    WriteFile(out + "keep.ini", "[MINE]\r\nx=1\r\n");
    d.SaveToFile(out + "keep.ini");
    EXPECT_EQ(TbsIniFile::FromFile(out + "keep.ini", true).ReadString("MINE", "x", ""), "1");
}

TEST(SkinStore, PictureNamesCannotLeaveTheFolder)
{
    std::string dir = TempDir("names");
    TbsSkinData d;
    d.LoadFromFile(MakeSkinDir(dir));
    d.FActivePicturesNames[0] = "../escaped.bmp";
    std::string out = TempDir("names-out");
    d.StoreToDisk(out + "s.ini");
    EXPECT_TRUE(fs::exists(out + "escaped.bmp"));
    EXPECT_FALSE(fs::exists(fs::path(out).parent_path().parent_path() / "escaped.bmp"));
}

TEST(SkinStore, ClearSkin)
{
    TbsSkinData d;
    d.LoadFromFile(MakeSkinDir(TempDir("clear")));
    FormLog log;
    log.Add("a");
    ScopedForms scope(log);
    d.ClearSkin();
    EXPECT_TRUE(d.Empty);
    EXPECT_TRUE(d.FPicture.Empty());
    EXPECT_EQ(d.CtrlList.size(), 0u);
    EXPECT_EQ(d.FSkinColors.FcBtnFace, -16777201);
    EXPECT_EQ(log.Order(BSM_SKINDATA_BEFORECHANGE).size(), 1u);
    EXPECT_EQ(log.Order(BSM_SKINDATA_AFTERCHANGE).size(), 1u);
    TbsIniFile ini(d.DescriptionText());
    EXPECT_EQ(ini.ReadString("PICTURES", "picture", "x"), "");
    EXPECT_EQ(ini.ReadInteger("SKINCONTROLS", "count", -1), 0);
    // An empty store still announces a clear.
    log.Received.clear();
    d.ClearSkin();
    EXPECT_EQ(log.Received.size(), 3u);
}

TEST(SkinStore, AddAndDeleteBitmaps)
{
    std::string dir = TempDir("bitmaps");
    MakeSkinDir(dir);
    TbsSkinData d;
    d.AddBitMap(dir + "a1.bmp");
    EXPECT_EQ(d.FActivePicturesNames, (std::vector<std::string>{"a1.bmp"}));
    EXPECT_THROW(d.AddBitMap(dir + "missing.bmp"), Exception);
    EXPECT_EQ(d.ActivePicturesCount(), 1);
    EXPECT_THROW(d.DeleteBitMap(1), Exception);
    d.DeleteBitMap(0);
    EXPECT_EQ(d.ActivePicturesCount(), 0);
    EXPECT_TRUE(d.FActivePicturesNames.empty());
}

// ---- broadcast ------------------------------------------------------------

TEST(SkinBroadcast, OrderWithoutLayeredBorders)
{
    FormLog log;
    log.Add("first");
    log.Add("owner");
    log.Add("border", "TbsFormLayerWindow");
    log.Add("hidden");   // hidden forms are in the list and receive too
    ScopedForms scope(log);
    TbsSkinData d(log.Form(1));
    d.SetShowLayeredBorders(false);
    log.Received.clear();
    d.LoadFromFile(MakeSkinDir(TempDir("order1")));
    const std::vector<std::string> expected{"owner", "first", "hidden"};
    EXPECT_EQ(log.Order(BSM_SKINDATA_BEFORECHANGE), expected);
    EXPECT_EQ(log.Order(BSM_SKINDATA_CHANGE), expected);
    EXPECT_EQ(log.Order(BSM_SKINDATA_AFTERCHANGE), expected);
    ASSERT_EQ(log.Received.size(), 9u);
    EXPECT_EQ(log.Received[2].second, BSM_SKINDATA_BEFORECHANGE);
    EXPECT_EQ(log.Received[3].second, BSM_SKINDATA_CHANGE);
}

TEST(SkinBroadcast, ReverseOrderWithALayerFrame)
{
    std::string text = SkinText();
    text.replace(text.find("alphablendvalue=200"), 19, "pictureindex=1");
    FormLog log;
    log.Add("a");
    log.Add("owner");
    log.Add("c");
    ScopedForms scope(log);
    TbsSkinData d(log.Form(1));   // layered borders on (the default)
    d.LoadFromFile(MakeSkinDir(TempDir("order2"), text));
    // Before the change the old (empty) skin has no layer frame.
    EXPECT_EQ(log.Order(BSM_SKINDATA_BEFORECHANGE), (std::vector<std::string>{"a", "owner", "c"}));
    EXPECT_EQ(log.Order(BSM_SKINDATA_CHANGE), (std::vector<std::string>{"c", "owner", "a"}));
    EXPECT_EQ(log.Order(BSM_SKINDATA_AFTERCHANGE), (std::vector<std::string>{"c", "owner", "a"}));
}

TEST(SkinBroadcast, ReceiversSeeTheStoreAtEachStep)
{
    FormLog log;
    log.Add("f");
    std::vector<std::string> seen;
    TbsSkinData d;
    log.Forms[0].Send = [&](UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        auto* s = reinterpret_cast<TbsSkinData*>(wp);
        EXPECT_EQ(s, &d);
        EXPECT_EQ(lp, BS_SKINDATA_LPARAM);
        seen.push_back(std::to_string(msg) + (s->Empty ? " empty" : " full") +
                       (s->ChangeSkinDataProcess ? " changing" : "") + " " + std::to_string(s->CtrlList.size()));
        return 0;
    };
    ScopedForms scope(log);
    d.LoadFromFile(MakeSkinDir(TempDir("steps")));
    EXPECT_EQ(seen, (std::vector<std::string>{"1225 empty changing 0", "1226 full changing 4", "1227 full 4"}));
}

TEST(SkinBroadcast, PropertyMessages)
{
    FormLog log;
    log.Add("f");
    ScopedForms scope(log);
    TbsSkinData d;
    TbsResourceStrData strings;
    d.SetSkinnableForm(true);    // unchanged: nothing
    d.SetSkinnableForm(false);
    d.SetShowLayeredBorders(false);
    d.SetResourceStrData(&strings);
    d.SetResourceStrData(nullptr);
    d.BeginLoading();
    d.SetSkinnableForm(true);    // while the form data load: nothing
    d.EndLoading();
    EXPECT_EQ(log.Order(BSM_SKINNABLEFORM_CHANGE).size(), 1u);
    EXPECT_EQ(log.Order(BSM_LAYEREDBORDERS_CHANGE).size(), 1u);
    EXPECT_EQ(log.Order(BSM_RESSTRDATA_CHANGE).size(), 2u);
    EXPECT_TRUE(d.SkinnableForm());
}
} // namespace

namespace
{
// A skin with many entries loads, writes and loads again with every entry.
TEST(SkinStore, ManyEntries)
{
    std::string text = SkinText("many");
    std::string list = "[SKINCONTROLS]\r\ncount=600\r\n", sections;
    for (int i = 0; i < 600; ++i)
    {
        list += std::to_string(i) + "=c" + std::to_string(i) + ":button\r\n";
        sections += "[c" + std::to_string(i) + "]\r\nskinrect=" + std::to_string(i) + ",0," + std::to_string(i + 1) + ",1\r\n";
    }
    text = text.substr(0, text.find("[SKINCONTROLS]")) + list + sections;
    std::string dir = TempDir("many");
    TbsSkinData d;
    d.LoadFromFile(MakeSkinDir(dir, text));
    ASSERT_EQ(d.CtrlList.size(), 600u);
    EXPECT_EQ(d.GetControlIndex("c599"), 599);
    EXPECT_EQ(d.CtrlList[321]->SkinRect.Left, 321);
    d.SaveToFile(dir + "again.ini");
    TbsSkinData e;
    e.LoadFromFile(dir + "again.ini");
    EXPECT_EQ(e.CtrlList.size(), 600u);
    EXPECT_EQ(e.DescriptionText(), d.DescriptionText());
}
} // namespace

namespace
{
// A form whose handler fails does not stop the change: every form gets all
// three messages, the new skin is in place, and the error comes afterwards.
TEST(SkinBroadcast, AFailingReceiverDoesNotStopTheChange)
{
    FormLog log;
    log.Add("a");
    log.Add("failing");
    log.Add("c");
    auto inner = log.Forms[1].Send;
    log.Forms[1].Send = [inner](UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        inner(msg, wp, lp);
        if (msg == BSM_SKINDATA_BEFORECHANGE) throw Exception("handler failed");
        return 0;
    };
    ScopedForms scope(log);
    TbsSkinData d;
    EXPECT_THROW(d.LoadFromFile(MakeSkinDir(TempDir("failing"))), Exception);
    EXPECT_EQ(log.Order(BSM_SKINDATA_BEFORECHANGE).size(), 3u);
    EXPECT_EQ(log.Order(BSM_SKINDATA_CHANGE).size(), 3u);
    EXPECT_EQ(log.Order(BSM_SKINDATA_AFTERCHANGE).size(), 3u);
    EXPECT_FALSE(d.Empty);
    EXPECT_FALSE(d.ChangeSkinDataProcess);
    EXPECT_EQ(d.SkinName, "Test skin 测试");
}
} // namespace

#include "platform/gui/Graphics.h"

namespace
{
TEST(SkinStore, PicturesAsPlatformBitmaps)
{
    TbsSkinData d;
    d.LoadFromFile(MakeSkinDir(TempDir("tbitmap")));
    EXPECT_EQ(d.FInActivePicture.Bitmap(), nullptr);
    TBitmap* b = d.ActivePicture(0)->Bitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetWidth(), 7);
    EXPECT_EQ(b->GetHeight(), 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(b->GetPixel32(x, y) | 0xFF000000u, d.ActivePicture(0)->Pixel(x, y)) << x << "," << y;
    EXPECT_EQ(d.ActivePicture(0)->Bitmap(), b);   // made once
}
} // namespace
