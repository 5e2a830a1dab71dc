#include "uikit/UIImage.h"

#include <cairo.h>

#include "foundation/DevicePaths.h"

Ref<UIImage> UIImage::systemImageNamedImpl(Class, NSString* name) {
  if (!name || name->utf8().empty()) return nullptr;
  auto image = UIImage::make();
  image->symbol_ = name->utf8();
  image->size_ = kUISymbolImageSize;
  return image;
}

// Cairo reads the whole file, so a truncated or foreign file is refused here
// rather than when it is drawn.
Ref<UIImage> UIImage::imageWithContentsOfFileImpl(Class, NSString* path) {
  if (!path || path->utf8().empty()) return nullptr;
  std::string host = foundation::devicePath(path->utf8());
  cairo_surface_t* surface = cairo_image_surface_create_from_png(host.c_str());
  bool readable = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
  CGSize size{static_cast<double>(cairo_image_surface_get_width(surface)),
              static_cast<double>(cairo_image_surface_get_height(surface))};
  cairo_surface_destroy(surface);
  if (!readable) return nullptr;
  auto image = UIImage::make();
  image->file_ = path->utf8();
  image->size_ = size;
  return image;
}

Ref<UIImage> UIImage::imageWithTintColorImpl(UIColor* color) {
  auto copy = UIImage::make();
  copy->symbol_ = symbol_;
  copy->file_ = file_;
  copy->size_ = size_;
  copy->tint_ = color;
  return copy;
}

OBJC_IMPLEMENT(UIImage)

Ref<UIImageView> UIImageView::initWithImageImpl(UIImage* image) {
  CGSize size = image ? image->size() : CGSize{0, 0};
  Ref<UIView> self = initWithFrame(CGRect{{0, 0}, size});
  if (!self) return nullptr;
  auto view = ref_cast<UIImageView>(std::move(self));
  view->image_ = image;
  return view;
}

CGSize UIImageView::intrinsicContentSizeImpl() {
  if (!image_) return CGSize{UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
  return image_->size();
}

OBJC_IMPLEMENT(UIImageView)
