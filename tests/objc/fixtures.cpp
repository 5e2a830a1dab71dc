#include "fixtures.h"

std::atomic<int> Tracked::deallocs{0};

void Tracked::deallocImpl() {
  deallocs.fetch_add(1);
  objc::sendSuper<void(), "dealloc">(Tracked::cls(), this);
}

OBJC_IMPLEMENT(Tracked)
void Tracked::registerMethods(objc::ClassBuilder<Tracked>& b) {
  b.method<"tag", &Tracked::tagImpl>()
      .method<"setTag:", &Tracked::setTagImpl>()
      .method<"child", &Tracked::childImpl>()
      .method<"setChild:", &Tracked::setChildImpl>()
      .method<"dealloc", &Tracked::deallocImpl>();
}

Ref<Shape> Shape::initWithSidesImpl(long n) {
  sides_ = n;
  return Ref<Shape>(this);
}

namespace {
Ref<Shape> shapeUnit(NSObject* cls, SEL) {
  return ref_cast<Shape>(objc::send<Ref<NSObject>(), "alloc">(cls))->initWithSides(1);
}
}  // namespace

OBJC_IMPLEMENT(Shape)
void Shape::registerMethods(objc::ClassBuilder<Shape>& b) {
  b.method<"initWithSides:", &Shape::initWithSidesImpl>()
      .method<"sides", &Shape::sidesImpl>()
      .method<"area", &Shape::areaImpl>()
      .method<"centre", &Shape::centreImpl>()
      .method<"name", &Shape::nameImpl>()
      .classMethod<"unit", &shapeUnit>();
}

double Square::areaImpl() {
  double base = objc::sendSuper<double(), "area">(Square::cls(), this);
  return base * static_cast<double>(sides_);
}

OBJC_IMPLEMENT(Square)
void Square::registerMethods(objc::ClassBuilder<Square>& b) {
  b.method<"area", &Square::areaImpl>().method<"name", &Square::nameImpl>();
}

OBJC_IMPLEMENT(Triangle)
void Triangle::registerMethods(objc::ClassBuilder<Triangle>&) {}
