// Record arrays (items with headers, splitting, history) and the sorted
// search of the record-pointer array.
#include "system/record_array.h"
#include "system/registry_text.h"
#include "system/struct_ptr_array.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const CRecordArray& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.m_count; ++i) {
        // The table is walked as callers do: data pointer, length before it.
        const uint8_t* data = list.m_items[i];
        out.emplace_back(reinterpret_cast<const char*>(data), CRecordArray::RecordLength(data));
    }
    return out;
}

typedef std::vector<std::string> Strings;

TEST(RecordArray, ItemsKeepHeaderLengthAndOrder)
{
    struct Header {
        int32_t icon;
        uint8_t level;  // 5-byte header: the length word sits unaligned
    } __attribute__((packed));
    CRecordArray list(sizeof(Header));
    const Header a{7, 1}, b{9, 2};
    EXPECT_EQ(list.AddString("zwei", -1, &a), 0);
    EXPECT_EQ(list.AddString("eins", 0, &b), 0);
    EXPECT_EQ(list.AddData(3, "x\0y", -1), 2);
    EXPECT_EQ(list.AddString("bad", 5), -1);
    EXPECT_EQ(Texts(list), (Strings{"eins", "zwei", std::string("x\0y", 3)}));
    Header h{};
    ASSERT_TRUE(list.GetHeader(1, &h));
    EXPECT_EQ(h.icon, 7);
    ASSERT_TRUE(list.GetHeader(2, &h));
    EXPECT_EQ(h.icon, 0);  // no header given: zeroed
    EXPECT_TRUE(list.SetHeaderPtr(2, &b));
    EXPECT_EQ(list.SetData(4, "fünf", 1), 1);  // the header is kept
    ASSERT_TRUE(list.GetHeader(1, &h));
    EXPECT_EQ(h.level, 1);
    EXPECT_STREQ(list.GetString(1), "fünf");
    EXPECT_FALSE(list.GetHeader(3, &h));
    EXPECT_EQ(list.SetData(1, "a", 3), -1);

    char small[3];
    EXPECT_EQ(list.GetData(1, small, sizeof small), 3);  // cut, no room for the NUL
    EXPECT_EQ(std::memcmp(small, "fün", 3), 0);
    char big[8];
    EXPECT_EQ(list.GetData(0, big, sizeof big), 4);
    EXPECT_STREQ(big, "eins");
    EXPECT_EQ(list.GetData(-1, big, sizeof big), -1);

    EXPECT_EQ(list.RemoveRange(-4, 1), 1);
    EXPECT_EQ(list.RemoveRange(1, 99), 1);
    EXPECT_EQ(Texts(list), (Strings{"fünf"}));
}

struct SplitCase {
    char separator;
    const char* text;
    size_t textLength;
    Strings expected;
};

TEST(RecordArray, AddSplit)
{
    const SplitCase cases[] = {
        {';', "a;b;;c;", 7, {"a", "b", "c"}},
        {';', "", 0, {}},
        {'\\', "C:\\x\\y", 6, {"C:", "x", "y"}},
        {0, "eins\0zwei\0\0drei\0", 17, {"eins", "zwei"}},  // the empty text ends the list
        {0, "\0", 1, {}},
    };
    for (const SplitCase& c : cases) {
        // Splitting a REG_MULTI_SZ block built from the parts gives them back.
        CRecordArray parts;
        parts.AddSplit(c.separator, std::string(c.text, c.textLength).c_str());
        const std::vector<char> block = BuildMultiString(parts);
        CRecordArray back;
        back.AddSplit(0, block.data());
        EXPECT_EQ(Texts(back), Texts(parts));
        EXPECT_EQ(block.size() < 2 ? 'x' : block[block.size() - 2], 0);
        CRecordArray list;
        list.AddString("vorher");
        const std::string text(c.text, c.textLength);
        EXPECT_EQ(list.AddSplit(c.separator, text.c_str(), 0), int(c.expected.size())) << c.text;
        Strings expected = c.expected;
        expected.push_back("vorher");
        EXPECT_EQ(Texts(list), expected) << c.text;
    }
}

struct HistoryCase {
    Strings before;
    int limit;
    int caseMode;
    Strings after;
};

