// FFmpeg helpers of the media library: time and error texts, the option store
// behind the engine's generic options, whole-file reading, decoded picture to
// 24-bit bitmap, metadata and codec texts, media type names.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Src/FFmpegLoader.h"
#include "platform/core/PictureMemory.h"

class TBitmap;

// "hh:mm:ss.zzz" (hours not wrapped at 24); "N/A" for AV_NOPTS_VALUE.
std::string DurationToText(std::int64_t us);
// Microseconds of one frame at num/den frames per second; 40000 when either is 0.
std::int64_t FrameDuration(int num, int den);
// name + ": " + the error's text.
std::string FormatAVError(const std::string& name, int code);

// The store of generic codec, format and scaler options of one engine.
struct TFFOptions
{
    std::vector<std::string> opt_names;  // options set so far, in order, duplicates kept
    int opt_name_count = 0;
    AVCodecContext* avcodec_opts[5] = {};  // by media type: video, audio, data, subtitle, attachment
    AVFormatContext* avformat_opts = nullptr;
    SwsContext* sws_opts = nullptr;
    // Values given to SetFFOption, kept for as long as the store lives.
    std::vector<std::string> values;
};

void ClearFFOptions(TFFOptions& o);
void InitFFOptions(TFFOptions& o, int swsFlags);
void FreeFFOptions(TFFOptions& o);
// Applies one option to whichever context knows it; false (and a log line for
// an invalid value) otherwise.
bool SetFFOption(TFFOptions& o, const std::string& name, const std::string& value);
// Copies every recorded option from `source` to `target` (both objects with
// an AVClass) when the option carries all bits of `flags`.
void ApplyFFOptions(const TFFOptions& o, void* target, void* source, int flags);

// Reads a whole file into an av_malloc'ed buffer with a terminating zero;
// `size` counts the terminator. 0, -1 (cannot open) or AVERROR(ENOMEM).
int ReadFileToBuffer(const std::string& fileName, std::uint8_t** buffer, int* size);

// A 24-bit bitmap: rows top-down, bytes blue, green, red, each row padded to
// a multiple of 4 bytes. It stands in for the class library's bitmap until
// that exists; CopyBGRBitmapRows is the adapter that fills another one.
struct TBGRBitmap
{
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t, TPictureAllocator<std::uint8_t>> Bits;
    int RowSize() const { return ((Width * 24 + 31) / 32) * 4; }
    void SetSize(int w, int h);
    std::uint8_t* ScanLine(int row) { return Bits.data() + std::size_t(row) * std::size_t(RowSize()); }
    const std::uint8_t* ScanLine(int row) const
    {
        return Bits.data() + std::size_t(row) * std::size_t(RowSize());
    }
};
// Copies the bitmap's rows into any 24-bit row store: scanLine(row) gives the
// destination of each row (at least Width * 3 bytes).
void CopyBGRBitmapRows(const TBGRBitmap& bmp, const std::function<std::uint8_t*(int row)>& scanLine);
// Fills a class-library bitmap with the picture: 24 bits, same size and rows.
void BGRBitmapToBitmap(const TBGRBitmap& src, TBitmap& dst);

// Four plane pointers and line sizes.
struct TAVPicture
{
    std::uint8_t* data[4] = {};
    int linesize[4] = {};
};

// State of the picture-to-bitmap conversion. Reset before the first use.
struct TRGBConvertContext
{
    AVPixelFormat RGBPixFmt = AV_PIX_FMT_BGR24;
    int BMPBitCount = 24;
    std::unique_ptr<TBGRBitmap> Bitmap;
    std::uint8_t* RGBBuf = nullptr;
    int RGBBufSize = 0;
    TAVPicture RGBPicture;
    TAVPicture RGBPictureRef;  // the picture the last conversion copied from
    SwsContext* toRGB_convert_ctx = nullptr;
    SwsContext* fromRGB_convert_ctx = nullptr;

    TRGBConvertContext() = default;
    TRGBConvertContext(const TRGBConvertContext&) = delete;
    TRGBConvertContext& operator=(const TRGBConvertContext&) = delete;
    ~TRGBConvertContext();
};

// Frees the bitmap, the buffer and both scaler contexts and resets the fields.
void ResetRGBConvertContext(TRGBConvertContext& c);
// Converts one picture into the context's bitmap (created on first use).
bool PictureToBitmap(TRGBConvertContext& c, const TAVPicture& picture, AVPixelFormat pixFmt, int width,
                     int height);
bool PictureToBitmap(TRGBConvertContext& c, const AVFrame* frame);

// The value of the first entry with that key, or the default.
std::string GetMetadataText(const AVDictionary* metadata, const char* key, const std::string& def);
// "name(long name)" of the codec, or what is known of it.
std::string CodecDescription(AVCodecID id, std::uint32_t codecTag, bool encoder);
std::string CodecDescription(const AVCodecContext* ctx, bool encoder);
// "Video", "Audio", "Data", "Subtitle", "Attachment", else "Unknown".
std::string MediaTypeName(int mediaType);
