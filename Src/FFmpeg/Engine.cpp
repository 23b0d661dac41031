// The engine object: construction, defaults, reset, the run on its own
// thread or the caller's, stop, pause, resume, the terminate report, the
// release of every per-run resource, the codec lists and the format choice
// helpers of the output set-up; also the engine's small text helpers and the
// input and output records' clean-up.
#include "Src/FFmpeg.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <thread>

#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpegLoader.h"
#include "Src/FFmpegLogger.h"
#include "Src/FFUtils.h"
#include "platform/core/MainThread.h"
#include "Src/MyUtils.h"

using namespace ffengine;

// ---- small helpers ----------------------------------------------------------
namespace ffengine {

int64_t StrToInt64(const std::string& s)
{
    int64_t v = 0;
    if (!TryStrToInt64(s, v))
        throw EConvertError("'" + s + "' is not a valid integer value");
    return v;
}

double StrToFloat(const std::string& s)
{
    double v = 0;
    if (!TryStrToFloat(s, v))
        throw EConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

std::string AVErrorText(const std::string& AName, int ACode)
{
    return FormatAVError(AName, ACode);
}

std::string ErrText(int ACode)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    ff::av_strerror(ACode, buf, sizeof buf);
    return buf;
}

std::string FileErrorText(const std::string& AName, int ACode) { return AName + ": " + ErrText(ACode); }

}  // namespace ffengine

// ---- records -------------------------------------------------------------------
TOutputFileRec::~TOutputFileRec()
{
    for (auto& s : streams) {
        if (s.enc && ff::avcodec_free_context)
            ff::avcodec_free_context(&s.enc);
        if (s.enc_opts && ff::av_dict_free)
            ff::av_dict_free(&s.enc_opts);
    }
    if (mux_opts && ff::av_dict_free)
        ff::av_dict_free(&mux_opts);
    if (ctx && ff::avformat_free_context) {
        if (ctx->pb && !(ctx->oformat && (ctx->oformat->flags & AVFMT_NOFILE)) && opened)
            ff::avio_closep(&ctx->pb);
        ff::avformat_free_context(ctx);
    }
}

TInputFileRec::~TInputFileRec()
{
    for (auto& d : dec_opts)
        if (d && ff::av_dict_free)
            ff::av_dict_free(&d);
    if (ctx && ff::avformat_close_input)
        ff::avformat_close_input(&ctx);
}

// ---- threads ---------------------------------------------------------------------
class TConvertThread : public TThread
{
public:
    TConvertThread(TCustomFFmpeg* AOwner, TThreadPriority APriority) : TThread(true), FOwner(AOwner)
    {
        SetFreeOnTerminate(true);
        SetPriority(APriority);
    }

protected:
    void Execute() override
    {
        if (!FOwner)
            return;
        FOwner->FRunThreadId = std::this_thread::get_id();
        FOwner->FThreadState = 2;
        FOwner->FStopEvent.ResetEvent();
        try {
            FOwner->DoConvert();
        } catch (...) {
        }
        FOwner->FThreadState = 0;
        // the last touch of the engine: a waiter may free it from here on
        FOwner->FStopEvent.SetEvent();
    }

private:
    TCustomFFmpeg* FOwner;
};

class TDoTerminateThread : public TThread
{
public:
    explicit TDoTerminateThread(TCustomFFmpeg* AOwner) : TThread(true), FOwner(AOwner)
    {
        SetFreeOnTerminate(true);
        // reset before the thread runs, so that a wait on the event covers the report
        FOwner->FTermEvent.ResetEvent();
        Start();
    }

protected:
    void Execute() override
    {
        try {
            FOwner->DoTerminate();
        } catch (...) {
        }
        FOwner->FTermEvent.SetEvent();
    }

private:
    TCustomFFmpeg* FOwner;
};

// ---- the engine ---------------------------------------------------------------------
TCustomFFmpeg::TCustomFFmpeg(int AMaxFiles)
{
    if (AMaxFiles <= 0 || AMaxFiles > MAX_ENGINE_FILES)
        throw EAssertionFailed("Assertion failure");
    FMaxFiles = AMaxFiles;
    FOptions = std::make_unique<TFFOptions>();
    InitDefaults();
}

TCustomFFmpeg::~TCustomFFmpeg()
{
    Stop(true);
    // a terminate report still running on its own thread
    FTermEvent.WaitFor(INFINITE);
    FreeResources();
    FreeStore();
}

void TCustomFFmpeg::Log(int ALevel, const std::string& AMsg)
{
    GetFFLogger()->Log(this, TLogLevel(ALevel), AMsg);
}

