// The settings window on the headless desktop: what its start-up run leaves in
// the option state, the parameter boxes and option values of all 109 keys
// against the reference tables, a key that names another preset in the format
// catalogue, OK and Cancel with the output name, the copy of the six boxes and
// the reset.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <unistd.h>

#include "app/Unit6.h"
#include "platform/core/Exception.h"
#include "platform/core/Utf8.h"
#include "platform/testing/Driver.h"
#include "tests/app/settings_tables.h"

namespace {

using catalogue::OptionState;

std::vector<std::string> Split(const std::string& s, const std::string& sep)
{
    std::vector<std::string> out;
    std::size_t at = 0;
    for (;;) {
        std::size_t p = s.find(sep, at);
        out.push_back(Trim(s.substr(at, p == std::string::npos ? std::string::npos : p - at)));
        if (p == std::string::npos)
            return out;
        at = p + sep.size();
    }
}

// Every field with a value no preset writes, to tell kept fields from set ones.
OptionState Sentinel()
{
    OptionState s;
    s.Video_AddFileName = "/v/clip.mts";
    s.Video_OutPutFileName = "old-name";
    s.Video_FileExt = "old-ext";
    s.Video_VideoCodec = "old-codec";
    s.Video_VideoTag = "OLDT";
    s.Video_FrameSize = "1*1";
    s.Video_FrameRate = "1.5";
    s.Video_FrameAspectRatio = "1:1";
    s.Video_VideoBitrate = 11;
    s.Video_VideoFilters = "old-filters";
    s.Video_AudioCodec = "old-audio";
    s.Video_AudioChannels = "9";
    s.Video_AudioSampleRate = "1234";
    s.Video_AudioVolume = "99";
    s.Video_AudioBitrate = 22;
    s.Video_NormType = "OLDNORM";
    s.Video_TargetType = "old-target";
    s.Video_FileFormat = "old-format";
    s.Video_CopyTimestamp = "old-copyts";
    s.Video_TimeStart = 33;
    s.Video_TimeLength = 44;
    s.Video_DisableVideo = true;
    s.All_Trant_Number = 7;
    return s;
}

// The fields that differ, as "name: got / want" lines.
std::string Diff(const OptionState& got, const OptionState& want)
{
    std::ostringstream d;
#define FIELD(f) \
    if (got.f != want.f) \
        d << #f << ": " << got.f << " / " << want.f << "\n";
    FIELD(Video_AddFileName) FIELD(Video_OutPutFileName) FIELD(Video_FileExt) FIELD(Video_VideoCodec)
    FIELD(Video_VideoTag) FIELD(Video_FrameSize) FIELD(Video_FrameRate) FIELD(Video_FrameAspectRatio)
    FIELD(Video_VideoBitrate) FIELD(Video_VideoFilters) FIELD(Video_AudioCodec) FIELD(Video_AudioChannels)
    FIELD(Video_AudioSampleRate) FIELD(Video_AudioVolume) FIELD(Video_AudioBitrate) FIELD(Video_NormType)
    FIELD(Video_TargetType) FIELD(Video_FileFormat) FIELD(Video_CopyTimestamp) FIELD(Video_TimeStart)
    FIELD(Video_TimeLength) FIELD(Video_DisableVideo) FIELD(All_Trant_Number)
#undef FIELD
    return d.str();
}

// A cell of the reference tables into a field: "–" empty, "kept" unchanged.
void Cell(std::string& field, const std::string& cell)
{
    if (cell == "kept")
        return;
    field = cell == "–" ? std::string() : cell;
}

struct Tables
{
    std::map<std::string, std::vector<std::string>> lists;
    std::map<int, std::vector<std::pair<std::string, int>>> rows;
    std::map<int, std::vector<std::string>> video, audio;

    Tables()
    {
        for (const char* l : settingstables::kLists) {
            std::string s = l;
            auto colon = s.find(':');
            lists[s.substr(0, colon)] = Split(s.substr(colon + 1), "|");
        }
        for (const char* r : settingstables::kRows) {
            auto cells = Split(r, " ");
            auto& row = rows[std::stoi(cells[0])];
            for (std::size_t i = 1; i < cells.size(); ++i) {
                auto c = Split(cells[i], ":");
                row.push_back({c[0], std::stoi(c[1])});
            }
        }
        for (const char* r : settingstables::kVideoValues) {
            auto cells = Split(r, "|");
            video[std::stoi(cells[0])] = cells;
        }
        for (const char* r : settingstables::kAudioValues) {
            auto cells = Split(r, "|");
            audio[std::stoi(cells[0])] = cells;
        }
    }

