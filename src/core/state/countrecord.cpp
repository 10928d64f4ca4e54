#include "core/state/countrecord.h"

#include "core/base/sjis.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace zentova
{

namespace
{

const QDate kDayZero(1899, 12, 30);

void putInt16(QByteArray &out, int16_t v)
{
    char b[2];
    qToLittleEndian<int16_t>(v, b);
    out.append(b, 2);
}

void putText(QByteArray &out, const QString &text)
{
    QByteArray bytes = toCp932(text);
    if (bytes.size() > 0xFFFF)
        bytes.truncate(0xFFFF); // the count field cannot say more
    char b[2];
    qToLittleEndian<uint16_t>(uint16_t(bytes.size()), b);
    out.append(b, 2);
    out.append(bytes);
}

// Reads fields from the front of a byte string; past its end every byte is 0.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes) : m_bytes(bytes) {}

    void take(char *dst, qsizetype n)
    {
        std::memset(dst, 0, size_t(n));
        const qsizetype avail = std::max<qsizetype>(0, std::min(n, m_bytes.size() - m_pos));
        if (avail > 0)
            std::memcpy(dst, m_bytes.constData() + m_pos, size_t(avail));
        m_pos += n;
    }
    int16_t int16()
    {
        char b[2];
        take(b, 2);
        return qFromLittleEndian<int16_t>(b);
    }
    QString text()
    {
        char b[2];
        take(b, 2);
        const qsizetype n = qFromLittleEndian<uint16_t>(b);
        const qsizetype start = std::min(m_pos, m_bytes.size());
        const qsizetype avail = std::max<qsizetype>(0, std::min(n, m_bytes.size() - start));
        m_pos += n;
        return fromCp932(m_bytes.mid(start, avail));
    }
    double float64()
    {
        char b[8];
        take(b, 8);
        const quint64 bits = qFromLittleEndian<quint64>(b);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

private:
    const QByteArray &m_bytes;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray encodeRecord(const CountRecord &record)
{
    QByteArray out;
    out.reserve(64);
    for (int16_t c : record.Count)
        putInt16(out, c);
    for (const QString &t : record.Title)
        putText(out, t);
    putText(out, record.AlarmHourText);
    putText(out, record.AlarmMinuteText);
    putInt16(out, record.LapOn);
    putInt16(out, record.TimerOn);
    quint64 bits;
    std::memcpy(&bits, &record.SavedDate, sizeof bits);
    char b[8];
    qToLittleEndian<quint64>(bits, b);
    out.append(b, 8);
    return out;
}

CountRecord decodeRecord(const QByteArray &bytes)
{
    Reader in(bytes);
    CountRecord r;
    for (int16_t &c : r.Count)
        c = in.int16();
    for (QString &t : r.Title)
        t = in.text();
    r.AlarmHourText = in.text();
    r.AlarmMinuteText = in.text();
    r.LapOn = in.int16();
    r.TimerOn = in.int16();
    r.SavedDate = in.float64();
    return r;
}

double dayNumber(const QDate &date)
{
    return double(kDayZero.daysTo(date));
}

QDate dateFromDayNumber(double day)
{
    if (!std::isfinite(day) || std::fabs(day) > 1e7)
        return QDate();
    return kDayZero.addDays(static_cast<qint64>(std::floor(day)));
}

} // namespace zentova
