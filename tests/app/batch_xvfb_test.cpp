// The whole program on a real X display with a window manager, driven like
// a user with xdotool: "文件" → "添加整个目录" → the folder dialog → a folder
// of clips; a category and a preset; four threads in the options window;
// "开始" and the end of the batch (the output folder opened once, through a
// recording launcher); every output checked with ffprobe (container,
// codecs, duration); a second run stopped with "停止"; another skin;
// "文件" → "退出" closes the window. A screenshot at each step
// (<build>/batch-*-PID.png).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/Unit1/Internal.h"
#include "app/Unit5.h"
#include "platform/core/MainThread.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"
#include "platform/sys/Process.h"
#include "tests/app/user_script.h"

using namespace x11test;
namespace fs = std::filesystem;

namespace {

const char* const kTitle = "QuorvelMTS格式转换器";

struct Recorder : sys::ILauncher
{
    std::vector<std::string> opened;
    bool Launch(const std::vector<std::string>& argv, bool) override
    {
        opened.push_back(argv.back());
        return true;
    }
};

// "key=value" lines of ffprobe about a file's container and streams.
std::map<std::string, std::string> Probe(const std::string& file)
{
    const std::string text = Output({"ffprobe", "-v", "error", "-show_entries",
                                     "format=format_name,duration:stream=codec_type,codec_name", "-of",
                                     "default=nw=1", file});
    std::map<std::string, std::string> facts;
    std::string type;
    std::size_t at = 0;
    while (at < text.size())
    {
        std::size_t nl = text.find('\n', at);
        if (nl == std::string::npos) nl = text.size();
        const std::string line = text.substr(at, nl - at);
        at = nl + 1;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "codec_name") type = value;
        else if (key == "codec_type") facts[value] = type;
        else facts[key] = value;
    }
    return facts;
}

// The codec ffprobe names for an encoder of the output records.
std::string CodecOf(const std::string& encoder)
{
    static const std::map<std::string, std::string> names = {
        {"libx264", "h264"}, {"libmp3lame", "mp3"}, {"libxvid", "mpeg4"}, {"libvorbis", "vorbis"},
        {"libtheora", "theora"}, {"libvpx", "vp8"}, {"mpeg4", "mpeg4"}, {"msmpeg4v2", "msmpeg4v2"}};
    const auto it = names.find(encoder);
    return it == names.end() ? encoder : it->second;
}

class BatchX11Test : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        root = fs::temp_directory_path() / ("quorvel-batch-x11-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* d : {"program", "config", "home", "media/clips"}) fs::create_directories(root / d);
        for (const char* clip : {"clip.avi", "clip.mp4", "clip.ts", "brief.ts"})
            fs::copy_file(std::string(QUORVEL_FIXTURES_DIR) + "/" + clip, root / "media" / "clips" / clip);
        // A clip long enough that "停止" surely comes while it converts.
        fs::create_directories(root / "media" / "long");
        ASSERT_TRUE(Exec({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                          "testsrc=size=320x240:rate=25:duration=90", "-c:v", "mpeg4", "-q:v", "9",
                          (root / "media" / "long" / "long.avi").string()}));
        launcher = std::make_shared<Recorder>();
        oldLauncher = sys::SetLauncher(launcher);
        Application->Title = kTitle;
        UseOptionFile(std::make_unique<TOptionFile>(
            TOptionPlaces{(root / "program").string() + "/", (root / "config").string(), (root / "home").string()}));
        CreateProgramForms();
        Form1->Show();
        ASSERT_TRUE(AppPumpUntil([] { return !XWindowOf(kTitle).empty(); }, 30000));
        AppPumpUntil([] { return false; }, 500);
    }
    void TearDown() override
    {
        ResetApplication();
        UseOptionFile(nullptr);
        sys::SetLauncher(oldLauncher);
        fs::remove_all(root);
    }
    // The user's actions as a shell script; the test serves the window
    // until the script ends.
    void User(const std::string& script) { RunUser(script, 300); }
    std::string Shot(const std::string& step)
    {
        const std::string path = ShotPath("batch-" + step);
        shots.push_back(path);
        return "sleep 0.7 && import -window root '" + path + "'";
    }
    // "文件" → "添加整个目录" → the dialog, which starts in the media folder:
    // Down to its first folder "clips" (or further to "long"), Enter.
    void AddFolder(const std::string& step, int downs, int rows)
    {
        Form1->bsSkinSelectDirectoryDialog1->Directory = (root / "media").string();
        TbsSkinMainMenuBar* bar = Form1->bsSkinMainMenuBar1;
        const TRect file = bar->Item(0)->ObjectRect;
        const TPoint menu((file.Left + file.Right) / 2, (file.Top + file.Bottom) / 2);
        User(WaitForWindow(kTitle) + " && " + ClickAt(bar, menu) + " && " +
             ClickAt(bar, TPoint(menu.X + 30, file.Bottom + 12 + 2 * 20)) + " && " + WaitForWindow("选择目录") + " && " +
             Shot(step) + " && xdotool key --delay 300" + (downs == 1 ? " Down" : " Down Down") + " Return");
        ASSERT_EQ(Form1->lvFiles->Items()->Count(), rows);
    }
    std::string Cell(int r, int c) const { return Form1->JobColumn(r, c); }

    fs::path root;
    std::vector<std::string> shots;
    std::shared_ptr<Recorder> launcher;
    std::shared_ptr<sys::ILauncher> oldLauncher;
};

}  // namespace

