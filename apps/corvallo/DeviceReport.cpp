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

}  // namespace device
