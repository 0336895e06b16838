#include "graphics/formats/format_dispatch.h"

#include "graphics/formats/format_classify.h"
#include "graphics/formats/format_framework.h"
#include "graphics/formats/format_registry.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr char kUnknownFormat[] = "Unbekanntes Datei Format.";
constexpr char kCannotOpen[] = "Kann Datei nicht öffnen.";
constexpr char kUnknownError[] = "Unbekannter Fehler";
constexpr int32_t kNoTransparentIndex = -1;

thread_local char t_loadError[kGraphicsMessageSize];
thread_local char t_saveError[kGraphicsMessageSize];
thread_local int32_t t_transparentIndex = kNoTransparentIndex;
std::atomic<int32_t> g_saveTransparency{kSaveTransparencyDefault};

void SetMessage(char* buffer, const char* text)
{
    size_t n = 0;
    for (; n + 1 < size_t(kGraphicsMessageSize) && text[n]; ++n)
        buffer[n] = text[n];
    buffer[n] = '\0';
}

// How a load function turns failures into results.
struct LoadCodes {
    int graphicsError;
    bool byExceptionCode;  // codes 4, 5, 6 give -4, -5, -6
    int otherError;
};
constexpr LoadCodes kFileCodes{kLoadGraphicsError, true, kLoadOtherError};
constexpr LoadCodes kMemoryCodes{kMemoryLoadGraphicsError, false, kMemoryLoadOtherError};

int GraphicsLoadResult(const EGraphicsException& e, const LoadCodes& codes)
{
    if (codes.byExceptionCode) {
        switch (e.code) {
        case kGraphicsCodePicSize: return kLoadTooLarge;
        case kGraphicsCodeWrongColor: return kLoadWrongColor;
        case kGraphicsCodeMemory: return kLoadNoMemory;
        default: break;
        }
    }
    return codes.graphicsError;
}

char* CopyComment(const CFormatInfo& info)
{
    if (!info.comment || !info.comment[0])
        return nullptr;
    const size_t length = std::strlen(info.comment) + 1;
    char* copy = new (std::nothrow) char[length];
    if (copy)
        std::memcpy(copy, info.comment, length);
    return copy;
}

// Reads the classified stream (positioned anywhere) into the image.
int ReadClassified(FormatId id, CBufferedStream& stream, CGraphicsImage& image, char** comment,
                   const LoadCodes& codes)
{
    const GraphicsFormat* format = FindGraphicsFormat(id);
    if (!format || !format->newReader) {
        SetMessage(t_loadError, kUnknownFormat);
        return kLoadUnknownFormat;
    }
    try {
        std::unique_ptr<CGraphicsReader> reader(format->newReader());
        stream.Seek(0, 0);
        reader->Read(stream, image);
        if (comment)
            *comment = CopyComment(reader->m_info);
        t_transparentIndex = format->transparentIndex ? format->transparentIndex(*reader) : kNoTransparentIndex;
        return kLoadOk;
    } catch (const EGraphicsException& e) {
        SetMessage(t_loadError, e.text);
        return GraphicsLoadResult(e, codes);
    } catch (...) {
        SetMessage(t_loadError, kUnknownError);
        return codes.otherError;
    }
}

// The extension: from the last '.' at index 1 or later to the end, or the
// whole path when there is none.
const char* ExtensionOf(const char* path)
{
    const size_t length = std::strlen(path);
    for (size_t i = length; i-- > 1;)
        if (path[i] == '.')
            return path + i;
    return path;
}

}  // namespace

int LoadGraphicsFile(const char* path, CGraphicsImage& image, char** comment)
{
    if (comment)
        *comment = nullptr;
    t_loadError[0] = '\0';
    try {
        CBufferedStream stream(kFormatStreamBufferSize);
        if (!path || !stream.OpenA(path, CBufferedStream::kModeRead, nullptr)) {
            SetMessage(t_loadError, kCannotOpen);
            return kLoadCannotOpen;
        }
        // A short file is classified on its bytes padded with zeros.
        uint8_t header[kGraphicsHeaderSize] = {};
        stream.Read(header, int32_t(kGraphicsHeaderSize));
        return ReadClassified(ClassifyGraphicsHeader(header, HeaderSource::File), stream, image, comment,
                              kFileCodes);
    } catch (...) {
        SetMessage(t_loadError, kUnknownError);
        return kLoadOtherError;
    }
}

int LoadGraphicsFromMemory(const void* data, uint32_t size, CGraphicsImage& image, char** comment)
{
    if (comment)
        *comment = nullptr;
    t_loadError[0] = '\0';
    if (!data || size == 0) {
        SetMessage(t_loadError, kUnknownFormat);
        return kMemoryLoadUnknownFormat;
    }
    // A stream holds at most kMaxStreamLength bytes; more reads as the end.
    const int32_t length = int32_t(std::min<uint32_t>(size, uint32_t(CBufferedStream::kMaxStreamLength)));
    uint8_t header[kGraphicsHeaderSize] = {};
    std::memcpy(header, data, std::min<size_t>(size_t(length), kGraphicsHeaderSize));
    try {
        CBufferedStream stream(kFormatStreamBufferSize);
        if (!stream.OpenMemory(data, length, CBufferedStream::kModeRead, nullptr)) {
            SetMessage(t_loadError, kUnknownError);
            return kMemoryLoadOtherError;
        }
        return ReadClassified(ClassifyGraphicsHeader(header, HeaderSource::Memory), stream, image, comment,
                              kMemoryCodes);
    } catch (...) {
        SetMessage(t_loadError, kUnknownError);
        return kMemoryLoadOtherError;
    }
}

int SaveGraphicsFile(const char* path, CGraphicsImage& image, const char* comment)
{
    const FormatId id = path ? FormatForExtension(ExtensionOf(path)) : kFormatUnknown;
    const GraphicsFormat* format = FindGraphicsFormat(id);
    if (!format || !format->newWriter) {
        SetMessage(t_saveError, kUnknownFormat);
        return kSaveUnknownExtension;
    }
    try {
        std::unique_ptr<CGraphicsWriter> writer(format->newWriter());
        const int32_t setting = g_saveTransparency.load(std::memory_order_relaxed);
        if (setting >= kSaveTransparencyNone && format->applySaveTransparency)
            format->applySaveTransparency(*writer, image, setting);
        if (comment)
            writer->m_info.SetCommentA(comment);
        writer->SaveA(path, image);
        return kSaveOk;
    } catch (const EGraphicsException& e) {
        SetMessage(t_saveError, e.text);
        return kSaveGraphicsError;
    } catch (...) {
        SetMessage(t_saveError, kUnknownError);
        return kSaveOtherError;
    }
}

const char* GetGraphicsLoadError()
{
    return t_loadError;
}

const char* GetGraphicsSaveError()
{
    return t_saveError;
}

int32_t GetGraphicsTransparentIndex()
{
    return t_transparentIndex;
}

void SetGraphicsSaveTransparency(int32_t setting)
{
    g_saveTransparency.store(setting, std::memory_order_relaxed);
}
