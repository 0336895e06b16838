// Icon and cursor groups of PE and NE executables, read from the file's
// bytes. Offsets in the file count from where the read began.
#include "graphics/formats/byte_order.h"
#include "graphics/formats/icon_decode.h"
#include "graphics/formats/read_cursor.h"
#include "system/buffered_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace icon_detail {

namespace {

constexpr uint32_t kRtCursor = 1;
constexpr uint32_t kRtIcon = 3;
constexpr uint32_t kRtGroupCursor = 12;
constexpr uint32_t kRtGroupIcon = 14;
constexpr uint32_t kNeGroupIcon = 0x800E;
constexpr uint32_t kNeIcon = 0x8003;
constexpr uint32_t kNeIntegerId = 0x8000;

constexpr int kMaxSections = 16;
constexpr int kSectionHeaderBytes = 40;
constexpr int kDirectoryBytes = 16;
constexpr int kDirEntryBytes = 8;
constexpr int kDataEntryBytes = 16;
// Type, name and language: deeper directories are not resources.
constexpr int kResourceLevels = 3;
constexpr uint32_t kSubdirectoryBit = 0x80000000;

constexpr int kGroupHeaderBytes = 6;
constexpr int kGroupEntryBytes = 14;
constexpr int64_t kHotSpotBytes = 4;
constexpr int64_t kNeMaxGroupBytes = 0x108;
constexpr int64_t kNeMaxImageBytes = 0x20000;
// Beyond 64 KB units no linker aligns, and larger shifts overflow.
constexpr uint32_t kNeMaxAlignShift = 16;

// One image of a group, as its 14-byte entry says.
struct GroupEntry {
    IconCandidate size;
    uint32_t bytes;
    uint32_t id;
};

// A group's entries; false when its data cannot hold the count it names or
// its type word is not the one of its kind.
bool ParseGroup(const uint8_t* data, int64_t size, bool cursor, std::vector<GroupEntry>& entries)
{
    if (size < kGroupHeaderBytes || GetLe16(data + 2) != (cursor ? 2u : 1u))
        return false;
    const int64_t count = GetLe16(data + 4);
    if (kGroupHeaderBytes + count * kGroupEntryBytes > size)
        return false;
    entries.clear();
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t* e = data + kGroupHeaderBytes + i * kGroupEntryBytes;
        GroupEntry g;
        if (cursor) {
            g.size.width = GetLe16(e);
            g.size.height = GetLe16(e + 2);
        } else {
            g.size.width = e[0] ? e[0] : 256;
            g.size.height = e[1] ? e[1] : 256;
        }
        g.size.depth = GetLe16(e + 6);
        g.bytes = GetLe32(e + 8);
        g.id = GetLe16(e + 12);
        entries.push_back(g);
    }
    return true;
}

std::vector<IconCandidate> Candidates(const std::vector<GroupEntry>& entries)
{
    std::vector<IconCandidate> c;
    for (const GroupEntry& e : entries)
        c.push_back(e.size);
    return c;
}

void AddRecords(const std::vector<GroupEntry>& entries, uint32_t id, bool cursor, int32_t ordinal,
                IconEntryInfo* records, int32_t n, int32_t& total)
{
    for (size_t i = 0; i < entries.size(); ++i, ++total)
        if (records && total < n)
            records[total] = IconEntryInfo{id,
                                           uint16_t(cursor ? 2 : 1),
                                           uint16_t(ordinal),
                                           uint16_t(i),
                                           uint16_t(entries[i].size.width),
                                           uint16_t(entries[i].size.height),
                                           uint16_t(entries[i].size.depth)};
}

// Decodes one image block of a group: cursor images start with their hot
// spot and store, at every depth, the bitmap and its mask with the doubled
// height the group names.
void DecodeGroupImage(const uint8_t* data, int64_t bytes, const GroupEntry& entry, bool cursor,
                      CGraphicsImage& image, CGraphicsImage* mask, const IconColours& colours)
{
    uint32_t height = entry.size.height;
    if (cursor) {
        if (bytes < kHotSpotBytes)
            Fail(kTextFormat);
        data += kHotSpotBytes;
        bytes -= kHotSpotBytes;
        if (!IsPngData(data, bytes))
            height /= 2;
    }
    DecodeIconData(data, bytes, entry.size.width, height, DibRules{false, true, entry.size.depth}, image, mask,
                   colours);
}

