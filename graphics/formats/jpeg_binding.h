// The binding between libjpeg (6b API) and the buffered stream: an error
// manager that ends a fatal error (and the premature-end warning) with a
// longjmp, source and destination managers in 4096-byte blocks over the
// stream, and RAII owners of the codec objects.
//
// As with libpng, no C++ object with a destructor may live in a frame that
// the longjmp skips: guarded steps are plain functions on the session.
#pragma once

#include "graphics/formats/graphics_exceptions.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#ifdef _WIN32
// The library takes boolean parameters by value: the SDK's rpcndr.h and the
// library's jconfig.h must both say unsigned char.
static_assert(sizeof(boolean) == 1);
#endif

class CBufferedStream;

// Block size of the source and destination managers.
constexpr size_t kJpegBlockSize = 4096;
// Ceiling of libjpeg's own working memory (coefficient buffers of
// progressive files and the like); more is refused with its out-of-memory
// error instead of being tried.
constexpr long kJpegMaxMemory = 512L * 1024 * 1024;

// libjpeg's message codes that this binding names.
constexpr int kJpegErrorFileWrite = JERR_FILE_WRITE;          // 37
constexpr int kJpegErrorInputEmpty = JERR_INPUT_EMPTY;        // 42
constexpr int kJpegErrorTooLittleData = JERR_TOO_LITTLE_DATA; // 67
constexpr int kJpegWarningEof = JWRN_JPEG_EOF;                // 120
// A file with more scans than kJpegMaxScans ends with this code.
constexpr int kJpegErrorTooManyScans = JERR_BAD_SCAN_SCRIPT;

// Real encoders write a few dozen scans at most; every scan of a progressive
// file walks all its blocks again, so a few kilobytes of empty scans would
// otherwise cost minutes.
constexpr int kJpegMaxScans = 500;

// Warnings that mean entropy data is missing or corrupt. libjpeg goes on with
// made-up data (grey rows, a fake end marker); a load that met one fails with
// its code instead of passing the damage off as the image.
constexpr int kJpegDataWarnings[] = {
    JWRN_JPEG_EOF,        // the data ends early
    JWRN_HIT_MARKER,      // a marker where entropy data was due (a cut segment)
    JWRN_HUFF_BAD_CODE,   // a Huffman code no table holds
    JWRN_ARITH_BAD_CODE,  // the same for arithmetic coding
    JWRN_MUST_RESYNC,     // a restart marker out of sequence: rows are lost
};

// "Fehler <code> beim Laden der Jpeg Datei" into text (kTextSize bytes).
void FormatJpegMessage(char* text, int code);
// Throws EJpegError with that text.
[[noreturn]] void ThrowJpegError(int code);

// The error manager: libjpeg's standard one with our exits, the jump target
// and the message of the error that ended the call.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[EGraphicsException::kTextSize];
    jpeg_progress_mgr progress;  // counts the scans of a decompressor
};

// Sets up `err` as libjpeg's standard error manager with our functions and
// returns its public part for a codec object's `err` field.
jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager& err);

// A decompressor bound to a stream. The destructor destroys it.
struct JpegDecompressSession {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    CBufferedStream* stream = nullptr;
    bool created = false;

    JpegDecompressSession();
    ~JpegDecompressSession();
    JpegDecompressSession(const JpegDecompressSession&) = delete;
    JpegDecompressSession& operator=(const JpegDecompressSession&) = delete;
};

// A compressor bound to a stream. The destructor destroys it.
struct JpegCompressSession {
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    CBufferedStream* stream = nullptr;
    bool created = false;

    JpegCompressSession();
    ~JpegCompressSession();
    JpegCompressSession(const JpegCompressSession&) = delete;
    JpegCompressSession& operator=(const JpegCompressSession&) = delete;
};

// Creates the decompressor (a guarded step) and binds its source manager to
// the stream.
void JpegCreateDecompressStep(JpegDecompressSession& session, CBufferedStream& stream);
// Creates the compressor and binds its destination manager to the stream.
void JpegCreateCompressStep(JpegCompressSession& session, CBufferedStream& stream);

// Runs step(arg) with the session's error return armed. Returns false when
// libjpeg ended it with an error (the text is in err.message). C++ exceptions
// thrown between libjpeg calls pass through unchanged.
bool JpegGuardedCall(JpegErrorManager& err, void (*step)(void*), void* arg);
// As JpegGuardedCall, throwing EJpegError with the message on an error.
void JpegCallOrThrow(JpegErrorManager& err, void (*step)(void*), void* arg);
