// Task option records: initial values, text forms, and what a record does
// to a task's engine and output.
#include <filesystem>

#include "platform/gui/Streams.h"

#include "tests/media/converter_test_util.h"

using namespace convtest;

TEST(TaskOptionRecords, InitialValues)
{
    TOutputOptions o;
    o.VideoCodec = "x";
    o.Info.Title = "t";
    o.CropTop = 5;
    InitOutputOptions(o);
    for (int v : {o.PacketSize, o.MuxRate, o.AudioVolume, o.AudioChannels, o.AudioSampleRate, o.AudioBitrate,
                  o.AudioBitRateTolerance, o.CropTop, o.CropBottom, o.CropLeft, o.CropRight, o.GroupPictureSize,
                  o.VideoBitrate, o.VideoMaxRate, o.VideoMinRate, o.VideoBitRateTolerance, o.VideoBufSize,
                  o.VideoSyncMethod, o.Info.Year, o.Info.Track})
        EXPECT_EQ(v, -1);
    EXPECT_EQ(o.AudioSyncMethod, 0);
    EXPECT_EQ(o.Tag, 0);
    EXPECT_EQ(o.MuxDelay, -1.0f);
    EXPECT_EQ(o.MuxPreload, -1.0f);
    EXPECT_EQ(o.Info.TimeStamp, -1.0);
    EXPECT_EQ(o.TimeStart, INT64_MIN);
    EXPECT_EQ(o.TimeLength, INT64_MIN);
    EXPECT_EQ(o.NormDefault, ntPAL);
    EXPECT_EQ(o.NormType, ntAuto);
    EXPECT_EQ(o.TargetType, ttIgnore);
    EXPECT_TRUE(o.VideoCodec.empty());
    EXPECT_TRUE(o.Info.Title.empty());

    TInputOptions i;
    i.FileName = "f";
    i.ProgramID = 3;
    InitInputOptions(i);
    EXPECT_TRUE(i.FileName.empty());
    EXPECT_EQ(i.ProgramID, -1);
    EXPECT_EQ(i.TimeStart, INT64_MIN);
}

TEST(TaskOptionRecords, TextForms)
{
    TOutputOptions o = OutputOptionsFromText("TimeStart=5000000<CRLF>Join=0<CRLF>ab=128000");
    EXPECT_EQ(o.TimeStart, 5000000);
    EXPECT_TRUE(o.Join);
    EXPECT_EQ(o.ExtOptions, "ab=128000\n");

    o = OutputOptionsFromText("  hook=\r\nTIMELENGTH=12\r\nvcodec=mpeg4\rnewvideo\n  ");
    EXPECT_TRUE(o.CustomHook);
    EXPECT_EQ(o.TimeLength, 12);
    EXPECT_EQ(o.ExtOptions, "vcodec=mpeg4\nnewvideo=\n");

    TInputOptions i = InputOptionsFromText("timestart=abc");
    EXPECT_EQ(i.TimeStart, INT64_MIN);
    EXPECT_TRUE(i.ExtOptions.empty());
    i = InputOptionsFromText("f=avi\nTimeStart=-3\nx=a=b");
    EXPECT_EQ(i.TimeStart, -3);
    EXPECT_EQ(i.ExtOptions, "f=avi\nx=a=b\n");

    // the whole text is trimmed, lines and their parts are not
    auto lines = SplitOptionText("\t VB=200000 \n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first, "VB");
    EXPECT_EQ(lines[0].second, "200000");
    lines = SplitOptionText("a = 1\n\nb");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].first, "a ");
    EXPECT_EQ(lines[0].second, " 1");
    EXPECT_EQ(lines[1].first, "");
    EXPECT_EQ(lines[2].first, "b");
    EXPECT_TRUE(SplitOptionText("   ").empty());
}

TEST(TaskOptionRecords, TimeStampConversion)
{
    // 1970-01-01 00:00 local standard time
    const double epochLocal = 25569.0 + LocalTimeBiasDays();
    EXPECT_EQ(LocalDateTimeToUnixTime(epochLocal), 0);
    EXPECT_EQ(LocalDateTimeToUnixTime(epochLocal + 1.5), 129600);
    EXPECT_NEAR((double)LocalDateTimeToUnixTime(NowLocalDateTime()), (double)std::time(nullptr), 2.0);
}

