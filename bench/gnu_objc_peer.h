#pragma once

struct GnuPeer {
  void* object;
  void* selector;
};

// An instance of a new GNU runtime class answering `level`.
GnuPeer makeGnuPeer(const char* className);
// The same with `level` replaced by a function that calls the one it replaced,
// as a hook does.
GnuPeer makeGnuHookedPeer(const char* className);
// objc_msg_lookup followed by the call, as GCC compiles a message send.
long gnuSend(const GnuPeer& peer);