void TCustomFFmpeg::InitDefaults()
{
    Finput_files_ts_scale.assign(FMaxFiles, {});
    Finput_files_ts_offset.assign(FMaxFiles, 0);
    Fstream_maps.clear();
    Fmeta_data_maps.clear();
    std::fill(std::begin(Fstreamid_map), std::end(Fstreamid_map), 0);
    Flast_asked_format.clear();
    Fpgmyuv_compatibility_hack = 0;
    Fframe_width = Fframe_height = 0;
    Fframe_aspect_ratio = 0;
    Fframe_pix_fmt = -1;
    Faudio_sample_fmt = -1;
    Fframe_topBand = Fframe_bottomBand = Fframe_leftBand = Fframe_rightBand = 0;
    for (int& m : Fmax_frames) m = INT32_MAX;
    Fframe_rate = {0, 0};
    Fvideo_qscale = 0;
    Fintra_matrix.clear();
    Finter_matrix.clear();
    Fvideo_rc_override_string.clear();
    Fvideo_disable = false;
    Fvideo_discard = 0;
    Fvideo_codec_name.clear();
    Fvideo_codec_tag = 0;
    Fvideo_language.clear();
    Fsame_quality = false;
    Fdo_deinterlace = false;
    Ftop_field_first = -1;
    Fme_threshold = 0;
    Fintra_dc_precision = 8;
    Floop_input = false;
    Floop_output = -1;
    Fqp_hist = false;
    Fvfilters.clear();
    FEnableFilter = false;
    Fintra_only = false;
    Faudio_sample_rate = 44100;
    Fchannel_layout = 0;
    Faudio_qscale = -99999.0f;
    Faudio_disable = false;
    Faudio_channels = 2;
    Faudio_codec_name.clear();
    Faudio_codec_tag = 0;
    Faudio_language.clear();
    Fsubtitle_disable = false;
    Fsubtitle_codec_name.clear();
    Fsubtitle_language.clear();
    Fsubtitle_codec_tag = 0;
    Fmux_preload = 0.5f;
    Fmux_max_delay = 0.7f;
    Frecording_time = INT64_MAX;
    Fstart_time = 0;
    Frecording_timestamp = 0;
    Finput_ts_offset = 0;
    Fdo_benchmark = 0;
    Fdo_hex_dump = Fdo_pkt_dump = false;
    Fdo_psnr = false;
    Fdo_pass = 0;
    Fpass_logfilename_prefix.clear();
    Faudio_stream_copy = Fvideo_stream_copy = Fsubtitle_stream_copy = 0;
    Fvideo_sync_method = -1;
    Faudio_sync_method = 0;
    Faudio_drift_threshold = 0.1f;
    Fcopy_ts = false;
    Fopt_shortest = false;
    Fvideo_global_header = 0;
    Fvstats_filename.clear();
    Fopt_programid = 0;
    Fcopy_initial_nonkeyframes = 0;
    Frate_emu = false;
    Fvideo_channel = 0;
    Fvideo_standard.clear();
    Faudio_volume = 256;
    Fexit_on_error = false;
    Fusing_vhook = false;
    FFrameHookWords.clear();
    Fverbose = 1;
    Fthread_count = 1;
    Flimit_filesize = 0;
    Fforce_fps = false;
    Fdts_delta_threshold = 10.0f;
    Fsws_flags = 4;
    Finput_sync = false;
    Fmetadata.clear();
    Fvideo_bitstream_filters.clear();
    Faudio_bitstream_filters.clear();
    Fsubtitle_bitstream_filters.clear();
    Fbit_buffer_size = 262144;
    Fnb_icodecs = Fnb_ocodecs = 0;
    Finput_codecs.clear();
    Foutput_codecs.clear();
    FPrivateOptions.clear();
    FHookFrameNumber = 0;
    FPostHooks = 0;
    FThread = nullptr;
    FTotalOutputDuration = -1;
    FFatalException = false;
    FFatalMessage.clear();
    InitStore();
}

void TCustomFFmpeg::Reset()
{
    if (!GlobalLoader().Loaded(ConverterLibraries))
        return;
    FreeResources();
    InitDefaults();
    FJoinMode = false;
    FConverting = false;
    FBroken = false;
    FFinished = false;
    FTerminated = false;
    FTotalOutputDuration = -1;
    FPaused = false;
    FPauseGate.SetEvent();
    FSetupFailure.clear();
}

void TCustomFFmpeg::NoteSetupFailure(const std::string& AMsg)
{
    if (FSetupFailure.empty())
        FSetupFailure = AMsg;
}

