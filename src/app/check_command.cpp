#include "app/check_command.h"

#include <cstdio>
#include <optional>
#include <string>

#include "compiler/script_grammar.h"
#include "compiler/source_position.h"
#include "platform/files.h"
#include "platform/sjis_text.h"

namespace zunka::app {

int runCheckCommand(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: zunka --check FILE\n");
    return 2;
  }
  std::string path = argv[0];
  std::string bytes;
  std::optional<std::string> source;
  if (platform::readFile(platform::systemPath(path), bytes)) source = std::move(bytes);
  if (!source) {
    std::fprintf(stderr, "zunka: cannot read %s\n", path.c_str());
    return 2;
  }
  std::optional<size_t> errorOffset = findGrammarError(*makeScriptYup(), *source);
  if (!errorOffset) return 0;
  SourcePosition at = sourcePositionAt(*source, *errorOffset);
  std::fprintf(stderr, "%s%s:%d:%d\n", platform::sjisToUtf8("文法エラー:").c_str(), path.c_str(),
               at.line, at.column);
  return 1;
}

}  // namespace zunka::app
