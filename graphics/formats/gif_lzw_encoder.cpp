#include "graphics/formats/gif_lzw_encoder.h"

#include "graphics/formats/format_framework.h"
#include "system/buffered_stream.h"

#include <cstring>

void GifPut(CBufferedStream& stream, const void* data, size_t n)
{
    if (stream.Write(data, int32_t(n)) != int32_t(n))
        throw EGraphicsException("Fehler beim Schreiben");
}

CGifLzwEncoder::CGifLzwEncoder(CBufferedStream& stream, int rootBits)
    : m_stream(stream), m_rootBits(rootBits), m_clear(1 << rootBits), m_end(m_clear + 1)
{
    const uint8_t size = uint8_t(rootBits);
    GifPut(m_stream, &size, 1);
    m_codeBits = m_rootBits + 1;
    m_maxCode = (1 << m_codeBits) - 1;
    m_free = m_end + 1;
    std::memset(m_hashKey, 0xFF, sizeof m_hashKey);
    Output(m_clear);
}

void CGifLzwEncoder::Pixels(const uint8_t* indices, size_t n)
{
    size_t i = 0;
    if (m_prefix < 0 && n > 0)
        m_prefix = indices[i++];
    for (; i < n; ++i) {
        const int c = indices[i];
        const int32_t key = (int32_t(c) << kGifMaxCodeBits) + m_prefix;
        int h = (c << kHashShift) ^ m_prefix;
        if (m_hashKey[h] == key) {
            m_prefix = m_hashCode[h];
            continue;
        }
        bool found = false;
        if (m_hashKey[h] >= 0) {
            const int step = h == 0 ? 1 : kHashSize - h;
            do {
                h -= step;
                if (h < 0)
                    h += kHashSize;
                found = m_hashKey[h] == key;
            } while (!found && m_hashKey[h] >= 0);
        }
        if (found) {
            m_prefix = m_hashCode[h];
            continue;
        }
        Output(m_prefix);
        m_prefix = c;
        if (m_free < kGifMaxCodes) {
            m_hashCode[h] = uint16_t(m_free++);
            m_hashKey[h] = key;
        } else {
            ClearTable();
        }
    }
}

void CGifLzwEncoder::ClearTable()
{
    std::memset(m_hashKey, 0xFF, sizeof m_hashKey);
    m_free = m_end + 1;
    m_clearPending = true;
    Output(m_clear);
}

// Writes a code at the current width, then widens for the next one as the
// decoder will: once the next free code no longer fits.
void CGifLzwEncoder::Output(int code)
{
    m_bits |= uint64_t(code) << m_bitCount;
    m_bitCount += m_codeBits;
    while (m_bitCount >= 8) {
        PutByte(uint8_t(m_bits));
        m_bits >>= 8;
        m_bitCount -= 8;
    }
    if (m_clearPending) {
        m_codeBits = m_rootBits + 1;
        m_maxCode = (1 << m_codeBits) - 1;
        m_clearPending = false;
    } else if (m_free > m_maxCode) {
        ++m_codeBits;
        // At 12 bits the table fills up to kGifMaxCodes and is then cleared.
        m_maxCode = m_codeBits == kGifMaxCodeBits ? kGifMaxCodes : (1 << m_codeBits) - 1;
    }
}

void CGifLzwEncoder::PutByte(uint8_t byte)
{
    m_packet[1 + m_packetLength++] = byte;
    if (m_packetLength == kPacketMax)
        FlushPacket();
}

void CGifLzwEncoder::FlushPacket()
{
    if (m_packetLength == 0)
        return;
    m_packet[0] = uint8_t(m_packetLength);
    GifPut(m_stream, m_packet, size_t(m_packetLength) + 1);
    m_packetLength = 0;
}

void CGifLzwEncoder::Finish()
{
    if (m_prefix >= 0)
        Output(m_prefix);
    Output(m_end);
    if (m_bitCount > 0)
        PutByte(uint8_t(m_bits));
    m_bits = 0;
    m_bitCount = 0;
    FlushPacket();
    const uint8_t terminator = 0;
    GifPut(m_stream, &terminator, 1);
}
