// Paints the sample picture folder that the headless run shows on the tentacle's disc:
// a few small landscapes and a blossom, one file of each format the saver reads
// (24-bit BMP, 8-bit GIF with its palette, JPEG, PNG with and without transparency),
// some in a subfolder. Deterministic: the same files on every build.
#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "tools/JpegFile.h"

namespace {

struct Colour {
    double r = 0.0, g = 0.0, b = 0.0;
};

Colour Mix(const Colour& a, const Colour& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

double Smooth(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double Hash(int x, int y, int seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      static_cast<std::uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFFFF) / double(0xFFFFFF);
}

double ValueNoise(double x, double y, int seed)
{
    const int ix = static_cast<int>(std::floor(x));
    const int iy = static_cast<int>(std::floor(y));
    const double fx = x - ix, fy = y - iy;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
    const double c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return a + (b - a) * sx + (c - a) * sy + (a - b - c + d) * sx * sy;
}

double Fbm(double x, double y, int seed, int octaves = 5)
{
    double sum = 0.0, amplitude = 0.5;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * ValueNoise(x, y, seed + i * 17);
        x *= 2.03;
        y *= 2.03;
        amplitude *= 0.5;
    }
    return sum;
}

// Pixels top row first, red, green, blue (and alpha) per pixel.
struct Picture {
    int width = 0, height = 0;
    std::vector<Colour> colours;
    std::vector<double> alpha;

