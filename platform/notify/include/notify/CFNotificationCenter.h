// The Darwin notification centre of CoreFoundation, as tweak code calls it.
//
// Names are UTF-8 C strings; the object and the user information are always
// null. Callbacks run on the main thread, from the main loop (the io_context
// of the main queue), with the observer pointer as it was registered; the
// centre does not retain it. A throwing callback is reported on stderr.
#pragma once

struct CFNotificationCenterOpaque;
struct CFDictionaryOpaque;

using CFNotificationCenterRef = CFNotificationCenterOpaque*;
using CFDictionaryRef = const CFDictionaryOpaque*;
using CFNotificationName = const char*;
using CFIndex = long;

// Nothing here is ever suspended, so the behaviours differ only in whether
// posts that pile up while the main thread is busy are merged:
// Coalesce and Drop merge them into one callback (always at least one after
// the last post), Hold and DeliverImmediately give one callback per post.
enum CFNotificationSuspensionBehavior : CFIndex {
  CFNotificationSuspensionBehaviorDrop = 1,
  CFNotificationSuspensionBehaviorCoalesce = 2,
  CFNotificationSuspensionBehaviorHold = 3,
  CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

using CFNotificationCallback = void (*)(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                                        const void* object, CFDictionaryRef userInfo);

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter() noexcept;

// Registers `callback` for posts of `name` from any process. The observer may
// be null. Registering the same observer, callback and name again only
// updates the behaviour. An invalid name, a null callback, an unknown
// behaviour or a centre other than the Darwin one is refused with a line on
// stderr, as is a process that cannot open its notification endpoint.
void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callback, CFNotificationName name, const void* object,
                                     CFNotificationSuspensionBehavior suspensionBehavior) noexcept;

// Removes the observer's registrations for `name` (every name when null).
// No callback for them starts after this returns, not even for posts already
// read. Called off the main thread, it also waits for a callback of
// theirs that is running on the main thread to finish.
void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer, CFNotificationName name,
                                        const void* object) noexcept;

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) noexcept;

// For the Darwin centre this is notify_post(name); the rest is ignored.
void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name, const void* object,
                                          CFDictionaryRef userInfo, bool deliverImmediately) noexcept;
