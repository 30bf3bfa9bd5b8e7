#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class Widget_Creation_Content;

// The sensitive-word panel over the editor: the settings page chooses the
// lists and edits the author's own words, the result page tells how many
// hits the check found and how to treat them (highlight, pinyin,
// asterisks, hyphens), which the editor then applies.
class Widget_SensitiveWords : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_SensitiveWords(Widget_Creation_Content *content);

    // Resets the panel (settings page, option 1, custom field read-only
    // with the stored words, boxes from the settings), shows and raises it.
    void showPanel();

    QCheckBox *regularBox() const { return m_regular; }
    QCheckBox *customBox() const { return m_custom; }
    QPlainTextEdit *customField() const { return m_customField; }
    QPushButton *editButton() const { return m_edit; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *cancelEditButton() const { return m_cancelEdit; }
    QPushButton *checkButton() const { return m_check; }
    QPushButton *closeButton() const { return m_close; }
    QPushButton *confirmButton() const { return m_confirm; }
    QPushButton *backButton() const { return m_back; }
    QButtonGroup *optionGroup() const { return m_options; }
    QLabel *resultLabel() const { return m_result; }
    QStackedWidget *pages() const { return m_pages; }

private:
    QWidget *buildSettingsPage();
    QWidget *buildResultPage();
    void setEditing(bool editing);
    void onModeToggled();
    void onSave();
    void onCheck();
    void onConfirm();

    Widget_Creation_Content *m_content;
    QStackedWidget *m_pages = nullptr;
    QCheckBox *m_regular = nullptr;
    QCheckBox *m_custom = nullptr;
    QPlainTextEdit *m_customField = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancelEdit = nullptr;
    QPushButton *m_check = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_result = nullptr;
    QButtonGroup *m_options = nullptr;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_back = nullptr;
};
