// The read thread: opens the input, opens one video and one audio stream,
// then reads packets into the queues and carries out pause and seek requests.
#include <algorithm>
#include <chrono>
#include <climits>

#include "Src/DAVezi/PlayState.h"
#include "Src/FFUtils.h"
#include "Src/FFmpegLogger.h"
#include "Src/UnicodeProtocol.h"

namespace {

constexpr int MaxQueueSize = 15 * 1024 * 1024;
constexpr int AudioLowWater = 0x50000;
constexpr int VideoLowPackets = 5;

// Blocking I/O of this playback's input gives up once it is stopped.
int InterruptCallback(void* opaque) { return static_cast<TVideoState*>(opaque)->abort_request ? 1 : 0; }

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void Fail(TVideoState& s, const std::string& msg)
{
    s.WithOwner([&](TCustomPlayer& o) { o.SetLastErrMsg(msg); });
}

void Log(TVideoState& s, TLogLevel lvl, const std::string& msg)
{
    std::lock_guard<std::recursive_mutex> g(s.OwnerLock);
    GetFFLogger()->Log(s.Owner, lvl, msg);
}

// Per media type, the stream at the wanted ordinal among that type's streams
// (none when there are fewer), else FFmpeg's best stream (the count of probed
// frames that the library keeps to itself weighs in its choice).
int ChooseStream(AVFormatContext* ic, AVMediaType type, int wanted, int related = -1)
{
    if (wanted >= 0) {
        int n = 0;
        for (unsigned i = 0; i < ic->nb_streams; i++)
            if (ic->streams[i]->codecpar->codec_type == type && n++ == wanted) return int(i);
        return -1;
    }
    int r = ff::av_find_best_stream(ic, type, -1, related, nullptr, 0);
    return r >= 0 ? r : -1;
}

// A stream switch asked for by the player, between two reads.
void DoSwitch(TVideoState& s)
{
    AVMediaType type;
    int index;
    {
        std::lock_guard<std::mutex> g(s.SeekLock);
        type = s.switch_type;
        index = s.switch_index;
    }
    int current = type == AVMEDIA_TYPE_VIDEO   ? s.video_stream.load()
                  : type == AVMEDIA_TYPE_AUDIO ? s.audio_stream.load()
                                               : s.subtitle_stream.load();
    if (current != index) {
        if (current >= 0) CloseStreamComponent(s, current);
        if (index >= 0) OpenStreamComponent(s, index);
        s.Redisplay = true;   // a paused picture loses or gains its subtitles
    }
    std::lock_guard<std::mutex> g(s.SeekLock);
    s.switch_req = false;
    s.SwitchSerial++;
    s.SeekCond.notify_all();
}

void DoSeek(TVideoState& s, AVFormatContext* ic)
{
    std::int64_t pos, rel;
    int flags;
    bool fromReadPos;
    {
        std::lock_guard<std::mutex> g(s.SeekLock);
        pos = s.seek_pos;
        rel = s.seek_rel;
        flags = s.seek_flags;
        fromReadPos = s.seek_from_read_pos;
    }
    if (fromReadPos) {
        std::int64_t at = ic->pb ? ff::avio_seek(ic->pb, 0, SEEK_CUR) : 0;   // the read position
        pos = std::max<std::int64_t>(0, std::max<std::int64_t>(0, at) + pos);
    }
    std::int64_t lo = rel > 0 ? pos - rel + 2 : INT64_MIN;
    std::int64_t hi = rel < 0 ? pos - rel - 2 : INT64_MAX;
    int r = ff::avformat_seek_file(ic, -1, lo, pos, hi, flags);
    if (r < 0) r = ff::av_seek_frame(ic, -1, pos, flags);
    if (r < 0) r = ff::av_seek_frame(ic, -1, pos, flags ^ AVSEEK_FLAG_BACKWARD);
    if (r < 0) Log(s, llError, FormatText("%s: error while seeking", s.FileName.c_str()));
    {
        // One step under the lock: a picture shown ends the seek only when it
        // was decoded after it (see the event loop).
        std::lock_guard<std::mutex> g(s.SeekLock);
        if (r >= 0) {
            s.Serial++;
            if (s.audio_stream >= 0) {
                s.audioq.Flush();
                s.audioq.PutMark(TQueueItemKind::Flush);
            }
            if (s.subtitle_stream >= 0) {
                s.subtitleq.Flush();
                s.subtitleq.PutMark(TQueueItemKind::Flush);
                ClearSubtitleQueue(s);
            }
            if (s.video_stream >= 0) {
                s.videoq.Flush();
                s.videoq.PutMark(TQueueItemKind::Flush);
                ClearPictureQueue(s);
            }
            s.ReadEOF = false;
            s.EventEOF = false;
        }
        if (s.video_stream < 0 || r < 0) s.Seeking = false;
        s.seek_req = false;
        s.SeekSerial++;
        s.SeekCond.notify_all();
    }
}

void ReadLoop(TVideoState& s, AVFormatContext* ic)
{
    AVPacket* pkt = ff::av_packet_alloc();
    bool lastPaused = false, eof = false, reported = false, marked = false;
    while (pkt && !s.abort_request) {
        if (s.paused != lastPaused) {
            lastPaused = s.paused;
            if (lastPaused)
                ff::av_read_pause(ic);
            else
                ff::av_read_play(ic);
        }
        bool seek, sw;
        {
            std::lock_guard<std::mutex> g(s.SeekLock);
            seek = s.seek_req;
            sw = s.switch_req;
        }
        if (sw) {
            DoSwitch(s);
            marked = false;   // a new decoder at the end of the input drains too
            continue;
        }
        if (seek) {
            DoSeek(s, ic);
            eof = reported = marked = false;
            continue;
        }
        if (s.audioq.Size() + s.videoq.Size() + s.subtitleq.Size() > MaxQueueSize ||
            ((s.audio_stream < 0 || s.audioq.Size() > AudioLowWater) &&
             (s.video_stream < 0 || s.videoq.Count() > VideoLowPackets) &&
             (s.subtitle_stream < 0 || s.subtitleq.Count() > VideoLowPackets))) {
            Sleep(10);
            continue;
        }
        if (eof) {
            // once: the decoders hand out what they still hold
            if (!marked) {
                if (s.video_stream >= 0) s.videoq.PutMark(TQueueItemKind::EndOfInput);
                if (s.audio_stream >= 0) s.audioq.PutMark(TQueueItemKind::EndOfInput);
                marked = true;
            }
            s.ReadEOF = true;
            Sleep(10);
            continue;
        }
        int r = ff::av_read_frame(ic, pkt);
        if (s.abort_request) break;
        if (r == AVERROR(EAGAIN)) {
            Sleep(10);
            continue;
        }
        if (r < 0) {
            // After an error the loop still serves seeks and the stop.
            if (!reported) {
                if (r == AVERROR_EOF || (ic->pb && ff::avio_feof(ic->pb)))
                    Log(s, llInfo, FormatText("reach end of file: %s", s.FileName.c_str()));
                else
                    Log(s, llError, FormatText("error #%d while reading file: %s", r, s.FileName.c_str()));
                reported = true;
            }
            eof = true;
            if (r != AVERROR_EOF) Sleep(100);
            continue;
        }
        if (pkt->stream_index == s.audio_stream)
            s.audioq.Put(pkt);
        else if (pkt->stream_index == s.video_stream)
            s.videoq.Put(pkt);
        else if (pkt->stream_index == s.subtitle_stream)
            s.subtitleq.Put(pkt);
        ff::av_packet_unref(pkt);
    }
    ff::av_packet_free(&pkt);
}

}  // namespace

