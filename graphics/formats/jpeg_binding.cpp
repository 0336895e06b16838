#include "graphics/formats/jpeg_binding.h"

#include "system/buffered_stream.h"

#include <cstring>


namespace {

constexpr JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

// ---------------------------------------------------------------- errors --

JpegErrorManager& ManagerOf(j_common_ptr cinfo)
{
    return *reinterpret_cast<JpegErrorManager*>(cinfo->err);
}

[[noreturn]] void Fail(j_common_ptr cinfo)
{
    JpegErrorManager& err = ManagerOf(cinfo);
    FormatJpegMessage(err.message, err.pub.msg_code);
    std::longjmp(err.jump, 1);
}

void OnErrorExit(j_common_ptr cinfo)
{
    Fail(cinfo);
}

bool IsDataWarning(int code)
{
    for (const int w : kJpegDataWarnings)
        if (w == code)
            return true;
    return false;
}

// Level -1 is a warning, higher levels are traces. Nothing goes to the
// console. Missing or corrupt entropy data is a failure: libjpeg would go on
// and hand back grey rows as if the image were whole.
void OnEmitMessage(j_common_ptr cinfo, int level)
{
    if (level == -1) {
        cinfo->err->num_warnings++;
        if (IsDataWarning(cinfo->err->msg_code))
            Fail(cinfo);
    }
}

// libjpeg calls the progress monitor before each step of its input, each new
// scan included.
void OnProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kJpegMaxScans) {
        cinfo->err->msg_code = kJpegErrorTooManyScans;
        Fail(cinfo);
    }
}

void OnOutputMessage(j_common_ptr) {}

// ---------------------------------------------------------------- source --

struct StreamSource {
    jpeg_source_mgr pub;
    CBufferedStream* stream;
    JOCTET* buffer;
    boolean startOfFile;
};

StreamSource& SourceOf(j_decompress_ptr cinfo)
{
    return *reinterpret_cast<StreamSource*>(cinfo->src);
}

void InitSource(j_decompress_ptr cinfo)
{
    SourceOf(cinfo).startOfFile = TRUE;
}

boolean FillInputBuffer(j_decompress_ptr cinfo)
{
    StreamSource& src = SourceOf(cinfo);
    int32_t n = src.stream->Read(src.buffer, int32_t(kJpegBlockSize));
    if (n <= 0) {  // a failed read counts as no data
        if (src.startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);  // ends the call (OnEmitMessage)
        src.buffer[0] = kFakeEoi[0];
        src.buffer[1] = kFakeEoi[1];
        n = 2;
    }
    src.pub.next_input_byte = src.buffer;
    src.pub.bytes_in_buffer = size_t(n);
    src.startOfFile = FALSE;
    return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    StreamSource& src = SourceOf(cinfo);
    while (count > long(src.pub.bytes_in_buffer)) {
        count -= long(src.pub.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    src.pub.next_input_byte += size_t(count);
    src.pub.bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

// ----------------------------------------------------------- destination --

struct StreamDestination {
    jpeg_destination_mgr pub;
    CBufferedStream* stream;
    JOCTET* buffer;
};

StreamDestination& DestinationOf(j_compress_ptr cinfo)
{
    return *reinterpret_cast<StreamDestination*>(cinfo->dest);
}

void InitDestination(j_compress_ptr cinfo)
{
    StreamDestination& dest = DestinationOf(cinfo);
    dest.buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kJpegBlockSize));
    dest.pub.next_output_byte = dest.buffer;
    dest.pub.free_in_buffer = kJpegBlockSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    StreamDestination& dest = DestinationOf(cinfo);
    if (dest.stream->Write(dest.buffer, int32_t(kJpegBlockSize)) != int32_t(kJpegBlockSize))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    dest.pub.next_output_byte = dest.buffer;
    dest.pub.free_in_buffer = kJpegBlockSize;
    return TRUE;
}

// The stream is flushed when it is closed, not here.
void TermDestination(j_compress_ptr cinfo)
{
    StreamDestination& dest = DestinationOf(cinfo);
    const int32_t n = int32_t(kJpegBlockSize - dest.pub.free_in_buffer);
    if (n > 0 && dest.stream->Write(dest.buffer, n) != n)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

}  // namespace

void FormatJpegMessage(char* text, int code)
{
    std::snprintf(text, EGraphicsException::kTextSize, "Fehler %i beim Laden der Jpeg Datei", code);
}

void ThrowJpegError(int code)
{
    char text[EGraphicsException::kTextSize];
    FormatJpegMessage(text, code);
    throw EJpegError(text);
}

jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager& err)
{
    jpeg_error_mgr* pub = jpeg_std_error(&err.pub);
    pub->error_exit = OnErrorExit;
    pub->emit_message = OnEmitMessage;
    pub->output_message = OnOutputMessage;
    err.message[0] = '\0';
    err.progress = {};
    return pub;
}

