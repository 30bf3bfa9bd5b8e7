#include "widget_booklistpreview.h"

#include "cbooklistdelegate.h"
#include "cbooklistmodel.h"
#include "manager/cbookjobmanager.h"
#include "manager/cuimanager.h"

#include <QHBoxLayout>
#include <QListView>
#include <QScrollBar>

Widget_BookListPreview::Widget_BookListPreview(QWidget *parent)
    : QWidget(parent), m_listView(new QListView(this)),
      m_model(new CBookListModel(CBookListModel::Compact, this)),
      m_delegate(new CBookListDelegate(CBookListModel::Compact, m_listView)),
      m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("Widget_BookListPreview"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_listView, 1);
    row->addWidget(m_scrollBar);

    m_listView->setObjectName(QStringLiteral("listView"));
    m_listView->setStyleSheet(QStringLiteral("#listView\n{\nborder: none;\nbackground: transparent;\n}\n\n"));
    m_listView->setSelectionMode(QAbstractItemView::NoSelection);
    m_listView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView->setFocusPolicy(Qt::NoFocus);
    m_listView->setMouseTracking(true);
    m_listView->setUniformItemSizes(true);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setSpacing(20);
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);
    m_listView->viewport()->installEventFilter(m_delegate);
    m_scrollBar->hide();

    QScrollBar *own = m_listView->verticalScrollBar();
    connect(own, &QScrollBar::rangeChanged, this, &Widget_BookListPreview::syncRange);
    connect(own, &QScrollBar::valueChanged, m_scrollBar, &QScrollBar::setValue);
    connect(m_scrollBar, &QScrollBar::valueChanged, own, &QScrollBar::setValue);
    connect(m_delegate, &CBookListDelegate::sig_open, this, [this](int localBookId) {
        emit sig_open(localBookId);
        if (T_Book *book = CBookJobManager::instance()->findBook(localBookId))
            CUiManager::instance()->showCreation(book);
    });
    CUiManager *ui = CUiManager::instance();
    connect(ui, &CUiManager::sig_BookListChanged, this, &Widget_BookListPreview::reload);
    connect(ui, &CUiManager::sig_BookChanged, this, [this](T_Book *book) {
        if (book)
            m_model->refresh(m_model->rowOf(book->localId));
    });
    reload();
}

void Widget_BookListPreview::reload()
{
    m_model->reload();
}

void Widget_BookListPreview::syncRange(int min, int max)
{
    QScrollBar *own = m_listView->verticalScrollBar();
    m_scrollBar->setRange(min, max);
    m_scrollBar->setPageStep(own->pageStep());
    m_scrollBar->setSingleStep(own->singleStep());
    m_scrollBar->setVisible(max != 0);
}
