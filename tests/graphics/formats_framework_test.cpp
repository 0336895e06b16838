#include "graphics/formats/format_framework.h"

#include "graphics/image.h"
#include "system/buffered_stream.h"
#include "tests/system/stream_test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

using namespace lindar_test;

namespace {

// ------------------------------------------------------------ CFormatInfo --

TEST(FormatInfo, Comments)
{
    CFormatInfo info;
    EXPECT_EQ(info.proc, nullptr);
    EXPECT_EQ(info.user, 0u);
    EXPECT_EQ(info.comment, nullptr);
    EXPECT_EQ(info.commentLength, 0u);

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
        {{0x1000, 0}, "\xFF"},
        {{0x00E4, 0}, "\xE4"},
        {{0x0141, 'o', 0}, "\xFFo"},  // above 255, not only above 4095
        {{0x0100, 0x00FF, 0x0041, 0}, "\xFF\xFF" "A"},
        {{0xD83D, 0xDE00, 0}, "\xFF\xFF"},
        {{0}, ""},
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
    EXPECT_EQ(copy.proc, &NoProgress);
    EXPECT_EQ(copy.user, 77u);
    EXPECT_NE(copy.comment, withComment.comment);
    EXPECT_STREQ(copy.comment, "Kommentar");
    EXPECT_EQ(copy.commentLength, 10u);

    const CFormatInfo withoutComment;
    copy.CopyFrom(withoutComment);
    EXPECT_EQ(copy.comment, nullptr);  // no comment, not an empty one
    EXPECT_EQ(copy.commentLength, 0u);

    CFormatInfo constructed(withComment);
    EXPECT_STREQ(constructed.comment, "Kommentar");
    constructed = constructed;  // self-assignment keeps the comment
    EXPECT_STREQ(constructed.comment, "Kommentar");

    constructed.Reset();
    EXPECT_EQ(constructed.proc, nullptr);
    EXPECT_EQ(constructed.user, 0u);
    EXPECT_EQ(constructed.comment, nullptr);
    EXPECT_EQ(constructed.commentLength, 0u);
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
        const int32_t half = int32_t(data.size() / 2);
        ASSERT_EQ(stream.Write(data.data(), half), half);
        if (failHalfway)
            throw EPnmFileWriteError();
        Progress(50);
        ASSERT_EQ(stream.Write(data.data() + half, int32_t(data.size()) - half), int32_t(data.size()) - half);
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
    return names;
}

std::string FreshDir(const std::string& name)
{
    const std::string dir = TempPath(name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

template <class E>
std::string ThrownText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.text;
    } catch (...) {
        return "<other exception>";
    }
    return "<nothing thrown>";
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

    StubReader missing;
    EXPECT_EQ(ThrownText<EGraphicsException>([&] { missing.LoadA("no/such/file.png", image); }),
              "Fehler beim \xD6" "ffnen der Datei");
    EXPECT_EQ(ThrownText<EBmpFileOpenError>([&] {
                  StubBmpReader bmp;
                  bmp.LoadA("no/such/file.bmp", image);
              }),
              "Fehler beim \xD6" "ffnen der BMP-Datei !");
    EXPECT_EQ(missing.reads, 0);
    EXPECT_EQ(ThrownText<EGraphicsException>([&] { missing.LoadA(nullptr, image); }),
              "Fehler beim \xD6" "ffnen der Datei");
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

TEST(FormatSave, WritesANewFileAndReplacesAnOldOne)
{
    const std::string dir = FreshDir("save_ok");
    const std::string path = dir + "/map.png";
    CGraphicsImage image;
    StubWriter writer;
    writer.SaveA(path.c_str(), image);
    EXPECT_EQ(ReadBytes(path), writer.data);

    writer.data = Pattern(10, 8);
    writer.SaveA(path.c_str(), image);
    EXPECT_EQ(ReadBytes(path), writer.data);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"map.png"});

    const std::filesystem::path wide = std::filesystem::path(dir) / std::filesystem::path(u"Stra\u00DFe.png");
    writer.SaveW(WidePath(wide).c_str(), image);
    EXPECT_EQ(ReadBytes(wide), writer.data);
}

TEST(FormatSave, AFailedSaveKeepsTheOldFileAndLeavesNothingBehind)
{
    const std::string dir = FreshDir("save_fails");
    const std::string path = dir + "/map.pnm";
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteBytes(path, old);
    CGraphicsImage image;

    StubWriter failing;
    failing.failHalfway = true;
    EXPECT_EQ(ThrownText<EPnmFileWriteError>([&] { failing.SaveA(path.c_str(), image); }),
              "Fehler beim Schreiben PNM-Datei !");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"map.pnm"});

    // A cancel at 0 percent: nothing written, the old file untouched.
    ProgressLog log;
    log.cancelAt = 0;
    StubWriter cancelled;
    cancelled.m_info.proc = &LogProgress;
    cancelled.m_info.user = reinterpret_cast<uintptr_t>(&log);
    EXPECT_EQ(ThrownText<EGraphicsAbort>([&] { cancelled.SaveW(WidePath(path).c_str(), image); }),
              "Benutzer Abbruch");
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"map.pnm"});

    // A new file that fails is not created at all.
    const std::string fresh = dir + "/new.pnm";
    EXPECT_THROW(failing.SaveA(fresh.c_str(), image), EPnmFileWriteError);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

#ifndef _WIN32
// A file size limit makes the disk "full" for this process: Write fits in the
// stream's buffer, so only the final flush fails.
TEST(FormatSave, AFailedFinalFlushKeepsTheOldFile)
{
    const std::string dir = FreshDir("save_flush");
    const std::string path = dir + "/map.png";
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteBytes(path, old);
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
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"map.png"});
}
#endif

TEST(FormatSave, CreateErrors)
{
    const std::string dir = FreshDir("save_create");
    CGraphicsImage image;
    StubWriter writer;
    const std::string missingDir = dir + "/no/such/dir/x.png";
    EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer.SaveA(missingDir.c_str(), image); }),
              "Fehler beim Erzeugen der Datei");
    EXPECT_EQ(writer.writes, 0);
    EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer.SaveA("", image); }), "Fehler beim Erzeugen der Datei");

    // A directory in the target's place cannot be replaced: the written file goes away again.
    const std::string blocked = dir + "/blocked.png";
    std::filesystem::create_directories(blocked + "/inner");
    EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer.SaveA(blocked.c_str(), image); }),
              "Fehler beim Erzeugen der Datei");
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"blocked.png"});
    EXPECT_TRUE(std::filesystem::is_directory(blocked + "/inner"));
}

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
