#include "Src/AVProbe.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>
#include <system_error>
#include <thread>
#include <vector>

#include "Src/FFmpegLogger.h"
#include "Src/MyUtils.h"
#include "Src/UnicodeProtocol.h"
#include "platform/gui/Graphics.h"
#include "platform/core/Utf8.h"

namespace
{
const struct { const char* id; const char* name; } kFrameIds[] = {
    {"TALB", "album"},     {"TAL", "album"},        {"TCOM", "composer"},  {"TCON", "genre"},
    {"TCO", "genre"},      {"TCOP", "copyright"},   {"TDRL", "date"},      {"TENC", "encoder"},
    {"TEN", "encoder"},    {"TIT2", "title"},       {"TT2", "title"},      {"TLAN", "language"},
    {"TPE1", "artist"},    {"TP1", "artist"},       {"TPOS", "disc"},      {"TPUB", "publisher"},
    {"TRCK", "track"},     {"TRK", "track"},        {"TSOA", "albumsort"}, {"TSOP", "authorsort"},
    {"TSOT", "titlesort"}, {"TYER", "year"},
};

// Seconds and six-digit microseconds, with the sign in front.
std::string SecondsText(std::int64_t us)
{
    const bool neg = us < 0;
    const std::uint64_t a = neg ? std::uint64_t(-(us + 1)) + 1 : std::uint64_t(us);
    return Format("%s%llu.%.6llu", neg ? "-" : "", static_cast<unsigned long long>(a / 1000000),
               static_cast<unsigned long long>(a % 1000000));
}

// The leading decimal number of a text ("7/12" gives 7), or -1.
int LeadingInt(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return -1;
    long v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && v < 100000000) v = v * 10 + (s[i++] - '0');
    return int(v);
}

std::string RateText(double value, const char* unit)
{
    const long long v = std::llrint(value * 100);
    if (v % 100) return Format(", %3.2f %s", value, unit);
    if (v % (100 * 1000)) return Format(", %1.0f %s", value, unit);
    return Format(", %1.0fk %s", value / 1000, unit);
}

bool IsImage2(const AVFormatContext* s)
{
    return s && s->iformat && s->iformat->name && strcasecmp(s->iformat->name, "image2") == 0;
}
}

std::string FrameIdToName(const std::string& key)
{
    for (const auto& f : kFrameIds)
        if (key == f.id) return f.name;
    return key;
}

// ---- TCustomAVProbe ---------------------------------------------------------------------

TCustomAVProbe::TCustomAVProbe(TComponent* AOwner) : TFFBaseComponent(AOwner) { TCustomAVProbe::UpdateFileInfo(); }

TCustomAVProbe::~TCustomAVProbe()
{
    if (FFileHandle && FOwnHandle && ff::avformat_close_input) ff::avformat_close_input(&FFileHandle);
    FFileHandle = nullptr;
}

void TCustomAVProbe::LogError(int avLevel, const std::string& msg)
{
    GetFFLogger()->Log(this, AVLevelToLogLevel(avLevel), msg);
    FLastErrMsg = msg;
}

void TCustomAVProbe::CheckLibraries()
{
    static const struct { TLibrary lib; const char* text; } libs[] = {
        {avCodec, "LibAVCodec not loaded."},
        {avFormat, "LibAVFormat not loaded."},
        {avUtil, "LibAVUtil not loaded."},
        {swScale, "LibSwScale not loaded."},
    };
    for (const auto& l : libs)
        if (!GlobalLoader().Loaded(l.lib)) throw Exception(l.text);
}

bool TCustomAVProbe::AVLibLoaded() const { return GlobalLoader().Loaded(ProbeLibraries); }

bool TCustomAVProbe::LoadAVLib(const std::string& APath)
{
    GlobalLoader().SetLibraryPath(APath);
    if (GlobalLoader().Load(ProbeLibraries)) return true;
    FLastErrMsg = GlobalLoader().LastErrMsg();
    return false;
}

void TCustomAVProbe::UnloadAVLib() { GlobalLoader().Unload(ProbeLibraries); }

