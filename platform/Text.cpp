#include "Text.h"

namespace Text {

QString upper(const QString& s)
{
    QString r = s;
    for (QChar& c : r) {
        const ushort u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar(u - 32);
    }
    return r;
}

bool sameName(const QString& a, const QString& b)
{
    return a.size() == b.size() && upper(a) == upper(b);
}

qsizetype characters(const QString& s)
{
    qsizetype n = s.size();
    for (qsizetype i = 1; i < s.size(); ++i)
        if (s.at(i).isLowSurrogate() && s.at(i - 1).isHighSurrogate())
            --n;
    return n;
}

} // namespace Text
