// The decisions of the extended toolbar bar that need no window: button
// size from the icon size, toolbar resource blocks and the image index of
// each button, the context-menu texts, the command a combo box derives.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace toolbar {

constexpr int kMenuSlots = 5;
constexpr size_t kMenuTextMax = 63;
constexpr int kMaxToolbarEntries = 8;

// (cyIcon - 32) * 2 + 28, clamped to 16..48.
int ButtonSizeFromIcon(int cyIcon);

// A toolbar resource: u16 version, image width, image height, count, then
// count command ids (0 = separator).
struct ToolbarBlock {
    uint16_t imageWidth = 0, imageHeight = 0;
    std::vector<uint16_t> ids;
};
// False when the data are shorter than the header or its id list.
bool ParseToolbarBlock(const void* data, size_t size, ToolbarBlock* block);
// A block for a bitmap's id list.
std::vector<uint16_t> MakeToolbarBlock(uint16_t imageWidth, uint16_t imageHeight, const std::vector<uint16_t>& ids);

struct ButtonPlan {
    uint16_t id;
    int image;  // -1: separator or an id no entry has
    bool separator;
};
// The buttons of an id list against the id lists of the accepted entries:
// an id's image is the number of non-zero ids before it in the entries.
std::vector<ButtonPlan> MapButtons(const std::vector<std::vector<uint16_t>>& entries,
                                   const std::vector<uint16_t>& ids);
// Buttons from one list with running image indexes.
std::vector<ButtonPlan> RunningButtons(const std::vector<uint16_t>& ids);

// The menu texts: built in, replaced line by line by a resource text
// (lines split at line feeds, at most 63 characters each).
std::array<std::string, kMenuSlots> MenuTexts(const char* resourceText);

// The second command a combo box's selection change derives: the item data
// when at least 1, else the child's id plus the index; 0 without a
// selection.
int DerivedCommand(int selected, intptr_t itemData, int childId);

}  // namespace toolbar
