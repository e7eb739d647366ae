#pragma once

#include <QCoreApplication>
#include <QtGlobal>

#include <array>
#include <functional>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace viVavazuruv {

// The grid's right-click menu in edit mode: item 0 "Select Codes", item 1
// "Select Letter", for the row it was opened on. One command at a time: a
// second one that arrives while the first is open (its file dialog is up)
// finds the menu busy. The menu itself is made when first asked for: most
// windows never show it.
class GridMenu final {
    Q_DECLARE_TR_FUNCTIONS(GridMenu)

public:
    static constexpr qint16 SelectCodes = 0;
    static constexpr qint16 SelectLetter = 1;

    // clicked receives the item chosen; the menu belongs to parent.
    GridMenu(QWidget* parent, const std::function<void(qint16 item)>& clicked);
    GridMenu(const GridMenu&) = delete;
    GridMenu& operator=(const GridMenu&) = delete;

    QMenu* menu() const;
    // Shows the menu at a point of the screen for a grid row, each item enabled when its column is shown.
    void popUp(qint32 row, bool codesShown, bool letterShown, const QPoint& at);
    // The grid row the menu was last opened on; 0 before it ever was.
    qint32 row() const { return m_row; }
    // Set while a command runs (see BusyGuard).
    bool& busy() { return m_busy; }

private:
    QWidget* m_parent;
    std::function<void(qint16 item)> m_clicked;
    mutable QMenu* m_menu = nullptr;
    mutable std::array<QAction*, 2> m_items{};
    qint32 m_row = 0;
    bool m_busy = false;
};

} // namespace viVavazuruv
