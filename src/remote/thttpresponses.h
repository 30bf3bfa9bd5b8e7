#pragma once

#include "thttp.h"

#include <QList>
#include <QMap>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

// Response records of the endpoints (beside TS_Author_Info and
// TS_SynchronizaTion_SynData in thttp.h). Each begins with the envelope of
// T_Http_S; a key the server leaves out keeps the field's default. Lists
// hold shared item records, so that a page or the session can keep them.

struct TS_Author_Register : T_Http_S
{
    int uid = 0;
};

struct TS_Author_SendCode : T_Http_S
{
};

// Also the answer of "/author/wxBindPhone".
struct TS_Author_Login : T_Http_S
{
    int uid = 0;
    QString token;
};

struct TS_Author_Logout : T_Http_S
{
};

struct TS_Author_Update : T_Http_S
{
    QString authorName;
    QString sex;
    QString sign;
    QString birthday;
    QString phone;
};

struct TS_Author_UploadImg : T_Http_S
{
    QString headImg; // address of the stored image
};

struct TS_Author_EditPwd : T_Http_S
{
};

struct T_Author_BannerListItem
{
    QString content;
    QString picUrl;
    QString linkUrl;
    QString localPic; // filled by whoever downloads the picture
};
using T_Author_BannerListItemPtr = QSharedPointer<T_Author_BannerListItem>;

struct TS_Author_BannerList : T_Http_S
{
    QList<T_Author_BannerListItemPtr> bannerList;
};

struct TS_Author_WxCodeLogin : T_Http_S
{
    QString url; // the page the QR code encodes
};

struct TS_Author_PollingWx : T_Http_S
{
    int isBindPhone = 0;
    int status = 0;
    QString token;
    int uid = 0;
};

struct TS_Author_PollingBindWx : TS_Author_PollingWx
{
};

struct TS_AuthorCount_Save : T_Http_S
{
};

struct TS_AuthorCount_UserData : T_Http_S
{
    QList<int> speedData;
    QStringList timeData;
    QList<int> wordData;
    QList<int> writeTimeData;
};

struct TS_Books_AddBook : T_Http_S
{
    int bookId = 0;
    int localId = 0;
    int uid = 0;
};

struct TS_Books_ListItem
{
    int bookId = 0;
    QString bookName;
    QString cover;
    int wordNum = 0;
};
using TS_Books_ListItemPtr = QSharedPointer<TS_Books_ListItem>;

struct TS_Books_List : T_Http_S
{
    QList<TS_Books_ListItemPtr> books;
};

struct TS_Books_Info : T_Http_S
{
    int authorId = 0;
    int bookId = 0;
    QString bookName;
    int cateId = 0;
    int channelType = 0;
    int chapterCount = 0;
    QString cover;
    int createTime = 0;
    int firstCateId = 0;
    QString intro;
    int updateTime = 0;
    int wordNum = 0;
};

// A category node; children have the same form, to any depth.
struct T_Books_CateItem;
using T_Books_CateItemPtr = QSharedPointer<T_Books_CateItem>;
using TS_Books_CateList = QList<T_Books_CateItemPtr>;

struct T_Books_CateItem
{
    int cateId = 0;
    QString cateName;
    TS_Books_CateList children;
};

struct TS_Books_Cate : T_Http_S
{
    int version = 0;
    TS_Books_CateList female;
    TS_Books_CateList male;
};

// The answer of "/books/editBook"; every field is read as text.
struct TS_Books_Edit : T_Http_S
{
    QString cover;
    QString intro;
    QString cateId;
    QString bookName;
    QString channelType;
};

struct TS_Chapter_Create : T_Http_S
{
    int bookId = 0;
    int chapterId = 0;
    int localId = 0;
    QString chapterName;
};

struct T_Chapter_BatchCreateItem
{
    int localId = 0;
    int chapterId = 0;
};
using T_Chapter_BatchCreateItemPtr = QSharedPointer<T_Chapter_BatchCreateItem>;

struct TS_Chapter_BatchCreate : T_Http_S
{
    QList<T_Chapter_BatchCreateItemPtr> chapters;
};

struct T_Chapter_MenuItem
{
    int bookId = 0;
    int chapterId = 0;
    int orderNum = 0;
    QString chapterName;
    int status = 1; // live unless the server says 0 (recycle bin)
};
using T_Chapter_MenuItemPtr = QSharedPointer<T_Chapter_MenuItem>;

struct TS_Chapter_Menu : T_Http_S
{
    QString order;
    int wordNum = 0;
    QList<T_Chapter_MenuItemPtr> menu;
};

// One chapter as "/chapter/chapter" and "/chapter/getChapters" give it.
struct T_Chapter_ChapterItem
{
    QString content;
    QString chapterName;
    int wordCount = 0;
    int bookId = 0;
    int chapterId = 0;
    int orderNum = 0;
    int status = 1; // live unless the server says 0 (recycle bin)
    int createTime = 0;
    int updateTime = 0;
};
using T_Chapter_ChapterItemPtr = QSharedPointer<T_Chapter_ChapterItem>;

struct TS_Chapter_Chapter : T_Http_S, T_Chapter_ChapterItem
{
};

struct TS_Chapter_GetChapters : T_Http_S
{
    QList<T_Chapter_ChapterItemPtr> chapters;
};

// The chapter as it stands now ("origin" of "/chapter/timeMachine").
struct T_Chapter_TimeMachineOrigin
{
    int bookId = 0;
    int chapterId = 0;
    QString content;
    int createTime = 0;
    int wordCount = 0;
};

// One snapshot ("blade").
struct T_Chapter_TimeMachineItem
{
    int id = 0;
    QString content;
    int createTime = 0;
    int wordNum = 0;
};
using T_Chapter_TimeMachineItemPtr = QSharedPointer<T_Chapter_TimeMachineItem>;

struct TS_Chapter_TimeMachine : T_Http_S
{
    T_Chapter_TimeMachineOrigin origin;
    QList<T_Chapter_TimeMachineItemPtr> blade;
};

struct TS_Sensitive_Edit : T_Http_S
{
};

struct TS_Sensitive_Get : T_Http_S
{
    int version = 0;
    QString sensitiveWords;
    int sensitive_type = 0;
};

struct TS_Sensitive_NameData : T_Http_S
{
    int version = 0;
    QMap<int, QString> data; // name type -> name material
};

// One server change of the change feed.
struct T_SynchronizaTion_SynBookDataItem
{
    int book_id = 0; // for memo changes: the memo's server id
    int chapter_id = 0;
    int change_type = 0;
    int id = 0;    // task id
    QString extra; // JSON object text
};
using T_SynchronizaTion_SynBookDataItemPtr = QSharedPointer<T_SynchronizaTion_SynBookDataItem>;

struct TS_SynchronizaTion_SynBookData : T_Http_S
{
    QList<T_SynchronizaTion_SynBookDataItemPtr> items;
};

struct TS_Memo_Add : T_Http_S
{
    int memoId = 0;
};

struct TS_Memo_Detail : T_Http_S
{
    int id = 0;
    int uid = 0;
    QString color;
    QString content;
    int updateTime = 0;
    int colorUpdateTime = 0;
    int bookId = 0;
    int chapterId = 0;
    QString location;
};
