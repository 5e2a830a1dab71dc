// `corvallo defaults` as people who know macOS's command use it: every domain,
// types, collections, and a domain carried out and back in as a property list.
#include "CommandFixture.h"

namespace {

class DefaultsTest : public CommandTest {
 protected:
  Outcome defaults(std::vector<std::string> args) {
    args.insert(args.begin(), "defaults");
    return corvallo(args);
  }
  void ok(const std::vector<std::string>& args) {
    Outcome o = defaults(args);
    ASSERT_EQ(o.code, 0) << args[0] << ": " << o.err;
  }
  static void refused(const Outcome& o, const std::string& why) {
    EXPECT_NE(o.code, 0) << o.out;
    EXPECT_NE(o.err.find(why), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
};

TEST_F(DefaultsTest, DomainsAndReadWithoutADomainShowEveryDomain) {
  EXPECT_EQ(defaults({"domains"}).out, "\n");
  ok({"write", "com.example.b", "n", "-int", "2"});
  ok({"write", "com.example.a", "s", "text"});
  EXPECT_EQ(defaults({"domains"}).out, "com.example.a, com.example.b\n");
  Outcome all = defaults({"read"});
  ASSERT_EQ(all.code, 0) << all.err;
  auto a = all.out.find("com.example.a = {"), b = all.out.find("com.example.b = {");
  ASSERT_NE(a, std::string::npos) << all.out;
  ASSERT_NE(b, std::string::npos) << all.out;
  EXPECT_LT(a, b);
  EXPECT_NE(all.out.find("n = 2;"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("s = text;"), std::string::npos) << all.out;
}

TEST_F(DefaultsTest, ReadTypeNamesEachKindOfValue) {
  struct Case {
    std::vector<std::string> value;
    const char* type;
  };
  for (const auto& c : {Case{{"-bool", "YES"}, "boolean"}, Case{{"-int", "3"}, "integer"},
                        Case{{"-float", "0.5"}, "float"}, Case{{"plain"}, "string"},
                        Case{{"-date", "2024-01-02 03:04:05 +0000"}, "date"}, Case{{"-array", "x"}, "array"},
                        Case{{"-dict", "k", "v"}, "dictionary"}}) {
    std::vector<std::string> args{"write", "com.example.types", "key"};
    args.insert(args.end(), c.value.begin(), c.value.end());
    ok(args);
    EXPECT_EQ(defaults({"read-type", "com.example.types", "key"}).out, std::string("Type is ") + c.type + "\n");
  }
  refused(defaults({"read-type", "com.example.types", "nothing"}), "does not exist");
  refused(defaults({"read-type", "com.example.none", "key"}), "Domain com.example.none does not exist");
}

TEST_F(DefaultsTest, ArraysAndDictionariesAreWrittenAndAddedTo) {
  ok({"write", "com.example.c", "list", "-array", "one", "two"});
  ok({"write", "com.example.c", "list", "-array-add", "three"});
  Outcome list = defaults({"read", "com.example.c", "list"});
  EXPECT_EQ(list.out, "(\n    one,\n    two,\n    three\n)\n") << list.out;
  ok({"write", "com.example.c", "fresh", "-array-add", "only"});  // nothing before: a new array
  EXPECT_EQ(defaults({"read", "com.example.c", "fresh"}).out, "(\n    only\n)\n");

  ok({"write", "com.example.c", "map", "-dict", "k1", "v1", "k2", "v2"});
  ok({"write", "com.example.c", "map", "-dict-add", "k3", "v3"});
  Outcome map = defaults({"read", "com.example.c", "map"});
  for (const char* entry : {"k1 = v1;", "k2 = v2;", "k3 = v3;"})
    EXPECT_NE(map.out.find(entry), std::string::npos) << map.out;

  refused(defaults({"write", "com.example.c", "map", "-dict", "k1"}), "in pairs");
  refused(defaults({"write", "com.example.c", "map", "-array-add", "x"}), "not an array");
  // What was refused left the domain as it was.
  EXPECT_EQ(defaults({"read", "com.example.c", "map"}).out, map.out);
}

TEST_F(DefaultsTest, ADomainExportedAndImportedComesBackTheSame) {
  ok({"write", "com.example.d", "flag", "-bool", "true"});
  ok({"write", "com.example.d", "when", "-date", "2024-01-02 03:04:05 +0000"});
  ok({"write", "com.example.d", "list", "-array", "a", "b"});
  std::string before = defaults({"read", "com.example.d"}).out;

  Outcome out = defaults({"export", "com.example.d", "-"});
  ASSERT_EQ(out.code, 0) << out.err;
  EXPECT_EQ(out.out.rfind("<?xml", 0), 0u) << out.out;
  std::string file = (root_ / "d.plist").string();
  ok({"export", "com.example.d", file});
  EXPECT_EQ(slurp(file), out.out);

  ok({"delete", "com.example.d"});
  ok({"import", "com.example.e", file});
  EXPECT_EQ(defaults({"read", "com.example.e"}).out, before);
  // From standard input, replacing what was there.
  ok({"write", "com.example.f", "stale", "x"});
  Outcome piped = run({"/bin/sh", "-c", program() + " --root " + root_.string() + " defaults import com.example.f - < " + file});
  ASSERT_EQ(piped.code, 0) << piped.err;
  EXPECT_EQ(defaults({"read", "com.example.f"}).out, before);

  std::ofstream(root_ / "junk.plist") << "not a plist";
  refused(defaults({"import", "com.example.g", (root_ / "junk.plist").string()}), "not a property list");
  refused(defaults({"import", "com.example.g", (root_ / "missing.plist").string()}), "cannot read");
  refused(defaults({"export", "com.example.none", "-"}), "does not exist");
  EXPECT_NE(defaults({"domains"}).out.find("com.example.f"), std::string::npos);
  EXPECT_EQ(defaults({"domains"}).out.find("com.example.g"), std::string::npos);
}

TEST_F(DefaultsTest, HelpNamesTheSubVerbsAndTheirForms) {
  Outcome help = corvallo({"help", "defaults"});
  ASSERT_EQ(help.code, 0) << help.err;
  for (const char* verb : {"domains", "read", "read-type", "write", "delete", "export", "import"})
    EXPECT_NE(help.out.find(std::string("  ") + verb), std::string::npos) << verb << ": " << help.out;
  Outcome write = corvallo({"help", "defaults", "write"});
  EXPECT_NE(write.out.find("-array|-array-add"), std::string::npos) << write.out;
  Outcome unknown = corvallo({"defaults", "raed", "com.example.a"});
  EXPECT_NE(unknown.code, 0);
  EXPECT_NE(unknown.err.find("unknown command \"raed\" for defaults"), std::string::npos) << unknown.err;
}

}  // namespace
