// The conversion engine: one conversion of one task (the ffmpeg tool's
// option state, its input and output lists and its transcoding run) held in
// one object, so that several conversions can live side by side.
//
// The implementation is in Src/FFmpeg/: Engine.cpp (the object, its threads
// and clean-up), Options.cpp (the option dispatcher), OptionHandlers.cpp,
// OptionStore.cpp, Presets.cpp (target and codec presets), InputsOutputs.cpp
// (input files, output files and streams), and the run: Transcode.cpp (the
// main loop and its steps), TranscodeSetup.cpp, PacketPath.cpp, AudioOut.cpp,
// VideoOut.cpp, Progress.cpp (progress reports and post hooks), with the
// run's records in Run.h and shared helpers in EngineUtil.h.
#pragma once
#include <array>
#include <cstdio>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Sync.h"
#include "platform/gui/Threads.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/rational.h>
}

class TCustomFFmpeg;
struct TFFOptions;
struct TRGBConvertContext;

// Every exception the engine raises itself.
class FFmpegException : public Exception
{
public:
    using Exception::Exception;
};

// What is done with every encoded picture: shown in the preview window,
// handed over as a bitmap (OnPreviewBitmap), or as a bitmap handle.
enum TPostHook : uint8_t { phPreview, phBitmap, phHBITMAP };
using TPostHooks = uint8_t;  // bit n stands for the hook of ordinal n
constexpr TPostHooks PostHookBit(TPostHook h) { return TPostHooks(1u << unsigned(h)); }
// Held around every change and every delivery of the engines' post hooks.
TCriticalSection& PostHookLock();

// A failed internal consistency check ("Assertion failure" and the tag checks).
class EAssertionFailed : public Exception
{
public:
    using Exception::Exception;
};

constexpr int MAX_STREAMS = 20;
constexpr int MAX_ENGINE_FILES = 512;

struct TAVStreamMap
{
    int file_index = 0;
    int stream_index = 0;
    int sync_file_index = 0;
    int sync_stream_index = 0;
};

struct TAVMetaDataMap
{
    int out_file = 0;
    int in_file = 0;
};

// A built-in codec preset: option lines "name=value" separated by line feeds.
struct TOptionsPreset
{
    const char* Name;
    const char* Value;
};

// The built-in presets (libx264-*), in the names and values the current
// encoder takes.
const std::vector<TOptionsPreset>& BuiltInPresets();
// The value of the built-in preset of that name (letter case ignored), or "".
std::string FindBuiltInPreset(const std::string& AName);

// A bit-stream filter asked for by "absf"/"vbsf"/"sbsf": the filter's name and
// the argument text after its "=".
struct TBitStreamFilterItem
{
    std::string Name;
    std::string Args;
};

// An engine option private to an encoder or a muxer of the current library
// generation (libx264's "coder", the MPEG muxers' "muxrate", ...). Kept apart
// from the generic store and handed to the encoder or muxer that knows it.
struct TPrivateOption
{
    char Kind;          // 'v', 'a', 's' (encoder of that kind), 'f' (muxer), '?' (not known yet)
    std::string Name;
    std::string Value;
};

// What the set-up decided for one output stream; the run works from it.
struct TOutputStreamSetup
{
    AVCodecContext* enc = nullptr;      // encoder parameters (owned)
    const AVCodec* codec = nullptr;     // encoder chosen (nullptr: by codec id, or copy)
    bool stream_copy = false;
    float quality = 0;                  // fixed quantizer in lambda units, 0 = none
    std::vector<TBitStreamFilterItem> bsfs;
    AVDictionary* enc_opts = nullptr;   // generic and private options for avcodec_open2 (owned)
    bool threads_named = false;         // a "threads" option of the store gave the encoder its count
};

// One output file: its FFmpeg context and the streams' set-up. Join mode puts
// the same record into the output list once per input.
struct TOutputFileRec
{
    AVFormatContext* ctx = nullptr;     // owned
    std::string file_name;              // the name as given
    std::vector<TOutputStreamSetup> streams;
    AVDictionary* mux_opts = nullptr;   // options for avformat_write_header (owned)
    bool opened = false;                // the file has been opened for writing
    bool header_written = false;        // a trailer is still to be written
    bool header_done = false;           // the header was written once
    bool packet_written = false;        // a media packet reached the muxer
    ~TOutputFileRec();
};
using POutputFileRec = std::shared_ptr<TOutputFileRec>;

