#include "platform/regex_program.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <unordered_map>

#include "platform/regex_engine.h"
#include "platform/shared_library.h"
#include "platform/sjis_text.h"

namespace zunka::platform::regex {
namespace {

// PCRE2 is opened on the first regular expression instead of being linked: most
// runs never use one, and loading it is part of every start otherwise.
static_assert(PCRE2_MAJOR == 10, "the library's soname follows the header it is used with");
constexpr const char* kPcre2Library = "libpcre2-8.so.0";

struct Pcre2 {
  decltype(&pcre2_compile) compile = nullptr;
  decltype(&pcre2_compile_context_create) createContext = nullptr;
  decltype(&pcre2_compile_context_free) freeContext = nullptr;
  decltype(&pcre2_set_newline) setNewline = nullptr;
  decltype(&pcre2_jit_compile) jitCompile = nullptr;
  decltype(&pcre2_pattern_info) patternInfo = nullptr;
  decltype(&pcre2_match_data_create_from_pattern) createMatchData = nullptr;
  decltype(&pcre2_match_data_free) freeMatchData = nullptr;
  decltype(&pcre2_code_free) freeCode = nullptr;
  decltype(&pcre2_match) match = nullptr;
  decltype(&pcre2_get_ovector_pointer) ovector = nullptr;
  decltype(&pcre2_get_error_message) errorMessage = nullptr;
  std::string error;  // why there are no functions
};

Pcre2 loadPcre2() {
  Pcre2 calls;
  SharedLibrary library = SharedLibrary::openHostFile(kPcre2Library, calls.error);
  if (!library.isOpen()) return calls;
  if (!library.bind(calls.compile, "pcre2_compile_8") ||
      !library.bind(calls.createContext, "pcre2_compile_context_create_8") ||
      !library.bind(calls.freeContext, "pcre2_compile_context_free_8") ||
      !library.bind(calls.setNewline, "pcre2_set_newline_8") ||
      !library.bind(calls.jitCompile, "pcre2_jit_compile_8") ||
      !library.bind(calls.patternInfo, "pcre2_pattern_info_8") ||
      !library.bind(calls.createMatchData, "pcre2_match_data_create_from_pattern_8") ||
      !library.bind(calls.freeMatchData, "pcre2_match_data_free_8") ||
      !library.bind(calls.freeCode, "pcre2_code_free_8") ||
      !library.bind(calls.match, "pcre2_match_8") ||
      !library.bind(calls.ovector, "pcre2_get_ovector_pointer_8") ||
      !library.bind(calls.errorMessage, "pcre2_get_error_message_8")) {
    calls = Pcre2{};
    calls.error = std::string(kPcre2Library) + " lacks the functions of PCRE2 10";
  }
  return calls;
}

const Pcre2& library() {
  static const Pcre2 loaded = loadPcre2();
  return loaded;
}

// The library's functions; raises RegexError saying why there are none.
const Pcre2& pcre2(std::string_view expression) {
  const Pcre2& loaded = library();
  if (!loaded.compile)
    throw RegexError("regular expressions cannot be run (" + loaded.error + ") in " +
                     std::string(expression));
  return loaded;
}

// Enough for every expression the system and a game use; past it the cache simply
// starts again, which costs a recompile and nothing else.
constexpr size_t kCacheLimit = 512;

std::string engineMessage(const Pcre2& calls, int code) {
  PCRE2_UCHAR buffer[256];
  if (calls.errorMessage(code, buffer, sizeof buffer) < 0) return "regular expression error";
  return reinterpret_cast<const char*>(buffer);
}

uint32_t compileOptions(const ParsedExpression& parsed) {
  uint32_t options = 0;
  // The UTF-8 was produced by our own decoder, so PCRE2 need not check it again;
  // \C could stop inside a character, where the offset map has no answer.
  if (parsed.utf) options |= PCRE2_UTF | PCRE2_NO_UTF_CHECK | PCRE2_NEVER_BACKSLASH_C;
  if (parsed.flags.caseless) options |= PCRE2_CASELESS;
  if (parsed.flags.multiline) options |= PCRE2_MULTILINE;
  if (parsed.flags.dotAll) options |= PCRE2_DOTALL;
  if (parsed.flags.extended) options |= PCRE2_EXTENDED;
  return options;
}

}  // namespace

Subject::Subject(std::string_view original, bool utf) : original_(original) {
  if (!utf || isAscii(original)) return;  // ASCII reads the same as UTF-8
  mapped_ = true;
  utf8_.reserve(original.size() * 2);
  offsets_.reserve(original.size() * 2 + 1);
  decodeSjis(original, InvalidSjisByte::kPrivateUse, utf8_, &offsets_);
}

Program::Program(ParsedExpression parsed, std::string_view expressionText)
    : parsed_(std::move(parsed)), text_(expressionText) {
  const Pcre2& calls = pcre2(text_);
  pcre2_compile_context* context = calls.createContext(nullptr);
  if (!context) throw std::bad_alloc();
  calls.setNewline(context, PCRE2_NEWLINE_LF);  // Perl's $ and ^ work on \n
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  code_ =
      calls.compile(reinterpret_cast<PCRE2_SPTR>(parsed_.pattern.data()), parsed_.pattern.size(),
                    compileOptions(parsed_), &error, &errorOffset, context);
  calls.freeContext(context);
  if (!code_) throw RegexError(engineMessage(calls, error) + " in " + text_);
  calls.jitCompile(code_, PCRE2_JIT_COMPLETE);  // when JIT is unavailable the interpreter runs
  calls.patternInfo(code_, PCRE2_INFO_CAPTURECOUNT, &groupCount_);
  matchData_ = calls.createMatchData(code_, nullptr);
  if (!matchData_) {
    calls.freeCode(code_);
    throw std::bad_alloc();
  }
}

Program::~Program() {
  // A program exists only once the library was loaded.
  const Pcre2& calls = library();
  calls.freeMatchData(matchData_);
  calls.freeCode(code_);
}

bool Program::find(const Subject& subject, size_t start, bool notEmptyAtStart, MatchSpans& spans) {
  std::string_view text = subject.engineText();
  if (start > text.size()) return false;
  uint32_t options = notEmptyAtStart ? PCRE2_NOTEMPTY_ATSTART : 0;
  if (parsed_.utf) options |= PCRE2_NO_UTF_CHECK;
  const char* data = text.data() ? text.data() : "";
  const Pcre2& calls = library();
  int rc = calls.match(code_, reinterpret_cast<PCRE2_SPTR>(data), text.size(), start, options,
                       matchData_, nullptr);
  if (rc == PCRE2_ERROR_NOMATCH) return false;
  if (rc < 0) throw RegexError(engineMessage(calls, rc) + " in " + text_);
  const PCRE2_SIZE* ovector = calls.ovector(matchData_);
  spans.begin.resize(groupCount_ + 1);
  spans.end.resize(groupCount_ + 1);
  for (uint32_t g = 0; g <= groupCount_; ++g) {
    bool set = ovector[2 * g] != PCRE2_UNSET;
    spans.begin[g] = set ? ovector[2 * g] : MatchSpans::kUnset;
    // \K can report an end before the start; such a group is empty.
    spans.end[g] = set ? std::max(ovector[2 * g], ovector[2 * g + 1]) : MatchSpans::kUnset;
  }
  return true;
}

void Program::toSlices(const Subject& subject, const MatchSpans& spans, MatchSlices& slices) const {
  slices.subject = subject.original();
  slices.groups.resize(spans.begin.size());
  for (size_t g = 0; g < spans.begin.size(); ++g) {
    if (spans.begin[g] == MatchSpans::kUnset) {
      slices.groups[g] = {MatchSlices::kUnset, MatchSlices::kUnset};
    } else {
      slices.groups[g] = {subject.toOriginal(spans.begin[g]), subject.toOriginal(spans.end[g])};
    }
  }
}

Program& programFor(std::string_view expression) {
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  thread_local std::unordered_map<std::string, std::unique_ptr<Program>, Hash, std::equal_to<>>
      cache;
  if (auto found = cache.find(expression); found != cache.end()) return *found->second;
  auto program = std::make_unique<Program>(parseExpression(expression), expression);
  if (cache.size() >= kCacheLimit) cache.clear();
  return *cache.emplace(std::string(expression), std::move(program)).first->second;
}

}  // namespace zunka::platform::regex
