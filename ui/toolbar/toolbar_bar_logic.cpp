#include "ui/toolbar/toolbar_bar_logic.h"

#include <algorithm>
#include <cstring>

#include "ui/toolbar/toolbar_control_logic.h"

namespace toolbar {

namespace {

constexpr size_t kBlockHeader = 8;
constexpr const char* kBuiltInTexts[kMenuSlots] = {"Kleine Icons", "Mittler Icons", "Große Icons",
                                                   "Flache Symbolleiste", "ausblenden"};

uint16_t U16(const uint8_t* at)
{
    return uint16_t(at[0] | at[1] << 8);
}

}  // namespace

int ButtonSizeFromIcon(int cyIcon)
{
    return std::clamp((cyIcon - 32) * 2 + 28, 16, 48);
}

bool ParseToolbarBlock(const void* data, size_t size, ToolbarBlock* block)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!bytes || size < kBlockHeader)
        return false;
    const uint16_t count = U16(bytes + 6);
    if (count > kMaxButtons || kBlockHeader + size_t(count) * 2 > size)
        return false;
    block->imageWidth = U16(bytes + 2);
    block->imageHeight = U16(bytes + 4);
    block->ids.resize(count);
    for (size_t n = 0; n < count; ++n)
        block->ids[n] = U16(bytes + kBlockHeader + n * 2);
    return true;
}

std::vector<uint16_t> MakeToolbarBlock(uint16_t imageWidth, uint16_t imageHeight, const std::vector<uint16_t>& ids)
{
    std::vector<uint16_t> block = {1, imageWidth, imageHeight, uint16_t(ids.size())};
    block.insert(block.end(), ids.begin(), ids.end());
    return block;
}

std::vector<ButtonPlan> MapButtons(const std::vector<std::vector<uint16_t>>& entries,
                                   const std::vector<uint16_t>& ids)
{
    std::vector<ButtonPlan> buttons;
    buttons.reserve(ids.size());
    for (uint16_t id : ids) {
        ButtonPlan plan = {id, -1, id == 0};
        int before = 0;
        for (size_t e = 0; id && e < entries.size() && plan.image < 0; ++e) {
            for (uint16_t known : entries[e]) {
                if (known == id) {
                    plan.image = before;
                    break;
                }
                before += known != 0;
            }
        }
        buttons.push_back(plan);
    }
    return buttons;
}

std::vector<ButtonPlan> RunningButtons(const std::vector<uint16_t>& ids)
{
    std::vector<ButtonPlan> buttons;
    int image = 0;
    for (uint16_t id : ids)
        buttons.push_back(ButtonPlan{id, id ? image++ : -1, id == 0});
    return buttons;
}

std::array<std::string, kMenuSlots> MenuTexts(const char* resourceText)
{
    std::array<std::string, kMenuSlots> texts;
    for (int slot = 0; slot < kMenuSlots; ++slot)
        texts[size_t(slot)] = kBuiltInTexts[slot];
    for (int slot = 0; resourceText && *resourceText && slot < kMenuSlots; ++slot) {
        const char* end = std::strchr(resourceText, '\n');
        const size_t length = end ? size_t(end - resourceText) : std::strlen(resourceText);
        if (length)
            texts[size_t(slot)].assign(resourceText, std::min(length, kMenuTextMax));
        resourceText = end ? end + 1 : resourceText + length;
    }
    return texts;
}

int DerivedCommand(int selected, intptr_t itemData, int childId)
{
    // No selection derives nothing (the item data of index -1 is an error
    // value, not a command).
    if (selected < 0)
        return 0;
    return itemData >= 1 ? int(itemData) : childId + selected;
}

}  // namespace toolbar
