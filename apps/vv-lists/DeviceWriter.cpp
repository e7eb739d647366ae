#include "DeviceWriter.h"

#include "TextOutput.h"

#include <viVavazuruv/AutomationError.h>

#include <QFileDevice>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace viVavazuruv::lists {

void DeviceWriter::write(QByteArrayView bytes) {
    errno = 0;
    if (m_device.write(bytes.data(), bytes.size()) != bytes.size())
        fail(errno);
}

void DeviceWriter::finish() {
    auto* file = qobject_cast<QFileDevice*>(&m_device);
    if (!file)
        return;
    errno = 0;
    if (!file->flush() || file->error() != QFileDevice::NoError)
        fail(errno);
}

void DeviceWriter::fail(int error) const {
    const auto* file = qobject_cast<const QFileDevice*>(&m_device);
    const QString output = !file                        ? u"the output"_s
                           : file->fileName().isEmpty() ? u"standard output"_s
                                                        : file->fileName();
    throw AutomationError(ErrorCode::HostError,
                          u"Writing to %1 failed: %2"_s.arg(output, writeFailure(m_device, error)));
}

} // namespace viVavazuruv::lists
