#pragma once

#include <QString>

namespace Platform {

// Makes a rename or a new file inside `folder` reach the disk, so that a
// power cut after it leaves the new name, not the old one or none. False
// when the folder cannot be flushed.
bool syncFolder(const QString &folder);

} // namespace Platform
