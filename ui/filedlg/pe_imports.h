// Finding a module's import slots of the common file dialogs in its mapped
// image (a byte buffer; offsets are relative virtual addresses).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ImportSlot {
    enum Function { kOpen, kSave };
    Function function;
    uint32_t rva;  // of the import-address-table entry (4 bytes)
};

// Walks the import descriptors: stops at one whose name or table field is
// 0, after kMaxDescriptors, or at anything outside the image. A descriptor
// matches when its name is "comdlg32" (any case) followed by ".dll" or
// nothing; its entries imported by name "GetOpenFileNameA" and
// "GetSaveFileNameA" are returned (at most kMaxThunks entries walked).
constexpr int kMaxDescriptors = 256;
constexpr int kMaxThunks = 4096;
std::vector<ImportSlot> FindFileDialogImports(const uint8_t* image, size_t size);
