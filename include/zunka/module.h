/* Plug-in modules for the zunka player: the C interface a module library uses.
 *
 * A module lives in the player's folder kernel/modules/NAME/: a tag file
 * NAME.zunkares lists the module's classes (script sources whose methods are
 * declared `native`) and its library:
 *
 *   <resourcelist name="NAME">
 *    <module name="NAME" src="NAME.so"/>
 *    <class name="Greeter" src="Greeter.zunka"/>
 *   </resourcelist>
 *
 * Natives are called from inside their own class, so the class passes them on:
 *
 *   extends classes.lang.Object;
 *   native _n_greet;
 *   function greet(name) { return _n_greet(name); }
 *
 * At start-up the player opens the library and calls its exported function
 * `initModule` once, with the table below; the module registers a handler for
 * each of its natives. A handler is called as the class calls the native: it
 * reads its arguments through the table and leaves its result in the target slot
 * (left alone, the slot keeps `this` as the call's value).
 *
 * Build a module as a shared library, for example:
 *   cc -shared -fPIC -I PLAYER/include -o NAME.so NAME.c
 */
#ifndef ZUNKA_MODULE_H
#define ZUNKA_MODULE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The kinds of script values. The numbers never change. */
enum {
  ZUNKA_NULL = 0,
  ZUNKA_INT = 1,
  ZUNKA_FLOAT = 2,
  ZUNKA_OBJECT = 3, /* a script object (strings are objects) */
  ZUNKA_POINTER = 4,
  ZUNKA_HOST = 5, /* a handle of something the player keeps */
  ZUNKA_ERROR = 6,
  ZUNKA_UNSET = 7
};

/* A script value: 8 bytes, a kind and a 32-bit payload. Modules read and write
 * values only through the table's functions. */
typedef struct ZunkaValue {
  uint8_t kind;
  uint8_t pad[3];
  union {
    int32_t i;
    float f;
    uint32_t ref;
  } payload;
} ZunkaValue;

/* A native's handler: the player's native method, the call's target slot, the
 * number of arguments the script passed, and a word that is always 0. */
typedef void (*ZunkaNative)(void* method, ZunkaValue* target, int32_t argc, uint32_t reserved);

/* The eight entries a module receives, in this order. */
typedef struct ZunkaModuleTable {
  /* Binds `handler` to the native `name` of the class at `classPath` (dotted,
   * like "modules.NAME.Greeter", or a bare class name). 1 when bound; 0 when the
   * path names no class or the class declares no such native. */
  int32_t (*registerNative)(const char* classPath, const char* name, ZunkaNative handler);
  /* The target slot itself: `this` on entry, the result on return. */
  ZunkaValue* (*thisSlot)(ZunkaValue* target);
  /* Argument i (from 1) of the call in progress; a null value when the call has
   * no such argument. */
  ZunkaValue* (*argument)(ZunkaValue* target, int32_t i);
  /* The kind of a value (one of the ZUNKA_ kinds). */
  int32_t (*kind)(const ZunkaValue* value);
  /* The integer view of a value: floats truncated, objects 1, others 0. */
  int32_t (*toInt)(const ZunkaValue* value);
  /* The text form of a value (Shift_JIS), cut to fit `size` bytes with its
   * terminating zero; gives the length of the whole text, so that a longer
   * buffer can be asked for when it is `size` or more. */
  int32_t (*toText)(const ZunkaValue* value, char* buffer, size_t size);
  /* Stores a copy of `source` (NULL: null) into `target`, as an assignment does. */
  void (*assign)(ZunkaValue* target, const ZunkaValue* source);
  /* Stores the integer i into `target`; gives i. */
  int32_t (*setInt)(ZunkaValue* target, int32_t i);
} ZunkaModuleTable;

/* What a module library exports: called once at start-up. */
typedef void (*ZunkaInitModule)(const ZunkaModuleTable* table);
#define ZUNKA_INIT_MODULE "initModule"

#ifdef __cplusplus
}
#endif

#endif /* ZUNKA_MODULE_H */