    Picture(int w, int h) : width(w), height(h), colours(std::size_t(w) * h), alpha(std::size_t(w) * h, 1.0) {}
    Colour& at(int x, int y) { return colours[std::size_t(y) * width + x]; }
    std::uint8_t Byte(double v) const { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }
};

// A picture whose every pixel is colour(u, v): the pixel's column and row as shares of
// the width and height.
template <typename ColourAt>
Picture PaintEachPixel(int w, int h, ColourAt colour)
{
    Picture p(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            p.at(x, y) = colour(double(x) / w, double(y) / h);
    }
    return p;
}

// Evening over a lake: the sun low on the left, ridges fading into haze, their
// reflection broken by ripples.
Picture PaintDuskLake(int w, int h)
{
    const double horizon = 0.62;
    const double sunX = 0.28, sunY = 0.36;
    return PaintEachPixel(w, h, [&](double u, double v) {
        double sv = v;
        double ripple = 0.0;
        if (v > horizon) {  // the water mirrors the sky and ridges above the horizon
            ripple = (Fbm(u * 40.0, v * 220.0, 5, 3) - 0.5) * 0.018 * (v - horizon) * 6;
            sv = 2 * horizon - v + ripple;
        }
        Colour c = Mix(Rgb(52, 38, 92), Rgb(246, 150, 78), Smooth(0.05, horizon, sv));
        c = Mix(c, Rgb(255, 214, 140), Smooth(0.45, horizon, sv) * 0.6);
        const double du = (u - sunX) * w / h, dv = sv - sunY;
        const double sun = std::sqrt(du * du + dv * dv);
        c = Mix(c, Rgb(255, 236, 180), (1 - Smooth(0.0, 0.35, sun)) * 0.5);
        if (sun < 0.055)
            c = Mix(c, Rgb(255, 246, 220), Smooth(0.055, 0.045, sun));
        const double clouds = Fbm(u * 6, sv * 18, 2);
        c = Mix(c, Rgb(196, 98, 110), Smooth(0.55, 0.75, clouds) * 0.5 * (1 - Smooth(0.3, 0.55, sv)));
        // Three ridges, the nearest darkest.
        const Colour ridgeColours[3] = {Rgb(150, 96, 132), Rgb(94, 60, 110), Rgb(44, 30, 66)};
        for (int r = 0; r < 3; ++r) {
            const double top = horizon - 0.20 + r * 0.06 - (Fbm(u * (2.5 + r), r * 3.7, 11 + r) - 0.5) * 0.22;
            if (sv > top && sv < horizon + 0.001)
                c = ridgeColours[r];
        }
        if (v > horizon) {
            c = Mix(c, Rgb(30, 24, 60), 0.25 + (v - horizon) * 0.9);
            const double glint = std::fabs(u - sunX) < 0.05 + (v - horizon) * 0.3 ? 1.0 : 0.0;
            c = Mix(c, Rgb(255, 220, 160), glint * Smooth(0.62, 0.75, Fbm(u * 60, v * 300, 9, 2)) * 0.7);
        }
        return c;
    });
}

// A meadow under a summer sky: drifting clouds, rolling hills, poppies, and a tree on
// the right.
Picture PaintMeadow(int w, int h)
{
    return PaintEachPixel(w, h, [&](double u, double v) {
        Colour c = Mix(Rgb(70, 130, 210), Rgb(190, 220, 245), Smooth(0.0, 0.55, v));
        const double cloud = Fbm(u * 5 + 3, v * 10, 21);
        c = Mix(c, Rgb(252, 252, 250), Smooth(0.52, 0.7, cloud) * (1 - Smooth(0.3, 0.5, v)));
        const double far = 0.52 - 0.05 * std::sin(u * 5.0 + 1.0) - (Fbm(u * 3, 0.5, 4) - 0.5) * 0.08;
        const double near = 0.66 - 0.07 * std::sin(u * 3.2 + 2.4);
        if (v > far)
            c = Mix(Rgb(120, 170, 90), Rgb(90, 140, 70), Fbm(u * 30, v * 30, 6));
        if (v > near) {
            c = Mix(Rgb(96, 160, 56), Rgb(60, 120, 40), Fbm(u * 50, v * 80, 7) + (v - near));
            const double grassy = Fbm(u * 160, v * 40, 8, 2);
            c = Mix(c, Rgb(150, 200, 80), Smooth(0.6, 0.7, grassy) * 0.5);
            // Poppies, denser towards the front.
            const int cx = static_cast<int>(u * 90), cy = static_cast<int>(v * 60);
            const double fx = u * 90 - cx - 0.5, fy = v * 60 - cy - 0.5;
            if (Hash(cx, cy, 30) < (v - near) * 1.6 && fx * fx + fy * fy < 0.06 * (0.5 + v))
                c = Hash(cx, cy, 31) < 0.75 ? Rgb(220, 40, 36) : Rgb(250, 230, 90);
        }
        // The tree: a trunk and a round crown.
        const double tx = (u - 0.78) * w / h, ty = v - 0.38;
        if (std::fabs(tx) < 0.018 && v > 0.42 && v < near + 0.02)
            c = Rgb(90, 60, 40);
        const double crown = std::sqrt(tx * tx + ty * ty * 1.3) + (Fbm(u * 25, v * 25, 40) - 0.5) * 0.06;
        if (crown < 0.13)
            c = Mix(Rgb(40, 110, 40), Rgb(90, 160, 60), Fbm(u * 40, v * 40, 41) - ty * 2);
        return c;
    });
}

// Colour index of the aurora night: 0 black sky to 255 bright green-white.
std::vector<Colour> AuroraPalette()
{
    std::vector<Colour> palette(256);
    for (int i = 0; i < 256; ++i) {
        const double t = i / 255.0;
        Colour c = Mix(Rgb(4, 6, 24), Rgb(20, 40, 90), Smooth(0.0, 0.3, t));
        c = Mix(c, Rgb(30, 160, 130), Smooth(0.25, 0.6, t));
        c = Mix(c, Rgb(120, 240, 150), Smooth(0.55, 0.85, t));
        c = Mix(c, Rgb(240, 255, 240), Smooth(0.85, 1.0, t));
        palette[i] = c;
    }
    // The last indexes are the forest and a violet fringe of the curtains.
    palette[250] = Rgb(6, 10, 14);
    palette[251] = Rgb(12, 20, 22);
    palette[252] = Rgb(140, 70, 170);
    palette[253] = Rgb(100, 50, 140);
    return palette;
}

// Northern lights: curtains of green over a dark forest, stars above.
std::vector<std::uint8_t> PaintAurora(int w, int h)
{
    std::vector<std::uint8_t> index(std::size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            double value = 0.06 + 0.3 * v * v;
            for (int band = 0; band < 2; ++band) {
                const double centre = 0.25 + band * 0.18 + 0.10 * std::sin(u * (4.0 + band * 2) + band) +
                                      (Fbm(u * 3, band * 5.0, 50 + band) - 0.5) * 0.2;
                const double below = v - centre;
                const double curtain = below > 0 ? std::exp(-below * 9) : std::exp(below * 40);
                const double rays = 0.6 + 0.4 * Fbm(u * 70, band * 3.0, 60 + band, 3);
                value += curtain * rays * (0.7 - band * 0.2);
                if (below < 0 && below > -0.03 && band == 0 && Hash(x / 3, y / 3, 70) < 0.3)
                    value = -1;  // violet fringe
            }
            std::uint8_t i = static_cast<std::uint8_t>(std::clamp(value, 0.0, 1.0) * 240);
            if (value < 0)
                i = 252;
            if (Hash(x, y, 80) > 0.9985 && v < 0.6)
                i = 255;  // stars
            const double treeLine = 0.84 - 0.05 * Fbm(u * 8, 1.0, 90);
            const double spike = std::fabs(std::fmod(u * 46, 1.0) - 0.5) * 0.12;
            if (v > treeLine + spike * (1.0 + Hash(static_cast<int>(u * 46), 0, 91)))
                i = v > 0.93 ? 251 : 250;
            index[std::size_t(y) * w + x] = i;
        }
    }
    return index;
}

