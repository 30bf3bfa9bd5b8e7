#pragma once

#include <QJsonObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// Merging the JSON objects that job rows carry. A chapter's job holds its
// whole text, so a merge rewrites only the members it changes and copies
// every other member's text as it stands, instead of parsing and writing
// the whole object again.

// Members of an object: each key with its value already written as JSON.
using JsonMembers = QVector<QPair<QString, QString>>;

// `text` as a JSON string: quoted, with quotes, backslashes and control
// characters escaped.
QString jsonString(const QString &text);

// The members of `object` named in `keys`, in that order, that it holds.
JsonMembers jsonMembers(const QJsonObject &object, const QStringList &keys);

// The compact text of an object holding `members`.
QString jsonObjectText(const JsonMembers &members);

// `waiting` (a JSON object's text) with each of `changes` replacing the
// member of the same key, or added. When `waiting` is not an object the
// result holds the changes alone.
QString mergeJsonMembers(const QString &waiting, const JsonMembers &changes);
