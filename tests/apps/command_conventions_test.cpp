// The command's conventions, through the real command: version, help and
// completion from its verb table, pictures to standard output, the log's
// filters, and what it prints when there is no device.
#include <algorithm>
#include <cstdio>

#include "CommandFixture.h"

namespace {

using nlohmann::json;

using ConventionsTest = CommandTest;

TEST_F(ConventionsTest, VersionHelpAndCompletionComeFromTheVerbTable) {
  Outcome version = corvallo({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out.rfind("corvallo ", 0), 0u) << version.out;

  Outcome help = corvallo({"help", "set"});
  EXPECT_EQ(help.code, 0) << help.err;
  EXPECT_NE(help.out.find("KEY"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("VALUE"), std::string::npos) << help.out;
  Outcome nested = corvallo({"help", "notify", "watch"});
  EXPECT_NE(nested.out.find("--count"), std::string::npos) << nested.out;
  Outcome typo = corvallo({"help", "sett"});
  EXPECT_NE(typo.code, 0);
  EXPECT_NE(typo.err.find("did you mean \"set"), std::string::npos) << typo.err;

  // Completion offers each level's verbs and options, as the shell would ask.
  for (const char* shell : {"bash", "zsh"}) {
    Outcome script = corvallo({"completion", shell});
    ASSERT_EQ(script.code, 0) << script.err;
    EXPECT_NE(script.out.find("_corvallo"), std::string::npos);
  }
  std::filesystem::path script = root_ / "completion.bash";
  {
    std::ofstream(script) << corvallo({"completion", "bash"}).out;
  }
  auto complete = [&](const std::string& words, int current) {
    std::string command = "bash -c 'source " + script.string() + "; COMP_WORDS=(" + words +
                          "); COMP_CWORD=" + std::to_string(current) + "; _corvallo; echo \"${COMPREPLY[*]}\"'";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
      char buf[4096];
      while (std::fgets(buf, sizeof buf, p)) out += buf;
      ::pclose(p);
    }
    return out;
  };
  std::string top = complete("corvallo ''", 1);
  for (const char* verb : {"up", "set", "defaults", "notify", "log", "help", "completion"})
    EXPECT_NE((" " + top).find(std::string(" ") + verb + " "), std::string::npos) << verb << ": " << top;
  EXPECT_EQ(top.find("supervise"), std::string::npos) << top;
  EXPECT_EQ(complete("corvallo --root /tmp/x notify ''", 4).rfind("post watch ", 0), 0u);
  EXPECT_NE(complete("corvallo log --l", 2).find("--level"), std::string::npos);
}

TEST_F(ConventionsTest, WithoutADeviceNothingIsPrintedOnStandardOutput) {
  Outcome respring = corvallo({"respring"});
  EXPECT_NE(respring.code, 0);
  EXPECT_EQ(respring.out, "");
  EXPECT_NE(respring.err.find(" up`"), std::string::npos) << respring.err;

  // A picture's name is checked before anything else.
  Outcome named = corvallo({"home", "--png", (root_ / "home.txt").string()});
  EXPECT_NE(named.code, 0);
  EXPECT_NE(named.err.find(".png"), std::string::npos) << named.err;
  EXPECT_FALSE(std::filesystem::exists(root_ / "home.txt"));
}

TEST_F(ConventionsTest, PicturesGoToStandardOutputAndTheLogFilters) {
  up();
  Outcome png = corvallo({"home", "--png", "-"});
  ASSERT_EQ(png.code, 0) << png.err;
  EXPECT_EQ(png.out.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

  Outcome last = corvallo({"log", "--last", "2", "--style", "json", "--process", "springboard"});
  ASSERT_EQ(last.code, 0) << last.err;
  std::istringstream lines(last.out);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    json entry = json::parse(line);
    EXPECT_EQ(entry["process"], "SpringBoard") << line;
    EXPECT_TRUE(entry["message"].is_string()) << line;
  }
  EXPECT_EQ(count, 2) << last.out;
  Outcome normal = corvallo({"log", "--level", "default"});
  EXPECT_EQ(normal.out.find("<Info>"), std::string::npos);
  EXPECT_EQ(normal.out.find("<Debug>"), std::string::npos);
}

TEST_F(ConventionsTest, TheDemoNeverResetsADeviceSomeoneIsUsing) {
  up();
  ASSERT_EQ(corvallo({"toggle", "isHidePageDotsEnabled"}).code, 0);
  std::string before = corvallo({"defaults", "read", "com.tenvarix.corvalloprefs"}).out;
  Outcome demo = corvallo({"demo", "--out", (root_ / "pictures").string()});
  EXPECT_NE(demo.code, 0);
  EXPECT_NE(demo.err.find("leave out --root"), std::string::npos) << demo.err;
  EXPECT_EQ(corvallo({"defaults", "read", "com.tenvarix.corvalloprefs"}).out, before);
  EXPECT_EQ(corvallo({"status"}).code, 0);
}

}  // namespace

namespace {

// People put the root after the verb as often as before it.
TEST_F(ConventionsTest, TheRootMayFollowTheVerb) {
  Outcome after = run({program(), "status", "--root", root_.string()});
  EXPECT_NE(after.code, 0);
  EXPECT_EQ(after.err.find("not expected"), std::string::npos) << after.err;
  EXPECT_NE(after.err.find(root_.string()), std::string::npos) << "the hint names the root given: " << after.err;
  Outcome nested = run({program(), "notify", "post", "com.example/Ping", "--root", root_.string()});
  EXPECT_EQ(nested.code, 0) << nested.err;
  // Even among words a verb takes as they are.
  Outcome written =
      run({program(), "defaults", "write", "com.example.prefs", "k", "-bool", "YES", "--root=" + root_.string()});
  ASSERT_EQ(written.code, 0) << written.err;
  EXPECT_TRUE(std::filesystem::exists(root_ / "var/mobile/Library/Preferences/com.example.prefs.plist"));
}

}  // namespace