JpegDecompressSession::JpegDecompressSession()
{
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = InitJpegErrorManager(err);
}

JpegDecompressSession::~JpegDecompressSession()
{
    if (created)
        jpeg_destroy_decompress(&cinfo);
}

JpegCompressSession::JpegCompressSession()
{
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = InitJpegErrorManager(err);
}

JpegCompressSession::~JpegCompressSession()
{
    if (created)
        jpeg_destroy_compress(&cinfo);
}

namespace {

struct CreateArgs {
    bool* created;
    j_common_ptr cinfo;
    CBufferedStream* stream;
    bool decompress;
};

void CreateStep(void* arg)
{
    CreateArgs& a = *static_cast<CreateArgs*>(arg);
    if (a.decompress) {
        j_decompress_ptr cinfo = reinterpret_cast<j_decompress_ptr>(a.cinfo);
        jpeg_create_decompress(cinfo);
        *a.created = true;
        cinfo->mem->max_memory_to_use = kJpegMaxMemory;
        JpegErrorManager& err = ManagerOf(a.cinfo);
        err.progress.progress_monitor = OnProgress;
        cinfo->progress = &err.progress;
        StreamSource* src = static_cast<StreamSource*>(
            (*cinfo->mem->alloc_small)(a.cinfo, JPOOL_PERMANENT, sizeof(StreamSource)));
        src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(a.cinfo, JPOOL_PERMANENT, kJpegBlockSize));
        src->stream = a.stream;
        src->startOfFile = TRUE;
        src->pub.init_source = InitSource;
        src->pub.fill_input_buffer = FillInputBuffer;
        src->pub.skip_input_data = SkipInputData;
        src->pub.resync_to_restart = jpeg_resync_to_restart;
        src->pub.term_source = TermSource;
        src->pub.bytes_in_buffer = 0;
        src->pub.next_input_byte = nullptr;
        cinfo->src = &src->pub;
    } else {
        j_compress_ptr cinfo = reinterpret_cast<j_compress_ptr>(a.cinfo);
        jpeg_create_compress(cinfo);
        *a.created = true;
        cinfo->mem->max_memory_to_use = kJpegMaxMemory;
        StreamDestination* dest = static_cast<StreamDestination*>(
            (*cinfo->mem->alloc_small)(a.cinfo, JPOOL_PERMANENT, sizeof(StreamDestination)));
        dest->stream = a.stream;
        dest->buffer = nullptr;
        dest->pub.init_destination = InitDestination;
        dest->pub.empty_output_buffer = EmptyOutputBuffer;
        dest->pub.term_destination = TermDestination;
        cinfo->dest = &dest->pub;
    }
}

}  // namespace

void JpegCreateDecompressStep(JpegDecompressSession& session, CBufferedStream& stream)
{
    session.stream = &stream;
    CreateArgs args{&session.created, reinterpret_cast<j_common_ptr>(&session.cinfo), &stream, true};
    JpegCallOrThrow(session.err, CreateStep, &args);
}

void JpegCreateCompressStep(JpegCompressSession& session, CBufferedStream& stream)
{
    session.stream = &stream;
    CreateArgs args{&session.created, reinterpret_cast<j_common_ptr>(&session.cinfo), &stream, false};
    JpegCallOrThrow(session.err, CreateStep, &args);
}

bool JpegGuardedCall(JpegErrorManager& err, void (*step)(void*), void* arg)
{
    if (setjmp(err.jump))
        return false;
    step(arg);
    return true;
}

void JpegCallOrThrow(JpegErrorManager& err, void (*step)(void*), void* arg)
{
    if (!JpegGuardedCall(err, step, arg))
        throw EJpegError(err.message);
}
