#include "TextHost.h"

#include <refhost/TextRules.h>
#include <viVavazuruv/AutomationError.h>

namespace viVavazuruv::test {

namespace {
[[noreturn]] void notForComposing(const char* service) {
    throw AutomationError(
        ErrorCode::HostError,
        QStringLiteral("%1 is no text service: a composition never calls it").arg(QLatin1String(service)));
}
} // namespace

TextHost::TextHost()
    : getField([](const QString& text, const QString& separator, qint16 index) {
          return refhost::fieldAt(text, separator, index);
      }),
      splitText(&refhost::splitPieces),
      replaceVariable(
          [](const QString& text, const QString& find, const QString& replacement, qint16 count,
             qint32 start) { return refhost::replaceFrom(text, find, replacement, count, start); }) {}

QString TextHost::GetField(const QString& Text, const QString& Separator, qint16 Index, qint16) {
    charactersLent += Text.size();
    return getField(Text, Separator, Index);
}

void TextHost::SplitText(const QString& Text, const QString& Separator, QStringList& Pieces, qint16& Count) {
    charactersLent += Text.size();
    Pieces = splitText(Text, Separator);
    Count = qint16(Pieces.size());
}

void TextHost::ReplaceVariable(QString& Text, const QString& Find, const QString& Replacement, qint16 Count,
                               qint32 Start, qint16) {
    charactersLent += Text.size();
    Text = replaceVariable(Text, Find, Replacement, Count, Start);
}

void TextHost::PipeVariableList(const QString& VariableText, QString& ListCode) {
    ListCode = listOfVariable.value(refhost::pipeVariableName(VariableText).toUpper());
}

void TextHost::ListJoinWords(const QString& ListCode, QString& Between, QString& BeforeLast,
                             QString& AfterLast, QString& CodeJoin) {
    const Words words = joinWords.value(refhost::normalizedListKey(ListCode));
    Between = words.between;
    BeforeLast = words.beforeLast;
    AfterLast = words.afterLast;
    CodeJoin = words.codeJoin;
}

bool TextHost::InsertEachItem(const QString& ListCode) {
    return eachItem.value(refhost::normalizedListKey(ListCode));
}

QSqlDatabase TextHost::GetConnection() {
    notForComposing("GetConnection");
}
QString TextHost::TranslateSql(QString, qint16, qint16) {
    notForComposing("TranslateSql");
}
QString TextHost::SqlValue(QString, bool, qint16, qint16) {
    notForComposing("SqlValue");
}
qint32 TextHost::GetOfficeMode() {
    notForComposing("GetOfficeMode");
}
qint32 TextHost::GetOfficeID() {
    notForComposing("GetOfficeID");
}
bool TextHost::SaveRecord(qint16, const QString&, const QString&, qint32&, const QStringList&,
                          const QStringList&, bool) {
    notForComposing("SaveRecord");
}
qint16 TextHost::AskMessage(const QString&, const QString&, const QString&) {
    notForComposing("AskMessage");
}
QString TextHost::CaptionText(const QString&) {
    notForComposing("CaptionText");
}
QString TextHost::KeyPrefix() {
    notForComposing("KeyPrefix");
}
QString TextHost::CodeListKey(const QString&) {
    notForComposing("CodeListKey");
}
bool TextHost::LetterColumnsOff() {
    notForComposing("LetterColumnsOff");
}
bool TextHost::CanModifyLists() {
    notForComposing("CanModifyLists");
}
QString TextHost::GetHostPath() {
    notForComposing("GetHostPath");
}
QString TextHost::LayoutFileName(const QString&, const QString&) {
    notForComposing("LayoutFileName");
}
void TextHost::ReadOptionFlag(const QString&, qint16, QSqlDatabase*, qint16, qint16&) {
    notForComposing("ReadOptionFlag");
}
void TextHost::SetCurrentPatientID(qint32) {
    notForComposing("SetCurrentPatientID");
}
qint32 TextHost::GetCurrentPatientID() {
    notForComposing("GetCurrentPatientID");
}
QString TextHost::PatientLookup(qint32, QString&, QString&, QString&, QString&) {
    notForComposing("PatientLookup");
}
qint32 TextHost::GetDefaultProvider() {
    notForComposing("GetDefaultProvider");
}
void TextHost::IsValidFeeType(qint16, bool&) {
    notForComposing("IsValidFeeType");
}
void TextHost::ResetHostText(const QString&) {
    notForComposing("ResetHostText");
}
void TextHost::NotifyHost(qint16) {
    notForComposing("NotifyHost");
}

} // namespace viVavazuruv::test
