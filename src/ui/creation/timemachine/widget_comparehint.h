#pragma once

#include <QWidget>

// The small popup beside the comparison's hint button: what the red and the
// blue text of the comparison mean.
class Widget_CompareHint : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_CompareHint(QWidget *parent = nullptr);

    // Shows the hint 6 pixels right of and 16 pixels above the top-right
    // corner of `anchor`, raised over its window.
    void showBeside(QWidget *anchor);
};
