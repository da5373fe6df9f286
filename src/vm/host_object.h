#pragma once
#include <cstdint>

namespace zunka::vm {

// The families of host objects a script value can refer to. The family is checked
// on every lookup, so a handle of one family never yields an object of another.
enum class HostKind : uint8_t {
  None,
  List,  // array body: a list of value cells
  Process,
  String,    // TfString, the byte buffer of a script string
  Class,     // ClassObject
  Function,  // TNormalFunction and its subclasses
  Native,    // TNativeFunction
  Resource,  // any other resource of the tree
  HashTable,
  Stream,
  Surface,
  Other,
};

// Base of every object a `vtHost` value or a code word can name. Constructing one
// registers it in the handle table; destroying it retires the handle, so later
// uses of the old number find nothing instead of freed memory.
class HostObject {
 public:
  explicit HostObject(HostKind kind);
  virtual ~HostObject();
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;

  // The class name shown as the text form of a host value.
  virtual const char* hostClassName() const = 0;

  uint32_t handle() const { return handle_; }
  HostKind hostKind() const { return kind_; }
  // Retires the handle and takes a new one, as deleting the object and making
  // another would: values still naming the old handle find nothing.
  void renewHandle();

 protected:
  // The second face of an object that already has a handle (a class is both the
  // interpreter's class object and a resource of the tree): it answers to the
  // same handle, and the table entry and its retirement stay with the first face.
  struct SharedHandle {
    uint32_t handle;
  };
  HostObject(SharedHandle shared, HostKind kind);

 private:
  uint32_t handle_;
  HostKind kind_;
  bool ownsHandle_ = true;
};

}  // namespace zunka::vm
