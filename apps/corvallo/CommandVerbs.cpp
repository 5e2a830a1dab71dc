// The verbs about the command itself: `help VERB` and shell completion, both
// read from the parser the verb table built.
#include <iostream>
#include <sstream>

#include "Verb.h"
#include "control/Names.h"

namespace device {

namespace {

struct Words {
  std::vector<std::string> words;
};

std::vector<const CLI::App*> verbsOf(const CLI::App& app) {
  std::vector<const CLI::App*> out;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App* s) { return !s->get_group().empty(); }))
    out.push_back(sub);
  return out;
}

std::string wordsOf(const CLI::App& app) {
  std::string out;
  for (const CLI::App* sub : verbsOf(app)) out += sub->get_name() + " ";
  for (const CLI::Option* o : app.get_options()) {
    for (const auto& l : o->get_lnames()) out += "--" + l + " ";
    for (const auto& s : o->get_snames()) out += "-" + s + " ";
  }
  if (!out.empty()) out.pop_back();
  return out;
}

void paths(const CLI::App& app, const std::string& path, std::vector<std::pair<std::string, const CLI::App*>>& out) {
  out.emplace_back(path, &app);
  for (const CLI::App* sub : verbsOf(app)) paths(*sub, path + "/" + sub->get_name(), out);
}

// The options whose value is a file or folder.
constexpr const char* kFileOptions = "--root|--device-root|--package|--png|--out|--file";

std::string bashCompletion(const CLI::App& app) {
  std::vector<std::pair<std::string, const CLI::App*>> all;
  paths(app, "", all);
  std::ostringstream out;
  out << "# corvallo completion for bash: source this file, or put it where bash-completion looks.\n"
      << "_corvallo() {\n"
      << "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\" path=\"\" i w\n"
      << "  case \"$prev\" in " << kFileOptions << ") COMPREPLY=($(compgen -f -- \"$cur\")); return;; esac\n"
      << "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      << "    w=\"${COMP_WORDS[i]}\"\n"
      << "    case \"$w\" in --root|--device-root) ((i++)); continue;; -*) continue;; esac\n"
      << "    case \"$path/$w\" in\n";
  for (std::size_t i = 1; i < all.size(); ++i) out << "      " << all[i].first << ") path=\"$path/$w\";;\n";
  out << "    esac\n"
      << "  done\n"
      << "  case \"$path\" in\n";
  for (const auto& [path, cmd] : all)
    out << "    \"" << path << "\") COMPREPLY=($(compgen -W \"" << wordsOf(*cmd) << "\" -- \"$cur\"));;\n";
  out << "  esac\n"
      << "}\n"
      << "complete -o default -F _corvallo corvallo\n";
  return out.str();
}

int help(const Invocation& in, const Words& o) {
  const CLI::App* cmd = &in.app;
  for (const auto& word : o.words) {
    const CLI::App* next = nullptr;
    std::vector<std::string> names;
    for (const CLI::App* sub : verbsOf(*cmd)) {
      names.push_back(sub->get_name());
      if (control::sameName(sub->get_name(), word)) next = sub;
    }
    if (!next) throw CommandError("no verb " + control::echoed(word) + "; " + control::namesHint(names, word));
    cmd = next;
  }
  std::cout << cmd->help();
  return 0;
}

}  // namespace

std::vector<Verb> commandVerbs() {
  return {
      verb<Words>(
          "help", "how to use the command, or the verb VERB",
          [](CLI::App& cmd, Words& o) { cmd.add_option("VERB", o.words, "a verb, and its sub-verb if it has one"); },
          help),
      verb<Words>(
          "completion", "a shell completion script for bash or zsh, to source",
          [](CLI::App& cmd, Words& o) {
            cmd.add_option("SHELL", o.words, "bash or zsh")->required()->check(CLI::IsMember({"bash", "zsh"}));
          },
          [](const Invocation& in, const Words& o) {
            // zsh reads the bash script through its bash completion layer.
            if (o.words.front() == "zsh")
              std::cout << "#compdef corvallo\nautoload -U +X bashcompinit && bashcompinit\n";
            std::cout << bashCompletion(in.app);
            return 0;
          }),
  };
}

}  // namespace device
