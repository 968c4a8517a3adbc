// The drives of the drive list: the mounted volumes backed by a device under /dev, and "/".
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace velmora {

// Mount points, "/" first, each once.
QStringList mounted_volumes();

// The list the viewer shows; tests put their own folders in place of the machine's volumes.
using VolumeProvider = std::function<QStringList()>;
void set_volume_provider(VolumeProvider provider);  // an empty provider restores mounted_volumes()
QStringList volume_list();

// The volume of `volumes` that holds `path` (the longest mount point above it), or "" if none.
QString volume_of(const QStringList& volumes, const QString& path);

// A drive's current folder: the working folder when it lies on that drive, else the drive's top.
QString current_folder_of(const QStringList& volumes, const QString& volume);

}  // namespace velmora
