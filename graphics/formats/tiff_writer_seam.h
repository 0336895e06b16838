// Internal: the writer options no public operation sets (compression 5 or
// 32773, the alpha sample of 32-bit images). Used by the tests and the
// benchmark only.
#pragma once

#include "graphics/formats/tiff_writer.h"

struct CTiffWriterSeam {
    static void SetCompression(CTiffWriter& writer, uint32_t compression) { writer.m_compression = compression; }
    static void SetAlpha(CTiffWriter& writer, bool alpha) { writer.m_alpha = alpha; }
};