void ReadThreadProc(std::shared_ptr<TVideoState> sp)
{
    TVideoState& s = *sp;
    AVFormatContext* ic = ff::avformat_alloc_context();
    if (!ic) {
        Fail(s, "avformat_alloc_context() failed.");
    } else {
        ic->interrupt_callback.callback = InterruptCallback;
        ic->interrupt_callback.opaque = &s;
        std::string url = FileNameToURL(s.FileName);
        int r = ff::avformat_open_input(&ic, url.c_str(), nullptr, nullptr);
        if (r < 0) {
            Fail(s, FormatAVError(s.FileName, r));   // the context is freed by the failed open
        } else {
            s.ic = ic;
            if (ff::avformat_find_stream_info(ic, nullptr) < 0) {
                Fail(s, FormatText("%s: could not find codec parameters", s.FileName.c_str()));
            } else {
                if (ic->pb) ic->pb->eof_reached = 0;
                if (ic->start_time != AV_NOPTS_VALUE) s.StartTime = ic->start_time;
                s.Duration = ic->duration != AV_NOPTS_VALUE ? ic->duration : -1;
                for (unsigned i = 0; i < ic->nb_streams; i++)
                    ic->streams[i]->discard = AVDISCARD_ALL;
                if (s.StartAt != AV_NOPTS_VALUE) {
                    std::int64_t target = s.StartAt + (ic->start_time != AV_NOPTS_VALUE ? ic->start_time : 0);
                    if (ff::avformat_seek_file(ic, -1, INT64_MIN, target, INT64_MAX, 0) < 0)
                        Log(s, llError,
                            FormatText("%s: could not seek to position %0.3f", s.FileName.c_str(), target / 1000000.0));
                }
                int v = s.DisableVideo ? -1 : ChooseStream(ic, AVMEDIA_TYPE_VIDEO, s.Wanted[AVMEDIA_TYPE_VIDEO + 1]);
                int a = s.DisableAudio ? -1 : ChooseStream(ic, AVMEDIA_TYPE_AUDIO, s.Wanted[AVMEDIA_TYPE_AUDIO + 1], v);
                int t = s.DisableVideo ? -1
                                       : ChooseStream(ic, AVMEDIA_TYPE_SUBTITLE, s.Wanted[AVMEDIA_TYPE_SUBTITLE + 1],
                                                      v >= 0 ? v : a);
                if (a >= 0) OpenStreamComponent(s, a);
                if (v >= 0) OpenStreamComponent(s, v);
                if (s.video_stream < 0 && !s.DisplayDisable) s.show_audio = int(s.ShowAudioChoice);
                if (t >= 0) OpenStreamComponent(s, t);
                if (s.video_stream < 0 && s.audio_stream < 0) {
                    Fail(s, FormatText("%s: could not open codecs, no stream to play.", s.FileName.c_str()));
                } else {
                    s.Opened = 1;
                    ReadLoop(s, ic);
                }
            }
        }
    }
    if (s.audio_stream >= 0) CloseStreamComponent(s, s.audio_stream);
    if (s.video_stream >= 0) CloseStreamComponent(s, s.video_stream);
    if (s.subtitle_stream >= 0) CloseStreamComponent(s, s.subtitle_stream);
    if (s.ic) ff::avformat_close_input(&s.ic);
    if (s.Opened != 1) s.Opened = -1;
    // SDL keeps per-thread data (its error text) for threads it did not start
    if (ff::SDL_TLSCleanup) ff::SDL_TLSCleanup();
    s.ReadDone = true;
    RunningReadThreads()--;
}

