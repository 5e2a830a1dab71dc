#include "Actions.h"

#include <charconv>
#include <cmath>
#include <regex>
#include <thread>

namespace device {

namespace {

using Clock = std::chrono::steady_clock;

json visiblePage(const Device& device) {
  json page = device.settings({{"op", "state"}})["page"];
  if (page.value("class", "home") == "home")
    throw CommandError("no settings page is open; open one with `corvallo open Corvallo`");
  return page;
}

// The page's row bound to `key`; hidden rows too, so the error can say so.
json rowForKey(const json& page, const std::string& key) {
  for (const auto& s : page.value("sections", json::array()))
    for (const auto& r : s.value("rows", json::array()))
      if (r.value("key", json()) == key) {
        if (r.value("hidden", false)) throw CommandError("the row " + key + " is hidden on this page");
        return r;
      }
  std::string title = page.value("title", json("")).is_string() ? page["title"].get<std::string>() : "";
  throw CommandError("no row with the key \"" + key + "\" on the page " + title);
}

bool number(const std::string& text, double& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(out);
}

json settingsAct(const Device& device, const json& request) {
  json answer = device.settings(request);
  waitForSettledPage(device);
  return answer;
}

}  // namespace

void waitForSettledPage(const Device& device) {
  auto deadline = Clock::now() + std::chrono::seconds(3);
  int quietInARow = 0;
  while (quietInARow < 2) {
    try {
      quietInARow = device.settings({{"op", "settled"}}).value("settled", false) ? quietInARow + 1 : 0;
    } catch (const CommandError& e) {
      // An action that restarts SpringBoard ends Settings with it; the new
      // one is settled once it answers.
      device.requireRunning();
      if (Clock::now() > deadline) throw;
      quietInARow = 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    if (Clock::now() > deadline) throw CommandError("the Settings page did not settle within 3 s");
    if (quietInARow == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void toggle(const Device& device, const std::string& key) {
  json row = rowForKey(visiblePage(device), key);
  if (!row.contains("switchOn")) throw CommandError("the row " + key + " has no switch");
  settingsAct(device, {{"op", "toggle"}, {"row", key}});
}

void setValue(const Device& device, const std::string& key, const std::string& value) {
  json row = rowForKey(visiblePage(device), key);
  if (row.contains("switchOn")) {
    bool want;
    if (value == "1" || value == "on" || value == "true" || value == "YES")
      want = true;
    else if (value == "0" || value == "off" || value == "false" || value == "NO")
      want = false;
    else
      throw CommandError("the row " + key + " is a switch; give on or off, not \"" + value + "\"");
    if (row["switchOn"].get<bool>() != want) settingsAct(device, {{"op", "toggle"}, {"row", key}});
    return;
  }
  if (row.contains("sliderValue")) {
    double v;
    if (!number(value, v)) throw CommandError("the row " + key + " is a slider; give a number, not \"" + value + "\"");
    settingsAct(device, {{"op", "slide"}, {"row", key}, {"value", v}});
    return;
  }
  if (row.value("cellClass", json()) == "LCPColorCell" || row.contains("swatch")) {
    static const std::regex colour("#[0-9A-Fa-f]{6}(:(0|1|0?\\.[0-9]+|1\\.0*))?");
    if (!std::regex_match(value, colour))
      throw CommandError("the row " + key + " takes a colour such as #FF2D55 or #FF2D55:0.5, not \"" + value + "\"");
    settingsAct(device, {{"op", "setColor"}, {"row", key}, {"color", value}});
    return;
  }
  if (row.value("picker", json()).is_object()) {
    // As a person does it: tap the row, turn the wheels, press Submit.
    json pick{{"op", "setPickerValue"}};
    if (row["picker"].value("style", 0) == 2) {
      double seconds;
      if (!number(value, seconds) || seconds < 0)
        throw CommandError("the row " + key + " takes a duration in seconds, not \"" + value + "\"");
      pick["seconds"] = seconds;
    } else {
      static const std::regex iso("\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}(:\\d{2})?(Z|[+-]\\d{2}:?\\d{2})?");
      if (!std::regex_match(value, iso))
        throw CommandError("the row " + key + " takes a date such as 2024-03-05T20:30:00Z, not \"" + value + "\"");
      pick["date"] = value;
    }
    settingsAct(device, {{"op", "tap"}, {"row", key}});
    try {
      device.settings(pick);
    } catch (const CommandError&) {
      // A value the picker refuses leaves the overlay as the tap opened it.
      settingsAct(device, {{"op", "cancelPicker"}});
      throw;
    }
    settingsAct(device, {{"op", "submitPicker"}});
    return;
  }
  throw CommandError("the row " + key + " takes no value: it is not a switch, slider, colour or picker row");
}

void tap(const Device& device, const std::string& title) {
  visiblePage(device);
  settingsAct(device, {{"op", "tap"}, {"row", title}});
}

void back(const Device& device) { settingsAct(device, {{"op", "back"}}); }

void scroll(const Device& device, const std::string& y) {
  double v;
  if (!number(y, v)) throw CommandError("scroll takes a number of points, not \"" + y + "\"");
  visiblePage(device);
  settingsAct(device, {{"op", "scroll"}, {"y", v}});
}

void choose(const Device& device, const std::string& title) {
  json page = visiblePage(device);
  auto titled = [&](const json& box, const char* items) {
    for (const auto& a : box.value(items, json::array()))
      if (a.value("title", std::string()) == title) return true;
    return false;
  };
  if (page["alert"].is_object()) {
    if (!titled(page["alert"], "actions")) throw CommandError("the alert has no action \"" + title + "\"");
    settingsAct(device, {{"op", "chooseAlertAction"}, {"action", title}});
    return;
  }
  if (!page.value("menu", json()).is_object()) {
    try {
      device.settings({{"op", "tapOptions"}});
    } catch (const CommandError&) {
      throw CommandError("no alert or menu is open, and this page has no options menu");
    }
    page = visiblePage(device);
  }
  if (!titled(page["menu"], "entries")) throw CommandError("the menu has no entry \"" + title + "\"");
  settingsAct(device, {{"op", "chooseMenuAction"}, {"action", title}});
}

void appearance(const Device& device, const std::string& style) {
  if (style != "dark" && style != "light") throw CommandError("appearance is dark or light, not \"" + style + "\"");
  settingsAct(device, {{"op", "appearance"}, {"style", style}});
}

void openEntry(const Device& device, const std::string& entry) {
  // The host goes back to the list of settings and opens the entry from there.
  settingsAct(device, {{"op", "open"}, {"entry", entry}});
}

int respring(const Device& device) {
  int before = device.springBoard({{"op", "state"}}).value("pid", 0);
  device.springBoard({{"op", "respring"}});
  auto deadline = Clock::now() + std::chrono::seconds(10);
  for (;;) {
    try {
      json s = device.springBoard({{"op", "state"}}, std::chrono::milliseconds(500));
      if (s.value("pid", before) != before) return s["pid"];
    } catch (const CommandError&) {
      // between the old process and the new one
    }
    if (Clock::now() > deadline) throw CommandError("SpringBoard did not come back within 10 s");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace device
