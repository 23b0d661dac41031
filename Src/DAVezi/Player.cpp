// The player component: open, stop, pause, seek, the host window's painting
// and the delivery of notifications.
#include <chrono>
#include <cmath>
#include <cstring>
#include <exception>

#include "Src/AVProbe.h"
#include "Src/DAVezi/PlayState.h"
#include "Src/FFmpegLogger.h"
#include "Src/MyUtils.h"
#include "platform/core/MainThread.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/os/Gdi.h"
#include "platform/os/Messages.h"
#include "platform/os/Window.h"

namespace {

constexpr int OpenTimeoutMs = 20000;
constexpr int SeekTimeoutMs = 10000;
constexpr int StopTimeoutMs = 2000;

// Waits in 10 ms steps until done() holds or the time is up; on the GUI
// thread it serves handed-over calls and pending messages between the steps.
bool WaitServing(const std::function<bool()>& done, int timeoutMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        if (IsMainThread()) {
            CheckSynchronize(0);
            PumpPendingMessages();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Waits (limited, serving the GUI thread) until the read thread has carried
// out request number `done` (counter under SeekLock), or the playback ends.
void WaitForReadThread(TVideoState& s, const std::int64_t& counter, std::int64_t done)
{
    WaitServing(
        [&] {
            if (s.abort_request) return true;
            std::lock_guard<std::mutex> g(s.SeekLock);
            return counter >= done;
        },
        SeekTimeoutMs);
}

// Runs an event handler; what it throws is logged, never passed on.
template <class F> void RunHandler(TObject* sender, const char* name, F&& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        GetFFLogger()->Log(sender, llError, std::string(name) + ": " + e.what());
    } catch (...) {
        GetFFLogger()->Log(sender, llError, std::string(name) + ": unknown exception");
    }
}

}  // namespace

TCustomPlayer::TCustomPlayer(TComponent* AOwner)
    : TFFBaseComponent(AOwner), FAVProbe(std::make_unique<TAVProbe>(nullptr)), FLastPTS(AV_NOPTS_VALUE),
      FCurrentFrame(std::make_unique<TBitmap>()), FAlive(std::make_shared<std::atomic<bool>>(true))
{
    ResetState();
}

// The settings that hold for one playback only.
void TCustomPlayer::ResetState()
{
    for (int& w : Fwanted_stream) w = -1;
    Fstart_time = AV_NOPTS_VALUE;
    FPlayTime = AV_NOPTS_VALUE;
    FRepeatType = rtStop;
    FVerticalFlip = false;
    Fstep = false;
}

TCustomPlayer::~TCustomPlayer()
{
    OnPosition = nullptr;
    OnState = nullptr;
    OnFileOpen = nullptr;
    Stop(true);
    *FAlive = false;
    RemoveQueuedCalls(this);
    if (FHookToRGB) ff::sws_freeContext(FHookToRGB);
    if (FHookFromRGB) ff::sws_freeContext(FHookFromRGB);
    if (FFrameToRGB) ff::sws_freeContext(FFrameToRGB);
}

int TCustomPlayer::RunningPlaybacks() { return RunningReadThreads(); }

double TCustomPlayer::MaxSyncGap() const
{
    auto s = FVideoState;
    return s ? s->MaxSyncGap.load() : 0.0;
}

bool TCustomPlayer::AVLibLoaded() const { return GlobalLoader().Loaded(PlayerLibraries); }

bool TCustomPlayer::LoadAVLib(const std::string& APath)
{
    GlobalLoader().SetLibraryPath(APath);
    if (GlobalLoader().Load(PlayerLibraries)) return true;
    SetLastErrMsg(GlobalLoader().LastErrMsg());
    return false;
}

void TCustomPlayer::UnloadAVLib() { GlobalLoader().Unload(PlayerLibraries); }

std::string TCustomPlayer::LastErrMsg() const
{
    std::lock_guard<std::mutex> g(FErrLock);
    return FLastErrMsg;
}

void TCustomPlayer::SetLastErrMsg(const std::string& AMsg)
{
    std::lock_guard<std::mutex> g(FErrLock);
    FLastErrMsg = AMsg;
}

void TCustomPlayer::ReportError(const std::string& AMsg, bool AStore)
{
    if (AStore) SetLastErrMsg(AMsg);
    GetFFLogger()->Log(this, llError, AMsg);
}

bool TCustomPlayer::Open(const std::string& AFileName, HWND AScreenHandle, bool APaused)
{
    // The settings for this playback survive the end of the one before.
    int wanted[7];
    std::copy(std::begin(Fwanted_stream), std::end(Fwanted_stream), std::begin(wanted));
    std::int64_t startTime = Fstart_time, playTime = FPlayTime;
    TRepeatType repeat = FRepeatType;
    bool flip = FVerticalFlip;
    Stop(true);
    std::copy(std::begin(wanted), std::end(wanted), std::begin(Fwanted_stream));
    Fstart_time = startTime;
    FPlayTime = playTime;
    FRepeatType = repeat;
    FVerticalFlip = flip;
    if (!AVLibLoaded()) {
        ReportError("libav or libsdl not loaded.", true);
        return false;
    }
    SetLastErrMsg("");
    Finput_filename = AFileName;
    auto s = std::make_shared<TVideoState>();
    s->Owner = this;
    s->FileName = AFileName;
    s->paused = APaused;
    s->OpenPaused = APaused;
    s->DisableAudio = Faudio_disable;
    s->DisableVideo = Fvideo_disable;
    s->AudioDriverChoice = FAudioDriver;
    s->DisplayDisable = Fdisplay_disable;
    if (Fdisplay_disable) s->DisableVideo = true;
    s->VideoFilters = Fvfilters;
    std::copy(std::begin(Fwanted_stream), std::end(Fwanted_stream), std::begin(s->Wanted));
    s->StartAt = Fstart_time;
    s->ShowAudioChoice = FShowAudio;
    Fstep = false;
    s->Host = AScreenHandle;
    FVideoState = s;
    FLastPTS = AV_NOPTS_VALUE;
    FCurrentPTS = -1;
    if (AScreenHandle && IsWindow(AScreenHandle)) {
        FScreenHandle = AScreenHandle;
        ReadHostSize();
        HookHost(AScreenHandle);
    }
    RunningReadThreads()++;
    s->parse_tid = std::thread(ReadThreadProc, s);
    bool inTime = WaitServing([&] { return s->Opened != 0 || s->abort_request; }, OpenTimeoutMs);
    if (FVideoState != s) {
        // a handler served during the wait stopped or re-opened
        if (LastErrMsg().empty()) SetLastErrMsg(AFileName + ": stopped while opening");
        return false;
    }
    if (s->Opened != 1) {
        if (!inTime) SetLastErrMsg(AFileName + ": the input did not open in time");
        std::string msg = LastErrMsg();
        Stop(true);
        SetLastErrMsg(msg);
        GetFFLogger()->Log(this, llError, msg);
        return false;
    }
    FAVProbe->SetFileHandle(s->ic);
    s->event_tid = std::thread(EventLoopProc, s);
    if (OnFileOpen) {
        int sw = s->HostWidth, sh = s->HostHeight;
        // -1 x -1: no picture (no video stream, or one without a size)
        bool sized = s->video_stream >= 0 && s->FrameWidth > 0;
        int fw = sized ? s->FrameWidth : -1, fh = sized ? s->FrameHeight : -1;
        RunHandler(this, "OnFileOpen", [&] { OnFileOpen(this, s->Duration, fw, fh, sw, sh); });
        if (!AScreenHandle) {
            // the sizes of the player's own window
            s->HostWidth = sw;
            s->HostHeight = sh;
        }
    }
    if (FVideoState != s) return false;   // the handler stopped the playback
    if (!AScreenHandle && s->video_stream >= 0) {
        FOwnForm = new TForm(nullptr);
        FOwnForm->SetCaption("DEDideve");
        FOwnForm->SetClientSize(s->HostWidth > 0 ? s->HostWidth.load() : s->FrameWidth,
                                s->HostHeight > 0 ? s->HostHeight.load() : s->FrameHeight);
        FOwnForm->Show();
        FScreenHandle = FOwnForm->Handle();
        s->Host = FScreenHandle;
        ReadHostSize();
        HookHost(FScreenHandle);
    }
    PostState(APaused ? psPause : psPlay);
    return true;
}

void TCustomPlayer::Stop(bool AWaitForStop)
{
    if (FStopDepth > 0) return;   // a handler served inside this stop's wait
    std::shared_ptr<TVideoState> s = FVideoState;
    if (!s) return;
    ++FStopDepth;
    FVideoState.reset();
    FAVProbe->SetFileHandle(nullptr);
    // Done before the waits below: a handler served in them may open anew.
    UnhookHost();
    FCurrentPTS = -1;
    s->abort_request = true;
    s->videoq.Abort();
    s->audioq.Abort();
    s->subtitleq.Abort();
    {
        std::lock_guard<std::mutex> g(s->subpq_lock);
        s->subpq_cond.notify_all();
    }
    {
        std::lock_guard<std::mutex> g(s->pictq_lock);
        s->pictq_cond.notify_all();
    }
    {
        std::lock_guard<std::mutex> g(s->LoopLock);
        s->LoopCond.notify_all();
    }
    {
        std::lock_guard<std::mutex> g(s->SeekLock);
        s->SeekCond.notify_all();
    }
    if (s->event_tid.joinable()) {
        if (s->event_tid.get_id() == std::this_thread::get_id())
            s->event_tid.detach();   // a handler on the playback's own thread stops it
        else
            s->event_tid.join();
    }
    bool ended = AWaitForStop && WaitServing([&] { return s->ReadDone.load(); }, StopTimeoutMs);
    if (ended) {
        s->parse_tid.join();
    } else {
        // The input blocks the read thread (or no wait was asked for): it
        // ends by itself, holding the playback, without the player.
        {
            std::lock_guard<std::recursive_mutex> g(s->OwnerLock);
            s->Owner = nullptr;
        }
        if (s->parse_tid.joinable()) s->parse_tid.detach();
    }
    if (s->Opened == 1) PostState(psStop);
    ResetState();
    --FStopDepth;
}

bool TCustomPlayer::Seeking() const
{
    auto s = FVideoState;
    return s && s->Seeking;
}

bool TCustomPlayer::Paused() const { return !FVideoState || FVideoState->paused; }

void TCustomPlayer::Pause()
{
    auto s = FVideoState;
    if (!s || s->paused) return;
    s->video_current_pts = GetVideoClock(*s);
    s->ExtPausedAt = GetExternalClock(*s);
    s->paused = true;
    Fstep = false;
    PostState(psPause);
}

void TCustomPlayer::Resume()
{
    auto s = FVideoState;
    if (!s || !s->paused) return;
    s->video_current_pts_drift = s->video_current_pts - NowSeconds();
    s->ExtDrift = s->ExtPausedAt - NowSeconds();
    s->ResyncTimer = true;
    s->paused = false;
    Fstep = false;
    PostState(psResume);
}

void TCustomPlayer::StepToNextFrame()
{
    auto s = FVideoState;
    if (!s) return;
    if (s->paused) {
        s->video_current_pts_drift = s->video_current_pts - NowSeconds();
        s->ExtDrift = s->ExtPausedAt - NowSeconds();
        s->ResyncTimer = true;
    }
    s->StepPending = true;
    s->paused = false;
    if (!Fstep.exchange(true)) PostState(psStep);
}

void TCustomPlayer::SetAspectRatio(float v)
{
    if (v == FAspectRatio) return;
    FAspectRatio = v;
    if (auto s = FVideoState) s->Redisplay = true;
}

void TCustomPlayer::ToggleAudioDisplay()
{
    auto s = FVideoState;
    if (!s) return;
    s->show_audio = (s->show_audio + 1) % 3;
    s->Redisplay = true;
}

void TCustomPlayer::SetShowAudio(TShowAudio v)
{
    FShowAudio = v;
    auto s = FVideoState;
    if (s && s->audio_stream >= 0 && !Fdisplay_disable) {
        s->show_audio = int(v);
        s->Redisplay = true;
    }
}

void TCustomPlayer::TogglePause()
{
    if (Paused())
        Resume();
    else
        Pause();
}

void TCustomPlayer::Seek(std::int64_t APTS, TSeekFlags ASeekFlags, bool AWaitForSeekEnd)
{
    auto s = FVideoState;
    if (!s) return;
    int flags = SeekFlagsToAVSeekFlags(ASeekFlags);
    std::int64_t target = APTS;
    if (!(flags & AVSEEK_FLAG_BYTE)) {
        if (target < 0) target = 0;
        if (s->Duration > 0 && target > s->Duration) target = s->Duration;   // no clamp when unknown
        target += s->StartTime;
    }
    RequestSeek(*s, target, 0, flags, false, AWaitForSeekEnd);
}

void TCustomPlayer::Seek(double ADelta, TSeekFlags ASeekFlags, bool AWaitForSeekEnd)
{
    auto s = FVideoState;
    if (!s || !std::isfinite(ADelta)) return;
    int flags = SeekFlagsToAVSeekFlags(ASeekFlags);
    if (flags & AVSEEK_FLAG_BYTE) {
        // the read thread adds the bytes to its read position
        std::int64_t rate = s->ic ? s->ic->bit_rate : 0;
        double bytes = rate > 0 ? ADelta * double(rate) / 8.0 : ADelta * 180000.0;
        RequestSeek(*s, std::llround(bytes), std::llround(bytes), flags, true, AWaitForSeekEnd);
        return;
    }
    // From the master clock; before anything played (or with a clock that
    // has no time yet) from the picture's clock.
    double clock = GetMasterClock(*s, Fav_sync_type);
    if (std::isnan(clock)) clock = GetVideoClock(*s);
    std::int64_t target = std::llround((clock + ADelta) * 1000000.0);
    std::int64_t lowest = s->StartTime;
    if (target < lowest) target = lowest;
    if (s->Duration > 0 && target > lowest + s->Duration) target = lowest + s->Duration;
    RequestSeek(*s, target, std::llround(ADelta * 1000000.0), flags, false, AWaitForSeekEnd);
}

void TCustomPlayer::RequestSeek(TVideoState& s, std::int64_t ATarget, std::int64_t ADelta, int AFlags,
                                bool AFromReadPosition, bool AWait)
{
    std::int64_t done;
    {
        std::lock_guard<std::mutex> g(s.SeekLock);
        if (s.seek_req) return;   // one request at a time
        s.seek_req = true;
        s.seek_pos = ATarget;
        s.seek_rel = ADelta;
        s.seek_flags = AFlags;
        s.seek_from_read_pos = AFromReadPosition;
        done = s.SeekSerial + 1;
        // set under the lock: a picture of before the seek cannot clear it
        s.Seeking = true;
    }
    if (AWait) WaitForReadThread(s, s.SeekSerial, done);
}

TBitmap* TCustomPlayer::CurrentFrame()
{
    std::int64_t pts;
    return CurrentFrame(pts);
}

// The picture shown is kept as a reference by the event loop; it is converted
// here, at its own size, on request.
TBitmap* TCustomPlayer::CurrentFrame(std::int64_t& APTS)
{
    APTS = -1;
    auto s = FVideoState;
    AVFrame* picture = nullptr;
    double pts = 0;
    bool flip = false;
    if (s && s->video_stream >= 0) {
        std::lock_guard<std::mutex> g(s->Surface.Lock);
        if (s->Surface.Frame && s->Surface.Frame->width > 0 && s->Surface.Frame->height > 0) {
            picture = ff::av_frame_clone(s->Surface.Frame);
            pts = s->Surface.FramePTS;
            flip = s->Surface.FrameFlipped;
        }
    }
    FCurrentFrame->SetPixelFormat(pf32bit);
    if (!picture) {
        FCurrentFrame->SetSize(0, 0);
        return FCurrentFrame.get();
    }
    int w = picture->width, h = picture->height;
    FFrameToRGB = ff::sws_getCachedContext(FFrameToRGB, w, h, AVPixelFormat(picture->format), w, h, AV_PIX_FMT_BGRA,
                                           SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!FFrameToRGB) {
        GetFFLogger()->Log(this, llError, "Cannot initialize the toRGB conversion context");
        FCurrentFrame->SetSize(0, 0);
    } else {
        FCurrentFrame->SetSize(w, h);
        std::uint8_t* rows[4] = {static_cast<std::uint8_t*>(FCurrentFrame->ScanLine(flip ? h - 1 : 0)), nullptr,
                                 nullptr, nullptr};
        int strides[4] = {flip ? -FCurrentFrame->RowBytes() : FCurrentFrame->RowBytes(), 0, 0, 0};
        ff::sws_scale(FFrameToRGB, picture->data, picture->linesize, 0, h, rows, strides);
        APTS = std::llround(pts * 1000000.0) - s->StartTime;
    }
    ff::av_frame_free(&picture);
    return FCurrentFrame.get();
}

void TCustomPlayer::UpdateScreenPosition()
{
    if (!FVideoState || !FScreenHandle) return;
    ReadHostSize();
    FVideoState->Redisplay = true;
    InvalidateScreen(FScreenHandle);
}

int TCustomPlayer::GetVideoStreamIndex() const { return FVideoState ? FVideoState->video_stream.load() : -1; }
int TCustomPlayer::GetAudioStreamIndex() const { return FVideoState ? FVideoState->audio_stream.load() : -1; }
int TCustomPlayer::GetSubtitleStreamIndex() const { return FVideoState ? FVideoState->subtitle_stream.load() : -1; }

// Checked here, carried out by the read thread between two reads (as seeks are).
bool TCustomPlayer::SwitchStream(AVMediaType AType, int AIndex)
{
    auto s = FVideoState;
    if (!s || !s->ic) return false;
    int current = AType == AVMEDIA_TYPE_VIDEO   ? s->video_stream.load()
                  : AType == AVMEDIA_TYPE_AUDIO ? s->audio_stream.load()
                                                : s->subtitle_stream.load();
    int lowest = AType == AVMEDIA_TYPE_SUBTITLE ? -1 : 0;
    const char* refusal = nullptr;
    if (AType != AVMEDIA_TYPE_VIDEO && AType != AVMEDIA_TYPE_AUDIO && AType != AVMEDIA_TYPE_SUBTITLE)
        refusal = "the stream type is invalid.";
    else if (current < lowest)
        refusal = "the current stream is not valid.";
    else if (AIndex < lowest || AIndex >= int(s->ic->nb_streams))
        refusal = "the stream index is not valid.";
    else if (AIndex == current)
        return true;
    else if (AIndex >= 0) {
        const AVCodecParameters* par = s->ic->streams[AIndex]->codecpar;
        if (par->codec_type != AType)
            refusal = "the stream type is not matched.";
        else if (AType == AVMEDIA_TYPE_AUDIO && (par->sample_rate == 0 || par->ch_layout.nb_channels == 0))
            refusal = "the audio stream is not invalid.";
    }
    if (refusal) {
        ReportError(refusal, true);
        return false;
    }
    std::int64_t done;
    {
        std::lock_guard<std::mutex> g(s->SeekLock);
        if (s->switch_req) {
            ReportError("a stream switch is still under way.", true);
            return false;
        }
        s->switch_req = true;
        s->switch_type = AType;
        s->switch_index = AIndex;
        done = s->SwitchSerial + 1;
    }
    WaitForReadThread(*s, s->SwitchSerial, done);
    return true;
}

// ---- host window ---------------------------------------------------------------------

void TCustomPlayer::ReadHostSize()
{
    auto s = FVideoState;
    if (!s || !FScreenHandle || !IsWindow(FScreenHandle)) return;
    TRect r;
    GetClientRect(FScreenHandle, &r);
    s->HostWidth = r.Width();
    s->HostHeight = r.Height();
}

// The host paints the surface at its letterboxed place on black, takes the
// focus on a click, and follows its size for the pictures to come.
void TCustomPlayer::HookHost(HWND AHost)
{
    std::weak_ptr<TVideoState> weak = FVideoState;
    FHostToken = SubclassWindow(AHost, [this, weak](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            TRect r;
            GetClientRect(hwnd, &r);
            HBRUSH black = HBRUSH(GetStockObject(BLACK_BRUSH));
            auto s = weak.lock();
            std::unique_lock<std::mutex> g;
            if (s) g = std::unique_lock<std::mutex>(s->Surface.Lock);
            if (!s || s->Surface.Width <= 0 || s->Surface.Height <= 0) {
                FillRect(dc, r, black);
            } else {
                // the bars around the picture, then the picture
                const TVideoSurface& f = s->Surface;
                int right = f.Left + f.Width, bottom = f.Top + f.Height;
                FillRect(dc, TRect(r.Left, r.Top, r.Right, f.Top), black);
                FillRect(dc, TRect(r.Left, bottom, r.Right, r.Bottom), black);
                FillRect(dc, TRect(r.Left, f.Top, f.Left, bottom), black);
                FillRect(dc, TRect(right, f.Top, r.Right, bottom), black);
                {
                    BITMAPINFO bmi{};
                    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
                    bmi.bmiHeader.biWidth = s->Surface.Width;
                    bmi.bmiHeader.biHeight = -s->Surface.Height;
                    bmi.bmiHeader.biPlanes = 1;
                    bmi.bmiHeader.biBitCount = 32;
                    bmi.bmiHeader.biCompression = BI_RGB;
                    StretchDIBits(dc, s->Surface.Left, s->Surface.Top, s->Surface.Width, s->Surface.Height, 0, 0,
                                  s->Surface.Width, s->Surface.Height, s->Surface.Bits.data(), &bmi,
                                  DIB_RGB_COLORS, SRCCOPY);
                }
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_SIZE:
            ReadHostSize();
            if (auto s = weak.lock()) s->Redisplay = true;   // also while paused
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            SetFocus(hwnd);
            break;
        case WM_CLOSE:
            if (FOwnForm && hwnd == FOwnForm->Handle()) return 0;   // the player's window goes with Stop
            break;
        default:
            break;
        }
        return CallPreviousWindowProc(hwnd, FHostToken, msg, wp, lp);
    });
}

void TCustomPlayer::UnhookHost()
{
    HWND h = FScreenHandle;
    FScreenHandle = nullptr;
    if (!h || !IsWindow(h)) {
        FOwnForm = nullptr;   // went with the application
        return;
    }
    if (FHostToken) RemoveWindowSubclass(h, FHostToken);
    FHostToken = 0;
    InvalidateRect(h, nullptr, TRUE);
    delete FOwnForm;
    FOwnForm = nullptr;
}

void TCustomPlayer::InvalidateScreen(HWND AHost)
{
    if (!AHost || FInvalidateQueued.exchange(true)) return;
    auto alive = FAlive;
    RunOnMainThread(
        [this, alive, AHost] {
            if (!*alive) return;
            FInvalidateQueued = false;
            if (AHost == FScreenHandle && IsWindow(AHost)) InvalidateRect(AHost, nullptr, FALSE);
        },
        false, this);
}

// ---- notifications ------------------------------------------------------------------

void TCustomPlayer::PostState(TPlayState AState)
{
    FState = AState;
    if (FTriggerEventInMainThread && !IsMainThread()) {
        auto alive = FAlive;
        RunOnMainThread(
            [this, alive, AState] {
                if (*alive) DeliverState(AState);
            },
            false, this);
    } else {
        DeliverState(AState);
    }
}

void TCustomPlayer::PostPosition(std::int64_t APTS)
{
    FCurrentPTS = APTS;
    FPendingPTS = APTS;
    if (FTriggerEventInMainThread && !IsMainThread()) {
        // one delivery pending at a time; it reports the latest position
        if (FPositionQueued.exchange(true)) return;
        auto alive = FAlive;
        RunOnMainThread(
            [this, alive] {
                if (!*alive) return;
                FPositionQueued = false;
                DeliverPosition();
            },
            false, this);
    } else {
        DeliverPosition();
    }
}

void TCustomPlayer::DeliverState(TPlayState AState)
{
    if (OnState) RunHandler(this, "OnState", [&] { OnState(this, AState); });
}

void TCustomPlayer::DeliverPosition()
{
    std::int64_t pts = FPendingPTS;
    if (pts == FLastPTS) return;
    FLastPTS = pts;
    if (OnPosition) RunHandler(this, "OnPosition", [&] { OnPosition(this, pts); });
}

// ---- frame hook and play range ------------------------------------------------------

// The picture goes to a 24-bit bitmap of its own size (upside down with
// VerticalFlip, as it is shown), to the handler, and back into the frame.
void TCustomPlayer::DoHook(AVFrame* AFrame, double APTS, std::int64_t AStartTime)
{
    if (!FHook || !OnHook) return;
    int w = AFrame->width, h = AFrame->height;
    if (w <= 0 || h <= 0) return;
    if (!FHookBitmap) FHookBitmap = std::make_unique<TBitmap>();
    TBitmap& bmp = *FHookBitmap;
    if (bmp.GetPixelFormat() != pf24bit) bmp.SetPixelFormat(pf24bit);
    if (bmp.GetWidth() != w || bmp.GetHeight() != h) bmp.SetSize(w, h);   // follows the picture
    AVPixelFormat fmt = AVPixelFormat(AFrame->format);
    FHookToRGB = ff::sws_getCachedContext(FHookToRGB, w, h, fmt, w, h, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                                          nullptr, nullptr);
    if (!FHookToRGB) {
        GetFFLogger()->Log(this, llError, "Cannot initialize the toRGB conversion context");
        return;
    }
    bool flip = FVerticalFlip;
    std::uint8_t* rows[4] = {static_cast<std::uint8_t*>(bmp.ScanLine(flip ? h - 1 : 0)), nullptr, nullptr, nullptr};
    int strides[4] = {flip ? -bmp.RowBytes() : bmp.RowBytes(), 0, 0, 0};
    ff::sws_scale(FHookToRGB, AFrame->data, AFrame->linesize, 0, h, rows, strides);
    bool ok = true;
    TCanvas* canvas = bmp.Canvas();
    canvas->Lock();
    try {
        OnHook(this, &bmp, std::int64_t(std::llround(APTS * 1000000.0)) - AStartTime);
    } catch (const std::exception& e) {
        GetFFLogger()->Log(this, llError, std::string("Error occurs OnHook: ") + e.what());
        ok = false;
    } catch (...) {
        GetFFLogger()->Log(this, llError, "Error occurs OnHook: unknown exception");
        ok = false;
    }
    canvas->Unlock();
    if (!ok || bmp.GetWidth() != w || bmp.GetHeight() != h || bmp.GetPixelFormat() != pf24bit) return;
    FHookFromRGB = ff::sws_getCachedContext(FHookFromRGB, w, h, AV_PIX_FMT_BGR24, w, h, fmt, SWS_BICUBIC, nullptr,
                                            nullptr, nullptr);
    if (!FHookFromRGB) {
        GetFFLogger()->Log(this, llError, "Cannot initialize the fromRGB conversion context");
        return;
    }
    const std::uint8_t* src[4] = {rows[0], nullptr, nullptr, nullptr};
    ff::sws_scale(FHookFromRGB, src, strides, 0, h, AFrame->data, AFrame->linesize);
}

// At the end of the play range: stop, or go back to its start. Called by the
// event loop; carried out on the GUI thread, where Stop and Seek belong.
void TCustomPlayer::ApplyPlayRange(std::int64_t APosition)
{
    auto alive = FAlive;
    std::weak_ptr<TVideoState> weak = FVideoState;
    RunOnMainThread(
        [this, alive, weak, APosition] {
            if (!*alive || !FVideoState || FVideoState != weak.lock() || FPlayTime == AV_NOPTS_VALUE) return;
            std::int64_t end = Fstart_time != AV_NOPTS_VALUE ? Fstart_time + FPlayTime : FPlayTime.load();
            if (APosition < end) return;
            switch (FRepeatType) {
            case rtStop:
                Stop(false);
                break;
            case rtLoop:
                if (Fstart_time == AV_NOPTS_VALUE)
                    Seek(0, SeekFlag(sfAny), false);
                else
                    Seek(Fstart_time, 0, false);
                break;
            default:
                break;
            }
        },
        false, this);
}
