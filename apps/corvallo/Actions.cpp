#include "Actions.h"

#include <charconv>
#include <cmath>
#include <iostream>
#include <regex>
#include <thread>

#include "Verb.h"
#include "colorpicker/ColorString.h"
#include "control/Ops.h"

namespace device {

namespace {

using Clock = std::chrono::steady_clock;

json visiblePage(const Device& device) {
  json page = device.settings({{"op", control::ops::kState}})["page"];
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
    quietInARow = device.settings({{"op", control::ops::kSettled}}).value("settled", false) ? quietInARow + 1 : 0;
    if (Clock::now() > deadline) throw CommandError("the Settings page did not settle within 3 s");
    if (quietInARow == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void toggle(const Device& device, const std::string& key) {
  json row = rowForKey(visiblePage(device), key);
  if (!row.contains("switchOn")) throw CommandError("the row " + key + " has no switch");
  settingsAct(device, {{"op", control::ops::kToggle}, {"row", key}});
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
    if (row["switchOn"].get<bool>() != want) settingsAct(device, {{"op", control::ops::kToggle}, {"row", key}});
    return;
  }
  if (row.contains("sliderValue")) {
    double v;
    if (!number(value, v)) throw CommandError("the row " + key + " is a slider; give a number, not \"" + value + "\"");
    settingsAct(device, {{"op", control::ops::kSlide}, {"row", key}, {"value", v}});
    return;
  }
  if (row.value("cellClass", json()) == "LCPColorCell" || row.contains("swatch")) {
    auto rgba = colorpicker::parseColorNotation(value);
    if (!rgba)
      throw CommandError("the row " + key + " takes a colour such as #FF2D55, #FF2D5580, #F25 or #FF2D55:0.5, not \"" +
                         value + "\"");
    // Stored as the tweak reads it; a colour string already is.
    std::string stored = colorpicker::parseColorString(value) ? value : colorpicker::colorString(*rgba);
    settingsAct(device, {{"op", control::ops::kSetColor}, {"row", key}, {"color", stored}});
    return;
  }
  if (row.value("picker", json()).is_object()) {
    // As a person does it: tap the row, turn the wheels, press Submit.
    json pick{{"op", control::ops::kSetPickerValue}};
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
    settingsAct(device, {{"op", control::ops::kTap}, {"row", key}});
    try {
      device.settings(pick);
    } catch (const CommandError&) {
      // A value the picker refuses leaves the overlay as the tap opened it.
      settingsAct(device, {{"op", control::ops::kCancelPicker}});
      throw;
    }
    settingsAct(device, {{"op", control::ops::kSubmitPicker}});
    return;
  }
  throw CommandError("the row " + key + " takes no value: it is not a switch, slider, colour or picker row");
}

void tap(const Device& device, const std::string& title) {
  visiblePage(device);
  settingsAct(device, {{"op", control::ops::kTap}, {"row", title}});
}

void back(const Device& device) { settingsAct(device, {{"op", control::ops::kBack}}); }

void scroll(const Device& device, const std::string& y) {
  double v;
  if (!number(y, v)) throw CommandError("scroll takes a number of points, not \"" + y + "\"");
  visiblePage(device);
  settingsAct(device, {{"op", control::ops::kScroll}, {"y", v}});
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
    settingsAct(device, {{"op", control::ops::kChooseAlertAction}, {"action", title}});
    return;
  }
  if (!page.value("menu", json()).is_object()) {
    try {
      device.settings({{"op", control::ops::kTapOptions}});
    } catch (const CommandError&) {
      throw CommandError("no alert or menu is open, and this page has no options menu");
    }
    page = visiblePage(device);
  }
  if (!titled(page["menu"], "entries")) throw CommandError("the menu has no entry \"" + title + "\"");
  settingsAct(device, {{"op", control::ops::kChooseMenuAction}, {"action", title}});
}

void appearance(const Device& device, const std::string& style) {
  if (style != "dark" && style != "light") throw CommandError("appearance is dark or light, not \"" + style + "\"");
  settingsAct(device, {{"op", control::ops::kAppearance}, {"style", style}});
}

void openEntry(const Device& device, const std::string& entry) {
  // The host goes back to the list of settings and opens the entry from there.
  settingsAct(device, {{"op", control::ops::kOpen}, {"entry", entry}});
}

int respring(const Device& device) {
  int before = device.springBoard({{"op", control::ops::kState}}).value("pid", 0);
  device.springBoard({{"op", control::ops::kRespring}});
  auto deadline = Clock::now() + std::chrono::seconds(10);
  for (;;) {
    try {
      json s = device.springBoard({{"op", control::ops::kState}}, std::chrono::milliseconds(500));
      if (s.value("pid", before) != before) return s["pid"];
    } catch (const CommandError&) {
      // between the old process and the new one
    }
    if (Clock::now() > deadline) throw CommandError("SpringBoard did not come back within 10 s");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

namespace {

struct Word {
  std::string text;
};

struct KeyValue {
  std::string key, value;
};

// A verb that takes one word and acts on the page with it.
Verb wordVerb(const char* name, const char* help, const char* word, const char* wordHelp,
              void (*act)(const Device&, const std::string&)) {
  return verb<Word>(
      name, help, [word, wordHelp](CLI::App& cmd, Word& o) { cmd.add_option(word, o.text, wordHelp)->required(); },
      [act](const Invocation& in, const Word& o) {
        act(in.device, o.text);
        return 0;
      });
}

}  // namespace

std::vector<Verb> actionVerbs() {
  return {
      wordVerb("toggle", "flip the switch of the row bound to KEY", "KEY", "the row's preference key", toggle),
      verb<KeyValue>(
          "set", "set the row bound to KEY: a colour, a slider value, a date, a duration",
          [](CLI::App& cmd, KeyValue& o) {
            cmd.add_option("KEY", o.key, "the row's preference key")->required();
            cmd.add_option("VALUE", o.value, "#RRGGBB[:opacity], a number, on/off, or a picker's text")->required();
          },
          [](const Invocation& in, const KeyValue& o) {
            setValue(in.device, o.key, o.value);
            return 0;
          }),
      wordVerb("tap", "tap a row by its title", "TITLE", "the row's title", tap),
      plainVerb("back", "go back one page",
                [](const Invocation& in) {
                  back(in.device);
                  return 0;
                }),
      wordVerb("scroll", "scroll the page to Y points", "Y", "content offset in points", scroll),
      wordVerb("choose", "choose an entry of the alert or menu (or the options menu)", "TITLE", "the entry's title",
               choose),
      wordVerb("appearance", "switch Settings to dark or light", "STYLE", "dark or light", appearance),
      wordVerb("open", "open an entry of the list of settings", "ENTRY", "the entry's label, e.g. Corvallo",
               openEntry),
      plainVerb("respring", "restart SpringBoard",
                [](const Invocation& in) {
                  std::cout << "SpringBoard restarted, pid " << respring(in.device) << "\n";
                  return 0;
                }),
  };
}

}  // namespace device