int TCustomFFmpeg::InterruptInput(void* AEngine)
{
    return static_cast<TCustomFFmpeg*>(AEngine)->FBroken ? 1 : 0;
}

int TCustomFFmpeg::InterruptOutput(void* AEngine)
{
    auto* e = static_cast<TCustomFFmpeg*>(AEngine);
    return e->FBroken && e->FInSetup ? 1 : 0;
}

TThread* TCustomFFmpeg::StartConvert(bool AUseThread, TThreadPriority APriority)
{
    if (FConverting || FTerminated)
        return nullptr;
    try {
        // a set-up step that failed before is the real reason of the refusal
        if (Foutput_files.empty()) {
            FreeResources();
            throw FFmpegException(FSetupFailure.empty() ? "At least one output file must be specified" : FSetupFailure);
        }
        if (Finput_files.empty()) {
            FreeResources();
            throw FFmpegException(FSetupFailure.empty() ? "At least one input file must be specified" : FSetupFailure);
        }
    } catch (const std::exception& e) {
        Log(llQuiet, e.what());
        FFatalException = true;
        FFatalMessage = e.what();
        DoTerminate();
        return nullptr;
    }
    FConverting = true;
    FBroken = false;
    FFinished = false;
    FTerminated = false;
    if (!AUseThread) {
        DoConvert();
        return nullptr;
    }
    auto* t = new TConvertThread(this, APriority);
    FThread = t;
    // reset before the thread starts, so that a stop always waits for its end
    FThreadState = 1;
    FStopEvent.ResetEvent();
    return t;
}

void TCustomFFmpeg::DoConvert()
{
    FFinished = false;
    auto guard = [this](auto&& step) {
        try {
            step();
        } catch (const std::exception& e) {
            Log(llQuiet, e.what());
            FFatalException = true;
            FFatalMessage = e.what();
        } catch (...) {
            Log(llQuiet, "Unknown exception");
            FFatalException = true;
            FFatalMessage = "Unknown exception";
        }
    };
    guard([this] { Transcode(); });
    guard([this] { FreeEncoderList(FEncoderList); });
    guard([this] { FreeDecoderList(FDecoderList); });
    guard([this] { FreeResources(); });
    guard([this] { DoTerminate(); });
}

void TCustomFFmpeg::DoTerminate()
{
    FConverting = false;
    FTerminated = true;
    FThread = nullptr;
    if (OnTerminate)
        OnTerminate(this);
}

void TCustomFFmpeg::Stop(bool AWaitFor)
{
    FBroken = true;
    // a paused run must see the stop
    FPauseGate.SetEvent();
    if (!AWaitFor)
        return;
    // the conversion thread itself (a handler of its events) cannot wait for its own end
    if (FThreadState == 2 && FRunThreadId == std::this_thread::get_id())
        return;
    // a thread that was made but never started has nothing to wait for
    while (FThreadState != 1 && FStopEvent.WaitFor(20) == TWaitResult::wrTimeout) {
        if (IsMainThread())
            CheckSynchronize(0);
    }
}

void TCustomFFmpeg::StopOrTerminate(bool AWaitFor)
{
    if (FConverting) {
        Stop(AWaitFor);
    } else if (!FTerminated) {
        new TDoTerminateThread(this);
        if (AWaitFor)
            FTermEvent.WaitFor(INFINITE);
    }
}

void TCustomFFmpeg::Pause()
{
    if (FConverting && !FPaused) {
        FPaused = true;
        FPauseGate.ResetEvent();
    }
}

void TCustomFFmpeg::Resume()
{
    if (FPaused) {
        FPaused = false;
        FPauseGate.SetEvent();
    }
}

void TCustomFFmpeg::WaitWhilePaused()
{
    while (FPaused && !FBroken)
        FPauseGate.WaitFor(50);
}

