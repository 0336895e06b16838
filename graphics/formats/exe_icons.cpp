// Icon and cursor groups of PE and NE executables, read from the file's
// bytes. Offsets in the file count from where the read began.
#include "graphics/formats/graphics_exceptions.h"
#include "graphics/formats/icon_decode.h"
#include "graphics/formats/icon_reader.h"
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

// PE file header fields, counted from the "PE\0\0" signature; the section
// table follows the optional header.
enum PeHeaderField : int64_t { kPeSectionCount = 6, kPeOptionalHeaderSize = 20, kPeOptionalHeader = 24 };
constexpr int kMaxSections = 16;
constexpr int kSectionHeaderBytes = 40;
enum SectionField : int64_t { kSectionName = 0, kSectionRva = 12, kSectionRawSize = 16, kSectionRawOffset = 20 };
constexpr char kResourceSection[] = ".rsrc";  // compared with its NUL: no longer names match

// The resource tree: a directory (its named and id entry counts), then its
// entries (a name or id, and a subdirectory or data entry), and data entries
// (the data's address and size).
constexpr int kDirectoryBytes = 16;
enum DirectoryField : int64_t { kDirNamedCount = 12, kDirIdCount = 14 };
constexpr int kDirEntryBytes = 8;
enum DirEntryField : int64_t { kDirEntryName = 0, kDirEntryTarget = 4 };
constexpr int kDataEntryBytes = 16;
enum DataEntryField : int64_t { kDataRva = 0, kDataSize = 4 };
// Type, name and language: deeper directories are not resources.
constexpr int kResourceLevels = 3;
constexpr uint32_t kSubdirectoryBit = 0x80000000;

