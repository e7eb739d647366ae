#include "ListHistoryWindow.h"

#include <viVavazuruv/AutomationError.h>
#include <viVavazuruv/UsrDefTable.h>

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace vvdemo {

namespace {

enum Column { Change, When, User, Workstation, Action, Key, Before, After, ColumnCount };

// A row as the picker shows it: group code and description, the rest in the tool-tip.
QString shortRow(const QString& json) {
    if (json.isEmpty())
        return {};
    const QJsonObject row = QJsonDocument::fromJson(json.toUtf8()).object();
    const QString group = row.value(usrdef::kGroup).toString();
    const QString description = row.value(usrdef::kDescription).toString();
    return group.isEmpty() ? description : group + u"  "_s + description;
}

} // namespace

ListHistoryWindow::ListHistoryWindow(std::shared_ptr<ReferenceHost> host, const QString& listCode,
                                     QWidget* parent)
    : QDialog(parent), m_host(std::move(host)) {
    setObjectName(u"listHistoryWindow"_s);
    setWindowTitle(tr("List history"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* listLabel = new QLabel(tr("List:"));
    top->addWidget(listLabel);
    m_list = new QLineEdit(listCode);
    listLabel->setBuddy(m_list); // names the field for screen readers
    m_list->setAccessibleName(listLabel->text());
    m_list->setObjectName(u"historyList"_s);
    m_list->setMaximumWidth(140);
    top->addWidget(m_list);
    auto* show = new QPushButton(tr("&Show"));
    show->setObjectName(u"historyShow"_s);
    top->addWidget(show);
    top->addStretch(1);
    layout->addLayout(top);

    m_changes = new QTableWidget(0, ColumnCount);
    m_changes->setObjectName(u"historyChanges"_s);
    m_changes->setAccessibleName(tr("List history"));
    m_changes->setHorizontalHeaderLabels({tr("Change"), tr("When"), tr("User"), tr("Workstation"),
                                          tr("Action"), tr("Key"), tr("Before"), tr("After")});
    m_changes->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_changes->setSelectionMode(QAbstractItemView::SingleSelection);
    m_changes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_changes->verticalHeader()->hide();
    m_changes->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_changes, 1);

    m_status = new QLabel;
    m_status->setObjectName(u"historyStatus"_s);
    layout->addWidget(m_status);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    m_restore = buttons->addButton(tr("&Restore"), QDialogButtonBox::ActionRole);
    m_restore->setObjectName(u"historyRestore"_s);
    m_restore->setToolTip(tr("Put the row back as it stood before the change selected"));
    layout->addWidget(buttons);

    connect(show, &QPushButton::clicked, this, &ListHistoryWindow::refresh);
    connect(m_list, &QLineEdit::returnPressed, this, &ListHistoryWindow::refresh);
    connect(m_restore, &QPushButton::clicked, this, &ListHistoryWindow::restoreSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_changes, &QTableWidget::itemSelectionChanged, this,
            [this] { m_restore->setEnabled(!m_changes->selectedItems().isEmpty()); });
    resize(900, 420);
    refresh();
}

void ListHistoryWindow::refresh() {
    m_changes->setRowCount(0);
    QList<ListChange> changes;
    try {
        ChangeFilter filter;
        filter.lists = {m_list->text().trimmed()};
        ListHistory history(*m_host);
        history.seal();
        changes = history.changes(filter);
    } catch (const AutomationError& e) {
        m_status->setText(e.message());
        return;
    }
    m_changes->setRowCount(int(changes.size()));
    int row = 0;
    for (auto c = changes.crbegin(); c != changes.crend(); ++c, ++row) { // newest first
        const QString when =
            QDateTime::fromString(c->at, Qt::ISODateWithMs).toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
        const QString texts[ColumnCount] = {QString::number(c->change),
                                            when,
                                            c->user.isEmpty() ? tr("(another program)") : c->user,
                                            c->workstation,
                                            c->action,
                                            QString::number(c->key),
                                            shortRow(c->before),
                                            shortRow(c->after)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column == Before || column == After)
                item->setToolTip(column == Before ? c->before : c->after);
            m_changes->setItem(row, column, item);
        }
    }
    m_changes->resizeColumnsToContents();
    m_restore->setEnabled(false);
    m_status->setText(
        tr("%n change(s) of list %1, newest first", nullptr, int(changes.size())).arg(m_list->text()));
}

bool ListHistoryWindow::restoreSelected() {
    const QList<QTableWidgetItem*> selected = m_changes->selectedItems();
    if (selected.isEmpty())
        return false;
    const int row = selected.first()->row();
    const qint64 change = m_changes->item(row, Change)->text().toLongLong();
    const std::shared_ptr<IDialogs> dialogs = m_host->dialogs();
    try {
        ListHistory history(*m_host);
        const QString plan = history.restore(change, true);
        if (!dialogs || dialogs->MessageBox(tr("Restore change %1?\n\nThen %2.").arg(change).arg(plan),
                                            MsgBox::YesNo + MsgBox::Question + MsgBox::DefaultButton2,
                                            tr("List history")) != MsgBox::AnswerYes)
            return false;
        history.restore(change);
    } catch (const RestoreRefused& refused) {
        if (dialogs)
            dialogs->MessageBox(tr("Change %1 cannot be restored: %2.").arg(change).arg(refused.reason()),
                                MsgBox::Exclamation, tr("List history"));
        return false;
    } catch (const AutomationError& e) {
        if (dialogs)
            dialogs->MessageBox(e.message(), MsgBox::Critical, tr("List history"));
        return false;
    }
    refresh();
    return true;
}

} // namespace vvdemo
