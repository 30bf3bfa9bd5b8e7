// Book import: decoding, cleaning and splitting of a manuscript, and the
// whole import on its own thread against a real store: batches of jobs,
// progress steps, result codes, and every hand-over on the GUI thread.
#include "db/cquorvindb.h"
#include "manager/cbookjobmanager.h"
#include "manager/cthreadimportbook.h"
#include "manager/cuimanager.h"
#include "remote/cquorvinhttp.h"
#include "remote/quorvinerror.h"
#include "testappdir.h"
#include "testmain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTextCodec>

namespace {

const int kUid = 7;

QByteArray manuscript(int chapters, const QByteArray &preface = QByteArray())
{
    QByteArray text = preface;
    for (int i = 1; i <= chapters; ++i)
        text += QStringLiteral("第%1章 标题%1\n正文第%1段。\n").arg(i).toUtf8();
    return text;
}

QList<int> batchSizes()
{
    QList<int> sizes;
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
    query.exec(QStringLiteral("select content from tb_job where jobType = 15 order by jobId"));
    while (query.next())
        sizes << QJsonDocument::fromJson(query.value(0).toString().toUtf8()).array().size();
    return sizes;
}

} // namespace

class TstBookImport : public QObject
{
    Q_OBJECT

private:
    TestAppDir *m_app = nullptr;
    QTemporaryDir m_files;
    CBookJobManager *m_manager = nullptr;
    QList<int> m_codes;
    int m_steps = 0;
    bool m_offGuiThread = false;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_files.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }

    // Runs one import on its own thread and waits for its result.
    int runImport(const QString &path)
    {
        m_codes.clear();
        m_steps = 0;
        auto *thread = new CThreadImportBook(path, kUid);
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        thread->start(QThread::InheritPriority);
        if (!QTest::qWaitFor([&] { return !m_codes.isEmpty(); }, 60000))
            return -1;
        return m_codes.first();
    }

    static int count(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(sql);
        return query.next() ? query.value(0).toInt() : -1;
    }

    T_Book *lastBook() const
    {
        const QList<T_Book *> &books = T_SessionData::instance().books;
        return books.isEmpty() ? nullptr : books.first();
    }

