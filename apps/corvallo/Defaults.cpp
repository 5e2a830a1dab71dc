#include "Defaults.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <iostream>

#include "Device.h"
#include "Verb.h"
#include "foundation/Foundation.h"

namespace device {

namespace {

std::string printed(NSObject* value) {
  if (auto* n = objc_cast<NSNumber>(value); n && n->isBoolean()) return n->boolValue() ? "1" : "0";
  return foundation::describe(value);
}

Ref<NSString> domainName(const std::string& name) {
  if (!NSUserDefaults::isValidDomainName(name))
    throw CommandError("\"" + name + "\" is not a domain name (a reverse-domain identifier such as com.example.app)");
  return NSString::make(name);
}

bool whole(const std::string& text, double& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(out);
}

Ref<NSObject> typedValue(const std::string& type, const std::string& text) {
  auto wrong = [&](const char* what) -> CommandError {
    return CommandError("\"" + text + "\" is not " + what + " (for " + type + ")");
  };
  if (type == "-string") return NSString::make(text);
  if (type == "-bool" || type == "-boolean") {
    if (text == "1" || text == "YES" || text == "yes" || text == "true" || text == "TRUE") return kCFBooleanTrue;
    if (text == "0" || text == "NO" || text == "no" || text == "false" || text == "FALSE") return kCFBooleanFalse;
    throw wrong("a boolean (YES, NO, true, false, 1, 0)");
  }
  if (type == "-int" || type == "-integer") {
    long long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) throw wrong("a whole number");
    return NSNumber::numberWithInteger(static_cast<long>(v));
  }
  if (type == "-float") {
    double v = 0;
    if (!whole(text, v)) throw wrong("a number");
    return NSNumber::numberWithDouble(v);
  }
  if (type == "-date") {
    std::tm tm{};
    const char* end = ::strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &tm);
    if (!end) end = ::strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &tm);
    if (!end || (*end && std::string(end) != " +0000")) throw wrong("a date (2026-12-10 08:30:00 +0000)");
    Ref<NSDate> date = NSDate::dateWithTimeIntervalSince1970(static_cast<double>(::timegm(&tm)));
    if (!foundation::isStorableDate(date->timeIntervalSinceReferenceDate()))
      throw wrong("a date the store holds (1932-12-13 20:45:52 +0000 to 2069-01-19 03:14:07 +0000)");
    return date;
  }
  throw CommandError("unknown value type " + type + " (-bool, -int, -float, -string or -date)");
}

}  // namespace

int defaultsCommand(const std::vector<std::string>& args) {
  if (args.size() < 2) throw CommandError("usage: defaults read|write|delete DOMAIN [KEY [-type] VALUE]");
  const std::string& verb = args[0];
  Ref<NSString> domain = domainName(args[1]);
  auto defaults = NSUserDefaults::standardUserDefaults();
  if (verb == "read") {
    if (args.size() > 3) throw CommandError("usage: defaults read DOMAIN [KEY]");
    Ref<NSDictionary> stored = defaults->persistentDomainForName(domain);
    if (!stored) throw CommandError("Domain " + args[1] + " does not exist");
    if (args.size() == 2) {
      std::cout << printed(stored.get()) << "\n";
      return 0;
    }
    Ref<NSObject> value = stored->objectForKey(args[2]);
    if (!value) throw CommandError("The domain/default pair of (" + args[1] + ", " + args[2] + ") does not exist");
    std::cout << printed(value.get()) << "\n";
    return 0;
  }
  // The store also logs each failure; here its reason is the command's one
  // error line instead.
  foundation::LogCapture quiet;
  if (verb == "write") {
    if (args.size() < 4 || args.size() > 5) throw CommandError("usage: defaults write DOMAIN KEY [-type] VALUE");
    Ref<NSObject> value = args.size() == 5 ? typedValue(args[3], args[4]) : typedValue("-string", args[3]);
    const std::string& key = args[2];
    if (key.empty() || key.find('\0') != std::string::npos) throw CommandError("a key cannot be empty");
    // One serialised read-modify-write: concurrent writers of other keys keep theirs.
    auto written = defaults->tryUpdatePersistentDomainForName(
        domain, [&](NSMutableDictionary* d) { d->setObjectForKey(value, key); });
    if (!written) throw CommandError("not written: " + written.error());
    return 0;
  }
  if (verb == "delete") {
    if (args.size() > 3) throw CommandError("usage: defaults delete DOMAIN [KEY]");
    Ref<NSDictionary> stored = defaults->persistentDomainForName(domain);
    if (!stored) throw CommandError("Domain " + args[1] + " does not exist");
    if (args.size() == 2) {
      if (auto removed = defaults->tryRemovePersistentDomainForName(domain); !removed)
        throw CommandError("not deleted: " + removed.error());
      return 0;
    }
    bool had = false;
    auto removed = defaults->tryUpdatePersistentDomainForName(domain, [&](NSMutableDictionary* d) {
      had = static_cast<bool>(d->objectForKey(args[2]));
      if (had) d->removeObjectForKey(args[2]);
      return had;
    });
    if (!removed) throw CommandError("not deleted: " + removed.error());
    if (!had) throw CommandError("The domain/default pair of (" + args[1] + ", " + args[2] + ") does not exist");
    return 0;
  }
  throw CommandError("unknown defaults verb \"" + verb + "\" (read, write or delete)");
}

namespace {

struct DefaultsOptions {
  CLI::App* cmd = nullptr;  // what follows `defaults`, as macOS's command reads it
};

}  // namespace

std::vector<Verb> defaultsVerbs() {
  return {verb<DefaultsOptions>(
      "defaults", "read|write|delete DOMAIN [KEY [-bool|-int|-float|-string|-date] VALUE]",
      [](CLI::App& cmd, DefaultsOptions& o) {
        cmd.prefix_command();
        cmd.fallthrough(false);  // its words, -bool included, are its own
        o.cmd = &cmd;
      },
      [](const Invocation&, const DefaultsOptions& o) { return defaultsCommand(o.cmd->remaining()); })};
}

}  // namespace device
