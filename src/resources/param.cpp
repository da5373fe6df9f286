#include "resources/param.h"

#include "resources/sgml.h"

namespace zunka {

TfParam::TfParam(const TSGML& tag, std::string_view dir)
    : TResource(tag, dir), value(tag.GetAttr("value")) {}

void TfParam::WriteTag(std::vector<std::string>& lines, const std::string& indent, int) {
  lines.push_back(indent + "<param name=\"" + EscapeAttr(name()) + "\" value=\"" +
                  EscapeAttr(value) + "\"/>");
}

}  // namespace zunka
