#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The bookshelf page (page 0 of the main window): the left column with the
// author, the top bar with the window buttons, and the shelf itself.
class Widget_Bookshelf : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Bookshelf(QWidget *parent = nullptr);

    // Fills the page from the signed-in author's session.
    void loadData();
    void onWindowStateChanged(Qt::WindowStates state);
    void onStyleChanged(int style);
    void startSync();
    void endSync(bool ok);

    QPushButton *maximiseButton() const { return m_btnMax; }

private:
    QWidget *buildLeft();
    QWidget *buildTop();
    QWidget *buildEmptyShelf();

    QLabel *m_authorName = nullptr;
    QPushButton *m_btnStyle = nullptr;
    QPushButton *m_btnMax = nullptr;
    bool m_syncing = false;
};
