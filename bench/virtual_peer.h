#pragma once

// The C++ peer of a message send: a virtual call on an object made in another
// translation unit, whose class is chosen at run time from two overriders, so
// the compiler can neither devirtualise nor inline it.
struct VirtualMeter {
  virtual ~VirtualMeter() = default;
  virtual long level() const = 0;
};

VirtualMeter* makeVirtualMeter(int which);

// A virtual call whose override makes a second virtual call: the shape of a
// hook that calls the implementation it replaced.
VirtualMeter* makeChainedMeter(int which);
