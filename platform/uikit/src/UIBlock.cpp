#include "uikit/UIBlock.h"

Ref<_UIBlock> _UIBlock::make(Fn fn) {
  auto b = ref_cast<_UIBlock>(_UIBlock::new_());
  b->fn_ = std::move(fn);
  return b;
}

OBJC_IMPLEMENT(_UIBlock)
void _UIBlock::registerMethods(objc::ClassBuilder<_UIBlock>&) {}
