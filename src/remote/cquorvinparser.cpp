#include "cquorvinparser.h"

#include "chttputil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

bool toInt(const QJsonValue &value, int &out)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (std::floor(number) != number || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max())
        return false;
    out = static_cast<int>(number);
    return true;
}

void readInt(const QJsonObject &object, const char *key, int &field)
{
    toInt(object.value(QLatin1String(key)), field);
}

void readStr(const QJsonObject &object, const char *key, QString &field)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isString())
        field = value.toString();
}

// A key whose value the server may give as text or as a whole number.
void readText(const QJsonObject &object, const char *key, QString &field)
{
    const QJsonValue value = object.value(QLatin1String(key));
    int number = 0;
    if (value.isString())
        field = value.toString();
    else if (toInt(value, number))
        field = QString::number(number);
}

void readBool(const QJsonObject &object, const char *key, int &field)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isBool())
        field = value.toBool() ? 1 : 0;
    else if (value.isDouble())
        field = value.toDouble() != 0 ? 1 : 0;
}

QJsonObject contentObject(const QJsonObject &root)
{
    return root.value(QLatin1String("content")).toObject();
}

QJsonArray contentArray(const QJsonObject &root)
{
    return root.value(QLatin1String("content")).toArray();
}

void readIntList(const QJsonObject &object, const char *key, QList<int> &list)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isArray())
        return;
    list.clear();
    for (const QJsonValue &element : value.toArray()) {
        int number = 0;
        toInt(element, number);
        list.append(number);
    }
}

void readStrList(const QJsonObject &object, const char *key, QStringList &list)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isArray())
        return;
    list.clear();
    for (const QJsonValue &element : value.toArray())
        list.append(element.toString());
}

// Every object element of `array` read by `read` into a new shared item.
template <class Item, class Read> QList<QSharedPointer<Item>> readItems(const QJsonArray &array, Read read)
{
    QList<QSharedPointer<Item>> items;
    for (const QJsonValue &element : array) {
        if (!element.isObject())
            continue;
        auto item = QSharedPointer<Item>::create();
        read(element.toObject(), *item);
        items.append(item);
    }
    return items;
}

void readChapter(const QJsonObject &o, T_Chapter_ChapterItem &c)
{
    readStr(o, "content", c.content);
    readStr(o, "chapter_name", c.chapterName);
    readInt(o, "word_count", c.wordCount);
    readInt(o, "book_id", c.bookId);
    readInt(o, "chapter_id", c.chapterId);
    readInt(o, "order_num", c.orderNum);
    readInt(o, "status", c.status);
    readInt(o, "create_time", c.createTime);
    readInt(o, "update_time", c.updateTime);
}

TS_Books_CateList readCategories(const QJsonArray &array)
{
    return readItems<T_Books_CateItem>(array, [](const QJsonObject &o, T_Books_CateItem &node) {
        readInt(o, "cate_id", node.cateId);
        readStr(o, "cate_name", node.cateName);
        node.children = readCategories(o.value(QLatin1String("children")).toArray());
    });
}

// "extra" is JSON object text; an object sent as such is kept as its text.
void readExtra(const QJsonObject &object, QString &field)
{
    const QJsonValue value = object.value(QLatin1String("extra"));
    if (value.isString())
        field = value.toString();
    else if (value.isObject())
        field = QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
}

} // namespace

QJsonObject CQuorvinParser::envelope(const QByteArray &body, T_Http_S &out)
{
    const QJsonObject root = QJsonDocument::fromJson(body).object();
    readInt(root, "code", out.code);
    readStr(root, "msg", out.msg);
    readInt(root, "server_time", out.server_time);
    const QJsonValue userdata = root.value(QLatin1String("userdata"));
    if (userdata.isString())
        HttpUtil::parseUserdata(userdata.toString(), out.userdata);
    return root;
}

