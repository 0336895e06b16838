// Every format's own errors for load and save by path and for an image
// without pixels, through the readers and writers its registry row makes;
// every save refusing a target the caller may not write.
#include "graphics/formats/bmp_writer.h"
#include "graphics/formats/format_dispatch.h"
#include "graphics/formats/format_framework.h"
#include "graphics/formats/format_registry.h"
#include "graphics/formats/gif_writer.h"
#include "graphics/formats/png_writer.h"
#include "graphics/formats/tls_writer.h"
#include "graphics/image.h"
#include "tests/graphics/formats/codec_test_files.h"
#include "tests/system/stream_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using codec_test::ThrownText;
using codec_test::TempFile;
using lindar_test::ReadBytes;
using lindar_test::WidePath;
using lindar_test::WriteBytes;

namespace {

struct FileErrorCase {
    FormatId id;
    const char* openFailed;    // reader: the path cannot be opened
    const char* createFailed;  // writer: the file cannot be created; null: no writer
    const char* emptyImage;    // writer: an image without pixels
};

const FileErrorCase kCases[] = {
    {kFormatBmp, "Fehler beim Öffnen der BMP-Datei !", "Fehler beim Öffnen der BMP-Datei !", "Falsche Bild-Daten !"},
    {kFormatJpeg, "Fehler beim Öffnen der Datei !", "Fehler beim Öffnen der Datei !", "Falsche Bild-Daten !"},
    {kFormatGif, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Datei", "Das Bils ist leer"},
    {kFormatPng, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Datei", "Ungültiges Bild"},
    {kFormatTiff, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Datei", "Leeres Bild übergeben"},
    {kFormatXpm, "Fehler beim Öffnen der Datei", "Fehler beim Erzeugen der Dateio", "Falsche Bild-Daten !"},
    {kFormatXwd, "Fehler beim Öffnen der XWD-Datei !", "Fehler beim Öffnen der XWD-Datei !", "Falsche Bild-Daten !"},
    {kFormatPnm, "Fehler beim Öffnen der PNM-Datei !", "Fehler beim Öffnen der PNM-Datei !", "Falsche Bild-Daten !"},
    {kFormatEps, "Fehler beim Öffnen der EPS-Datei !", "Fehler beim Öffnen der EPS-Datei !", "Falsche Bild-Daten !"},
    {kFormatTls, "Fehler beim Öffnen der TLS-Datei !", "Fehler beim Öffnen der TLS-Datei !", "Falsche Bild-Daten !"},
    {kFormatIcon, "Datei konnte nicht geöffnet werden !", nullptr, nullptr},
};

TEST(FormatFileErrors, EachFormatNamesItsOwn)
{
    ASSERT_EQ(std::size(kCases), size_t(kFormatCount));
    const std::string missing = TempFile("no-such-folder/x");
    const std::basic_string<WCHAR> wideMissing = lindar_test::WidePath(missing);
    CGraphicsImage image, empty, noHeight;
    codec_test::MakeRandomImage(image, 8, 4, 4, 7);
    ASSERT_TRUE(noHeight.Create(8, 4, 0));
    for (const FileErrorCase& c : kCases) {
        const GraphicsFormat* format = FindGraphicsFormat(c.id);
        ASSERT_TRUE(format && format->newReader);
        SCOPED_TRACE(format->name);
        std::unique_ptr<CGraphicsReader> reader(format->newReader());
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { reader->LoadA(missing.c_str(), image); }), c.openFailed);
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { reader->LoadW(wideMissing.c_str(), image); }), c.openFailed);
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { reader->LoadA(nullptr, image); }), c.openFailed);

        ASSERT_EQ(format->newWriter != nullptr, c.createFailed != nullptr);
        if (!format->newWriter)
            continue;
        std::unique_ptr<CGraphicsWriter> writer(format->newWriter());
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer->SaveA(missing.c_str(), image); }), c.createFailed);
        EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer->SaveW(wideMissing.c_str(), image); }),
                  c.createFailed);
        // The empty image is refused inside the write, after the file was made.
        for (CGraphicsImage* refused : {&empty, &noHeight}) {
            const std::string path = TempFile(std::string("empty-") + format->name);
            EXPECT_EQ(ThrownText<EGraphicsException>([&] { writer->SaveA(path.c_str(), *refused); }), c.emptyImage);
        }
    }
}

// ------------------------------------------------ targets one may not write --

