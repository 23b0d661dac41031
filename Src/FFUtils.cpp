#include "Src/FFUtils.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Src/FFmpegLogger.h"
#include "platform/core/Utf8.h"
#include "platform/gui/Graphics.h"
#include "platform/sys/Files.h"

std::string DurationToText(std::int64_t t)
{
    if (t == AV_NOPTS_VALUE) return "N/A";
    const std::int64_t secs = t / 1000000;
    const std::int64_t hours = secs / 60 / 60;
    const std::int64_t minutes = (secs / 60) % 60;
    const std::int64_t seconds = secs % 60;
    const std::int64_t millis = (t % 1000000) * 1000 / 1000000;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.2lld:%.2lld:%.2lld.%.3lld", static_cast<long long>(hours),
                  static_cast<long long>(minutes), static_cast<long long>(seconds),
                  static_cast<long long>(millis));
    return buf;
}

std::int64_t FrameDuration(int num, int den)
{
    if (num == 0 || den == 0) return 40000;
    return std::int64_t(1000000) * den / num;
}

std::string FormatAVError(const std::string& name, int code)
{
    const char* text = nullptr;
    switch (code)
    {
    case AVERROR_PATCHWELCOME: text = "Not yet implemented in FFmpeg"; break;
    case -10043:
    case AVERROR_PROTOCOL_NOT_FOUND: text = "Unsupported network protocol"; break;
    case -42:
    case AVERROR(EILSEQ):
    case AVERROR_DEMUXER_NOT_FOUND: text = "Unknown format"; break;
    case AVERROR(EDOM): text = "Number syntax expected in filename"; break;
    case -32:
    case AVERROR_EOF: text = "End of file"; break;
    case AVERROR(EINVAL):
    case AVERROR_INVALIDDATA: text = "Invalid data found when processing input"; break;
    case AVERROR(ENOMEM): text = "Not enough memory"; break;
    case AVERROR(EIO): text = "I/O error"; break;
    case AVERROR(ENOENT): text = "No such file or directory"; break;
    case AVERROR(EACCES): text = "Permission denied"; break;
    case AVERROR(EISDIR): text = "Is a directory"; break;
    default: break;
    }
    if (text) return name + ": " + text;
    return name + ": Error number " + std::to_string(code) + " occurred";
}

// ---- option store -------------------------------------------------------------------

void ClearFFOptions(TFFOptions& o)
{
    o.opt_names.clear();
    o.opt_name_count = 0;
    for (auto& c : o.avcodec_opts) c = nullptr;
    o.avformat_opts = nullptr;
    o.sws_opts = nullptr;
    o.values.clear();
}

void InitFFOptions(TFFOptions& o, int swsFlags)
{
    for (int t = 0; t < 5; ++t)
    {
        o.avcodec_opts[t] = ff::avcodec_alloc_context3(nullptr);
        if (o.avcodec_opts[t]) o.avcodec_opts[t]->codec_type = AVMediaType(t);
    }
    o.avformat_opts = ff::avformat_alloc_context();
    o.sws_opts = ff::sws_getContext(16, 16, AVPixelFormat(0), 16, 16, AVPixelFormat(0), swsFlags, nullptr,
                                    nullptr, nullptr);
}

void FreeFFOptions(TFFOptions& o)
{
    for (auto& c : o.avcodec_opts)
        if (c) ff::avcodec_free_context(&c);
    if (o.avformat_opts) ff::avformat_free_context(o.avformat_opts);
    o.avformat_opts = nullptr;
    if (o.sws_opts) ff::sws_freeContext(o.sws_opts);
    o.sws_opts = nullptr;
    o.opt_names.clear();
    o.opt_name_count = 0;
    o.values.clear();
}

namespace
{
// Finds `name` on obj (an object with an AVClass) and sets it; nullptr when absent.
const AVOption* FindAndSet(void* obj, const char* name, const char* value, int optFlags, int& ret)
{
    if (!obj) return nullptr;
    const AVOption* o = ff::av_opt_find(obj, name, nullptr, optFlags, 0);
    if (o) ret = ff::av_opt_set(obj, name, value, 0);
    return o;
}
}

