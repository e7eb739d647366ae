#include "VbStrings.h"

#include <viVavazuruv/AutomationError.h>

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

namespace viVavazuruv::vb {

namespace {
// The first and one-past-last characters that are not blanks.
std::pair<qsizetype, qsizetype> untrimmed(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return {begin, end};
}
} // namespace

QString Trim(const QString& text) {
    const auto [begin, end] = untrimmed(text);
    if (begin == 0 && end == text.size())
        return text; // shares the data
    return text.mid(begin, end - begin);
}

QString Trim(QString&& text) {
    const auto [begin, end] = untrimmed(text);
    if (begin == 0 && end == text.size())
        return std::move(text);
    return text.mid(begin, end - begin);
}

QAnyStringView Trim(QAnyStringView text) {
    // A blank is one unit in every encoding, UTF-8 included.
    return text.visit([](auto chars) {
        const auto blank = [&](qsizetype i) {
            if constexpr (std::is_same_v<decltype(chars[i]), char>)
                return chars[i] == ' ';
            else
                return chars[i] == QLatin1Char(' ');
        };
        qsizetype begin = 0;
        qsizetype end = chars.size();
        while (begin < end && blank(begin))
            ++begin;
        while (end > begin && blank(end - 1))
            --end;
        return QAnyStringView(chars.sliced(begin, end - begin));
    });
}

QString LTrim(const QString& text) {
    qsizetype begin = 0;
    while (begin < text.size() && text.at(begin) == QLatin1Char(' '))
        ++begin;
    return begin == 0 ? text : text.mid(begin);
}

double Val(const QString& text) {
    std::string digits;
    bool seenDigit = false, seenPoint = false, seenExponent = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char(' ') || ch == QLatin1Char('\t') || ch == QLatin1Char('\n'))
            continue;
        const char c = ch.toLatin1();
        if (c >= '0' && c <= '9') {
            digits += c;
            seenDigit = true;
        } else if ((c == '+' || c == '-') && (digits.empty() || (seenExponent && (digits.back() == 'e')))) {
            digits += c;
        } else if (c == '.' && !seenPoint && !seenExponent) {
            digits += c;
            seenPoint = true;
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && seenDigit && !seenExponent) {
            digits += 'e';
            seenExponent = true;
        } else {
            break;
        }
    }
    // A dangling exponent or sign is not part of the number.
    while (!digits.empty() && (digits.back() == 'e' || digits.back() == '+' || digits.back() == '-'))
        digits.pop_back();
    if (!seenDigit || digits.empty())
        return 0.0;
    char* end = nullptr;
    const double value = std::strtod(digits.c_str(), &end);
    return std::isfinite(value) ? value : 0.0;
}

namespace {
template <typename Int> Int roundHalfEven(double value, const char* typeName) {
    if (std::isnan(value))
        throw AutomationError(ErrorCode::Overflow,
                              QCoreApplication::translate("VbStrings", "Overflow: not a number."));
    const double rounded = std::nearbyint(value); // default rounding mode is to nearest, ties to even
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded > double(std::numeric_limits<Int>::max()))
        throw AutomationError(ErrorCode::Overflow,
                              QCoreApplication::translate("VbStrings", "Overflow: %1 does not fit in a %2.")
                                  .arg(value, 0, 'g', 17)
                                  .arg(QLatin1String(typeName)));
    return Int(rounded);
}
} // namespace

qint32 CLng(double value) {
    return roundHalfEven<qint32>(value, "32-bit integer");
}
qint16 CInt(double value) {
    return roundHalfEven<qint16>(value, "16-bit integer");
}

int InStr(int start, const QString& text, const QString& what) {
    if (start < 1)
        start = 1;
    if (start > text.size() + 1)
        return 0;
    const qsizetype at = text.indexOf(what, start - 1);
    return at < 0 ? 0 : int(at) + 1;
}

namespace {
char16_t upperOf(char16_t c) {
    if (c < 0x80)
        return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
    const char32_t upper = QChar::toUpper(char32_t(c));
    return upper <= 0xFFFF ? char16_t(upper) : c;
}
} // namespace

bool TrimmedContainsUpper(QStringView text, QStringView upperKey) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    const qsizetype n = upperKey.size();
    if (n == 0)
        return true;
    const char16_t first = upperKey[0].unicode();
    for (qsizetype i = begin; i + n <= end; ++i) {
        if (upperOf(text[i].unicode()) != first)
            continue;
        qsizetype j = 1;
        while (j < n && upperOf(text[i + j].unicode()) == upperKey[j].unicode())
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

QString Mid(const QString& text, int start, int length) {
    if (start < 1)
        start = 1;
    return text.mid(start - 1, length);
}

} // namespace viVavazuruv::vb
