// The chapter editor repaints only what a keystroke changed. What the X
// screen shows of the editor must then stay, after every key of every kind
// of edit, exactly what a full repaint of the editor draws: a line left
// unpainted would show stale text. Runs on a real X server and compares the
// screen with a fresh rendering of the page.
#include "testmain.h"
#include "ui/creation/creation_textedit.h"
#include "ui/fonts.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

namespace {

const QString kChinese = QString::fromUtf8(
    "夜色沉沉，长街尽头的灯火一盏接一盏熄灭，他仍站在雨里等人，手里的信纸已经被打湿了一角。");
const QString kLatin =
    QStringLiteral("The lamps went out one by one along the street while he waited in the rain "
                   "with a letter whose corner had already gone soft and grey. ");

QString repeated(const QString &text, int times)
{
    QString out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

} // namespace

class TstEditRepaintXvfb : public QObject
{
    Q_OBJECT

private:
    Creation_TextEdit *m_edit = nullptr;

    // What the X server shows of the page.
    QImage shown() const
    {
        QWidget *page = m_edit->viewport();
        QWidget *window = page->window();
        const QPoint at = page->mapTo(window, QPoint(0, 0));
        QCoreApplication::processEvents();
        return window->screen()
            ->grabWindow(window->winId(), at.x(), at.y(), page->width(), page->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // The page painted afresh, all of it.
    QImage drawn() const
    {
        return m_edit->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Lets the repaints reach the screen, then compares; reports the first
    // differing row.
    bool sameAsFresh(QString *where)
    {
        QTest::qWait(5);
        const QImage screen = shown();
        const QImage fresh = drawn();
        if (screen.size() != fresh.size()) {
            *where = QStringLiteral("sizes differ");
            return false;
        }
        for (int y = 0; y < screen.height(); ++y) {
            if (memcmp(screen.constScanLine(y), fresh.constScanLine(y), size_t(screen.bytesPerLine())) != 0) {
                *where = QStringLiteral("row %1").arg(y);
                return false;
            }
        }
        return true;
    }

    void setChapter(const QStringList &paragraphs)
    {
        QTextDocument *doc = m_edit->document();
        doc->clear();
        QTextBlockFormat block;
        block.setLineHeight(18, QTextBlockFormat::LineDistanceHeight);
        block.setTopMargin(18);
        block.setTextIndent(2.8 * 18);
        QTextCursor cursor(doc);
        cursor.setBlockFormat(block);
        cursor.insertText(paragraphs.join('\n'));
        QTextFrameFormat frame = doc->rootFrame()->frameFormat();
        frame.setLeftMargin(108);
        frame.setRightMargin(108);
        frame.setTopMargin(12);
        frame.setBottomMargin(12);
        doc->rootFrame()->setFrameFormat(frame);
        doc->clearUndoRedoStacks();
    }

    // Puts the cursor `offset` characters into paragraph `paragraph`
    // (negative: from its end) and scrolls it into view.
    void placeCursor(int paragraph, int offset)
    {
        const QTextBlock block = m_edit->document()->findBlockByNumber(paragraph);
        const int inside = offset >= 0 ? offset : block.length() - 1 + offset + 1;
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + qBound(0, inside, block.length() - 1));
        m_edit->setTextCursor(cursor);
        m_edit->ensureCursorVisible();
        QTest::qWait(20);
    }

    // One key that types `c`, as a keyboard delivers it.
    void typeKey(QChar c)
    {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(m_edit, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(m_edit, &release);
    }

private slots:
    void initTestCase()
    {
        substituteFonts();
        QApplication::setCursorFlashTime(0);
        m_edit = new Creation_TextEdit;
        QFont font(QStringLiteral("Microsoft YaHei"));
        font.setPointSize(14);
        m_edit->document()->setDefaultFont(font);
        // The caret is left out: the screen and the fresh rendering would
        // disagree on its blinking, not on the text.
        m_edit->setCursorWidth(0);
        QPalette palette = m_edit->palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, QColor(33, 33, 33));
        m_edit->setPalette(palette);
        m_edit->viewport()->setPalette(palette);
        m_edit->resize(900, 560);
        m_edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_edit));
        m_edit->activateWindow();
        m_edit->setFocus();
    }