void CQuorvinParser::parse(const QByteArray &body, T_Http_S &out)
{
    envelope(body, out);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_Register &out)
{
    readInt(contentObject(envelope(body, out)), "uid", out.uid);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_Login &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "uid", out.uid);
    readStr(o, "token", out.token);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_Info &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readStr(o, "author_name", out.authorName);
    readStr(o, "headimg", out.headImgUrl);
    readStr(o, "sex", out.sex);
    readStr(o, "sign", out.sign);
    readStr(o, "birthday", out.birthday);
    readBool(o, "isBindWx", out.isBindWx);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_Update &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readStr(o, "author_name", out.authorName);
    readStr(o, "sex", out.sex);
    readStr(o, "sign", out.sign);
    readStr(o, "birthday", out.birthday);
    readStr(o, "phone", out.phone);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_UploadImg &out)
{
    readStr(contentObject(envelope(body, out)), "headimg", out.headImg);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_BannerList &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    const QJsonValue list = o.value(QLatin1String("bannerList"));
    if (!list.isArray())
        return;
    out.bannerList = readItems<T_Author_BannerListItem>(
        list.toArray(), [](const QJsonObject &item, T_Author_BannerListItem &banner) {
            readStr(item, "content", banner.content);
            readStr(item, "pic_url", banner.picUrl);
            readStr(item, "link_url", banner.linkUrl);
        });
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_WxCodeLogin &out)
{
    readStr(contentObject(envelope(body, out)), "url", out.url);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Author_PollingWx &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "isBindPhone", out.isBindPhone);
    readInt(o, "status", out.status);
    readStr(o, "token", out.token);
    readInt(o, "uid", out.uid);
}

void CQuorvinParser::parse(const QByteArray &body, TS_AuthorCount_UserData &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readIntList(o, "speedData", out.speedData);
    readStrList(o, "timeData", out.timeData);
    readIntList(o, "wordData", out.wordData);
    readIntList(o, "writeTimeData", out.writeTimeData);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Books_AddBook &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "book_id", out.bookId);
    readInt(o, "local_id", out.localId);
    readInt(o, "uid", out.uid);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Books_List &out)
{
    const QJsonObject root = envelope(body, out);
    if (!root.value(QLatin1String("content")).isArray())
        return;
    out.books =
        readItems<TS_Books_ListItem>(contentArray(root), [](const QJsonObject &o, TS_Books_ListItem &b) {
            readInt(o, "book_id", b.bookId);
            readStr(o, "book_name", b.bookName);
            readStr(o, "cover", b.cover);
            readInt(o, "word_num", b.wordNum);
        });
}

void CQuorvinParser::parse(const QByteArray &body, TS_Books_Info &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "author_id", out.authorId);
    readInt(o, "book_id", out.bookId);
    readStr(o, "book_name", out.bookName);
    readInt(o, "cate_id", out.cateId);
    readInt(o, "channel_type", out.channelType);
    readInt(o, "chapter_count", out.chapterCount);
    readStr(o, "cover", out.cover);
    readInt(o, "create_time", out.createTime);
    readInt(o, "first_cate_id", out.firstCateId);
    readStr(o, "intro", out.intro);
    readInt(o, "update_time", out.updateTime);
    readInt(o, "word_num", out.wordNum);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Books_Cate &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "version", out.version);
    if (o.value(QLatin1String("female")).isArray())
        out.female = readCategories(o.value(QLatin1String("female")).toArray());
    if (o.value(QLatin1String("male")).isArray())
        out.male = readCategories(o.value(QLatin1String("male")).toArray());
}

void CQuorvinParser::parse(const QByteArray &body, TS_Books_Edit &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readText(o, "cover", out.cover);
    readText(o, "intro", out.intro);
    readText(o, "cate_id", out.cateId);
    readText(o, "book_name", out.bookName);
    readText(o, "channel_type", out.channelType);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Chapter_Create &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "book_id", out.bookId);
    readInt(o, "chapter_id", out.chapterId);
    readInt(o, "local_id", out.localId);
    readStr(o, "chapter_name", out.chapterName);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Chapter_BatchCreate &out)
{
    const QJsonObject root = envelope(body, out);
    if (!root.value(QLatin1String("content")).isArray())
        return;
    out.chapters = readItems<T_Chapter_BatchCreateItem>(
        contentArray(root), [](const QJsonObject &o, T_Chapter_BatchCreateItem &c) {
            readInt(o, "local_id", c.localId);
            readInt(o, "chapter_id", c.chapterId);
        });
}

