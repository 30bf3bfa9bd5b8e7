#pragma once

#include <QDialog>

class CJobManager;
class CUiManager;
class CZtHeadLabel;
class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct T_SessionData;

// The author's small profile: head image (chosen from a file and uploaded),
// nickname and sex. Confirming without a change rejects and sends nothing.
class Dialog_UserInfo : public QDialog
{
    Q_OBJECT
public:
    explicit Dialog_UserInfo(QWidget *parent = nullptr);

    // Shows `path`, or the cached head image, or the theme's default one.
    void loadHeadImg(const QString &path);
    QString headImgPath() const { return m_headPath; }

private slots:
    void onConfirm();

private:
    void buildForm();
    void fillFromAuthor();
    QString currentSex() const;
    // What became of the chosen picture.
    enum UploadResult
    {
        NothingChosen,
        Uploaded,
        Waiting, // kept here, sent when the server answers
        Refused, // `why` says why
    };
    UploadResult uploadChosenImage(QString &why);

    CZtHeadLabel *m_labelHeadImg = nullptr;
    QLineEdit *m_lineEditName = nullptr;
    QRadioButton *m_radioButtonM = nullptr;
    QRadioButton *m_radioButtonW = nullptr;
    QButtonGroup *m_sexGroup = nullptr;
    QPushButton *m_btnConfirm = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QString m_headPath;
    QString m_chosenPath; // a picture the author picked; empty until then
    CJobManager *m_job;
    T_SessionData &m_session;
    CUiManager *m_ui;
};
