#pragma once

#include <QByteArrayView>
#include <QIODevice>
#include <QString>

namespace viVavazuruv::lists {

// Bytes written to an output device (a file, standard output) so that no
// failure goes unnoticed: a short write, and data the system refuses when a
// buffer is flushed, raise AutomationError (HostError) naming the output and
// what failed ("the disk is full"). The device stays the caller's.
class DeviceWriter {
public:
    explicit DeviceWriter(QIODevice& device) : m_device(device) {}
    void write(QByteArrayView bytes);
    // Flushes what the device buffers through to the system.
    void finish();

private:
    [[noreturn]] void fail(int error) const;

    QIODevice& m_device;
};

} // namespace viVavazuruv::lists
