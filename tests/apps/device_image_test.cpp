// The build's device image (packaging/CMakeLists.txt) against what is made
// from it: both packages carry exactly its deliverables, with the control
// fields device package managers read, and the build-tree install lays out
// both of its parts at their device paths.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "DebBuilder.h"
#include "Install.h"
#include "PackageReader.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuild = CORVALLO_BUILD_DIR;
const fs::path kDeliverables = kBuild / "image/deliverables";
const fs::path kPlatform = kBuild / "image/platform";

std::string bytesOf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned modeOf(const fs::path& p) {
  struct stat st {};
  ::lstat(p.c_str(), &st);
  return st.st_mode & 07777;
}

// A file's bytes in a line short enough for a failure message.
std::string digest(const std::string& bytes) {
  return std::to_string(bytes.size()) + ":" + std::to_string(std::hash<std::string>{}(bytes));
}

// "path/ mode" for each folder and "path mode digest" for each file under
// `tree`, paths prefixed with `prefix`.
std::set<std::string> treeListing(const fs::path& tree, const std::string& prefix = "") {
  std::set<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(tree)) {
    std::string line = prefix + e.path().lexically_relative(tree).generic_string();
    if (e.is_directory()) line += "/";
    line += " " + std::to_string(modeOf(e.path()));
    if (e.is_regular_file()) line += " " + digest(bytesOf(e.path()));
    out.insert(line);
  }
  return out;
}

std::set<std::string> packageListing(const device::Package& package) {
  std::set<std::string> out;
  for (size_t k = 0; k < package.entries.size(); ++k) {
    const auto& e = package.entries[k];
    std::string path = e.path.substr(0, 2) == "./" ? e.path.substr(2) : e.path;
    if (path.empty()) continue;
    if (e.type == device::EntryType::Directory && path.back() != '/') path += "/";
    std::string line = path + " " + std::to_string(e.mode);
    if (e.type == device::EntryType::File) line += " " + digest(package.contents[k]);
    out.insert(line);
  }
  return out;
}

// The control file's fields, a continued field's lines joined by "\n".
std::map<std::string, std::string> fields(const std::string& control) {
  std::map<std::string, std::string> out;
  std::string last;
  std::istringstream in(control);
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) continue;
    if (line.front() == ' ') {
      out[last] += "\n" + line.substr(1);
      continue;
    }
    auto colon = line.find(':');
    last = line.substr(0, colon);
    out[last] = line.substr(line.find_first_not_of(' ', colon + 1));
  }
  return out;
}

fs::path debOf(const std::string& scheme) {
  return kBuild / ("com.tenvarix.corvallo_0.1.0_" + scheme + ".deb");
}

}  // namespace

TEST(DeviceImage, EachPackageCarriesExactlyTheImageOfTheDeliverablesInItsScheme) {
  ASSERT_TRUE(fs::is_directory(kDeliverables)) << "build the device_image target";
  for (const auto& [scheme, prefix] : {std::pair<std::string, std::string>{"plain", ""}, {"rootless", "var/jb/"}}) {
    ASSERT_TRUE(fs::exists(debOf(scheme))) << "build the deb target";
    auto expected = treeListing(kDeliverables, prefix);
    if (!prefix.empty()) expected.insert({"var/ 493", "var/jb/ 493"});
    EXPECT_EQ(packageListing(device::readPackageFile(debOf(scheme))), expected) << scheme;
  }
}

