// Nineteen methods of the home-screen indicator log their calls and, when
// debug messages are on, their results. They change nothing.
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>

#include "HostMessages.h"
#include "Tweak.h"
#include "foundation/Log.h"
#include "substrate/substrate.h"

namespace {

struct TraceText {
  const char* callLine;
  const char* resultText;  // for methods with a result
  // The source line the result's debug line names, "[Tweak:715] …": the
  // numbers of the device build's log, kept so its logs and ours read alike
  // and can be compared line for line. 0 for methods without a result.
  std::int32_t resultLogLine;
};

// An entry names the message it traces: the selector hooked and the hook's
// signature both come from it.
template <objc::MessageType M>
struct Trace {
  using Message = M;
  TraceText text;
};

constexpr std::tuple kTraces{
    Trace<host::defaultHeightMessage>{{"-[<SBIconListPageControl: %p> defaultHeight]", " = %f", 715}},
    Trace<host::tapGestureDidUpdateMessage>{{"-[<SBIconListPageControl: %p> tapGestureDidUpdate:%@]", nullptr, 0}},
    Trace<host::touchesCancelledWithEventMessage>{
        {"-[<SBIconListPageControl: %p> touchesCancelled:%@ withEvent:%@]", nullptr, 0}},
    Trace<host::setLegibilitySettingsMessage>{{"-[<SBIconListPageControl: %p> setLegibilitySettings:%@]", nullptr, 0}},
    Trace<host::legibilitySettingsMessage>{{"-[<SBIconListPageControl: %p> legibilitySettings]", " = %@", 721}},
    Trace<host::touchesEndedWithEventMessage>{
        {"-[<SBIconListPageControl: %p> touchesEnded:%@ withEvent:%@]", nullptr, 0}},
    Trace<host::legibilitySettingsDidChangeMessage>{
        {"-[<SBIconListPageControl: %p> legibilitySettingsDidChange]", nullptr, 0}},
    Trace<host::gestureRecognizerShouldBeginMessage>{
        {"-[<SBIconListPageControl: %p> gestureRecognizerShouldBegin:%@]", " = %d", 724}},
    Trace<host::actsAsButtonMessage>{{"-[<SBIconListPageControl: %p> actsAsButton]", " = %d", 725}},
    Trace<host::tapGestureRecognizerMessage>{{"-[<SBIconListPageControl: %p> tapGestureRecognizer]", " = %@", 726}},
    Trace<host::delegateMessage>{{"-[<SBIconListPageControl: %p> delegate]", " = %@", 727}},
    Trace<host::setDelegateMessage>{{"-[<SBIconListPageControl: %p> setDelegate:%@]", nullptr, 0}},
    Trace<host::setActsAsButtonMessage>{{"-[<SBIconListPageControl: %p> setActsAsButton:%d]", nullptr, 0}},
    Trace<host::setTouchIgnoreRectsMessage>{{"-[<SBIconListPageControl: %p> setTouchIgnoreRects:%@]", nullptr, 0}},
    Trace<host::setButtonHighlightedMessage>{{"-[<SBIconListPageControl: %p> setButtonHighlighted:%d]", nullptr, 0}},
    Trace<host::touchesBeganWithEventMessage>{
        {"-[<SBIconListPageControl: %p> touchesBegan:%@ withEvent:%@]", nullptr, 0}},
    Trace<host::effectiveLegibilitySettingsMessage>{
        {"-[<SBIconListPageControl: %p> effectiveLegibilitySettings]", " = %@", 733}},
    Trace<host::pageControlCurrentPageDidChangeMessage>{
        {"-[<SBIconListPageControl: %p> pageControlCurrentPageDidChange:%@]", nullptr, 0}},
    Trace<host::touchIgnoreRectsMessage>{{"-[<SBIconListPageControl: %p> touchIgnoreRects]", " = %@", 736}},
};
constexpr std::size_t kTraceCount = std::tuple_size_v<decltype(kTraces)>;
static_assert(kTraceCount == 19);

// BOOLs print as 0 or 1.
template <class T>
auto printable(const T& v) {
  if constexpr (std::is_same_v<T, bool>)
    return static_cast<int>(v);
  else
    return v;
}

template <class R>
void logResult(const TraceText& trace, const R& result) {
  if (!os_log_type_enabled(OS_LOG_DEFAULT, OS_LOG_TYPE_DEBUG)) return;
  Ref<NSString> text = NSString::stringWithFormat(trace.resultText, printable(result));
  os_log_debug(OS_LOG_DEFAULT, "[%{public}s:%{public}d] %{public}@", "Tweak", trace.resultLogLine, text);
}

template <std::size_t I>
using MessageAt = typename std::remove_cvref_t<decltype(std::get<I>(kTraces))>::Message;

template <std::size_t I, class Sig = objc::SignatureOf<MessageAt<I>>>
struct Traced;
template <std::size_t I, class R, class... A>
struct Traced<I, R(A...)> {
  using M = MessageAt<I>;
  static inline IMP previous;

  static R hook(NSObject* self, SEL cmd, A... args) {
    const TraceText& trace = std::get<I>(kTraces).text;
    NSLog(trace.callLine, self, printable(args)...);
    if constexpr (std::is_void_v<R>) {
      objc::invoke<M>(previous, self, cmd, args...);
    } else {
      R result = objc::invoke<M>(previous, self, cmd, args...);
      logResult(trace, result);
      return result;
    }
  }

  static void install(Class cls) { MSHookMessageEx(cls, M::sel(), objc::implementation<M, &hook>(), &previous); }
};

template <std::size_t... I>
void installAll(Class cls, std::index_sequence<I...>) {
  (Traced<I>::install(cls), ...);
}

}  // namespace

void CVLOInstallTracingHooks(Class iconListPageControl) {
  installAll(iconListPageControl, std::make_index_sequence<kTraceCount>{});
}
