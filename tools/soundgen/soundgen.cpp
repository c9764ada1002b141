// Build-time tool: synthesises the game's four sounds as RIFF/WAVE files
// (PCM, 44100 Hz, mono, 16 bits).
//   gz_soundgen <output folder>
// writes TICK.wav (0.17 s, a soft wooden tick), CLING1.wav (0.63 s, a
// two-note bell chime), CLING2.wav (0.77 s, a lower three-note chime) and
// ZINKO.wav (122.7 s: 0.69 s of silence, then a cheerful tune that loops
// without a seam). Everything is computed; the output is the same on every
// run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

uint32_t samplesFor(double seconds) { return uint32_t(std::lround(seconds * kRate)); }

double midiHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Small deterministic noise source.
struct Noise {
    uint32_t state = 0x9E3779B9u;
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return double(state) / 2147483648.0 - 1.0;
    }
};

// Adds a decaying sine into `out` from `start` on, wrapping round the end
// when `wrap` is set (so the music's loop point has no seam). Uses the
// two-term recurrence instead of sin() per sample: the tune has thousands
// of notes and the build must stay quick.
void addPartial(std::vector<double>& out, double start, double seconds, double hz, double amp, double tau,
                double attack, double release, bool wrap)
{
    if (hz <= 0 || hz >= kRate / 2 || amp == 0)
        return;
    const size_t n = out.size();
    const int64_t first = int64_t(std::ceil(start));
    const int64_t count = int64_t(seconds * kRate);
    const double w = 2 * kPi * hz / kRate;
    const double k = 2 * std::cos(w);
    // Phase of the first sample taken from the exact start time.
    double y1 = std::sin(w * (double(first) - start - 1));
    double y2 = std::sin(w * (double(first) - start - 2));
    const double decay = std::exp(-1.0 / (tau * kRate));
    double env = 1;
    const int64_t attackN = std::max<int64_t>(1, int64_t(attack * kRate));
    const int64_t releaseN = std::max<int64_t>(1, int64_t(release * kRate));
    for (int64_t i = 0; i < count; ++i) {
        double y = k * y1 - y2;
        y2 = y1;
        y1 = y;
        double a = env * amp;
        if (i < attackN)
            a *= double(i) / double(attackN);
        if (i > count - releaseN)
            a *= double(count - i) / double(releaseN);
        env *= decay;
        int64_t idx = first + i;
        if (wrap)
            idx %= int64_t(n);
        else if (idx >= int64_t(n))
            break;
        out[size_t(idx)] += a * y;
    }
}

struct Voice {
    double ratio;
    double amp;
    double tauScale;
};

void addNote(std::vector<double>& out, double start, double seconds, double hz, double amp, double tau,
             const std::vector<Voice>& voices, double attack, double release, bool wrap)
{
    for (const Voice& v : voices)
        addPartial(out, start, seconds, hz * v.ratio, amp * v.amp, tau * v.tauScale, attack, release, wrap);
}

