#include "support.h"

#include <gtest/gtest.h>

namespace {

// Every test process observes under a device root of its own.
class ProcessRoot : public testing::Environment {
 public:
  void SetUp() override {
    root_ = std::make_unique<notify_test::TempRoot>();
    ::setenv("CORVALLO_DEVICE_ROOT", root_->path().c_str(), 1);
  }
  void TearDown() override { root_.reset(); }

 private:
  std::unique_ptr<notify_test::TempRoot> root_;
};

[[maybe_unused]] testing::Environment* const processRoot = testing::AddGlobalTestEnvironment(new ProcessRoot);

}  // namespace
