#include "dialog_bookinfo.h"

#include "bookdialogparts.h"
#include "db/cquorvindb.h"
#include "db/records.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "ui/ctextedit.h"
#include "ui/nametext.h"
#include "ui/popupframe.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDebug>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStringListModel>
#include <QVBoxLayout>

namespace {

const QSize kCoverSize(120, 160);

QPushButton *dialogButton(const QString &text, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(92, 30);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

const QVector<T_Category> &categoriesOf(int channel)
{
    const T_CategoryData &data = T_SessionData::instance().categories;
    return channel == 2 ? data.female : data.male;
}

} // namespace

Dialog_BookInfo::Dialog_BookInfo(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dialog_BookInfo"));
    setWindowTitle(tr("BookInfo"));
    QWidget *bg = PopupFrame::build(this, &m_btnClose);
    // The dialog keeps the size its fields ask for.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);
    auto *column = new QVBoxLayout(bg);
    column->setContentsMargins(28, 20, 20, 24);
    column->setSpacing(12);
    auto *titleRow = new QHBoxLayout;
    m_title = new QLabel(tr("BookInfo"), bg);
    m_title->setObjectName(QStringLiteral("CommonWidgetTitle"));
    titleRow->addWidget(m_title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_btnClose, 0, Qt::AlignTop);
    column->addLayout(titleRow);

    m_pages = new QStackedWidget(bg);
    m_pages->addWidget(buildInfoPage());
    m_pages->addWidget(buildCoverPage());
    column->addWidget(m_pages);

    m_chooseFile = [this] {
        return QFileDialog::getOpenFileName(this, tr("Please select the cover image"), QString(),
                                            QStringLiteral("*.png *.jpg *.jpeg"));
    };
}

QWidget *Dialog_BookInfo::buildInfoPage()
{
    auto *page = new QWidget(this);
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(28);

    // The cover and its two buttons.
    auto *coverColumn = new QVBoxLayout;
    coverColumn->setSpacing(10);
    m_labelPixmap = new QLabel(page);
    m_labelPixmap->setObjectName(QStringLiteral("labelPixmap"));
    m_labelPixmap->setFixedSize(kCoverSize);
    m_labelShade = new QLabel(m_labelPixmap);
    m_labelShade->setGeometry(0, 0, kCoverSize.width(), kCoverSize.height());
    m_labelShade->setPixmap(QPixmap(QStringLiteral(":/res/skin/dark/bookshelf/cover_shade.png"))
                                .scaled(kCoverSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    m_labelShade->setVisible(CQssManager::instance()->getStyle() == StyleDark);
    coverColumn->addWidget(m_labelPixmap);
    m_btnCustomCover = new QPushButton(QStringLiteral("自定义封面"), page);
    m_btnCustomCover->setObjectName(QStringLiteral("btnCustomCover"));
    m_btnSystemCover = new QPushButton(QStringLiteral("系统封面"), page);
    m_btnSystemCover->setObjectName(QStringLiteral("btnSystemCover"));
    for (QPushButton *b : {m_btnCustomCover, m_btnSystemCover}) {
        b->setFixedSize(kCoverSize.width(), 30);
        b->setCursor(Qt::PointingHandCursor);
        coverColumn->addWidget(b);
    }
    coverColumn->addStretch(1);
    row->addLayout(coverColumn);

    // The fields.
    auto *fields = new QVBoxLayout;
    fields->setSpacing(8);
    fields->addWidget(BookDialogParts::fieldLabel(tr("Book Name"), page));
    m_lineEdit = new QLineEdit(page);
    m_lineEdit->setObjectName(QStringLiteral("lineEdit"));
    m_lineEdit->setPlaceholderText(tr("Please enter book name"));
    NameText::limit(m_lineEdit, BookDialogParts::kNameMaxLength);
    m_lineEdit->setFixedHeight(36);
    fields->addWidget(m_lineEdit);

    fields->addSpacing(4);
    fields->addWidget(BookDialogParts::fieldLabel(QStringLiteral("作品频道"), page));
    auto *radios = new QHBoxLayout;
    m_radioMan = new QRadioButton(QStringLiteral("男频"), page);
    m_radioMan->setObjectName(QStringLiteral("radioMan"));
    m_radioWomen = new QRadioButton(QStringLiteral("女频"), page);
    m_radioWomen->setObjectName(QStringLiteral("radioWomen"));
    m_channels = new QButtonGroup(this);
    m_channels->addButton(m_radioMan, 1);
    m_channels->addButton(m_radioWomen, 2);
    radios->addWidget(m_radioMan);
    radios->addSpacing(24);
    radios->addWidget(m_radioWomen);
    radios->addStretch(1);
    fields->addLayout(radios);

    fields->addSpacing(4);
    fields->addWidget(BookDialogParts::fieldLabel(QStringLiteral("作品分类"), page));
    m_channelPages = new QStackedWidget(page);
    auto comboPage = [this](const char *name, QComboBox *&primary, QComboBox *&sub, const char *primaryName,
                            const char *subName) {
        auto *p = new QWidget(m_channelPages);
        p->setObjectName(QLatin1String(name));
        auto *l = new QHBoxLayout(p);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(12);
        primary = new QComboBox(p);
        primary->setObjectName(QLatin1String(primaryName));
        sub = new QComboBox(p);
        sub->setObjectName(QLatin1String(subName));
        for (QComboBox *c : {primary, sub}) {
            c->setFixedHeight(32);
            c->setCursor(Qt::PointingHandCursor);
            l->addWidget(c, 1);
        }
        m_channelPages->addWidget(p);
    };
    comboPage("pageMan", m_comPrimaryMan, m_comSubMan, "comPrimaryMan", "comSubMan");
    comboPage("pageWomen", m_comPrimaryWomen, m_comSubWomen, "comPrimaryWomen", "comSubWomen");
    fields->addWidget(m_channelPages);

    fields->addSpacing(4);
    fields->addWidget(BookDialogParts::fieldLabel(QStringLiteral("作品简介"), page));
    m_textEdit = new CTextEdit(page);
    m_textEdit->setObjectName(QStringLiteral("textEdit"));
    m_textEdit->setMaxLength(500);
    m_textEdit->setPlaceholderText(tr("Please enter the introduction, 20-500 words"));
    m_textEdit->setMinimumWidth(380);
    m_textEdit->setFixedHeight(140);
    fields->addWidget(m_textEdit);

    fields->addSpacing(8);
    auto *buttonRow = new QWidget(page);
    buttonRow->setFixedHeight(34);
    auto *buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addStretch(1);
    m_btnCancel = dialogButton(QStringLiteral("取消"), "btnCancel", page);
    m_btnConfirm = dialogButton(QStringLiteral("确定"), "btnConfirm", page);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnConfirm);
    fields->addWidget(buttonRow);
    row->addLayout(fields, 1);

    connect(m_lineEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_btnConfirm->setEnabled(!NameText::isBlank(text)); });
    connect(m_channels, &QButtonGroup::idClicked, this,
            [this](int id) { m_channelPages->setCurrentIndex(id == 2 ? 1 : 0); });
    for (int channel : {1, 2}) {
        connect(primaryCombo(channel), QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                [this, channel](int) {
                    if (!m_loaded)
                        return;
                    fillCategories(channel, primaryCombo(channel)->currentData().toInt(), 0);
                });
    }
    connect(m_btnCustomCover, &QPushButton::clicked, this, &Dialog_BookInfo::onCustomCover);
    connect(m_btnSystemCover, &QPushButton::clicked, this, [this] {
        m_pages->setCurrentIndex(1);
        m_title->setText(tr("BookCover"));
    });
    connect(m_btnConfirm, &QPushButton::clicked, this, &Dialog_BookInfo::onConfirm);
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    return page;
}

QWidget *Dialog_BookInfo::buildCoverPage()
{
    auto *page = new QWidget(this);
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);
    m_listView = BookDialogParts::coverList(page);
    m_listView->setFixedSize(6 * 88 + 18, 3 * 112);
    column->addWidget(m_listView, 0, Qt::AlignHCenter);
    column->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel2 = dialogButton(QStringLiteral("取消"), "btnCancel_2", page);
    m_btnSave = dialogButton(QStringLiteral("保存"), "btnSave", page);
    buttons->addWidget(m_btnCancel2);
    buttons->addWidget(m_btnSave);
    column->addLayout(buttons);
    // The two buttons look like the info page's pair.
    m_btnCancel2->setProperty("secondary", true);
    m_btnSave->setProperty("primary", true);
    connect(m_btnSave, &QPushButton::clicked, this, [this] {
        const QModelIndex current = m_listView->currentIndex();
        if (current.isValid() && m_listView->selectionModel()->isSelected(current)) {
            m_coverPath = current.data(Qt::DisplayRole).toString();
            showCover(m_coverPath);
        }
        showInfoPage();
    });
    connect(m_btnCancel2, &QPushButton::clicked, this, &Dialog_BookInfo::showInfoPage);
    return page;
}

