#include "HeaderStyle.h"

#include <QColor>
#include <QHeaderView>
#include <QTableView>

namespace viVavazuruv::grid {

namespace {

QString colourName(quint32 rgb) {
    return QColor::fromRgb(QRgb(rgb & 0xFFFFFFu)).name();
}

} // namespace

bool HeaderStyle::setColours(quint32 background, quint32 text) {
    const QString sheet =
        QStringLiteral("QHeaderView::section { background-color: %1; color: %2; border: none; "
                       "border-right: 1px solid %3; border-bottom: 1px solid %3; "
                       "padding: 0px 3px; }")
            .arg(colourName(background), colourName(text),
                 QColor::fromRgb(QRgb(background)).darker(130).name());
    // Every list set-up asks for the same colours again.
    if (m_sheet == sheet)
        return false;
    m_sheet = sheet;
    m_pending = true;
    return true;
}

void HeaderStyle::apply(QTableView& view) {
    if (!m_pending)
        return;
    m_pending = false;
    view.horizontalHeader()->setStyleSheet(m_sheet);
    // Most lists hide the row numbers: their header is restyled when it shows.
    m_rowNumbersPending = true;
    if (!view.verticalHeader()->isHidden())
        applyRowNumbers(view);
}

void HeaderStyle::applyRowNumbers(QTableView& view) {
    if (!m_rowNumbersPending)
        return;
    m_rowNumbersPending = false;
    view.verticalHeader()->setStyleSheet(m_sheet);
}

} // namespace viVavazuruv::grid
