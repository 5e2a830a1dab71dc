#include "foundation/NSLocale.h"

#include "IcuFormats.h"
#include "Internal.h"

OBJC_IMPLEMENT(NSLocale)

Ref<NSLocale> NSLocale::currentLocaleImpl(Class self) {
  Ref<NSString> identifier = NSString::make(foundation::environmentLocaleIdentifier());
  return localeWithLocaleIdentifierImpl(self, identifier.get());
}

Ref<NSLocale> NSLocale::localeWithLocaleIdentifierImpl(Class self, NSString* identifier) {
  Ref<NSLocale> l = foundation::detail::allocAs<NSLocale>(self);
  l = ref_cast<NSLocale>(l->init());
  l->identifier_ = foundation::localeIdentifierFromPosix(foundation::detail::textOf(identifier));
  l->icu_ = foundation::detail::icuLocaleFor(l->identifier_);
  return l;
}
