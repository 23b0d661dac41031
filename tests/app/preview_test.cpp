// The preview panel against the media fixtures: a selected row opens paused
// into Panel6 (log lines, labels, slider, stream lists); the buttons change the
// player's state; the slider seeks on release and follows positions only
// while "UP"; the end of the file waits at its start; the preview stops with
// the list. Snapshots: a 1080p picture at its own size in every type, readable
// by our image readers and by ffprobe; names never replace a file; the stored
// folder and type with their fallbacks; a folder that cannot be made; the
// folder dialog acting only on OK; the folder opened through the launcher;
// the off-screen capture through the save-picture dialog.
#include "app_fixture.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/core/VirtualKeys.h"
#include "platform/gui/Graphics.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace apptest;

namespace {

const std::string kFixtures = QUORVEL_FIXTURES_DIR;

class PreviewTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);   // no sound card needed
        ProgramTest::SetUp();
        Start();
    }
    void TearDown() override
    {
        if (Form1) Form1->DEDideve->Stop(true);
        ProgramTest::TearDown();
        ::unsetenv("SDL_AUDIODRIVER");
    }
    // Serves the window's messages and the player's events until `done`
    // holds; false when it never did (a guard against a hung test).
    bool Until(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end) return false;
            CheckSynchronize(5);
            driver->PumpUntilIdle();
        }
        return true;
    }
    // A fixture added as the only row (selected, so it opens in the preview),
    // once its first picture (or, without video, its pause) is there.
    std::string AddAndShow(const std::string& fixture)
    {
        const std::string file = kFixtures + "/" + fixture;
        EXPECT_EQ(Form1->AddFiles({file}), 1);
        TDEDideve* p = Form1->DEDideve;
        EXPECT_EQ(p->FileName(), file);
        EXPECT_TRUE(p->Playback());
        EXPECT_TRUE(Logged("Pause"));
        EXPECT_TRUE(Until([p] { return p->GetVideoStreamIndex() < 0 || p->CurrentFrame()->GetWidth() > 0; }));
        return file;
    }
    // How many times the line was logged.
    static int Logs(const std::string& line)
    {
        TStrings* lines = Form1->mmoLog->Lines();
        int n = 0;
        for (int i = 0; i < lines->Count(); ++i) n += lines->Strings(i) == line;
        return n;
    }
    static bool Logged(const std::string& line) { return Form1->mmoLog->Lines()->IndexOf(line) >= 0; }
    static void Press(TbsSkinButton* b)
    {
        ASSERT_TRUE(b->OnClick) << b->Name();
        b->OnClick(b);
    }
    static void SliderMouse(bool down)
    {
        TbsSkinSlider* s = Form1->bsSkinSlider1;
        const TMouseEvent& e = down ? s->OnMouseDown : s->OnMouseUp;
        ASSERT_TRUE(e);
        e(s, mbLeft, {}, 0, 0);
    }
    static std::vector<std::string> Items(TComboBox* box)
    {
        std::vector<std::string> v;
        for (int i = 0; i < box->Items()->Count(); ++i) v.push_back(box->Items()->Strings(i));
        return v;
    }
    static std::string Selected(TComboBox* box)
    {
        const int i = box->GetItemIndex();
        return i < 0 ? "" : box->Items()->Strings(i);
    }
    std::string SnapshotDir() const { return (root / "shots").string(); }
    void UseSnapshotDir()
    {
        WriteText(Ini(), "[SnapShot]\nDir=" + SnapshotDir() + "\nPicture=PNG\n");
    }
    // Width and height of a picture as ffprobe reads it.
    static std::string Probed(const std::string& file)
    {
        const std::string cmd = "ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 '" +
                                file + "'";
        std::string out;
        if (FILE* p = ::popen(cmd.c_str(), "r"))
        {
            char buf[256];
            while (std::fgets(buf, sizeof buf, p)) out += buf;
            ::pclose(p);
        }
        return Trim(out);
    }
};

}  // namespace

