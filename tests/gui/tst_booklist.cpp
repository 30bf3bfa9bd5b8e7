// The book grid's painter and model, and the two book dialogs, on real
// widgets: what is painted (elided names, the default cover for a missing
// file, the progress bar), the rows the model announces, and the dialog
// rules (name length, categories, cover choice, nothing-changed confirm).
#include "db/cquorvindb.h"
#include "db/records.h"
#include "manager/cqssmanager.h"
#include "testappdir.h"
#include "testmain.h"
#include "ui/bookshelf/cbooklistdelegate.h"
#include "ui/bookshelf/cbooklistmodel.h"
#include "ui/bookshelf/dialog_bookinfo.h"
#include "ui/bookshelf/dialog_createbook.h"
#include "ui/bookshelf/widget_booklistpreview.h"
#include "ui/bookshelf/widget_bookshelf_top.h"
#include "ui/ctextedit.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStringListModel>

namespace {

T_Book *makeBook(int localId, const QString &name, const QString &cover = QString())
{
    auto *book = new T_Book;
    book->localId = localId;
    book->bookName = name;
    book->localCover = cover;
    book->wordNum = 1234;
    return book;
}

T_Category category(int id, const QString &name, const QStringList &children)
{
    T_Category c;
    c.cateId = id;
    c.cateName = name;
    int n = 0;
    for (const QString &child : children) {
        T_Category sub;
        sub.cateId = id * 100 + ++n;
        sub.cateName = child;
        c.children.append(sub);
    }
    return c;
}

} // namespace

class TstBookList : public QObject
{
    Q_OBJECT

    TestAppDir m_app;
    T_SessionData &m_session = T_SessionData::instance();

    // Paints one grid item into an image 150 x 230 on white.
    QImage paintItem(int row, CBookListModel &model, QListView &view)
    {
        CBookListDelegate delegate(CBookListModel::Grid, &view);
        QImage image(150, 230, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 150, 230);
        delegate.paint(&painter, option, model.index(row));
        painter.end();
        return image;
    }

