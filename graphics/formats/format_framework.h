// The common frame of the image format classes: the CFormatInfo block
// (progress callback, its user value, comment), the abstract reader and
// writer with their virtual operations, load and save by path, and the
// progress report with its cancel. Every format's reader derives from
// CFormatReader and its writer from CFormatWriter, naming its errors once:
//
//     struct XyzWriterErrors : GraphicsFileErrors {
//         [[noreturn]] static void CreateFailed() { throw EXyzFileOpenError(); }
//         [[noreturn]] static void EmptyImage() { throw EXyzDataError(); }
//     };
//     class CXyzWriter : public CFormatWriter<XyzWriterErrors> { ... };
#pragma once

#include "graphics/formats/graphics_exceptions.h"
#include "graphics/graphics_types.h"
#include "platform/win32/win.h"

#include <cstdint>

class CBufferedStream;
class CGraphicsImage;

// Buffer size of the stream that load and save by path open.
constexpr int32_t kFormatStreamBufferSize = 32768;

// Progress callback, user value and comment of one format object. All fields
// are public; the comment is set only through SetCommentA / SetCommentW.
class CFormatInfo {
public:
    CFormatInfo() = default;
    // A copy holds its own copy of the comment (see CopyFrom).
    CFormatInfo(const CFormatInfo& other);
    CFormatInfo& operator=(const CFormatInfo& other);
    ~CFormatInfo();

    // Releases the comment and clears all four fields.
    void Reset();
    // Replaces the comment by a heap copy of `text` (null: no comment).
    // Returns the stored copy, null for a null text or when memory ran out
    // (then there is no comment).
    char* SetCommentA(const char* text);
    // As SetCommentA after narrowing each UTF-16 unit to a byte: units above
    // 255 become 255, the others their value.
    char* SetCommentW(const WCHAR* text);
    // Takes proc, user and a fresh copy of the other's comment (none when it
    // has none), releasing this block's old comment.
    void CopyFrom(const CFormatInfo& other);

    GraphicsProgressProc proc = nullptr;
    uintptr_t user = 0;
    char* comment = nullptr;       // NUL-terminated, owned; null when none
    uint32_t commentLength = 0;    // bytes of `comment` with its NUL; 0 when none
};

// Reports `percent` through info.proc when one is set, passing (&info,
// info.user, 1, 1, percent, cancel flag cleared before the call); throws
// EGraphicsAbort when the callback set the flag.
void ReportFormatProgress(CFormatInfo& info, int percent);

// Throws a format's error; it must not return.
typedef void (*FormatErrorThrower)();

// What load and save by path throw when a path cannot be opened, created or
// written, unless a format names its own: a format's list derives from this
// one and hides the functions whose errors differ. A writer's list also names
// EmptyImage, thrown for an image without pixels.
struct GraphicsFileErrors {
    [[noreturn]] static void OpenFailed();    // EGraphicsException "Fehler beim Öffnen der Datei"
    [[noreturn]] static void CreateFailed();  // EGraphicsException "Fehler beim Erzeugen der Datei"
    [[noreturn]] static void WriteFailed();   // EGraphicsException "Fehler beim Schreiben"
};

// True when the image has pixels and a width and height above 0 (what the
// image operations call a picture).
bool HasPixels(const CGraphicsImage& image);

// A reader of one image format. The derived constructor sets up m_info.
class CGraphicsReader {
public:
    // Virtual slots in this order: destructor, Read, LoadW, LoadA. Readers
    // with more operations declare them after these.
    virtual ~CGraphicsReader() = default;
    // Reads one image from the stream's position into `image`, re-creating it.
    virtual void Read(CBufferedStream& stream, CGraphicsImage& image) = 0;
    // Load by path through a kFormatStreamBufferSize stream. These defaults
    // throw GraphicsFileErrors::OpenFailed when the path cannot be opened;
    // CFormatReader gives a format's own.
    virtual void LoadW(const WCHAR* path, CGraphicsImage& image);
    virtual void LoadA(const char* path, CGraphicsImage& image);

