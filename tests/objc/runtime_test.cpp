#include <gtest/gtest.h>

#include <string>

#include "fixtures.h"

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

  auto sq = Square::alloc()->initWithSides(4);
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
  auto sq = ref_cast<Shape>(objc::send<Ref<NSObject>(), "unit">(Square::cls()));
  EXPECT_TRUE(sq->isMemberOfClass(Square::cls()));
  EXPECT_TRUE(class_isMetaClass(object_getClass(Square::cls())));
  // The root metaclass inherits the root class, so classes answer instance methods of NSObject.
  EXPECT_TRUE((objc::send<bool(SEL), "respondsToSelector:">(Square::cls(), sel_registerName("unit"))));
}

TEST(Sends, OverridesAndSuperCallsGoThroughTheRightTables) {
  auto sq = Square::alloc()->initWithSides(4);
  auto tri = Triangle::alloc()->initWithSides(3);
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
  EXPECT_EQ((objc::send<long(), "sides">(nil)), 0);
  EXPECT_EQ((objc::send<double(), "area">(nil)), 0.0);
  EXPECT_EQ((objc::send<Ref<NSObject>(), "init">(nil)), nullptr);
  CGPointLike p = objc::send<CGPointLike(), "centre">(nil);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.y, 0.0);
  Ref<Shape> none;
  EXPECT_NO_THROW((objc::send<void(long), "setNothing:">(none, 3L)));
}

TEST(Sends, WrongSignatureOrUnknownSelectorIsAClearError) {
  auto tri = Triangle::alloc()->initWithSides(3);
  try {
    objc::send<int(), "sides">(tri);
    FAIL() << "a send with the wrong result type went through";
  } catch (const objc::RuntimeError& e) {
    std::string what = e.what();
    EXPECT_NE(what.find("Triangle"), std::string::npos) << what;
    EXPECT_NE(what.find("sides"), std::string::npos) << what;
    EXPECT_NE(what.find("i@:"), std::string::npos) << what;
    EXPECT_NE(what.find("q@:"), std::string::npos) << what;
  }
  EXPECT_THROW((objc::send<void(double), "initWithSides:">(tri, 2.0)), objc::RuntimeError);
  try {
    objc::send<void(), "fly">(tri);
    FAIL() << "an unknown selector went through";
  } catch (const objc::RuntimeError& e) {
    EXPECT_NE(std::string(e.what()).find("-[Triangle fly]: unrecognized selector"), std::string::npos) << e.what();
  }
}

TEST(MethodTables, MethodAddedToABaseIsAnsweredByExistingSubclassInstances) {
  auto tri = Triangle::alloc()->initWithSides(3);
  SEL answer = sel_registerName("answerForBase");
  EXPECT_FALSE(tri->respondsToSelector(answer));  // the negative answer is cached now
  ASSERT_TRUE(class_addMethod(Shape::cls(), answer, objc::method<&fortyTwo>(), "q@:"));
  EXPECT_TRUE(tri->respondsToSelector(answer));
  EXPECT_EQ(objc::sendSel<long()>(tri, answer), 42);
}

// Tests that change tables work on classes of their own, so that the order
// the tests run in never matters.
Class freshSubclass(Class super, const char* name) {
  Class c = objc_allocateClassPair(super, name, 0);
  objc_registerClassPair(c);
  return c;
}

TEST(MethodTables, AddRefusesAnExistingEntryButReplaceSwaps) {
  Class octagon = freshSubclass(Shape::cls(), "Octagon");
  SEL s = sel_registerName("addTwice");
  ASSERT_TRUE(class_addMethod(octagon, s, objc::method<&fortyTwo>(), "q@:"));
  EXPECT_FALSE(class_addMethod(octagon, s, objc::method<&seven>(), "q@:"));
  auto tri = ref_cast<Shape>(objc::send<Ref<NSObject>(), "new">(octagon));
  EXPECT_EQ(objc::sendSel<long()>(tri, s), 42);

  IMP before = class_replaceMethod(octagon, s, objc::method<&seven>(), "q@:");
  EXPECT_EQ(before, objc::method<&fortyTwo>());
  EXPECT_EQ(objc::sendSel<long()>(tri, s), 7);

  // Adding over an inherited method is allowed: it overrides for this class only.
  EXPECT_TRUE(class_addMethod(octagon, sel_registerName("area"), objc::method<&zeroArea>(), "d@:"));
  EXPECT_DOUBLE_EQ(tri->area(), 0.0);
  EXPECT_DOUBLE_EQ(Shape::unit()->area(), 1.0);
}

TEST(MethodTables, DeclaredEncodingMustDescribeTheImplementation) {
  EXPECT_THROW(class_addMethod(Shape::cls(), sel_registerName("lying"), objc::method<&fortyTwo>(), "v@:"),
               objc::RuntimeError);
  EXPECT_EQ(objc::typesFor<void(bool)>(), objc::internTypes("v@:B"));
  EXPECT_STREQ(objc::typesFor<Ref<NSObject>(CGPointLike, Shape*)>(), "@@:{CGPointLike=dd}@");
}

TEST(MethodTables, RuntimeCreatedSubclassesInheritAndOverride) {
  Class hex = objc_allocateClassPair(Shape::cls(), "Hexagon", 0);
  ASSERT_NE(hex, nullptr);
  ASSERT_TRUE(class_addMethod(hex, sel_registerName("sides"), objc::method<&seven>(), "q@:"));
  objc_registerClassPair(hex);
  EXPECT_EQ(objc_getClass("Hexagon"), hex);
  EXPECT_EQ(objc_allocateClassPair(Shape::cls(), "Hexagon", 0), nullptr);  // the name is taken

  auto h = ref_cast<Shape>(objc::send<Ref<NSObject>(), "new">(hex));
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
  return objc::invoke<Ref<Shape>(long)>(originalInit, self, cmd, n * 10);
}

TEST(Creation, AllocGivesZeroedObjectsAndInitIsReplaceable) {
  auto raw = Shape::alloc();
  EXPECT_EQ(raw->sides(), 0);
  EXPECT_EQ(raw->retainCount(), 1u);

  Class decagon = freshSubclass(Shape::cls(), "Decagon");
  originalInit = class_replaceMethod(decagon, sel_registerName("initWithSides:"), objc::method<&tenfoldInit>(), "@@:q");
  EXPECT_FALSE(originalInit);  // the class only inherited it
  originalInit = class_getMethodImplementation(Shape::cls(), sel_registerName("initWithSides:"));
  auto d = ref_cast<Shape>(objc::send<Ref<NSObject>(), "alloc">(decagon));
  EXPECT_EQ(d->initWithSides(3)->sides(), 30);
  EXPECT_EQ(Square::alloc()->initWithSides(3)->sides(), 3);
}

}  // namespace
