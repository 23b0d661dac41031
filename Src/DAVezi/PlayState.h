// One playback of the preview player: packet queues, picture queue, clocks,
// the display surface, and the threads' entry points. The parts:
//   Player.cpp        the component: open, stop, pause, step, seek, stream
//                     switch requests, the host window, notifications, the hook
//   PlayState.cpp     packet queues and clocks
//   ReadThread.cpp    the read thread and the stream components
//   Video.cpp         the video thread (filters, hook) and the event loop
//   Audio.cpp         SDL2 audio output, resampling and drift compensation
//   AudioDisplay.cpp  the wave and spectrum pictures
//   Subtitles.cpp     the subtitle thread and blending
#pragma once
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Src/DAVezi.h"
#include "Src/FFmpegLoader.h"

class TCustomPlayer;

// A queue item is a packet or a flush mark (after a seek the consumer drops
// its decoder state), or the end-of-input mark (the decoder drains).
enum class TQueueItemKind
{
    Packet,
    Flush,
    EndOfInput,
};
struct TQueueItem
{
    TQueueItemKind Kind = TQueueItemKind::Packet;
    AVPacket* Pkt = nullptr;   // owned while queued (Packet only)
};

class TPacketQueue
{
public:
    ~TPacketQueue() { Flush(); }
    // Takes the packet's reference (the packet is left empty). -1 when aborted
    // or out of memory.
    int Put(AVPacket* pkt);
    void PutMark(TQueueItemKind kind);
    // 1 an item, 0 none (not blocking), -1 aborted.
    int Get(TQueueItem& item, bool block);
    // Takes the first item when it is a mark of that kind.
    bool TakeMark(TQueueItemKind kind);
    void Flush();
    void Abort();
    void Start();   // clears the abort (a new stream component)
    int Size() const { return FSize.load(); }
    int Count() const { return FCount.load(); }
    bool Aborted() const { return FAbort.load(); }

private:
    std::mutex FLock;
    std::condition_variable FCond;
    std::deque<TQueueItem> FItems;
    std::atomic<int> FSize{0};
    std::atomic<int> FCount{0};
    std::atomic<bool> FAbort{false};
};

// A decoded picture waiting for its time.
struct TPictureSlot
{
    AVFrame* Frame = nullptr;
    double PTS = 0;        // seconds
    double Duration = 0;   // seconds
    std::int64_t Serial = 0;
    double Target = NAN;   // wall-clock due time, set when it reaches the head
};

// A decoded bitmap subtitle; palettes already converted to AYUV.
struct TSubtitleSlot
{
    double PTS = 0;   // seconds
    AVSubtitle Sub{};
    std::int64_t Serial = 0;
};

// The picture on screen, scaled to the letterboxed rectangle of the host,
// and the picture itself at its own size (for CurrentFrame).
struct TVideoSurface
{
    std::mutex Lock;
    int Width = 0, Height = 0;   // picture size (0: nothing shown)
    int Left = 0, Top = 0;       // its place in the host's client area
    std::vector<std::uint8_t> Bits;   // top-down BGRA rows, Width * 4 bytes each
    AVFrame* Frame = nullptr;    // a reference to the picture shown, its subtitle blended in
    double FramePTS = 0;         // its time, seconds
    bool FrameFlipped = false;   // shown upside down
};

struct TVideoState
{
    // The player, cleared (under OwnerLock) when a stop leaves threads behind.
    // Recursive: a handler run under it may stop the playback.
    std::recursive_mutex OwnerLock;
    TCustomPlayer* Owner = nullptr;
    // Runs fn(owner) under OwnerLock when the player is still attached.
    template <class F> void WithOwner(F&& fn)
    {
        std::lock_guard<std::recursive_mutex> g(OwnerLock);
        if (Owner) fn(*Owner);
    }

    std::string FileName;
    std::atomic<bool> abort_request{false};
    std::atomic<bool> paused{false};
    std::atomic<int> Opened{0};   // 0 pending, 1 opened, -1 failed
    std::atomic<bool> ReadDone{false};
    std::atomic<bool> DisableVideo{false}, DisableAudio{false};
    TAudioDriver AudioDriverChoice = adDefault;
    bool DisplayDisable = false;
    std::string VideoFilters;             // the user's filter chain
    int Wanted[7] = {-1, -1, -1, -1, -1, -1, -1};   // ordinal per media type + 1
    std::int64_t StartAt = AV_NOPTS_VALUE;          // start_time of the playback
    TShowAudio ShowAudioChoice = saWave;

    AVFormatContext* ic = nullptr;
    std::int64_t StartTime = 0;    // microseconds
    std::int64_t Duration = -1;    // microseconds, -1 unknown

