// The job list against the media fixtures: adding one file, several files
// and a folder (name order, odd names, what is skipped and why, FIFOs never
// opened), every row's columns against the catalogue for its own preset, the
// slots beside the rows, the output names no two rows share, the 501-job
// limit, selection putting a row's choices back without writing it, preset
// and parameter changes, removing, moving, renaming and clearing.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include "app/Unit1/Internal.h"
#include "app/catalogue/Catalogue.h"
#include "app_fixture.h"
#include "platform/core/Utf8.h"
#include "platform/core/VirtualKeys.h"
#include "tools/programgallery/ProgramGallery.h"

using namespace apptest;
using namespace catalogue;

namespace {

const std::string kFixtures = QUORVEL_FIXTURES_DIR;

class JobsTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Start();
        out = Form1->Video_OutPut_Folder_Edit->GetText();
    }

    int Rows() const { return Form1->lvFiles->Items()->Count(); }
    std::string Cell(int r, int c) const { return Form1->JobColumn(r, c); }
    std::vector<std::string> RowCells(int r) const
    {
        std::vector<std::string> cells;
        for (int c = 0; c < unit1::kJobColumnCount; ++c) cells.push_back(Cell(r, c));
        return cells;
    }
    // A copy of a fixture under a new name in the test's own folder.
    std::string Copy(const std::string& fixture, const std::string& name)
    {
        const fs::path to = root / "in" / name;
        fs::create_directories(to.parent_path());
        fs::copy_file(kFixtures + "/" + fixture, to, fs::copy_options::overwrite_existing);
        return to.string();
    }
    // The next `n` modal boxes are answered with OK (their texts in `boxes`).
    void Answer(int n = 1)
    {
        for (int i = 0; i < n; ++i) AnswerBox();
    }
    // "添加整个目录" with the folder dialog answered by OK (or Cancel), then
    // `answers` boxes answered.
    void AddFolder(const std::string& folder, int answers, bool ok = true)
    {
        Form1->bsSkinSelectDirectoryDialog1->Directory = folder;
        driver->WhenIdle([this, ok] {
            TbsSelDirDlgForm* f = Form1->bsSkinSelectDirectoryDialog1->Form();
            driver->Click((ok ? f->OkButton : f->CancelButton)->Handle());
        });
        Answer(answers);
        Form1->N21->Click();
        EXPECT_EQ(driver->PendingIdleActions(), 0u);
    }
    // A skinned button's own click (its OnClick is its own, not the control's).
    static void Press(TbsSkinButton* b)
    {
        ASSERT_TRUE(b->OnClick) << b->Name();
        b->OnClick(b);
    }
    // A key in the rename editor.
    static void EditorKey(WORD key) { Form1->edt->OnKeyDown(Form1->edt, key, {}); }
    void Select(int r)
    {
        Form1->lvFiles->SetItemIndex(r);
        driver->PumpUntilIdle();
    }
    // The boxes' item indexes, by ParamBox.
    static ParamIndexes BoxIndexes()
    {
        ParamIndexes idx{};
        const auto boxes = Form1->ParamBoxes();
        for (std::size_t b = 0; b < boxes.size(); ++b) idx[b] = boxes[b]->ItemIndex();
        return idx;
    }
    // Columns 10 to 24 as the catalogue makes them for a job of this choice.
    static std::vector<std::string> ExpectedChoiceColumns(int category, int preset, const ParamIndexes& idx)
    {
        const JobChoice j = ComposeJob("/in/x.mts", category, preset, idx, "/out", true);
        std::vector<std::string> cols{j.optionCode};
        for (const std::string& c : HiddenColumnsOf(j.state)) cols.push_back(c);
        return cols;
    }
    std::vector<std::string> ChoiceColumns(int r) const
    {
        std::vector<std::string> cols;
        for (int c = 10; c <= 24; ++c) cols.push_back(Cell(r, c));
        return cols;
    }
    // A choice in the boxes while no row is selected (a selected row would take it).
    void PickPresetForNewJobs(int category, int preset)
    {
        Form1->lvFiles->ClearSelection();
        PickPreset(category, preset);
    }
    void PickPreset(int category, int preset)
    {
        Form1->bsSkinOfficeComboBox2->SetItemIndex(category);
        Form1->bsSkinOfficeComboBox1->SetItemIndex(preset);
        driver->PumpUntilIdle();
    }

    std::string out;
};

