#pragma once

#include <QIODevice>
#include <QString>

// Text written out in pieces, and JSON strings, for what vv-lists writes.
namespace viVavazuruv::lists {

// Appends text as a JSON string, quotes and escapes included.
void appendJsonString(QString& out, QStringView text);

// Why a write to device failed, in words a person acts on ("the disk is
// full"); error is the errno the failed call left.
QString writeFailure(const QIODevice& device, int error);

// Text gathered and written in pieces, so a long list costs neither a write
// a row nor the whole file in memory.
class Output {
public:
    explicit Output(QIODevice& device) : m_device(device) {}
    QString& text() { return m_text; }
    void flushIfFull() {
        if (m_text.size() >= 32 * 1024)
            flush();
    }
    // Raises AutomationError (HostError) naming why when the device fails.
    void flush();

private:
    QIODevice& m_device;
    QString m_text;
};

} // namespace viVavazuruv::lists
