#include "ShownCaption.h"

#include <QCoreApplication>

namespace viVavazuruv {

namespace {
const QString listPrefix = QStringLiteral("Database = ");
} // namespace

bool namesListByCode(const QString& caption) {
    return caption.startsWith(listPrefix);
}

QString shownCaption(const QString& caption) {
    if (caption.startsWith(listPrefix))
        return QCoreApplication::translate("PickerCaptions", "Database = %1")
            .arg(caption.mid(listPrefix.size()));
    // The catalogue is looked up by UTF-8 text: a caption that does not
    // survive the way there and back is no catalogue's.
    if (caption.isEmpty() || caption.contains(QChar(0)) || !QStringView(caption).isValidUtf16())
        return caption;
    return QCoreApplication::translate("PickerCaptions", caption.toUtf8().constData());
}

} // namespace viVavazuruv
