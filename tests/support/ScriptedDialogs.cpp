#include "ScriptedDialogs.h"

#include <viVavazuruv/AutomationError.h>

namespace viVavazuruv::test {

namespace {

// Long texts are cut in failure descriptions; the whole text stays in asked().
QString quoted(const QString& text) {
    return QLatin1Char('"') + (text.size() > 200 ? text.left(200) + QStringLiteral("...") : text) +
           QLatin1Char('"');
}

QString kindName(ScriptedDialogs::Kind kind) {
    const char* names[] = {"message box", "input box", "file dialog"};
    return QLatin1String(names[int(kind)]);
}

} // namespace

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
    m_asked.append(asked);
    const QString what = kindName(asked.kind) + QLatin1Char(' ') + quoted(asked.text);
    if (m_script.empty())
        fail(QStringLiteral("unexpected dialog: %1; no answer was queued").arg(what));
    if (m_script.front().kind != asked.kind)
        fail(QStringLiteral("unexpected dialog: %1; the next queued answer is for a dialog of kind \"%2\"")
                 .arg(what, kindName(m_script.front().kind)));
    Answer answer = std::move(m_script.front());
    m_script.pop_front();
    if (!answer.mustContain.isEmpty() && !asked.text.contains(answer.mustContain))
        fail(QStringLiteral("unexpected dialog: %1; its text should contain %2")
                 .arg(what, quoted(answer.mustContain)));
    if (answer.meanwhile)
        answer.meanwhile();
    return answer;
}

void ScriptedDialogs::fail(const QString& description) {
    m_unexpected.append(description);
    throw AutomationError(ErrorCode::InvalidProcedureCall, description);
}

} // namespace viVavazuruv::test
