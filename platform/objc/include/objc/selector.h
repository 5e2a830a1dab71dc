// Selectors named at compile time and messages: a selector together with the
// C++ signature of the method that answers it, stated once.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string_view>

#include "objc/runtime.h"

namespace objc {

template <std::size_t N>
struct SelName {
  char text[N];
  constexpr SelName(const char (&s)[N]) { std::copy_n(s, N, text); }
  constexpr std::string_view view() const { return {text, N - 1}; }
};

// The interned selector for a literal, registered when the library that
// names it loads. A library's own load-time code (a constructor that starts
// work on another thread) may send before this initialiser has run, so the
// slot is constant-initialised and read atomically: a sender that finds it
// empty registers the name itself.
template <SelName S>
inline std::atomic<SEL> loadedSelector{nullptr};

template <SelName S>
inline const bool selectorAtLoad = (loadedSelector<S>.store(sel_registerName(S.text), std::memory_order_release), true);

template <SelName S>
[[gnu::always_inline]] inline SEL sel() {
  static_cast<void>(&selectorAtLoad<S>);  // odr-use, so the name is registered at load
  SEL s = loadedSelector<S>.load(std::memory_order_acquire);
  if (s) [[likely]]
    return s;
  s = sel_registerName(S.text);
  loadedSelector<S>.store(s, std::memory_order_release);
  return s;
}

// A message: what senders, implementations, overrides and hooks all refer to,
// so that the selector and the signature are written in one place.
template <SelName S, class Sig>
struct Message {
  static constexpr SelName selector = S;
  using Signature = Sig;
  [[gnu::always_inline]] static SEL sel() { return objc::sel<S>(); }
};

template <class T>
struct is_message : std::false_type {};
template <SelName S, class Sig>
struct is_message<Message<S, Sig>> : std::true_type {};

// ------------------------------------------------------- selector to C++ name
//
// Drop the colons and capitalise the first letter of every keyword after the
// first: `tableView:heightForRowAtIndexPath:` is
// `tableViewHeightForRowAtIndexPath`. A C++ keyword gets a trailing underscore.

constexpr char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr bool isCxxKeyword(std::string_view s) {
  constexpr std::string_view words[] = {"class",    "new",   "delete",    "default", "operator", "template", "this",
                                        "register", "union", "namespace", "switch",  "case",     "do",       "for"};
  for (auto w : words)
    if (w == s) return true;
  return false;
}

constexpr bool followsNamingRule(std::string_view selector, std::string_view name) {
  char buf[256] = {};
  std::size_t n = 0;
  bool capitalise = false;
  for (char c : selector) {
    if (n >= sizeof buf - 2) return false;
    if (c == ':') {
      capitalise = true;
      continue;
    }
    buf[n++] = capitalise ? upper(c) : c;
    capitalise = false;
  }
  std::string_view derived(buf, n);
  if (derived == name) return true;
  return isCxxKeyword(derived) && name.size() == n + 1 && name.substr(0, n) == derived && name[n] == '_';
}

// A property's setter: `setHidden` for `hidden`.
constexpr bool isSetterOf(std::string_view setter, std::string_view property) {
  if (setter.size() != property.size() + 3 || setter.substr(0, 3) != "set" || property.empty()) return false;
  return setter[3] == upper(property[0]) && setter.substr(4) == property.substr(1);
}

}  // namespace objc
