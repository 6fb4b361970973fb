// Writes picture files that attack a decoder: cut short, corrupt, claiming vast sizes,
// lying about their format. Tests and the fuzzers make them at run time; nothing of the
// kind is kept in the source tree.
//
//   make_hostile_pictures DIR          the hostile collection
//   make_hostile_pictures --seeds DIR  small sound pictures of every encoding (fuzz seeds)

#include <cstdio>  // before jpeglib.h, which needs FILE

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::string;

void PutBig32(Bytes* out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(char((v >> shift) & 0xFF));
}

void PutLittle16(Bytes* out, std::uint32_t v)
{
    out->push_back(char(v & 0xFF));
    out->push_back(char((v >> 8) & 0xFF));
}

void PutLittle32(Bytes* out, std::uint32_t v)
{
    PutLittle16(out, v & 0xFFFF);
    PutLittle16(out, v >> 16);
}

Bytes Noise(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

// --- PNG, built chunk by chunk so that any chunk can be bent ------------------------

Bytes PngChunk(const char* type, const Bytes& data)
{
    Bytes chunk;
    PutBig32(&chunk, std::uint32_t(data.size()));
    chunk.append(type, 4);
    chunk += data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size()));
    PutBig32(&chunk, std::uint32_t(crc));
    return chunk;
}

Bytes PngHeader(std::uint32_t width, std::uint32_t height, int depth, int colourType, int interlace = 0)
{
    Bytes data;
    PutBig32(&data, width);
    PutBig32(&data, height);
    data += char(depth);
    data += char(colourType);
    data += '\0';
    data += '\0';
    data += char(interlace);
    return Bytes("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", data);
}

// zlib data for rows copies of one row (filter byte included), deflated as a stream so
// that no more than one row is ever held.
Bytes DeflateRepeated(const Bytes& row, std::uint32_t rows)
{
    z_stream stream{};
    deflateInit(&stream, 9);
    Bytes out;
    char buffer[65536];
    for (std::uint32_t i = 0; i <= rows; ++i) {
        const bool last = i == rows;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
        stream.avail_in = last ? 0 : uInt(row.size());
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

Bytes ZlibOf(const Bytes& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

// An RGB picture of noise (so it does not compress), every row with filter 0.
Bytes NoisyRgbPng(int width, int height, const Bytes& beforeData = Bytes())
{
    Bytes raw;
    for (int y = 0; y < height; ++y)
        raw += '\0' + Noise(std::size_t(width) * 3, unsigned(y));
    return PngHeader(width, height, 8, 2) + beforeData + PngChunk("IDAT", ZlibOf(raw)) + PngChunk("IEND", "");
}

// --- GIF ---------------------------------------------------------------------------

int AppendToBytes(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<Bytes*>(gif->UserData)->append(reinterpret_cast<const char*>(data), std::size_t(length));
    return length;
}

// Frames of (left, top, width, height, interlaced, pixel of x, y); a 4-colour global table.
struct GifFrame {
    int left, top, width, height;
    bool interlaced;
    bool localTable;
};

Bytes MakeGif(int screenWidth, int screenHeight, const std::vector<GifFrame>& frames)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendToBytes, &error);
    if (gif == nullptr)
        return out;
    GifColorType colours[4] = {{0, 0, 0}, {200, 40, 40}, {40, 200, 40}, {40, 40, 200}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 2, 0, map);
    for (const GifFrame& f : frames) {
        ColorMapObject* local = f.localTable ? GifMakeMapObject(4, colours) : nullptr;
        EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
        std::vector<GifPixelType> line(std::size_t(f.width));
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x)
                line[x] = GifPixelType(((x / 4) + (y / 4)) & 3);
            EGifPutLine(gif, line.data(), f.width);
        }
        GifFreeMapObject(local);
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
    return out;
}

// An image descriptor of any claimed size with a few bytes of image data.
Bytes GifImageClaim(int width, int height)
{
    Bytes block = "\x2C";
    PutLittle16(&block, 0);
    PutLittle16(&block, 0);
    PutLittle16(&block, std::uint32_t(width));
    PutLittle16(&block, std::uint32_t(height));
    block += '\0';
    block += Bytes("\x02\x02\x44\x01\x00", 5);  // code size 2, one sub-block of two bytes, end
    return block;
}

