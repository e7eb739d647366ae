#pragma once

#include "VbArray.h"

#include <viVavazuruv/IDialogs.h>
#include <viVavazuruv/IGlobal.h>

#include <QPointer>

#include <QString>

#include <array>

namespace viVavazuruv {

// A selection record: fields each ended by a line feed, the record by a
// carriage return (see SelectionResult).
namespace SelectionRecord {
inline constexpr QChar FieldEnd = QChar(10);
inline constexpr QChar RecordEnd = QChar(13);
} // namespace SelectionRecord

// Where entry points and the picker window meet. One object serves the whole
// loaded component and every wkDatabases instance: an entry point fills it,
// the window reads it while it loads and works, the select action writes the
// chosen rows into it and the entry point reads them back. It is never reset
// as a whole; a value lasts until a request writes it again.
//
// Booleans are C++ bools here; they become -1/0 only where a value is
// exchanged with the host as an integer.
// What a picker request shows: the caption of its description column, the
// window's and level 0's captions, the options, and the letter column.
struct ListRequest {
    bool multiSelect = false;
    QString columnCaption;
    QString windowCaption;
    QString frameCaption;
    QString windowOptions;
    // Column 5 caption when the letter column is shown; "" keeps it hidden.
    QString letterCaption;
};

class RequestState final {
public:
    // The component-wide instance.
    static RequestState& instance();

    RequestState() = default;
    Q_DISABLE_COPY_MOVE(RequestState)

    // Grid column captions and widths, 0..6 once an entry point re-dimensions
    // them; index 0 unused, width 0 hides a column.
    VbArray<QString> ColumnCaptions;
    VbArray<qint16> ColumnWidths;
    // UsrDefTable field shown in grid column i; index 0 names the list-code field.
    VbArray<QString> FieldNames;
    // Frame caption of each window level (0..4).
    std::array<QString, 5> FrameCaptions;
    QString WindowCaption;
    // The list's UsrDefCod value.
    QString DatabaseCode;
    // Requested window position in twips; an entry point writes them only for
    // values above 0, so the previous request's position survives otherwise.
    float WindowTop = 0.0f;
    float WindowLeft = 0.0f;
    // Columns to sort by (elements 1 and 2) and their orders (1 ascending).
    VbArray<qint16> SortKeys;
    VbArray<qint16> SortKeyOrders;
    // True: the window keeps its size and position in its settings file.
    bool KeepWindowLayout = false;
    // First number of the settings file, kept at 4215 or more; never applied.
    qint16 LayoutMarker = 0;
    // True: several rows may be ticked and all are returned.
    bool MultiSelect = false;
    // Option words tested by substring: "NOADD", "NODELETE", "NOPIPSIGN".
    QString WindowOptions;
    // Chosen rows as records (fields end with LF, a record with CR); "" = nothing chosen.
    QString SelectionResult;
    // Work array of the code-string composition.
    VbArray<QString> ComposeParts;

    // Where the component's dialogs go; null means Qt's own.
    std::shared_ptr<IDialogs> Dialogs;
    // The one picker window while a request runs; null otherwise.
    QPointer<QObject> Window;

    // The host's objects, put through IGlobal.
    HostServicesRef GIC;
    HostObject GC;
    HostObject PV;
    HostObject DAC;

    // Re-dimensions FieldNames to 0..n and stores the seven UsrDefTable field
    // names at 0..6. Every caller passes 6; a smaller n is outside the contract
    // and raises a subscript error.
    void InitFieldNames(qint16& n);

    // Re-dimensions the column arrays to 0..6 and clears columns 1 to 6.
    void ResetColumns();
    // The steps every picker request takes before its window loads: columns
    // 1 ("Gp", 3) and 2 (the caption, 30) and the letter column if asked,
    // the field names, the position (only values above 0), the captions,
    // sorting by group then description, the options, an empty result.
    // The window keeps no layout of its own; the list code is the caller's.
    void PrepareListRequest(const ListRequest& request, float top, float left);

    // Stores top and left only when they are above 0 (a NaN is not).
    void SetWindowPosition(float top, float left);

    // Drops the references to the host's objects (and the dialogs object).
    void ReleaseHostObjects();
    // Makes sure ReleaseHostObjects runs when the process exits or the
    // component is unloaded, before the libraries the host's objects use.
    static void ReleaseHostObjectsAtUnload();

    // The host object; raises "object not set" (91) when the host never put it.
    IHostServices& Host() const;
};

} // namespace viVavazuruv
