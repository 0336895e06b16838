// The graphics library's front door for image files: load by content, save
// by file-name extension. These functions never throw; a failure is a
// negative result with its message in the calling thread's load or save
// message buffer.
//
// Each thread has its own message buffers and transparent index (the map
// engine decodes tiles on several threads at once); the save transparency
// setting is one value for the whole process.
#pragma once

#include <cstdint>

class CGraphicsImage;

// Messages are cut to this many bytes with their NUL.
constexpr int kGraphicsMessageSize = 512;
// Initial save transparency: every writer keeps its defaults.
constexpr int32_t kSaveTransparencyDefault = -2;
// Save transparency: no transparency.
constexpr int32_t kSaveTransparencyNone = -1;

// Load results of LoadGraphicsFile.
enum : int {
    kLoadOk = 0,
    kLoadGraphicsError = -1,   // a format error (exception code other than 4, 5, 6)
    kLoadUnknownFormat = -2,
    kLoadCannotOpen = -3,
    kLoadTooLarge = -4,        // exception code 4
    kLoadWrongColor = -5,      // exception code 5
    kLoadNoMemory = -6,        // exception code 6
    kLoadOtherError = -7,      // any other exception
};
// Results of LoadGraphicsFromMemory.
enum : int {
    kMemoryLoadGraphicsError = -1,  // any format error
    kMemoryLoadUnknownFormat = -2,  // also: no data
    kMemoryLoadOtherError = -4,
};
// Results of SaveGraphicsFile.
enum : int {
    kSaveOk = 0,
    kSaveGraphicsError = -1,
    kSaveUnknownExtension = -2,
    kSaveOtherError = -4,
};

// Loads the file into `image`, choosing the reader by the first 64 bytes.
// When `comment` is given it is set to null first and, after a successful
// read, to a heap copy of the file's comment when it has a non-empty one;
// the caller releases that copy with delete[].
int LoadGraphicsFile(const char* path, CGraphicsImage& image, char** comment = nullptr);

// The same for `size` bytes at `data` (data shorter than 64 bytes is
// classified zero-padded; no data gives kMemoryLoadUnknownFormat).
int LoadGraphicsFromMemory(const void* data, uint32_t size, CGraphicsImage& image, char** comment = nullptr);

// Saves the image in the format its extension names (".png", ".jpg"...),
// applying the save transparency setting; `comment`, when not null, is
// stored by formats that keep comments.
int SaveGraphicsFile(const char* path, CGraphicsImage& image, const char* comment);

// The calling thread's message of its last failed load (cleared when a load
// starts) and of its last failed save (kept over successful saves).
const char* GetGraphicsLoadError();
const char* GetGraphicsSaveError();

// The transparent colour index of the calling thread's last successful load
// when that was a GIF with a transparent colour, else -1.
int32_t GetGraphicsTransparentIndex();

// kSaveTransparencyDefault, kSaveTransparencyNone, or 0 and more: save with
// transparency (for GIF the transparent palette index).
void SetGraphicsSaveTransparency(int32_t setting);
