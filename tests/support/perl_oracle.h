#pragma once
#include <string>
#include <string_view>
#include <vector>

// Asks perl what an expression does. Expression and subject are Shift_JIS. With
// `characters` false perl sees the bytes; with it true iconv turns them into UTF-8,
// perl matches characters with ASCII-only \w \d \s (use re "/a"), and iconv turns
// the answer back into Shift_JIS.
struct PerlSubstitution {
  bool changed = false;
  std::string text;
};

PerlSubstitution perlSubstitute(std::string_view expression, std::string_view subject,
                                bool characters);
std::vector<std::string> perlSplit(std::string_view expression, std::string_view subject, int limit,
                                   bool characters);
bool perlMatches(std::string_view expression, std::string_view subject, bool characters);
