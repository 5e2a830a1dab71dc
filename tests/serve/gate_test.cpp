#include "serve/Gate.h"

#include <gtest/gtest.h>

#include <set>

using serve::Gate;
using serve::RequestFacts;

namespace {

const std::string kToken = "0123456789abcdef0123456789abcdef";
Gate gate() { return Gate(kToken, {"127.0.0.1:8765", "localhost:8765"}); }
RequestFacts get(std::string cookie = "corvallo_token=" + kToken) {
  return {"GET", "127.0.0.1:8765", "", std::move(cookie), ""};
}

}  // namespace

TEST(Gate, LetsInTheTokenFromTheAddressOrTheCookie) {
  EXPECT_FALSE(gate().refusal(get()));
  EXPECT_FALSE(gate().refusal({"GET", "localhost:8765", "", "", kToken}));
  EXPECT_FALSE(gate().refusal(get("theme=dark; corvallo_token=" + kToken + "; other=1")));
}

TEST(Gate, RefusesAMissingWrongOrPartialToken) {
  EXPECT_TRUE(gate().refusal(get("")));
  EXPECT_TRUE(gate().refusal(get("corvallo_token=")));
  EXPECT_TRUE(gate().refusal(get("corvallo_token=" + kToken.substr(0, 31))));
  EXPECT_TRUE(gate().refusal(get("corvallo_token=" + kToken + "0")));
  EXPECT_TRUE(gate().refusal(get("xcorvallo_token=" + kToken)));
  EXPECT_TRUE(gate().refusal({"GET", "127.0.0.1:8765", "", "", "ffffffffffffffffffffffffffffffff"}));
}

TEST(Gate, RefusesAHostHeaderThatIsNotTheAddressServed) {
  // A rebinding name resolves here but sends its own Host.
  for (std::string host : {"attacker.example:8765", "127.0.0.1:8766", "127.0.0.1", "", "LOCALHOST:8765"}) {
    RequestFacts r = get();
    r.host = host;
    EXPECT_EQ(gate().refusal(r).value_or(""), "unknown host") << host;
  }
}

TEST(Gate, ChangesMustComeFromThePagesOwnOrigin) {
  RequestFacts r = get();
  r.method = "POST";
  EXPECT_TRUE(gate().refusal(r)) << "no Origin";
  r.origin = "http://attacker.example";
  EXPECT_TRUE(gate().refusal(r));
  r.origin = "http://localhost:8765";  // another name of this server is another origin
  EXPECT_TRUE(gate().refusal(r));
  r.origin = "http://127.0.0.1:8765";
  EXPECT_FALSE(gate().refusal(r));
}

TEST(Gate, TokensAreLongRandomAndHex) {
  std::set<std::string> seen;
  for (int i = 0; i < 50; ++i) {
    std::string t = serve::makeToken();
    EXPECT_EQ(t.size(), 32u);
    EXPECT_EQ(t.find_first_not_of("0123456789abcdef"), std::string::npos);
    seen.insert(t);
  }
  EXPECT_EQ(seen.size(), 50u);
}

TEST(Gate, TheCookieIsForThisSiteAloneAndNotForScripts) {
  std::string c = gate().cookie();
  EXPECT_NE(c.find("corvallo_token=" + kToken), std::string::npos);
  EXPECT_NE(c.find("HttpOnly"), std::string::npos);
  EXPECT_NE(c.find("SameSite=Strict"), std::string::npos);
}

TEST(RateLimit, AllowsABurstThenRefillsAtItsRate) {
  serve::RateLimit limit(10, 5);
  auto t = std::chrono::steady_clock::now();
  int taken = 0;
  for (int i = 0; i < 100; ++i) taken += limit.take(t);
  EXPECT_EQ(taken, 5);
  EXPECT_FALSE(limit.take(t + std::chrono::milliseconds(50)));
  EXPECT_TRUE(limit.take(t + std::chrono::milliseconds(110)));
  taken = 0;
  for (int i = 0; i < 100; ++i) taken += limit.take(t + std::chrono::seconds(60));
  EXPECT_EQ(taken, 5) << "a long pause refills to the burst, no more";
}
