// GIF's variable-length LZW decoder over the sub-blocks of one image.
//
// Every code is checked before it is used: a code above the next free entry
// (or a string code with no string before it, or a root above 255) is
// corrupt, the table never grows past kGifMaxCodes entries, and codes never
// get wider than 12 bits once strings are added (a minimum code size of 12
// starts, and stays, at 13 bits without any), so no input writes outside the
// table or walks an undefined prefix chain.
#pragma once

#include "graphics/formats/gif_format.h"

#include <cstdint>
#include <vector>

class CReadCursor;

class CGifLzwDecoder {
public:
    // Receives each complete row of `width` indices, in stream order.
    class RowSink {
    public:
        virtual void Row(const uint8_t* indices) = 0;

    protected:
        ~RowSink() = default;
    };

    // `rootBits` (kGifMinRootBits..kGifMaxRootBits, checked by the caller)
    // is the stream's minimum code size.
    CGifLzwDecoder(CReadCursor& in, int rootBits, uint32_t width);

    // Decodes until `rows` rows went to the sink or the end code. Throws the
    // cursor's corrupt error for a bad code and when the sub-blocks end before
    // either; the rows given before stay given.
    void Decode(RowSink& sink, uint32_t rows);
    // Skips the image's remaining sub-blocks up to their terminator.
    void SkipRest();

private:
    bool NextBlock();
    int NextCode();
    void Reset();

    CReadCursor& m_in;
    const int m_rootBits;
    const int m_clear;
    const int m_end;
    const uint32_t m_width;

    int m_codeBits = 0;
    int m_free = 0;
    uint64_t m_bits = 0;
    int m_bitCount = 0;
    uint8_t m_block[kGifSubBlockMax];
    int m_blockLength = 0;
    int m_blockPos = 0;
    bool m_terminated = false;

    uint16_t m_prefix[kGifMaxCodes];
    uint16_t m_length[kGifMaxCodes];
    uint8_t m_suffix[kGifMaxCodes];
    uint8_t m_first[kGifMaxCodes];
    // A row and the string that overran it: strings are written backwards
    // from their end, so a whole string always fits behind the row.
    std::vector<uint8_t> m_run;
};