// The jobs30 fixture copied with the entries no fixture can hold: a FIFO,
// a socket, a link to a device and a link to nothing.
std::string FolderWithSpecialFiles(const fs::path& root)
{
    const fs::path dir = root / "folder";
    fs::copy(kFixtures + "/jobs30", dir, fs::copy_options::recursive);
    EXPECT_EQ(::mkfifo((dir / "pipe.avi").c_str(), 0644), 0);
    fs::create_symlink("/dev/null", dir / "device.mp4");
    fs::create_symlink(dir / "gone.avi", dir / "dangling.avi");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const std::string sock = (dir / "socket.avi").string();
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", sock.c_str());
    EXPECT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::close(s);
    return dir.string();
}

}  // namespace

// Runs first: the conversion libraries are loaded once per process.
TEST_F(JobsTest, LibrariesThatCannotLoadGiveABoxAndAddNothing)
{
    if (Form1->FFConv->AVLibLoaded()) GTEST_SKIP() << "the libraries are loaded already in this process";
    fs::create_directories(root / "program" / "LibAV");
    WriteText((root / "program" / "LibAV" / "libavcodec.so.59").string(), "not a library");
    Answer();
    EXPECT_EQ(Form1->AddFiles({kFixtures + "/clip.avi"}), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("无法载入转换所需的 FFmpeg 库"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("libavcodec.so.59"), std::string::npos) << boxes[0];
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(Form1->bsSkinPanel5->GetVisible());
    EXPECT_TRUE(Form1->btnAdd->GetEnabled());
}

TEST_F(JobsTest, AFolderIsAddedInNameOrderAndWhatIsSkippedIsNamed)
{
    const std::string folder = FolderWithSpecialFiles(root);
    AddFolder(folder, 1);

    // The media files, by name (case ignored); the sub-folder is never entered.
    const std::vector<std::string> expected = {
        "-dash.mp4", "12:30 clip.mts", std::string("bad\xff\xfename.mp3"), "c01_clip.avi", "c02_clip.avi",
        "c03_clip.mp4", "c04_clip.mp4", "c05_clip.ts", "c06_clip.ts", "c07_multi.mkv", "c08_multi.mkv",
        "c09_tone.mp3", "c10_tone.mp3", "c11_short.wav", "c12_short.wav", "c13_silent.avi", "c14_silent.avi",
        "clip.avi", "clip.mp4", "it's \"quoted\".avi", "song.wav", "UPPER CASE.AVI", "with  two  spaces.avi",
        "zeta.mp3", "中文 视频.mp4"};
    ASSERT_EQ(Rows(), int(expected.size()));
    std::set<std::string> outputs;
    for (int r = 0; r < Rows(); ++r)
    {
        SCOPED_TRACE(expected[std::size_t(r)]);
        EXPECT_EQ(Cell(r, 0), folder + "/" + expected[std::size_t(r)]);
        EXPECT_TRUE(outputs.insert(Cell(r, 3)).second) << "two rows write " << Cell(r, 3);
        EXPECT_EQ(Cell(r, 8), std::to_string(r + 1));
        EXPECT_EQ(Cell(r, 9), "100");
        EXPECT_EQ(ChoiceColumns(r), ExpectedChoiceColumns(0, 0, BoxIndexes()));
        // The slot of the row: its records, the marker beside them.
        EXPECT_EQ(Form1->IO1[std::size_t(r)].FileName, Cell(r, 0));
        EXPECT_EQ(Form1->OO1[std::size_t(r)].FileName, out + "/" + Cell(r, 3));
        EXPECT_EQ(Form1->OO1[std::size_t(r)].AudioLanguage, "");
        EXPECT_EQ(Form1->FFConv->Task(r)->OutputOptions(0)->AudioLanguage, "");
        EXPECT_EQ(Form1->JobSlotMarker[std::size_t(r)], "Full");
    }
    EXPECT_EQ(Form1->JobSlotMarker[expected.size()], "kong");
    EXPECT_EQ(Form1->FFConv->TasksCount(), Rows());
    // Whole names: the colon's part stays, the extension is the preset's.
    EXPECT_EQ(Cell(1, 3), "12:30 clip.avi");
    EXPECT_EQ(Cell(0, 3), "-dash.avi");
    EXPECT_EQ(Cell(17, 3), "clip.avi");
    EXPECT_EQ(Cell(18, 3), "clip_1.avi");
    EXPECT_EQ(Cell(17, 1), "00:00:02");
    EXPECT_EQ(Cell(17, 2), "0.08MB");

    // One box names every skipped file and why.
    ASSERT_EQ(boxes.size(), 1u);
    const std::string& box = boxes[0];
    EXPECT_NE(box.find("以下 8 个文件没有添加："), std::string::npos) << box;
    for (const char* name : {"pipe.avi", "socket.avi", "device.mp4", "dangling.avi", "notes.txt", "empty.avi",
                             "text.avi", "truncated.mp4"})
        EXPECT_NE(box.find(std::string(name) + "："), std::string::npos) << name << "\n" << box;
    EXPECT_NE(box.find("pipe.avi：不是普通文件"), std::string::npos) << box;
    EXPECT_NE(box.find("empty.avi：无法识别为视频或音频文件（Invalid data"), std::string::npos) << box;
    EXPECT_EQ(box.find("inside.avi"), std::string::npos) << box;

    // The last row is selected; the picture is gone; the commands follow.
    EXPECT_EQ(Form1->lvFiles->GetItemIndex(), Rows() - 1);
    EXPECT_FALSE(Form1->bsSkinPanel5->GetVisible());
    for (TControl* c : {static_cast<TControl*>(Form1->btnRemove), static_cast<TControl*>(Form1->btnClear),
                        static_cast<TControl*>(Form1->btnStart), static_cast<TControl*>(Form1->bsSkinButton21)})
        EXPECT_TRUE(c->GetEnabled()) << c->Name();
    EXPECT_FALSE(Form1->AddProgressLabel->GetVisible());
    EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
    EXPECT_EQ(Form1->ListBox1->Items()->Count(), 33);
}

TEST_F(JobsTest, TheFolderDialogAddsOnlyOnOK)
{
    AddFolder(kFixtures + "/jobs30", 0, false);
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(Form1->bsSkinPanel5->GetVisible());

    // A folder without any media: the box of the folder add.
    fs::create_directories(root / "nomedia");
    WriteText((root / "nomedia" / "readme.txt").string(), "text");
    AddFolder((root / "nomedia").string(), 1);
    EXPECT_EQ(Rows(), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("在该目录没有发现可以用的视频或音频文件！", 0), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("readme.txt："), std::string::npos) << boxes[0];
}

TEST_F(JobsTest, SeveralFilesKeepTheDialogsOrder)
{
    for (const char* f : {"b.avi", "a.mp4", "c.ts"}) Copy(std::string("clip") + fs::path(f).extension().string(), f);
    Form1->OpenDialog2->InitialDir = (root / "in").string();
    driver->WhenIdle([this] {
        TbsSkinFileListView* list = Form1->OpenDialog2->Form()->FileListView;
        // The dialog lists a.mp4, b.avi, c.ts.
        for (int i = 0; i < 3; ++i) list->Items()->Item(i)->SetSelected(true);
        driver->Click(Form1->OpenDialog2->Form()->OpenButton->Handle());
    });
    Form1->N2222->Click();
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 0), (root / "in" / "a.mp4").string());
    EXPECT_EQ(Cell(1, 0), (root / "in" / "b.avi").string());
    EXPECT_EQ(Cell(2, 0), (root / "in" / "c.ts").string());
    EXPECT_EQ(Form1->lvFiles->GetItemIndex(), 2);
    // Three outputs, none shared: "b.avi" is the output of b.avi itself.
    EXPECT_EQ(Cell(0, 3), "a.avi");
    EXPECT_EQ(Cell(1, 3), "b.avi");
    EXPECT_EQ(Cell(2, 3), "c.avi");
}

