#pragma once
#include "resources/resource.h"

namespace zunka {

// A named text parameter of a project (`mainPage`, ...).
class TfParam : public TResource {
 public:
  TfParam(const TSGML& tag, std::string_view dir);
  const char* hostClassName() const override { return "TfParam"; }
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;

  std::string value;
};

}  // namespace zunka
