// The actions on the visible settings page and on SpringBoard, each returning
// once the page has settled.
#pragma once

#include <string>

#include "Device.h"

namespace device {

void toggle(const Device& device, const std::string& key);
// A colour, a slider value, a switch position, or a picker's text, by the row's
// kind. Throws CommandError, with the host's reason, when the value was not
// stored; the page then shows the stored value.
void setValue(const Device& device, const std::string& key, const std::string& value);
void tap(const Device& device, const std::string& title);
void back(const Device& device);
void scroll(const Device& device, const std::string& y);
// An entry of the alert or menu on screen; with neither, of the page's options
// menu. On an open picker, its Cancel or Submit (as `tap` takes them too).
void choose(const Device& device, const std::string& title);
void appearance(const Device& device, const std::string& style);
void openEntry(const Device& device, const std::string& entry);
// Restarts SpringBoard and returns once the new one answers; its pid. With
// `wait`, once it has loaded the tweak and its home screen has appeared.
int respring(const Device& device, bool wait = false);

// Waits until the Settings host's page has nothing left in flight.
void waitForSettledPage(const Device& device);

}  // namespace device