    // seek request (under SeekLock)
    std::mutex SeekLock;
    std::condition_variable SeekCond;
    bool seek_req = false;
    std::atomic<bool> Seeking{false};  // set and cleared under SeekLock
    std::int64_t seek_pos = 0, seek_rel = 0;
    int seek_flags = 0;
    bool seek_from_read_pos = false;   // byte seek: seek_pos counts from the read position
    std::int64_t SeekSerial = 0;      // requests carried out
    // stream switch request (under SeekLock), carried out by the read thread
    bool switch_req = false;
    AVMediaType switch_type = AVMEDIA_TYPE_UNKNOWN;
    int switch_index = -1;
    std::int64_t SwitchSerial = 0;    // switches carried out
    std::atomic<std::int64_t> Serial{0};   // bumped by every carried-out seek

    std::atomic<bool> ReadEOF{false};     // the demuxer reached the end
    std::atomic<bool> EventEOF{false};    // the end state was posted

    // video
    std::atomic<int> video_stream{-1};
    AVStream* video_st = nullptr;
    AVCodecContext* video_dec = nullptr;
    TPacketQueue videoq;
    std::thread video_tid;
    std::atomic<bool> VideoDrained{false};
    std::mutex pictq_lock;
    std::condition_variable pictq_cond;
    std::deque<TPictureSlot> pictq;
    static constexpr std::size_t PictQueueSize = 3;
    double frame_timer = 0, frame_last_pts = 0, frame_last_delay = 0.04;   // event loop only
    std::atomic<double> video_current_pts{0}, video_current_pts_drift{0};
    std::atomic<bool> VideoShown{false};
    // The picture on screen, kept (event loop only) to repaint it at a new host
    // size or with the subtitles of the moment.
    AVFrame* LastFrame = nullptr;
    double LastPTS = 0;
    double PrerollSince = NAN;   // the first picture of a seek waits for more since then
    double LastEnd = 0;   // when the picture on screen ends (its pts plus its duration)
    std::atomic<bool> Redisplay{false};   // repaint LastFrame at the next turn
    std::atomic<bool> StepPending{false}; // pause again after the next picture
    std::atomic<double> MaxSyncGap{0};
    // The external clock: set to the playback's position by the first picture
    // (or, without video, the first sound) after the open or a seek; it then
    // runs with the wall clock and stands still while paused.
    std::atomic<double> ExtDrift{NAN};
    std::atomic<double> ExtPausedAt{NAN};
    std::atomic<std::int64_t> ExtSerial{-1};
    SwsContext* sws = nullptr;
    int FrameWidth = 0, FrameHeight = 0;
    AVRational FrameSAR{0, 1};   // set before the video thread starts; read by it only
    TVideoSurface Surface;
    std::atomic<int> HostWidth{0}, HostHeight{0};

    // audio
    std::atomic<int> audio_stream{-1};
    AVStream* audio_st = nullptr;
    AVCodecContext* audio_dec = nullptr;
    TPacketQueue audioq;
    std::atomic<std::uint32_t> AudioDevice{0};
    std::atomic<int> DevRate{0}, DevChannels{0};   // set when the device opens (also on a switch)
    SwrContext* swr = nullptr;
    int SwrFormat = -1, SwrRate = 0;
    AVChannelLayout SwrLayout{};
    double DecodedEnd = NAN;   // NAN until the first block with a time   // time of the end of the decoded audio (callback only)
    AVFrame* AudioFrame = nullptr;
    bool AudioPacketPending = false;   // the decoder may hold more frames
    std::vector<std::uint8_t> audio_buf;
    std::size_t audio_buf_size = 0, audio_buf_index = 0;
    std::atomic<double> audio_clock{NAN};   // NAN until sound with a time plays
    std::atomic<std::int64_t> AudioClockSerial{-1};   // the seek serial audio_clock belongs to
    std::atomic<double> AudioCallbackAt{0};   // NowSeconds of the last callback
    std::atomic<double> AudioBufferSeconds{0};  // one device buffer
    std::atomic<bool> AudioDrained{false};
    std::int64_t AudioSerial = 0;     // serial of the decoded sound (callback only)
    double AudioHoldSince = NAN;      // silence while the first picture is awaited (callback only)
    std::atomic<bool> VideoFailed{false};   // the pictures cannot be made (filters)