TEST_F(JobsTest, OneFileFromTheMenuAndAFifoThatIsNeverOpened)
{
    Copy("clip.mp4", "one.mp4");
    ASSERT_EQ(::mkfifo((root / "in" / "pipe.mp4").c_str(), 0644), 0);
    Form1->OpenDialog1->InitialDir = (root / "in").string();
    auto choose = [this](const std::string& name) {
        driver->WhenIdle([this, name] {
            TbsOpenDlgForm* f = Form1->OpenDialog1->Form();
            f->FileNameEdit->SetText(name);
            driver->Click(f->OpenButton->Handle());
        });
    };
    choose("one.mp4");
    Form1->Item111->Click();
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Cell(0, 0), (root / "in" / "one.mp4").string());
    EXPECT_EQ(Form1->lvFiles->GetItemIndex(), 0);
    // A FIFO would hold whoever opens it for reading: it is named, not opened.
    // The open dialog refuses one itself; a name that reaches the list another
    // way is skipped there.
    Answer();
    Form1->AddFiles({(root / "in" / "pipe.mp4").string()});
    EXPECT_EQ(Rows(), 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "以下 1 个文件没有添加：\npipe.mp4：不是普通文件（管道、设备或套接字），没有打开");
}

TEST_F(JobsTest, EveryRowsHiddenColumnsComeFromItsOwnPreset)
{
    // An audio-only preset (category 7, FLAC), a disc preset (category 1,
    // DVD PAL) and the start-up's: several files each.
    const std::string a = Copy("clip.avi", "one.avi"), b = Copy("clip.mp4", "two.mp4"), c = Copy("tone.mp3", "three.mp3");
    struct Case
    {
        int category, preset;
        const char *audioOnly, *target, *norm;
    };
    const Case cases[] = {{7, 0, "True", "", ""}, {0, 0, "False", "", ""}};
    int first = 0;
    for (const Case& k : cases)
    {
        PickPresetForNewJobs(k.category, k.preset);
        Form1->AddFiles({a, b, c});
        ASSERT_EQ(Rows(), first + 3);
        for (int r = first; r < first + 3; ++r)
        {
            SCOPED_TRACE(r);
            EXPECT_EQ(Cell(r, 9), std::to_string(CategoryCode(k.category, k.preset)));
            EXPECT_EQ(ChoiceColumns(r), ExpectedChoiceColumns(k.category, k.preset, BoxIndexes()));
            EXPECT_EQ(Cell(r, 22), k.audioOnly);
        }
        first += 3;
    }
    // Disc presets keep their target and norm in every row.
    for (int p = 0; p < Form1->bsSkinOfficeComboBox1->Items()->Count(); ++p)
    {
        PickPresetForNewJobs(1, p);
        const PresetValues* v = FindPresetValues(PresetKey(1, p));
        if (!v || !v->targetType) continue;
        const int before = Rows();
        Form1->AddFiles({a, b});
        ASSERT_EQ(Rows(), before + 2);
        for (int r = before; r < Rows(); ++r)
        {
            EXPECT_EQ(Cell(r, 23), std::string(*v->targetType));
            EXPECT_EQ(Cell(r, 24), std::string(v->normType.value_or("")));
            EXPECT_EQ(ChoiceColumns(r), ExpectedChoiceColumns(1, p, BoxIndexes()));
        }
    }
    EXPECT_GT(Rows(), 6);
}

