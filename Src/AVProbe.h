// The media probe: opens one media file, tells what it holds (container,
// size, duration, metadata, programs, streams) and, in TAVProbe, seeks and
// decodes single video frames.
#pragma once
#include <cstdint>
#include <string>

#include "Src/FFBaseComponent.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLoader.h"

struct TFileStreamInfo
{
    std::int64_t StartTime = -1;  // microseconds
    std::int64_t Duration = -1;   // microseconds
    int BitRate = -1;
    std::int64_t TimeStamp = -1;  // seconds since 1970-01-01 UTC
    int Year = -1;
    int Track = -1;
    std::string Title, Author, Copyright, Comment, Album, Genre;
};

struct TAudioStreamInfo
{
    std::string Language, CodecName;
    std::int64_t StartTime = -1, StartTimeScaled = -1;  // stream time base / microseconds
    std::int64_t Duration = -1, DurationScaled = -1;
    int BitRate = -1, Channels = -1, SampleRate = -1;
    int SampleFormat = -1;  // AVSampleFormat
};

struct TVideoStreamInfo
{
    std::string Language, CodecName;
    std::int64_t StartTime = -1, StartTimeScaled = -1;
    std::int64_t Duration = -1, DurationScaled = -1;
    int BitRate = -1, Height = -1, Width = -1;
    float AspectRatio = -1.0f;  // display aspect ratio
    int PixFmt = -1;            // AVPixelFormat
    AVRational FrameRate{-1, -1};
};

struct TSubtitleStreamInfo
{
    std::string Language, CodecName;
};

// The ID3v2 frame id's name ("TIT2" gives "title"); other keys unchanged.
std::string FrameIdToName(const std::string& key);

class TCustomAVProbe : public TFFBaseComponent
{
public:
    explicit TCustomAVProbe(TComponent* AOwner = nullptr);
    ~TCustomAVProbe() override;
    TCustomAVProbe(const TCustomAVProbe&) = delete;
    TCustomAVProbe& operator=(const TCustomAVProbe&) = delete;

    // Opens and probes a file (UTF-8 name); AFormatName forces the input format.
    // Raises Exception when the libraries are not loaded.
    bool LoadFile(const std::string& AFileName, const std::string& AFormatName = "");
    virtual void CloseFile();

    bool AVLibLoaded() const;
    bool LoadAVLib(const std::string& APath);
    void UnloadAVLib();

    bool IsAudioStream(int AStreamIndex);
    bool IsVideoStream(int AStreamIndex);
    bool IsSubtitleStream(int AStreamIndex);

    AVFormatContext* FileHandle() const { return FFileHandle; }
    // Shows a format context someone else opened; the probe never closes it.
    virtual void SetFileHandle(AVFormatContext* AHandle);

    std::string FileName();
    std::string FormatName();
    std::string FormatLongName();
    std::int64_t FileSize() const { return FFileSize; }
    std::string ForceFormat() const { return FForceFormat; }
    int StreamCount() const { return FStreamCount; }
    int ProgramCount() const { return FProgramCount; }
    int AudioStreamCount() const { return FAudioStreamCount; }
    int VideoStreamCount() const { return FVideoStreamCount; }
    int SubtitleStreamCount() const { return FSubtitleStreamCount; }
    int FirstAudioStreamIndex() const { return FFirstAudioStreamIndex; }
    int FirstVideoStreamIndex() const { return FFirstVideoStreamIndex; }
    int FirstSubtitleStreamIndex() const { return FFirstSubtitleStreamIndex; }

    TFileStreamInfo FileStreamInfo();
    std::string FileInfoText();
    TAudioStreamInfo GetAudioStreamInfo(int AStreamIndex);
    TVideoStreamInfo GetVideoStreamInfo(int AStreamIndex);
    TSubtitleStreamInfo GetSubtitleStreamInfo(int AStreamIndex);
    TAudioStreamInfo FirstAudioStreamInfo() { return GetAudioStreamInfo(-1); }
    TVideoStreamInfo FirstVideoStreamInfo() { return GetVideoStreamInfo(-1); }
    TSubtitleStreamInfo FirstSubtitleStreamInfo() { return GetSubtitleStreamInfo(-1); }

