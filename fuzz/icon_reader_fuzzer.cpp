// libFuzzer target: CIconReader::ReadIcon over any input (.ico/.cur files
// and executables alike), and EnumIcons. The input's last byte picks the
// call: bit 0 a mask image, bits 1-2 the selector, bits 3-4 the group,
// bits 5-6 the resource kinds.
#include "fuzz/fuzz_options.h"
#include "graphics/formats/icon_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > size_t(CBufferedStream::kMaxStreamLength))
        return 0;
    const uint8_t options = data[--size];
    static const int32_t kSelectors[4] = {-1, 0, int32_t(0x80FF2020), 1};
    static const int32_t kGroups[4] = {0, 1, -1, -100};
    const uint32_t kinds = uint32_t((options >> 5) & 3) << 24;
    CBufferedStream stream(4096);
    if (!stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        return 0;
    CIconReader reader;
    CGraphicsImage image, mask;
    try {
        reader.ReadIcon(stream, image, (options & 1) ? &mask : nullptr, kSelectors[(options >> 1) & 3] | int32_t(kinds),
                        kGroups[(options >> 3) & 3]);
        lindar_fuzz::RequireWhole(image);
        if (options & 1 && mask.m_nWidth != image.m_nWidth)
            std::abort();
    } catch (const EGraphicsException&) {
    }
    IconEntryInfo records[8];
    try {
        stream.Seek(0, 0);
        reader.EnumIcons(stream, records, 8, kinds);
    } catch (const EGraphicsException&) {
    }
    return 0;
}