TEST_F(JobsTest, AddingWritesOnlyTheNewRow)
{
    const std::string a = Copy("clip.avi", "a.avi"), b = Copy("clip.mp4", "b.mp4");
    Form1->AddFiles({a});
    Select(0);
    // The user gives the row its own frame size.
    Form1->bsSkinComboBox1->SetItemIndex(5);
    driver->PumpUntilIdle();
    const std::vector<std::string> before = RowCells(0);
    ASSERT_EQ(before[16], Form1->bsSkinComboBox1->GetText());
    Form1->AddFiles({b});
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(RowCells(0), before);
    // The new row took the boxes as they were.
    EXPECT_EQ(Cell(1, 16), before[16]);
    EXPECT_EQ(Cell(1, 10), before[10]);
}

TEST_F(JobsTest, APresetChangeLeavesTheRowHoldingWhatTheBoxesShow)
{
    Form1->AddFiles({Copy("clip.avi", "clip.avi")});
    Select(0);
    int differ = 0;
    for (int category = 0; category < kCategoryCount; ++category)
        for (int preset = 0; preset < kCategories[category].presetCount; ++preset)
        {
            SCOPED_TRACE(std::to_string(category) + "/" + std::to_string(preset));
            PickPreset(category, preset);
            const ParamIndexes idx = BoxIndexes();
            EXPECT_EQ(ChoiceColumns(0), ExpectedChoiceColumns(category, preset, idx));
            EXPECT_EQ(Cell(0, 9), std::to_string(CategoryCode(category, preset)));
            const std::string title = Form1->bsSkinOfficeComboBox1->Items()->Items(preset)->Title();
            EXPECT_EQ(Cell(0, 3), "clip" + PresetExtension(title));
            const PresetValues* v = FindPresetValues(PresetKey(category, preset));
            if (v && v->frameSize.value_or("") != Cell(0, 16)) ++differ;
            // Selecting the row again changes none of its columns.
            const std::vector<std::string> cells = RowCells(0);
            Select(-1);
            Select(0);
            EXPECT_EQ(RowCells(0), cells);
            EXPECT_EQ(BoxIndexes(), idx);
        }
    // The presets whose own frame size is not the box's default.
    EXPECT_GT(differ, 0);
}

