// A row's place in a table: section and row.
#pragma once

#include "objc/define.h"

class NSIndexPath : public NSObject {
  OBJC_CLASS(NSIndexPath, NSObject)
 public:
  static Ref<NSIndexPath> indexPathForRowInSection(long row, long section) {
    return ref_cast<NSIndexPath>(objc::send<Ref<NSObject>(long, long), "indexPathForRow:inSection:">(cls(), row, section));
  }
  long row() { return objc::send<long(), "row">(this); }
  long section() { return objc::send<long(), "section">(this); }

  // Direct reads for loops that must not pay a message each.
  long rowValue() const noexcept { return row_; }
  long sectionValue() const noexcept { return section_; }

 private:
  static Ref<NSIndexPath> indexPathForRowInSectionImpl(NSObject* cls, SEL, long row, long section);
  long rowImpl() { return row_; }
  long sectionImpl() { return section_; }
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl() { return static_cast<unsigned long>(section_) * 1000003u + static_cast<unsigned long>(row_); }
  long row_;
  long section_;
};
