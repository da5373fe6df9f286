#pragma once
#include <string>

#include "resources/resource.h"
#include "vm/arena.h"

namespace zunka {

// A global script variable: a value cell in the arena (so compiled code can
// address it) and the text of its initial value.
class TGlobalValue : public TResource {
 public:
  explicit TGlobalValue(std::string name);
  ~TGlobalValue() override;
  const char* hostClassName() const override { return "TGlobalValue"; }
  vm::Ref ValueCell() const override { return cell_; }

  std::string initText;

 private:
  vm::Ref cell_;
};

}  // namespace zunka
