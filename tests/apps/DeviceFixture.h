// A simulated device on a temporary root, with the deliverables installed and
// SpringBoard supervised, for tests that cross process boundaries.
#pragma once

#include "Poll.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "Install.h"
#include "Supervisor.h"
#include "control/ControlClient.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"

class DeviceTest : public ::testing::Test {
 protected:
  static constexpr const char* kDomain = "com.tenvarix.corvalloprefs";

  void SetUp() override {
    char tmpl[] = "/tmp/cvdev.XXXXXX";  // short: local socket paths are limited
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    ::setenv("CORVALLO_DEVICE_ROOT", root_.c_str(), 1);
    std::filesystem::path build = CORVALLO_BUILD_DIR;
    build_ = {build / "bin", build / "image/deliverables", build / "image/platform"};
  }

  void TearDown() override {
    supervisor_.reset();
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  void install() { device::install(build_, root_); }

  void startSpringBoard(std::vector<std::string> args = {"--legibility-delay-ms", "30", "--widget-hide-delay-ms",
                                                         "150"}) {
    supervisor_ = std::make_unique<device::Supervisor>(
        root_,
        std::vector<device::HostLaunch>{
            {"SpringBoard", build_.bin / "springboard", std::move(args), "/var/run/corvallo/springboard.sock"}},
        policy_);
    supervisor_->start();
    ASSERT_TRUE(supervisor_->waitUntilAnswering("SpringBoard", std::chrono::seconds(10)))
        << "SpringBoard did not start; log: " << supervisor_->logPathOf("SpringBoard");
  }

  nlohmann::json ask(const nlohmann::json& request) {
    control::Client client(supervisor_->socketPathOf("SpringBoard"));
    return client.request(request);
  }
  nlohmann::json state() { return ask({{"op", "state"}}); }
  nlohmann::json home() { return state()["pageControl"]; }

  // Polls SpringBoard's state until `done` holds; the state last seen is kept
  // for the failure message.
  bool eventually(const std::function<bool(const nlohmann::json&)>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    return device_test::pollUntil([&] { return state(); }, done, last_, timeout);
  }

  void setSetting(const std::string& key, const Ref<NSObject>& value) {
    Ref<NSString> name = NSString::make(kDomain);
    NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
        name, [&](NSMutableDictionary* d) { d->setObjectForKey(value, key); });
  }
  Ref<NSDictionary> domain() {
    Ref<NSString> name = NSString::make(kDomain);
    return NSUserDefaults::standardUserDefaults()->persistentDomainForName(name);
  }
  void post(const char* name) { ASSERT_EQ(notify_post(name), NOTIFY_STATUS_OK); }

  std::filesystem::path root_;
  device::BuildOutput build_;
  device::SupervisorPolicy policy_;
  std::unique_ptr<device::Supervisor> supervisor_;
  nlohmann::json last_;
};