class CResourceWalk {
public:
    CResourceWalk(const uint8_t* section, int64_t size, uint32_t rva, std::vector<ResourceLeaf>& leaves)
        : m_section(section), m_size(size), m_rva(rva), m_leaves(leaves), m_budget(size / kDirEntryBytes)
    {
    }

    // A directory at `offset` on level `level` whose ancestors are `path`.
    void Directory(int64_t offset, int level, uint32_t type, uint32_t id, bool named, int64_t* path)
    {
        if (offset + kDirectoryBytes > m_size)
            return;
        for (int i = 0; i < level; ++i)
            if (path[i] == offset)
                return;  // a loop back to an ancestor
        path[level] = offset;
        const uint8_t* dir = m_section + offset;
        const int64_t count = int64_t(GetLe16(dir + 12)) + GetLe16(dir + 14);
        if (offset + kDirectoryBytes + count * kDirEntryBytes > m_size)
            return;
        for (int64_t i = 0; i < count; ++i) {
            // Each entry of a sound tree has 8 bytes of its own: more visits
            // than the section has entries means shared subdirectories.
            if (m_visited >= m_budget)
                return;
            ++m_visited;
            const uint8_t* e = dir + kDirectoryBytes + i * kDirEntryBytes;
            const uint32_t name = GetLe32(e), target = GetLe32(e + 4);
            const bool isNamed = (name & kSubdirectoryBit) != 0;
            uint32_t t = type, r = id;
            bool n = named;
            if (level == 0)
                t = isNamed ? UINT32_MAX : name;
            else if (level == 1) {
                r = isNamed ? 0 : name;
                n = isNamed;
            }
            if (target & kSubdirectoryBit) {
                if (level + 1 < kResourceLevels)
                    Directory(target & ~kSubdirectoryBit, level + 1, t, r, n, path);
            } else if (level > 0) {
                Leaf(target, t, r, n);
            }
        }
    }

    int64_t Visited() const { return m_visited; }

private:
    void Leaf(int64_t offset, uint32_t type, uint32_t id, bool named)
    {
        if (offset + kDataEntryBytes > m_size)
            return;
        const uint32_t dataRva = GetLe32(m_section + offset), size = GetLe32(m_section + offset + 4);
        if (dataRva < m_rva || int64_t(dataRva - m_rva) + size > m_size)
            return;
        m_leaves.push_back(ResourceLeaf{type, id, named, dataRva - m_rva, size});
    }

    const uint8_t* m_section;
    int64_t m_size;
    uint32_t m_rva;
    std::vector<ResourceLeaf>& m_leaves;
    int64_t m_budget;
    int64_t m_visited = 0;
};

// The .rsrc section of a PE file, copied, with its leaves.
struct PeResources {
    std::vector<uint8_t> section;
    std::vector<ResourceLeaf> leaves;
};

void LoadPeResources(CBufferedStream& stream, int64_t start, int64_t header, PeResources& res)
{
    CReadCursor in(stream, FailExeRead, FailFormat);
    in.SeekTo(start + header + 6);
    const uint32_t sections = in.U16LE();
    in.SeekTo(start + header + 20);
    const uint32_t optionalBytes = in.U16LE();
    in.Skip(2 + int64_t(optionalBytes));
    uint8_t s[kSectionHeaderBytes];
    bool found = false;
    for (uint32_t i = 0; i < std::min<uint32_t>(sections, kMaxSections) && !found; ++i) {
        in.Bytes(s, kSectionHeaderBytes);
        if (s[0] == 0)
            break;
        found = std::memcmp(s, ".rsrc", 6) == 0;
    }
    if (!found)
        Fail(kTextNotFound);
    const uint32_t rva = GetLe32(s + 12), rawSize = GetLe32(s + 16), rawOffset = GetLe32(s + 20);
    in.SeekTo(start + rawOffset);
    if (!in.Fits(rawSize))
        FailExeRead();
    try {
        res.section.resize(rawSize);
    } catch (const std::bad_alloc&) {
        Fail(kTextMemory);
    }
    in.Bytes(res.section.data(), rawSize);
    int64_t path[kResourceLevels];
    CResourceWalk walk(res.section.data(), rawSize, rva, res.leaves);
    walk.Directory(0, 0, 0, 0, false, path);
}