TEST_F(JobsTest, SelectionPutsEachRowsChoicesBackAndWritesNothing)
{
    const std::string a = Copy("clip.avi", "a.avi"), b = Copy("clip.mp4", "b.mp4"), c = Copy("tone.mp3", "c.mp3");
    PickPresetForNewJobs(13, 2);
    Form1->AddFiles({a});
    PickPresetForNewJobs(7, 3);
    Form1->bsSkinComboBox3->SetItemIndex(1);
    Form1->AddFiles({b});
    PickPresetForNewJobs(5, 4);
    Form1->bsSkinComboBox1->SetItemIndex(2);
    Form1->bsSkinComboBox2->SetItemIndex(3);
    Form1->AddFiles({c});
    driver->PumpUntilIdle();
    ASSERT_EQ(Rows(), 3);
    std::vector<std::vector<std::string>> cells;
    for (int r = 0; r < 3; ++r) cells.push_back(RowCells(r));
    for (int r : {0, 1, 2, 1, 0})
    {
        SCOPED_TRACE(r);
        Select(r);
        const auto choice = DecodeCategoryCode(std::stoi(Cell(r, 9)));
        ASSERT_TRUE(choice);
        EXPECT_EQ(Form1->bsSkinOfficeComboBox2->ItemIndex(), choice->category);
        EXPECT_EQ(Form1->bsSkinOfficeComboBox1->ItemIndex(), choice->presetIndex);
        EXPECT_EQ(OptionCode(BoxIndexes()), Cell(r, 10));
        EXPECT_EQ(Form1->T_Movie_PLayer_FileName, Cell(r, 0));
        for (int k = 0; k < 3; ++k) EXPECT_EQ(RowCells(k), cells[std::size_t(k)]);
    }
    // A row without readable codes leaves the boxes alone.
    const ParamIndexes before = BoxIndexes();
    unit1::SetRowText(Form1->lvFiles->Items()->Item(1), 9, "junk");
    Select(1);
    EXPECT_EQ(BoxIndexes(), before);
    EXPECT_EQ(Form1->bsSkinOfficeComboBox2->ItemIndex(), 13);
}

TEST_F(JobsTest, TwoRowsNeverWriteTheSameOutput)
{
    const std::string a = Copy("clip.avi", "clip.avi"), b = Copy("clip.mp4", "clip.mp4");
    // A file of the first name is in the output folder already.
    WriteText(out + "/clip.avi", "old");
    Form1->AddFiles({a, b, a});
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, 3), "clip_1.avi");
    EXPECT_EQ(Cell(1, 3), "clip_2.avi");
    EXPECT_EQ(Cell(2, 3), "clip_3.avi");

    // "直接覆盖": the file on disk may go, another row's output may not.
    Form1->btnClear->Click();
    Form5->bsSkinCheckRadioBox3->SetChecked(true);
    Answer();
    Form1->AddFiles({a, b});
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Cell(0, 3), "clip.avi");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("clip.mp4：输出文件“clip.avi”已是列表中另一个文件的输出"), std::string::npos) << boxes[0];
    EXPECT_EQ(Form1->FFConv->TasksCount(), 1);
}

