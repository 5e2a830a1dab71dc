#include "PickerStorage.h"

#include "PickerValues.h"
#include "foundation/Log.h"
#include "foundation/NSUserDefaults.h"
#include "foundation/PropertyList.h"
#include "notify/notify.h"

namespace pickers {

namespace {

std::string text(const Ref<NSString>& s) { return s ? s->utf8() : std::string(); }

bool refuseStore(const Binding& row) {
  if (row.canStore()) return false;
  NSLog("A picker row with key \"%s\" and domain \"%s\" cannot store: it needs both, and a reverse-domain name",
        text(row.key), text(row.domain));
  return true;
}

}  // namespace

bool Binding::canStore() const {
  return key && key->length() > 0 && domain && NSUserDefaults::isValidDomainName(domain->utf8());
}

bool Binding::canPost() const { return notification && notify::isValidName(notification->UTF8String()); }

Ref<NSDictionary> readDomain(const Binding& row) {
  if (refuseStore(row)) return nullptr;
  return NSUserDefaults::standardUserDefaults()->persistentDomainForName(row.domain);
}

Ref<NSMutableDictionary> seedDefault(const Binding& row, objc::Borrowed<NSString> defaultArg,
                                     CVLODateTimePickerStyle style, bool post) {
  NSString* defaultText = defaultArg.get();
  if (refuseStore(row)) return NSMutableDictionary::dictionary();
  Ref<NSMutableDictionary> seen;
  bool wrote = NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      row.domain, [&](NSMutableDictionary* domain) {
        seen = domain->mutableCopy();
        if (domain->objectForKey(row.key) || !defaultText) return false;
        Ref<NSObject> value = convertDefault(style, defaultText);
        if (auto* date = objc_cast<NSDate>(value.get()); date && !foundation::isStorableDate(date->storage())) {
          NSLog("The default %@ of the picker row %s is a date the store cannot hold; nothing is put in", defaultText,
                text(row.key));
          value = nullptr;
        }
        if (value) {
          domain->setObjectForKey(value, row.key);
          seen->setObjectForKey(value, row.key);
        }
        return true;
      });
  if (wrote && post) postChange(row);
  return seen ? seen : NSMutableDictionary::dictionary();
}

foundation::Status writeValue(const Binding& row, objc::Borrowed<NSObject> valueArg) {
  NSObject* value = valueArg.get();
  if (refuseStore(row)) return foundation::Error{"the row names no key and preference domain to store in"};
  if (!value) return foundation::Error{"the row has no value to store"};
  auto stored = NSUserDefaults::standardUserDefaults()->tryUpdatePersistentDomainForName(
      row.domain, [&](NSMutableDictionary* domain) { domain->setObjectForKey(value, row.key); });
  if (stored) return foundation::Done{};
  NSLog("The picker row %s: the value was not stored: %s", text(row.key), stored.error());
  return foundation::Error{stored.error()};
}

void postChange(const Binding& row) {
  if (!row.canPost()) {
    NSLog("A picker row with key \"%s\" names no notification to post", text(row.key));
    return;
  }
  notify_post(row.notification->UTF8String());
}

}  // namespace pickers
