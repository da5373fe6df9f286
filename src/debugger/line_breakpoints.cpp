#include "debugger/line_breakpoints.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "resources/resource.h"
#include "resources/rtti.h"
#include "vm/function.h"
#include "vm/opcodes.h"

namespace zunka::debugger {

using namespace vm;

namespace {

struct ClassCollector final : TResourceIterator {
  std::vector<TRTTI*> classes;
  void VisitResource(TResource& r) override {
    if (auto* cls = dynamic_cast<TRTTI*>(&r)) classes.push_back(cls);
  }
};

// The code blocks compiled from a class's own source: its main code and the
// bodies of the methods it declares (inherited ones belong to their own class).
std::vector<const TCompiledInfo*> blocksOf(const TRTTI& cls) {
  std::vector<const TCompiledInfo*> blocks;
  if (cls.classCode) blocks.push_back(cls.classCode.get());
  for (TFunction* f : cls.methods()) {
    auto* normal = dynamic_cast<TNormalFunction*>(f);
    if (normal && normal->owner() == &cls && normal->code) blocks.push_back(normal->code.get());
  }
  return blocks;
}

// The first instruction start at or after byte `position` of the block.
Ref instructionAt(const TCompiledInfo& code, uint32_t position) {
  const uint32_t* words = code.words();
  uint32_t count = code.lengthBytes() / 4;
  for (uint32_t w = 0; w < count; w += std::max(instructionWords(words + w), 1u))
    if (w * 4 >= position) return code.code() + w * 4;
  return 0;
}

// One line of a block and where its code starts.
struct LineStart {
  int line;
  Ref address;
};

// The lines a block's statements lie on, each run of statements on one line
// counted once, at the start of its first statement.
std::vector<LineStart> lineStarts(const TCompiledInfo& code, const SourceText& text) {
  std::vector<LineStart> starts;
  for (const auto& [offset, position] : code.symbols().points) {
    int line = text.lineAt(size_t(std::max(std::atoi(offset.c_str()), 0)));
    if (!starts.empty() && starts.back().line == line) continue;
    if (Ref address = instructionAt(code, uint32_t(std::max(position, 0))))
      starts.push_back({line, address});
  }
  return starts;
}

}  // namespace

void resolveLine(LineBreakpoint& breakpoint, TResource* root, SourceFiles& files) {
  breakpoint.resolvedLine = 0;
  breakpoint.addresses.clear();
  if (!root) return;
  ClassCollector collector;
  root->Visit(collector);
  std::vector<LineStart> candidates;
  for (TRTTI* cls : collector.classes) {
    if (!cls->compiled || !pathNames(cls->src, breakpoint.file)) continue;
    const SourceText* text = files.get(cls->src);
    if (!text) continue;
    for (const TCompiledInfo* code : blocksOf(*cls))
      for (const LineStart& start : lineStarts(*code, *text))
        if (start.line >= breakpoint.line) candidates.push_back(start);
  }
  int line = INT_MAX;
  for (const LineStart& c : candidates) line = std::min(line, c.line);
  if (line == INT_MAX) return;
  breakpoint.resolvedLine = line;
  for (const LineStart& c : candidates)
    if (c.line == line) breakpoint.addresses.push_back(c.address);
}

}  // namespace zunka::debugger
