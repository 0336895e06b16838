#include "graphics/formats/graphics_exceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The text and code a throw carries, caught as the common base.
template <class F>
std::pair<std::string, int32_t> Caught(F raise)
{
    try {
        raise();
    } catch (const EGraphicsException& e) {
        return {e.text, e.code};
    }
    return {"nothing thrown", -1};
}

// The codes of the four with codes, one text in CP1252 bytes (ß) and a
// family member caught as its family's base.
TEST(GraphicsExceptions, CodesCharsetAndFamilies)
{
    using R = std::pair<std::string, int32_t>;
    EXPECT_EQ(Caught([] { throw EGraphicsAbort(); }), R("Benutzer Abbruch", 1));
    EXPECT_EQ(Caught([] { throw EGraphicsPicSize(); }), R("Das Bild ist zu gro\xDF", 4));
    EXPECT_EQ(Caught([] { throw EGraphicsWrongColor(); }), R("Falsches Farbformat", 5));
    EXPECT_EQ(Caught([] { throw EGraphicsMemory(); }), R("Zu wenig Speicher", 6));
    EXPECT_THROW(throw EGifCorruptFile(), EGifError);
    EXPECT_THROW(throw EJpegBadData(), EJpegError);
    EXPECT_EQ(Caught([] { throw ETiffError("Fehler beim Erzeugen der Datei"); }),
              R("Fehler beim Erzeugen der Datei", 0));
}

TEST(GraphicsExceptions, TextIsCutTo255AndTerminated)
{
    const std::string longText(300, 'x');
    const struct {
        const char* message;
        size_t length;
    } cases[] = {{nullptr, 0}, {"", 0}, {longText.c_str(), 255}, {longText.c_str() + 46, 254}};
    for (const auto& c : cases) {
        const EGraphicsException e(c.message, 7);
        EXPECT_EQ(std::string(e.text), std::string(c.length, 'x'));
        EXPECT_EQ(e.code, 7);
    }
}

TEST(GraphicsExceptions, ThrowCreateErrorByErrorByte)
{
    const struct {
        int error;
        const char* text;
        int32_t code;
    } cases[] = {{1, "Das Bild ist zu gro\xDF", 4}, {3, "Zu wenig Speicher", 6}, {0, "Unknown error", 0},
                 {255, "Unknown error", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Caught([&] { ThrowCreateError(c.error); }), std::make_pair(std::string(c.text), c.code)) << c.error;
    EXPECT_THROW(ThrowCreateError(2), EGraphicsWrongColor);
}

}  // namespace
