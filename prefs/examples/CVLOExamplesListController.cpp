#include "CVLOExamplesListController.h"

Ref<NSArray> CVLOExamplesListController::specifiersImpl() {
  if (!_specifiers) {
    Ref<NSString> list = NSString::make(kPageList);
    setDarkModePlistLightModePlist(list, list);
  }
  return sendSuper<specifiersMessage>();
}

OBJC_IMPLEMENT(CVLOExamplesListController)