// Calls visit(leaf, cursor, entries) for every valid group of the wanted kinds
// in directory order until it returns true.
template <class Visit>
void ForEachPeGroup(const PeResources& res, uint32_t kinds, Visit visit)
{
    std::vector<GroupEntry> entries;
    for (const ResourceLeaf& leaf : res.leaves) {
        const bool icon = leaf.type == kRtGroupIcon && (kinds & kKindIcons);
        const bool cursor = leaf.type == kRtGroupCursor && (kinds & kKindCursors);
        if ((icon || cursor) && ParseGroup(res.section.data() + leaf.offset, leaf.size, cursor, entries) &&
            visit(leaf, cursor, entries))
            return;
    }
}

uint32_t WantedKinds(uint32_t bits)
{
    bits &= kKindBits;
    return bits ? bits : kKindIcons;
}

void ReadPeIcon(CBufferedStream& stream, int64_t start, int64_t header, CGraphicsImage& image, CGraphicsImage* mask,
                int32_t selector, int32_t group, const IconColours& colours)
{
    PeResources res;
    LoadPeResources(stream, start, header, res);
    int32_t ordinal = 0;
    bool found = false, cursor = false;
    std::vector<GroupEntry> chosen;
    ForEachPeGroup(res, WantedKinds(uint32_t(selector)), [&](const ResourceLeaf& leaf, bool isCursor,
                                                             const std::vector<GroupEntry>& entries) {
        found = group >= 0 ? ordinal++ == group : !leaf.namedId && int64_t(leaf.id) == -int64_t(group);
        if (found) {
            chosen = entries;
            cursor = isCursor;
        }
        return found;
    });
    if (!found)
        Fail(kTextNotFound);
    const GroupEntry& entry = chosen[size_t(ChooseImage(Candidates(chosen), selector))];
    const uint32_t imageType = cursor ? kRtCursor : kRtIcon;
    const auto leaf = std::find_if(res.leaves.begin(), res.leaves.end(), [&](const ResourceLeaf& l) {
        return l.type == imageType && !l.namedId && l.id == entry.id;
    });
    if (leaf == res.leaves.end())
        Fail(kTextNotFound);
    if (entry.bytes > leaf->size || entry.bytes > kIconMaxEntryBytes)
        Fail(kTextFormat);
    DecodeGroupImage(res.section.data() + leaf->offset, entry.bytes, entry, cursor, image, mask, colours);
}

// One record of an NE resource table, in bytes.
struct NeResource {
    int64_t offset;
    int64_t length;
    uint32_t id;
};

struct NeTable {
    std::vector<NeResource> groups;
    std::vector<NeResource> icons;
    bool hasGroups = false;
    bool hasIcons = false;
};

void ReadNeTable(CReadCursor& in, int64_t start, int64_t header, NeTable& table)
{
    in.SeekTo(start + header + 0x24);
    const int64_t tableOffset = in.U16LE();
    in.SeekTo(start + header + tableOffset);
    const uint32_t shift = in.U16LE();
    if (shift > kNeMaxAlignShift)
        FailFormat();
    for (;;) {
        const uint32_t type = in.U16LE();
        if (type == 0)
            break;
        const uint32_t count = in.U16LE();
        in.U32LE();
        std::vector<NeResource>* list =
            type == kNeGroupIcon ? &table.groups : type == kNeIcon ? &table.icons : nullptr;
        table.hasGroups = table.hasGroups || type == kNeGroupIcon;
        table.hasIcons = table.hasIcons || type == kNeIcon;
        if (!list) {
            in.Skip(int64_t(count) * 12);
            continue;
        }
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t r[12];
            in.Bytes(r, 12);
            list->push_back(NeResource{int64_t(GetLe16(r)) << shift, int64_t(GetLe16(r + 2)) << shift,
                                       GetLe16(r + 6)});
        }
    }
}

