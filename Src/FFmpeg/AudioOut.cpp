// The run's audio encoding path: volume, resampling with the audio sync
// methods (silence, dropped samples, drift compensation) into the stream's
// FIFO, and whole encoder frames out of it.
#include <algorithm>
#include <cmath>

#include "Src/FFUtils.h"
#include "Src/FFmpeg.h"
#include "Src/FFmpeg/EngineUtil.h"
#include "Src/FFmpeg/Run.h"
#include "Src/FFmpegLogger.h"

using namespace ffengine;

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