    std::string LastErrMsg() const { return FLastErrMsg; }

protected:
    virtual void UpdateFileInfo();
    void CheckLibraries();
    // Logs `msg` at an FFmpeg level with the probe as sender and keeps it as LastErrMsg.
    void LogError(int avLevel, const std::string& msg);
    bool OwnHandle() const { return FOwnHandle; }

    AVFormatContext* FFileHandle = nullptr;
    bool FOwnHandle = false;
    std::string FLastErrMsg;
    std::string FForceFormat;
    std::int64_t FFileSize = -1;
    int FStreamCount = -1, FProgramCount = -1;
    int FAudioStreamCount = -1, FVideoStreamCount = -1, FSubtitleStreamCount = -1;
    int FFirstAudioStreamIndex = -1, FFirstVideoStreamIndex = -1, FFirstSubtitleStreamIndex = -1;

private:
    void DumpMetadata(std::string& out, const AVDictionary* m, const std::string& indent);
    void StreamInfoLine(std::string& out, int index);
    AVStream* CheckedStream(int index, AVMediaType type, const char* typeName);
};

enum TPictureType : std::uint8_t
{
    ptUnknown,
    ptI,
    ptP,
    ptB,
    ptS,
    ptSI,
    ptSP,
    ptBI,
};

struct TFrameInfo
{
    int PixFmt = -1;
    int Width = -1, Height = -1;
    bool IsKeyFrame = false;
    TPictureType PictureType = ptUnknown;
    std::int64_t PTS = AV_NOPTS_VALUE;  // microseconds from the stream's start
    std::int64_t OriginalDTS = AV_NOPTS_VALUE, OriginalPTS = AV_NOPTS_VALUE;  // stream time base
    int StreamIndex = -1;
    std::int64_t Position = -1;  // file position the reading started from
    bool Ready = false;
    TAVPicture Picture;                // planes over Buffer
    std::uint8_t* Buffer = nullptr;  // from av_malloc
    int Size = 0;
};

class TAVProbe : public TCustomAVProbe
{
public:
    explicit TAVProbe(TComponent* AOwner = nullptr);
    ~TAVProbe() override;

    void CloseFile() override;

    // Moves the reading position: APTS in microseconds (bytes with sfByte).
    bool Seek(std::int64_t APTS, TSeekFlags ASeekFlags = 0);
    // Decodes the next frame of a video stream (-1: as before / the first one).
    bool Decode(int AStreamIndex = -1);
    bool DecodeNextKeyFrame(int AStreamIndex = -1);
    bool DecodePreviousKeyFrame(int AStreamIndex = -1);
    bool DecodePreviousFrame(int AStreamIndex = -1);
    // The current picture as a 24-bit bitmap.
    bool CopyToBitmap(TBGRBitmap& ABitmap);
    // The same into a class-library bitmap (24 bits; black when the conversion fails).
    bool CopyToBitmap(TBitmap& ABitmap);

    bool IsEOF() const { return FEOF; }
    const TFrameInfo& FrameInfo() const { return FPicture; }
    std::int64_t Position();

protected:
    void UpdateFileInfo() override;

private:
    void ResetFrameInfo();
    bool CheckOwnFile();
    bool CanSeek();
    int SelectDecodeStream(int index);
    AVCodecContext* OpenDecoder(int index);
    void CloseDecoder();
    // 1 when the frame is held, 0 when it cannot be (skipped), negative when out of memory.
    int StoreFrame(const AVFrame* frame, std::int64_t startPos);
    // The step of the frame searches, microseconds: one frame of the stream's
    // real rate, never above the stream's average frame spacing when that is
    // known and never below one millisecond (damaged files give absurd rates).
    std::int64_t StepOf(int index) const;
    std::int64_t ReaderPosition() const;

    AVCodecContext* FCodec = nullptr;
    int FCodecStream = -1;
    TRGBConvertContext FRGBContext;
    int FSeekIndex = -1;
    std::int64_t FStartTime = -1;
    int FDecodeIndex = -1;
    bool FEOF = false;
    bool FDraining = false;  // the end of the file was handed to the decoder
    TFrameInfo FPicture;
    std::int64_t FLastPTS = AV_NOPTS_VALUE;
    std::int64_t FLastPos = -1;
    AVPacket* FPacket = nullptr;
    AVFrame* FFrame = nullptr;
};