    void cleanupTestCase() { delete m_edit; }

    void everyKeyLeavesTheScreenRight_data()
    {
        QTest::addColumn<QStringList>("paragraphs");
        QTest::addColumn<int>("paragraph");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("typed");  // typed one key at a time
        QTest::addColumn<int>("backspaces"); // then this many Backspace keys
        QTest::addColumn<QString>("pasted"); // then this pasted at once
        QTest::addColumn<bool>("undo");      // then Ctrl+Z

        const QString longChinese = repeated(kChinese, 6);
        const QStringList chapter = {kChinese, longChinese, repeated(kLatin, 3), kChinese, longChinese};
        QTest::newRow("appending to the last paragraph, lines wrap")
            << chapter << 4 << -1 << repeated(QString::fromUtf8("雨夜长街灯火，"), 12) << 0 << QString()
            << false;
        QTest::newRow("typing inside a paragraph moves its later lines")
            << chapter << 1 << 30 << QString::fromUtf8("他仍站在雨里等人，") << 0 << QString() << false;
        QTest::newRow("backspace at a line's start, paragraphs below move up")
            << chapter << 1 << 100 << QString() << 70 << QString() << false;
        QTest::newRow("latin words move between lines")
            << chapter << 2 << 70 << QStringLiteral("xx yy ") << 12 << QString() << false;
        QTest::newRow("a short first paragraph")
            << chapter << 0 << 0 << QString::fromUtf8("【序】") << 2 << QString() << false;
        QTest::newRow("a paste, then undo")
            << chapter << 3 << 5 << QString::fromUtf8("灯") << 0 << repeated(kChinese, 3) << true;
        QTest::newRow("a paste of paragraphs")
            << chapter << 4 << -1 << QString() << 0 << kChinese + QStringLiteral("\n") + kLatin << true;
        QTest::newRow("right-to-left words in the paragraph")
            << QStringList{kChinese, QString::fromUtf8("他说：مرحبا بالعالم ثم رحل。") + kChinese, kChinese}
            << 1 << 8 << QString::fromUtf8("灯火") << 3 << QString() << false;
    }

    void everyKeyLeavesTheScreenRight()
    {
        QFETCH(QStringList, paragraphs);
        QFETCH(int, paragraph);
        QFETCH(int, offset);
        QFETCH(QString, typed);
        QFETCH(int, backspaces);
        QFETCH(QString, pasted);
        QFETCH(bool, undo);

        setChapter(paragraphs);
        placeCursor(paragraph, offset);
        QString where;
        QVERIFY2(sameAsFresh(&where), qPrintable(QStringLiteral("before editing: ") + where));
        for (int i = 0; i < typed.size(); ++i) {
            typeKey(typed.at(i));
            QVERIFY2(sameAsFresh(&where),
                     qPrintable(QStringLiteral("after typing %1: ").arg(typed.left(i + 1)) + where));
        }
        for (int i = 0; i < backspaces; ++i) {
            QTest::keyClick(m_edit, Qt::Key_Backspace);
            QVERIFY2(sameAsFresh(&where),
                     qPrintable(QStringLiteral("after %1 backspaces: ").arg(i + 1) + where));
        }
        if (!pasted.isEmpty()) {
            QApplication::clipboard()->setText(pasted);
            m_edit->paste();
            QVERIFY2(sameAsFresh(&where), qPrintable(QStringLiteral("after the paste: ") + where));
        }
        if (undo) {
            QTest::keyClick(m_edit, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(sameAsFresh(&where), qPrintable(QStringLiteral("after undo: ") + where));
        }
    }
};

QUORVIN_TEST_MAIN(TstEditRepaintXvfb)
#include "tst_editrepaint_xvfb.moc"
