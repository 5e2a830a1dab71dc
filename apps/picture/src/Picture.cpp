#include "picture/Picture.h"

#include "Screens.h"

namespace picture {

void drawHomeScreen(const nlohmann::json& state, const std::string& pngFile) { homeScreen(state)->save(pngFile); }

void drawSettingsPage(const nlohmann::json& state, const std::string& pngFile, const std::string& deviceRoot) {
  settingsPage(state, deviceRoot)->save(pngFile);
}

void drawSideBySide(const nlohmann::json& springBoard, const nlohmann::json& settings, const std::string& pngFile,
                    const std::string& caption, const std::string& deviceRoot) {
  auto home = homeScreen(springBoard);
  auto page = settingsPage(settings, deviceRoot);
  constexpr double kMargin = 24, kCaption = 56;
  Canvas c(home->width() + page->width() + 3 * kMargin, std::max(home->height(), page->height()) + kCaption + kMargin);
  c.fill(rgb(0x1C1C1E));
  c.text(caption, kMargin, 16, {1, 1, 1, 1}, {20, true, Align::Left, c.width() - 2 * kMargin});
  c.paste(*page, kMargin, kCaption);
  c.paste(*home, 2 * kMargin + page->width(), kCaption);
  c.save(pngFile);
}

}  // namespace picture
