#pragma once
// The program's string table: the texts of base/strings.txt, compiled in.
// Each line of that file is "id<TAB>text"; the text takes C escapes (\n, \t,
// \\, \", \xHH); lines starting with '#' and blank lines are skipped.
#include <map>
#include <string>

using StringTable = std::map<unsigned, std::string>;

// Parses a table text. Malformed lines and repeated ids are reported in
// *errors (one line each) and skipped; the first text of an id wins.
StringTable ParseStringTable(const char* text, size_t size, std::string* errors);
// The compiled-in table, parsed once.
const StringTable& ProgramStringTable();
