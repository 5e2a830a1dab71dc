#include "Actions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <thread>

#include "RowVerbs.h"
#include "Verb.h"
#include "colorpicker/ColorString.h"
#include "control/Names.h"
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

std::string pageTitle(const json& page) {
  return page.value("title", json("")).is_string() ? page["title"].get<std::string>() : std::string();
}

std::vector<json> rowsOf(const json& page) {
  std::vector<json> rows;
  for (const auto& s : page.value("sections", json::array()))
    for (const auto& r : s.value("rows", json::array())) rows.push_back(r);
  return rows;
}

std::string textOf(const json& row, const char* field) {
  return row.value(field, json()).is_string() ? row[field].get<std::string>() : std::string();
}

// The page's row a person named by its key or its title, case aside; hidden
// rows too, so the error can say so.
json rowNamed(const json& page, const std::string& word, const char* field) {
  std::vector<json> rows = rowsOf(page);
  std::vector<std::string> keys, titles;
  for (const auto& r : rows) {
    if (!textOf(r, "key").empty()) keys.push_back(textOf(r, "key"));
    if (!textOf(r, "title").empty()) titles.push_back(textOf(r, "title"));
  }
  auto found = control::matchName(keys, word);
  const char* by = "key";
  if (!found) found = control::matchName(titles, word), by = "title";
  if (!found) {
    bool byKey = std::string(field) == "key";
    throw CommandError("no row " + control::echoed(word) + " on the page " + pageTitle(page) + "; " +
                       control::namesHint(byKey ? keys : titles, word));
  }
  for (const auto& r : rows)
    if (textOf(r, by) == *found) {
      if (r.value("hidden", false)) throw CommandError("the row " + *found + " is hidden on this page");
      return r;
    }
  throw CommandError("no row " + control::echoed(word));
}

// How the host finds the row: by key when it has one, else by title.
std::string rowName(const json& row) { return textOf(row, "key").empty() ? textOf(row, "title") : textOf(row, "key"); }

// A number as people write it: 17, 0.5, 1e+06 only when it must.
std::string plain(double v) {
  char out[64];
  std::snprintf(out, sizeof out, "%.6g", v);
  return out;
}

bool number(const std::string& text, double& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(out);
}

json settingsAct(const Device& device, const json& request) {
  json answer;
  try {
    answer = device.settings(request);
  } catch (const CommandError&) {
    // A refused action can still have started something (a Submit whose
    // write failed fades its picker out): the next command finds it ended.
    try {
      waitForSettledPage(device);
    } catch (const CommandError&) {
      // the refusal is the error to report
    }
    throw;
  }
  waitForSettledPage(device);
  return answer;
}

}  // namespace

