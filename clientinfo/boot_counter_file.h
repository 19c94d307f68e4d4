// The SNMPv3 engine boot counter, kept across runs in a small text file:
// one line per engine identifier, "<engine-id> <boots>".
#pragma once

#include <string>

namespace kav::clientinfo {

class CBootCounterFile {
 public:
  static constexpr const char* kFileName = "QxSNMP_PP_BootCounter";

  explicit CBootCounterFile(std::string path) : m_path(std::move(path)) {}
  const std::string& Path() const { return m_path; }

  // The stored boots (>= 0), or kNoFile, kNoEntry, kUnreadable.
  static constexpr int kNoFile = -1;
  static constexpr int kNoEntry = -2;
  static constexpr int kUnreadable = -3;  // cannot be read, or a line is not "<id> <boots>"
  int Load(const std::string& engineId) const;

  // Stores boots for engineId, keeping the other engines' lines.  The file
  // is replaced whole, so a crash leaves the old or the new one.
  bool Save(const std::string& engineId, int boots) const;

 private:
  std::string m_path;
};

}  // namespace kav::clientinfo
