#pragma once

#include <QString>

#include <QtGlobal>

#include <optional>

namespace viVavazuruv {

// The picker's size and position as kept in its settings file: one line of
// five 16-bit numbers (marker, Height, Width, Top, Left in twips), each with
// one blank before and after, joined by commas, ended by CR LF.
struct WindowSettings {
    qint16 marker = 0;
    qint16 height = 0;
    qint16 width = 0;
    qint16 top = 0;
    qint16 left = 0;

    friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};

// Reads a settings file. Nothing when the file is missing, unreadable, empty,
// binary or not five numbers that each fit 16 bits and are not negative: the
// caller then falls back to its defaults without telling anyone.
std::optional<WindowSettings> readWindowSettings(const QString& path);

// The line the file holds for these values.
QByteArray formatWindowSettings(const WindowSettings& settings);

// Replaces the file atomically (a crash never leaves a truncated file).
// False when it could not be written; the old file then stays as it was.
bool writeWindowSettings(const QString& path, const WindowSettings& settings);

} // namespace viVavazuruv
