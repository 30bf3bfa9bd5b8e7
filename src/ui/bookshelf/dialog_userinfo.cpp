#include "dialog_userinfo.h"

#include "cztheadlabel.h"
#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "remote/chttputil.h"
#include "ui/cbusyguard.h"
#include "ui/nametext.h"
#include "ui/popupframe.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const int kNameMax = 11;
const int kHeadSide = 64;

QString themeFolder(const T_SessionData &session)
{
    return session.author.style == StyleDark ? QStringLiteral("dark") : QStringLiteral("light");
}

} // namespace

Dialog_UserInfo::Dialog_UserInfo(QWidget *parent)
    : QDialog(parent), m_job(CJobManager::instance()), m_session(T_SessionData::instance()),
      m_ui(CUiManager::instance())
{
    qDebug() << "CCCC1";
    setObjectName("Dialog_UserInfo");
    setWindowTitle(QStringLiteral("个人信息"));
    buildForm();
    fillFromAuthor();
    qDebug() << "CCCC2";
}

void Dialog_UserInfo::buildForm()
{
    QPushButton *close = nullptr;
    QWidget *bg = PopupFrame::build(this, &close);
    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(24, 16, 16, 24);
    column->setSpacing(16);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(QStringLiteral("个人信息"), bg);
    title->setObjectName("CommonWidgetTitle");
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(close, 0, Qt::AlignTop);
    column->addLayout(titleRow);

    auto *grid = new QGridLayout;
    grid->setContentsMargins(8, 0, 8, 0);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(16);
    auto caption = [bg](const QString &text) {
        auto *label = new QLabel(text, bg);
        label->setObjectName("Dialog_UserInfo_Caption");
        return label;
    };
    m_labelHeadImg = new CZtHeadLabel(bg);
    m_labelHeadImg->setObjectName("labelHeadImg");
    m_labelHeadImg->setFixedSize(kHeadSide, kHeadSide);
    connect(m_labelHeadImg, &CZtHeadLabel::sigPath, this, [this](const QString &path) {
        m_chosenPath = path;
        loadHeadImg(path);
    });
    grid->addWidget(caption(QStringLiteral("头像")), 0, 0);
    grid->addWidget(m_labelHeadImg, 0, 1, Qt::AlignLeft);

    m_lineEditName = new QLineEdit(bg);
    m_lineEditName->setObjectName("lineEditName");
    m_lineEditName->setPlaceholderText(QStringLiteral("请输入昵称"));
    NameText::limit(m_lineEditName, kNameMax);
    m_lineEditName->setFixedSize(240, 36);
    grid->addWidget(caption(QStringLiteral("昵称")), 1, 0);
    grid->addWidget(m_lineEditName, 1, 1);

    m_radioButtonM = new QRadioButton(QStringLiteral("男"), bg);
    m_radioButtonM->setObjectName("radioButtonM");
    m_radioButtonW = new QRadioButton(QStringLiteral("女"), bg);
    m_radioButtonW->setObjectName("radioButtonW");
    m_sexGroup = new QButtonGroup(this);
    m_sexGroup->addButton(m_radioButtonM, 0);
    m_sexGroup->addButton(m_radioButtonW, 1);
    auto *sexRow = new QHBoxLayout;
    sexRow->setSpacing(24);
    sexRow->addWidget(m_radioButtonM);
    sexRow->addWidget(m_radioButtonW);
    sexRow->addStretch(1);
    grid->addWidget(caption(QStringLiteral("性别")), 2, 0);
    grid->addLayout(sexRow, 2, 1);
    column->addLayout(grid);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = new QPushButton(QStringLiteral("取消"), bg);
    m_btnCancel->setObjectName("btnCancel");
    m_btnCancel->setFixedSize(92, 30);
    m_btnConfirm = new QPushButton(QStringLiteral("确认"), bg);
    m_btnConfirm->setObjectName("btnConfirm");
    m_btnConfirm->setFixedSize(92, 30);
    m_btnConfirm->setDefault(true);
    buttons->addWidget(m_btnCancel);
    buttons->addSpacing(8);
    buttons->addWidget(m_btnConfirm);
    column->addLayout(buttons);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_UserInfo::onConfirm);
}

