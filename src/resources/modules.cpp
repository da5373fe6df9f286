#include "resources/modules.h"

#include <zunka/module.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "platform/files.h"
#include "resources/module_resource.h"
#include "resources/paths.h"
#include "resources/resource_editing.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/resources_state.h"
#include "resources/rtti.h"
#include "vm/console.h"
#include "vm/errors.h"
#include "vm/function.h"

namespace zunka {

using vm::TValue;

// Modules see values only through the table, laid out as the player's own.
static_assert(sizeof(ZunkaValue) == sizeof(TValue));
static_assert(offsetof(ZunkaValue, payload) == offsetof(TValue, i));
static_assert(std::is_same_v<ZunkaNative, ModuleState::Handler>);

namespace {

std::string modulesFolder() {
  return ResolvePath("kernel\\modules", resourceTree().baseDir);
}

TValue* valueOf(ZunkaValue* v) {
  return reinterpret_cast<TValue*>(v);
}
const TValue* valueOf(const ZunkaValue* v) {
  return reinterpret_cast<const TValue*>(v);
}

// Every native a module binds runs through here: the call's target and argument
// count are kept for the table, and an error met inside the table (which cannot
// throw through the module's C frames) is raised once the handler is back.
void callModuleNative(vm::TNativeFunction* self, TValue* target, int32_t argc, uint32_t) {
  ModuleState& state = moduleState();
  auto handler = state.handlers.find(self->handle());
  if (handler == state.handlers.end()) throw ERuntimeError("native関数が実装されていません");
  TValue* outerTarget = state.callTarget;
  int32_t outerArgc = state.callArgc;
  state.callTarget = target;
  state.callArgc = argc;
  handler->second(self, reinterpret_cast<ZunkaValue*>(target), argc, 0);
  state.callTarget = outerTarget;
  state.callArgc = outerArgc;
  if (!state.raisedError.empty()) {
    std::string message = std::move(state.raisedError);
    state.raisedError.clear();
    throw ERuntimeError(message);
  }
}

template <class Operation>
void guarded(Operation operation) {
  try {
    operation();
  } catch (const EError& e) {
    if (moduleState().raisedError.empty()) moduleState().raisedError = e.message();
  }
}

int32_t registerNative(const char* classPath, const char* name, ZunkaNative handler) {
  if (!classPath || !name || !handler || !resourceTree().root) return 0;
  auto* cls = dynamic_cast<TRTTI*>(resourceTree().root->Find(classPath));
  if (!cls) return 0;
  vm::TFunction* method = cls->FindMethodByName(name);
  if (!method || !method->isNative()) {
    cls->RegisterNative(name, callModuleNative);  // says that the class lacks it
    return 0;
  }
  moduleState().handlers[method->handle()] = handler;
  cls->RegisterNative(name, callModuleNative);
  return 1;
}

ZunkaValue* thisSlot(ZunkaValue* target) {
  return target;
}

ZunkaValue* argument(ZunkaValue* target, int32_t i) {
  ModuleState& state = moduleState();
  if (target && valueOf(target) == state.callTarget && i >= 1 && i <= state.callArgc)
    return target - i;
  // Whatever a module stored here last time is let go first.
  guarded([&] { vm::setNull(state.noArgument); });
  return reinterpret_cast<ZunkaValue*>(&state.noArgument);
}

int32_t kind(const ZunkaValue* value) {
  return value ? int32_t(value->kind) : int32_t(ZUNKA_NULL);
}

int32_t toInt(const ZunkaValue* value) {
  return value ? vm::toInt(*valueOf(value)) : 0;
}

int32_t toText(const ZunkaValue* value, char* buffer, size_t size) {
  std::string text = value ? vm::toText(*valueOf(value)) : "null";
  if (buffer && size > 0) {
    size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return text.size() > INT32_MAX ? INT32_MAX : int32_t(text.size());
}

void assign(ZunkaValue* target, const ZunkaValue* source) {
  if (target) guarded([&] { vm::assign(*valueOf(target), source ? valueOf(source) : nullptr); });
}

int32_t setInt(ZunkaValue* target, int32_t i) {
  if (target) guarded([&] { vm::setInt(*valueOf(target), i); });
  return i;
}

constexpr ZunkaModuleTable kTable = {registerNative, thisSlot, argument, kind,
                                     toInt,          toText,   assign,   setInt};

// Links the module folder `name`; false when it gives nothing.
bool linkModule(const std::string& name) {
  std::string file = ResolvePath(name + "\\" + name + ".zunkares", modulesFolder());
  if (!platform::fileExists(file)) return false;
  Log("Loading Module " + name);
  if (name.find('.') != std::string::npos) {
    Log("Module " + name + " skipped: a module name holds no \".\"");
    return false;
  }
  try {
    return CreateResourceAt(file, "modules." + name, NewResourceKind::Link) != nullptr;
  } catch (const EError& e) {
    Log("Module " + name + " skipped: " + e.message());
    return false;
  }
}

// Compiles a module's classes; a module that fails is taken out again.
void compileModule(const std::string& name) {
  std::string path = "modules." + name;
  try {
    if (TResource* module = resourceTree().root->Find(path)) module->Initialize();
  } catch (const EError& e) {
    Log("Module " + name + " skipped: " + e.message());
    try {
      RemoveAt(path);
    } catch (const EError&) {
      // A class that cannot go stays, uncompiled; its natives stay unbound.
    }
  }
}

// The module's own name: the folder below kernel\modules it was read from.
std::string moduleNameOf(const TResource& resource) {
  const TResource* r = &resource;
  while (r->parentResource() && r->parentResource()->name() != "modules") r = r->parentResource();
  return r->name();
}

void initialise(TModuleRes& module) {
  std::string name = moduleNameOf(module);
  std::string library = module.LibraryPath();
  std::string folder = modulesFolder();
  std::string error;
  if (!IsSameOrInside(library, folder) || !platform::staysInsideOnHost(library, folder)) {
    Log("Module " + name + " skipped: " + library + " is not in kernel\\modules");
    return;
  }
  if (!module.Load(error)) {
    Log("Module " + name + " skipped: " + error);
    return;
  }
  auto init = reinterpret_cast<ZunkaInitModule>(module.library().symbol(ZUNKA_INIT_MODULE));
  if (!init) {
    Log("Module " + name + " skipped: no initModule");
    return;
  }
  init(&kTable);
  Log("Module " + name + " ready");
}

class ModuleInitializer : public TResourceIterator {
 public:
  void VisitResource(TResource& resource) override {
    if (auto* module = dynamic_cast<TModuleRes*>(&resource))
      initialise(*module);
    else if (auto* cls = dynamic_cast<TRTTI*>(&resource))
      moduleState().classNames.push_back(cls->name());
  }
};

}  // namespace

ModuleState& moduleState() {
  return resourcesState().modules;
}

void LoadModules() {
  if (!resourceTree().root) return;
  std::string folder = modulesFolder();
  if (!platform::directoryExists(folder)) return;
  if (!resourceTree().root->FindChild("modules"))
    AttachAt("modules", MakeResource<TResourceList>("modules"));
  std::vector<std::string> linked;
  for (const std::string& name : platform::listDirectory(folder, platform::EntryKind::Directories))
    if (linkModule(name)) linked.push_back(name);
  for (const std::string& name : linked) compileModule(name);
}

void InitModules() {
  moduleState().classNames.clear();
  if (!resourceTree().root) return;
  if (TResource* modules = resourceTree().root->FindChild("modules")) {
    ModuleInitializer initializer;
    modules->Visit(initializer);
  }
}

}  // namespace zunka
