#pragma once

#include <QString>

// Images uploaded as data URIs ("data:image/png;base64,..."), kept in a
// folder of the data directory under the name of their digest and served
// back under "/static/<folder>/<name>".
namespace CImageStore {

constexpr int kMaxImageBytes = 5 * 1024 * 1024;

// Stores the image; `path` receives "/static/<folder>/<name>". Returns false
// with a message for anything that is not a PNG, JPEG, GIF or BMP image.
bool saveDataUri(const QString &uri, const QString &folder, QString &path, QString &msg);
// The file behind a "/static/<folder>/<name>" path, or empty.
QString fileFor(const QString &folder, const QString &name);
// The content type of a stored file, from the kind its name records.
QString contentTypeOf(const QString &file);
// An absolute address for a stored path, empty for an empty path.
QString urlFor(const QString &baseUrl, const QString &path);

} // namespace CImageStore