TEST(DeviceImage, ThePackagesNameTheFieldsADevicesPackageManagerReads) {
  for (const std::string scheme : {"plain", "rootless"}) {
    ASSERT_TRUE(fs::exists(debOf(scheme))) << "build the deb target";
    auto f = fields(device::readPackageFile(debOf(scheme)).control);
    EXPECT_EQ(f["Package"], "com.tenvarix.corvallo") << scheme;
    EXPECT_EQ(f["Name"], "Corvallo") << scheme;
    EXPECT_EQ(f["Author"], "Tenvarix") << scheme;
    EXPECT_EQ(f["Version"], "0.1.0") << scheme;
    EXPECT_EQ(f["Section"], "Tweaks") << scheme;
    EXPECT_EQ(f["Priority"], "optional") << scheme;
    EXPECT_EQ(f["Depends"], "mobilesubstrate, preferenceloader") << scheme;
    EXPECT_EQ(f["Maintainer"], "Tenvarix <tenvarix@users.noreply.github.com>") << scheme;
    EXPECT_EQ(f["Architecture"].rfind("corvallo-simulated-", 0), 0u) << f["Architecture"];
    EXPECT_FALSE(f["Installed-Size"].empty()) << scheme;
    EXPECT_EQ(f["Description"].substr(0, f["Description"].find('\n')), "Hide and recolour the home screen's page dots");
    EXPECT_NE(f["Description"].find("(" + scheme + " scheme)."), std::string::npos) << f["Description"];
    // gzip, which every dpkg reads.
    EXPECT_NE(bytesOf(debOf(scheme)).find("data.tar.gz"), std::string::npos) << scheme;
  }
}

TEST(DeviceImage, TheBuildTreeInstallLaysOutBothPartsAtTheirDevicePaths) {
  ASSERT_TRUE(fs::is_directory(kPlatform)) << "build the device_image target";
  char tmpl[] = "/tmp/cvimg.XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  fs::path root = tmpl;
  auto report = device::install({kBuild / "bin", kDeliverables, kPlatform}, root);
  EXPECT_TRUE(report.missing.empty());
  // The places the loaders and hosts look in.
  for (const char* path : {"Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib",
                           "Library/MobileSubstrate/DynamicLibraries/Corvallo.plist",
                           "Library/PreferenceBundles/CorvalloPrefs.bundle/CorvalloPrefs",
                           "Library/PreferenceBundles/CorvalloPrefs.bundle/Info.plist",
                           "Library/PreferenceBundles/CorvalloExamples.bundle/CorvalloExamples",
                           "Library/PreferenceLoader/Preferences/CorvalloPrefs.plist",
                           "Library/PreferenceLoader/Preferences/CorvalloExamples.plist",
                           "var/jb/Library/Frameworks/CydiaSubstrate.framework/CydiaSubstrate",
                           "var/jb/usr/lib/libcolorpicker.dylib"})
    EXPECT_TRUE(fs::is_regular_file(root / path)) << path;
  auto installed = treeListing(root);
  auto image = treeListing(kDeliverables);
  image.merge(treeListing(kPlatform));
  EXPECT_EQ(installed, image);
  fs::remove_all(root);
}

TEST(DeviceImage, PartsThatShareFoldersInstallEachFolderOnceAndAMissingPartIsNamed) {
  char tmpl[] = "/tmp/cvimg.XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  fs::path dir = tmpl;
  device::BuildOutput build{dir / "bin", dir / "image/deliverables", dir / "image/platform"};
  fs::create_directories(build.deliverables / "var/jb/Library/MobileSubstrate/DynamicLibraries");
  debs::save(build.deliverables / "var/jb/Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib", "tweak");
  fs::create_directories(build.platform / "var/jb/usr/lib");
  debs::save(build.platform / "var/jb/usr/lib/libcolorpicker.dylib", "picker");
  auto report = device::install(build, dir / "root");
  EXPECT_TRUE(report.missing.empty());
  EXPECT_EQ(bytesOf(dir / "root/var/jb/Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib"), "tweak");
  EXPECT_EQ(bytesOf(dir / "root/var/jb/usr/lib/libcolorpicker.dylib"), "picker");

  fs::remove_all(build.platform);
  report = device::install(build, dir / "again");
  EXPECT_EQ(report.missing, std::vector<std::string>{build.platform.string()});
  fs::remove_all(dir);
}
