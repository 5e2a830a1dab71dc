#include "picture/Picture.h"

#include "Screens.h"

namespace picture {

void drawHomeScreen(const nlohmann::json& state, const std::string& pngFile) { homeScreen(state)->save(pngFile); }

void drawSettingsPage(const nlohmann::json& state, const std::string& pngFile, const std::string& deviceRoot) {
  settingsPage(state, deviceRoot)->save(pngFile);
}

std::string homeScreenPng(const nlohmann::json& state) { return homeScreen(state)->png(); }

std::string settingsPagePng(const nlohmann::json& state, const std::string& deviceRoot) {
  return settingsPage(state, deviceRoot)->png();
}

void drawSideBySide(const nlohmann::json& springBoard, const nlohmann::json& settings, const std::string& pngFile,
                    const std::string& caption, const std::string& deviceRoot) {
  auto home = homeScreen(springBoard);
  auto page = settingsPage(settings, deviceRoot);
  constexpr double kMargin = 24;
  double width = home->width() + page->width() + 3 * kMargin;
  Text style{20, true, Align::Left, width - 2 * kMargin};
  // As many lines as the caption wraps to, above both screens.
  double captionHeight = Canvas(width, 1).text(caption, kMargin, 16, {1, 1, 1, 1}, style);
  double captionBand = std::max(56.0, 16 + captionHeight + 14);
  Canvas c(width, std::max(home->height(), page->height()) + captionBand + kMargin);
  c.fill(rgb(0x1C1C1E));
  c.text(caption, kMargin, 16, {1, 1, 1, 1}, style);
  c.paste(*page, kMargin, captionBand);
  c.paste(*home, 2 * kMargin + page->width(), captionBand);
  c.save(pngFile);
}

}  // namespace picture
