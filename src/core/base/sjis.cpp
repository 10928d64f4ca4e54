#include "core/base/sjis.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <optional>

namespace zentova
{

namespace
{

constexpr const char *kCodec = "windows-31j";

// ICU's converter is opened at the first character that needs it: a day of
// ASCII titles, or none, never loads its tables (about a megabyte).
template <typename Converter> Converter &opened(std::optional<Converter> &converter)
{
    if (!converter)
        converter.emplace(kCodec, QStringConverter::Flag::Stateless);
    return *converter;
}

} // namespace

QByteArray toCp932(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    std::optional<QStringEncoder> encoder;
    // One code point at a time: ICU puts its own substitute (fc fc) in place
    // of what it cannot map, which would be indistinguishable inside a run.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        const QStringView ch = QStringView(text).mid(i, len);
        i += len;
        if (ch.size() == 1 && ch[0].unicode() < 0x80) {
            out.append(char(ch[0].unicode()));
            continue;
        }
        const QByteArray bytes = opened(encoder).encode(ch);
        // Anything but one valid character's bytes counts as unmappable: ICU's
        // own substitutes (fc fc, 1a) and a fallback into ASCII alike.
        const bool oneChar =
            (bytes.size() == 2 && quint8(bytes[0]) >= 0x81) ||
            (bytes.size() == 1 && quint8(bytes[0]) >= 0xA1 && quint8(bytes[0]) <= 0xDF);
        if (encoder->hasError() || !oneChar || bytes == QByteArray("\xfc\xfc", 2)) {
            // The error flag stays set for the encoder's life: start afresh.
            encoder.reset();
            out.append('?');
        } else {
            out.append(bytes);
        }
    }
    return out;
}

QString fromCp932(const QByteArray &bytes)
{
    // ICU's windows-31j follows IBM-943 for a few single bytes (0x1A, 0x1C,
    // 0x7F trade places) and for bytes it cannot map; the desktop's code page
    // keeps 0x00..0x7F as ASCII. So single bytes are mapped here, and ICU is
    // asked only for whole double-byte characters.
    QString out;
    out.reserve(bytes.size());
    std::optional<QStringDecoder> decoder;
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            out.append(QChar(c));
        } else if (c >= 0xA1 && c <= 0xDF) {
            out.append(QChar(char16_t(0xFF61 + (c - 0xA1)))); // half-width katakana
        } else if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < n &&
                   b[i + 1] >= 0x40 && b[i + 1] <= 0xFC && b[i + 1] != 0x7F) {
            const QString ch = opened(decoder).decode(QByteArrayView(bytes).sliced(i, 2));
            if (decoder->hasError() || ch.size() != 1 || ch[0].unicode() < 0x80) {
                decoder.reset();
                out.append(QChar::ReplacementCharacter);
            } else {
                out.append(ch);
            }
            ++i;
        } else {
            out.append(QChar::ReplacementCharacter);
        }
    }
    return out;
}

} // namespace zentova
