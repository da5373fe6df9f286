#include "vm/collector.h"

#include "resources/rtti.h"
#include "shell/console.h"
#include "vm/errors.h"
#include "vm/live_counters.h"
#include "vm/process.h"

namespace zunka::vm {

void DestroyObject(Ref record) {
  TfObject* o = objectAt(record);
  TRTTI* cls = classOf(o);
  if (cls && cls->Destructor()) RunToCompletion(TValue::ofRef(vtObject, record), "destructor");
  o = objectAt(record);
  int32_t slots = cls ? (cls->instanceSize() - int32_t(TfObject::kHeaderBytes)) / 8 : 0;
  for (int32_t i = 0; i < slots; ++i) {
    TValue v = o->members()[i];
    o->members()[i] = TValue{};
    try {
      release(v);
    } catch (const EError&) {
      Log("Decref failed at " + cls->name() + "." +
          (i < cls->members.count() ? cls->members.textAt(i) : std::to_string(i)));
      break;
    }
  }
  o->refCount = -1;
  --liveCounters.objects;
  if (cls) cls->noteFree(record);
}

}  // namespace zunka::vm
