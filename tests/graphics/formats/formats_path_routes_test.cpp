// Readers and writers with path operations of their own: the base load and
// save by path go through those operations with the stored settings, so a
// class derived from one sees every load or save in its override.
#include "graphics/formats/icon_reader.h"
#include "graphics/formats/png_writer.h"
#include "graphics/formats/tls_reader.h"
#include "graphics/image.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// One call of an own path operation: its path (narrowed), width ('A' or
// 'W') and the settings it was given.
struct Route {
    std::string path;
    char width;
    std::vector<int64_t> settings;
    bool operator==(const Route& other) const
    {
        return std::tie(path, width, settings) == std::tie(other.path, other.width, other.settings);
    }
};

std::string Narrow(const WCHAR* path)
{
    std::string text;
    for (; path && *path; ++path)
        text += char(*path);
    return text;
}

class RecordingTlsReader : public CTlsReader {
public:
    void LoadIndexA(const char* path, CGraphicsImage&, uint32_t index) override { routes.push_back({path, 'A', {index}}); }
    void LoadIndexW(const WCHAR* path, CGraphicsImage&, uint32_t index) override
    {
        routes.push_back({Narrow(path), 'W', {index}});
    }
    std::vector<Route> routes;
};

class RecordingIconReader : public CIconReader {
public:
    void LoadIconA(const char* path, CGraphicsImage&, CGraphicsImage* mask, int32_t selector, int32_t group) override
    {
        routes.push_back({path, 'A', {mask != nullptr, selector, group}});
    }
    void LoadIconW(const WCHAR* path, CGraphicsImage&, CGraphicsImage* mask, int32_t selector, int32_t group) override
    {
        routes.push_back({Narrow(path), 'W', {mask != nullptr, selector, group}});
    }
    std::vector<Route> routes;
};

class RecordingPngWriter : public CPngWriter {
public:
    void SaveWithAlphaA(const char* path, CGraphicsImage&, uint32_t options) override
    {
        routes.push_back({path, 'A', {options}});
    }
    void SaveWithAlphaW(const WCHAR* path, CGraphicsImage&, uint32_t options) override
    {
        routes.push_back({Narrow(path), 'W', {options}});
    }
    std::vector<Route> routes;
};

const WCHAR kWidePath[] = {'b', '.', 'x', 0};

TEST(FormatPathRoutes, BaseLoadAndSaveTakeTheFormatsOwnOperation)
{
    CGraphicsImage image;
    RecordingTlsReader tls;
    tls.SetDefaultIndex(3);
    tls.LoadA("a.x", image);
    tls.LoadW(kWidePath, image);
    EXPECT_EQ(tls.routes, (std::vector<Route>{{"a.x", 'A', {3}}, {"b.x", 'W', {3}}}));

    RecordingIconReader icon;
    icon.LoadA("a.x", image);
    icon.LoadW(kWidePath, image);
    EXPECT_EQ(icon.routes, (std::vector<Route>{{"a.x", 'A', {0, -1, 0}}, {"b.x", 'W', {0, -1, 0}}}));

    RecordingPngWriter png;
    png.m_options = kPngOptionAlpha;
    png.SaveA("a.x", image);
    png.SaveW(kWidePath, image);
    EXPECT_EQ(png.routes, (std::vector<Route>{{"a.x", 'A', {kPngOptionAlpha}}, {"b.x", 'W', {kPngOptionAlpha}}}));
}

}  // namespace
