#include "external/XoloClient.h"

#include <cctype>

namespace VelkCOM {

namespace {

XoloClient* installedSession = nullptr;

const char kSessionPrefix[] = "Norix_";

// The first prefixed session name in `text`: the prefix and every letter,
// digit or "_" that follows it. Empty when the text has no prefix.
std::string firstSessionName(const std::string& text) {
  const std::string::size_type start = text.find(kSessionPrefix);
  if (start == std::string::npos) return std::string();
  std::string::size_type end = start + sizeof(kSessionPrefix) - 1;
  while (end < text.size() &&
         (std::isalnum(static_cast<unsigned char>(text[end])) ||
          text[end] == '_')) {
    ++end;
  }
  return text.substr(start, end - start);
}

}  // namespace

XoloClient::XoloClient() = default;

XoloClient::~XoloClient() {
  // Holders keep plain pointers obtained from getInstance; a session that
  // goes away must not stay reachable from there.
  if (installedSession == this) installedSession = nullptr;
}

XoloClient* XoloClient::getInstance() { return installedSession; }

void XoloClient::setInstance(XoloClient* session) {
  installedSession = session;
}

double XoloClient::GetDataByName(const std::string& name, int /*stage*/) {
  throw NorixNameNotFound(name);
}

std::string XoloClient::GetStringDataByName(const std::string& formula,
                                            int /*stage*/) {
  const std::string name = firstSessionName(formula);
  throw NorixNameNotFound(name.empty() ? formula : name);
}

void XoloClient::StageTags(
    std::vector<std::pair<int, std::string>>& /*tags*/) const {}

void XoloClient::GetGroupParameter(const std::vector<int>& /*fids*/,
                                   double& circumference, double& area,
                                   double& maxDiameter) const {
  circumference = 0.0;
  area = 0.0;
  maxDiameter = 0.0;
}

}  // namespace VelkCOM
