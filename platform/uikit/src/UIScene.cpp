#include "uikit/UIScene.h"

#include <algorithm>

OBJC_IMPLEMENT(UIScene)
OBJC_IMPLEMENT(UIWindowScene)
OBJC_IMPLEMENT_CATEGORY(UIApplication_Scenes)

void UIWindowScene::addWindow(UIWindow* window) {
  if (!window) return;
  removeWindow(window);
  windows_.emplace_back(window);
}

void UIWindowScene::removeWindow(UIWindow* window) {
  std::erase_if(windows_, [&](const Ref<NSObject>& w) { return w.get() == window; });
}

namespace {
// Main-thread state, as the application's is on the device.
std::vector<Ref<NSObject>>& scenes() {
  static std::vector<Ref<NSObject>> list;
  return list;
}
}  // namespace

void UIApplication_Scenes::connectScene(UIScene* scene) {
  if (!scene) return;
  disconnectScene(scene);
  scenes().emplace_back(scene);
}

void UIApplication_Scenes::disconnectScene(UIScene* scene) {
  std::erase_if(scenes(), [&](const Ref<NSObject>& s) { return s.get() == scene; });
}

Ref<NSSet> UIApplication_Scenes::connectedScenesImpl(UIApplication*) {
  return NSSet::setWithArray(NSArray::make(scenes()));
}