// The selected row plays paused in Panel6; the file-open handler logs the
// file's information and fills the labels, the slider and the stream lists.
TEST_F(PreviewTest, SelectingARowOpensItPausedInPanel6)
{
    const std::string file = AddAndShow("multi.mkv");
    TDEDideve* p = Form1->DEDideve;
    EXPECT_EQ(p->FileName(), file);
    EXPECT_EQ(Form1->T_Movie_PLayer_FileName, file);
    EXPECT_EQ(p->ScreenHandle(), Form1->Panel6->Handle());
    EXPECT_TRUE(p->Paused());
    EXPECT_EQ(Form1->FScreenControl, Form1->Panel6);
    EXPECT_TRUE(Logged("duration: 2.023000, frame size: 320x240")) << Form1->mmoLog->Lines()->Text();
    EXPECT_EQ(Form1->FDuration, 2023000);
    EXPECT_EQ(Form1->Label2->GetText(), "2.023000");
    EXPECT_EQ(Form1->Label3->GetText(), "0.0");
    EXPECT_EQ(Form1->bsSkinSlider1->MaxValue(), 200);
    EXPECT_EQ(Form1->bsSkinSlider1->Value(), 0);
    EXPECT_EQ(Items(Form1->cboVideo), (std::vector<std::string>{"Video#0"}));
    EXPECT_EQ(Items(Form1->cboAudio), (std::vector<std::string>{"Audio#1", "Audio#2"}));
    EXPECT_EQ(Items(Form1->cboSubtitle), (std::vector<std::string>{"Subtitle#-1", "Subtitle#3"}));
    EXPECT_EQ(Selected(Form1->cboVideo), "Video#0");
    EXPECT_EQ(Selected(Form1->cboAudio), "Audio#1");
    // The picture on screen is the video's own.
    EXPECT_TRUE(Until([&] { return p->CurrentFrame()->GetWidth() == 320; }));
    EXPECT_EQ(p->CurrentFrame()->GetHeight(), 240);
}

// A file without video reports no picture size, and a snapshot of it writes
// nothing.
TEST_F(PreviewTest, AFileWithoutVideoHasNoPicture)
{
    UseSnapshotDir();
    AddAndShow("tone.mp3");
    EXPECT_NE(Form1->mmoLog->Lines()->Text().find(", frame size: -1x-1"), std::string::npos);
    EXPECT_EQ(Form1->Snapshot(), "");
    EXPECT_TRUE(fs::is_empty(SnapshotDir()));
    EXPECT_TRUE(boxes.empty());
}

// Play, pause, mute and stop change the player; play with "Stay On Top"
// keeps the window on top until the pause.
TEST_F(PreviewTest, ButtonsChangeThePlayer)
{
    AddAndShow("clip.mp4");
    TDEDideve* p = Form1->DEDideve;
    Form1->chkStayOnTop->SetChecked(true);
    Press(Form1->bsSkinButton13);
    EXPECT_FALSE(p->Paused());
    EXPECT_EQ(Logs("Resume"), 1);
    EXPECT_EQ(Form1->GetFormStyle(), fsStayOnTop);
    ASSERT_TRUE(Until([&] { return p->CurrentPTS() > 0; }));

    Press(Form1->bsSkinButton14);
    EXPECT_TRUE(p->Paused());
    EXPECT_EQ(Logs("Pause"), 2);
    EXPECT_EQ(Form1->GetFormStyle(), fsNormal);

    Press(Form1->bsSkinButton16);
    EXPECT_TRUE(p->Mute());
    EXPECT_TRUE(Form1->bsSkinButton20->GetVisible());
    EXPECT_FALSE(Form1->bsSkinButton16->GetVisible());
    Press(Form1->bsSkinButton20);
    EXPECT_FALSE(p->Mute());
    EXPECT_TRUE(Form1->bsSkinButton16->GetVisible());
    EXPECT_FALSE(Form1->bsSkinButton20->GetVisible());

    Form1->TrackBar2->SetValue(40);
    EXPECT_EQ(p->AudioVolume(), 40);

    // "停止" rewinds: the file again, paused at its start.
    Press(Form1->bsSkinButton15);
    EXPECT_TRUE(p->Paused());
    EXPECT_EQ(p->FileName(), kFixtures + "/clip.mp4");
    ASSERT_TRUE(Until([&] { return p->CurrentFrame()->GetWidth() > 0; }));
    std::int64_t pts = -1;
    p->CurrentFrame(pts);
    EXPECT_EQ(pts, 0);
}

