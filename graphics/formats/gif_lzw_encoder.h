// GIF's variable-length LZW encoder: the classic compress scheme, strings
// found through a 5003-slot open-addressed hash of (prefix, index) with
// secondary probing, codes growing to 12 bits and a clear code when the
// table is full. Codes go out in sub-blocks of at most 254 bytes.
#pragma once

#include "graphics/formats/gif_format.h"

#include <cstddef>
#include <cstdint>

class CBufferedStream;

// Writes all n bytes or throws EGraphicsException "Fehler beim Schreiben".
void GifPut(CBufferedStream& stream, const void* data, size_t n);

class CGifLzwEncoder {
public:
    // `rootBits` is the minimum code size (2..8): every index given must be
    // below 2 to its power. Writes that size and the first clear code.
    CGifLzwEncoder(CBufferedStream& stream, int rootBits);
    void Pixels(const uint8_t* indices, size_t n);
    // Writes the pending string, the end code, the last sub-block and the
    // terminator.
    void Finish();

private:
    static constexpr int kHashSize = 5003;  // prime, about 120 % of kGifMaxCodes
    static constexpr int kHashShift = 4;    // spreads (index << 4) ^ prefix over 2^12 slots
    static constexpr int kPacketMax = 254;

    void Output(int code);
    void ClearTable();
    void PutByte(uint8_t byte);
    void FlushPacket();

    CBufferedStream& m_stream;
    const int m_rootBits;
    const int m_clear;
    const int m_end;
    int m_codeBits;
    int m_maxCode;
    int m_free;
    bool m_clearPending = false;
    int m_prefix = -1;  // the string so far; -1 before the first index
    uint64_t m_bits = 0;
    int m_bitCount = 0;
    int m_packetLength = 0;
    uint8_t m_packet[1 + kPacketMax];
    int32_t m_hashKey[kHashSize];
    uint16_t m_hashCode[kHashSize];
};
