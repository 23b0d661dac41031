// The start-up and the settings file: a first start writes every default, a
// full file is applied as it is, bad values are replaced by their defaults,
// a damaged file or a folder in its place gives the defaults and a notice,
// an unwritable program folder moves the file to the user's configuration
// folder, and the FFmpeg libraries are not loaded.
#include "Src/FFmpegLoader.h"
#include "app_fixture.h"
#include "common/unprivileged.h"

using namespace apptest;

namespace {

class StartupTest : public ProgramTest
{
protected:
    std::string Home(const std::string& rel) const { return (root / "home" / rel).string(); }
    // The value of a key as the file holds it now.
    std::string Stored(const std::string& section, const std::string& key)
    {
        TMemIniFile ini(Ini());
        return ini.ReadString(section, key, "<missing>");
    }
    void ExpectDefaultOptions()
    {
        EXPECT_EQ(Stored("Options", "Thread_Count"), "0");
        EXPECT_EQ(Stored("Options", "After_Done"), "0");
        EXPECT_EQ(Stored("Options", "Show_Preview"), "0");
        EXPECT_EQ(Stored("Options", "Thread_Priority"), "3");
        EXPECT_EQ(Stored("Options", "Overwrite_File"), "1");
        EXPECT_EQ(Stored("Skin", "SetSkin"), "0");
        EXPECT_EQ(Form5->bsSkinComboBox2->GetText(), "1");
        EXPECT_TRUE(Form5->bsSkinCheckRadioBox1->Checked());
        EXPECT_FALSE(Form5->bsSkinCheckRadioBox8->Checked());
        EXPECT_TRUE(Form5->bsSkinCheckRadioBox12->Checked());
        EXPECT_TRUE(Form5->bsSkinCheckRadioBox6->Checked());
        EXPECT_FALSE(Form1->FFConv->Preview());
        EXPECT_EQ(Form1->bsSkinData1->SkinIndex(), 0);
    }
};

}  // namespace

TEST_F(StartupTest, AFirstStartWritesEveryDefaultAndLoadsNoLibraries)
{
    Start();
    EXPECT_TRUE(boxes.empty());
    ExpectDefaultOptions();
    const std::string out = Home("Quorvel视频软件/输出");
    EXPECT_EQ(Stored("OutPath", "OutPath"), out);
    EXPECT_TRUE(fs::is_directory(out));
    EXPECT_EQ(Form1->Video_OutPut_Folder_Edit->GetText(), out);
    EXPECT_EQ(Form1->FileOutPutPath, out);
    EXPECT_FALSE(Form1->bsSkinData1->Empty);
    // The window opens at once: the conversion libraries wait for the first add.
    EXPECT_FALSE(GlobalLoader().Loaded(avCodec));
    EXPECT_FALSE(GlobalLoader().Loaded(avFormat));
    // The about box names the file in use.
    EXPECT_EQ(Form2->Label6->GetText(), Ini());
}

TEST_F(StartupTest, AFullFileIsAppliedAndLeftAsItWas)
{
    const std::string out = (root / "home" / "视频 out").string();
    const std::string text = "[Options]\nThread_Count=4\nAfter_Done=2\nShow_Preview=1\nThread_Priority=1\n"
                             "Overwrite_File=0\n[OutPath]\nOutPath=" + out + "\n[Skin]\nSetSkin=7\n"
                             "[SnapShot]\nDir=/tmp\nPicture=PNG\n";
    WriteText(Ini(), text);
    Start();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(ReadText(Ini()), text);
    EXPECT_EQ(Form5->bsSkinComboBox2->GetText(), "4");
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox4->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox8->Checked());
    EXPECT_TRUE(Form1->FFConv->Preview());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox10->Checked());
    EXPECT_TRUE(Form5->bsSkinCheckRadioBox3->Checked());
    EXPECT_TRUE(Form1->OverwriteOutput());
    EXPECT_EQ(Form1->bsSkinData1->SkinIndex(), 7);
    // A stored folder that is missing is created.
    EXPECT_TRUE(fs::is_directory(out));
    EXPECT_EQ(Form1->FileOutPutPath, out);
}

TEST_F(StartupTest, BadValuesAreReplacedByTheirDefaults)
{
    // A value the readers cannot use counts as missing: its default is shown
    // and written back. A stored folder that cannot serve is not overwritten:
    // the default serves this session and a notice says so.
    struct Case
    {
        const char* skin;
        const char* outPath;
        const char* notice;
    };
    for (const Case& c : {Case{"abc", "relative/folder", "不是完整路径"}, Case{"11", "/proc/1/not here", "无法创建输出目录"}})
    {
        SCOPED_TRACE(c.skin);
        WriteText(Ini(), std::string("[Options]\nThread_Count=25\nAfter_Done=7\nShow_Preview=yes\nThread_Priority=x\n"
                                     "Overwrite_File=2\n[OutPath]\nOutPath=") +
                             c.outPath + "\n[Skin]\nSetSkin=" + c.skin + "\n");
        boxes.clear();
        Start(1);
        ExpectDefaultOptions();
        EXPECT_EQ(Stored("OutPath", "OutPath"), c.outPath);
        EXPECT_EQ(Form1->FileOutPutPath, Home("Quorvel视频软件/输出"));
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].find(c.notice), std::string::npos) << boxes[0];
        Stop();
    }
}

