// The other process of the cross-process store tests.
//   store_helper <root> update <domain> <key-prefix> <count>
//       count serialised updates, each adding <key-prefix><i>
//   store_helper <root> hammer <domain>
//       rewrites the domain with a growing payload until killed
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/Foundation.h"

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  foundation::setDeviceRootOverride(std::string(argv[1]));
  std::string mode = argv[2];
  auto domain = NSString::make(argv[3]);
  auto defaults = NSUserDefaults::standardUserDefaults();
  if (mode == "update" && argc == 6) {
    std::string prefix = argv[4];
    int count = std::atoi(argv[5]);
    for (int i = 0; i < count; ++i) {
      bool ok = defaults->updatePersistentDomainForName(domain, [&](NSMutableDictionary* d) {
        d->setObjectForKey(NSNumber::numberWithInt(i), prefix + std::to_string(i));
      });
      if (!ok) return 1;
    }
    return 0;
  }
  if (mode == "hammer") {
    for (long round = 0;; ++round) {
      auto d = NSMutableDictionary::dictionary();
      d->setObjectForKey(NSNumber::numberWithLongLong(round), "round");
      d->setObjectForKey(NSString::make(std::string(static_cast<std::size_t>(round % 5000), 'x')), "payload");
      defaults->setPersistentDomainForName(d, domain);
      if (round == 0) std::puts("started"), std::fflush(stdout);
    }
  }
  return 2;
}
