// The Examples page's pickers through the real command, as a person reads and
// drives them: the texts rows show, values typed the way a row or its default
// writes them, and an open picker's buttons.
#include <cstdlib>
#include <optional>

#include "CommandFixture.h"

namespace {

using nlohmann::json;

constexpr const char* kExamples = "com.tenvarix.corvalloexamples";

class PickersTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    // One zone, so the texts a test expects do not depend on the machine's.
    const char* zone = std::getenv("TZ");
    zone_ = zone ? std::optional<std::string>(zone) : std::nullopt;
    ::setenv("TZ", "UTC", 1);
  }
  void TearDown() override {
    CommandTest::TearDown();
    zone_ ? ::setenv("TZ", zone_->c_str(), 1) : ::unsetenv("TZ");
  }
  std::optional<std::string> zone_;

  void openExamples() {
    up();
    Outcome o = corvallo({"open", "Corvallo Examples"});
    ASSERT_EQ(o.code, 0) << o.err;
  }

  // The row of `settings --json` with this title.
  json row(const std::string& title) {
    Outcome o = corvallo({"settings", "--json"});
    if (o.code != 0) return json{{"error", o.err}};
    json page = o.json();
    for (const auto& s : page["sections"])
      for (const auto& r : s["rows"])
        if (r["title"] == title) return r;
    return json{{"missing", title}};
  }

  std::string stored(const std::string& key) {
    Outcome o = corvallo({"defaults", "read", kExamples, key});
    return o.code == 0 ? o.out.substr(0, o.out.find('\n')) : "(none: " + o.err + ")";
  }

  void set(const std::string& key, const std::string& value) {
    Outcome o = corvallo({"set", key, value});
    ASSERT_EQ(o.code, 0) << key << " " << value << ": " << o.err;
  }
};

TEST_F(PickersTest, PickerRowsReadAsTheTextTheyShowAndTheValueStored) {
  openExamples();
  json date = row("Date");
  EXPECT_EQ(date["value"], "December 25 2023") << date.dump();
  EXPECT_EQ(date["stored"], "2023-12-25T00:00:00Z") << date.dump();
  EXPECT_TRUE(row("Time")["stored"].is_null()) << "no default, nothing stored";
  json duration = row("Duration");
  EXPECT_EQ(duration["value"], "0:30") << duration.dump();

  set("exampleDate", "2024-01-02T12:00:00Z");
  date = row("Date");
  EXPECT_EQ(date["value"], "January 2 2024");
  EXPECT_EQ(date["stored"], "2024-01-02T12:00:00Z");
  set("exampleDuration", "1:05");
  EXPECT_EQ(row("Same Duration")["stored"], 3900.0);
  EXPECT_EQ(row("Same Duration")["value"], "1:05");

  // The slider's value is the number its label shows, not where the knob rests.
  Outcome slid = corvallo({"set", "wholeNumber", "7.4"});
  ASSERT_EQ(slid.code, 0) << slid.err;
  json slider = row("Whole Number");
  EXPECT_EQ(slider["value"], 7.0) << slider.dump();
  EXPECT_EQ(slider["text"], "7.00") << slider.dump();

  Outcome text = corvallo({"settings"});
  EXPECT_NE(text.out.find("January 2 2024   (exampleDate)"), std::string::npos) << text.out;
}

TEST_F(PickersTest, SetTakesTheRowsTextTheDefaultsPatternAndIso8601) {
  openExamples();
  struct Case {
    const char *key, *title, *given, *shown;
  };
  for (auto c : {Case{"exampleDate", "Date", "12-24-2023", "December 24 2023"},
                 Case{"exampleDate", "Date", "December 31 2023", "December 31 2023"},
                 Case{"exampleDate", "Date", "2023-11-05T10:00:00Z", "November 5 2023"},
                 Case{"exampleTime", "Time", "07:15", "07:15 AM"},
                 Case{"exampleTime", "Time", "07:15 PM", "07:15 PM"},
                 Case{"exampleTime", "Time", "19:40", "07:40 PM"},
                 Case{"exampleDateAndTime", "Date and Time", "03-06-2024 09:45 PM", "Wed Mar 6 09:45 PM"},
                 Case{"exampleDateAndTime", "Date and Time", "Thu Mar 7 06:05 AM", "Thu Mar 7 06:05 AM"},
                 Case{"exampleDuration", "Duration", "0:45", "0:45"},
                 Case{"exampleDuration", "Duration", "45", "0:45"},
                 Case{"exampleDuration", "Duration", "90", "1:30"},
                 Case{"exampleDuration", "Duration", "PT2H5M", "2:05"}}) {
    set(c.key, c.given);
    EXPECT_EQ(row(c.title)["value"], c.shown) << c.given;
  }
  EXPECT_EQ(stored("exampleDuration"), "7500");
  // A time keeps the day the wheels showed; a day keeps the time.
  set("exampleTime", "2024-02-03T08:00:00Z");
  set("exampleTime", "10:20");
  EXPECT_EQ(row("Time")["stored"], "2024-02-03T10:20:00Z");
  set("exampleDate", "2024-02-03T08:00:00Z");
  set("exampleDate", "02-10-2024");
  EXPECT_EQ(row("Date")["stored"], "2024-02-10T08:00:00Z");
}

