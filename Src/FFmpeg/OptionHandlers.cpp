// The engine's option handlers: values that need more than a plain
// conversion are parsed and checked here into the option state.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "Src/FFUtils.h"
#include "Src/MyUtils.h"

using namespace ffengine;

void TCustomFFmpeg::OptLogLevel(const std::string& AValue)
{
    GetFFLogger()->OptLogLevel(AValue);
}

void TCustomFFmpeg::OptFormat(const std::string& AValue)
{
    if (AValue.empty())
        return;
    std::string v = AValue;
    if (v == "pgmyuv") {
        v = "image2";
        Fpgmyuv_compatibility_hack = 1;
        Log(llInfo, "pgmyuv format is deprecated, use image2");
    }
    Flast_asked_format = v;
}

void TCustomFFmpeg::OptFrameRate(const std::string& AValue)
{
    if (AValue.empty())
        return;
    AVRational r{0, 0};
    if (ff::av_parse_video_rate(&r, AValue.c_str()) < 0)
        throw FFmpegException("Incorrect frame rate");
    Fframe_rate = r;
}

void TCustomFFmpeg::OptFrameSize(const std::string& AValue)
{
    if (AValue.empty())
        return;
    int w = 0, h = 0;
    if (ff::av_parse_video_size(&w, &h, AValue.c_str()) < 0)
        throw FFmpegException("Incorrect frame size");
    Fframe_width = w;
    Fframe_height = h;
}

void TCustomFFmpeg::OptFrameAspectRatio(const std::string& AValue)
{
    if (AValue.empty())
        return;
    double ar = 0;
    auto p = AValue.find(':');
    if (p != std::string::npos) {
        int x = StrToIntDef(AValue.substr(0, p), 0);
        int y = StrToIntDef(AValue.substr(p + 1), 0);
        ar = y > 0 ? double(x) / y : 0;
    } else {
        ar = StrToFloatDef(AValue, 0);
    }
    // a ratio too large for the field (it would become infinite) is no ratio either
    if (ar == 0 || !std::isfinite((float)ar))
        throw FFmpegException("Incorrect aspect ratio specification.");
    Fframe_aspect_ratio = (float)ar;
}

void TCustomFFmpeg::OptPixelFormat(const std::string& AValue)
{
    if (AValue == "list") {
        Log(llInfo, "name        nb_components  bits_per_pixel");
        for (const AVPixFmtDescriptor* d = ff::av_pix_fmt_desc_next(nullptr); d; d = ff::av_pix_fmt_desc_next(d))
            Log(llInfo, Trim(Format("%-11s %13d %15d", d->name, (int)d->nb_components, ff::av_get_bits_per_pixel(d))));
        return;
    }
    int f = ff::av_get_pix_fmt(AValue.c_str());
    if (f == AV_PIX_FMT_NONE)
        throw FFmpegException(Format("Unknown pixel format requested: %s", AValue.c_str()));
    Fframe_pix_fmt = f;
}

void TCustomFFmpeg::OptSampleFormat(const std::string& AValue)
{
    if (AValue == "list") {
        char buf[128];
        for (int i = -1; i < AV_SAMPLE_FMT_NB; i++) {
            buf[0] = 0;
            ff::av_get_sample_fmt_string(buf, sizeof buf, AVSampleFormat(i));
            Log(llInfo, Trim(buf));
        }
        return;
    }
    Faudio_sample_fmt = ff::av_get_sample_fmt(AValue.c_str());
}

void TCustomFFmpeg::OptCrop(const std::string& AKey, int AValue)
{
    if (AValue <= 0)
        return;
    bool vertical = AKey == "croptop" || AKey == "cropbottom";
    if (vertical ? AValue >= Fframe_height : AValue >= Fframe_width)
        throw FFmpegException(std::string(vertical ? "Vertical" : "Horizontal") +
                              " crop dimensions are outside the range of the original image.\n"
                              "Remember to crop first and scale second.");
    Log(llWarning, Format("Crop%s is deprecated in favor of the crop avfilter", AKey.c_str() + 4));
    if (AKey == "croptop") { Fframe_topBand = AValue; Fframe_height -= AValue; }
    else if (AKey == "cropbottom") { Fframe_bottomBand = AValue; Fframe_height -= AValue; }
    else if (AKey == "cropleft") { Fframe_leftBand = AValue; Fframe_width -= AValue; }
    else { Fframe_rightBand = AValue; Fframe_width -= AValue; }
}

void TCustomFFmpeg::OptQScale(double AValue)
{
    if (AValue <= 0 || AValue > 255)
        throw FFmpegException("qscale must be > 0.0 and <= 255");
    Fvideo_qscale = (float)AValue;
}

void TCustomFFmpeg::OptBitRate(const std::string& AKey, const std::string& AValue)
{
    if (OptDefault(AKey, AValue)) {
        int64_t b = StoreBitRate(!AKey.empty() && AKey[0] == 'a');
        if (b < 1000)
            Log(llWarning, "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s");
    }
}