bool SetFFOption(TFFOptions& o, const std::string& name, const std::string& value)
{
    if (Trim(name).empty() || Trim(value).empty()) return false;
    static const int kTypeFlags[5] = {AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM, 0,
                                      AV_OPT_FLAG_SUBTITLE_PARAM, 0};
    const char* n = name.c_str();
    const char* v = value.c_str();
    const AVOption* found = nullptr;
    int ret = 0;
    for (int t = 0; t < 5 && ret >= 0; ++t)
    {
        if (!o.avcodec_opts[0] || !o.avcodec_opts[t]) continue;
        const AVOption* opt = ff::av_opt_find(o.avcodec_opts[0], n, nullptr, kTypeFlags[t], 0);
        if (opt)
        {
            found = opt;
            ret = ff::av_opt_set(o.avcodec_opts[t], n, v, 0);
        }
    }
    if (!found) found = FindAndSet(o.avformat_opts, n, v, 0, ret);
    if (!found) found = FindAndSet(o.sws_opts, n, v, 0, ret);
    if (!found && name.size() > 1 && (name[0] == 'a' || name[0] == 'v' || name[0] == 's'))
    {
        AVCodecContext* ctx = o.avcodec_opts[name[0] == 'a' ? 1 : name[0] == 'v' ? 0 : 3];
        found = FindAndSet(ctx, n + 1, v, 0, ret);
    }
    if (found && ret < 0)
    {
        ff::av_log(nullptr, AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", v, n);
        return false;
    }
    if (!found) return false;
    o.opt_names.emplace_back(found->name);
    o.opt_name_count = int(o.opt_names.size());
    o.values.push_back(value);
    if ((o.avcodec_opts[0] && o.avcodec_opts[0]->debug) || (o.avformat_opts && o.avformat_opts->debug))
        GetFFLogger()->SetLogLevel(llDebug);
    return true;
}

void ApplyFFOptions(const TFFOptions& o, void* target, void* source, int flags)
{
    if (!target || !source) return;
    for (const std::string& name : o.opt_names)
    {
        std::uint8_t* val = nullptr;
        if (ff::av_opt_get(source, name.c_str(), 0, &val) >= 0 && val)
        {
            const AVOption* opt = ff::av_opt_find(source, name.c_str(), nullptr, 0, 0);
            if (opt && (opt->flags & flags) == flags)
                ff::av_opt_set(target, name.c_str(), reinterpret_cast<const char*>(val), 0);
        }
        ff::av_free(val);
    }
}

int ReadFileToBuffer(const std::string& fileName, std::uint8_t** buffer, int* size)
{
    *buffer = nullptr;
    *size = 0;
    // A FIFO or device would block the read or never end.
    if (sys::IsSpecialFile(fileName)) return -1;
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) return -1;
    long len = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) len = std::ftell(f);
    if (len < 0 || len > 0x7FFFFFF0L || std::fseek(f, 0, SEEK_SET) != 0)
    {
        std::fclose(f);
        return -1;
    }
    auto* buf = static_cast<std::uint8_t*>(ff::av_malloc(std::size_t(len) + 1));
    if (!buf)
    {
        std::fclose(f);
        return AVERROR(ENOMEM);
    }
    const std::size_t got = std::fread(buf, 1, std::size_t(len), f);
    buf[got] = 0;
    *buffer = buf;
    *size = int(got) + 1;
    std::fclose(f);
    return 0;
}

// ---- picture to bitmap ------------------------------------------------------------------

void TBGRBitmap::SetSize(int w, int h)
{
    Width = w < 0 ? 0 : w;
    Height = h < 0 ? 0 : h;
    Bits.assign(std::size_t(RowSize()) * std::size_t(Height), 0);
}

void CopyBGRBitmapRows(const TBGRBitmap& bmp, const std::function<std::uint8_t*(int row)>& scanLine)
{
    for (int r = 0; r < bmp.Height; ++r)
        if (std::uint8_t* dst = scanLine(r)) std::memcpy(dst, bmp.ScanLine(r), std::size_t(bmp.Width) * 3);
}

void BGRBitmapToBitmap(const TBGRBitmap& src, TBitmap& dst)
{
    dst.SetPixelFormat(pf24bit);
    dst.SetSize(src.Width, src.Height);
    CopyBGRBitmapRows(src, [&](int r) { return static_cast<std::uint8_t*>(dst.ScanLine(r)); });
}

TRGBConvertContext::~TRGBConvertContext()
{
    // Without the libraries the buffers cannot be given back; that only
    // happens when the libraries were unloaded under a live context.
    if (ff::av_free && ff::sws_freeContext) ResetRGBConvertContext(*this);
}

void ResetRGBConvertContext(TRGBConvertContext& c)
{
    c.Bitmap.reset();
    if (c.RGBBuf) ff::av_free(c.RGBBuf);
    c.RGBBuf = nullptr;
    if (c.toRGB_convert_ctx) ff::sws_freeContext(c.toRGB_convert_ctx);
    if (c.fromRGB_convert_ctx) ff::sws_freeContext(c.fromRGB_convert_ctx);
    c.toRGB_convert_ctx = nullptr;
    c.fromRGB_convert_ctx = nullptr;
    c.RGBPixFmt = AV_PIX_FMT_BGR24;
    c.BMPBitCount = 24;
    c.RGBBufSize = 0;
    c.RGBPicture = TAVPicture();
    c.RGBPictureRef = TAVPicture();
}

