#pragma once
#include <memory>

#include "resources/resource.h"
#include "resources/sgml.h"

namespace zunka {

// A resource kind whose behaviour arrives later (character patterns, modules).
// It keeps its whole element, attributes and children in order, so that a tree
// holding it is written back without loss.
class TTagResource : public TResource {
 public:
  TTagResource(const TSGML& tag, std::string_view dir);
  const char* hostClassName() const override { return "TTagResource"; }

  const TSGML& element() const { return *element_; }
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;

 private:
  std::unique_ptr<TSGML> element_;
};

// A deep copy of an element.
std::unique_ptr<TSGML> CopyElement(const TSGML& tag);

}  // namespace zunka
