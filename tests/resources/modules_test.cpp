// Plug-in modules at boot: the example module (built with the tests against
// include/zunka/module.h) binds its natives and scripts call them; modules that
// cannot be opened, initialised, compiled or found inside kernel\modules are said
// and left out, and the boot goes on.
#include "resources/modules.h"
#include "platform/files.h"
#include "resources/kernel_world.h"
#include "resources/module_resource.h"
#include "resources/resource_list.h"
#include "resources/resource_tree.h"
#include "resources/tag_dispatch.h"

using namespace zunka;
using namespace zunka::testing;

namespace {

using Lines = std::vector<std::string>;

// Natives are called from their own class: its methods pass the arguments on.
constexpr const char* kExampleClass =
    "extends classes.lang.Object;\r\n"
    "native _n_add;\r\nnative _n_longer;\r\nnative _n_kindOf;\r\n"
    "function add(a, b) { return _n_add(a, b); }\r\n"
    "function addOne(a) { return _n_add(a); }\r\n"
    "function longer(a, b) { return _n_longer(a, b); }\r\n"
    "function kindOf(v) { return _n_kindOf(v); }\r\n"
    "function kindOfNothing() { return _n_kindOf(); }\r\n";

std::string hostFile(const char* host) {
  std::string bytes;
  platform::readFile(platform::systemPath(host), bytes);
  return bytes;
}

class Modules : public KernelWorldTest {
 protected:
  void beforeBoot() override {
    std::string example = hostFile(ZUNKA_EXAMPLE_MODULE);
    ASSERT_FALSE(example.empty());
    addModule("example", "<module name=\"library\" src=\"example.dll\"/>", kExampleClass);
    write("kernel\\modules\\example\\example.so", example);
    addModule("broken", "<module name=\"broken\" src=\"broken.so\"/>", "");
    write("kernel\\modules\\broken\\broken.so", "this is no shared object");
    addModule("noinit", "<module name=\"noinit\"/>", "");
    write("kernel\\modules\\noinit\\noinit.so", hostFile(ZUNKA_NO_INIT_MODULE));
    addModule("stray", "<module name=\"stray\" src=\"..\\..\\stray.so\"/>", "");
    write("kernel\\stray.so", example);
    addModule("badclass", "", "extends classes.lang.Object;\r\nfunction f( {\r\n");
    platform::makeDirectory(path("kernel\\modules\\empty"));
  }
  // A module folder: its tag file with the module element and one class.
  void addModule(const std::string& name, const std::string& module, const std::string& source) {
    std::string classes;
    if (!source.empty()) {
      write("kernel\\modules\\" + name + "\\C" + name + ".zunka", source);
      classes = "<class name=\"" + std::string(name == "example" ? "Example" : "C" + name) +
                "\" src=\"C" + name + ".zunka\"/>";
    }
    write("kernel\\modules\\" + name + "\\" + name + ".zunkares",
          "<resourcelist name=\"" + name + "\">" + module + classes + "</resourcelist>");
  }
  Lines printed(std::string_view statements) {
    console.clear();
    EXPECT_EQ(run(statements), 0) << (console.errors.empty() ? "" : console.errors[0]);
    return console.printed;
  }
};

}  // namespace

TEST_F(Modules, TheExampleModuleBindsItsNativesAndScriptsCallThem) {
  EXPECT_EQ(printed("e = new Example();\n"
                    "print(e.add(2, 3));\n"
                    "print(e.add(2147483647, 1));\n"
                    "print(e.add(\"40\", 2.9));\n"  // a string is an object: 1
                    "print(e.longer(\"ab\", \"abcdef\"));\n"
                    "print(e.longer(\"abcdef\", \"x\"));\n"
                    "print(e.kindOf(1.5) + \",\" + e.kindOf(e) + \",\" + e.kindOfNothing());\n"
                    "print(e.addOne(1) == e);\n"),
            (Lines{"5", "-2147483648", "3", "abcdef", "abcdef", "2,3,0", "1"}));
  EXPECT_EQ(moduleState().classNames, Lines{"Example"});
}

TEST_F(Modules, ModulesThatCannotBeUsedAreSaidAndLeftOut) {
  EXPECT_EQ(countContaining(bootLog, "Loading Module example"), 1);
  EXPECT_EQ(countContaining(bootLog, "Module example ready"), 1);
  EXPECT_EQ(countContaining(bootLog, "Module broken skipped: "), 1);
  EXPECT_EQ(countContaining(bootLog, "Module noinit skipped: no initModule"), 1);
  EXPECT_EQ(countContaining(bootLog, "stray.so is not in kernel\\modules"), 1);
  EXPECT_EQ(countContaining(bootLog, "Module badclass skipped: "), 1);
  EXPECT_EQ(countContaining(bootLog, "empty"), 0);
  EXPECT_EQ(bootLog.back(), "Ready");
  // The example registers a native its class does not declare, and one for a
  // class that does not exist: the first is said as any unknown native is.
  EXPECT_EQ(countContaining(bootErrors, "クラスExampleのnative関数_n_undeclaredは未定義です"), 1);
  EXPECT_TRUE(resourceTree().root->Find("modules.example.Example"));
  EXPECT_FALSE(resourceTree().root->Find("modules.badclass"));
  auto* broken = dynamic_cast<TModuleRes*>(resourceTree().root->Find("modules.broken.broken"));
  ASSERT_TRUE(broken);
  EXPECT_FALSE(broken->library().isOpen());
}

TEST_F(Modules, AModuleElementOutsideKernelModulesIsNeverOpened) {
  write("game\\page.so", hostFile(ZUNKA_EXAMPLE_MODULE));
  ResourcePtr list = ParseResourceText(
      "<resourcelist name=\"usr\"><module name=\"page\" src=\"page.so\"/></resourcelist>",
      path("game"));
  TResource* usr = list.get();
  resourceTree().root->Add(std::move(list));
  InitModules();
  auto* module = dynamic_cast<TModuleRes*>(usr->FindChild("page"));
  ASSERT_TRUE(module);
  EXPECT_FALSE(module->library().isOpen());
  resourceTree().root->Remove(usr);
}
