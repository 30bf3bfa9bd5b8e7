#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The input fields and buttons the sign-in pages share, with their object
// names, placeholders and rules.
namespace LoginFields {

constexpr int kPhoneDigits = 11;
constexpr int kMinPassword = 8;
constexpr int kMaxPassword = 16;
constexpr int kCodeDigits = 6;

// Phone number: digits only, at most 11 ("lineEditAccount").
QLineEdit *account(QWidget *parent);
// A password field: hidden text, at most 16 characters.
QLineEdit *password(QWidget *parent, const char *objectName, const QString &placeholder);
// The SMS code ("lineEditCode"); `digitsOnly` limits it to six digits.
QLineEdit *code(QWidget *parent, bool digitsOnly);
QLabel *error(QWidget *parent);
QLabel *title(QWidget *parent, const QString &text);
// The page's main button, filled with the accent.
QPushButton *primary(QWidget *parent, const char *objectName, const QString &text);
// A text button in the accent colour.
QPushButton *link(QWidget *parent, const char *objectName, const QString &text);

// Asks for an SMS code to the number in `account`: the code button stays
// disabled (its countdown runs from the click), the focus goes to `code`,
// and `error` shows the server's refusal or is cleared.
void requestCode(QLineEdit *account, QLineEdit *code, QPushButton *button, QLabel *error);

} // namespace LoginFields