// One input file: its FFmpeg context and per-stream decoder options.
struct TInputFileRec
{
    AVFormatContext* ctx = nullptr;     // owned
    std::string file_name;
    std::vector<AVDictionary*> dec_opts;  // per stream (owned)
    bool threads_named = false;           // a "threads" option of the store gave the decoders their count
    ~TInputFileRec();
};
using PInputFileRec = std::shared_ptr<TInputFileRec>;

struct TCodecItem
{
    void* st = nullptr;
    TCodecItem* Prev = nullptr;
    TCodecItem* Next = nullptr;
};
using PCodecItem = TCodecItem*;

using TCustomHookEvent = std::function<void(TObject* Sender, void* ABitmap, int AFrameNumber,
                                            int64_t APTS, bool& AUpdate, bool& AStopHook)>;
using TPreviewBitmapEvent = std::function<void(TObject* Sender, void* ABitmap, int AFrameNumber, int64_t APTS)>;
using TProgressEvent = std::function<void(TObject* Sender, int AFileIndex, int AFrameNumber, int AFPS,
                                          float AQuality, float ABitRate, int64_t ACurrentSize,
                                          int64_t ACurrentDuration, int64_t ATotalDuration)>;
using TEngineNotifyEvent = std::function<void(TObject* Sender)>;

struct TRunState;  // working records of one transcoding run
struct TAVInputStream;
struct TAVOutputStream;

class TCustomFFmpeg : public TObject
{
public:
    explicit TCustomFFmpeg(int AMaxFiles);
    ~TCustomFFmpeg() override;
    TCustomFFmpeg(const TCustomFFmpeg&) = delete;
    TCustomFFmpeg& operator=(const TCustomFFmpeg&) = delete;

    // Back to the state of a new engine.
    void Reset();

    // Starts the run: inside the call (AUseThread false, returns nullptr) or on
    // a new conversion thread that the caller starts (returned). Returns
    // nullptr without running when the engine already ran since its reset.
    TThread* StartConvert(bool AUseThread, TThreadPriority APriority = tpNormal);
    void Stop(bool AWaitFor);
    void StopOrTerminate(bool AWaitFor);
    // Pause closes a gate that the run checks once per packet; Resume opens it.
    void Pause();
    void Resume();
    bool Paused() const { return FPaused.load(); }
    // Keeps the first reason a set-up step of this task failed; a task that
    // is then refused for want of an output or input reports it instead.
    void NoteSetupFailure(const std::string& AMsg);

    // Options (key table of the dispatcher).
    void ParseOption(const std::string& AName, const std::string& AValue);
    bool OptDefault(const std::string& AName, const std::string& AValue);
    bool OptDefaultInt(const std::string& AName, int AValue);
    // OptDefault that also tries the private options of the named encoder.
    bool OptDefaultHinted(const std::string& AName, const std::string& AValue, const std::string& ACodecHint);
    void OptFormat(const std::string& AValue);
    void OptFrameSize(const std::string& AValue);
    void OptFrameRate(const std::string& AValue);
    void OptFrameAspectRatio(const std::string& AValue);
    void OptPixelFormat(const std::string& AValue);
    void OptVideoCodec(const std::string& AValue);
    void OptAudioCodec(const std::string& AValue);
    void OptSubtitleCodec(const std::string& AValue);
    void OptVideoFilters(const std::string& AValue);
    void OptTarget(const std::string& AValue);
    void OptPreset(const std::string& AKey, const std::string& AValue);
    void SetTarget(const std::string& ATarget, const std::string& ANorm, const std::string& ADefaultNorm);
    void AddMetadata(const std::string& AName, const std::string& AValue);

    // Typed setters used by the conversion component.
    void SetRecordingTime(int64_t AValue);
    void SetStartTime(int64_t AValue);
    void SetProgramID(int AValue);
    void SetAudioVolume(int AValue);
    void SetAudioSyncMethod(int AValue) { Faudio_sync_method = AValue; }
    void SetVideoSyncMethod(int AValue) { Fvideo_sync_method = AValue; }
    void SetMuxMaxDelay(float AValue) { if (AValue > 0) Fmux_max_delay = AValue; }
    void SetMuxPreload(float AValue) { if (AValue > 0) Fmux_preload = AValue; }
    // Changes the post-hook set under PostHookLock; taking phPreview away frees the window.
    void SetPostHooks(TPostHooks AValue);
    TPostHooks PostHooks() const { return FPostHooks; }