TEST_F(JobsTest, TheListHoldsAtMost501Jobs)
{
    fs::create_directories(root / "many");
    for (int i = 0; i < 502; ++i)
        fs::create_symlink(kFixtures + "/jobs30/c11_short.wav", root / "many" / Format("s%03d.wav", i));
    AddFolder((root / "many").string(), 1);
    ASSERT_EQ(Rows(), 501);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "作业列表已满（最多 501 个文件）：添加了 501 个文件，其余 1 个没有添加。");
    EXPECT_EQ(Cell(500, 0), (root / "many" / "s500.wav").string());
    EXPECT_EQ(Cell(500, 8), "501");
    EXPECT_EQ(Form1->JobSlotMarker[500], "Full");

    // The 502nd, alone.
    Answer();
    EXPECT_EQ(Form1->AddFiles({kFixtures + "/clip.avi"}), 0);
    EXPECT_EQ(Rows(), 501);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "作业列表已满（最多 501 个文件），没有添加文件。");
}

TEST_F(JobsTest, RemovingKeepsRowsSlotsAndTasksTogether)
{
    const std::string a = Copy("clip.avi", "a.avi"), b = Copy("clip.mp4", "b.mp4"), c = Copy("clip.ts", "c.ts");
    Form1->AddFiles({a, b, c});
    Form1->lvFiles->ClearSelection();
    Answer();
    Form1->btnRemove->Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "请先选择您需要删除的项目！");
    EXPECT_EQ(Rows(), 3);

    Select(1);
    Press(Form1->bsSkinButton7);
    ASSERT_EQ(Rows(), 2);
    EXPECT_EQ(Cell(1, 0), c);
    EXPECT_EQ(Cell(1, 8), "2");
    EXPECT_EQ(Form1->IO1[1].FileName, c);
    EXPECT_EQ(Form1->JobSlotMarker[1], "Full");
    EXPECT_EQ(Form1->JobSlotMarker[2], "DELETED");
    EXPECT_EQ(Form1->FFConv->TasksCount(), 2);
    EXPECT_EQ(Form1->FFConv->GetTaskAVProbe(1, 0)->FileName(), c);
    EXPECT_EQ(Form1->lvFiles->GetItemIndex(), 0);

    Form1->btnRemove->Click();
    Form1->btnRemove->Click();
    EXPECT_EQ(Rows(), 0);
    EXPECT_TRUE(Form1->bsSkinPanel5->GetVisible());
    for (TControl* ctl : {static_cast<TControl*>(Form1->btnRemove), static_cast<TControl*>(Form1->btnClear),
                          static_cast<TControl*>(Form1->btnStart), static_cast<TControl*>(Form1->bsSkinButton21)})
        EXPECT_FALSE(ctl->GetEnabled()) << ctl->Name();
    EXPECT_EQ(Form1->GroupPicture(TControlGroup::Start), 4);
}

TEST_F(JobsTest, ClearingEmptiesListTasksAndSlots)
{
    Form1->AddFiles({Copy("clip.avi", "a.avi"), Copy("clip.mp4", "b.mp4")});
    Press(Form1->bsSkinButton8);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Form1->FFConv->TasksCount(), 0);
    for (const std::string& m : Form1->JobSlotMarker) ASSERT_EQ(m, "kong");
    EXPECT_TRUE(Form1->bsSkinPanel5->GetVisible());
    EXPECT_TRUE(Form1->btnAdd->GetEnabled());
    EXPECT_FALSE(Form1->btnClear->GetEnabled());
    // The list takes new jobs again, numbered from 1.
    Form1->AddFiles({Copy("clip.ts", "c.ts")});
    EXPECT_EQ(Cell(0, 8), "1");
}

TEST_F(JobsTest, MovingSwapsRowsAndSlotsAndStopsAtTheEnds)
{
    const std::string a = Copy("clip.avi", "a.avi"), b = Copy("clip.mp4", "b.mp4");
    PickPresetForNewJobs(7, 0);
    Form1->AddFiles({a});
    PickPresetForNewJobs(0, 0);
    Form1->AddFiles({b});
    const auto rowA = RowCells(0), rowB = RowCells(1);
    Select(1);
    Form1->N16->Click();  // "上移文件"
    EXPECT_EQ(RowCells(0), rowB);
    EXPECT_EQ(RowCells(1), rowA);
    EXPECT_EQ(Form1->IO1[0].FileName, b);
    EXPECT_EQ(Form1->OO1[1].FileName, out + "/" + rowA[3]);
    EXPECT_EQ(Form1->lvFiles->GetItemIndex(), 0);
    // The selection follows the moved job: its own preset in the boxes.
    EXPECT_EQ(Form1->bsSkinOfficeComboBox2->ItemIndex(), 0);
    Press(Form1->bsSkinButton3);  // up from the top: nothing
    EXPECT_EQ(RowCells(0), rowB);
    Press(Form1->bsSkinButton4);  // down
    EXPECT_EQ(RowCells(1), rowB);
    EXPECT_EQ(Form1->lvFiles->GetItemIndex(), 1);
    Form1->N17->Click();  // down from the bottom: nothing
    EXPECT_EQ(RowCells(0), rowA);
    EXPECT_EQ(RowCells(1), rowB);
}