void CQuorvinParser::parse(const QByteArray &body, TS_Chapter_Menu &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readStr(o, "order", out.order);
    readInt(o, "word_num", out.wordNum);
    const QJsonValue menu = o.value(QLatin1String("menu"));
    if (!menu.isArray())
        return;
    out.menu =
        readItems<T_Chapter_MenuItem>(menu.toArray(), [](const QJsonObject &item, T_Chapter_MenuItem &m) {
            readInt(item, "book_id", m.bookId);
            readInt(item, "chapter_id", m.chapterId);
            readInt(item, "order_num", m.orderNum);
            readStr(item, "chapter_name", m.chapterName);
            readInt(item, "status", m.status);
        });
}

void CQuorvinParser::parse(const QByteArray &body, TS_Chapter_Chapter &out)
{
    readChapter(contentObject(envelope(body, out)), out);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Chapter_GetChapters &out)
{
    const QJsonObject root = envelope(body, out);
    if (!root.value(QLatin1String("content")).isArray())
        return;
    out.chapters = readItems<T_Chapter_ChapterItem>(contentArray(root), readChapter);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Chapter_TimeMachine &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    const QJsonObject origin = o.value(QLatin1String("origin")).toObject();
    readInt(origin, "book_id", out.origin.bookId);
    readInt(origin, "chapter_id", out.origin.chapterId);
    readStr(origin, "content", out.origin.content);
    readInt(origin, "createTime", out.origin.createTime);
    readInt(origin, "word_count", out.origin.wordCount);
    const QJsonValue blade = o.value(QLatin1String("blade"));
    if (!blade.isArray())
        return;
    out.blade = readItems<T_Chapter_TimeMachineItem>(
        blade.toArray(), [](const QJsonObject &item, T_Chapter_TimeMachineItem &b) {
            readInt(item, "id", b.id);
            readStr(item, "content", b.content);
            readInt(item, "create_time", b.createTime);
            readInt(item, "word_num", b.wordNum);
        });
}

void CQuorvinParser::parse(const QByteArray &body, TS_Sensitive_Get &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "version", out.version);
    readStr(o, "sensitiveWords", out.sensitiveWords);
    readInt(o, "sensitive_type", out.sensitive_type);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Sensitive_NameData &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "version", out.version);
    for (const QJsonValue &element : o.value(QLatin1String("data")).toArray()) {
        const QJsonObject item = element.toObject();
        QString typeText;
        readText(item, "type", typeText);
        bool ok = false;
        const int type = typeText.trimmed().toInt(&ok);
        if (!ok)
            continue;
        QString content;
        readStr(item, "content", content);
        out.data.insert(type, content); // a later entry of the same type wins
    }
}

void CQuorvinParser::parse(const QByteArray &body, TS_SynchronizaTion_SynData &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "cateVersion", out.cateVersion);
    readInt(o, "peopleNameDataVersion", out.peopleNameVersion);
    readInt(o, "sensitiveVersion", out.sensitiveVersion);
}

void CQuorvinParser::parse(const QByteArray &body, TS_SynchronizaTion_SynBookData &out)
{
    const QJsonObject root = envelope(body, out);
    if (!root.value(QLatin1String("content")).isArray())
        return;
    out.items = readItems<T_SynchronizaTion_SynBookDataItem>(
        contentArray(root), [](const QJsonObject &o, T_SynchronizaTion_SynBookDataItem &item) {
            readInt(o, "id", item.id);
            readInt(o, "book_id", item.book_id);
            readInt(o, "change_type", item.change_type);
            readInt(o, "chapter_id", item.chapter_id);
            readExtra(o, item.extra);
        });
}

void CQuorvinParser::parse(const QByteArray &body, TS_Memo_Add &out)
{
    readInt(contentObject(envelope(body, out)), "memo_id", out.memoId);
}

void CQuorvinParser::parse(const QByteArray &body, TS_Memo_Detail &out)
{
    const QJsonObject o = contentObject(envelope(body, out));
    readInt(o, "id", out.id);
    readInt(o, "uid", out.uid);
    readStr(o, "color", out.color);
    readStr(o, "content", out.content);
    readInt(o, "update_time", out.updateTime);
    readInt(o, "color_update_time", out.colorUpdateTime);
    readInt(o, "book_id", out.bookId);
    readInt(o, "chapter_id", out.chapterId);
    readStr(o, "location", out.location);
}
