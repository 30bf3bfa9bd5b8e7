#pragma once

#include <QValidator>

// The phone number field's rule: digits only, at most `digits` of them.
// Blanks and dashes that come with a pasted number ("138 0013 8000",
// "138-0013-8000") are dropped instead of refusing the whole paste; a number
// longer than `digits` is refused as a whole (never cut) and announced
// through sig_tooLong so the field can say why.
class CPhoneValidator : public QValidator
{
    Q_OBJECT
public:
    explicit CPhoneValidator(int digits, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;

signals:
    void sig_tooLong() const;

private:
    int m_digits;
};
