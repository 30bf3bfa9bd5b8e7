#include "framelesshelper.h"

#include "platform/translucency.h"

#include <QApplication>
#include <QEvent>
#include <QHoverEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWidget>

bool FramelessHelper::canBeTranslucent()
{
    return Platform::translucentWindowsWork();
}

bool FramelessHelper::prepareWindow(QWidget *window)
{
    const bool translucent = canBeTranslucent();
    window->setAttribute(Qt::WA_TranslucentBackground, translucent);
    window->setProperty("opaqueFrame", !translucent);
    return translucent;
}

FramelessEdges FramelessEdges::at(const QPoint &point, const QRect &frame)
{
    const int x = point.x();
    const int y = point.y();
    FramelessEdges e;
    e.left = x >= frame.x() && x <= frame.x() + kFramelessBorder;
    e.right = x >= frame.x() + frame.width() - kFramelessBorder && x <= frame.x() + frame.width();
    e.top = y >= frame.y() && y <= frame.y() + kFramelessBorder;
    e.bottom = y >= frame.y() + frame.height() - kFramelessBorder && y <= frame.y() + frame.height();
    e.topLeft = e.top && e.left;
    e.bottomLeft = e.bottom && e.left;
    e.topRight = e.top && e.right;
    e.bottomRight = e.bottom && e.right;
    e.onEdges = e.left || e.right || e.top || e.bottom;
    return e;
}

// The drag state of one served widget.
class FramelessWidgetState
{
public:
    FramelessWidgetState(FramelessHelper *helper, QWidget *widget);
    ~FramelessWidgetState();

    void createRubberBand();
    void refreshSavedCursor() { m_savedCursor = m_widget->cursor(); }
    void setUseGlobal(bool on) { m_useGlobal = on; }
    QRubberBand *rubberBand() const { return m_rubberBand; }

    void handle(QEvent *event);

private:
    QPoint eventPos(const QMouseEvent *event) const;
    void press(QMouseEvent *event);
    void release(QMouseEvent *event);
    void move(QMouseEvent *event);
    void resizeTo(const QPoint &point);
    void updateCursor(const QPoint &point);
    void unsetChangedCursor();

    FramelessHelper *m_helper;
    QWidget *m_widget;
    QRubberBand *m_rubberBand = nullptr;
    bool m_pressed = false;
    bool m_useGlobal = true;
    QPoint m_dragOffset;
    FramelessEdges m_pressEdges;
    FramelessEdges m_hoverEdges;
    bool m_cursorChanged = false;
    QCursor m_savedCursor;
};

FramelessWidgetState::FramelessWidgetState(FramelessHelper *helper, QWidget *widget)
    : m_helper(helper), m_widget(widget), m_savedCursor(widget->cursor())
{
}

FramelessWidgetState::~FramelessWidgetState()
{
    delete m_rubberBand;
}

void FramelessWidgetState::createRubberBand()
{
    if (!m_rubberBand)
        m_rubberBand = new QRubberBand(QRubberBand::Rectangle);
}

QPoint FramelessWidgetState::eventPos(const QMouseEvent *event) const
{
    if (m_useGlobal || !m_widget->parentWidget())
        return event->globalPos();
    return m_widget->mapToParent(event->pos());
}

void FramelessWidgetState::handle(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        press(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::MouseButtonRelease:
        release(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::MouseMove:
        move(static_cast<QMouseEvent *>(event));
        break;
    case QEvent::Leave:
        if (!m_pressed)
            m_widget->unsetCursor();
        break;
    case QEvent::HoverMove:
        if (m_helper->widgetResizable() && !m_pressed) {
            const auto *hover = static_cast<QHoverEvent *>(event);
            updateCursor(m_useGlobal ? m_widget->mapToGlobal(hover->pos())
                                     : m_widget->mapToParent(hover->pos()));
        }
        break;
    default:
        break;
    }
}

void FramelessWidgetState::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    const QRect frame = m_widget->frameGeometry();
    m_pressEdges = FramelessEdges::at(eventPos(event), frame);
    m_dragOffset = eventPos(event) - frame.topLeft();
    const bool band = m_pressEdges.onEdges ? m_helper->rubberBandOnResize() : m_helper->rubberBandOnMove();
    if (band && m_rubberBand) {
        m_rubberBand->setGeometry(frame);
        m_rubberBand->show();
    }
}

void FramelessWidgetState::release(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    m_pressEdges = FramelessEdges();
    m_dragOffset = QPoint();
    if (m_rubberBand && m_rubberBand->isVisible()) {
        m_rubberBand->hide();
        m_widget->setGeometry(m_rubberBand->geometry());
    }
}

void FramelessWidgetState::move(QMouseEvent *event)
{
    const QPoint pos = eventPos(event);
    if (!m_pressed) {
        if (m_helper->widgetResizable())
            updateCursor(pos);
        return;
    }
    if (m_helper->widgetResizable() && m_pressEdges.onEdges) {
        resizeTo(pos);
    } else if (m_helper->widgetMovable()) {
        const QPoint topLeft = pos - m_dragOffset;
        if (m_helper->rubberBandOnMove() && m_rubberBand)
            m_rubberBand->move(topLeft);
        else
            m_widget->move(topLeft);
    }
}

