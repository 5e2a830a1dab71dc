// What the screen shows of a page, as the control protocol reports it.
#pragma once

#include <nlohmann/json.hpp>

#include "preferences/PSListController.h"

namespace settings {

nlohmann::json valueJson(const Ref<NSObject>& value);
nlohmann::json reportPage(PSListController* page);
// The row a request names: {"row": id, key or title} or {"section": s, "row": r}.
Ref<NSIndexPath> findRow(PSListController* page, const nlohmann::json& req);

}  // namespace settings
