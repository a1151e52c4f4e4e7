#include "app/qt/StationFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace vesk {

QString stationFontFamily() {
    static const QString chosen = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* name : {"SimSun", "宋体", "NSimSun", "WenQuanYi Zen Hei",
                                 "Noto Sans CJK SC", "Noto Serif CJK SC", "AR PL UMing CN"}) {
            const QString family = QString::fromUtf8(name);
            if (installed.contains(family, Qt::CaseInsensitive))
                return family;
        }
        const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        return chinese.isEmpty() ? QString() : chinese.first();
    }();
    return chosen;
}

QFont stationFont(int pixelSize, bool bold) {
    QFont font;
    const QString family = stationFontFamily();
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace vesk
