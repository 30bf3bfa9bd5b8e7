#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class QWidget;

enum StyleType
{
    StyleNone = 0,
    StyleLight = 1,
    StyleDark = 2,
};

// The two application-wide style sheets and the small shared helpers for
// image buttons and dialog shadows.
class CQssManager : public QObject
{
    Q_OBJECT
public:
    static CQssManager *instance();

    void setQssStyle(StyleType type, const QString &path);
    void setStyle(int type);
    int getStyle() const { return m_currentStyle; }

    // The style sheet registered for a type (empty when none).
    QString styleSheet(int type) const { return m_styles.value(StyleType(type)); }

    // Gives `widget` the look of a sprite of `states` images side by side
    // (normal, hover, pressed, disabled), shrunk by `scale`.
    static void setButtonStyle(QWidget *widget, const QString &imagePath, int states = 4, int scale = 1);
    static void setShadow(QWidget *widget);

private:
    explicit CQssManager(QObject *parent = nullptr);

    QMap<StyleType, QString> m_styles;
    int m_currentStyle = StyleNone;
};
