// Bounded text operations on 8-bit (code page 1252) and UTF-16 texts.
//
// Lengths and sizes count characters (bytes or UTF-16 code units); a
// destination size includes the terminating NUL, and every destination that
// has room for one character is left terminated. Sources are read no further
// than their NUL or the stated bound.
#pragma once

#include "platform/win32/win.h"
#include "text/char_class.h"

#include <cstdint>

// Copies `source` into a buffer of `size` characters, cut to size - 1 and
// terminated; nothing is written for a size below 1. Returns the number of
// characters copied. Source and destination may overlap.
int StrCopyBoundedA(char* destination, const char* source, int size);

// Appends `source` to the text in a buffer of `size` characters, cut to fit
// and terminated. Returns the new length. When the first `size` characters
// hold no NUL the buffer is not a text: it is left untouched and `size` is
// returned (a result no terminated text in the buffer can have).
int StrAppendBoundedA(char* destination, const char* source, int size);

// Copies at most `n` characters of `source` into a buffer of `size`
// characters, terminated. Returns the number copied (0 for n or size below 1).
// `source` is read no further than n characters.
int StrCopyPrefixA(char* destination, const char* source, int size, int n);

// The length of `text`, at most `max` (0 for a max below 1).
int StrLenBoundedA(const char* text, int max);

// The index of the first `character` in `text`, or the text's length when it
// does not occur (also for the NUL character).
int StrLenToCharA(const char* text, char character);

// StrChangeCaseA flags: one selector, optionally kCaseNational and one
// restriction; other bits are ignored. A text the restriction excludes is
// copied unchanged.
enum : unsigned {
    kCaseKeep = 0x0000,        // copy unchanged
    kCaseUpper = 0x0100,       // all letters capital
    kCaseCapitalise = 0x0200,  // first letter of each word capital, the rest small
    kCaseLower = 0x0300,       // all letters small
    kCaseSelectorMask = 0x0300,

    kCaseNational = 0x2000,    // convert and count national letters (Ä, ö, Š, ÿ...) too

    kCaseIfNoUpper = 0x4000,   // only texts without capitals
    kCaseIfNoLower = 0x8000,   // only texts without small letters
    kCaseIfNotMixed = 0xC000,  // only texts that do not have both
    kCaseRestrictMask = 0xC000,
};

// Converts the case of `source` into `destination` (which may equal source
// and must hold the source's length + 1 characters) by the flags above.
// Without kCaseNational only 'A'..'Z' / 'a'..'z' are converted and counted
// for the restriction. A word starts at a letter (national letters always
// count as letters) that does not follow a letter: "O'NEIL" becomes "O'Neil".
// ß stays as it is and counts as neither capital nor small. Returns the
// length. The folder dialog's 0xA200 capitalises the words of all-capital
// texts, national letters included: "MÜNCHEN" -> "München".
int StrChangeCaseA(char* destination, const char* source, unsigned flags);

// The length of the leading run of `text` whose characters' classes (see
// char_class.h) share no bit with `classMask`. Bit 0x80000000 (kCharEnd) of
// the mask is inverted first, so the NUL ends the run unless the mask has
// that bit; the run never passes the NUL in any case, as nothing bounds the
// text beyond it.
int StrSpanNotClassA(const char* text, uint32_t classMask);

// Compares at most `n` characters of two paths, 'A'..'Z' as 'a'..'z' and '/'
// as '\'. Returns 0 when equal, else the difference of the first unequal
// mapped characters as unsigned bytes.
int PathCompareNA(const char* a, const char* b, int n);

// Case-blind comparison in the code page's own case mapping (CharToLower:
// A-Z and the national letters such as Ä/ä, Š/š, Ÿ/ÿ). Compares at most `n`
// characters, or up to the NUL when `n` is negative. Returns 0 when equal,
// else the difference of the first unequal lower-cased bytes.
int StrCompareNoCaseNA(const char* a, const char* b, int n);

// The index of the first case-blind occurrence of `pattern` in `text`, or -1;
// an empty pattern is found at 0.
int StrFindNoCaseA(const char* text, const char* pattern);

// Converts UTF-8 into UTF-16 in a buffer of `destinationSize` code units,
// terminated. `sourceLength` bytes are read, or up to the NUL when it is
// negative; a NUL within them ends the text. Every maximal ill-formed subpart
// (stray continuation bytes, overlong forms, encoded surrogates, values above
// U+10FFFF, cut sequences) becomes one U+FFFD. A character that does not fit
// ends the conversion: a surrogate pair is never split. Returns the length in
// code units (0 for a destination size below 2).
int StrUtf8ToWide(WCHAR* destination, const char* source, int destinationSize, int sourceLength);

// Narrows UTF-16 into a byte buffer of `destinationSize`, terminated, code
// unit by code unit: units of 256 and above become 255. Reads `sourceLength`
// units, or up to the NUL when it is negative, and stops at a NUL. Returns the
// length.
int StrWideToByte(char* destination, const WCHAR* source, int destinationSize, int sourceLength);