    // audio display: recent samples (device format, interleaved) in a ring
    static constexpr int SampleRingSize = 0x20000;
    std::atomic<int> show_audio{0};   // 0 none, 1 wave, 2 spectrum
    std::vector<std::int16_t> sample_array = std::vector<std::int16_t>(SampleRingSize);
    std::atomic<int> sample_array_index{0};
    std::mutex SampleLock;            // guards sample_array
    int last_i_start = 0;             // event loop only
    int xpos = 0;                     // next spectrum column (event loop only)
    int rdft_bits = 0;
    RDFTContext* rdft = nullptr;
    std::vector<float> rdft_data;
    std::vector<std::uint32_t> SpectrumBits;   // the scrolling spectrum picture
    int SpectrumW = 0, SpectrumH = 0;
    // drift filter of the audio against another master clock (callback only)
    double audio_diff_cum = 0, audio_diff_avg_coef = 0, audio_diff_threshold = 0;
    int audio_diff_avg_count = 0;
    bool Compensating = false;        // swresample is stretching

    // subtitles
    std::atomic<int> subtitle_stream{-1};
    AVStream* subtitle_st = nullptr;
    AVCodecContext* subtitle_dec = nullptr;
    TPacketQueue subtitleq;
    std::thread subtitle_tid;
    std::mutex subpq_lock;
    std::condition_variable subpq_cond;
    std::deque<TSubtitleSlot> subpq;   // under subpq_lock
    static constexpr std::size_t SubQueueSize = 4;

    // the display / event loop
    std::thread event_tid;
    std::thread parse_tid;
    std::mutex LoopLock;
    std::condition_variable LoopCond;
    std::atomic<std::int64_t> DisplaySerial{-1};   // serial of the picture on screen
    std::atomic<bool> ResyncTimer{false};
    std::atomic<HWND> Host{nullptr};   // set by Open (the own window), read by the event loop
    bool OpenPaused = false;
};

// ---- packet and picture queues ---------------------------------------------
void ClearPictureQueue(TVideoState& s);
void ClearSubtitleQueue(TVideoState& s);

// ---- clocks (seconds) --------------------------------------------------------
double GetAudioClock(TVideoState& s);
double GetVideoClock(TVideoState& s);
double GetExternalClock(TVideoState& s);
// Sets the external clock to pos (seconds) for the pictures and sound of serial.
void SetExternalClock(TVideoState& s, double pos, std::int64_t serial);
double GetMasterClock(TVideoState& s, Tav_sync_type sync);
double NowSeconds();

// Read threads that have not ended (see TCustomPlayer::RunningPlaybacks).
std::atomic<int>& RunningReadThreads();

// ---- threads -----------------------------------------------------------------
void ReadThreadProc(std::shared_ptr<TVideoState> s);
void VideoThreadProc(TVideoState* s);
void SubtitleThreadProc(TVideoState* s);
void EventLoopProc(std::shared_ptr<TVideoState> s);

// ---- stream components -------------------------------------------------------
int OpenStreamComponent(TVideoState& s, int index);
void CloseStreamComponent(TVideoState& s, int index);
void CloseAudioOutput(TVideoState& s);
// The audio device for the open audio decoder; false (logged) when it cannot open.
bool OpenAudioOutput(TVideoState& s);

// ---- subtitles ------------------------------------------------------------------
// An RGBA palette entry (a<<24 | r<<16 | g<<8 | b) as a<<24 | Y<<16 | U<<8 | V
// (BT.601, studio range).
std::uint32_t RgbaToAyuv(std::uint32_t argb);
// Blends a rectangle (8-bit indexes into an AYUV palette) into a YUV 4:2:0
// picture of w x h, clipped and moved inside it.
void BlendSubtitleRect(std::uint8_t* const dst[3], const int linesize[3], const AVSubtitleRect& rect, int w, int h);
// A YUV 4:2:0 copy of the frame with the subtitle due at pts blended in;
// nullptr when none is due.
AVFrame* FrameWithSubtitles(TVideoState& s, const AVFrame* frame, double pts);
// Drops subtitles whose time has passed at pts.
void RetireSubtitles(TVideoState& s, double pts);

// ---- audio display ---------------------------------------------------------------
// Keeps the device samples for the audio display.
void StoreSamplesForDisplay(TVideoState& s, const std::int16_t* samples, int count);
// Draws the wave or the spectrum into the surface (event loop).
void DisplayAudio(TVideoState& s, int hostW, int hostH);
void FreeAudioDisplay(TVideoState& s);

// ---- display ------------------------------------------------------------------
// Letterboxed rectangle of a picture (with its sample aspect) in a host area.
void LetterboxRect(int hostW, int hostH, int frameW, int frameH, AVRational sar, float aspect, int& x, int& y,
                   int& w, int& h);
// Scales the frame into the surface; true when it changed.
bool DisplayFrame(TVideoState& s, const AVFrame* frame, bool flip, float aspect);
