#include <gtest/gtest.h>

#include "control/ControlServer.h"

namespace {

using control::json;

json echo(const json& req) {
  std::string op = control::requestOp(req);
  if (op == "fail") throw control::RequestError("asked to fail");
  if (op == "crash") throw std::out_of_range("index 9");
  if (op == "scalar") return 3;
  return json{{"echo", req}};
}

json answer(const std::string& line) {
  std::string text = control::answerLine(line, echo);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\n'), text.size() - 1) << "an answer is exactly one line";
  return json::parse(text);
}

TEST(ControlProtocol, EveryLineGetsExactlyOneAnswer) {
  EXPECT_EQ(answer(R"({"op":"hi"})")["ok"], true);
  EXPECT_EQ(answer(R"({"op":"hi"})")["echo"]["op"], "hi");
  EXPECT_EQ(answer(R"({"op":"scalar"})")["result"], 3);

  for (const char* bad : {"", "{", "nul", "[]", "42", R"({"noop":1})", R"({"op":5})"}) {
    json a = answer(bad);
    EXPECT_EQ(a["ok"], false) << bad;
    EXPECT_TRUE(a["error"].is_string()) << bad;
  }
  EXPECT_EQ(answer(R"({"op":"fail"})")["error"], "asked to fail");
  EXPECT_EQ(answer(R"({"op":"crash"})")["error"], "index 9");
}

TEST(ControlProtocol, TextThatIsNotUtf8CannotBreakTheAnswer) {
  auto handler = [](const json&) { return json{{"name", std::string("bad\xff\xfe")}}; };
  json a = json::parse(control::answerLine(R"({"op":"x"})", handler));
  EXPECT_EQ(a["ok"], true);
  EXPECT_TRUE(a["name"].is_string());
}

}  // namespace