    // The option state after the preset of `key` is written over `s` for an
    // input named clip.* and the output folder `folder` (no file in it).
    OptionState Written(int key, OptionState s, const std::string& folder) const
    {
        s.All_Trant_Number = key;
        s.Video_DisableVideo = false;
        auto named = [&](const std::string& ext) { s.Video_OutPutFileName = folder + "/clip" + ext; };
        auto common = [&] {
            s.Video_AudioVolume = "256";
            s.Video_NormType = s.Video_CopyTimestamp = s.Video_FileFormat = "";
        };
        if (auto v = video.find(key); v != video.end()) {
            const auto& c = v->second;
            std::string ext = c[1], stored = c[1];
            if (auto p = ext.find(" ("); p != std::string::npos) {
                stored = ext.substr(p + 2, ext.size() - p - 3);
                ext = ext.substr(0, p);
            }
            named(ext);
            s.Video_FileExt = stored;
            Cell(s.Video_VideoCodec, c[2]);
            Cell(s.Video_VideoTag, c[3]);
            Cell(s.Video_FrameSize, c[4]);
            Cell(s.Video_FrameRate, c[5]);
            Cell(s.Video_FrameAspectRatio, c[6]);
            s.Video_VideoBitrate = std::stoi(c[7]);
            Cell(s.Video_AudioCodec, c[8]);
            Cell(s.Video_AudioChannels, c[9]);
            Cell(s.Video_AudioSampleRate, c[10]);
            s.Video_AudioBitrate = std::stoi(c[11]);
            s.Video_VideoFilters = "";
            common();
            if (key < 403 || key > 406)
                s.Video_TargetType = "";
        } else if (auto a = audio.find(key); a != audio.end()) {
            const auto& c = a->second;
            named(c[1]);
            Cell(s.Video_FileExt, c[2]);
            Cell(s.Video_AudioCodec, c[3]);
            Cell(s.Video_AudioChannels, c[4]);
            Cell(s.Video_AudioSampleRate, c[5]);
            s.Video_AudioBitrate = std::stoi(c[6]);
            common();
            s.Video_TargetType = "";
            s.Video_DisableVideo = true;
        } else if (key >= 111 && key <= 113) {
            // the disc presets: the target's own rates, the picture left to it
            named(".mpg");
            s.Video_TargetType = key == 111 ? "dvd" : key == 112 ? "svcd" : "vcd";
            s.Video_NormType = "PAL";
            s.Video_VideoBitrate = s.Video_AudioBitrate = -1000;
            s.Video_AudioVolume = "256";
            s.Video_VideoCodec = s.Video_VideoTag = s.Video_FrameSize = s.Video_FrameRate = "";
            s.Video_FrameAspectRatio = s.Video_AudioCodec = s.Video_AudioChannels = "";
            s.Video_AudioSampleRate = s.Video_FileFormat = "";
        } else if (key == 114) {
            named(".rm");
            s.Video_VideoCodec = "rv20";
            s.Video_FrameSize = "320*240";
            s.Video_NormType = s.Video_CopyTimestamp = s.Video_FileFormat = s.Video_TargetType = "";
        } else {
            ADD_FAILURE() << "no reference row for " << key;
        }
        return s;
    }
};

const Tables& Reference()
{
    static const Tables t;
    return t;
}

class SettingsWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        driver = std::make_unique<TTestDriver>();
        ResetApplication();
        folder = std::string(QUORVEL_BINARY_DIR) + "/settings-window-test-" + std::to_string(::getpid());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state = Sentinel();
    }
    void TearDown() override
    {
        delete form;
        ResetApplication();
        driver.reset();
        std::filesystem::remove_all(folder);
    }
    // Makes the window as the start-up does.
    void Make()
    {
        form = new TForm6(Application,
                          TSettingsHost{state, nullptr, [this] { return outputFolder.empty() ? folder : outputFolder; },
                                        [this] { return overwrite; }});
        form->AfterConstruction();
    }
    // Chooses category and preset in the two boxes, as a user would.
    void Choose(int category, int preset)
    {
        form->bsSkinOfficeComboBox2->SetItemIndex(category);
        if (preset != 0)
            form->bsSkinOfficeComboBox1->SetItemIndex(preset);
    }
    void Touch(const std::string& name) { std::ofstream(folder + "/" + name) << "x"; }
    // A click on a skinned button of the shown window.
    void Press(TbsSkinButton* b)
    {
        driver->PumpUntilIdle();
        driver->Click(b->Handle());
        driver->PumpUntilIdle();
    }

    std::unique_ptr<TTestDriver> driver;
    OptionState state;
    std::string folder, outputFolder;
    bool overwrite = false;
    TForm6* form = nullptr;
};

}  // namespace

