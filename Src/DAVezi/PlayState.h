// One playback of the preview player: packet queues, picture queue, clocks,
// the display surface, and the threads' entry points.
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

// The picture on screen, scaled to the letterboxed rectangle of the host.
struct TVideoSurface
{
    std::mutex Lock;
    int Width = 0, Height = 0;   // picture size (0: nothing shown)
    int Left = 0, Top = 0;       // its place in the host's client area
    std::vector<std::uint8_t> Bits;   // top-down BGRA rows, Width * 4 bytes each
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

    AVFormatContext* ic = nullptr;
    std::int64_t StartTime = 0;    // microseconds
    std::int64_t Duration = -1;    // microseconds, -1 unknown

    // seek request (under SeekLock)
    std::mutex SeekLock;
    std::condition_variable SeekCond;
    bool seek_req = false;
    std::int64_t seek_pos = 0, seek_rel = 0;
    int seek_flags = 0;
    std::int64_t SeekSerial = 0;      // requests carried out
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
    SwsContext* sws = nullptr;
    int FrameWidth = 0, FrameHeight = 0;
    AVRational FrameSAR{0, 1};
    TVideoSurface Surface;
    std::atomic<int> HostWidth{0}, HostHeight{0};

    // audio
    std::atomic<int> audio_stream{-1};
    AVStream* audio_st = nullptr;
    AVCodecContext* audio_dec = nullptr;
    TPacketQueue audioq;
    std::atomic<std::uint32_t> AudioDevice{0};
    int DevRate = 0, DevChannels = 0;
    SwrContext* swr = nullptr;
    int SwrFormat = -1, SwrRate = 0;
    AVChannelLayout SwrLayout{};
    double DecodedEnd = 0;   // time of the end of the decoded audio (callback only)
    AVFrame* AudioFrame = nullptr;
    bool AudioPacketPending = false;   // the decoder may hold more frames
    std::vector<std::uint8_t> audio_buf;
    std::size_t audio_buf_size = 0, audio_buf_index = 0;
    std::atomic<double> audio_clock{0};
    std::atomic<double> AudioCallbackAt{0};   // NowSeconds of the last callback
    double AudioBufferSeconds = 0;            // one device buffer
    std::atomic<bool> AudioDrained{false};
    std::int64_t AudioSerial = 0;

    // the display / event loop
    std::thread event_tid;
    std::thread parse_tid;
    std::mutex LoopLock;
    std::condition_variable LoopCond;
    std::int64_t DisplaySerial = -1;   // serial of the picture on screen
    std::atomic<bool> ResyncTimer{false};
    HWND Host = nullptr;
    bool OpenPaused = false;
};

// ---- packet and picture queues ---------------------------------------------
void ClearPictureQueue(TVideoState& s);

// ---- clocks (seconds) --------------------------------------------------------
double GetAudioClock(TVideoState& s);
double GetVideoClock(TVideoState& s);
double GetExternalClock(TVideoState& s);
double GetMasterClock(TVideoState& s, Tav_sync_type sync);
double NowSeconds();

// Read threads that have not ended (see TCustomPlayer::RunningPlaybacks).
std::atomic<int>& RunningReadThreads();

// ---- threads -----------------------------------------------------------------
void ReadThreadProc(std::shared_ptr<TVideoState> s);
void VideoThreadProc(TVideoState* s);
void EventLoopProc(std::shared_ptr<TVideoState> s);

// ---- stream components -------------------------------------------------------
int OpenStreamComponent(TVideoState& s, int index);
void CloseStreamComponent(TVideoState& s, int index);
void CloseAudioOutput(TVideoState& s);
// The audio device for the open audio decoder; false (logged) when it cannot open.
bool OpenAudioOutput(TVideoState& s);

// ---- display ------------------------------------------------------------------
// Letterboxed rectangle of a picture (with its sample aspect) in a host area.
void LetterboxRect(int hostW, int hostH, int frameW, int frameH, AVRational sar, float aspect, int& x, int& y,
                   int& w, int& h);
// Scales the frame into the surface; true when it changed.
bool DisplayFrame(TVideoState& s, const AVFrame* frame, bool flip, float aspect);
