// Images: a named system symbol, or a PNG read from a file, optionally
// recoloured. The model keeps what an image is (its symbol name or file and
// its size), not its pixels; pictures of the device draw from that.
#pragma once

#include <string>

#include "foundation/NSString.h"
#include "uikit/UIColor.h"
#include "uikit/UIView.h"

// The size a system symbol has at the default configuration.
inline constexpr CGSize kUISymbolImageSize{20, 20};

class UIImage : public NSObject {
  OBJC_CLASS(UIImage, NSObject)
  // Any name is a symbol here; the name is kept for whoever draws it.
  OBJC_CLASS_METHOD(systemImageNamed, "systemImageNamed:", Ref<UIImage>(NSString*))
  // The PNG at the device path, its size in points its pixel size. Nothing
  // when the file is missing or is not a readable PNG.
  OBJC_CLASS_METHOD(imageWithContentsOfFile, "imageWithContentsOfFile:", Ref<UIImage>(NSString*))
  // A copy drawn in the colour.
  OBJC_METHOD(imageWithTintColor, "imageWithTintColor:", Ref<UIImage>(UIColor*))
  OBJC_METHOD(size, "size", CGSize())
  OBJC_METHOD(tintColor, "tintColor", Ref<UIColor>())

 public:
  // What the image shows (not messages): a symbol name or a device path, one of them empty.
  const std::string& symbolName() const { return symbol_; }
  const std::string& filePath() const { return file_; }

 private:
  static Ref<UIImage> systemImageNamedImpl(Class self, NSString* name);
  static Ref<UIImage> imageWithContentsOfFileImpl(Class self, NSString* path);
  Ref<UIImage> imageWithTintColorImpl(UIColor* color);
  CGSize sizeImpl() { return size_; }
  Ref<UIColor> tintColorImpl() { return tint_; }

  std::string symbol_, file_;
  CGSize size_;
  Ref<UIColor> tint_;
};

class UIImageView : public UIView {
  OBJC_CLASS(UIImageView, UIView)
  // Its frame is the image's size at the origin.
  OBJC_INIT(initWithImage, "initWithImage:", Ref<UIImageView>(UIImage*))
  OBJC_PROPERTY(image, setImage, Ref<UIImage>)
  OBJC_OVERRIDE(sizeThatFits)
  OBJC_OVERRIDE(intrinsicContentSize)

 private:
  Ref<UIImageView> initWithImageImpl(UIImage* image);
  CGSize sizeThatFitsImpl(CGSize) { return image_ ? image_->size() : CGSize{0, 0}; }
  CGSize intrinsicContentSizeImpl();
};