bool TCustomAVProbe::LoadFile(const std::string& AFileName, const std::string& AFormatName)
{
    CheckLibraries();
    CloseFile();

    const AVInputFormat* fmt = nullptr;
    if (!AFormatName.empty())
    {
        fmt = ff::av_find_input_format(AFormatName.c_str());
        if (!fmt)
        {
            FLastErrMsg = "Unknown input format: " + AFormatName;
            return false;
        }
    }

    const std::string why = InputFileKindError(AFileName);
    if (!why.empty())
    {
        LogError(AV_LOG_ERROR, why);
        return false;
    }
    const std::string url = FileNameToURL(AFileName);

    FFileHandle = ff::avformat_alloc_context();
    if (!FFileHandle)
    {
        LogError(AV_LOG_ERROR, FormatAVError(AFileName, AVERROR(ENOMEM)));
        return false;
    }
    FOwnHandle = true;
    FFileHandle->flags |= AVFMT_FLAG_NONBLOCK;
    const int ret = OpenInputURL(&FFileHandle, url, fmt, nullptr);
    if (ret < 0)
    {
        // avformat_open_input has freed the context.
        FFileHandle = nullptr;
        LogError(AV_LOG_ERROR, FormatAVError(AFileName, ret));
        CloseFile();
        return false;
    }
    int found;
    {
        TCodecLockGuard lock;
        found = ff::avformat_find_stream_info(FFileHandle, nullptr);
    }
    if (found < 0)
    {
        const std::string msg = AFileName + ": could not find codec parameters";
        CloseFile();
        FLastErrMsg = msg;
        return false;
    }
    UpdateFileInfo();
    FForceFormat = AFormatName;
    return true;
}

void TCustomAVProbe::CloseFile()
{
    FForceFormat.clear();
    if (FFileHandle)
    {
        if (FOwnHandle) ff::avformat_close_input(&FFileHandle);
        FFileHandle = nullptr;
    }
    FOwnHandle = false;
    UpdateFileInfo();
}

void TCustomAVProbe::SetFileHandle(AVFormatContext* AHandle)
{
    CheckLibraries();
    CloseFile();
    FOwnHandle = false;
    FFileHandle = AHandle;
    UpdateFileInfo();
}

void TCustomAVProbe::UpdateFileInfo()
{
    FFileSize = -1;
    FStreamCount = FProgramCount = -1;
    FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = -1;
    FFirstAudioStreamIndex = FFirstVideoStreamIndex = FFirstSubtitleStreamIndex = -1;
    if (!FFileHandle) return;

    const std::int64_t own = FFileHandle->pb ? ff::avio_size(FFileHandle->pb) : 0;
    if (own > 0) FFileSize = own;
    else
    {
        const std::string name = URLToFileName(FFileHandle->url ? FFileHandle->url : "");
        const std::int64_t fs = name.empty() ? -1 : FileSizeByName(name);
        FFileSize = fs >= 0 ? fs : own;
    }
    FStreamCount = int(FFileHandle->nb_streams);
    FProgramCount = int(FFileHandle->nb_programs);
    FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = 0;
    for (unsigned i = 0; i < FFileHandle->nb_streams; ++i)
    {
        switch (FFileHandle->streams[i]->codecpar->codec_type)
        {
        case AVMEDIA_TYPE_VIDEO:
            ++FVideoStreamCount;
            if (FFirstVideoStreamIndex < 0) FFirstVideoStreamIndex = int(i);
            break;
        case AVMEDIA_TYPE_AUDIO:
            ++FAudioStreamCount;
            if (FFirstAudioStreamIndex < 0) FFirstAudioStreamIndex = int(i);
            break;
        case AVMEDIA_TYPE_SUBTITLE:
            ++FSubtitleStreamCount;
            if (FFirstSubtitleStreamIndex < 0) FFirstSubtitleStreamIndex = int(i);
            break;
        default: break;
        }
    }
}

std::string TCustomAVProbe::FileName()
{
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return "";
    }
    return URLToFileName(FFileHandle->url ? FFileHandle->url : "");
}

std::string TCustomAVProbe::FormatName()
{
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return "";
    }
    return FFileHandle->iformat && FFileHandle->iformat->name ? FFileHandle->iformat->name : "";
}

std::string TCustomAVProbe::FormatLongName()
{
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return "";
    }
    return FFileHandle->iformat && FFileHandle->iformat->long_name ? FFileHandle->iformat->long_name : "";
}

TFileStreamInfo TCustomAVProbe::FileStreamInfo()
{
    TFileStreamInfo r;
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return r;
    }
    const AVFormatContext* s = FFileHandle;
    r.StartTime = s->start_time == AV_NOPTS_VALUE ? -1 : s->start_time;
    r.Duration = s->duration == AV_NOPTS_VALUE ? -1 : s->duration;
    r.BitRate = int(s->bit_rate);
    // The container's time stamp, year and track are metadata now.
    const std::string created = GetMetadataText(s->metadata, "creation_time", "");
    std::int64_t us = 0;
    if (!created.empty() && ff::av_parse_time(&us, created.c_str(), 0) == 0) r.TimeStamp = us / 1000000;
    std::string year = GetMetadataText(s->metadata, "year", "");
    if (year.empty()) year = GetMetadataText(s->metadata, "date", "");
    r.Year = LeadingInt(year);
    r.Track = LeadingInt(GetMetadataText(s->metadata, "track", ""));
    r.Title = GetMetadataText(s->metadata, "title", "");
    r.Author = GetMetadataText(s->metadata, "author", "");
    if (r.Author.empty()) r.Author = GetMetadataText(s->metadata, "artist", "");
    r.Copyright = GetMetadataText(s->metadata, "copyright", "");
    r.Comment = GetMetadataText(s->metadata, "comment", "");
    r.Album = GetMetadataText(s->metadata, "album", "");
    r.Genre = GetMetadataText(s->metadata, "genre", "");
    return r;
}

