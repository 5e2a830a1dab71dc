// A one-line text field: its text or, when empty, its placeholder; the
// keyboard it asks for and whether it hides what is typed.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIControl.h"

enum UIKeyboardType : long {
  UIKeyboardTypeDefault = 0,
  UIKeyboardTypeURL = 3,
  UIKeyboardTypeNumberPad = 4,
  UIKeyboardTypeDecimalPad = 8,
};

enum UITextAutocorrectionType : long {
  UITextAutocorrectionTypeDefault = 0,
  UITextAutocorrectionTypeNo = 1,
  UITextAutocorrectionTypeYes = 2,
};

class UITextField : public UIControl {
  OBJC_CLASS(UITextField, UIControl)
  OBJC_PROPERTY(text, setText, Ref<NSString>)
  OBJC_PROPERTY(placeholder, setPlaceholder, Ref<NSString>)
  OBJC_PROPERTY(secureTextEntry, setSecureTextEntry, bool)
  OBJC_PROPERTY(keyboardType, setKeyboardType, long)
  OBJC_PROPERTY(autocorrectionType, setAutocorrectionType, long)
  // What typing `text` into the field and leaving it does: the text replaces
  // the field's, then editing changed and editing ended are sent.
  OBJC_METHOD(_typeText, "_typeText:", void(NSString*))

 private:
  void _typeTextImpl(NSString* text);
};
