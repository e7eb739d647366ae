#pragma once

#include "VbArray.h"

#include <QString>

#include <array>

namespace viVavazuruv {

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

// One request to the picker window, made by an entry point and handed to the
// window as a value: what to show and how. The window's answer comes back as
// selection records; nothing of a request outlives it but what the component
// state keeps on purpose (the window's place, the last list).
//
// Booleans are C++ bools here; they become -1/0 only where a value is
// exchanged with the host as an integer.
struct PickerRequest {
    // Grid column captions and widths, 0..6; index 0 unused, width 0 hides a column.
    VbArray<QString> ColumnCaptions;
    VbArray<qint16> ColumnWidths;
    // UsrDefTable field shown in grid column i; index 0 names the list-code field.
    VbArray<QString> FieldNames;
    // Frame caption of each window level (0..4); a nested level's is set as it opens.
    std::array<QString, 5> FrameCaptions;
    QString WindowCaption;
    // The list's UsrDefCod value.
    QString DatabaseCode;
    // Where the window opens, in twips (0: the window's own default).
    float WindowTop = 0.0f;
    float WindowLeft = 0.0f;
    // Columns to sort by and their orders (1 ascending).
    VbArray<qint16> SortKeys;
    VbArray<qint16> SortKeyOrders;
    // True: the window keeps its size and position in its settings file.
    bool KeepWindowLayout = false;
    // True: several rows may be ticked and all are returned.
    bool MultiSelect = false;
    // Option words tested by substring: "NOADD", "NODELETE", "NOPIPSIGN".
    QString WindowOptions;

    // Shows column 5, the letter file's name, under caption.
    void showLetterColumn(const QString& caption);

    // Columns 1 to 6 as UsrDefTable's fields, 0 the list code.
    static VbArray<QString> ListFields();

    // A picker over one list: columns 1 ("Gp", 3) and 2 (the caption, 30)
    // and the letter column if asked, the field names, the captions, sorted
    // by group then description, the options; no layout of its own.
    static PickerRequest ForList(const QString& listCode, const ListRequest& request);
    // Columns 1 to 6 empty and hidden, every field named, sorted by group then description.
    static PickerRequest Blank();
};

} // namespace viVavazuruv