void waitForSettledPage(const Device& device) {
  auto deadline = Clock::now() + std::chrono::seconds(3);
  int quietInARow = 0;
  while (quietInARow < 2) {
    try {
      quietInARow = device.settings({{"op", control::ops::kSettled}}).value("settled", false) ? quietInARow + 1 : 0;
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

void toggle(const Device& device, const std::string& word) {
  json row = rowNamed(visiblePage(device), word, "key");
  if (!row.contains("switchOn")) throw CommandError("the row " + rowName(row) + " has no switch");
  settingsAct(device, {{"op", control::ops::kToggle}, {"row", rowName(row)}});
}

void setValue(const Device& device, const std::string& word, const std::string& value) {
  json row = rowNamed(visiblePage(device), word, "key");
  std::string key = rowName(row);
  if (setStandardRow(device, row, key, value)) return;
  if (row.contains("switchOn")) {
    bool want;
    if (value == "1" || value == "on" || value == "true" || value == "YES")
      want = true;
    else if (value == "0" || value == "off" || value == "false" || value == "NO")
      want = false;
    else
      throw CommandError("the row " + key + " is a switch; give on or off, not " + control::echoed(value));
    if (row["switchOn"].get<bool>() != want) settingsAct(device, {{"op", control::ops::kToggle}, {"row", key}});
    return;
  }
  if (row.contains("sliderValue")) {
    double v;
    if (!number(value, v))
      throw CommandError("the row " + key + " is a slider; give a number, not " + control::echoed(value));
    double low = row.value("sliderMin", -HUGE_VAL), high = row.value("sliderMax", HUGE_VAL);
    if (v < low || v > high)
      throw CommandError("the row " + key + " takes a number from " + plain(low) + " to " + plain(high) + ", not " +
                         plain(v));
    settingsAct(device, {{"op", control::ops::kSlide}, {"row", key}, {"value", v}});
    return;
  }
  if (row.value("cellClass", json()) == "LCPColorCell" || row.contains("swatch")) {
    auto rgba = colorpicker::parseColorNotation(value);
    if (!rgba)
      throw CommandError("the row " + key + " takes a colour such as #FF2D55, #FF2D5580, #F25 or #FF2D55:0.5, not " +
                         control::echoed(value));
    // Stored as the tweak reads it; a colour string already is.
    std::string stored = colorpicker::parseColorString(value) ? value : colorpicker::colorString(*rgba);
    settingsAct(device, {{"op", control::ops::kSetColor}, {"row", key}, {"color", stored}});
    return;
  }
  if (row.value("picker", json()).is_object()) {
    // As a person does it: tap the row, turn the wheels, press Submit. The
    // host reads the text as the wheels would take it.
    json pick{{"op", control::ops::kSetPickerValue}, {"text", value}};
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
  throw CommandError("the row " + key +
                     " takes no value: it is not a switch, slider, segment, list, text field, colour or picker row");
}

namespace {

// The open picker's button a person named, pressed; false when no picker is open.
bool pressPickerButton(const Device& device, const std::string& title) {
  json overlay = device.settings({{"op", control::ops::kState}}).value("pickerOverlay", json());
  if (!overlay.is_object() || overlay.value("opacity", 0.0) <= 0) return false;
  std::vector<std::string> buttons{"Cancel", "Submit"};
  auto found = control::matchName(buttons, title);
  if (!found)
    throw CommandError("the picker has no button " + control::echoed(title) + "; " +
                       control::namesHint(buttons, title));
  settingsAct(device, {{"op", *found == "Submit" ? control::ops::kSubmitPicker : control::ops::kCancelPicker}});
  return true;
}

}  // namespace

void tap(const Device& device, const std::string& title) {
  if (pressPickerButton(device, title)) return;
  json row = rowNamed(visiblePage(device), title, "title");
  settingsAct(device, {{"op", control::ops::kTap}, {"row", textOf(row, "title").empty() ? rowName(row) : textOf(row, "title")}});
}

void back(const Device& device) { settingsAct(device, {{"op", control::ops::kBack}}); }

void scroll(const Device& device, const std::string& y) {
  double v;
  if (!number(y, v)) throw CommandError("scroll takes a number of points, not " + control::echoed(y));
  visiblePage(device);
  settingsAct(device, {{"op", control::ops::kScroll}, {"y", v}});
}

void choose(const Device& device, const std::string& title) {
  if (pressPickerButton(device, title)) return;
  json page = visiblePage(device);
  auto titles = [](const json& box, const char* items) {
    std::vector<std::string> out;
    for (const auto& a : box.value(items, json::array())) out.push_back(a.value("title", std::string()));
    return out;
  };
  if (page["alert"].is_object()) {
    auto actions = titles(page["alert"], "actions");
    auto found = control::matchName(actions, title);
    if (!found)
      throw CommandError("the alert has no action " + control::echoed(title) + "; " + control::namesHint(actions, title));
    settingsAct(device, {{"op", control::ops::kChooseAlertAction}, {"action", *found}});
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
  auto entries = titles(page["menu"], "entries");
  auto found = control::matchName(entries, title);
  if (!found)
    throw CommandError("the menu has no entry " + control::echoed(title) + "; " + control::namesHint(entries, title));
  settingsAct(device, {{"op", control::ops::kChooseMenuAction}, {"action", *found}});
}

void appearance(const Device& device, const std::string& style) {
  if (style != "dark" && style != "light") throw CommandError("appearance is dark or light, not " + control::echoed(style));
  settingsAct(device, {{"op", control::ops::kAppearance}, {"style", style}});
}

void openEntry(const Device& device, const std::string& entry) {
  // The host goes back to the list of settings and opens the entry from there.
  settingsAct(device, {{"op", control::ops::kOpen}, {"entry", entry}});
}

int respring(const Device& device, bool wait) {
  int before = device.springBoard({{"op", control::ops::kState}}).value("pid", 0);
  device.springBoard({{"op", control::ops::kRespring}});
  auto deadline = Clock::now() + std::chrono::seconds(10);
  for (;;) {
    try {
      json s = device.springBoard({{"op", control::ops::kState}}, std::chrono::milliseconds(500));
      if (s.value("pid", before) != before && !wait) return s["pid"];
      // The home screen appears once its libraries have loaded and the dots
      // have their colours, so what the tweak made of the settings shows.
      if (s.value("pid", before) != before && s.value("appeared", false)) {
        bool loaded = false;
        for (const auto& name : s.value("injected", json::array()))
          loaded = loaded || (name.is_string() && name.get<std::string>().find("Corvallo") != std::string::npos);
        if (!loaded) {
          std::string why;
          for (const auto& f : s.value("loadFailures", json::array()))
            why += "; " + f.value("library", std::string()) + ": " + f.value("reason", std::string());
          throw CommandError("SpringBoard came back without the tweak" + (why.empty() ? std::string("") : why));
        }
        return s["pid"];
      }
    } catch (const CommandError& e) {
      if (std::string(e.what()).starts_with("SpringBoard came back")) throw;
      // between the old process and the new one
    }
    if (Clock::now() > deadline)
      throw CommandError(wait ? "SpringBoard did not come back with the tweak within 10 s"
                              : "SpringBoard did not come back within 10 s");
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

namespace {

struct Word {
  std::string text;
};

struct Flag {
  bool on = false;
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
      verb<Flag>(
          "respring", "restart SpringBoard",
          [](CLI::App& cmd, Flag& o) {
            cmd.add_flag("--wait", o.on, "return once the tweak has loaded and the dots show the settings");
          },
          [](const Invocation& in, const Flag& o) {
            int pid = respring(in.device, o.on);  // nothing printed before it is done
            std::cout << "SpringBoard restarted, pid " << pid << (o.on ? ", the tweak loaded" : "") << "\n";
            return 0;
          }),
  };
}

}  // namespace device
