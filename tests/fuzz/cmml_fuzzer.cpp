// Fuzz target: CMML documents as scripts make them. The bytes are read as a new
// document's text (the first bytes up to a line end) and as tags added below it;
// besides memory safety it checks that the room the documents take is given back
// in full, and that a document whose tags the tag-file reader can take reads back
// from its text form as the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "resources/cmml_documents.h"
#include "resources/sgml.h"
#include "resources/tag_reader.h"
#include "vm/console.h"
#include "vm/errors.h"

namespace {

using namespace zunka;

class SilentConsole : public ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view, const TTraceList&, bool) override {}
};

void check(bool holds) {
  if (!holds) __builtin_trap();
}

// Tag names the tag-file reader reads back as they are, on elements that may
// have children there.
bool readsBack(const TSGML& element) {
  const std::string& name = element.TagName();
  if (name.empty()) return false;
  for (char c : name)
    if (!isNameChar(c)) return false;
  if (!element.children().empty() && isChildlessTag(name)) return false;
  for (const auto& child : element.children())
    if (!readsBack(*child)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SilentConsole console;
  setConsole(&console);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t cut = text.find('\n');
  std::string first(text.substr(0, cut));
  std::string_view rest = cut == std::string_view::npos ? "" : text.substr(cut + 1);

  CmmlDocuments documents;
  TCmmlElement* root = documents.Add(ReadCmmlDocument(first));
  if (!root) return 0;
  // Every further line: a sub-item's tag, or "=" name "=" value for an attribute.
  TCmmlElement* last = root;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string line(rest.substr(0, end));
    rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
    if (line.starts_with("=")) {
      size_t eq = line.find('=', 1);
      documents.SetAttr(*last, line.substr(1, eq - 1),
                        eq == std::string::npos ? "" : line.substr(eq + 1));
      continue;
    }
    try {
      size_t pos = 0;
      if (TCmmlElement* added = documents.AddChild(*last, ReadElement("<" + line + "/>", pos)))
        last = line.size() % 2 ? added : root;
    } catch (const EError&) {
      // Nested too deep: refused with a clear error.
    }
  }
  std::string written = root->element.ToText();
  if (readsBack(root->element)) {
    std::unique_ptr<TSGML> again = ReadCmmlDocument(written);
    check(again && again->ToText() == written);
  }
  documents.Drop(*root);
  check(documents.documents() == 0 && documents.elements() == 0);
  return 0;
}