TEST_F(JobsTest, RenamingInPlace)
{
    const std::string a = Copy("clip.mp4", "clip.mp4"), b = Copy("clip.avi", "other.avi");
    PickPresetForNewJobs(13, 0);  // MP4
    Form1->AddFiles({a, b});
    Form1->Show();
    driver->PumpUntilIdle();
    Form1->lvFiles->ClearSelection();
    Answer();
    Press(Form1->bsSkinButton21);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "请先选中您需要重命名的项目！");
    Form1->StartRenameQuietly();  // a double click on no row: nothing
    EXPECT_FALSE(Form1->edt->GetVisible());

    Select(0);
    Form1->N26->Click();
    ASSERT_TRUE(Form1->edt->GetVisible());
    EXPECT_EQ(Form1->edt->Parent(), Form1->lvFiles);
    EXPECT_EQ(Form1->edt->GetText(), "clip");
    const TRect cell = Form1->lvFiles->ItemRect(0, drBounds);
    EXPECT_EQ(Form1->edt->Top(), cell.Top);
    EXPECT_EQ(Form1->edt->Left(), 80 + 70 + 70 + cell.Left);
    EXPECT_EQ(Form1->edt->Width(), 80);

    // Refused: the editor stays with its text, the row keeps its name. (The
    // editor itself drops control characters.)
    for (const std::string bad : {"", "  ", "a/b", ".", ".."})
    {
        SCOPED_TRACE(bad);
        Form1->edt->SetText(bad);
        Answer();
        EditorKey(VK_RETURN);
        EXPECT_TRUE(Form1->edt->GetVisible());
        EXPECT_EQ(Cell(0, 3), "clip.mp4");
    }
    EXPECT_EQ(boxes.size(), 6u);
    // Esc: the name stays.
    EditorKey(VK_ESCAPE);
    EXPECT_FALSE(Form1->edt->GetVisible());
    EXPECT_EQ(Cell(0, 3), "clip.mp4");

    // A name: the preset's extension follows it, the slot takes the path.
    Form1->N26->Click();
    Form1->edt->SetText("holiday");
    EditorKey(VK_RETURN);
    EXPECT_FALSE(Form1->edt->GetVisible());
    EXPECT_EQ(Cell(0, 3), "holiday.mp4");
    EXPECT_EQ(Form1->OO1[0].FileName, out + "/holiday.mp4");

    // Another row's name: "_N" with "自动重命名", refused with "直接覆盖".
    Select(1);
    Form1->N26->Click();
    Form1->edt->SetText("holiday");
    EditorKey(VK_RETURN);
    EXPECT_EQ(Cell(1, 3), "holiday_1.mp4");
    Form5->bsSkinCheckRadioBox3->SetChecked(true);
    Form1->N26->Click();
    Form1->edt->SetText("holiday");
    Answer();
    EditorKey(VK_RETURN);
    EXPECT_TRUE(Form1->edt->GetVisible());
    ASSERT_EQ(boxes.size(), 7u);
    EXPECT_EQ(boxes[6], "输出文件“holiday.mp4”已是列表中另一个文件的输出。");
    EXPECT_EQ(Cell(1, 3), "holiday_1.mp4");
    // Leaving the editor with a refused text keeps it open, without a box.
    Form1->lvFiles->SetFocus();
    driver->PumpUntilIdle();
    EXPECT_TRUE(Form1->edt->GetVisible());
    EXPECT_EQ(boxes.size(), 7u);
    Form1->edt->SetText("beach");
    Form1->edt->SetFocus();
    Form1->lvFiles->SetFocus();
    driver->PumpUntilIdle();
    EXPECT_FALSE(Form1->edt->GetVisible());
    EXPECT_EQ(Cell(1, 3), "beach.mp4");
}

