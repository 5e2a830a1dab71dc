// URLs, as far as opening one needs: the text it was made from.
#pragma once

#include "foundation/NSString.h"

class NSURL : public NSObject {
  OBJC_CLASS(NSURL, NSObject)
 public:
  // Nothing for an absent or empty text, or one with characters a URL cannot hold.
  static Ref<NSURL> URLWithString(NSString* text) {
    return ref_cast<NSURL>(objc::send<Ref<NSObject>(NSString*), "URLWithString:">(cls(), text));
  }
  Ref<NSString> absoluteString() { return objc::send<Ref<NSString>(), "absoluteString">(this); }
  Ref<NSString> scheme() { return objc::send<Ref<NSString>(), "scheme">(this); }

 private:
  static Ref<NSURL> URLWithStringImpl(NSObject* cls, SEL, NSString* text);
  Ref<NSString> absoluteStringImpl() { return text_; }
  Ref<NSString> schemeImpl();
  Ref<NSString> text_;
};