// Writes 16-bit samples (already clipped) as a PCM WAVE file.
bool writeWave(const std::string& path, const std::vector<int16_t>& s)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    auto u32 = [f](uint32_t v) {
        unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    auto u16 = [f](uint16_t v) {
        unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)};
        std::fwrite(b, 1, 2, f);
    };
    const uint32_t dataBytes = uint32_t(s.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(44100);
    u32(88200);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    std::vector<unsigned char> bytes(s.size() * 2);
    for (size_t i = 0; i < s.size(); ++i) {
        bytes[2 * i] = uint8_t(uint16_t(s[i]));
        bytes[2 * i + 1] = uint8_t(uint16_t(s[i]) >> 8);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    return std::fclose(f) == 0;
}

// Scales to `peak` of full scale and ends with a short fade to silence.
std::vector<int16_t> finish(const std::vector<double>& x, double peak, double fadeSeconds)
{
    double m = 1e-9;
    for (double v : x)
        m = std::max(m, std::fabs(v));
    std::vector<int16_t> s(x.size());
    const size_t fade = std::min(x.size(), size_t(fadeSeconds * kRate));
    for (size_t i = 0; i < x.size(); ++i) {
        double v = x[i] / m * peak;
        size_t fromEnd = x.size() - i;
        if (fade > 0 && fromEnd <= fade)
            v *= double(fromEnd - 1) / double(fade);
        s[i] = int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
    }
    return s;
}

// A soft wooden tick: a few strongly damped wood-block modes and a breath
// of noise for the strike.
std::vector<int16_t> makeTick()
{
    std::vector<double> x(samplesFor(0.17));
    const double modes[][3] = {{1020, 1.0, 0.018}, {2350, 0.45, 0.010}, {3850, 0.18, 0.006}, {610, 0.30, 0.030}};
    for (const auto& m : modes)
        addPartial(x, 0, 0.17, m[0], m[1], m[2], 0.0008, 0.002, false);
    Noise noise;
    double lp = 0;
    for (size_t i = 0; i < 400 && i < x.size(); ++i) {
        lp += 0.35 * (noise.next() - lp);
        x[i] += 0.25 * lp * std::exp(-double(i) / 60.0);
    }
    return finish(x, 0.55, 0.02);
}

// Bell: inharmonic partials of a small struck bell.
const std::vector<Voice> kBell = {{1.0, 1.0, 1.0},  {2.0, 0.55, 0.8}, {2.76, 0.35, 0.55},
                                  {4.07, 0.2, 0.4}, {5.4, 0.12, 0.3}, {0.5, 0.15, 1.3}};

std::vector<int16_t> makeChime(double seconds, const std::vector<std::pair<double, int>>& strikes, double tau)
{
    std::vector<double> x(samplesFor(seconds));
    for (const auto& [at, note] : strikes)
        addNote(x, at * kRate, seconds - at, midiHz(note), 1.0, tau, kBell, 0.002, 0.03, false);
    return finish(x, 0.7, 0.06);
}

// --- the tune ---

struct Note {
    int pos;  // eighth within the bar
    int len;  // eighths
    int midi;
};

// Sixteen bars, chords and melody; played four times with variations.
const int kChords[16][3] = {{60, 64, 67}, {57, 60, 64}, {57, 60, 65}, {55, 59, 62}, {60, 64, 67}, {57, 60, 64},
                            {57, 62, 65}, {55, 59, 62}, {57, 60, 65}, {55, 59, 62}, {55, 59, 64}, {57, 60, 64},
                            {57, 62, 65}, {55, 59, 62}, {60, 64, 67}, {55, 59, 62}};
const int kBassRoot[16] = {48, 45, 41, 43, 48, 45, 50, 43, 41, 43, 52, 45, 50, 43, 48, 43};
const std::vector<Note> kMelody[16] = {
    {{0, 2, 76}, {2, 1, 79}, {3, 2, 84}, {5, 1, 83}, {6, 1, 81}, {7, 1, 79}},
    {{0, 3, 81}, {3, 1, 76}, {4, 2, 81}, {6, 2, 84}},
    {{0, 2, 81}, {2, 1, 79}, {3, 2, 77}, {5, 1, 81}, {6, 2, 84}},
    {{0, 3, 83}, {3, 1, 81}, {4, 2, 79}, {6, 2, 74}},
    {{0, 2, 76}, {2, 1, 79}, {3, 2, 84}, {5, 1, 86}, {6, 2, 88}},
    {{0, 3, 84}, {3, 1, 83}, {4, 2, 81}, {6, 2, 76}},
    {{0, 2, 77}, {2, 1, 81}, {3, 3, 86}, {6, 1, 84}, {7, 1, 81}},
    {{0, 2, 83}, {2, 2, 79}, {4, 2, 74}, {6, 2, 79}},
    {{0, 1, 84}, {1, 1, 84}, {2, 2, 81}, {4, 1, 77}, {5, 1, 81}, {6, 2, 84}},
    {{0, 1, 86}, {1, 1, 86}, {2, 2, 83}, {4, 1, 79}, {5, 1, 83}, {6, 2, 86}},
    {{0, 3, 88}, {3, 1, 86}, {4, 2, 83}, {6, 2, 79}},
    {{0, 2, 81}, {2, 2, 84}, {4, 2, 88}, {6, 2, 84}},
    {{0, 2, 86}, {2, 1, 84}, {3, 2, 81}, {5, 1, 77}, {6, 2, 81}},
    {{0, 2, 83}, {2, 1, 86}, {3, 3, 91}, {6, 2, 89}},
    {{0, 3, 88}, {3, 1, 86}, {4, 4, 84}},
    {{0, 1, 79}, {1, 1, 81}, {2, 1, 83}, {3, 1, 86}, {6, 1, 79}, {7, 1, 83}},
};

const std::vector<Voice> kLead = {{1, 1.0, 1.0}, {2, 0.45, 0.7}, {3, 0.25, 0.5}, {4, 0.12, 0.4}};
const std::vector<Voice> kMellowLead = {{1, 1.0, 1.0}, {2, 0.2, 0.6}, {3, 0.05, 0.4}};
const std::vector<Voice> kKeys = {{1, 1.0, 1.0}, {2, 0.3, 0.6}, {4, 0.06, 0.3}};
const std::vector<Voice> kBass = {{1, 1.0, 1.0}, {2, 0.4, 0.6}, {3, 0.12, 0.4}};

void addKick(std::vector<double>& x, double start, double amp)
{
    const size_t n = x.size();
    const int64_t first = int64_t(std::ceil(start));
    double phase = 0;
    for (int i = 0; i < int(0.25 * kRate); ++i) {
        double t = i / kRate;
        double hz = 48 + 90 * std::exp(-t / 0.03);
        phase += 2 * kPi * hz / kRate;
        double a = amp * std::exp(-t / 0.09) * std::min(1.0, i / 40.0);
        x[size_t((first + i) % int64_t(n))] += a * std::sin(phase);
    }
}

void addNoiseHit(std::vector<double>& x, Noise& noise, double start, double seconds, double amp, double tau,
                 double highPass)
{
    const size_t n = x.size();
    const int64_t first = int64_t(std::ceil(start));
    double prev = 0, lp = 0;
    for (int i = 0; i < int(seconds * kRate); ++i) {
        double v = noise.next();
        lp += 0.5 * (v - lp);
        double hp = highPass > 0 ? (v - prev) * highPass + lp * (1 - highPass) : lp;
        prev = v;
        double a = amp * std::exp(-(i / kRate) / tau) * std::min(1.0, i / 20.0);
        x[size_t((first + i) % int64_t(n))] += a * hp;
    }
}

std::vector<int16_t> makeMusic()
{
    const uint32_t total = samplesFor(122.7);
    const uint32_t lead = samplesFor(0.69);
    const uint32_t length = total - lead;
    constexpr int kBars = 64;
    const double eighth = double(length) / (kBars * 8);  // about 125 beats a minute
    std::vector<double> x(length, 0.0);
    Noise noise;

    for (int bar = 0; bar < kBars; ++bar) {
        const int pass = bar / 16;
        const int b = bar % 16;
        const double barStart = bar * 8 * eighth;
        const double e = eighth / kRate;  // seconds per eighth

        // Melody: second pass an octave lower and softer, as a breather.
        for (const Note& nt : kMelody[b]) {
            int midi = nt.midi - (pass == 1 ? 12 : 0);
            const auto& voice = pass == 1 ? kMellowLead : kLead;
            addNote(x, barStart + nt.pos * eighth, nt.len * e * 0.92 + 0.08, midiHz(midi), 0.30, 0.45, voice, 0.004,
                    0.05, true);
        }
        // Keys: chord stabs on the off-beats.
        for (int pos = 1; pos < 8; pos += 2)
            for (int c = 0; c < 3; ++c)
                addNote(x, barStart + pos * eighth, e * 0.8, midiHz(kChords[b][c]), 0.085, 0.12, kKeys, 0.003, 0.03,
                        true);
        // Bass: root on the beats, octave pushes before beats 3 and 1.
        const int root = kBassRoot[b];
        const Note bass[] = {{0, 2, root}, {2, 1, root}, {3, 1, root + 12}, {4, 2, root}, {6, 1, root + 7},
                             {7, 1, root + 12}};
        for (const Note& nt : bass)
            addNote(x, barStart + nt.pos * eighth, nt.len * e * 0.9, midiHz(nt.midi), 0.32, 0.3, kBass, 0.004, 0.03,
                    true);
        // Drums: kick on 1 and 3, snare on 2 and 4, hats on every eighth
        // (sixteenths in the third pass), a snare fill closing each pass.
        addKick(x, barStart, 0.55);
        addKick(x, barStart + 4 * eighth, 0.55);
        if (b == 15) {
            for (int s = 0; s < 4; ++s)
                addNoiseHit(x, noise, barStart + (4 + s) * eighth, 0.12, 0.14 + 0.03 * s, 0.05, 0.3);
        }
        addNoiseHit(x, noise, barStart + 2 * eighth, 0.18, 0.22, 0.06, 0.3);
        addNoiseHit(x, noise, barStart + 6 * eighth, 0.18, 0.22, 0.06, 0.3);
        const int hatsPerBar = pass == 2 ? 16 : 8;
        for (int h = 0; h < hatsPerBar; ++h) {
            double at = barStart + h * (8 * eighth / hatsPerBar);
            double amp = (h % 2 == 1) ? 0.07 : 0.045;
            addNoiseHit(x, noise, at, 0.05, amp, 0.012, 1.0);
        }
    }

    // A gentle saturation tames the drum peaks so the tune is not thin when
    // played at a fraction of its level. No fade at the end: the tune runs
    // straight on into its beginning.
    double peak = 1e-9;
    for (double v : x)
        peak = std::max(peak, std::fabs(v));
    for (double& v : x)
        v = std::tanh(2.2 * v / peak);
    std::vector<int16_t> music = finish(x, 0.92, 0.0);
    // The player drops leading zero samples; the tune must start at once.
    if (music[0] == 0)
        music[0] = 1;
    std::vector<int16_t> out(lead, 0);
    out.insert(out.end(), music.begin(), music.end());
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gz_soundgen <output folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = writeWave(dir + "/TICK.wav", makeTick()) &&
              writeWave(dir + "/CLING1.wav", makeChime(0.63, {{0.0, 84}, {0.11, 88}}, 0.28)) &&
              writeWave(dir + "/CLING2.wav", makeChime(0.77, {{0.0, 79}, {0.10, 83}, {0.20, 86}}, 0.32)) &&
              writeWave(dir + "/ZINKO.wav", makeMusic());
    if (!ok) {
        std::fprintf(stderr, "gz_soundgen: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
