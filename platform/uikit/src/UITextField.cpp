#include "uikit/UITextField.h"

void UITextField::_typeTextImpl(NSString* typed) {
  if (!isEnabled()) return;
  setText(typed);
  sendActionsForControlEvents(UIControlEventEditingChanged);
  sendActionsForControlEvents(UIControlEventEditingDidEnd);
}

OBJC_IMPLEMENT(UITextField)
