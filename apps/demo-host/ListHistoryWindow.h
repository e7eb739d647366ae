#pragma once

#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/ListHistory.h>

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vvdemo {

// The history of one list at the desk: its changes, newest first, with the
// row before and after each, and Restore for the change selected, which puts
// the row back as it stood before it (after asking, through the dialogs
// object). Every control has an object name so a script can drive it.
class ListHistoryWindow final : public QDialog {
    Q_OBJECT

public:
    ListHistoryWindow(std::shared_ptr<viVavazuruv::ReferenceHost> host, const QString& listCode,
                      QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ListHistoryWindow)

    // Reads the list's changes again.
    void refresh();
    // Restores the change selected, after asking; false when nothing was restored.
    bool restoreSelected();

private:
    std::shared_ptr<viVavazuruv::ReferenceHost> m_host;
    QLineEdit* m_list = nullptr;
    QTableWidget* m_changes = nullptr;
    QPushButton* m_restore = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace vvdemo
