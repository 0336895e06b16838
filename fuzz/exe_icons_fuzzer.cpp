// libFuzzer target: the resource-tree walk of executables over any bytes
// taken as a .rsrc section (bit 0 of the last byte clear), or the whole
// executable read (bit 0 set; bits 1-2 the group, bits 3-4 the kinds). The
// walk must end within its budget of visited entries and report only leaves
// inside the section.
#include "fuzz/fuzz_options.h"
#include "graphics/formats/icon_decode.h"
#include "graphics/formats/icon_reader.h"
#include "graphics/image.h"
#include "system/buffered_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > size_t(CBufferedStream::kMaxStreamLength))
        return 0;
    const uint8_t options = data[--size];
    if (!(options & 1)) {
        std::vector<icon_detail::ResourceLeaf> leaves;
        const int64_t visited = icon_detail::WalkResourceSection(data, int64_t(size), 0x1000, leaves);
        if (visited > int64_t(size) / 8)
            std::abort();
        for (const icon_detail::ResourceLeaf& leaf : leaves)
            if (int64_t(leaf.offset) + leaf.size > int64_t(size))
                std::abort();
        return 0;
    }
    static const int32_t kGroups[4] = {0, 1, -1, -100};
    const uint32_t kinds = uint32_t((options >> 3) & 3) << 24;
    CBufferedStream stream(4096);
    if (!stream.OpenMemory(data, int32_t(size), CBufferedStream::kModeRead, nullptr))
        return 0;
    CIconReader reader;
    CGraphicsImage image;
    try {
        reader.ReadIcon(stream, image, nullptr, (-1 & ~0x03000000) | int32_t(kinds), kGroups[(options >> 1) & 3]);
        lindar_fuzz::RequireWhole(image);
    } catch (const EGraphicsException&) {
    }
    try {
        stream.Seek(0, 0);
        reader.EnumIcons(stream, nullptr, 0, kinds);
    } catch (const EGraphicsException&) {
    }
    return 0;
}
