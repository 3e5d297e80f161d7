#pragma once

// Writes a Windows icon container: small sizes as 32-bit DIBs (read by every reader),
// 256 pixels as embedded PNG (as the format allows for that size).

#include <QImage>
#include <QString>
#include <vector>

namespace tessal::imagegen {

bool WriteIco(const QString& path, const std::vector<QImage>& sizes);

}  // namespace tessal::imagegen
