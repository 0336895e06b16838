// Incremental search: characters typed in quick succession select the row
// whose text begins with them. The rules shared by the TreeList and the list
// dialogs: how long a search lasts, how letters are upper-cased and how the
// row is found.
#pragma once

#include <cstdint>

constexpr uint32_t kIncrementalSearchMaxChars = 16;

// Milliseconds after the last character at which the next one starts a new
// search, by the number of characters typed so far: 500 before the first,
// 750 after one or two, 1000 after three or more.
uint32_t IncrementalSearchTimeout(uint32_t typed);

// a..z and the national letters 224..254 lose 32; other characters stay.
unsigned char IncrementalSearchUpper(unsigned char c);

// The text of a row (null counts as empty).
typedef const char* (*IncrementalSearchTextFn)(void* context, uint32_t row);

// Finds the row for `count` upper-cased characters among rowCount rows,
// starting behind startRow and wrapping round to it: the first row whose
// text begins with all of them. When none does but some row begins with the
// first character, the search steps from the first such row to the next
// row beginning with the second character, then the third, and so on, so
// that one letter typed again and again walks through the rows that begin
// with it. False when no row begins with the first character.
bool IncrementalSearchFind(uint32_t rowCount, uint32_t startRow, const unsigned char* chars, uint32_t count,
                           IncrementalSearchTextFn text, void* context, uint32_t& found);
