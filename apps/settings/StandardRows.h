// The platform's standard rows as the host reports and drives them: their
// kind and value, a list's checked item, segments, text fields, placeholders,
// and the notice or the one line an entry's page shows.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "preferences/PSListController.h"

namespace settings {

// The row's kind and what it shows, added to its report.
void addStandardRowFields(nlohmann::json& row, PSSpecifier* item, PSTableCell* cell);
// The page's notice and problem, and the checked item of a list of choices.
void addEntryPageFields(nlohmann::json& page, PSListController* list);
// setRowValue (a segment or a list of choices, by value or title) and
// typeText (a text field). Throws control::RequestError for a row of another kind.
nlohmann::json standardRowAction(const std::string& op, PSListController* page, PSSpecifier* item,
                                 PSTableCell* cell, const nlohmann::json& req);

}  // namespace settings
