// The video thread (decoding into the picture queue) and the playback's event
// loop: shows each picture when it is due, tracks the position and the end.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "Src/DAVezi/PlayState.h"
#include "Src/FFmpegLogger.h"

namespace {

constexpr double SyncThreshold = 0.01;
constexpr double NoSyncThreshold = 10.0;
constexpr std::int64_t PositionStep = 10000;   // microseconds
constexpr int RefreshPeriodUs = 5000;
constexpr double PrerollSeconds = 0.5;

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

// The user's filter chain between a "buffer" source and a "buffersink",
// made for the pictures' size and format (again when they change).
struct TFilterChain
{
    AVFilterGraph* Graph = nullptr;
    AVFilterContext* Src = nullptr;
    AVFilterContext* Sink = nullptr;
    int Width = 0, Height = 0, Format = -1;
    bool Failed = false;
    ~TFilterChain() { ff::avfilter_graph_free(&Graph); }
};

bool ConfigureFilters(TVideoState& s, TFilterChain& fc, const AVFrame* f)
{
    ff::avfilter_graph_free(&fc.Graph);
    fc.Src = fc.Sink = nullptr;
    fc.Width = f->width;
    fc.Height = f->height;
    fc.Format = f->format;
    fc.Graph = ff::avfilter_graph_alloc();
    if (!fc.Graph) return false;
    ff::av_opt_set(fc.Graph, "scale_sws_opts", "flags=bicubic", 0);
    AVRational tb = s.video_st->time_base;
    AVRational sar = s.FrameSAR.num > 0 ? s.FrameSAR : AVRational{1, 1};
    std::string args = FormatText("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", f->width,
                                  f->height, f->format, tb.num, tb.den, sar.num, sar.den);
    if (ff::avfilter_graph_create_filter(&fc.Src, ff::avfilter_get_by_name("buffer"), "in", args.c_str(), nullptr,
                                         fc.Graph) < 0 ||
        ff::avfilter_graph_create_filter(&fc.Sink, ff::avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                         fc.Graph) < 0)
        return false;
    AVFilterInOut* outputs = ff::avfilter_inout_alloc();
    AVFilterInOut* inputs = ff::avfilter_inout_alloc();
    bool ok = outputs && inputs;
    if (ok) {
        outputs->name = ff::av_strdup("in");
        outputs->filter_ctx = fc.Src;
        inputs->name = ff::av_strdup("out");
        inputs->filter_ctx = fc.Sink;
        ok = ff::avfilter_graph_parse_ptr(fc.Graph, s.VideoFilters.c_str(), &inputs, &outputs, nullptr) >= 0;
    }
    ff::avfilter_inout_free(&inputs);
    ff::avfilter_inout_free(&outputs);
    return ok && ff::avfilter_graph_config(fc.Graph, nullptr) >= 0;
}

// The frame hook, then the picture queue; false when the thread must end.
bool ProcessPicture(TVideoState& s, AVFrame* frame, AVRational tb, double duration, std::int64_t serial)
{
    std::int64_t ts = frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
    double pts = ts == AV_NOPTS_VALUE ? NAN : double(ts) * av_q2d(tb);
    if (frame->pkt_duration > 0 && s.VideoFilters.empty()) duration = double(frame->pkt_duration) * av_q2d(tb);
    s.WithOwner([&](TCustomPlayer& o) {
        if (o.FHook && o.OnHook && ff::av_frame_make_writable(frame) >= 0)
            o.DoHook(frame, std::isnan(pts) ? 0.0 : pts, s.StartTime);
    });
    return QueuePicture(s, frame, pts, duration, serial);
}

// Receives every picture the decoder has ready (through the filters when
// there are any); false when the thread must end.
bool ReceivePictures(TVideoState& s, AVFrame* frame, AVFrame* filtered, TFilterChain& fc, std::int64_t serial)
{
    AVRational tb = s.video_st->time_base;
    AVRational rate = ff::av_guess_frame_rate(s.ic, s.video_st, nullptr);
    double duration = rate.num && rate.den ? av_q2d(av_inv_q(rate)) : 0.0;
    for (;;) {
        int r = ff::avcodec_receive_frame(s.video_dec, frame);
        if (r == AVERROR(EAGAIN)) return true;
        if (r == AVERROR_EOF) {
            s.VideoDrained = true;
            return true;
        }
        if (r < 0) return true;
        if (s.VideoFilters.empty()) {
            // the stream's aspect (the container's when it has one) travels with the picture
            if (s.FrameSAR.num > 0) frame->sample_aspect_ratio = s.FrameSAR;
            bool ok = ProcessPicture(s, frame, tb, duration, serial);
            ff::av_frame_unref(frame);
            if (!ok) return false;
            continue;
        }
        if (fc.Failed) {
            ff::av_frame_unref(frame);
            continue;
        }
        if (!fc.Graph || fc.Width != frame->width || fc.Height != frame->height || fc.Format != frame->format) {
            if (!ConfigureFilters(s, fc, frame)) {
                fc.Failed = true;
                s.VideoFailed = true;
                ff::av_frame_unref(frame);
                s.WithOwner([&](TCustomPlayer& o) {
                    o.ReportError(FormatText("%s: the video filters \"%s\" could not be set up; no pictures are shown.",
                                             s.FileName.c_str(), s.VideoFilters.c_str()),
                                  false);
                });
                continue;
            }
        }
        frame->pts = frame->best_effort_timestamp;
        r = ff::av_buffersrc_add_frame_flags(fc.Src, frame, 0);
        ff::av_frame_unref(frame);
        if (r < 0) continue;
        AVRational ftb = ff::av_buffersink_get_time_base(fc.Sink);
        AVRational frate = ff::av_buffersink_get_frame_rate(fc.Sink);
        double fdur = frate.num && frate.den ? av_q2d(av_inv_q(frate)) : duration;
        while (ff::av_buffersink_get_frame(fc.Sink, filtered) >= 0) {
            filtered->best_effort_timestamp = filtered->pts;
            bool ok = ProcessPicture(s, filtered, ftb, fdur, serial);
            ff::av_frame_unref(filtered);
            if (!ok) return false;
        }
    }
}

}  // namespace

