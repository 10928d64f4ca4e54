#include "platform/sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace zentova {

namespace {
constexpr const char *kCodec = "windows-31j";
}

QByteArray toCp932(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    QStringEncoder encoder(kCodec, QStringConverter::Flag::Stateless);
    // One code point at a time: ICU puts its own substitute (fc fc) in place
    // of what it cannot map, which would be indistinguishable inside a run.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size() &&
                               text[i + 1].isLowSurrogate())
                                  ? 2
                                  : 1;
        const QStringView ch = QStringView(text).mid(i, len);
        i += len;
        if (ch.size() == 1 && ch[0].unicode() < 0x80) {
            out.append(char(ch[0].unicode()));
            continue;
        }
        const QByteArray bytes = encoder.encode(ch);
        if (encoder.hasError() || bytes.isEmpty() || bytes == QByteArray("\xfc\xfc", 2) ||
            bytes == "?" || bytes == QByteArray("\x1a", 1)) {
            // The error flag stays set for the encoder's life: start afresh.
            encoder = QStringEncoder(kCodec, QStringConverter::Flag::Stateless);
            out.append('?');
        } else {
            out.append(bytes);
        }
    }
    return out;
}

QString fromCp932(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace zentova
