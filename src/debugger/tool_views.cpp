#include "debugger/tool_views.h"

#include "compiler/snippets.h"
#include "debug/time_table.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/rtti.h"
#include "vm/collector.h"
#include "vm/function.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/runtime.h"

namespace zunka::debugger {

using namespace vm;

std::vector<std::string> treePaths() {
  std::vector<std::string> lines;
  if (TResourceList* root = resourceTree().root) root->ListPaths(lines, "");
  return lines;
}

std::vector<std::string> collectGarbage() {
  if (!hostAs<TProcess>(runtime().rootProcess)) return {};
  Collect();
  std::vector<std::string> lines = CollectorReport();
  lines.push_back("破棄したオブジェクト: " + std::to_string(CollectorDestroyed()));
  lines.push_back(Statistics());
  return lines;
}

std::optional<ClassCode> classCode(std::string_view className, std::string_view method) {
  TResourceList* root = resourceTree().root;
  // A missing "$" name would be made a global by the lookup: no class is named so.
  bool name = !className.empty() && className[0] != '$';
  auto* cls = root && name ? dynamic_cast<TRTTI*>(root->Find(className)) : nullptr;
  if (!cls) return std::nullopt;
  const TCompiledInfo* code = cls->classCode.get();
  auto* f = dynamic_cast<TNormalFunction*>(cls->FindMethodByName(method));
  if (f && f->code) code = f->code.get();
  if (!code) return std::nullopt;
  ClassCode shown{listCode(*code), {}};
  code->List(shown.symbols);
  return shown;
}

std::vector<std::string> snippetCacheLines() {
  return evalCache().Listing();
}

std::vector<std::string> timeTableLines(TTimeAnalyzer::Order order) {
  std::string table = formatTimeTable(timeAnalyzer(), order);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(table.substr(start, end - start));
  if (start < table.size()) lines.push_back(table.substr(start));
  return lines;
}

}  // namespace zunka::debugger
