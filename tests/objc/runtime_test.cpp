#include <gtest/gtest.h>

#include <string>

#include "fixtures.h"
#include "fresh_class.h"

namespace {

long fortyTwo(NSObject*, SEL) { return 42; }
long seven(NSObject*, SEL) { return 7; }
double zeroArea(Shape*, SEL) { return 0.0; }

TEST(Classes, FoundByNameWithTheirPlaceInTheHierarchy) {
  Class square = objc_getClass("Square");
  ASSERT_EQ(square, Square::cls());
  EXPECT_EQ(NSClassFromString("Square"), square);
  EXPECT_EQ(class_getSuperclass(square), Shape::cls());
  EXPECT_EQ(class_getSuperclass(Shape::cls()), NSObject::cls());
  EXPECT_EQ(objc_getClass("NoSuchClass"), nullptr);
  EXPECT_STREQ(class_getName(square), "Square");

  auto sq = Square::make(4L);
  EXPECT_TRUE(sq->isKindOfClass(Shape::cls()));
  EXPECT_TRUE(objc_opt_isKindOfClass(sq, NSObject::cls()));
  EXPECT_FALSE(sq->isKindOfClass(Triangle::cls()));
  EXPECT_TRUE(sq->isMemberOfClass(Square::cls()));
  EXPECT_FALSE(sq->isMemberOfClass(Shape::cls()));
  EXPECT_EQ(objc_cast<Shape>(sq.get()), sq.get());
  EXPECT_EQ(objc_cast<Triangle>(sq.get()), nullptr);
}

TEST(Classes, ClassesAreObjectsThatAnswerClassMethods) {
  auto unit = Shape::unit();
  ASSERT_TRUE(unit);
  EXPECT_EQ(unit->sides(), 1);
  // The class method runs with the receiving class, so a subclass gets its own kind.
  auto sq = objc::send<Shape::unitMessage>(Square::cls());
  EXPECT_TRUE(sq->isMemberOfClass(Square::cls()));
  EXPECT_TRUE(class_isMetaClass(object_getClass(Square::cls())));
  // The root metaclass inherits the root class, so classes answer instance methods of NSObject.
  EXPECT_TRUE(objc::send<NSObject::respondsToSelectorMessage>(Square::cls(), Shape::unitMessage::sel()));
}

TEST(Sends, OverridesAndSuperCallsGoThroughTheRightTables) {
  auto sq = Square::make(4L);
  auto tri = Triangle::make(3L);
  EXPECT_DOUBLE_EQ(sq->area(), 4.0);  // Square calls up to Shape's 1.0 and scales it
  EXPECT_DOUBLE_EQ(tri->area(), 1.0);
  EXPECT_STREQ(sq->name(), "square");
  EXPECT_STREQ(tri->name(), "shape");
  CGPointLike c = tri->centre();
  EXPECT_DOUBLE_EQ(c.x, 0.5);
  EXPECT_DOUBLE_EQ(c.y, 0.5);
}

TEST(Sends, MessagesToNothingAnswerZero) {
  Shape* nil = nullptr;
  EXPECT_EQ(objc::send<Shape::sidesMessage>(nil), 0);
  EXPECT_EQ(objc::send<Shape::areaMessage>(nil), 0.0);
  EXPECT_EQ(objc::send<NSObject::initMessage>(nil), nullptr);
  CGPointLike p = objc::send<Shape::centreMessage>(nil);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.y, 0.0);
  Ref<Shape> none;
  EXPECT_NO_THROW((objc::send<objc::Message<"setNothing:", void(long)>>(none, 3L)));
}

