#include "volume_list.h"

#include <QDir>
#include <QStorageInfo>

namespace velmora {

namespace {

VolumeProvider& provider() {
  static VolumeProvider current;
  return current;
}

bool holds(const QString& volume, const QString& path) {
  if (volume == "/") return path.startsWith('/');
  return path == volume || path.startsWith(volume + '/');
}

}  // namespace

QStringList mounted_volumes() {
  QStringList volumes{"/"};
  for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
    if (!storage.isValid() || !storage.device().startsWith("/dev/")) continue;
    const QString root = QDir::cleanPath(storage.rootPath());
    if (!volumes.contains(root)) volumes.append(root);
  }
  return volumes;
}

void set_volume_provider(VolumeProvider new_provider) { provider() = std::move(new_provider); }

QStringList volume_list() { return provider() ? provider()() : mounted_volumes(); }

QString volume_of(const QStringList& volumes, const QString& path) {
  const QString clean = QDir::cleanPath(path);
  QString best;
  for (const QString& volume : volumes) {
    if (holds(volume, clean) && volume.size() > best.size()) best = volume;
  }
  return best;
}

QString current_folder_of(const QStringList& volumes, const QString& volume) {
  const QString working = QDir::cleanPath(QDir::currentPath());
  return volume_of(volumes, working) == volume ? working : volume;
}

}  // namespace velmora