    static int rightmostDarkColumn(const QImage &image, const QRect &area)
    {
        int right = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 160)
                    right = qMax(right, x);
        return right;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_app.isValid());
        QVERIFY(m_app.layBuiltData());
        CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
        CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
        CQssManager::instance()->setStyle(StyleLight);
        m_session.categories.male = {category(101, "玄幻", {"东方玄幻", "异世大陆"}),
                                     category(102, "都市", {"都市生活", "都市异能", "青春校园"})};
        m_session.categories.female = {category(201, "古代言情", {"宫闱宅斗", "经商种田"}),
                                       category(202, "现代言情", {"豪门世家"})};
    }

    void cleanup() { m_session.clearBooks(); }

    void modelMirrorsTheSharedList()
    {
        CBookListModel grid(CBookListModel::Grid);
        CBookListModel compact(CBookListModel::Compact);
        QCOMPARE(grid.rowCount(), 1); // the add-book tile alone
        QCOMPARE(compact.rowCount(), 0);
        QVERIFY(!grid.index(0).data().isValid());

        m_session.books.prepend(makeBook(1, "一"));
        grid.insertBook(0);
        m_session.books.prepend(makeBook(2, "二"));
        grid.insertBook(0);
        QCOMPARE(grid.count(), 2);
        QCOMPARE(grid.rowCount(), 3);
        QCOMPARE(grid.index(0).data().value<BookShelf_Book>().bookName, QStringLiteral("二"));
        QCOMPARE(grid.rowOf(1), 1);
        QVERIFY(grid.isAddTile(grid.index(2)));
        QVERIFY(!grid.index(2).data().isValid());

        delete m_session.books.takeAt(0);
        grid.removeBook(0);
        QCOMPARE(grid.count(), 1);
        QCOMPARE(grid.index(0).data().value<BookShelf_Book>().localBookId, 1);

        // A caller that skipped an announcement: the model catches up.
        m_session.books.prepend(makeBook(3, "三"));
        m_session.books.prepend(makeBook(4, "四"));
        grid.insertBook(0);
        QCOMPARE(grid.count(), m_session.books.size());
    }

    void longNamesAreElided_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("limit");
        QTest::newRow("grid") << int(CBookListModel::Grid) << 120;
        QTest::newRow("compact") << int(CBookListModel::Compact) << 126;
    }

    void longNamesAreElided()
    {
        QFETCH(int, mode);
        QFETCH(int, limit);
        m_session.books.append(makeBook(1, QStringLiteral("一本名字非常非常长的书这里还有很多字要写下去")));
        CBookListModel model(mode);
        model.insertRows(0, 1);
        QListView view;
        CBookListDelegate delegate(mode, &view);
        const QSize size = delegate.sizeHint(QStyleOptionViewItem(), model.index(0));
        QImage image(size.width() + 60, size.height(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(QPoint(0, 0), size);
        delegate.paint(&painter, option, model.index(0));
        painter.end();
        const QRect cover = CBookListDelegate::coverRect(mode, option.rect);
        const QRect captionBand(0, cover.bottom() + 4, image.width(), 22);
        const int right = rightmostDarkColumn(image, captionBand);
        QVERIFY2(right > cover.left() + limit / 2, "the name is drawn");
        QVERIFY2(right < cover.left() + limit, qPrintable(QString::number(right)));
    }

    void missingCoverShowsTheDefault()
    {
        m_session.books.append(makeBook(1, "甲", m_app.path() + "/data/bookImg/gone.png"));
        m_session.books.append(makeBook(2, "乙", m_app.path() + "/data/cover/cover_01.png"));
        m_session.books.append(makeBook(3, "丙"));
        CBookListModel model(CBookListModel::Grid);
        model.insertRows(0, 3);
        QListView view;
        const QImage missing = paintItem(0, model, view);
        const QImage present = paintItem(1, model, view);
        const QImage none = paintItem(2, model, view);
        const QRect cover(15, 10, 120, 160);
        const QImage defaultCover = QImage(":/res/skin/light/bookshelf/book_def.png")
                                        .scaled(120, 160)
                                        .convertToFormat(QImage::Format_ARGB32);
        QVERIFY(!defaultCover.isNull());
        QCOMPARE(missing.copy(cover), none.copy(cover));
        QVERIFY(missing.copy(cover) != present.copy(cover));
        // The default cover's colours, not an empty rectangle.
        QCOMPARE(missing.pixel(cover.left() + 60, cover.top() + 20), defaultCover.pixel(60, 20));
    }

    void progressBarFollowsTheSteps_data()
    {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("width");
        QTest::newRow("no steps yet") << 0 << 0 << 0;
        QTest::newRow("total zero") << 3 << 0 << 0;
        QTest::newRow("one of four") << 1 << 4 << 22;
        QTest::newRow("two of three") << 2 << 3 << 58;
        QTest::newRow("all") << 6 << 6 << 88;
    }

    void progressBarFollowsTheSteps()
    {
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(int, width);
        T_Book *book = makeBook(1, "导入的书");
        book->isImporting = true;
        book->stepDone = done;
        book->stepTotal = total;
        m_session.books.append(book);
        CBookListModel model(CBookListModel::Grid);
        model.insertRows(0, 1);
        QListView view;
        const QImage image = paintItem(0, model, view);
        // The bar is #0A84FF on row 127 (track top + 1), from x = 31.
        int painted = 0;
        for (int x = 31; x < 31 + 88; ++x)
            painted += image.pixel(x, 128) == QColor("#0A84FF").rgb() ? 1 : 0;
        QCOMPARE(painted, width);
        QCOMPARE(CBookListDelegate::captionOf(model.index(0).data().value<BookShelf_Book>()),
                 CBookListDelegate::tr("Importing"));
    }

    void coversAreReadOnce()
    {
        for (int i = 1; i <= 30; ++i)
            m_session.books.append(
                makeBook(i, QString::number(i), m_app.path() + "/data/cover/cover_02.png"));
        CBookListModel model(CBookListModel::Grid);
        model.insertRows(0, 30);
        QListView view;
        CBookListDelegate::forgetCovers();
        paintItem(0, model, view);
        const int loads = CBookListDelegate::coverLoads();
        for (int i = 0; i < 30; ++i)
            paintItem(i, model, view);
        QCOMPARE(CBookListDelegate::coverLoads(), loads);
    }

    void syncDisplayLastsTwoSeconds()
    {
        Widget_Bookshelf_Top top;
        qint64 now = 1000000;
        top.setClock([&] { return now; });
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        top.startSynchronization();
        QVERIFY(top.syncLabel()->isVisible());
        QVERIFY(top.syncButton()->isHidden());
        now += 300;
        top.endSynchronization(true);
        // Still turning: the end is tried again once two seconds have passed.
        QVERIFY(top.syncLabel()->isVisible());
        QVERIFY(top.syncEndTimer()->isActive());
        QCOMPARE(top.syncEndTimer()->interval(), 1700);
        now += 1699;
        top.finishSynchronization();
        QVERIFY(top.syncLabel()->isVisible());
        QCOMPARE(top.syncEndTimer()->interval(), 1);
        now += 1;
        top.finishSynchronization();
        QVERIFY(top.syncLabel()->isHidden());
        QVERIFY(top.syncButton()->isVisible());

        // A pass that takes longer ends at once.
        top.startSynchronization();
        now += 5000;
        top.endSynchronization(false);
        QVERIFY(top.syncLabel()->isHidden());
        QVERIFY(!top.syncEndTimer()->isActive());
    }

    void previewListKeepsItsScrollBarInStep()
    {
        for (int i = 1; i <= 12; ++i)
            m_session.books.append(makeBook(i, QStringLiteral("书%1").arg(i)));
        m_session.books.at(1)->isImporting = true;
        Widget_BookListPreview preview;
        preview.resize(180, 500);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QCOMPARE(preview.model()->rowCount(), 12);
        QScrollBar *own = preview.listView()->verticalScrollBar();
        QTRY_VERIFY(own->maximum() > 0);
        QVERIFY(preview.scrollBar()->isVisible());
        QCOMPARE(preview.scrollBar()->maximum(), own->maximum());
        QCOMPARE(preview.scrollBar()->pageStep(), own->pageStep());
        preview.scrollBar()->setValue(own->maximum() / 2);
        QCOMPARE(own->value(), own->maximum() / 2);
        own->setValue(0);
        QCOMPARE(preview.scrollBar()->value(), 0);

        QSignalSpy opened(&preview, &Widget_BookListPreview::sig_open);
        auto click = [&](int row) {
            const QRect item = preview.listView()->visualRect(preview.model()->index(row));
            QTest::mouseClick(preview.listView()->viewport(), Qt::LeftButton, {},
                              item.center() - QPoint(0, 10));
        };
        click(1); // importing: not opened
        QCOMPARE(opened.count(), 0);
        click(0);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().first().toInt(), 1);

        // Few books: no separate bar.
        while (m_session.books.size() > 1)
            delete m_session.books.takeLast();
        preview.reload();
        QTRY_VERIFY(!preview.scrollBar()->isVisible());
    }

    void createDialogNeedsAName()
    {
        QStringListModel covers(
            {m_app.path() + "/data/cover/cover_01.png", m_app.path() + "/data/cover/cover_02.png"});
        Dialog_CreateBook dialog;
        dialog.setCovers(&covers);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(!dialog.confirmButton()->isEnabled());
        QTest::keyClicks(dialog.lineEdit(), "abcdefghijklmnopqrst");
        QCOMPARE(dialog.lineEdit()->text(), QStringLiteral("abcdefghijklmno")); // 15, no sixteenth
        QVERIFY(dialog.confirmButton()->isEnabled());
        QVERIFY(dialog.coverPath().isEmpty());
        const QRect second = dialog.listView()->visualRect(covers.index(1));
        QTest::mouseClick(dialog.listView()->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(dialog.coverPath(), covers.stringList().at(1));
        dialog.lineEdit()->clear();
        QVERIFY(!dialog.confirmButton()->isEnabled());
    }

    void infoDialogFillsCategories()
    {
        T_Book *book = makeBook(1, "书");
        book->channelType = 2;
        book->cateFid = 0;
        book->cateId = 0;
        m_session.books.append(book);
        Dialog_BookInfo dialog;
        dialog.loadBookInfo(book);
        QVERIFY(dialog.radioWomen()->isChecked());
        // cateFid 0: the first primary category of the channel.
        QCOMPARE(dialog.primaryCombo(2)->currentText(), QStringLiteral("古代言情"));
        QCOMPARE(dialog.subCombo(2)->count(), 2);

        book->channelType = 1;
        book->cateFid = 102;
        book->cateId = 10203;
        dialog.loadBookInfo(book);
        QVERIFY(dialog.radioMan()->isChecked());
        QCOMPARE(dialog.primaryCombo(1)->currentText(), QStringLiteral("都市"));
        QCOMPARE(dialog.subCombo(1)->currentText(), QStringLiteral("青春校园"));
        // Another primary category refills the second box.
        dialog.primaryCombo(1)->setCurrentIndex(0);
        QCOMPARE(dialog.subCombo(1)->count(), 2);
        QCOMPARE(dialog.subCombo(1)->currentText(), QStringLiteral("东方玄幻"));
    }

    void infoDialogCoverPageAndUnchangedConfirm()
    {
        QStringListModel covers(
            {m_app.path() + "/data/cover/cover_01.png", m_app.path() + "/data/cover/cover_02.png"});
        T_Book *book = makeBook(1, "书");
        book->channelType = 1;
        book->cateFid = 101;
        book->cateId = 10101;
        m_session.books.append(book);
        Dialog_BookInfo dialog;
        dialog.setCovers(&covers);
        dialog.loadBookInfo(book);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.textEdit()->maxLength(), 500);

        // A system cover chosen, then the cover page cancelled: no change.
        QTest::mouseClick(dialog.systemCoverButton(), Qt::LeftButton);
        QCOMPARE(dialog.pages()->currentIndex(), 1);
        QCOMPARE(dialog.titleLabel()->text(), Dialog_BookInfo::tr("BookCover"));
        QTest::mouseClick(dialog.listView()->viewport(), Qt::LeftButton, {},
                          dialog.listView()->visualRect(covers.index(0)).center());
        QTest::mouseClick(dialog.coverCancelButton(), Qt::LeftButton);
        QCOMPARE(dialog.pages()->currentIndex(), 0);
        QVERIFY(dialog.coverPath().isEmpty());

        // Saved this time.
        QTest::mouseClick(dialog.systemCoverButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.listView()->viewport(), Qt::LeftButton, {},
                          dialog.listView()->visualRect(covers.index(1)).center());
        QTest::mouseClick(dialog.saveButton(), Qt::LeftButton);
        QCOMPARE(dialog.coverPath(), covers.stringList().at(1));

        // A custom file that cannot be read shows the default cover.
        const QImage before = dialog.pixmapLabel()->pixmap(Qt::ReturnByValue).toImage();
        dialog.setFileChooser([this] { return m_app.path() + "/data/bookImg/missing.png"; });
        QTest::mouseClick(dialog.customCoverButton(), Qt::LeftButton);
        const QImage shown = dialog.pixmapLabel()->pixmap(Qt::ReturnByValue).toImage();
        QVERIFY(shown != before);
        QCOMPARE(shown, QImage(":/res/skin/light/bookshelf/img_book_cover.png")
                            .scaled(120, 160, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(shown.format()));

        // Nothing changed: confirming rejects, so the grid is not refreshed.
        Dialog_BookInfo unchanged;
        unchanged.loadBookInfo(book);
        unchanged.show();
        QVERIFY(QTest::qWaitForWindowExposed(&unchanged));
        QTest::mouseClick(unchanged.confirmButton(), Qt::LeftButton);
        QCOMPARE(unchanged.result(), int(QDialog::Rejected));
        QVERIFY(!unchanged.isVisible());
    }
};

QUORVIN_TEST_MAIN(TstBookList)
#include "tst_booklist.moc"
