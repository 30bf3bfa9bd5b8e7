#pragma once

#include "capicall.h"

// Author-scoped lookups shared by the book, chapter and memo handlers:
// every id a request names is checked against the signed-in author, and a
// creation resent by the same client returns the id it got the first time.
namespace CAuthorData {

enum CreationKind
{
    Creation_Book = 1,
    Creation_Chapter = 2,
    Creation_Memo = 3
};

// Word count of a chapter text: every character but blanks and line breaks.
int wordCount(const QString &text);

// True when the book exists and belongs to the caller; refuses otherwise.
bool ownBook(T_ApiCall &c, qint64 bookId);
// True when the chapter exists in that book of the caller; refuses otherwise.
bool ownChapter(T_ApiCall &c, qint64 bookId, qint64 chapterId);

// The server id an earlier identical creation got, or 0 when there was none
// or that object has been deleted since. A creation is identified by the
// author, the client's unique code, the kind, the parent (the book of a
// chapter, 0 otherwise) and the client's local id.
qint64 createdBefore(const T_ApiCall &c, CreationKind kind, qint64 localId, qint64 parentId = 0);
// Remembers a creation; inside a write transaction.
bool rememberCreation(const T_ApiCall &c, CreationKind kind, qint64 localId, qint64 serverId,
                      qint64 parentId = 0);

} // namespace CAuthorData
