#pragma once

#include <QDialog>

class QLineEdit;
class QListView;
class QPushButton;
class QStringListModel;

// Asks for the name and a system cover of a new book.
class Dialog_CreateBook : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_CreateBook(QWidget *parent = nullptr);

    void setCovers(QStringListModel *covers);
    QString bookName() const;
    // The path of the chosen cover, empty when none is chosen.
    QString coverPath() const;

    QLineEdit *lineEdit() const { return m_lineEdit; }
    QListView *listView() const { return m_listView; }
    QPushButton *confirmButton() const { return m_btnConfirm; }
    QPushButton *cancelButton() const { return m_btnCancel; }
    QPushButton *closeButton() const { return m_btnClose; }

private:
    QLineEdit *m_lineEdit;
    QListView *m_listView;
    QPushButton *m_btnConfirm;
    QPushButton *m_btnCancel;
    QPushButton *m_btnClose = nullptr;
};
