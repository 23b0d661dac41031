#include "Src/DAVezi/PlayState.h"

#include <cmath>

// ---- packet queue ---------------------------------------------------------------

int TPacketQueue::Put(AVPacket* pkt)
{
    AVPacket* own = ff::av_packet_alloc();
    if (!own) return -1;
    if (ff::av_packet_ref(own, pkt) < 0) {
        ff::av_packet_free(&own);
        return -1;
    }
    ff::av_packet_unref(pkt);
    std::lock_guard<std::mutex> g(FLock);
    if (FAbort) {
        ff::av_packet_free(&own);
        return -1;
    }
    FItems.push_back({TQueueItemKind::Packet, own});
    FCount++;
    FSize += own->size + int(sizeof(TQueueItem));
    FCond.notify_one();
    return 0;
}

void TPacketQueue::PutMark(TQueueItemKind kind)
{
    std::lock_guard<std::mutex> g(FLock);
    FItems.push_back({kind, nullptr});
    FCount++;
    FSize += int(sizeof(TQueueItem));
    FCond.notify_one();
}

int TPacketQueue::Get(TQueueItem& item, bool block)
{
    std::unique_lock<std::mutex> g(FLock);
    for (;;) {
        if (FAbort) return -1;
        if (!FItems.empty()) {
            item = FItems.front();
            FItems.pop_front();
            FCount--;
            FSize -= (item.Pkt ? item.Pkt->size : 0) + int(sizeof(TQueueItem));
            return 1;
        }
        if (!block) return 0;
        FCond.wait(g);
    }
}

bool TPacketQueue::TakeMark(TQueueItemKind kind)
{
    std::lock_guard<std::mutex> g(FLock);
    if (FAbort || FItems.empty() || FItems.front().Kind != kind) return false;
    FItems.pop_front();
    FCount--;
    FSize -= int(sizeof(TQueueItem));
    return true;
}

void TPacketQueue::Flush()
{
    std::lock_guard<std::mutex> g(FLock);
    for (auto& it : FItems)
        if (it.Pkt) ff::av_packet_free(&it.Pkt);
    FItems.clear();
    FCount = 0;
    FSize = 0;
}

void TPacketQueue::Abort()
{
    std::lock_guard<std::mutex> g(FLock);
    FAbort = true;
    FCond.notify_all();
}

void TPacketQueue::Start()
{
    std::lock_guard<std::mutex> g(FLock);
    FAbort = false;
}

void ClearPictureQueue(TVideoState& s)
{
    std::lock_guard<std::mutex> g(s.pictq_lock);
    for (auto& p : s.pictq)
        ff::av_frame_free(&p.Frame);
    s.pictq.clear();
    s.pictq_cond.notify_all();
}

// ---- clocks -------------------------------------------------------------------------

double NowSeconds() { return double(ff::av_gettime_relative()) / 1000000.0; }

// The audio callback leaves the time of the sample the device plays next;
// the time passed since that callback (at most one device buffer) is added
// so that the clock runs smoothly between callbacks.
double GetAudioClock(TVideoState& s)
{
    if (s.AudioClockSerial != s.Serial) return NAN;   // no sound of the current position yet
    double clock = s.audio_clock.load();
    double at = s.AudioCallbackAt.load();
    if (s.paused || at <= 0) return clock;
    double elapsed = NowSeconds() - at;
    if (elapsed < 0) elapsed = 0;
    if (elapsed > s.AudioBufferSeconds) elapsed = s.AudioBufferSeconds;
    return clock + elapsed;
}

double GetVideoClock(TVideoState& s)
{
    if (s.paused) return s.video_current_pts;
    if (s.VideoShown) return s.video_current_pts_drift + NowSeconds();
    return double(s.StartTime) / 1000000.0;
}

double GetExternalClock(TVideoState& s)
{
    if (s.paused) return s.ExtPausedAt;
    return s.ExtDrift + NowSeconds();
}

void SetExternalClock(TVideoState& s, double pos, std::int64_t serial)
{
    s.ExtDrift = pos - NowSeconds();
    s.ExtPausedAt = pos;
    s.ExtSerial = serial;
}

double GetMasterClock(TVideoState& s, Tav_sync_type sync)
{
    switch (sync) {
    case AV_SYNC_VIDEO_MASTER:
        return s.video_stream >= 0 ? GetVideoClock(s) : GetAudioClock(s);
    case AV_SYNC_AUDIO_MASTER:
        return s.audio_stream >= 0 && s.AudioDevice ? GetAudioClock(s) : GetVideoClock(s);
    default:
        return GetExternalClock(s);
    }
}
