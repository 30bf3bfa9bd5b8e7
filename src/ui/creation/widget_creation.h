#pragma once

#include <QWidget>

class QLabel;
struct T_Book;

// The creation page (page 1 of the main window): the writing workspace of
// the open book.
class Widget_Creation : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation(QWidget *parent = nullptr);

    void openBook(T_Book *book);
    // The main window went back to the bookshelf.
    void onBookshelfShown();
    void onWindowStateChanged(Qt::WindowStates state);

    T_Book *book() const { return m_book; }

private:
    T_Book *m_book = nullptr;
    QLabel *m_bookName = nullptr;
};
