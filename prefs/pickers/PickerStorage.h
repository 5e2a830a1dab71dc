// Where a picker row keeps its value: the whole domain named by the row,
// changed only through the store's serialised read-modify-write, so that keys
// other rows or other processes wrote in the meantime are never lost; and the
// row's change notification, posted after the write.
#pragma once

#include "CVLODateTimePickerStyle.h"
#include "foundation/NSDictionary.h"
#include "foundation/Result.h"

namespace pickers {

// The row properties the storage works with.
struct Binding {
  Ref<NSString> key;
  Ref<NSString> domain;
  Ref<NSString> notification;

  // A key and a plain reverse-domain name: the row may read and write.
  bool canStore() const;
  // A name notify_post takes.
  bool canPost() const;
};

// The whole domain, or nothing when it is absent or the row cannot store.
Ref<NSDictionary> readDomain(const Binding& row);

// When the domain lacks the key and there is a default text: the converted
// default goes in (a date default that does not parse puts nothing in), the
// whole domain is written back either way, and the change is posted when
// `post` is asked. Answers the domain as it now stands, a copy the caller
// may read on from; empty when the row cannot store.
Ref<NSMutableDictionary> seedDefault(const Binding& row, objc::Borrowed<NSString> defaultArg,
                                     CVLODateTimePickerStyle style, bool post);

// Sets the value under the key and writes the whole domain. A write the
// store refuses (a full disk, a date it cannot hold) is logged and answered.
foundation::Status writeValue(const Binding& row, objc::Borrowed<NSObject> valueArg);

// Posts the row's notification; a row without a valid name posts nothing.
void postChange(const Binding& row);

}  // namespace pickers