AVStream* TCustomAVProbe::CheckedStream(int index, AVMediaType type, const char* typeName)
{
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return nullptr;
    }
    if (index < 0)
    {
        index = type == AVMEDIA_TYPE_AUDIO   ? FFirstAudioStreamIndex
                : type == AVMEDIA_TYPE_VIDEO ? FFirstVideoStreamIndex
                                             : FFirstSubtitleStreamIndex;
        if (index < 0)
        {
            LogError(AV_LOG_ERROR, Format("no %s stream.", typeName));
            return nullptr;
        }
    }
    else if (index >= FStreamCount)
    {
        LogError(AV_LOG_ERROR, Format("stream index #%d is invalid.", index));
        return nullptr;
    }
    AVStream* st = FFileHandle->streams[index];
    if (st->codecpar->codec_type != type)
    {
        LogError(AV_LOG_ERROR, Format("stream #%d is not %s stream.", index, typeName));
        return nullptr;
    }
    return st;
}

namespace
{
template <typename R>
void FillTimes(R& r, AVStream* st)
{
    if (st->time_base.den == 0) st->time_base.den = st->time_base.num ? st->time_base.num : 1;
    r.StartTime = st->start_time;
    r.Duration = st->duration;
    if (st->start_time != AV_NOPTS_VALUE) r.StartTimeScaled = ff::av_rescale_q(st->start_time, st->time_base, AV_TIME_BASE_Q);
    if (st->duration != AV_NOPTS_VALUE) r.DurationScaled = ff::av_rescale_q(st->duration, st->time_base, AV_TIME_BASE_Q);
}
}

TAudioStreamInfo TCustomAVProbe::GetAudioStreamInfo(int AStreamIndex)
{
    TAudioStreamInfo r;
    AVStream* st = CheckedStream(AStreamIndex, AVMEDIA_TYPE_AUDIO, "audio");
    if (!st) return r;
    const AVCodecParameters* p = st->codecpar;
    r.Language = GetMetadataText(st->metadata, "language", "");
    r.CodecName = CodecDescription(p->codec_id, p->codec_tag, false);
    FillTimes(r, st);
    r.BitRate = int(p->bit_rate);
    r.Channels = p->ch_layout.nb_channels;
    r.SampleRate = p->sample_rate;
    r.SampleFormat = p->format;
    return r;
}

TVideoStreamInfo TCustomAVProbe::GetVideoStreamInfo(int AStreamIndex)
{
    TVideoStreamInfo r;
    AVStream* st = CheckedStream(AStreamIndex, AVMEDIA_TYPE_VIDEO, "video");
    if (!st) return r;
    const AVCodecParameters* p = st->codecpar;
    r.Language = GetMetadataText(st->metadata, "language", "");
    r.CodecName = CodecDescription(p->codec_id, p->codec_tag, false);
    FillTimes(r, st);
    r.BitRate = int(p->bit_rate);
    r.Height = p->height;
    r.Width = p->width;
    if (p->height > 0)
    {
        const double sar = p->sample_aspect_ratio.den ? double(p->sample_aspect_ratio.num) / p->sample_aspect_ratio.den : 0.0;
        r.AspectRatio = float(double(p->width) * sar / p->height);
    }
    r.PixFmt = p->format;
    r.FrameRate = st->r_frame_rate;
    return r;
}

TSubtitleStreamInfo TCustomAVProbe::GetSubtitleStreamInfo(int AStreamIndex)
{
    TSubtitleStreamInfo r;
    AVStream* st = CheckedStream(AStreamIndex, AVMEDIA_TYPE_SUBTITLE, "subtitle");
    if (!st) return r;
    r.Language = GetMetadataText(st->metadata, "language", "");
    r.CodecName = CodecDescription(st->codecpar->codec_id, st->codecpar->codec_tag, false);
    return r;
}

namespace
{
bool StreamTypeIs(TCustomAVProbe& p, AVFormatContext* s, int index, AVMediaType type,
                  const std::function<void(int, const std::string&)>& log)
{
    if (!s)
    {
        log(AV_LOG_WARNING, "file not loaded.");
        return false;
    }
    if (index < 0 || index >= int(s->nb_streams))
    {
        log(AV_LOG_ERROR, Format("stream index #%d is invalid.", index));
        return false;
    }
    (void)p;
    return s->streams[index]->codecpar->codec_type == type;
}
}

