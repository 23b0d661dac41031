// The run's packet path: a read packet is decoded and its frames go to the
// encoding paths, or it is copied to the outputs that copy its stream;
// encoded packets pass the bit-stream filters and are written. Also the end
// of an input (decoders drained) and of an output stream (encoder flushed).
#include <cstring>
#include <thread>
#include <vector>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpeg/Run.h"
#include "Src/FFmpegLogger.h"

using namespace ffengine;

namespace {

int64_t NowUs() { return ff::av_gettime_relative(); }

}  // namespace

void TCustomFFmpeg::MuxPacket(TRunState& R, TAVOutputStream* ost, AVPacket* pkt)
{
    (void)R;
    AVFormatContext* oc = ost->of->ctx;
    pkt->stream_index = ost->st->index;
    // a muxer never receives decreasing time stamps
    if (!(oc->oformat->flags & AVFMT_NOTIMESTAMPS)) {
        if (pkt->dts != AV_NOPTS_VALUE && pkt->pts != AV_NOPTS_VALUE && pkt->dts > pkt->pts) {
            int64_t v[3] = {pkt->pts, pkt->dts, ost->last_mux_dts + 1};
            std::sort(v, v + 3);
            pkt->pts = pkt->dts = v[1];
        }
        if (pkt->dts != AV_NOPTS_VALUE && ost->last_mux_dts != AV_NOPTS_VALUE) {
            int64_t max = ost->last_mux_dts + !(oc->oformat->flags & AVFMT_TS_NONSTRICT);
            if (pkt->dts < max) {
                if (Fverbose > 2)
                    Log(llVerbose, Format("Non-monotonous DTS in output stream %d:%d; previous: %lld, current: %lld; "
                                       "changing to %lld.",
                                       ost->file_index, ost->index, (long long)ost->last_mux_dts,
                                       (long long)pkt->dts, (long long)max));
                if (pkt->pts >= pkt->dts)
                    pkt->pts = std::max(pkt->pts, max);
                pkt->dts = max;
            }
        }
    }
    ost->last_mux_dts = pkt->dts;
    int64_t end = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
    if (end != AV_NOPTS_VALUE) {
        double pos = (end + pkt->duration) * av_q2d(ost->st->time_base);
        if (pos > ost->out_pos)
            ost->out_pos = pos;
    }
    if (ost->st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
        Fvideo_size += pkt->size;
    else if (ost->st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
        Faudio_size += pkt->size;
    int r = ff::av_interleaved_write_frame(oc, pkt);
    if (r < 0)
        throw FFmpegException(FileErrorText(ost->of->file_name, r));
    ost->of->packet_written = true;
}

void TCustomFFmpeg::WriteFrame(TRunState& R, TAVOutputStream* ost, AVPacket* pkt)
{
    if (ost->bsfs.empty()) {
        MuxPacket(R, ost, pkt);
        return;
    }
    // through the chain: every filter may give none, one or several packets
    std::vector<AVPacket*> cur{ff::av_packet_clone(pkt)};
    ff::av_packet_unref(pkt);
    for (size_t i = 0; i < ost->bsfs.size(); i++) {
        std::vector<AVPacket*> next;
        AVBSFContext* b = ost->bsfs[i];
        for (AVPacket* p : cur) {
            int r = ff::av_bsf_send_packet(b, p);
            ff::av_packet_free(&p);
            while (r >= 0) {
                AVPacket* o = ff::av_packet_alloc();
                r = ff::av_bsf_receive_packet(b, o);
                if (r < 0) {
                    ff::av_packet_free(&o);
                    break;
                }
                next.push_back(o);
            }
            if (r < 0 && r != AVERROR(EAGAIN) && r != AVERROR_EOF) {
                std::string msg = Format("%s failed for stream %d, codec %s", b->filter->name, ost->st->index,
                                      ost->setup->codec ? ost->setup->codec->name : "copy") +
                                  ": " + ErrText(r);
                if (Fexit_on_error) {
                    for (AVPacket* q : next)
                        ff::av_packet_free(&q);
                    throw FFmpegException(msg);
                }
                Log(llError, msg);
            }
        }
        cur.swap(next);
    }
    for (AVPacket*& p : cur) {
        try {
            MuxPacket(R, ost, p);
        } catch (...) {
            for (AVPacket*& q : cur)
                ff::av_packet_free(&q);
            throw;
        }
        ff::av_packet_free(&p);
    }
}

// Takes every packet the encoder has ready and writes it.
void TCustomFFmpeg::ReceivePackets(TRunState& R, TAVOutputStream* ost)
{
    AVCodecContext* enc = ost->enc;
    AVPacket* pkt = R.opkt;
    for (;;) {
        int r = ff::avcodec_receive_packet(enc, pkt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return;
        if (r < 0)
            throw FFmpegException(enc->codec_type == AVMEDIA_TYPE_AUDIO ? "Audio encoding failed"
                                                                        : "Video encoding failed");
        if (size_t sz = 0; const uint8_t* q = ff::av_packet_get_side_data(pkt, AV_PKT_DATA_QUALITY_STATS, &sz)) {
            if (sz >= 4)
                ost->quality = (float)(int)(q[0] | q[1] << 8 | q[2] << 16 | unsigned(q[3]) << 24);
            // then the picture type, the number of error sums and the sums of the planes
            for (int i = 0; i < 3 && sz >= 6 && i < q[5] && 8 + 8 * (size_t)i + 8 <= sz; i++)
                std::memcpy(&ost->last_error[i], q + 8 + 8 * i, 8);
        }
        if (ost->logfile && enc->stats_out)
            std::fputs(enc->stats_out, ost->logfile);
        if (enc->codec_type == AVMEDIA_TYPE_VIDEO && !Fvstats_filename.empty())
            WriteVideoStats(ost, pkt);
        ff::av_packet_rescale_ts(pkt, enc->time_base, ost->st->time_base);
        WriteFrame(R, ost, pkt);
        ff::av_packet_unref(pkt);
    }
}

void TCustomFFmpeg::EncodeFrame(TRunState& R, TAVOutputStream* ost, AVFrame* frame)
{
    int r = ff::avcodec_send_frame(ost->enc, frame);
    if (r < 0 && r != AVERROR_EOF)
        throw FFmpegException(ost->enc->codec_type == AVMEDIA_TYPE_AUDIO ? "Audio encoding failed"
                                                                         : "Video encoding failed");
    ReceivePackets(R, ost);
}

void TCustomFFmpeg::HandleDecodedFrame(TRunState& R, TAVInputStream* ist, AVFrame* f)
{
    if (f->width > 0 && ist->st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
        PrepareVideoFrame(ist, f);
    if (Fstart_time != 0 && ist->pts < Fstart_time)
        return;
    for (auto* ost : R.ost) {
        if (ost->source_index < 0 || R.ist[ost->source_index] != ist || !ost->encoding_needed)
            continue;
        switch (ost->enc->codec_type) {
        case AVMEDIA_TYPE_AUDIO: DoAudioOut(R, ost, ist, f); break;
        case AVMEDIA_TYPE_VIDEO: DoVideoOut(R, ost, ist, f); break;
        default: throw FFmpegException("invalid codec_type");
        }
    }
}

int TCustomFFmpeg::OutputPacket(TRunState& R, TAVInputStream* ist, int ist_index, const AVPacket* pkt)
{
    (void)ist_index;
    AVStream* st = ist->st;
    if (ist->next_pts == AV_NOPTS_VALUE)
        ist->next_pts = ist->pts;
    if (pkt && pkt->dts != AV_NOPTS_VALUE)
        ist->next_pts = ist->pts = ff::av_rescale_q(pkt->dts, st->time_base, AV_TIME_BASE_Q);

    if (Frate_emu && pkt) {
        int64_t pts = ff::av_rescale_q(pkt->dts != AV_NOPTS_VALUE ? pkt->dts : 0, st->time_base, AV_TIME_BASE_Q);
        int64_t now = NowUs() - ist->start;
        if (pts - now > 1000)
            std::this_thread::sleep_for(std::chrono::milliseconds((pts - now) / 1000));
    }

    if (ist->decoding_needed) {
        AVCodecContext* dec = ist->dec;
        if (dec->codec_type == AVMEDIA_TYPE_SUBTITLE) {
            if (!pkt)
                return 0;
            AVSubtitle sub{};
            int got = 0;
            if (ff::avcodec_decode_subtitle2(dec, &sub, &got, const_cast<AVPacket*>(pkt)) < 0)
                return -1;
            if (got) {
                try {
                    if (Fstart_time == 0 || ist->pts >= Fstart_time)
                        for (auto* ost : R.ost)
                            if (ost->source_index >= 0 && R.ist[ost->source_index] == ist && ost->encoding_needed)
                                DoSubtitleOut(R, ost, ist, &sub, pkt->pts);
                } catch (...) {
                    ff::avsubtitle_free(&sub);
                    throw;
                }
                ff::avsubtitle_free(&sub);
            }
            return 0;
        }
        int r = ff::avcodec_send_packet(dec, pkt);
        if (r < 0 && r != AVERROR_EOF && r != AVERROR(EAGAIN))
            return -1;
        for (;;) {
            r = ff::avcodec_receive_frame(dec, R.frame);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                break;
            if (r < 0)
                return -1;
            AVFrame* f = R.frame;
            if (dec->codec_type == AVMEDIA_TYPE_VIDEO) {
                int64_t ts = f->best_effort_timestamp;
                if (ts != AV_NOPTS_VALUE)
                    ist->pts = ff::av_rescale_q(ts, st->time_base, AV_TIME_BASE_Q);
                else
                    ist->pts = ist->next_pts;
                AVRational fr = st->avg_frame_rate.num ? st->avg_frame_rate : st->r_frame_rate;
                int64_t dur = f->pkt_duration > 0 ? ff::av_rescale_q(f->pkt_duration, st->time_base, AV_TIME_BASE_Q)
                              : fr.num > 0 ? ff::av_rescale_q(1, AVRational{fr.den, fr.num}, AV_TIME_BASE_Q)
                                           : 40000;
                ist->next_pts = ist->pts + dur;
            } else {
                if (f->pts != AV_NOPTS_VALUE)
                    ist->pts = ff::av_rescale_q(f->pts, st->time_base, AV_TIME_BASE_Q);
                else
                    ist->pts = ist->next_pts;
                ist->next_pts = ist->pts + (int64_t)f->nb_samples * AV_TIME_BASE / std::max(1, f->sample_rate);
                ApplyVolume(f);
            }
            try {
                HandleDecodedFrame(R, ist, f);
            } catch (...) {
                ff::av_frame_unref(f);
                throw;
            }
            ff::av_frame_unref(f);
        }
        return 0;
    }

    // stream copy
    if (!pkt)
        return 0;
    if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && st->codecpar->sample_rate > 0 && pkt->duration <= 0 &&
        st->codecpar->frame_size > 0)
        ist->next_pts += (int64_t)AV_TIME_BASE * st->codecpar->frame_size / st->codecpar->sample_rate;
    else if (pkt->duration > 0)
        ist->next_pts += ff::av_rescale_q(pkt->duration, st->time_base, AV_TIME_BASE_Q);
    if (Fstart_time != 0 && ist->pts < Fstart_time)
        return 0;
    for (auto* ost : R.ost) {
        if (ost->source_index < 0 || R.ist[ost->source_index] != ist || ost->encoding_needed)
            continue;
        if (!ost->copy_started && !(pkt->flags & AV_PKT_FLAG_KEY) && !Fcopy_initial_nonkeyframes)
            continue;
        ost->copy_started = true;
        AVPacket* o = R.opkt;
        ff::av_packet_ref(o, pkt);
        int64_t startOff = ff::av_rescale_q(Fstart_time, AV_TIME_BASE_Q, ost->st->time_base);
        if (pkt->pts != AV_NOPTS_VALUE)
            o->pts = ff::av_rescale_q(pkt->pts, st->time_base, ost->st->time_base) - startOff;
        if (pkt->dts == AV_NOPTS_VALUE)
            o->dts = ff::av_rescale_q(ist->pts, AV_TIME_BASE_Q, ost->st->time_base) - startOff;
        else
            o->dts = ff::av_rescale_q(pkt->dts, st->time_base, ost->st->time_base) - startOff;
        o->duration = ff::av_rescale_q(pkt->duration, st->time_base, ost->st->time_base);
        o->pos = -1;
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
            ost->sync_opts++;
        try {
            WriteFrame(R, ost, o);
        } catch (...) {
            ff::av_packet_unref(o);
            throw;
        }
        ff::av_packet_unref(o);
        ost->frame_number++;
    }
    return 0;
}

void TCustomFFmpeg::DoSubtitleOut(TRunState& R, TAVOutputStream* ost, TAVInputStream* ist, AVSubtitle* sub,
                                  int64_t pts)
{
    if (pts == AV_NOPTS_VALUE) {
        if (Fexit_on_error)
            throw FFmpegException("Subtitle packets must have a pts");
        Log(llError, "Subtitle packets must have a pts");
        return;
    }
    const int bufSize = 1024 * 1024;
    std::vector<uint8_t> buf(bufSize);
    AVCodecContext* enc = ost->enc;
    // the packet's time is in the time base of the stream it came from
    int64_t ptsUs = ff::av_rescale_q(pts, ist->st->time_base, AV_TIME_BASE_Q) - Fstart_time;
    int count = enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE ? 2 : 1;
    for (int i = 0; i < count; i++) {
        sub->pts = ptsUs + (int64_t)sub->start_display_time * 1000;
        sub->end_display_time -= sub->start_display_time;
        sub->start_display_time = 0;
        unsigned nrects = sub->num_rects;
        if (i == 1)
            sub->num_rects = 0;
        int size = ff::avcodec_encode_subtitle(enc, buf.data(), bufSize, sub);
        if (i == 1)
            sub->num_rects = nrects;
        if (size < 0)
            throw FFmpegException("Subtitle encoding failed");
        AVPacket* p = ff::av_packet_alloc();
        if (ff::av_new_packet(p, size) < 0) {
            ff::av_packet_free(&p);
            throw FFmpegException("Subtitle encoding failed");
        }
        std::memcpy(p->data, buf.data(), size);
        p->pts = ff::av_rescale_q(sub->pts, AV_TIME_BASE_Q, ost->st->time_base);
        p->duration = ff::av_rescale_q(sub->end_display_time, AVRational{1, 1000}, ost->st->time_base);
        if (enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE)
            p->pts += 90 * (i == 0 ? sub->start_display_time : sub->end_display_time);
        p->dts = p->pts;
        try {
            WriteFrame(R, ost, p);
        } catch (...) {
            ff::av_packet_free(&p);
            throw;
        }
        ff::av_packet_free(&p);
        ost->frame_number++;
    }
}

// The end of an input for one stream: the decoder gives what it holds.
void TCustomFFmpeg::DrainDecoder(TRunState& R, TAVInputStream* ist)
{
    if (!ist->decoding_needed || ist->decoder_flushed)
        return;
    if (OutputPacket(R, ist, 0, nullptr) < 0 && Fverbose >= 0)
        Log(llVerbose, Format("Error while decoding stream #%d.%d (%s)", ist->file_index, ist->index,
                           MediaTypeName(ist->st->codecpar->codec_type).c_str()));
    ist->decoder_flushed = true;
}

// The end of the run for one output stream: filters and encoder give what they hold.
void TCustomFFmpeg::FlushEncoder(TRunState& R, TAVOutputStream* ost)
{
    if (!ost->encoding_needed || !ost->encoder_open)
        return;
    AVCodecContext* enc = ost->enc;
    if (enc->codec_type == AVMEDIA_TYPE_VIDEO)
        DrainFilterGraph(R, ost);
    if (enc->codec_type == AVMEDIA_TYPE_AUDIO)
        EncodeAudioFifo(R, ost, true);
    if (enc->codec_type == AVMEDIA_TYPE_SUBTITLE)
        return;
    EncodeFrame(R, ost, nullptr);
}