// A blossom on a clear background: the picture's transparency is everything but the
// flower.
Picture PaintBlossom(int size)
{
    Picture p(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = (x + 0.5) / size - 0.5, dy = (y + 0.5) / size - 0.5;
            const double r = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
            const double petal = 0.30 + 0.13 * std::cos(5 * a) + 0.02 * std::cos(15 * a);
            const double inside = Smooth(petal + 0.008, petal - 0.008, r);
            Colour c = Mix(Rgb(250, 250, 255), Rgb(236, 90, 150), Smooth(0.05, petal, r));
            c = Mix(c, Rgb(200, 40, 110), Smooth(0.6, 1.0, r / petal) * 0.6);
            c = Mix(c, Rgb(180, 30, 90), std::pow(std::fabs(std::sin(a * 15)), 40) * 0.25);  // veins
            if (r < 0.07)
                c = Mix(Rgb(255, 210, 60), Rgb(230, 140, 20), r / 0.07 + (Hash(x / 4, y / 4, 100) - 0.5) * 0.4);
            p.at(x, y) = inside > 0 ? c : Rgb(40, 60, 70);
            p.alpha[std::size_t(y) * size + x] = inside;
        }
    }
    return p;
}

// A lighthouse on a cliff above the sea, in portrait.
Picture PaintLighthouse(int w, int h)
{
    return PaintEachPixel(w, h, [&](double u, double v) {
        Colour c = Mix(Rgb(120, 170, 220), Rgb(230, 236, 240), Smooth(0.0, 0.6, v));
        c = Mix(c, Rgb(255, 255, 255), Smooth(0.55, 0.72, Fbm(u * 4, v * 9, 110)) * 0.8 * (1 - v));
        if (v > 0.6) {
            c = Mix(Rgb(40, 110, 150), Rgb(20, 60, 100), (v - 0.6) * 2.5);
            c = Mix(c, Rgb(230, 245, 250), Smooth(0.7, 0.8, Fbm(u * 30, v * 120, 111, 3)) * 0.6);
        }
        const double cliffEdge = 0.3 + (Fbm(v * 10, 3.0, 113) - 0.5) * 0.12;
        if (u < cliffEdge + (v - 0.55) * 0.5 && v > 0.56)
            c = Mix(Rgb(120, 100, 80), Rgb(70, 60, 50), Fbm(u * 20, v * 40, 114));
        if (u < cliffEdge + (v - 0.55) * 0.5 && v > 0.555 && v < 0.575)
            c = Rgb(90, 150, 60);  // grass on the cliff top
        // The tower: white with red bands, a lamp house on top.
        const double tx = u - 0.16;
        const double halfWidth = 0.045 + (v - 0.25) * 0.05;
        if (v > 0.25 && v < 0.56 && std::fabs(tx) < halfWidth)
            c = static_cast<int>((v - 0.25) * 30) % 2 == 0 ? Rgb(245, 245, 240) : Rgb(200, 40, 40);
        if (v > 0.20 && v < 0.25 && std::fabs(tx) < 0.035)
            c = Rgb(255, 230, 120);
        if (v > 0.17 && v < 0.20 && std::fabs(tx) < 0.05 - (0.20 - v) * 1.5)
            c = Rgb(60, 60, 70);
        return c;
    });
}

