// The local store stops taking writes while the author types: a database
// file that became read-only, a full disk (a small tmpfs filled up) and a
// disk that answers writes with I/O errors. In each case the warning shows
// at once, naming the file and the cause in Chinese; the text stays in the
// editor and reaches the recovery journal; a quit asks and can write the
// chapter to a text file; and once the cause is gone the retry saves the
// text by itself, with nothing typed, and the warning goes. With
// QUORVIN_SCREENSHOT_DIR set, the warning and the question of a quit are
// taken from the X screen in both themes.
#include "childclient.h"
#include "db/cquorvindb.h"
#include "db/cstorehealth.h"
#include "db/records.h"
#include "faultyvfs.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/crecoveryjournal.h"
#include "manager/cuimanager.h"
#include "signedinauthor.h"
#include "testmain.h"
#include "ui/creation/creation_textedit.h"
#include "ui/creation/creationclock.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/widget_storewarning.h"
#include "ui/ztmessagebox.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

enum Fault
{
    ReadOnly,
    DiskFull,
    IoError
};

// The calling thread's right to write files whatever their mode (root has
// it): without it a file of mode 444 is read-only for root too.
bool setOverrideFilePermissions(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    if (on)
        data[0].effective |= 1u << CAP_DAC_OVERRIDE;
    else
        data[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    return syscall(SYS_capset, &header, data) == 0;
}

// Key events carrying the characters, as a keyboard layout or an input
// method delivers them (QTest::keyClicks knows only Latin-1).
void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

} // namespace

class TestStorageFailure : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void failingWritesAreToldAndMended_data();
    void failingWritesAreToldAndMended();
    void screenshots();

private:
    bool breakStore(Fault fault);
    bool mendStore(Fault fault);
    bool restoreStore(Fault fault);
    void tick(int seconds = 1);
    bool reopenCheck();
    // Quits while the text is unsaved: `choice` is the button pressed in the
    // question (0 save as a text file, 1 back to writing); whether it quit.
    bool quitChoosing(int choice, QString *question);

    SignedInAuthor m_author{QStringLiteral("13700000521"),
                            QStringLiteral("c00d0000000000000000000000000521")};
    Widget_Creation_Content *m_content = nullptr;
    int m_now = 1800000000;
    QString m_db;
    QString m_held; // the store while its folder is a tmpfs
    QTemporaryDir m_files;
};

void TestStorageFailure::initTestCase()
{
    // The failing disk sits in front of every connection opened from now on.
    QVERIFY(FaultyVfs::install());
    QVERIFY(m_author.start());
    QVERIFY(m_files.isValid());
    m_db = CQuorvinDb::instance()->databasePath();
    CreationClock::setSource([this] { return m_now; });
    // The retries are driven by hand.
    CStoreHealth::instance()->setRetryInterval(3600 * 1000);
}

void TestStorageFailure::cleanupTestCase()
{
    CreationClock::setSource(nullptr);
    CUiManager::instance()->setSaveFileChooser(nullptr);
    m_author.finish();
    FaultyVfs::uninstall();
}

void TestStorageFailure::tick(int seconds)
{
    for (int i = 0; i < seconds; ++i) {
        ++m_now;
        m_content->onCreationTimer();
    }
}

bool TestStorageFailure::reopenCheck()
{
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
    check.setDatabaseName(m_db);
    return check.open();
}

