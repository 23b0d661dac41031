// The video thread (decoding into the picture queue) and the playback's event
// loop: shows each picture when it is due, tracks the position and the end.
#include <chrono>
#include <cmath>
#include <cstring>

#include "Src/DAVezi/PlayState.h"

namespace {

constexpr double SyncThreshold = 0.01;
constexpr double NoSyncThreshold = 10.0;

// Waits for room in the picture queue and queues a reference to the frame.
bool QueuePicture(TVideoState& s, AVFrame* frame, double pts, double duration, std::int64_t serial)
{
    std::unique_lock<std::mutex> g(s.pictq_lock);
    s.pictq_cond.wait(g, [&] {
        return s.pictq.size() < TVideoState::PictQueueSize || s.videoq.Aborted() || serial != s.Serial;
    });
    if (s.videoq.Aborted()) return false;
    if (serial != s.Serial) return true;   // a seek made it stale
    AVFrame* ref = ff::av_frame_clone(frame);
    if (!ref) return false;
    s.pictq.push_back({ref, pts, duration, serial});
    return true;
}

// Receives every picture the decoder has ready; false when the thread must end.
bool ReceivePictures(TVideoState& s, AVFrame* frame, std::int64_t serial)
{
    AVRational tb = s.video_st->time_base;
    AVRational rate = ff::av_guess_frame_rate(s.ic, s.video_st, nullptr);
    for (;;) {
        int r = ff::avcodec_receive_frame(s.video_dec, frame);
        if (r == AVERROR(EAGAIN)) return true;
        if (r == AVERROR_EOF) {
            s.VideoDrained = true;
            return true;
        }
        if (r < 0) return true;
        std::int64_t ts = frame->best_effort_timestamp;
        double pts = ts == AV_NOPTS_VALUE ? NAN : double(ts) * av_q2d(tb);
        double duration = rate.num && rate.den ? av_q2d(av_inv_q(rate)) : 0.0;
        if (frame->pkt_duration > 0) duration = double(frame->pkt_duration) * av_q2d(tb);
        bool ok = QueuePicture(s, frame, pts, duration, serial);
        ff::av_frame_unref(frame);
        if (!ok) return false;
    }
}

}  // namespace

void VideoThreadProc(TVideoState* sp)
{
    TVideoState& s = *sp;
    AVFrame* frame = ff::av_frame_alloc();
    std::int64_t serial = s.Serial;
    while (frame) {
        TQueueItem it;
        if (s.videoq.Get(it, true) < 0) break;
        if (it.Kind == TQueueItemKind::Flush) {
            ff::avcodec_flush_buffers(s.video_dec);
            serial = s.Serial;
            s.VideoDrained = false;
            continue;
        }
        int r = ff::avcodec_send_packet(s.video_dec, it.Kind == TQueueItemKind::Packet ? it.Pkt : nullptr);
        if (r == AVERROR(EAGAIN)) {
            // the decoder is full: take its pictures, then hand the packet again
            if (!ReceivePictures(s, frame, serial)) {
                ff::av_packet_free(&it.Pkt);
                break;
            }
            ff::avcodec_send_packet(s.video_dec, it.Kind == TQueueItemKind::Packet ? it.Pkt : nullptr);
        }
        ff::av_packet_free(&it.Pkt);
        if (!ReceivePictures(s, frame, serial)) break;
    }
    ff::av_frame_free(&frame);
}

// ---- display ----------------------------------------------------------------------

void LetterboxRect(int hostW, int hostH, int frameW, int frameH, AVRational sar, float aspect, int& x, int& y,
                   int& w, int& h)
{
    x = y = w = h = 0;
    if (hostW <= 0 || hostH <= 0 || frameW <= 0 || frameH <= 0) return;
    double ar = aspect > 0 ? double(aspect) : 0.0;
    if (ar <= 0) {
        ar = double(frameW) / frameH;
        if (sar.num > 0 && sar.den > 0) ar *= av_q2d(sar);
    }
    h = hostH;
    w = int(std::lround(h * ar)) & ~1;
    if (w > hostW) {
        w = hostW;
        h = int(std::lround(w / ar)) & ~1;
    }
    if (w <= 0) w = 1;
    if (h <= 0) h = 1;
    x = (hostW - w) / 2;
    y = (hostH - h) / 2;
}