// --- JPEG --------------------------------------------------------------------------

struct JpegOptions {
    int width = 64;
    int height = 48;
    int components = 3;
    bool progressive = false;
    bool noise = false;
    bool everyCoefficientBitAlone = false;  // one scan per coefficient and bit: thousands
};

Bytes MakeJpeg(const JpegOptions& o)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(o.width);
    info.image_height = JDIMENSION(o.height);
    info.input_components = o.components;
    info.in_color_space = o.components == 1 ? JCS_GRAYSCALE : o.components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    std::vector<jpeg_scan_info> script;
    if (o.everyCoefficientBitAlone) {
        for (int c = 0; c < o.components; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
        const int top = 10;  // the deepest successive approximation libjpeg allows for 8 bits
        auto scan = [&](int components, int first, int ss, int se, int ah, int al) {
            jpeg_scan_info s{};
            s.comps_in_scan = components;
            for (int i = 0; i < components; ++i)
                s.component_index[i] = first + i;
            s.Ss = ss;
            s.Se = se;
            s.Ah = ah;
            s.Al = al;
            script.push_back(s);
        };
        scan(o.components, 0, 0, 0, 0, top);
        for (int bit = top - 1; bit >= 0; --bit)
            scan(o.components, 0, 0, 0, bit + 1, bit);
        for (int c = 0; c < o.components; ++c) {
            for (int k = 1; k < 64; ++k) {
                scan(1, c, k, k, 0, top);
                for (int bit = top - 1; bit >= 0; --bit)
                    scan(1, c, k, k, bit + 1, bit);
            }
        }
        info.scan_info = script.data();
        info.num_scans = int(script.size());
    } else if (o.progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(std::size_t(o.width) * o.components);
    for (int y = 0; y < o.height; ++y) {
        if (o.noise) {
            const Bytes noise = Noise(row.size(), unsigned(y));
            std::memcpy(row.data(), noise.data(), row.size());
        } else {
            for (std::size_t x = 0; x < row.size(); ++x)
                row[x] = std::uint8_t(y < o.height / 2 ? 60 + (x % 3) * 60 : 180 - (x % 3) * 50);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

// The same file with its frame header claiming another size.
Bytes WithJpegSize(Bytes jpeg, int width, int height)
{
    std::size_t at = 2;
    while (at + 9 < jpeg.size()) {
        const std::uint8_t marker = std::uint8_t(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            jpeg[at + 5] = char(height >> 8);
            jpeg[at + 6] = char(height & 0xFF);
            jpeg[at + 7] = char(width >> 8);
            jpeg[at + 8] = char(width & 0xFF);
            break;
        }
        at += 2 + ((std::uint8_t(jpeg[at + 2]) << 8) | std::uint8_t(jpeg[at + 3]));
    }
    return jpeg;
}

// Where the first scan's entropy-coded data begins.
std::size_t JpegScanData(const Bytes& jpeg)
{
    std::size_t at = 2;
    while (at + 4 < jpeg.size()) {
        const std::uint8_t marker = std::uint8_t(jpeg[at + 1]);
        const std::size_t length = (std::uint8_t(jpeg[at + 2]) << 8) | std::uint8_t(jpeg[at + 3]);
        at += 2 + length;
        if (marker == 0xDA)
            return at;
    }
    return jpeg.size();
}

// --- BMP ---------------------------------------------------------------------------

// A BMP with a 40-byte header, the given claimed size, depth and compression, a colour
// table of colours entries and the pixel data as given.
Bytes MakeBmp(std::int32_t width, std::int32_t height, int depth, int compression, int colours, const Bytes& pixels)
{
    Bytes out = "BM";
    const std::uint32_t offset = 54 + 4 * colours;
    PutLittle32(&out, offset + std::uint32_t(pixels.size()));
    PutLittle32(&out, 0);
    PutLittle32(&out, offset);
    PutLittle32(&out, 40);
    PutLittle32(&out, std::uint32_t(width));
    PutLittle32(&out, std::uint32_t(height));
    PutLittle16(&out, 1);
    PutLittle16(&out, std::uint32_t(depth));
    PutLittle32(&out, std::uint32_t(compression));
    PutLittle32(&out, std::uint32_t(pixels.size()));
    PutLittle32(&out, 2835);
    PutLittle32(&out, 2835);
    PutLittle32(&out, std::uint32_t(colours));
    PutLittle32(&out, 0);
    for (int i = 0; i < colours; ++i)
        PutLittle32(&out, std::uint32_t(i * 0x010203 * 40) & 0xFFFFFF);
    return out + pixels;
}

Bytes BmpRows(int width, int height, int depth)
{
    const std::size_t rowSize = ((std::size_t(width) * depth + 31) / 32) * 4;
    Bytes pixels;
    for (int y = 0; y < height; ++y)
        pixels += Noise(rowSize, unsigned(y + 7));
    return pixels;
}

// --- The two collections -----------------------------------------------------------

struct NamedFile {
    std::string name;
    Bytes bytes;
};

std::vector<NamedFile> HostileFiles()
{
    std::vector<NamedFile> files;
    auto add = [&](const std::string& name, const Bytes& bytes) { files.push_back({name, bytes}); };

    // PNG
    Bytes comment = "Comment";
    comment += '\0';
    comment += Bytes(200, 'x');
    const Bytes textThenPicture = NoisyRgbPng(16, 16, PngChunk("tEXt", comment));
    add("png-cut-inside-text-chunk.png", textThenPicture.substr(0, 60));
    const Bytes noisy = NoisyRgbPng(64, 64);
    add("png-cut-inside-image-data.png", noisy.substr(0, noisy.size() / 2));
    add("png-cut-after-header.png", noisy.substr(0, 33));
    add("png-cut-before-end-chunk.png", noisy.substr(0, noisy.size() - 12));
    Bytes badCrc = noisy;
    badCrc[badCrc.size() - 13] = char(badCrc[badCrc.size() - 13] ^ 0x55);  // the image data's CRC
    add("png-image-data-crc-wrong.png", badCrc);
    add("png-image-data-not-zlib.png", PngHeader(64, 64, 8, 2) + PngChunk("IDAT", Noise(4000, 3)) + PngChunk("IEND", ""));
    add("png-image-data-too-short.png",
        PngHeader(64, 64, 8, 2) + PngChunk("IDAT", ZlibOf(Bytes(100, '\0'))) + PngChunk("IEND", ""));
    add("png-palette-missing.png",
        PngHeader(16, 16, 8, 3) + PngChunk("IDAT", ZlibOf(Bytes(17 * 16, '\0'))) + PngChunk("IEND", ""));
    Bytes manyChunks = PngHeader(16, 16, 8, 2);
    for (int i = 0; i < 20000; ++i)
        manyChunks += PngChunk("tEXt", "k\0v");
    add("png-20000-text-chunks.png", manyChunks + PngChunk("IDAT", ZlibOf(Bytes(49 * 16, '\0'))) + PngChunk("IEND", ""));
    Bytes zText = "Comment";
    zText += '\0';
    zText += '\0';
    zText += DeflateRepeated(Bytes(1 << 20, 'z'), 64);  // 64 MB of text once inflated
    add("png-text-inflating-to-64-mb.png", PngHeader(16, 16, 8, 2) + PngChunk("zTXt", zText) +
                                               PngChunk("IDAT", ZlibOf(Bytes(49 * 16, '\0'))) + PngChunk("IEND", ""));
    Bytes profile = "icc";
    profile += '\0';
    profile += '\0';
    profile += DeflateRepeated(Bytes(1 << 20, '\0'), 64);
    add("png-profile-inflating-to-64-mb.png", PngHeader(16, 16, 8, 2) + PngChunk("iCCP", profile) +
                                                  PngChunk("IDAT", ZlibOf(Bytes(49 * 16, '\0'))) + PngChunk("IEND", ""));
    add("png-claims-100000-square.png",
        PngHeader(100000, 100000, 8, 6) + PngChunk("IDAT", ZlibOf(Bytes(1000, '\0'))) + PngChunk("IEND", ""));
    add("png-claims-8192-square.png",
        PngHeader(8192, 8192, 8, 6) + PngChunk("IDAT", ZlibOf(Bytes(32769 * 4, '\0'))) + PngChunk("IEND", ""));
    add("png-interlaced-cut.png", PngHeader(512, 512, 8, 6, 1) + PngChunk("IDAT", ZlibOf(Bytes(20000, '\0'))));
    // The largest the bounds let through, every row really there: 96 MB once decoded.
    add("png-largest-allowed-4096x8192.png", PngHeader(4096, 8192, 8, 2) +
                                                PngChunk("IDAT", DeflateRepeated(Bytes(1 + 4096 * 3, '\0'), 8192)) +
                                                PngChunk("IEND", ""));

    // GIF
    Bytes twoImages = MakeGif(16, 16, {{0, 0, 16, 16, false, false}});
    twoImages.pop_back();  // the trailer
    add("gif-second-image-45000x62000.gif", twoImages + GifImageClaim(45000, 62000) + "\x3B");
    Bytes screenBomb = MakeGif(16, 16, {{0, 0, 16, 16, false, false}});
    screenBomb[6] = screenBomb[7] = screenBomb[8] = screenBomb[9] = char(0xFF);
    add("gif-screen-65535-square.gif", screenBomb);
    Bytes square = MakeGif(16, 16, {});
    square.pop_back();
    square[6] = square[8] = 0;
    square[7] = square[9] = 0x20;  // an 8192 x 8192 screen
    add("gif-8192-square-cut.gif", square + GifImageClaim(8192, 8192));
    Bytes outside = MakeGif(16, 16, {});
    outside.pop_back();
    Bytes far = GifImageClaim(100, 100);
    far[1] = far[3] = char(0x60);
    far[2] = far[4] = char(0xEA);  // at 60000, 60000
    add("gif-image-far-off-screen.gif", outside + far + "\x3B");
    const Bytes stripes = MakeGif(64, 64, {{0, 0, 64, 64, true, true}});
    add("gif-cut-inside-image.gif", stripes.substr(0, stripes.size() / 2));
    Bytes garbage = MakeGif(64, 64, {});
    garbage.pop_back();
    Bytes descriptor = GifImageClaim(64, 64);
    descriptor.resize(10);
    garbage += descriptor + "\x08";
    for (int i = 0; i < 40; ++i)
        garbage += char(255) + Noise(255, unsigned(i));
    add("gif-image-data-noise.gif", garbage + Bytes(1, '\0') + "\x3B");
    add("gif-no-image.gif", MakeGif(16, 16, {}));
    add("gif-header-only.gif", Bytes("GIF89a", 6));

    // JPEG
    JpegOptions scans;
    scans.width = 1024;
    scans.height = 1024;
    scans.everyCoefficientBitAlone = true;
    add("jpeg-2000-scans.jpg", MakeJpeg(scans));
    JpegOptions noiseOptions;
    noiseOptions.width = 256;
    noiseOptions.height = 256;
    noiseOptions.noise = true;
    const Bytes photo = MakeJpeg(noiseOptions);
    add("jpeg-cut-inside-scan.jpg", photo.substr(0, photo.size() / 2));
    Bytes scanNoise = photo;
    const std::size_t data = JpegScanData(scanNoise);
    const Bytes noise = Noise(scanNoise.size() - data - 2, 11);
    scanNoise.replace(data, noise.size(), noise);
    add("jpeg-scan-data-noise.jpg", scanNoise);
    JpegOptions small;
    const Bytes baseline = MakeJpeg(small);
    add("jpeg-claims-65500-square.jpg", WithJpegSize(baseline, 65500, 65500));
    add("jpeg-claims-8192-square.jpg", WithJpegSize(baseline, 8192, 8192));
    small.progressive = true;
    add("jpeg-progressive-claims-8192-square.jpg", WithJpegSize(MakeJpeg(small), 8192, 8192));
    add("jpeg-progressive-claims-4000x3000.jpg", WithJpegSize(MakeJpeg(small), 4000, 3000));
    add("jpeg-markers-only.jpg", Bytes("\xFF\xD8\xFF\xD9", 4));
    add("jpeg-cut-after-start.jpg", baseline.substr(0, 3));

    // BMP
    add("bmp-claims-60000-square.bmp", MakeBmp(60000, 60000, 24, 0, 0, BmpRows(4, 4, 24)));
    add("bmp-claims-8192-square.bmp", MakeBmp(8192, 8192, 24, 0, 0, BmpRows(64, 4, 24)));
    add("bmp-height-most-negative.bmp", MakeBmp(16, INT32_MIN, 24, 0, 0, BmpRows(16, 16, 24)));
    // Run-length coded: 8192 x 8192 pixels from a few bytes (end of bitmap at once).
    add("bmp-run-length-8192-square.bmp", MakeBmp(8192, 8192, 8, 1, 256, Bytes("\x00\x01", 2)));
    Bytes overrun;
    for (int i = 0; i < 64; ++i)
        overrun += Bytes("\xFF\x07", 2);  // runs far longer than a row
    overrun += Bytes("\x00\x02\xFF\xFF", 4);  // a jump far outside the picture
    overrun += Bytes("\x00\x05\x03\x01\x02\x03\x00", 7);
    add("bmp-run-length-overrun.bmp", MakeBmp(16, 16, 8, 1, 256, overrun));
    const Bytes wholeBmp = MakeBmp(64, 64, 24, 0, 0, BmpRows(64, 64, 24));
    add("bmp-cut-inside-rows.bmp", wholeBmp.substr(0, wholeBmp.size() / 2));
    Bytes farOffset = wholeBmp;
    farOffset[10] = farOffset[11] = farOffset[12] = char(0xFF);
    farOffset[13] = 0x7F;
    add("bmp-pixels-far-beyond-the-end.bmp", farOffset);
    add("bmp-header-only.bmp", wholeBmp.substr(0, 30));

    // Neither of the four, or nothing at all.
    add("empty.jpg", "");
    add("empty.png", "");
    add("words.gif", "GIF is what this file says, but it holds only words.\n");
    Bytes tiff = Bytes("II*\0\x08\0\0\0", 8);
    tiff += Bytes("\x01\0\x00\x01\x03\0\x01\0\0\0\x10\0\0\0\0\0\0\0", 18);
    add("tiff-named-as.jpg", tiff);
    add("icon-named-as.bmp", Bytes("\0\0\x01\0\x01\0\x10\x10\0\0\x01\0\x20\0", 14) + Noise(300, 5));
    add("metafile-named-as.png", Bytes("\xD7\xCD\xC6\x9A\0\0", 6) + Noise(200, 6));
    add("enhanced-metafile-named-as.gif", Bytes("\x01\0\0\0\x6C\0\0\0", 8) + Noise(200, 7) + " EMF");

    // A sound picture whose name lies: it must still decode, as what it is.
    add("gif-named-as.png", MakeGif(32, 24, {{0, 0, 32, 24, false, false}}));
    return files;
}

// Small, sound pictures of every encoding the decoders handle.
bool PngThroughLibpng(const std::string& path, int width, int height, int depth, int colourType, int interlace)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        std::fclose(out);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth, colourType, interlace,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[16];
    for (int i = 0; i < 16; ++i)
        palette[i] = {png_byte(i * 16), png_byte(255 - i * 16), png_byte(i * 7)};
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette, 16);
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_zTXt;
    text.key = const_cast<char*>("Comment");
    text.text = const_cast<char*>("made for the decoder tests");
    png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<std::vector<png_byte>> rows(static_cast<std::size_t>(height), std::vector<png_byte>(rowBytes));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y) {
        for (std::size_t i = 0; i < rowBytes; ++i)
            rows[y][i] = png_byte((i * 13 + y * 29 + channels) & 0xFF);
        pointers.push_back(rows[y].data());
    }
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(out) == 0;
}

std::vector<NamedFile> SeedFiles()
{
    std::vector<NamedFile> files;
    auto add = [&](const std::string& name, const Bytes& bytes) { files.push_back({name, bytes}); };
    add("seed-animated.gif", MakeGif(24, 20, {{0, 0, 24, 20, true, false}, {4, 4, 8, 8, false, true}}));
    add("seed-offset-frame.gif", MakeGif(24, 20, {{6, 5, 10, 8, false, true}}));
    JpegOptions o;
    o.width = 40;
    o.height = 30;
    add("seed-baseline.jpg", MakeJpeg(o));
    o.progressive = true;
    add("seed-progressive.jpg", MakeJpeg(o));
    // Decoded at a quarter: the scans of coefficients not drawn at that scale are left out.
    o.width = o.height = 2048;
    add("seed-progressive-quarter.jpg", MakeJpeg(o));
    o.width = 40;
    o.height = 30;
    o.progressive = false;
    o.components = 1;
    add("seed-grey.jpg", MakeJpeg(o));
    o.components = 4;
    add("seed-cmyk.jpg", MakeJpeg(o));
    add("seed-24.bmp", MakeBmp(13, 7, 24, 0, 0, BmpRows(13, 7, 24)));
    add("seed-top-down-32.bmp", MakeBmp(9, -6, 32, 0, 0, BmpRows(9, 6, 32)));
    add("seed-4.bmp", MakeBmp(11, 5, 4, 0, 16, BmpRows(11, 5, 4)));
    add("seed-1.bmp", MakeBmp(19, 4, 1, 0, 2, BmpRows(19, 4, 1)));
    add("seed-run-length-8.bmp",
        MakeBmp(16, 4, 8, 1, 256, Bytes("\x10\x05\x00\x00\x00\x03\x01\x02\x03\x00\x0D\x09\x00\x00\x00\x01", 16)));
    Bytes core = "BM";
    PutLittle32(&core, 26 + 8 * 3 * 3);
    PutLittle32(&core, 0);
    PutLittle32(&core, 26);
    PutLittle32(&core, 12);
    PutLittle16(&core, 8);
    PutLittle16(&core, 3);
    PutLittle16(&core, 1);
    PutLittle16(&core, 24);
    add("seed-core-header.bmp", core + BmpRows(8, 3, 24));
    return files;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool seeds = argc == 3 && std::strcmp(argv[1], "--seeds") == 0;
    if (argc != 2 && !seeds) {
        std::fprintf(stderr, "usage: %s [--seeds] FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[argc - 1];
    mkdir(folder.c_str(), 0755);
    bool ok = true;
    for (const NamedFile& file : seeds ? SeedFiles() : HostileFiles())
        ok = WriteFile(folder + "/" + file.name, file.bytes) && ok;
    if (seeds) {
        ok = PngThroughLibpng(folder + "/seed-palette-4.png", 13, 9, 4, PNG_COLOR_TYPE_PALETTE, 0) && ok;
        ok = PngThroughLibpng(folder + "/seed-grey-interlaced.png", 17, 11, 8, PNG_COLOR_TYPE_GRAY, 1) && ok;
        ok = PngThroughLibpng(folder + "/seed-grey-2.png", 9, 5, 2, PNG_COLOR_TYPE_GRAY, 0) && ok;
        ok = PngThroughLibpng(folder + "/seed-grey-alpha.png", 8, 8, 8, PNG_COLOR_TYPE_GRAY_ALPHA, 0) && ok;
        ok = PngThroughLibpng(folder + "/seed-rgba.png", 12, 10, 8, PNG_COLOR_TYPE_RGB_ALPHA, 1) && ok;
        ok = PngThroughLibpng(folder + "/seed-rgb-16.png", 10, 6, 16, PNG_COLOR_TYPE_RGB, 0) && ok;
    }
    if (!ok)
        std::fprintf(stderr, "%s: could not write every file into %s\n", argv[0], folder.c_str());
    return ok ? 0 : 1;
}
