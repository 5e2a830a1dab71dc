#include "uikit/UITableViewCell.h"

OBJC_IMPLEMENT_LEGACY(_UITableViewCellSeparatorView)
void _UITableViewCellSeparatorView::registerMethods(objc::ClassBuilder<_UITableViewCellSeparatorView>&) {}

Ref<UIView> UITableViewCell::initWithFrameImpl(CGRect f) {
  auto self = objc::sendSuper<Ref<UIView>(CGRect), "initWithFrame:">(UITableViewCell::cls(), this, f);
  contentView_ = UIView::alloc()->initWithFrame(CGRect{{0, 0}, f.size});
  addSubview(contentView_);
  textLabel_ = ref_cast<UILabel>(UILabel::alloc()->initWithFrame(CGRectMake(16, 0, f.size.width / 2, f.size.height)));
  detailTextLabel_ =
      ref_cast<UILabel>(UILabel::alloc()->initWithFrame(CGRectMake(f.size.width / 2, 0, f.size.width / 2 - 16, f.size.height)));
  contentView_->addSubview(textLabel_);
  contentView_->addSubview(detailTextLabel_);
  auto separator = Ref<UIView>(_UITableViewCellSeparatorView::alloc())
                       ->initWithFrame(CGRectMake(16, f.size.height - 0.5, f.size.width - 16, 0.5));
  addSubview(separator);
  return self;
}

Ref<UITableViewCell> UITableViewCell::initWithStyleReuseIdentifierImpl(long style, NSString* reuseIdentifier) {
  auto self = ref_cast<UITableViewCell>(initWithFrame(CGRectMake(0, 0, 375, 44)));
  if (!self) return nullptr;
  self->style_ = style;
  self->reuseIdentifier_ = reuseIdentifier;
  return self;
}

void UITableViewCell::setAccessoryViewImpl(UIView* v) {
  if (accessoryView_) accessoryView_->removeFromSuperview();
  accessoryView_ = v;
  if (v) addSubview(v);
}

OBJC_IMPLEMENT_LEGACY(UITableViewCell)
void UITableViewCell::registerMethods(objc::ClassBuilder<UITableViewCell>& b) {
  b.method<"initWithFrame:", &UITableViewCell::initWithFrameImpl>()
      .method<"initWithStyle:reuseIdentifier:", &UITableViewCell::initWithStyleReuseIdentifierImpl>()
      .method<"textLabel", &UITableViewCell::textLabelImpl>()
      .method<"detailTextLabel", &UITableViewCell::detailTextLabelImpl>()
      .method<"contentView", &UITableViewCell::contentViewImpl>()
      .method<"accessoryView", &UITableViewCell::accessoryViewImpl>()
      .method<"setAccessoryView:", &UITableViewCell::setAccessoryViewImpl>()
      .method<"accessoryType", &UITableViewCell::accessoryTypeImpl>()
      .method<"setAccessoryType:", &UITableViewCell::setAccessoryTypeImpl>()
      .method<"reuseIdentifier", &UITableViewCell::reuseIdentifierImpl>()
      .method<"style", &UITableViewCell::styleImpl>();
}
