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

// Where a settings file may live. Only a regular file inside folder is ever
// read or written: folder itself is a real folder (not a link to another),
// and the file, every link on its way followed, still lies inside it (a link
// to a file beside it is the folder's own business). The canonical paths of
// both are compared before any read or write; the file is then opened by
// that canonical name without following a link planted meanwhile, never
// blocking on a FIFO, and checked to be a regular file once open. Anything
// else is refused.
//
// The one-argument forms take the file's own folder as the folder.

// Reads a settings file. Nothing when the file is missing, unreadable, empty,
// binary, refused by the rules above, or not five numbers that each fit a
// signed 16-bit integer: the caller then falls back to its defaults without
// telling anyone. A window dragged past the screen's left or top edge is
// stored with a negative position, so negative numbers are read as written.
std::optional<WindowSettings> readWindowSettings(const QString& path, const QString& folder);
std::optional<WindowSettings> readWindowSettings(const QString& path);

// The line the file holds for these values.
QByteArray formatWindowSettings(const WindowSettings& settings);

// Replaces the file atomically (a crash never leaves a truncated file): a
// temporary file written in the file's folder is renamed over it, so a link
// planted at the file's place is replaced, never followed. False when it
// could not be written or the rules above refuse it; the old file (and
// whatever a link points at) then stays as it was.
bool writeWindowSettings(const QString& path, const QString& folder, const WindowSettings& settings);
bool writeWindowSettings(const QString& path, const WindowSettings& settings);

} // namespace viVavazuruv