    // Input and output set-up.
    bool OpenInputFile(const std::string& AFileName);
    int OpenOutputFile(const std::string& AFileName, bool AJoin = false);
    void NewVideoStream(TOutputFileRec& AOutput);
    void NewAudioStream(TOutputFileRec& AOutput);
    void NewSubtitleStream(TOutputFileRec& AOutput);
    bool FindCodec(const std::string& AName, AVMediaType AType, bool AEncoder, int AStrict, AVCodecID& ACodecID);

    // Format choice for the output set-up.
    static void ChooseSampleFmt(AVCodecContext* AStream, const AVCodec* ACodec);
    void ChooseSampleRate(AVCodecContext* AStream, const AVCodec* ACodec);
    static void ChoosePixelFmt(AVCodecContext* AStream, const AVCodec* ACodec);

    // Codec lists (open codecs of a run, closed by the run method on failure).
    static void AddCodecItem(PCodecItem& AList, void* AStream);
    static void RemoveCodecItem(PCodecItem& AList, void* AStream);
    void FreeEncoderList(PCodecItem& AList);
    void FreeDecoderList(PCodecItem& AList);

    // Read access.
    int nb_input_files() const { return (int)Finput_files.size(); }
    int nb_output_files() const { return (int)Foutput_files.size(); }
    bool Finished() const { return FFinished; }
    bool FatalException() const { return FFatalException; }
    std::string FatalMessage() const { return FFatalMessage; }
    std::string LastErrMsg() const { return FLastErrMsg; }
    bool Converting() const { return FConverting; }
    bool Terminated() const { return FTerminated; }
    bool JoinMode() const { return FJoinMode; }
    int MaxFiles() const { return FMaxFiles; }
    int64_t TotalOutputDuration() const { return FTotalOutputDuration; }
    AVFormatContext* InputFile(int i) const { return Finput_files.at(i)->ctx; }
    AVFormatContext* OutputFile(int i) const { return Foutput_files.at(i)->ctx; }
    TOutputFileRec& OutputFileRec(int i) { return *Foutput_files.at(i); }
    const std::vector<TPrivateOption>& PrivateOptions() const { return FPrivateOptions; }
    TFFOptions* Options() const { return FOptions.get(); }

    // Events.
    TCustomHookEvent OnCustomHook;
    // Whether OnCustomHook will look at the picture at all; unset means it
    // will. Asked per frame before the picture is copied and converted.
    std::function<bool()> CustomHookWanted;
    TPreviewBitmapEvent OnPreviewBitmap;
    TProgressEvent OnProgress;
    TEngineNotifyEvent OnTerminate;

    int64_t ReportInterval = 500000;   // microseconds between progress reports
    int64_t PreviewInterval = 100000;  // microseconds between preview frames

    // ---- option state (the ffmpeg tool's settings, "F" in front) ----
    std::string Flast_asked_format;
    int Fpgmyuv_compatibility_hack = 0;
    int64_t Finput_ts_offset = 0;
    std::vector<std::array<double, MAX_STREAMS>> Finput_files_ts_scale;
    std::vector<int64_t> Finput_files_ts_offset;
    int Fopt_programid = 0;
    bool Floop_input = false;
    int64_t Fstart_time = 0;
    int64_t Frecording_time = INT64_MAX;
    int64_t Frecording_timestamp = 0;
    // Codec threads per stream: each decoder and encoder of a run gets this
    // many when the run starts (the conversion component sets its share of
    // the cores then), and so does each filter graph; a "threads" option in
    // the option store (a codec preset's, say) names a codec's count instead.
    int Fthread_count = 1;
    int Fverbose = 1;

    int Fframe_width = 0, Fframe_height = 0;
    float Fframe_aspect_ratio = 0;
    int Fframe_pix_fmt = -1;
    int Fframe_topBand = 0, Fframe_bottomBand = 0, Fframe_leftBand = 0, Fframe_rightBand = 0;
    int Fmax_frames[4] = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
    AVRational Fframe_rate = {0, 0};
    float Fvideo_qscale = 0;
    std::vector<uint16_t> Fintra_matrix, Finter_matrix;  // empty = none, else 64
    std::string Fvideo_rc_override_string;
    bool Fvideo_disable = false;
    int Fvideo_discard = 0;
    std::string Fvideo_codec_name;
    int Fvideo_stream_copy = 0;
    uint32_t Fvideo_codec_tag = 0;
    std::string Fvideo_language;
    bool Fsame_quality = false;
    bool Fdo_deinterlace = false;
    int Ftop_field_first = -1;
    int Fme_threshold = 0;
    int Fintra_dc_precision = 8;
    bool Fintra_only = false;
    bool Fqp_hist = false;
    std::string Fvfilters;
    bool FEnableFilter = false;
    int Fvideo_sync_method = -1;
    int Fvideo_global_header = 0;
    int Fvideo_channel = 0;
    std::string Fvideo_standard;
    bool Fforce_fps = false;
    std::vector<TBitStreamFilterItem> Fvideo_bitstream_filters;

