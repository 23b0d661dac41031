// The batch against the media fixtures, with the desktop's launcher, the
// power-off request and the sound player replaced by a recorder: a batch
// on four threads runs every row to "100%" and ends with exactly one action,
// on the GUI thread; a stop keeps the rows' progress, runs no action and
// leaves no useless output; failing rows (a vanished input, an encoder this
// FFmpeg lacks, a frame size the encoder refuses) fail alone, in plain boxes
// that never nest, before the action; a refused power-off is said; the
// engine's log lines.
#include <regex>
#include <set>
#include <thread>

#include "app/Unit1/Internal.h"
#include "app/catalogue/Catalogue.h"
#include "app_fixture.h"
#include "platform/core/MainThread.h"
#include "platform/sys/Power.h"
#include "platform/sys/Process.h"
#include "platform/sys/Sound.h"

using namespace apptest;

namespace {

const std::string kFixtures = QUORVEL_FIXTURES_DIR;

// Whatever a batch's end would start, recorded instead: what and on which thread.
struct Recorder : sys::ILauncher, sys::IPowerControl, sys::ISoundPlayer
{
    std::mutex lock;
    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;
    int boxesOpenAtCall = 0;
    bool acceptPowerOff = true;

    void Record(const std::string& what);
    bool Launch(const std::vector<std::string>& argv, bool) override
    {
        Record("open " + argv.back());
        return true;
    }
    bool PowerOff() override
    {
        Record("power off");
        return acceptPowerOff;
    }
    bool PlayWav(const std::string& path) override
    {
        Record("sound " + path);
        return true;
    }
};

// The plain boxes on screen (the failure reports).
int PlainBoxesShown()
{
    int n = 0;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (TCustomForm* f = Screen->Forms(i);
            f->Modal() && f->GetVisible() && f->GetText() == Application->Title && !dynamic_cast<TbsMessageForm*>(f))
            ++n;
    return n;
}

void Recorder::Record(const std::string& what)
{
    std::lock_guard<std::mutex> g(lock);
    calls.push_back(what);
    threads.push_back(std::this_thread::get_id());
    boxesOpenAtCall += PlainBoxesShown();
}

class BatchTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Application->Title = "QuorvelMTS格式转换器";
        recorder = std::make_shared<Recorder>();
        oldLauncher = sys::SetLauncher(recorder);
        oldPower = sys::SetPowerControl(recorder);
        oldSound = sys::SetSoundPlayer(recorder);
        Start();
        out = Form1->Video_OutPut_Folder_Edit->GetText();
        fs::create_directories(root / "program" / "sounds");
        WriteText((root / "program" / "sounds" / "ring001.wav").string(), "RIFF");
    }
    void TearDown() override
    {
        Stop();
        sys::SetLauncher(oldLauncher);
        sys::SetPowerControl(oldPower);
        sys::SetSoundPlayer(oldSound);
        ProgramTest::TearDown();
    }
    // `n` copies of a fixture in the test's own folder, added as jobs.
    std::vector<std::string> AddCopies(const std::string& fixture, int n)
    {
        std::vector<std::string> files;
        const std::string ext = fs::path(fixture).extension().string();
        for (int i = 0; i < n; ++i)
        {
            const fs::path to = root / "in" / ("job" + std::to_string(i) + ext);
            fs::create_directories(to.parent_path());
            fs::copy_file(kFixtures + "/" + fixture, to, fs::copy_options::overwrite_existing);
            files.push_back(to.string());
        }
        EXPECT_EQ(Form1->AddFiles(files), n);
        return files;
    }
    // The options window's choices: after the batch (0 open the folder, 1
    // power off, 2 sound, 3 nothing) and the thread count.
    static void Choose(int after, int threads)
    {
        Form5->AfterDoneRadios()[static_cast<std::size_t>(after)]->SetChecked(true);
        Form5->bsSkinComboBox2->SetItemIndex(threads - 1);
    }
    static void Press(TbsSkinButton* b)
    {
        ASSERT_TRUE(b->OnClick) << b->Name();
        b->OnClick(b);
    }
    // Serves the GUI thread until the batch has ended and nothing is pending.
    void WaitForEnd()
    {
        while (Form1->BatchRunning())
        {
            CheckSynchronize(10);
            driver->PumpUntilIdle();
        }
        while (CheckSynchronize(50)) driver->PumpUntilIdle();
        driver->PumpUntilIdle();
    }
    // Answers every failure box with OK, the next one too; when asked, each
    // waits for the end of the batch first, so that the failures after it
    // arrive while it is open.
    void AnswerFailureBoxes(bool waitForEnd)
    {
        driver->WhenIdle([this, waitForEnd] {
            if (waitForEnd)
                while (Form1->BatchRunning()) CheckSynchronize(10);
            ++failureBoxes;
            maxBoxesAtOnce = std::max(maxBoxesAtOnce, PlainBoxesShown());
            if (TCustomForm* f = Screen->ActiveForm(); f && f->Modal()) f->SetModalResult(mrOk);
            AnswerFailureBoxes(waitForEnd);
        });
    }
    std::string Cell(int r, int c) const { return Form1->JobColumn(r, c); }
    std::string Output(int r) const { return out + "/" + Cell(r, unit1::kColOutput); }
    std::string LogText() const { return Form1->mmoLog->Lines()->Text(); }

    std::shared_ptr<Recorder> recorder;
    std::shared_ptr<sys::ILauncher> oldLauncher;
    std::shared_ptr<sys::IPowerControl> oldPower;
    std::shared_ptr<sys::ISoundPlayer> oldSound;
    std::string out;
    int failureBoxes = 0;
    int maxBoxesAtOnce = 0;
};

