// The transcoding run: set-up of the working records and codecs, the main
// loop, the packet path (decoding, stream copy, writing), the audio and video
// encoding paths, the video filter graph and the progress reports.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <thread>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpegEngineUtil.h"
#include "Src/FFmpegLogger.h"
#include "Src/FFmpegTranscodeRun.h"
#include "Src/UnicodeProtocol.h"

using namespace ffengine;
namespace fs = std::filesystem;

namespace {

std::string ErrText(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    ff::av_strerror(code, buf, sizeof buf);
    return buf;
}

int64_t NowUs() { return ff::av_gettime_relative(); }

}  // namespace

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

// ---- codec lists -----------------------------------------------------------------
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

// ---- filter graph --------------------------------------------------------------------
int TCustomFFmpeg::ConfigureFilters(TAVInputStream* ist, TAVOutputStream* ost, int w, int h, int fmt,
                                    AVRational sar)
{
    AVCodecContext* enc = ost->enc;
    if (ost->graph)
        ff::avfilter_graph_free(&ost->graph);
    ost->src = ost->sink = nullptr;
    ost->graph = ff::avfilter_graph_alloc();
    if (!ost->graph)
        return -1;
    // one thread, as the codecs: a batch gets its parallelism from several tasks
    ost->graph->nb_threads = 1;
    AVRational tb = ist->st->time_base;
    AVRational fr = ist->st->avg_frame_rate.num ? ist->st->avg_frame_rate : ist->st->r_frame_rate;
    std::string args = Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", w, h, fmt, tb.num,
                           tb.den, sar.num, sar.den ? sar.den : 1);
    if (fr.num > 0 && fr.den > 0)
        args += Format(":frame_rate=%d/%d", fr.num, fr.den);
    if (ff::avfilter_graph_create_filter(&ost->src, ff::avfilter_get_by_name("buffer"), "src", args.c_str(),
                                         nullptr, ost->graph) < 0)
        return -1;
    if (ff::avfilter_graph_create_filter(&ost->sink, ff::avfilter_get_by_name("buffersink"), "out", nullptr,
                                         nullptr, ost->graph) < 0)
        return -1;

    // the crop and scale the run needs, the user's chain, and the encoder's formats
    std::string chain;
    auto add = [&](const std::string& f) {
        if (!chain.empty())
            chain += ",";
        chain += f;
    };
    if (Fdo_deinterlace)
        add("yadif");
    int cw = w - ost->leftBand - ost->rightBand;
    int ch = h - ost->topBand - ost->bottomBand;
    if (ost->leftBand || ost->rightBand || ost->topBand || ost->bottomBand)
        add(Format("crop=%d:%d:%d:%d", cw, ch, ost->leftBand, ost->topBand));
    int ow = enc->width > 0 ? enc->width : cw;
    int oh = enc->height > 0 ? enc->height : ch;
    if (ow != cw || oh != ch)
        add(Format("scale=%d:%d:flags=0x%X", ow, oh, Fsws_flags));
    if (!Fvfilters.empty())
        add(Fvfilters);
    if (ost->graph_rebuilt && enc->width > 0 && enc->height > 0)
        add(Format("scale=%d:%d:flags=0x%X", enc->width, enc->height, Fsws_flags));
    std::string fmts;
    if (ost->setup->codec && ost->setup->codec->pix_fmts) {
        if (enc->pix_fmt != AV_PIX_FMT_NONE)
            fmts = ff::av_get_pix_fmt_name(enc->pix_fmt);
        else
            for (const AVPixelFormat* p = ost->setup->codec->pix_fmts; *p != AV_PIX_FMT_NONE; p++) {
                if (!fmts.empty())
                    fmts += "|";
                fmts += ff::av_get_pix_fmt_name(*p);
            }
    } else if (enc->pix_fmt != AV_PIX_FMT_NONE) {
        fmts = ff::av_get_pix_fmt_name(enc->pix_fmt);
    }
    if (!fmts.empty())
        add("format=pix_fmts=" + fmts);
    if (chain.empty())
        chain = "null";
    ost->graph->scale_sws_opts = ff::av_strdup(Format("flags=0x%X", Fsws_flags).c_str());

    AVFilterInOut* outputs = ff::avfilter_inout_alloc();
    AVFilterInOut* inputs = ff::avfilter_inout_alloc();
    if (!outputs || !inputs) {
        ff::avfilter_inout_free(&outputs);
        ff::avfilter_inout_free(&inputs);
        return -1;
    }
    outputs->name = ff::av_strdup("in");
    outputs->filter_ctx = ost->src;
    outputs->pad_idx = 0;
    outputs->next = nullptr;
    inputs->name = ff::av_strdup("out");
    inputs->filter_ctx = ost->sink;
    inputs->pad_idx = 0;
    inputs->next = nullptr;
    int r = ff::avfilter_graph_parse_ptr(ost->graph, chain.c_str(), &inputs, &outputs, nullptr);
    ff::avfilter_inout_free(&outputs);
    ff::avfilter_inout_free(&inputs);
    if (r < 0) {
        FLastErrMsg = Format("%s: %s", chain.c_str(), ErrText(r).c_str());
        return -1;
    }
    r = ff::avfilter_graph_config(ost->graph, nullptr);
    if (r < 0) {
        FLastErrMsg = ErrText(r);
        return -1;
    }
    ost->graph_w = w;
    ost->graph_h = h;
    ost->graph_fmt = fmt;
    ost->graph_ist = ist;
    return 0;
}

