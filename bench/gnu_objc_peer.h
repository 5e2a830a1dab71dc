#pragma once

struct GnuPeer {
  void* object;
  void* selector;
};

// An instance of a new GNU runtime class answering `level`.
GnuPeer makeGnuPeer(const char* className);
// objc_msg_lookup followed by the call, as GCC compiles a message send.
long gnuSend(const GnuPeer& peer);
