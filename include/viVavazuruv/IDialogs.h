#pragma once

#include "Export.h"

#include <QString>

#include <QtGlobal>

#include <memory>
#include <optional>

namespace viVavazuruv {

// Button, icon and default-button flags of a message box, added together, and
// its answers: the numbers the picker's texts were written against.
namespace MsgBox {
inline constexpr qint32 OkOnly = 0;
inline constexpr qint32 OkCancel = 1;
inline constexpr qint32 YesNoCancel = 3;
inline constexpr qint32 YesNo = 4;
inline constexpr qint32 Critical = 16;
inline constexpr qint32 Question = 32;
inline constexpr qint32 Exclamation = 48;
inline constexpr qint32 Information = 64;
inline constexpr qint32 DefaultButton2 = 256;

inline constexpr qint32 AnswerOk = 1;
inline constexpr qint32 AnswerCancel = 2;
inline constexpr qint32 AnswerYes = 6;
inline constexpr qint32 AnswerNo = 7;
} // namespace MsgBox

// Every dialog a person answers goes through this seam: the picker window and
// the reference host never open a message box, input box or file dialog
// themselves. The Qt implementation shows real dialogs; tests pass a scripted
// one that answers from a queue and records what was asked.
class VIVAVAZURUV_EXPORT IDialogs {
public:
    virtual ~IDialogs() = default;

    // Shows text with the buttons, icon and default button of flags; an empty
    // title means the application's name. Returns one of the MsgBox answers.
    virtual qint32 MessageBox(const QString& text, qint32 flags, const QString& title) = 0;

    // Asks for a line of text (several lines may be typed); "" when cancelled.
    virtual QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;

    // Lets the user pick an existing file. filter uses "Label|patterns|Label|patterns"
    // pairs; flags are the open-dialog option bits (4 hides the read-only box).
    // Returns the chosen file, or nothing when the user cancelled.
    virtual std::optional<QString> OpenFile(const QString& initialFolder, const QString& filter,
                                            qint32 flags) = 0;

    // The standard warning sound.
    virtual void Beep() = 0;
};

// Qt's own message boxes, input box and file dialog: what the component uses
// while a host routes its dialogs nowhere else. Needs a QApplication.
VIVAVAZURUV_EXPORT std::shared_ptr<IDialogs> CreateQtDialogs();

} // namespace viVavazuruv
