// Nineteen methods of the home-screen indicator log their calls and, when
// debug messages are on, their results. They change nothing.
#include <cstdint>

#include "Tweak.h"
#include "foundation/Log.h"
#include "substrate/substrate.h"

namespace {

struct Trace {
  const char* selector;
  const char* callLine;
  const char* resultText;  // for methods with a result
  std::int32_t line;
};

constexpr Trace kTraces[] = {
    {"defaultHeight", "-[<SBIconListPageControl: %p> defaultHeight]", " = %f", 715},
    {"tapGestureDidUpdate:", "-[<SBIconListPageControl: %p> tapGestureDidUpdate:%@]", nullptr, 0},
    {"touchesCancelled:withEvent:", "-[<SBIconListPageControl: %p> touchesCancelled:%@ withEvent:%@]", nullptr, 0},
    {"setLegibilitySettings:", "-[<SBIconListPageControl: %p> setLegibilitySettings:%@]", nullptr, 0},
    {"legibilitySettings", "-[<SBIconListPageControl: %p> legibilitySettings]", " = %@", 721},
    {"touchesEnded:withEvent:", "-[<SBIconListPageControl: %p> touchesEnded:%@ withEvent:%@]", nullptr, 0},
    {"legibilitySettingsDidChange", "-[<SBIconListPageControl: %p> legibilitySettingsDidChange]", nullptr, 0},
    {"gestureRecognizerShouldBegin:", "-[<SBIconListPageControl: %p> gestureRecognizerShouldBegin:%@]", " = %d", 724},
    {"actsAsButton", "-[<SBIconListPageControl: %p> actsAsButton]", " = %d", 725},
    {"tapGestureRecognizer", "-[<SBIconListPageControl: %p> tapGestureRecognizer]", " = %@", 726},
    {"delegate", "-[<SBIconListPageControl: %p> delegate]", " = %@", 727},
    {"setDelegate:", "-[<SBIconListPageControl: %p> setDelegate:%@]", nullptr, 0},
    {"setActsAsButton:", "-[<SBIconListPageControl: %p> setActsAsButton:%d]", nullptr, 0},
    {"setTouchIgnoreRects:", "-[<SBIconListPageControl: %p> setTouchIgnoreRects:%@]", nullptr, 0},
    {"setButtonHighlighted:", "-[<SBIconListPageControl: %p> setButtonHighlighted:%d]", nullptr, 0},
    {"touchesBegan:withEvent:", "-[<SBIconListPageControl: %p> touchesBegan:%@ withEvent:%@]", nullptr, 0},
    {"effectiveLegibilitySettings", "-[<SBIconListPageControl: %p> effectiveLegibilitySettings]", " = %@", 733},
    {"pageControlCurrentPageDidChange:", "-[<SBIconListPageControl: %p> pageControlCurrentPageDidChange:%@]", nullptr,
     0},
    {"touchIgnoreRects", "-[<SBIconListPageControl: %p> touchIgnoreRects]", " = %@", 736},
};
constexpr int kTraceCount = sizeof kTraces / sizeof kTraces[0];
static_assert(kTraceCount == 19);

IMP previous[kTraceCount];

// BOOLs print as 0 or 1.
template <class T>
auto printable(const T& v) {
  if constexpr (std::is_same_v<T, bool>)
    return static_cast<int>(v);
  else
    return v;
}

template <int I, class R>
void logResult(const R& result) {
  if (!os_log_type_enabled(OS_LOG_DEFAULT, OS_LOG_TYPE_DEBUG)) return;
  Ref<NSString> text = NSString::stringWithFormat(kTraces[I].resultText, printable(result));
  os_log_debug(OS_LOG_DEFAULT, "[%{public}s:%{public}d] %{public}@", "Tweak", kTraces[I].line, text);
}

template <int I, class R, class... A>
R traced(NSObject* self, SEL cmd, A... args) {
  NSLog(kTraces[I].callLine, self, printable(args)...);
  if constexpr (std::is_void_v<R>) {
    objc::invoke<void(A...)>(previous[I], self, cmd, args...);
  } else {
    R result = objc::invoke<R(A...)>(previous[I], self, cmd, args...);
    logResult<I>(result);
    return result;
  }
}

template <int I, class Sig>
struct Hook;
template <int I, class R, class... A>
struct Hook<I, R(A...)> {
  static IMP imp() { return objc::method<&traced<I, R, A...>>(); }
};

// The signatures, in the table's order.
using Obj = NSObject*;
template <int I>
IMP hookFor();
#define CVLO_TRACE(I, SIG) \
  template <>              \
  IMP hookFor<I>() {       \
    return Hook<I, SIG>::imp(); \
  }
CVLO_TRACE(0, double())
CVLO_TRACE(1, void(Obj))
CVLO_TRACE(2, void(Obj, Obj))
CVLO_TRACE(3, void(Obj))
CVLO_TRACE(4, Ref<NSObject>())
CVLO_TRACE(5, void(Obj, Obj))
CVLO_TRACE(6, void())
CVLO_TRACE(7, bool(Obj))
CVLO_TRACE(8, bool())
CVLO_TRACE(9, Ref<NSObject>())
CVLO_TRACE(10, Ref<NSObject>())
CVLO_TRACE(11, void(Obj))
CVLO_TRACE(12, void(bool))
CVLO_TRACE(13, void(Obj))
CVLO_TRACE(14, void(bool))
CVLO_TRACE(15, void(Obj, Obj))
CVLO_TRACE(16, Ref<NSObject>())
CVLO_TRACE(17, void(Obj))
CVLO_TRACE(18, Ref<NSObject>())
#undef CVLO_TRACE

template <int... I>
void installAll(Class cls, std::integer_sequence<int, I...>) {
  (MSHookMessageEx(cls, sel_registerName(kTraces[I].selector), hookFor<I>(), &previous[I]), ...);
}

}  // namespace

void CVLOInstallTracingHooks(Class iconListPageControl) {
  installAll(iconListPageControl, std::make_integer_sequence<int, kTraceCount>{});
}
