// Audio output through SDL2: the device callback decodes from the audio
// queue, resamples to the device's 16-bit format and mixes at the volume.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Src/DAVezi/PlayState.h"
#include "Src/FFmpegLogger.h"

namespace {

// SDL's audio subsystem is reference-counted by SDL itself, but not safely
// across threads: its start and end, the hint, and opening and closing
// devices run under this lock (two playbacks may overlap while one ends).
std::mutex& AudioInitLock()
{
    static std::mutex m;
    return m;
}

void LogAudio(TVideoState& s, TLogLevel lvl, const std::string& msg)
{
    std::lock_guard<std::recursive_mutex> g(s.OwnerLock);
    GetFFLogger()->Log(s.Owner, lvl, msg);
}

// With the video or the wall clock as master: the number of source samples
// this frame should last so that the audio drifts back (at most 10% off).
int SynchronizeAudio(TVideoState& s, int nbSamples, int rate, Tav_sync_type sync)
{
    if (!((sync == AV_SYNC_VIDEO_MASTER && s.video_stream >= 0 && s.VideoShown) || sync == AV_SYNC_EXTERNAL_CLOCK))
        return nbSamples;
    double diff = GetAudioClock(s) - GetMasterClock(s, sync);
    if (std::isnan(diff) || std::fabs(diff) >= 10.0) {
        s.audio_diff_avg_count = 0;
        s.audio_diff_cum = 0;
        return nbSamples;
    }
    s.audio_diff_cum = diff + s.audio_diff_avg_coef * s.audio_diff_cum;
    if (s.audio_diff_avg_count < 20) {
        s.audio_diff_avg_count++;
        return nbSamples;
    }
    double avg = s.audio_diff_cum * (1.0 - s.audio_diff_avg_coef);
    if (std::fabs(avg) < s.audio_diff_threshold) return nbSamples;
    int wanted = nbSamples + int(std::lround(diff * rate));
    return std::clamp(wanted, nbSamples * 90 / 100, nbSamples * 110 / 100);
}

// Converts the decoded frame into audio_buf; false when it cannot.
bool ConvertFrame(TVideoState& s, AVFrame* f, Tav_sync_type sync)
{
    if (!s.swr || s.SwrFormat != f->format || s.SwrRate != f->sample_rate ||
        ff::av_channel_layout_compare(&s.SwrLayout, &f->ch_layout) != 0) {
        ff::swr_free(&s.swr);
        AVChannelLayout out;
        ff::av_channel_layout_default(&out, s.DevChannels);
        int r = ff::swr_alloc_set_opts2(&s.swr, &out, AV_SAMPLE_FMT_S16, s.DevRate, &f->ch_layout,
                                        AVSampleFormat(f->format), f->sample_rate, 0, nullptr);
        ff::av_channel_layout_uninit(&out);
        if (r < 0 || ff::swr_init(s.swr) < 0) {
            ff::swr_free(&s.swr);
            return false;
        }
        s.SwrFormat = f->format;
        s.SwrRate = f->sample_rate;
        ff::av_channel_layout_uninit(&s.SwrLayout);
        ff::av_channel_layout_copy(&s.SwrLayout, &f->ch_layout);
    }
    int wanted = SynchronizeAudio(s, f->nb_samples, f->sample_rate, sync);
    if (wanted != f->nb_samples || s.Compensating) {
        // swresample stretches or shortens the frame by the difference
        int delta = int(std::int64_t(wanted - f->nb_samples) * s.DevRate / f->sample_rate);
        int distance = int(std::int64_t(wanted) * s.DevRate / f->sample_rate);
        if (ff::swr_set_compensation(s.swr, delta, distance > 0 ? distance : 1) >= 0) s.Compensating = delta != 0;
    }
    // sized from the real sample counts (a stretched frame included),
    // resampler delay included
    std::int64_t outCount =
        ff::av_rescale_rnd(ff::swr_get_delay(s.swr, f->sample_rate) + std::max(wanted, f->nb_samples), s.DevRate,
                           f->sample_rate, AV_ROUND_UP) + 256;
    std::size_t bytes = std::size_t(outCount) * std::size_t(s.DevChannels) * 2;
    if (s.audio_buf.size() < bytes) s.audio_buf.resize(bytes);
    std::uint8_t* out = s.audio_buf.data();
    int got = ff::swr_convert(s.swr, &out, int(outCount), const_cast<const std::uint8_t**>(f->extended_data),
                              f->nb_samples);
    if (got < 0) return false;
    s.audio_buf_size = std::size_t(got) * std::size_t(s.DevChannels) * 2;
    s.audio_buf_index = 0;
    if (s.show_audio != 0)
        StoreSamplesForDisplay(s, reinterpret_cast<const std::int16_t*>(out), got * s.DevChannels);
    double dur = double(f->nb_samples) / f->sample_rate;
    if (f->best_effort_timestamp != AV_NOPTS_VALUE)
        s.DecodedEnd = double(f->best_effort_timestamp) * av_q2d(s.audio_st->time_base) + dur;
    else if (!std::isnan(s.DecodedEnd))
        s.DecodedEnd += dur;
    return true;
}

// A seek's flush mark: the decoder and the resampler forget what they hold,
// and the sound has no time until its first block after the seek.
void FlushAudio(TVideoState& s)
{
    ff::avcodec_flush_buffers(s.audio_dec);
    if (s.swr) ff::swr_init(s.swr);   // drops the resampler's delayed samples
    s.AudioPacketPending = false;
    s.AudioDrained = false;
    s.audio_buf_size = s.audio_buf_index = 0;
    s.DecodedEnd = NAN;
    s.AudioSerial = s.Serial;
}

// With pictures, the sound of an open or a seek waits (as silence) until the
// first picture of that position is on screen: the picture decoder needs a
// while to start, and sound played meanwhile would run ahead of every picture
// after. At most MaxAudioHold seconds, and not when no picture can come.
constexpr double MaxAudioHold = 2.0;

bool HoldForPicture(TVideoState& s)
{
    if (s.video_stream < 0 || s.VideoFailed || s.VideoDrained || s.DisplaySerial == s.Serial) {
        s.AudioHoldSince = NAN;
        return false;
    }
    double now = NowSeconds();
    if (std::isnan(s.AudioHoldSince)) s.AudioHoldSince = now;
    return now - s.AudioHoldSince < MaxAudioHold;
}

// Fills audio_buf with the next decoded block; false when nothing is ready.
bool DecodeAudio(TVideoState& s, Tav_sync_type sync)
{
    for (;;) {
        if (s.AudioPacketPending) {
            int r = ff::avcodec_receive_frame(s.audio_dec, s.AudioFrame);
            if (r == 0) {
                bool ok = ConvertFrame(s, s.AudioFrame, sync);
                ff::av_frame_unref(s.AudioFrame);
                if (ok) return true;
                continue;
            }
            s.AudioPacketPending = false;
            if (r == AVERROR_EOF) {
                s.AudioDrained = true;
                return false;
            }
        }
        TQueueItem it;
        if (s.audioq.Get(it, false) <= 0) return false;
        switch (it.Kind) {
        case TQueueItemKind::Flush:
            FlushAudio(s);
            break;
        case TQueueItemKind::EndOfInput:
            ff::avcodec_send_packet(s.audio_dec, nullptr);
            s.AudioPacketPending = true;
            break;
        case TQueueItemKind::Packet:
            ff::avcodec_send_packet(s.audio_dec, it.Pkt);
            ff::av_packet_free(&it.Pkt);
            s.AudioPacketPending = true;
            break;
        }
    }
}

void AudioCallback(void* userdata, Uint8* stream, int len)
{
    TVideoState& s = *static_cast<TVideoState*>(userdata);
    std::memset(stream, 0, std::size_t(len));   // silence unless something is mixed in
    int total = len;
    bool mute = false;
    int volume = SDL_MIX_MAXVOLUME;
    Tav_sync_type sync = AV_SYNC_AUDIO_MASTER;
    s.WithOwner([&](TCustomPlayer& o) {
        mute = o.FMute;
        volume = o.FAudioVolume;
        sync = o.Fav_sync_type;
    });
    if (s.paused || s.abort_request) return;
    if (HoldForPicture(s)) {
        // a seek made meanwhile is taken at once; its packets wait
        while (s.audioq.TakeMark(TQueueItemKind::Flush)) FlushAudio(s);
        return;
    }
    while (len > 0) {
        if (s.audio_buf_index >= s.audio_buf_size && !DecodeAudio(s, sync)) break;
        int n = int(std::min<std::size_t>(std::size_t(len), s.audio_buf_size - s.audio_buf_index));
        if (!mute && volume > 0)
            ff::SDL_MixAudioFormat(stream, s.audio_buf.data() + s.audio_buf_index, AUDIO_S16SYS, Uint32(n), volume);
        stream += n;
        len -= n;
        s.audio_buf_index += std::size_t(n);
    }
    // The block just handed over plays next: the clock stands at its start.
    int bps = s.DevRate * s.DevChannels * 2;
    if (bps > 0 && !std::isnan(s.DecodedEnd)) {
        double pending = double(s.audio_buf_size - s.audio_buf_index + std::size_t(total - len)) / bps;
        s.audio_clock = s.DecodedEnd - pending;
        s.AudioClockSerial = s.AudioSerial;
        s.AudioCallbackAt = NowSeconds();
        if (s.video_stream < 0 && s.ExtSerial != s.AudioSerial) SetExternalClock(s, s.audio_clock, s.AudioSerial);
    }
}

}  // namespace

