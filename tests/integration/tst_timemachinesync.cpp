// Snapshots of a chapter travel between two machines of one author: what A
// keeps appears in B's time machine after B's sync, and a restore on B (with
// the text it replaced kept as a snapshot) reaches A's chapter and A's time
// machine.
#include "machines.h"
#include "testmain.h"
#include "ui/creation/timemachine/dialog_timemachine.h"

class TstTimeMachineSync : public QObject
{
    Q_OBJECT

private:
    MachinesFixture m_f;
    QScopedPointer<Machine> m_a, m_b;

    static QStringList versions(T_Chapter *chapter)
    {
        Dialog_TimeMachine dialog(chapter);
        QStringList out;
        for (const T_ContentBlade &blade : dialog.blades())
            out << blade.content;
        return out;
    }

    T_Chapter *firstChapter(const QString &bookName) const
    {
        T_Book *book = m_f.book(bookName);
        return book && !book->chapterList.isEmpty() ? book->chapterList.first() : nullptr;
    }

    void saveText(T_Chapter *chapter, const QString &text)
    {
        TC_Chapter_Edit edit;
        edit.localBookId = chapter->localBookId;
        edit.localChapterId = chapter->localId;
        edit.content = text;
        QVERIFY(m_f.jobs->chapterSaveContent(edit));
    }

    void snapshot(T_Chapter *chapter, const QString &text, int time)
    {
        TC_Chapter_ContentBlade blade;
        blade.localBookId = chapter->localBookId;
        blade.localChapterId = chapter->localId;
        blade.content = text;
        blade.createTime = time;
        QVERIFY(m_f.jobs->chapterContentBlade(blade));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_f.start());
        m_a.reset(new Machine(0));
        m_b.reset(new Machine(200000));
        m_f.activate(*m_a);
        m_f.signIn();
        m_f.activate(*m_b);
        m_f.signIn();
    }

    void snapshotsReachTheOtherMachine()
    {
        m_f.activate(*m_a);
        TC_Books_AddBook add;
        add.bookName = QStringLiteral("两地书");
        QVERIFY(m_f.jobs->booksAddBook(add));
        m_f.settle();
        T_Chapter *chapter = firstChapter(QStringLiteral("两地书"));
        QVERIFY(chapter);
        saveText(chapter, QStringLiteral("甲机写的初稿。"));
        snapshot(chapter, QStringLiteral("甲机写的初稿。"), CQuorvinDb::instance()->currentTime() - 60);
        saveText(chapter, QStringLiteral("甲机改过的第二稿。"));
        m_f.settle();
        QCOMPARE(versions(chapter), QStringList{QStringLiteral("甲机写的初稿。")});

        m_f.activate(*m_b);
        T_Chapter *there = firstChapter(QStringLiteral("两地书"));
        QVERIFY(there);
        QVERIFY(CQuorvinDb::instance()->ensureChapterContent(*there));
        QCOMPARE(there->content, QStringLiteral("甲机改过的第二稿。"));
        QCOMPARE(versions(there), QStringList{QStringLiteral("甲机写的初稿。")});

        // B goes back to the first draft; what B replaced stays a version.
        Dialog_TimeMachine dialog(there);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.selectedRow(), 0);
        QVERIFY(dialog.restoreSelected());
        dialog.close();
        QCOMPARE(there->content, QStringLiteral("甲机写的初稿。"));
        m_f.settle();

        m_f.activate(*m_a);
        chapter = firstChapter(QStringLiteral("两地书"));
        QVERIFY(chapter);
        QVERIFY(CQuorvinDb::instance()->ensureChapterContent(*chapter));
        QCOMPARE(chapter->content, QStringLiteral("甲机写的初稿。"));
        QCOMPARE(versions(chapter),
                 (QStringList{QStringLiteral("甲机改过的第二稿。"), QStringLiteral("甲机写的初稿。")}));
    }
};

QUORVIN_TEST_MAIN(TstTimeMachineSync)
#include "tst_timemachinesync.moc"
