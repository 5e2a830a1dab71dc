// corvallo: runs a simulated device with the Corvallo tweak and its settings,
// shows it in text and pictures, and drives it as a person would.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "Verb.h"
#include "foundation/DevicePaths.h"

namespace fs = std::filesystem;

namespace {

// CLI11 reports a word that names no command as a missing one; say which
// word, at whatever depth (`defaults bogus`).
std::optional<std::string> unknownCommand(CLI::App& app, int argc, char** argv) {
  CLI::App* level = &app;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--root" || word == "--device-root") {
      ++i;
      continue;
    }
    if (word.starts_with("-")) continue;
    auto subs = level->get_subcommands([](CLI::App*) { return true; });
    if (subs.empty()) return std::nullopt;  // a verb's own words
    CLI::App* next = nullptr;
    for (CLI::App* sub : subs)
      if (sub->get_name() == word) next = sub;
    if (!next)
      return "unknown command \"" + word + "\"" + (level == &app ? std::string() : " for " + level->get_name());
    level = next;
  }
  return std::nullopt;
}

// `corvallo up --root DIR` as well as `corvallo --root DIR up`: the root is
// the command's, wherever it stands, even among the words a verb reads as
// they are (defaults write … -bool NO --root DIR).
std::vector<char*> rootFirst(int argc, char** argv) {
  std::vector<char*> root, rest;
  for (int i = 1; i < argc; ++i) {
    std::string_view word = argv[i];
    if (word == "--") {
      rest.insert(rest.end(), argv + i, argv + argc);
      break;
    }
    bool named = word == "--root" || word == "--device-root";
    if (named && i + 1 < argc) {
      root.push_back(argv[i]);
      root.push_back(argv[++i]);
    } else if (word.starts_with("--root=") || word.starts_with("--device-root=")) {
      root.push_back(argv[i]);
    } else {
      rest.push_back(argv[i]);
    }
  }
  std::vector<char*> out{argv[0]};
  out.insert(out.end(), root.begin(), root.end());
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> words = rootFirst(argc, argv);
  argc = static_cast<int>(words.size());
  words.push_back(nullptr);
  argv = words.data();
  CLI::App app{"corvallo: a simulated device with the Corvallo tweak and its settings"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "corvallo " CORVALLO_VERSION);
  std::string rootOption;
  app.add_option("--root,--device-root", rootOption,
                 "device root folder (default: $CORVALLO_DEVICE_ROOT, else $XDG_DATA_HOME/corvallo/device)");
  std::vector<std::pair<CLI::App*, device::Run>> runs;
  device::declareVerbs(app, device::allVerbs(), runs);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "corvallo: " << unknownCommand(app, argc, argv).value_or(e.what()) << " (see corvallo --help)\n";
    return 2;
  }

  // Every layer, and every program started from here, finds the device root
  // through the environment.
  if (!rootOption.empty()) ::setenv("CORVALLO_DEVICE_ROOT", fs::absolute(rootOption).c_str(), 1);
  fs::path root = foundation::deviceRoot();
  ::setenv("CORVALLO_DEVICE_ROOT", root.c_str(), 1);
  device::Device dev(root, rootOption);
  auto build = device::BuildOutput::besideExecutable();

  try {
    for (const auto& [cmd, run] : runs)
      if (cmd->parsed()) return run(device::Invocation{dev, build, app});
  } catch (const std::exception& e) {
    std::cerr << "corvallo: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
