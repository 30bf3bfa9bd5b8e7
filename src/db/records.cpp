#include "records.h"

#include <QCoreApplication>

T_Book::~T_Book()
{
    clearChapters();
}

void T_Book::clearChapters()
{
    qDeleteAll(chapterList);
    chapterList.clear();
    qDeleteAll(recycleList);
    recycleList.clear();
    isChaptersLoaded = false;
}

T_SessionData &T_SessionData::instance()
{
    static T_SessionData *session = [] {
        registerRecordMetaTypes();
        return new T_SessionData;
    }();
    return *session;
}

T_SessionData::~T_SessionData()
{
    clearBooks();
    clearMemos();
}

void T_SessionData::clearBooks()
{
    qDeleteAll(books);
    books.clear();
}

void T_SessionData::clearMemos()
{
    qDeleteAll(memos);
    memos.clear();
}

void registerRecordMetaTypes()
{
    qRegisterMetaType<T_Memo>("T_Memo");
}

// Registered at start as well, so that a model handing out a memo works
// before anything touched the session.
Q_COREAPP_STARTUP_FUNCTION(registerRecordMetaTypes)
