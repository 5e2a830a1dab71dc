// What the screen shows of a page, as the control protocol reports it.
#pragma once

#include <nlohmann/json.hpp>

#include "preferences/PSListController.h"
#include "uikit/UINavigationController.h"

namespace settings {

nlohmann::json valueJson(const Ref<NSObject>& value);
// The page, with its table header, what `bar` shows of it, and the open menu.
nlohmann::json reportPage(PSListController* page, UINavigationBar* bar);
// The bar's frame, title view (with the offset of its label from its middle)
// and right item, in the bar's coordinates.
nlohmann::json reportNavigationBar(UINavigationBar* bar);
// The menu open in the process, or null.
nlohmann::json reportMenu();
// The row a request names: {"row": id, key or title} or {"section": s, "row": r}.
Ref<NSIndexPath> findRow(PSListController* page, const nlohmann::json& req);

}  // namespace settings
