// Paints the scene's backdrop (an alien dusk over layered ridges) and the distant
// planet, and writes them as 24-bit .bmp files:
//   make_backdrop_pictures <backdrop.bmp> <planet.bmp>
// Everything is computed from fixed seeds, so the output is the same on every run.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

const double kPi = 3.14159265358979323846;

struct Colour {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

Colour Rgb(double r, double g, double b) { return Colour{r / 255.0, g / 255.0, b / 255.0}; }
Colour operator+(const Colour& a, const Colour& b) { return Colour{a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour operator*(const Colour& a, double s) { return Colour{a.r * s, a.g * s, a.b * s}; }
Colour Mix(const Colour& a, const Colour& b, double t) { return a * (1.0 - t) + b * t; }

double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

double SmoothStep(double edge0, double edge1, double v)
{
    const double t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

struct Image {
    int width;
    int height;
    std::vector<Colour> pixels;  // top row first

    Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
    Colour& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Integer hash to [0, 1): the base of every noise and scatter below.
double Hash(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffffu) / 16777216.0;
}

// Gradient noise in about [-1, 1], smooth in both directions.
double Noise(double x, double y, int seed)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    auto corner = [&](int cx, int cy) {
        const double angle = Hash(cx, cy, seed) * 2.0 * kPi;
        return std::cos(angle) * (x - cx) + std::sin(angle) * (y - cy);
    };
    const double u = fx * fx * fx * (fx * (fx * 6.0 - 15.0) + 10.0);
    const double v = fy * fy * fy * (fy * (fy * 6.0 - 15.0) + 10.0);
    const double a = corner(x0, y0) + u * (corner(x0 + 1, y0) - corner(x0, y0));
    const double b = corner(x0, y0 + 1) + u * (corner(x0 + 1, y0 + 1) - corner(x0, y0 + 1));
    return (a + v * (b - a)) * 1.4142;
}

double Fbm(double x, double y, int octaves, int seed)
{
    double sum = 0.0;
    double amplitude = 0.5;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * Noise(x, y, seed + i * 101);
        // Rotate each octave a little so the grid does not show.
        const double nx = x * 1.6 - y * 1.2;
        y = x * 1.2 + y * 1.6;
        x = nx;
        amplitude *= 0.5;
    }
    return sum;
}

// Sharp-crested noise for mountain profiles, in [0, 1].
double RidgedFbm(double x, int octaves, int seed)
{
    double sum = 0.0;
    double amplitude = 0.5;
    double weight = 1.0;
    for (int i = 0; i < octaves; ++i) {
        double n = 1.0 - std::fabs(Noise(x, 0.37 * i + 0.5, seed + i * 57));
        n *= n;
        sum += n * amplitude * weight;
        weight = Clamp01(n * 1.5);
        x *= 2.03;
        amplitude *= 0.5;
    }
    return sum;
}

// Piecewise-linear colour ramp over sorted stops.
struct Stop {
    double at;
    Colour colour;
};

Colour Ramp(const std::vector<Stop>& stops, double t)
{
    if (t <= stops.front().at)
        return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            const double f = (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at);
            return Mix(stops[i - 1].colour, stops[i].colour, SmoothStep(0.0, 1.0, f));
        }
    }
    return stops.back().colour;
}

// ---------------------------------------------------------------------------
// Backdrop, 512 x 512. On screen it is stretched to 4:3; the planet sits high in
// the upper third, so the sky there stays deep and quiet for its faint cloud.

const int kBackdropSize = 512;
const double kHorizonY = 330.0;  // where the sky meets the farthest ridge
const double kSunX = 330.0;      // the sun has just set behind the ridges here

Colour SkyColour(double x, double y)
{
    static const std::vector<Stop> stops = {
        {0.00, Rgb(4, 4, 16)},    {0.30, Rgb(14, 10, 38)},  {0.55, Rgb(36, 18, 66)},
        {0.75, Rgb(84, 30, 92)},  {0.88, Rgb(160, 58, 96)}, {0.96, Rgb(226, 112, 88)},
        {1.00, Rgb(250, 172, 112)},
    };
    const double t = Clamp01(y / kHorizonY);
    Colour sky = Ramp(stops, t);

    // Afterglow where the sun went down: warm, wide and low.
    const double dx = (x - kSunX) / 230.0;
    const double dy = (kHorizonY - y) / 120.0;
    const double glow = std::exp(-(dx * dx + dy * dy) * 1.6);
    sky = sky + Rgb(120, 60, 24) * (glow * SmoothStep(0.45, 1.0, t));
    return sky;
}

