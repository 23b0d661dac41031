// The preview player: plays one media file into a window of our GUI layer.
//
// Pictures are decoded on the player's own threads, scaled to the letterboxed
// rectangle of the host window into a guarded BGRA surface, and the host is
// invalidated on the GUI thread; the host's paint handler (installed by the
// player) draws the surface. Sound goes through SDL2 audio. Position and state
// notifications reach the GUI thread when TriggerEventInMainThread is set.
//
// Open, Stop, Pause, Resume and Seek are called on the GUI thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Src/FFBaseComponent.h"
#include "Src/FFmpegLoader.h"
#include "platform/core/Types.h"

class TAVProbe;
class TBitmap;
class TForm;
struct TVideoState;
struct AVFrame;
struct SwsContext;

enum TPlayState : std::int32_t
{
    psPlay,
    psPause,
    psResume,
    psStep,
    psStop,
    psEnd,
};
enum TRepeatType : std::int32_t
{
    rtNone,
    rtStop,
    rtLoop,
};
enum TShowAudio : std::int32_t
{
    saNone,
    saWave,
    saRDFT,
};
// SDL2 audio drivers: adDefault keeps SDL's own choice (and SDL_AUDIODRIVER);
// adDirectSound and adWaveOut stand for the two system outputs of this
// platform, PulseAudio and ALSA.
enum TAudioDriver : std::int32_t
{
    adDefault,
    adDirectSound,
    adWaveOut,
    adPipeWire,
    adDummy,
    adDisk,
};
enum TVideoDriver : std::int32_t
{
    vdDefault,
    vdDirectDraw,
    vdGDI,
};
enum Tav_sync_type : std::int32_t
{
    AV_SYNC_AUDIO_MASTER,
    AV_SYNC_VIDEO_MASTER,
    AV_SYNC_EXTERNAL_CLOCK,
};
using TAudioVolume = int;   // 0 .. 128

// SDL2's name of a driver choice ("" for adDefault).
const char* AudioDriverName(TAudioDriver d);

using TFileOpenEvent = std::function<void(TObject* Sender, std::int64_t ADuration, int AFrameWidth,
                                          int AFrameHeight, int& AScreenWidth, int& AScreenHeight)>;
using TPositionEvent = std::function<void(TObject* Sender, std::int64_t APTS)>;
using TPlayStateEvent = std::function<void(TObject* Sender, TPlayState AState)>;
// Runs on the video thread for every picture; what the handler draws on the
// bitmap (24-bit, the picture's size) is shown. APTS: microseconds from the start.
using THookEvent = std::function<void(TObject* Sender, TBitmap* ABitmap, std::int64_t APTS)>;

class TCustomPlayer : public TFFBaseComponent
{
public:
    explicit TCustomPlayer(TComponent* AOwner = nullptr);
    ~TCustomPlayer() override;

    bool AVLibLoaded() const;
    bool LoadAVLib(const std::string& APath);
    void UnloadAVLib();

    // Stops what plays, opens the file and shows its video in AScreenHandle
    // (a window of our GUI layer; 0 plays without a picture on screen).
    // False with LastErrMsg on failure.
    bool Open(const std::string& AFileName, HWND AScreenHandle, bool APaused = false);
    // Ends the playback. With AWaitForStop it returns when the player's
    // threads have ended, or after 2 s when the input blocks them (they then
    // end by themselves once it lets go, without touching the player).
    void Stop(bool AWaitForStop);
    void Pause();
    void Resume();
    void TogglePause();
    // Shows the next picture and pauses again.
    void StepToNextFrame();
    // Cycles the audio display: none, wave, spectrum.
    void ToggleAudioDisplay();
    // APTS: microseconds from the start of the file (bytes with sfByte). A
    // position past a known duration seeks to the duration.
    void Seek(std::int64_t APTS, TSeekFlags ASeekFlags, bool AWaitForSeekEnd);
    void Seek(int APTS, TSeekFlags ASeekFlags, bool AWaitForSeekEnd)
    {
        Seek(std::int64_t(APTS), ASeekFlags, AWaitForSeekEnd);
    }
    // ADelta seconds from the playback's clock, back when negative; not before
    // the start nor past a known duration. With sfByte: by the bytes that
    // many seconds take at the file's bit rate, from the read position.
    void Seek(double ADelta, TSeekFlags ASeekFlags, bool AWaitForSeekEnd);
    // The picture on screen at the video's own size (32-bit BGRA, as shown:
    // with its subtitle, upside down with VerticalFlip); empty (0 x 0) when
    // no picture is shown. APTS: its position in microseconds from the start,
    // -1 with an empty picture. Owned by the player; valid until the next call.
    TBitmap* CurrentFrame();
    TBitmap* CurrentFrame(std::int64_t& APTS);
    // Takes the host window's current client size for the pictures to come.
    void UpdateScreenPosition();

