#include "platform/JpegReader.h"

#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which needs FILE
#include <cstdlib>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/PictureFormat.h"
#include "platform/ZeroedPages.h"

namespace platform {

namespace {

// More warnings than this about damaged data and the file is given up.
constexpr long kMaxJpegWarnings = 100;

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void Fail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1); }

void OnJpegError(j_common_ptr info) { Fail(info); }

// Warnings are never printed. The end of the data is an error here (libjpeg would
// make up an end marker and go on); so is a flood of warnings.
void OnJpegMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;  // trace messages
    if (info->err->msg_code == JWRN_JPEG_EOF || ++info->err->num_warnings > kMaxJpegWarnings)
        Fail(info);
}

// Called between scans: a progressive file's scans are limited.
void OnJpegProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans)
        Fail(info);
}

// A multi-scan JPEG's coefficients, one array a component, held whole in zeroed pages
// in place of libjpeg's own arrays, which it fills with zeroes first: at 600 MB for a
// 200-megapixel picture that writing, and its page faults, took most of the decode.
struct BlockArray {
    JBLOCKROW* rows;
    void* pages;
    std::size_t bytes;
    JDIMENSION blocksPerRow;
    JDIMENSION rowCount;
};

struct BlockArrays {
    BlockArray arrays[MAX_COMPONENTS];
    int count;
    std::int64_t totalBytes;
    void (*realizeOthers)(j_common_ptr);
};

BlockArrays& ArraysOf(j_common_ptr info) { return *static_cast<BlockArrays*>(info->client_data); }

void FreeBlockArrays(BlockArrays* arrays)
{
    for (int i = 0; i < arrays->count; ++i)
        FreeZeroedPages(arrays->arrays[i].pages, arrays->arrays[i].bytes);
    arrays->count = 0;
}

jvirt_barray_ptr RequestBlockArray(j_common_ptr info, int, boolean, JDIMENSION blocksPerRow, JDIMENSION rowCount, JDIMENSION)
{
    BlockArrays& arrays = ArraysOf(info);
    if (arrays.count == MAX_COMPONENTS)
        Fail(info);
    BlockArray& array = arrays.arrays[arrays.count++];
    array = BlockArray{nullptr, nullptr, 0, blocksPerRow, rowCount};
    return reinterpret_cast<jvirt_barray_ptr>(&array);
}

void RealizeBlockArrays(j_common_ptr info)
{
    BlockArrays& arrays = ArraysOf(info);
    arrays.realizeOthers(info);
    for (int i = 0; i < arrays.count; ++i) {
        BlockArray& array = arrays.arrays[i];
        if (array.pages != nullptr)
            continue;
        array.bytes = static_cast<std::size_t>(array.blocksPerRow) * array.rowCount * sizeof(JBLOCK);
        arrays.totalBytes += static_cast<std::int64_t>(array.bytes);
        if (array.rowCount == 0 || arrays.totalBytes > kMaxDecoderWorkBytes)
            Fail(info);
        array.pages = AllocateZeroedPages(array.bytes);
        if (array.pages == nullptr)
            Fail(info);
        array.rows = static_cast<JBLOCKROW*>(
            info->mem->alloc_small(info, JPOOL_IMAGE, sizeof(JBLOCKROW) * array.rowCount));
        for (JDIMENSION row = 0; row < array.rowCount; ++row)
            array.rows[row] = static_cast<JBLOCKROW>(array.pages) + static_cast<std::size_t>(row) * array.blocksPerRow;
    }
}

JBLOCKARRAY AccessBlockArray(j_common_ptr info, jvirt_barray_ptr handle, JDIMENSION firstRow, JDIMENSION rowCount, boolean)
{
    const BlockArray& array = *reinterpret_cast<BlockArray*>(handle);
    if (array.rows == nullptr || firstRow > array.rowCount || rowCount > array.rowCount - firstRow)
        Fail(info);
    return array.rows + firstRow;
}

std::size_t BigEndian16(const std::uint8_t* at) { return static_cast<std::size_t>(at[0]) << 8 | at[1]; }

// The last coefficient, in zigzag order, that an inverse DCT to size x size reads: at a
// reduced scale libjpeg draws each component from the top left corner of its blocks.
int LastCoefficientDrawn(int size) { return size <= 1 ? 0 : size == 2 ? 4 : size <= 4 ? 24 : 63; }

int ScaledBlockSize(const jpeg_component_info& component)
{
#if JPEG_LIB_VERSION >= 70
    return component.DCT_h_scaled_size > component.DCT_v_scaled_size ? component.DCT_h_scaled_size
                                                                       : component.DCT_v_scaled_size;
#else
    return component.DCT_scaled_size;
#endif
}

// For each component id, the last coefficient drawn at the reduced scale: libjpeg's own
// choice of each component's block size (colour halved in the file may be drawn from 2 x 2
// corners, not from its DC alone). No C++ object with a destructor lives between setjmp
// and longjmp here.
bool CoefficientsDrawn(const std::uint8_t* bytes, std::size_t size, int scaleDenominator, int (&lastById)[256])
{
    jpeg_decompress_struct info;
    JpegFailure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = OnJpegError;
    failure.manager.emit_message = OnJpegMessage;
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool progressive = info.progressive_mode != 0;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(scaleDenominator);
    jpeg_calc_output_dimensions(&info);
    for (int& last : lastById)
        last = 63;
    for (int c = 0; c < info.num_components; ++c)
        lastById[info.comp_info[c].component_id & 255] = LastCoefficientDrawn(ScaledBlockSize(info.comp_info[c]));
    jpeg_destroy_decompress(&info);
    return progressive;
}

