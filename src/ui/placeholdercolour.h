#pragma once

#include <QObject>

class QWidget;

// Style sheets that set a field's text colour also paint its placeholder in
// that colour, so a hint reads like typed text. This filter marks every line
// edit and text edit that shows a placeholder with the property `empty` while
// it holds no text, so the style sheets can give the hint the muted colour:
//     QLineEdit[empty="true"] { color: <muted>; }
class PlaceholderColour : public QObject
{
    Q_OBJECT
public:
    // Installs the filter on the application once; later calls do nothing.
    static void install();

    // Marks `field` now (for fields polished before the filter existed).
    static void follow(QWidget *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PlaceholderColour(QObject *parent) : QObject(parent) {}
};