bool TCustomAVProbe::IsAudioStream(int i)
{
    return StreamTypeIs(*this, FFileHandle, i, AVMEDIA_TYPE_AUDIO, [this](int l, const std::string& m) { LogError(l, m); });
}
bool TCustomAVProbe::IsVideoStream(int i)
{
    return StreamTypeIs(*this, FFileHandle, i, AVMEDIA_TYPE_VIDEO, [this](int l, const std::string& m) { LogError(l, m); });
}
bool TCustomAVProbe::IsSubtitleStream(int i)
{
    return StreamTypeIs(*this, FFileHandle, i, AVMEDIA_TYPE_SUBTITLE,
                        [this](int l, const std::string& m) { LogError(l, m); });
}

void TCustomAVProbe::DumpMetadata(std::string& out, const AVDictionary* m, const std::string& indent)
{
    if (!m) return;
    if (ff::av_dict_count(m) == 1 && ff::av_dict_get(m, "language", nullptr, 0)) return;
    out += indent + "Metadata:\r\n";
    const AVDictionaryEntry* e = nullptr;
    while ((e = ff::av_dict_get(m, "", e, AV_DICT_IGNORE_SUFFIX)))
    {
        if (std::strcmp(e->key, "language") == 0) continue;
        out += Format("%s  %-16s: %s", indent.c_str(), FrameIdToName(e->key).c_str(), e->value) + "\r\n";
    }
}

void TCustomAVProbe::StreamInfoLine(std::string& out, int index)
{
    AVFormatContext* s = FFileHandle;
    AVStream* st = s->streams[index];
    const AVCodecParameters* p = st->codecpar;
    std::string line = Format("Stream #%d", index);
    if (s->iformat && (s->iformat->flags & AVFMT_SHOW_IDS)) line += Format("[0x%x]", st->id);
    const std::string lang = GetMetadataText(st->metadata, "language", "");
    if (!lang.empty()) line += "(" + lang + ")";
    int g = ff::av_gcd(st->time_base.num, st->time_base.den);
    if (g == 0) g = 1;
    line += Format(", %d/%d", st->time_base.num / g, st->time_base.den / g);

    char buf[256] = {};
    if (AVCodecContext* c = ff::avcodec_alloc_context3(nullptr))
    {
        if (ff::avcodec_parameters_to_context(c, p) >= 0) ff::avcodec_string(buf, sizeof buf, c, 0);
        ff::avcodec_free_context(&c);
    }
    line += ": ";
    line += buf;

    if (st->sample_aspect_ratio.num && av_cmp_q(st->sample_aspect_ratio, p->sample_aspect_ratio) != 0)
    {
        int dn = 0, dd = 0;
        ff::av_reduce(&dn, &dd, std::int64_t(p->width) * st->sample_aspect_ratio.num,
                      std::int64_t(p->height) * st->sample_aspect_ratio.den, 1024 * 1024);
        line += Format(", PAR %d:%d DAR %d:%d", st->sample_aspect_ratio.num, st->sample_aspect_ratio.den, dn, dd);
    }
    if (p->codec_type == AVMEDIA_TYPE_VIDEO)
    {
        // The codec time base ("tbc") is no longer part of the stream parameters.
        if (st->avg_frame_rate.num && st->avg_frame_rate.den) line += RateText(av_q2d(st->avg_frame_rate), "fps");
        if (st->r_frame_rate.num && st->r_frame_rate.den) line += RateText(av_q2d(st->r_frame_rate), "tbr");
        if (st->time_base.num && st->time_base.den) line += RateText(1 / av_q2d(st->time_base), "tbn");
    }
    const AVRational tb = st->time_base.den ? st->time_base : AVRational{1, 1};
    if (st->start_time != AV_NOPTS_VALUE)
        line += ", StartTime: " + SecondsText(ff::av_rescale_q(st->start_time, tb, AV_TIME_BASE_Q));
    if (st->duration != AV_NOPTS_VALUE)
        line += ", Duration: " + DurationToText(ff::av_rescale_q(st->duration, tb, AV_TIME_BASE_Q));
    else
        line += ", Duration: N/A";
    out += line + "\r\n";
    DumpMetadata(out, st->metadata, "  ");
}

