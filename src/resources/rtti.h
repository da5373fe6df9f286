#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources/resource.h"
#include "resources/sgml.h"
#include "vm/compiled_info.h"
#include "vm/function.h"
#include "vm/rapid_string_list.h"
#include "vm/value.h"

namespace zunka {

class ClassFileReader;
class ClassFileWriter;

// A script class: parent, member layout, method table, main code, and the pool of
// instance records. Objects are made only through NewInstance, which reuses records
// that nothing refers to any more, so steady object creation allocates nothing.
class TRTTI : public TResource {
 public:
  static constexpr vm::HostKind kHostKind = vm::HostKind::Class;

  explicit TRTTI(std::string name);
  // From a `class` tag: name, source file (resolved against `dir`) and category.
  TRTTI(const TSGML& tag, std::string_view dir);
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

  // Resource operations.
  // Compiles the class when it is not compiled, then counts it as failed, done
  // or pending.
  void InitPass(TInitContext& context) override;
  void WriteTag(std::vector<std::string>& lines, const std::string& indent, int flags) override;
  // Finalises every record of the pool (count 0 or above).
  void ForgetObjects() override;
  // In the collector's checking pass, also marks every live instance.
  void Mark() override;
  void Sweep() override;
  // Raises DisplayName() + ":オブジェクトがまだ残っています" while instances live.
  void CheckRemovable() const override;
  void Dispose() override;

  // Class files: the compiled class saved under Temp, so that an unchanged source
  // need not be compiled again.
  // Temp\c121_ + the source path relative to baseDir, reduced to name characters
  // (".." becomes "@"); creates Temp when missing.
  std::string ClassFileName() const;
  void WriteClassFile(ClassFileWriter& file) const;
  // True when the class was restored; false for another version, a source edited
  // since, or a parent not compiled yet. A broken file raises.
  bool ReadClassFile(ClassFileReader& file);
  // Writes ClassFileName(); false when the file cannot be written.
  bool SaveClassFile() const;
  // The compile driver's first step: restores the class from ClassFileName() when
  // that file exists and is current. A broken file writes "not a valid Class File"
  // to the console. On any failure the class is reset and false is given, so it
  // compiles from source.
  bool LoadClassFile();

  std::string category;
  TRTTI* parent = nullptr;
  vm::TRapidStringList members;
  std::unique_ptr<vm::TCompiledInfo> classCode;
  bool compiled = false;
  bool failed = false;
  bool aliased = false;

 private:
  void freePool();
  void registerAlias();
  std::unique_ptr<vm::TFunction> readFunction(ClassFileReader& file);

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
