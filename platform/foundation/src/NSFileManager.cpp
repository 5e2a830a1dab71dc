#include "foundation/NSFileManager.h"

#include <sys/stat.h>

#include "foundation/DevicePaths.h"

Ref<NSFileManager> NSFileManager::defaultManagerImpl(Class) {
  static NSFileManager* const manager = NSFileManager::make().leak();
  return Ref<NSFileManager>(manager);
}

bool NSFileManager::fileExistsAtPathImpl(NSString* path) {
  if (!path || path->utf8().empty()) return false;
  struct stat st {};
  return ::stat(foundation::devicePath(path->utf8()).c_str(), &st) == 0;
}

OBJC_IMPLEMENT(NSFileManager)
