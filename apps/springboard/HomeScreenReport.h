// The home screen as the control protocol reports it.
#pragma once

#include <nlohmann/json.hpp>

#include "springboard/HomeScreen.h"
#include "substrate/loader.h"

namespace springboard {

nlohmann::json reportPageControl(const Ref<UIPageControl>& control);
nlohmann::json reportHomeScreen(const HomeScreen& home, const substrate::InjectionReport& injected);

}  // namespace springboard
