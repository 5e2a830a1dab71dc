// The file manager: questions about files by device path.
#pragma once

#include "foundation/NSString.h"

class NSFileManager : public NSObject {
  OBJC_CLASS(NSFileManager, NSObject)
  // One for the process.
  OBJC_CLASS_METHOD(defaultManager, "defaultManager", Ref<NSFileManager>())
  // Whether anything (a file or a folder) is at the device path.
  OBJC_METHOD(fileExistsAtPath, "fileExistsAtPath:", bool(NSString*))

 private:
  static Ref<NSFileManager> defaultManagerImpl(Class self);
  bool fileExistsAtPathImpl(NSString* path);
};