TEST_F(StartupTest, ADamagedFileIsSetAsideAndAFolderInItsPlaceIsLeftAlone)
{
    const std::string junk("\x7f" "ELF\0\0\xff\xfe\x01\x02 binary\n\0\x80\x81", 20);
    WriteText(Ini(), junk);
    Start(1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("已损坏"), std::string::npos) << boxes[0];
    EXPECT_EQ(ReadText(Ini() + ".damaged"), junk);
    ExpectDefaultOptions();
    Stop();

    // A folder named option.ini: the defaults serve, nothing is written.
    fs::remove(Ini());
    fs::create_directory(Ini());
    boxes.clear();
    Start(1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("不是普通文件"), std::string::npos) << boxes[0];
    EXPECT_TRUE(fs::is_directory(Ini()));
    EXPECT_EQ(Form1->bsSkinData1->SkinIndex(), 0);
    EXPECT_EQ(Form5->bsSkinComboBox2->GetText(), "1");
    EXPECT_EQ(Form1->FileOutPutPath, Home("Quorvel视频软件/输出"));
}

// The skin decoded ahead is a guess from the file as the process found it:
// the create handler still decides, and the window gets exactly the skin it
// would have loaded itself, whether the guess was right, wrong (the file
// changed meanwhile) or made from a damaged file.
TEST_F(StartupTest, TheSkinDecodedAheadIsTheSkinTheCreateHandlerChooses)
{
    const std::string junk("\x7f" "ELF\0\0\xff\xfe\x01\x02 binary\n\0\x80\x81", 20);
    struct Case
    {
        const char* what;
        std::string before, atCreate;  // the file when the process starts, when the window is made
        int skin;
        int notices;
    };
    for (const Case& c : {Case{"guessed right", "[Skin]\nSetSkin=7\n", "[Skin]\nSetSkin=7\n", 7, 0},
                          Case{"changed meanwhile", "[Skin]\nSetSkin=7\n", "[Skin]\nSetSkin=3\n", 3, 0},
                          Case{"a bad value", "[Skin]\nSetSkin=99\n", "[Skin]\nSetSkin=99\n", 0, 0},
                          Case{"a damaged file", junk, junk, 0, 1}})
    {
        SCOPED_TRACE(c.what);
        WriteText(Ini(), c.before);
        const TStartupAhead ahead(Places());
        WriteText(Ini(), c.atCreate);
        boxes.clear();
        Start(c.notices);
        ASSERT_EQ(boxes.size(), std::size_t(c.notices));
        if (c.notices)
        {
            EXPECT_NE(boxes[0].find("已损坏"), std::string::npos) << boxes[0];
        }
        EXPECT_EQ(Form1->bsSkinData1->SkinIndex(), c.skin);
        EXPECT_EQ(Stored("Skin", "SetSkin"), std::to_string(c.skin));
        TbsSkinData inPlace;
        inPlace.LoadCompressedStoredSkin(Form1->bsCompressedSkinList1->Item(c.skin)->Skin());
        EXPECT_EQ(Form1->bsSkinData1->DescriptionText(), inPlace.DescriptionText());
        ASSERT_EQ(Form1->bsSkinData1->ActivePicturesCount(), inPlace.ActivePicturesCount());
        for (int i = 0; i < inPlace.ActivePicturesCount(); ++i)
            EXPECT_EQ(Form1->bsSkinData1->ActivePicture(i)->Pixels(), inPlace.ActivePicture(i)->Pixels()) << i;
        Stop();
    }
}

TEST_F(StartupTest, AnUnwritableProgramFolderMovesTheFileToTheConfigurationFolder)
{
    MakeSharedFolder((root / "config").string());
    MakeSharedFolder((root / "home").string());
    ::chmod(root.c_str(), 0755);
    fs::permissions(root / "program", fs::perms(0555));
    const std::string expected = (root / "config" / "Quorvel MTS" / "option.ini").string();
    const int rc = AsUnprivilegedUser((root / "program").string(), [&] {
        TOptionFile file(Places());
        if (file.BesideProgram() || file.FileName() != expected) return 1;
        if (!file.Write("Skin", "SetSkin", "3")) return 2;
        return TIniFile(expected).ReadString("Skin", "SetSkin", "") == "3" ? 0 : 3;
    });
    EXPECT_EQ(rc, 0);
    EXPECT_FALSE(fs::exists(Ini()));
}
