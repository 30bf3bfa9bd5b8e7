#pragma once

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QRect>

class QRubberBand;
class QWidget;
class QMouseEvent;

// Which borders of a frame a point lies on. The border is kFramelessBorder
// pixels wide and counts its both ends (a point 10 pixels inside the left
// edge is still on it).
struct FramelessEdges
{
    bool onEdges = false;
    bool left = false;
    bool right = false;
    bool top = false;
    bool bottom = false;
    bool topLeft = false;
    bool bottomLeft = false;
    bool topRight = false;
    bool bottomRight = false;

    static FramelessEdges at(const QPoint &point, const QRect &frame);
};

constexpr int kFramelessBorder = 10;

class FramelessWidgetState;

// Gives frameless windows back moving by drag and resizing by their edges
// and corners, with the matching cursors. One helper may serve several
// widgets; each keeps its own drag state. Events are only observed.
class FramelessHelper : public QObject
{
    Q_OBJECT
public:
    explicit FramelessHelper(QObject *parent = nullptr);
    ~FramelessHelper() override;

    // Whether a translucent frameless window is drawn as meant: always off
    // X11, and on X11 only while a compositing manager runs (a plain X
    // server shows the translucent parts black).
    static bool canBeTranslucent();
    // Makes `window` translucent when that can be drawn; otherwise leaves
    // it opaque and marks it with the property "opaqueFrame" for the style
    // sheets (no rounded outer corners). Returns whether it is translucent:
    // callers keep their shadow margin only then.
    static bool prepareWindow(QWidget *window);

    void activateOn(QWidget *widget);
    void removeFrom(QWidget *widget);
    bool serves(QWidget *widget) const { return m_states.contains(widget); }

    void setWidgetMovable(bool movable);
    void setWidgetResizable(bool resizable);
    void setRubberBandOnMove(bool on);
    void setRubberBandOnResize(bool on);
    void setUseGlobalCoordinates(bool on);

    bool widgetMovable() const { return m_movable; }
    bool widgetResizable() const { return m_resizable; }
    bool rubberBandOnMove() const { return m_rubberBandOnMove; }
    bool rubberBandOnResize() const { return m_rubberBandOnResize; }

    // The rubber band of a served widget (null unless a rubber-band flag is on).
    QRubberBand *rubberBand(QWidget *widget) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHash<QWidget *, FramelessWidgetState *> m_states;
    bool m_movable = true;
    bool m_resizable = true;
    bool m_rubberBandOnMove = false;
    bool m_rubberBandOnResize = false;
    bool m_useGlobal = true;
};
