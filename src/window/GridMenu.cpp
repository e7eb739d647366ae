#include "GridMenu.h"

#include <QAction>
#include <QMenu>

namespace viVavazuruv {

GridMenu::GridMenu(QWidget* parent, const std::function<void(qint16 item)>& clicked) {
    m_menu = new QMenu(parent);
    m_menu->setObjectName(QStringLiteral("mnuPopUp"));
    const QString captions[] = {tr("Select Codes"), tr("Select Letter")};
    for (qint16 i = 0; i < qint16(m_items.size()); ++i) {
        m_items[i] = m_menu->addAction(captions[i]);
        m_items[i]->setObjectName(QStringLiteral("mnuPopUps_%1").arg(i));
        QObject::connect(m_items[i], &QAction::triggered, m_menu, [clicked, i] { clicked(i); });
    }
}

void GridMenu::popUp(qint32 row, bool codesShown, bool letterShown, const QPoint& at) {
    m_row = row;
    m_items[SelectCodes]->setEnabled(codesShown);
    m_items[SelectLetter]->setEnabled(letterShown);
    m_menu->popup(at);
}

} // namespace viVavazuruv
