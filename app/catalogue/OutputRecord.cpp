#include "app/catalogue/OutputRecord.h"

#include "Src/FFmpegLoader.h"
#include "platform/core/Utf8.h"
#include "platform/sys/Files.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace catalogue {

void MapToOutputOptions(const OptionState& s, TOutputOptions& o)
{
    if (!s.Video_VideoCodec.empty()) {
        o.VideoCodec = s.Video_VideoCodec;
        o.VideoPreset = s.Video_VideoCodec == "libx264" ? "libx264-default" : "";
    }
    if (!s.Video_AudioCodec.empty() && s.Video_AudioCodec != "AUTO")
        o.AudioCodec = s.Video_AudioCodec;
    if (!s.Video_FrameRate.empty())
        o.FrameRate = s.Video_FrameRate;
    o.DisableVideo = s.Video_DisableVideo;
    if (!s.Video_AudioChannels.empty())
        o.AudioChannels = StrToInt(s.Video_AudioChannels);
    if (!s.Video_AudioSampleRate.empty() && s.Video_AudioSampleRate != "AUTO")
        o.AudioSampleRate = StrToInt(s.Video_AudioSampleRate);
    if (!s.Video_FrameSize.empty())
        o.FrameSize = s.Video_FrameSize;
    if (!s.Video_TargetType.empty())
        o.TargetType = s.Video_TargetType == "vcd"    ? ttVCD
                       : s.Video_TargetType == "svcd" ? ttSVCD
                       : s.Video_TargetType == "dvd"  ? ttDVD
                                                      : ttIgnore;
    o.NormType = s.Video_NormType == "PAL" ? ntPAL : s.Video_NormType == "NTSC" ? ntNTSC : ntAuto;
    o.AudioVolume = s.Video_AudioVolume == "256" ? 256 : StrToInt(s.Video_AudioVolume);
    if (!s.Video_FrameAspectRatio.empty())
        o.FrameAspectRatio = s.Video_FrameAspectRatio;
    if (s.Video_AudioBitrate != -1000 && s.Video_AudioBitrate != -2000)
        o.AudioBitrate = s.Video_AudioBitrate;
    if (!s.Video_FileFormat.empty())
        o.FileFormat = s.Video_FileFormat;
    if (!s.Video_VideoFilters.empty())
        o.VideoFilters = s.Video_VideoFilters;
    if (!s.Video_VideoTag.empty())
        o.VideoTag = s.Video_VideoTag;
    if (s.Video_VideoBitrate != -1000)
        o.VideoBitrate = s.Video_VideoBitrate;
}

void ClearSlotMarker(TOutputOptions& o)
{
    if (o.AudioLanguage == "kong" || o.AudioLanguage == "Full" || o.AudioLanguage == "DELETED")
        o.AudioLanguage.clear();
}

namespace {

bool IsMpegProgramStream(const std::string& ext)
{
    return ext == ".mpg" || ext == ".mpeg" || ext == ".vob";
}

bool IsDvdLike(const TOutputOptions& o, const std::string& ext)
{
    return ext == ".vob" || o.TargetType == ttDVD;
}

// One substitution: an encoder this FFmpeg lacks or the container refuses,
// and what takes its place. `when` narrows it to some outputs.
struct Substitution
{
    bool video;
    const char* from;
    const char* to;
    bool (*when)(const TOutputOptions& o, const std::string& ext);
};

const Substitution kSubstitutions[] = {
    // MPEG program streams (VCD/SVCD/DVD-like) carry no AAC: DVD-like targets
    // take AC-3, the others MPEG audio layer 2. Before the libfaac rule, so
    // that both AAC names are caught.
    {false, "libfaac", "ac3", [](const TOutputOptions& o, const std::string& e) { return IsMpegProgramStream(e) && IsDvdLike(o, e); }},
    {false, "libfaac", "mp2", [](const TOutputOptions&, const std::string& e) { return IsMpegProgramStream(e); }},
    {false, "aac", "ac3", [](const TOutputOptions& o, const std::string& e) { return IsMpegProgramStream(e) && IsDvdLike(o, e); }},
    {false, "aac", "mp2", [](const TOutputOptions&, const std::string& e) { return IsMpegProgramStream(e); }},
    // libfaac is not built into this FFmpeg: its native AAC encoder.
    {false, "libfaac", "aac", nullptr},
    // There is no MS-MPEG-4 v1 encoder; version 2 is the nearest, but only AVI
    // (and ASF) carry it: elsewhere plain MPEG-4 part 2.
    {true, "msmpeg4v1", "msmpeg4v2", [](const TOutputOptions&, const std::string& e) { return e == ".avi" || e == ".asf" || e == ".wmv"; }},
    {true, "msmpeg4v1", "mpeg4", nullptr},
};

}  // namespace

void SubstituteEncoders(TOutputOptions& o, const std::string& outputFile)
{
    const std::string ext = LowerCase(sys::ExtractFileExt(outputFile));
    for (const auto& s : kSubstitutions) {
        std::string& codec = s.video ? o.VideoCodec : o.AudioCodec;
        if (codec == s.from && (!s.when || s.when(o, ext)))
            codec = s.to;
    }
}

std::string MissingEncoder(const TOutputOptions& o)
{
    for (const std::string* name : {&o.VideoCodec, &o.AudioCodec})
        if (!name->empty() && !ff::avcodec_find_encoder_by_name(name->c_str()))
            return "encoder not available: " + *name;
    return {};
}

namespace {

// Whether the encoder opens with these parameters (opened on a scratch context).
bool EncoderAccepts(const AVCodec* codec, int sampleRate, int channels, int bitrate)
{
    AVCodecContext* ctx = ff::avcodec_alloc_context3(codec);
    if (!ctx)
        return false;
    ctx->sample_rate = sampleRate;
    ctx->time_base = AVRational{1, sampleRate};
    ff::av_channel_layout_default(&ctx->ch_layout, channels);
    ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    ctx->bit_rate = bitrate;
    int r;
    {
        TCodecLockGuard lock;
        r = ff::avcodec_open2(ctx, codec, nullptr);
    }
    ff::avcodec_free_context(&ctx);
    return r >= 0;
}

}  // namespace

int AcceptedAudioBitrate(const std::string& encoder, int sampleRate, int channels, int bitrate)
{
    const AVCodec* codec = ff::avcodec_find_encoder_by_name(encoder.c_str());
    if (!codec || sampleRate <= 0 || channels <= 0 || bitrate <= 0 || EncoderAccepts(codec, sampleRate, channels, bitrate))
        return bitrate;
    // The usual rates, nearest first (the lower of two as near).
    std::vector<int> rates = {8000,   16000,  24000,  32000,  40000,  48000,  56000,  64000,  80000,  96000, 112000,
                              128000, 160000, 192000, 224000, 256000, 320000, 384000, 448000, 512000};
    std::stable_sort(rates.begin(), rates.end(), [bitrate](int a, int b) {
        const auto da = std::llabs(static_cast<long long>(a) - bitrate), db = std::llabs(static_cast<long long>(b) - bitrate);
        return da != db ? da < db : a < b;
    });
    for (int r : rates)
        if (EncoderAccepts(codec, sampleRate, channels, r))
            return r;
    return bitrate;
}

TOutputOptions OutputRecordFor(const OptionState& s)
{
    TOutputOptions o;
    InitOutputOptions(o);
    MapToOutputOptions(s, o);
    ClearSlotMarker(o);
    SubstituteEncoders(o, s.Video_OutPutFileName);
    return o;
}

}  // namespace catalogue
