// The transcoding run and its main loop: set-up, then packet after packet
// (choose an input, read, adjust the time stamps, pass the packet on, report
// progress) until the inputs end, a limit is reached or the run is stopped;
// then the end of the run (drain, trailers, last report, codecs closed).
// Join mode's segment ends, and the run's working records and codec closing.
#include <algorithm>
#include <cmath>
#include <thread>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpeg/Run.h"
#include "Src/FFmpegLogger.h"

using namespace ffengine;

// ---- the main loop -------------------------------------------------------------------------
void TCustomFFmpeg::Transcode()
{
    TRunState R;
    BeginRun(R);
    if (!SetUpRun(R))
        return;
    while (!FBroken) {
        WaitWhilePaused();
        if (FBroken)
            break;
        const int file = ChooseInput(R);
        if (file == TRunState::RETRY)
            continue;
        if (file < 0 || OutputSizeLimitReached())
            break;
        const int read = ReadPacket(R, file);
        if (read == TRunState::RETRY)
            continue;
        if (read < 0)
            break;
        const bool passed = PassPacket(R, file, R.pkt);
        ff::av_packet_unref(R.pkt);
        if (passed)
            ReportProgressWhenDue(R);
    }
    EndRun(R);
}

// The run's work frames and counters.
void TCustomFFmpeg::BeginRun(TRunState& R)
{
    R.owner = this;
    R.frame = ff::av_frame_alloc();
    R.filt = ff::av_frame_alloc();
    R.pkt = ff::av_packet_alloc();
    R.opkt = ff::av_packet_alloc();
    if (!R.frame || !R.filt || !R.pkt || !R.opkt)
        throw FFmpegException("av_mallocz fail");
    Fvideo_size = Faudio_size = Fextra_size = 0;
    Fnb_frames_dup = Fnb_frames_drop = 0;
    FShowDupOrDrop = false;
}

// The set-up; false when a stop ended it, quietly and with nothing written.
bool TCustomFFmpeg::SetUpRun(TRunState& R)
{
    FInSetup = true;
    try {
        TranscodeSetup(R);
    } catch (...) {
        FInSetup = false;
        if (FBroken)
            return false;
        throw;
    }
    FInSetup = false;
    Ftimer_start = ff::av_gettime_relative();
    R.last_report_clock = Ftimer_start;
    R.current_file = 0;
    return true;
}

// The input to read next: outside join mode the one whose stream lags most
// (by output position, or by input position with input sync); in join mode
// the current segment's. -1 when the run is over (every input at its end, or
// a frame limit reached); RETRY after a pause when inputs had no packet ready.
int TCustomFFmpeg::ChooseInput(TRunState& R)
{
    auto limitReached = [this](TAVOutputStream* ost) {
        return ost->frame_number >= Fmax_frames[std::min<int>(MaxFramesIndex(ost), 3)];
    };
    if (FJoinMode) {
        for (auto* ost : R.ost)
            if (limitReached(ost))
                return -1;
        return R.current_file;
    }
    int file = -1;
    double ipts_min = 1e100, opts_min = 1e100;
    for (auto* ost : R.ost) {
        TAVInputStream* ist = R.ist[ost->source_index];
        if (ist->is_past_recording_time || R.no_packet[ist->file_index])
            continue;
        const double opts = ost->out_pos;
        const double ipts = (double)ist->pts;
        if (!R.files[ist->file_index].eof_reached) {
            if (ipts < ipts_min) {
                ipts_min = ipts;
                if (Finput_sync)
                    file = ist->file_index;
            }
            if (opts < opts_min) {
                opts_min = opts;
                if (!Finput_sync)
                    file = ist->file_index;
            }
        }
        if (limitReached(ost))
            return -1;
    }
    if (file < 0 && R.no_packet_count > 0) {
        R.no_packet.assign(R.no_packet.size(), false);
        R.no_packet_count = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return TRunState::RETRY;
    }
    return file;
}

// The first output file has grown past the size limit ("fs").
bool TCustomFFmpeg::OutputSizeLimitReached()
{
    if (Flimit_filesize == 0)
        return false;
    AVIOContext* pb = Foutput_files[0]->ctx->pb;
    return pb && ff::avio_seek(pb, 0, SEEK_CUR) > Flimit_filesize;
}

// Reads one packet of the input into R.pkt: 0 with a packet, RETRY when the
// input had none ready or ended while others go on (or its join segment
// ended), -1 when its end ends the run.
int TCustomFFmpeg::ReadPacket(TRunState& R, int AFile)
{
    AVFormatContext* ic = Finput_files[AFile]->ctx;
    const int r = ff::av_read_frame(ic, R.pkt);
    if (r == AVERROR(EAGAIN)) {
        R.no_packet[AFile] = true;
        R.no_packet_count++;
        return TRunState::RETRY;
    }
    if (r < 0) {
        R.files[AFile].eof_reached = 1;
        if (FJoinMode)
            return EndJoinSegment(R, AFile) ? TRunState::RETRY : -1;
        return Fopt_shortest ? -1 : TRunState::RETRY;
    }
    R.no_packet.assign(R.no_packet.size(), false);
    R.no_packet_count = 0;
    if (Fdo_pkt_dump)
        ff::av_pkt_dump_log2(nullptr, AV_LOG_DEBUG, R.pkt, Fdo_hex_dump, ic->streams[R.pkt->stream_index]);
    return 0;
}