const char* AudioDriverName(TAudioDriver d)
{
    switch (d) {
    case adDirectSound: return "pulseaudio";
    case adWaveOut: return "alsa";
    case adPipeWire: return "pipewire";
    case adDummy: return "dummy";
    case adDisk: return "disk";
    default: return "";
    }
}

bool OpenAudioOutput(TVideoState& s)
{
    AVCodecContext* dec = s.audio_dec;
    std::lock_guard<std::mutex> g(AudioInitLock());
    const char* name = AudioDriverName(s.AudioDriverChoice);
    // A chosen driver holds over the environment's; the default goes back to
    // SDL's own choice (and the environment's) after another was chosen.
    if (*name)
        ff::SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, name, SDL_HINT_OVERRIDE);
    else
        ff::SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (ff::SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        LogAudio(s, llError, std::string("SDL_InitSubSystem(SDL_INIT_AUDIO) failed: ") + ff::SDL_GetError() +
                                 "; the file plays without sound.");
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = dec->sample_rate;
    want.format = AUDIO_S16SYS;
    int ch = dec->ch_layout.nb_channels;
    want.channels = Uint8(ch == 1 || ch == 2 ? ch : 2);
    want.samples = 1024;
    want.callback = AudioCallback;
    want.userdata = &s;
    SDL_AudioDeviceID dev = ff::SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE |
                                                                             SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (dev == 0) {
        LogAudio(s, llError, std::string("SDL_OpenAudio() failed: ") + ff::SDL_GetError() +
                                 "; the file plays without sound.");
        ff::SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    s.DevRate = have.freq;
    s.DevChannels = have.channels;
    s.AudioBufferSeconds = have.freq > 0 ? double(have.samples) / have.freq : 0.0;
    s.audio_diff_avg_coef = std::exp(std::log10(0.01) / 20);
    s.audio_diff_avg_count = 0;
    s.audio_diff_cum = 0;
    s.audio_diff_threshold = have.freq > 0 ? 2048.0 / have.freq : 0.05;
    s.AudioFrame = ff::av_frame_alloc();
    s.AudioDevice = dev;
    ff::SDL_PauseAudioDevice(dev, 0);
    return true;
}

void CloseAudioOutput(TVideoState& s)
{
    if (s.AudioDevice) {
        std::lock_guard<std::mutex> g(AudioInitLock());
        ff::SDL_CloseAudioDevice(s.AudioDevice);   // waits for a running callback
        s.AudioDevice = 0;
        ff::SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    ff::swr_free(&s.swr);
    ff::av_channel_layout_uninit(&s.SwrLayout);
    ff::av_frame_free(&s.AudioFrame);
    s.audio_buf_size = s.audio_buf_index = 0;
}
