#pragma once

#include <QDialog>
#include <functional>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QStringListModel;
class CTextEdit;
struct T_Book;

// Shows and edits a book's name, channel and categories, cover (a system
// cover or an image file) and introduction; confirming hands the changes to
// the coordinator and closes only when it takes them.
class Dialog_BookInfo : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_BookInfo(QWidget *parent = nullptr);

    void setCovers(QStringListModel *covers);
    void loadBookInfo(T_Book *book);
    // Fills the channel's category boxes and selects the given ids.
    void fillCategories(int channel, int primaryId, int subId);
    QString coverPath() const { return m_coverPath; }

    // Where the custom cover is asked for; tests answer in place of the dialog.
    void setFileChooser(std::function<QString()> chooser) { m_chooseFile = std::move(chooser); }

    QLineEdit *lineEdit() const { return m_lineEdit; }
    QRadioButton *radioMan() const { return m_radioMan; }
    QRadioButton *radioWomen() const { return m_radioWomen; }
    QComboBox *primaryCombo(int channel) const;
    QComboBox *subCombo(int channel) const;
    CTextEdit *textEdit() const { return m_textEdit; }
    QLabel *pixmapLabel() const { return m_labelPixmap; }
    QPushButton *customCoverButton() const { return m_btnCustomCover; }
    QPushButton *systemCoverButton() const { return m_btnSystemCover; }
    QPushButton *confirmButton() const { return m_btnConfirm; }
    QPushButton *cancelButton() const { return m_btnCancel; }
    QListView *listView() const { return m_listView; }
    QPushButton *saveButton() const { return m_btnSave; }
    QPushButton *coverCancelButton() const { return m_btnCancel2; }
    QStackedWidget *pages() const { return m_pages; }
    QLabel *titleLabel() const { return m_title; }

private:
    QWidget *buildInfoPage();
    QWidget *buildCoverPage();
    void showCover(const QString &path);
    void showInfoPage();
    void onConfirm();
    void onCustomCover();

    T_Book *m_book = nullptr;
    int m_localBookId = 0;
    QString m_coverPath;
    bool m_loaded = false;
    std::function<QString()> m_chooseFile;

    QLabel *m_title = nullptr;
    QPushButton *m_btnClose = nullptr;
    QStackedWidget *m_pages = nullptr;
    QLineEdit *m_lineEdit = nullptr;
    QRadioButton *m_radioMan = nullptr;
    QRadioButton *m_radioWomen = nullptr;
    QButtonGroup *m_channels = nullptr;
    QStackedWidget *m_channelPages = nullptr;
    QComboBox *m_comPrimaryMan = nullptr;
    QComboBox *m_comSubMan = nullptr;
    QComboBox *m_comPrimaryWomen = nullptr;
    QComboBox *m_comSubWomen = nullptr;
    QLabel *m_labelPixmap = nullptr;
    QLabel *m_labelShade = nullptr;
    QPushButton *m_btnCustomCover = nullptr;
    QPushButton *m_btnSystemCover = nullptr;
    CTextEdit *m_textEdit = nullptr;
    QPushButton *m_btnConfirm = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QListView *m_listView = nullptr;
    QPushButton *m_btnSave = nullptr;
    QPushButton *m_btnCancel2 = nullptr;
};
