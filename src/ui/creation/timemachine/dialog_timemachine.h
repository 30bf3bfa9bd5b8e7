#pragma once

#include "cdiffengine.h"
#include "db/records.h"

#include <QDialog>
#include <QList>

class QLabel;
class QListView;
class QPushButton;
class QStandardItemModel;
class QTextEdit;
class Widget_CompareHint;

// The time machine of one chapter: the ten newest snapshots, newest first;
// the selected snapshot beside a coloured comparison with the chapter's
// current text (red: only in the snapshot, blue: added since); and restore,
// which first keeps the current text as a snapshot of its own so that a
// restore can itself be undone from here.
class Dialog_TimeMachine : public QDialog
{
    Q_OBJECT
public:
    // `chapter` is a record of the session's book list; the dialog finds it
    // there again at each step, as a sync may replace or remove it meanwhile.
    explicit Dialog_TimeMachine(T_Chapter *chapter, QWidget *parent = nullptr);
    ~Dialog_TimeMachine() override;

    // Compares the snapshot of `row` with the chapter's current text; rows
    // outside the list do nothing.
    void showBlade(int row);
    // Replaces the chapter's text by the selected snapshot (see above);
    // false when nothing was restored.
    bool restoreSelected();

    int selectedRow() const { return m_row; }
    const QList<T_ContentBlade> &blades() const { return m_blades; }
    // The label of a snapshot in the list.
    static QString bladeLabel(const T_ContentBlade &blade);

    // A line of the comparison: runs of text with the kind of difference
    // (CDiffEngine::Operation) each belongs to.
    using Line = QList<QPair<int, QString>>;
    static QList<Line> comparisonLines(const CDiffEngine::Diffs &diffs);
    // The comparison as HTML: every difference's text escaped, then coloured
    // by its kind, one paragraph per line of the text.
    static QString comparisonHtml(const CDiffEngine::Diffs &diffs, bool dark);
    static QString deletedColour(bool dark);
    static QString insertedColour(bool dark);
    static bool isDarkTheme();

    QLabel *countLabel() const { return m_count; }
    QListView *listView() const { return m_list; }
    QTextEdit *bladePane() const { return m_bladePane; }
    QTextEdit *comparisonPane() const { return m_comparePane; }
    QPushButton *restoreButton() const { return m_btnRestore; }
    QPushButton *tipsButton() const { return m_btnTips; }
    QPushButton *closeButton() const { return m_btnClose; }
    Widget_CompareHint *hint() const { return m_hint; }
    // The last comparison shown, as HTML.
    QString comparisonHtmlShown() const { return m_lastComparison; }

signals:
    // The chapter's text was replaced by a snapshot (and stored).
    void sig_restored(int localChapterId);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadBlades();
    void onRowSelected(int row);
    void updateCount(int row);

    // The chapter as the session holds it now, or none.
    T_Chapter *chapter() const;

    int m_localBookId = 0;
    int m_localChapterId = 0;
    QList<T_ContentBlade> m_blades;
    QStandardItemModel *m_model = nullptr;
    int m_row = -1;
    bool m_shownOnce = false;
    QString m_lastComparison;

    QLabel *m_count = nullptr;
    QListView *m_list = nullptr;
    QTextEdit *m_bladePane = nullptr;
    QTextEdit *m_comparePane = nullptr;
    QPushButton *m_btnRestore = nullptr;
    QPushButton *m_btnTips = nullptr;
    QPushButton *m_btnClose = nullptr;
    Widget_CompareHint *m_hint = nullptr;
};
