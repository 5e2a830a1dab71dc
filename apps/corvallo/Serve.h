// `corvallo serve`: the device live in a browser, touched with the mouse.
#pragma once

#include <string>

#include "Device.h"
#include "Install.h"

namespace device {

struct ServeOptions {
  int port = 8765;  // 0: any free port
  std::string bind = "127.0.0.1";
  bool open = false;  // start the desktop's browser
  bool keep = false;  // leave a device this command started running
};

// Starts the device when none runs (as `up`), serves the page until SIGINT
// or SIGTERM, and leaves the device as it found it.
int serveCommand(const Device& device, const BuildOutput& build, const ServeOptions& options);

}  // namespace device
