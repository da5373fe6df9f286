#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resources/resource.h"

namespace zunka {

class TRTTI;

// One object a page places: the global variable that receives it (the resource's
// name, "$player"), its class, the constants that supply its constructor's
// arguments (`const_NAME`) and the values of its members (`inst_NAME`). Values
// are script expressions, kept unescaped as "NAME=VALUE" lines in attribute order.
class TGenerator : public TResource {
 public:
  // States of the initialisation passes.
  enum State : uint8_t { kCreate = 0, kSetUp = 1, kClassMissing = 2, kFailed = 3 };

  TGenerator(const TSGML& tag, std::string_view dir);
  const char* hostClassName() const override { return "TGenerator"; }

  // Drops the attribute's line, then appends NAME=VALUE unless `value` is empty:
  // an empty value deletes the attribute.
  void SetInstAttr(std::string_view name, std::string_view value);
  // The class this generator names, looked up like any class name (so bare names
  // go through the alias table); nullptr when there is none.
  TRTTI* FindClass() const;

  // Creates the object on one pass and sets it up on the next.
  void InitPass(TInitContext& context) override;
  // Lets the living object update its generator first (onSaveToGen), then writes
  // the element as one line, whatever the indent.
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;
  // Unlinks the object in its global from this generator.
  void Dispose() override;

  uint8_t state = kCreate;
  std::string className;
  std::vector<std::string> constants;
  std::vector<std::string> instAttrs;

 private:
  void create(TRTTI* cls);
  void setUp(TRTTI* cls);
  std::string constructorArguments(TRTTI& cls) const;
};

// The NAME=VALUE lines' parts.
std::string AttrLineName(std::string_view line);
std::string AttrLineValue(std::string_view line);

}  // namespace zunka
