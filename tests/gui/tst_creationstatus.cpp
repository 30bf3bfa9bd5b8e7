// The status line under the editor and the remuneration dialog: the texts
// of every label, durations in any time zone, the earnings cut to the fen,
// the indicators, the floating labels of full screen, and the rate's range
// check and storage in the real store.
#include "../integration/dbprobe.h"
#include "db/cquorvindb.h"
#include "db/records.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/creation/dialog_remuneration.h"
#include "ui/creation/widget_creation_bottom.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <ctime>

namespace {

// Runs `action` on the dialog that opens next, once it is shown.
void onNextDialog(const std::function<void(Dialog_Remuneration *)> &action)
{
    QTimer::singleShot(0, [action] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<Dialog_Remuneration *>(w); dialog && dialog->isVisible()) {
                action(dialog);
                return;
            }
        }
        onNextDialog(action);
    });
}

} // namespace

class TstCreationStatus : public QObject
{
    Q_OBJECT

private:
    TestAppDir m_dir;
    QByteArray m_tz;

private slots:
    void initTestCase() { m_tz = qgetenv("TZ"); }

    void cleanupTestCase()
    {
        if (m_tz.isEmpty())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_tz);
        tzset();
    }

    void init()
    {
        T_SessionData &session = T_SessionData::instance();
        session.writingSession = T_WritingSession();
        session.money = 0.0;
    }

    // 12345 words at 3.5 yuan earn 43.2075 and show 43.20; exactly 1.00
    // stays 1.00, which a double 0.005 would turn into 0.99.
    void earningsAreCutToTheFen_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("shown");
        QTest::newRow("43.20") << 12345 << 3.5 << "43.20";
        QTest::newRow("1.00") << 1000 << 1.0 << "1.00";
        QTest::newRow("nothing written") << 0 << 30.0 << "0.00";
        QTest::newRow("no rate") << 5000 << 0.0 << "0.00";
        QTest::newRow("below half a fen") << 1 << 4.0 << "0.00";
        QTest::newRow("just under") << 999 << 10.0 << "9.99";
        QTest::newRow("large") << 2000000 << 10000.0 << "20000000.00";
    }
    void earningsAreCutToTheFen()
    {
        QFETCH(int, words);
        QFETCH(double, rate);
        QFETCH(QString, shown);
        QCOMPARE(Widget_Creation_Bottom::moneyText(words, rate), shown);
    }

    // Elapsed times read the same in every zone and pass 24 hours.
    void durationsInEveryTimeZone_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::newRow("UTC") << QByteArray("UTC");
        QTest::newRow("Shanghai") << QByteArray("Asia/Shanghai");
        QTest::newRow("New York") << QByteArray("America/New_York");
    }
    void durationsInEveryTimeZone()
    {
        QFETCH(QByteArray, zone);
        qputenv("TZ", zone);
        tzset();
        QCOMPARE(Widget_Creation_Bottom::durationText(0), QStringLiteral("00:00:00"));
        QCOMPARE(Widget_Creation_Bottom::durationText(3661), QStringLiteral("01:01:01"));
        QCOMPARE(Widget_Creation_Bottom::durationText(86399), QStringLiteral("23:59:59"));
        QCOMPARE(Widget_Creation_Bottom::durationText(90061), QStringLiteral("25:01:01"));
        T_WritingSession &writing = T_SessionData::instance().writingSession;
        writing.writeSeconds = 7322;
        writing.freeSeconds = 59;
        Widget_Creation_Bottom bottom;
        bottom.updateStatus(true);
        QCOMPARE(bottom.writeTimeLabel()->text(), QStringLiteral("输入时间 02:02:02"));
        QCOMPARE(bottom.freeTimeLabel()->text(), QStringLiteral("偷闲时间 00:00:59"));
    }

    void labelsFollowTheSession()
    {
        T_SessionData &session = T_SessionData::instance();
        T_WritingSession &writing = session.writingSession;
        Widget_Creation_Bottom bottom;
        const QDateTime fixed(QDate(2026, 12, 31), QTime(23, 59, 58));
        bottom.setClock([fixed] { return fixed; });
        // Both indicators start checked.
        QVERIFY(bottom.writeButton()->isChecked());
        QVERIFY(bottom.freeButton()->isChecked());
        QCOMPARE(bottom.setMoneyButton()->text(), QStringLiteral("稿费设置"));

        writing.currentWordCount = 12345;
        session.money = 3.5;
        for (int ticks = 0; ticks < 20; ++ticks) {
            writing.windowTicks = ticks;
            bottom.updateStatus(true);
            QCOMPARE(bottom.speedLabel()->text(), QStringLiteral("计算速度中:%1秒").arg(20 - ticks));
        }
        QVERIFY(!bottom.writeButton()->isChecked());
        QVERIFY(bottom.freeButton()->isChecked());
        QCOMPARE(bottom.wordCountLabel()->text(), QStringLiteral("本章字数: 12345"));
        QCOMPARE(bottom.moneyLabel()->text(), QStringLiteral("本章稿费: 43.20元"));
        QCOMPARE(bottom.dateTimeLabel()->text(), QStringLiteral("2026-12-31 23:59:58"));

        writing.speed = 7200;
        bottom.onCreationTick(false);
        QCOMPARE(bottom.speedLabel()->text(), QStringLiteral("输入速度: 7200字/时"));
        QVERIFY(bottom.writeButton()->isChecked());
        QVERIFY(!bottom.freeButton()->isChecked());
    }

    void fullScreenFloatsClockAndSpeed()
    {
        QWidget area;
        area.resize(1000, 700);
        auto *bottom = new Widget_Creation_Bottom(&area);
        bottom->attachFloatingLabels(&area);
        const QDateTime fixed(QDate(2026, 1, 2), QTime(3, 4, 5));
        bottom->setClock([fixed] { return fixed; });
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QVERIFY(bottom->isVisible());
        QVERIFY(!bottom->floatingClock()->isVisible());
        bottom->setFullScreen(true);
        bottom->updateStatus(true);
        QVERIFY(!bottom->isVisible());
        QVERIFY(bottom->floatingClock()->isVisible());
        QCOMPARE(bottom->floatingClock()->text(), QStringLiteral("2026-01-02 03:04:05"));
        QCOMPARE(bottom->floatingSpeed()->text(), bottom->speedLabel()->text());
        QCOMPARE(bottom->floatingClock()->objectName(), QStringLiteral("labelStatus"));
        QCOMPARE(bottom->floatingClock()->geometry(), QRect(1000 - 40 - 200, 60, 200, 24));
        QVERIFY(bottom->floatingSpeed()->y() > bottom->floatingClock()->geometry().bottom());
        area.resize(1400, 700);
        QCOMPARE(bottom->floatingClock()->x(), 1400 - 40 - 200);
        bottom->setFullScreen(false);
        QVERIFY(bottom->isVisible());
        QVERIFY(!bottom->floatingSpeed()->isVisible());
    }

    void setMoneyButtonAsksForTheDialog()
    {
        Widget_Creation_Bottom bottom;
        QSignalSpy spy(&bottom, &Widget_Creation_Bottom::sig_openSetMoneyDlg);
        QTest::mouseClick(bottom.setMoneyButton(), Qt::LeftButton);
        QCOMPARE(spy.count(), 1);
    }

    void rateRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("0.001") << "0.001" << false;
        QTest::newRow("0.01") << "0.01" << true;
        QTest::newRow("3.5") << "3.5" << true;
        QTest::newRow("10000") << "10000" << true;
        QTest::newRow("10000.01") << "10000.01" << false;
        QTest::newRow("two points") << "1..2" << false;
        QTest::newRow("only a point") << "." << false;
    }
    void rateRange()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        Dialog_Remuneration dialog;
        dialog.setRate(2);
        QCOMPARE(dialog.lineEdit()->text(), QStringLiteral("2.00"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.lineEdit()->clear();
        QVERIFY(!dialog.confirmButton()->isEnabled());
        QTest::keyClicks(dialog.lineEdit(), text);
        QCOMPARE(dialog.lineEdit()->text(), text);
        QVERIFY(dialog.confirmButton()->isEnabled());
        QTest::mouseClick(dialog.confirmButton(), Qt::LeftButton);
        QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
        QCOMPARE(dialog.isVisible(), !accepted);
        QCOMPARE(dialog.errorLabel()->text(),
                 accepted ? QString() : QStringLiteral("稿费设置范围:0.01元 - 10000元"));
        if (!accepted) {
            // Typing again clears the message.
            QTest::keyClick(dialog.lineEdit(), Qt::Key_Backspace);
            QVERIFY(dialog.errorLabel()->text().isEmpty());
        }
    }

    void lettersAreNotTaken()
    {
        Dialog_Remuneration dialog;
        dialog.lineEdit()->clear();
        QTest::keyClicks(dialog.lineEdit(), "a1b-2");
        QCOMPARE(dialog.lineEdit()->text(), QStringLiteral("12"));
    }

    // The rate reaches the book, the session and the store; the status line
    // shows the new amount at its next refresh. Cancel changes nothing, and
    // without a book nothing opens.
    void confirmedRateIsStored()
    {
        CQuorvinDb *db = CQuorvinDb::instance();
        QVERIFY(db->init());
        QVERIFY(db->insertBook(7, QStringLiteral("稿费之书"), 0));
        T_Book book;
        book.localId = db->lastInsertId("tb_book");
        book.money = 2;
        QVERIFY(book.localId > 0);

        T_SessionData &session = T_SessionData::instance();
        session.writingSession.currentWordCount = 1000;
        session.money = book.money;
        Widget_Creation_Bottom bottom;
        bottom.updateStatus(false);
        QCOMPARE(bottom.moneyLabel()->text(), QStringLiteral("本章稿费: 2.00元"));

        QVERIFY(!Dialog_Remuneration::editRate(nullptr, nullptr));

        onNextDialog(
            [](Dialog_Remuneration *dialog) { QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton); });
        QVERIFY(!Dialog_Remuneration::editRate(nullptr, &book));
        QCOMPARE(book.money, 2.0);

        onNextDialog([](Dialog_Remuneration *dialog) {
            QCOMPARE(dialog->lineEdit()->text(), QStringLiteral("2.00"));
            dialog->lineEdit()->selectAll();
            QTest::keyClicks(dialog->lineEdit(), "3.5");
            QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        });
        QVERIFY(Dialog_Remuneration::editRate(nullptr, &book));
        QCOMPARE(book.money, 3.5);
        QCOMPARE(session.money, 3.5);
        QCOMPARE(dbRows(QStringLiteral("select money from tb_book where localId = %1").arg(book.localId)),
                 QStringList{"3.5"});
        QCOMPARE(bottom.moneyLabel()->text(), QStringLiteral("本章稿费: 2.00元"));
        bottom.onCreationTick(false);
        QCOMPARE(bottom.moneyLabel()->text(), QStringLiteral("本章稿费: 3.50元"));
    }
};

QUORVIN_TEST_MAIN(TstCreationStatus)
#include "tst_creationstatus.moc"
