#include "StandardRows.h"

#include <algorithm>
#include <string>

namespace picture {

using nlohmann::json;

namespace {

constexpr double kInset = 16;

std::string text(const json& v) { return v.is_string() ? v.get<std::string>() : std::string(); }
std::string kindOf(const json& r) { return text(r.value("kind", json())); }

void chevron(Canvas& c, double x, double cy, Colour ink) {
  c.line(x, cy - 6, x + 6, cy, 2, ink);
  c.line(x + 6, cy, x, cy + 6, 2, ink);
}

void checkmark(Canvas& c, double right, double cy, Colour ink) {
  c.line(right - 16, cy, right - 10, cy + 6, 2.2, ink);
  c.line(right - 10, cy + 6, right, cy - 7, 2.2, ink);
}

// iOS's segmented control: a grey track, the chosen segment a raised white
// (dark: grey) pill, the titles centred in equal segments.
void segments(Canvas& c, const json& r, Rect cell, const RowInk& ink) {
  auto titles = r.value("segments", json::array());
  if (titles.empty()) return;
  double titleWidth = c.textWidth(text(r.value("title", json())), {17});
  double right = cell.x + cell.w - kInset;
  // Alone in its row the control spans it, as iOS lays a segment cell out;
  // beside a title it keeps to the segments' width.
  double left = cell.x + kInset;
  if (titleWidth > 0) left = std::max(left + titleWidth + 16, right - 90.0 * static_cast<double>(titles.size()));
  Rect track{left, cell.y + cell.h / 2 - 16, right - left, 32};
  c.roundedRect(track, 9, ink.dark ? Colour{0.46, 0.46, 0.5, 0.24} : Colour{0.46, 0.46, 0.5, 0.12});
  double w = track.w / static_cast<double>(titles.size());
  long chosen = r.value("selectedSegment", -1L);
  for (std::size_t i = 0; i < titles.size(); ++i) {
    Rect seg{track.x + w * static_cast<double>(i), track.y, w, track.h};
    if (static_cast<long>(i) == chosen) {
      c.roundedRect({seg.x + 2, seg.y + 2, seg.w - 4, seg.h - 4}, 7, {0, 0, 0, 0.04});
      c.roundedRect({seg.x + 2, seg.y + 2, seg.w - 4, seg.h - 4}, 7,
                    ink.dark ? Colour{0.39, 0.39, 0.4, 1} : Colour{1, 1, 1, 1});
    } else if (i > 0 && static_cast<long>(i) != chosen + 1) {
      c.line(seg.x, seg.y + 8, seg.x, seg.y + seg.h - 8, 1, ink.secondary.withAlpha(0.3));
    }
    // With a width, x is the box's left edge.
    c.text(text(titles[i]), seg.x + 4, seg.y + 7, ink.label,
           {13, static_cast<long>(i) == chosen, Align::Centre, seg.w - 8, "", false});
  }
}

void textField(Canvas& c, const json& r, Rect cell, const RowInk& ink) {
  const json& f = r["textField"];
  double titleWidth = c.textWidth(text(r.value("title", json())), {17});
  double x = cell.x + kInset + (titleWidth > 0 ? titleWidth + 16 : 0);
  double right = cell.x + cell.w - kInset, cy = cell.y + cell.h / 2;
  std::string shown;
  Colour colour = ink.label;
  if (f.value("secure", false) && f.value("length", 0) > 0) {
    shown.clear();
    for (long i = 0; i < std::min(f.value("length", 0L), 24L); ++i) shown += "\u2022";
  } else if (f.value("text", json()).is_string() && !text(f["text"]).empty()) {
    shown = text(f["text"]);
  } else {
    shown = text(f.value("placeholder", json()));
    colour = ink.secondary.withAlpha(0.6);
  }
  // Values sit at the trailing end, as Settings' own fields do.
  c.text(shown, x, cy - 11, colour, {17, false, Align::Right, right - x, "", false});
}

}  // namespace

bool standardRowTitle(Canvas& c, const json& r, Rect cell, const RowInk& ink, const std::string& root) {
  std::string kind = kindOf(r);
  double cy = cell.y + cell.h / 2;
  if (kind == "notice" || kind == "problem") {
    // One line naming what is wrong, marked like iOS's warnings.
    Colour mark = kind == "problem" ? Colour{1.0, 0.23, 0.19, 1} : Colour{1.0, 0.58, 0.0, 1};
    c.circle(cell.x + kInset + 10, cy, 10, mark);
    c.text("!", cell.x + kInset + 10, cy - 9, {1, 1, 1, 1}, {15, true, Align::Centre});
    // Up to two lines of small text, as a long reason needs.
    c.text(text(r.value("title", json())), cell.x + kInset + 30, cell.y + 5, ink.label,
           {13, false, Align::Left, cell.w - 2 * kInset - 30});
    return true;
  }
  if (kind == "giant" || kind == "giantIcon") {
    double x = cell.x + kInset;
    // A giant icon row leads with its icon, as large as the row allows.
    std::string icon = text(r.value("icon", json()));
    double side = std::min(60.0, cell.h - 16);
    if (kind == "giantIcon" && !icon.empty() && !root.empty() && c.image(root + icon, {x, cy - side / 2, side, side}, 13))
      x += side + 14;
    c.text(text(r.value("title", json())), x, cy - 14, ink.label, {24, true});
    return true;
  }
  return false;
}

bool standardRowAccessory(Canvas& c, const json& r, Rect cell, const RowInk& ink) {
  std::string kind = kindOf(r);
  double right = cell.x + cell.w - kInset, cy = cell.y + cell.h / 2;
  if (kind == "segment") {
    segments(c, r, cell, ink);
    return true;
  }
  if (r.value("textField", json()).is_object()) {
    textField(c, r, cell, ink);
    return true;
  }
  if (kind == "placeholder") {
    c.text(text(r.value("detailText", json())), right, cy - 10, ink.secondary.withAlpha(0.8),
           {15, false, Align::Right});
    return true;
  }
  if (r.value("checked", false)) {
    checkmark(c, right, cy, ink.tint);
    return true;
  }
  if (kind == "list" || (kind == "link" && r.value("disclosure", false))) {
    chevron(c, right - 6, cy, ink.secondary.withAlpha(0.7));
    if (r.value("detailText", json()).is_string())
      c.text(text(r["detailText"]), right - 18, cy - 11, ink.secondary, {17, false, Align::Right});
    return true;
  }
  return false;
}

}  // namespace picture
