#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "debug/time_analyzer.h"
#include "debugger/process_views.h"

namespace zunka::debugger {

// Every resource's path: "<root>" for the root, then depth first in child order,
// each a dotted path (a list before its children).
std::vector<std::string> treePaths();

// Runs the collector (the checking pass, then the collecting pass) and gives what
// it found: a line per object whose count is below the references found, how
// many objects were destroyed, and the statistics line. Nothing without a root
// process.
std::vector<std::string> collectGarbage();

// The code of a method of a class (dotted path or bare class name): the method's
// block when it is a compiled method, else the class's main code; its listing and
// its symbol listing. Nothing when no compiled class has that name.
struct ClassCode {
  CodeListing listing;
  std::vector<std::string> symbols;
};
std::optional<ClassCode> classCode(std::string_view className, std::string_view method);

// Snippet classes alive for their objects: instance count, ":", snippet text.
std::vector<std::string> snippetCacheLines();

// The section time analyser's table in `order`, a line per row.
std::vector<std::string> timeTableLines(TTimeAnalyzer::Order order);

}  // namespace zunka::debugger
