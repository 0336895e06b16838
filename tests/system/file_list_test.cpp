// Listings of a prepared folder, the drive list and the shell's icons and
// fonts, under Wine.
#include "system/file_list.h"
#include "system/icon_cache.h"
#include "system/shell_icons.h"

#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef std::vector<std::string> Strings;

// A file of `bytes` bytes written `ageMinutes` ago.
void MakeFile(const std::string& path, size_t bytes, int ageMinutes)
{
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart -= uint64_t(ageMinutes) * 60 * 10000000;
    time = {value.LowPart, value.HighPart};
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

Strings Read(CFileList& list, int mode = CFileList::kReadName)
{
    Strings out;
    while (const char* text = list.ReadNext(mode))
        out.push_back(text);
    return out;
}

class FileListTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = lindar_test::TempDir() + "\\liste";
        std::replace(root.begin(), root.end(), '/', '\\');  // as the listing writes paths
        for (const char* folder : {"", "\\Zweig", "\\alt"})
            CreateDirectoryA((root + folder).c_str(), nullptr);
        MakeFile(root + "\\b.gpx", 300, 10);
        MakeFile(root + "\\A.txt", 100, 30);
        MakeFile(root + "\\Übersicht.gpx", 200, 20);
        MakeFile(root + "\\Zweig\\tief.gpx", 5, 1);
    }
    static std::string root;
};

std::string FileListTest::root;

TEST_F(FileListTest, SortsFoldersFirst)
{
    const struct {
        int key;
        unsigned flags;
        Strings order;
    } cases[] = {
        {CFileList::kSortName, 0, {"alt", "Zweig", "A.txt", "b.gpx", "Übersicht.gpx"}},
        {CFileList::kSortName, CFileList::kSortDescending, {"Zweig", "alt", "Übersicht.gpx", "b.gpx", "A.txt"}},
        {CFileList::kSortSize, 0, {"alt", "Zweig", "A.txt", "Übersicht.gpx", "b.gpx"}},
        {CFileList::kSortWriteTime, 0, {"alt", "Zweig", "A.txt", "Übersicht.gpx", "b.gpx"}},
        {CFileList::kSortExtension, 0, {"alt", "Zweig", "b.gpx", "Übersicht.gpx", "A.txt"}},
    };
    for (const auto& c : cases) {
        CFileList list(root.c_str(), 0);
        ASSERT_TRUE(list.IsValid());
        list.Sort(c.key, c.flags);
        EXPECT_EQ(Read(list), c.order) << c.key << " " << c.flags;
    }
}

TEST_F(FileListTest, PatternsModesAndRecursion)
{
    const unsigned deep = CFileList::kListFiles | CFileList::kListRecursive;
    const struct {
        unsigned flags;
        const char* include;
        const char* exclude;
        int mode;
        Strings entries;
    } cases[] = {
        {CFileList::kListFiles, "*.GPX", nullptr, CFileList::kReadName, {"b.gpx", "Übersicht.gpx"}},
        {0, "*.gpx", "ü*;alt", CFileList::kReadName, {"Zweig", "b.gpx"}},
        {CFileList::kListFolders, "*.gpx", nullptr, CFileList::kReadName, {"alt", "Zweig"}},
        {deep, "t*", nullptr, CFileList::kReadRelative, {"Zweig\\tief.gpx"}},
        {deep, "t*", nullptr, CFileList::kReadFullPath, {root + "\\Zweig\\tief.gpx"}},
    };
    for (const auto& c : cases) {
        CFileList list((root + "\\").c_str(), c.flags, c.include, c.exclude);
        list.Sort(CFileList::kSortName, 0);
        EXPECT_EQ(Read(list, c.mode), c.entries) << c.include << " " << c.mode;
    }
    CFileList list(root.c_str(), CFileList::kListRecursive, "tief*");
    list.Sort(CFileList::kSortName, 0);
    ASSERT_STREQ(list.ReadNext(), "alt");
    EXPECT_EQ(list.GetEntryAttributes() & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
    list.ReadNext();
    ASSERT_STREQ(list.ReadNext(), "tief.gpx");
    EXPECT_EQ(list.GetEntryFolder(), root + "\\Zweig\\");
    EXPECT_GE(list.GetEntryIconIndex(kIconSmall), 0);
    EXPECT_EQ(list.ReadNext(), nullptr);
    EXPECT_EQ(list.GetEntryAttributes(), 0u);
    EXPECT_FALSE(CFileList((root + "\\fehlt").c_str(), 0).IsValid());
}

TEST_F(FileListTest, DrivesAndEntries)
{
    CFileList drives(":", 0);
    ASSERT_TRUE(drives.IsValid());
    bool sawC = false;
    while (const char* name = drives.ReadNext(CFileList::kReadFullPath)) {
        if (std::string(name) == "C:") {
            sawC = true;
            EXPECT_EQ(drives.GetEntryIconIndex(kIconSmall), GetDriveIconIndex('C', kIconSmall));
        }
    }
    EXPECT_TRUE(sawC);

    WIN32_FIND_DATAA data;
    DWORD error = 0;
    HANDLE search = FindFirstEntry((root + "\\b.*").c_str(), &data, &error);
    ASSERT_NE(search, nullptr);
    EXPECT_STREQ(data.cFileName, "b.gpx");
    EXPECT_EQ(FindCloseEntry(search), 0);
    EXPECT_EQ(FindFirstEntry((root + "\\q*").c_str(), &data, &error), nullptr);
    EXPECT_NE(error, 0u);
    EXPECT_EQ(FindCloseEntry(nullptr), -1);
    char buffer[8];
    EXPECT_STREQ(ResolveNetworkPath("C:/a/bcdefgh", buffer, sizeof buffer), "C:\\a\\bc");
}

TEST(ShellIcons, CachedOnceForAllThreads)
{
    EXPECT_NE(GetSystemImageList(TRUE), nullptr);
    EXPECT_EQ(GetDriveIconIndex('1', 0), -2);
    EXPECT_GE(GetDriveIconIndex('c', kIconSmall), 0);
    EXPECT_EQ(GetDriveIconIndex('c', kIconSmall), GetDriveIconIndex('C', kIconSmall));
    EXPECT_GE(GetFolderIconIndex(kIconSmall | kIconOpen), 0);
    EXPECT_TRUE(isupper(GetSystemDriveLetter()));
    // Eight threads at once: each font and each record is made once.
    std::vector<HFONT> fonts(8 * kGuiFontCount);
    std::vector<CFileIconRecord*> records(8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kGuiFontCount; ++i)
                fonts[size_t(t * kGuiFontCount + i)] = GetGuiFont(i);
            records[size_t(t)] = CFileIconCache::FindExtensionA(t % 2 ? "GPX" : "gpx");
        });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < fonts.size(); ++i)
        EXPECT_EQ(fonts[i], GetGuiFont(int(i) % kGuiFontCount));
    EXPECT_EQ(std::count(records.begin(), records.end(), records[0]), 8);
    ASSERT_NE(records[0], nullptr);
    EXPECT_EQ(records[0]->icons[3].load(), CFileIconCache::kUnknown);
    EXPECT_EQ(CFileIconCache::FindExtensionA("123456789"), nullptr);
    EXPECT_EQ(GetGuiFont(kGuiFontCount), nullptr);
    LOGFONTA logFont = {};
    GetObjectA(GetGuiFont(kGuiFontBold | kGuiFontFixed), sizeof logFont, &logFont);
    EXPECT_EQ(logFont.lfWeight, FW_BOLD);
    EXPECT_EQ(logFont.lfPitchAndFamily & 3, FIXED_PITCH);
}

}  // namespace
