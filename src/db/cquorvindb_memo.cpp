// CQuorvinDb: memos and the reference data (categories, sensitive words,
// name lists).
#include "cquorvindb.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

bool CQuorvinDb::getMemos(int uid, QList<T_Memo *> &memos)
{
    qDeleteAll(memos);
    memos.clear();
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral(
                                      "select * from tb_memo where uid = %1 order by colorUpdateTime Desc;"),
                                  {uid})))
        return false;
    const QSqlRecord record = query.record();
    auto value = [&](const char *column) { return query.value(record.indexOf(QLatin1String(column))); };
    while (query.next()) {
        auto *memo = new T_Memo;
        memo->localId = value("localId").toInt();
        memo->memoId = value("memoId").toInt();
        memo->color = value("color").toString();
        memo->content = value("content").toString();
        memo->updateTime = value("updateTime").toInt();
        memo->colorUpdateTime = value("colorUpdateTime").toInt();
        memo->bookId = value("bookId").toInt();
        memo->chapterId = value("chapterId").toInt();
        memo->localBookId = value("localBookId").toInt();
        memo->localChapterId = value("localChapterId").toInt();
        memo->x = value("x").toFloat();
        memo->y = value("y").toFloat();
        memos.append(memo);
    }
    return true;
}

bool CQuorvinDb::insertMemo(int uid, T_Memo &memo)
{
    // The memo and the author's memo count go together, or neither does.
    const bool ok = inTransaction([&] {
        const QString sql =
            sqlFormat(QStringLiteral("insert into tb_memo(color,content,updateTime,colorUpdateTime,memoId,"
                                     "uid) values('%1','%2',%3,%4,%5,%6);"),
                      {memo.color, memo.content, memo.updateTime, memo.updateTime, memo.memoId, uid});
        if (!execAll({sql}))
            return false;
        memo.localId = lastInsertId(QStringLiteral("tb_memo"));
        return execAll({sqlFormat(
            QStringLiteral("update tb_system_conf set memoCount = memoCount + 1 where uid = %1"), {uid})});
    });
    if (!ok) {
        memo.localId = 0;
        return false;
    }
    memo.colorUpdateTime = memo.updateTime;
    T_SessionData::instance().user.memoCount += 1;
    return true;
}

bool CQuorvinDb::updateMemo(int uid, const T_Memo &memo)
{
    return execAll({sqlFormat(
        QStringLiteral(
            "update tb_memo set color = '%1',content = '%2',updateTime = %3,colorUpdateTime = %4,bookId = "
            "%5,chapterId = %6,localBookId = %7,localChapterId = %8,x = %9,y = %10 where localId = %11 and "
            "uid = %12;"),
        {memo.color, memo.content, memo.updateTime, memo.colorUpdateTime, memo.bookId, memo.chapterId,
         memo.localBookId, memo.localChapterId, memo.x, memo.y, memo.localId, uid})});
}

bool CQuorvinDb::deleteMemo(int localMemoId, int uid)
{
    return execAll({sqlFormat(QStringLiteral("delete from tb_memo where localId = %1 and uid = %2"),
                              {localMemoId, uid})});
}

bool CQuorvinDb::setMemoServerId(int localMemoId, int memoId)
{
    const QString column = QStringLiteral("memoId");
    return inTransaction([&] {
        return updateWhere(QStringLiteral("tb_memo"), column, memoId, QStringLiteral("localId"),
                           localMemoId) &&
               updateWhere(QStringLiteral("tb_job"), column, memoId, QStringLiteral("localMemoId"),
                           localMemoId);
    });
}

// Categories ---------------------------------------------------------------

bool CQuorvinDb::saveCateList(int version, const QVector<T_Category> &male, const QVector<T_Category> &female)
{
    // One transaction: a half-written list would be read as the whole list
    // of the old version.
    return inTransaction([&] {
        return execAll({QStringLiteral("delete from tb_cate;")}) && insertCate(male) && insertCate(female) &&
               execAll({sqlFormat(QStringLiteral("update tb_sys set cateVersion = %1,maleCateCount = "
                                                 "%2,femaleCateCount = %3;"),
                                  {version, male.size(), female.size()})});
    });
}

bool CQuorvinDb::insertCate(const QVector<T_Category> &list)
{
    QSqlQuery query(connection());
    for (const T_Category &item : list) {
        if (!sqlExec(
                query,
                sqlFormat(QStringLiteral("insert into tb_cate(cateId,fId,cateName,channelType,childCount) "
                                         "values(%1,%2,'%3',%4,%5);"),
                          {item.cateId, item.fId, item.cateName, item.channelType, item.childCount})))
            return false;
        for (const T_Category &child : item.children) {
            if (!sqlExec(query,
                         sqlFormat(QStringLiteral("insert into tb_cate(cateId,fId,cateName,channelType) "
                                                  "values(%1,%2,'%3',%4);"),
                                   {child.cateId, child.fId, child.cateName, child.channelType})))
                return false;
        }
    }
    return true;
}