std::string TCustomAVProbe::FileInfoText()
{
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return "";
    }
    AVFormatContext* s = FFileHandle;
    std::string out;
    auto add = [&](const std::string& line) { out += line + "\r\n"; };
    add("File Name: " + FileName());
    add("Format Name: " + FormatName());
    add("Format Long Name: " + FormatLongName());
    add("File Size: " + FormatFileSize(FFileSize));
    const TFileStreamInfo info = FileStreamInfo();
    add(info.Duration >= 0 ? "Duration: " + DurationToText(info.Duration) : "Duration: N/A");
    if (info.StartTime >= 0) add("StartTime: " + SecondsText(info.StartTime));
    add(info.BitRate > 0 ? Format("Bit Rate: %d kb/s", info.BitRate / 1000) : "Bit Rate: N/A");
    if (info.TimeStamp > 0)
        add("Time Stamp: " + DateTimeToText("yyyy-mm-dd hh:nn:ss", UnixToLocalDateTime(info.TimeStamp)));
    DumpMetadata(out, s->metadata, "");

    std::vector<bool> shown(s->nb_streams, false);
    for (unsigned k = 0; k < s->nb_programs; ++k)
    {
        const AVProgram* prog = s->programs[k];
        // The current demuxers name these "service_provider" and "service_name".
        const std::string provider = GetMetadataText(
            prog->metadata, "service_provider", GetMetadataText(prog->metadata, "provider_name", "N/A"));
        const std::string name =
            GetMetadataText(prog->metadata, "service_name", GetMetadataText(prog->metadata, "name", "N/A"));
        add(Format("Program %d %s@%s", prog->id, provider.c_str(), name.c_str()));
        DumpMetadata(out, prog->metadata, "  ");
        for (unsigned j = 0; j < prog->nb_stream_indexes; ++j)
        {
            const unsigned idx = prog->stream_index[j];
            if (idx >= s->nb_streams) continue;  // a program may list streams the file lacks
            StreamInfoLine(out, int(idx));
            shown[idx] = true;
        }
    }
    for (unsigned i = 0; i < s->nb_streams; ++i)
        if (!shown[i]) StreamInfoLine(out, int(i));
    return out;
}

// ---- TAVProbe --------------------------------------------------------------------------------

TAVProbe::TAVProbe(TComponent* AOwner) : TCustomAVProbe(AOwner) { TAVProbe::UpdateFileInfo(); }

TAVProbe::~TAVProbe()
{
    const bool libs = ff::av_free && ff::avcodec_free_context && ff::sws_freeContext && ff::avformat_close_input;
    if (libs) TAVProbe::CloseFile();
    if (libs)
    {
        ff::av_free(FPicture.Buffer);
        ff::av_packet_free(&FPacket);
        ff::av_frame_free(&FFrame);
    }
    FPicture.Buffer = nullptr;
}

void TAVProbe::UpdateFileInfo()
{
    TCustomAVProbe::UpdateFileInfo();
    FSeekIndex = FFirstVideoStreamIndex >= 0 ? FFirstVideoStreamIndex : FFirstAudioStreamIndex;
    if (FFileHandle)
    {
        FStartTime = FSeekIndex >= 0 ? FFileHandle->streams[FSeekIndex]->start_time : FFileHandle->start_time;
        if (FStartTime == AV_NOPTS_VALUE) FStartTime = 0;
    }
}

void TAVProbe::CloseDecoder()
{
    if (!FCodec) return;
    {
        TCodecLockGuard lock;
        ff::avcodec_free_context(&FCodec);
    }
    FCodec = nullptr;
    FCodecStream = -1;
    FDraining = false;
}

void TAVProbe::CloseFile()
{
    FSeekIndex = -1;
    FStartTime = -1;
    FDecodeIndex = -1;
    FEOF = false;
    ResetFrameInfo();
    FLastPTS = AV_NOPTS_VALUE;
    FLastPos = -1;
    CloseDecoder();
    if (ff::sws_freeContext && ff::av_free) ResetRGBConvertContext(FRGBContext);
    TCustomAVProbe::CloseFile();
}

void TAVProbe::ResetFrameInfo()
{
    if (FPicture.PTS != AV_NOPTS_VALUE) FLastPTS = FPicture.PTS;
    if (FPicture.Position != -1) FLastPos = FPicture.Position;
    FPicture.PixFmt = FPicture.Width = FPicture.Height = FPicture.StreamIndex = -1;
    FPicture.Position = -1;
    FPicture.IsKeyFrame = false;
    FPicture.PictureType = ptUnknown;
    FPicture.PTS = FPicture.OriginalDTS = FPicture.OriginalPTS = AV_NOPTS_VALUE;
    FPicture.Ready = false;
}

bool TAVProbe::CheckOwnFile()
{
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return false;
    }
    if (!OwnHandle())
    {
        const std::string msg = "file cannot be seeked, handle is readonly.";
        LogError(AV_LOG_WARNING, msg);
        throw Exception(msg);
    }
    return true;
}

bool TAVProbe::CanSeek()
{
    if (!CheckOwnFile()) return false;
    if (IsImage2(FFileHandle))
    {
        LogError(AV_LOG_INFO, "\"image2\" format cannot to be seeked.");
        return false;
    }
    return true;
}

std::int64_t TAVProbe::ReaderPosition() const
{
    return FFileHandle && FFileHandle->pb ? ff::avio_seek(FFileHandle->pb, 0, SEEK_CUR) : -1;
}

std::int64_t TAVProbe::Position()
{
    if (!FFileHandle)
    {
        LogError(AV_LOG_WARNING, "file not loaded.");
        return -1;
    }
    if (!FFileHandle->pb)
    {
        LogError(AV_LOG_WARNING, "cannot get position");
        return -1;
    }
    return ReaderPosition();
}

