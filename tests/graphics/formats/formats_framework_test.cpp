#include "graphics/formats/format_framework.h"

#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/system/stream_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace lindar_test;
using codec_test::ThrownText;

namespace {

#ifdef _WIN32
constexpr char kDevice[] = "NUL";
#else
constexpr char kDevice[] = "/dev/zero";
#endif

// ------------------------------------------------------------ CFormatInfo --

// Callback, user value, comment ("<none>" for none) and comment length, as one value.
std::tuple<GraphicsProgressProc, uintptr_t, std::string, uint32_t> Fields(const CFormatInfo& info)
{
    return {info.proc, info.user, info.comment ? info.comment : "<none>", info.commentLength};
}

TEST(FormatInfo, Comments)
{
    CFormatInfo info;
    EXPECT_EQ(Fields(info), std::make_tuple(GraphicsProgressProc(nullptr), uintptr_t(0), std::string("<none>"), 0u));

    const struct {
        const char* text;
        uint32_t length;
    } cases[] = {{"", 1}, {"Karte", 6}, {nullptr, 0}, {"\xE4\xF6\xFC", 4}};
    for (const auto& c : cases) {
        char* stored = info.SetCommentA(c.text);
        EXPECT_EQ(stored, info.comment);
        EXPECT_EQ(info.commentLength, c.length);
        if (c.text) {
            ASSERT_NE(stored, nullptr);
            EXPECT_NE(stored, c.text);  // a copy
            EXPECT_STREQ(stored, c.text);
        } else {
            EXPECT_EQ(stored, nullptr);
        }
    }
}

TEST(FormatInfo, WideCommentsNarrowPerUnit)
{
    const struct {
        std::vector<WCHAR> units;
        const char* bytes;
    } cases[] = {
        {{0x1000, 0}, "\xFF"}, {{0x00E4, 0}, "\xE4"},
        {{0x0141, 'o', 0}, "\xFFo"},  // above 255, not only above 4095
        {{0x0100, 0x00FF, 0x0041, 0}, "\xFF\xFF" "A"}, {{0xD83D, 0xDE00, 0}, "\xFF\xFF"}, {{0}, ""},
    };
    for (const auto& c : cases) {
        CFormatInfo info;
        ASSERT_NE(info.SetCommentW(c.units.data()), nullptr);
        EXPECT_STREQ(info.comment, c.bytes);
        EXPECT_EQ(info.commentLength, std::strlen(c.bytes) + 1);
    }
    CFormatInfo info;
    info.SetCommentA("x");
    EXPECT_EQ(info.SetCommentW(nullptr), nullptr);
    EXPECT_EQ(info.commentLength, 0u);
}

void NoProgress(void*, uintptr_t, int, int, int, unsigned char*) {}

TEST(FormatInfo, CopiesAndReset)
{
    CFormatInfo withComment;
    withComment.proc = &NoProgress;
    withComment.user = 77;
    withComment.SetCommentA("Kommentar");

    CFormatInfo copy;
    copy.SetCommentA("old");
    copy.CopyFrom(withComment);
    EXPECT_EQ(Fields(copy), Fields(withComment));
    EXPECT_EQ(std::get<3>(Fields(copy)), 10u);
    EXPECT_NE(copy.comment, withComment.comment);

    const CFormatInfo withoutComment;
    copy.CopyFrom(withoutComment);
    EXPECT_EQ(copy.comment, nullptr);  // no comment, not an empty one
    EXPECT_EQ(copy.commentLength, 0u);

    CFormatInfo constructed(withComment);
    EXPECT_STREQ(constructed.comment, "Kommentar");
    constructed = constructed;  // self-assignment keeps the comment
    EXPECT_STREQ(constructed.comment, "Kommentar");

    constructed.Reset();
    EXPECT_EQ(Fields(constructed), Fields(CFormatInfo()));
}

// --------------------------------------------------- stub reader and writer --

struct ProgressLog {
    std::vector<int> percents;
    int cancelAt = -1;
    const void* owner = nullptr;
    bool argumentsOk = true;
};

void LogProgress(void* owner, uintptr_t user, int a, int b, int percent, unsigned char* cancel)
{
    auto* log = reinterpret_cast<ProgressLog*>(user);
    log->owner = owner;
    log->argumentsOk &= a == 1 && b == 1 && cancel && *cancel == 0;
    log->percents.push_back(percent);
    if (percent == log->cancelAt)
        *cancel = 1;
}

// Reads every byte of the stream, reporting progress at 0, 50 and 100.
class StubReader : public CGraphicsReader {
public:
    void Read(CBufferedStream& stream, CGraphicsImage&) override
    {
        ++reads;
        streamWasOpen = stream.IsOpen();
        Progress(0);
        BYTE b[64];
        for (int32_t n; (n = stream.Read(b, sizeof b)) > 0;)
            data.insert(data.end(), b, b + n);
        Progress(50);
        if (failWith)
            throw EBmpCorruptFile();
        Progress(100);
    }
    int reads = 0;
    bool streamWasOpen = false;
    bool failWith = false;
    std::vector<uint8_t> data;
};

// A format with its own open error.
class StubBmpReader : public StubReader {
public:
    void LoadA(const char* path, CGraphicsImage& image) override
    {
        LoadPathA(path, image, [] { throw EBmpFileOpenError(); });
    }
};

// Writes `data` in two halves with progress between; may throw after the first.
class StubWriter : public CGraphicsWriter {
public:
    void Write(CBufferedStream& stream, CGraphicsImage&) override
    {
        ++writes;
        Progress(0);
        const int32_t half = int32_t(data.size() / 2), rest = int32_t(data.size()) - half;
        if (stream.Write(data.data(), half) != half || failHalfway)
            throw EPnmFileWriteError();
        Progress(50);
        if (stream.Write(data.data() + half, rest) != rest)
            throw EPnmFileWriteError();
        Progress(100);
    }
    int writes = 0;
    bool failHalfway = false;
    std::vector<uint8_t> data = Pattern(100000, 4);
};

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string FreshDir(const std::string& name)
{
    const std::string dir = TempPath(name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}


TEST(FormatLoad, ReadsThroughTheStreamAndReportsOpenErrorsFirst)
{
    const std::string path = TempPath("load.bin");
    WriteBytes(path, Pattern(70000, 2));
    CGraphicsImage image;
    StubReader reader;
    reader.LoadA(path.c_str(), image);
    EXPECT_EQ(reader.reads, 1);
    EXPECT_TRUE(reader.streamWasOpen);
    EXPECT_EQ(reader.data, Pattern(70000, 2));

    // Only regular files open: a FIFO or device would block or never end.
    std::vector<const char*> unopenable = {"no/such/file.png", nullptr, ".", kDevice};
#ifndef _WIN32
    const std::string fifo = TempPath("fifo");
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    unopenable.push_back(fifo.c_str());
#endif
    StubReader missing;
    for (const char* bad : unopenable)
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { missing.LoadA(bad, image); }),
                  "Fehler beim \xD6" "ffnen der Datei") << (bad ? bad : "null");
    EXPECT_EQ(ThrownText<EBmpFileOpenError>([&] {
                  StubBmpReader bmp;
                  bmp.LoadA("no/such/file.bmp", image);
              }),
              "Fehler beim \xD6" "ffnen der BMP-Datei !");
    EXPECT_EQ(missing.reads, 0);
}

