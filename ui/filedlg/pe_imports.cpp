#include "ui/filedlg/pe_imports.h"

#include "text/char_class.h"

#include <cstring>

namespace {

// Offsets in the PE headers the walk reads.
constexpr uint32_t kDosNewHeader = 0x3C;
constexpr uint32_t kPeMagic = 0x00004550;  // "PE\0\0"
constexpr uint32_t kOptionalHeader = 24;   // signature + file header
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint32_t kImportDirectory = 104; // data directory 1 in a PE32 optional header
constexpr uint32_t kDescriptorSize = 20;
constexpr uint32_t kByOrdinal = 0x80000000u;

// Bounds-checked reads of the image; false when outside it.
struct Image {
    const uint8_t* data;
    size_t size;
    bool U32(uint64_t at, uint32_t* out) const
    {
        if (at + 4 > size)
            return false;
        std::memcpy(out, data + at, 4);
        return true;
    }
    bool U16(uint64_t at, uint16_t* out) const
    {
        if (at + 2 > size)
            return false;
        std::memcpy(out, data + at, 2);
        return true;
    }
    // Compares the NUL-terminated text at `at` with `text` (whole, exact).
    bool TextIs(uint64_t at, const char* text, bool ignoreCase) const
    {
        size_t n = std::strlen(text);
        if (at + n + 1 > size)
            return false;
        for (size_t i = 0; i <= n; ++i) {
            int a = data[at + i], b = static_cast<unsigned char>(text[i]);
            if (ignoreCase ? CharToLower(uint8_t(a)) != CharToLower(uint8_t(b)) : a != b)
                return false;
        }
        return true;
    }
};

bool IsComdlg32(const Image& image, uint32_t name)
{
    return image.TextIs(name, "comdlg32", true) || image.TextIs(name, "comdlg32.dll", true);
}

}  // namespace

std::vector<ImportSlot> FindFileDialogImports(const uint8_t* data, size_t size)
{
    std::vector<ImportSlot> slots;
    Image image{data, size};
    uint32_t pe = 0, magic = 0, imports = 0;
    uint16_t optionalMagic = 0;
    if (!data || !image.U32(kDosNewHeader, &pe) || !image.U32(pe, &magic) || magic != kPeMagic ||
        !image.U16(uint64_t(pe) + kOptionalHeader, &optionalMagic) || optionalMagic != kPe32Magic ||
        !image.U32(uint64_t(pe) + kOptionalHeader + kImportDirectory, &imports) || imports == 0)
        return slots;
    for (int d = 0; d < kMaxDescriptors; ++d) {
        uint64_t descriptor = uint64_t(imports) + uint64_t(d) * kDescriptorSize;
        uint32_t names = 0, name = 0, table = 0;
        if (!image.U32(descriptor, &names) || !image.U32(descriptor + 12, &name) ||
            !image.U32(descriptor + 16, &table) || name == 0 || table == 0)
            break;
        if (!IsComdlg32(image, name))
            continue;
        if (names == 0)
            names = table;  // no separate name table: the bound table still holds names
        for (int t = 0; t < kMaxThunks; ++t) {
            uint32_t entry = 0;
            if (!image.U32(uint64_t(names) + uint64_t(t) * 4, &entry) || entry == 0)
                break;
            if (entry & kByOrdinal)
                continue;
            uint64_t hintName = uint64_t(entry) + 2;  // behind the 16-bit hint
            uint32_t slot = table + uint32_t(t) * 4;
            if (image.TextIs(hintName, "GetOpenFileNameA", false))
                slots.push_back({ImportSlot::kOpen, slot});
            else if (image.TextIs(hintName, "GetSaveFileNameA", false))
                slots.push_back({ImportSlot::kSave, slot});
        }
    }
    return slots;
}
