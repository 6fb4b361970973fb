// Makes the two sound samples, raw 16-bit signed little-endian mono PCM at 44,100 Hz:
//   AmbientLoop.raw   1 s (88,200 bytes), a calm low drone for the night scene that
//                     loops without a seam;
//   WingFlutter.raw   52,756 samples (105,512 bytes), a fast buzzing wing beat with an
//                     attack and a fading tail.
// Deterministic: the same bytes on every run.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;
const int kRate = 44100;

// A small fixed generator, so the output does not depend on the C library.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double Unit()  // [0, 1)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }
    double Signed() { return 2.0 * Unit() - 1.0; }

private:
    std::uint32_t state_;
};

void Normalize(std::vector<double>& samples, double peak)
{
    double largest = 0.0;
    for (double s : samples)
        largest = std::fmax(largest, std::fabs(s));
    if (largest > 0.0)
        for (double& s : samples)
            s *= peak / largest;
}

bool WriteRaw(const std::string& path, const std::vector<double>& samples)
{
    std::vector<unsigned char> bytes;
    bytes.reserve(samples.size() * 2);
    for (double s : samples) {
        long value = std::lround(s * 32767.0);
        value = value > 32767 ? 32767 : (value < -32768 ? -32768 : value);
        const std::uint16_t word = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
        bytes.push_back(static_cast<unsigned char>(word & 0xff));
        bytes.push_back(static_cast<unsigned char>(word >> 8));
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// Every partial has a whole number of cycles in the one second, so the last sample
// leads into the first exactly as any sample into the next: no seam in value or slope.
std::vector<double> AmbientLoop()
{
    const int count = kRate;
    std::vector<double> samples(count, 0.0);
    Noise noise(132);
    struct Partial {
        int hertz;
        double amplitude;
    };
    // A low drone on 55 Hz with slightly mistuned neighbours, so it breathes in slow
    // beats (1, 2 and 3 per second) instead of standing still.
    const Partial drone[] = {
        {55, 0.30}, {56, 0.12}, {110, 0.16}, {112, 0.07}, {82, 0.10}, {83, 0.09},
        {165, 0.06}, {168, 0.03}, {220, 0.03}, {247, 0.015},
    };
    // A faint high shimmer, also beating.
    const Partial shimmer[] = {
        {587, 0.010}, {588, 0.008}, {880, 0.006}, {882, 0.006}, {1319, 0.003}, {1322, 0.003},
    };
    std::vector<Partial> partials(std::begin(drone), std::end(drone));
    partials.insert(partials.end(), std::begin(shimmer), std::end(shimmer));
    // Soft air: a band of whole-hertz partials from 180 to 900 Hz with random phases,
    // falling off with frequency, which sounds like distant wind and still loops.
    for (int hertz = 180; hertz <= 900; ++hertz)
        partials.push_back({hertz, 0.0016 * std::sqrt(180.0 / hertz) * (0.5 + noise.Unit())});

    for (const Partial& partial : partials) {
        const double phase = 2.0 * kPi * noise.Unit();
        const double step = 2.0 * kPi * partial.hertz / kRate;
        for (int i = 0; i < count; ++i)
            samples[i] += partial.amplitude * std::sin(step * i + phase);
    }
    Normalize(samples, 0.56);  // about -5 dB peak
    return samples;
}

// Second-order high-pass (the usual biquad with Q 0.7071), run over the samples in place.
void HighPass(std::vector<double>& samples, double cutoffHertz)
{
    const double w = 2.0 * kPi * cutoffHertz / kRate;
    const double alpha = std::sin(w) / (2.0 * 0.7071);
    const double a0 = 1.0 + alpha;
    const double b0 = (1.0 + std::cos(w)) / 2.0 / a0;
    const double b1 = -(1.0 + std::cos(w)) / a0;
    const double a1 = -2.0 * std::cos(w) / a0;
    const double a2 = (1.0 - alpha) / a0;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    for (double& s : samples) {
        const double y = b0 * s + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = s;
        y2 = y1;
        y1 = y;
        s = y;
    }
}

std::vector<double> WingFlutter()
{
    const int count = 52756;
    std::vector<double> samples(count, 0.0);
    Noise noise(133);
    const double attackEnd = 0.035;  // s
    const double holdEnd = 0.30;
    const double end = static_cast<double>(count) / kRate;

    double beatPhase = 0.0;
    double airLow = 0.0;
    double airBand = 0.0;
    double airSoft = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        // The beat slows a little as the flutter fades, as wings do when gliding out.
        const double beatRate = 34.0 - 8.0 * (t / end);
        beatPhase += 2.0 * kPi * beatRate / kRate;
        const double beat = std::pow(0.5 - 0.5 * std::cos(beatPhase), 2.0);

        // A buzzing body: a low tone rich in harmonics, and rushing air.
        double buzz = 0.0;
        for (int harmonic = 1; harmonic <= 12; ++harmonic)
            buzz += std::sin(2.0 * kPi * 118.0 * harmonic * t + 0.7 * harmonic) / harmonic;
        const double white = noise.Signed();
        airLow += 0.25 * (white - airLow);
        // Rushing air: the noise above about 1.8 kHz, softened twice so no hiss is left.
        airBand += 0.35 * ((white - airLow) - airBand);
        airSoft += 0.35 * (airBand - airSoft);
        const double body = 0.55 * buzz + 1.6 * airSoft;

        double envelope;
        if (t < attackEnd)
            envelope = 0.5 - 0.5 * std::cos(kPi * t / attackEnd);
        else if (t < holdEnd)
            envelope = 1.0;
        else
            envelope = std::exp(-(t - holdEnd) / 0.2);
        // A last short taper brings it to silence exactly at the end.
        const double taper = end - t < 0.05 ? 0.5 - 0.5 * std::cos(kPi * (end - t) / 0.05) : 1.0;
        samples[i] = body * (0.15 + 0.85 * beat) * envelope * taper;
    }
    // The beat's rhythm folds the buzz down below 100 Hz; that rumble is taken out, so
    // the flutter stays clear of the ambient drone's band (and the drone can be measured
    // in a recording of both).
    HighPass(samples, 110.0);
    HighPass(samples, 110.0);
    for (int i = 0; i < count; ++i) {
        const double left = static_cast<double>(count - 1 - i) / kRate;
        if (left < 0.01)
            samples[i] *= left / 0.01;  // the filters' last ripple ends in silence too
    }
    Normalize(samples, 0.7);
    return samples;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sound_samples <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!WriteRaw(folder + "/AmbientLoop.raw", AmbientLoop()) ||
        !WriteRaw(folder + "/WingFlutter.raw", WingFlutter())) {
        std::fprintf(stderr, "make_sound_samples: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
