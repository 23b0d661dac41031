// The option records of a conversion task: one per input and one per output,
// their initial values, and their text forms ("key=value" lines).
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// "Not set" for the two times of the records (the smallest 64-bit integer).
constexpr std::int64_t OPTION_NO_TIME = INT64_MIN;

struct TInputOptions
{
    std::string FileName;    // an empty one is filled with the file name of the call
    std::string FileFormat;  // forced input format (key "f")
    std::int64_t TimeStart = OPTION_NO_TIME;  // microseconds
    int ProgramID = -1;      // negative = not set
    std::string ExtOptions;  // extra option text
    int Tag = 0;
    void* Data = nullptr;
};
using PInputOptions = TInputOptions*;

// Metadata of an output. TimeStamp: days since 1899-12-30 in local time;
// 0 = now, > 0 = that moment, < 0 = none.
struct TStreamInfo
{
    double TimeStamp = -1.0;
    int Year = -1;
    int Track = -1;
    std::string Title, Author, Copyright, Comment, Album, Genre;
};

enum TOptionTargetType : std::int32_t { ttIgnore, ttVCD, ttSVCD, ttDVD };
enum TOptionNormType : std::int32_t { ntAuto, ntPAL, ntNTSC };
using TOptionNormDefault = TOptionNormType;  // ntPAL or ntNTSC

struct TOutputOptions
{
    std::string FileName;
    std::string FileExt;
    std::string FileFormat;
    int PacketSize = -1;
    int MuxRate = -1;
    float MuxDelay = -1.0f;
    float MuxPreload = -1.0f;
    std::string AudioCodec;
    std::string AudioPreset;
    bool DisableAudio = false;
    int AudioVolume = -1;
    int AudioChannels = -1;
    int AudioSampleRate = -1;
    int AudioBitrate = -1;
    int AudioBitRateTolerance = -1;
    std::string AudioLanguage;
    int AudioSyncMethod = 0;
    std::string AudioTag;
    std::string VideoCodec;
    std::string VideoPreset;
    bool DisableVideo = false;
    std::string FrameRate;
    std::string FrameSize;
    std::string FrameAspectRatio;
    int CropTop = -1, CropBottom = -1, CropLeft = -1, CropRight = -1;
    int GroupPictureSize = -1;
    int VideoBitrate = -1;
    int VideoMaxRate = -1;
    int VideoMinRate = -1;
    int VideoBitRateTolerance = -1;
    int VideoBufSize = -1;
    int VideoSyncMethod = -1;
    std::string VideoTag;
    std::string VideoFilters;
    std::string VideoLanguage;
    std::string SubtitleCodec;
    std::string SubtitlePreset;
    bool DisableSubtitle = false;
    std::string SubtitleLanguage;
    bool InputSync = false;
    bool CopyTimestamp = false;
    std::int64_t TimeStart = OPTION_NO_TIME;
    std::int64_t TimeLength = OPTION_NO_TIME;
    TStreamInfo Info;
    TOptionTargetType TargetType = ttIgnore;
    TOptionNormType NormType = ntAuto;
    TOptionNormDefault NormDefault = ntPAL;
    bool CustomHook = false;
    bool Join = false;
    std::string ExtOptions;
    int Tag = 0;
    void* Data = nullptr;
};
using POutputOptions = TOutputOptions*;

// Every field back to its initial value.
void InitInputOptions(TInputOptions& AOptions);
void InitOutputOptions(TOutputOptions& AOptions);

// One "key=value" line of an option text.
using TOptionLine = std::pair<std::string, std::string>;
// Splits an option text into its lines: the whole text trimmed of blanks and
// control characters at both ends; CR, LF, CR LF and the literal "<CRLF>"
// separate lines; each line splits at its first "=" (no "=": empty value).
// Lines and their parts are not trimmed.
std::vector<TOptionLine> SplitOptionText(const std::string& AText);

// The text forms: "TimeStart" (and for outputs "TimeLength", "Hook",
// "CustomHook", "Join"; letter case ignored) set their fields, every other
// line goes into ExtOptions as written.
TInputOptions InputOptionsFromText(const std::string& AText);
TOutputOptions OutputOptionsFromText(const std::string& AText);

// Days to add to UTC for local standard time (daylight saving not applied).
double LocalTimeBiasDays();
// UTC seconds since 1970 of a local date-time (days since 1899-12-30).
std::int64_t LocalDateTimeToUnixTime(double ADateTime);
// The current local date-time as days since 1899-12-30.
double NowLocalDateTime();