const char* CreateFailedText(FormatId id)
{
    for (const FileErrorCase& c : kCases)
        if (c.id == id)
            return c.createFailed;
    return nullptr;
}

// One way to save a file: a writer's own operation, or the dispatcher (whose
// message is the writer's text, thrown here to compare alike).
struct SaveRoute {
    FormatId id;  // kFormatUnknown: every format with a writer
    const char* name;
    void (*save)(CGraphicsWriter& writer, const std::string& path, CGraphicsImage& image);
};

const SaveRoute kSaveRoutes[] = {
    {kFormatUnknown, "SaveA", [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) { w.SaveA(p.c_str(), i); }},
    {kFormatUnknown, "SaveW",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) { w.SaveW(WidePath(p).c_str(), i); }},
    {kFormatUnknown, "SaveGraphicsFile",
     [](CGraphicsWriter&, const std::string& p, CGraphicsImage& i) {
         if (SaveGraphicsFile(p.c_str(), i, "Kommentar") != kSaveOk)
             throw EGraphicsException(GetGraphicsSaveError());
     }},
    {kFormatPng, "SaveWithAlphaA",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         static_cast<CPngWriter&>(w).SaveWithAlphaA(p.c_str(), i, kPngOptionAlpha);
     }},
    {kFormatPng, "SaveWithAlphaW",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         static_cast<CPngWriter&>(w).SaveWithAlphaW(WidePath(p).c_str(), i, kPngOptionAlpha);
     }},
    {kFormatBmp, "SaveWithAlphaA",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         static_cast<CBmpWriter&>(w).SaveWithAlphaA(p.c_str(), i, kBmpWithAlpha);
     }},
    {kFormatBmp, "SaveWithAlphaW",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         static_cast<CBmpWriter&>(w).SaveWithAlphaW(WidePath(p).c_str(), i, kBmpWithAlpha);
     }},
    {kFormatGif, "SaveSequenceA",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         CGraphicsImage* list[] = {&i, &i};
         static_cast<CGifWriter&>(w).SaveSequenceA(p.c_str(), list, 2);
     }},
    {kFormatGif, "SaveSequenceW",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         CGraphicsImage* list[] = {&i, &i};
         static_cast<CGifWriter&>(w).SaveSequenceW(WidePath(p).c_str(), list, 2);
     }},
    {kFormatTls, "SaveSequenceA",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         static_cast<CTlsWriter&>(w).SaveSequenceA(p.c_str(), &i, 1, nullptr, nullptr, nullptr);
     }},
    {kFormatTls, "SaveSequenceW",
     [](CGraphicsWriter& w, const std::string& p, CGraphicsImage& i) {
         static_cast<CTlsWriter&>(w).SaveSequenceW(WidePath(p).c_str(), &i, 1, nullptr, nullptr, nullptr);
     }},
};

// One save onto its own target: the format, the route and the file.
struct SaveRow {
    FormatId id;
    const SaveRoute* route;
    std::string target;
};

// A row per format with a writer and route, each target named so that the
// dispatcher picks the format by its extension.
std::vector<SaveRow> SaveRows(const std::string& dir)
{
    std::vector<SaveRow> rows;
    for (const SaveRoute& route : kSaveRoutes)
        for (int id = 0; id < kFormatCount; ++id) {
            const GraphicsFormat* format = FindGraphicsFormat(FormatId(id));
            if (!format->newWriter || (route.id != kFormatUnknown && route.id != format->id))
                continue;
            std::string extension = format->extensions[0];
            std::transform(extension.begin(), extension.end(), extension.begin(),
                           [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); });
            rows.push_back({format->id, &route, dir + "/" + format->name + "-" + route.name + extension});
        }
    return rows;
}

