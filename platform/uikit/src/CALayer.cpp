#include "uikit/CALayer.h"

#include <algorithm>

#include "uikit/MediaClock.h"

Ref<CALayer> CALayer::initImpl() {
  opacity_ = 1.0f;
  maskedCorners_ = kCALayerAllCorners;
  shadowOffset_ = CGSize{0, -3};
  shadowRadius_ = 3;
  return Ref<CALayer>(this);
}

void CALayer::addAnimationForKeyImpl(CAAnimation* animation, NSString* key) {
  if (!animation) return;
  Ref<CAAnimation> copy = animation->copy();
  if (copy->beginTime() == 0) copy->setBeginTime(CACurrentMediaTime());
  std::string name = key ? key->utf8() : std::string();
  std::erase_if(animations_, [&](const auto& entry) { return entry.first == name; });
  animations_.emplace_back(std::move(name), std::move(copy));
}

Ref<CAAnimation> CALayer::animationForKeyImpl(NSString* key) {
  if (!key) return nullptr;
  for (const auto& [name, animation] : animations_)
    if (name == key->utf8()) return animation;
  return nullptr;
}

Ref<NSArray> CALayer::animationKeysImpl() {
  NSArray::Items keys;
  for (const auto& entry : animations_) keys.push_back(NSString::make(entry.first));
  return NSArray::make(std::move(keys));
}

void CALayer::removeAnimationForKeyImpl(NSString* key) {
  if (!key) return;
  std::erase_if(animations_, [&](const auto& entry) { return entry.first == key->utf8(); });
}

std::optional<double> CALayer::modelValue(std::string_view keyPath) const {
  if (keyPath == "shadowRadius") return shadowRadius_;
  if (keyPath == "shadowOpacity") return shadowOpacity_;
  if (keyPath == "opacity") return opacity_;
  if (keyPath == "cornerRadius") return cornerRadius_;
  return std::nullopt;
}

std::optional<double> CALayer::presentationValue(std::string_view keyPath, double mediaTime) const {
  std::optional<double> value = modelValue(keyPath);
  if (!value) return std::nullopt;
  for (const auto& [name, animation] : animations_) {
    auto* basic = objc_cast<CABasicAnimation>(animation.get());
    if (!basic || !basic->keyPath() || basic->keyPath()->utf8() != keyPath) continue;
    if (mediaTime < basic->beginTime()) continue;
    bool over = mediaTime - basic->beginTime() >= basic->activeDuration();
    if (over && basic->removedOnCompletion()) continue;
    if (auto v = basic->valueAtTime(mediaTime)) value = v;
  }
  return value;
}

OBJC_IMPLEMENT(CALayer)
