// A broken tweak: the process that loads it ends before it can answer anyone.
#include <unistd.h>

[[gnu::constructor]] static void endTheHost() { ::_exit(70); }