// Soft wisps of gas: domain-warped noise, thresholded, in two tints.
Colour Nebula(double x, double y)
{
    const double u = x / 150.0;
    const double v = y / 150.0;
    const double warpX = Fbm(u * 1.3 + 3.1, v * 1.3 - 1.7, 4, 11);
    const double warpY = Fbm(u * 1.3 - 4.3, v * 1.3 + 2.9, 4, 23);
    const double n = Fbm(u + 1.8 * warpX, v + 1.8 * warpY, 6, 37);
    double density = SmoothStep(-0.05, 0.5, n);
    density *= density;
    // Two drifts of gas to either side; the sky around the planet stays clear so
    // that its faint cloud reads.
    const double left = (x * 0.55 + y - 190.0) / 70.0;
    const double leftAlong = (x - 120.0) / 190.0;
    const double right = (-x * 0.35 + y + 60.0) / 55.0;
    const double rightAlong = (x - 455.0) / 90.0;
    double shape = std::exp(-left * left - leftAlong * leftAlong) + 0.7 * std::exp(-right * right - rightAlong * rightAlong);
    const double px = (x - 262.0) / 120.0;
    const double py = (y - 85.0) / 120.0;
    shape *= 1.0 - 0.85 * std::exp(-(px * px + py * py));
    density *= shape * (1.0 - SmoothStep(200.0, 320.0, y));
    const double tint = SmoothStep(-0.3, 0.3, Fbm(u * 0.7 + 9.0, v * 0.7, 3, 51));
    const Colour cool = Rgb(34, 96, 120);
    const Colour warm = Rgb(120, 40, 104);
    // Bright filaments inside the wisps.
    const double filament = std::pow(Clamp01(1.0 - std::fabs(Fbm(u * 3.0, v * 3.0, 4, 71)) * 3.0), 3.0);
    return Mix(cool, warm, tint) * (density * 1.1 + density * filament * 0.6);
}

// Sparse faint stars, fewer and dimmer towards the glowing horizon.
Colour Stars(int x, int y)
{
    const double fade = 1.0 - SmoothStep(120.0, 300.0, y);
    if (fade <= 0.0)
        return Colour{};
    Colour sum;
    // Each star lives in a 5 x 5 cell at a random spot and is splatted softly.
    const int cell = 5;
    const int cx = x / cell;
    const int cy = y / cell;
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            const int gx = cx + ox;
            const int gy = cy + oy;
            if (Hash(gx, gy, 5) > 0.12)
                continue;
            const double sx = gx * cell + Hash(gx, gy, 6) * cell;
            const double sy = gy * cell + Hash(gx, gy, 7) * cell;
            const double magnitude = std::pow(Hash(gx, gy, 8), 4.0);
            const double radius = 0.55 + magnitude * 0.6;
            const double ddx = x + 0.5 - sx;
            const double ddy = y + 0.5 - sy;
            const double intensity = std::exp(-(ddx * ddx + ddy * ddy) / (radius * radius)) * (0.09 + magnitude * 0.7);
            const double hue = Hash(gx, gy, 9);
            const Colour tint = hue < 0.3 ? Rgb(255, 210, 180) : (hue < 0.7 ? Rgb(230, 230, 255) : Rgb(190, 210, 255));
            sum = sum + tint * intensity;
        }
    }
    return sum * fade;
}

struct Ridge {
    double baseY;      // mean crest height (pixels from the top)
    double amplitude;  // crest relief
    double frequency;  // crests per pixel
    int seed;
    Colour colour;     // body colour at its crest
    Colour depth;      // colour deeper down the slope
    double haze;       // how much of the sky's glow mixes in
};

double RidgeCrest(const Ridge& ridge, double x)
{
    const double u = x * ridge.frequency + ridge.seed * 7.3;
    const double peaks = RidgedFbm(u, 5, ridge.seed);
    const double swell = 0.5 + 0.5 * Fbm(u * 0.35, ridge.seed * 0.61, 3, ridge.seed + 31);
    return ridge.baseY - ridge.amplitude * (0.45 * peaks + 0.75 * swell * swell);
}

