#include "core/base/csv.h"

#include <algorithm>

namespace zentova
{

QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

std::optional<QList<QByteArray>> csvFields(QByteArrayView record, qsizetype most)
{
    QList<QByteArray> fields;
    const char *const end = record.data() + record.size();
    for (const char *at = record.data();; ++at) {
        if (at == end || *at != '"') {
            // Unquoted: up to the next comma, as it stands.
            const char *comma = std::find(at, end, ',');
            fields.append(QByteArray(at, comma - at));
            at = comma;
        } else {
            QByteArray field;
            // A quote opens quoting at the start of the field, or right after
            // an empty quoted part; anywhere else it is a character.
            while (at != end && *at == '"' && field.isEmpty()) {
                for (++at;; ++at) {
                    const char *quote = std::find(at, end, '"');
                    if (quote == end)
                        return std::nullopt; // the quote is never closed
                    field.append(at, quote - at);
                    at = quote + 1;
                    if (at == end || *at != '"')
                        break;
                    field.append('"'); // a doubled quote is one
                }
            }
            const char *comma = std::find(at, end, ',');
            field.append(at, comma - at);
            fields.append(field);
            at = comma;
        }
        if (at == end)
            return fields;
        if (most >= 0 && fields.size() >= most)
            return std::nullopt;
    }
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