TEST(FormatLoad, ExceptionsFromReadPassUnchangedAndTheFileIsClosed)
{
    const std::string path = TempPath("load_fails.bin");
    WriteBytes(path, Pattern(100));
    CGraphicsImage image;
    StubReader reader;
    reader.failWith = true;
    EXPECT_EQ(ThrownText<EBmpCorruptFile>([&] { reader.LoadA(path.c_str(), image); }),
              "Besch\xE4" "digte BMP-Datei !");
    // An open handle would keep the file from being removed on Windows.
    EXPECT_TRUE(std::filesystem::remove(path));
}

TEST(FormatLoad, WidePaths)
{
    const std::filesystem::path path = std::filesystem::path(TempDir()) / std::filesystem::path(u"Kartenausschnitt_\u00DC\u0141.bin");
    {
        std::ofstream out(path, std::ios::binary);
        out.write("\x01\x02\x03", 3);
    }
    CGraphicsImage image;
    StubReader reader;
    reader.LoadW(WidePath(path).c_str(), image);
    EXPECT_EQ(reader.data, (std::vector<uint8_t>{1, 2, 3}));
}

// ------------------------------------------------------------------ saving --

const std::vector<uint8_t> kOld = {'o', 'l', 'd'};

// A path from UTF-8 bytes (the sources' literals are code page 1252).
std::filesystem::path Utf8(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// One save by the stub writer into a fresh folder holding "map.png" (kOld).
// prepare() may change the folder and names the path saved to; a failing case
// names its text and keeps the old file; check() tests what else must hold.
// Nothing but the target may be left in the folder.
struct SaveCase {
    const char* name;
    std::function<std::string(const std::string& dir)> prepare;
    enum { Whole, FailHalfway, CancelAtZero } writer;
    const char* error;  // null: the save succeeds
    std::function<void(const std::string& dir, const std::string& target)> check;
};

std::string OldMap(const std::string& dir)
{
    return dir + "/map.png";
}

void NoCheck(const std::string&, const std::string&) {}

#ifndef _WIN32
constexpr uid_t kNobody = 65534;

mode_t ModeOf(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}
#endif

const SaveCase kSaveCases[] = {
    {"replaces an old file", OldMap, SaveCase::Whole, nullptr, NoCheck},
    {"makes a new file", [](const std::string& d) { return d + "/new.png"; }, SaveCase::Whole, nullptr, NoCheck},
    {"a wide name", [](const std::string& d) { return d + "/Stra\xC3\x9F" "e.png"; }, SaveCase::Whole, nullptr,
     NoCheck},
    {"a failed write keeps the old file", OldMap, SaveCase::FailHalfway, "Fehler beim Schreiben PNM-Datei !", NoCheck},
    {"a cancel at 0 % keeps the old file", OldMap, SaveCase::CancelAtZero, "Benutzer Abbruch", NoCheck},
    {"a failed new file is not made", [](const std::string& d) { return d + "/new.png"; }, SaveCase::FailHalfway,
     "Fehler beim Schreiben PNM-Datei !",
     [](const std::string&, const std::string& target) { EXPECT_FALSE(std::filesystem::exists(target)); }},
    {"a missing folder", [](const std::string& d) { return d + "/no/such/dir/x.png"; }, SaveCase::Whole,
     "Fehler beim Erzeugen der Datei", NoCheck},
    {"an empty name", [](const std::string&) { return std::string(); }, SaveCase::Whole,
     "Fehler beim Erzeugen der Datei", NoCheck},
    {"a folder in the target's place",
     [](const std::string& d) {
         std::filesystem::create_directories(d + "/blocked.png/inner");
         return d + "/blocked.png";
     },
     SaveCase::Whole, "Fehler beim Erzeugen der Datei",
     [](const std::string&, const std::string& target) { EXPECT_TRUE(std::filesystem::is_directory(target + "/inner")); }},
#ifndef _WIN32
    {"through a symbolic link: the link stays",
     [](const std::string& d) {
         std::filesystem::create_symlink("map.png", d + "/link.png");
         return d + "/link.png";
     },
     SaveCase::Whole, nullptr,
     [](const std::string& d, const std::string& target) {
         EXPECT_TRUE(std::filesystem::is_symlink(target));
         EXPECT_EQ(ReadBytes(OldMap(d)), Pattern(100000, 4));
     }},
    {"onto a 0600 file",
     [](const std::string& d) {
         chmod(OldMap(d).c_str(), 0600);
         return OldMap(d);
     },
     SaveCase::Whole, nullptr, [](const std::string&, const std::string& t) { EXPECT_EQ(ModeOf(t), 0600u); }},
    {"onto another owner's file: kept where the process may give it",
     [](const std::string& d) {
         if (chown(OldMap(d).c_str(), kNobody, kNobody) != 0 && geteuid() == 0)
             ADD_FAILURE() << "chown";
         return OldMap(d);
     },
     SaveCase::Whole, nullptr,
     [](const std::string&, const std::string& t) {
         struct stat st;
         ASSERT_EQ(stat(t.c_str(), &st), 0);
         EXPECT_TRUE(geteuid() != 0 || st.st_uid == kNobody);
     }},
    {"a 250-byte name",
     [](const std::string& d) {
         const std::string target = d + "/" + std::string(250, 'n');
         WriteBytes(target, kOld);
         std::filesystem::remove(OldMap(d));
         return target;
     },
     SaveCase::Whole, nullptr, NoCheck},
    {"a FIFO: refused, never waited on",
     [](const std::string& d) {
         mkfifo((d + "/pipe").c_str(), 0600);
         return d + "/pipe";
     },
     SaveCase::Whole, "Fehler beim Erzeugen der Datei", NoCheck},
    {"a full device: written, never replaced", [](const std::string&) { return std::string("/dev/full"); },
     SaveCase::Whole, "Fehler beim Schreiben PNM-Datei !",
     [](const std::string&, const std::string& t) { EXPECT_TRUE(std::filesystem::is_character_file(t)); }},
#else
    {"keeps the old file's attributes",
     [](const std::string& d) {
         SetFileAttributesA(OldMap(d).c_str(), FILE_ATTRIBUTE_HIDDEN);
         return OldMap(d);
     },
     SaveCase::Whole, nullptr,
     [](const std::string&, const std::string& t) { EXPECT_TRUE(GetFileAttributesA(t.c_str()) & FILE_ATTRIBUTE_HIDDEN); }},
#endif
};

TEST(FormatSave, Cases)
{
    for (const SaveCase& c : kSaveCases) {
        SCOPED_TRACE(c.name);
        const std::string dir = FreshDir("save");
        WriteBytes(OldMap(dir), kOld);
        const std::string target = c.prepare(dir);
        const std::vector<std::string> before = FilesIn(dir);
        const bool existed = std::filesystem::exists(Utf8(target));
        CGraphicsImage image;
        StubWriter writer;
        writer.failHalfway = c.writer == SaveCase::FailHalfway;
        ProgressLog log;
        log.cancelAt = c.writer == SaveCase::CancelAtZero ? 0 : -1;
        writer.m_info.proc = &LogProgress;
        writer.m_info.user = reinterpret_cast<uintptr_t>(&log);
        const std::string thrown = ThrownText<EGraphicsException>([&] {
            if (target.find('\xC3') == std::string::npos)
                writer.SaveA(target.c_str(), image);
            else
                writer.SaveW(WidePath(Utf8(target)).c_str(), image);
        });
        EXPECT_EQ(thrown, c.error ? c.error : "<nothing thrown>");
        const bool keptOld = c.error && existed && target.rfind(dir, 0) == 0 && std::filesystem::is_regular_file(target);
        if (!c.error || keptOld) {
            EXPECT_EQ(ReadBytes(Utf8(target)), c.error ? kOld : writer.data);
        }
        std::vector<std::string> after = FilesIn(dir);
        if (!existed && !c.error && target.rfind(dir, 0) == 0)
            std::erase(after, Utf8(target).filename().string());
        EXPECT_EQ(after, before) << "files left or lost";
        c.check(dir, target);
    }
}

#ifndef _WIN32
// In a read-only folder no temporary can be made: a writable file is written
// in place, as a plain writer would. The superuser ignores folder rights, so
// a child that runs as nobody saves.
TEST(FormatSave, InAReadOnlyFolderTheFileIsWrittenInPlace)
{
    const std::string dir = FreshDir("save_read_only");
    WriteBytes(OldMap(dir), kOld);
    chmod(OldMap(dir).c_str(), 0666);
    chmod(dir.c_str(), 0555);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(2);
        CGraphicsImage image;
        StubWriter writer;
        _exit(ThrownText<EGraphicsException>([&] { writer.SaveA(OldMap(dir).c_str(), image); }) == "<nothing thrown>"
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(dir.c_str(), 0755);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadBytes(OldMap(dir)), StubWriter().data);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"map.png"});
}

