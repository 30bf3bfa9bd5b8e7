#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// Reference data shared by every author: the category trees of the two
// channels, the public sensitive-word list and the twelve name lists of the
// random name generator. Raising a version makes clients download again.
namespace CReferenceData {

constexpr int kCategoryVersion = 1;
constexpr int kSensitiveVersion = 1;
constexpr int kNameVersion = 2;

// {"version", "male": [...], "female": [...]}, nodes with "cate_id",
// "cate_name", "children".
QJsonObject categories();
bool isCategory(qint64 cateId);
// The parent of a sub-category, the channel (1 or 2) of a first-level one.
qint64 parentOf(qint64 cateId);

// The public list, words separated by "、".
QString publicSensitiveWords();
// [{"type": "1", "content": "王,李,..."}, ...] for types 1 to 12
// (creferencenames.cpp).
QJsonArray nameLists();

} // namespace CReferenceData