TEST_F(BatchTest, FourThreadsRunSixFilesToTheEndAndOpenTheFolderOnce)
{
    AddCopies("brief.ts", 6);
    Choose(0, 4);
    Press(Form1->bsSkinButton2);
    EXPECT_TRUE(Form1->BatchRunning());
    // While it runs (held by a pause, so that it cannot end meanwhile)
    // nothing edits the list, rows keep their places.
    Form1->PauseFromButton();
    EXPECT_FALSE(Form1->bsSkinMenuSpeedButton1->GetEnabled());
    EXPECT_FALSE(Form1->bsSkinButton3->GetEnabled());
    const TSurface movePictureOff = Form1->bsSkinButton3->Glyph()->ToSurface();
    EXPECT_FALSE(Form1->N17->Enabled());
    EXPECT_TRUE(Form1->bsSkinButton10->GetEnabled());
    Form1->lvFiles->SetItemIndex(1);
    Form1->MoveJobUp();
    Form1->ClearJobs();
    ASSERT_EQ(Form1->lvFiles->Items()->Count(), 6);
    EXPECT_EQ(Cell(1, 0), (root / "in" / "job1.ts").string());
    Form1->ResumeFromButton();
    WaitForEnd();

    for (int r = 0; r < 6; ++r)
    {
        EXPECT_EQ(Cell(r, unit1::kColProgress), "100%") << r;
        EXPECT_TRUE(fs::file_size(Output(r)) > 0) << Output(r);
    }
    ASSERT_EQ(recorder->calls, std::vector<std::string>{"open " + out});
    // The terminate handling ran on the GUI thread.
    EXPECT_EQ(recorder->threads[0], MainThreadId());
    // The end of the batch: clear and the moves back, start and add stay off.
    EXPECT_TRUE(Form1->bsSkinButton8->GetEnabled());
    EXPECT_TRUE(Form1->bsSkinButton3->GetEnabled());
    EXPECT_TRUE(Form1->N17->Enabled());
    // The move button's picture is greyed while it is off, and back after.
    const TSurface movePictureOn = Form1->bsSkinButton3->Glyph()->ToSurface();
    bool differs = false;
    for (int y = 0; y < movePictureOn.Height(); ++y)
        for (int x = 0; x < movePictureOn.Width(); ++x) differs |= movePictureOn.Pixel(x, y) != movePictureOff.Pixel(x, y);
    EXPECT_TRUE(differs);
    EXPECT_FALSE(Form1->bsSkinButton2->GetEnabled());
    EXPECT_FALSE(Form1->bsSkinButton10->GetEnabled());
    EXPECT_FALSE(Form1->bsSkinMenuSpeedButton1->GetEnabled());
    EXPECT_TRUE(Form1->bsSkinOfficeComboBox1->GetEnabled());
    // The engine's lines: "#<thread id>.<level>: <message>".
    EXPECT_TRUE(std::regex_search(LogText(), std::regex(R"((^|\n)#[0-9]+\.[0-7]: )"))) << LogText();

    // A clear brings the add commands back.
    Form1->ClearJobs();
    EXPECT_TRUE(Form1->bsSkinMenuSpeedButton1->GetEnabled());
    EXPECT_TRUE(Form1->Item111->Enabled());
}