TEST_F(SettingsWindow, StartUpLeavesKey100AndVideoOnly)
{
    Make();
    OptionState want = Sentinel();
    want.All_Trant_Number = 100;
    want.Video_DisableVideo = false;
    EXPECT_EQ(Diff(state, want), "");
    EXPECT_FALSE(form->GetVisible());
    EXPECT_EQ(form->Caption(), "设置选项");
    EXPECT_EQ(form->ClientWidth(), 958);
    EXPECT_EQ(form->ClientHeight(), 474);
    // the first category's presets, the placeholder gone, the first selected
    EXPECT_EQ(form->bsSkinOfficeComboBox2->ItemIndex(), 0);
    ASSERT_EQ(form->bsSkinOfficeComboBox1->Items()->Count(), 15);
    EXPECT_EQ(form->bsSkinOfficeComboBox1->ItemIndex(), 0);
    EXPECT_EQ(form->bsSkinOfficeComboBox1->Items()->Items(0)->Title(), "AVI - 音频视频交错格式(*.avi)");
    for (int i = 0; i < 15; ++i)
        EXPECT_NE(form->bsSkinOfficeComboBox1->Items()->Items(i)->Title(), "dfdfs");
    const char* shown[] = {"保持原分辨率", "816 kbps", "25.00", "128 kbps", "44100", "保持原视频模式"};
    for (int b = 0; b < catalogue::kParamBoxCount; ++b) {
        TbsSkinComboBox* box = form->ParamBox(static_cast<catalogue::ParamBox>(b));
        EXPECT_EQ(box->GetText(), shown[b]) << b;
        EXPECT_TRUE(box->GetEnabled()) << b;
    }
    // the tabs, the first one showing; the chaining panel as laid out
    EXPECT_EQ(form->bsSkinPageControl1->PageCount(), 4);
    EXPECT_EQ(form->bsSkinPageControl1->GetActivePage(), form->bsSkinTabSheet1);
    EXPECT_EQ(form->FindComponent("滤镜设置"), form->滤镜设置);
    EXPECT_FALSE(form->bsSkinButton1->GetVisible());
    EXPECT_EQ(form->ImageList1->Count(), 12);
    EXPECT_NE(form->FFConv, nullptr);
}

// Each category lists its presets; every key's six boxes hold the lists of
// its row with its selections, the video boxes disabled for audio only.
TEST_F(SettingsWindow, ParameterBoxesOfEveryKey)
{
    Make();
    const Tables& t = Reference();
    std::set<int> seen;
    for (int c = 0; c < unit6::kCategoryCount; ++c) {
        form->bsSkinOfficeComboBox2->SetItemIndex(c);
        const int count = form->bsSkinOfficeComboBox1->Items()->Count();
        EXPECT_EQ(count, unit6::kCategories[c].presetCount) << c;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                form->bsSkinOfficeComboBox1->SetItemIndex(i);
            const int key = (c + 1) * 100 + i;
            SCOPED_TRACE(key);
            seen.insert(key);
            EXPECT_EQ(state.All_Trant_Number, key);
            EXPECT_FALSE(state.Video_DisableVideo);
            auto row = t.rows.find(key);
            ASSERT_NE(row, t.rows.end());
            const bool audioOnly = row->second[0].first == "FS3";
            for (int b = 0; b < catalogue::kParamBoxCount; ++b) {
                TbsSkinComboBox* box = form->ParamBox(static_cast<catalogue::ParamBox>(b));
                const auto& [name, index] = row->second[b];
                const auto& want = t.lists.at(name);
                ASSERT_EQ(box->Items()->Count(), int(want.size())) << name;
                for (int e = 0; e < int(want.size()); ++e)
                    EXPECT_EQ(box->Items()->Get(e), want[e]) << name << " " << e;
                EXPECT_EQ(box->ItemIndex(), index) << name;
                EXPECT_EQ(box->GetText(), want[index]) << name;
                bool videoBox = b == catalogue::pbFrameSize || b == catalogue::pbVideoBitrate ||
                                b == catalogue::pbFrameRate || b == catalogue::pbAspect;
                EXPECT_EQ(box->GetEnabled(), !(audioOnly && videoBox)) << name;
            }
        }
    }
    EXPECT_EQ(seen.size(), 109u);
    EXPECT_EQ(seen.size(), t.rows.size());
    // a choice of the same key again fills the same lists, never twice
    form->bsSkinOfficeComboBox1->SetItemIndex(3);
    form->bsSkinOfficeComboBox1->SetItemIndex(3);
    EXPECT_EQ(form->bsSkinComboBox1->Items()->Count(), int(t.lists.at(t.rows.at(1203)[0].first).size()));
}

