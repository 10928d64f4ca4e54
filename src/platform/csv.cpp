#include "platform/csv.h"

namespace zentova
{

QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

std::optional<QList<QByteArray>> csvFields(const QByteArray &record, qsizetype most)
{
    QList<QByteArray> fields{QByteArray()};
    bool quoted = false;
    for (qsizetype i = 0; i < record.size(); ++i) {
        const char c = record[i];
        QByteArray &field = fields.last();
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < record.size() && record[i + 1] == '"')
                field += record[++i];
            else
                quoted = false;
        } else if (c == ',') {
            if (most >= 0 && fields.size() >= most)
                return std::nullopt;
            fields.append(QByteArray());
        } else if (c == '"' && field.isEmpty()) {
            quoted = true;
        } else {
            field += c;
        }
    }
    if (quoted)
        return std::nullopt;
    return fields;
}

QList<QList<QByteArray>> csvRecords(const QByteArray &text)
{
    QList<QList<QByteArray>> records;
    qsizetype start = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\n' && !quoted) {
            QByteArray record = text.mid(start, i - start);
            if (record.endsWith('\r'))
                record.chop(1);
            if (auto fields = csvFields(record))
                records.append(*fields);
            start = i + 1;
        }
    }
    return records;
}

} // namespace zentova
