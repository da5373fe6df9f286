#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "resources/resource.h"

namespace zunka {

// A `cpattern` resource: a pattern sheet (`src`) and the global variable (`name`,
// by convention "$pat_" and a name) that receives the number of its first picture.
class TCPat : public TResource {
 public:
  TCPat(const TSGML& tag, std::string_view dir) : TResource(tag, dir) {}
  const char* hostClassName() const override { return "TCPat"; }

  // Sets the variable to the pattern total, then cuts the sheet (through the
  // cache) and appends it to the pattern list. A missing file is reported and the
  // kernel's placeholder picture (Kernel\images\404.bmp) takes its place, so the
  // numbers of later sheets stay as they were.
  void InitPass(TInitContext& context) override;
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;
};

// Makes `cpattern` elements pattern sheets.
void RegisterPatternResources();

}  // namespace zunka
