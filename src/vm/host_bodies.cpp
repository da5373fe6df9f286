#include "vm/host_bodies.h"

#include "vm/hash_table.h"
#include "vm/host_handles.h"
#include "vm/process.h"
#include "vm/tfstring.h"
#include "vm/value_list.h"

namespace zunka::vm {
namespace {

void freeBody(uint32_t handle) {
  if (auto* s = hostAs<TfString>(handle)) {
    delete s;
  } else if (auto* list = hostAs<TValueList>(handle)) {
    delete list;
  } else if (auto* table = hostAs<TAbstractHashtable>(handle)) {
    delete table;
  } else if (auto* p = hostAs<TProcess>(handle)) {
    p->Destroy();  // a process still running goes when its run returns
  }
}

}  // namespace

void FreeHostBodies(TValue* members, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (members[i].kind != vtHost) continue;
    uint32_t handle = members[i].ref;
    members[i] = TValue{};
    freeBody(handle);
  }
}

}  // namespace zunka::vm