// Runs every row's save; the text each threw ("<nothing thrown>" when none).
std::vector<std::string> RunSaves(const std::vector<SaveRow>& rows)
{
    CGraphicsImage image;
    codec_test::MakeRandomImage(image, 8, 4, 4, 3);
    std::vector<std::string> thrown;
    for (const SaveRow& row : rows) {
        std::unique_ptr<CGraphicsWriter> writer(FindGraphicsFormat(row.id)->newWriter());
        thrown.push_back(ThrownText<EGraphicsException>([&] { row.route->save(*writer, row.target, image); }));
    }
    return thrown;
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(dir + "/" + entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<uint8_t> kOldFile = {'a', 'l', 't'};

#ifndef _WIN32
constexpr uid_t kNobody = 65534;

// Runs the saves in a child that has become nobody; its texts come back
// through a pipe, one a line (no text holds a line break).
std::vector<std::string> RunSavesAsNobody(const std::vector<SaveRow>& rows)
{
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(2);
        std::string out;
        for (const std::string& text : RunSaves(rows))
            out += text + '\n';
        const bool written = write(fds[1], out.data(), out.size()) == ssize_t(out.size());
        _exit(written ? 0 : 3);
    }
    close(fds[1]);
    std::string in;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        in.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::vector<std::string> texts;
    for (size_t start = 0, end; (end = in.find('\n', start)) != std::string::npos; start = end + 1)
        texts.push_back(in.substr(start, end - start));
    return texts;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Whether the process could open the file for writing directly.
bool DirectWriteRefused(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0)
        ::close(fd);
    return fd < 0;
}
#endif

// A target in a folder the saver may add files to; `prepare` sets its
// rights. A refused save throws the writer's open error before anything is
// written: the old file stays as it was (rights too), no temporary is left.
struct TargetCase {
    const char* name;
    void (*prepare)(const std::string& path);
    bool asNobody;  // the saves run as nobody (in a child of the superuser)
    bool refused;
};

std::vector<TargetCase> TargetCases()
{
#ifdef _WIN32
    return {
        {"a read-only file", [](const std::string& p) { SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_READONLY); },
         false, true},
        {"a writable file", [](const std::string&) {}, false, false},
    };
#else
    if (geteuid() != 0)  // one user: no other's file to try
        return {
            {"a read-only file of one's own", [](const std::string& p) { chmod(p.c_str(), 0444); }, false, true},
            {"a writable file", [](const std::string&) {}, false, false},
        };
    return {
        {"a read-only file of one's own",
         [](const std::string& p) {
             EXPECT_EQ(chown(p.c_str(), kNobody, kNobody), 0);
             chmod(p.c_str(), 0444);
         },
         true, true},
        {"another user's file", [](const std::string& p) { chmod(p.c_str(), 0644); }, true, true},
        // The superuser may write any file: a direct write would succeed too.
        {"a read-only file of the superuser's, saved by the superuser",
         [](const std::string& p) { chmod(p.c_str(), 0444); }, false, false},
        {"a writable file", [](const std::string&) {}, false, false},
    };
#endif
}

TEST(FormatFileErrors, SavesRefuseATargetTheCallerMayNotWrite)
{
    for (const TargetCase& c : TargetCases()) {
        SCOPED_TRACE(c.name);
        const std::string dir = TempFile("read_only_targets");
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const std::vector<SaveRow> rows = SaveRows(dir);
        for (const SaveRow& row : rows) {
            WriteBytes(row.target, kOldFile);
            c.prepare(row.target);
        }
#ifdef _WIN32
        const std::vector<std::string> thrown = RunSaves(rows);
#else
        chmod(dir.c_str(), 0777);
        // The test's own premise: a direct write meets the same rights.
        for (const SaveRow& row : rows)
            EXPECT_TRUE(c.asNobody || DirectWriteRefused(row.target) == c.refused) << row.target;
        std::vector<mode_t> modes;
        for (const SaveRow& row : rows)
            modes.push_back(ModeOf(row.target));
        const std::vector<std::string> thrown = c.asNobody ? RunSavesAsNobody(rows) : RunSaves(rows);
#endif
        ASSERT_EQ(thrown.size(), rows.size());
        std::vector<std::string> targets;
        for (size_t i = 0; i < rows.size(); ++i) {
            const SaveRow& row = rows[i];
            SCOPED_TRACE(row.target);
            targets.push_back(row.target);
            if (!c.refused) {
                EXPECT_EQ(thrown[i], "<nothing thrown>");
                EXPECT_NE(ReadBytes(row.target), kOldFile);
                continue;
            }
            EXPECT_EQ(thrown[i], CreateFailedText(row.id));
            EXPECT_EQ(ReadBytes(row.target), kOldFile);
#ifdef _WIN32
            EXPECT_TRUE(GetFileAttributesA(row.target.c_str()) & FILE_ATTRIBUTE_READONLY);
            SetFileAttributesA(row.target.c_str(), FILE_ATTRIBUTE_NORMAL);
#else
            EXPECT_EQ(ModeOf(row.target), modes[i]);
#endif
        }
        std::sort(targets.begin(), targets.end());
        EXPECT_EQ(FilesIn(dir), targets) << "files left or lost";
    }
}

}  // namespace