    CFormatInfo m_info;

protected:
    // Opens the path for reading (openFailed() throws when that fails, before
    // Read runs), calls Read and closes the stream, also when Read throws.
    void LoadPathW(const WCHAR* path, CGraphicsImage& image, FormatErrorThrower openFailed);
    void LoadPathA(const char* path, CGraphicsImage& image, FormatErrorThrower openFailed);
    void Progress(int percent) { ReportFormatProgress(m_info, percent); }
};

// A writer of one image format. The derived constructor sets up m_info.
class CGraphicsWriter {
public:
    // Virtual slots in this order: destructor, Write, SaveW, SaveA. Writers
    // with more operations declare them after these.
    virtual ~CGraphicsWriter() = default;
    // Writes `image` at the stream's position.
    virtual void Write(CBufferedStream& stream, CGraphicsImage& image) = 0;
    // Save by path. These defaults throw GraphicsFileErrors::CreateFailed
    // when the file cannot be created or put in place and WriteFailed when
    // its data cannot be written out; CFormatWriter gives a format's own.
    virtual void SaveW(const WCHAR* path, CGraphicsImage& image);
    virtual void SaveA(const char* path, CGraphicsImage& image);

    CFormatInfo m_info;

protected:
    // Writes through a kFormatStreamBufferSize stream into a new file beside
    // the target and puts it in the target's place only when Write returned
    // and everything reached the disk (CSafeSave: links, permissions and
    // owner kept; the target written in place where no file can be added).
    // On any failure the new file is removed and an existing target is left
    // as it was: Write's exception passes on unchanged; createFailed() throws
    // when the target may not be written (before anything is), when the file
    // cannot be created or cannot replace the target, writeFailed() when the
    // final flush fails.
    void SavePathW(const WCHAR* path, CGraphicsImage& image, FormatErrorThrower createFailed,
                   FormatErrorThrower writeFailed);
    void SavePathA(const char* path, CGraphicsImage& image, FormatErrorThrower createFailed,
                   FormatErrorThrower writeFailed);
    // The same save with `write` (given the stream and `context`) in place of
    // Write, for writers that put more than one image into a file.
    typedef void (*StreamWriteFn)(CGraphicsWriter& writer, CBufferedStream& stream, void* context);
    void SavePathWithW(const WCHAR* path, StreamWriteFn write, void* context, FormatErrorThrower createFailed,
                       FormatErrorThrower writeFailed);
    void SavePathWithA(const char* path, StreamWriteFn write, void* context, FormatErrorThrower createFailed,
                       FormatErrorThrower writeFailed);
    void Progress(int percent) { ReportFormatProgress(m_info, percent); }
};

// The base of every reader: load by path throws Errors::OpenFailed when the
// path cannot be opened.
template <class Errors>
class CFormatReader : public CGraphicsReader {
public:
    void LoadW(const WCHAR* path, CGraphicsImage& image) override { LoadPathW(path, image, Errors::OpenFailed); }
    void LoadA(const char* path, CGraphicsImage& image) override { LoadPathA(path, image, Errors::OpenFailed); }
};

// The base of every writer: save by path throws Errors::CreateFailed and
// Errors::WriteFailed, and RequireImage refuses an image without pixels with
// Errors::EmptyImage. Each writer calls RequireImage at the step where its
// format checks the image (the PNG writer after its first progress report,
// the TLS writer for every image of a sequence).
template <class Errors>
class CFormatWriter : public CGraphicsWriter {
public:
    void SaveW(const WCHAR* path, CGraphicsImage& image) override
    {
        SavePathW(path, image, Errors::CreateFailed, Errors::WriteFailed);
    }
    void SaveA(const char* path, CGraphicsImage& image) override
    {
        SavePathA(path, image, Errors::CreateFailed, Errors::WriteFailed);
    }

protected:
    static void RequireImage(const CGraphicsImage& image)
    {
        if (!HasPixels(image))
            Errors::EmptyImage();
    }
};