    int Faudio_sample_rate = 44100;
    int Faudio_channels = 2;
    int64_t Fchannel_layout = 0;
    int Faudio_sample_fmt = -1;
    float Faudio_qscale = -99999.0f;
    bool Faudio_disable = false;
    std::string Faudio_codec_name;
    int Faudio_stream_copy = 0;
    uint32_t Faudio_codec_tag = 0;
    std::string Faudio_language;
    int Faudio_sync_method = 0;
    float Faudio_drift_threshold = 0.1f;
    int Faudio_volume = 256;
    std::vector<TBitStreamFilterItem> Faudio_bitstream_filters;

    bool Fsubtitle_disable = false;
    std::string Fsubtitle_codec_name;
    int Fsubtitle_stream_copy = 0;
    uint32_t Fsubtitle_codec_tag = 0;
    std::string Fsubtitle_language;
    std::vector<TBitStreamFilterItem> Fsubtitle_bitstream_filters;

    float Fmux_preload = 0.5f;
    float Fmux_max_delay = 0.7f;
    std::vector<std::pair<std::string, std::string>> Fmetadata;
    int Fstreamid_map[MAX_STREAMS] = {};
    std::vector<TAVStreamMap> Fstream_maps;
    std::vector<TAVMetaDataMap> Fmeta_data_maps;
    int64_t Flimit_filesize = 0;
    int Floop_output = -1;
    bool Fopt_shortest = false;
    bool Fcopy_ts = false;
    float Fdts_delta_threshold = 10.0f;
    int Fcopy_initial_nonkeyframes = 0;
    bool Frate_emu = false;
    bool Finput_sync = false;
    bool Fexit_on_error = false;
    bool Fdo_hex_dump = false, Fdo_pkt_dump = false;
    bool Fdo_psnr = false;
    int Fdo_benchmark = 0;
    int Fdo_pass = 0;
    std::string Fpass_logfilename_prefix;
    std::string Fvstats_filename;
    bool Fusing_vhook = false;
    unsigned Fsws_flags = 4;
    // hook words added through "vhook", in order (the hook chain takes them)
    std::vector<std::vector<std::string>> FFrameHookWords;

    // Counts of the run's per-stream codec lists.
    int Fnb_icodecs = 0, Fnb_ocodecs = 0;
    std::vector<const AVCodec*> Finput_codecs;   // per input stream in order
    std::vector<const AVCodec*> Foutput_codecs;  // per output stream in order
    int Fbit_buffer_size = 262144;

