#include "fixtures.h"

std::atomic<int> Tracked::deallocs{0};

void Tracked::deallocImpl() {
  deallocs.fetch_add(1);
  sendSuper<deallocMessage>();
}

OBJC_IMPLEMENT(Tracked)

Ref<Shape> Shape::initWithSidesImpl(long n) {
  sides_ = n;
  return Ref<Shape>(this);
}

// Sent to a subclass, the factory makes an instance of that subclass.
Ref<Shape> Shape::unitImpl(Class self) {
  Ref<NSObject> fresh = objc::send<allocMessage>(self);
  return objc::send<initWithSidesMessage>(fresh, 1);
}

OBJC_IMPLEMENT(Shape)

double Square::areaImpl() { return sendSuper<areaMessage>() * static_cast<double>(sides_); }

OBJC_IMPLEMENT(Square)

OBJC_IMPLEMENT(Triangle)