TEST_F(PickersTest, ADurationTheWheelsCannotShowIsRefusedAndNeverStoredAsNone) {
  openExamples();
  set("exampleDuration", "0:45");
  for (const char* bad : {"0", "0:00", "30s", "PT30S", "24:00", "0:75", "soon", "-5"}) {
    Outcome o = corvallo({"set", "exampleDuration", bad});
    EXPECT_NE(o.code, 0) << bad;
    EXPECT_NE(o.err.find("such as 0:45, 45 (minutes) or PT45M"), std::string::npos) << bad << ": " << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  }
  EXPECT_EQ(stored("exampleDuration"), "2700");
  Outcome wrong = corvallo({"set", "exampleDate", "next week"});
  EXPECT_NE(wrong.code, 0);
  EXPECT_NE(wrong.err.find("such as 12-25-2023"), std::string::npos) << wrong.err;
  // A refused value leaves no picker open behind it.
  EXPECT_TRUE(corvallo({"settings", "--json"}).json()["overlay"].is_null());
}

TEST_F(PickersTest, AnOpenPickerReadsAsTextAndItsButtonsAreChosenOrTapped) {
  openExamples();
  ASSERT_EQ(corvallo({"tap", "Date"}).code, 0);
  Outcome shown = corvallo({"settings"});
  EXPECT_NE(shown.out.find("date picker: December 25 2023\n    [Cancel]\n    [Submit]\n"), std::string::npos)
      << shown.out;
  EXPECT_EQ(shown.out.find('{'), std::string::npos) << shown.out;
  json overlay = corvallo({"settings", "--json"}).json()["overlay"];
  EXPECT_EQ(overlay["text"], "December 25 2023") << overlay.dump();
  EXPECT_EQ(overlay["opacity"], 1.0) << "an action returns once the fade has ended";

  // The wheels turned, then Cancel: nothing of it is kept.
  std::string before = stored("exampleDate");
  ASSERT_EQ(corvallo({"ask", "settings", "setPickerValue", "text=12-01-2023"}).code, 0);
  Outcome cancel = corvallo({"choose", "cancel"});
  ASSERT_EQ(cancel.code, 0) << cancel.err;
  EXPECT_TRUE(corvallo({"settings", "--json"}).json()["overlay"].is_null());
  EXPECT_EQ(stored("exampleDate"), before);

  ASSERT_EQ(corvallo({"tap", "Date"}).code, 0);
  ASSERT_EQ(corvallo({"ask", "settings", "setPickerValue", "text=12-01-2023"}).code, 0);
  Outcome typo = corvallo({"tap", "Submt"});
  EXPECT_NE(typo.code, 0);
  EXPECT_NE(typo.err.find("did you mean \"Submit\"?"), std::string::npos) << typo.err;
  Outcome submit = corvallo({"tap", "Submit"});
  ASSERT_EQ(submit.code, 0) << submit.err;
  EXPECT_TRUE(corvallo({"settings", "--json"}).json()["overlay"].is_null());
  EXPECT_EQ(row("Date")["value"], "December 1 2023");

  // With no picker open, the words name rows and menus again.
  Outcome none = corvallo({"tap", "Submit"});
  EXPECT_NE(none.code, 0);
  EXPECT_NE(none.err.find("no row \"Submit\""), std::string::npos) << none.err;
}

TEST_F(PickersTest, SetsInARowEachFindTheirPicker) {
  openExamples();
  // Each set taps the row right after the last one's Submit started to fade it out.
  for (const char* v : {"0:10", "0:20", "0:30", "0:40", "0:50"}) {
    set("exampleDuration", v);
    set("exampleDate", "12-0" + std::string(1, v[2]) + "-2023");
  }
  EXPECT_EQ(stored("exampleDuration"), "3000");
  EXPECT_EQ(row("Date")["value"], "December 5 2023");
}

}  // namespace
