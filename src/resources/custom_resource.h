#pragma once
#include <string>
#include <vector>

#include "resources/resource.h"

namespace zunka {

class TSGML;

// A resource whose tag names a script class (a class exists at
// classes.customres.TAG): the resource owns an instance of that class in its
// script-object cell, so scripts define new kinds of resources. The project's
// page entries are such resources. The instance's `_generator` member refers
// back to the resource, and its string members are saved as `resinst` children.
class TCustomResource : public TResource {
 public:
  TCustomResource(const TSGML& tag, std::string_view dir);
  const char* hostClassName() const override { return "TCustomResource"; }

  // The instance, or nullptr when no class was found.
  vm::TfObject* instance() const;

  // The instance reports its own progress: onInit() gives 0 or 1 (pending),
  // 2 (done) or 3 (failed).
  void InitPass(TInitContext& context) override;
  // The element named after the instance's class, with its string members.
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;

 private:
  void makeInstance(const TSGML& tag);
  void restoreStrings(const TSGML& tag);
};

}  // namespace zunka
