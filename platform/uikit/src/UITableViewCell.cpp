#include "uikit/UITableViewCell.h"

OBJC_IMPLEMENT(_UITableViewCellSeparatorView)

Ref<UIView> UITableViewCell::initWithFrameImpl(CGRect f) {
  auto self = sendSuper<initWithFrameMessage>(f);
  const CGFloat half = f.size.width / 2;
  contentView_ = UIView::make(CGRect{{0, 0}, f.size});
  addSubview(contentView_);
  textLabel_ = UILabel::make(CGRectMake(kUICellContentInset, 0, half, f.size.height));
  detailTextLabel_ = UILabel::make(CGRectMake(half, 0, half - kUICellContentInset, f.size.height));
  contentView_->addSubview(textLabel_);
  contentView_->addSubview(detailTextLabel_);
  addSubview(_UITableViewCellSeparatorView::make(CGRectMake(kUICellContentInset, f.size.height - kUIHairlineWidth,
                                                            f.size.width - kUICellContentInset, kUIHairlineWidth)));
  return self;
}

Ref<UITableViewCell> UITableViewCell::initWithStyleReuseIdentifierImpl(long style, NSString* reuseIdentifier) {
  Ref<UIView> self = initWithFrame(CGRectMake(0, 0, kUIScreenWidth, kUITableRowHeight));
  if (!self) return nullptr;
  auto cell = ref_cast<UITableViewCell>(std::move(self));
  cell->style_ = style;
  cell->reuseIdentifier_ = reuseIdentifier;
  return cell;
}

void UITableViewCell::setAccessoryViewImpl(UIView* v) {
  if (accessoryView_) accessoryView_->removeFromSuperview();
  accessoryView_ = v;
  if (v) addSubview(v);
}

OBJC_IMPLEMENT(UITableViewCell)