static void SetCodecName(std::string& AName, int& ACopy, const std::string& AValue)
{
    if (AValue.empty())
        return;
    AName.clear();
    if (AValue == "copy")
        ACopy = 1;
    else
        AName = AValue;
}

void TCustomFFmpeg::OptVideoCodec(const std::string& AValue) { SetCodecName(Fvideo_codec_name, Fvideo_stream_copy, AValue); }
void TCustomFFmpeg::OptAudioCodec(const std::string& AValue) { SetCodecName(Faudio_codec_name, Faudio_stream_copy, AValue); }
void TCustomFFmpeg::OptSubtitleCodec(const std::string& AValue) { SetCodecName(Fsubtitle_codec_name, Fsubtitle_stream_copy, AValue); }

void TCustomFFmpeg::OptCodecTag(uint32_t& ATag, const std::string& AValue, const char* AKind)
{
    if (AValue.empty())
        return;
    if (AValue.size() != 4)
        throw EAssertionFailed(std::string(AKind) + " tag parameter must be 4 chars");
    const auto* b = reinterpret_cast<const unsigned char*>(AValue.data());
    ATag = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void TCustomFFmpeg::OptVideoFilters(const std::string& AValue)
{
    if (!AValue.empty())
        Fvfilters = AValue;
}

void TCustomFFmpeg::OptVHook(const std::string& AValue)
{
    const char* seps = AValue.find('|') != std::string::npos ? "|" : " ";
    std::vector<std::string> words;
    size_t i = 0;
    while (i < AValue.size() && words.size() < 64) {
        i = AValue.find_first_not_of(seps, i);
        if (i == std::string::npos)
            break;
        size_t e = AValue.find_first_of(seps, i);
        if (e == std::string::npos)
            e = AValue.size();
        words.push_back(AValue.substr(i, e - i));
        i = e;
    }
    int r = -1;
    if (!words.empty() && FrameHookAdd)
        r = FrameHookAdd(this, words);
    if (r != 0)
        throw FFmpegException("Failed to add video hook function: " + AValue);
    FFrameHookWords.push_back(words);
    Fusing_vhook = true;
}

void TCustomFFmpeg::OptMatrix(std::vector<uint16_t>& AMatrix, const std::string& AValue)
{
    // Coefficient i is the integer at the start of the text after the i-th comma.
    std::vector<uint16_t> m(64, 0);
    const char* p = AValue.c_str();
    for (int i = 0;; i++) {
        // the encoders divide by the coefficients, and the stream holds 8 bits of each
        long c = std::strtol(p, nullptr, 10);
        if (c < 1 || c > 255)
            throw FFmpegException(Format("Invalid coefficient in matrix \"%s\" at coeff %d: it must lie in 1 to 255",
                                      AValue.c_str(), i));
        m[i] = (uint16_t)c;
        if (i == 63)
            break;
        p = std::strchr(p, ',');
        if (!p)
            throw FFmpegException(Format("Syntax error in matrix \"%s\" at coeff %d", AValue.c_str(), i));
        p++;
    }
    AMatrix = std::move(m);
}

void TCustomFFmpeg::OptPass(int AValue)
{
    if (AValue != 1 && AValue != 2)
        throw FFmpegException("pass number can be only 1 or 2");
    Fdo_pass = AValue;
}

void TCustomFFmpeg::OptVStats()
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char hms[16];
    std::snprintf(hms, sizeof hms, "%02d%02d%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    Fvstats_filename = Format("%svstats_%s.log", GetAppPath().c_str(), hms);
}

void TCustomFFmpeg::OptBitStreamFilter(const std::string& AKey, const std::string& AValue)
{
    if (AValue.empty() || AValue[0] == '=')
        return;
    TBitStreamFilterItem f;
    auto eq = AValue.find('=', 1);
    f.Name = eq == std::string::npos ? AValue : AValue.substr(0, eq);
    if (eq != std::string::npos)
        f.Args = AValue.substr(eq + 1);
    if (!ff::av_bsf_get_by_name(f.Name.c_str()))
        throw FFmpegException(Format("Unknown bitstream filter %s", Trim(AValue).c_str()));
    char k = AKey.empty() ? 's' : AKey[0];
    (k == 'v' ? Fvideo_bitstream_filters : k == 'a' ? Faudio_bitstream_filters : Fsubtitle_bitstream_filters)
        .push_back(f);
}

void TCustomFFmpeg::OptMap(const std::string& AValue)
{
    // Up to four C integers separated by one character each.
    TAVStreamMap m;
    const char* s = AValue.c_str();
    char* p = nullptr;
    long v[4];
    v[0] = std::strtol(s, &p, 0);
    if (*p) p++;
    v[1] = std::strtol(p, &p, 0);
    if (*p) {
        p++;
        v[2] = std::strtol(p, &p, 0);
        if (*p) p++;
        v[3] = std::strtol(p, &p, 0);
    } else {
        v[2] = v[0];
        v[3] = v[1];
    }
    for (int i = 0; i < 4; i++)
        if (v[i] < 0 || v[i] >= (i % 2 == 0 ? FMaxFiles : MAX_STREAMS))
            throw FFmpegException(Format("Invalid stream map \"%s\": index out of range", AValue.c_str()));
    if ((int)Fstream_maps.size() >= FMaxFiles * MAX_STREAMS)
        throw FFmpegException(Format("Too many stream maps (at most %d)", FMaxFiles * MAX_STREAMS));
    m.file_index = (int)v[0];
    m.stream_index = (int)v[1];
    m.sync_file_index = (int)v[2];
    m.sync_stream_index = (int)v[3];
    Fstream_maps.push_back(m);
}

void TCustomFFmpeg::OptMapMetaData(const std::string& AValue)
{
    const char* s = AValue.c_str();
    char* p = nullptr;
    long o = std::strtol(s, &p, 0);
    if (*p) p++;
    long i = std::strtol(p, &p, 0);
    if (o < 0 || o >= FMaxFiles || i < 0 || i >= FMaxFiles)
        throw FFmpegException(Format("Invalid metadata map \"%s\": index out of range", AValue.c_str()));
    if ((int)Fmeta_data_maps.size() >= FMaxFiles)
        throw FFmpegException(Format("Too many metadata maps (at most %d)", FMaxFiles));
    Fmeta_data_maps.push_back({(int)o, (int)i});
}

void TCustomFFmpeg::OptTime(const std::string& AKey, const std::string& AValue)
{
    bool isDate = AKey == "timestamp";
    int64_t t = 0;
    if (ff::av_parse_time(&t, AValue.c_str(), isDate ? 0 : 1) < 0)
        throw FFmpegException(Format("Invalid %s specification for %s: %s", isDate ? "date" : "duration",
                                  AKey.c_str(), AValue.c_str()));
    if (AKey == "t")
        SetRecordingTime(t);
    else if (AKey == "ss")
        Fstart_time = t;
    else if (AKey == "itsoffset")
        Finput_ts_offset = t;
    else
        Frecording_timestamp = (int64_t)std::nearbyint((double)t / 1000000.0);
}

void TCustomFFmpeg::OptInputTsScale(const std::string& AValue)
{
    const char* s = AValue.c_str();
    char* p = nullptr;
    long idx = std::strtol(s, &p, 0);
    if (*p) p++;
    double scale = std::strtod(p, &p);
    if (idx < 0 || idx >= MAX_STREAMS)
        throw FFmpegException(Format("stream index over MAX_STREAMS(%d)", MAX_STREAMS));
    size_t f = Finput_files.size();
    if (f >= Finput_files_ts_scale.size())
        throw FFmpegException(Format("Too many input files (at most %d)", FMaxFiles));
    Finput_files_ts_scale[f][idx] = scale;
}

void TCustomFFmpeg::OptMetadata(const std::string& AValue)
{
    auto p = AValue.find('=');
    if (p == std::string::npos)
        throw FFmpegException("Missing =");
    AddMetadata(AValue.substr(0, p), AValue.substr(p + 1));
}

void TCustomFFmpeg::AddMetadata(const std::string& AName, const std::string& AValue)
{
    Fmetadata.emplace_back(AName, AValue);
}

void TCustomFFmpeg::OptStreamId(const std::string& AKey, const std::string& AValue)
{
    auto p = AValue.find(':');
    if (p == std::string::npos || p == 0 || p + 1 >= AValue.size())
        throw FFmpegException(Format("Invalid value \"%s\" for option \"%s\", required syntax is \"index:value\"",
                                  AValue.c_str(), AKey.c_str()));
    int idx = StrToInt(AValue.substr(0, p));
    int val = StrToInt(AValue.substr(p + 1));
    if (idx < 0 || idx >= MAX_STREAMS)
        throw FFmpegException(Format("Invalid stream index %d for option \"%s\", it must lie in 0 to %d", idx,
                                  AKey.c_str(), MAX_STREAMS - 1));
    Fstreamid_map[idx] = val;
}

void TCustomFFmpeg::SetRecordingTime(int64_t AValue)
{
    if (AValue == AV_NOPTS_VALUE)
        return;
    Frecording_time = AValue;
    FTotalOutputDuration = AValue;
}

void TCustomFFmpeg::SetStartTime(int64_t AValue)
{
    if (AValue != AV_NOPTS_VALUE)
        Fstart_time = AValue;
}

void TCustomFFmpeg::SetProgramID(int AValue)
{
    if (AValue >= 0)
        Fopt_programid = AValue;
}

void TCustomFFmpeg::SetAudioVolume(int AValue)
{
    if (AValue >= 0)
        Faudio_volume = AValue;
}
