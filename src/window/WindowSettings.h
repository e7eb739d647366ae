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
// binary, a link out of its folder, or not five numbers that each fit a
// signed 16-bit integer: the caller then falls back to its defaults without
// telling anyone. A window dragged past the screen's left or top edge is
// stored with a negative position, so negative numbers are read as written.
std::optional<WindowSettings> readWindowSettings(const QString& path);

// The line the file holds for these values.
QByteArray formatWindowSettings(const WindowSettings& settings);

// True when path is a symbolic link whose target lies outside path's folder.
bool leavesItsFolder(const QString& path);

// Replaces the file atomically (a crash never leaves a truncated file).
// False when it could not be written, or path is a link out of its folder;
// the old file (and whatever a link points at) then stays as it was.
bool writeWindowSettings(const QString& path, const WindowSettings& settings);

} // namespace viVavazuruv
