#include "Screens.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "RowVerbs.h"
#include "Verb.h"
#include "colorpicker/ColorString.h"
#include "control/Names.h"
#include "control/Ops.h"
#include "picture/Picture.h"

namespace device {

json rgbaColour(const json& c) {
  if (!c.is_string()) return nullptr;
  auto rgba = colorpicker::parseColorNotation(c.get_ref<const std::string&>());
  if (!rgba) return c;
  char alpha[4];
  std::snprintf(alpha, sizeof alpha, "%02X", static_cast<unsigned>(std::lround(rgba->alpha * 255)));
  return colorpicker::colorString({rgba->red, rgba->green, rgba->blue, 1.0}) + alpha;
}

namespace {

json indicator(const json& c) {
  if (!c.is_object()) return nullptr;
  return json{{"hidden", c.value("hidden", false)},
              {"numberOfPages", c.value("numberOfPages", 0)},
              {"currentPage", c.value("currentPage", 0)},
              {"currentPageIndicatorTintColor", rgbaColour(c["currentPageIndicatorTintColor"])},
              {"pageIndicatorTintColor", rgbaColour(c["pageIndicatorTintColor"])}};
}

std::string colourText(const json& c) { return c.is_string() ? c.get<std::string>() : "system"; }

void indicatorLine(std::ostringstream& out, const std::string& label, const json& c) {
  out << label << ": ";
  if (!c.is_object()) {
    out << "none\n";
    return;
  }
  out << (c["hidden"].get<bool>() ? "hidden" : "shown") << "; " << c["numberOfPages"] << " dots, current "
      << c["currentPage"] << "; current dot " << colourText(c["currentPageIndicatorTintColor"]) << ", others "
      << colourText(c["pageIndicatorTintColor"]) << "\n";
}

// A slider's value as its label shows it (an integer slider's rounding), else its position.
json sliderShown(const json& row) {
  if (row["detailText"].is_string()) {
    double shown;
    const std::string& t = row["detailText"].get_ref<const std::string&>();
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), shown);
    if (ec == std::errc() && end == t.data() + t.size()) return shown;
  }
  return row["sliderValue"];
}

json rowValue(const json& row) {
  if (row.contains("switchOn")) return row["switchOn"];
  if (row.contains("sliderValue")) return sliderShown(row);
  // A picker row shows its value as text; what the domain holds is "stored".
  if (row.value("picker", json()).is_object()) return row.value("detailText", json());
  if (row.contains("swatch") && row["value"].is_null()) return row["swatch"];
  return row.value("value", json());
}

// An open picker as a person sees it: its kind, the wheels' value as the row
// would show it, and its buttons.
std::string overlayText(const json& o) {
  static const std::map<std::string, std::string> kinds{
      {"date", "date"}, {"time", "time"}, {"dateAndTime", "date and time"}, {"countDownTimer", "duration"}};
  std::string mode = o.value("mode", json()).is_string() ? o["mode"].get<std::string>() : std::string();
  std::string kind = kinds.count(mode) ? kinds.at(mode) : std::string("value");
  const json& text = o.value("text", json());
  std::ostringstream out;
  out << kind << " picker: " << (text.is_string() ? text.get<std::string>() : o.value("value", json()).dump())
      << (o.value("animating", false) ? "  (fading)" : "") << "\n";
  for (const auto& b : o.value("buttons", json::array({"Cancel", "Submit"}))) out << "    [" << b.get<std::string>() << "]\n";
  return out.str();
}

}  // namespace

json homeJson(const json& state) {
  json stacks = json::array();
  for (const auto& s : state.value("widgetStacks", json::array())) stacks.push_back(indicator(s));
  json controls = json::array();
  if (state["pageControl"].is_object()) controls.push_back(indicator(state["pageControl"]));
  return json{{"pageControls", controls}, {"widgetStacks", stacks}};
}

std::string homeText(const json& home) {
  std::ostringstream out;
  int i = 0;
  for (const auto& c : home["pageControls"])
    indicatorLine(out, "home-screen dots" + (i++ ? " " + std::to_string(i) : std::string()), c);
  i = 0;
  for (const auto& c : home["widgetStacks"]) indicatorLine(out, "widget stack " + std::to_string(++i) + " dots", c);
  return out.str();
}

