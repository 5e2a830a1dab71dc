#include "uikit/NSURL.h"

#include <cctype>

Ref<NSURL> NSURL::URLWithStringImpl(Class, NSString* text) {
  if (!text || text->utf8().empty()) return nullptr;
  for (unsigned char c : text->utf8())
    if (c <= 0x20 || c >= 0x7f || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' || c == '{' ||
        c == '|' || c == '}')
      return nullptr;
  auto u = NSURL::make();
  u->text_ = text;
  return u;
}

Ref<NSString> NSURL::schemeImpl() {
  const std::string& t = text_->utf8();
  auto colon = t.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(t[0]))) return nullptr;
  return NSString::make(t.substr(0, colon));
}

OBJC_IMPLEMENT(NSURL)