TEST_F(BatchX11Test, AUserConvertsAFolderStopsASecondRunChangesTheSkinAndQuits)
{
    AddFolder("1-added", 1, 4);

    // A category (the fourth of the drop-down's 50-pixel rows) and a preset
    // (the third of its 60-pixel rows) for the selected row, the last.
    TbsSkinOfficeComboBox* categories = Form1->bsSkinOfficeComboBox2;
    TbsSkinOfficeComboBox* presets = Form1->bsSkinOfficeComboBox1;
    User(ClickCentre(categories) + " && sleep 0.5 && " +
         ClickAt(categories, TPoint(40, categories->Height() + 3 * 50 + 25)) + " && " + ClickCentre(presets) +
         " && sleep 0.5 && " + ClickAt(presets, TPoint(100, presets->Height() + 2 * 60 + 30)) + " && " +
         Shot("2-preset"));
    ASSERT_EQ(categories->ItemIndex(), 3);
    ASSERT_EQ(presets->ItemIndex(), 2);

    // "选项": the thread count box opened, three rows down to "4", "确定".
    User(ClickCentre(Form1->bsSkinButton19) + " && " + WaitForWindow("选项") + " && " +
         ClickCentre(Form5->bsSkinComboBox2) + " && sleep 0.5 && xdotool key --delay 200 Down Down Down Return && " +
         Shot("3-options") + " && " + ClickCentre(Form5->bsSkinButton6));
    ASSERT_EQ(Form5->bsSkinComboBox2->ItemIndex(), 3);
    ASSERT_FALSE(Form5->GetVisible());

    // "开始", a look while it runs, then the end: the output folder opened once.
    User(ClickCentre(Form1->bsSkinButton2) + " && sleep 0.2 && import -window root '" + ShotPath("batch-4-running") +
         "'");
    shots.push_back(ShotPath("batch-4-running"));
    ASSERT_TRUE(AppPumpUntil([] { return !Form1->BatchRunning(); }, 240000));
    AppPumpUntil([] { return false; }, 500);
    User(Shot("5-done"));
    EXPECT_EQ(launcher->opened, std::vector<std::string>{Form1->FileOutPutPath});

    // Every output: the preset's container and codecs, the source's duration.
    for (int r = 0; r < 4; ++r)
    {
        SCOPED_TRACE(Cell(r, 0));
        EXPECT_EQ(Cell(r, unit1::kColProgress), "100%");
        const std::string output = Form1->FileOutPutPath + "/" + Cell(r, unit1::kColOutput);
        auto source = Probe(Cell(r, 0)), made = Probe(output);
        const TOutputOptions& o = Form1->OO1[static_cast<std::size_t>(r)];
        const std::string ext = LowerCase(sys::ExtractFileExt(output)).substr(1);
        EXPECT_NE(made["format_name"].find(ext == "mp4" || ext == "mov" || ext == "3gp" ? "mp4" : ext),
                  std::string::npos)
            << made["format_name"];
        if (!o.VideoCodec.empty())
        {
            EXPECT_EQ(made["video"], CodecOf(o.VideoCodec));
        }
        if (!o.AudioCodec.empty())
        {
            EXPECT_EQ(made["audio"], CodecOf(o.AudioCodec));
        }
        EXPECT_NEAR(std::stod(made["duration"]), std::stod(source["duration"]), 0.5);
    }

    // A second run: "清空", the long clip, "开始" and soon "停止".
    User(ClickCentre(Form1->bsSkinButton8));
    AddFolder("6-again", 2, 1);
    User(ClickCentre(Form1->bsSkinButton2) + " && sleep 0.5 && " + ClickCentre(Form1->bsSkinButton10) + " && " +
         Shot("7-stopped"));
    ASSERT_TRUE(AppPumpUntil([] { return !Form1->BatchRunning(); }, 60000));
    AppPumpUntil([] { return false; }, 500);
    EXPECT_EQ(launcher->opened.size(), 1u);
    EXPECT_TRUE(Form1->bsSkinButton2->GetEnabled());
    EXPECT_FALSE(Form1->bsSkinButton10->GetEnabled());

    // "功能" → "软件皮肤": two skins down, confirmed.
    const int skin = Form1->bsSkinData1->SkinIndex();
    User("xdotool key --delay 150 F10 Right Right Right Down Up Return && " + WaitForWindow("Select skin") +
         " && sleep 0.5 && xdotool key --delay 200 Down Down Return && " + Shot("8-skin"));
    EXPECT_NE(Form1->bsSkinData1->SkinIndex(), skin);

    // "文件" → "退出" from the keyboard ends the application's loop; the
    // program then frees its windows (as the program's main does) and no
    // window of it is left on the screen.
    User("xdotool key --delay 150 F10 Down Up Return");
    EXPECT_TRUE(AppPumpUntil([] { return Application->Terminated(); }, 30000));
    ResetApplication();
    PumpFor(500);
    EXPECT_EQ(Output({"xdotool", "search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"}), "");

    for (const std::string& s : shots) EXPECT_GT(TSurface::LoadPng(s).Width(), 0) << s;
}