    // Hook for adding a frame-hook library ("vhook"): returns 0 on success.
    // Unset, every frame hook is refused.
    std::function<int(TCustomFFmpeg*, const std::vector<std::string>&)> FrameHookAdd;
    // Runs the frame-hook chain on a decoded picture (set with FrameHookAdd).
    std::function<void(TCustomFFmpeg*, AVFrame*, int64_t)> FrameHookProcess;

protected:
    friend struct TRunState;
    void InitDefaults();
    void FreeResources();
    void DoConvert();
    void DoTerminate();
    void Transcode();
    void Log(int ALevel, const std::string& AMsg);
    // Interrupt callbacks of the task's format contexts: a stop ends a
    // blocking open, read or stream-information search of an input at once,
    // and an output's opening and header writing (never the writing of data
    // and trailer, which a stopped run still finishes).
    static int InterruptInput(void* AEngine);
    static int InterruptOutput(void* AEngine);
    // Raises when the libraries of the conversion set are not loaded.
    void CheckLoaded();
    void WaitWhilePaused();
    bool CheckInputStreams(bool AFirstOnly, bool& AHasVideo, bool& AHasAudio, bool& AHasSubtitle);
    bool SetPrivateOption(const std::string& AName, const std::string& AValue, const std::string& ACodecHint);
    void ApplyPrivateOptionsTo(char AKind, const AVClass* APrivClass, void* APrivData);
    // The option store: generic codec, format and scaler options.
    void InitStore();
    void FreeStore();
    void StoreToDict(AVDictionary** ADict, int AMediaType, int AFlags);
    // Whether an option of that name has been set in the store.
    bool StoreNames(const std::string& AName) const;
    void ApplyStore(void* AObj, int AMediaType, int AFlags);
    void ApplyStoreToFormat(void* AObj, int AFlags);
    int64_t StoreBitRate(bool AAudio);
    int StoreStrict(int AMediaType);
    std::string CheckOutputName(const std::string& AFileName);
    std::string CheckOutputFile(const std::string& AFileName);
    AVStream* AddOutputStream(TOutputFileRec& AOutput);
    void SetStreamLanguage(AVStream* st, std::string& ALanguage);
    const AVCodec* ChooseEncoder(TOutputFileRec& AOutput, std::string& AName, AVMediaType AType);
    std::vector<RcOverride> ParseRcOverride();
    AVStream* AddPreparedStream(TOutputFileRec& AOutput, const AVCodec* ACodec, std::string& AName,
                                std::string* ALanguage);
    // The run: its main loop and the loop's steps (Transcode.cpp), then
    // set-up, packet path, encoding paths and reports.
    void BeginRun(TRunState& R);
    bool SetUpRun(TRunState& R);
    int ChooseInput(TRunState& R);
    bool OutputSizeLimitReached();
    int ReadPacket(TRunState& R, int AFile);
    void AdjustTimestamps(int AFile, TAVInputStream* ist, AVPacket* pkt);
    bool PassPacket(TRunState& R, int AFile, AVPacket* pkt);
    void ReportProgressWhenDue(TRunState& R);
    void EndRun(TRunState& R);
    void TranscodeSetup(TRunState& R);
    void LogStreamMapping(TRunState& R);
    [[noreturn]] void FailSetup(TRunState& R, const std::string& AMsg);
    std::string PassLogName(TAVOutputStream* ost, int AIndex);
    void OpenOutputForWriting(TOutputFileRec& AOutput);
    int ConfigureFilters(TAVInputStream* ist, TAVOutputStream* ost, int w, int h, int fmt, AVRational sar);
    void MuxPacket(TRunState& R, TAVOutputStream* ost, AVPacket* pkt);
    void WriteFrame(TRunState& R, TAVOutputStream* ost, AVPacket* pkt);
    void ReceivePackets(TRunState& R, TAVOutputStream* ost);
    void EncodeFrame(TRunState& R, TAVOutputStream* ost, AVFrame* frame);
    void ApplyVolume(AVFrame* f);
    void DoAudioOut(TRunState& R, TAVOutputStream* ost, TAVInputStream* ist, AVFrame* in);
    void EncodeAudioFifo(TRunState& R, TAVOutputStream* ost, bool AFlush);
    AVFrame* AudioWorkFrame(TAVOutputStream* ost, int ASamples);
    void DoVideoOut(TRunState& R, TAVOutputStream* ost, TAVInputStream* ist, AVFrame* decoded);
    void EncodeVideoFrame(TRunState& R, TAVOutputStream* ost, AVFrame* pic, int64_t APtsUs);
    void HandleDecodedFrame(TRunState& R, TAVInputStream* ist, AVFrame* f);
    int OutputPacket(TRunState& R, TAVInputStream* ist, int ist_index, const AVPacket* pkt);
    void DoSubtitleOut(TRunState& R, TAVOutputStream* ost, TAVInputStream* ist, AVSubtitle* sub, int64_t pts);
    void DrainDecoder(TRunState& R, TAVInputStream* ist);
    void FlushEncoder(TRunState& R, TAVOutputStream* ost);
    void DrainFilterGraph(TRunState& R, TAVOutputStream* ost);
    // Encodes every picture the filter graph's sink holds now; a sink error
    // raises only when RaiseErrors.
    void EncodeSinkFrames(TRunState& R, TAVOutputStream* ost, bool RaiseErrors);
    int MaxFramesIndex(TAVOutputStream* ost);
    // The end of the recorded span (start plus recording time), kept inside 64 bits.
    int64_t RecordingEnd() const;
    bool EndJoinSegment(TRunState& R, int f);
    void ReportProgress(TRunState& R, bool AIsLast, int AFileIndex);
    void WriteVideoStats(TAVOutputStream* ost, const AVPacket* pkt);
    void PrepareVideoFrame(TAVInputStream* ist, AVFrame* f);
    void CallCustomHook(AVFrame* f, int64_t APts);
    // Post hooks on every picture handed to an encoder; the preview parts bind them.
    void CallPostHooks(const AVFrame* APicture, AVCodecContext* ACodec);
    bool HasPostHooks() const { return FPostHooks != 0; }
    // The preview window's part of the post hooks: paints one frame; false when
    // the window was closed (or there is none), which turns phPreview off.
    // It may take the bitmap's buffer over and leave another (or none) in its place.
    virtual bool PaintPreview(void* ABitmap, int AFrameNumber, int64_t APTS)
    {
        (void)ABitmap, (void)AFrameNumber, (void)APTS;
        return false;
    }
    // Before a picture is converted for the preview window: the window's own
    // buffer moves into ABitmap to be converted into; false when the window
    // still paints its last picture (this picture is skipped).
    virtual bool LendPreview(void* ABitmap)
    {
        (void)ABitmap;
        return true;
    }
    // Frees the preview window when phPreview is taken away.
    virtual void ReleasePreview() {}
    // Closing of a codec left open in a codec list (the run's records).
    void CloseListedEncoder(void* AStream);
    void CloseListedDecoder(void* AStream);
    void CloseCodecs(TRunState& R);

