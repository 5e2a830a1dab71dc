#include "Defaults.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

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

namespace {

// The domains the store holds: the reverse-domain names of its files.
std::vector<std::string> domainNames() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::directory_iterator(foundation::devicePath(foundation::kPreferencesFolder), ec)) {
    std::string file = entry.path().filename().string();
    if (file.size() <= 6 || file.compare(file.size() - 6, 6, ".plist") != 0) continue;
    std::string name = file.substr(0, file.size() - 6);
    if (NSUserDefaults::isValidDomainName(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

Ref<NSDictionary> existingDomain(const std::string& name) {
  Ref<NSDictionary> stored = NSUserDefaults::standardUserDefaults()->persistentDomainForName(domainName(name));
  if (!stored) throw CommandError("Domain " + name + " does not exist");
  return stored;
}

const char* typeName(NSObject* value) {
  if (auto* n = objc_cast<NSNumber>(value)) {
    if (n->isBoolean()) return "boolean";
    return n->kind() == NSNumber::Kind::Integer ? "integer" : "float";
  }
  if (objc_cast<NSString>(value)) return "string";
  if (objc_cast<NSDate>(value)) return "date";
  if (objc_cast<NSData>(value)) return "data";
  if (objc_cast<NSArray>(value)) return "array";
  if (objc_cast<NSDictionary>(value)) return "dictionary";
  return "unknown";
}

std::string readAll(std::istream& in) {
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// `write DOMAIN KEY -array v…`, `-array-add v…`, `-dict k v…`, `-dict-add k v…`:
// text items, added to what is stored for the -add forms.
Ref<NSObject> collectionValue(const std::string& type, const std::vector<std::string>& items, NSObject* before,
                              const std::string& key) {
  if (type == "-array" || type == "-array-add") {
    auto array = NSMutableArray::array();
    if (type == "-array-add" && before) {
      auto* old = objc_cast<NSArray>(before);
      if (!old) throw CommandError("-array-add: the value of " + key + " is a " + typeName(before) + ", not an array");
      array->addObjectsFromArray(old);
    }
    for (const auto& item : items) array->addObject(NSString::make(item));
    return array;
  }
  if (items.size() % 2 != 0) throw CommandError(type + " takes keys and values in pairs: k1 v1 k2 v2");
  auto dict = NSMutableDictionary::dictionary();
  if (type == "-dict-add" && before) {
    auto* old = objc_cast<NSDictionary>(before);
    if (!old) throw CommandError("-dict-add: the value of " + key + " is a " + typeName(before) + ", not a dictionary");
    dict->addEntriesFromDictionary(old);
  }
  for (std::size_t i = 0; i < items.size(); i += 2) dict->setObjectForKey(NSString::make(items[i + 1]), NSString::make(items[i]));
  return dict;
}

bool isCollectionType(const std::string& type) {
  return type == "-array" || type == "-array-add" || type == "-dict" || type == "-dict-add";
}

int writeValue(const std::vector<std::string>& args) {
  if (args.size() < 4) throw CommandError("usage: defaults write DOMAIN KEY [-type] VALUE");
  Ref<NSString> domain = domainName(args[1]);
  const std::string& key = args[2];
  if (key.empty() || key.find('\0') != std::string::npos) throw CommandError("a key cannot be empty");
  std::vector<std::string> items(args.begin() + 4, args.end());
  Ref<NSObject> value;
  if (!isCollectionType(args[3])) {
    if (args.size() > 5) throw CommandError("usage: defaults write DOMAIN KEY [-type] VALUE");
    value = args.size() == 5 ? typedValue(args[3], args[4]) : typedValue("-string", args[3]);
  }
  // One serialised read-modify-write: concurrent writers of other keys keep theirs.
  std::optional<CommandError> refused;
  auto written = NSUserDefaults::standardUserDefaults()->tryUpdatePersistentDomainForName(
      domain, [&](NSMutableDictionary* d) {
        try {
          Ref<NSObject> v = value ? value : collectionValue(args[3], items, d->objectForKey(key).get(), key);
          d->setObjectForKey(v, key);
          return true;
        } catch (const CommandError& e) {
          refused = e;
          return false;
        }
      });
  if (refused) throw *refused;
  if (!written) throw CommandError("not written: " + written.error());
  return 0;
}

int readValues(const std::vector<std::string>& args) {
  if (args.size() > 3) throw CommandError("usage: defaults read [DOMAIN [KEY]]");
  if (args.size() == 1) {
    // Every domain, each under its name.
    auto all = NSMutableDictionary::dictionary();
    for (const auto& name : domainNames())
      if (Ref<NSDictionary> d = NSUserDefaults::standardUserDefaults()->persistentDomainForName(NSString::make(name)))
        all->setObjectForKey(d, NSString::make(name));
    std::cout << printed(all.get()) << "\n";
    return 0;
  }
  Ref<NSDictionary> stored = existingDomain(args[1]);
  if (args.size() == 2) {
    std::cout << printed(stored.get()) << "\n";
    return 0;
  }
  Ref<NSObject> value = stored->objectForKey(args[2]);
  if (!value) throw CommandError("The domain/default pair of (" + args[1] + ", " + args[2] + ") does not exist");
  std::cout << printed(value.get()) << "\n";
  return 0;
}

int readType(const std::vector<std::string>& args) {
  if (args.size() != 3) throw CommandError("usage: defaults read-type DOMAIN KEY");
  Ref<NSObject> value = existingDomain(args[1])->objectForKey(args[2]);
  if (!value) throw CommandError("The domain/default pair of (" + args[1] + ", " + args[2] + ") does not exist");
  std::cout << "Type is " << typeName(value.get()) << "\n";
  return 0;
}

int exportDomain(const std::vector<std::string>& args) {
  if (args.size() != 3) throw CommandError("usage: defaults export DOMAIN FILE|-");
  Ref<NSDictionary> stored = existingDomain(args[1]);
  if (args[2] == "-") {
    auto bytes = foundation::plistToBytes(stored, foundation::PlistFormat::XML);
    if (!bytes) throw CommandError("not exported: " + bytes.error());
    std::cout << bytes.value() << std::flush;
    if (!std::cout) throw CommandError("not exported: standard output cannot be written");
    return 0;
  }
  if (auto written = foundation::writePlistFile(args[2], stored, foundation::PlistFormat::XML); !written)
    throw CommandError("not exported to " + args[2] + ": " + written.error());
  return 0;
}

int importDomain(const std::vector<std::string>& args) {
  if (args.size() != 3) throw CommandError("usage: defaults import DOMAIN FILE|-");
  Ref<NSString> domain = domainName(args[1]);
  std::string bytes;
  if (args[2] == "-") {
    bytes = readAll(std::cin);
  } else {
    std::ifstream in(args[2], std::ios::binary);
    if (!in) throw CommandError("cannot read " + args[2] + ": " + std::strerror(errno));
    bytes = readAll(in);
  }
  auto value = foundation::plistFromBytes(bytes);
  if (!value) throw CommandError("not a property list: " + value.error());
  auto* dict = objc_cast<NSDictionary>(value.value().get());
  if (!dict) throw CommandError("the property list holds a " + std::string(typeName(value.value().get())) +
                                ", not a dictionary of keys and values");
  if (auto stored = NSUserDefaults::standardUserDefaults()->trySetPersistentDomainForName(dict, domain); !stored)
    throw CommandError("not imported: " + stored.error());
  return 0;
}

int deleteValues(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) throw CommandError("usage: defaults delete DOMAIN [KEY]");
  Ref<NSString> domain = domainName(args[1]);
  auto defaults = NSUserDefaults::standardUserDefaults();
  existingDomain(args[1]);
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

}  // namespace

int defaultsCommand(const std::vector<std::string>& args) {
  if (args.empty()) throw CommandError("usage: defaults domains|read|read-type|write|delete|export|import …");
  const std::string& verb = args[0];
  if (verb == "domains") {
    if (args.size() != 1) throw CommandError("usage: defaults domains");
    std::vector<std::string> names = domainNames();
    for (std::size_t i = 0; i < names.size(); ++i) std::cout << (i ? ", " : "") << names[i];
    std::cout << "\n";
    return 0;
  }
  if (verb == "read") return readValues(args);
  if (verb == "read-type") return readType(args);
  if (verb == "export") return exportDomain(args);
  if (args.size() < 2) throw CommandError("usage: defaults " + verb + " DOMAIN …");
  // The store also logs each failure; here its reason is the command's one
  // error line instead.
  foundation::LogCapture quiet;
  if (verb == "write") return writeValue(args);
  if (verb == "delete") return deleteValues(args);
  if (verb == "import") return importDomain(args);
  throw CommandError("unknown defaults verb \"" + verb + "\" (domains, read, read-type, write, delete, export or import)");
}

namespace {

struct DefaultsOptions {
  CLI::App* cmd = nullptr;  // what follows the sub-verb, as macOS's command reads it
};

// A sub-verb whose words go to the store's command as they were typed: values
// such as -int or -array are the command's own, not options.
Verb defaultsVerb(const std::string& name, const std::string& help, const std::string& usage) {
  return verb<DefaultsOptions>(
      name, help,
      [usage](CLI::App& cmd, DefaultsOptions& o) {
        cmd.prefix_command();
        cmd.footer("usage: corvallo defaults " + usage);
        o.cmd = &cmd;
      },
      [name](const Invocation&, const DefaultsOptions& o) {
        std::vector<std::string> args{name};
        for (auto& a : o.cmd->remaining()) args.push_back(a);
        return defaultsCommand(args);
      });
}

}  // namespace

std::vector<Verb> defaultsVerbs() {
  Verb defaults{"defaults", "the device's preference store, as macOS's defaults shows it", nullptr, {}};
  defaults.verbs = {
      defaultsVerb("domains", "the names of the stored domains", "domains"),
      defaultsVerb("read", "a domain, a key of it, or every domain", "read [DOMAIN [KEY]]"),
      defaultsVerb("read-type", "the type of a key's value", "read-type DOMAIN KEY"),
      defaultsVerb("write", "store a value under a key",
                   "write DOMAIN KEY [-string|-bool|-int|-float|-date] VALUE\n"
                   "       corvallo defaults write DOMAIN KEY -array|-array-add VALUE…\n"
                   "       corvallo defaults write DOMAIN KEY -dict|-dict-add KEY VALUE…"),
      defaultsVerb("delete", "remove a key, or the whole domain", "delete DOMAIN [KEY]"),
      defaultsVerb("export", "a domain as an XML property list, to a file or - for standard output",
                   "export DOMAIN FILE|-"),
      defaultsVerb("import", "replace a domain with a property list file, or - for standard input",
                   "import DOMAIN FILE|-"),
  };
  return {defaults};
}

}  // namespace device
