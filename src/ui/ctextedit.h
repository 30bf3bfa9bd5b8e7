#pragma once

#include <QTextEdit>

class QLabel;

// A bounded text field for dialogs (book introduction, memo cards): at most
// maxLength() characters, with a "length/maximum" counter in the lower right
// corner. Text that would grow past the maximum loses the surplus just before
// the cursor, so a paste is cut where it was inserted.
class CTextEdit : public QTextEdit
{
    Q_OBJECT
public:
    explicit CTextEdit(QWidget *parent = nullptr);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int maxLength);
    QLabel *counter() const { return m_counter; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void onTextChanged();
    void updateCounter(int length);
    void placeCounter();

    int m_maxLength = 500;
    QLabel *m_counter;
    bool m_trimming = false;
};