    // Handlers reached through the key table.
    void OptLogLevel(const std::string& AValue);
    void OptMap(const std::string& AValue);
    void OptMapMetaData(const std::string& AValue);
    void OptTime(const std::string& AKey, const std::string& AValue);
    void OptInputTsScale(const std::string& AValue);
    void OptMetadata(const std::string& AValue);
    void OptBitRate(const std::string& AKey, const std::string& AValue);
    void OptCrop(const std::string& AKey, int AValue);
    void OptQScale(double AValue);
    void OptPass(int AValue);
    void OptVStats();
    void OptVHook(const std::string& AValue);
    void OptMatrix(std::vector<uint16_t>& AMatrix, const std::string& AValue);
    void OptCodecTag(uint32_t& ATag, const std::string& AValue, const char* AKind);
    void OptStreamId(const std::string& AKey, const std::string& AValue);
    void OptSampleFormat(const std::string& AValue);
    void OptBitStreamFilter(const std::string& AKey, const std::string& AValue);
    void ApplyPresetText(const std::string& APresetName, const std::string& AText);

    int FMaxFiles;
    std::vector<PInputFileRec> Finput_files;
    std::vector<POutputFileRec> Foutput_files;
    std::unique_ptr<TFFOptions> FOptions;
    std::vector<TPrivateOption> FPrivateOptions;
    PCodecItem FEncoderList = nullptr;
    PCodecItem FDecoderList = nullptr;

    TThread* FThread = nullptr;
    TEvent FStopEvent{true, true};
    TEvent FTermEvent{true, true};
    TEvent FPauseGate{true, true};   // set = running, reset = paused
    std::atomic<bool> FPaused{false};
    std::atomic<int> FThreadState{0};  // 0 none, 1 created, 2 running
    std::thread::id FRunThreadId;       // the conversion thread, while it runs
    bool FJoinMode = false;
    std::atomic<bool> FConverting{false};
    std::atomic<bool> FBroken{false};
    bool FFinished = false;
    std::atomic<bool> FTerminated{false};
    bool FFatalException = false;
    std::string FFatalMessage;
    std::string FSetupFailure;
    std::atomic<bool> FInSetup{false};  // the run opens its codecs and outputs
    int64_t FTotalOutputDuration = -1;
    std::string FLastErrMsg;
    int64_t Ftimer_start = 0;
    AVCodecID FGuessedCodecId = AV_CODEC_ID_NONE;  // the format's codec when no encoder has it
    FILE* Fvstats_file = nullptr;
    int FHookFrameNumber = 0;
    std::unique_ptr<TRGBConvertContext> FHookContext;
    std::atomic<TPostHooks> FPostHooks{0};
    std::unique_ptr<TRGBConvertContext> FPostContext;
    // when the last preview picture was shown (av_gettime_relative), or NEVER_SHOWN
    static constexpr int64_t NEVER_SHOWN = INT64_MIN;
    std::atomic<int64_t> Fpreview_last_time{NEVER_SHOWN};
    int64_t Fvideo_size = 0, Faudio_size = 0, Fextra_size = 0;
    int Fnb_frames_dup = 0, Fnb_frames_drop = 0;
    bool FShowDupOrDrop = false;

    friend class TConvertThread;
    friend class TDoTerminateThread;
};