// ---- writing ---------------------------------------------------------------------------
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
        throw FFmpegException(FileErrorText(ost->of->FileName, r));
    ost->of->PacketWritten = true;
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

// ---- audio -------------------------------------------------------------------------
namespace {

template <typename T, typename F>
void ScaleSamples(uint8_t* data, int n, F f)
{
    T* s = reinterpret_cast<T*>(data);
    for (int i = 0; i < n; i++)
        s[i] = f(s[i]);
}

}  // namespace

// Volume on the decoded format: 256 is unchanged, 512 doubles, saturating.
void TCustomFFmpeg::ApplyVolume(AVFrame* f)
{
    if (Faudio_volume == 256)
        return;
    const int vol = Faudio_volume;
    const double g = vol / 256.0;
    AVSampleFormat fmt = AVSampleFormat(f->format);
    bool planar = ff::av_sample_fmt_is_planar(fmt);
    int planes = planar ? f->ch_layout.nb_channels : 1;
    int n = f->nb_samples * (planar ? 1 : f->ch_layout.nb_channels);
    for (int p = 0; p < planes; p++) {
        uint8_t* d = f->extended_data[p];
        switch (ff::av_get_packed_sample_fmt(fmt)) {
        case AV_SAMPLE_FMT_U8:
            ScaleSamples<uint8_t>(d, n, [&](uint8_t s) {
                int64_t v = (((int64_t)s - 128) * vol + 128) >> 8;
                return (uint8_t)(std::clamp<int64_t>(v, -128, 127) + 128);
            });
            break;
        case AV_SAMPLE_FMT_S16:
            ScaleSamples<int16_t>(d, n, [&](int16_t s) {
                // 64-bit: the "vol" key takes any integer
                int64_t v = ((int64_t)s * vol + 128) >> 8;
                return (int16_t)std::clamp<int64_t>(v, -32768, 32767);
            });
            break;
        case AV_SAMPLE_FMT_S32:
            ScaleSamples<int32_t>(d, n, [&](int32_t s) {
                int64_t v = ((int64_t)s * vol + 128) >> 8;
                return (int32_t)std::clamp<int64_t>(v, INT32_MIN, INT32_MAX);
            });
            break;
        case AV_SAMPLE_FMT_FLT:
            ScaleSamples<float>(d, n, [&](float s) { return (float)std::clamp(s * g, -1.0, 1.0); });
            break;
        case AV_SAMPLE_FMT_DBL:
            ScaleSamples<double>(d, n, [&](double s) { return std::clamp(s * g, -1.0, 1.0); });
            break;
        default:
            break;
        }
    }
}