std::atomic<int>& RunningReadThreads()
{
    static std::atomic<int> n{0};
    return n;
}

// ---- stream components --------------------------------------------------------------

int OpenStreamComponent(TVideoState& s, int index)
{
    AVFormatContext* ic = s.ic;
    if (index < 0 || unsigned(index) >= ic->nb_streams) return -1;
    AVStream* st = ic->streams[index];
    const AVCodec* codec = ff::avcodec_find_decoder(st->codecpar->codec_id);
    AVCodecContext* dec = codec ? ff::avcodec_alloc_context3(codec) : nullptr;
    bool ok = dec && ff::avcodec_parameters_to_context(dec, st->codecpar) >= 0;
    if (ok) {
        dec->pkt_timebase = st->time_base;
        dec->thread_count = 1;
        TCodecLockGuard lock;
        ok = ff::avcodec_open2(dec, codec, nullptr) >= 0;
    }
    if (!ok) {
        if (dec) {
            TCodecLockGuard lock;
            ff::avcodec_free_context(&dec);
        }
        Log(s, llError, "avcodec_open() failed.");
        return -1;
    }
    st->discard = AVDISCARD_DEFAULT;
    if (dec->codec_type == AVMEDIA_TYPE_AUDIO) {
        s.audio_dec = dec;
        s.audio_st = st;
        s.audio_stream = index;
        s.audioq.Start();
        s.audioq.PutMark(TQueueItemKind::Flush);
        if (!OpenAudioOutput(s)) {
            // the video still plays; the decoder goes with the audio output
            CloseStreamComponent(s, index);
            return -1;
        }
    } else if (dec->codec_type == AVMEDIA_TYPE_VIDEO) {
        s.video_dec = dec;
        s.video_st = st;
        s.video_stream = index;
        s.FrameWidth = dec->width;
        s.FrameHeight = dec->height;
        s.FrameSAR = ff::av_guess_sample_aspect_ratio(ic, st, nullptr);
        s.videoq.Start();
        s.videoq.PutMark(TQueueItemKind::Flush);
        s.video_tid = std::thread(VideoThreadProc, &s);
    } else if (dec->codec_type == AVMEDIA_TYPE_SUBTITLE) {
        s.subtitle_dec = dec;
        s.subtitle_st = st;
        s.subtitle_stream = index;
        s.subtitleq.Start();
        s.subtitleq.PutMark(TQueueItemKind::Flush);
        s.subtitle_tid = std::thread(SubtitleThreadProc, &s);
    } else {
        TCodecLockGuard lock;
        ff::avcodec_free_context(&dec);
        st->discard = AVDISCARD_ALL;
    }
    return 0;
}

