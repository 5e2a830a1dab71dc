// Libraries are loaded into one global namespace, so a same-named export of a
// library loaded earlier must not take the place of the tweak's own state.
#include <dlfcn.h>

#include "tweak_env.h"

namespace tweaktest {
namespace {

struct SameNamed {
  std::atomic<bool>* enabled;
  void** helper;
};

SameNamed loadSameNamedFirst() {
  static void* lib = dlopen(SAME_NAMED_LIBRARY_PATH, RTLD_NOW | RTLD_GLOBAL);
  if (!lib) ADD_FAILURE() << dlerror();
  return {static_cast<std::atomic<bool>*>(dlsym(lib, "enabled")), static_cast<void**>(dlsym(lib, "helper"))};
}

TEST(SymbolBinding, TheTweakKeepsItsStateWhenAnEarlierLibraryExportsTheSameNames) {
  SameNamed other = loadSameNamedFirst();
  ASSERT_TRUE(other.enabled && other.helper);
  ASSERT_NE(static_cast<void*>(other.enabled), static_cast<void*>(tweak().enabled));

  EXPECT_TRUE(tweak().helper->get()) << "the tweak made its shared helper in its own global";
  EXPECT_EQ(*other.helper, nullptr) << "the other library's helper was written by the tweak";

  apply({.enabled = true});
  EXPECT_TRUE(tweak().enabled->load()) << "the snapshot went elsewhere";
  EXPECT_FALSE(other.enabled->load()) << "the other library's switch was written by the tweak";
}

}  // namespace
}  // namespace tweaktest