void VideoThreadProc(TVideoState* sp)
{
    TVideoState& s = *sp;
    AVFrame* frame = ff::av_frame_alloc();
    AVFrame* filtered = ff::av_frame_alloc();
    TFilterChain fc;
    std::int64_t serial = s.Serial;
    while (frame && filtered) {
        TQueueItem it;
        if (s.videoq.Get(it, true) < 0) break;
        if (it.Kind == TQueueItemKind::Flush) {
            ff::avcodec_flush_buffers(s.video_dec);
            ff::avfilter_graph_free(&fc.Graph);   // drops the pictures the filters hold
            serial = s.Serial;
            s.VideoDrained = false;
            continue;
        }
        int r = ff::avcodec_send_packet(s.video_dec, it.Kind == TQueueItemKind::Packet ? it.Pkt : nullptr);
        if (r == AVERROR(EAGAIN)) {
            // the decoder is full: take its pictures, then hand the packet again
            if (!ReceivePictures(s, frame, filtered, fc, serial)) {
                ff::av_packet_free(&it.Pkt);
                break;
            }
            ff::avcodec_send_packet(s.video_dec, it.Kind == TQueueItemKind::Packet ? it.Pkt : nullptr);
        }
        ff::av_packet_free(&it.Pkt);
        if (!ReceivePictures(s, frame, filtered, fc, serial)) break;
    }
    ff::av_frame_free(&frame);
    ff::av_frame_free(&filtered);
}

// ---- display ----------------------------------------------------------------------