bool TAVProbe::Seek(std::int64_t APTS, TSeekFlags ASeekFlags)
{
    if (!CanSeek()) return false;
    AVIOContext* pb = FFileHandle->pb;
    if (pb) LogError(AV_LOG_DEBUG, Format("currunt position %lld bytes", static_cast<long long>(ReaderPosition())));

    const bool byBytes = ASeekFlags & SeekFlag(sfByte);
    std::int64_t target = APTS < 0 ? 0 : APTS;
    if (!byBytes)
    {
        if (FSeekIndex >= 0)
            target = ff::av_rescale_q(target, AV_TIME_BASE_Q, FFileHandle->streams[FSeekIndex]->time_base);
        if (FStartTime > 0) target += FStartTime;
    }
    if (FCodec) ff::avcodec_flush_buffers(FCodec);
    FDraining = false;
    FEOF = false;
    ResetFrameInfo();

    const int flags = SeekFlagsToAVSeekFlags(ASeekFlags);
    int ret;
    if (APTS > 0)
        ret = ff::av_seek_frame(FFileHandle, FSeekIndex, target, flags);
    else
    {
        // The start of the file: back from time 0, which lies at or before
        // every stream's start (a start time above 0 included).
        ret = ff::av_seek_frame(FFileHandle, FSeekIndex, 0, flags | AVSEEK_FLAG_BACKWARD);
        if (ret < 0) ret = ff::av_seek_frame(FFileHandle, FSeekIndex, APTS, flags & ~AVSEEK_FLAG_BACKWARD);
    }
    bool result = ret >= 0;
    if (!result)
    {
        if (byBytes) LogError(AV_LOG_ERROR, Format("could not seek to position %lld bytes", static_cast<long long>(APTS)));
        else LogError(AV_LOG_ERROR, Format("could not seek to position %0.3f seconds", double(APTS) / 1000000));
    }
    if (pb) LogError(AV_LOG_DEBUG, Format("seek to position %lld bytes", static_cast<long long>(ReaderPosition())));
    if (pb && ff::avio_feof(pb))
    {
        if (result) LogError(AV_LOG_INFO, "stream eof reached.");
        result = false;
        FEOF = true;
    }
    return result;
}

int TAVProbe::SelectDecodeStream(int index)
{
    if (!CheckOwnFile()) return -1;
    if (index < 0)
    {
        index = FDecodeIndex >= 0 ? FDecodeIndex : FFirstVideoStreamIndex;
        if (index < 0)
        {
            LogError(AV_LOG_ERROR, "no video stream.");
            return -1;
        }
    }
    else if (index >= int(FFileHandle->nb_streams))
    {
        LogError(AV_LOG_ERROR, Format("stream index #%d is invalid.", index));
        return -1;
    }
    else if (FFileHandle->streams[index]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO)
    {
        LogError(AV_LOG_ERROR, Format("stream #%d is not video stream.", index));
        return -1;
    }
    if (index != FDecodeIndex) ResetFrameInfo();
    FDecodeIndex = index;
    return index;
}

AVCodecContext* TAVProbe::OpenDecoder(int index)
{
    AVStream* st = FFileHandle->streams[index];
    const AVCodecParameters* p = st->codecpar;
    if (p->codec_type != AVMEDIA_TYPE_VIDEO) throw EFFAssertion("Assertion failed: decoding a stream that is not video");
    if (p->width <= 0 || p->height <= 0)
    {
        LogError(AV_LOG_ERROR, "frame size of codec is invalid.");
        return nullptr;
    }
    if (FCodec && FCodecStream == index) return FCodec;
    CloseDecoder();
    const AVCodec* dec = ff::avcodec_find_decoder(p->codec_id);
    if (!dec)
    {
        LogError(AV_LOG_ERROR, Format("Unsupported codec (id=%d) for input file stream #%d", int(p->codec_id), index));
        return nullptr;
    }
    AVCodecContext* c = ff::avcodec_alloc_context3(dec);
    int ret = c ? ff::avcodec_parameters_to_context(c, p) : AVERROR(ENOMEM);
    if (ret >= 0)
    {
        c->pkt_timebase = st->time_base;
        TCodecLockGuard lock;
        ret = ff::avcodec_open2(c, dec, nullptr);
    }
    if (ret < 0)
    {
        if (c)
        {
            TCodecLockGuard lock;
            ff::avcodec_free_context(&c);
        }
        LogError(AV_LOG_ERROR, Format("Error while opening codec for input file stream #%d", index));
        return nullptr;
    }
    FCodec = c;
    FCodecStream = index;
    FDraining = false;
    return FCodec;
}