// A file size limit makes the disk "full" for this process: Write fits in the
// stream's buffer, so only the final flush fails.
TEST(FormatSave, AFailedFinalFlushKeepsTheOldFile)
{
    const std::string dir = FreshDir("save_flush");
    const std::string path = dir + "/map.png";
    WriteBytes(path, kOld);
    CGraphicsImage image;
    StubWriter writer;
    writer.data = Pattern(20000, 6);

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string text = ThrownText<EGraphicsException>([&] { writer.SaveA(path.c_str(), image); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(text, "Fehler beim Schreiben");
    EXPECT_EQ(writer.writes, 1);
    EXPECT_EQ(ReadBytes(path), kOld);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"map.png"});
}
#endif

TEST(FormatProgress, ReportsAndCancels)
{
    const std::string path = TempPath("progress.bin");
    WriteBytes(path, Pattern(10));
    CGraphicsImage image;
    const struct {
        int cancelAt;
        std::vector<int> percents;
        bool aborted;
    } cases[] = {{-1, {0, 50, 100}, false}, {0, {0}, true}, {50, {0, 50}, true}, {100, {0, 50, 100}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cancelAt);
        ProgressLog log;
        log.cancelAt = c.cancelAt;
        StubReader reader;
        reader.m_info.proc = &LogProgress;
        reader.m_info.user = reinterpret_cast<uintptr_t>(&log);
        bool aborted = false;
        try {
            reader.LoadA(path.c_str(), image);
        } catch (const EGraphicsAbort& e) {
            aborted = true;
            EXPECT_EQ(e.code, 1);
            EXPECT_STREQ(e.text, "Benutzer Abbruch");
        }
        EXPECT_EQ(aborted, c.aborted);
        EXPECT_EQ(log.percents, c.percents);
        EXPECT_EQ(log.owner, &reader.m_info);
        EXPECT_TRUE(log.argumentsOk);
    }
    // Without a callback nothing is reported and nothing cancels.
    StubReader silent;
    silent.LoadA(path.c_str(), image);
    EXPECT_EQ(silent.data.size(), 10u);
}

}  // namespace
