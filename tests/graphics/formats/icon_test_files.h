// Icon DIBs, .ico/.cur directories and minimal PE and NE executables built
// byte by byte, for the icon reader's tests and benchmark.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace icon_test {

using Bytes = std::vector<uint8_t>;

inline void Put(Bytes& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(i < 8 ? uint8_t(value >> (8 * i)) : 0);
}

inline void PutAt(Bytes& out, size_t at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + i] = uint8_t(value >> (8 * i));
}

// An icon DIB: pixels top-down (indices, or 0xAARRGGBB), AND bits top-down.
struct Dib {
    uint32_t width = 4, height = 4, bits = 8;
    std::vector<uint32_t> palette;
    std::vector<uint32_t> pixels;
    std::vector<uint8_t> mask;
    uint32_t compression = 0, clrUsed = 0, planes = 1;
    int heightFactor = 2;  // 1: no AND mask
};

inline Bytes MakeDib(const Dib& d)
{
    Bytes out;
    for (uint64_t v : std::initializer_list<uint64_t>{40, d.width, uint64_t(d.heightFactor) * d.height,
                                                     d.planes | d.bits << 16, d.compression, 0, 0, 0, d.clrUsed, 0})
        Put(out, v, 4);
    const uint32_t table = d.bits > 8 ? 0 : d.clrUsed ? d.clrUsed : 1u << d.bits;
    for (uint32_t i = 0; i < table; ++i)
        Put(out, i < d.palette.size() ? d.palette[i] : 0, 4);
    // Rows bottom-up, padded to 4 bytes; pixels below 8 bits MSB first.
    auto rows = [&](uint32_t bits, const std::vector<uint32_t>& values) {
        for (uint32_t k = d.height; k-- > 0;) {
            Bytes row((d.width * bits + 31) / 32 * 4, 0);
            for (uint32_t x = 0; x < d.width; ++x) {
                const size_t i = size_t(k) * d.width + x;
                const uint32_t v = i < values.size() ? values[i] : 0;
                for (uint32_t b = 0; b < bits / 8; ++b)
                    row[x * bits / 8 + b] = uint8_t(v >> (8 * b));
                if (bits < 8)
                    row[x * bits / 8] |= uint8_t(v << (8 - bits - x * bits % 8));
            }
            out.insert(out.end(), row.begin(), row.end());
        }
    };
    rows(d.bits, d.pixels);
    if (d.heightFactor == 2)
        rows(1, std::vector<uint32_t>(d.mask.begin(), d.mask.end()));
    return out;
}

// One image of a directory or group.
struct Entry {
    uint32_t width, height, bits;  // 256 is written as 0 in byte fields
    Bytes data;
    uint16_t id = 1;  // group entries: the image's resource id
};

// An .ico (type 1) or .cur (type 2) file.
inline Bytes MakeIco(int type, const std::vector<Entry>& entries)
{
    Bytes out;
    Put(out, uint64_t(type) << 16 | uint64_t(entries.size()) << 32, 6);
    uint64_t offset = 6 + 16 * entries.size();
    for (const Entry& e : entries) {  // cursors: hot spot 0, 0
        Put(out, (e.width & 0xFF) | (e.height & 0xFF) << 8 | uint64_t(type == 1) << 32 | uint64_t(type == 1 ? e.bits : 0) << 48, 8);
        Put(out, e.data.size() | offset << 32, 8);
        offset += e.data.size();
    }
    for (const Entry& e : entries)
        out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
}

// An RT_GROUP_ICON / RT_GROUP_CURSOR resource; cursor entries carry the
// doubled height as a word.
inline Bytes MakeGroup(bool cursor, const std::vector<Entry>& entries)
{
    Bytes out;
    Put(out, uint64_t(cursor ? 2 : 1) << 16 | uint64_t(entries.size()) << 32, 6);
    for (const Entry& e : entries) {
        Put(out, cursor ? e.width | e.height * 2 << 16 : (e.width & 0xFF) | (e.height & 0xFF) << 8, 4);
        Put(out, 1, 2);
        Put(out, e.bits, 2);
        Put(out, e.data.size() + (cursor ? 4 : 0), 4);
        Put(out, e.id, 2);
    }
    return out;
}

struct Resource {
    uint32_t type, id, language;
    Bytes data;
};