TEST(Sends, WrongSignatureOrUnknownSelectorIsAClearError) {
  auto tri = Triangle::make(3L);
  try {
    objc::send<objc::Message<"sides", int()>>(tri);  // a stale declaration
    FAIL() << "a send with the wrong result type went through";
  } catch (const objc::RuntimeError& e) {
    std::string what = e.what();
    EXPECT_NE(what.find("Triangle"), std::string::npos) << what;
    EXPECT_NE(what.find("sides"), std::string::npos) << what;
    EXPECT_NE(what.find("i@:"), std::string::npos) << what;
    EXPECT_NE(what.find("q@:"), std::string::npos) << what;
  }
  EXPECT_THROW((objc::send<objc::Message<"initWithSides:", void(double)>>(tri, 2.0)), objc::RuntimeError);
  try {
    objc::send<objc::Message<"fly", void()>>(tri);
    FAIL() << "an unknown selector went through";
  } catch (const objc::RuntimeError& e) {
    EXPECT_NE(std::string(e.what()).find("-[Triangle fly]: unrecognized selector"), std::string::npos) << e.what();
  }
}

TEST(MethodTables, MethodAddedToABaseIsAnsweredByExistingSubclassInstances) {
  Class base = freshSubclass(Shape::cls(), "Base");
  auto tri = ref_cast<Shape>(objc::send<NSObject::newMessage>(freshSubclass(base, "Derived")));
  SEL answer = sel_registerName("answerForBase");
  EXPECT_FALSE(tri->respondsToSelector(answer));  // the negative answer is cached now
  ASSERT_TRUE(class_addMethod(base, answer, objc::uncheckedImplementation<&fortyTwo>(), "q@:"));
  EXPECT_TRUE(tri->respondsToSelector(answer));
  EXPECT_EQ(objc::sendSel<long()>(tri, answer), 42);
}

// Tests that change tables work on classes of their own, so that the order
// the tests run in never matters.

TEST(MethodTables, AddRefusesAnExistingEntryButReplaceSwaps) {
  Class octagon = freshSubclass(Shape::cls(), "Octagon");
  SEL s = sel_registerName("addTwice");
  ASSERT_TRUE(class_addMethod(octagon, s, objc::uncheckedImplementation<&fortyTwo>(), "q@:"));
  EXPECT_FALSE(class_addMethod(octagon, s, objc::uncheckedImplementation<&seven>(), "q@:"));
  auto tri = ref_cast<Shape>(objc::send<NSObject::newMessage>(octagon));
  EXPECT_EQ(objc::sendSel<long()>(tri, s), 42);

  IMP before = class_replaceMethod(octagon, s, objc::uncheckedImplementation<&seven>(), "q@:");
  EXPECT_EQ(before, (objc::uncheckedImplementation<&fortyTwo>()));
  EXPECT_EQ(objc::sendSel<long()>(tri, s), 7);

  // Adding over an inherited method is allowed: it overrides for this class only.
  EXPECT_TRUE(class_addMethod(octagon, sel_registerName("area"),
                              (objc::implementation<Shape::areaMessage, &zeroArea>()), "d@:"));
  EXPECT_DOUBLE_EQ(tri->area(), 0.0);
  EXPECT_DOUBLE_EQ(Shape::unit()->area(), 1.0);
}

TEST(MethodTables, DeclaredEncodingMustDescribeTheImplementation) {
  EXPECT_THROW(
      class_addMethod(Shape::cls(), sel_registerName("lying"), objc::uncheckedImplementation<&fortyTwo>(), "v@:"),
      objc::RuntimeError);
  EXPECT_EQ((objc::typesFor<objc::Message<"x:", void(bool)>>()), objc::internTypes("v@:B"));
  EXPECT_STREQ((objc::typesFor<objc::Message<"x:y:", Ref<NSObject>(CGPointLike, Shape*)>>()), "@@:{CGPointLike=dd}@");
}

