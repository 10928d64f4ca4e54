// The runtime services every handler leans on: the runtime error, checked
// 16-bit arithmetic, number/text conversions, formats and twips.
#pragma once

#include <QString>
#include <cstdint>
#include <exception>

namespace zentova
{

// The errors a handler can stop on. Each number stays fixed so that a
// description and its error always go together.
enum class ErrorCode {
    OutOfMemory = 7,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    BadFileNameOrNumber = 52,
    FileNotFound = 53,
    DeviceIoError = 57,
    DiskFull = 61,
    PermissionDenied = 70,
    PathFileAccessError = 75,
    PathNotFound = 76,
};

QString errorDescription(ErrorCode code);

class RuntimeError : public std::exception
{
public:
    explicit RuntimeError(ErrorCode code);
    RuntimeError(ErrorCode code, QString description);

    ErrorCode code() const { return m_code; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    ErrorCode m_code;
    QString m_description;
    QByteArray m_utf8;
};

[[noreturn]] void raiseError(ErrorCode code);

// 16-bit signed arithmetic that leaves -32768..32767 raises an overflow.
int16_t checkedInt16(long long value);
int16_t addInt16(int16_t a, int16_t b);

// Integer to decimal text: minus sign for negatives, no leading blank.
QString intToText(long long value);

// Text to 16-bit integer. Blanks around the number (including the
// ideographic space) are ignored, one sign is allowed, and the full-width
// digits and signs a Japanese input method types count as their ASCII forms.
// No number: type mismatch; outside -32768..32767: overflow.
int16_t textToInt16(const QString &text);


// "0#": at least two digits, zero-padded.
QString formatTwoDigits(int value);

// 15 twips are one logical pixel; the toolkit's high-DPI scaling does the rest.
int twipsToPixels(int twips);

} // namespace zentova
