#pragma once

#include <QWidget>

class QButtonGroup;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QStringListModel;
class CRandomNameDelegate;

// The name panel over the editor: twenty names drawn for the chosen kind
// (Chinese, Western, Japanese), gender and, for Chinese names, surname and
// given-name length; a fixed surname may be typed or drawn. Pressing a
// name copies it to the clipboard.
class Widget_RandomName : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_RandomName(QWidget *parent = nullptr);

    // Draws twenty names with the panel's choices.
    void generate();

    QStringList names() const;
    QListView *listView() const { return m_list; }
    CRandomNameDelegate *delegate() const { return m_delegate; }
    QLineEdit *surnameEdit() const { return m_lineEdit; }
    QButtonGroup *kindGroup() const { return m_kind; }
    QButtonGroup *lengthGroup() const { return m_length; }
    QRadioButton *maleButton() const { return m_man; }
    QRadioButton *femaleButton() const { return m_women; }
    QPushButton *nameHeader() const { return m_btnName; }
    QPushButton *surnameButton() const { return m_btnSurname; }
    QPushButton *singleButton() const { return m_btnSingle; }
    QPushButton *doubleButton() const { return m_btnDouble; }
    QPushButton *confirmButton() const { return m_btnConfirm; }
    QPushButton *cancelButton() const { return m_btnCancel; }
    QPushButton *closeButton() const { return m_btnClose; }
    QWidget *familyRow() const { return m_widgetFamily; }
    QWidget *lengthRow() const { return m_widgetNumber; }
    QWidget *kindRow() const { return m_widgetName; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void onKindClicked(int id);
    void onNameHeaderToggled(bool checked);
    void setSurnameFrom(int kind, int surnameChoice, const char *logTag);
    void updateArrow();

    QPushButton *m_btnName = nullptr;
    QWidget *m_widgetName = nullptr;
    QButtonGroup *m_kind = nullptr;
    QLineEdit *m_lineEdit = nullptr;
    QPushButton *m_btnSurname = nullptr;
    QWidget *m_widgetFamily = nullptr;
    QPushButton *m_btnSingle = nullptr;
    QPushButton *m_btnDouble = nullptr;
    QRadioButton *m_man = nullptr;
    QRadioButton *m_women = nullptr;
    QWidget *m_widgetNumber = nullptr;
    QButtonGroup *m_length = nullptr;
    QListView *m_list = nullptr;
    QStringListModel *m_model = nullptr;
    CRandomNameDelegate *m_delegate = nullptr;
    QPushButton *m_btnConfirm = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QPushButton *m_btnClose = nullptr;
};
