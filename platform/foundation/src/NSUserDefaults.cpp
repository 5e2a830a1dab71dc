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
  if (!checkName(name, "setPersistentDomain:forName:")) return;
  if (!domain) {
    os_log_error(storeLog(), "setPersistentDomain:forName: domain %s not written: no dictionary given", name->utf8());
    return;
  }
  DomainPaths p = domainPaths(name->utf8());
  if (auto made = ensureFolder(p.folder); !made) {
    os_log_error(storeLog(), "%s", made.error());
    return;
  }
  DomainLock lock(p.lock);
  if (!lock.held()) {
    os_log_error(storeLog(), "domain %s not written: cannot lock %s: %s", name->utf8(), p.lock, std::strerror(errno));
    return;
  }
  if (auto written = writeDomain(p, domain, readDomain(p.file, name->utf8())); !written)
    os_log_error(storeLog(), "domain %s not written: %s", name->utf8(), written.error());
}

void NSUserDefaults::removePersistentDomainForNameImpl(NSString* name) {
  if (!checkName(name, "removePersistentDomainForName:")) return;
  DomainPaths p = domainPaths(name->utf8());
  struct stat st {};
  if (::stat(p.folder.c_str(), &st) != 0) return;  // nothing was ever stored
  DomainLock lock(p.lock);
  if (!lock.held()) {
    os_log_error(storeLog(), "domain %s not removed: cannot lock %s: %s", name->utf8(), p.lock, std::strerror(errno));
    return;
  }
  Snapshot before = readDomain(p.file, name->utf8());
  if (before.state == FileState::Unreadable) {
    os_log_error(storeLog(), "domain %s not removed: %s cannot be read (%s)", name->utf8(), p.file, before.problem);
    return;
  }
  if (before.state == FileState::Corrupt)
    moveAside(p.file);
  else if (before.state == FileState::Present)
    ::unlink(p.file.c_str());
  forgetDomain(p.file);
  domainWritten(p.folder, name->utf8());
  syncFolder(p.folder);
}

bool NSUserDefaults::updateDomain(NSString* name, const std::function<bool(NSMutableDictionary*)>& change) {
  if (!checkName(name, "updatePersistentDomainForName")) return false;
  DomainPaths p = domainPaths(name->utf8());
  if (auto made = ensureFolder(p.folder); !made) {
    os_log_error(storeLog(), "%s", made.error());
    return false;
  }
  DomainLock lock(p.lock);
  if (!lock.held()) {
    os_log_error(storeLog(), "domain %s not updated: cannot lock %s: %s", name->utf8(), p.lock, std::strerror(errno));
    return false;
  }
  Snapshot before = readDomain(p.file, name->utf8());
  Ref<NSMutableDictionary> working = before.dict ? before.dict->mutableCopy() : NSMutableDictionary::dictionary();
  if (!change(working.get())) return false;
  if (auto written = writeDomain(p, working.get(), before); !written) {
    os_log_error(storeLog(), "domain %s not written: %s", name->utf8(), written.error());
    return false;
  }
  return true;
}