// The .rsrc section of `resources` (types, ids and languages in order of
// first appearance) loaded at `rva`: directories depth first, then the data.
inline Bytes MakeResourceSection(const std::vector<Resource>& resources, uint32_t rva)
{
    using Ids = std::vector<std::pair<uint32_t, std::vector<size_t>>>;
    std::vector<std::pair<uint32_t, Ids>> tree;
    for (size_t i = 0; i < resources.size(); ++i) {
        auto t = std::find_if(tree.begin(), tree.end(), [&](auto& e) { return e.first == resources[i].type; });
        t = t != tree.end() ? t : tree.insert(tree.end(), {resources[i].type, {}});
        auto n = std::find_if(t->second.begin(), t->second.end(), [&](auto& e) { return e.first == resources[i].id; });
        (n != t->second.end() ? n : t->second.insert(t->second.end(), {resources[i].id, {}}))->second.push_back(i);
    }
    Bytes out;
    auto directory = [&](size_t count) {
        const size_t at = out.size();
        out.resize(at + 16 + 8 * count, 0);
        PutAt(out, at + 14, count, 2);
        return at;
    };
    auto entry = [&](size_t dir, size_t i, uint64_t name, uint64_t target) {
        PutAt(out, dir + 16 + 8 * i, name, 4);
        PutAt(out, dir + 20 + 8 * i, target, 4);
    };
    std::vector<std::pair<size_t, size_t>> leaves;  // data entry offset, resource
    const size_t root = directory(tree.size());
    for (size_t t = 0; t < tree.size(); ++t) {
        entry(root, t, tree[t].first, 0x80000000u | out.size());
        const size_t typeDir = directory(tree[t].second.size());
        for (size_t n = 0; n < tree[t].second.size(); ++n) {
            entry(typeDir, n, tree[t].second[n].first, 0x80000000u | out.size());
            const std::vector<size_t>& langs = tree[t].second[n].second;
            const size_t idDir = directory(langs.size());
            for (size_t l = 0; l < langs.size(); ++l) {
                entry(idDir, l, resources[langs[l]].language, out.size());
                leaves.push_back({out.size(), langs[l]});
                out.resize(out.size() + 16, 0);
            }
        }
    }
    for (const auto& [at, i] : leaves) {
        PutAt(out, at, rva + out.size(), 4);
        PutAt(out, at + 4, resources[i].data.size(), 4);
        out.insert(out.end(), resources[i].data.begin(), resources[i].data.end());
        out.resize((out.size() + 3) / 4 * 4, 0);
    }
    return out;
}

inline Bytes MzHeader()
{
    Bytes out(0x40, 0);
    out[0] = 'M', out[1] = 'Z';
    PutAt(out, 0x3C, 0x40, 4);
    return out;
}

// A PE file whose only content is its section table: `before` empty
// sections, then .rsrc holding `section` (made for rva 0x1000 * (before + 1)).
inline Bytes MakePe(const Bytes& section, int before = 0)
{
    Bytes out = MzHeader();
    Put(out, 0x14C00004550 | uint64_t(before + 1) << 48, 8);  // "PE\0\0", i386, the section count
    Put(out, 0, 16);                                         // no optional header
    const size_t raw = (out.size() + 40 * size_t(before + 1) + 0x1FF) / 0x200 * 0x200;
    for (int i = 0; i <= before; ++i) {
        Bytes header(40, 0);
        const char* name = i == before ? ".rsrc" : ".data";
        std::copy(name, name + 5, header.begin());
        PutAt(header, 8, i == before ? section.size() : 0, 4);
        PutAt(header, 12, 0x1000 * (i + 1), 4);
        PutAt(header, 16, i == before ? section.size() : 0, 4);
        PutAt(header, 20, raw, 4);
        out.insert(out.end(), header.begin(), header.end());
    }
    out.resize(raw, 0);
    out.insert(out.end(), section.begin(), section.end());
    return out;
}

inline Bytes MakePe(const std::vector<Resource>& resources, int before = 0)
{
    return MakePe(MakeResourceSection(resources, 0x1000 * uint32_t(before + 1)), before);
}

// A 16-bit NE file with resources of type 0x800E / 0x8003 (ids given
// without bit 15), data aligned to 2^shift bytes.
inline Bytes MakeNe(const std::vector<Resource>& resources, int shift = 4)
{
    // Resources of one type must follow each other.
    Bytes out = MzHeader();
    out.resize(0x80, 0);
    out[0x40] = 'N', out[0x41] = 'E';
    PutAt(out, 0x40 + 0x24, 64, 2);
    Put(out, shift, 2);
    std::vector<size_t> fields;  // offset field of each resource
    for (size_t i = 0; i < resources.size(); ++i) {
        if (i == 0 || resources[i].type != resources[i - 1].type) {
            Put(out, resources[i].type, 2);
            Put(out, std::count_if(resources.begin(), resources.end(), [&](const Resource& r) { return r.type == resources[i].type; }), 6);
        }
        fields.push_back(out.size());
        Put(out, 0, 6);
        Put(out, resources[i].id | 0x8000, 6);
    }
    Put(out, 0, 2);
    const size_t unit = size_t(1) << shift;
    for (size_t i = 0; i < resources.size(); ++i) {
        out.resize((out.size() + unit - 1) / unit * unit, 0);
        PutAt(out, fields[i], out.size() / unit, 2);
        PutAt(out, fields[i] + 2, (resources[i].data.size() + unit - 1) / unit, 2);
        out.insert(out.end(), resources[i].data.begin(), resources[i].data.end());
    }
    out.resize((out.size() + unit - 1) / unit * unit, 0);
    return out;
}

}  // namespace icon_test
