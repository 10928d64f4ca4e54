#include "core/base/runtime.h"
#include "core/base/language.h"

#include <cmath>
#include <limits>

namespace zentova
{

QString errorDescription(ErrorCode code)
{
    switch (code) {
    case ErrorCode::OutOfMemory:
        return translate("Errors", "メモリが不足しています。");
    case ErrorCode::Overflow:
        return translate("Errors", "オーバーフローしました。");
    case ErrorCode::SubscriptOutOfRange:
        return translate("Errors", "インデックスが有効範囲にありません。");
    case ErrorCode::TypeMismatch:
        return translate("Errors", "型が一致しません。");
    case ErrorCode::BadFileNameOrNumber:
        return translate("Errors", "ファイル名または番号が不正です。");
    case ErrorCode::FileNotFound:
        return translate("Errors", "ファイルが見つかりません。");
    case ErrorCode::DeviceIoError:
        return translate("Errors", "デバイス I/O エラーです。");
    case ErrorCode::DiskFull:
        return translate("Errors", "ディスクの空き容量が不足しています。");
    case ErrorCode::PermissionDenied:
        return translate("Errors", "書き込みできません。");
    case ErrorCode::PathFileAccessError:
        return translate("Errors", "パス名が無効です。");
    case ErrorCode::PathNotFound:
        return translate("Errors", "パスが見つかりません。");
    }
    return translate("Errors", "アプリケーション定義またはオブジェクト定義のエラーです。");
}

RuntimeError::RuntimeError(ErrorCode code) : RuntimeError(code, errorDescription(code)) {}

RuntimeError::RuntimeError(ErrorCode code, QString description)
    : m_code(code), m_description(std::move(description)), m_utf8(m_description.toUtf8())
{
}

void raiseError(ErrorCode code)
{
    throw RuntimeError(code);
}

int16_t checkedInt16(long long value)
{
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        raiseError(ErrorCode::Overflow);
    return static_cast<int16_t>(value);
}

int16_t addInt16(int16_t a, int16_t b)
{
    return checkedInt16(static_cast<long long>(a) + b);
}

QString intToText(long long value)
{
    return QString::number(value);
}

namespace
{

// Full-width forms that an input method produces for digits and signs.
QChar toHalfWidth(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'０' && u <= u'９')
        return QChar(u'0' + (u - u'０'));
    switch (u) {
    case u'＋':
        return QChar(u'+');
    case u'－':
    case u'−': // minus sign, which some input methods type for "-"
        return QChar(u'-');
    case u'．':
        return QChar(u'.');
    default:
        return c;
    }
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\u3000';
}

} // namespace

int16_t textToInt16(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        s.append(toHalfWidth(c));

    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;

    qsizetype i = begin;
    bool negative = false;
    if (i < end && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
        while (i < end && isBlank(s[i]))
            ++i;
    }
    if (i == end)
        raiseError(ErrorCode::TypeMismatch);

    long long magnitude = 0;
    for (; i < end; ++i) {
        const QChar c = s[i];
        if (c < u'0' || c > u'9')
            raiseError(ErrorCode::TypeMismatch);
        magnitude = magnitude * 10 + (c.unicode() - u'0');
        if (magnitude > 100000) // far past the range; stop before it can wrap
            raiseError(ErrorCode::Overflow);
    }
    return checkedInt16(negative ? -magnitude : magnitude);
}

QString formatTwoDigits(int value)
{
    if (value < 0)
        return QStringLiteral("-") + formatTwoDigits(-value);
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

int twipsToPixels(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

} // namespace zentova
