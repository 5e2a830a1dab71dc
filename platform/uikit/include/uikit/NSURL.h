// URLs, as far as opening one needs: the text it was made from.
#pragma once

#include "foundation/NSString.h"

class NSURL : public NSObject {
  OBJC_CLASS(NSURL, NSObject)
  // Nothing for an absent or empty text, or one with characters a URL cannot hold.
  OBJC_CLASS_METHOD(URLWithString, "URLWithString:", Ref<NSURL>(NSString*))
  OBJC_METHOD(absoluteString, "absoluteString", Ref<NSString>())
  OBJC_METHOD(scheme, "scheme", Ref<NSString>())

 private:
  static Ref<NSURL> URLWithStringImpl(Class self, NSString* text);
  Ref<NSString> absoluteStringImpl() { return text_; }
  Ref<NSString> schemeImpl();
  Ref<NSString> text_;
};