void LetterboxRect(int hostW, int hostH, int frameW, int frameH, AVRational sar, float aspect, int& x, int& y,
                   int& w, int& h)
{
    x = y = w = h = 0;
    if (hostW <= 0 || hostH <= 0 || frameW <= 0 || frameH <= 0) return;
    if (aspect < 0) {   // stretched over the whole host
        w = hostW;
        h = hostH;
        return;
    }
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
    LetterboxRect(hostW, hostH, frame->width, frame->height, frame->sample_aspect_ratio, aspect, x, y, w, h);
    if (w <= 0 || h <= 0) return false;
    // A picture made smaller is averaged over its area: as smooth as bicubic
    // at a quarter of its cost (a 1080p picture in a small panel).
    int method = w < frame->width && h < frame->height ? SWS_AREA : SWS_BICUBIC;
    s.sws = ff::sws_getCachedContext(s.sws, frame->width, frame->height, AVPixelFormat(frame->format), w, h,
                                     AV_PIX_FMT_BGRA, method, nullptr, nullptr, nullptr);
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
// delay corrected towards the master clock. The audio clock runs smoothly
// between device callbacks, so a picture more than SyncThreshold off it is
// corrected at once (a threshold of a whole frame would let picture and sound
// drift a frame apart): behind, the delay shrinks by the difference (to 0 at
// least); ahead, it grows by the difference, at most to twice its length.
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
        if (std::fabs(diff) < NoSyncThreshold) {
            if (diff <= -SyncThreshold)
                delay = std::max(0.0, delay + diff);
            else if (diff >= SyncThreshold)
                delay += std::min(diff, delay);
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
    std::int64_t PlayTime = AV_NOPTS_VALUE;
    std::int64_t StartTime = AV_NOPTS_VALUE;
    int RdftSpeedMs = 20;
};

// Scales the picture (with the subtitle of the moment) into the surface and
// keeps it for repaints; the frame is taken over.
void ShowPicture(TVideoState& s, AVFrame* frame, double pts, const TLoopOptions& opt)
{
    if (frame != s.LastFrame) {
        ff::av_frame_free(&s.LastFrame);
        s.LastFrame = frame;
    }
    s.LastPTS = pts;
    bool audioDisplay = s.show_audio != 0 && s.audio_stream >= 0;   // it has the surface
    AVFrame* withSubs = nullptr;
    if (!audioDisplay && s.subtitle_stream >= 0) {
        RetireSubtitles(s, pts);
        withSubs = FrameWithSubtitles(s, frame, pts);
    }
    const AVFrame* picture = withSubs ? withSubs : frame;
    bool shown = !audioDisplay && DisplayFrame(s, picture, opt.Flip, opt.Aspect);
    {
        // a reference for CurrentFrame (the buffers are shared, not copied),
        // kept once the surface shows it
        std::lock_guard<std::mutex> g(s.Surface.Lock);
        if (!s.Surface.Frame) s.Surface.Frame = ff::av_frame_alloc();
        if (s.Surface.Frame) {
            ff::av_frame_unref(s.Surface.Frame);
            if (ff::av_frame_ref(s.Surface.Frame, picture) < 0) ff::av_frame_unref(s.Surface.Frame);
            s.Surface.FramePTS = pts;
            s.Surface.FrameFlipped = opt.Flip;
        }
    }
    ff::av_frame_free(&withSubs);
    if (shown) s.WithOwner([&](TCustomPlayer& o) { o.InvalidateScreen(s.Host); });
}

// Shows the due picture. While paused, only the first picture after the open
// or a seek is shown. Returns when the next picture is due (NAN: not known).
double RefreshVideo(TVideoState& s, const TLoopOptions& opt)
{
    for (;;) {
        AVFrame* show = nullptr;
        double pts = 0;
        std::int64_t serial = 0;
        bool first = false, stepArmed = false;
        {
            std::lock_guard<std::mutex> g(s.pictq_lock);
            while (!s.pictq.empty() && s.pictq.front().Serial != s.Serial) {
                ff::av_frame_free(&s.pictq.front().Frame);
                s.pictq.pop_front();
                s.pictq_cond.notify_all();
            }
            if (s.pictq.empty()) return NAN;
            TPictureSlot& slot = s.pictq.front();
            double now = NowSeconds();
            first = slot.Serial != s.DisplaySerial;
            if (s.paused && !first) return NAN;
            // Playing, the first picture after the open or a seek waits until
            // the queue is full (at most PrerollSeconds): the decoder's first
            // pictures come slowly, and the sound starts with this picture.
            if (first && !s.paused && s.pictq.size() < TVideoState::PictQueueSize && !s.VideoDrained &&
                !s.ReadEOF) {
                if (std::isnan(s.PrerollSince)) s.PrerollSince = now;
                if (now - s.PrerollSince < PrerollSeconds) return NAN;
            }
            s.PrerollSince = NAN;
            double slotPts = std::isnan(slot.PTS) ? s.frame_last_pts + s.frame_last_delay : slot.PTS;
            if (first || s.ResyncTimer.exchange(false)) {
                s.frame_timer = now;
                s.frame_last_pts = slotPts;
                s.frame_last_delay = slot.Duration > 0 ? slot.Duration : 0.04;
            } else {
                if (std::isnan(slot.Target)) slot.Target = ComputeTargetTime(s, slotPts, opt.Sync);
                if (now < slot.Target) return slot.Target;
                // a late picture whose successor is already due is dropped
                if (opt.FrameDrop && s.pictq.size() > 1 && now > slot.Target + s.frame_last_delay) {
                    ff::av_frame_free(&slot.Frame);
                    s.pictq.pop_front();
                    s.pictq_cond.notify_all();
                    continue;
                }
                // Shown late: the next delays count from now. (The video clock
                // already tells the lateness to the sync; an old due time
                // would count it twice and show the next pictures early.)
                if (now - slot.Target > SyncThreshold) s.frame_timer = now;
            }
            show = slot.Frame;
            pts = slotPts;
            s.LastEnd = pts + (slot.Duration > 0 ? slot.Duration : s.frame_last_delay);
            serial = slot.Serial;
            // a step asked for before this picture was taken ends with it
            stepArmed = s.StepPending;
            s.pictq.pop_front();
            s.pictq_cond.notify_all();
        }
        ShowPicture(s, show, pts, opt);
        if (s.audio_stream >= 0 && s.AudioDevice) {
            double gap = std::fabs(pts - GetAudioClock(s));
            if (!first && gap < NoSyncThreshold && gap > s.MaxSyncGap) s.MaxSyncGap = gap;
        }
        if (first) SetExternalClock(s, pts, serial);
        s.video_current_pts = pts;
        s.video_current_pts_drift = pts - NowSeconds();
        s.VideoShown = true;
        s.DisplaySerial = serial;
        {
            // the seek has ended when a picture decoded after it is shown
            std::lock_guard<std::mutex> g(s.SeekLock);
            if (!s.seek_req && serial == s.Serial) s.Seeking = false;
        }
        if (stepArmed && s.StepPending.exchange(false)) {   // a step shows one picture
            s.ExtPausedAt = GetExternalClock(s);
            s.paused = true;
        }
        // the next picture's due time, reckoned now that this one is shown
        std::lock_guard<std::mutex> g(s.pictq_lock);
        if (s.paused || s.pictq.empty()) return NAN;
        TPictureSlot& next = s.pictq.front();
        if (next.Serial != serial) return NAN;
        if (std::isnan(next.Target))
            next.Target = ComputeTargetTime(s, std::isnan(next.PTS) ? s.frame_last_pts + s.frame_last_delay : next.PTS,
                                            opt.Sync);
        return next.Target;
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

// Reports the play position (microseconds from the start of the file: the
// picture's clock with video, else the sound's) when it moved on by more than
// 10 ms or a seek was made, the end of the input once, and the end of the
// play range.
void TrackPosition(TVideoState& s, const TLoopOptions& opt, std::int64_t& lastPos, std::int64_t& lastSerial,
                   std::int64_t& rangeSerial)
{
    if (s.EventEOF) return;
    if (PlayedOut(s)) {
        s.EventEOF = true;
        {
            // a seek that found no picture before the end (past the last one) ends here
            std::lock_guard<std::mutex> g(s.SeekLock);
            if (!s.seek_req) s.Seeking = false;
        }
        s.WithOwner([&](TCustomPlayer& o) {
            if (s.Duration > 0) o.PostPosition(s.Duration);
            o.PostState(psEnd);
            if (opt.PlayTime != AV_NOPTS_VALUE) o.ApplyPlayRange(s.Duration > 0 ? s.Duration : INT64_MAX);
        });
        return;
    }
    if (s.paused) return;
    double clock;
    std::int64_t serial;
    if (s.video_stream >= 0 && s.VideoShown) {
        // not past the end of the picture on screen (the input may stall)
        clock = std::min(GetVideoClock(s), s.LastEnd);
        serial = s.DisplaySerial;   // a seek counts once its first picture is shown
    } else if (s.audio_stream >= 0) {
        clock = GetAudioClock(s);
        serial = s.Serial;
    } else {
        return;
    }
    if (std::isnan(clock)) return;
    std::int64_t pos = std::llround(clock * 1000000.0) - s.StartTime;
    if (pos < 0) pos = 0;
    if (s.Duration > 0 && pos > s.Duration) pos = s.Duration;
    // Between seeks the position only moves on: a clock that runs a little past
    // a late picture and falls back when it comes is not reported.
    if (serial == lastSerial && pos - lastPos <= PositionStep) return;
    lastPos = pos;
    lastSerial = serial;
    s.WithOwner([&](TCustomPlayer& o) { o.PostPosition(pos); });
    if (opt.PlayTime != AV_NOPTS_VALUE && rangeSerial != serial) {
        std::int64_t end = opt.StartTime != AV_NOPTS_VALUE ? opt.StartTime + opt.PlayTime : opt.PlayTime;
        if (pos >= end) {
            rangeSerial = serial;   // once until the next seek
            s.WithOwner([&](TCustomPlayer& o) { o.ApplyPlayRange(pos); });
        }
    }
}

}  // namespace

void EventLoopProc(std::shared_ptr<TVideoState> sp)
{
    TVideoState& s = *sp;
    std::int64_t lastPos = -1, lastSerial = -1, rangeSerial = -1;
    double lastAudioDisplay = 0;
    double due = NAN;
    while (!s.abort_request) {
        {
            // a turn every 5 ms, or at the moment the next picture is due
            auto wait = std::chrono::microseconds(RefreshPeriodUs);
            if (!std::isnan(due)) {
                double left = (due - NowSeconds()) * 1e6;
                wait = std::chrono::microseconds(std::int64_t(std::clamp(left, 0.0, double(RefreshPeriodUs))));
            }
            std::unique_lock<std::mutex> g(s.LoopLock);
            s.LoopCond.wait_for(g, wait, [&] { return s.abort_request.load(); });
        }
        due = NAN;
        if (s.abort_request) break;
        TLoopOptions opt;
        s.WithOwner([&](TCustomPlayer& o) {
            opt.Sync = o.Fav_sync_type;
            opt.FrameDrop = o.Fframedrop != 0;
            opt.Flip = o.FVerticalFlip;
            opt.Aspect = o.FAspectRatio;
            opt.PlayTime = o.FPlayTime;
            opt.StartTime = o.Fstart_time;
            opt.RdftSpeedMs = o.Frdftspeed > 0 ? o.Frdftspeed.load() : 20;
        });
        bool redisplay = s.Redisplay.exchange(false);
        if (s.video_stream >= 0) {
            due = RefreshVideo(s, opt);
            if (redisplay && s.LastFrame) ShowPicture(s, s.LastFrame, s.LastPTS, opt);
        }
        if (s.show_audio != 0 && s.audio_stream >= 0 && s.Host) {
            double now = NowSeconds();
            if (redisplay || (!s.paused && now - lastAudioDisplay >= opt.RdftSpeedMs / 1000.0)) {
                lastAudioDisplay = now;
                DisplayAudio(s, s.HostWidth, s.HostHeight);
                s.WithOwner([&](TCustomPlayer& o) { o.InvalidateScreen(s.Host); });
            }
        }
        TrackPosition(s, opt, lastPos, lastSerial, rangeSerial);
    }
    ff::av_frame_free(&s.LastFrame);
    {
        std::lock_guard<std::mutex> g(s.Surface.Lock);
        ff::av_frame_free(&s.Surface.Frame);
    }
    FreeAudioDisplay(s);
    if (s.sws) ff::sws_freeContext(s.sws);
    s.sws = nullptr;
}
