#include "cstorehealth.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>

namespace {

const int kRetryMs = 3000;

// SQLite's primary result codes that say the file cannot be written.
enum SqliteCode
{
    SqlitePerm = 3,
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoErr = 10,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteProtocol = 15,
    SqliteNotADb = 26
};

} // namespace

CStoreHealth::CStoreHealth(QObject *parent) : QObject(parent)
{
    m_retry = new QTimer(this);
    m_retry->setInterval(kRetryMs);
    connect(m_retry, &QTimer::timeout, this, &CStoreHealth::retryNow);
}

CStoreHealth *CStoreHealth::instance()
{
    static CStoreHealth *health = [] {
        auto *made = new CStoreHealth;
        if (QCoreApplication::instance())
            made->moveToThread(QCoreApplication::instance()->thread());
        return made;
    }();
    return health;
}

CStoreHealth::Cause CStoreHealth::causeOfSqlite(int code)
{
    switch (code & 0xff) {
    case SqliteReadOnly:
    case SqlitePerm:
        return CauseReadOnly;
    case SqliteFull:
        return CauseFull;
    case SqliteBusy:
    case SqliteLocked:
        return CauseLocked;
    case SqliteIoErr:
    case SqliteProtocol:
        return CauseIo;
    case SqliteCantOpen:
        return CauseCantOpen;
    case SqliteCorrupt:
    case SqliteNotADb:
        return CauseDamaged;
    default:
        return CauseNone;
    }
}

CStoreHealth::Cause CStoreHealth::causeOfFileError(const QString &errorText)
{
    const QString text = errorText.toLower();
    if (text.contains(QLatin1String("no space")) || text.contains(QLatin1String("quota")))
        return CauseFull;
    if (text.contains(QLatin1String("read-only")) || text.contains(QLatin1String("permission")) ||
        text.contains(QLatin1String("not permitted")))
        return CauseReadOnly;
    if (text.contains(QLatin1String("input/output")))
        return CauseIo;
    if (text.contains(QLatin1String("no such file")))
        return CauseCantOpen;
    return CauseOther;
}

QString CStoreHealth::causeText(Cause cause)
{
    switch (cause) {
    case CauseReadOnly:
        return QStringLiteral("文件是只读的，或者没有写入它的权限");
    case CauseFull:
        return QStringLiteral("磁盘空间已满");
    case CauseLocked:
        return QStringLiteral("文件被另一个程序锁住了");
    case CauseIo:
        return QStringLiteral("读写磁盘时出错（磁盘或文件系统故障）");
    case CauseCantOpen:
        return QStringLiteral("文件或它所在的文件夹打不开");
    case CauseDamaged:
        return QStringLiteral("文件已损坏");
    case CauseNone:
    case CauseOther:
        break;
    }
    return QStringLiteral("写入失败");
}

QString CStoreHealth::adviceText(Cause cause)
{
    switch (cause) {
    case CauseReadOnly:
        return QStringLiteral("请检查该文件和所在文件夹的权限与所有者");
    case CauseFull:
        return QStringLiteral("请删除不需要的文件，腾出磁盘空间");
    case CauseLocked:
        return QStringLiteral("请关闭同时使用这个数据文件夹的其他程序");
    case CauseIo:
        return QStringLiteral("请检查磁盘是否连接正常、是否有坏道");
    case CauseCantOpen:
        return QStringLiteral("请确认该文件夹存在并且可以写入");
    case CauseDamaged:
        return QStringLiteral("请先用“另存为文本”保存正在写的章节，再联系技术支持");
    case CauseNone:
    case CauseOther:
        break;
    }
    return QStringLiteral("请检查磁盘和文件权限");
}

void CStoreHealth::reportFailure(const QString &path, Cause cause, const QString &detail)
{
    {
        QMutexLocker lock(&m_mutex);
        m_cause = cause == CauseNone ? CauseOther : cause;
        m_path = path;
        m_detail = detail;
        m_writeFailed = true;
    }
    qWarning() << "cannot write" << path << ":" << causeText(cause) << detail;
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::AutoConnection);
}

void CStoreHealth::reportSuccess(const QString &path)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_writeFailed)
            return;
        // A write to another file says nothing about the one that fails.
        if (path != m_path)
            return;
        m_writeFailed = false;
    }
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::AutoConnection);
}

void CStoreHealth::setUnsaved(const QString &key, bool unsaved)
{
    {
        QMutexLocker lock(&m_mutex);
        if (unsaved == m_unsaved.contains(key))
            return;
        if (unsaved)
            m_unsaved.insert(key);
        else
            m_unsaved.remove(key);
    }
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::AutoConnection);
}

bool CStoreHealth::hasUnsaved() const
{
    QMutexLocker lock(&m_mutex);
    return !m_unsaved.isEmpty();
}

bool CStoreHealth::failingUnlocked() const
{
    // Text left unsaved counts only once a write failed: an editor between
    // two saves is not a failure.
    return m_cause != CauseNone && (m_writeFailed || !m_unsaved.isEmpty());
}

bool CStoreHealth::isFailing() const
{
    QMutexLocker lock(&m_mutex);
    return failingUnlocked();
}

CStoreHealth::Cause CStoreHealth::cause() const
{
    QMutexLocker lock(&m_mutex);
    return failingUnlocked() ? m_cause : CauseNone;
}

QString CStoreHealth::failedPath() const
{
    QMutexLocker lock(&m_mutex);
    return failingUnlocked() ? m_path : QString();
}

QString CStoreHealth::message() const
{
    QMutexLocker lock(&m_mutex);
    if (!failingUnlocked())
        return QString();
    return QStringLiteral("无法写入 %1：%2。%3。正在写的文字留在编辑器和恢复文件里，"
                          "程序每隔几秒自动重试，问题解决后会自动保存。")
        .arg(QDir::toNativeSeparators(m_path), causeText(m_cause), adviceText(m_cause));
}

void CStoreHealth::setRetryInterval(int ms)
{
    m_retry->setInterval(ms);
}

void CStoreHealth::retryNow()
{
    Cause cause = CauseNone;
    {
        QMutexLocker lock(&m_mutex);
        if (!failingUnlocked())
            return;
        cause = m_cause;
    }
    if (m_beforeRetry)
        m_beforeRetry(cause);
    emit sig_Retry();
}

void CStoreHealth::reset()
{
    {
        QMutexLocker lock(&m_mutex);
        m_cause = CauseNone;
        m_path.clear();
        m_detail.clear();
        m_writeFailed = false;
        m_unsaved.clear();
    }
    update();
}

void CStoreHealth::update()
{
    bool failing = false;
    {
        QMutexLocker lock(&m_mutex);
        failing = failingUnlocked();
        if (!failing && m_cause != CauseNone && m_unsaved.isEmpty()) {
            // Mended: the next failure starts afresh.
            m_cause = CauseNone;
            m_path.clear();
        }
    }
    const QString text = message();
    if (failing) {
        if (!m_retry->isActive())
            m_retry->start();
    } else {
        m_retry->stop();
    }
    if (failing == m_shown && text == m_shownMessage)
        return;
    m_shown = failing;
    m_shownMessage = text;
    if (!failing)
        qDebug() << "writes to the local files succeed again";
    emit sig_Changed(failing, text);
}
