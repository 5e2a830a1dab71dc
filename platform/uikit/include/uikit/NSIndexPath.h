// A row's place in a table: section and row.
#pragma once

#include "objc/define.h"

class NSIndexPath : public NSObject {
  OBJC_CLASS(NSIndexPath, NSObject)
  OBJC_CLASS_METHOD(indexPathForRowInSection, "indexPathForRow:inSection:", Ref<NSIndexPath>(long, long))
  OBJC_METHOD(row, "row", long())
  OBJC_METHOD(section, "section", long())
  OBJC_OVERRIDE(isEqual)
  OBJC_OVERRIDE(hash)

 public:
  // Direct reads for loops that must not pay a message each.
  long rowValue() const noexcept { return row_; }
  long sectionValue() const noexcept { return section_; }

 private:
  static Ref<NSIndexPath> indexPathForRowInSectionImpl(Class self, long row, long section);
  long rowImpl() { return row_; }
  long sectionImpl() { return section_; }
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl() {
    return static_cast<unsigned long>(section_) * 1000003u + static_cast<unsigned long>(row_);
  }
  long row_ = 0;
  long section_ = 0;
};