void TCustomFFmpeg::DoAudioOut(TRunState& R, TAVOutputStream* ost, TAVInputStream* ist, AVFrame* in)
{
    AVCodecContext* enc = ost->enc;
    // (re)make the resampler when the decoded format changes
    if (!ost->swr || ost->swr_in_rate != in->sample_rate || ost->swr_in_fmt != in->format ||
        ff::av_channel_layout_compare(&ost->swr_in_layout, &in->ch_layout) != 0) {
        if (ost->swr)
            ff::swr_free(&ost->swr);
        int r = ff::swr_alloc_set_opts2(&ost->swr, &enc->ch_layout, enc->sample_fmt, enc->sample_rate,
                                        &in->ch_layout, AVSampleFormat(in->format), in->sample_rate, 0, nullptr);
        if (r < 0 || ff::swr_init(ost->swr) < 0)
            throw FFmpegException(Format("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                                      in->ch_layout.nb_channels, in->sample_rate, enc->ch_layout.nb_channels,
                                      enc->sample_rate));
        ost->swr_in_rate = in->sample_rate;
        ost->swr_in_fmt = in->format;
        ff::av_channel_layout_uninit(&ost->swr_in_layout);
        ff::av_channel_layout_copy(&ost->swr_in_layout, &in->ch_layout);
    }
    const int rate = enc->sample_rate;
    const double syncTime = double(ost->sync_ist->pts - Fstart_time) / AV_TIME_BASE;
    const int inSamples = in->nb_samples;
    int dropIn = 0;       // input samples skipped at the front
    int silence = 0;      // output samples of silence put in front
    int64_t buffered = ff::av_audio_fifo_size(ost->fifo) + ff::swr_get_delay(ost->swr, rate);
    if (Faudio_sync_method) {
        double delta = syncTime * rate - ost->sync_opts - buffered;
        if (std::fabs(delta) > 50) {
            if (ist->is_start || std::fabs(delta) > Faudio_drift_threshold * rate) {
                if (delta < 0) {
                    dropIn = (int)std::min<double>(-delta * in->sample_rate / rate, inSamples);
                    if (Fverbose > 2)
                        Log(llVerbose, Format("discarding %d audio samples", dropIn));
                    ist->is_start = 0;
                    if (dropIn >= inSamples)
                        return;
                } else {
                    silence = (int)delta;
                    if (Fverbose > 2)
                        Log(llVerbose, Format("adding %d audio samples of silence", silence));
                    ist->is_start = 0;
                }
            } else if (Faudio_sync_method > 1) {
                int comp = (int)std::clamp<double>(delta, -(double)Faudio_sync_method, (double)Faudio_sync_method);
                if (Fverbose > 2)
                    Log(llVerbose, Format("compensating audio timestamp drift:%f compensation:%d in:%d", delta, comp, rate));
                ff::swr_set_compensation(ost->swr, comp, rate);
            }
        }
    } else if (ost->frame_number == 0 && ff::av_audio_fifo_size(ost->fifo) == 0) {
        ost->sync_opts = std::llround(syncTime * rate) - buffered;
        if (ost->sync_opts < 0)
            ost->sync_opts = 0;
    }

    // resample into the FIFO, behind the silence put in front
    // room for what the resampler holds, the block at the new rate and the
    // drift compensation (at most the largest one, and never more than the block)
    int64_t blockOut = (int64_t)(inSamples - dropIn) * rate / in->sample_rate;
    int64_t room = ff::swr_get_delay(ost->swr, rate) + blockOut + 256 +
                   std::min<int64_t>(std::llabs((int64_t)Faudio_sync_method), blockOut);
    if (room > INT32_MAX)
        throw FFmpegException("Buffer sizes too large in do_audio_out");
    const int maxOut = (int)room;
    AVFrame* out = AudioWorkFrame(ost, maxOut);
    // the silence goes in through the same frame, a frame's room at a time
    for (int left = silence; left > 0;) {
        const int n = std::min(left, maxOut);
        ff::av_samples_set_silence(out->extended_data, 0, n, enc->ch_layout.nb_channels, enc->sample_fmt);
        if (ff::av_audio_fifo_write(ost->fifo, (void**)out->extended_data, n) < n)
            throw FFmpegException("av_fifo_realloc2() failed");
        left -= n;
    }
    const uint8_t* inData[AV_NUM_DATA_POINTERS] = {};
    int bps = ff::av_get_bytes_per_sample(AVSampleFormat(in->format));
    bool planar = ff::av_sample_fmt_is_planar(AVSampleFormat(in->format));
    int planes = planar ? in->ch_layout.nb_channels : 1;
    for (int p = 0; p < planes && p < AV_NUM_DATA_POINTERS; p++)
        inData[p] = in->extended_data[p] + (size_t)dropIn * bps * (planar ? 1 : in->ch_layout.nb_channels);
    int got = ff::swr_convert(ost->swr, out->extended_data, maxOut, inData, inSamples - dropIn);
    if (got < 0) {
        if (Fexit_on_error)
            throw FFmpegException("av_audio_convert() failed");
        Log(llError, "av_audio_convert() failed");
        return;
    }
    if (got > 0 && ff::av_audio_fifo_write(ost->fifo, (void**)out->extended_data, got) < got)
        throw FFmpegException("av_fifo_realloc2() failed");
    EncodeAudioFifo(R, ost, false);
}

