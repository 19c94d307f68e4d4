#include "clientinfo/boot_counter_file.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QSaveFile>

#include <climits>
#include <utility>
#include <vector>

namespace kav::clientinfo {
namespace {

using Entries = std::vector<std::pair<std::string, int>>;

// kNoFile, kUnreadable or 0 with the entries.
int ReadEntries(const std::string& path, Entries& entries) {
  QFile file(QString::fromStdString(path));
  if (!file.exists()) return CBootCounterFile::kNoFile;
  if (!file.open(QIODevice::ReadOnly)) return CBootCounterFile::kUnreadable;
  const QList<QByteArray> lines = file.readAll().split('\n');
  for (const QByteArray& raw : lines) {
    QByteArray line = raw.trimmed();
    if (line.isEmpty()) continue;
    QList<QByteArray> parts = line.simplified().split(' ');
    bool ok = false;
    long long boots = parts.size() == 2 ? parts[1].toLongLong(&ok) : 0;
    if (!ok || boots < 0 || boots > INT_MAX) return CBootCounterFile::kUnreadable;
    entries.emplace_back(parts[0].toStdString(), static_cast<int>(boots));
  }
  return 0;
}

}  // namespace

int CBootCounterFile::Load(const std::string& engineId) const {
  Entries entries;
  int rc = ReadEntries(m_path, entries);
  if (rc < 0) return rc;
  for (const auto& [id, boots] : entries)
    if (id == engineId) return boots;
  return kNoEntry;
}

bool CBootCounterFile::Save(const std::string& engineId, int boots) const {
  if (engineId.empty() || engineId.find_first_of(" \t\r\n") != std::string::npos || boots < 0) return false;
  Entries entries;
  if (ReadEntries(m_path, entries) == kUnreadable) entries.clear();  // rewritten from scratch
  bool found = false;
  for (auto& entry : entries)
    if (entry.first == engineId) {
      entry.second = boots;
      found = true;
    }
  if (!found) entries.emplace_back(engineId, boots);
  QByteArray text;
  for (const auto& [id, count] : entries) text += QByteArray::fromStdString(id) + ' ' + QByteArray::number(count) + '\n';
  QSaveFile file(QString::fromStdString(m_path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(text) != text.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace kav::clientinfo