// Snow-capped peaks over a pine valley at noon: a large photo-sized picture.
Picture PaintSnowyPeaks(int w, int h)
{
    return PaintEachPixel(w, h, [&](double u, double v) {
        Colour c = Mix(Rgb(40, 100, 190), Rgb(170, 205, 235), Smooth(0.0, 0.5, v));
        c = Mix(c, Rgb(250, 250, 252), Smooth(0.58, 0.72, Fbm(u * 7, v * 14, 120)) * (1 - Smooth(0.2, 0.45, v)));
        const double peaks = 0.28 + 0.14 * std::fabs(std::sin(u * 7.0 + 0.6)) +
                             (Fbm(u * 6, 0.3, 121) - 0.5) * 0.25;
        if (v > peaks) {
            const double rock = Fbm(u * 40, v * 40, 122);
            c = Mix(Rgb(110, 105, 120), Rgb(70, 68, 80), rock);
            const double snowLine = peaks + 0.07 + (Fbm(u * 20, 1.0, 123) - 0.5) * 0.08;
            if (v < snowLine)
                c = Mix(Rgb(245, 248, 255), Rgb(190, 200, 220), rock * 0.8);
            c = Mix(c, Rgb(150, 170, 200), Smooth(0.5, 0.62, v) * 0.3);  // haze
        }
        const double forest = 0.66 + (Fbm(u * 5, 2.0, 124) - 0.5) * 0.08;
        const double pine = std::fabs(std::fmod(u * 160, 1.0) - 0.5) * 0.05;
        if (v > forest + pine * (0.6 + Hash(static_cast<int>(u * 160), 1, 125)))
            c = Mix(Rgb(30, 70, 40), Rgb(15, 40, 25), Fbm(u * 80, v * 60, 126) + (v - forest));
        if (v > 0.9)
            c = Mix(Rgb(60, 110, 50), Rgb(90, 140, 60), Fbm(u * 60, v * 90, 127));
        return c;
    });
}

bool WriteBmp24(const std::string& path, Picture& p)
{
    const int rowSize = (p.width * 3 + 3) & ~3;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(rowSize) * p.height;
    std::vector<std::uint8_t> file(54 + dataSize, 0);
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(p.width));
    put32(22, static_cast<std::uint32_t>(p.height));
    file[26] = 1;
    file[28] = 24;
    put32(34, dataSize);
    for (int y = 0; y < p.height; ++y) {
        std::uint8_t* row = &file[54 + std::size_t(p.height - 1 - y) * rowSize];
        for (int x = 0; x < p.width; ++x) {
            const Colour& c = p.at(x, y);
            row[x * 3 + 0] = p.Byte(c.b);
            row[x * 3 + 1] = p.Byte(c.g);
            row[x * 3 + 2] = p.Byte(c.r);
        }
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && ok;
}

bool WritePng(const std::string& path, Picture& p, bool withAlpha)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(p.width);
    image.height = static_cast<png_uint_32>(p.height);
    image.format = withAlpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const int channels = withAlpha ? 4 : 3;
    std::vector<std::uint8_t> bytes(std::size_t(p.width) * p.height * channels);
    for (std::size_t i = 0; i < p.colours.size(); ++i) {
        bytes[i * channels + 0] = p.Byte(p.colours[i].r);
        bytes[i * channels + 1] = p.Byte(p.colours[i].g);
        bytes[i * channels + 2] = p.Byte(p.colours[i].b);
        if (withAlpha)
            bytes[i * channels + 3] = p.Byte(p.alpha[i]);
    }
    return png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

bool WriteJpeg(const std::string& path, Picture& p, int quality)
{
    JpegFileSettings settings;
    settings.width = p.width;
    settings.height = p.height;
    settings.quality = quality;
    return WriteJpegFile(path, settings, [&](int y, unsigned char* row) {
        for (int x = 0; x < p.width; ++x) {
            const Colour& c = p.at(x, y);
            row[x * 3 + 0] = p.Byte(c.r);
            row[x * 3 + 1] = p.Byte(c.g);
            row[x * 3 + 2] = p.Byte(c.b);
        }
    });
}

