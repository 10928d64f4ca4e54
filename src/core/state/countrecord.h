// The stored record of one day, and its byte layout in Countdata.dat.
//
// Layout, little-endian, no header and no padding:
//   5 x int16 counts
//   7 x text (5 titles, alarm hour, alarm minute): uint16 byte count n, then
//       n bytes of code page 932 text, no terminator
//   int16 lap flag, int16 alarm flag
//   float64 day number (days since 1899-12-30)
// so the flags and the date always stand in the record's last 12 bytes.
#pragma once

#include "core/base/runtime.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <array>
#include <cstdint>

namespace zentova
{

constexpr int CounterCount = 5;

struct CountRecord {
    std::array<int16_t, CounterCount> Count{};
    std::array<QString, CounterCount> Title{};
    QString AlarmHourText;
    QString AlarmMinuteText;
    int16_t LapOn = 0;
    int16_t TimerOn = 0;
    double SavedDate = 0.0;

    bool operator==(const CountRecord &) const = default;
};

// The longest record a file can hold: every text at its 65535-byte limit.
constexpr qsizetype MaxRecordBytes = 10 + 7 * (2 + 65535) + 12;

QByteArray encodeRecord(const CountRecord &record);
// Reads one record from the first byte. What lies beyond the end reads as
// zero; a field cut off by the end uses the bytes that are there; a text
// whose count runs past the end takes the bytes that remain. Any bytes are
// accepted.
CountRecord decodeRecord(const QByteArray &bytes);

// Day numbers: whole days since 1899-12-30 for a calendar date, and back.
double dayNumber(const QDate &date);
QDate dateFromDayNumber(double day);

} // namespace zentova
