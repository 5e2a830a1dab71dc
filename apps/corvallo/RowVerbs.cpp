#include "RowVerbs.h"

#include "Actions.h"
#include "Verb.h"
#include "control/Names.h"
#include "control/Ops.h"

namespace device {

namespace {

json act(const Device& device, const json& request) {
  json answer = device.settings(request);
  waitForSettledPage(device);
  return answer;
}

std::string kindOf(const json& row) { return row.value("kind", json("")).is_string() ? row["kind"].get<std::string>() : ""; }

}  // namespace

json standardRowFields(const json& r) {
  json out{{"kind", r.value("kind", json())},
           {"placeholder", r.value("placeholder", json())},
           {"checked", r.value("checked", false)}};
  if (r.contains("segments")) out["segments"] = r["segments"];
  if (r.contains("textField")) out["textField"] = r["textField"];
  // A secure field's text is not shown, on the screen or here.
  if (r.value("kind", json()) == "secureTextField") out["value"] = r["value"].is_null() ? json(nullptr) : json("••••");
  return out;
}

json standardPageFields(const json& page) {
  return json{{"notice", page.value("notice", json())},
              {"error", page.value("error", json())},
              {"checked", page.value("checked", json())}};
}

bool setStandardRow(const Device& device, const json& row, const std::string& name, const std::string& value) {
  std::string kind = kindOf(row);
  if (kind == "textField" || kind == "secureTextField") {
    act(device, {{"op", control::ops::kTypeText}, {"row", name}, {"text", value}});
    return true;
  }
  if (kind == "segment" || kind == "list") {
    act(device, {{"op", control::ops::kSetRowValue}, {"row", name}, {"value", value}});
    return true;
  }
  return false;
}

void typeText(const Device& device, const std::string& key, const std::string& text) {
  json page = device.settings({{"op", control::ops::kState}})["page"];
  if (page.value("class", "home") == "home")
    throw CommandError("no settings page is open; open one with `corvallo open ENTRY`");
  act(device, {{"op", control::ops::kTypeText}, {"row", key}, {"text", text}});
}

std::vector<Verb> rowVerbs() {
  struct KeyText {
    std::string key, text;
  };
  return {verb<KeyText>(
      "type", "type TEXT into the text field of the row bound to KEY, as if the field was then left",
      [](CLI::App& cmd, KeyText& o) {
        cmd.add_option("KEY", o.key, "the row's preference key, id or title")->required();
        cmd.add_option("TEXT", o.text, "what to type; it replaces the field's text")->required();
      },
      [](const Invocation& in, const KeyText& o) {
        typeText(in.device, o.key, o.text);
        return 0;
      })};
}

}  // namespace device