TEST_F(JobsTest, TheLogKeepsItsLastLines)
{
    TStrings* lines = Form1->mmoLog->Lines();
    lines->Clear();
    for (int i = 0; i < TLogMemo::kMaxLines + 5; ++i) Form1->Log(IntToStr(i));
    ASSERT_EQ(lines->Count(), TLogMemo::kMaxLines);
    EXPECT_EQ(lines->Get(0), "5");
    EXPECT_EQ(lines->Get(lines->Count() - 1), IntToStr(TLogMemo::kMaxLines + 4));
}

TEST(JobTextsTest, DurationsShowTheirWholeHoursAndSizesTheirHundredths)
{
    const std::pair<std::int64_t, const char*> durations[] = {
        {0, "00:00:00"}, {3725, "01:02:05"}, {86399, "23:59:59"}, {90000, "25:00:00"}, {360000, "100:00:00"}};
    for (const auto& [s, text] : durations) EXPECT_EQ(TForm1::DurationText(s), text) << s;
    const std::pair<std::int64_t, const char*> sizes[] = {
        {1572864, "1.5MB"}, {10485760, "10MB"}, {84568, "0.08MB"}, {0, "0MB"}, {131072, "0.12MB"}, {-1, "N/A"}};
    for (const auto& [b, text] : sizes) EXPECT_EQ(TForm1::SizeText(b), text) << b;
}

// The windows with a full job list, one row's rename editor open, in a light
// and a dark skin: <build>/gallery/program-jobs/<skin>.png (`program_gallery
// OUT_DIR MEDIA...` draws every skin).
TEST_F(JobsTest, AFullListInALightAndADarkSkin)
{
    driver->SetMonitors({{TRect(0, 0, programgallery::kDesktopWidth, programgallery::kDesktopHeight),
                          TRect(0, 0, programgallery::kDesktopWidth, programgallery::kDesktopHeight), true}});
    std::vector<std::string> files;
    for (const char* f : {"c01_clip.avi", "c03_clip.mp4", "c05_clip.ts", "c07_multi.mkv", "c09_tone.mp3",
                          "c11_short.wav", "c13_silent.avi", "12:30 clip.mts", "-dash.mp4", "中文 视频.mp4",
                          "it's \"quoted\".avi", "with  two  spaces.avi", "zeta.mp3", "song.wav",
                          "UPPER CASE.AVI", "bad\xff\xfename.mp3"})
        files.push_back(kFixtures + "/jobs30/" + f);
    programgallery::FillJobList(*driver, files, 3);
    ASSERT_EQ(Rows(), 16);
    const std::string dir = std::string(QUORVEL_BINARY_DIR) + "/gallery/program-jobs";
    fs::create_directories(dir);
    for (int skin : {0, 8})
    {
        SCOPED_TRACE(skin);
        EXPECT_TRUE(programgallery::RenderSkin(*driver, skin, dir + Format("/skin%02d.png", skin)));
        // The list fills its place, with its scroll bar for the rows below.
        EXPECT_FALSE(Form1->bsSkinPanel5->GetVisible());
        EXPECT_TRUE(Form1->bsSkinScrollBar1->GetVisible());
        EXPECT_GE(Form1->lvFiles->VisibleRowCount(), 8);
        // The editor lies over column 3 of its row, inside the list.
        const TRect row = Form1->lvFiles->ItemRect(3, drBounds);
        EXPECT_TRUE(Form1->edt->GetVisible());
        EXPECT_EQ(Form1->edt->Top(), row.Top);
        EXPECT_EQ(Form1->edt->Height(), row.Height());
        EXPECT_LE(Form1->edt->Left() + Form1->edt->Width(), Form1->lvFiles->ClientWidth());
        EXPECT_EQ(Form1->edt->GetText(), "c07_multi");
        // Grid lines between the rows' background and their text, never the
        // light button face that glares on a dark skin.
        const COLORREF bg = ColorToRGB(Form1->lvFiles->GetColor()), fg = ColorToRGB(Form1->lvFiles->Font()->GetColor());
        const COLORREF grid = ColorToRGB(Form1->lvFiles->GetGridLineColor());
        EXPECT_NE(grid, bg);
        EXPECT_EQ(GetRValue(grid) > GetRValue(bg), GetRValue(fg) > GetRValue(bg));
    }
}
