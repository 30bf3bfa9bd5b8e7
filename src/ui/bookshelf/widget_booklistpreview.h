#pragma once

#include <QWidget>

class QListView;
class QScrollBar;
class CBookListDelegate;
class CBookListModel;

// The compact list of the author's books for the creation page's left
// panel: covers with their names, the open book's name in the accent, and
// a scroll bar of its own kept in step with the list's.
class Widget_BookListPreview : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_BookListPreview(QWidget *parent = nullptr);

    // Announces the shared book list again.
    void reload();

    QListView *listView() const { return m_listView; }
    CBookListModel *model() const { return m_model; }
    CBookListDelegate *delegate() const { return m_delegate; }
    QScrollBar *scrollBar() const { return m_scrollBar; }

signals:
    void sig_open(int localBookId);

private:
    void syncRange(int min, int max);

    QListView *m_listView;
    CBookListModel *m_model;
    CBookListDelegate *m_delegate;
    QScrollBar *m_scrollBar;
};
