#pragma once
#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "resources/resource.h"
#include "resources/sgml.h"
#include "vm/class_object.h"
#include "vm/host_handles.h"

namespace zunka {

class ClassFileReader;
class ClassFileWriter;
class ClassSource;

// A script class as a resource of the tree: the interpreter's class object (its
// first face, and the owner of its handle) that also lives in a resource list,
// compiles from its source file and saves itself as a class file.
class TRTTI : public vm::ClassObject, public TResource {
 public:
  static constexpr vm::HostKind kHostKind = vm::HostKind::Class;

  explicit TRTTI(std::string name);
  // From a `class` tag: name, source file (resolved against `dir`) and category.
  TRTTI(const TSGML& tag, std::string_view dir);
  ~TRTTI() override;
  const char* hostClassName() const override { return "TRTTI"; }

  // Every class object of the player is a class resource.
  static TRTTI* Of(vm::ClassObject* cls) {
    assert(!cls || dynamic_cast<TRTTI*>(cls));
    return static_cast<TRTTI*>(cls);
  }
  static const TRTTI* Of(const vm::ClassObject* cls) {
    assert(!cls || dynamic_cast<const TRTTI*>(cls));
    return static_cast<const TRTTI*>(cls);
  }
  // The class a handle names, or nullptr.
  static TRTTI* FromClassHandle(uint32_t handle) { return Of(vm::hostAs<vm::ClassObject>(handle)); }

  const std::string& name() const override { return TResource::name(); }
  std::string FullPath() const override { return TResource::FullPath(); }
  const std::string& sourcePath() const override { return src; }
  uint32_t handle() const { return vm::ClassObject::handle(); }
  vm::HostKind hostKind() const { return vm::HostKind::Class; }
  TRTTI* parentClass() const { return Of(parent); }

  // A cell holding a host reference to this class, for code that pushes classes.
  vm::Ref ValueCell() const override { return classCell(); }

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
  // need not be compiled again, nor even read while its stamp vouches for it.
  // Temp\c121_ + the source path relative to baseDir, reduced to name characters
  // (".." becomes "@"). `sourceDigest` is ContentDigest of the source text.
  std::string ClassFileName() const;
  void WriteClassFile(ClassFileWriter& file, uint64_t sourceDigest) const;
  // True when the class was restored; false for another version or code
  // revision, or a parent not compiled yet. A broken file raises.
  bool ReadClassFile(ClassFileReader& file, uint64_t sourceDigest);
  // Writes ClassFileName(), with the stamp and digest of `source` (the text the
  // class was compiled from) and the digest of the whole file; false when the
  // file cannot be written.
  bool SaveClassFile(ClassSource& source) const;
  bool SaveClassFile(std::string_view text = {}) const;
  // The compile driver's first step: restores the class from ClassFileName() when
  // that file exists, is whole (its digest matches) and was made from the text of
  // `source`, which is read only when the recorded stamp cannot vouch for it
  // (see StampVouchesForText); a source read and found unchanged has its present
  // stamp recorded. A broken or stale file writes "not a valid Class File" to the
  // console. On any failure the class is reset and false is given, so it
  // compiles from source.
  bool LoadClassFile(ClassSource& source);
  bool LoadClassFile(std::string_view text = {});

  std::string category;
  bool aliased = false;

 private:
  void registerAlias();
  std::unique_ptr<vm::TFunction> readFunction(ClassFileReader& file);
};

}  // namespace zunka
