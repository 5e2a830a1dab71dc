// Scenes: the application's connected scenes, each with its windows. The
// host connects its scene; pages find their window through it.
#pragma once

#include "foundation/NSSet.h"
#include "uikit/UIWindow.h"

class UIScene : public NSObject {
  OBJC_CLASS(UIScene, NSObject)
};

class UIWindowScene : public UIScene {
  OBJC_CLASS(UIWindowScene, UIScene)
  // Front to back, as they were added.
  OBJC_METHOD(windows, "windows", Ref<NSArray>())

 public:
  // C++ face for hosts and tests.
  void addWindow(UIWindow* window);
  void removeWindow(UIWindow* window);

 private:
  Ref<NSArray> windowsImpl() { return NSArray::make(windows_); }
  std::vector<Ref<NSObject>> windows_;
};

struct UIApplication_Scenes {
  OBJC_CATEGORY(UIApplication_Scenes, UIApplication)
  OBJC_CATEGORY_METHOD(connectedScenes, "connectedScenes", Ref<NSSet>())

 public:
  // Hosts connect and disconnect their scenes; not messages.
  static void connectScene(UIScene* scene);
  static void disconnectScene(UIScene* scene);

 private:
  static Ref<NSSet> connectedScenesImpl(UIApplication* self);
};
