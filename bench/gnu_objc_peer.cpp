// The peer runtime for the send benchmark: GCC's own Objective-C runtime,
// driven through its C interface. This file includes none of our headers,
// whose names the GNU runtime shares.
#include "gnu_objc_peer.h"

#include <cstddef>
#include <cstdint>

extern "C" {
using gnu_id = void*;
using gnu_Class = void*;
using gnu_SEL = void*;
using gnu_IMP = long (*)(gnu_id, gnu_SEL);
gnu_Class objc_allocateClassPair(gnu_Class super, const char* name, std::size_t extra);
void objc_registerClassPair(gnu_Class cls);
signed char class_addMethod(gnu_Class cls, gnu_SEL sel, gnu_IMP imp, const char* types);
signed char class_addIvar(gnu_Class cls, const char* name, std::size_t size, unsigned char log2Align, const char* type);
gnu_SEL sel_registerName(const char* name);
gnu_id class_createInstance(gnu_Class cls, std::size_t extra);
gnu_IMP class_replaceMethod(gnu_Class cls, gnu_SEL sel, gnu_IMP imp, const char* types);
gnu_IMP objc_msg_lookup(gnu_id receiver, gnu_SEL op);
}

namespace {
long gnuLevel(gnu_id, gnu_SEL) { return 3; }

gnu_IMP previousGnuLevel;
long gnuHookedLevel(gnu_id self, gnu_SEL sel) { return previousGnuLevel(self, sel) + 1; }
}  // namespace

GnuPeer makeGnuPeer(const char* className) {
  gnu_Class root = objc_allocateClassPair(nullptr, className, 0);
  class_addIvar(root, "isa", sizeof(void*), 3, "#");
  gnu_SEL sel = sel_registerName("level");
  class_addMethod(root, sel, &gnuLevel, "q@:");
  objc_registerClassPair(root);
  return GnuPeer{class_createInstance(root, 0), sel};
}

long gnuSend(const GnuPeer& peer) {
  gnu_IMP imp = objc_msg_lookup(peer.object, peer.selector);
  return imp(peer.object, peer.selector);
}

GnuPeer makeGnuHookedPeer(const char* className) {
  GnuPeer peer = makeGnuPeer(className);
  // The class is the object's first word, as the GNU runtime lays objects out.
  gnu_Class cls = *static_cast<gnu_Class*>(peer.object);
  previousGnuLevel = class_replaceMethod(cls, peer.selector, &gnuHookedLevel, "q@:");
  return peer;
}