bool WriteGif8(const std::string& path, int w, int h, const std::vector<std::uint8_t>& index,
               const std::vector<Colour>& palette)
{
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (gif == nullptr)
        return false;
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i].Red = static_cast<GifByteType>(std::lround(std::clamp(palette[i].r, 0.0, 1.0) * 255));
        colours[i].Green = static_cast<GifByteType>(std::lround(std::clamp(palette[i].g, 0.0, 1.0) * 255));
        colours[i].Blue = static_cast<GifByteType>(std::lround(std::clamp(palette[i].b, 0.0, 1.0) * 255));
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    bool ok = map != nullptr && EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < h; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(&index[std::size_t(y) * w]), w) == GIF_OK;
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    return ok && chmod(path.c_str(), 0644) == 0;  // giflib creates files for its owner only
}

// The less common encodings the decoder meets in people's folders, each a picture whose
// top half is kTop and bottom half kBottom, so a test knows what every pixel must be.
const int kFormatWidth = 64, kFormatHeight = 48;
const std::uint8_t kTop[3] = {200, 120, 40};
const std::uint8_t kBottom[3] = {40, 90, 200};

const std::uint8_t* HalfColour(int y) { return y < kFormatHeight / 2 ? kTop : kBottom; }

bool WriteJpegEncoding(const std::string& path, J_COLOR_SPACE space, bool progressive)
{
    JpegFileSettings settings;
    settings.width = kFormatWidth;
    settings.height = kFormatHeight;
    settings.components = space == JCS_CMYK ? 4 : space == JCS_GRAYSCALE ? 1 : 3;
    settings.space = space;
    settings.quality = 95;
    settings.progressive = progressive;
    const int components = settings.components;
    return WriteJpegFile(path, settings, [&](int y, unsigned char* row) {
        const std::uint8_t* c = HalfColour(y);
        for (int x = 0; x < kFormatWidth; ++x) {
            std::uint8_t* p = &row[x * components];
            if (components == 1) {
                p[0] = c[1];
            } else {
                // CMYK as Adobe applications store it, inverted: with no black ink the
                // stored cyan, magenta and yellow equal red, green and blue.
                p[0] = c[0], p[1] = c[1], p[2] = c[2];
                if (components == 4)
                    p[3] = 255;
            }
        }
    });
}

// A picture that tells every turn and mirror apart, stored as a camera that recorded
// each Exif orientation would store it: kOrientedWidth x kOrientedHeight upright, a
// colour to each quarter (kQuarterColours: top left, top right, bottom left, bottom right).
const int kOrientedWidth = 96, kOrientedHeight = 64;
const std::uint8_t kQuarterColours[4][3] = {{220, 40, 40}, {40, 200, 60}, {40, 60, 220}, {230, 210, 40}};

const std::uint8_t* UprightColour(int x, int y)
{
    return kQuarterColours[(y < kOrientedHeight / 2 ? 0 : 2) + (x < kOrientedWidth / 2 ? 0 : 1)];
}

void Put16(std::vector<std::uint8_t>* out, unsigned value, bool little)
{
    out->push_back(static_cast<std::uint8_t>(little ? value : value >> 8));
    out->push_back(static_cast<std::uint8_t>(little ? value >> 8 : value));
}

void Put32(std::vector<std::uint8_t>* out, std::uint32_t value, bool little)
{
    Put16(out, little ? value & 0xFFFF : value >> 16, little);
    Put16(out, little ? value >> 16 : value & 0xFFFF, little);
}

enum class ExifDamage { None, OffsetPastEnd, LoopingIfds, HugeCount };

