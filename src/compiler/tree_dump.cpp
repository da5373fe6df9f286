#include "compiler/tree_dump.h"

namespace zunka {
namespace {

void dumpInto(std::string& out, const TResultList& node, const TLexList& tokens) {
  out += node.className();
  out += '(';
  for (int i = 0; i < node.count(); ++i) {
    if (i > 0) out += ' ';
    if (node.isToken(i))
      out += tokens.text(*node.token(i));
    else
      dumpInto(out, *node.node(i), tokens);
  }
  out += ')';
}

}  // namespace

std::string dumpTree(const TResultList& node, const TLexList& tokens) {
  std::string out;
  dumpInto(out, node, tokens);
  return out;
}

}  // namespace zunka
