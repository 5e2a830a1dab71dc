#include "uikit/TextMeasure.h"

#include <pango/pangocairo.h>

#include <memory>

#include "foundation/Format.h"

namespace uikit {

namespace {

// One context per thread: Pango's cairo font map is per thread too.
PangoContext* context() {
  struct Owned {
    PangoContext* ctx = nullptr;
    ~Owned() {
      if (ctx) g_object_unref(ctx);
    }
  };
  thread_local Owned owned;
  if (!owned.ctx) {
    owned.ctx = pango_font_map_create_context(pango_cairo_font_map_get_default());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(owned.ctx, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(owned.ctx, FALSE);
  }
  return owned.ctx;
}

struct LayoutDeleter {
  void operator()(PangoLayout* l) const { g_object_unref(l); }
};
struct DescriptionDeleter {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};

}  // namespace

std::string pangoFontDescription(const UIFont* font) {
  double size = font ? const_cast<UIFont*>(font)->pointSize() : kUILabelDefaultFontSize;
  const char* weight = "Regular";
  switch (font ? font->cssWeight() : 400) {
    case 100:
      weight = "Thin";
      break;
    case 200:
      weight = "Ultra-Light";
      break;
    case 300:
      weight = "Light";
      break;
    case 500:
      weight = "Medium";
      break;
    case 600:
      weight = "Semi-Bold";
      break;
    case 700:
      weight = "Bold";
      break;
    case 800:
      weight = "Ultra-Bold";
      break;
    case 900:
      weight = "Heavy";
      break;
    default:
      break;
  }
  // The trailing comma ends the family list, so no family word reads as a style.
  return foundation::format("%s, %s %gpx", kSystemFontFamilies, weight, size);
}

CGSize measureText(std::string_view text, const UIFont* font, long lines, CGFloat width) {
  if (text.empty()) return CGSize{0, 0};
  std::unique_ptr<PangoLayout, LayoutDeleter> layout(pango_layout_new(context()));
  std::unique_ptr<PangoFontDescription, DescriptionDeleter> desc(
      pango_font_description_from_string(pangoFontDescription(font).c_str()));
  pango_layout_set_font_description(layout.get(), desc.get());
  pango_layout_set_text(layout.get(), text.data(), static_cast<int>(text.size()));
  if (lines == 1) {
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  } else if (width > 0) {
    pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
  }
  if (lines > 1) {
    pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
    pango_layout_set_height(layout.get(), -static_cast<int>(lines));
  }
  PangoRectangle logical{};
  pango_layout_get_extents(layout.get(), nullptr, &logical);
  return CGSize{static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE};
}

std::string resolvedSystemFamily() {
  std::unique_ptr<PangoFontDescription, DescriptionDeleter> desc(
      pango_font_description_from_string((std::string(kSystemFontFamilies) + ", 17px").c_str()));
  PangoFont* font = pango_context_load_font(context(), desc.get());
  if (!font) return "";
  PangoFontDescription* got = pango_font_describe(font);
  std::string family = pango_font_description_get_family(got) ? pango_font_description_get_family(got) : "";
  pango_font_description_free(got);
  g_object_unref(font);
  return family;
}

}  // namespace uikit
