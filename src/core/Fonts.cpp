#include "core/Fonts.h"

QFont FixedPitchFont() {
    QFont f(QStringLiteral("Noto Sans Mono CJK JP"));
    f.setStyleHint(QFont::Monospace);
    f.setPointSize(10);
    return f;
}

QFont ProportionalFont() {
    QFont f(QStringLiteral("Noto Sans CJK JP"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(10);
    return f;
}