// Held, the slider ignores positions; released at its middle, the player
// seeks to half the duration and plays on; then positions move it again.
TEST_F(PreviewTest, TheSliderSeeksOnReleaseAndFollowsOnlyWhileUp)
{
    AddAndShow("clip.ts");   // a key frame every half second
    TDEDideve* p = Form1->DEDideve;
    TbsSkinSlider* s = Form1->bsSkinSlider1;
    SliderMouse(true);
    EXPECT_EQ(Form1->bsSkinSlider1_down_UP, "Down");
    EXPECT_TRUE(p->Paused());
    s->SetValue(100);
    Form1->PlayerPosition(1500000);
    EXPECT_EQ(s->Value(), 100);
    EXPECT_EQ(Form1->Label3->GetText(), "0.0");

    SliderMouse(false);
    EXPECT_EQ(Form1->bsSkinSlider1_down_UP, "UP");
    EXPECT_FALSE(p->Paused());
    EXPECT_TRUE(p->Seeking());
    ASSERT_TRUE(Until([&] { return !p->Seeking(); }));
    std::int64_t pts = -1;
    p->CurrentFrame(pts);
    EXPECT_GE(pts, 900000);   // the picture at the key frame before the middle, or later
    EXPECT_LT(pts, 1500000);

    Form1->PlayerPosition(Form1->FDuration);
    EXPECT_EQ(s->Value(), s->MaxValue());
    EXPECT_EQ(Form1->Label3->GetText(), Format("%f", double(Form1->FDuration) / 1000000));
}

// Seeking does nothing without a file or with an unknown duration.
TEST_F(PreviewTest, SeekingWithoutAFileOrDurationDoesNothing)
{
    SliderMouse(true);
    SliderMouse(false);
    EXPECT_EQ(Form1->bsSkinSlider1_down_UP, "UP");
    EXPECT_FALSE(Form1->DEDideve->Playback());

    AddAndShow("clip.mp4");
    Form1->FDuration = 0;
    Form1->bsSkinSlider1->SetValue(150);
    SliderMouse(true);
    SliderMouse(false);
    EXPECT_FALSE(Form1->DEDideve->Seeking());
    EXPECT_TRUE(Form1->DEDideve->Paused());
}

// At its end the file goes back to its start and waits there.
TEST_F(PreviewTest, AtTheEndTheFileWaitsAtItsStart)
{
    AddAndShow("brief.ts");
    Press(Form1->bsSkinButton13);
    ASSERT_TRUE(Until([] { return Logged("End"); }));
    ASSERT_TRUE(Until([] { return Form1->DEDideve->Paused() && !Form1->DEDideve->Seeking(); }));
    std::int64_t pts = -1;
    ASSERT_TRUE(Until([&] {
        Form1->DEDideve->CurrentFrame(pts);
        return pts >= 0;
    }));
    EXPECT_LT(pts, 100000);
}

// Clearing the list, removing the last row and a click that leaves no row
// selected stop the preview.
TEST_F(PreviewTest, ThePreviewStopsWithTheList)
{
    struct TCase
    {
        const char* what;
        std::function<void(PreviewTest&)> act;
    };
    const TCase cases[] = {
        {"clear", [](PreviewTest&) { Form1->ClearJobs(); }},
        {"remove last", [](PreviewTest&) { Form1->RemoveJob(); }},
        {"click on no row",
         [](PreviewTest&) {
             Form1->lvFiles->SetItemIndex(-1);
             Form1->JobListClick();
         }},
    };
    for (const TCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        Form1->ClearJobs();
        AddAndShow("clip.mp4");
        ASSERT_TRUE(Form1->DEDideve->Playback());
        c.act(*this);
        driver->PumpUntilIdle();
        EXPECT_FALSE(Form1->DEDideve->Playback());
        EXPECT_EQ(Form1->DEDideve->CurrentFrame()->GetWidth(), 0);
    }
}

