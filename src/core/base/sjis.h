// Code page 932 (Shift_JIS as the Japanese desktop writes it), the encoding
// of every text in the data file.
#pragma once

#include <QByteArray>
#include <QString>

namespace zentova
{

// A character that code page 932 cannot hold is written as "?", as the
// desktop's own conversion does.
QByteArray toCp932(const QString &text);
QString fromCp932(const QByteArray &bytes);

} // namespace zentova