TEST_F(BatchTest, StopKeepsTheProgressRunsNoActionAndLeavesNoUselessFile)
{
    AddCopies("clip.avi", 4);
    Choose(2, 1);
    Form1->FFConv->SetProgressInterval(100);
    Press(Form1->bsSkinButton2);
    // Pause and resume swap their buttons.
    Form1->PauseFromButton();
    EXPECT_FALSE(Form1->bsSkinButton11->GetVisible());
    EXPECT_TRUE(Form1->bsSkinButton12->GetVisible());
    EXPECT_TRUE(Form1->bsSkinButton12->GetEnabled());
    Form1->ResumeFromButton();
    EXPECT_TRUE(Form1->bsSkinButton11->GetVisible());
    // Stopped once the first row shows progress of its own.
    while (Cell(0, unit1::kColProgress).empty() && Form1->BatchRunning())
    {
        CheckSynchronize(5);
        driver->PumpUntilIdle();
    }
    Press(Form1->bsSkinButton10);
    WaitForEnd();

    EXPECT_TRUE(recorder->calls.empty());
    EXPECT_FALSE(Cell(0, unit1::kColProgress).empty());
    EXPECT_NE(Cell(0, unit1::kColProgress), "失败");
    // Rows never started have no progress and no file.
    for (int r = 2; r < 4; ++r)
    {
        EXPECT_EQ(Cell(r, unit1::kColProgress), "") << r;
        EXPECT_FALSE(fs::exists(Output(r))) << r;
    }
    // What is left in the folder holds media: a stopped run leaves no empty or header-only file.
    for (const auto& e : fs::directory_iterator(out))
    {
        TAVProbe* probe = Form1->FFConv->AVProbe();
        ASSERT_TRUE(probe->LoadFile(e.path().string())) << e.path();
        EXPECT_GT(probe->FileStreamInfo().Duration, 0) << e.path();
        probe->CloseFile();
    }
    // After the stop only the tool bar's start is back.
    EXPECT_TRUE(Form1->bsSkinButton2->GetEnabled());
    EXPECT_FALSE(Form1->btnStart->GetEnabled());
    EXPECT_FALSE(Form1->N7->Enabled());

    // A new run from there runs every row again and ends with the sound.
    Press(Form1->bsSkinButton2);
    WaitForEnd();
    for (int r = 0; r < 4; ++r) EXPECT_EQ(Cell(r, unit1::kColProgress), "100%") << r;
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->calls[0], "sound " + (root / "program" / "sounds" / "ring001.wav").string());
    EXPECT_EQ(recorder->threads[0], MainThreadId());
}

