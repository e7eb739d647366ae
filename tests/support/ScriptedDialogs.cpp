#include "ScriptedDialogs.h"

#include <viVavazuruv/AutomationError.h>

namespace viVavazuruv::test {

qint32 ScriptedDialogs::MessageBox(const QString& text, qint32 flags, const QString& title) {
    return take({Kind::Message, text, title, flags, {}}).message;
}

QString ScriptedDialogs::InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    return take({Kind::Input, prompt, title, 0, defaultText}).input;
}

std::optional<QString> ScriptedDialogs::OpenFile(const QString& initialFolder, const QString& filter,
                                                 qint32 flags) {
    return take({Kind::File, initialFolder, {}, flags, filter}).file;
}

ScriptedDialogs::Answer ScriptedDialogs::take(const Asked& asked) {
    static const char* const kinds[] = {"message box", "input box", "file dialog"};
    m_asked.append(asked);
    // Long texts are cut here; the whole text stays in asked().
    const QString what = QStringLiteral("unexpected dialog: %1 \"%2\"; ")
                             .arg(QLatin1String(kinds[int(asked.kind)]), asked.text.left(200));
    if (m_script.empty())
        fail(what + QStringLiteral("no answer was queued"));
    if (m_script.front().kind != asked.kind)
        fail(what + QStringLiteral("the next answer is for a %1")
                        .arg(QLatin1String(kinds[int(m_script.front().kind)])));
    Answer answer = std::move(m_script.front());
    m_script.pop_front();
    if (!answer.mustContain.isEmpty() && !asked.text.contains(answer.mustContain))
        fail(what + QStringLiteral("its text should contain \"%1\"").arg(answer.mustContain));
    if (answer.meanwhile)
        answer.meanwhile();
    return answer;
}

void ScriptedDialogs::fail(const QString& description) {
    m_unexpected.append(description);
    throw AutomationError(ErrorCode::InvalidProcedureCall, description);
}

} // namespace viVavazuruv::test
