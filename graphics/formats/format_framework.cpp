#include "graphics/formats/format_framework.h"

#include "graphics/image.h"
#include "graphics/image_convert_support.h"
#include "system/buffered_stream.h"
#include "system/safe_save.h"

#include <cstring>
#include <new>
#include <string>

// ------------------------------------------------------------ CFormatInfo --

CFormatInfo::CFormatInfo(const CFormatInfo& other)
{
    CopyFrom(other);
}

CFormatInfo& CFormatInfo::operator=(const CFormatInfo& other)
{
    CopyFrom(other);
    return *this;
}

CFormatInfo::~CFormatInfo()
{
    SetCommentA(nullptr);
}

void CFormatInfo::Reset()
{
    SetCommentA(nullptr);
    proc = nullptr;
    user = 0;
}

char* CFormatInfo::SetCommentA(const char* text)
{
    delete[] comment;
    comment = nullptr;
    commentLength = 0;
    if (!text)
        return nullptr;
    const size_t length = std::strlen(text) + 1;
    char* copy = new (std::nothrow) char[length];
    if (!copy)
        return nullptr;
    std::memcpy(copy, text, length);
    comment = copy;
    commentLength = uint32_t(length);
    return comment;
}

char* CFormatInfo::SetCommentW(const WCHAR* text)
{
    if (!text)
        return SetCommentA(nullptr);
    size_t length = 0;
    while (text[length])
        ++length;
    std::string narrow(length, '\0');
    for (size_t i = 0; i < length; ++i)
        narrow[i] = char(text[i] > 0xFF ? 0xFF : text[i]);
    return SetCommentA(narrow.c_str());
}

void CFormatInfo::CopyFrom(const CFormatInfo& other)
{
    if (&other == this)
        return;
    SetCommentA(nullptr);
    proc = other.proc;
    user = other.user;
    if (!other.comment || other.commentLength == 0)
        return;
    // commentLength counts the NUL; the copy is terminated whatever the
    // other block holds.
    char* copy = new (std::nothrow) char[size_t(other.commentLength) + 1];
    if (!copy)
        return;
    std::memcpy(copy, other.comment, other.commentLength);
    copy[other.commentLength] = '\0';
    comment = copy;
    commentLength = other.commentLength;
}

void ReportFormatProgress(CFormatInfo& info, int percent)
{
    if (!info.proc)
        return;
    unsigned char cancel = 0;
    info.proc(&info, info.user, 1, 1, percent, &cancel);
    if (cancel)
        throw EGraphicsAbort();
}

// ----------------------------------------------------------- load and save --

void GraphicsFileErrors::OpenFailed()
{
    throw EGraphicsException("Fehler beim Öffnen der Datei");
}

void GraphicsFileErrors::CreateFailed()
{
    throw EGraphicsException("Fehler beim Erzeugen der Datei");
}

void GraphicsFileErrors::WriteFailed()
{
    throw EGraphicsException("Fehler beim Schreiben");
}

bool HasPixels(const CGraphicsImage& image)
{
    return graphics_detail::HasPicture(image);
}

