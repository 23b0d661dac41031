// The option code: box texts to option-state values, a preset plus six
// choices to the option state and the job row's hidden columns, the output
// name, the output record and the encoder substitutions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/catalogue/Catalogue.h"
#include "app/catalogue/OutputRecord.h"
#include "platform/core/Exception.h"

using namespace catalogue;

TEST(CatalogueOptions, BoxTextsToValues)
{
    EXPECT_EQ(FrameSizeValue("保持原分辨率"), "");
    EXPECT_EQ(FrameSizeValue("该格式无视频"), "");
    EXPECT_EQ(FrameSizeValue("640*480"), "640*480");
    EXPECT_EQ(VideoBitrateValue("无视频"), -1000);
    EXPECT_EQ(VideoBitrateValue("1200 kbps"), 1200000);
    EXPECT_EQ(AudioBitrateValue("128 kbps"), 128000);
    // Every AMR rate of its list, computed in floating point.
    const std::pair<const char*, int> amr[] = {{"4.75 kbps", 4750}, {"5.15 kbps", 5150}, {"5.9 kbps", 5900},
                                               {"6.7 kbps", 6700},  {"7.4 kbps", 7400},  {"7.95 kbps", 7950},
                                               {"10.2 kbps", 10200}, {"12.2 kbps", 12200}};
    for (auto [text, value] : amr)
        EXPECT_EQ(AudioBitrateValue(text), value) << text;
    EXPECT_THROW(VideoBitrateValue("fast kbps"), EConvertError);
    EXPECT_THROW(AudioBitrateValue(" kbps"), EConvertError);
    EXPECT_EQ(AspectValue("保持原视频模式"), "");
    EXPECT_EQ(AspectValue("普通视频4:3模式"), "4:3");
    EXPECT_EQ(AspectValue("宽屏视频47:20模式"), "47:20");
    EXPECT_EQ(AspectValue("无视频"), "");
    EXPECT_EQ(AspectValue("other"), std::nullopt);
    EXPECT_EQ(FrameRateValue("保持原帧速率"), "");
    EXPECT_EQ(FrameRateValue("29.97"), "29.97");
    EXPECT_EQ(SampleRateValue("44100"), "44100");
}

TEST(CatalogueOptions, PresetExtensionFromTitle)
{
    EXPECT_EQ(PresetExtension("FLAC-音频格式(*.flac)"), ".flac");
    EXPECT_EQ(PresetExtension("AIFF - 音频交换文件格式(*.aiff)"), ".aiff");
    EXPECT_EQ(PresetExtension("RM - REAL视频格式(*.rm)"), ".rm");
    EXPECT_EQ(PresetExtension("RA - RealAudio音频格式(*.ra)"), ".ra");
    EXPECT_EQ(PresetExtension("MP4 - MPEG-4视频格式(*.mp4)"), ".mp4");
    EXPECT_EQ(PresetExtension("x"), "");
}

TEST(CatalogueOptions, OptionCodeFields)
{
    // Items 3, 12, 0, 0, 1, 7 of frame size, video bit rate, audio bit rate,
    // aspect, frame rate, sample rate.
    ParamIndexes idx{};
    idx[pbFrameSize] = 3, idx[pbVideoBitrate] = 12, idx[pbAudioBitrate] = 0;
    idx[pbAspect] = 0, idx[pbFrameRate] = 1, idx[pbSampleRate] = 7;
    EXPECT_EQ(OptionCode(idx), "031200000107");
    EXPECT_EQ(DecodeOptionCode("031200000107"), idx);
    EXPECT_EQ(ReplaceOptionCodeField("031200000107xyz", pbFrameSize, 12), "121200000107");
    EXPECT_EQ(ReplaceOptionCodeField("031200000107", pbFrameSize, 5), "051200000107");
    EXPECT_EQ(ReplaceOptionCodeField("031200000107", pbSampleRate, 2), "031200000102");
    EXPECT_EQ(DecodeOptionCode("0312"), std::nullopt);
    EXPECT_EQ(DecodeOptionCode("03120000010x"), std::nullopt);
    // Category codes name a preset of the catalogue or nothing.
    EXPECT_EQ(DecodeCategoryCode(1003)->presetIndex, 3);
    EXPECT_EQ(DecodeCategoryCode(1003)->category, 9);
    EXPECT_EQ(DecodeCategoryCode(1599), std::nullopt);  // category 14 has four presets
    EXPECT_EQ(DecodeCategoryCode(1900), std::nullopt);
    EXPECT_EQ(DecodeCategoryCode(-5), std::nullopt);
}

TEST(CatalogueOptions, ResetKeepsTheInputName)
{
    OptionState s;
    s.Video_AddFileName = "/in/a.mts";
    s.Video_VideoBitrate = 5;
    s.Video_AudioVolume = "100";
    s.Video_DisableVideo = true;
    ResetOptionState(s);
    EXPECT_EQ(s.Video_AddFileName, "/in/a.mts");
    EXPECT_EQ(s.Video_VideoBitrate, -1);
    EXPECT_EQ(s.Video_AudioBitrate, -1);
    EXPECT_EQ(s.Video_AudioVolume, "256");
    EXPECT_FALSE(s.Video_DisableVideo);
}

