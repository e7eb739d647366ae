// A dental code list opened by a host, chosen in across nested levels with the
// mouse or the keyboard, and composed into the chart note, on the demo office's lists.
#include <refhost/RefhostSupport.h>
#include <support/PickerEnv.h>

#include <viVavazuruv/SeedData.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QTableView>
#include <QTest>

using namespace viVavazuruv;
using viVavazuruv::test::PickerEnv;
using namespace Qt::StringLiterals;

namespace {

class CodeListEntryPointTest : public test::EntryPointTest {
protected:
    void SetUp() override {
        EntryPointTest::SetUp();
        if (m_env)
            refhost::seedDemoData(m_env->host());
    }
    struct Outputs {
        QString code, dbName, level, desc, ada, letter, id;
        qint16 count = -1;
    };
    Outputs codeList(const QString& code, bool showCode = false) {
        Outputs o{code, u"stale"_s, u"stale"_s, u"stale"_s, u"stale"_s, u"stale"_s, u"stale"_s};
        qint16 modFlag = 0;
        float top = 0, left = 0;
        qint32 patient = 0;
        bool letters = false;
        m_env->component().UDDBS_Cds_Qrp(o.code, modFlag, o.dbName, o.level, o.desc, o.ada, o.letter, o.id,
                                         o.count, top, left, patient, &showCode, &letters);
        return o;
    }
    QString compose(Outputs& o) {
        QString note;
        m_env->component().Cds_Qrp_Compose(note, o.dbName, o.level, o.desc, o.ada, o.letter, o.id, o.count);
        return note;
    }
    // The first row of a level whose description starts with text.
    static qint32 rowStarting(const QString& text, int level) {
        const IGridControl& grid = PickerEnv::grid(level);
        for (qint32 r = 1; r <= grid.MaxRows(); ++r)
            if (grid.GetText(2, r).startsWith(text))
                return r;
        ADD_FAILURE() << "no row " << text.toStdString();
        return 0;
    }
    // Ticks (or, choosing one, picks) the rows starting with texts on a level and presses OK there.
    static std::function<void()> pickAndConfirm(QStringList rows, int level = 0) {
        return [=] {
            for (const QString& row : rows)
                PickerEnv::clickCell(2, rowStarting(row, level), level);
            PickerEnv::pressButton(u"cmd_Select"_s, level);
        };
    }
    // On a level whose grid has the keyboard, moves to each row starting with a
    // text and ticks it, then chooses with Enter: keys alone, where the focus is.
    static std::function<void()> tickByKeys(QStringList rows, int level = 0) {
        return [=] {
            // Under a window manager the keyboard comes with the window's activation.
            ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }));
            QWidget* keys = QApplication::focusWidget();
            const grid::GridControl& grid = PickerEnv::grid(level);
            ASSERT_EQ(keys, grid.view()) << "level " << level << " does not have the keyboard";
            for (const QString& text : rows) {
                const qint32 target = rowStarting(text, level);
                for (int moves = 0; target > 0 && grid.ActiveRow() != target && moves < 100; ++moves)
                    QTest::keyClick(keys, grid.ActiveRow() < target ? Qt::Key_Down : Qt::Key_Up);
                QTest::keyClick(keys, Qt::Key_Space);
            }
            QTest::keyClick(keys, Qt::Key_Return);
        };
    }
    // A nested level showing list, ready for the mouse and the keys.
    static std::function<bool()> showing(int level, const QString& list) {
        return [=] {
            wkDatabases_Form* form = PickerEnv::form();
            return form && form->hasLevel(level) && form->level(level).FrameTag == list &&
                   form->level(level).Uddbs_Frame->isVisible() && form->level(level).grid().Enabled();
        };
    }
};

// Every chosen row is a line of every output; double bars choose one row, and a prompt adds its answer.
TEST_P(CodeListEntryPointTest, EveryChosenRowIsALineOfEveryOutputAndDoubleBarsChooseOne) {
    play({pickAndConfirm({u"Periodic exam"_s, u"Full-mouth X-rays"_s})});
    Outputs o = codeList(u"|PROCS"_s);
    // The note is made of the other outputs' lines; without showCode it has no ADA codes.
    EXPECT_EQ(o.id.count(u'\n'), 2);
    EXPECT_EQ(compose(o), u"Periodic exam; Full-mouth X-rays."_s);

    m_env->dialogs().expectInput(u"upper right"_s, u"quadrant"_s);
    qint16 mode = 0;
    play({[&] {
        mode = PickerEnv::grid().OperationMode();
        pickAndConfirm({u"Scaling and root planing"_s})();
    }});
    o = codeList(u"||PROCS"_s);
    EXPECT_EQ(mode, 3); // one row only
    EXPECT_EQ((QStringList{o.code, o.desc, o.dbName, o.level, QString::number(o.count)}),
              (QStringList{u"|PROCS"_s, u"Scaling and root planing, quadrant |??\nupper right\n"_s,
                           u"|PROCS\n|??\n"_s, u"0\n1\n"_s, u"2"_s}));
    EXPECT_EQ(compose(o), u"Scaling and root planing, quadrant upper right."_s);
}

TEST_P(CodeListEntryPointTest, TeethSurfacesAMaterialAndItsShadeComposeOneSentenceByKeysAlone) {
    // The grid's own keys act without the host's leave: only buttons wait for a mouse press.
    m_env->host().setOption(u"KEYBOARD_USER_ACTION"_s, u"0"_s);
    m_script = PickerEnv::script();
    m_script->step(up, tickByKeys({u"Composite filling on"_s}))
        .step(showing(1, u"TEETH"_s), tickByKeys({u"#14 "_s}, 1))
        .step(showing(1, u"SURFACES"_s), tickByKeys({u"mesial"_s, u"occlusal"_s}, 1))
        .step(showing(1, u"MATERIALS"_s), tickByKeys({u"composite resin"_s}, 1))
        .step(showing(2, u"SHADES"_s), tickByKeys({u"A2"_s}, 2));
    m_script->start();
    Outputs o = codeList(u"|PROCS"_s, true);
    EXPECT_EQ(o.level, u"0\n1\n1\n1\n1\n2\n"_s);
    EXPECT_EQ(compose(o), u"Composite filling on #14 upper left first molar: mesial and occlusal surfaces; "
                          "composite resin, shade A2 D2391."_s);
}

VV_ON_BOTH_ENGINES(CodeListEntryPointTest);

} // namespace