// A group: reserved word, type word (1 icons, 2 cursors), entry count, then
// its entries.
constexpr int kGroupHeaderBytes = 6;
enum GroupField : int64_t { kGroupType = 2, kGroupCount = 4 };
constexpr uint32_t kGroupTypeIcon = 1;
constexpr uint32_t kGroupTypeCursor = 2;
constexpr int kGroupEntryBytes = 14;
// Icon entries start with a width and a height byte, cursor entries with a
// width and a height word.
enum GroupEntryField : int64_t {
    kGroupWidth = 0,
    kGroupHeight = 1,
    kGroupCursorWidth = 0,
    kGroupCursorHeight = 2,
    kGroupBitCount = 6,
    kGroupBytes = 8,
    kGroupId = 12,
};
constexpr int64_t kHotSpotBytes = 4;
// The NE header's resource table offset; the table's 12-byte records give
// offset and length in alignment units, then flags and the id.
enum NeHeaderField : int64_t { kNeResourceTable = 0x24 };
constexpr int kNeRecordBytes = 12;
enum NeRecordField : int64_t { kNeRecordOffset = 0, kNeRecordLength = 2, kNeRecordId = 6 };
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
bool ParseGroup(CSpanCursor group, bool cursor, std::vector<GroupEntry>& entries)
{
    if (!group.Fits(kGroupHeaderBytes) || group.U16LEAt(kGroupType) != (cursor ? kGroupTypeCursor : kGroupTypeIcon))
        return false;
    const int64_t count = group.U16LEAt(kGroupCount);
    if (!group.FitsAt(kGroupHeaderBytes, count * kGroupEntryBytes))
        return false;
    group.SeekTo(kGroupHeaderBytes);
    entries.clear();
    for (int64_t i = 0; i < count; ++i) {
        const CSpanCursor e = group.TakeSpan(kGroupEntryBytes);
        GroupEntry g;
        if (cursor) {
            g.size.width = e.U16LEAt(kGroupCursorWidth);
            g.size.height = e.U16LEAt(kGroupCursorHeight);
        } else {
            g.size.width = EntrySide(e.U8At(kGroupWidth));
            g.size.height = EntrySide(e.U8At(kGroupHeight));
        }
        g.size.depth = e.U16LEAt(kGroupBitCount);
        g.bytes = e.U32LEAt(kGroupBytes);
        g.id = e.U16LEAt(kGroupId);
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
void DecodeGroupImage(CSpanCursor block, const GroupEntry& entry, bool cursor, CGraphicsImage& image,
                      CGraphicsImage* mask, const IconColours& colours)
{
    uint32_t height = entry.size.height;
    if (cursor)
        block.Skip(kHotSpotBytes);
    const int64_t bytes = block.Remaining();
    const uint8_t* data = block.Take(bytes);
    if (cursor && !IsPngData(data, bytes))
        height /= 2;
    DecodeIconData(data, bytes, entry.size.width, height, DibRules{false, true, entry.size.depth}, image, mask,
                   colours);
}

// Walks a resource tree; whatever lies outside the section is left out.
class CResourceWalk {
public:
    CResourceWalk(const CSpanCursor& section, uint32_t rva, std::vector<ResourceLeaf>& leaves)
        : m_section(section), m_rva(rva), m_leaves(leaves), m_budget(section.Length() / kDirEntryBytes)
    {
    }

    // A directory at `offset` on level `level` whose ancestors are `path`.
    void Directory(int64_t offset, int level, uint32_t type, uint32_t id, bool named, int64_t* path)
    {
        if (!m_section.FitsAt(offset, kDirectoryBytes))
            return;
        for (int i = 0; i < level; ++i)
            if (path[i] == offset)
                return;  // a loop back to an ancestor
        path[level] = offset;
        const CSpanCursor dir = m_section.SpanAt(offset, kDirectoryBytes);
        const int64_t count = int64_t(dir.U16LEAt(kDirNamedCount)) + dir.U16LEAt(kDirIdCount);
        if (!m_section.FitsAt(offset + kDirectoryBytes, count * kDirEntryBytes))
            return;
        CSpanCursor entries = m_section.SpanAt(offset + kDirectoryBytes, count * kDirEntryBytes);
        for (int64_t i = 0; i < count; ++i) {
            // Each entry of a sound tree has 8 bytes of its own: more visits
            // than the section has entries means shared subdirectories.
            if (m_visited >= m_budget)
                return;
            ++m_visited;
            const CSpanCursor e = entries.TakeSpan(kDirEntryBytes);
            const uint32_t name = e.U32LEAt(kDirEntryName), target = e.U32LEAt(kDirEntryTarget);
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
        if (!m_section.FitsAt(offset, kDataEntryBytes))
            return;
        const CSpanCursor data = m_section.SpanAt(offset, kDataEntryBytes);
        const uint32_t dataRva = data.U32LEAt(kDataRva), size = data.U32LEAt(kDataSize);
        if (dataRva < m_rva || !m_section.FitsAt(int64_t(dataRva - m_rva), size))
            return;
        m_leaves.push_back(ResourceLeaf{type, id, named, dataRva - m_rva, size});
    }

    const CSpanCursor m_section;
    uint32_t m_rva;
    std::vector<ResourceLeaf>& m_leaves;
    int64_t m_budget;
    int64_t m_visited = 0;
};

// A block copied from the file whole (a resource section, an NE resource):
// a read past its end is a fault of the entry that gave its size, such as a
// cursor image too short for its hot spot, and so the format error.
CSpanCursor SpanOf(const std::vector<uint8_t>& block)
{
    return CSpanCursor(block.data(), int64_t(block.size()), FailFormat, FailFormat);
}

// The .rsrc section of a PE file, copied, with its leaves.
struct PeResources {
    std::vector<uint8_t> section;
    std::vector<ResourceLeaf> leaves;

    CSpanCursor Section() const { return SpanOf(section); }
    // The first `bytes` of a leaf's data (the walk kept only leaves inside the section).
    CSpanCursor Data(const ResourceLeaf& leaf, int64_t bytes) const { return Section().SpanAt(leaf.offset, bytes); }
};

void LoadPeResources(CBufferedStream& stream, int64_t start, int64_t header, PeResources& res)
{
    CReadCursor in(stream, FailExeRead, FailFormat);
    in.SeekTo(start + header + kPeSectionCount);
    const uint32_t sections = in.U16LE();
    in.SeekTo(start + header + kPeOptionalHeaderSize);
    const uint32_t optionalBytes = in.U16LE();
    in.SeekTo(start + header + kPeOptionalHeader + int64_t(optionalBytes));
    uint8_t bytes[kSectionHeaderBytes];
    const CSpanCursor s(bytes, kSectionHeaderBytes, FailExeRead, FailFormat);
    bool found = false;
    for (uint32_t i = 0; i < std::min<uint32_t>(sections, kMaxSections) && !found; ++i) {
        in.Bytes(bytes, kSectionHeaderBytes);
        if (s.U8At(kSectionName) == 0)
            break;  // an unnamed entry ends the table
        found = std::memcmp(s.BytesAt(kSectionName, sizeof kResourceSection), kResourceSection,
                            sizeof kResourceSection) == 0;
    }
    if (!found)
        throw EIconNotFound();
    const uint32_t rva = s.U32LEAt(kSectionRva), rawSize = s.U32LEAt(kSectionRawSize);
    in.SeekTo(start + s.U32LEAt(kSectionRawOffset));
    if (!in.Fits(rawSize))
        FailExeRead();
    try {
        res.section.resize(rawSize);
    } catch (const std::bad_alloc&) {
        throw EIconMemory();
    }
    in.Bytes(res.section.data(), rawSize);
    int64_t path[kResourceLevels];
    CResourceWalk walk(res.Section(), rva, res.leaves);
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
        if ((icon || cursor) && ParseGroup(res.Data(leaf, leaf.size), cursor, entries) &&
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
        throw EIconNotFound();
    const GroupEntry& entry = chosen[size_t(ChooseImage(Candidates(chosen), selector))];
    const uint32_t imageType = cursor ? kRtCursor : kRtIcon;
    const auto leaf = std::find_if(res.leaves.begin(), res.leaves.end(), [&](const ResourceLeaf& l) {
        return l.type == imageType && !l.namedId && l.id == entry.id;
    });
    if (leaf == res.leaves.end())
        throw EIconNotFound();
    if (entry.bytes > leaf->size || entry.bytes > kIconMaxEntryBytes)
        throw EIconCorruptFile();
    DecodeGroupImage(res.Data(*leaf, entry.bytes), entry, cursor, image, mask, colours);
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
    in.SeekTo(start + header + kNeResourceTable);
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
            in.Skip(int64_t(count) * kNeRecordBytes);
            continue;
        }
        uint8_t bytes[kNeRecordBytes];
        const CSpanCursor r(bytes, kNeRecordBytes, FailExeRead, FailFormat);
        for (uint32_t i = 0; i < count; ++i) {
            in.Bytes(bytes, kNeRecordBytes);
            list->push_back(NeResource{int64_t(r.U16LEAt(kNeRecordOffset)) << shift,
                                       int64_t(r.U16LEAt(kNeRecordLength)) << shift, r.U16LEAt(kNeRecordId)});
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
        throw EIconNotFound();
    const NeResource* g = nullptr;
    if (group >= 0) {
        if (size_t(group) >= table.groups.size())
            throw EIconNotFound();
        g = &table.groups[size_t(group)];
    } else if (!(g = FindNeId(table.groups, -int64_t(group)))) {
        FailExeRead();
    }
    if (g->length > kNeMaxGroupBytes)
        throw EIconTooBig();
    const std::vector<uint8_t> groupData = ReadNeBlock(in, start, *g);
    std::vector<GroupEntry> entries;
    if (!ParseGroup(SpanOf(groupData), false, entries))
        FailFormat();
    const GroupEntry& entry = entries[size_t(ChooseImage(Candidates(entries), selector))];
    if (!table.hasIcons)
        throw EIconNotFound();
    const NeResource* icon = FindNeId(table.icons, entry.id);
    if (!icon)
        FailExeRead();
    if (icon->length > kNeMaxImageBytes)
        throw EIconTooBig();
    const std::vector<uint8_t> block = ReadNeBlock(in, start, *icon);
    DecodeGroupImage(SpanOf(block), entry, false, image, mask, colours);
}

}  // namespace

int64_t WalkResourceSection(const uint8_t* section, int64_t size, uint32_t rva, std::vector<ResourceLeaf>& leaves)
{
    int64_t path[kResourceLevels];
    CResourceWalk walk(CSpanCursor(section, size, FailExeRead, FailFormat), rva, leaves);
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
        if (ParseGroup(SpanOf(data), false, entries))
            AddRecords(entries, g.id & ~kNeIntegerId, false, int32_t(i), records, n, total);
    }
    return total;
}

}  // namespace icon_detail
