// newscout-profile: profiles are written with the key the checker reads them with.
#include "newscout/profiletool.h"

#include <fstream>
#include <map>
#include <ostream>

#include "base/messagecatalog.h"
#include "newscout/newscoutprofile.h"
#include "newscout/newscouttexts.h"

namespace {

constexpr int kUsage = 8200;
constexpr int kNeedsValue = 8201;
constexpr int kUnknownArgument = 8202;
constexpr int kNotText = 8203;
constexpr int kNotWritten = 8204;
constexpr int kNeedsServer = 8205;
constexpr int kBadFormat = 8206;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

int Usage(std::ostream& err, int id = 0, const std::string& what = {}) {
  if (id != 0)
    err << FormatMessageText(NsCatalogText(id), {what}) << '\n';
  err << NsCatalogText(kUsage) << '\n';
  return kUsageError;
}

int Write(const std::vector<std::string>& args, std::ostream& err) {
  const std::map<std::string, std::string CNewscoutProfile::*> fields = {
      {"--product", &CNewscoutProfile::productName}, {"--key-path", &CNewscoutProfile::registryKeyPath},
      {"--server", &CNewscoutProfile::serverHost},   {"--object", &CNewscoutProfile::objectPath},
      {"--link", &CNewscoutProfile::downloadLink}};
  CNewscoutProfile profile;
  int format = 2;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--manual-only") {
      profile.manualOnly = 1;
      continue;
    }
    auto field = fields.find(option);
    if (field == fields.end() && option != "--format")
      return Usage(err, kUnknownArgument, option);
    if (i + 1 >= args.size())
      return Usage(err, kNeedsValue, option);
    const std::string& value = args[++i];
    if (option == "--format") {
      if (value != "1" && value != "2")
        return Usage(err, kBadFormat, value);
      format = value == "1" ? 1 : 2;
      continue;
    }
    // The checker refuses such a profile as written with another key.
    if (!IsPrintableText(value)) {
      err << FormatMessageText(NsCatalogText(kNotText), {option}) << '\n';
      return kFailed;
    }
    profile.*(field->second) = value;
  }
  if (profile.serverHost.empty() || profile.objectPath.empty())
    return Usage(err, kNeedsServer);
  if (format < 2 && profile.manualOnly != 0)
    return Usage(err, kBadFormat, "1 --manual-only");
  std::ofstream file(args[1], std::ios::binary | std::ios::trunc);
  file << profile.ProfileBytes(format);
  file.close();
  if (!file) {
    err << FormatMessageText(NsCatalogText(kNotWritten), {args[1]}) << '\n';
    return kFailed;
  }
  return kDone;
}

int Show(const std::string& path, std::ostream& out, std::ostream& err) {
  CNewscoutProfile profile;
  if (!profile.LoadProfile(path)) {
    err << FormatMessageText(NsCatalogText(4000), {path}) << '\n' << profile.LoadErrorText() << '\n';
    return kFailed;
  }
  out << "product=" << profile.productName << '\n'
      << "key-path=" << profile.registryKeyPath << '\n'
      << "server=" << profile.serverHost << '\n'
      << "object=" << profile.objectPath << '\n'
      << "link=" << profile.downloadLink << '\n'
      << "manual-only=" << profile.manualOnly << '\n';
  return kDone;
}

}  // namespace

int RunProfileTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << NsCatalogText(kUsage) << '\n';
    return kDone;
  }
  if (args.size() >= 2 && args[0] == "write")
    return Write(args, err);
  if (args.size() == 2 && args[0] == "show")
    return Show(args[1], out, err);
  return Usage(err);
}