// An APP1 body: "Exif", a TIFF header, and IFD0 with the orientation tag (damaged as
// asked). With LoopingIfds the tag sits only in IFD1, which is its own next IFD.
std::vector<std::uint8_t> ExifBlock(int orientation, bool little, ExifDamage damage)
{
    std::vector<std::uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
    block.push_back(little ? 'I' : 'M');
    block.push_back(little ? 'I' : 'M');
    Put16(&block, 42, little);
    Put32(&block, damage == ExifDamage::OffsetPastEnd ? 0xFFFFFF00u : 8, little);
    // IFD0 at 8: one entry, then the next IFD's offset.
    Put16(&block, 1, little);
    Put16(&block, damage == ExifDamage::LoopingIfds ? 0x010F : 0x0112, little);  // Make, or orientation
    Put16(&block, 3, little);
    Put32(&block, damage == ExifDamage::HugeCount ? 0xFFFFFFFFu : 1, little);
    Put16(&block, static_cast<unsigned>(orientation), little);
    Put16(&block, 0, little);
    Put32(&block, damage == ExifDamage::LoopingIfds ? 26 : 0, little);
    if (damage == ExifDamage::LoopingIfds) {
        // IFD1 at 26, linking back to itself.
        Put16(&block, 1, little);
        Put16(&block, 0x0112, little);
        Put16(&block, 3, little);
        Put32(&block, 1, little);
        Put16(&block, static_cast<unsigned>(orientation), little);
        Put16(&block, 0, little);
        Put32(&block, 26, little);
    }
    return block;
}

// The rows a camera stores for the upright picture under `orientation`.
bool WriteOrientedJpeg(const std::string& path, int orientation, ExifDamage damage)
{
    const bool swaps = damage == ExifDamage::None && orientation >= 5;
    const int width = swaps ? kOrientedHeight : kOrientedWidth;
    const int height = swaps ? kOrientedWidth : kOrientedHeight;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    // Where each upright pixel lands in the stored rows; a damaged block is ignored, so
    // its picture is stored upright.
    const int lastColumn = width - 1, lastRow = height - 1;
    for (int y = 0; y < kOrientedHeight; ++y) {
        for (int x = 0; x < kOrientedWidth; ++x) {
            int column = x, row = y;
            switch (damage == ExifDamage::None ? orientation : 1) {
            case 2: column = lastColumn - x; break;
            case 3: column = lastColumn - x; row = lastRow - y; break;
            case 4: row = lastRow - y; break;
            case 5: column = y; row = x; break;
            case 6: column = y; row = lastRow - x; break;
            case 7: column = lastColumn - y; row = lastRow - x; break;
            case 8: column = lastColumn - y; row = x; break;
            default: break;
            }
            std::memcpy(&pixels[(static_cast<std::size_t>(row) * width + column) * 3], UprightColour(x, y), 3);
        }
    }
    JpegFileSettings settings;
    settings.width = width;
    settings.height = height;
    settings.quality = 95;
    // Both byte orders, as cameras write both.
    settings.app1 = ExifBlock(orientation, orientation % 2 == 1, damage);
    return WriteJpegFile(path, settings, [&](int y, unsigned char* row) {
        std::memcpy(row, &pixels[static_cast<std::size_t>(y) * width * 3], static_cast<std::size_t>(width) * 3);
    });
}

// An indexed BMP of 1 or 4 bits per pixel: index 0 is kTop, 1 is kBottom.
bool WriteIndexedBmp(const std::string& path, int bits)
{
    const int rowSize = ((kFormatWidth * bits + 31) / 32) * 4;
    const int colours = 1 << bits;
    const std::uint32_t offset = 54 + 4 * colours;
    std::vector<std::uint8_t> file(offset + std::size_t(rowSize) * kFormatHeight, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, offset);
    put32(14, 40);
    put32(18, kFormatWidth);
    put32(22, kFormatHeight);
    file[26] = 1;
    file[28] = static_cast<std::uint8_t>(bits);
    put32(46, static_cast<std::uint32_t>(colours));
    for (int i = 0; i < 2; ++i) {
        const std::uint8_t* c = i == 0 ? kTop : kBottom;
        file[54 + i * 4] = c[2], file[55 + i * 4] = c[1], file[56 + i * 4] = c[0];
    }
    for (int y = 0; y < kFormatHeight; ++y) {
        const int index = y < kFormatHeight / 2 ? 0 : 1;
        std::uint8_t* row = &file[offset + std::size_t(kFormatHeight - 1 - y) * rowSize];
        for (int x = 0; x < kFormatWidth; ++x) {
            const int bit = x * bits;
            row[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bits - bit % 8));
        }
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && ok;
}