    // Playbacks whose threads have not ended yet, in the whole process
    // (a stopped playback on a blocked input counts until the input lets go).
    static int RunningPlaybacks();
    // The largest gap, in seconds, between a picture shown in this playback
    // and the audio clock at that moment (0 without both).
    double MaxSyncGap() const;

    int GetVideoStreamIndex() const;
    int GetAudioStreamIndex() const;
    int GetSubtitleStreamIndex() const;
    int VideoStreamIndex() const { return GetVideoStreamIndex(); }
    int AudioStreamIndex() const { return GetAudioStreamIndex(); }
    int SubtitleStreamIndex() const { return GetSubtitleStreamIndex(); }
    // Plays another stream of that kind (subtitles: -1 switches them off).
    // False, with LastErrMsg, when refused; the current stream plays on.
    bool SetVideoStreamIndex(int AIndex) { return SwitchStream(AVMEDIA_TYPE_VIDEO, AIndex); }
    bool SetAudioStreamIndex(int AIndex) { return SwitchStream(AVMEDIA_TYPE_AUDIO, AIndex); }
    bool SetSubtitleStreamIndex(int AIndex) { return SwitchStream(AVMEDIA_TYPE_SUBTITLE, AIndex); }

    TAVProbe* AVProbe() const { return FAVProbe.get(); }
    std::string LastErrMsg() const;
    std::string FileName() const { return Finput_filename; }
    HWND ScreenHandle() const { return FScreenHandle; }
    bool Paused() const;
    // A seek was asked for and its first picture (without video: the seek
    // itself) has not been shown yet.
    bool Seeking() const;
    TPlayState PlayState() const { return FState; }
    std::int64_t CurrentPTS() const { return FCurrentPTS; }

    bool Mute() const { return FMute; }
    void SetMute(bool v) { FMute = v; }
    TAudioVolume AudioVolume() const { return FAudioVolume; }
    void SetAudioVolume(TAudioVolume v) { FAudioVolume = v < 0 ? 0 : (v > 128 ? 128 : v); }
    TAudioDriver AudioDriver() const { return FAudioDriver; }
    void SetAudioDriver(TAudioDriver v) { FAudioDriver = v; }
    TVideoDriver VideoDriver() const { return FVideoDriver; }
    void SetVideoDriver(TVideoDriver v) { FVideoDriver = v; }
    bool DisableAudio() const { return Faudio_disable; }
    void SetDisableAudio(bool v) { Faudio_disable = v; }
    bool DisableVideo() const { return Fvideo_disable; }
    void SetDisableVideo(bool v) { Fvideo_disable = v; }
    bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool v) { FTriggerEventInMainThread = v; }
    TRepeatType RepeatType() const { return FRepeatType; }
    void SetRepeatType(TRepeatType v) { FRepeatType = v; }
    bool VerticalFlip() const { return FVerticalFlip; }
    void SetVerticalFlip(bool v) { FVerticalFlip = v; }
    float AspectRatio() const { return FAspectRatio; }
    // Display aspect of the pictures; 0 the stream's own. Redraws at once.
    void SetAspectRatio(float v);
    Tav_sync_type av_sync_type() const { return Fav_sync_type; }
    void set_av_sync_type(Tav_sync_type v) { Fav_sync_type = v; }
    int framedrop() const { return Fframedrop; }
    void set_framedrop(int v) { Fframedrop = v; }
    // Refresh period of the audio display in milliseconds.
    int rdftspeed() const { return Frdftspeed; }
    void set_rdftspeed(int v) { Frdftspeed = v; }
    bool Hook() const { return FHook; }
    void SetHook(bool v) { FHook = v; }
    bool DisableDisplay() const { return Fdisplay_disable; }
    void SetDisableDisplay(bool v) { Fdisplay_disable = v; }
    // libavfilter description of the filters between the decoder and the
    // display ("in" and "out" name its ends); empty: none. Next Open.
    std::string VideoFilters() const { return Fvfilters; }
    void SetVideoFilters(const std::string& v) { Fvfilters = v; }
    TShowAudio ShowAudio() const { return FShowAudio; }
    void SetShowAudio(TShowAudio v);

    // Per playback: back to their defaults when a playback ends.
    // The play range: PlayTime microseconds from start_time (or from the
    // start), then RepeatType decides.
    std::int64_t PlayTime() const { return FPlayTime; }
    void SetPlayTime(std::int64_t v) { FPlayTime = v; }
    std::int64_t start_time() const { return Fstart_time; }
    void set_start_time(std::int64_t v) { Fstart_time = v; }
    // The ordinal, among the file's streams of that kind, of the stream to
    // play; -1 lets the player choose.
    int wanted_video_stream() const { return Fwanted_stream[AVMEDIA_TYPE_VIDEO + 1]; }
    void set_wanted_video_stream(int v) { Fwanted_stream[AVMEDIA_TYPE_VIDEO + 1] = v; }
    int wanted_audio_stream() const { return Fwanted_stream[AVMEDIA_TYPE_AUDIO + 1]; }
    void set_wanted_audio_stream(int v) { Fwanted_stream[AVMEDIA_TYPE_AUDIO + 1] = v; }
    int wanted_subtitle_stream() const { return Fwanted_stream[AVMEDIA_TYPE_SUBTITLE + 1]; }
    void set_wanted_subtitle_stream(int v) { Fwanted_stream[AVMEDIA_TYPE_SUBTITLE + 1] = v; }

    TFileOpenEvent OnFileOpen;
    TPositionEvent OnPosition;
    TPlayStateEvent OnState;
    THookEvent OnHook;

    // ---- used by the playback threads -------------------------------------
    // Reports a failure: logs it at llError and, when stored, keeps it as LastErrMsg.
    void ReportError(const std::string& AMsg, bool AStore);
    void SetLastErrMsg(const std::string& AMsg);
    // Hands a notification to the handlers (on the GUI thread when asked).
    void PostState(TPlayState AState);
    void PostPosition(std::int64_t APTS);
    // The host window needs painting (any thread).
    void InvalidateScreen(HWND AHost);
    // The frame hook on a picture (video thread); the frame must be writable.
    void DoHook(AVFrame* AFrame, double APTS, std::int64_t AStartTime);
    // Called by the position tracker: stop or loop at the end of the play range.
    void ApplyPlayRange(std::int64_t APosition);
    // The running playback (Src/DAVezi/PlayState.h); null when idle.
    std::shared_ptr<TVideoState> Playback() const { return FVideoState; }

    std::atomic<bool> FMute{false};
    std::atomic<int> FAudioVolume{128};
    std::atomic<bool> FVerticalFlip{false};
    std::atomic<std::int64_t> FCurrentPTS{-1};
    // Read by the playback's threads while the GUI thread may set them.
    std::atomic<Tav_sync_type> Fav_sync_type{AV_SYNC_AUDIO_MASTER};
    std::atomic<int> Fframedrop{1};
    std::atomic<int> Frdftspeed{20};
    std::atomic<float> FAspectRatio{0.0f};
    TAudioDriver FAudioDriver = adDefault;
    bool Faudio_disable = false;
    bool Fvideo_disable = false;
    bool Fdisplay_disable = false;
    std::atomic<bool> FHook{false};
    std::string Fvfilters;
    TShowAudio FShowAudio = saWave;
    std::atomic<std::int64_t> FPlayTime;
    std::atomic<std::int64_t> Fstart_time;
    int Fwanted_stream[7];   // by media type + 1