bool TAVProbe::Decode(int AStreamIndex)
{
    const int index = SelectDecodeStream(AStreamIndex);
    if (index < 0) return false;
    if (FPicture.Ready && IsImage2(FFileHandle)) return true;
    if (FEOF)
    {
        LogError(AV_LOG_INFO, "stream eof reached.");
        return false;
    }
    AVCodecContext* c = OpenDecoder(index);
    if (!c) return false;
    if (!FPacket) FPacket = ff::av_packet_alloc();
    if (!FFrame) FFrame = ff::av_frame_alloc();
    if (!FPacket || !FFrame)
    {
        LogError(AV_LOG_ERROR, FormatAVError(FileName(), AVERROR(ENOMEM)));
        return false;
    }
    const std::int64_t start = ReaderPosition();
    for (;;)
    {
        const int got = ff::avcodec_receive_frame(c, FFrame);
        if (got >= 0)
        {
            GetFFLogger()->Log(this, llDebug, "pkt.st_idx=%d, dts=%lld, pts=%lld, flags=%d, pict_type=%d", index,
                               static_cast<long long>(FFrame->pkt_dts), static_cast<long long>(FFrame->pts),
                               FFrame->key_frame, int(FFrame->pict_type));
            const int stored = StoreFrame(FFrame, start);
            ff::av_frame_unref(FFrame);
            if (stored > 0) return true;
            if (stored < 0)
            {
                LogError(AV_LOG_ERROR, FormatAVError(FileName(), stored));
                return false;
            }
            continue;
        }
        if (got == AVERROR_EOF || FDraining)
        {
            // Every frame the decoder held has come out.
            FEOF = true;
            LogError(AV_LOG_INFO, "stream eof reached.");
            return false;
        }
        // AVERROR(EAGAIN) or a broken frame: read on.
        int rd = ff::av_read_frame(FFileHandle, FPacket);
        // The file is opened non-blocking: data that is not there yet is
        // waited for a little, never forever.
        for (int tries = 0; rd == AVERROR(EAGAIN) && tries < 100; ++tries)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            rd = ff::av_read_frame(FFileHandle, FPacket);
        }
        if (rd < 0)
        {
            // The end of the file (or a read error): drain what the decoder holds.
            FDraining = true;
            ff::avcodec_send_packet(c, nullptr);
            continue;
        }
        if (FPacket->stream_index == index) ff::avcodec_send_packet(c, FPacket);
        ff::av_packet_unref(FPacket);
    }
}

int TAVProbe::StoreFrame(const AVFrame* frame, std::int64_t startPos)
{
    const AVPixelFormat fmt = AVPixelFormat(frame->format);
    const int size = ff::av_image_get_buffer_size(fmt, frame->width, frame->height, 1);
    if (size <= 0) return 0;
    if (FPicture.Size < size)
    {
        // The held picture lives in the buffer that is given back here.
        ff::av_free(FPicture.Buffer);
        FPicture.Picture = TAVPicture();
        FPicture.Ready = false;
        FPicture.Buffer = static_cast<std::uint8_t*>(ff::av_malloc(std::size_t(size)));
        FPicture.Size = FPicture.Buffer ? size : 0;
        if (!FPicture.Buffer) return AVERROR(ENOMEM);
    }
    FPicture.PixFmt = fmt;
    FPicture.Width = frame->width;
    FPicture.Height = frame->height;
    FPicture.IsKeyFrame = frame->key_frame == 1;
    FPicture.PictureType = frame->pict_type >= 0 && frame->pict_type <= 7 ? TPictureType(frame->pict_type) : ptUnknown;

    const AVStream* st = FFileHandle->streams[FDecodeIndex];
    std::int64_t t = frame->best_effort_timestamp;
    if (t == AV_NOPTS_VALUE) t = frame->pkt_dts;
    if (t == AV_NOPTS_VALUE) t = frame->pts;
    if (FPicture.PTS != AV_NOPTS_VALUE) FLastPTS = FPicture.PTS;
    if (t == AV_NOPTS_VALUE)
        FPicture.PTS = AV_NOPTS_VALUE;
    else
    {
        if (st->start_time != AV_NOPTS_VALUE) t -= st->start_time;
        FPicture.PTS = ff::av_rescale_q(t, st->time_base, AV_TIME_BASE_Q);
        ff::av_log(nullptr, AV_LOG_DEBUG, "decode PTS: %0.3f\n", double(FPicture.PTS) / 1000000);
    }
    FPicture.OriginalDTS = frame->pkt_dts;
    FPicture.OriginalPTS = frame->pts;
    FPicture.StreamIndex = FDecodeIndex;
    if (FPicture.Position != -1) FLastPos = FPicture.Position;
    FPicture.Position = startPos;
    FPicture.Picture = TAVPicture();
    ff::av_image_fill_arrays(FPicture.Picture.data, FPicture.Picture.linesize, FPicture.Buffer, fmt, frame->width,
                             frame->height, 1);
    ff::av_image_copy(FPicture.Picture.data, FPicture.Picture.linesize, const_cast<const std::uint8_t**>(frame->data),
                      frame->linesize, fmt, frame->width, frame->height);
    FPicture.Ready = true;
    return 1;
}