Image MakeBackdrop()
{
    Image image(kBackdropSize, kBackdropSize);
    const Ridge ridges[] = {
        {336.0, 40.0, 1.0 / 150.0, 3, Rgb(156, 76, 108), Rgb(110, 52, 96), 0.55},
        {362.0, 60.0, 1.0 / 120.0, 5, Rgb(92, 42, 88), Rgb(60, 28, 70), 0.34},
        {396.0, 74.0, 1.0 / 100.0, 8, Rgb(44, 22, 56), Rgb(28, 15, 42), 0.16},
        {446.0, 70.0, 1.0 / 85.0, 13, Rgb(17, 10, 26), Rgb(10, 7, 17), 0.05},
    };
    const Colour mist = Rgb(190, 96, 110);
    const int samples = 3;  // supersampling per axis, for clean crests
    const int ridgeCount = static_cast<int>(sizeof ridges / sizeof ridges[0]);
    // Crest heights depend on x alone: one table per ridge and sample column.
    std::vector<double> crests(static_cast<std::size_t>(ridgeCount) * kBackdropSize * samples);
    for (int i = 0; i < ridgeCount; ++i)
        for (int column = 0; column < kBackdropSize * samples; ++column)
            crests[static_cast<std::size_t>(i) * kBackdropSize * samples + column] =
                RidgeCrest(ridges[i], (column + 0.5) / samples);
    for (int y = 0; y < kBackdropSize; ++y) {
        for (int x = 0; x < kBackdropSize; ++x) {
            // The sky is smooth: once per pixel is enough.
            const Colour sky = SkyColour(x + 0.5, y + 0.5) + Nebula(x + 0.5, y + 0.5);
            Colour pixel;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double px = x + (sx + 0.5) / samples;
                    const double py = y + (sy + 0.5) / samples;
                    Colour c = sky;
                    // Only the nearest ridge that rises above this point shows.
                    for (int i = ridgeCount - 1; i >= 0; --i) {
                        const Ridge& ridge = ridges[i];
                        const double crest = crests[static_cast<std::size_t>(i) * kBackdropSize * samples + x * samples + sx];
                        if (py < crest)
                            continue;
                        const double below = py - crest;
                        Colour body = Mix(ridge.colour, ridge.depth, SmoothStep(0.0, 60.0, below));
                        // Rock texture.
                        body = body * (1.0 + 0.10 * Fbm(px / 14.0, py / 9.0, 4, ridge.seed + 200));
                        // Glow caught by the crest on the side facing the sunset.
                        const double rim = std::exp(-below / 2.5) * (0.6 + 0.4 * SmoothStep(220.0, 0.0, std::fabs(px - kSunX)));
                        body = body + Rgb(255, 150, 100) * (rim * ridge.haze * 0.55);
                        // Mist pooling in the valleys in front of the ridge.
                        const double valley = SmoothStep(10.0, 70.0, below) * ridge.haze;
                        body = Mix(body, mist * 0.6, valley * 0.35);
                        c = Mix(body, SkyColour(px, kHorizonY), ridge.haze * 0.35);
                        break;
                    }
                    // The ground: darkest in the foreground, with a faint grain.
                    if (py > 448.0) {
                        const double near = SmoothStep(448.0, 512.0, py);
                        const double grain = Fbm(px / 6.0, py / 3.0, 3, 301);
                        const Colour ground = Rgb(9, 6, 14) * (1.0 + 0.25 * grain);
                        c = Mix(c, ground, near * 0.85);
                    }
                    pixel = pixel + c;
                }
            }
            image.At(x, y) = pixel * (1.0 / (samples * samples)) + Stars(x, y);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// Planet, 128 x 128 on black. The program maps the picture's first row to the
// bottom of the planet's square, so row index grows upwards on screen: the
// sphere is painted in that frame. Its centre is pixel (64, 64), where the
// program's round alpha mask is centred; the mask fades from 57.6 to 64 pixels
// out, over the darkened limb.

const int kPlanetSize = 128;
const double kPlanetRadius = 62.0;

Colour BandColour(double latitude, double longitude)
{
    static const std::vector<Stop> bands = {
        {0.00, Rgb(70, 96, 140)},   {0.10, Rgb(120, 170, 180)}, {0.20, Rgb(200, 230, 220)},
        {0.30, Rgb(96, 168, 170)},  {0.38, Rgb(214, 236, 224)}, {0.46, Rgb(120, 100, 150)},
        {0.54, Rgb(196, 228, 216)}, {0.62, Rgb(84, 156, 164)},  {0.70, Rgb(210, 232, 222)},
        {0.80, Rgb(110, 140, 170)}, {0.90, Rgb(120, 160, 184)}, {1.00, Rgb(66, 90, 136)},
    };
    // Turbulent edges between the bands.
    const double swirl = 0.022 * Fbm(longitude * 1.6, latitude * 7.0, 4, 401) +
                         0.006 * Noise(longitude * 5.0, latitude * 40.0, 409);
    Colour c = Ramp(bands, Clamp01(latitude + swirl));
    // Fine streaks along the bands.
    c = c * (1.0 + 0.05 * std::sin((latitude + swirl * 1.5) * 140.0));
    // A great storm in a southern belt, on the day side.
    const double sx = (longitude - 1.45) / 0.3;
    const double sy = (latitude - 0.60) / 0.04;
    const double storm = std::exp(-(sx * sx + sy * sy));
    const double swirlRing = std::exp(-std::pow(std::sqrt(sx * sx + sy * sy) - 1.0, 2.0) * 6.0);
    c = Mix(c, Rgb(224, 124, 110), storm * 0.8);
    c = Mix(c, Rgb(236, 244, 236), swirlRing * 0.35);
    return c;
}

Image MakePlanet()
{
    Image image(kPlanetSize, kPlanetSize);
    // Lit from the lower right, where the sun has just gone down behind the ridges.
    const double lightLength = std::sqrt(0.4 * 0.4 + 0.45 * 0.45 + 0.7 * 0.7);
    const double lx = 0.4 / lightLength;
    const double ly = -0.45 / lightLength;
    const double lz = 0.7 / lightLength;
    const double tilt = 0.38;  // the bands' tilt against the screen
    const int samples = 4;
    for (int row = 0; row < kPlanetSize; ++row) {
        for (int column = 0; column < kPlanetSize; ++column) {
            Colour pixel;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double right = (column + (sx + 0.5) / samples - 0.5 - 64.0) / kPlanetRadius;
                    const double up = (row + (sy + 0.5) / samples - 0.5 - 64.0) / kPlanetRadius;
                    const double r2 = right * right + up * up;
                    if (r2 >= 1.0) {
                        // A thin lit atmosphere just beyond the limb.
                        const double r = std::sqrt(r2);
                        const double lit = Clamp01((right * lx + up * ly) / r * 0.8 + 0.45);
                        pixel = pixel + Rgb(120, 170, 230) * (std::exp(-(r - 1.0) * 60.0) * 0.55 * lit);
                        continue;
                    }
                    const double nz = std::sqrt(1.0 - r2);
                    // Normal in the planet's own frame: undo the tilt about the view axis.
                    const double nx = right * std::cos(tilt) + up * std::sin(tilt);
                    const double ny = -right * std::sin(tilt) + up * std::cos(tilt);
                    const double latitude = 0.5 - std::asin(ny) / kPi;
                    const double longitude = std::atan2(nx, nz) + 1.0;
                    Colour albedo = BandColour(latitude, longitude);

                    const double diffuse = right * lx + up * ly + nz * lz;
                    const double lit = SmoothStep(-0.15, 0.55, diffuse);
                    const double limb = 1.0 - 0.55 * (1.0 - std::pow(nz, 0.6));
                    Colour c = albedo * (0.05 + 0.95 * lit * limb);
                    // Cool scattered light along the limb on the day side.
                    const double fresnel = std::pow(1.0 - nz, 3.0);
                    c = c + Rgb(110, 160, 220) * (fresnel * 0.6 * SmoothStep(-0.2, 0.5, diffuse));
                    // Faint violet skylight on the night side.
                    c = c + Rgb(40, 30, 72) * ((1.0 - lit) * 0.35 * nz);
                    pixel = pixel + c;
                }
            }
            image.At(column, row) = pixel * (1.0 / (samples * samples));
        }
    }
    return image;
}

// ---------------------------------------------------------------------------

std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0)); }

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// An uncompressed 24-bit bottom-up .bmp with a BITMAPINFOHEADER; the image is
// given top row first.
bool WriteBmp(const char* path, const Image& image)
{
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
    const std::uint32_t dataBytes = rowBytes * image.height;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 54 + dataBytes, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, image.width, 4);
    PutLe(out, image.height, 4);
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4);  // no compression
    PutLe(out, dataBytes, 4);
    PutLe(out, 2835, 4);  // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = image.height - 1; y >= 0; --y) {
        const Colour* row = &image.pixels[static_cast<std::size_t>(y) * image.width];
        for (int x = 0; x < image.width; ++x) {
            out.push_back(ToByte(row[x].b));
            out.push_back(ToByte(row[x].g));
            out.push_back(ToByte(row[x].r));
        }
        for (std::uint32_t pad = image.width * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <backdrop.bmp> <planet.bmp>\n", argv[0]);
        return 2;
    }
    if (!WriteBmp(argv[1], MakeBackdrop())) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (!WriteBmp(argv[2], MakePlanet())) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