bool TestStorageFailure::breakStore(Fault fault)
{
    CQuorvinDb *db = CQuorvinDb::instance();
    switch (fault) {
    case ReadOnly: {
        // As for a file of another owner: opened again, it opens read-only.
        // No other connection may hold the file meanwhile, or SQLite hands
        // the new connection the old one's writable descriptor.
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        if (!QFile::setPermissions(m_db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther) ||
            !setOverrideFilePermissions(false))
            return false;
        db->reconnect();
        T_User user;
        TS_Author_Info author;
        return db->getUserData(int(m_author.uid()), author, user) && reopenCheck();
    }
    case DiskFull: {
        // The store's folder becomes a small tmpfs holding the store, and
        // the rest of the tmpfs is filled up.
        const QString folder = QFileInfo(m_db).absolutePath();
        m_held = m_files.filePath(QStringLiteral("held.db"));
        {
            QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
            if (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")))
                return false;
        }
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        QFile::remove(m_held);
        if (!QFile::copy(m_db, m_held) || !run("mount", {"-t", "tmpfs", "-o", "size=2m", "tmpfs", folder}) ||
            !QFile::copy(m_held, m_db))
            return false;
        db->reconnect();
        T_User user;
        TS_Author_Info author;
        if (!db->getUserData(int(m_author.uid()), author, user) || !reopenCheck())
            return false;
        QFile filler(folder + QStringLiteral("/filler"));
        if (!filler.open(QIODevice::WriteOnly))
            return false;
        const QByteArray block(64 * 1024, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        return true;
    }
    case IoError:
        FaultyVfs::setFailWrites(true);
        return true;
    }
    return false;
}

bool TestStorageFailure::mendStore(Fault fault)
{
    switch (fault) {
    case ReadOnly:
        // The check connection lets the file go, as the program's own do.
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        return QFile::setPermissions(m_db, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                               QFile::ReadOther);
    case DiskFull:
        return QFile::remove(QFileInfo(m_db).absolutePath() + QStringLiteral("/filler"));
    case IoError:
        FaultyVfs::setFailWrites(false);
        return true;
    }
    return false;
}

bool TestStorageFailure::restoreStore(Fault fault)
{
    if (fault == ReadOnly)
        return setOverrideFilePermissions(true) && reopenCheck();
    if (fault != DiskFull)
        return true;
    // The store goes back to the folder under the tmpfs.
    const QString folder = QFileInfo(m_db).absolutePath();
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
        q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    QFile::remove(m_held);
    if (!QFile::copy(m_db, m_held) || !run("umount", {"-l", folder}))
        return false;
    QFile::remove(m_db + QStringLiteral("-wal"));
    QFile::remove(m_db + QStringLiteral("-shm"));
    QFile::remove(m_db);
    if (!QFile::copy(m_held, m_db))
        return false;
    CQuorvinDb::instance()->reconnect();
    return reopenCheck();
}

bool TestStorageFailure::quitChoosing(int choice, QString *question)
{
    bool asked = false;
    QTimer answer;
    answer.setInterval(50);
    connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->objectName() != QLatin1String("Dialog_UnsavedQuit"))
            return;
        answer.stop();
        asked = true;
        *question = box->textLabel()->text();
        QTest::mouseClick(box->buttons().at(choice), Qt::LeftButton);
    });
    answer.start();
    // Inside the application's own loop, which a quit ends.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(42); });
    QTimer::singleShot(0, [&] {
        CUiManager::instance()->quitApplication();
        guard.start(300);
    });
    const int code = QApplication::exec();
    guard.stop();
    answer.stop();
    return asked && code != 42;
}

void TestStorageFailure::failingWritesAreToldAndMended_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<QString>("cause");
    QTest::newRow("read-only file") << int(ReadOnly) << CStoreHealth::causeText(CStoreHealth::CauseReadOnly);
    QTest::newRow("I/O error") << int(IoError) << CStoreHealth::causeText(CStoreHealth::CauseIo);
    QTest::newRow("disk full") << int(DiskFull) << CStoreHealth::causeText(CStoreHealth::CauseFull);
}