std::int64_t TAVProbe::StepOf(int index) const
{
    const AVStream* st = FFileHandle->streams[index];
    std::int64_t step = FrameDuration(st->r_frame_rate.num, st->r_frame_rate.den);
    const AVRational avg = st->avg_frame_rate;
    if (avg.num > 0 && avg.den > 0)
    {
        const std::int64_t spacing = FrameDuration(avg.num, avg.den);
        if (spacing > 0 && (step <= 0 || step > spacing)) step = spacing;
    }
    return std::max<std::int64_t>(step, 1000);
}

bool TAVProbe::DecodeNextKeyFrame(int AStreamIndex)
{
    const int index = SelectDecodeStream(AStreamIndex);
    if (index < 0) return false;
    const std::int64_t step = StepOf(index);
    const std::int64_t target = FPicture.PTS != AV_NOPTS_VALUE && FPicture.PTS > 0 ? FPicture.PTS + step : step;
    if (!Seek(target, 0)) return false;
    return Decode(index);
}

bool TAVProbe::DecodePreviousKeyFrame(int AStreamIndex)
{
    const int index = SelectDecodeStream(AStreamIndex);
    if (index < 0) return false;
    const std::int64_t step = StepOf(index);
    std::int64_t ref = FPicture.PTS;
    if (ref == AV_NOPTS_VALUE) ref = FLastPTS;
    if (ref == AV_NOPTS_VALUE) ref = FFileHandle->duration;
    if (ref == AV_NOPTS_VALUE) ref = 0;
    const std::int64_t refPos = FPicture.Position >= 0 ? FPicture.Position : FLastPos;

    // Back by one step a round; after the first rounds the distance doubles,
    // so a file whose frames never come before the reference (damaged time
    // stamps) ends the search within a bounded number of rounds.
    constexpr int LinearRounds = 16, MaxRounds = 64;
    std::int64_t back = 0;
    for (int n = 1;; ++n)
    {
        if (n > MaxRounds)
        {
            FLastErrMsg = Format("Could not seek to the previous key-frame. no earlier frame found in %d tries.", MaxRounds);
            return false;
        }
        back = n <= LinearRounds ? n * step : std::min<std::int64_t>(back * 2, INT64_MAX / 4);
        const bool fromStart = ref - back <= 0;  // this round reads from the start of the file
        Seek(ref - back, SeekFlag(sfBackward));
        if (FFileHandle->pb && ReaderPosition() >= refPos && refPos > 0 && back <= ref) continue;
        if (Decode(index))
        {
            if (FPicture.PTS < ref || FPicture.PTS <= 0) return true;
            if (!fromStart) continue;
            // Even the start of the file gives nothing earlier.
            FLastErrMsg = "Could not seek to the previous key-frame. no frame before the current one.";
            return false;
        }
        if (back <= ref) continue;
        FLastErrMsg = "Could not seek to the previous key-frame. " + FLastErrMsg;
        return false;
    }
}

bool TAVProbe::DecodePreviousFrame(int AStreamIndex)
{
    const int index = SelectDecodeStream(AStreamIndex);
    if (index < 0) return false;
    const std::int64_t step = StepOf(index);
    std::int64_t cur = FPicture.PTS;
    if (cur == AV_NOPTS_VALUE) cur = FLastPTS;
    if (cur == AV_NOPTS_VALUE) cur = 0;
    const std::int64_t target = cur - 2 * step;
    if (!DecodePreviousKeyFrame(index)) return false;
    while (FPicture.PTS == AV_NOPTS_VALUE || FPicture.PTS <= target)
        if (!Decode(index)) return false;
    return true;
}

bool TAVProbe::CopyToBitmap(TBGRBitmap& ABitmap)
{
    if (!FPicture.Ready)
    {
        LogError(AV_LOG_ERROR, "picture not ready, please decode first");
        return false;
    }
    if (PictureToBitmap(FRGBContext, FPicture.Picture, AVPixelFormat(FPicture.PixFmt), FPicture.Width, FPicture.Height))
    {
        ABitmap = *FRGBContext.Bitmap;
        return true;
    }
    ABitmap.SetSize(FPicture.Width, FPicture.Height);
    ff::av_log(nullptr, AV_LOG_ERROR, "convert picture to bitmap failed\n");
    return false;
}

bool TAVProbe::CopyToBitmap(TBitmap& ABitmap)
{
    TBGRBitmap bmp;
    const bool ok = CopyToBitmap(bmp);
    if (ok || FPicture.Ready) BGRBitmapToBitmap(bmp, ABitmap);
    return ok;
}
