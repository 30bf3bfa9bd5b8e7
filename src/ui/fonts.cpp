#include "fonts.h"

#include <QFont>
#include <QStringList>

void substituteFonts()
{
    const QStringList cjk = {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei"};
    QFont::insertSubstitutions("Microsoft YaHei", cjk);
    QFont::insertSubstitutions("Microsoft Yahei", cjk);
}