// Every key's option values over a state whose every field holds a value of
// its own: set fields take the table's values, kept ones stay.
TEST_F(SettingsWindow, OptionValuesOfEveryKey)
{
    Make();
    const Tables& t = Reference();
    int checked = 0;
    for (int c = 0; c < unit6::kCategoryCount; ++c)
        for (int i = 0; i < unit6::kCategories[c].presetCount; ++i) {
            Choose(c, i);
            const int key = (c + 1) * 100 + i;
            SCOPED_TRACE(key);
            state = Sentinel();
            form->Button5->Click();
            EXPECT_EQ(Diff(state, t.Written(key, Sentinel(), folder)), "");
            ++checked;
        }
    EXPECT_EQ(checked, 109);
}

// Keys name different presets in the two catalogues: the window keeps its own.
TEST_F(SettingsWindow, KeyOfAnotherPresetInTheFormatCatalogue)
{
    Make();
    Choose(4, 0);  // iPhone视频, its first preset
    ASSERT_EQ(state.All_Trant_Number, 500);
    EXPECT_EQ(form->bsSkinOfficeComboBox1->Items()->Items(0)->Title(), "iPhone MPEG-4视频(*.mp4)");
    EXPECT_EQ(std::string(catalogue::FindPreset(500)->title), "标准iPhone MPEG-4视频(*.mp4)");
    // its own lists: frame sizes of the window's (320*240 ... 480*320 selected)
    EXPECT_EQ(form->bsSkinComboBox1->GetText(), "480*320");
    std::vector<std::string> sizes;
    for (int i = 0; i < form->bsSkinComboBox1->Items()->Count(); ++i)
        sizes.push_back(form->bsSkinComboBox1->Items()->Get(i));
    EXPECT_NE(catalogue::ParameterLists(500).boxes[catalogue::pbFrameSize].entries, sizes);
    form->Button5->Click();
    EXPECT_EQ(state.Video_FrameSize, "320*240");
    EXPECT_EQ(state.Video_VideoBitrate, 600000);
    EXPECT_EQ(std::string(*catalogue::FindPresetValues(500)->frameSize), "480*320");
    // the same key in both, the same preset: key 100 agrees
    EXPECT_EQ(std::string(catalogue::FindPreset(100)->title), unit6::FindPreset(100)->title);
}

// The lists equal to one of the catalogue's are that list; the window's own
// are unlike any other.
TEST(SettingsTables, ListsAreSharedByContent)
{
    auto entries = [](const catalogue::ListTemplate& t) {
        return std::vector<std::string>(t.entries.begin(), t.entries.end());
    };
    std::set<std::vector<std::string>> all;
    for (const auto& t : catalogue::kListTemplates)
        all.insert(entries(t));
    for (const auto& t : unit6::kOwnListTemplates) {
        EXPECT_TRUE(all.insert(entries(t)).second) << t.id;
        EXPECT_FALSE(t.entries.empty()) << t.id;
    }
    for (const auto& r : unit6::kParamRows)
        for (const auto& b : r.boxes) {
            bool catalogues = b.list >= catalogue::kListTemplates.data() &&
                              b.list < catalogue::kListTemplates.data() + catalogue::kListTemplates.size();
            bool own = b.list >= unit6::kOwnListTemplates.data() &&
                       b.list < unit6::kOwnListTemplates.data() + unit6::kOwnListTemplates.size();
            EXPECT_TRUE(catalogues || own) << r.key;
            EXPECT_GE(b.defaultIndex, 0) << r.key;
            EXPECT_LT(b.defaultIndex, int(b.list->entries.size())) << r.key;
            std::set<std::string> unique(b.list->entries.begin(), b.list->entries.end());
            EXPECT_EQ(unique.size(), b.list->entries.size()) << b.list->id;
        }
}

