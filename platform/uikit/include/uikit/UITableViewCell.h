// Table cells: a content view with a title and a detail label, an accessory,
// and the separator line the table draws under them.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

enum UITableViewCellStyle : long {
  UITableViewCellStyleDefault = 0,
  UITableViewCellStyleValue1 = 1,
  UITableViewCellStyleValue2 = 2,
  UITableViewCellStyleSubtitle = 3,
};

enum UITableViewCellAccessoryType : long {
  UITableViewCellAccessoryNone = 0,
  UITableViewCellAccessoryDisclosureIndicator = 1,
  UITableViewCellAccessoryCheckmark = 3,
};

// The hairline of a cell. Pages find it by class name and hide or show it.
class _UITableViewCellSeparatorView : public UIView {
  OBJC_CLASS(_UITableViewCellSeparatorView, UIView)
};

class UITableViewCell : public UIView {
  OBJC_CLASS(UITableViewCell, UIView)
 public:
  Ref<UITableViewCell> initWithStyleReuseIdentifier(long style, NSString* reuseIdentifier) {
    return objc::send<Ref<UITableViewCell>(long, NSString*), "initWithStyle:reuseIdentifier:">(this, style,
                                                                                            reuseIdentifier);
  }
  Ref<UILabel> textLabel() { return objc::send<Ref<UILabel>(), "textLabel">(this); }
  Ref<UILabel> detailTextLabel() { return objc::send<Ref<UILabel>(), "detailTextLabel">(this); }
  Ref<UIView> contentView() { return objc::send<Ref<UIView>(), "contentView">(this); }
  Ref<UIView> accessoryView() { return objc::send<Ref<UIView>(), "accessoryView">(this); }
  void setAccessoryView(UIView* v) { objc::send<void(UIView*), "setAccessoryView:">(this, v); }
  long accessoryType() { return objc::send<long(), "accessoryType">(this); }
  void setAccessoryType(long t) { objc::send<void(long), "setAccessoryType:">(this, t); }
  Ref<NSString> reuseIdentifier() { return objc::send<Ref<NSString>(), "reuseIdentifier">(this); }
  long style() { return objc::send<long(), "style">(this); }

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  Ref<UITableViewCell> initWithStyleReuseIdentifierImpl(long style, NSString* reuseIdentifier);
  Ref<UILabel> textLabelImpl() { return textLabel_; }
  Ref<UILabel> detailTextLabelImpl() { return detailTextLabel_; }
  Ref<UIView> contentViewImpl() { return contentView_; }
  Ref<UIView> accessoryViewImpl() { return accessoryView_; }
  void setAccessoryViewImpl(UIView* v);
  long accessoryTypeImpl() { return accessoryType_; }
  void setAccessoryTypeImpl(long t) { accessoryType_ = t; }
  Ref<NSString> reuseIdentifierImpl() { return reuseIdentifier_; }
  long styleImpl() { return style_; }

  long style_;
  long accessoryType_;
  Ref<NSString> reuseIdentifier_;
  Ref<UIView> contentView_;
  Ref<UILabel> textLabel_;
  Ref<UILabel> detailTextLabel_;
  Ref<UIView> accessoryView_;
};
