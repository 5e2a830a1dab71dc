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
  OBJC_OVERRIDE(initWithFrame)
  OBJC_INIT(initWithStyleReuseIdentifier, "initWithStyle:reuseIdentifier:", Ref<UITableViewCell>(long, NSString*))
  OBJC_METHOD(textLabel, "textLabel", Ref<UILabel>())
  OBJC_METHOD(detailTextLabel, "detailTextLabel", Ref<UILabel>())
  OBJC_METHOD(contentView, "contentView", Ref<UIView>())
  OBJC_METHOD(accessoryView, "accessoryView", Ref<UIView>())
  OBJC_METHOD(setAccessoryView, "setAccessoryView:", void(UIView*))
  OBJC_PROPERTY(accessoryType, setAccessoryType, long)
  OBJC_METHOD(reuseIdentifier, "reuseIdentifier", Ref<NSString>())
  OBJC_METHOD(style, "style", long())

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  Ref<UITableViewCell> initWithStyleReuseIdentifierImpl(long style, NSString* reuseIdentifier);
  Ref<UILabel> textLabelImpl() { return textLabel_; }
  Ref<UILabel> detailTextLabelImpl() { return detailTextLabel_; }
  Ref<UIView> contentViewImpl() { return contentView_; }
  Ref<UIView> accessoryViewImpl() { return accessoryView_; }
  void setAccessoryViewImpl(UIView* v);
  Ref<NSString> reuseIdentifierImpl() { return reuseIdentifier_; }
  long styleImpl() { return style_; }

  long style_ = UITableViewCellStyleDefault;
  Ref<NSString> reuseIdentifier_;
  Ref<UIView> contentView_;
  Ref<UILabel> textLabel_;
  Ref<UILabel> detailTextLabel_;
  Ref<UIView> accessoryView_;
};
