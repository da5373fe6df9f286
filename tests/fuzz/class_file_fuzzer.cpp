// Fuzz target: the class-file reader on arbitrary bytes, in a world where the
// names a sample class file links to exist. The version and source stamp are
// patched in, so that every input reaches the records behind them.
//
// With ZUNKA_FUZZ_SEED_DIR set, the first run writes a valid class file there as
// a seed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "resources/class_file.h"
#include "resources/class_file_stream.h"
#include "resources/resource_list.h"
#include "support/class_world.h"
#include "vm/console.h"
#include "vm/runtime.h"

using namespace zunka;

namespace {

// The digest of the source text, as the loader passes it (any fixed value).
constexpr uint64_t kSourceDigest = 0x0123456789ABCDEFu;

class SilentConsole : public ConsoleSink {
 public:
  void log(std::string_view) override {}
  void logError(std::string_view, const TTraceList&, bool) override {}
};

struct FuzzWorld {
  SilentConsole console;
  testing::ClassWorld world;
  TRTTI* sub;
  int globalsBefore;

  FuzzWorld() {
    setConsole(&console);
    sub = world.addClass("Sub", "extends classes.lang.Object;\r\n");
    world.root->Find("$score");
    globalsBefore = world.globals->count();
    if (const char* seedDir = std::getenv("ZUNKA_FUZZ_SEED_DIR")) writeSeed(seedDir);
  }

  void writeSeed(const char* seedDir) {
    testing::BuildSampleClass(world, *sub);
    ClassFileWriter file;
    sub->WriteClassFile(file, kSourceDigest);
    platform::writeFile(platform::systemPath(std::string(seedDir) + "/sample_class"), file.bytes());
    sub->Reset();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzWorld fw;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.size() >= 8) {
    int32_t header[2] = {kClassFileVersion, ClassSourceStamp(kSourceDigest)};
    std::memcpy(bytes.data(), header, 8);
  }
  try {
    ClassFileReader file(bytes, "broken");
    fw.sub->ReadClassFile(file, kSourceDigest);
  } catch (const EError&) {
  }
  fw.sub->Reset();
  while (fw.world.globals->count() > fw.globalsBefore)
    fw.world.globals->RemoveAtIndex(fw.world.globals->count() - 1);
  return 0;
}