namespace {

class ConverterOptions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        LoadLibraries();
        GetFFLogger()->SetTriggerEventInMainThread(false);
    }
    TempDir dir{"convopts"};
    TFFConverter c;

    std::string CodecOf(int task, int stream)
    {
        auto& rec = c.Task(task)->OutputFileRec(0);
        const AVCodec* codec = rec.streams.at(size_t(stream)).codec;
        return codec ? codec->name : "";
    }
};

}  // namespace

TEST_F(ConverterOptions, InputRecord)
{
    TInputOptions in;
    in.ExtOptions = "f=avi\n";
    int t = c.AddTask(Fixture("a:b.avi"), &in);
    ASSERT_GE(t, 0) << c.LastErrMsg();
    EXPECT_EQ(in.FileName, Fixture("a:b.avi"));
    ASSERT_NE(c.Task(t)->InputOptions(0), nullptr);
    EXPECT_EQ(c.Task(t)->InputOptions(0)->FileName, Fixture("a:b.avi"));
    TAVProbe* p = c.GetTaskAVProbe(t, 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->FormatName(), "avi");
    EXPECT_EQ(p->VideoStreamCount(), 1);
    EXPECT_EQ(c.GetTaskAVProbe(t, 1), nullptr);

    // a forced format that does not exist
    EXPECT_EQ(c.AddTask(Fixture("clip.avi"), "f=no_such_format"), -1);
    EXPECT_FALSE(c.LastErrMsg().empty());
    EXPECT_EQ(c.TasksCount(), 1);
    // a stream is named "stream:<address>:<data>"; no protocol serves such names here
    TMemoryStream ms;
    EXPECT_EQ(c.AddTask(&ms, "x"), -1);
    EXPECT_NE(c.LastErrMsg().find("stream:"), std::string::npos) << c.LastErrMsg();
    EXPECT_FALSE(c.SetOutputStream(t, &ms, "y"));
}

TEST_F(ConverterOptions, MaxInputFiles)
{
    int t = c.AddTask(Fixture("clip.avi"));
    ASSERT_GE(t, 0);
    for (int i = 1; i < 20; i++)
        ASSERT_TRUE(c.AddInputFile(t, Fixture("clip.avi"))) << i << c.LastErrMsg();
    EXPECT_FALSE(c.AddInputFile(t, Fixture("clip.avi")));
    EXPECT_EQ(c.LastErrMsg(), "max input files 20 reached");
    EXPECT_FALSE(c.AddInputFile(t, dir / "missing.avi"));  // still refused by the count
    EXPECT_EQ(c.Task(t)->nb_input_files(), 20);
    EXPECT_NE(c.GetTaskAVProbe(t, 19), nullptr);
}

// The record's codec fills the first stream; the text's lines fill the added ones.
TEST_F(ConverterOptions, StreamReplays)
{
    struct Case
    {
        const char* recordCodec;
        const char* first;
        const char* added;
    } cases[] = {{"mpeg4", "mpeg4", "libx264"}, {"", "libx264", "libx264"}};
    int n = 0;
    for (auto& k : cases) {
        int t = c.AddTask(Fixture("clip.avi"));
        TOutputOptions o;
        o.VideoCodec = k.recordCodec;
        o.AudioCodec = "mp2";
        o.ExtOptions = "vcodec=libx264\nnewvideo=\n";
        ASSERT_TRUE(c.SetOutputFile(t, dir / ("r" + std::to_string(n++) + ".mkv"), &o)) << c.LastErrMsg();
        auto& rec = c.Task(t)->OutputFileRec(0);
        std::vector<std::string> video;
        for (size_t i = 0; i < rec.streams.size(); i++)
            if (rec.streams[i].enc && rec.streams[i].enc->codec_type == AVMEDIA_TYPE_VIDEO)
                video.push_back(CodecOf(t, (int)i));
        ASSERT_EQ(video.size(), 2u);
        EXPECT_EQ(video[0], k.first);
        EXPECT_EQ(video[1], k.added);
    }
}