namespace {
constexpr int kDefault = -2;  // the preset's default index for that box
struct ComposeCase
{
    const char* what;
    int category, preset;
    std::array<int, 6> choice;  // by ParamBox; kDefault = default
    HiddenColumns columns;      // columns 11..24
    std::array<std::string, 6> state;  // frame size, video bit rate, frame rate, audio bit rate, sample rate, aspect
    std::string fileExt;
    bool disableVideo;
    bool targetRateKept;
};
}  // namespace

TEST(CatalogueOptions, PresetAndChoicesToStateAndColumns)
{
    const ComposeCase cases[] = {
        {"first preset, defaults", 0, 0, {kDefault, kDefault, kDefault, kDefault, kDefault, kDefault},
         {"mpeg4", "libmp3lame", "2", "XVID", ".avi", "", "816000", "25", "128000", "44100", "", "False", "", ""},
         {"704*480", "816000", "25.00", "128000", "44100", ""}, ".avi", false, false},
        {"audio only", 7, 0, {kDefault, kDefault, kDefault, 0, 5, kDefault},
         {"", "libmp3lame", "2", "", ".mp3", "", "-1", "", "128000", "48000", "", "True", "", ""},
         {"", "-1000", "", "16000", "48000", ""}, ".mp3", true, false},
        {"AMR rates", 7, 12, {kDefault, kDefault, kDefault, 7, kDefault, kDefault},
         {"", "libopencore_amrnb", "1", "", ".amr", "", "-1", "", "7400", "8000", "", "True", "", ""},
         {"", "-1000", "", "12200", "8000", ""}, ".amr", true, false},
        {"DVD target takes any rate up to its maximum", 6, 11, {kDefault, 0, kDefault, kDefault, kDefault, kDefault},
         {"", "", "", "", "", "", "-1000", "", "-1000", "", "", "False", "dvd", "PAL"},
         {"704*480", "128000", "29.97", "128000", "44100", ""}, "", false, false},
        {"VCD target allows only its own rate", 6, 13, {kDefault, kDefault, kDefault, kDefault, kDefault, kDefault},
         {"", "", "", "", "", "", "-1000", "", "-1000", "", "", "False", "vcd", "PAL"},
         {"320*240", "-1000", "25.00", "128000", "44100", ""}, "", false, true},
        {"RM keeps most fields", 6, 14, {kDefault, kDefault, kDefault, kDefault, kDefault, kDefault},
         {"rv20", "", "", "", "", "320*240", "-1", "", "-1", "", "", "False", "", ""},
         {"320*240", "528000", "25.00", "128000", "44100", ""}, "", false, false},
        {"WMV stores .asf", 8, 6, {kDefault, kDefault, kDefault, kDefault, kDefault, 4},
         {"wmv2", "wmav2", "2", "", ".asf", "1280*720", "1600000", "25", "128000", "48000", "", "False", "", ""},
         {"1280*1024", "1600000", "29.97", "128000", "48000", "47:20"}, ".asf", false, false},
        {"choice out of range selects nothing", 6, 0, {99, kDefault, -1, kDefault, kDefault, kDefault},
         {"mpeg4", "libmp3lame", "2", "XVID", ".avi", "", "816000", "25", "128000", "44100", "", "False", "", ""},
         {"", "816000", "25", "128000", "44100", ""}, ".avi", false, false},
        {"audio-only flash keeps the extension field empty", 14, 2, {kDefault, kDefault, kDefault, kDefault, kDefault, kDefault},
         {"", "libmp3lame", "2", "", "", "", "-1", "", "128000", "22050", "", "True", "", ""},
         {"", "-1000", "", "128000", "22050", ""}, "", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParamBoxes boxes = ParameterLists(PresetKey(c.category, c.preset));
        ParamIndexes idx{};
        for (int b = 0; b < kParamBoxCount; ++b)
            idx[b] = c.choice[b] == kDefault ? boxes.boxes[b].itemIndex : c.choice[b];
        JobChoice j = ComposeJob("/in/clip.mts", c.category, c.preset, idx, "/out", true);
        EXPECT_EQ(j.columns, c.columns);
        const OptionState& s = j.state;
        std::array<std::string, 6> got = {s.Video_FrameSize, std::to_string(s.Video_VideoBitrate), s.Video_FrameRate,
                                          std::to_string(s.Video_AudioBitrate), s.Video_AudioSampleRate,
                                          s.Video_FrameAspectRatio};
        EXPECT_EQ(got, c.state);
        EXPECT_EQ(s.Video_FileExt, c.fileExt);
        EXPECT_EQ(s.Video_DisableVideo, c.disableVideo);
        EXPECT_EQ(j.targetRateKept, c.targetRateKept);
        EXPECT_EQ(s.Video_AudioVolume, "256");
        EXPECT_EQ(j.optionCode, OptionCode(idx));
        EXPECT_EQ(s.Video_AddFileName, "/in/clip.mts");
    }
}

TEST(CatalogueOptions, OutputNameAndFreeName)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("catalogue_names_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string out = dir.string();
    auto touch = [&](const std::string& n) { std::ofstream(dir / n) << "x"; };
    OptionState s;
    s.Video_AddFileName = "/clips/holiday.mts";
    ApplyPreset(s, 0, 0, out, false);
    EXPECT_EQ(s.Video_OutPutFileName, out + "/holiday.avi");
    touch("holiday.avi");
    touch("holiday_1.avi");
    ApplyPreset(s, 0, 0, out, true);
    EXPECT_EQ(s.Video_OutPutFileName, out + "/holiday.avi");
    ApplyPreset(s, 0, 0, out, false);
    EXPECT_EQ(s.Video_OutPutFileName, out + "/holiday_2.avi");
    // A folder of that name is no file.
    fs::create_directories(dir / "holiday.mp4");
    ApplyPreset(s, 6, 1, out, false);
    EXPECT_EQ(s.Video_OutPutFileName, out + "/holiday.mp4");
    // Several dots, no dot, the five presets whose output differs from their title.
    s.Video_AddFileName = "/clips/a.b.c.mts";
    ApplyPreset(s, 6, 1, out, false);
    EXPECT_EQ(s.Video_OutPutFileName, out + "/a.b.c.mp4");
    s.Video_AddFileName = "/clips/noext";
    ApplyPreset(s, 12, 1, out, false);
    EXPECT_EQ(s.Video_OutPutFileName, out + "/noext.mpeg");
    // No preset: the folder alone, reset values.
    ApplyPreset(s, 6, 40, out, false);
    EXPECT_EQ(s.Video_OutPutFileName, out + "/");
    EXPECT_EQ(s.Video_VideoBitrate, -1);
    fs::remove_all(dir);
}

TEST(CatalogueOptions, OutputRecordAndSubstitutions)
{
    struct Case { int category, preset; const char* out; const char* vcodec; const char* acodec; };
    const Case cases[] = {
        {6, 3, "/o/a.mov", "", "aac"},             // libfaac: the native encoder
        {7, 3, "/o/a.aac", "", "aac"},
        {1, 4, "/o/a.mpg", "mpeg2video", "mp2"},   // AAC in an MPEG program stream
        {8, 7, "/o/a.vob", "", "ac3"},             // DVD-like: AC-3
        {8, 8, "/o/a.mpg", "mpeg2video", "mp2"},
        {12, 7, "/o/a.avi", "msmpeg4v2", "libmp3lame"},
        {12, 9, "/o/a.mp4", "mpeg4", "libmp3lame"},  // no MS-MPEG-4 in MP4
        {7, 12, "/o/a.amr", "", "libopencore_amrnb"},  // offered; reported at run time
    };
    for (const auto& c : cases) {
        OptionState s;
        s.Video_AddFileName = "/i/a.mts";
        ApplyPreset(s, c.category, c.preset, "/o", true);
        ASSERT_EQ(s.Video_OutPutFileName, c.out) << c.category << "/" << c.preset;
        TOutputOptions o = OutputRecordFor(s);
        EXPECT_EQ(o.VideoCodec, c.vcodec) << c.out;
        EXPECT_EQ(o.AudioCodec, c.acodec) << c.out;
    }
    // The mapping: "AUTO" and empty cells leave the record's defaults.
    OptionState s;
    s.Video_AudioCodec = "AUTO";
    s.Video_AudioSampleRate = "AUTO";
    s.Video_VideoBitrate = -1000;
    s.Video_AudioBitrate = -2000;
    s.Video_VideoCodec = "libx264";
    s.Video_TargetType = "dvd";
    s.Video_NormType = "PAL";
    TOutputOptions o = OutputRecordFor(s);
    EXPECT_EQ(o.AudioCodec, "");
    EXPECT_EQ(o.AudioSampleRate, -1);
    EXPECT_EQ(o.VideoBitrate, -1);
    EXPECT_EQ(o.AudioBitrate, -1);
    EXPECT_EQ(o.AudioVolume, 256);
    EXPECT_EQ(o.VideoPreset, "libx264-default");
    EXPECT_EQ(o.TargetType, ttDVD);
    EXPECT_EQ(o.NormType, ntPAL);
    // The slot marker never becomes the audio language.
    for (const char* marker : {"Full", "kong", "DELETED"}) {
        TOutputOptions m;
        m.AudioLanguage = marker;
        ClearSlotMarker(m);
        EXPECT_EQ(m.AudioLanguage, "");
    }
    TOutputOptions lang;
    lang.AudioLanguage = "eng";
    ClearSlotMarker(lang);
    EXPECT_EQ(lang.AudioLanguage, "eng");
}
