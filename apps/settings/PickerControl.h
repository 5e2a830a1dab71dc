// The picker rows as the host sees them: their overlay's state for reports,
// and the hand of a user on it (set a value, submit, cancel, tap the
// backdrop). The host does not link the bundle:
// it sends the overlay's messages by name.
#pragma once

#include <nlohmann/json.hpp>

#include "preferences/PSTableCell.h"

namespace settings {

// The row's overlay: attached or not, opacity (model and shown), the
// picker's mode and value, the body's and buttons' frames. Nothing for a
// cell that is no picker row.
nlohmann::json pickerJson(PSTableCell* cell);

// The overlay showing on `rootView` now (fading in, shown or fading out),
// or nothing. Idle overlays stay attached, transparent, and do not count.
Ref<UIView> shownOverlay(UIView* rootView);
nlohmann::json overlayJson(UIView* overlay);

// Ops on the attached overlay; throw control::RequestError when none is.
nlohmann::json setPickerValue(UIView* rootView, const nlohmann::json& req);
nlohmann::json pressPickerButton(UIView* rootView, bool submit);
nlohmann::json tapBackdrop(UIView* rootView);

}  // namespace settings
