#include "cphonevalidator.h"

namespace {

bool isSeparator(QChar ch)
{
    return ch == QLatin1Char(' ') || ch == QLatin1Char('-') || ch == QChar(0x3000) || ch == QChar(0x00A0) ||
           ch == QChar(0x2010) || ch == QChar(0x2011) || ch == QChar(0x2013) || ch == QChar(0xFF0D);
}

} // namespace

CPhoneValidator::CPhoneValidator(int digits, QObject *parent) : QValidator(parent), m_digits(digits) {}

QValidator::State CPhoneValidator::validate(QString &input, int &pos) const
{
    QString digits;
    digits.reserve(input.size());
    int newPos = pos;
    for (int i = 0; i < input.size(); ++i) {
        const QChar ch = input.at(i);
        if (isSeparator(ch)) {
            if (i < pos)
                --newPos;
            continue;
        }
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return Invalid;
        digits += ch;
    }
    if (digits.size() > m_digits) {
        emit sig_tooLong();
        return Invalid;
    }
    input = digits;
    pos = qBound(0, newPos, digits.size());
    return digits.size() == m_digits ? Acceptable : Intermediate;
}