json settingsJson(const json& state) {
  const json& page = state["page"];
  json out{{"appearance", state.value("appearance", "light")}};
  if (page.value("class", "home") == "home") {
    json rows = json::array();
    for (const auto& e : page.value("entries", json::array()))
      rows.push_back(json{{"title", e["label"]},
                          {"key", nullptr},
                          {"cell", "PSLinkCell"},
                          {"value", nullptr},
                          {"hidden", false},
                          {"height", nullptr},
                          {"tintColor", nullptr}});
    out.update(json{{"title", "Settings"},
                    {"sections", json::array({json{{"title", nullptr}, {"rows", rows}}})},
                    {"alert", nullptr},
                    {"menu", nullptr},
                    {"overlay", nullptr}});
    return out;
  }
  json sections = json::array();
  for (const auto& s : page.value("sections", json::array())) {
    json rows = json::array();
    for (const auto& r : s.value("rows", json::array())) {
      json tint = r.contains("tint") && r["tint"].is_string() ? r["tint"] : r.value("themeTint", json());
      rows.push_back(json{{"title", r.value("title", json())},
                          {"key", r.value("key", json())},
                          {"cell", r.value("cellType", json())},
                          {"value", rowValue(r)},
                          {"hidden", r.value("hidden", false)},
                          {"height", r.value("height", 0.0)},
                          {"tintColor", rgbaColour(tint)}});
      if (r.value("picker", json()).is_object()) rows.back()["stored"] = r["picker"].value("stored", json());
      // The slider's label, as the row shows its number.
      if (r.contains("sliderValue") && r.value("detailText", json()).is_string()) rows.back()["text"] = r["detailText"];
      rows.back().update(standardRowFields(r));
    }
    sections.push_back(json{{"title", s.value("headerTitle", json())}, {"rows", rows}});
  }
  out["title"] = page.value("title", json());
  out["sections"] = sections;
  out["alert"] = page.value("alert", json());
  // Reported by the pages that have an options menu or a picker overlay.
  out["menu"] = page.value("menu", json());
  out["overlay"] = page.value("pickerOverlay", state.value("pickerOverlay", json()));
  out.update(standardPageFields(page));
  return out;
}

std::string settingsText(const json& s) {
  std::ostringstream out;
  out << (s["title"].is_string() ? s["title"].get<std::string>() : std::string("(untitled)")) << " ("
      << s["appearance"].get<std::string>() << ")\n";
  for (const auto& section : s["sections"]) {
    if (section["title"].is_string()) out << "  " << section["title"].get<std::string>() << "\n";
    for (const auto& row : section["rows"]) {
      out << (row["hidden"].get<bool>() ? "    (hidden) " : "    ");
      out << (row["title"].is_string() ? row["title"].get<std::string>() : std::string("—"));
      const json& v = row["value"];
      if (row.contains("text"))
        out << "  " << row["text"].get<std::string>();
      else if (v.is_boolean())
        out << "  [" << (v.get<bool>() ? "on" : "off") << "]";
      else if (!v.is_null())
        out << "  " << (v.is_string() ? v.get<std::string>() : v.dump());
      if (row["key"].is_string()) out << "   (" << row["key"].get<std::string>() << ")";
      out << "\n";
    }
  }
  auto list = [&](const char* label, const json& box, const char* items) {
    if (!box.is_object()) return;
    out << label << ": " << box.value("title", json("")).dump() << "\n";
    for (const auto& a : box.value(items, json::array()))
      out << "    [" << (a.is_object() ? a.value("title", std::string()) : a.dump()) << "]\n";
  };
  list("alert", s["alert"], "actions");
  list("menu", s["menu"], "entries");
  if (s["overlay"].is_object()) out << overlayText(s["overlay"]);
  return out.str();
}

namespace {

struct ScreenOptions {
  bool json = false;
  std::string png;
};

void screenOptions(CLI::App& cmd, ScreenOptions& o, const char* pngHelp) {
  cmd.add_flag("--json", o.json, "as JSON");
  cmd.add_option("--png", o.png, pngHelp)->type_name("FILE.png|-");
}

// Where the picture goes: standard output for "-", else a file named for what it holds.
std::string pictureFile(const ScreenOptions& o) {
  if (o.png == "-") {
    if (o.json) throw CommandError("--png - and --json both write to standard output; give one of them");
    return "/dev/stdout";
  }
  if (o.png.size() < 5 || o.png.compare(o.png.size() - 4, 4, ".png") != 0)
    throw CommandError("--png takes a file name ending in .png, or - for standard output, not " +
                       control::echoed(o.png));
  return o.png;
}

int printScreen(const json& screen, const std::string& text, const ScreenOptions& o, const std::string& file,
                const std::function<void(const std::string&)>& draw) {
  if (!file.empty()) draw(file);
  if (o.json)
    std::cout << screen.dump(2) << "\n";
  else if (o.png.empty())
    std::cout << text;
  return 0;
}

}  // namespace

std::vector<Verb> screenVerbs() {
  return {
      verb<ScreenOptions>(
          "home", "the home screen's page dots",
          [](CLI::App& cmd, ScreenOptions& o) {
            screenOptions(cmd, o, "draw the home screen into this PNG file (- for standard output)");
          },
          [](const Invocation& in, const ScreenOptions& o) {
            std::string file = o.png.empty() ? std::string() : pictureFile(o);
            json state = in.device.springBoard({{"op", control::ops::kState}});
            json home = homeJson(state);
            return printScreen(home, homeText(home), o, file,
                               [&](const std::string& png) { picture::drawHomeScreen(state, png); });
          }),
      verb<ScreenOptions>(
          "settings", "the visible settings page",
          [](CLI::App& cmd, ScreenOptions& o) {
            screenOptions(cmd, o, "draw the page into this PNG file (- for standard output)");
          },
          [](const Invocation& in, const ScreenOptions& o) {
            std::string file = o.png.empty() ? std::string() : pictureFile(o);
            json state = in.device.settings({{"op", control::ops::kState}});
            json page = settingsJson(state);
            return printScreen(page, settingsText(page), o, file, [&](const std::string& png) {
              picture::drawSettingsPage(state, png, in.device.root().string());
            });
          }),
  };
}

}  // namespace device