private slots:
    void initTestCase()
    {
        m_app = new TestAppDir;
        QVERIFY(m_app->isValid());
        QVERIFY(CQuorvinDb::instance()->init());
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(m_app->dbFile());
        QVERIFY(check.open());
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(QStringLiteral("http://127.0.0.1:9")));
        T_SessionData::instance().author.uid = kUid;
        m_manager = CBookJobManager::instance();
        connect(m_manager, &CBookJobManager::sig_ImportBookFinished, this,
                [this](int code) { m_codes << code; });
        connect(m_manager, &CBookJobManager::sig_ImportBookStep, this, [this] { ++m_steps; });
        // Every hand-over to the pages must arrive on the GUI thread.
        auto guard = [this] { m_offGuiThread |= QThread::currentThread() != qApp->thread(); };
        connect(CUiManager::instance(), &CUiManager::sig_BookListChanged, this, guard, Qt::DirectConnection);
        connect(CUiManager::instance(), &CUiManager::sig_BookChanged, this, guard, Qt::DirectConnection);
        connect(m_manager, &CBookJobManager::sig_ImportBookStep, this, guard, Qt::DirectConnection);
    }

    void cleanup()
    {
        QSqlQuery query(QSqlDatabase::database(QStringLiteral("check")));
        query.exec(QStringLiteral("delete from tb_job"));
        query.exec(QStringLiteral("delete from tb_chapter"));
        query.exec(QStringLiteral("delete from tb_book"));
        T_SessionData::instance().clearBooks();
        QVERIFY(!m_offGuiThread);
    }

    void cleanupTestCase()
    {
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        delete m_app;
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("contents");
        const auto s = [](const char *utf8) { return QString::fromUtf8(utf8); };
        QTest::newRow("preface dropped")
            << s("简介\n第1章 开端\n甲\n") << QStringList{s("第1章 开端")} << QStringList{s("甲\n")};
        QTest::newRow("kinds of heading") << s("第1章\nA\n第十二回 B\nb\n第１２节\nc\n第十二卷 X\nd")
                                          << QStringList{s("第1章"), s("第十二回 B"), s("第１２节")}
                                          << QStringList{s("A\n"), s("b\n"), s("c\n第十二卷 X\nd")};
        QTest::newRow("short line after a heading")
            << s("第1章 短\n好\n第2章 长\n") << QStringList{s("第1章 短"), s("第2章 长")}
            << QStringList{s("好\n"), QString()};
        QTest::newRow("more than 20 after 章")
            << s("第1章 一二三四五六七八九十一二三四五六七八九十一\n正文") << QStringList() << QStringList();
        QTest::newRow("exactly 20 after 章")
            << s("第1章 一二三四五六七八九十一二三四五六七八九\n正文")
            << QStringList{s("第1章 一二三四五六七八九十一二三四五六七八九")} << QStringList{s("正文")};
        QTest::newRow("last heading without a line break")
            << s("第1章 A\na\n第2章 B") << QStringList{s("第1章 A")} << QStringList{s("a\n第2章 B")};
        QTest::newRow("蒂 heading") << s("蒂3章 奇\nx") << QStringList{s("蒂3章 奇")} << QStringList{s("x")};
        QTest::newRow("a line merely ending like a heading")
            << s("第1章 起\n他翻到了第三章\n又读第二回。\n") << QStringList{s("第1章 起")}
            << QStringList{s("他翻到了第三章\n又读第二回。\n")};
        QTest::newRow("blanks before a heading")
            << s("第1章 起\n甲\n\u3000\u3000第2章 承\n乙\n  第3章 转\n丙")
            << QStringList{s("第1章 起"), s("第2章 承"), s("第3章 转")}
            << QStringList{s("甲\n"), s("乙\n"), s("丙")};
    }

    void split()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, contents);
        QStringList gotTitles;
        QStringList gotContents;
        CBookJobManager::splitChapters(text, gotTitles, gotContents);
        QCOMPARE(gotTitles, titles);
        QCOMPARE(gotContents, contents);
    }

    void clean()
    {
        QString text =
            QStringLiteral("a\tb\r\nc&amp;d&nbsp;e&lt;f&gt;g&#12;h<p>i</p><br>j<//div>k<pre>l&#1;");
        CBookJobManager::cleanText(text);
        QCOMPARE(text, QStringLiteral("ab\ncd;e;f;ghijk<pre>l&#1;"));
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QString sample = QString::fromUtf8("第1章 开端\n风起。\n");
        QTest::newRow("utf-8") << sample.toUtf8();
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + sample.toUtf8();
        QTest::newRow("gb18030") << QTextCodec::codecForName("GB18030")->fromUnicode(sample);
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QCOMPARE(CBookJobManager::decodeText(bytes), QString::fromUtf8("第1章 开端\n风起。\n"));
    }

    void batches_data()
    {
        QTest::addColumn<int>("chapters");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("45") << 45 << QList<int>{20, 20, 5};
        QTest::newRow("40") << 40 << QList<int>{20, 20};
        QTest::newRow("3") << 3 << QList<int>{3};
    }

    void batches()
    {
        QFETCH(int, chapters);
        QFETCH(QList<int>, sizes);
        const QString path = writeFile(QStringLiteral("长夜.txt"), manuscript(chapters, "序言：不导入。\n"));
        QCOMPARE(runImport(path), 200);
        QCOMPARE(batchSizes(), sizes);
        QCOMPARE(m_steps, sizes.size());
        QCOMPARE(count("select count(*) from tb_job where jobType = 8"), 1);
        QCOMPARE(count("select count(*) from tb_chapter"), chapters);
        QCOMPARE(count("select count(*) from tb_chapter where content like '%序言%'"), 0);

        T_Book *book = lastBook();
        QVERIFY(book);
        QCOMPARE(book->bookName, QString::fromUtf8("长夜"));
        QCOMPARE(book->chapterList.size(), chapters);
        QCOMPARE(book->chapterList.last()->orderNum, chapters);
        // Two steps per batch: stored here, then answered by the server.
        QCOMPARE(book->stepTotal, 2 * sizes.size());
        QCOMPARE(book->stepDone, sizes.size());
        QVERIFY(book->isImporting);
        QCOMPARE(book->wordNum, count("select sum(wordCount) from tb_chapter"));
    }

    void manuscripts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("chapters");
        const QString sample = QString::fromUtf8("第1章 开端\n风起。\n第2章 夜\n雨落。\n");
        QTest::newRow("gb18030") << "a.txt" << QTextCodec::codecForName("GB18030")->fromUnicode(sample) << 200
                                 << 2;
        QString crlf = sample;
        QTest::newRow("windows line endings")
            << "b.txt" << crlf.replace(QLatin1String("\n"), QLatin1String("\r\n")).toUtf8() << 200 << 2;
        QTest::newRow("upper-case suffix") << "c.TXT" << sample.toUtf8() << int(QE_IMPORT_SUFFIX) << 0;
        QTest::newRow("other suffix") << "c.md" << sample.toUtf8() << int(QE_IMPORT_SUFFIX) << 0;
        QTest::newRow("no name") << ".txt" << sample.toUtf8() << int(QE_IMPORT_NAME) << 0;
        QTest::newRow("empty") << "d.txt" << QByteArray() << int(QE_IMPORT_EMPTY) << 0;
        QTest::newRow("blank") << "e.txt" << QByteArray(" \r\n\t\n") << int(QE_IMPORT_EMPTY) << 0;
        QTest::newRow("binary") << "f.txt" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                << int(QE_IMPORT_OPEN) << 0;
        QTest::newRow("no heading") << "g.txt" << QString::fromUtf8("只是一段文字。\n").toUtf8()
                                    << int(QE_IMPORT_NO_TITLE) << 0;
        QTest::newRow("neither UTF-8 nor GB18030")
            << "h.txt" << QByteArray("\xff\xfe\xff\x80\xff 第1章") << int(QE_IMPORT_OPEN) << 0;
        // A chapter the server would refuse: the whole book is, before anything is stored.
        QTest::newRow("a chapter over the limit") << "i.txt"
                                                  << (QString::fromUtf8("第1章 短\n风起。\n第2章 长\n") +
                                                      QString(kMaxChapterLength + 1, QChar(0x5B57)))
                                                         .toUtf8()
                                                  << int(QE_IMPORT_TOO_LONG) << 0;
        QTest::newRow("a chapter at the limit") << "j.txt"
                                                << (QString::fromUtf8("第1章 开端\n风起。\n第2章 夜\n") +
                                                    QString(kMaxChapterLength, QChar(0x5B57)))
                                                       .toUtf8()
                                                << 200 << 2;
    }

    void manuscripts()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        QFETCH(int, chapters);
        QCOMPARE(runImport(writeFile(name, bytes)), code);
        QCOMPARE(count("select count(*) from tb_chapter"), chapters);
        QCOMPARE(count("select count(*) from tb_book"), code == 200 ? 1 : 0);
        // A chapter of a million characters is sent in a batch of its own.
        QCOMPARE(count("select count(*) from tb_job"), code != 200                      ? 0
                                                       : name == QLatin1String("j.txt") ? 3
                                                                                        : 2);
        if (code == 200 && name == QLatin1String("j.txt")) {
            QCOMPARE(lastBook()->chapterList.at(1)->content.size(), kMaxChapterLength);
        } else if (code == 200) {
            QCOMPARE(lastBook()->chapterList.at(1)->content, QString::fromUtf8("雨落。\n"));
            QCOMPARE(lastBook()->chapterList.at(0)->name, QString::fromUtf8("第1章 开端"));
        }
    }

    void missingFile()
    {
        QCOMPARE(runImport(m_files.filePath(QStringLiteral("absent.txt"))), int(QE_IMPORT_OPEN));
    }

    void emptyPathStartsNothing()
    {
        TC_Books_AddBook req;
        QCOMPARE(m_manager->books_importStart(req), 0);
    }
};

QUORVIN_TEST_MAIN(TstBookImport)
#include "tst_bookimport.moc"