void TCustomFFmpeg::FreeResources()
{
    if (!GlobalLoader().Loaded(ConverterLibraries))
        return;
    FreeStore();
    // outputs: close what the run opened; an output that stayed empty is deleted
    POutputFileRec first = Foutput_files.empty() ? nullptr : Foutput_files.front();
    for (auto& o : Foutput_files) {
        if (!o || (FJoinMode && o != first))
            continue;
        bool opened = o->opened;
        // a file whose header could not be written, or that no media packet
        // reached (a run stopped or failed before its first one), holds nothing of use
        bool useless = !o->header_done || !o->packet_written;
        std::string name = o->file_name;
        if (o->ctx && o->opened && o->ctx->pb && !(o->ctx->oformat->flags & AVFMT_NOFILE)) {
            ff::avio_closep(&o->ctx->pb);
            o->opened = false;
        }
        if (opened) {
            std::error_code ec;
            auto p = std::filesystem::u8path(name);
            if (std::filesystem::is_regular_file(p, ec) &&
                (useless || (std::filesystem::file_size(p, ec) == 0 && !ec)))
                std::filesystem::remove(p, ec);
        }
    }
    Foutput_files.clear();
    Finput_files.clear();
    if (Fvstats_file) {
        std::fclose(Fvstats_file);
        Fvstats_file = nullptr;
    }
    if (FHookContext)
        ResetRGBConvertContext(*FHookContext);
    if (FPostContext)
        ResetRGBConvertContext(*FPostContext);
    Fpreview_last_time = NEVER_SHOWN;
    Fintra_matrix.clear();
    Finter_matrix.clear();
    Fvideo_codec_name.clear();
    Faudio_codec_name.clear();
    Fsubtitle_codec_name.clear();
    Fvideo_standard.clear();
    Fvideo_rc_override_string.clear();
    Fvideo_language.clear();
    Faudio_language.clear();
    Fsubtitle_language.clear();
    Fsubtitle_codec_tag = 0;
    Fvideo_bitstream_filters.clear();
    Faudio_bitstream_filters.clear();
    Fsubtitle_bitstream_filters.clear();
    Finput_codecs.clear();
    Foutput_codecs.clear();
    Fnb_icodecs = Fnb_ocodecs = 0;
}

// ---- codec lists -------------------------------------------------------------------
void TCustomFFmpeg::AddCodecItem(PCodecItem& AList, void* AStream)
{
    auto* item = new TCodecItem;
    item->st = AStream;
    item->Next = AList;
    if (AList)
        AList->Prev = item;
    AList = item;
}

void TCustomFFmpeg::RemoveCodecItem(PCodecItem& AList, void* AStream)
{
    for (PCodecItem p = AList; p; p = p->Next) {
        if (p->st != AStream)
            continue;
        if (p->Prev) p->Prev->Next = p->Next; else AList = p->Next;
        if (p->Next) p->Next->Prev = p->Prev;
        delete p;
        return;
    }
}

void TCustomFFmpeg::FreeEncoderList(PCodecItem& AList)
{
    while (AList) {
        PCodecItem p = AList;
        AList = p->Next;
        CloseListedEncoder(p->st);
        delete p;
    }
}

void TCustomFFmpeg::FreeDecoderList(PCodecItem& AList)
{
    while (AList) {
        PCodecItem p = AList;
        AList = p->Next;
        CloseListedDecoder(p->st);
        delete p;
    }
}

// ---- format choice -------------------------------------------------------------------
void TCustomFFmpeg::ChooseSampleFmt(AVCodecContext* AStream, const AVCodec* ACodec)
{
    if (!ACodec || !ACodec->sample_fmts)
        return;
    for (const AVSampleFormat* p = ACodec->sample_fmts; *p != AV_SAMPLE_FMT_NONE; p++)
        if (*p == AStream->sample_fmt)
            return;
    AStream->sample_fmt = ACodec->sample_fmts[0];
}

void TCustomFFmpeg::ChooseSampleRate(AVCodecContext* AStream, const AVCodec* ACodec)
{
    if (!ACodec || !ACodec->supported_samplerates)
        return;
    int best = 0;
    int bestDist = INT32_MAX;
    for (const int* p = ACodec->supported_samplerates; *p; p++) {
        int d = std::abs(AStream->sample_rate - *p);
        if (d < bestDist) {
            bestDist = d;
            best = *p;
        }
    }
    if (best != AStream->sample_rate)
        Log(llWarning, Format("Requested sampling rate unsupported using closest supported (%d)", best));
    AStream->sample_rate = best;
}

void TCustomFFmpeg::ChoosePixelFmt(AVCodecContext* AStream, const AVCodec* ACodec)
{
    if (!ACodec || !ACodec->pix_fmts)
        return;
    const AVPixelFormat* p = ACodec->pix_fmts;
    if (ACodec->id == AV_CODEC_ID_MJPEG && AStream->strict_std_compliance < 0 &&
        (AStream->pix_fmt == AV_PIX_FMT_YUV420P || AStream->pix_fmt == AV_PIX_FMT_YUV422P))
        return;
    for (; *p != AV_PIX_FMT_NONE; p++)
        if (*p == AStream->pix_fmt)
            return;
    AStream->pix_fmt = ACodec->pix_fmts[0];
}
