// The characters that the text form of a kind of value can hold (see FieldText): a number's, a date's or
// time's in a locale, and the texts a server's driver hands over for dates and times it cannot read as
// such. A search text with a character outside a kind's alphabet can never be found in such a value, so
// neither the field test nor a server's candidate rows need the value's text. Immutable; any thread.
#pragma once

#include <QLocale>
#include <QString>

namespace dorvane {

class TextFormAlphabet
{
public:
    // Every character of a number's text in this locale: integers, decimals, floating-point numbers with
    // their exponent, infinities and NaN, and the decimal texts kept as the driver gave them ("NaN",
    // "Infinity").
    static TextFormAlphabet numbers(const QLocale& locale);
    // Every character of a date, time or date-time text in this locale, with the letters of the locale's
    // names of months and days when the format writes them.
    static TextFormAlphabet dates(const QLocale& locale);
    // Every character of what PostgreSQL's and the MySQL family's drivers hand over for a date or time
    // that is no valid QDate/QTime ("infinity", "0044-03-15 BC", "0000-00-00", "-838:59:59", a zone offset
    // "+05:30", microseconds), which a run then matches as that text.
    static TextFormAlphabet serverDateTexts();

    // True when every character of text, compared without case, can stand in a text of this alphabet.
    bool mayHold(const QString& text) const;

private:
    TextFormAlphabet(QString chars, bool anything) : m_chars(std::move(chars)), m_anything(anything) { }

    QString m_chars;
    bool m_anything = false; // nothing is known
};

} // namespace dorvane
