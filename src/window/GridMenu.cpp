#include "GridMenu.h"

#include <QAction>
#include <QMenu>

namespace viVavazuruv {

GridMenu::GridMenu(QWidget* parent, const std::function<void(qint16 item)>& clicked)
    : m_parent(parent), m_clicked(clicked) {}

QMenu* GridMenu::menu() const {
    if (m_menu)
        return m_menu;
    m_menu = new QMenu(m_parent);
    m_menu->setObjectName(QStringLiteral("mnuPopUp"));
    const QString captions[] = {tr("Select Codes"), tr("Select Letter")};
    for (qint16 i = 0; i < qint16(m_items.size()); ++i) {
        m_items[i] = m_menu->addAction(captions[i]);
        m_items[i]->setObjectName(QStringLiteral("mnuPopUps_%1").arg(i));
        QObject::connect(m_items[i], &QAction::triggered, m_menu, [clicked = m_clicked, i] { clicked(i); });
    }
    return m_menu;
}

void GridMenu::popUp(qint32 row, bool codesShown, bool letterShown, const QPoint& at) {
    menu();
    m_row = row;
    m_items[SelectCodes]->setEnabled(codesShown);
    m_items[SelectLetter]->setEnabled(letterShown);
    m_menu->popup(at);
}

} // namespace viVavazuruv