TEST(SettingsTables, CategoryPicturesAreDrawnAndDistinct)
{
    std::set<catalogue::Picture> seen;
    for (int c = 0; c < unit6::kCategoryCount; ++c) {
        catalogue::Picture p = unit6::CategoryPicture(c);
        int opaque = 0;
        for (auto px : p)
            opaque += (px >> 24) == 0xFF;
        EXPECT_GT(opaque, 100) << c;
        EXPECT_TRUE(seen.insert(p).second) << unit6::kCategories[c].caption;
    }
}

// Category 11 lists four presets; no category (or no preset) gives a key
// without a row: six empty, enabled boxes.
TEST_F(SettingsWindow, CategoryChangesAndKeysWithoutARow)
{
    Make();
    form->bsSkinOfficeComboBox2->SetItemIndex(1);  // audio: the video boxes go off
    EXPECT_FALSE(form->bsSkinComboBox1->GetEnabled());
    form->bsSkinOfficeComboBox2->SetItemIndex(11);
    ASSERT_EQ(form->bsSkinOfficeComboBox1->Items()->Count(), 4);
    EXPECT_EQ(form->bsSkinOfficeComboBox1->Items()->Items(0)->Title(), "FLV在线网络视频(*.flv)");
    EXPECT_EQ(state.All_Trant_Number, 1200);
    EXPECT_TRUE(form->bsSkinComboBox1->GetEnabled());  // a video preset after an audio one
    struct Case
    {
        int category, preset, key;
    } cases[] = {{-1, 0, 0}, {0, -1, 99}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        form->bsSkinOfficeComboBox2->SetItemIndex(c.category);
        if (c.preset != 0)
            form->bsSkinOfficeComboBox1->SetItemIndex(c.preset);
        EXPECT_EQ(state.All_Trant_Number, c.key);
        EXPECT_EQ(form->bsSkinOfficeComboBox1->ItemIndex(), c.preset);
        for (int b = 0; b < catalogue::kParamBoxCount; ++b) {
            TbsSkinComboBox* box = form->ParamBox(static_cast<catalogue::ParamBox>(b));
            EXPECT_EQ(box->Items()->Count(), 0) << b;
            EXPECT_TRUE(box->GetEnabled()) << b;
        }
    }
    EXPECT_EQ(form->bsSkinOfficeComboBox1->Items()->Count(), 15);  // category 0's, as listed last
}

// OK writes the preset, then the boxes' choices, and closes; Cancel only
// closes. The output name takes the first free "_N" unless overwriting.
TEST_F(SettingsWindow, OkAndCancel)
{
    Make();
    form->Show();
    OptionState before = state;
    Press(form->bsSkinButton3);
    EXPECT_EQ(Diff(state, before), "");
    EXPECT_FALSE(form->GetVisible());

    form->Show();
    Press(form->bsSkinButton2);
    EXPECT_FALSE(form->GetVisible());
    EXPECT_EQ(state.Video_OutPutFileName, folder + "/clip.avi");
    EXPECT_EQ(state.Video_FileExt, ".avi");
    EXPECT_EQ(state.Video_VideoCodec, "mpeg4");
    EXPECT_EQ(state.Video_VideoTag, "XVID");
    EXPECT_EQ(state.Video_FrameSize, "");       // 保持原分辨率
    EXPECT_EQ(state.Video_FrameRate, "25.00");  // the box's text over the preset's "25"
    EXPECT_EQ(state.Video_VideoBitrate, 816000);
    EXPECT_EQ(state.Video_AudioCodec, "libmp3lame");
    EXPECT_EQ(state.Video_AudioSampleRate, "44100");
    EXPECT_EQ(state.Video_AudioBitrate, 128000);
    EXPECT_EQ(state.Video_AudioVolume, "256");
    EXPECT_EQ(state.Video_FrameAspectRatio, "");
    EXPECT_EQ(state.Video_TimeStart, 33);  // never written

    // existing outputs: the first free name, or the name itself when overwriting
    Touch("clip.avi");
    Touch("clip_1.avi");
    form->bsSkinButton2Click(form);
    EXPECT_EQ(state.Video_OutPutFileName, folder + "/clip_2.avi");
    overwrite = true;
    form->bsSkinButton2Click(form);
    EXPECT_EQ(state.Video_OutPutFileName, folder + "/clip.avi");

    // audio only: no video, and the copy's video texts give no video values
    Choose(1, 0);
    form->bsSkinButton2Click(form);
    EXPECT_TRUE(state.Video_DisableVideo);
    EXPECT_EQ(state.Video_OutPutFileName, folder + "/clip.mp3");
    EXPECT_EQ(state.Video_FrameSize, "");
    EXPECT_EQ(state.Video_FrameRate, "");
    EXPECT_EQ(state.Video_VideoBitrate, -1000);
    EXPECT_EQ(state.Video_FrameAspectRatio, "");

    // the folder part is the folder's text and a separator, also when the
    // text ends in one; an input without a name leaves the extension alone
    outputFolder = folder + "/";
    state.Video_AddFileName = "";
    Choose(0, 0);
    form->bsSkinButton2Click(form);
    EXPECT_EQ(state.Video_OutPutFileName, folder + "//.avi");
}

