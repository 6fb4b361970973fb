#include "platform/JpegReader.h"

#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which needs FILE
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

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

// Every component's DC coefficients are whole: at an eighth of the size, all that is drawn.
bool DcComplete(const jpeg_decompress_struct& info)
{
    for (int c = 0; c < info.num_components; ++c) {
        if (info.coef_bits[c][0] != 0)
            return false;
    }
    return true;
}

}  // namespace

// JPEG through libjpeg itself, which can decode at 1/2, 1/4 or 1/8 of the size: the
// picture is only ever drawn onto a 512 x 512 disc. No C++ object with a destructor
// lives between setjmp and longjmp here.
bool ReadJpeg(const std::uint8_t* bytes, std::size_t size, const PictureHeader& header, DecodeTarget* target)
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
    // A progressive JPEG read at an eighth is drawn from its DC coefficients alone: the
    // scans after the one that completes them are not decoded.
    const bool dcOnly = jpeg_has_multiple_scans(&info) && info.progressive_mode && header.scaleDenominator == 8;
    info.buffered_image = dcOnly ? TRUE : FALSE;
    info.do_block_smoothing = FALSE;
    jpeg_start_decompress(&info);
    if (dcOnly) {
        for (;;) {
            const int status = jpeg_consume_input(&info);
            if (status == JPEG_REACHED_EOI || (status == JPEG_SCAN_COMPLETED && DcComplete(info)))
                break;
            if (status == JPEG_SUSPENDED)
                Fail(reinterpret_cast<j_common_ptr>(&info));
        }
        jpeg_start_output(&info, info.input_scan_number);
    }
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

}  // namespace platform
