// What the window tests share, so each test shows only what it is about.
#pragma once

#include <support/PickerEnv.h>

#include <QTest>

#include <utility>

namespace viVavazuruv::test {

class WindowTest : public PickerTest {
protected:
    using Entries = std::initializer_list<std::pair<QString, QString>>;
    // Group and description of each entry, stored in this order.
    void addEntries(const QString& list, Entries entries) {
        for (const auto& [group, description] : entries)
            m_env->addEntry(list, group, description);
    }
    void addRows(const QString& list, int count) {
        for (int i = 1; i <= count; ++i)
            m_env->addEntry(list, QStringLiteral("G"),
                            QStringLiteral("Entry %1").arg(i, 3, 10, QLatin1Char('0')));
    }
    // The window for the prepared request, shown; with settle, until the frame
    // is known and every resize it caused has been seen (a window manager
    // draws it only after the window is mapped).
    std::unique_ptr<wkDatabases_Form> show(bool settle = false) {
        auto form = m_env->loadForm();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QRect last;
        for (int settled = 0; settle && settled < 5; QTest::qWait(40))
            settled = form->frameGeometry() == std::exchange(last, form->frameGeometry()) ? settled + 1 : 0;
        return form;
    }
    // A mouse click: an access key before any press on a button does nothing.
    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // A column's texts from row 1 down, joined with bars.
    static QString column(const IGridControl& grid, qint32 col) {
        QStringList texts;
        for (qint32 r = 1; r <= grid.MaxRows(); ++r)
            texts << grid.GetText(col, r);
        return texts.join(u'|');
    }
};

} // namespace viVavazuruv::test
