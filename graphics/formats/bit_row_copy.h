// Copies of bit rows that start or end inside a byte (the image's cropping
// uses them for sub-byte depths).
//
// The source is a bit row whose bit 0 is the most significant bit of its
// first byte. Destination word i receives the 32 source bits starting at
// startBit + 32 * i, stored in the same bit order; source bits below 0 or at
// or after bitLimit give 0, so a start not below the limit, or a limit below
// 1, zeroes the destination. Only the source bytes holding bits [0, bitLimit)
// are read. A word count below 1 does nothing.
#pragma once

#include <cstdint>

// Writes the words from the first to the last.
void CopyBitsForward(int32_t startBit, int32_t wordCount, const uint32_t* source, uint32_t* destination,
                     int32_t bitLimit);
// Writes the words from the last to the first, for a destination that
// overlaps the source at a higher address.
void CopyBitsBackward(int32_t startBit, int32_t wordCount, const uint32_t* source, uint32_t* destination,
                      int32_t bitLimit);
