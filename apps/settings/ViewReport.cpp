#include "ViewReport.h"

#include <cmath>

#include "foundation/NSNumber.h"
#include "uikit/TextMeasure.h"
#include "uikit/UIButton.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"

using nlohmann::json;

namespace settings {

namespace {

json numberOrNull(NSObject* value) {
  auto* n = objc_cast<NSNumber>(value);
  return n ? json(n->doubleValue()) : json(nullptr);
}

json imageJson(UIImage* image) {
  if (!image) return nullptr;
  CGSize s = image->size();
  json out{{"size", {{"width", s.width}, {"height", s.height}}}, {"tint", colorJson(image->tintColor())}};
  out["symbol"] = image->symbolName().empty() ? json(nullptr) : json(image->symbolName());
  out["file"] = image->filePath().empty() ? json(nullptr) : json(image->filePath());
  return out;
}

json fontJson(UIFont* f) {
  return json{{"pointSize", f->pointSize()},
              {"weight", f->weight()},
              {"cssWeight", f->cssWeight()},
              {"pango", uikit::pangoFontDescription(f)}};
}

json animationJson(const std::string& key, CAAnimation* a, double now) {
  Ref<CAMediaTimingFunction> timing = a->timingFunction();
  json out{{"key", key},
           {"class", class_getName(a->isa())},
           {"duration", a->effectiveDuration()},
           {"autoreverses", a->autoreverses()},
           {"repeatCount", a->repeatsForever() ? json("forever") : json(a->repeatCount())},
           {"removedOnCompletion", a->removedOnCompletion()},
           {"beginTime", a->beginTime()},
           {"timingFunction", timing ? json(timing->name()->utf8()) : json(nullptr)}};
  if (auto* p = objc_cast<CAPropertyAnimation>(a)) {
    Ref<NSString> path = p->keyPath();
    out["keyPath"] = path ? json(path->utf8()) : json(nullptr);
  }
  if (auto* b = objc_cast<CABasicAnimation>(a)) {
    out["fromValue"] = numberOrNull(b->fromValue().get());
    out["toValue"] = numberOrNull(b->toValue().get());
    auto v = b->valueAtTime(now);
    out["value"] = v ? json(*v) : json(nullptr);
  }
  return out;
}

}  // namespace

json rectJson(const CGRect& r) {
  return json{{"x", r.origin.x}, {"y", r.origin.y}, {"width", r.size.width}, {"height", r.size.height}};
}

json colorJson(const Ref<UIColor>& c) { return c ? json(c->hexString()) : json(nullptr); }

json layerJson(CALayer* layer, double now) {
  json out{{"cornerRadius", layer->cornerRadius()},
           {"maskedCorners", layer->maskedCorners()},
           {"masksToBounds", layer->masksToBounds()},
           {"opacity", layer->opacity()}};
  if (layer->shadowOpacity() > 0) {
    CGSize o = layer->shadowOffset();
    Ref<UIColor> c = layer->shadowColor();
    out["shadow"] = json{{"color", c ? colorJson(c) : json("#000000")},
                         {"offset", {{"width", o.width}, {"height", o.height}}},
                         {"radius", layer->shadowRadius()},
                         {"opacity", layer->shadowOpacity()},
                         {"presentedRadius", *layer->presentationValue("shadowRadius", now)}};
  } else {
    out["shadow"] = nullptr;
  }
  json animations = json::array();
  for (const auto& [key, a] : layer->animationList()) animations.push_back(animationJson(key, a.get(), now));
  out["animations"] = animations;
  return out;
}

json viewTreeJson(UIView* v, double now) {
  if (!v) return nullptr;
  json out{{"class", class_getName(v->isa())},
           {"frame", rectJson(v->frame())},
           {"hidden", v->isHidden()},
           {"alpha", v->alpha()},
           {"background", colorJson(v->backgroundColor())},
           {"tint", colorJson(v->tintColor())},
           {"clipsToBounds", v->clipsToBounds()},
           {"autoresizingMask", v->autoresizingMask()},
           {"layer", layerJson(v->layer().get(), now)}};
  if (auto* label = objc_cast<UILabel>(v)) {
    out["text"] = label->text() ? json(label->text()->utf8()) : json(nullptr);
    out["textColor"] = colorJson(label->textColor());
    out["font"] = fontJson(label->font().get());
    out["displayedPointSize"] = label->displayedPointSize();
    out["textAlignment"] = label->textAlignment();
    out["numberOfLines"] = label->numberOfLines();
  }
  if (auto* imageView = objc_cast<UIImageView>(v)) out["image"] = imageJson(imageView->image().get());
  if (auto* button = objc_cast<UIButton>(v)) {
    unsigned long state = button->currentState();
    out["image"] = imageJson(button->imageForState(state).get());
    out["highlightedImage"] = imageJson(button->imageForState(UIControlStateHighlighted).get());
    Ref<NSString> title = button->titleForState(state);
    out["title"] = title ? json(title->utf8()) : json(nullptr);
    out["showsMenuAsPrimaryAction"] = button->showsMenuAsPrimaryAction();
    out["hasMenu"] = button->menu().get() != nullptr;
  }
  json children = json::array();
  for (const auto& child : v->subviewList()) children.push_back(viewTreeJson(child.get(), now));
  out["subviews"] = children;
  return out;
}

}  // namespace settings
