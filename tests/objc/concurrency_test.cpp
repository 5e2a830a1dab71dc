#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "fixtures.h"
#include "fresh_class.h"

namespace {

long one(NSObject*, SEL) { return 1; }
long two(NSObject*, SEL) { return 2; }

// Senders on several threads while another thread keeps replacing the entry
// and adding methods (which drops and regrows caches): every send must answer
// one of the two implementations, and once the writer stops, the last one.
TEST(Concurrency, CachesStayCorrectWhileTablesChange) {
  Class cls = freshSubclass(Shape::cls(), "Flicker");
  SEL s = sel_registerName("flicker");
  ASSERT_TRUE(class_addMethod(cls, s, objc::uncheckedImplementation<&one>(), "q@:"));
  auto obj = ref_cast<Shape>(objc::send<NSObject::newMessage>(cls));

  std::atomic<bool> stop{false};
  std::atomic<long> bad{0}, sends{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop.load(std::memory_order_relaxed)) {
        long v = objc::sendSel<long()>(obj, s);
        if (v != 1 && v != 2) bad.fetch_add(1);
        if (obj->sides() != 0) bad.fetch_add(1);  // a neighbour entry in the same cache
        sends.fetch_add(1, std::memory_order_relaxed);
      }
    });
  }
  for (int i = 0; i < 400; ++i) {
    class_replaceMethod(cls, s, i % 2 ? objc::uncheckedImplementation<&one>() : objc::uncheckedImplementation<&two>(),
                        "q@:");
    if (i % 20 == 0) {
      std::string name = "extra" + std::to_string(i);
      class_addMethod(Shape::cls(), sel_registerName(name), objc::uncheckedImplementation<&one>(), "q@:");
    }
  }
  class_replaceMethod(cls, s, objc::uncheckedImplementation<&two>(), "q@:");
  long seen = sends.load();
  while (sends.load() < seen + 1000) std::this_thread::yield();
  stop = true;
  for (auto& t : readers) t.join();

  EXPECT_EQ(bad.load(), 0);
  EXPECT_EQ(objc::sendSel<long()>(obj, s), 2);
}

double hookedArea(Shape*, SEL) { return 42.0; }

// Typed sends go through their site's inline entry. Threads send `area` to
// one class in a loop while the main thread hooks it there; a send that
// starts after the hook has returned must reach the hook, never the entry
// its site filled before.
TEST(Concurrency, SendAfterAHookReturnsSeesTheHook) {
  Class cls = freshSubclass(Shape::cls(), "Hooked");
  auto obj = ref_cast<Shape>(objc::send<NSObject::newMessage>(cls));
  ASSERT_DOUBLE_EQ(obj->area(), 1.0);

  std::atomic<bool> hooked{false}, stop{false};
  std::atomic<long> stale{0}, afterHook{0}, sends{0};
  std::vector<std::thread> senders;
  for (int t = 0; t < 3; ++t) {
    senders.emplace_back([&] {
      while (!stop.load(std::memory_order_relaxed)) {
        bool hookDone = hooked.load(std::memory_order_acquire);
        double a = obj->area();
        if (hookDone) {
          if (a != 42.0) stale.fetch_add(1);
          afterHook.fetch_add(1, std::memory_order_relaxed);
        }
        sends.fetch_add(1, std::memory_order_relaxed);
      }
    });
  }
  while (sends.load() < 3000) std::this_thread::yield();
  objc::Imp previous;
  auto result = objc::exchangeOrAddMethod(cls, Shape::areaMessage::sel(),
                                          objc::implementation<Shape::areaMessage, &hookedArea>(), &previous);
  ASSERT_EQ(result.status, objc::HookStatus::Installed);
  hooked.store(true, std::memory_order_release);
  while (afterHook.load() < 3000) std::this_thread::yield();
  stop = true;
  for (auto& t : senders) t.join();

  EXPECT_EQ(stale.load(), 0);
  EXPECT_DOUBLE_EQ(obj->area(), 42.0);
  EXPECT_DOUBLE_EQ(objc::send<Shape::areaMessage>(Shape::make().get()), 1.0);  // the superclass is untouched
}

// A site that sees receivers of several classes answers each with its own
// implementation, however they alternate, and after tables change.
TEST(Concurrency, OneSiteManyClasses) {
  Ref<Shape> shapes[3] = {Shape::make(), Square::make(), Triangle::make()};
  double sum = 0;
  for (int i = 0; i < 300; ++i) {
    sum += shapes[i % 3]->area();
    if (i == 150)
      class_addMethod(Triangle::cls(), sel_registerName("unrelated"), objc::uncheckedImplementation<&one>(), "q@:");
  }
  EXPECT_DOUBLE_EQ(sum, 100 * (1.0 + Square::make()->area() + 1.0));
}

// A site past its monomorphic limit keeps two classes in entries; a hook on
// either one reaches the next send, whichever entry holds that class.
TEST(Concurrency, APolymorphicSiteSeesAHookOnEitherOfItsClasses) {
  Ref<Shape> shapes[2];
  for (auto& shape : shapes)
    shape = ref_cast<Shape>(objc::send<NSObject::newMessage>(freshSubclass(Shape::cls(), "Turn")));
  // A site of its own: no other test sends `area` to a const Shape*.
  auto send = [](const Shape* s) { return objc::send<Shape::areaMessage>(s); };
  for (int i = 0; i < 20; ++i) ASSERT_DOUBLE_EQ(send(shapes[i % 2].get()), 1.0);  // past the limit
  for (int hooked = 0; hooked < 2; ++hooked) {
    objc::Imp previous;
    auto result = objc::exchangeOrAddMethod(object_getClass(shapes[hooked].get()), Shape::areaMessage::sel(),
                                            objc::implementation<Shape::areaMessage, &hookedArea>(), &previous);
    ASSERT_EQ(result.status, objc::HookStatus::Installed);
    for (int k = 0; k < 2; ++k) EXPECT_DOUBLE_EQ(send(shapes[k].get()), k <= hooked ? 42.0 : 1.0) << hooked << k;
  }
}

TEST(Concurrency, ClassesRegisteredWhileOthersLookThemUp) {
  std::atomic<bool> stop{false};
  std::thread lookups([&] {
    while (!stop.load()) {
      ASSERT_EQ(objc_getClass("Shape"), Shape::cls());
      objc_getClass("Late");
    }
  });
  Class last = nullptr;
  for (int i = 0; i < 50; ++i) {
    Class c = last = freshSubclass(Shape::cls(), "Late");
    auto obj = ref_cast<Shape>(objc::send<NSObject::newMessage>(c));
    EXPECT_DOUBLE_EQ(obj->area(), 1.0);
  }
  stop = true;
  lookups.join();
  EXPECT_EQ(objc_getClass(class_getName(last)), last);
}

}  // namespace
