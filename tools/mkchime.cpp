// Writes the short two-note chime that the program plays before every save.
// Plain standard C++, so the build needs nothing but the compiler.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {
void put16(std::ofstream &out, uint16_t v) { out.put(char(v & 0xff)).put(char(v >> 8)); }
void put32(std::ofstream &out, uint32_t v)
{
    put16(out, uint16_t(v & 0xffff));
    put16(out, uint16_t(v >> 16));
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkchime OUT.wav\n");
        return 2;
    }
    const int rate = 22050;
    const double seconds = 0.7;
    const int n = int(rate * seconds);
    const double pi = 3.14159265358979323846;
    // A bell-like pair: E6 then C6 a little later, each a sine with a soft octave
    // overtone and an exponential fade, so it never clicks.
    struct Note {
        double freq, start, decay;
    };
    const Note notes[] = {{1318.51, 0.0, 6.0}, {1046.50, 0.16, 5.0}};
    std::vector<int16_t> samples(n);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        double s = 0;
        for (const Note &note : notes) {
            const double u = t - note.start;
            if (u < 0)
                continue;
            const double attack = u < 0.004 ? u / 0.004 : 1.0;
            const double env = attack * std::exp(-note.decay * u);
            s += env * (0.8 * std::sin(2 * pi * note.freq * u) + 0.2 * std::sin(4 * pi * note.freq * u));
        }
        const double tail = t > seconds - 0.05 ? (seconds - t) / 0.05 : 1.0;
        samples[i] = int16_t(std::lround(0.35 * 32767 * s * tail));
    }
    std::ofstream out(argv[1], std::ios::binary);
    const uint32_t data = uint32_t(n * 2);
    out.write("RIFF", 4);
    put32(out, 36 + data);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    out.write("data", 4);
    put32(out, data);
    for (int16_t v : samples)
        put16(out, uint16_t(v));
    out.close();
    if (!out) {
        std::fprintf(stderr, "mkchime: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
