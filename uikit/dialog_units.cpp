#include "uikit/dialog_units.h"

#include <QFontMetrics>

namespace gz {

namespace {

// The average width is taken over the 52 Latin letters, rounded.
int averageLetterWidth(const QFontMetrics& fm)
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return (fm.horizontalAdvance(letters) + 26) / 52;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    QFontMetrics fm(font);
    baseWidth_ = averageLetterWidth(fm);
    baseHeight_ = fm.height();
}

int DialogUnits::scaled(int units, int base, int divisor)
{
    long long p = static_cast<long long>(units) * base;
    long long half = divisor / 2;
    return static_cast<int>(p >= 0 ? (p + half) / divisor : -((-p + half) / divisor));
}

}  // namespace gz