void Dialog_UserInfo::fillFromAuthor()
{
    const TS_Author_Info &author = m_session.author;
    m_lineEditName->setText(author.authorName);
    if (author.sex == QLatin1String("M"))
        m_radioButtonM->setChecked(true);
    else if (author.sex == QLatin1String("F"))
        m_radioButtonW->setChecked(true);
    loadHeadImg(author.localHeadImg);
}

void Dialog_UserInfo::loadHeadImg(const QString &path)
{
    m_headPath = path;
    QString shown = path;
    if (shown.isEmpty() && !m_session.author.headImgUrl.isEmpty())
        shown = m_job->localHeadImg();
    const QString theme = themeFolder(m_session);
    if (shown.isEmpty())
        shown = QStringLiteral(":/res/skin/%1/left/icon_head_def.png").arg(theme);
    qDebug() << "userHead" << shown;
    m_labelHeadImg->setImage(shown);
    m_labelHeadImg->setOverlay(QStringLiteral(":/res/skin/%1/left/icon_open_head.png").arg(theme));
}

QString Dialog_UserInfo::currentSex() const
{
    if (m_radioButtonM->isChecked())
        return QStringLiteral("M");
    if (m_radioButtonW->isChecked())
        return QStringLiteral("F");
    return QStringLiteral("O");
}

Dialog_UserInfo::UploadResult Dialog_UserInfo::uploadChosenImage(QString &why)
{
    // Only a picture the author picked counts: the default picture shown
    // for an author without one is never uploaded.
    if (m_chosenPath.isEmpty() || m_chosenPath == m_session.author.localHeadImg)
        return NothingChosen;
    TC_Author_UploadImg req;
    if (!HttpUtil::imageToDataUri(m_chosenPath, req.img))
        qWarning() << "head image can not be read:" << m_chosenPath;
    req.update_time = int(QDateTime::currentSecsSinceEpoch());
    TS_Author_UploadImg res;
    const int result = m_job->authorUploadImg(req, res);
    if (result != 200 || res.code == 300)
        return Waiting;
    if (res.code != 200) {
        why = res.msg.isEmpty() ? QString::number(res.code) : res.msg;
        return Refused;
    }
    return Uploaded;
}

void Dialog_UserInfo::onConfirm()
{
    if (NameText::isBlank(m_lineEditName->text())) {
        m_ui->showTips(tr("A nickname cannot be only blanks"), 0);
        m_lineEditName->setFocus();
        return;
    }
    QPointer<Dialog_UserInfo> self(this);
    UploadResult upload = NothingChosen;
    QString why;
    {
        CBusyGuard busy({m_btnConfirm, m_btnCancel});
        upload = uploadChosenImage(why);
    }
    if (!self)
        return;
    if (upload == Refused) {
        // Told then and there; the dialog stays open for another picture.
        m_ui->showTips(tr("The head image was not accepted: %1").arg(why), 0);
        return;
    }
    const bool uploaded = upload != NothingChosen;
    const QString sex = currentSex();
    const QString name = m_lineEditName->text();
    const TS_Author_Info &author = m_session.author;
    if (name == author.authorName && sex == author.sex && !uploaded) {
        reject();
        return;
    }
    TC_Author_Update req;
    req.authorName = name;
    req.sex = sex;
    req.sign = author.sign;
    req.birthday = author.birthday;
    req.update_time = int(QDateTime::currentSecsSinceEpoch());
    TS_Author_Update res;
    int result = 200;
    {
        CBusyGuard busy({m_btnConfirm, m_btnCancel});
        result = m_job->authorUpdate(req, res);
    }
    if (!self)
        return;
    if (result == 200 && res.code != 200 && res.code != 300) {
        m_ui->showTips(tr("The profile was not accepted: %1")
                           .arg(res.msg.isEmpty() ? QString::number(res.code) : res.msg),
                       0);
        return;
    }
    if (upload == Waiting || result != 200 || res.code == 300)
        m_ui->showTips(
            tr("Saved on this computer; it is sent to the server by itself once the server answers"), 2);
    else
        m_ui->showTips(tr("User modified successfully"), 1);
    accept();
}