namespace {

constexpr FormatErrorThrower ThrowOpenFailed = GraphicsFileErrors::OpenFailed;
constexpr FormatErrorThrower ThrowCreateFailed = GraphicsFileErrors::CreateFailed;
constexpr FormatErrorThrower ThrowWriteFailed = GraphicsFileErrors::WriteFailed;

// Calls the format's thrower, or the default one when there is none (or
// when it returned after all).
[[noreturn]] void Raise(FormatErrorThrower thrower, FormatErrorThrower fallback)
{
    if (thrower)
        thrower();
    fallback();
    throw EGraphicsException("Unknown error");  // not reached: the defaults throw
}

bool OpenPath(CBufferedStream& stream, const char* path, int mode)
{
    return stream.OpenA(path, mode, nullptr);
}
bool OpenPath(CBufferedStream& stream, const WCHAR* path, int mode)
{
    return stream.OpenW(path, mode, nullptr);
}
bool OpenSave(CSafeSave& save, const char* path, CBufferedStream& stream)
{
    return save.OpenA(path, stream);
}
bool OpenSave(CSafeSave& save, const WCHAR* path, CBufferedStream& stream)
{
    return save.OpenW(path, stream);
}

template <class Char, class ReadFn>
void LoadPath(const Char* path, FormatErrorThrower openFailed, ReadFn read)
{
    CBufferedStream stream(kFormatStreamBufferSize);
    if (!path || !OpenPath(stream, path, CBufferedStream::kModeRead))
        Raise(openFailed, ThrowOpenFailed);
    read(stream);  // the stream's destructor closes it, also on a throw
    stream.Close();
}

template <class Char, class WriteFn>
void SavePath(const Char* path, FormatErrorThrower createFailed, FormatErrorThrower writeFailed, WriteFn write)
{
    CBufferedStream stream(kFormatStreamBufferSize);
    CSafeSave save;
    if (!path || !OpenSave(save, path, stream))
        Raise(createFailed, ThrowCreateFailed);
    try {
        write(stream);
    } catch (...) {
        save.Abandon(stream);
        throw;
    }
    switch (save.Commit(stream)) {
    case CSafeSave::Result::Ok:
        return;
    case CSafeSave::Result::WriteFailed:
        Raise(writeFailed, ThrowWriteFailed);
    case CSafeSave::Result::ReplaceFailed:
        Raise(createFailed, ThrowCreateFailed);
    }
}

}  // namespace

void CGraphicsReader::LoadW(const WCHAR* path, CGraphicsImage& image)
{
    LoadPathW(path, image, ThrowOpenFailed);
}

void CGraphicsReader::LoadA(const char* path, CGraphicsImage& image)
{
    LoadPathA(path, image, ThrowOpenFailed);
}

void CGraphicsReader::LoadPathW(const WCHAR* path, CGraphicsImage& image, FormatErrorThrower openFailed)
{
    LoadPath(path, openFailed, [&](CBufferedStream& stream) { Read(stream, image); });
}

void CGraphicsReader::LoadPathA(const char* path, CGraphicsImage& image, FormatErrorThrower openFailed)
{
    LoadPath(path, openFailed, [&](CBufferedStream& stream) { Read(stream, image); });
}

void CGraphicsWriter::SaveW(const WCHAR* path, CGraphicsImage& image)
{
    SavePathW(path, image, ThrowCreateFailed, ThrowWriteFailed);
}

void CGraphicsWriter::SaveA(const char* path, CGraphicsImage& image)
{
    SavePathA(path, image, ThrowCreateFailed, ThrowWriteFailed);
}

void CGraphicsWriter::SavePathW(const WCHAR* path, CGraphicsImage& image, FormatErrorThrower createFailed,
                                FormatErrorThrower writeFailed)
{
    SavePath(path, createFailed, writeFailed, [&](CBufferedStream& stream) { Write(stream, image); });
}

void CGraphicsWriter::SavePathA(const char* path, CGraphicsImage& image, FormatErrorThrower createFailed,
                                FormatErrorThrower writeFailed)
{
    SavePath(path, createFailed, writeFailed, [&](CBufferedStream& stream) { Write(stream, image); });
}

void CGraphicsWriter::SavePathWithW(const WCHAR* path, StreamWriteFn write, void* context,
                                    FormatErrorThrower createFailed, FormatErrorThrower writeFailed)
{
    SavePath(path, createFailed, writeFailed, [&](CBufferedStream& stream) { write(*this, stream, context); });
}

void CGraphicsWriter::SavePathWithA(const char* path, StreamWriteFn write, void* context,
                                    FormatErrorThrower createFailed, FormatErrorThrower writeFailed)
{
    SavePath(path, createFailed, writeFailed, [&](CBufferedStream& stream) { write(*this, stream, context); });
}
