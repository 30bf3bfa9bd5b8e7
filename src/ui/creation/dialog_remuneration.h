#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct T_Book;

// Sets the remuneration rate of the open book, in yuan per thousand words,
// between 0.01 and 10000. The rate stays on this machine.
class Dialog_Remuneration : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_Remuneration(QWidget *parent = nullptr);

    // Fills the field with the rate, two decimals.
    void setRate(double rate);
    // The field's value; 0 when it is not a number.
    double rate() const;

    // Runs the dialog for `book`; on confirmation stores the new rate in the
    // book, the session and the local store. False when nothing changed (no
    // book, cancelled or not stored).
    static bool editRate(QWidget *parent, T_Book *book);

    // Whether a rate is in the accepted range.
    static bool isValidRate(double rate);

    QLineEdit *lineEdit() const { return m_edit; }
    QLabel *errorLabel() const { return m_error; }
    QPushButton *confirmButton() const { return m_confirm; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *closeButton() const { return m_close; }

private:
    void onTextChanged(const QString &text);
    void onConfirm();

    QLineEdit *m_edit = nullptr;
    QLabel *m_error = nullptr;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_close = nullptr;
};