TEST_F(ConverterOptions, OutputRecordReachesTheOutput)
{
    int t = c.AddTask(Fixture("clip.avi"));
    TOutputOptions o;
    o.VideoCodec = "mpeg4";
    o.AudioCodec = "mp2";
    o.FrameSize = "160x120";
    o.AudioSampleRate = 22050;
    o.AudioChannels = 1;
    o.Info.Year = 2010;
    o.ExtOptions = " VB=200000 ";
    ASSERT_TRUE(c.SetOutputFile(t, dir / "o.avi", &o)) << c.LastErrMsg();
    EXPECT_EQ(o.FileName, dir / "o.avi");
    auto& rec = c.Task(t)->OutputFileRec(0);
    AVCodecContext* v = nullptr;
    AVCodecContext* a = nullptr;
    for (auto& s : rec.streams) {
        if (s.enc && s.enc->codec_type == AVMEDIA_TYPE_VIDEO) v = s.enc;
        if (s.enc && s.enc->codec_type == AVMEDIA_TYPE_AUDIO) a = s.enc;
    }
    ASSERT_TRUE(v && a);
    EXPECT_EQ(v->width, 160);
    EXPECT_EQ(v->height, 120);
    EXPECT_EQ(v->bit_rate, 200000);
    EXPECT_EQ(a->sample_rate, 22050);
    EXPECT_EQ(a->ch_layout.nb_channels, 1);
    AVDictionary* md = c.Task(t)->OutputFile(0)->metadata;
    const AVDictionaryEntry* year = ff::av_dict_get(md, "year", nullptr, 0);
    ASSERT_NE(year, nullptr);
    EXPECT_STREQ(year->value, "2010");
    EXPECT_EQ(ff::av_dict_get(md, "title", nullptr, 0), nullptr);

    // converted: the file has what the record asked for
    TerminateLog log;
    c.OnTerminate = log.Handler();
    c.Start(0);
    ASSERT_TRUE(log.Final());
    EXPECT_EQ(Probe(dir / "o.avi", "v:0", "stream=width,height"), "160\n120");
    EXPECT_EQ(Probe(dir / "o.avi", "a:0", "stream=sample_rate,channels"), "22050\n1");
}

TEST_F(ConverterOptions, BadValuesFailTheOutput)
{
    struct Case
    {
        const char* name;
        std::function<void(TOutputOptions&)> set;
        const char* message;  // empty: any message
    } cases[] = {
        {"frame size", [](TOutputOptions& o) { o.FrameSize = "abc"; }, "Incorrect frame size"},
        {"frame rate", [](TOutputOptions& o) { o.FrameRate = "xyz"; }, "Incorrect frame rate"},
        {"tag", [](TOutputOptions& o) { o.VideoTag = "abc"; }, ""},
        {"text size", [](TOutputOptions& o) { o.ExtOptions = "s=12q"; }, "Incorrect frame size"},
    };
    int n = 0;
    for (auto& k : cases) {
        SCOPED_TRACE(k.name);
        int t = c.AddTask(Fixture("clip.avi"));
        TOutputOptions o = QuickOutput();
        k.set(o);
        EXPECT_FALSE(c.SetOutputFile(t, dir / ("b" + std::to_string(n++) + ".avi"), &o));
        if (*k.message)
            EXPECT_EQ(c.LastErrMsg(), k.message);
        else
            EXPECT_FALSE(c.LastErrMsg().empty());
        EXPECT_EQ(c.Task(t)->nb_output_files(), 0);
    }
}

TEST_F(ConverterOptions, TargetDvd)
{
    int t = c.AddTask(Fixture("clip.avi"));
    TOutputOptions o;
    o.TargetType = ttDVD;
    o.NormType = ntAuto;
    o.NormDefault = ntNTSC;
    ASSERT_TRUE(c.SetOutputFile(t, dir / "dvd.mpg", &o)) << c.LastErrMsg();
    EXPECT_STREQ(c.Task(t)->OutputFile(0)->oformat->name, "dvd");
    EXPECT_EQ(CodecOf(t, 0), "mpeg2video");
}
