#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources/resource.h"
#include "vm/compiled_info.h"
#include "vm/function.h"
#include "vm/rapid_string_list.h"
#include "vm/value.h"

namespace zunka {

// A script class: parent, member layout, method table, main code, and the pool of
// instance records. Objects are made only through NewInstance, which reuses records
// that nothing refers to any more, so steady object creation allocates nothing.
class TRTTI : public TResource {
 public:
  static constexpr vm::HostKind kHostKind = vm::HostKind::Class;

  explicit TRTTI(std::string name);
  ~TRTTI() override;
  const char* hostClassName() const override { return "TRTTI"; }

  // Member table.
  int32_t MemberIndex(vm::Symbol s, int32_t& hint) const { return members.find(s, hint); }
  bool HasMember(vm::Symbol s) const { return members.find(s) >= 0; }
  int32_t EnsureMember(std::string_view name);

  // Method table.
  vm::TFunction* FindMethod(vm::Symbol s, int32_t& hint) const;
  vm::TFunction* FindMethodByName(std::string_view name) const;
  vm::TFunction* FindMethodBySymbol(vm::Symbol s) const;
  int32_t MethodIndexByName(std::string_view name) const;
  vm::TFunction* MethodAt(int32_t index) const;
  int32_t IndexOfMethod(const vm::TFunction* f) const;
  vm::TNormalFunction* Constructor();
  vm::TNormalFunction* Destructor();
  void AddMethod(vm::TFunction* f);
  void AddOrOverride(vm::TFunction* f);
  void InheritMethods();
  void InheritMembers();
  const std::vector<vm::TFunction*>& methods() const { return methods_; }

  // True when this class is `other` or inherits from it.
  bool InheritsFrom(const TRTTI* other) const;

  // Instances.
  vm::Ref NewInstance();
  std::vector<vm::Ref> LiveInstances() const;
  int32_t LiveCount() const;
  bool NoLiveInstances() const { return LiveCount() == 0; }
  const std::vector<vm::Ref>& pool() const { return pool_; }
  int32_t instanceSize() const { return instanceSize_; }
  // A record of this class became free (count 0 or below): the next search for a
  // reusable record may start there.
  void noteFree(vm::Ref record);
  int32_t instancesMade() const { return instancesMade_; }

  // "NAME@NUMBER": a label naming this class object for the life of the process.
  std::string DisplayName() const;

  // Back to uncompiled: members, methods, pool and main code are dropped.
  void Reset();

  // Binds a host function to the native method `name`; a message box when the
  // class declares no such method.
  void RegisterNative(std::string_view name, vm::NativeHandler handler);

  // A cell holding a host reference to this class, for code that pushes classes.
  vm::Ref ValueCell() const override { return classRefCell_; }

  std::string category;
  TRTTI* parent = nullptr;
  vm::TRapidStringList members;
  std::unique_ptr<vm::TCompiledInfo> classCode;
  bool compiled = false;
  bool failed = false;
  bool aliased = false;

 private:
  void freePool();

  int32_t instanceSize_ = -1;
  std::vector<vm::TFunction*> methods_;
  vm::TNormalFunction* constructorCache_ = nullptr;
  vm::TNormalFunction* destructorCache_ = nullptr;
  vm::Ref classRefCell_ = 0;
  std::vector<vm::Ref> pool_;
  size_t firstCandidate_ = 0;  // no record before this index is free
  int32_t instancesMade_ = 0;
};

}  // namespace zunka
