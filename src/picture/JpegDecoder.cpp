#include "picture/JpegDecoder.h"

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <exception>
#include <utility>

// jpeglib.h needs FILE and size_t declared before it.
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

#include "picture/Jpeg.h"
#include "toolkit/Dib.h"
#include "toolkit/Errors.h"

static_assert(JERR_INPUT_EMPTY == JpegInputEmpty);

namespace {

// Compressed bytes go to libjpeg in blocks of at most this size.
constexpr size_t SourceBlock = 4096;
// Running progress is reported at most this often.
constexpr auto ProgressInterval = std::chrono::milliseconds(500);

// Supplied when the data end early, so libjpeg finishes the image as it finishes any
// truncated file.
const JOCTET EndOfImage[2] = {0xFF, JPEG_EOI};

struct TErrorManager {
    jpeg_error_mgr Pub;
    jmp_buf Jump;
};

struct TSourceManager {
    jpeg_source_mgr Pub;
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    size_t Position = 0;
    bool StartOfFile = true;
};

} // namespace

// Everything libjpeg needs, at a fixed address for the whole decode: the callbacks find
// it again through client_data.
struct TJpegDecoder::TSession {
    jpeg_decompress_struct Info{};
    TErrorManager Error{};
    TSourceManager Source{};
    jpeg_progress_mgr ProgressMgr{};
    bool Created = false;

    TProgress OnProgress;
    bool ProgressStarted = false;
    int LastPercent = 0;
    std::chrono::steady_clock::time_point LastReport;
    // An exception a callback caught inside libjpeg, raised again once libjpeg is left.
    std::exception_ptr Pending;

    // Where ReadRows puts the rows: row FirstRow at Bits, and none from RowEnd on.
    uint8_t* Bits = nullptr;
    size_t Stride = 0;
    unsigned FirstRow = 0;
    unsigned RowEnd = 0;
    JSAMPARRAY CmykRow = nullptr; // four-component output goes through this one row
};

namespace {

using TSession = TJpegDecoder::TSession;

TSession& SessionOf(j_common_ptr info) {
    return *static_cast<TSession*>(info->client_data);
}

[[noreturn]] void ErrorExit(j_common_ptr info) {
    longjmp(SessionOf(info).Error.Jump, 1);
}

// Warnings (corrupt data, premature end) are ignored and decoding goes on; nothing is
// ever printed.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}
void ResetErrorManager(j_common_ptr info) {
    info->err->num_warnings = 0;
    info->err->msg_code = 0;
}

void InitSource(j_decompress_ptr info) {
    SessionOf(reinterpret_cast<j_common_ptr>(info)).Source.StartOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info) {
    TSourceManager& source = SessionOf(reinterpret_cast<j_common_ptr>(info)).Source;
    const size_t count = std::min(SourceBlock, source.Size - source.Position);
    if (count == 0) {
        if (source.StartOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        source.Pub.next_input_byte = EndOfImage;
        source.Pub.bytes_in_buffer = sizeof EndOfImage;
    } else {
        source.Pub.next_input_byte = source.Data + source.Position;
        source.Pub.bytes_in_buffer = count;
        source.Position += count;
    }
    source.StartOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr& source = *info->src;
    auto remaining = static_cast<unsigned long>(count);
    while (remaining > source.bytes_in_buffer) {
        remaining -= source.bytes_in_buffer;
        FillInputBuffer(info);
    }
    source.next_input_byte += remaining;
    source.bytes_in_buffer -= remaining;
}

void TermSource(j_decompress_ptr) {}

// Calls the progress target; an exception it raises is kept for later, since it must not
// unwind through libjpeg. Returns false when that happened.
bool ReportRunning(TSession& s) noexcept {
    if (!s.ProgressStarted || !s.OnProgress)
        return true;
    const jpeg_progress_mgr& p = s.ProgressMgr;
    if (p.pass_limit <= 0 || p.total_passes <= 0)
        return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - s.LastReport < ProgressInterval)
        return true;
    const double done = double(p.pass_counter) / double(p.pass_limit) + p.completed_passes;
    const int percent = std::clamp(int(done * 100 / p.total_passes), 0, 100);
    if (percent == s.LastPercent)
        return true;
    s.LastPercent = percent;
    s.LastReport = now;
    try {
        s.OnProgress(TProgressStage::psRunning, percent);
    } catch (...) {
        s.Pending = std::current_exception();
        return false;
    }
    return true;
}

void ProgressMonitor(j_common_ptr info) {
    TSession& s = SessionOf(info);
    if (!ReportRunning(s))
        longjmp(s.Error.Jump, 1);
}

// Print programs write four-component files with inverted values (an Adobe marker says
// so, but files without it are inverted as well in practice); libjpeg-turbo's own tools
// read every such file that way, and so do we.
void CmykRowToBgr(const JSAMPLE* cmyk, uint8_t* bgr, unsigned width) {
    for (unsigned x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned k = cmyk[3];
        bgr[0] = static_cast<uint8_t>((cmyk[2] * k + 127) / 255);
        bgr[1] = static_cast<uint8_t>((cmyk[1] * k + 127) / 255);
        bgr[2] = static_cast<uint8_t>((cmyk[0] * k + 127) / 255);
    }
}

// The steps that call into libjpeg. libjpeg's error exit and the progress monitor jump
// back out of them with longjmp, skipping their frames, so they keep no locals that need
// destroying.
using TStep = void (*)(TSession&);

void CreateStep(TSession& s) {
    // Destroying is safe on the zeroed structure, and frees what a failed creation left.
    s.Created = true;
    jpeg_create_decompress(&s.Info);
}

void ReadHeaderStep(TSession& s) {
    jpeg_read_header(&s.Info, TRUE);
}

void CalcOutputStep(TSession& s) {
    jpeg_calc_output_dimensions(&s.Info);
}

void StartStep(TSession& s) {
    jpeg_start_decompress(&s.Info);
    if (s.Info.out_color_components == 4)
        s.CmykRow = (*s.Info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s.Info),
                                                JPOOL_IMAGE, s.Info.output_width * 4, 1);
}

