#include "graphics/formats/png_binding.h"

#include "system/buffered_stream.h"

#include <csetjmp>
#include <cstring>

namespace {

constexpr const char kReadError[] = "Fehler beim Lesen";
constexpr const char kWriteError[] = "Fehler beim Schreiben";

PngSession& SessionOf(png_structp png)
{
    return *static_cast<PngSession*>(png_get_error_ptr(png));
}

void CopyMessage(PngSession& session, const char* message)
{
    size_t n = 0;
    if (message)
        for (; n + 1 < sizeof session.message && message[n]; ++n)
            session.message[n] = message[n];
    session.message[n] = '\0';
}

// Also reached while libpng creates its structure; it then jumps to libpng's
// own buffer and the create function answers null.
[[noreturn]] void OnError(png_structp png, png_const_charp message)
{
    CopyMessage(SessionOf(png), message);
    png_longjmp(png, 1);
}

// Warnings (benign errors, ancillary chunk problems) never stop a load, and
// this library writes nothing to the console.
void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep data, size_t length)
{
    PngSession& session = SessionOf(png);
    // libpng asks for chunk-sized pieces far below the stream's 32-bit range;
    // anything larger cannot be satisfied from it.
    if (length > size_t(CBufferedStream::kMaxStreamLength) ||
        session.stream->Read(data, int32_t(length)) != int32_t(length))
        png_error(png, kReadError);
}

void OnWrite(png_structp png, png_bytep data, size_t length)
{
    PngSession& session = SessionOf(png);
    if (length > size_t(CBufferedStream::kMaxStreamLength) ||
        session.stream->Write(data, int32_t(length)) != int32_t(length))
        png_error(png, kWriteError);
}

// A null flush function would make libpng call fflush on our session. The
// stream is written out when it is closed, which reports any failure.
void OnFlush(png_structp) {}

}  // namespace

PngReadSession::PngReadSession(CBufferedStream& source)
{
    stream = &source;
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, static_cast<PngSession*>(this), OnError, OnWarning);
    if (!png)
        throw EGraphicsException("Interner Fehler");
    info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw EGraphicsException("Zu wenig Speicher");
    }
    png_set_read_fn(png, static_cast<PngSession*>(this), OnRead);
}

PngReadSession::~PngReadSession()
{
    png_destroy_read_struct(&png, &info, nullptr);
}

PngWriteSession::PngWriteSession(CBufferedStream& target)
{
    stream = &target;
    png = png_create_write_struct(PNG_LIBPNG_VER_STRING, static_cast<PngSession*>(this), OnError, OnWarning);
    if (!png)
        throw EGraphicsException("Interner Fehler");
    info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw EGraphicsException("Interner Fehler");
    }
    png_set_write_fn(png, static_cast<PngSession*>(this), OnWrite, OnFlush);
}

PngWriteSession::~PngWriteSession()
{
    png_destroy_write_struct(&png, &info);
}

bool PngGuardedCall(PngSession& session, void (*step)(PngSession&, void*), void* arg)
{
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    step(session, arg);
    return true;
}

void PngCallOrThrow(PngSession& session, void (*step)(PngSession&, void*), void* arg)
{
    if (!PngGuardedCall(session, step, arg))
        throw EGraphicsException(session.message);
}
