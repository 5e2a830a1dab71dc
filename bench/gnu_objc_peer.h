#pragma once

struct GnuPeer {
  void* object;
  void* selector;
};

// An instance of a GNU runtime class answering `level`.
GnuPeer makeGnuPeer();
// objc_msg_lookup followed by the call, as GCC compiles a message send.
long gnuSend(const GnuPeer& peer);