TEST(MethodTables, RuntimeCreatedSubclassesInheritAndOverride) {
  static int serial = 0;
  std::string name = "Hexagon" + std::to_string(serial++);
  Class hex = objc_allocateClassPair(Shape::cls(), name, 0);
  ASSERT_NE(hex, nullptr);
  ASSERT_TRUE(class_addMethod(hex, sel_registerName("sides"), objc::uncheckedImplementation<&seven>(), "q@:"));
  objc_registerClassPair(hex);
  EXPECT_EQ(objc_getClass(name), hex);
  EXPECT_EQ(objc_allocateClassPair(Shape::cls(), name, 0), nullptr);  // the name is taken

  auto h = ref_cast<Shape>(objc::send<NSObject::newMessage>(hex));
  EXPECT_EQ(h->sides(), 7);
  EXPECT_DOUBLE_EQ(h->area(), 1.0);
  EXPECT_TRUE(h->isKindOfClass(Shape::cls()));
}

TEST(Properties, AttributesReadBackInOrder) {
  Class nonagon = freshSubclass(Shape::cls(), "Nonagon");
  Class sub = freshSubclass(nonagon, "SubNonagon");
  objc_property_attribute_t attrs[] = {{"T", "@\"UIColor\""}, {"&", ""}, {"N", ""}};
  ASSERT_TRUE(class_addProperty(nonagon, "savedColour", attrs, 3));
  EXPECT_FALSE(class_addProperty(nonagon, "savedColour", attrs, 3));

  objc_property_t p = class_getProperty(sub, "savedColour");  // found through the superclass
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(property_getName(p), "savedColour");
  EXPECT_EQ(property_getAttributes(p), "T@\"UIColor\",&,N");
  std::string type;
  EXPECT_TRUE(property_copyAttributeValue(p, "T", &type));
  EXPECT_EQ(type, "@\"UIColor\"");
  EXPECT_TRUE(property_copyAttributeValue(p, "N", nullptr));
  EXPECT_FALSE(property_copyAttributeValue(p, "R", nullptr));
  EXPECT_EQ(class_getProperty(Triangle::cls(), "missing"), nullptr);
}

IMP originalInit;
Ref<Shape> tenfoldInit(Shape* self, SEL cmd, long n) {
  return objc::invoke<Shape::initWithSidesMessage>(originalInit, self, cmd, n * 10);
}

TEST(Creation, AllocGivesZeroedObjectsAndInitIsReplaceable) {
  auto raw = Shape::alloc();
  EXPECT_EQ(raw->sides(), 0);
  EXPECT_EQ(raw->retainCount(), 1u);

  Class decagon = freshSubclass(Shape::cls(), "Decagon");
  originalInit = class_replaceMethod(decagon, sel_registerName("initWithSides:"),
                                     (objc::implementation<Shape::initWithSidesMessage, &tenfoldInit>()), "@@:q");
  EXPECT_FALSE(originalInit);  // the class only inherited it
  originalInit = class_getMethodImplementation(Shape::cls(), sel_registerName("initWithSides:"));
  auto d = ref_cast<Shape>(objc::send<NSObject::allocMessage>(decagon));
  EXPECT_EQ(d->initWithSides(3)->sides(), 30);
  EXPECT_EQ(Square::make(3L)->sides(), 3);
}

}  // namespace