private:
    bool SwitchStream(AVMediaType AType, int AIndex);
    // Hands a seek to the read thread: one request at a time.
    void RequestSeek(TVideoState& s, std::int64_t ATarget, std::int64_t ADelta, int AFlags, bool AFromReadPosition,
                     bool AWait);
    void ResetState();
    void DeliverState(TPlayState AState);
    void DeliverPosition();
    void HookHost(HWND AHost);
    void UnhookHost();
    void ReadHostSize();

    std::unique_ptr<TAVProbe> FAVProbe;
    std::shared_ptr<TVideoState> FVideoState;
    std::string Finput_filename;
    HWND FScreenHandle = nullptr;
    TForm* FOwnForm = nullptr;   // the player's own window when Open got no host
    std::uint64_t FHostToken = 0;
    mutable std::mutex FErrLock;
    std::string FLastErrMsg;
    std::atomic<TPlayState> FState{psStop};
    std::atomic<std::int64_t> FLastPTS;
    std::atomic<std::int64_t> FPendingPTS{0};
    std::atomic<bool> FPositionQueued{false};
    std::atomic<bool> FInvalidateQueued{false};
    std::unique_ptr<TBitmap> FCurrentFrame;
    std::unique_ptr<TBitmap> FHookBitmap;   // video thread, under the playback's OwnerLock
    SwsContext* FHookToRGB = nullptr;
    SwsContext* FHookFromRGB = nullptr;
    SwsContext* FFrameToRGB = nullptr;   // CurrentFrame's conversion (GUI thread)
    std::atomic<bool> Fstep{false};
    TRepeatType FRepeatType = rtStop;
    TVideoDriver FVideoDriver = vdDefault;
    bool FTriggerEventInMainThread = true;
    int FStopDepth = 0;
    // Shared with queued GUI calls so that they can tell the player has gone.
    std::shared_ptr<std::atomic<bool>> FAlive;
};

// The component the main window holds.
class TDEDideve : public TCustomPlayer
{
public:
    explicit TDEDideve(TComponent* AOwner = nullptr) : TCustomPlayer(AOwner) {}
    static std::string Version() { return "2.3"; }
};
