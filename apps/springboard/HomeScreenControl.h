// The requests SpringBoard answers on its control socket.
#pragma once

#include "control/ControlServer.h"
#include "springboard/HomeScreen.h"
#include "substrate/loader.h"

namespace springboard {

// Answers requests about `home`; both must outlive the handler.
control::Handler homeScreenHandler(HomeScreen& home, const substrate::InjectionReport& injected);

}  // namespace springboard
