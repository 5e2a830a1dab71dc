// The Settings host: the window, the app's own navigation controller with the
// list of installed preference bundles, and the pages opened from it. Every
// action arrives on the main thread through the control protocol.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "preferences/PSListController.h"
#include "preferences/PreferenceLoader.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIScene.h"
#include "uikit/UIWindow.h"

namespace settings {

using json = nlohmann::json;

class Host {
 public:
  Host();
  // Finds the bundles of the device root again.
  void discover();
  const std::vector<preferences::BundleEntry>& entries() const { return entries_; }

  // Answers one request; throws control::RequestError for a bad one.
  json handle(const json& request);

  // The page on top, or nothing while the list of bundles shows.
  Ref<UIViewController> visiblePage();

 private:
  json dispatchOp(const json& req);
  json settled(const json& req);
  std::string backTitle();
  json open(const json& req);
  json state();
  json back();
  json rowAction(const std::string& op, const json& req);
  json chooseAlertAction(const json& req);
  json scroll(const json& req);
  json tapOptions();
  json chooseMenuAction(const json& req);
  json mediaTime(const json& req);
  // Shows the visible page's navigation item in the shared bar, laid out.
  void syncNavigationBar();
  json appearance(const json& req);
  json resume();
  json pickerAction(const std::string& op, const json& req);
  // A finger down and up at a point of the screen (SettingsTouch.cpp).
  json touchAt(const json& req);
  json touchView(Ref<UIView> hit, CGPoint p, UIView* space, Ref<UIView> overlay);
  // Runs `f` at the boundary of a page: a page that raises is taken down and
  // recorded, and the host carries on.
  template <class F>
  json guarded(const std::string& what, F&& f);
  void unwindToHome();

  Ref<UIWindow> window_;
  Ref<UIWindowScene> scene_;
  Ref<UINavigationController> outer_;
  Ref<PSListController> home_;
  std::vector<preferences::BundleEntry> entries_;
  std::string openedEntry_;
  std::optional<json> failure_;
};

}  // namespace settings
