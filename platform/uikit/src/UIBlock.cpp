#include "uikit/UIBlock.h"

Ref<_UIBlock> _UIBlock::make(Fn fn) {
  auto b = _UIBlock::make();
  b->fn_ = std::move(fn);
  return b;
}

OBJC_IMPLEMENT(_UIBlock)
