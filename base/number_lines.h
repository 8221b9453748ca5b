#pragma once
// The events' small text data files (a character's frames, anchor, energy and
// speed) hold one whole number per line. The formats differ only in what a
// line may carry after its number and in what may follow the last value.

#include <cstddef>
#include <cstdint>

struct NumberLineRules {
  // Text after the number on a line is a comment (otherwise only blanks may
  // follow it).
  bool restOfLineIgnored = false;
  // Once the values wanted are read, only blank lines may follow (otherwise
  // whatever follows is not read).
  bool onlyBlankLinesAfter = false;
};

enum class NumberLinesError { kNone, kNotNumber, kTextAfterLast };

// One line's number: blanks, an optional sign, 1..9 digits, then blanks or,
// where the rules allow, anything. A blank line reads as 0, as the files
// always have been read.
bool ParseNumberLine(const uint8_t* p, size_t n, bool restOfLineIgnored, int32_t* value);

// Reads up to `most` values, a line each, into values[]. Returns how many were
// read; on an error *error says which and *badLine (1-based) where.
int ReadNumberLines(const uint8_t* data, size_t size, int32_t* values, int most, const NumberLineRules& rules,
                    NumberLinesError* error, int* badLine);

// How the game's own text data files (a skater's, a swimmer's) have always
// been read: a line at a time up to its newline, a carriage return before it
// dropped, and the line's first `lineChars` characters converted as atoi
// does (blanks, an optional sign, digits up to the first other character; no
// digits give 0). So "5x" reads 5, "7 ; speed" 7 and an empty line 0. Lines
// after the first `most` are not read, and values the file does not reach
// stay as they are. Returns the number of lines read.
int ReadLeadingNumberLines(const uint8_t* data, size_t size, int32_t* values, int most, size_t lineChars);
