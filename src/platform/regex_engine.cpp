#include "platform/regex_engine.h"

#include <algorithm>

#include "platform/regex_program.h"

namespace zunka::platform {
namespace {

using regex::ExpressionKind;
using regex::MatchSlices;
using regex::MatchSpans;
using regex::Program;
using regex::Subject;

Program& programOfKind(std::string_view expression, ExpressionKind kind) {
  Program& program = regex::programFor(expression);
  if (program.expression().kind != kind) {
    throw RegexError(std::string(kind == ExpressionKind::kMatch ? "not a match expression"
                                                                : "not a substitution") +
                     " in " + std::string(expression));
  }
  return program;
}

std::string_view sliceOf(const MatchSlices& slices, size_t group) {
  auto [begin, end] = slices.groups[group];
  if (begin == MatchSlices::kUnset) return {};
  return slices.subject.substr(begin, end - begin);
}

}  // namespace

bool regexMatch(std::string_view expression, std::string_view text,
                std::vector<std::string>& groups) {
  Program& program = programOfKind(expression, ExpressionKind::kMatch);
  Subject subject(text, program.expression().utf);
  MatchSpans spans;
  groups.clear();
  if (!program.find(subject, 0, false, spans)) return false;
  MatchSlices slices;
  program.toSlices(subject, spans, slices);
  for (size_t g = 0; g < slices.groups.size(); ++g) groups.emplace_back(sliceOf(slices, g));
  return true;
}

SubstitutionResult regexSubstitute(std::string_view expression, std::string_view text) {
  Program& program = programOfKind(expression, ExpressionKind::kSubstitution);
  const regex::ParsedExpression& parsed = program.expression();
  Subject subject(text, parsed.utf);
  SubstitutionResult result;
  MatchSpans spans;
  MatchSlices slices;
  size_t start = 0;
  size_t copied = 0;  // original bytes before this are already in the result
  bool afterEmpty = false;
  while (program.find(subject, start, afterEmpty, spans)) {
    program.toSlices(subject, spans, slices);
    auto [begin, end] = slices.groups[0];
    if (begin > copied) result.text.append(text.substr(copied, begin - copied));
    regex::expandReplacement(parsed.replacement, slices, result.text);
    copied = std::max(copied, end);
    ++result.replacements;
    if (!parsed.flags.global) break;
    // After an empty match the next one may not be empty at the same place, as in
    // Perl: s/x*/-/g turns "abc" into "-a-b-c-".
    afterEmpty = spans.begin[0] == spans.end[0];
    start = spans.end[0];
  }
  if (result.replacements == 0) {
    result.text.assign(text);
  } else {
    result.text.append(text.substr(copied));
  }
  return result;
}

std::vector<std::string> regexSplit(std::string_view expression, std::string_view text, int limit) {
  Program* program = &programOfKind(expression, ExpressionKind::kMatch);
  // As in Perl, split /^/ means split /^/m: a line split, the only useful reading.
  if (program->expression().pattern == "^" && !program->expression().flags.multiline)
    program = &regex::programFor(std::string(expression) + "m");
  std::vector<std::string> fields;
  if (text.empty()) return fields;
  Subject subject(text, program->expression().utf);
  const size_t length = subject.engineText().size();
  MatchSpans spans;
  MatchSlices slices;
  size_t position = 0;
  int remaining = limit;
  // A field never ends in an empty match at its own start (notEmptyAtStart), so a
  // pattern that can match nothing splits between characters and a zero-width
  // match at the very beginning yields no empty leading field.
  while (position < length && (limit <= 0 || --remaining > 0)) {
    if (!program->find(subject, position, true, spans)) break;
    program->toSlices(subject, spans, slices);
    size_t fieldStart = subject.toOriginal(position);
    fields.emplace_back(text.substr(fieldStart, slices.groups[0].first - fieldStart));
    for (size_t g = 1; g < slices.groups.size(); ++g) fields.emplace_back(sliceOf(slices, g));
    position = spans.end[0];
  }
  if (position < length || (!fields.empty() && limit != 0)) {
    fields.emplace_back(text.substr(subject.toOriginal(position)));
  } else if (limit == 0) {
    while (!fields.empty() && fields.back().empty()) fields.pop_back();
  }
  return fields;
}

bool isValidGlobalName(std::string_view name) {
  if (name.empty() || name[0] != '$') return false;
  size_t i = 1;
  while (i < name.size()) {
    auto b = static_cast<unsigned char>(name[i]);
    if (b == '_' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
      i += 1;
    } else if (b >= 0x80 && i + 1 < name.size() && name[i + 1] != '\n') {
      i += 2;  // a double-byte character, taken as any two bytes like the pattern's "."
    } else {
      break;
    }
  }
  return i == name.size() || (i + 1 == name.size() && name[i] == '\n');
}

}  // namespace zunka::platform