void FramelessWidgetState::resizeTo(const QPoint &p)
{
    const bool onBand = m_helper->rubberBandOnResize() && m_rubberBand;
    const QRect old = onBand ? m_rubberBand->frameGeometry() : m_widget->frameGeometry();
    QRect r = old;
    const FramelessEdges &e = m_pressEdges;
    if (e.topLeft) {
        r.setTopLeft(p);
    } else if (e.bottomLeft) {
        r.setBottomLeft(p);
    } else if (e.topRight) {
        r.setTopRight(p);
    } else if (e.bottomRight) {
        r.setBottomRight(p);
    } else if (e.left) {
        r.setLeft(p.x());
    } else if (e.right) {
        r.setRight(p.x());
    } else if (e.top) {
        r.setTop(p.y());
    } else if (e.bottom) {
        r.setBottom(p.y());
    }
    if (!r.isValid())
        return;
    if (r.width() < m_widget->minimumWidth()) {
        if (r.left() == old.left())
            r.setRight(old.right());
        else
            r.setLeft(old.left());
    }
    if (r.height() < m_widget->minimumHeight()) {
        if (r.top() == old.top())
            r.setBottom(old.bottom());
        else
            r.setTop(old.top());
    }
    if (onBand)
        m_rubberBand->setGeometry(r);
    else
        m_widget->setGeometry(r);
}

void FramelessWidgetState::unsetChangedCursor()
{
    if (m_cursorChanged) {
        m_widget->unsetCursor();
        m_cursorChanged = false;
    }
}

void FramelessWidgetState::updateCursor(const QPoint &point)
{
    if (m_widget->isFullScreen() || m_widget->isMaximized()) {
        unsetChangedCursor();
        return;
    }
    m_hoverEdges = FramelessEdges::at(point, m_widget->frameGeometry());
    const FramelessEdges &e = m_hoverEdges;
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (e.topLeft || e.bottomRight)
        shape = Qt::SizeFDiagCursor;
    else if (e.topRight || e.bottomLeft)
        shape = Qt::SizeBDiagCursor;
    else if (e.left || e.right)
        shape = Qt::SizeHorCursor;
    else if (e.top || e.bottom)
        shape = Qt::SizeVerCursor;
    else {
        unsetChangedCursor();
        m_widget->setCursor(m_savedCursor);
        return;
    }
    m_widget->setCursor(shape);
    m_cursorChanged = true;
}

FramelessHelper::FramelessHelper(QObject *parent) : QObject(parent) {}

FramelessHelper::~FramelessHelper()
{
    for (auto it = m_states.begin(); it != m_states.end(); ++it) {
        it.key()->removeEventFilter(this);
        delete it.value();
    }
}

void FramelessHelper::activateOn(QWidget *widget)
{
    if (!widget)
        return;
    if (FramelessWidgetState *state = m_states.value(widget)) {
        state->refreshSavedCursor();
        return;
    }
    widget->setMouseTracking(true);
    widget->setAttribute(Qt::WA_Hover, true);
    const bool visible = widget->isVisible();
    widget->setWindowFlags(widget->windowFlags() | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint);
    if (visible)
        widget->show();
    auto *state = new FramelessWidgetState(this, widget);
    if (m_rubberBandOnMove || m_rubberBandOnResize)
        state->createRubberBand();
    state->setUseGlobal(m_useGlobal);
    m_states.insert(widget, state);
    widget->installEventFilter(this);
    connect(widget, &QObject::destroyed, this, [this, widget] { delete m_states.take(widget); });
}

void FramelessHelper::removeFrom(QWidget *widget)
{
    FramelessWidgetState *state = m_states.take(widget);
    if (!state)
        return;
    widget->removeEventFilter(this);
    disconnect(widget, &QObject::destroyed, this, nullptr);
    delete state;
}

void FramelessHelper::setWidgetMovable(bool movable)
{
    m_movable = movable;
}

void FramelessHelper::setWidgetResizable(bool resizable)
{
    m_resizable = resizable;
}

void FramelessHelper::setRubberBandOnMove(bool on)
{
    m_rubberBandOnMove = on;
    if (on)
        for (FramelessWidgetState *state : qAsConst(m_states))
            state->createRubberBand();
}

void FramelessHelper::setRubberBandOnResize(bool on)
{
    m_rubberBandOnResize = on;
    if (on)
        for (FramelessWidgetState *state : qAsConst(m_states))
            state->createRubberBand();
}

void FramelessHelper::setUseGlobalCoordinates(bool on)
{
    m_useGlobal = on;
    for (FramelessWidgetState *state : qAsConst(m_states))
        state->setUseGlobal(on);
}

QRubberBand *FramelessHelper::rubberBand(QWidget *widget) const
{
    FramelessWidgetState *state = m_states.value(widget);
    return state ? state->rubberBand() : nullptr;
}

bool FramelessHelper::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Leave:
    case QEvent::HoverMove:
        if (FramelessWidgetState *state = m_states.value(static_cast<QWidget *>(watched)))
            state->handle(event);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