void ReadRowsStep(TSession& s) {
    jpeg_decompress_struct& info = s.Info;
    const unsigned end = std::min(s.RowEnd, unsigned(info.output_height));
    while (info.output_scanline < end) {
        uint8_t* target = s.Bits + size_t(info.output_scanline - s.FirstRow) * s.Stride;
        JSAMPROW row = s.CmykRow ? s.CmykRow[0] : target;
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (s.CmykRow)
            CmykRowToBgr(row, target, info.output_width);
    }
}

void FinishStep(TSession& s) {
    jpeg_finish_decompress(&s.Info);
}

// setjmp lives here and nowhere else: this frame stays alive while the step runs, and
// its only locals are the two arguments, which it does not change.
bool RunStep(TSession& s, TStep step) noexcept {
    if (setjmp(s.Error.Jump))
        return false;
    step(s);
    return true;
}

// Runs a step and turns a failure into the program's exception, now that libjpeg has been
// left.
void Run(TSession& s, TStep step) {
    if (RunStep(s, step))
        return;
    if (s.Pending) {
        std::exception_ptr pending = std::exchange(s.Pending, nullptr);
        std::rethrow_exception(pending);
    }
    throw EJPEG(Format(Msg::JPEGError, s.Error.Pub.msg_code));
}

void InitSession(TSession& s, std::span<const uint8_t> bytes) {
    jpeg_std_error(&s.Error.Pub);
    s.Error.Pub.error_exit = ErrorExit;
    s.Error.Pub.emit_message = EmitMessage;
    s.Error.Pub.output_message = OutputMessage;
    s.Error.Pub.format_message = FormatMessage;
    s.Error.Pub.reset_error_mgr = ResetErrorManager;
    s.Error.Pub.trace_level = 0;
    s.Error.Pub.jpeg_message_table = nullptr;
    s.Error.Pub.last_jpeg_message = 0;
    s.Info.err = &s.Error.Pub;
    s.Info.client_data = &s;
    Run(s, CreateStep);
    // Keeps libjpeg's own work buffers (whole-image coefficients of progressive files,
    // the two-pass quantizer's image) within the same bound as the decoded bitmap.
    s.Info.mem->max_memory_to_use = long(PixelMemoryLimit());

    s.Source.Data = bytes.data();
    s.Source.Size = bytes.size();
    s.Source.Pub.init_source = InitSource;
    s.Source.Pub.fill_input_buffer = FillInputBuffer;
    s.Source.Pub.skip_input_data = SkipInputData;
    s.Source.Pub.resync_to_restart = jpeg_resync_to_restart;
    s.Source.Pub.term_source = TermSource;
    s.Info.src = &s.Source.Pub;
}

void DestroySession(TSession& s) {
    if (s.Created)
        jpeg_destroy_decompress(&s.Info);
    s.Created = false;
}

// Four-component files are converted to 24 bits ourselves: libjpeg neither quantizes nor
// greys them.
bool Quantizes(const jpeg_decompress_struct& info) {
    return info.num_components != 4 &&
           (info.quantize_colors || info.out_color_space == JCS_GRAYSCALE);
}

void ApplySettings(jpeg_decompress_struct& info, const TJPEGSettings& settings) {
    info.scale_num = 1;
    info.scale_denom = 1u << std::clamp(settings.ScaleShift, 0, 3);
    info.do_block_smoothing = settings.BlockSmoothing ? TRUE : FALSE;
    if (info.num_components == 4) {
        info.out_color_space = JCS_CMYK;
        return;
    }
    const bool quantize =
        settings.EightBitOutput || settings.GrayOutput || info.out_color_space == JCS_GRAYSCALE;
    if (settings.GrayOutput)
        info.out_color_space = JCS_GRAYSCALE;
    else if (info.out_color_space != JCS_GRAYSCALE)
        // libjpeg-turbo delivers blue, green, red directly, the order the bitmap keeps. A
        // colour map is always red, green, blue. Files of other component counts are
        // asked for the same, which libjpeg refuses with its own error.
        info.out_color_space = quantize ? JCS_RGB : JCS_EXT_BGR;
    if (quantize) {
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = 236;
    }
    if (settings.FastMode) {
        info.dct_method = JDCT_IFAST;
        info.two_pass_quantize = FALSE;
        info.dither_mode = JDITHER_ORDERED;
    }
}

} // namespace

