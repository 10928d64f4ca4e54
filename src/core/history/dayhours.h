// hours.csv beside history.csv: each finished day's counts hour by hour, kept
// as the day closes, so that a past day's chart needs no reading of its log.
// A line a day, the later line of a date standing:
//
//   2026-12-07,6,<24 hours of 5 counters: 120 numbers, from the turn hour>
//
// Days closed before there was this file have their hours in the log alone,
// read a line at a time away from the strip.
#pragma once

#include "core/history/chartdata.h"
#include "core/model/daybounds.h"

#include <QDate>
#include <QHash>
#include <QStringList>
#include <atomic>
#include <optional>

namespace zentova
{

struct KeptHours {
    int startHour = 0;
    HourCounts hours{};
};

QString dayHoursPath();
QByteArray dayHoursLine(const QDate &day, const KeptHours &kept);
// Appends the day's line. Errors are runtime errors.
void keepDayHours(const QDate &day, const KeptHours &kept);
// Every day's hours in the file; lines that are not whole are passed over.
QHash<QDate, KeptHours> readKeptHours();

// The day's hours from the log's `files`, a line at a time; nothing once
// `stop` is set.
std::optional<HourTally> loggedDayHours(const QStringList &files, const DayBounds &day,
                                        const std::atomic<bool> &stop);

} // namespace zentova
