#pragma once

#include <QHash>
#include <QString>

#include <cstddef>

// Form and query text "a=1&b=2" read in place: each key and value is
// decoded straight from the request's bytes, and a text with more fields
// than any request of the catalogue sends is refused before anything is
// kept for it, so a body of a million empty fields costs no more than one
// with a single field.
namespace CFormFields {

enum Result
{
    Form_Ok,
    Form_Broken,  // a broken %-escape, bytes that are not UTF-8, or a NUL
    Form_TooMany, // more than kMaxFields fields
};

constexpr int kMaxFields = 64;

// Strict: keys and values must decode exactly. Fields already in `out`
// are replaced by later ones of the same key.
Result parse(const char *data, size_t size, QHash<QString, QString> &out);
// Lenient, for the web pages: broken escapes are kept as they are.
Result parseLenient(const char *data, size_t size, QHash<QString, QString> &out);

// Walks a list of positive ids separated by commas ("3,5,8") without
// splitting it: Form_Broken for an item that is not a positive integer,
// Form_TooMany as soon as there are more than `max`.
Result parseIds(const QString &text, int max, QList<qint64> &out);

} // namespace CFormFields