TEST(RecordArray, HistoryLimit)
{
    const HistoryCase cases[] = {
        {{"a", "b", "a", "c"}, 10, CRecordArray::kCaseExact, {"a", "b", "c"}},
        {{"Ä", "ä", "A"}, 10, CRecordArray::kCaseIgnore, {"Ä", "A"}},
        {{"Ä", "ä", "A"}, 10, CRecordArray::kCaseExact, {"Ä", "ä", "A"}},
        {{"a", "b", "c", "d"}, 2, CRecordArray::kCaseExact, {"a", "b"}},
        {{"a", "a", "b"}, 0, CRecordArray::kCaseExact, {}},
    };
    for (const HistoryCase& c : cases) {
        CRecordArray list;
        for (const std::string& s : c.before)
            list.AddString(s.c_str());
        list.SetHistoryLimit(c.limit, c.caseMode);
        EXPECT_EQ(Texts(list), c.after) << c.limit;
    }
    CRecordArray many;
    for (int i = 0; i < 20; ++i)
        many.AddString(std::to_string(i).c_str());
    many.SetHistoryLimit(-1, CRecordArray::kCaseIgnore);
    EXPECT_EQ(many.m_count, CRecordArray::kDefaultHistory);
    EXPECT_EQ(many.MoveToFront("7"), 0);
    EXPECT_EQ(Texts(many)[0], "7");
    EXPECT_EQ(Texts(many)[7], "6");
    EXPECT_NE(many.MoveToFront("99"), 0);
}

TEST(RegistryText, ApplicationKeyPath)
{
    const struct {
        const char* key;
        const char* name;
        const char* path;
    } cases[] = {{"Velk", "Karte", "Software\\Velk\\Karte"}, {nullptr, "Karte", "Software\\Karte"},
                 {"Velk", "", "Software\\Velk"},                {nullptr, nullptr, ""}};
    for (const auto& c : cases) {
        SetRegistryApplication(c.key, c.name);
        EXPECT_EQ(RegistryApplicationPath(), c.path);
    }
}

struct Entry {
    uint32_t kind;
    uint32_t key;
    uint32_t tag;
};

struct FindCase {
    uint32_t key;
    unsigned flags;
    int index;
    int foundTag;  // -1: not found
};

TEST(StructPtrArray, FindSortedU32Flags)
{
    // Keys sorted signed: -5, 1, 4, 4, 4, 9; unsigned the -5 goes last.
    CStructPtrArray array(sizeof(Entry), 2);
    const Entry entries[] = {{0, uint32_t(-5), 0}, {0, 1, 1}, {0, 4, 2}, {0, 4, 3}, {0, 4, 4}, {0, 9, 5}};
    ASSERT_EQ(array.Insert(entries, -1, 6), 0);
    const FindCase cases[] = {
        {4, CStructPtrArray::kFindFirstEqual, 2, 2},
        {4, CStructPtrArray::kFindAfterEqual, 5, 4},
        {4, CStructPtrArray::kFindFirstEqual | CStructPtrArray::kFindInsertPos, 2, 2},
        {5, CStructPtrArray::kFindInsertPos, 5, -1},
        {5, 0, -1, -1},
        {uint32_t(-5), 0, 0, 0},
        {100, CStructPtrArray::kFindInsertPos, 6, -1},
        {uint32_t(-9), CStructPtrArray::kFindInsertPos, 0, -1},
    };
    for (const FindCase& c : cases) {
        void* found = reinterpret_cast<void*>(1);
        EXPECT_EQ(array.FindSortedU32(c.key, offsetof(Entry, key), 0, 0x7fffffff, &found, c.flags), c.index)
            << c.key << " " << c.flags;
        EXPECT_EQ(found ? int(static_cast<Entry*>(found)->tag) : -1, c.foundTag) << c.key << " " << c.flags;
    }
    // A range and a key offset that does not fit the record.
    EXPECT_EQ(array.FindSortedU32(9, offsetof(Entry, key), 0, 3, nullptr, CStructPtrArray::kFindInsertPos), 3);
    EXPECT_EQ(array.FindSortedU32(9, 10, 0, 6, nullptr, 0), -1);
    EXPECT_EQ(array.Delete(2, 5), 3);
    EXPECT_EQ(array.m_count, 3);
    EXPECT_EQ(static_cast<Entry*>(array.At(2))->tag, 5u);
    EXPECT_EQ(array.Insert(nullptr, 0, 1), -1);
    // Sorted unsigned, 0x80000000 is found only with the unsigned compare.
    CStructPtrArray high(sizeof(Entry));
    const Entry sorted[] = {{0, 1, 0}, {0, 0x80000000u, 1}};
    high.Insert(sorted, 0, 2);
    EXPECT_EQ(high.FindSortedU32(0x80000000u, offsetof(Entry, key), 0, 2, nullptr, CStructPtrArray::kFindUnsigned), 1);
    EXPECT_EQ(array.Insert(entries, 4, 1), -1);
}

}  // namespace