void TestStorageFailure::failingWritesAreToldAndMended()
{
    QFETCH(int, fault);
    QFETCH(QString, cause);
    const Fault kind = Fault(fault);
    // A book of this machine only: what the server makes of it is not the point.
    TC_Books_AddBook add;
    add.bookName = QStringLiteral("断电%1").arg(fault);
    T_Book *book = CJobManager::instance()->booksAddBook(add);
    QVERIFY(book && !book->chapterList.isEmpty());
    T_Chapter *chapter = book->chapterList.first();
    Widget_Creation *page = SignedInAuthor::openCreation(book);
    QVERIFY(page);
    m_content = page->content();
    m_content->creationTimer()->stop();
    Creation_TextEdit *edit = m_content->editor();
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    Widget_StoreWarning *warning = CUiManager::instance()->mainWindow()->storeWarning();
    QVERIFY(!warning->isVisible());

    typeKeys(edit, QStringLiteral("灯下"));
    tick(5);
    const QString first = edit->toPlainText();
    QCOMPARE(SignedInAuthor::value(QStringLiteral("select length(content) from tb_chapter where localId = %1")
                                       .arg(chapter->localId)),
             first.size());

    QVERIFY(breakStore(kind));
    const auto restore = qScopeGuard([&] {
        mendStore(kind);
        restoreStore(kind);
    });
    // A text long enough to need new room in the file.
    typeKeys(edit, QStringLiteral("，窗外的雨一直没有停。"));
    edit->textCursor().insertText(QString(20000, QChar(0x96E8)));
    tick(5);
    const QString typed = edit->toPlainText();
    QVERIFY(typed.size() > 20000);

    // Told at once, in Chinese, with the file and the cause; the text stays.
    QTRY_VERIFY(warning->isVisible());
    const QString told = warning->textLabel()->text();
    QVERIFY2(told.contains(QDir::toNativeSeparators(m_db)) && told.contains(cause), qPrintable(told));
    QCOMPARE(edit->toPlainText(), typed);
    QVERIFY(CRecoveryJournal::instance()->flush());
    CRecoveryJournal::T_Entry entry;
    QVERIFY(CRecoveryJournal::read(CRecoveryJournal::instance()->fileOf(chapter->localId), entry));
    QCOMPARE(entry.text, typed);

    // A quit asks; going back keeps the program running, saving the file quits.
    QString question;
    QVERIFY(!quitChoosing(1, &question));
    QVERIFY2(question.contains(cause), qPrintable(question));
    const QString exported = m_files.filePath(QStringLiteral("chapter-%1.txt").arg(fault));
    CUiManager::instance()->setSaveFileChooser([exported](QWidget *, const QString &) { return exported; });
    QVERIFY(quitChoosing(0, &question));
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), typed);

    // Still failing: the retry keeps the warning.
    CStoreHealth::instance()->retryNow();
    QTest::qWait(50);
    QVERIFY(warning->isVisible());

    // The cause goes; nothing more is typed: the next retry saves.
    QVERIFY(mendStore(kind));
    CStoreHealth::instance()->retryNow();
    QTRY_VERIFY(!warning->isVisible());
    QCOMPARE(edit->toPlainText(), typed);
    if (kind != IoError)
        QVERIFY(reopenCheck());
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
    QVERIFY(
        q.exec(QStringLiteral("select content from tb_chapter where localId = %1").arg(chapter->localId)) &&
        q.next());
    QCOMPARE(q.value(0).toString(), typed);
    QVERIFY(CRecoveryJournal::instance()->flush());
    QTRY_VERIFY(!QFile::exists(CRecoveryJournal::instance()->fileOf(chapter->localId)));
    QVERIFY(!CStoreHealth::instance()->hasUnsaved());
}

void TestStorageFailure::screenshots()
{
    const QString dir = qEnvironmentVariable("QUORVIN_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("QUORVIN_SCREENSHOT_DIR not set");
    QTranslator translator;
    QVERIFY(translator.load(":/res/client.qm"));
    QCoreApplication::installTranslator(&translator);
    T_Book *book = SignedInAuthor::onlineBook(QStringLiteral("长河落日"));
    QVERIFY(book);
    T_SessionData &session = T_SessionData::instance();
    session.user.isCenter = 1;
    session.user.isFocusing = 0;
    Widget_Creation *page = SignedInAuthor::openCreation(book);
    QVERIFY(page);
    MainWindow *w = CUiManager::instance()->mainWindow();
    w->setGeometry(100, 60, 1280, 860);
    m_content = page->content();
    m_content->creationTimer()->stop();
    m_content->editor()->setFocus();
    typeKeys(m_content->editor(), QStringLiteral("天色将晚，渡口的风里带着河水的腥气。"));
    tick(5);
    QVERIFY(breakStore(IoError));
    const auto mend = qScopeGuard([this] { mendStore(IoError); });
    typeKeys(m_content->editor(), QStringLiteral("老船夫把竹篙靠在船舷上，抬头看了看西边那一线残红。"));
    tick(5);
    QTRY_VERIFY(w->storeWarning()->isVisible());
    for (const int style : {StyleLight, StyleDark}) {
        session.author.style = style;
        CQssManager::instance()->setStyle(style);
        m_content->recolour();
        QTest::qWait(400);
        const QString suffix = style == StyleLight ? "light" : "dark";
        QVERIFY(QProcess::execute("import", {"-window", "root", dir + "/storewarning-" + suffix + ".png"}) ==
                0);
        // The question of a quit while the text is unsaved.
        bool taken = false;
        QTimer shoot;
        shoot.setInterval(100);
        connect(&shoot, &QTimer::timeout, [&] {
            auto *box = qobject_cast<ZtMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            shoot.stop();
            QTest::qWait(400);
            taken = QProcess::execute("import",
                                      {"-window", "root", dir + "/unsavedquit-" + suffix + ".png"}) == 0;
            QTest::mouseClick(box->buttons().at(1), Qt::LeftButton);
        });
        shoot.start();
        CUiManager::instance()->quitApplication();
        QVERIFY(taken);
    }
    QVERIFY(mendStore(IoError));
    CStoreHealth::instance()->retryNow();
    QTRY_VERIFY(!w->storeWarning()->isVisible());
}

QUORVIN_TEST_MAIN(TestStorageFailure)

#include "tst_storagefailure_xvfb.moc"