// A progressive JPEG's stream without the scans of coefficients that are not drawn at the
// reduced scale: at an eighth, the AC scans of every component drawn from its DC alone,
// which are most of the decoding time. Everything else (tables, restart intervals, the
// other scans) is kept in order for libjpeg to check as usual. False when nothing is
// dropped or the markers cannot be followed; the caller then hands libjpeg the file as
// it is.
bool KeepScansDrawn(const std::uint8_t* bytes, std::size_t size, const int (&lastById)[256],
                    std::vector<std::uint8_t>* kept)
{
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    kept->assign(bytes, bytes + 2);
    bool dropped = false;
    std::size_t at = 2;
    for (;;) {
        if (at + 2 > size || bytes[at] != 0xFF)
            return false;
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        if (marker == 0xD9) {
            kept->insert(kept->end(), bytes + at, bytes + at + 2);
            return dropped;
        }
        if (at + 4 > size)
            return false;
        const std::size_t length = BigEndian16(bytes + at + 2);
        std::size_t end = at + 2 + length;
        if (length < 2 || end > size)
            return false;
        bool keep = true;
        if (marker == 0xDA) {
            const std::uint8_t* segment = bytes + at + 4;
            const std::size_t components = length > 2 ? segment[0] : 0;
            if (components < 1 || length < 6 + 2 * components)
                return false;
            const int firstCoefficient = segment[1 + 2 * components];
            keep = false;
            for (std::size_t i = 0; i < components; ++i)
                keep = keep || firstCoefficient <= lastById[segment[1 + 2 * i]];
            dropped = dropped || !keep;
            end = EndOfEntropyCodedData(bytes, size, end);
            if (end + 1 >= size)
                end = size;
        }
        if (keep)
            kept->insert(kept->end(), bytes + at, bytes + end);
        at = end;
    }
}

// No C++ object with a destructor lives between setjmp and longjmp here.
bool DecodeJpegStream(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target,
                      BlockArrays* blockArrays)
{
    jpeg_decompress_struct info;
    JpegFailure failure;
    jpeg_progress_mgr progress = {};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = OnJpegError;
    failure.manager.emit_message = OnJpegMessage;
    std::uint8_t* volatile cmykRow = nullptr;  // volatile: read again after a longjmp
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_decompress(&info);
        std::free(cmykRow);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxDecoderWorkBytes;  // beyond it: an error, there is no backing store
    info.client_data = blockArrays;
    blockArrays->realizeOthers = info.mem->realize_virt_arrays;
    info.mem->request_virt_barray = RequestBlockArray;
    info.mem->realize_virt_arrays = RealizeBlockArrays;
    info.mem->access_virt_barray = AccessBlockArray;
    progress.progress_monitor = OnJpegProgress;
    info.progress = &progress;
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.image_width != header.width || info.image_height != header.height)
        Fail(reinterpret_cast<j_common_ptr>(&info));
    // Four-channel JPEGs come as CMYK, inverted when an Adobe marker says so, and are
    // turned into blue, green and red here.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool inverted = info.saw_Adobe_marker;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(header.scaleDenominator);
    info.do_block_smoothing = FALSE;  // guesses at coefficients a dropped scan held: none is drawn
    jpeg_start_decompress(&info);
    std::uint8_t* row = nullptr;
    int pitch = 0;
    const int width = static_cast<int>(info.output_width);
    if (info.output_components != (cmyk ? 4 : 3) ||
        !target->Allocate(width, static_cast<int>(info.output_height), 24, false, &row, &pitch))
        Fail(reinterpret_cast<j_common_ptr>(&info));
    if (cmyk) {
        cmykRow = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(width) * 4));
        if (cmykRow == nullptr)
            Fail(reinterpret_cast<j_common_ptr>(&info));
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {cmyk ? cmykRow : row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            Fail(reinterpret_cast<j_common_ptr>(&info));
        for (int x = 0; cmyk && x < width; ++x) {
            const std::uint8_t* in = cmykRow + x * 4;
            const unsigned k = inverted ? in[3] : 255u - in[3];
            for (int c = 0; c < 3; ++c) {
                const unsigned ink = inverted ? in[2 - c] : 255u - in[2 - c];
                row[x * 3 + c] = static_cast<std::uint8_t>((ink * k + 127) / 255);
            }
        }
        row += pitch;
    }
    // Whatever follows the last row (more scans, trailing bytes) is not read.
    jpeg_destroy_decompress(&info);
    std::free(cmykRow);
    return true;
}

}  // namespace

// JPEG through libjpeg itself, which can decode at 1/2, 1/4 or 1/8 of the size: the
// picture is only ever drawn onto a 512 x 512 disc.
bool ReadJpeg(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target)
{
    std::vector<std::uint8_t> scansDrawn;
    int lastById[256];
    const bool reduced = bytes != nullptr && header.scaleDenominator > 1 &&
                         CoefficientsDrawn(bytes, size, header.scaleDenominator, lastById) &&
                         KeepScansDrawn(bytes, size, lastById, &scansDrawn);
    BlockArrays blockArrays = {};
    const bool decoded = reduced ? DecodeJpegStream(scansDrawn.data(), scansDrawn.size(), header, target, &blockArrays)
                                 : DecodeJpegStream(bytes, size, header, target, &blockArrays);
    FreeBlockArrays(&blockArrays);
    return decoded;
}

}  // namespace platform
