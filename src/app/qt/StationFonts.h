#pragma once

#include <QFont>
#include <QString>

namespace vesk {

// SimSun where the system has it, else an installed font that covers Chinese.
QString stationFontFamily();
QFont stationFont(int pixelSize, bool bold = false);

}  // namespace vesk