bool PictureToBitmap(TRGBConvertContext& c, const TAVPicture& picture, AVPixelFormat pixFmt, int width,
                     int height)
{
    if (width <= 0 || height <= 0 || !picture.data[0]) return false;
    if (!c.Bitmap) c.Bitmap = std::make_unique<TBGRBitmap>();
    if (c.Bitmap->Width != width || c.Bitmap->Height != height) c.Bitmap->SetSize(width, height);

    const int rowSize = c.Bitmap->RowSize();
    const bool convert = pixFmt != c.RGBPixFmt || (width & 1) || (height & 1) || picture.linesize[0] != rowSize;
    if (!convert)
        c.RGBPictureRef = picture;
    else
    {
        // converted straight into the bitmap's rows, which the context's
        // picture then describes
        c.RGBPicture = TAVPicture();
        c.RGBPicture.data[0] = c.Bitmap->ScanLine(0);
        c.RGBPicture.linesize[0] = rowSize;
        c.toRGB_convert_ctx = ff::sws_getCachedContext(c.toRGB_convert_ctx, width, height, pixFmt, width, height,
                                                       c.RGBPixFmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!c.toRGB_convert_ctx) return false;
        ff::sws_scale(c.toRGB_convert_ctx, picture.data, picture.linesize, 0, height, c.RGBPicture.data,
                      c.RGBPicture.linesize);
        c.RGBPictureRef = c.RGBPicture;
        return true;
    }
    const std::size_t rowBytes = std::size_t(std::min(c.RGBPictureRef.linesize[0], rowSize));
    for (int r = 0; r < height; ++r)
        std::memcpy(c.Bitmap->ScanLine(r), c.RGBPictureRef.data[0] + std::size_t(r) * std::size_t(c.RGBPictureRef.linesize[0]),
                    rowBytes);
    return true;
}

bool PictureToBitmap(TRGBConvertContext& c, const AVFrame* frame)
{
    if (!frame) return false;
    TAVPicture p;
    for (int i = 0; i < 4; ++i)
    {
        p.data[i] = frame->data[i];
        p.linesize[i] = frame->linesize[i];
    }
    return PictureToBitmap(c, p, AVPixelFormat(frame->format), frame->width, frame->height);
}

// ---- texts --------------------------------------------------------------------------------

std::string GetMetadataText(const AVDictionary* metadata, const char* key, const std::string& def)
{
    if (!metadata || !key) return def;
    const AVDictionaryEntry* e = ff::av_dict_get(metadata, key, nullptr, 0);
    return e && e->value ? std::string(e->value) : def;
}

std::string CodecDescription(AVCodecID id, std::uint32_t tag, bool encoder)
{
    const AVCodec* codec = encoder ? ff::avcodec_find_encoder(id) : ff::avcodec_find_decoder(id);
    if (codec)
    {
        const std::string longName = codec->long_name ? Trim(codec->long_name) : std::string();
        if (longName.empty()) return codec->name;
        return std::string(codec->name) + "(" + longName + ")";
    }
    if (id == AV_CODEC_ID_MPEG2TS) return "mpeg2ts";
    // The codec id's own name, when the libraries know the id but have no codec for it.
    if (id != AV_CODEC_ID_NONE)
        if (const AVCodecDescriptor* d = ff::avcodec_descriptor_get(id))
            if (d->name && *d->name) return Trim(d->name);
    char buf[64];
    const unsigned char b[4] = {static_cast<unsigned char>(tag & 0xFF), static_cast<unsigned char>((tag >> 8) & 0xFF),
                                static_cast<unsigned char>((tag >> 16) & 0xFF),
                                static_cast<unsigned char>((tag >> 24) & 0xFF)};
    bool printable = true;
    for (unsigned char ch : b) printable &= ch >= 32 && ch <= 126;
    if (printable)
        std::snprintf(buf, sizeof buf, "%c%c%c%c / 0x%04X", b[0], b[1], b[2], b[3], tag);
    else
        std::snprintf(buf, sizeof buf, "0x%04x", tag);
    return buf;
}

std::string CodecDescription(const AVCodecContext* ctx, bool encoder)
{
    if (!ctx) return "";
    return CodecDescription(ctx->codec_id, ctx->codec_tag, encoder);
}

std::string MediaTypeName(int t)
{
    switch (t)
    {
    case 0: return "Video";
    case 1: return "Audio";
    case 2: return "Data";
    case 3: return "Subtitle";
    case 4: return "Attachment";
    default: return "Unknown";
    }
}