TEST_F(BatchTest, AStopWhilePausedEndsTheBatchAndAClosedWindowHearsNoMore)
{
    AddCopies("clip.avi", 3);
    Choose(2, 2);
    Press(Form1->bsSkinButton2);
    Form1->PauseFromButton();
    Press(Form1->bsSkinButton10);
    WaitForEnd();
    EXPECT_FALSE(Form1->BatchRunning());
    EXPECT_TRUE(recorder->calls.empty());
    // The stopped state shows "暂停" again (disabled), not "继续".
    EXPECT_TRUE(Form1->bsSkinButton11->GetVisible());
    EXPECT_FALSE(Form1->bsSkinButton12->GetVisible());

    // Closed while a batch runs: the batch stops, its events and the action
    // no longer reach the window.
    Press(Form1->bsSkinButton2);
    bool canClose = false;
    Form1->FormCloseQuery(Form1, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(Form1->FFConv->Working() && !Form1->FFConv->Terminated());
    while (CheckSynchronize(50)) driver->PumpUntilIdle();
    EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(BatchTest, FailingRowsFailAloneInBoxesThatNeverNestBeforeTheAction)
{
    AddCopies("brief.ts", 4);
    // Row 1's input goes away after it was added; row 2 asks for an encoder
    // this FFmpeg lacks (the AMR preset's); row 3 for a frame size x264
    // cannot encode.
    fs::remove(root / "in" / "job1.ts");
    unit1::SetRowText(Form1->lvFiles->Items()->Item(2), 12, "libopencore_amrnb");
    unit1::SetRowText(Form1->lvFiles->Items()->Item(3), 11, "libx264");
    unit1::SetRowText(Form1->lvFiles->Items()->Item(3), 16, "161x121");
    Choose(0, 2);
    AnswerFailureBoxes(true);
    Press(Form1->bsSkinButton2);
    WaitForEnd();

    EXPECT_EQ(Cell(0, unit1::kColProgress), "100%");
    for (int r = 1; r < 4; ++r) EXPECT_EQ(Cell(r, unit1::kColProgress), "失败") << r;
    // The rows that could not start share the first box; the encoder's
    // refusal comes while it is open and waits for the second.
    EXPECT_EQ(failureBoxes, 2);
    EXPECT_EQ(maxBoxesAtOnce, 1);
    ASSERT_EQ(recorder->calls, std::vector<std::string>{"open " + out});
    EXPECT_EQ(recorder->boxesOpenAtCall, 0);
    const std::string log = LogText();
    EXPECT_NE(log.find("job2.ts: 本机的 FFmpeg 没有这种输出格式所需的编码器（encoder not available: libopencore_amrnb）"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("job1.ts: 输入文件已不存在"), std::string::npos);
    EXPECT_NE(log.find("cannot encode a frame size of 161x121"), std::string::npos);
}

TEST_F(BatchTest, FailuresArrivingWhileABoxIsOpenAreGatheredIntoTheNextBox)
{
    AddCopies("brief.ts", 3);
    for (int r = 0; r < 3; ++r)
    {
        unit1::SetRowText(Form1->lvFiles->Items()->Item(r), 11, "libx264");
        unit1::SetRowText(Form1->lvFiles->Items()->Item(r), 16, "161x121");
    }
    Choose(2, 1);
    AnswerFailureBoxes(true);
    Press(Form1->bsSkinButton2);
    WaitForEnd();
    for (int r = 0; r < 3; ++r) EXPECT_EQ(Cell(r, unit1::kColProgress), "失败") << r;
    EXPECT_EQ(failureBoxes, 2);
    EXPECT_EQ(maxBoxesAtOnce, 1);
    EXPECT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(recorder->boxesOpenAtCall, 0);
}

TEST_F(BatchTest, AnAudioBitRateTheEncoderRefusesBecomesTheNearestItAccepts)
{
    struct Case
    {
        const char* encoder;
        const char* sampleRate;
        const char* bitrate;
        int accepted;
    };
    const Case cases[] = {
        {"mp2", "22050", "192000", 160000},   // MPEG-2 layer II ends at 160 kbit/s
        {"mp2", "44100", "16000", 32000},     // MPEG-1 layer II starts at 32
        {"wmav2", "44100", "16000", 24000},   // WMA needs 24 at least
        {"mp2", "44100", "128000", 128000},   // accepted: unchanged
    };
    AddCopies("brief.ts", int(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        TListItem* row = Form1->lvFiles->Items()->Item(int(i));
        unit1::SetRowText(row, 12, cases[i].encoder);
        unit1::SetRowText(row, 20, cases[i].sampleRate);
        unit1::SetRowText(row, 19, cases[i].bitrate);
    }
    Choose(3, 2);
    Press(Form1->bsSkinButton2);
    WaitForEnd();
    for (std::size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(Form1->OO1[i].AudioBitrate, cases[i].accepted);
        EXPECT_EQ(Cell(int(i), unit1::kColProgress), "100%");
    }
    EXPECT_NE(LogText().find("不接受音频比特率 192000，改为 160000"), std::string::npos) << LogText();
}

TEST_F(BatchTest, TheLivePreviewShowsAWindowPerConversionWhileTheBatchRuns)
{
    AddCopies("clip.avi", 2);
    // Large pictures: the conversions last long enough to be seen.
    for (int r = 0; r < 2; ++r) unit1::SetRowText(Form1->lvFiles->Items()->Item(r), 16, "1920x1080");
    Choose(3, 2);
    Form5->bsSkinCheckRadioBox8->SetChecked(true);
    ASSERT_TRUE(Form1->FFConv->Preview());
    std::set<TCustomForm*> program;
    for (int i = 0; i < Screen->FormCount(); ++i) program.insert(Screen->Forms(i));
    auto previews = [&program] {
        int n = 0;
        for (int i = 0; i < Screen->FormCount(); ++i)
            n += !program.count(Screen->Forms(i)) && Screen->Forms(i)->GetVisible();
        return n;
    };
    Form1->FFConv->SetProgressInterval(100);
    Press(Form1->bsSkinButton2);
    // Paused once frames are converted (the windows cannot end meanwhile):
    // the conversions' windows show.
    while (Cell(0, unit1::kColProgress).empty() || Cell(0, unit1::kColProgress) == "0%")
    {
        CheckSynchronize(5);
        driver->PumpUntilIdle();
    }
    Form1->PauseFromButton();
    while (previews() == 0)
    {
        CheckSynchronize(10);
        driver->PumpUntilIdle();
    }
    Form1->ResumeFromButton();
    WaitForEnd();
    EXPECT_EQ(previews(), 0);
}

TEST_F(BatchTest, ARefusedPowerOffIsSaidAndTheProgramGoesOn)
{
    AddCopies("brief.ts", 1);
    Choose(1, 1);
    recorder->acceptPowerOff = false;
    AnswerBox();
    Press(Form1->bsSkinButton2);
    while (boxes.empty())
    {
        CheckSynchronize(10);
        driver->PumpUntilIdle();
    }
    EXPECT_EQ(recorder->calls, std::vector<std::string>{"power off"});
    EXPECT_EQ(boxes, std::vector<std::string>{"关机请求没有被系统接受，电脑没有关闭。"});
}

}  // namespace