// The file's time-stamp offset and scale, and a discontinuity of a format
// that has them, applied to a packet of the stream.
void TCustomFFmpeg::AdjustTimestamps(int AFile, TAVInputStream* ist, AVPacket* pkt)
{
    AVFormatContext* ic = Finput_files[AFile]->ctx;
    const AVRational tb = ist->st->time_base;
    const int64_t off = Finput_files_ts_offset[AFile];
    if (pkt->dts != AV_NOPTS_VALUE)
        pkt->dts += ff::av_rescale_q(off, AV_TIME_BASE_Q, tb);
    if (pkt->pts != AV_NOPTS_VALUE)
        pkt->pts += ff::av_rescale_q(off, AV_TIME_BASE_Q, tb);
    const double scale = pkt->stream_index < MAX_STREAMS ? Finput_files_ts_scale[AFile][pkt->stream_index] : 0;
    if (scale != 0.0) {
        if (pkt->pts != AV_NOPTS_VALUE)
            pkt->pts = std::llround(pkt->pts * scale);
        if (pkt->dts != AV_NOPTS_VALUE)
            pkt->dts = std::llround(pkt->dts * scale);
    }
    if (pkt->dts == AV_NOPTS_VALUE || ist->next_pts == AV_NOPTS_VALUE || !(ic->iformat->flags & AVFMT_TS_DISCONT))
        return;
    const int64_t pktTime = ff::av_rescale_q(pkt->dts, tb, AV_TIME_BASE_Q);
    const int64_t delta = pktTime - ist->next_pts;
    if ((std::llabs(delta) > (int64_t)(Fdts_delta_threshold * AV_TIME_BASE) || pktTime + 1 < ist->pts) && !Fcopy_ts) {
        Finput_files_ts_offset[AFile] -= delta;
        if (Fverbose > 2)
            Log(llVerbose, Format("timestamp discontinuity %lld, new offset= %lld", (long long)delta,
                                  (long long)Finput_files_ts_offset[AFile]));
        pkt->dts -= ff::av_rescale_q(delta, AV_TIME_BASE_Q, tb);
        if (pkt->pts != AV_NOPTS_VALUE)
            pkt->pts -= ff::av_rescale_q(delta, AV_TIME_BASE_Q, tb);
    }
}

// Drops a packet of a stream that came after the start, of a discarded
// stream or past the recording time; passes every other one on. False after
// a decoding error (the progress check waits for the next packet).
bool TCustomFFmpeg::PassPacket(TRunState& R, int AFile, AVPacket* pkt)
{
    if (pkt->stream_index >= R.files[AFile].nb_streams)
        return true;
    const int index = R.files[AFile].ist_index + pkt->stream_index;
    TAVInputStream* ist = R.ist[index];
    if (ist->discard)
        return true;
    AdjustTimestamps(AFile, ist, pkt);
    if (Frecording_time != INT64_MAX && pkt->pts != AV_NOPTS_VALUE &&
        ff::av_compare_ts(pkt->pts, ist->st->time_base, RecordingEnd(), AV_TIME_BASE_Q) >= 0) {
        ist->is_past_recording_time = true;
        return true;
    }
    if (OutputPacket(R, ist, index, pkt) >= 0)
        return true;
    const std::string msg = Format("Error while decoding stream #%d.%d (%s)", ist->file_index, ist->index,
                                   TypeName(ist->st).c_str());
    if (Fexit_on_error)
        throw FFmpegException(msg);
    if (Fverbose >= 0)
        Log(llVerbose, msg);
    return false;
}

void TCustomFFmpeg::ReportProgressWhenDue(TRunState& R)
{
    const int64_t now = ff::av_gettime_relative();
    if (now - R.last_report_clock > ReportInterval) {
        R.last_report_clock = now;
        ReportProgress(R, false, R.current_file);
    }
}

// The end of the run: decoders, then encoders give what they hold; the
// trailers, the last report, the codecs closed.
void TCustomFFmpeg::EndRun(TRunState& R)
{
    for (auto* ist : R.ist)
        DrainDecoder(R, ist);
    for (auto* ost : R.ost)
        FlushEncoder(R, ost);
    POutputFileRec prev;
    for (auto& o : Foutput_files) {
        if (o == prev)
            continue;
        prev = o;
        if (o->header_written) {
            int r = ff::av_write_trailer(o->ctx);
            o->header_written = false;
            if (r < 0)
                throw FFmpegException(FileErrorText(o->file_name, r));
        }
    }
    ReportProgress(R, true, -1);
    CloseCodecs(R);
    FFinished = !FBroken;
}

int64_t TCustomFFmpeg::RecordingEnd() const
{
    int64_t end = 0;
    if (__builtin_add_overflow(Frecording_time, Fstart_time, &end))
        return Frecording_time > 0 ? INT64_MAX : INT64_MIN;
    return end;
}