namespace {

T_Category readCategory(const QSqlQuery &query)
{
    T_Category item;
    item.cateId = query.value(0).toInt();
    item.fId = query.value(1).toInt();
    item.cateName = query.value(2).toString();
    item.channelType = query.value(3).toInt();
    item.childCount = query.value(4).toInt();
    return item;
}

// Puts a sub-category into the first empty slot of its parent's children.
void placeSubCategory(QVector<T_Category> &list, const T_Category &child)
{
    for (T_Category &parent : list) {
        if (parent.cateId != child.fId)
            continue;
        for (T_Category &slot : parent.children) {
            if (slot.cateId < 1) {
                slot = child;
                return;
            }
        }
    }
}

} // namespace

bool CQuorvinDb::getCateList(T_CategoryData &categories)
{
    if (categories.male.isEmpty() || categories.female.isEmpty())
        return true; // nothing sized to fill
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("select cateId,fId,cateName,channelType,childCount from tb_cate order by "
                                "cateId,fId asc")))
        return false;
    int nextMale = 0;
    int nextFemale = 0;
    while (query.next()) {
        T_Category item = readCategory(query);
        if (item.fId == 1 || item.fId == 2) {
            QVector<T_Category> &list = item.fId == 1 ? categories.male : categories.female;
            int &next = item.fId == 1 ? nextMale : nextFemale;
            if (next < list.size()) {
                item.children = QVector<T_Category>(qMax(0, item.childCount));
                list[next++] = item;
            }
        } else if (item.channelType == 1 || item.channelType == 2) {
            placeSubCategory(item.channelType == 1 ? categories.male : categories.female, item);
        }
    }
    return true;
}

// Sensitive words ----------------------------------------------------------

bool CQuorvinDb::saveSensitiveWords(int uid, int kind, const QString &words, int version)
{
    if (kind == 2) {
        return execAll({sqlFormat(
            QStringLiteral("update tb_sensitive_words set words = '%1' where type = 2 and uid = %2"),
            {words, uid})});
    }
    if (kind != 1)
        return false;
    // One transaction: the public list is deleted first and must not stay
    // deleted when the new one cannot be written.
    return inTransaction([&] {
        return execAll(
            {QStringLiteral("delete from tb_sensitive_words where type = 1;"),
             QStringLiteral("insert into tb_sensitive_words(type) values(1)"),
             sqlFormat(QStringLiteral("update tb_sensitive_words set words = '%1' where type = 1;"), {words}),
             sqlFormat(QStringLiteral("update tb_sys set sensitiveVersion = %1"), {version})});
    });
}

bool CQuorvinDb::saveCustomSensitiveWords(T_Http_C &header, const QString &words, int createTime)
{
    if (header.uid < 1)
        return false;
    header.jobType = JobType_SensitiveEdit;
    return inTransaction([&] {
        QSqlQuery query(connection());
        query.setForwardOnly(true);
        if (!sqlExec(query,
                     sqlFormat(QStringLiteral("select count(*) from tb_sensitive_words where type = 2 and "
                                              "uid = %1;"),
                               {header.uid})) ||
            !query.next())
            return false;
        const bool hasRow = query.value(0).toInt() > 0;
        query.finish();
        QStringList statements;
        if (!hasRow)
            statements << sqlFormat(QStringLiteral("insert into tb_sensitive_words(uid,type) values(%1,2);"),
                                    {header.uid});
        statements << sqlFormat(QStringLiteral(
                                    "update tb_sensitive_words set words = '%1' where type = 2 and uid = %2"),
                                {words, header.uid})
                   << sqlFormat(QStringLiteral("delete from tb_job where uid = %1 and jobType = %2;"),
                                {header.uid, int(JobType_SensitiveEdit)});
        return execAll(statements) && insertJob(header, words, createTime);
    });
}

bool CQuorvinDb::getSensitiveWords(int uid, QString &publicWords, QString &authorWords)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("select words from tb_sensitive_words where type = 1 limit 1;")))
        return false;
    if (query.next())
        publicWords = query.value(0).toString();
    if (!sqlExec(query,
                 sqlFormat(QStringLiteral("select words from tb_sensitive_words where type = 2 and uid = %1 "
                                          "limit 1;"),
                           {uid})))
        return false;
    if (query.next())
        authorWords = query.value(0).toString();
    return true;
}

// Name lists ---------------------------------------------------------------

bool CQuorvinDb::saveNames(QMap<int, QString> &names, int version)
{
    const bool ok = inTransaction([&] {
        QSqlQuery query(connection());
        if (!sqlExec(query, QStringLiteral("delete from tb_people")))
            return false;
        for (auto it = names.cbegin(); it != names.cend(); ++it) {
            if (!sqlExec(query, sqlFormat(QStringLiteral("insert into tb_people(type,name) values(%1,'%2')"),
                                          {it.key(), it.value()})))
                return false;
        }
        return sqlExec(query,
                       sqlFormat(QStringLiteral("update tb_sys set peopleNameVersion = %1;"), {version}));
    });
    names.clear();
    return ok;
}

bool CQuorvinDb::getNames(int type, QStringList &names)
{
    if (type < 1 || type > 12)
        return false;
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select name from tb_people where type = %1;"), {type})))
        return false;
    while (query.next())
        names = query.value(0).toString().split(QLatin1Char(','));
    return true;
}

bool CQuorvinDb::getAllNames(QMap<int, QStringList> &nameData)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("select type,name from tb_people order by id asc")))
        return false;
    while (query.next())
        nameData.insert(query.value(0).toInt(), query.value(1).toString().split(QLatin1Char(',')));
    return true;
}
