// The command's verbs. Each family's file declares its own (name, help, a
// struct of typed options, a handler); the table in Verbs.cpp collects the
// families, and main.cpp only builds the parser from it and dispatches.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Device.h"
#include "Install.h"

namespace device {

// What every verb runs against, known once the command line is parsed.
struct Invocation {
  const Device& device;
  const BuildOutput& build;
  const CLI::App& app;  // the whole command, as the table built it
};

using Run = std::function<int(const Invocation&)>;

struct Verb {
  std::string name, help;
  // Adds the verb's options to its subcommand and answers what runs it.
  std::function<Run(CLI::App&)> declare;
  // Sub-verbs (`notify post`); a verb has these or `declare`, not both.
  std::vector<Verb> verbs;
  bool hidden = false;  // run by the command itself, not by people
};

// A verb whose options are the fields of `Options`: `declare(cmd, options)`
// binds them to the subcommand, `handler(invocation, options)` runs it.
template <class Options, class Declare, class Handler>
Verb verb(std::string name, std::string help, Declare declare, Handler handler) {
  return Verb{std::move(name), std::move(help), [declare, handler](CLI::App& cmd) -> Run {
                auto options = std::make_shared<Options>();
                declare(cmd, *options);
                return [options, handler](const Invocation& in) { return handler(in, *options); };
              }};
}

// A verb without options.
template <class Handler>
Verb plainVerb(std::string name, std::string help, Handler handler) {
  struct None {};
  return verb<None>(std::move(name), std::move(help), [](CLI::App&, None&) {},
                    [handler](const Invocation& in, const None&) { return handler(in); });
}

// The families, each in its own file.
std::vector<Verb> lifecycleVerbs();
std::vector<Verb> packageVerbs();
std::vector<Verb> listingVerbs();
std::vector<Verb> screenVerbs();
std::vector<Verb> actionVerbs();
std::vector<Verb> rowVerbs();
std::vector<Verb> defaultsVerbs();
std::vector<Verb> observeVerbs();
std::vector<Verb> demoVerbs();
std::vector<Verb> serveVerbs();
std::vector<Verb> askVerbs();
std::vector<Verb> commandVerbs();

// Every verb, in the order `--help` lists them.
const std::vector<Verb>& allVerbs();

// Adds each verb as a subcommand of `app` and notes what runs each leaf.
void declareVerbs(CLI::App& app, const std::vector<Verb>& verbs, std::vector<std::pair<CLI::App*, Run>>& runs);

}  // namespace device