void CheckDecodedSize(unsigned width, unsigned height, int bitCount) {
    if (BitmapRowBytes(width, bitCount) * height > PixelMemoryLimit())
        throw EJPEG(Format(Msg::JPEGTooLarge, width, height));
}

TJpegHeader ReadJpegHeader(std::span<const uint8_t> bytes, const TJPEGSettings& settings) {
    TJpegDecoder decoder(bytes, nullptr);
    TSession& s = *decoder.Session;
    Run(s, ReadHeaderStep);
    TJpegHeader header;
    header.ImageWidth = s.Info.image_width;
    header.ImageHeight = s.Info.image_height;
    header.Components = s.Info.num_components;
    header.IsGrayscale = s.Info.jpeg_color_space == JCS_GRAYSCALE;
    header.MultiScan = jpeg_has_multiple_scans(&s.Info);
    ApplySettings(s.Info, settings);
    header.BitCount = Quantizes(s.Info) ? 8 : 24;
    if (settings.ScaleShift == 0) {
        header.OutputWidth = header.ImageWidth;
        header.OutputHeight = header.ImageHeight;
    } else {
        Run(s, CalcOutputStep);
        header.OutputWidth = s.Info.output_width;
        header.OutputHeight = s.Info.output_height;
    }
    return header;
}

TJpegDecoder::TJpegDecoder(std::span<const uint8_t> bytes, TProgress progress)
    : Session(std::make_unique<TSession>()) {
    Session->OnProgress = std::move(progress);
    try {
        InitSession(*Session, bytes);
    } catch (...) {
        DestroySession(*Session);
        throw;
    }
}

TJpegDecoder::~TJpegDecoder() {
    DestroySession(*Session);
}

void TJpegDecoder::Setup(const TJPEGSettings& settings) {
    TSession& s = *Session;
    if (s.OnProgress) {
        s.ProgressMgr.progress_monitor = ProgressMonitor;
        s.Info.progress = &s.ProgressMgr;
    }
    Run(s, ReadHeaderStep);
    ApplySettings(s.Info, settings);
    // Refused before decompressing starts: a two-pass quantization or a progressive file
    // would otherwise read the whole image first.
    Run(s, CalcOutputStep);
    CheckDecodedSize(s.Info.output_width, s.Info.output_height, BitCount());
}

void TJpegDecoder::Start() {
    TSession& s = *Session;
    if (s.OnProgress) {
        s.ProgressStarted = true;
        s.LastPercent = 0;
        s.LastReport = std::chrono::steady_clock::now();
        s.OnProgress(TProgressStage::psStarting, 0);
    }
    Run(s, StartStep);
}

unsigned TJpegDecoder::OutputWidth() const {
    return Session->Info.output_width;
}

unsigned TJpegDecoder::OutputHeight() const {
    return Session->Info.output_height;
}

int TJpegDecoder::BitCount() const {
    return Quantizes(Session->Info) ? 8 : 24;
}

std::vector<QRgb> TJpegDecoder::ColorTable() const {
    const jpeg_decompress_struct& info = Session->Info;
    std::vector<QRgb> table;
    if (!Quantizes(info) || !info.colormap ||
        (info.out_color_components != 1 && info.out_color_components != 3))
        return table;
    const int count = std::clamp(info.actual_number_of_colors, 0, 256);
    table.reserve(count);
    for (int i = 0; i < count; ++i) {
        if (info.out_color_components == 1) {
            const int grey = info.colormap[0][i];
            table.push_back(qRgb(grey, grey, grey));
        } else {
            table.push_back(qRgb(info.colormap[0][i], info.colormap[1][i], info.colormap[2][i]));
        }
    }
    return table;
}

void TJpegDecoder::ReadRows(uint8_t* bits, size_t stride) {
    TSession& s = *Session;
    s.Bits = bits;
    s.Stride = stride;
    s.FirstRow = 0;
    s.RowEnd = s.Info.output_height;
    Run(s, ReadRowsStep);
}

unsigned TJpegDecoder::ReadNextRows(uint8_t* bits, size_t stride, unsigned count) {
    TSession& s = *Session;
    const unsigned first = s.Info.output_scanline;
    s.Bits = bits;
    s.Stride = stride;
    s.FirstRow = first;
    s.RowEnd = first + std::min(count, s.Info.output_height - first);
    Run(s, ReadRowsStep);
    return s.Info.output_scanline - first;
}

void TJpegDecoder::Finish() {
    Run(*Session, FinishStep);
}
