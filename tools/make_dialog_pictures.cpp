// Paints the pictures of the two dialogs: the About picture (bitmap 116), the list icons
// of the Image Library (bitmaps 138 to 141: a green disc for a file, a green eight-armed
// star for a folder) and the program's icons 100 and 102, and the program's icon as PNG
// files for Linux desktops (48 and 128 pixels).
//
// make_dialog_pictures <output folder>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <stb_image_write.h>

namespace {

struct Colour {
    double r = 0, g = 0, b = 0, a = 1;
};

Colour Mix(const Colour& a, const Colour& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// src over dst, both with straight alpha.
Colour Over(const Colour& dst, const Colour& src)
{
    const double a = src.a + dst.a * (1 - src.a);
    if (a <= 0)
        return {0, 0, 0, 0};
    return {(src.r * src.a + dst.r * dst.a * (1 - src.a)) / a, (src.g * src.a + dst.g * dst.a * (1 - src.a)) / a,
            (src.b * src.a + dst.b * dst.a * (1 - src.a)) / a, a};
}

Colour Rgb(int r, int g, int b, double a = 1) { return {r / 255.0, g / 255.0, b / 255.0, a}; }

double Smooth(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;
};

// Sampled 4 x 4 times per pixel; the painter works in pixel units with y down.
Image Render(int width, int height, const std::function<Colour(double, double)>& paint)
{
    Image image{width, height, std::vector<Colour>(static_cast<std::size_t>(width) * height)};
    const int n = 4;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Colour sum{0, 0, 0, 0};
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    const Colour c = paint(x + (sx + 0.5) / n, y + (sy + 0.5) / n);
                    sum.r += c.r * c.a;
                    sum.g += c.g * c.a;
                    sum.b += c.b * c.a;
                    sum.a += c.a;
                }
            }
            Colour& out = image.pixels[static_cast<std::size_t>(y) * width + x];
            out.a = sum.a / (n * n);
            if (sum.a > 0) {
                out.r = sum.r / sum.a;
                out.g = sum.g / sum.a;
                out.b = sum.b / sum.a;
            }
        }
    }
    return image;
}

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

void Put16(std::vector<std::uint8_t>* out, unsigned v)
{
    out->push_back(static_cast<std::uint8_t>(v));
    out->push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>* out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<std::uint8_t>* out, int width, int height, int bits, std::uint32_t imageSize)
{
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
}