namespace {

TEST(Creation, MakeSendsTheInitialiserWhoseParametersTakeTheArguments) {
  EXPECT_EQ(Shape::make()->sides(), 0);  // the root's init
  Ref<Shape> five = Shape::make(5L);
  EXPECT_EQ(five->sides(), 5);
  Ref<Square> square = Square::make(4);  // inherited initialiser, the subclass's type
  EXPECT_TRUE(square->isMemberOfClass(Square::cls()));
  EXPECT_EQ(square->sides(), 4);
}

TEST(Sends, SuperCallsStartAboveTheDefiningClassNotTheReceiversClass) {
  // A subclass that does not override area: Square's implementation runs for
  // it, and its super call must still reach Shape, not Square again.
  Class big = freshSubclass(Square::cls(), "BigSquare");
  auto b = ref_cast<Square>(objc::send<NSObject::allocMessage>(big));
  b = ref_cast<Square>(Ref<NSObject>(b->initWithSides(3)));
  EXPECT_DOUBLE_EQ(b->area(), 3.0);
}

TEST(Properties, DeclaredOnceWithTheirAttributes) {
  objc_property_t child = class_getProperty(Tracked::cls(), "child");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(property_getAttributes(child), "T@\"Tracked\",&,N");
  objc_property_t tag = class_getProperty(Tracked::cls(), "tag");
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(property_getAttributes(tag), "Ti,N");

  auto parent = Tracked::make();
  parent->setTag(7);
  parent->setChild(Tracked::make());
  EXPECT_EQ(parent->tag(), 7);
  EXPECT_EQ(parent->child()->tag(), 0);
  EXPECT_EQ(class_getMethodImplementation(Tracked::cls(), Tracked::setTagMessage::sel()).types,
            objc::internTypes("v@:i"));
}

// A category adds to a class it does not own; one that collides with the
// class's own method must not slip by.
struct Shape_Extras {
  OBJC_CATEGORY(Shape_Extras, Shape)
  OBJC_CATEGORY_METHOD(perimeterWithSide, "perimeterWithSide:", double(double))
  OBJC_CATEGORY_CLASS_METHOD(triangle, "triangle", Ref<Shape>())
 private:
  static double perimeterWithSideImpl(Shape* self, double side) { return side * static_cast<double>(self->sides()); }
  static Ref<Shape> triangleImpl(Class self) {
    return objc::send<Shape::initWithSidesMessage>(objc::send<NSObject::allocMessage>(self), 3L);
  }
};
OBJC_IMPLEMENT_CATEGORY(Shape_Extras)

struct Shape_Clash {
  OBJC_CATEGORY(Shape_Clash, Shape)
  OBJC_CATEGORY_METHOD(sides, "sides", long())
 private:
  static long sidesImpl(Shape*) { return -1; }
};
OBJC_DEFINE_CATEGORY(Shape_Clash)

TEST(Categories, AddMethodsToAnotherLibrarysClass) {
  EXPECT_DOUBLE_EQ(Shape_Extras::perimeterWithSide(Shape::make(4L), 2.5), 10.0);
  Ref<Shape> t = Shape_Extras::triangle();
  EXPECT_EQ(t->sides(), 3);
  // Class methods are found through subclasses too.
  EXPECT_TRUE(objc::send<Shape_Extras::triangleMessage>(Square::cls())->isMemberOfClass(Square::cls()));
}

TEST(Categories, AnAdditionTheClassAlreadyHasIsLoud) {
#ifdef NDEBUG
  testing::internal::CaptureStderr();
  Shape_Clash::install();
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("category Shape_Clash: -[Shape sides] not added"), std::string::npos) << log;
  EXPECT_EQ(Shape::make(6L)->sides(), 6);  // the class keeps its own
#else
  EXPECT_DEATH(Shape_Clash::install(), "category Shape_Clash: -\\[Shape sides\\] not added");
#endif
}

#ifndef NDEBUG
TEST(Casts, ADowncastToTheWrongClassStopsADebugBuild) {
  Ref<Shape> tri = Triangle::make(3L);
  EXPECT_DEATH(ref_cast<Square>(tri), "a Triangle is not a Square");
}
#endif

// Selectors map to C++ names; checked when this file compiles.
static_assert(objc::followsNamingRule("tableView:heightForRowAtIndexPath:", "tableViewHeightForRowAtIndexPath"));
static_assert(objc::followsNamingRule("_setPageControlHidden:animated:", "_setPageControlHiddenAnimated"));
static_assert(objc::followsNamingRule("class", "class_"));
static_assert(!objc::followsNamingRule("setHidden:", "sethidden"));
static_assert(!objc::followsNamingRule("numberWithBool:", "withBool"));
static_assert(objc::isSetterOf("setTintColor", "tintColor"));
static_assert(!objc::isSetterOf("setTint", "tintColor"));

}  // namespace
