// The binding between libpng and the buffered stream: handles that destroy
// themselves, stream callbacks, and the guarded call that turns libpng's
// errors into a message we throw from our own frames.
//
// libpng reports errors by calling our error function, which must not return:
// it copies the message and longjmps back into PngGuardedCall. No C++ object
// with a destructor may live in a frame that longjmp skips, so the guarded
// steps are plain functions working on a PngSession.
#pragma once

#include "graphics/formats/graphics_exceptions.h"

#include <png.h>

class CBufferedStream;

// One libpng read or write: its structures, the stream they are bound to and
// the message of the last error.
struct PngSession {
    png_structp png = nullptr;
    png_infop info = nullptr;
    CBufferedStream* stream = nullptr;
    char message[EGraphicsException::kTextSize] = {};
};

// Read session: the destructor releases whatever libpng structures exist.
class PngReadSession : public PngSession {
public:
    // Creates the read structure (with our error and silent warning
    // functions) and the info structure. Throws EGraphicsException
    // "Interner Fehler" or "Zu wenig Speicher" (code 0) when either fails.
    explicit PngReadSession(CBufferedStream& stream);
    ~PngReadSession();
    PngReadSession(const PngReadSession&) = delete;
    PngReadSession& operator=(const PngReadSession&) = delete;
};

// Write session: the same for writing; both creation failures throw
// "Interner Fehler".
class PngWriteSession : public PngSession {
public:
    explicit PngWriteSession(CBufferedStream& stream);
    ~PngWriteSession();
    PngWriteSession(const PngWriteSession&) = delete;
    PngWriteSession& operator=(const PngWriteSession&) = delete;
};

// Runs step(session, arg) with libpng's error return armed. Returns false
// when libpng reported an error (its message is in session.message). The step
// must keep no objects with destructors in its frames while it calls libpng;
// C++ exceptions thrown between libpng calls pass through unchanged.
bool PngGuardedCall(PngSession& session, void (*step)(PngSession&, void*), void* arg);

// As PngGuardedCall, throwing EGraphicsException with libpng's message (code 0)
// on an error.
void PngCallOrThrow(PngSession& session, void (*step)(PngSession&, void*), void* arg);
