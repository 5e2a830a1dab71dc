#include "foundation/NSUserDefaults.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "DomainChanges.h"
#include "DomainFile.h"
#include "Internal.h"
#include "foundation/Log.h"

using namespace foundation::detail;

namespace {

// A name as it may safely appear in a log line.
std::string printable(std::string_view s) {
  std::string out;
  for (unsigned char c : s.substr(0, 120)) {
    if (c < 0x20 || c == 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (s.size() > 120) out += "…";
  return out;
}

bool checkName(NSString* name, const char* op) {
  std::string_view n = foundation::detail::textOf(name);
  if (NSUserDefaults::isValidDomainName(n)) return true;
  os_log_error(storeLog(), "%s: refused domain name \"%s\": not a plain reverse-domain identifier", op, printable(n));
  return false;
}

foundation::Error refused(NSString* name) {
  return {"\"" + printable(foundation::detail::textOf(name)) + "\" is not a plain reverse-domain identifier"};
}

// Logged here, so callers of the messages, which answer nothing, leave a trace.
foundation::Error failed(NSString* name, const std::string& why) {
  os_log_error(storeLog(), "domain %s %s", name->utf8(), why);
  return {"domain " + name->utf8() + " " + why};
}

}  // namespace

OBJC_IMPLEMENT(NSUserDefaults)

bool NSUserDefaults::isValidDomainName(std::string_view name) {
  if (name.empty() || name.size() > 255 || name.front() == '.') return false;
  if (name.find("..") != std::string_view::npos) return false;
  for (char c : name) {
    bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

std::uint64_t NSUserDefaults::domainParseCount() { return foundation::detail::domainParseCount(); }

void NSUserDefaults::dropDomainCache() { foundation::detail::dropDomainCache(); }

Ref<NSUserDefaults> NSUserDefaults::standardUserDefaultsImpl(Class) {
  static NSUserDefaults* const shared = foundation::detail::allocAs<NSUserDefaults>(cls()).leak();
  return Ref<NSUserDefaults>(shared);
}

Ref<NSDictionary> NSUserDefaults::persistentDomainForNameImpl(NSString* name) {
  if (!checkName(name, "persistentDomainForName:")) return nullptr;
  return readDomainNamed(name->utf8()).dict;
}

void NSUserDefaults::setPersistentDomainForNameImpl(NSDictionary* domain, NSString* name) {
  (void)trySetPersistentDomainForName(domain, name);
}

void NSUserDefaults::removePersistentDomainForNameImpl(NSString* name) { (void)tryRemovePersistentDomainForName(name); }

foundation::Status NSUserDefaults::trySetPersistentDomainForName(objc::Borrowed<NSDictionary> domainArg,
                                                                 objc::Borrowed<NSString> nameArg) {
  NSDictionary* domain = domainArg.get();
  NSString* name = nameArg.get();
  if (!checkName(name, "setPersistentDomain:forName:")) return refused(name);
  if (!domain) return failed(name, "not written: no dictionary given");
  DomainPaths p = domainPaths(name->utf8());
  if (auto made = ensureFolder(p.folder); !made) return failed(name, "not written: " + made.error());
  DomainLock lock(p.lock);
  if (!lock.held()) return failed(name, "not written: cannot lock " + p.lock + ": " + lock.problem());
  Snapshot before = readDomain(p.file, name->utf8());
  auto written = writeDomain(p, domain, before);
  if (!written) {
    if (before.state == FileState::Absent) lock.removeFile();
    return failed(name, "not written: " + written.error());
  }
  return foundation::Done{};
}

foundation::Status NSUserDefaults::tryRemovePersistentDomainForName(objc::Borrowed<NSString> nameArg) {
  NSString* name = nameArg.get();
  if (!checkName(name, "removePersistentDomainForName:")) return refused(name);
  DomainPaths p = domainPaths(name->utf8());
  struct stat st {};
  if (::stat(p.folder.c_str(), &st) != 0 && errno == ENOENT) return foundation::Done{};  // nothing was ever stored
  DomainLock lock(p.lock);
  if (!lock.held()) {
    // A read-only folder takes no lock, and a domain that is not there is removed.
    if (::lstat(p.file.c_str(), &st) != 0 && errno == ENOENT) return foundation::Done{};
    return failed(name, "not removed: cannot lock " + p.lock + ": " + lock.problem());
  }
  Snapshot before = readDomain(p.file, name->utf8());
  if (before.state == FileState::Unreadable)
    return failed(name, "not removed: " + p.file + " cannot be read (" + before.problem + ")");
  foundation::Status gone = foundation::Done{};
  if (before.state == FileState::Corrupt)
    gone = moveAside(p.file);
  else if (before.state == FileState::Present && ::unlink(p.file.c_str()) != 0 && errno != ENOENT)
    gone = foundation::Error{"cannot remove " + p.file + ": " + std::strerror(errno)};
  forgetDomain(p.file);
  if (!gone) return failed(name, "not removed: " + gone.error());
  domainWritten(p.folder, name->utf8());
  syncFolder(p.folder);
  lock.removeFile();
  return foundation::Done{};
}

foundation::Result<bool> NSUserDefaults::updateDomain(NSString* name,
                                                      const std::function<bool(NSMutableDictionary*)>& change) {
  if (!checkName(name, "updatePersistentDomainForName")) return refused(name);
  DomainPaths p = domainPaths(name->utf8());
  if (auto made = ensureFolder(p.folder); !made) return failed(name, "not updated: " + made.error());
  DomainLock lock(p.lock);
  if (!lock.held()) return failed(name, "not updated: cannot lock " + p.lock + ": " + lock.problem());
  Snapshot before = readDomain(p.file, name->utf8());
  Ref<NSMutableDictionary> working = before.dict ? before.dict->mutableCopy() : NSMutableDictionary::dictionary();
  bool wanted = change(working.get());
  if (wanted) {
    if (auto written = writeDomain(p, working.get(), before); !written) {
      if (before.state == FileState::Absent) lock.removeFile();
      return failed(name, "not written: " + written.error());
    }
    return true;
  }
  // Nothing stored: a lock made for a domain that is still absent goes again.
  if (before.state == FileState::Absent) lock.removeFile();
  return false;
}
