#include "fontsubstitutes.h"

#include <QFont>
#include <QStringList>

namespace zk {

void install_font_substitutes()
{
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"),
        { QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP") });
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
        { QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
            QStringLiteral("Noto Sans CJK JP") });
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
        { QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP") });
}

} // namespace zk
