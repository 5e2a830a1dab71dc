// `corvallo ask`: one raw control request, for what no verb does yet.
#include <iostream>

#include "Verb.h"
#include "control/ControlClient.h"

namespace device {

namespace {

struct AskOptions {
  std::string host = "springboard", op;
  std::vector<std::string> pairs;
  bool raw = false;
};

// "key=value" pairs become a request; values that read as JSON stay JSON.
json requestFrom(const std::string& op, const std::vector<std::string>& pairs) {
  json req{{"op", op}};
  for (const auto& p : pairs) {
    auto eq = p.find('=');
    if (eq == std::string::npos) throw CommandError("expected key=value, got \"" + p + "\"");
    std::string key = p.substr(0, eq), value = p.substr(eq + 1);
    json parsed = json::parse(value, nullptr, false);
    req[key] = parsed.is_discarded() ? json(value) : parsed;
  }
  return req;
}

int ask(const Invocation& in, const AskOptions& o) {
  const char* socket = o.host == "settings" ? kSettingsSocket : kSpringBoardSocket;
  std::string path = in.device.hostPath(socket);
  if (!control::isListening(path)) in.device.requireRunning();
  control::Client client(path, std::chrono::seconds(2));
  json answer = client.request(requestFrom(o.op, o.pairs), std::chrono::seconds(5));
  std::cout << answer.dump(o.raw ? -1 : 2) << "\n";
  return answer.value("ok", false) ? 0 : 2;
}

}  // namespace

std::vector<Verb> askVerbs() {
  return {verb<AskOptions>(
      "ask", "send one raw control request to a host and print the answer",
      [](CLI::App& cmd, AskOptions& o) {
        cmd.add_option("host", o.host, "springboard or settings")->check(CLI::IsMember({"springboard", "settings"}));
        cmd.add_option("op", o.op, "the request's op, e.g. state, touch, page, toggle")->required();
        cmd.add_option("args", o.pairs, "key=value arguments");
        cmd.add_flag("--raw", o.raw, "print the JSON answer on one line");
      },
      ask)};
}

}  // namespace device
