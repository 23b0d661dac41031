// The job list on a real X display with a window manager, driven like a
// user with xdotool: "文件" → "添加整个目录" → the folder dialog → a folder of
// media → rows appear (and the box naming what was skipped); another
// category and preset for one row; renaming it in place; moving it up;
// removing one. A screenshot at each step (<build>/jobs-*-PID.png).
#include <gtest/gtest.h>

#include <filesystem>

#include "app/OptionFile.h"
#include "app/Project1.h"
#include "app/Unit1.h"
#include "app/catalogue/Catalogue.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"
#include "tests/app/user_script.h"

using namespace x11test;
namespace fs = std::filesystem;

namespace {

class JobsX11Test : public WindowManagerTest
{
protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetApplication();
        root = fs::temp_directory_path() / ("quorvel-jobs-x11-" + std::to_string(::getpid()));
        fs::remove_all(root);
        for (const char* d : {"program", "config", "home", "media"}) fs::create_directories(root / d);
        fs::copy(std::string(QUORVEL_FIXTURES_DIR) + "/jobs30", root / "media" / "clips", fs::copy_options::recursive);
        UseOptionFile(std::make_unique<TOptionFile>(
            TOptionPlaces{(root / "program").string() + "/", (root / "config").string(), (root / "home").string()}));
        CreateProgramForms();
        Form1->Show();
        ASSERT_TRUE(PumpUntil([] { return !XWindowOf("QuorvelMTS格式转换器").empty(); }, 30000));
        PumpFor(500);
    }
    void TearDown() override
    {
        ResetApplication();
        UseOptionFile(nullptr);
        fs::remove_all(root);
    }
    // The user's actions as a shell script; the test serves the window's
    // messages until the script ends.
    void User(const std::string& script) { RunUser(script, 300); }
    std::string Shot(const std::string& step)
    {
        const std::string path = ShotPath("jobs-" + step);
        shots.push_back(path);
        return "sleep 0.7 && import -window root '" + path + "'";
    }
    int Rows() const { return Form1->lvFiles->Items()->Count(); }
    std::string Cell(int r, int c) const { return Form1->JobColumn(r, c); }

    fs::path root;
    std::vector<std::string> shots;
};

}  // namespace

TEST_F(JobsX11Test, AUserFillsTheListAndEditsIt)
{
    // The folder dialog starts where the user was last: the media folder,
    // whose only sub-folder is "clips".
    Form1->bsSkinSelectDirectoryDialog1->Directory = (root / "media").string();
    TbsSkinMainMenuBar* bar = Form1->bsSkinMainMenuBar1;
    const TRect file = bar->Item(0)->ObjectRect;
    // "文件", then its third item "添加整个目录" (three rows of about 20
    // pixels below the bar in this skin); the dialog: Down to "clips",
    // Enter; the box naming the skipped files: Enter.
    const TPoint menu((file.Left + file.Right) / 2, (file.Top + file.Bottom) / 2);
    User(WaitForWindow("QuorvelMTS格式转换器") + " && " + ClickAt(bar, menu) + " && " + Shot("1-menu") + " && " +
         ClickAt(bar, TPoint(menu.X + 30, file.Bottom + 12 + 2 * 20)) + " && " + WaitForWindow("选择目录") + " && " +
         Shot("2-dialog") + " && xdotool key --delay 300 Down Return && " + WaitForWindow("提示") + " && " +
         Shot("3-rows-and-skipped") + " && xdotool key Return");
    ASSERT_EQ(Rows(), 25);
    EXPECT_EQ(Cell(0, 0), (root / "media" / "clips" / "-dash.mp4").string());
    EXPECT_FALSE(Form1->bsSkinPanel5->GetVisible());

    // Row 2 gets another category (the fourth of the drop-down's 50-pixel
    // rows) and preset (the third of its 60-pixel rows); the list shows its
    // top again first (the add left it at its end).
    Form1->lvFiles->Items()->Item(0)->MakeVisible(false);
    PumpFor(300);
    const TRect r2 = Form1->lvFiles->ItemRect(2, drBounds);
    TbsSkinOfficeComboBox* categories = Form1->bsSkinOfficeComboBox2;
    TbsSkinOfficeComboBox* presets = Form1->bsSkinOfficeComboBox1;
    User(ClickAt(Form1->lvFiles, TPoint(40, (r2.Top + r2.Bottom) / 2)) + " && " + ClickCentre(categories) +
         " && sleep 0.5 && " + ClickAt(categories, TPoint(40, categories->Height() + 3 * 50 + 25)) + " && " +
         ClickCentre(presets) + " && sleep 0.5 && " + ClickAt(presets, TPoint(100, presets->Height() + 2 * 60 + 30)) +
         " && " + Shot("4-preset"));
    ASSERT_EQ(Form1->lvFiles->GetItemIndex(), 2);
    const int category = Form1->bsSkinOfficeComboBox2->ItemIndex(), preset = Form1->bsSkinOfficeComboBox1->ItemIndex();
    EXPECT_EQ(category, 3);
    EXPECT_EQ(preset, 2);
    EXPECT_EQ(Cell(2, 9), IntToStr(catalogue::CategoryCode(category, preset)));
    const std::string ext =
        catalogue::PresetExtension(Form1->bsSkinOfficeComboBox1->Items()->Items(preset)->Title());
    EXPECT_EQ(Cell(2, 3), sys::ChangeFileExt(sys::ExtractFileName(Cell(2, 0)), "") + ext);
    for (int r : {1, 3}) EXPECT_EQ(Cell(r, 9), "100");

    // Renamed in place: the editor over the output column, a name, Enter.
    User(ClickCentre(Form1->bsSkinButton21) + " && sleep 0.5 && xdotool type --delay 80 renamed && " +
         Shot("5-rename") + " && xdotool key Return && " + Shot("6-renamed"));
    EXPECT_EQ(Cell(2, 3), "renamed" + ext);
    EXPECT_FALSE(Form1->edt->GetVisible());

    // Moved up, then another row removed.
    User(ClickCentre(Form1->bsSkinButton3) + " && " + Shot("7-moved"));
    EXPECT_EQ(Cell(1, 3), "renamed" + ext);
    EXPECT_EQ(Form1->lvFiles->GetItemIndex(), 1);
    const std::string first = Cell(0, 0);
    const TRect r0 = Form1->lvFiles->ItemRect(0, drBounds);
    User(ClickAt(Form1->lvFiles, TPoint(40, (r0.Top + r0.Bottom) / 2)) + " && " +
         ClickCentre(Form1->bsSkinButton7) + " && " + Shot("8-removed"));
    EXPECT_EQ(Rows(), 24);
    EXPECT_NE(Cell(0, 0), first);
    EXPECT_EQ(Cell(0, 3), "renamed" + ext);

    for (const std::string& s : shots)
    {
        const TSurface shot = TSurface::LoadPng(s);
        EXPECT_GT(shot.Width(), 0) << s;
    }
}
