#pragma once

#include <QString>
#include <initializer_list>

// One value put into a statement template. Integers are written in decimal,
// reals in the general format with six significant digits, texts with every
// single quote doubled (the template supplies the surrounding quotes), and
// raw texts (table and column names) as they are.
class SqlArg
{
public:
    SqlArg(int value);
    SqlArg(qint64 value);
    SqlArg(double value);
    SqlArg(float value);
    SqlArg(const QString &text);
    SqlArg(const char *text) = delete; // say whether it is text or a name

    static SqlArg raw(const QString &name);

    const QString &formatted() const { return m_formatted; }

private:
    SqlArg() = default;
    QString m_formatted;
};

// Doubles every single quote of `text`.
QString sqlEscape(const QString &text);

// Replaces the markers %1 ... %99 of `templ` by their values in one pass: a
// value that has been put in is never scanned again, so a text holding "%1"
// or "%10" stays as it is. A marker is read with two digits when the
// two-digit number names a value, else with one; "%" followed by anything
// else, or by a number that names no value, is kept as it stands.
QString sqlFormat(const QString &templ, std::initializer_list<SqlArg> args);
