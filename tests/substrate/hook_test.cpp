#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <thread>

#include <string>
#include <vector>

#include "../objc/fresh_class.h"
#include "objc/define.h"
#include "substrate/substrate.h"

namespace {

std::vector<std::string> calls;

class Speaker : public NSObject {
  OBJC_CLASS(Speaker, NSObject)
  OBJC_METHOD(volume, "volume", long())
  OBJC_METHOD(say, "say:", void(long))

 private:
  long volumeImpl() { return 10; }
  void sayImpl(long n) { calls.push_back("Speaker " + std::to_string(n)); }
};
OBJC_IMPLEMENT(Speaker)

class Loud : public Speaker {
  OBJC_CLASS(Loud, Speaker)
};
OBJC_IMPLEMENT(Loud)

class Quiet : public Speaker {
  OBJC_CLASS(Quiet, Speaker)
};
OBJC_IMPLEMENT(Quiet)

IMP firstPrevious, secondPrevious;

void firstHook(Speaker* self, SEL cmd, long n) {
  calls.push_back("first " + std::to_string(n));
  objc::invoke<Speaker::sayMessage>(firstPrevious, self, cmd, n + 1);
}
void secondHook(Speaker* self, SEL cmd, long n) {
  calls.push_back("second " + std::to_string(n));
  objc::invoke<Speaker::sayMessage>(secondPrevious, self, cmd, n + 1);
}

TEST(Hooks, HookOnAnInheritedMethodChainsAndReachesLaterSubclasses) {
  calls.clear();
  SEL say = Speaker::sayMessage::sel();
  Class loud = freshSubclass(Loud::cls(), "Loud");
  MSHookMessageEx(loud, say, objc::implementation<Speaker::sayMessage, &firstHook>(), &firstPrevious);
  ASSERT_TRUE(firstPrevious);
  EXPECT_EQ(firstPrevious, class_getMethodImplementation(Speaker::cls(), say));

  MSHookMessageEx(loud, say, objc::implementation<Speaker::sayMessage, &secondHook>(), &secondPrevious);
  EXPECT_EQ(secondPrevious, (objc::implementation<Speaker::sayMessage, &firstHook>()));

  objc::send<Speaker::sayMessage>(objc::send<NSObject::newMessage>(loud), 1L);
  EXPECT_EQ(calls, (std::vector<std::string>{"second 1", "first 2", "Speaker 3"}));

  // The superclass and its other subclasses are untouched.
  calls.clear();
  Speaker::make()->say(1);
  Loud::make()->say(1);
  EXPECT_EQ(calls, (std::vector<std::string>{"Speaker 1", "Speaker 1"}));

  // A subclass made after hooking inherits the hooked entry.
  calls.clear();
  Class louder = freshSubclass(loud, "Louder");
  objc::send<Speaker::sayMessage>(objc::send<NSObject::newMessage>(louder), 5L);
  EXPECT_EQ(calls, (std::vector<std::string>{"second 5", "first 6", "Speaker 7"}));
}

IMP volumePrevious;
long three(Speaker*, SEL) { return 3; }
long doubledVolume(Speaker* self, SEL cmd) {
  return 2 * objc::invoke<Speaker::volumeMessage>(volumePrevious, self, cmd);
}

TEST(Hooks, HookOnAnOwnMethodSwapsItForEveryInheritor) {
  Class base = freshSubclass(Speaker::cls(), "Amp");
  Class sub = freshSubclass(base, "AmpSub");
  SEL volume = Speaker::volumeMessage::sel();
  ASSERT_TRUE(class_addMethod(base, volume, objc::implementation<Speaker::volumeMessage, &three>(), "q@:"));
  auto obj = ref_cast<Speaker>(objc::send<NSObject::newMessage>(sub));
  EXPECT_EQ(obj->volume(), 3);  // now cached in the subclass

  MSHookMessageEx(base, volume, objc::implementation<Speaker::volumeMessage, &doubledVolume>(), &volumePrevious);
  EXPECT_EQ(volumePrevious, (objc::implementation<Speaker::volumeMessage, &three>()));
  EXPECT_EQ(obj->volume(), 6);
  EXPECT_EQ(Speaker::make()->volume(), 10);
}

TEST(Hooks, MissingClassOrSelectorChangesNothing) {
  IMP previous;
  MSHookMessageEx(objc_getClass("NoSuchClass"), sel_registerName("say:"),
                  objc::implementation<Speaker::sayMessage, &firstHook>(), &previous);
  EXPECT_FALSE(previous);
  MSHookMessageEx(Quiet::cls(), sel_registerName("nobodyAnswersThis:"),
                  objc::implementation<Speaker::sayMessage, &firstHook>(), &previous);
  EXPECT_FALSE(previous);
  EXPECT_FALSE(class_respondsToSelector(Quiet::cls(), sel_registerName("nobodyAnswersThis:")));
}

// A hook built against another version of the host must not take the host
// down: it is refused with one line naming both encodings.
TEST(Hooks, AReplacementWithAnotherSignatureIsRefusedLoudly) {
  IMP previous;
  testing::internal::CaptureStderr();
  // Built for another signature, as a stale tweak would be: only the run-time check sees it.
  MSHookMessageEx(Quiet::cls(), Speaker::volumeMessage::sel(), objc::uncheckedImplementation<&firstHook>(), &previous);
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(previous);
  EXPECT_EQ(Quiet::make()->volume(), 10);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  EXPECT_NE(log.find("Quiet volume"), std::string::npos) << log;
  EXPECT_NE(log.find(objc::typesFor<Speaker::volumeMessage>()), std::string::npos) << log;
}

IMP racePrevious[200];
std::atomic<int> raceRound{0};
long racingVolume(Speaker* self, SEL cmd) {
  return objc::invoke<Speaker::volumeMessage>(racePrevious[raceRound.load()], self, cmd) + 1;
}

// A hook may be reached by another thread the moment it is installed; its
// previous implementation must already be in place then.
TEST(Hooks, ASendRacingTheInstallationFindsThePreviousImplementation) {
  std::atomic<int> failures{0};
  for (int round = 0; round < 200; ++round) {
    raceRound.store(round);
    Class racer = freshSubclass(Speaker::cls(), "Racer");
    Ref<NSObject> obj = objc::send<NSObject::newMessage>(racer);
    std::atomic<bool> hooked{false};
    std::thread sender([&] {
      for (int i = 0; i < 2000 && !(hooked.load() && i > 100); ++i) {
        try {
          long v = objc::send<Speaker::volumeMessage>(obj);
          if (v != 10 && v != 11) failures.fetch_add(1);
        } catch (const objc::RuntimeError&) {
          failures.fetch_add(1);
        }
      }
    });
    MSHookMessageEx(racer, Speaker::volumeMessage::sel(), objc::implementation<Speaker::volumeMessage, &racingVolume>(),
                    &racePrevious[round]);
    hooked.store(true);
    sender.join();
    EXPECT_EQ(objc::send<Speaker::volumeMessage>(obj), 11);
  }
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