const NeResource* FindNeId(const std::vector<NeResource>& list, int64_t id)
{
    for (const NeResource& r : list)
        if ((r.id & kNeIntegerId) && (r.id & ~kNeIntegerId) == id)
            return &r;
    return nullptr;
}

std::vector<uint8_t> ReadNeBlock(CReadCursor& in, int64_t start, const NeResource& r)
{
    in.SeekTo(start + r.offset);
    if (!in.Fits(r.length))
        FailExeRead();
    std::vector<uint8_t> block(size_t(r.length));
    in.Bytes(block.data(), r.length);
    return block;
}

void ReadNeIcon(CBufferedStream& stream, int64_t start, int64_t header, CGraphicsImage& image, CGraphicsImage* mask,
                int32_t selector, int32_t group, const IconColours& colours)
{
    CReadCursor in(stream, FailExeRead, FailFormat);
    NeTable table;
    ReadNeTable(in, start, header, table);
    if (!table.hasGroups)
        Fail(kTextNotFound);
    const NeResource* g = nullptr;
    if (group >= 0) {
        if (size_t(group) >= table.groups.size())
            Fail(kTextNotFound);
        g = &table.groups[size_t(group)];
    } else if (!(g = FindNeId(table.groups, -int64_t(group)))) {
        FailExeRead();
    }
    if (g->length > kNeMaxGroupBytes)
        Fail(kTextTooBig);
    const std::vector<uint8_t> groupData = ReadNeBlock(in, start, *g);
    std::vector<GroupEntry> entries;
    if (!ParseGroup(groupData.data(), int64_t(groupData.size()), false, entries))
        FailFormat();
    const GroupEntry& entry = entries[size_t(ChooseImage(Candidates(entries), selector))];
    if (!table.hasIcons)
        Fail(kTextNotFound);
    const NeResource* icon = FindNeId(table.icons, entry.id);
    if (!icon)
        FailExeRead();
    if (icon->length > kNeMaxImageBytes)
        Fail(kTextTooBig);
    const std::vector<uint8_t> block = ReadNeBlock(in, start, *icon);
    DecodeGroupImage(block.data(), int64_t(block.size()), entry, false, image, mask, colours);
}

}  // namespace

int64_t WalkResourceSection(const uint8_t* section, int64_t size, uint32_t rva, std::vector<ResourceLeaf>& leaves)
{
    int64_t path[kResourceLevels];
    CResourceWalk walk(section, size, rva, leaves);
    walk.Directory(0, 0, 0, 0, false, path);
    return walk.Visited();
}

void ReadExeIcon(CBufferedStream& stream, int64_t start, int64_t header, bool pe, CGraphicsImage& image,
                 CGraphicsImage* mask, int32_t selector, int32_t group, const IconColours& colours)
{
    if (pe)
        ReadPeIcon(stream, start, header, image, mask, selector, group, colours);
    else
        ReadNeIcon(stream, start, header, image, mask, selector, group, colours);
}

int32_t EnumExeIcons(CBufferedStream& stream, int64_t start, int64_t header, bool pe, IconEntryInfo* records,
                     int32_t n, uint32_t kinds)
{
    int32_t total = 0;
    if (pe) {
        PeResources res;
        LoadPeResources(stream, start, header, res);
        int32_t ordinal = 0;
        ForEachPeGroup(res, WantedKinds(kinds), [&](const ResourceLeaf& leaf, bool cursor,
                                                    const std::vector<GroupEntry>& entries) {
            AddRecords(entries, leaf.namedId ? 0 : leaf.id, cursor, ordinal++, records, n, total);
            return false;
        });
        return total;
    }
    CReadCursor in(stream, FailExeRead, FailFormat);
    NeTable table;
    ReadNeTable(in, start, header, table);
    std::vector<GroupEntry> entries;
    for (size_t i = 0; i < table.groups.size(); ++i) {
        const NeResource& g = table.groups[i];
        if (g.length > kNeMaxGroupBytes)
            continue;
        const std::vector<uint8_t> data = ReadNeBlock(in, start, g);
        if (ParseGroup(data.data(), int64_t(data.size()), false, entries))
            AddRecords(entries, g.id & ~kNeIntegerId, false, int32_t(i), records, n, total);
    }
    return total;
}

}  // namespace icon_detail
