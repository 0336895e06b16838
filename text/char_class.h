// Character classes and letter case of the 8-bit (ANSI, code page 1252)
// character set.
//
// Every byte has a class word; a byte belongs to exactly one class. The bits:
//
//   kCharUpper     0x0001  'A'..'Z'
//   kCharLower     0x0002  'a'..'z'
//   kCharDigit     0x0004  '0'..'9'
//   kCharSpace     0x0008  blank, tab, line feed, vertical tab, form feed,
//                          carriage return
//   kCharPathSep   0x0010  '\' and '/'
//   kCharColon     0x0020  ':' (drive letters, streams)
//   kCharPunct     0x0040  the other printable ASCII characters
//   kCharControl   0x0080  0x01..0x1F (except the spaces) and 0x7F
//   kCharNatUpper  0x0100  national capitals: Š Œ Ž Ÿ, À..Þ without ×
//   kCharNatLower  0x0200  national small letters: š œ ž, ß, à..ÿ without ÷
//   kCharOther     0x0400  the other bytes from 0x80 up (symbols, no-break
//                          space, unassigned codes)
//   kCharEnd       0x80000000  the NUL that ends a text
//
// ß is a small letter without a capital in this character set: it is never
// converted and does not make a text lower-case (an all-capital German text
// still writes "STRAßE").
#pragma once

#include <cstdint>

enum : uint32_t {
    kCharUpper = 0x0001,
    kCharLower = 0x0002,
    kCharDigit = 0x0004,
    kCharSpace = 0x0008,
    kCharPathSep = 0x0010,
    kCharColon = 0x0020,
    kCharPunct = 0x0040,
    kCharControl = 0x0080,
    kCharNatUpper = 0x0100,
    kCharNatLower = 0x0200,
    kCharOther = 0x0400,
    kCharEnd = 0x80000000u,

    kCharAsciiLetter = kCharUpper | kCharLower,
    kCharNatLetter = kCharNatUpper | kCharNatLower,
    kCharLetter = kCharAsciiLetter | kCharNatLetter,
};

// The class word of a byte.
uint32_t CharClassOf(unsigned char c);

// The capital / small partner of a letter; other bytes, and ß, map to
// themselves.
unsigned char CharToUpper(unsigned char c);
unsigned char CharToLower(unsigned char c);
