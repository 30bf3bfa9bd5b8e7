#include "resources.h"

#include <QtGlobal>

void quorvinInitResources()
{
    Q_INIT_RESOURCE(res);
    Q_INIT_RESOURCE(icons);
    Q_INIT_RESOURCE(translations);
    Q_INIT_RESOURCE(sound);
    Q_INIT_RESOURCE(pinyin);
    Q_INIT_RESOURCE(art);
}