// A 1080p picture is saved at 1920 x 1080 in each type; each file reads back
// at that size with our readers and with ffprobe. The menu stores the type.
TEST_F(PreviewTest, SnapshotsKeepTheVideosSizeInEveryType)
{
    UseSnapshotDir();
    AddAndShow("hd1080.mp4");
    const struct
    {
        TMenuItem* item;
        const char* key;
        const char* ext;
    } types[] = {{Form1->BMP1, "BMP", ".bmp"}, {Form1->JPG1, "JPG", ".jpg"}, {Form1->GIF1, "GIF", ".gif"},
                 {Form1->PNG1, "PNG", ".png"}};
    for (const auto& t : types)
    {
        SCOPED_TRACE(t.key);
        ASSERT_TRUE(t.item->OnClick);
        t.item->OnClick(t.item);
        EXPECT_TRUE(t.item->Checked());
        EXPECT_EQ(TIniFile(Ini()).ReadString("SnapShot", "Picture", ""), t.key);
        const std::string name = Form1->Snapshot();
        EXPECT_EQ(name, SnapshotDir() + "/hd1080_1" + t.ext);
        TPicture pic;
        pic.LoadFromFile(name);
        EXPECT_EQ(pic.GetWidth(), 1920);
        EXPECT_EQ(pic.GetHeight(), 1080);
        EXPECT_EQ(Probed(name), "1920,1080");
    }
    EXPECT_TRUE(boxes.empty());
}

// Names take the first free number and never replace a file, also one that
// appeared meanwhile; a snapshot is the file on screen's, whatever was added
// since.
TEST_F(PreviewTest, SnapshotNamesNeverReplaceAFile)
{
    UseSnapshotDir();
    AddAndShow("clip.mp4");
    fs::create_directories(SnapshotDir());
    WriteText(SnapshotDir() + "/clip_1.png", "keep");
    fs::create_directories(SnapshotDir() + "/clip_3.png");
    EXPECT_EQ(Form1->Snapshot(), SnapshotDir() + "/clip_2.png");
    EXPECT_EQ(Form1->Snapshot(), SnapshotDir() + "/clip_4.png");
    EXPECT_EQ(ReadText(SnapshotDir() + "/clip_1.png"), "keep");
    // a name taken between the look and the write is kept too
    ASSERT_TRUE(sys::WriteNewFile(SnapshotDir() + "/new.png", "one"));
    EXPECT_FALSE(sys::WriteNewFile(SnapshotDir() + "/new.png", "two"));
    EXPECT_EQ(ReadText(SnapshotDir() + "/new.png"), "one");
    Form1->T_Movie_PLayer_FileName = kFixtures + "/tone.mp3";
    EXPECT_EQ(Form1->Snapshot(), SnapshotDir() + "/clip_5.png");
}

// The stored folder and type, and what replaces them when they are missing
// or wrong.
TEST_F(PreviewTest, StoredFolderAndTypeWithTheirFallbacks)
{
    AddAndShow("clip.mp4");
    const std::string def = OptionFile().DefaultSnapshotFolder();
    const struct
    {
        const char* ini;          // the file's contents; nullptr: no file
        std::string folder, type; // where the snapshot goes, and as what
    } cases[] = {
        {nullptr, def, "BMP"},
        {"[SnapShot]\nDir=\nPicture=\n", def, "BMP"},
        {"[SnapShot]\nDir=Error\nPicture=Error\n", def, "BMP"},
        {"[SnapShot]\nPicture=TIFF\n", def, "BMP"},
        {"[SnapShot]\nPicture=GIF\n", def, "GIF"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.ini ? c.ini : "no file");
        fs::remove(Ini());
        fs::remove_all(def);
        if (c.ini) WriteText(Ini(), c.ini);
        const std::string name = Form1->Snapshot();
        EXPECT_EQ(sys::ExtractFileDir(name), c.folder);
        EXPECT_TRUE(SameText(sys::ExtractFileExt(name), "." + c.type));
        TIniFile ini(Ini());
        EXPECT_EQ(ini.ReadString("SnapShot", "Dir", ""), c.folder);
        EXPECT_EQ(ini.ReadString("SnapShot", "Picture", ""), c.type);
        EXPECT_TRUE((c.type == "BMP" ? Form1->BMP1 : Form1->GIF1)->Checked());
    }
    // A stored folder that is missing is made.
    WriteText(Ini(), "[SnapShot]\nDir=" + SnapshotDir() + "/a/b\nPicture=JPG\n");
    EXPECT_EQ(Form1->Snapshot(), SnapshotDir() + "/a/b/clip_1.jpg");
    EXPECT_TRUE(boxes.empty());
}

