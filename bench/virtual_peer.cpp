#include "virtual_peer.h"

namespace {
struct SteadyMeter final : VirtualMeter {
  long level() const override { return level_; }
  long level_ = 0;
};
struct ShiftedMeter final : VirtualMeter {
  long level() const override { return level_ + 1; }
  long level_ = 0;
};
}  // namespace

VirtualMeter* makeVirtualMeter(int which) {
  if (which == 0) return new SteadyMeter;
  return new ShiftedMeter;
}

namespace {
struct ChainedMeter final : VirtualMeter {
  explicit ChainedMeter(VirtualMeter* inner) : inner_(inner) {}
  ~ChainedMeter() override { delete inner_; }
  long level() const override { return inner_->level() + 1; }
  VirtualMeter* inner_;
};
}  // namespace

VirtualMeter* makeChainedMeter(int which) { return new ChainedMeter(makeVirtualMeter(which)); }