// The copy of the six boxes: texts into values, in their order; a bit-rate
// box that shows no number stops it with the fields before it written.
TEST_F(SettingsWindow, CopyOfTheSixBoxes)
{
    Make();
    auto show = [&](catalogue::ParamBox b, const char* text) {
        TbsSkinComboBox* box = form->ParamBox(b);
        box->Items()->Clear();
        if (text) {
            box->Items()->Add(text);
            box->SetItemIndex(0);
        }
    };
    struct Case
    {
        // frame size, video bit rate, frame rate, audio bit rate, sample rate, aspect (null: an empty box)
        const char* texts[6];
        const char* frameSize;
        int videoBitrate;
        const char* frameRate;
        int audioBitrate;
        const char* sampleRate;
        const char* aspect;
    } cases[] = {
        {{"保持原分辨率", "816 kbps", "25.00", "128 kbps", "44100", "保持原视频模式"}, "", 816000, "25.00", 128000,
         "44100", ""},
        {{"640*480", "1200 kbps", "保持原帧速率", "7.95 kbps", "8000", "宽屏视频16:9模式"}, "640*480", 1200000, "",
         7950, "8000", "16:9"},
        {{"该格式无视频", "无视频", "无视频", "4.75 kbps", "自动音频采样率", "无视频"}, "", -1000, "", 4750, "AUTO",
         ""},
        {{"176*144", "8 kbps", "12", "自动音频比特率", "22050", "宽屏视频47:20模式"}, "176*144", 8000, "12", -1000,
         "22050", "47:20"},
        {{"320*240", "96 kbps", "29.97", "12.2 kbps", "32000", "another mode"}, "320*240", 96000, "29.97", 12200,
         "32000", "1:1"},  // an unknown aspect leaves the field
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.texts[0]);
        for (int b = 0; b < catalogue::kParamBoxCount; ++b)
            show(static_cast<catalogue::ParamBox>(b), c.texts[b]);
        state = Sentinel();
        form->Button13->Click();
        EXPECT_EQ(state.Video_FrameSize, c.frameSize);
        EXPECT_EQ(state.Video_VideoBitrate, c.videoBitrate);
        EXPECT_EQ(state.Video_FrameRate, c.frameRate);
        EXPECT_EQ(state.Video_AudioBitrate, c.audioBitrate);
        EXPECT_EQ(state.Video_AudioSampleRate, c.sampleRate);
        EXPECT_EQ(state.Video_FrameAspectRatio, c.aspect);
    }
    // an empty video bit-rate box: frame size and rate are written, the rest not
    show(catalogue::pbFrameSize, "352*288");
    show(catalogue::pbFrameRate, "15");
    show(catalogue::pbVideoBitrate, nullptr);
    state = Sentinel();
    EXPECT_THROW(form->Button13->Click(), EConvertError);
    OptionState want = Sentinel();
    want.Video_FrameSize = "352*288";
    want.Video_FrameRate = "15";
    EXPECT_EQ(Diff(state, want), "");
    // OK with it: the error reaches the application's handler before the
    // window closes
    std::exception_ptr caught;
    Application->OnException = [&](TObject*, std::exception_ptr e) { caught = e; };
    form->Show();
    Press(form->bsSkinButton2);
    ASSERT_TRUE(caught);
    EXPECT_THROW(std::rethrow_exception(caught), EConvertError);
    EXPECT_TRUE(form->GetVisible());
}

TEST_F(SettingsWindow, ResetKeepsTheInputAndTheKey)
{
    Make();
    state = Sentinel();
    form->Button6->Click();
    OptionState want;
    want.Video_AddFileName = "/v/clip.mts";
    want.All_Trant_Number = 7;
    EXPECT_EQ(Diff(state, want), "");
    EXPECT_EQ(state.Video_AudioVolume, "256");
    EXPECT_EQ(state.Video_VideoBitrate, -1);
}
