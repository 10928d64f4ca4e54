// The turn of the day while the strip runs (at the turn hour, or at the first
// tick after a suspend or a clock jump that crossed one or more turns).
#pragma once

#include <QDate>
#include <optional>

namespace zentova
{

// The strip has counted in `from` and the day is now `to`, a later one. The
// finished day's line is written (keepDay); then the counts go back to 0
// (`resetCounts`) or are carried into `to`. Lines the log already has in `to`
// (counts made after the turn, before it could be passed) stay that day's
// when the counts are carried, and are set aside with the counts when they
// are reset. Returns the history's error where the day went to its dated
// copy; throws where neither could be written.
std::optional<QString> turnDay(const QDate &from, const QDate &to, bool resetCounts);

} // namespace zentova
