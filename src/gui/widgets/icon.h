// The program's icon, drawn here at any size: a pale blue panel with a
// darker border holding two small display panes, each with a digit-like sign.
#pragma once

#include <QIcon>
#include <QImage>

namespace zentova
{

QImage drawAppIcon(int size);
QIcon appIcon();

} // namespace zentova
