// The audio display: a wave form or a scrolling spectrum of the samples being
// played, drawn into the video surface when there is no picture to show (or
// when asked for over the video).
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "Src/DAVezi/PlayState.h"

namespace {

constexpr std::uint32_t Black = 0xFF000000u, White = 0xFFFFFFFFu;

int RingIndex(int i)
{
    i %= TVideoState::SampleRingSize;
    return i < 0 ? i + TVideoState::SampleRingSize : i;
}

// The ring position of the sample playing now, less what the display shows,
// for the wave at a rising zero crossing (so that it stands still).
int StartIndex(TVideoState& s, int channels, int used, bool wave)
{
    if (s.paused) return s.last_i_start;
    // the device still has up to one buffer to play before the newest samples
    double behind = s.AudioBufferSeconds;
    double at = s.AudioCallbackAt;
    if (at > 0) behind -= NowSeconds() - at;
    int delay = int(std::max(0.0, behind) * s.DevRate) + 2 * used;
    delay = std::max(delay, used);
    int start = RingIndex(s.sample_array_index - delay * channels);
    if (wave) {
        int best = start, score = INT_MIN;
        for (int i = 0; i < 1000; i += channels) {
            int idx = RingIndex(start - i);
            int a = s.sample_array[std::size_t(idx)];
            int b = s.sample_array[std::size_t(RingIndex(idx + 4 * channels))];
            int c = s.sample_array[std::size_t(RingIndex(idx + 5 * channels))];
            int d = s.sample_array[std::size_t(RingIndex(idx + 9 * channels))];
            if ((b ^ c) < 0 && a - d > score) {
                score = a - d;
                best = idx;
            }
        }
        start = best;
    }
    s.last_i_start = start;
    return start;
}

void DrawWave(TVideoState& s, std::uint32_t* px, int w, int h, int channels, int start)
{
    std::fill(px, px + std::size_t(w) * std::size_t(h), Black);
    int band = h / channels, amp = band * 9 / 20;
    for (int ch = 0; ch < channels; ch++) {
        int y1 = ch * band + band / 2;
        int i = RingIndex(start + ch);
        for (int x = 0; x < w; x++) {
            int y = (s.sample_array[std::size_t(i)] * amp) >> 15;
            int from = y < 0 ? y1 + y : y1, to = y < 0 ? y1 : y1 + y;
            for (int yy = std::max(from, 0); yy <= to && yy < h; yy++) px[std::size_t(yy) * std::size_t(w) + std::size_t(x)] = White;
            i = RingIndex(i + channels);
        }
    }
    for (int ch = 1; ch < channels; ch++)
        std::fill_n(px + std::size_t(ch * band) * std::size_t(w), w, White);
}

void DrawSpectrumColumn(TVideoState& s, int w, int h, int channels, int start)
{
    int bits = 1;
    while ((1 << bits) < 2 * h) bits++;
    int freqs = 1 << (bits - 1);
    if (bits != s.rdft_bits) {
        if (s.rdft) ff::av_rdft_end(s.rdft);
        s.rdft = ff::av_rdft_init(bits, DFT_R2C);
        s.rdft_bits = bits;
        s.rdft_data.assign(std::size_t(4 * freqs), 0.0f);
    }
    if (!s.rdft) return;
    if (s.SpectrumW != w || s.SpectrumH != h) {
        s.SpectrumW = w;
        s.SpectrumH = h;
        s.SpectrumBits.assign(std::size_t(w) * std::size_t(h), Black);
        s.xpos = 0;
    }
    int shown = std::min(channels, 2);
    for (int ch = 0; ch < shown; ch++) {
        float* data = s.rdft_data.data() + std::size_t(2 * freqs * ch);
        int i = RingIndex(start + ch);
        for (int x = 0; x < 2 * freqs; x++) {
            double win = double(x - freqs) / freqs;
            data[x] = float(s.sample_array[std::size_t(i)] * (1.0 - win * win));
            i = RingIndex(i + channels);
        }
        ff::av_rdft_calc(s.rdft, data);
    }
    double wgt = 1.0 / std::sqrt(double(freqs));
    auto level = [&](const float* d, int y) {
        double v = std::sqrt(wgt * std::sqrt(double(d[2 * y]) * d[2 * y] + double(d[2 * y + 1]) * d[2 * y + 1]));
        return std::min(255, int(std::lround(v)));
    };
    const float* d0 = s.rdft_data.data();
    const float* d1 = shown > 1 ? d0 + 2 * freqs : d0;   // mono: both components from the one channel
    for (int y = 0; y < h && y < freqs; y++) {
        int a = level(d0, y), b = level(d1, y);
        std::uint32_t c = 0xFF000000u | std::uint32_t(a) << 16 | std::uint32_t(b) << 8 | std::uint32_t((a + b) / 2);
        s.SpectrumBits[std::size_t(h - 1 - y) * std::size_t(w) + std::size_t(s.xpos)] = c;
    }
    if (++s.xpos >= w) s.xpos = 0;
}

}  // namespace

void StoreSamplesForDisplay(TVideoState& s, const std::int16_t* samples, int count)
{
    std::lock_guard<std::mutex> g(s.SampleLock);
    int idx = s.sample_array_index;
    while (count > 0) {
        int n = std::min(count, TVideoState::SampleRingSize - idx);
        std::memcpy(s.sample_array.data() + idx, samples, std::size_t(n) * sizeof(std::int16_t));
        samples += n;
        count -= n;
        idx += n;
        if (idx >= TVideoState::SampleRingSize) idx = 0;
    }
    s.sample_array_index = idx;
}

void DisplayAudio(TVideoState& s, int hostW, int hostH)
{
    int channels = s.DevChannels;
    if (hostW <= 0 || hostH <= 0 || channels <= 0) return;
    bool wave = s.show_audio == 1;
    int bits = 1;
    while ((1 << bits) < 2 * hostH) bits++;
    int used = wave ? hostW : 2 * (1 << (bits - 1));
    std::lock_guard<std::mutex> g(s.SampleLock);
    int start = StartIndex(s, channels, used, wave);
    std::lock_guard<std::mutex> sg(s.Surface.Lock);
    s.Surface.Bits.resize(std::size_t(hostW) * std::size_t(hostH) * 4);
    auto* px = reinterpret_cast<std::uint32_t*>(s.Surface.Bits.data());
    if (wave) {
        DrawWave(s, px, hostW, hostH, channels, start);
    } else {
        if (!s.paused) DrawSpectrumColumn(s, hostW, hostH, channels, start);
        if (s.SpectrumBits.size() == std::size_t(hostW) * std::size_t(hostH))
            std::copy(s.SpectrumBits.begin(), s.SpectrumBits.end(), px);
        else
            std::fill(px, px + std::size_t(hostW) * std::size_t(hostH), Black);
    }
    s.Surface.Width = hostW;
    s.Surface.Height = hostH;
    s.Surface.Left = 0;
    s.Surface.Top = 0;
}

void FreeAudioDisplay(TVideoState& s)
{
    if (s.rdft) ff::av_rdft_end(s.rdft);
    s.rdft = nullptr;
    s.rdft_bits = 0;
}