bool DisplayFrame(TVideoState& s, const AVFrame* frame, bool flip, float aspect)
{
    int x, y, w, h;
    int hostW = s.HostWidth, hostH = s.HostHeight;
    if (hostW <= 0 || hostH <= 0) {
        // no host: the picture keeps its own size
        hostW = frame->width;
        hostH = frame->height;
    }
    LetterboxRect(hostW, hostH, frame->width, frame->height, s.FrameSAR, aspect, x, y, w, h);
    if (w <= 0 || h <= 0) return false;
    s.sws = ff::sws_getCachedContext(s.sws, frame->width, frame->height, AVPixelFormat(frame->format), w, h,
                                     AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!s.sws) return false;
    std::lock_guard<std::mutex> g(s.Surface.Lock);
    s.Surface.Bits.resize(std::size_t(w) * std::size_t(h) * 4);
    std::uint8_t* dst[4] = {s.Surface.Bits.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {w * 4, 0, 0, 0};
    if (flip) {
        dst[0] += std::size_t(w) * 4 * std::size_t(h - 1);
        dstStride[0] = -w * 4;
    }
    ff::sws_scale(s.sws, frame->data, frame->linesize, 0, frame->height, dst, dstStride);
    s.Surface.Width = w;
    s.Surface.Height = h;
    s.Surface.Left = x;
    s.Surface.Top = y;
    return true;
}

namespace {

// When the head picture is due: the previous due time plus its delay, the
// delay corrected towards the master clock.
double ComputeTargetTime(TVideoState& s, double pts, Tav_sync_type sync)
{
    double delay = pts - s.frame_last_pts;
    if (!(delay > 0 && delay < 10))
        delay = s.frame_last_delay;
    else
        s.frame_last_delay = delay;
    s.frame_last_pts = pts;
    if ((sync == AV_SYNC_AUDIO_MASTER && s.audio_stream >= 0 && s.AudioDevice) || sync == AV_SYNC_EXTERNAL_CLOCK) {
        double diff = GetVideoClock(s) - GetMasterClock(s, sync);
        double threshold = std::max(SyncThreshold, delay);
        if (std::fabs(diff) < NoSyncThreshold) {
            if (diff <= -threshold)
                delay = std::max(0.0, delay + diff);
            else if (diff >= threshold)
                delay = 2 * delay;
        }
    }
    s.frame_timer += delay;
    return s.frame_timer;
}

struct TLoopOptions
{
    Tav_sync_type Sync = AV_SYNC_AUDIO_MASTER;
    bool FrameDrop = true;
    bool Flip = false;
    float Aspect = 0;
    TRepeatType Repeat = rtStop;
};

// Shows the due picture. While paused, only the first picture after the open
// or a seek is shown.
void RefreshVideo(TVideoState& s, const TLoopOptions& opt)
{
    for (;;) {
        AVFrame* show = nullptr;
        double pts = 0;
        std::int64_t serial = 0;
        {
            std::lock_guard<std::mutex> g(s.pictq_lock);
            while (!s.pictq.empty() && s.pictq.front().Serial != s.Serial) {
                ff::av_frame_free(&s.pictq.front().Frame);
                s.pictq.pop_front();
                s.pictq_cond.notify_all();
            }
            if (s.pictq.empty()) return;
            TPictureSlot& slot = s.pictq.front();
            double now = NowSeconds();
            bool first = slot.Serial != s.DisplaySerial;
            if (s.paused && !first) return;
            double slotPts = std::isnan(slot.PTS) ? s.frame_last_pts + s.frame_last_delay : slot.PTS;
            if (first || s.ResyncTimer.exchange(false)) {
                s.frame_timer = now;
                s.frame_last_pts = slotPts;
                s.frame_last_delay = slot.Duration > 0 ? slot.Duration : 0.04;
            } else {
                if (std::isnan(slot.Target)) slot.Target = ComputeTargetTime(s, slotPts, opt.Sync);
                if (now < slot.Target) return;
                if (now - slot.Target > 0.5) s.frame_timer = now;   // far behind: start again from now
                // a late picture whose successor is already due is dropped
                if (opt.FrameDrop && s.pictq.size() > 1 && now > slot.Target + s.frame_last_delay) {
                    ff::av_frame_free(&slot.Frame);
                    s.pictq.pop_front();
                    s.pictq_cond.notify_all();
                    continue;
                }
            }
            show = slot.Frame;
            pts = slotPts;
            serial = slot.Serial;
            s.pictq.pop_front();
            s.pictq_cond.notify_all();
        }
        bool shown = DisplayFrame(s, show, opt.Flip, opt.Aspect);
        ff::av_frame_free(&show);
        s.video_current_pts = pts;
        s.video_current_pts_drift = pts - NowSeconds();
        s.VideoShown = true;
        s.DisplaySerial = serial;
        s.WithOwner([&](TCustomPlayer& o) {
            o.FSeeking = false;
            if (shown) o.InvalidateScreen(s.Host);
        });
        return;
    }
}

bool PlayedOut(TVideoState& s)
{
    if (!s.ReadEOF) return false;
    if (s.video_stream >= 0) {
        if (!s.VideoDrained || s.videoq.Count() > 0) return false;
        std::lock_guard<std::mutex> g(s.pictq_lock);
        if (!s.pictq.empty()) return false;
    }
    if (s.audio_stream >= 0 && s.AudioDevice)
        if (!s.AudioDrained || s.audioq.Count() > 0) return false;
    return true;
}

// Reports the play position (microseconds from the start of the file) when it
// moved forward, and the end of the input once.
void TrackPosition(TVideoState& s, const TLoopOptions& opt, std::int64_t& lastPos, std::int64_t& lastSerial)
{
    if (s.EventEOF) return;
    if (PlayedOut(s)) {
        s.EventEOF = true;
        s.WithOwner([&](TCustomPlayer& o) {
            if (s.Duration > 0) o.PostPosition(s.Duration);
            o.PostState(psEnd);
        });
        return;
    }
    if (s.paused) return;
    if (s.video_stream >= 0 && !s.VideoShown && s.audio_stream < 0) return;
    double clock = GetMasterClock(s, opt.Sync);
    if (std::isnan(clock)) return;
    std::int64_t pos = std::int64_t(clock * 1000000.0) - s.StartTime;
    if (pos < 0) pos = 0;
    if (s.Duration > 0 && pos > s.Duration) pos = s.Duration;
    std::int64_t serial = s.Serial;
    if (serial == lastSerial && pos <= lastPos) return;
    lastPos = pos;
    lastSerial = serial;
    s.WithOwner([&](TCustomPlayer& o) { o.PostPosition(pos); });
}

}  // namespace

void EventLoopProc(std::shared_ptr<TVideoState> sp)
{
    TVideoState& s = *sp;
    std::int64_t lastPos = -1, lastSerial = -1;
    while (!s.abort_request) {
        {
            std::unique_lock<std::mutex> g(s.LoopLock);
            s.LoopCond.wait_for(g, std::chrono::milliseconds(5), [&] { return s.abort_request.load(); });
        }
        if (s.abort_request) break;
        TLoopOptions opt;
        s.WithOwner([&](TCustomPlayer& o) {
            opt.Sync = o.Fav_sync_type;
            opt.FrameDrop = o.Fframedrop != 0;
            opt.Flip = o.FVerticalFlip;
            opt.Aspect = o.FAspectRatio;
        });
        if (s.video_stream >= 0) RefreshVideo(s, opt);
        TrackPosition(s, opt, lastPos, lastSerial);
    }
    if (s.sws) ff::sws_freeContext(s.sws);
    s.sws = nullptr;
}
