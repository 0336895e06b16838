// Saving through CSafeSave changes nothing but the file's contents (links,
// permission bits, owner), copes with long names and read-only folders,
// reports a full device; and reading opens only regular files.
#include "system/buffered_stream.h"
#include "system/safe_save.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

CSafeSave::Result Save(const fs::path& path, const std::string& text, bool* inPlace = nullptr)
{
    CBufferedStream stream(512);
    CSafeSave save;
    if (!save.OpenA(path.string().c_str(), stream))
        return CSafeSave::Result::ReplaceFailed;
    if (inPlace)
        *inPlace = save.InPlace();
    if (stream.Write(text.data(), int32_t(text.size())) != int32_t(text.size())) {
        save.Abandon(stream);
        return CSafeSave::Result::WriteFailed;
    }
    return save.Commit(stream);
}

// A fresh folder per case holding "old.bin" with "old".
fs::path Folder(const std::string& name)
{
    const fs::path folder = fs::path(lindar_test::TempDir()) / ("save-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    Put(folder / "old.bin", "old");
    return folder;
}

size_t EntryCount(const fs::path& folder)
{
    return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

struct SaveCase {
    const char* name;
    // Prepares the folder and returns the path to save to.
    std::function<fs::path(const fs::path& folder)> prepare;
    // Checks what must hold besides the new contents.
    std::function<void(const fs::path& folder, const fs::path& target)> check;
};

void RunSaveCase(const SaveCase& c)
{
    SCOPED_TRACE(c.name);
    const fs::path folder = Folder(c.name);
    const fs::path target = c.prepare(folder);
    const size_t entries = EntryCount(folder) + (fs::exists(target) ? 0 : 1);
    ASSERT_EQ(Save(target, "new"), CSafeSave::Result::Ok);
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(EntryCount(folder), entries) << "a temporary was left";
    c.check(folder, target);
}

const SaveCase kPortableCases[] = {
    {"replaces", [](const fs::path& f) { return f / "old.bin"; }, [](const fs::path&, const fs::path&) {}},
    {"creates", [](const fs::path& f) { return f / "fresh.bin"; }, [](const fs::path&, const fs::path&) {}},
};

TEST(SafeSave, PortableCases)
{
    for (const SaveCase& c : kPortableCases)
        RunSaveCase(c);
}

#ifndef _WIN32

constexpr uid_t kNobody = 65534;

mode_t ModeOf(const fs::path& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

const SaveCase kPosixCases[] = {
    {"through a link",
     [](const fs::path& f) {
         fs::create_symlink("old.bin", f / "link.bin");
         return f / "link.bin";
     },
     [](const fs::path& f, const fs::path& target) {
         EXPECT_TRUE(fs::is_symlink(target));
         EXPECT_EQ(Contents(f / "old.bin"), "new");
     }},
    {"onto a 0600 file",
     [](const fs::path& f) {
         ::chmod((f / "old.bin").c_str(), 0600);
         return f / "old.bin";
     },
     [](const fs::path&, const fs::path& target) { EXPECT_EQ(ModeOf(target) & 07777, 0600u); }},
    {"a 250-byte name",
     [](const fs::path& f) {
         const fs::path target = f / std::string(250, 'n');
         Put(target, "old");
         return target;
     },
     [](const fs::path&, const fs::path&) {}},
    {"onto another owner's file",
     [](const fs::path& f) {
         if (::chown((f / "old.bin").c_str(), kNobody, kNobody) != 0) {
         }
         return f / "old.bin";
     },
     [](const fs::path&, const fs::path& target) {
         struct stat st;
         ASSERT_EQ(::stat(target.c_str(), &st), 0);
         // Only a process that may give files away keeps the owner.
         if (geteuid() == 0)
             EXPECT_EQ(st.st_uid, kNobody);
     }},
};

TEST(SafeSave, PosixCases)
{
    for (const SaveCase& c : kPosixCases)
        RunSaveCase(c);
}

// In a read-only folder no temporary can be made: a writable file is written
// in place. The superuser ignores folder permissions, so a child that runs as
// nobody does the save.
TEST(SafeSave, WritesInPlaceInAReadOnlyFolder)
{
    const fs::path folder = Folder("read-only");
    const fs::path target = folder / "old.bin";
    ::chmod(target.c_str(), 0666);
    ::chmod(folder.c_str(), 0555);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        bool inPlace = false;
        const bool ok = Save(target, "new", &inPlace) == CSafeSave::Result::Ok && inPlace;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ::chmod(folder.c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Contents(target), "new");
    EXPECT_EQ(EntryCount(folder), 1u);
}

// A device is written, never replaced by a file; a full one fails the save.
TEST(SafeSave, FullDeviceFailsAndStaysADevice)
{
    EXPECT_EQ(Save("/dev/full", "new"), CSafeSave::Result::WriteFailed);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(FileOpen, OnlyRegularFilesOpenForReading)
{
    const fs::path fifo = fs::path(lindar_test::TempDir()) / "fifo";
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const char* path : {fifo.c_str(), "/dev/zero", "/dev/null", "/"}) {
        CBufferedStream stream(512);
        EXPECT_FALSE(stream.OpenA(path, CBufferedStream::kModeRead, nullptr)) << path;
    }
}

#else

TEST(FileOpen, OnlyRegularFilesOpenForReading)
{
    for (const char* path : {"NUL", "CON", "C:\\"}) {
        CBufferedStream stream(512);
        EXPECT_FALSE(stream.OpenA(path, CBufferedStream::kModeRead, nullptr)) << path;
    }
}

// ReplaceFileW keeps the old file's attributes.
TEST(SafeSave, KeepsAttributes)
{
    const fs::path target = Folder("attributes") / "old.bin";
    ASSERT_TRUE(SetFileAttributesW(target.wstring().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_EQ(Save(target, "new"), CSafeSave::Result::Ok);
    EXPECT_EQ(Contents(target), "new");
    EXPECT_TRUE(GetFileAttributesW(target.wstring().c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

#endif

}  // namespace