void Dialog_BookInfo::showInfoPage()
{
    m_pages->setCurrentIndex(0);
    m_title->setText(tr("BookInfo"));
}

void Dialog_BookInfo::setCovers(QStringListModel *covers)
{
    m_listView->setModel(covers);
}

QComboBox *Dialog_BookInfo::primaryCombo(int channel) const
{
    return channel == 2 ? m_comPrimaryWomen : m_comPrimaryMan;
}

QComboBox *Dialog_BookInfo::subCombo(int channel) const
{
    return channel == 2 ? m_comSubWomen : m_comSubMan;
}

void Dialog_BookInfo::showCover(const QString &path)
{
    QPixmap pixmap(path);
    if (pixmap.isNull()) {
        const bool dark = CQssManager::instance()->getStyle() == StyleDark;
        pixmap.load(dark ? QStringLiteral(":/res/skin/dark/bookshelf/img_book_cover.png")
                         : QStringLiteral(":/res/skin/light/bookshelf/img_book_cover.png"));
    }
    if (pixmap.size() != m_labelPixmap->size())
        pixmap = pixmap.scaled(m_labelPixmap->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_labelPixmap->setPixmap(pixmap);
}

void Dialog_BookInfo::loadBookInfo(T_Book *book)
{
    m_loaded = false;
    m_book = book;
    showInfoPage();
    if (!book)
        return;
    m_localBookId = book->localId;
    qDebug() << "loadBookInfo" << book->localId << book->channelType << book->cateId << book->bookName
             << book->intro << book->localCover;
    m_lineEdit->setText(book->bookName);
    m_textEdit->setPlainText(book->intro);
    showCover(book->localCover);
    const int channel = book->channelType == 2 ? 2 : 1;
    (channel == 2 ? m_radioWomen : m_radioMan)->setChecked(true);
    m_channelPages->setCurrentIndex(channel == 2 ? 1 : 0);
    // Both channels are filled, so switching shows a ready choice.
    fillCategories(channel, book->cateFid, book->cateId);
    fillCategories(channel == 2 ? 1 : 2, 0, 0);
    m_btnConfirm->setEnabled(!NameText::isBlank(book->bookName));
    m_loaded = true;
}

void Dialog_BookInfo::fillCategories(int channel, int primaryId, int subId)
{
    const bool wasLoaded = m_loaded;
    m_loaded = false;
    const QVector<T_Category> &list = categoriesOf(channel);
    QComboBox *primary = primaryCombo(channel);
    QComboBox *sub = subCombo(channel);
    if (primary->findData(primaryId) < 0 || primary->count() != list.size()) {
        primary->clear();
        for (const T_Category &c : list)
            primary->addItem(c.cateName, c.cateId);
    }
    int at = primaryId > 0 ? primary->findData(primaryId) : -1;
    if (at < 0)
        at = list.isEmpty() ? -1 : 0;
    primary->setCurrentIndex(at);
    sub->clear();
    if (at >= 0 && at < list.size()) {
        for (const T_Category &c : list.at(at).children)
            sub->addItem(c.cateName, c.cateId);
        const int subAt = sub->findData(subId);
        sub->setCurrentIndex(subAt >= 0 ? subAt : (sub->count() > 0 ? 0 : -1));
    }
    m_loaded = wasLoaded;
}

void Dialog_BookInfo::onCustomCover()
{
    const QString path = m_chooseFile ? m_chooseFile() : QString();
    if (path.isEmpty())
        return;
    m_coverPath = path;
    showCover(path);
}

void Dialog_BookInfo::onConfirm()
{
    if (!m_book)
        return reject();
    const int channel = m_radioMan->isChecked() ? 1 : 2;
    const int cateId = subCombo(channel)->currentData().toInt();
    const int cateFid = primaryCombo(channel)->currentData().toInt();
    const QString name = m_lineEdit->text().trimmed();
    const QString intro = m_textEdit->toPlainText();
    // A cover counts as changed only when one was chosen and differs from
    // what the book shows already.
    const bool coverChanged =
        !m_coverPath.isEmpty() && m_coverPath != m_book->localCover && m_coverPath != m_book->coverUrl;
    if (!coverChanged && channel == m_book->channelType && cateId == m_book->cateId &&
        name == m_book->bookName && intro == m_book->intro)
        return reject();

    TC_Books_Edit req;
    req.jobType = JobType_BookEdit;
    req.localBookId = m_localBookId;
    req.bookName = name;
    req.intro = intro;
    req.channelType = channel;
    req.cateId = cateId;
    req.cateFid = cateFid;
    req.localCover = coverChanged ? m_coverPath : QString();
    req.update_time = CQuorvinDb::instance()->currentTime();
    qDebug() << "editBook" << req.localBookId << name << channel << cateId << cateFid << req.localCover;
    if (CJobManager::instance()->booksEdit(req))
        accept();
}
