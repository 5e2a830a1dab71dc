// `corvallo demo`: the road of one change, from the switch in Settings to the
// home screen, step by step, with a picture of both screens at each step.
#pragma once

#include <string>

#include "Device.h"
#include "Install.h"

namespace device {

struct DemoOptions {
  bool keep = false;   // leave the device running
  std::string folder;  // where the pictures go; a new folder when empty
  bool rootRemoved = false;  // the root is the demo's own and goes when it ends
};

// 0 when every step reached the screen it expected.
int runDemo(const Device& device, const BuildOutput& build, const DemoOptions& options);

}  // namespace device
