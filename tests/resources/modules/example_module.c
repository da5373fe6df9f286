/* The example plug-in module the tests load: natives of the class Example that
 * add two numbers and give back the longer of two texts, through nothing but the
 * table of zunka/module.h. */
#include <zunka/module.h>

static const ZunkaModuleTable* zunka;

/* _n_add(a, b): a + b, wrapping round as the player's integers do. */
static void add(void* method, ZunkaValue* target, int32_t argc, uint32_t reserved) {
  (void)method;
  (void)reserved;
  if (argc < 2) return;
  uint32_t a = (uint32_t)zunka->toInt(zunka->argument(target, 1));
  uint32_t b = (uint32_t)zunka->toInt(zunka->argument(target, 2));
  zunka->setInt(zunka->thisSlot(target), (int32_t)(a + b));
}

/* _n_longer(a, b): whichever argument has the longer text (a when they tie). The
 * buffer is too small on purpose: the lengths come back whole all the same. */
static void longer(void* method, ZunkaValue* target, int32_t argc, uint32_t reserved) {
  (void)method;
  (void)reserved;
  char start[4];
  int32_t a = zunka->toText(zunka->argument(target, 1), start, sizeof start);
  int32_t b = zunka->toText(zunka->argument(target, 2), start, sizeof start);
  if (argc < 1) return;
  zunka->assign(zunka->thisSlot(target), zunka->argument(target, a >= b ? 1 : 2));
}

/* _n_kindOf(v): the kind number of v. */
static void kindOf(void* method, ZunkaValue* target, int32_t argc, uint32_t reserved) {
  (void)method;
  (void)reserved;
  (void)argc;
  zunka->setInt(zunka->thisSlot(target), zunka->kind(zunka->argument(target, 1)));
}

void initModule(const ZunkaModuleTable* table) {
  zunka = table;
  zunka->registerNative("modules.example.Example", "_n_add", add);
  zunka->registerNative("Example", "_n_longer", longer);
  zunka->registerNative("Example", "_n_kindOf", kindOf);
  zunka->registerNative("Example", "_n_undeclared", kindOf); /* the class has no such native */
  zunka->registerNative("NoSuchClass", "_n_add", add);
}