// Alpha is flattened onto the background colour.
bool WriteBmp(const std::string& path, const Image& image, const Colour& background)
{
    const int rowSize = (image.width * 3 + 3) / 4 * 4;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(rowSize * image.height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(&out, 14 + 40 + imageSize);
    Put32(&out, 0);
    Put32(&out, 14 + 40);
    PutInfoHeader(&out, image.width, image.height, 24, imageSize);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Colour c = Over(background, image.pixels[static_cast<std::size_t>(y) * image.width + x]);
            out.push_back(Byte(c.b));
            out.push_back(Byte(c.g));
            out.push_back(Byte(c.r));
        }
        for (int pad = image.width * 3; pad < rowSize; ++pad)
            out.push_back(0);
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

// 32-bit images with alpha and the AND mask older readers want.
// Straight-alpha RGBA, as desktop icons are.
bool WritePng(const std::string& path, const Image& image)
{
    std::vector<std::uint8_t> rgba;
    rgba.reserve(image.pixels.size() * 4);
    for (const Colour& c : image.pixels) {
        rgba.push_back(Byte(c.r));
        rgba.push_back(Byte(c.g));
        rgba.push_back(Byte(c.b));
        rgba.push_back(Byte(c.a));
    }
    return stbi_write_png(path.c_str(), image.width, image.height, 4, rgba.data(), image.width * 4) != 0;
}

bool WriteIco(const std::string& path, const std::vector<Image>& images)
{
    std::vector<std::vector<std::uint8_t>> entries;
    for (const Image& image : images) {
        std::vector<std::uint8_t> data;
        const int maskRow = (image.width + 31) / 32 * 4;
        PutInfoHeader(&data, image.width, image.height * 2, 32,
                      static_cast<std::uint32_t>(image.width * image.height * 4 + maskRow * image.height));
        for (int y = image.height - 1; y >= 0; --y) {
            for (int x = 0; x < image.width; ++x) {
                const Colour& c = image.pixels[static_cast<std::size_t>(y) * image.width + x];
                data.push_back(Byte(c.b));
                data.push_back(Byte(c.g));
                data.push_back(Byte(c.r));
                data.push_back(Byte(c.a));
            }
        }
        for (int y = image.height - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(static_cast<std::size_t>(maskRow), 0);
            for (int x = 0; x < image.width; ++x) {
                if (image.pixels[static_cast<std::size_t>(y) * image.width + x].a < 0.5 / 255)
                    row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            data.insert(data.end(), row.begin(), row.end());
        }
        entries.push_back(std::move(data));
    }
    std::vector<std::uint8_t> out;
    Put16(&out, 0);
    Put16(&out, 1);
    Put16(&out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(images[i].width));
        out.push_back(static_cast<std::uint8_t>(images[i].height));
        out.push_back(0);
        out.push_back(0);
        Put16(&out, 1);
        Put16(&out, 32);
        Put32(&out, static_cast<std::uint32_t>(entries[i].size()));
        Put32(&out, offset);
        offset += static_cast<std::uint32_t>(entries[i].size());
    }
    for (const auto& data : entries)
        out.insert(out.end(), data.begin(), data.end());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

// A small fixed random source, so every build paints the same stars.
struct Lcg {
    std::uint32_t state;
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

// A lit sphere: centre, radius, its lit and shadowed colours; light from the upper left.
Colour Sphere(double x, double y, double cx, double cy, double radius, const Colour& lit, const Colour& dark)
{
    const double dx = (x - cx) / radius;
    const double dy = (y - cy) / radius;
    const double d2 = dx * dx + dy * dy;
    if (d2 >= 1)
        return {0, 0, 0, 0};
    const double dz = std::sqrt(1 - d2);
    const double light = std::clamp(-0.55 * dx - 0.6 * dy + 0.58 * dz, 0.0, 1.0);
    Colour c = Mix(dark, lit, 0.15 + 0.85 * light);
    const double highlight = std::pow(std::clamp(light, 0.0, 1.0), 24) * 0.6;
    c = Mix(c, Rgb(255, 255, 255), highlight);
    c.a = Smooth(1.0, 0.96, d2);
    return c;
}

Colour Glow(double x, double y, double cx, double cy, double radius, Colour colour)
{
    const double d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
    colour.a *= std::exp(-d2 * 2.5);
    return colour;
}

// The dusk sky, for the About picture and the icons; t runs 0 (top) to 1 (horizon).
Colour Dusk(double t)
{
    const Colour top = Rgb(16, 14, 46);
    const Colour middle = Rgb(88, 38, 96);
    const Colour low = Rgb(236, 128, 82);
    const Colour horizon = Rgb(255, 196, 120);
    if (t < 0.55)
        return Mix(top, middle, t / 0.55);
    if (t < 0.9)
        return Mix(middle, low, (t - 0.55) / 0.35);
    return Mix(low, horizon, (t - 0.9) / 0.1);
}

// A flower: a stalk bending from its foot to the fruit, the fruit a glowing ball.
Colour Flower(double x, double y, double footX, double footY, double topX, double topY, double width,
              double fruitRadius)
{
    Colour c{0, 0, 0, 0};
    // The stalk as a quadratic curve; distance found by sampling it.
    const double bendX = footX + (topX - footX) * 0.1;
    const double bendY = footY + (topY - footY) * 0.6;
    double best = 1e9;
    for (int i = 0; i <= 64; ++i) {
        const double t = i / 64.0;
        const double px = (1 - t) * (1 - t) * footX + 2 * (1 - t) * t * bendX + t * t * topX;
        const double py = (1 - t) * (1 - t) * footY + 2 * (1 - t) * t * bendY + t * t * topY;
        best = std::min(best, std::hypot(x - px, y - py));
    }
    if (best < width)
        c = Rgb(34, 70, 44, Smooth(width, width - 0.6, best));
    c = Over(c, Glow(x, y, topX, topY, fruitRadius * 2.6, Rgb(255, 170, 90, 0.45)));
    c = Over(c, Sphere(x, y, topX, topY, fruitRadius, Rgb(255, 190, 110), Rgb(150, 40, 60)));
    return c;
}

Image AboutPicture()
{
    const int width = 152;
    const int height = 96;
    Lcg random{20061};
    struct Spot {
        double x, y, r, a;
    };
    std::vector<Spot> stars;
    for (int i = 0; i < 70; ++i)
        stars.push_back({random.Next() * width, random.Next() * height * 0.6, 0.35 + random.Next() * 0.5,
                         0.35 + random.Next() * 0.65});
    std::vector<Spot> cloud;
    for (int i = 0; i < 46; ++i) {
        const double angle = random.Next() * 6.2831852;
        const double distance = 20 + random.Next() * random.Next() * 26;
        cloud.push_back({106 + std::cos(angle) * distance, 32 + std::sin(angle) * distance * 0.7,
                         0.8 + random.Next() * 1.6, 0.25 + random.Next() * 0.5});
    }
    return Render(width, height, [&](double x, double y) {
        Colour c = Dusk(y / (height * 0.8));
        for (const Spot& s : stars)
            c = Over(c, Glow(x, y, s.x, s.y, s.r, Rgb(255, 250, 235, s.a * (1 - y / height))));
        c = Over(c, Glow(x, y, 106, 32, 34, Rgb(150, 170, 255, 0.22)));
        for (const Spot& s : cloud)
            c = Over(c, Glow(x, y, s.x, s.y, s.r, Rgb(170, 230, 255, s.a)));
        c = Over(c, Sphere(x, y, 106, 32, 18, Rgb(170, 190, 245), Rgb(40, 30, 80)));
        // Hills in front, then the flowers.
        const double hill = height * 0.8 + std::sin(x * 0.045 + 0.8) * 4 + std::sin(x * 0.13) * 1.5;
        if (y > hill - 0.5)
            c = Over(c, Rgb(22, 16, 34, Smooth(hill - 0.5, hill + 0.5, y)));
        c = Over(c, Flower(x, y, 26, 97, 36, 50, 1.4, 5.5));
        c = Over(c, Flower(x, y, 48, 97, 44, 64, 1.1, 4.0));
        c = Over(c, Flower(x, y, 14, 97, 10, 70, 0.9, 3.0));
        return c;
    });
}

Colour Green(double x, double y, double cx, double cy, double radius, double inside)
{
    // Lit from the upper left, with a darker rim.
    const double light = std::clamp(0.5 - 0.35 * (x - cx) / radius - 0.35 * (y - cy) / radius, 0.0, 1.0);
    Colour c = Mix(Rgb(22, 120, 44), Rgb(150, 232, 120), light);
    return Mix(Rgb(14, 84, 30), c, Smooth(0.0, 0.18, inside));
}

Image FileIcon(int size)
{
    const double s = size / 32.0;
    return Render(size, size, [&](double x, double y) {
        const double cx = 16 * s, cy = 16 * s, radius = 12.5 * s;
        const double d = std::hypot(x - cx, y - cy);
        if (d > radius + 0.5)
            return Colour{0, 0, 0, 0};
        Colour c = Green(x, y, cx, cy, radius, 1 - d / radius);
        c.a = Smooth(radius + 0.5, radius - 0.5, d);
        return c;
    });
}

Image FolderIcon(int size)
{
    const double s = size / 32.0;
    return Render(size, size, [&](double x, double y) {
        const double cx = 16 * s, cy = 16 * s;
        const double inner = 6.5 * s, outer = 15 * s;
        const double d = std::hypot(x - cx, y - cy);
        const double angle = std::atan2(y - cy, x - cx) + 3.1415926 / 8;
        // Eight pointed arms: the edge swings between the inner and the outer radius.
        const double arm = std::pow(std::fabs(std::cos(angle * 4)), 1.7);
        const double edge = inner + (outer - inner) * arm;
        if (d > edge + 0.6)
            return Colour{0, 0, 0, 0};
        Colour c = Green(x, y, cx, cy, outer, (edge - d) / edge * 2);
        c.a = Smooth(edge + 0.5, edge - 0.5, d);
        return c;
    });
}

// The program's icon: the dusk with its planet in a round badge; the settings icon adds
// an orbit ring.
Image ProgramIcon(int size, bool ring)
{
    const double s = size / 32.0;
    return Render(size, size, [&](double x, double y) {
        const double cx = 16 * s, cy = 16 * s, radius = 15 * s;
        const double d = std::hypot(x - cx, y - cy);
        if (d > radius + 0.6)
            return Colour{0, 0, 0, 0};
        Colour c = Dusk((y - cy + radius) / (2 * radius) * 1.05);
        c = Over(c, Glow(x, y, 17 * s, 13 * s, 11 * s, Rgb(150, 170, 255, 0.35)));
        // The ring's far half behind the planet, its near half in front.
        const double rx = (x - 17 * s) / (12 * s), ry = (y - 13 * s + (x - 17 * s) * 0.25) / (3.2 * s);
        const double ringDistance = std::fabs(std::hypot(rx, ry) - 1) * 3.2 * s;
        const Colour ringColour = Rgb(255, 178, 96, Smooth(1.1 * s, 0.4 * s, ringDistance));
        if (ring && ry < 0)
            c = Over(c, ringColour);
        c = Over(c, Sphere(x, y, 17 * s, 13 * s, 7.5 * s, Rgb(180, 200, 250), Rgb(40, 30, 90)));
        if (ring && ry >= 0)
            c = Over(c, ringColour);
        const double hill = 24 * s + std::sin(x / s * 0.3) * 1.2 * s;
        if (y > hill - 0.5)
            c = Over(c, Rgb(22, 16, 34, Smooth(hill - 0.5, hill + 0.5, y)));
        c = Over(c, Flower(x, y, 8 * s, 32 * s, 10 * s, 17 * s, 0.9 * s, 2.6 * s));
        // A thin light rim keeps the badge apart from dark backgrounds.
        c = Mix(c, Rgb(255, 220, 170), Smooth(radius - 1.2 * s, radius, d) * 0.6);
        c.a = Smooth(radius + 0.5, radius - 0.5, d);
        return c;
    });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_dialog_pictures <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const Colour white = Rgb(255, 255, 255);
    const bool written = WriteBmp(folder + "/About.bmp", AboutPicture(), white) &&
                         WriteBmp(folder + "/FileIcon32.bmp", FileIcon(32), white) &&
                         WriteBmp(folder + "/FolderIcon32.bmp", FolderIcon(32), white) &&
                         WriteBmp(folder + "/FileIcon16.bmp", FileIcon(16), white) &&
                         WriteBmp(folder + "/FolderIcon16.bmp", FolderIcon(16), white) &&
                         WriteIco(folder + "/Saver.ico", {ProgramIcon(48, false), ProgramIcon(32, false),
                                                          ProgramIcon(16, false)}) &&
                         WriteIco(folder + "/Settings.ico",
                                  {ProgramIcon(48, true), ProgramIcon(32, true), ProgramIcon(16, true)}) &&
                         WritePng(folder + "/Saver48.png", ProgramIcon(48, false)) &&
                         WritePng(folder + "/Saver128.png", ProgramIcon(128, false));
    if (!written) {
        std::fprintf(stderr, "make_dialog_pictures: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
