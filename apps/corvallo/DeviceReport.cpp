#include "DeviceReport.h"

#include <sstream>

namespace device {

namespace {

std::string colourText(const nlohmann::json& v) { return v.is_string() ? v.get<std::string>() : "system"; }

void describeControl(std::ostringstream& out, const std::string& label, const nlohmann::json& c) {
  if (!c.is_object()) {
    out << label << ": none\n";
    return;
  }
  out << label << ": " << (c.value("hidden", false) ? "hidden" : "shown") << "; current dot "
      << colourText(c["currentPageIndicatorTintColor"]) << ", other dots " << colourText(c["pageIndicatorTintColor"]);
  if (c.contains("registered") && c["registered"].is_number()) out << " (tracked by the tweak)";
  out << "\n";
}

}  // namespace

std::string describeHomeScreen(const nlohmann::json& state) {
  std::ostringstream out;
  out << "SpringBoard pid " << state.value("pid", 0) << ", injected:";
  for (const auto& name : state.value("injected", nlohmann::json::array())) out << " " << name.get<std::string>();
  out << "\n";
  describeControl(out, "  home-screen dots", state["pageControl"]);
  int i = 0;
  for (const auto& stack : state.value("widgetStacks", nlohmann::json::array()))
    describeControl(out, "  widget stack " + std::to_string(++i) + " dots", stack);
  return out.str();
}

std::string describeSettingsPage(const nlohmann::json& state) {
  std::ostringstream out;
  const auto& page = state["page"];
  out << "Settings page " << page.value("title", page.value("class", std::string("?"))) << ":\n";
  for (const auto& section : page.value("sections", nlohmann::json::array())) {
    for (const auto& row : section.value("rows", nlohmann::json::array())) {
      if (row.value("hidden", false)) continue;
      std::string title = row["title"].is_string() ? row["title"].get<std::string>() : "";
      if (title.empty()) continue;
      if (row.contains("switchOn") && row["switchOn"].is_boolean())
        out << "  [" << (row["switchOn"].get<bool>() ? "on " : "off") << "] " << title << "\n";
      else if (row["value"].is_string() && row.value("key", nlohmann::json()).is_string())
        out << "  " << title << ": " << row["value"].get<std::string>() << "\n";
      else
        out << "  " << title << "\n";
    }
  }
  return out.str();
}

}  // namespace device