// The stream's resampler output frame with room for at least ASamples samples
// (grown when a block needs more, never shrunk).
AVFrame* TCustomFFmpeg::AudioWorkFrame(TAVOutputStream* ost, int ASamples)
{
    AVCodecContext* enc = ost->enc;
    if (!ost->audio_out && !(ost->audio_out = ff::av_frame_alloc()))
        throw FFmpegException("Out of memory in do_audio_out");
    AVFrame* out = ost->audio_out;
    if (ost->audio_room < ASamples) {
        ff::av_frame_unref(out);
        ost->audio_room = 0;
        out->nb_samples = ASamples;
        out->format = enc->sample_fmt;
        ff::av_channel_layout_copy(&out->ch_layout, &enc->ch_layout);
        if (ff::av_frame_get_buffer(out, 0) < 0)
            throw FFmpegException("Out of memory in do_audio_out");
        ost->audio_room = ASamples;
    }
    return out;
}

// Encodes whole frames from the FIFO; at the end also the remainder.
void TCustomFFmpeg::EncodeAudioFifo(TRunState& R, TAVOutputStream* ost, bool AFlush)
{
    AVCodecContext* enc = ost->enc;
    bool variable = (enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) || enc->frame_size <= 1;
    int fs = variable ? 0 : enc->frame_size;
    for (;;) {
        int avail = ff::av_audio_fifo_size(ost->fifo);
        if (avail <= 0)
            return;
        int n = fs ? fs : avail;
        if (avail < n && !AFlush)
            return;
        // the encoder's input frame of the stream: its buffer is reused once
        // the encoder holds no reference to it any more
        if (!ost->audio_enc && !(ost->audio_enc = ff::av_frame_alloc()))
            throw FFmpegException("Out of memory in do_audio_out");
        AVFrame* f = ost->audio_enc;
        bool pad = avail < n && !(enc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
        const int samples = pad ? n : std::min(n, avail);
        if (f->buf[0] && f->nb_samples != samples)
            ff::av_frame_unref(f);
        if (!f->buf[0]) {
            f->nb_samples = samples;
            f->format = enc->sample_fmt;
            f->sample_rate = enc->sample_rate;
            ff::av_channel_layout_copy(&f->ch_layout, &enc->ch_layout);
            if (ff::av_frame_get_buffer(f, 0) < 0)
                throw FFmpegException("Out of memory in do_audio_out");
        } else if (ff::av_frame_make_writable(f) < 0) {
            throw FFmpegException("Out of memory in do_audio_out");
        }
        int got = ff::av_audio_fifo_read(ost->fifo, (void**)f->extended_data, std::min(n, avail));
        if (pad && got < n)
            ff::av_samples_set_silence(f->extended_data, got, n - got, enc->ch_layout.nb_channels, enc->sample_fmt);
        f->pts = ost->sync_opts;
        ost->sync_opts += f->nb_samples;
        ost->frame_number++;
        EncodeFrame(R, ost, f);
    }
}

// ---- video -------------------------------------------------------------------------------
void TCustomFFmpeg::DoVideoOut(TRunState& R, TAVOutputStream* ost, TAVInputStream* ist, AVFrame* decoded)
{
    if (decoded && ist != ost->graph_ist) {
        // the next input of a join: its own time base and size, the encoder's output;
        // what the previous input's graph still holds is encoded first
        DrainFilterGraph(R, ost);
        ost->graph_rebuilt = true;
        if (ConfigureFilters(ist, ost, decoded->width, decoded->height, decoded->format,
                             decoded->sample_aspect_ratio) < 0)
            throw FFmpegException("Error opening filters: " + FLastErrMsg);
    } else if (decoded && (decoded->width != ost->graph_w || decoded->height != ost->graph_h ||
                           decoded->format != ost->graph_fmt)) {
        Log(llQuiet, Format("Input Stream #%d.%d frame size changed to %dx%d, %s", ist->file_index, ist->index,
                         decoded->width, decoded->height,
                         ff::av_get_pix_fmt_name(AVPixelFormat(decoded->format))
                             ? ff::av_get_pix_fmt_name(AVPixelFormat(decoded->format))
                             : "none"));
        // the picture goes on at the encoder's size: the graph is built again,
        // after the pictures of the old size it holds are encoded
        DrainFilterGraph(R, ost);
        ost->graph_rebuilt = true;
        if (ConfigureFilters(ist, ost, decoded->width, decoded->height, decoded->format,
                             decoded->sample_aspect_ratio) < 0)
            throw FFmpegException("Error opening filters: " + FLastErrMsg);
    }
    int r = ff::av_buffersrc_add_frame_flags(ost->src, decoded, AV_BUFFERSRC_FLAG_KEEP_REF);
    if (r < 0)
        throw FFmpegException("Error while feeding the filter graph: " + ErrText(r));
    EncodeSinkFrames(R, ost, true);
}

void TCustomFFmpeg::EncodeSinkFrames(TRunState& R, TAVOutputStream* ost, bool RaiseErrors)
{
    for (;;) {
        int r = ff::av_buffersink_get_frame(ost->sink, R.filt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            return;
        if (r < 0) {
            if (RaiseErrors)
                throw FFmpegException("Error while filtering: " + ErrText(r));
            return;
        }
        int64_t ptsUs = R.filt->pts != AV_NOPTS_VALUE
                            ? ff::av_rescale_q(R.filt->pts, ff::av_buffersink_get_time_base(ost->sink), AV_TIME_BASE_Q)
                            : ost->sync_ist->pts;
        try {
            EncodeVideoFrame(R, ost, R.filt, ptsUs);
        } catch (...) {
            ff::av_frame_unref(R.filt);
            throw;
        }
        ff::av_frame_unref(R.filt);
    }
}

void TCustomFFmpeg::EncodeVideoFrame(TRunState& R, TAVOutputStream* ost, AVFrame* pic, int64_t APtsUs)
{
    AVCodecContext* enc = ost->enc;
    double syncIpts = double(APtsUs - Fstart_time) / AV_TIME_BASE / av_q2d(enc->time_base);
    int nb = 1;
    int method = Fvideo_sync_method;
    if (method < 0)
        method = (ost->of->ctx->oformat->flags & AVFMT_VARIABLE_FPS) ? 2 : 1;
    if (method != 0) {
        double vdelta = syncIpts - ost->sync_opts;
        if (vdelta < -1.1)
            nb = 0;
        else if (method == 2) {
            if (vdelta <= -0.6)
                nb = 0;
            else if (vdelta > 0.6)
                ost->sync_opts = std::llround(syncIpts);
        } else if (vdelta > 1.1)
            nb = (int)std::llround(vdelta);
        if (nb == 0) {
            Fnb_frames_drop++;
            FShowDupOrDrop = true;
            if (Fverbose > 2)
                Log(llVerbose, "*** drop!");
        } else if (nb > 1) {
            Fnb_frames_dup += nb - 1;
            FShowDupOrDrop = true;
            if (Fverbose > 2)
                Log(llVerbose, Format("*** %d dup!", nb - 1));
        }
    } else {
        ost->sync_opts = std::llround(syncIpts);
    }
    nb = std::min(nb, Fmax_frames[0] - ost->frame_number);
    if (nb <= 0)
        return;
    for (int i = 0; i < nb && !FBroken; i++) {
        if (i > 0)
            WaitWhilePaused();
        AVFrame* f = ff::av_frame_clone(pic);
        if (!f)
            throw FFmpegException("Video encoding failed");
        f->pts = ost->sync_opts;
        f->pict_type = AV_PICTURE_TYPE_NONE;
        if (Ftop_field_first >= 0)
            f->top_field_first = Ftop_field_first;
        if (Fsame_quality && pic->quality > 0)
            f->quality = pic->quality;  // the source's quantizer, as the decoder gave it
        else if (ost->setup->quality > 0)
            f->quality = (int)std::lround(ost->setup->quality);
        try {
            CallPostHooks(f, enc);
            EncodeFrame(R, ost, f);
        } catch (...) {
            ff::av_frame_free(&f);
            throw;
        }
        ff::av_frame_free(&f);
        ost->sync_opts++;
        ost->frame_number++;
    }
}

// One line per written video frame into the statistics file.
void TCustomFFmpeg::WriteVideoStats(TAVOutputStream* ost, const AVPacket* pkt)
{
    if (!Fvstats_file) {
        // a relative name is taken next to the output, never in the current folder
        fs::path p = fs::u8path(Fvstats_filename);
        if (p.is_relative()) {
            fs::path dir = fs::u8path(ost->of->FileName).parent_path();
            p = fs::absolute(dir.empty() ? fs::current_path() : dir) / p;
        }
        Fvstats_file = std::fopen(p.string().c_str(), "w");
        if (!Fvstats_file)
            throw FFmpegException("fopen fail: " + Fvstats_filename);
    }
    AVCodecContext* enc = ost->enc;
    size_t sz = 0;
    const uint8_t* sd = ff::av_packet_get_side_data(pkt, AV_PKT_DATA_QUALITY_STATS, &sz);
    int quality = 0, pictType = 0;
    int64_t err0 = 0;
    if (sd && sz >= 5) {
        quality = int(sd[0] | sd[1] << 8 | sd[2] << 16 | unsigned(sd[3]) << 24);
        pictType = sd[4];
        if (sz >= 16)
            std::memcpy(&err0, sd + 8, 8);
    }
    ost->stats_frames++;
    ost->stats_bytes += pkt->size;
    std::fprintf(Fvstats_file, "frame= %5d q= %2.1f ", ost->stats_frames, quality / (float)FF_QP2LAMBDA);
    if (enc->flags & AV_CODEC_FLAG_PSNR)
        std::fprintf(Fvstats_file, "PSNR= %6.2f ",
                     err0 > 0 ? -10.0 * std::log10(err0 / (enc->width * enc->height * 255.0 * 255.0)) : 99.99);
    std::fprintf(Fvstats_file, "f_size= %6d ", pkt->size);
    double ti1 = std::max(0.01, ost->sync_opts * av_q2d(enc->time_base));
    double bitrate = pkt->size * 8 / av_q2d(enc->time_base) / 1000.0;
    double avg = ost->stats_bytes * 8.0 / ti1 / 1000.0;
    std::fprintf(Fvstats_file, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
                 ost->stats_bytes / 1024.0, ti1, bitrate, avg);
    char type = pictType ? ff::av_get_picture_type_char(AVPictureType(pictType)) : '?';
    std::fprintf(Fvstats_file, "type= %c\n", type);
}

// Right after decoding: the owner's custom hook and the frame-hook chain may
// change the picture.
void TCustomFFmpeg::PrepareVideoFrame(TAVInputStream* ist, AVFrame* f)
{
    FHookFrameNumber++;
    // a custom hook whose owner has no handler costs nothing: no copy, no conversion
    // (a bound custom hook takes precedence over the frame hooks)
    const bool custom = OnCustomHook && (!CustomHookWanted || CustomHookWanted());
    const bool vhook = !OnCustomHook && Fusing_vhook && FrameHookProcess;
    if (!custom && !vhook)
        return;
    if (ff::av_frame_make_writable(f) < 0) {
        Log(llError, "hook buf malloc error.");
        return;
    }
    if (custom)
        CallCustomHook(f, ist->pts);
    else
        FrameHookProcess(this, f, ist->pts);
}

void TCustomFFmpeg::CallCustomHook(AVFrame* f, int64_t APts)
{
    auto stop = [this] {
        OnCustomHook = nullptr;
        Fusing_vhook = false;
    };
    if (!FHookContext)
        FHookContext = std::make_unique<TRGBConvertContext>();
    TRGBConvertContext& c = *FHookContext;
    if (!PictureToBitmap(c, f) || !c.Bitmap) {
        Log(llError, "Cannot initialize the toRGB conversion context");
        stop();
        return;
    }
    bool update = true, stopHook = false;
    try {
        OnCustomHook(this, c.Bitmap.get(), FHookFrameNumber, APts, update, stopHook);
    } catch (const std::exception& e) {
        Log(llError, std::string("Error occurs OnCustomHook: ") + e.what());
        update = false;
    }
    if (update) {
        TBGRBitmap& b = *c.Bitmap;
        const bool direct = c.RGBPictureRef.data[0] == f->data[0];
        uint8_t* dst = direct ? f->data[0] : c.RGBPicture.data[0];
        int ls = direct ? f->linesize[0] : c.RGBPicture.linesize[0];
        int rowBytes = std::min(ls, b.Width * 3);
        for (int y = 0; y < f->height && y < b.Height && dst; y++)
            std::memcpy(dst + (size_t)y * ls, b.ScanLine(y), rowBytes);
        if (!direct && dst) {
            c.fromRGB_convert_ctx = ff::sws_getCachedContext(c.fromRGB_convert_ctx, f->width, f->height, c.RGBPixFmt,
                                                             f->width, f->height, AVPixelFormat(f->format),
                                                             SWS_BICUBIC, nullptr, nullptr, nullptr);
            if (!c.fromRGB_convert_ctx) {
                Log(llError, "Cannot initialize the fromRGB conversion context");
                stopHook = true;
            } else {
                ff::sws_scale(c.fromRGB_convert_ctx, c.RGBPicture.data, c.RGBPicture.linesize, 0, f->height, f->data,
                              f->linesize);
            }
        }
    }
    if (stopHook)
        stop();
}

// ---- post hooks ------------------------------------------------------------------------
TCriticalSection& PostHookLock()
{
    static TCriticalSection lock;
    return lock;
}

void TCustomFFmpeg::SetPostHooks(TPostHooks AValue)
{
    std::lock_guard<TCriticalSection> g(PostHookLock());
    TPostHooks old = FPostHooks;
    FPostHooks = AValue;
    if ((old & PostHookBit(phPreview)) && !(AValue & PostHookBit(phPreview)))
        ReleasePreview();
}

// With every encoded picture, at most once per PreviewInterval: a bitmap for
// OnPreviewBitmap, or else a frame for the preview window. Only the time is
// checked per picture; the conversion runs on this task's own context, and
// PostHookLock (shared by every task) is held only around the delivery.
void TCustomFFmpeg::CallPostHooks(const AVFrame* APicture, AVCodecContext* ACodec)
{
    if (!FPostHooks)
        return;
    const int64_t now = ff::av_gettime_relative();
    const int64_t last = Fpreview_last_time;
    if (last != NEVER_SHOWN && now - last <= PreviewInterval)
        return;
    Fpreview_last_time = now;
    if (!FPostContext)
        FPostContext = std::make_unique<TRGBConvertContext>();
    const bool converted = PictureToBitmap(*FPostContext, APicture) && FPostContext->Bitmap;
    const int64_t pts = APicture->pts == AV_NOPTS_VALUE
                            ? AV_NOPTS_VALUE
                            : ff::av_rescale_q(APicture->pts, ACodec->time_base, AV_TIME_BASE_Q);
    std::lock_guard<TCriticalSection> g(PostHookLock());
    // the set may have changed while the picture was converted
    TPostHooks hooks = FPostHooks;
    const bool bitmap = (hooks & PostHookBit(phBitmap)) && OnPreviewBitmap;
    const bool preview = !bitmap && (hooks & PostHookBit(phPreview));
    if (!bitmap && !preview)
        return;
    if (!converted) {
        Log(llError, "Cannot initialize the toRGB conversion context");
        hooks &= ~PostHookBit(bitmap ? phBitmap : phPreview);
    } else if (bitmap) {
        OnPreviewBitmap(this, FPostContext->Bitmap.get(), FHookFrameNumber, pts);
    } else if (!PaintPreview(FPostContext->Bitmap.get(), FHookFrameNumber, pts)) {
        hooks &= ~PostHookBit(phPreview);
    }
    if (hooks != FPostHooks)
        SetPostHooks(hooks);
}

// ---- packet path -------------------------------------------------------------------------
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

// The filter graph is told that no more pictures come, and the pictures it
// still holds (filters that look ahead keep some) are encoded.
void TCustomFFmpeg::DrainFilterGraph(TRunState& R, TAVOutputStream* ost)
{
    if (!ost->src || !ost->sink || ff::av_buffersrc_add_frame_flags(ost->src, nullptr, 0) < 0)
        return;
    EncodeSinkFrames(R, ost, false);
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
