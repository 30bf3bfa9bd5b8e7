#pragma once

#include <QObject>

class QWidget;

// Names for a screen reader. Controls that show no text of their own get
// one from what the sighted author sees instead: an icon button its tool
// tip, a text field its placeholder, a combo box or a list its tool tip.
// A name the code set itself is never replaced.
namespace AccessibleNames {

// Installs one namer on the application (again is harmless).
void install();

// What the accessibility layer reports as the widget's name (empty when
// it has none).
QString nameOf(QWidget *widget);

class Namer : public QObject
{
    Q_OBJECT
public:
    explicit Namer(QObject *parent = nullptr);
    // Names `widget` when it has no name yet (see above).
    static void name(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace AccessibleNames