namespace {

// Ends a decoding thread: its packet queue is aborted, a wait for room in its
// output queue woken, the thread joined and the packets left dropped.
void EndConsumer(TPacketQueue& q, std::mutex& outLock, std::condition_variable& outCond, std::thread& t)
{
    q.Abort();
    {
        std::lock_guard<std::mutex> g(outLock);
        outCond.notify_all();
    }
    if (t.joinable()) t.join();
    q.Flush();
}

}  // namespace

void CloseStreamComponent(TVideoState& s, int index)
{
    if (!s.ic || index < 0 || unsigned(index) >= s.ic->nb_streams) return;
    AVCodecContext* dec = nullptr;
    if (index == s.video_stream) {
        EndConsumer(s.videoq, s.pictq_lock, s.pictq_cond, s.video_tid);
        ClearPictureQueue(s);
        dec = s.video_dec;
        s.video_dec = nullptr;
        s.video_st = nullptr;
        s.video_stream = -1;
    } else if (index == s.audio_stream) {
        s.audioq.Abort();
        CloseAudioOutput(s);
        s.audioq.Flush();
        dec = s.audio_dec;
        s.audio_dec = nullptr;
        s.audio_st = nullptr;
        s.audio_stream = -1;
    } else if (index == s.subtitle_stream) {
        EndConsumer(s.subtitleq, s.subpq_lock, s.subpq_cond, s.subtitle_tid);
        ClearSubtitleQueue(s);
        dec = s.subtitle_dec;
        s.subtitle_dec = nullptr;
        s.subtitle_st = nullptr;
        s.subtitle_stream = -1;
    } else {
        return;
    }
    s.ic->streams[index]->discard = AVDISCARD_ALL;
    TCodecLockGuard lock;
    ff::avcodec_free_context(&dec);
}
