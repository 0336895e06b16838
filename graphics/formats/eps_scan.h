// The EPS reader's text scanner: characters of the PostScript part through
// the bounded read cursor, never past the part's end, with lines, numbers,
// words and the hexadecimal data decoder.
#pragma once

#include "graphics/formats/read_cursor.h"

#include <cstdint>
#include <string>

class CEpsScanner {
public:
    // Scans from the cursor's position up to `end` (cut at the data's end).
    CEpsScanner(CReadCursor& in, int64_t end);

    int64_t Position() const { return m_base + (m_p - m_block); }
    int64_t End() const { return m_end; }
    // Continues at an absolute position (at most the end).
    void MoveTo(int64_t position);

    // The next character, -1 at the end.
    int Get()
    {
        if (m_p == m_q && !Fill())
            return -1;
        return *m_p++;
    }
    int Peek()
    {
        if (m_p == m_q && !Fill())
            return -1;
        return *m_p;
    }

    // The rest of the line (at most `keep` characters of it are returned),
    // then the run of CR and LF after it. False at the end.
    bool Line(std::string* text, size_t keep);
    // Skips blanks, tabs, CR and LF.
    void SkipSpace();
    // An unsigned decimal number; false (nothing consumed past the digits)
    // when there is none or it passes `max`.
    bool Unsigned(int64_t* value, int64_t max);
    // The word `word` when it comes next (consumed), else false.
    bool Word(const char* word);

    // Decodes hexadecimal digit pairs into out[0..n), skipping blanks,
    // tabs, CR and LF. Returns the bytes made: fewer than n only at the end.
    // Any other character throws the cursor's corrupt error.
    int64_t Hex(uint8_t* out, int64_t n);

private:
    bool Fill();

    CReadCursor& m_in;
    int64_t m_end;
    int64_t m_base;  // position of m_block[0]
    const uint8_t* m_block = nullptr;
    const uint8_t* m_p = nullptr;
    const uint8_t* m_q = nullptr;
    int m_highNibble = -1;  // a digit whose partner is still to come
};