bool WritePngEncoding(const std::string& path, png_uint_32 format)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kFormatWidth;
    image.height = kFormatHeight;
    image.format = format;
    const int channels = PNG_IMAGE_SAMPLE_CHANNELS(format);
    const bool deep = (format & PNG_FORMAT_FLAG_LINEAR) != 0;
    std::vector<png_uint_16> wide(std::size_t(kFormatWidth) * kFormatHeight * channels);
    std::vector<std::uint8_t> narrow(wide.size());
    for (int y = 0; y < kFormatHeight; ++y) {
        const std::uint8_t* c = HalfColour(y);
        for (int x = 0; x < kFormatWidth; ++x) {
            for (int k = 0; k < channels; ++k) {
                const std::size_t at = (std::size_t(y) * kFormatWidth + x) * channels + k;
                const std::uint8_t v = channels == 1 ? c[1] : c[k];
                narrow[at] = v;
                wide[at] = static_cast<png_uint_16>(v * 257);
            }
        }
    }
    const void* pixels = deep ? static_cast<const void*>(wide.data()) : static_cast<const void*>(narrow.data());
    return png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr) != 0;
}

bool WriteFormatSamples(const std::string& folder)
{
    mkdir(folder.c_str(), 0755);
    bool ok = WriteJpegEncoding(folder + "/cmyk.jpg", JCS_CMYK, false);
    ok = WriteJpegEncoding(folder + "/gray.jpg", JCS_GRAYSCALE, false) && ok;
    ok = WriteJpegEncoding(folder + "/progressive.jpg", JCS_RGB, true) && ok;
    ok = WriteIndexedBmp(folder + "/mono.bmp", 1) && ok;
    ok = WriteIndexedBmp(folder + "/four.bmp", 4) && ok;
    ok = WritePngEncoding(folder + "/gray.png", PNG_FORMAT_GRAY) && ok;
    ok = WritePngEncoding(folder + "/deep.png", PNG_FORMAT_RGB | PNG_FORMAT_FLAG_LINEAR) && ok;
    for (int orientation = 1; orientation <= 8; ++orientation)
        ok = WriteOrientedJpeg(folder + "/orientation-" + std::to_string(orientation) + ".jpg", orientation,
                               ExifDamage::None) && ok;
    // Each would say "turned clockwise" if it were believed.
    ok = WriteOrientedJpeg(folder + "/exif-offset-past-end.jpg", 6, ExifDamage::OffsetPastEnd) && ok;
    ok = WriteOrientedJpeg(folder + "/exif-looping-ifds.jpg", 6, ExifDamage::LoopingIfds) && ok;
    ok = WriteOrientedJpeg(folder + "/exif-huge-count.jpg", 6, ExifDamage::HugeCount) && ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_sample_pictures <folder> [<encodings folder>]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string more = folder + "/More pictures";
    mkdir(folder.c_str(), 0755);
    mkdir(more.c_str(), 0755);

    Picture dusk = PaintDuskLake(800, 533);
    Picture meadow = PaintMeadow(640, 480);
    Picture blossom = PaintBlossom(400);
    Picture lighthouse = PaintLighthouse(360, 540);
    const std::vector<std::uint8_t> aurora = PaintAurora(480, 360);
    bool ok = WriteJpeg(folder + "/Dusk over the lake.jpg", dusk, 90);
    ok = WriteBmp24(folder + "/Summer meadow.bmp", meadow) && ok;
    ok = WriteGif8(folder + "/Northern lights.gif", 480, 360, aurora, AuroraPalette()) && ok;
    ok = WritePng(folder + "/Blossom.png", blossom, true) && ok;
    ok = WritePng(more + "/Lighthouse.png", lighthouse, false) && ok;
    Picture peaks = PaintSnowyPeaks(2400, 1600);
    ok = WriteJpeg(more + "/Snowy peaks.jpg", peaks, 85) && ok;
    if (argc == 3)
        ok = WriteFormatSamples(argv[2]) && ok;
    if (!ok) {
        std::fprintf(stderr, "make_sample_pictures: could not write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
