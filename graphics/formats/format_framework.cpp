#include "graphics/formats/format_framework.h"

#include "system/buffered_stream.h"
#include "system/file_io.h"

#include <atomic>
#include <cstring>
#include <new>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

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

namespace {

[[noreturn]] void ThrowOpenFailed()
{
    throw EGraphicsException("Fehler beim Öffnen der Datei");
}

[[noreturn]] void ThrowCreateFailed()
{
    throw EGraphicsException("Fehler beim Erzeugen der Datei");
}

[[noreturn]] void ThrowWriteFailed()
{
    throw EGraphicsException("Fehler beim Schreiben");
}

// Calls the format's thrower, or the default one when there is none (or
// when it returned after all).
[[noreturn]] void Raise(FormatErrorThrower thrower, FormatErrorThrower fallback)
{
    if (thrower)
        thrower();
    fallback();
    throw EGraphicsException("Unknown error");  // not reached: the defaults throw
}

unsigned long ProcessId()
{
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

// ".~<process>-<serial>.tmp": unique among the saves of all threads and
// processes, and beside the target so that the rename stays on its volume.
template <class Char>
std::basic_string<Char> TemporaryPath(const Char* target)
{
    static std::atomic<unsigned long> serial{0};
    const std::string suffix =
        ".~" + std::to_string(ProcessId()) + "-" + std::to_string(serial.fetch_add(1) + 1) + ".tmp";
    std::basic_string<Char> path(target);
    path.append(suffix.begin(), suffix.end());
    return path;
}

bool OpenPath(CBufferedStream& stream, const char* path, int mode)
{
    return stream.OpenA(path, mode, nullptr);
}
bool OpenPath(CBufferedStream& stream, const WCHAR* path, int mode)
{
    return stream.OpenW(path, mode, nullptr);
}
bool RemovePath(const char* path)
{
    return RemoveFileA(path);
}
bool RemovePath(const WCHAR* path)
{
    return RemoveFileW(path);
}
bool RenamePath(const char* from, const char* to)
{
    return RenameReplacingA(from, to);
}
bool RenamePath(const WCHAR* from, const WCHAR* to)
{
    return RenameReplacingW(from, to);
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
    if (!path || !*path)
        Raise(createFailed, ThrowCreateFailed);
    const std::basic_string<Char> temporary = TemporaryPath(path);
    bool written = false;
    {
        CBufferedStream stream(kFormatStreamBufferSize);
        if (!OpenPath(stream, temporary.c_str(), CBufferedStream::kModeCreate))
            Raise(createFailed, ThrowCreateFailed);
        try {
            write(stream);
        } catch (...) {
            stream.Close();
            RemovePath(temporary.c_str());
            throw;
        }
        written = stream.Close();
    }
    if (!written) {
        RemovePath(temporary.c_str());
        Raise(writeFailed, ThrowWriteFailed);
    }
    if (!RenamePath(temporary.c_str(), path)) {
        RemovePath(temporary.c_str());
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
