#include <cairo.h>
#include <cmath>

#include <string>

#include "Screens.h"
#include "StandardRows.h"
#include "ViewTree.h"
#include "picture/Picture.h"

namespace picture {

using nlohmann::json;

namespace {

// Below the status bar and the navigation bar.
constexpr double kContentTop = 91, kInset = 16;

struct Palette {
  Colour background, cell, label, secondary, separator, switchOff, dim, barMaterial;
};

Palette paletteFor(bool dark) {
  if (dark)
    return {rgb(0x000000), rgb(0x1C1C1E), rgb(0xFFFFFF), rgb(0x8D8D93), rgb(0x38383A),
            rgb(0x39393D), {0, 0, 0, 0.48},  rgb(0x161616)};
  return {rgb(0xF2F2F7), rgb(0xFFFFFF), rgb(0x000000), rgb(0x6D6D72), rgb(0xC6C6C8),
          rgb(0xE9E9EA), {0, 0, 0, 0.2},   rgb(0xF9F9F9)};
}

std::string text(const json& v) { return v.is_string() ? v.get<std::string>() : std::string(); }

void uppercase(std::string& s) {
  for (char& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
}

void chevron(Canvas& c, double x, double cy, Colour ink, bool back = false) {
  double d = back ? -1 : 1;
  c.line(x, cy - 6, x + 6 * d, cy, back ? 3 : 2, ink);
  c.line(x + 6 * d, cy, x, cy + 6, back ? 3 : 2, ink);
}

void toggleSwitch(Canvas& c, double right, double cy, bool on, Colour tint, const Palette& p) {
  Rect track{right - 51, cy - 15.5, 51, 31};
  c.roundedRect(track, 15.5, on ? tint : p.switchOff);
  double knobX = on ? track.x + track.w - 15.5 : track.x + 15.5;
  c.circle(knobX, cy + 0.5, 14, {0, 0, 0, 0.08});
  c.circle(knobX, cy, 13.5, {1, 1, 1, 1});
}

void slider(Canvas& c, Rect cell, const json& row, Colour tint, const Palette& p) {
  double lo = row.value("sliderMin", 0.0), hi = row.value("sliderMax", 1.0), v = row.value("sliderValue", 0.0);
  double frac = hi > lo ? std::clamp((v - lo) / (hi - lo), 0.0, 1.0) : 0;
  double x0 = cell.x + kInset, x1 = cell.x + cell.w - kInset, cy = cell.y + cell.h / 2;
  // The value label (the row's detail text) sits at the trailing end; the track stops short of it.
  if (row.value("detailText", json()).is_string())
    x1 -= c.textWidth(field(row, "detailText").get<std::string>(), {17}) + 14 + 8;
  c.roundedRect({x0, cy - 2, x1 - x0, 4}, 2, p.switchOff);
  c.roundedRect({x0, cy - 2, (x1 - x0) * frac, 4}, 2, tint);
  c.circle(x0 + (x1 - x0) * frac, cy + 0.5, 14, {0, 0, 0, 0.12});
  c.circle(x0 + (x1 - x0) * frac, cy, 13.5, {1, 1, 1, 1});
}

void row(Canvas& c, const json& r, Rect cell, bool last, unsigned groupCorners, const Palette& p, Colour theme,
         const std::string& root) {
  double radius = r.value("cornerRadius", 0.0);
  if (radius > 0)
    c.roundedRect(cell, radius, p.cell, r.value("cornerMask", 0u));
  else
    c.roundedRect(cell, 10, p.cell, groupCorners);
  double cy = cell.y + cell.h / 2;
  Colour tint = colourFrom(field(r, "tint"), colourFrom(field(r, "themeTint"), theme));
  std::string cellType = text(field(r, "cellType"));
  // The model's labelColor is not dynamic: it reports the light value in both
  // appearances, where the device would resolve it for the dark one.
  bool defaultInk = !field(r, "textColor").is_string() || field(r, "textColor") == "#000000";
  Colour ink = defaultInk ? p.label : colourFrom(field(r, "textColor"), p.label);
  if (cellType == "PSButtonCell" && defaultInk) ink = tint;
  if (cellType == "PSStaticTextCell" && defaultInk) ink = p.secondary;
  // The model's cell spans the table; the picture insets it, so its own views are centred in it.
  double modelWidth = rectFrom(field(r, "frame")).w;
  for (const auto& v : r.value("addedViews", json::array()))
    drawViewTree(c, v, cell.x + (modelWidth > 0 ? (cell.w - modelWidth) / 2 : 0), cell.y, root);
  RowInk standard{ink, p.secondary, p.cell, tint, p.background.r < 0.5};
  if (r.contains("sliderValue")) {
    slider(c, cell, r, tint, p);
  } else if (!standardRowTitle(c, r, cell, standard, root)) {
    c.text(text(field(r, "title")), cell.x + kInset, cy - 11, ink, {17});
  }
  double right = cell.x + cell.w - kInset;
  if (standardRowAccessory(c, r, cell, standard)) {
  } else if (r.contains("switchOn")) {
    toggleSwitch(c, right, cy, field(r, "switchOn").get<bool>(), tint, p);
  } else if (r.contains("swatch") && field(r, "swatch").is_string()) {
    c.circle(right - 14, cy, 14.5, p.separator);
    c.circle(right - 14, cy, 13.5, colourFrom(field(r, "swatch"), {0, 0, 0, 0}));
    if (field(r, "value").is_string())
      c.text(field(r, "value").get<std::string>(), right - 38, cy - 10, p.secondary, {15, false, Align::Right});
  } else if (cellType == "PSLinkCell") {
    chevron(c, right - 6, cy, p.secondary.withAlpha(0.7));
    if (field(r, "detailText").is_string())
      c.text(text(field(r, "detailText")), right - 18, cy - 11, p.secondary, {17, false, Align::Right});
  } else if (field(r, "detailText").is_string()) {
    // Black is the model's unresolved default, secondary ink on the device.
    bool defaultDetail = !field(r, "detailTextColor").is_string() || field(r, "detailTextColor") == "#000000";
    c.text(text(field(r, "detailText")), right, cy - 11,
           defaultDetail ? p.secondary : colourFrom(field(r, "detailTextColor"), p.secondary), {17, false, Align::Right});
  }
  // Separators as the cell keeps them: below every row but the section's last.
  if (!last && r.value("separatorsShown", true))
    c.line(cell.x + kInset, cell.y + cell.h - 0.25, cell.x + cell.w, cell.y + cell.h - 0.25, 0.5, p.separator);
}

// Where the bar's own coordinates start on the screen: the model's bar does not
// count the status bar above it.
double barTop(const json& bar) {
  Rect f = rectFrom(field(bar, "frame"));
  return f.y >= 20 ? f.y : kContentTop - (f.h > 0 ? f.h : 44);
}

void navigationBar(Canvas& c, const json& page, const Palette& p, Colour tint, bool dark, const std::string& root) {
  // At the top of its content the bar is the page's background; with rows
  // scrolled under it, its material hides them.
  bool under = page.value("contentOffset", 0.0) > 0;
  c.roundedRect({0, 0, c.width(), kContentTop}, 0, under ? p.barMaterial : p.background);
  statusBar(c, dark ? Colour{1, 1, 1, 1} : Colour{0, 0, 0, 1});
  c.line(0, kContentTop, c.width(), kContentTop, 0.33, p.separator);
  bool home = page.value("class", "home") == "home";
  const json& bar = page.value("navigationBar", json());
  if (!home) {
    // The back button is the bar's: its tint, the page below's title.
    Colour ink = bar.is_object() ? colourFrom(field(bar, "tint"), tint) : tint;
    chevron(c, 18, 69, ink, true);
    c.text(bar.is_object() && field(bar, "backTitle").is_string() ? field(bar, "backTitle").get<std::string>() : "Settings", 27, 58,
           ink, {17});
  }
  if (bar.is_object()) {
    Rect f = rectFrom(field(bar, "frame"));
    double top = barTop(bar);
    // The bar clips what it shows: the title view's label sits at its offset,
    // below sight until the page scrolls.
    cairo_save(c.cr());
    cairo_rectangle(c.cr(), f.x, top, f.w > 0 ? f.w : c.width(), f.h > 0 ? f.h : 44);
    cairo_clip(c.cr());
    if (field(bar, "titleView").is_object())
      drawViewTree(c, field(bar, "titleView"), f.x, top, root);
    else
      c.text(text(bar.value("title", field(page, "title"))), c.width() / 2, 58, p.label, {17, true, Align::Centre});
    if (field(bar, "rightItem").is_object()) drawViewTree(c, field(field(bar, "rightItem"), "customView"), f.x, top, root);
    cairo_restore(c.cr());
    return;
  }
  c.text(home ? "Settings" : text(field(page, "title")), c.width() / 2, 58, p.label, {17, true, Align::Centre});
}

// The open menu, under the button it came from (the bar's right item).
void menu(Canvas& c, const json& page, const Palette& p, bool dark) {
  const json& m = field(page, "menu");
  auto entries = m.value("entries", json::array());
  double w = 250, rowH = 44, right = c.width() - 16, top = kContentTop + 4;
  const json& bar = page.value("navigationBar", json());
  if (bar.is_object() && field(bar, "rightItem").is_object() && field(field(bar, "rightItem"), "customView").is_object()) {
    Rect b = rectFrom(field(field(field(bar, "rightItem"), "customView"), "frame"));
    Rect f = rectFrom(field(bar, "frame"));
    right = std::min(c.width() - 8, f.x + b.x + b.w);
    top = barTop(bar) + b.y + b.h + 6;
  }
  Rect box{right - w, top, w, rowH * static_cast<double>(entries.size())};
  c.fill({0, 0, 0, dark ? 0.3 : 0.08});
  for (int i = 8; i >= 1; --i)
    c.roundedRect({box.x - i, box.y - i + 4, box.w + 2 * i, box.h + 2 * i}, 13 + i, {0, 0, 0, 0.012});
  c.roundedRect(box, 13, dark ? rgb(0x2C2C2E, 0.97) : rgb(0xF9F9F9, 0.97));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const json& e = entries[i];
    double y = box.y + rowH * static_cast<double>(i);
    Colour ink = e.value("destructive", false) ? rgb(0xFF3B30) : p.label;
    if (e.value("disabled", false)) ink = p.secondary;
    c.text(text(field(e, "title")), box.x + 16, y + 12, ink, {17});
    if (field(e, "symbol").is_string()) drawSymbol(c, field(e, "symbol"), {box.x + w - 38, y + 11, 22, 22}, ink);
    if (i + 1 < entries.size()) c.line(box.x, y + rowH, box.x + w, y + rowH, 0.5, p.separator);
  }
}

// An entry's icon as the bundle ships it (the 2x file first, as a phone's screen would).
bool entryIcon(Canvas& c, const json& entry, const std::string& root, Rect r) {
  if (!root.empty() && field(entry, "iconPath").is_string() && !field(entry, "iconPath").get<std::string>().empty() &&
      c.image(root + field(entry, "iconPath").get<std::string>(), r, 7))
    return true;
  if (root.empty() || !field(entry, "bundle").is_string() || !field(entry, "icon").is_string()) return false;
  std::string icon = field(entry, "icon").get<std::string>();
  std::string folder = root + field(entry, "bundle").get<std::string>() + "/";
  auto dot = icon.rfind('.');
  if (dot != std::string::npos && c.image(folder + icon.substr(0, dot) + "@2x" + icon.substr(dot), r, 7)) return true;
  return c.image(folder + icon, r, 7);
}

void entries(Canvas& c, const json& page, const Palette& p, const std::string& root) {
  double y = kContentTop + 20;
  auto list = page.value("entries", json::array());
  double h = 44;
  Rect group{kInset, y, c.width() - 2 * kInset, h * static_cast<double>(list.size())};
  c.roundedRect(group, 10, p.cell);
  for (std::size_t i = 0; i < list.size(); ++i) {
    double top = y + h * static_cast<double>(i);
    Rect icon{group.x + 16, top + 7.5, 29, 29};
    if (!entryIcon(c, list[i], root, icon)) c.roundedRect(icon, 7, p.secondary);
    c.text(text(list[i]["label"]), group.x + 60, top + 11, p.label, {17});
    chevron(c, group.x + group.w - 20, top + h / 2, p.secondary.withAlpha(0.7));
    if (i + 1 < list.size()) c.line(group.x + 60, top + h, group.x + group.w, top + h, 0.5, p.separator);
  }
}

void alert(Canvas& c, const json& a, const Palette& p, Colour tint) {
  c.fill(p.dim);
  bool sheet = a.value("style", 0) == 0;
  auto actions = a.value("actions", json::array());
  double w = sheet ? c.width() - 16 : 270, x = (c.width() - w) / 2;
  // The sheet's blurred material hides what lies behind it: opaque stands in for the blur.
  Colour box = p.cell;
  Colour danger = rgb(0xFF3B30);
  double headH = 0;
  std::string title = text(field(a, "title")), message = text(field(a, "message"));
  // Measure the head by drawing it off-canvas first would be a second layout;
  // the text is short, so give it room for two lines of message.
  headH = (title.empty() ? 0 : 26) + (message.empty() ? 0 : 40) + 24;
  std::vector<json> main, cancel;
  for (const auto& act : actions) (act.value("style", 0) == 1 && sheet ? cancel : main).push_back(act);
  double rowH = 57;
  double total = headH + rowH * static_cast<double>(main.size());
  double bottom = c.height() - 34 - (cancel.empty() ? 0 : rowH + 8);
  double top = sheet ? bottom - total : (c.height() - total) / 2;
  c.roundedRect({x, top, w, total}, 14, box);
  double ty = top + 14;
  if (!title.empty()) ty += c.text(title, x + w / 2, ty, p.secondary, {13, true, Align::Centre}) + 4;
  if (!message.empty()) c.text(message, x + 16, ty, p.secondary, {13, false, Align::Centre, w - 32});
  double y = top + headH;
  for (const auto& act : main) {
    c.line(x, y, x + w, y, 0.5, p.separator);
    int style = act.value("style", 0);
    c.text(text(field(act, "title")), x + w / 2, y + 17, style == 2 ? danger : tint, {20, style == 1, Align::Centre});
    y += rowH;
  }
  for (const auto& act : cancel) {
    Rect r{x, c.height() - 34 - rowH, w, rowH};
    c.roundedRect(r, 14, p.cell);
    c.text(text(field(act, "title")), x + w / 2, r.y + 17, tint, {20, true, Align::Centre});
  }
}

// What the wheels show: the value as its row would show it, else hours and
// minutes of a count-down, else the date as the host reports it.
std::string wheelText(const json& o) {
  if (field(o, "text").is_string() && !field(o, "text").get_ref<const std::string&>().empty())
    return field(o, "text").get<std::string>();
  const json& v = field(o, "value");
  if (o.value("mode", std::string()) == "countDownTimer" && v.is_number()) {
    long minutes = std::lround(v.get<double>() / 60);
    return std::to_string(minutes / 60) + " hours   " + std::to_string(minutes % 60) + " min";
  }
  return v.is_string() ? v.get<std::string>() : v.dump();
}

// The picker overlay as the host reports it: its backdrop and body at the
// opacity showing now, the value in the wheel's place, Cancel and Submit.
void pickerOverlay(Canvas& c, const json& o, const Palette& p, Colour tint) {
  double op = o.value("shownOpacity", o.value("opacity", 1.0));
  if (op <= 0.001) return;
  Rect f = rectFrom(field(o, "frame"));
  if (f.w <= 0) f = {0, 0, c.width(), c.height()};
  // The body lies in the overlay's frame; the wheel and the buttons in the body.
  auto within = [](Rect outer, const json& frame) {
    Rect r = rectFrom(frame);
    return Rect{outer.x + r.x, outer.y + r.y, r.w, r.h};
  };
  cairo_push_group(c.cr());
  c.roundedRect(f, 0, {0, 0, 0, 0.35});
  Rect body = within(f, field(o, "body"));
  c.roundedRect(body, 13, p.cell);
  Rect wheel = within(body, field(o, "picker"));
  c.roundedRect({wheel.x + 8, wheel.y + wheel.h / 2 - 18, wheel.w - 16, 36}, 8, p.separator.withAlpha(0.5));
  c.text(wheelText(o), wheel.x + wheel.w / 2, wheel.y + wheel.h / 2 - 12, p.label, {20, false, Align::Centre});
  Rect cancel = within(body, field(o, "cancel")), submit = within(body, field(o, "submit"));
  c.text("Cancel", cancel.x + cancel.w / 2, cancel.y + cancel.h / 2 - 11, tint, {17, false, Align::Centre});
  c.text("Submit", submit.x + submit.w / 2, submit.y + submit.h / 2 - 11, tint, {17, true, Align::Centre});
  cairo_pop_group_to_source(c.cr());
  cairo_paint_with_alpha(c.cr(), op);
}

// A section's own header or footer view fills its band in place of the
// title (a hidden section's is an empty clear view); the table sizes it.
void sectionView(Canvas& c, json view, Rect band, double top, const std::string& root) {
  view["frame"] = json::array({band.x, band.y, band.w, band.h});
  drawViewTree(c, view, 0, top, root);
}

}  // namespace

std::unique_ptr<Canvas> settingsPage(const json& state, const std::string& deviceRoot) {
  Rect screen = rectFrom(field(state, "screen"));
  if (screen.w <= 0) screen = {0, 0, 390, 844};
  bool dark = state.value("appearance", "light") == "dark";
  Palette p = paletteFor(dark);
  const json& page = field(state, "page");
  Colour theme = colourFrom(page.value("viewTint", json()), colourFrom(field(state, "navigationBarTint"), rgb(0x007AFF)));
  auto c = std::make_unique<Canvas>(screen.w, screen.h);
  c->fill(p.background);
  if (page.value("class", "home") == "home") {
    entries(*c, page, p, deviceRoot);
  } else {
    double top = kContentTop - page.value("contentOffset", 0.0);
    // The banner and anything else above the sections, in the table's coordinates.
    if (page.value("tableHeader", json()).is_object()) drawViewTree(*c, field(page, "tableHeader"), 0, top, deviceRoot);
    for (const auto& s : page.value("sections", json::array())) {
      Rect header = rectFrom(field(s, "headerFrame"));
      std::string title = text(field(s, "headerTitle"));
      uppercase(title);
      if (s.value("headerView", json()).is_object())
        sectionView(*c, field(s, "headerView"), header, top, deviceRoot);
      else if (!title.empty() && header.h > 0)
        c->text(title, kInset + 20, top + header.y + header.h - 20, p.secondary, {13});
      std::vector<const json*> shown;
      if (!s.contains("rows")) continue;
      for (const auto& r : field(s, "rows"))
        if (!r.value("hidden", false) && r.value("height", 0.0) > 0) shown.push_back(&r);
      for (std::size_t i = 0; i < shown.size(); ++i) {
        Rect f = rectFrom((*shown[i])["frame"]);
        // The inset-grouped style rounds a section's outer corners; a cell that
        // rounds itself (the host reports its radius) keeps its own mask.
        unsigned groupCorners = (i == 0 ? 3u : 0u) | (i + 1 == shown.size() ? 12u : 0u);
        row(*c, *shown[i], {kInset, top + f.y, screen.w - 2 * kInset, f.h}, i + 1 == shown.size(), groupCorners, p,
            theme, deviceRoot);
      }
      Rect footer = rectFrom(field(s, "footerFrame"));
      std::string foot = text(field(s, "footerTitle"));
      if (s.value("footerView", json()).is_object())
        sectionView(*c, field(s, "footerView"), footer, top, deviceRoot);
      else if (!foot.empty() && footer.h > 0)
        c->text(foot, kInset + 20, top + footer.y + 7, p.secondary,
                {13, false, Align::Left, screen.w - 2 * kInset - 40});
    }
  }
  navigationBar(*c, page, p, theme, dark, deviceRoot);
  if (page.value("menu", json()).is_object()) menu(*c, page, p, dark);
  json overlay = page.value("pickerOverlay", state.value("pickerOverlay", json()));
  if (overlay.is_object()) pickerOverlay(*c, overlay, p, theme);
  if (page.value("alert", json()).is_object()) alert(*c, field(page, "alert"), p, theme);
  c->roundedRect({screen.w / 2 - 67, screen.h - 9, 134, 5}, 2.5, dark ? Colour{1, 1, 1, 0.9} : Colour{0, 0, 0, 0.9});
  return c;
}

}  // namespace picture