int TCustomFFmpeg::MaxFramesIndex(TAVOutputStream* ost)
{
    switch (ost->st->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO: return 0;
    case AVMEDIA_TYPE_AUDIO: return 1;
    case AVMEDIA_TYPE_DATA: return 2;
    default: return 3;
    }
}

// The end of one input in join mode: its decoders are drained, the encoders
// go on with the next input, whose time stamps follow this segment's end.
bool TCustomFFmpeg::EndJoinSegment(TRunState& R, int f)
{
    for (auto* ist : R.ist)
        if (ist->file_index == f)
            DrainDecoder(R, ist);
    // the pictures a filter graph still holds belong to this segment too
    for (auto* ost : R.ost)
        if (ost->encoding_needed && ost->enc->codec_type == AVMEDIA_TYPE_VIDEO)
            DrainFilterGraph(R, ost);
    // The segment ends where its last written packet ends; a video encoder
    // that still holds pictures (look-ahead, B-frames) counts with all the
    // pictures it was given, else the next input would start too early and
    // its first pictures be dropped as late.
    double segEnd = 0;
    for (auto* ost : R.ost) {
        double pos = ost->out_pos;
        if (ost->encoding_needed && ost->enc->codec_type == AVMEDIA_TYPE_VIDEO)
            pos = std::max(pos, ost->sync_opts * av_q2d(ost->enc->time_base));
        segEnd = std::max(segEnd, pos);
    }
    for (auto* ost : R.ost)
        if (f + 1 >= R.nb_segments)
            ost->show_fps = 1;
    if (f + 1 >= (int)Finput_files.size())
        return false;
    Finput_files_ts_offset[f + 1] += std::llround(segEnd * AV_TIME_BASE);
    for (auto* ost : R.ost) {
        if (f + 1 < (int)ost->segment_sources.size()) {
            ost->source_index = ost->segment_sources[f + 1];
            ost->sync_ist = R.ist[ost->source_index];
            ost->copy_started = false;
        }
    }
    R.current_file = f + 1;
    return true;
}

// ---- working records and codecs --------------------------------------------------------------
TRunState::~TRunState()
{
    for (auto* o : ost) {
        if (!o)
            continue;
        for (auto* b : o->bsfs)
            ff::av_bsf_free(&b);
        if (o->graph)
            ff::avfilter_graph_free(&o->graph);
        if (o->swr)
            ff::swr_free(&o->swr);
        ff::av_channel_layout_uninit(&o->swr_in_layout);
        if (o->fifo)
            ff::av_audio_fifo_free(o->fifo);
        if (o->audio_out)
            ff::av_frame_free(&o->audio_out);
        if (o->audio_enc)
            ff::av_frame_free(&o->audio_enc);
        if (o->logfile)
            std::fclose(o->logfile);
        if (o->stats_in) {
            if (o->enc && o->enc->stats_in == o->stats_in)
                o->enc->stats_in = nullptr;
            ff::av_free(o->stats_in);
        }
        delete o;
    }
    for (auto* i : ist) {
        if (i && i->dec) {
            // a decoder still open (the run failed) is closed under the codec lock
            if (owner) {
                TCodecLockGuard lock;
                for (PCodecItem p = owner->FDecoderList; p; p = p->Next)
                    if (p->st == i->dec) {
                        ff::avcodec_close(i->dec);
                        break;
                    }
                TCustomFFmpeg::RemoveCodecItem(owner->FDecoderList, i->dec);
            }
            ff::avcodec_free_context(&i->dec);
        }
        delete i;
    }
    if (frame)
        ff::av_frame_free(&frame);
    if (filt)
        ff::av_frame_free(&filt);
    if (pkt)
        ff::av_packet_free(&pkt);
    if (opkt)
        ff::av_packet_free(&opkt);
}

// The list items are the open codec contexts of the run; one still listed when
// the run method cleans up (the run failed) is closed here, under the codec lock.
void TCustomFFmpeg::CloseListedEncoder(void* AStream)
{
    TCodecLockGuard lock;
    ff::avcodec_close(static_cast<AVCodecContext*>(AStream));
}

void TCustomFFmpeg::CloseListedDecoder(void* AStream)
{
    TCodecLockGuard lock;
    ff::avcodec_close(static_cast<AVCodecContext*>(AStream));
}

// Closes the run's codecs at its end: encoders, then decoders.
void TCustomFFmpeg::CloseCodecs(TRunState& R)
{
    for (auto* ost : R.ost) {
        if (!ost->encoder_open)
            continue;
        TCodecLockGuard lock;
        ff::avcodec_close(ost->enc);
        RemoveCodecItem(FEncoderList, ost->enc);
        ost->encoder_open = false;
    }
    for (auto* ist : R.ist) {
        if (!ist->dec)
            continue;
        TCodecLockGuard lock;
        ff::avcodec_close(ist->dec);
        RemoveCodecItem(FDecoderList, ist->dec);
    }
}
