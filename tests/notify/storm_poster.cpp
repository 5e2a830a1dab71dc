// Posts one name COUNT times as fast as the transport takes them, for the
// soak script's notification storms: notify_storm NAME COUNT. Prints how
// many posts were accepted.
#include <cstdio>
#include <cstdlib>

#include "notify/notify.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: notify_storm NAME COUNT\n");
    return 2;
  }
  long count = std::atol(argv[2]), accepted = 0;
  for (long i = 0; i < count; ++i)
    if (notify_post(argv[1]) == NOTIFY_STATUS_OK) ++accepted;
  std::printf("%ld\n", accepted);
  return accepted == count ? 0 : 1;
}
