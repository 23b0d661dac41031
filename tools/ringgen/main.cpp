// Writes the completion sound the program plays after a batch: a short
// two-note chime (16-bit mono PCM WAV), made here so the program ships a
// sound of its own.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

void Put16(std::vector<char>& b, std::uint16_t v)
{
    b.push_back(char(v & 0xFF));
    b.push_back(char(v >> 8));
}

void Put32(std::vector<char>& b, std::uint32_t v)
{
    Put16(b, std::uint16_t(v & 0xFFFF));
    Put16(b, std::uint16_t(v >> 16));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: ringgen OUT.wav\n");
        return 2;
    }
    constexpr int kRate = 22050;
    constexpr double kPi = 3.14159265358979323846;
    // Two notes (E6, then C6 an octave-and-a-third lower overlapping), each
    // with a soft attack and an exponential decay, like a small bell.
    struct Note
    {
        double start, freq;
    };
    constexpr Note kNotes[] = {{0.0, 1318.5}, {0.28, 1046.5}};
    constexpr double kLength = 1.2;
    const int n = int(kLength * kRate);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
    {
        const double t = double(i) / kRate;
        double v = 0;
        for (const Note& note : kNotes)
        {
            const double u = t - note.start;
            if (u < 0) continue;
            const double env = std::min(1.0, u / 0.005) * std::exp(-u * 4.0);
            v += env * (std::sin(2 * kPi * note.freq * u) + 0.3 * std::sin(2 * kPi * 2 * note.freq * u));
        }
        samples[static_cast<std::size_t>(i)] = std::int16_t(std::lround(std::clamp(v * 0.35, -1.0, 1.0) * 32767));
    }
    std::vector<char> b;
    const std::uint32_t data = std::uint32_t(n * 2);
    for (char c : {'R', 'I', 'F', 'F'}) b.push_back(c);
    Put32(b, 36 + data);
    for (char c : {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '}) b.push_back(c);
    Put32(b, 16);
    Put16(b, 1);  // PCM
    Put16(b, 1);  // mono
    Put32(b, kRate);
    Put32(b, kRate * 2);
    Put16(b, 2);
    Put16(b, 16);
    for (char c : {'d', 'a', 't', 'a'}) b.push_back(c);
    Put32(b, data);
    for (std::int16_t s : samples) Put16(b, std::uint16_t(s));
    std::ofstream f(argv[1], std::ios::binary);
    f.write(b.data(), std::streamsize(b.size()));
    return f ? 0 : 1;
}
