#include "Verb.h"

namespace device {

const std::vector<Verb>& allVerbs() {
  static const std::vector<Verb> all = [] {
    std::vector<Verb> verbs;
    for (auto family : {lifecycleVerbs, listingVerbs, packageVerbs, screenVerbs, actionVerbs, rowVerbs, defaultsVerbs,
                        observeVerbs, demoVerbs, serveVerbs, askVerbs, commandVerbs})
      for (auto& v : family()) verbs.push_back(std::move(v));
    return verbs;
  }();
  return all;
}

void declareVerbs(CLI::App& app, const std::vector<Verb>& verbs, std::vector<std::pair<CLI::App*, Run>>& runs) {
  for (const auto& v : verbs) {
    CLI::App* cmd = app.add_subcommand(v.name, v.help);
    if (v.hidden) cmd->group("");
    if (!v.verbs.empty()) {
      cmd->require_subcommand(1);
      declareVerbs(*cmd, v.verbs, runs);
    } else {
      runs.emplace_back(cmd, v.declare(*cmd));
    }
  }
}

}  // namespace device
