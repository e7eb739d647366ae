#include <support/PickerEnv.h>
#include <viVavazuruv/Translations.h>

#include <QDir>
#include <QGroupBox>
#include <QTranslator>

using namespace Qt::StringLiterals;
using namespace viVavazuruv;

namespace {

// The German catalogue from the build tree speaks for the picker and the
// reference host once installed; removed, every text is the English one again.
TEST(TranslationsTest, GermanWhileInstalledEnglishByteForByteWithout) {
    const auto env = test::PickerEnv::create(test::Engine::SQLite);
    ASSERT_TRUE(env);
    EXPECT_EQ(QDir(TranslationsFolder()), QDir(QStringLiteral(VIVAVAZURUV_BUILD_TRANSLATIONSDIR)));
    QTranslator english;
    EXPECT_FALSE(LoadTranslation(english, QLocale(QLocale::English, QLocale::UnitedStates)));
    QTranslator german;
    ASSERT_TRUE(LoadTranslation(german, QLocale(QLocale::German, QLocale::Austria)));

    const auto shown = [&] {
        test::PickerEnv::prepareRequest(u"CRECARD"_s);
        const auto form = env->loadForm();
        env->dialogs().expectMessage(MsgBox::AnswerYes);
        env->host().AskMessage(u"SA001"_s, QString(), QString());
        return QStringList{form->level(0).cmd_Cancel->text(), form->level(0).Uddbs_Frame->title(),
                           env->dialogs().asked().last().text};
    };
    QCoreApplication::installTranslator(&german);
    EXPECT_EQ(shown(), (QStringList{u"&Schließen"_s, u"Datenbank = CRECARD"_s,
                                    u"Möchten Sie die Änderungen speichern?"_s}));
    QCoreApplication::removeTranslator(&german);
    EXPECT_EQ(shown(),
              (QStringList{u"&Close"_s, u"Database = CRECARD"_s, u"Do you want to save the changes?"_s}));
}

} // namespace
