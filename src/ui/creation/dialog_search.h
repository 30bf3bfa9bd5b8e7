#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The commands of the find-and-replace dialog, as the content area receives
// them through Dialog_Search::sig_sreach_btn.
enum Widget_Sreach_Btn
{
    Sreach_Previous = 1,   // info "2", not used
    Sreach_Next = 2,       // info "3", not used
    Sreach_Search = 3,     // info: the text to find
    Sreach_ReplaceCur = 4, // info: the replacement
    Sreach_ReplaceAll = 5, // info: the replacement
    Sreach_Close = 6       // info empty: clear the highlight
};

Q_DECLARE_METATYPE(Widget_Sreach_Btn)

// Find and replace in the open chapter: a small frameless dialog that only
// emits commands; the content area keeps the matches and changes the text.
class Dialog_Search : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_Search(QWidget *parent = nullptr);

    QLineEdit *searchEdit() const { return m_lineEditSearch; }
    QLineEdit *replaceEdit() const { return m_lineEditReplace; }
    QPushButton *previousButton() const { return m_btnLeft; }
    QPushButton *nextButton() const { return m_btnRight; }
    QPushButton *replaceCurrentButton() const { return m_btnReplaceCur; }
    QPushButton *replaceAllButton() const { return m_btnReplaceAll; }
    QPushButton *confirmButton() const { return m_btnConfirm; }
    QPushButton *cancelButton() const { return m_btnCancel; }
    QPushButton *closeButton() const { return m_btnClose; }
    // Shown as "n / m" under the fields; the content area sets it.
    void setMatchInfo(int current, int total, bool searched);
    QLabel *matchLabel() const { return m_matches; }

public slots:
    // Escape and the window's close: the highlight is cleared as with 取消.
    void reject() override;

signals:
    void sig_sreach_btn(Widget_Sreach_Btn btnType, const QString &info);

private:
    void closeWithClear();

    QLineEdit *m_lineEditSearch = nullptr;
    QLineEdit *m_lineEditReplace = nullptr;
    QLabel *m_matches = nullptr;
    QPushButton *m_btnLeft = nullptr;
    QPushButton *m_btnRight = nullptr;
    QPushButton *m_btnReplaceCur = nullptr;
    QPushButton *m_btnReplaceAll = nullptr;
    QPushButton *m_btnConfirm = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QPushButton *m_btnClose = nullptr;
    QPushButton *m_btnUndo = nullptr;
};
