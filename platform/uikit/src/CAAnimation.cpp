#include "uikit/CAAnimation.h"

#include <cfloat>
#include <cmath>

#include "foundation/NSNumber.h"

Ref<CAAnimation> CAAnimation::initImpl() {
  removedOnCompletion_ = true;
  return Ref<CAAnimation>(this);
}

Ref<CAAnimation> CAAnimation::animationImpl(Class self) {
  Ref<NSObject> fresh = objc::send<allocMessage>(self);
  return ref_cast<CAAnimation>(objc::send<initMessage>(fresh));
}

void CAAnimation::copyTimingTo(CAAnimation* other) const {
  other->duration_ = duration_;
  other->timingFunction_ = timingFunction_;
  other->autoreverses_ = autoreverses_;
  other->repeatCount_ = repeatCount_;
  other->removedOnCompletion_ = removedOnCompletion_;
  other->beginTime_ = beginTime_;
}

Ref<CAAnimation> CAAnimation::copyImpl() {
  Ref<CAAnimation> copy = animationImpl(isa());
  copyTimingTo(copy.get());
  return copy;
}

bool CAAnimation::repeatsForever() const { return std::isinf(repeatCount_) || repeatCount_ >= FLT_MAX; }

double CAAnimation::activeDuration() const {
  if (repeatsForever()) return INFINITY;
  double cycle = effectiveDuration() * (autoreverses_ ? 2 : 1);
  return cycle * (repeatCount_ > 0 ? static_cast<double>(repeatCount_) : 1.0);
}

double CAAnimation::progressAtTime(double mediaTime) const {
  double local = mediaTime - beginTime_;
  if (std::isnan(local) || local <= 0) return 0;
  double d = effectiveDuration();
  double active = activeDuration();
  double linear;
  if (local >= active) {
    // Finished: where the last pass ended (a fractional repeat ends mid-way).
    double cycle = d * (autoreverses_ ? 2 : 1);
    double phase = std::fmod(active, cycle);
    if (phase == 0) phase = cycle;
    linear = phase <= d ? phase / d : 1 - (phase - d) / d;
  } else {
    double phase = std::fmod(local, d * (autoreverses_ ? 2 : 1));
    linear = phase < d ? phase / d : 1 - (phase - d) / d;
  }
  return timingFunction_ ? timingFunction_->evaluate(linear) : linear;
}

OBJC_IMPLEMENT(CAAnimation)

Ref<CAPropertyAnimation> CAPropertyAnimation::animationWithKeyPathImpl(Class self, NSString* keyPath) {
  auto a = ref_cast<CAPropertyAnimation>(objc::send<CAAnimation::animationMessage>(self));
  a->setKeyPath(keyPath);
  return a;
}

Ref<CAAnimation> CAPropertyAnimation::copyImpl() {
  Ref<CAAnimation> copy = sendSuper<copyMessage>();
  static_cast<CAPropertyAnimation*>(copy.get())->keyPath_ = keyPath_;
  return copy;
}

OBJC_IMPLEMENT(CAPropertyAnimation)

Ref<CAAnimation> CABasicAnimation::copyImpl() {
  Ref<CAAnimation> copy = sendSuper<copyMessage>();
  auto* basic = static_cast<CABasicAnimation*>(copy.get());
  basic->fromValue_ = fromValue_;
  basic->toValue_ = toValue_;
  return copy;
}

std::optional<double> CABasicAnimation::valueAtTime(double mediaTime) const {
  auto* from = objc_cast<NSNumber>(fromValue_.get());
  auto* to = objc_cast<NSNumber>(toValue_.get());
  if (!from || !to) return std::nullopt;
  double a = from->doubleValue(), b = to->doubleValue();
  return a + (b - a) * progressAtTime(mediaTime);
}

OBJC_IMPLEMENT(CABasicAnimation)
