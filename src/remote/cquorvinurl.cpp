#include "cquorvinurl.h"

#include "apppaths.h"

#include <QHostAddress>
#include <QSettings>
#include <QUrl>
#include <QtDebug>

const QMap<int, QString> &CQuorvinUrl::table()
{
    static const QMap<int, QString> paths{
        {AuthorRegister, QStringLiteral("/author/register")},
        {AuthorSendCode, QStringLiteral("/author/sendCode")},
        {AuthorLogin, QStringLiteral("/author/login")},
        {AuthorLogout, QStringLiteral("/author/logOut")},
        {AuthorInfo, QStringLiteral("/author/info")},
        {AuthorUpdate, QStringLiteral("/author/updateAuthor")},
        {AuthorUploadImg, QStringLiteral("/author/uploadimg")},
        {AuthorEditPass, QStringLiteral("/author/editPass")},
        {AuthorChangePhone, QStringLiteral("/author/changePhone")},
        {AuthorSetNewPwd, QStringLiteral("/author/setNewPwd")},
        {BooksAddBook, QStringLiteral("/books/addBook")},
        {BooksList, QStringLiteral("/books/booksList")},
        {BooksInfo, QStringLiteral("/books/bookinfo")},
        {BooksDelete, QStringLiteral("/books/deleteBook")},
        {BooksCate, QStringLiteral("/books/getCate")},
        {BooksEdit, QStringLiteral("/books/editBook")},
        {BooksImport, QStringLiteral("/books/importBook")},
        {ChapterCreate, QStringLiteral("/chapter/createChapter")},
        {ChapterBatchCreate, QStringLiteral("/chapter/batchCreateChapter")},
        {ChapterRecycle, QStringLiteral("/chapter/recycle")},
        {ChapterDel, QStringLiteral("/chapter/delChapter")},
        {ChapterMenu, QStringLiteral("/chapter/chapterMenu")},
        {ChapterChapter, QStringLiteral("/chapter/chapter")},
        {ChapterGetChapters, QStringLiteral("/chapter/getChapters")},
        {ChapterEdit, QStringLiteral("/chapter/editChapter")},
        {ChapterMove, QStringLiteral("/chapter/moveChapter")},
        {ChapterContentBlade, QStringLiteral("/chapter/contentBlade")},
        {ChapterTimeMachine, QStringLiteral("/chapter/timeMachine")},
        {SensitiveEdit, QStringLiteral("/sensitive/editSensitive")},
        {SensitiveGet, QStringLiteral("/sensitive/getSensitive")},
        {SensitiveNameData, QStringLiteral("/sensitive/nameData")},
        {SynData, QStringLiteral("/synchronization/synData")},
        {SynBookData, QStringLiteral("/synchronization/synBookData")},
        {SynAuthor, QStringLiteral("/synchronization/synAuthor")},
        {AuthorCountSave, QStringLiteral("/authorcount/saveData")},
        {AuthorCountUserData, QStringLiteral("/authorcount/userData")},
        {AuthorDelData, QStringLiteral("/author/delData")},
        {AuthorBannerList, QStringLiteral("/author/bannerList")},
        {AuthorWxCodeLogin, QStringLiteral("/author/wxCodeLogin")},
        {AuthorPollingWx, QStringLiteral("/author/pollingWx")},
        {AuthorWxBindPhone, QStringLiteral("/author/wxBindPhone")},
        {MemoAdd, QStringLiteral("/memo/addMemo")},
        {MemoDel, QStringLiteral("/memo/delMemo")},
        {MemoEdit, QStringLiteral("/memo/editMemo")},
        {MemoDetail, QStringLiteral("/memo/memoDetail")},
        {MemoList, QStringLiteral("/memo/memoList")},
    };
    return paths;
}

QString CQuorvinUrl::path(int number)
{
    return table().value(number);
}

QString CQuorvinUrl::defaultBaseUrl()
{
    return QStringLiteral("https://api.quorvin.example");
}

QString CQuorvinUrl::baseUrlFromSettings()
{
    QSettings settings(AppPaths::settingsFile(), QSettings::IniFormat);
    const QString configured = settings.value(QStringLiteral("server/baseUrl")).toString().trimmed();
    if (configured.isEmpty())
        return defaultBaseUrl();
    QString normalised;
    if (!normaliseBaseUrl(configured, &normalised)) {
        qWarning() << "server address refused, using" << defaultBaseUrl() << ":" << configured;
        return defaultBaseUrl();
    }
    return normalised;
}

bool CQuorvinUrl::isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    QHostAddress address;
    return address.setAddress(host) && address.isLoopback();
}

bool CQuorvinUrl::normaliseBaseUrl(const QString &url, QString *normalised)
{
    const QUrl parsed(url.trimmed(), QUrl::StrictMode);
    if (!parsed.isValid() || parsed.host().isEmpty() || parsed.hasQuery() || parsed.hasFragment() ||
        !parsed.userInfo().isEmpty())
        return false;
    const QString scheme = parsed.scheme().toLower();
    if (scheme != QLatin1String("https") &&
        !(scheme == QLatin1String("http") && isLoopbackHost(parsed.host())))
        return false;
    QString text = parsed.toString(QUrl::FullyEncoded);
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    if (normalised)
        *normalised = text;
    return true;
}
