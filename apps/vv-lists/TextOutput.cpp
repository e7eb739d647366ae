#include "TextOutput.h"

#include "DeviceWriter.h"

#include <viVavazuruv/AutomationError.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

void appendJsonString(QString& out, QStringView text) {
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += u"\\\""_s;
            break;
        case u'\\':
            out += u"\\\\"_s;
            break;
        case u'\n':
            out += u"\\n"_s;
            break;
        case u'\r':
            out += u"\\r"_s;
            break;
        case u'\t':
            out += u"\\t"_s;
            break;
        default:
            if (c.unicode() < 0x20)
                out += u"\\u%1"_s.arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
}

QString writeFailure(const QIODevice& device, int error) {
    // Qt tells a full disk as the system's words, or as "Unknown error" when
    // a file is committed; the errno left behind says it either way.
    if (error == ENOSPC || device.errorString() == qt_error_string(ENOSPC))
        return u"the disk is full"_s;
    if (error == EDQUOT || device.errorString() == qt_error_string(EDQUOT))
        return u"the disk quota is used up"_s;
    const QString reason = device.errorString();
    return reason.isEmpty() || reason == u"Unknown error"_s ? qt_error_string(error) : reason;
}

void Output::flush() {
    DeviceWriter(m_device).write(m_text.toUtf8());
    m_text.clear();
}

} // namespace viVavazuruv::lists