// A folder that cannot be made gives a box and writes nothing; opening it
// says so too; so does a folder that cannot be written.
TEST_F(PreviewTest, ABadSnapshotFolderGivesABox)
{
    AddAndShow("clip.mp4");
    WriteText((root / "file").string(), "x");
    const std::string bad = (root / "file" / "shots").string();
    WriteText(Ini(), "[SnapShot]\nDir=" + bad + "\nPicture=PNG\n");
    AnswerBox();
    EXPECT_EQ(Form1->Snapshot(), "");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "无法创建快照目录“" + bad + "”，没有保存快照。");
    AnswerBox();
    Form1->OpenSnapshotFolder();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "无法创建快照目录“" + bad + "”。");
    // the stored choice stays
    EXPECT_EQ(TIniFile(Ini()).ReadString("SnapShot", "Dir", ""), bad);

    // A folder that exists but takes no files (not even root's).
    WriteText(Ini(), "[SnapShot]\nDir=/proc\nPicture=PNG\n");
    AnswerBox();
    EXPECT_EQ(Form1->Snapshot(), "");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(boxes[2].starts_with("无法在快照目录“/proc”中保存快照：")) << boxes[2];
}

// "设置快照目录" stores the folder only on OK; "打开快照目录" opens it with
// the desktop's application.
TEST_F(PreviewTest, TheSnapshotFolderMenu)
{
    UseSnapshotDir();
    const std::string other = (root / "other").string();
    fs::create_directories(other);
    for (const bool ok : {false, true})
    {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        driver->WhenIdle([this, ok, other] {
            TbsSelDirDlgForm* f = Form1->bsSkinSelectDirectoryDialog2->Form();
            f->DirTreeView->SetPath(other);
            driver->Click((ok ? f->OkButton : f->CancelButton)->Handle());
        });
        ASSERT_TRUE(Form1->MenuItem2->OnClick);
        Form1->MenuItem2->OnClick(Form1->MenuItem2);
        EXPECT_EQ(TIniFile(Ini()).ReadString("SnapShot", "Dir", ""), ok ? other : SnapshotDir());
    }
    auto launcher = std::make_shared<TRecordingLauncher>();
    auto previous = sys::SetLauncher(launcher);
    ASSERT_TRUE(Form1->MenuItem1->OnClick);
    Form1->MenuItem1->OnClick(Form1->MenuItem1);
    sys::SetLauncher(previous);
    ASSERT_EQ(launcher->started.size(), 1u);
    EXPECT_EQ(launcher->started[0].back(), other);
    EXPECT_TRUE(boxes.empty());
}

// The off-screen capture: the picture on screen through the save-picture
// dialog, as BMP for a ".bmp" name in any letter case and as JPEG otherwise.
TEST_F(PreviewTest, CaptureSavesThroughTheSaveDialog)
{
    AddAndShow("clip.mp4");
    const struct
    {
        const char* name;
        std::string magic;   // the file's first bytes
    } cases[] = {{"shot.BMP", "BM"}, {"shot.jpg", "\xFF\xD8"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = (root / c.name).string();
        driver->WhenIdle([this, path] {
            HWND h = driver->FindByName("FileDialog");
            auto* d = h ? dynamic_cast<TForm*>(FindControl(h)) : nullptr;
            ASSERT_NE(d, nullptr);
            auto* e = dynamic_cast<TEdit*>(d->FindComponent("FileNameEdit"));
            ASSERT_NE(e, nullptr);
            e->SetText(path);
            e->SetFocus();
            driver->PressKey(VK_RETURN);
        });
        Form1->btnCapture->Click();
        EXPECT_EQ(driver->PendingIdleActions(), 0u);
        EXPECT_EQ(ReadText(path).substr(0, c.magic.size()), c.magic);
        TPicture pic;
        pic.LoadFromFile(path);
        EXPECT_EQ(pic.GetWidth(), 320);
        EXPECT_EQ(pic.GetHeight(), 240);
    }
}
