#pragma once

#include <QFrame>

class QLabel;

// The warning above the pages while the local files cannot be written: it
// names the file, the cause and what to do, and stays until a write
// succeeds again (CStoreHealth).
class Widget_StoreWarning : public QFrame
{
    Q_OBJECT
public:
    explicit Widget_StoreWarning(QWidget *parent = nullptr);

    QLabel *textLabel() const { return m_text; }

public slots:
    void onHealthChanged(bool failing, const QString &message);

private:
    QLabel *m_icon = nullptr;
    QLabel *m_text = nullptr;
};
