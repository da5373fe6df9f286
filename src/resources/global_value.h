#pragma once
#include "resources/resource.h"

namespace zunka {

// A global script variable (`$name`): a value cell that compiled code reads and
// writes through a pointer, and the script text of its initial value.
class TGlobalValue : public TResource {
 public:
  explicit TGlobalValue(std::string name);
  TGlobalValue(const TSGML& tag, std::string_view dir);
  ~TGlobalValue() override;
  const char* hostClassName() const override { return "TGlobalValue"; }

  vm::TValue& value() const { return *vm::valueAt(cell_); }

  vm::Ref ValueCell() const override { return cell_; }
  // Counts as done and assigns the initial value (on every pass).
  void InitPass(TInitContext& context) override;
  // Refreshes initText from the current value, then writes the tag.
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;
  void ForgetObjects() override;
  void Mark() override;
  void Dispose() override;

  // Lets go of the value (the cell stays, empty).
  void ReleaseValue();

  // Script source of the initial value ("" for none).
  std::string initText;

 private:
  vm::Ref cell_ = 0;
};

// The text of a value as an initial-value expression: an integer in decimal, a
// string as a literal, anything else "".
std::string InitialValueText(const vm::TValue& value);

}  // namespace zunka
