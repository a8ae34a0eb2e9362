#pragma once

#include "grid/CellText.h"

#include <QString>
#include <QtGlobal>
#include <vector>

class PackedRow;

// One change of the register's contents or shape, as GridModel's setters
// make it: what a work log writes down so that replaying the changes on the
// same starting model gives the same model. Only the fields the kind names are
// set; the pointed-to data lives as long as the call that hands it over.
struct GridChange {
    enum class Kind : quint8 {
        SetRows = 1, // a = count
        SetCols, // a = count
        AddItem, // text
        RemoveItem, // a = row
        InsertRow, // a = row, cells
        SetColPosition, // a = index, b = position
        SetText, // a = row, b = col, text
        SetRowCells, // a = row, cells
        // 9 was the captions set from a format text, which the model never
        // makes; only logs of earlier versions hold it (WorkLogFormat).
        SetColAlignment = 10, // a = col, b = alignment
        SetColWidth, // a = col, b = twips
        PermuteRows, // a = first, order
    };

    Kind kind = Kind::SetRows;
    int a = 0;
    int b = 0;
    CellText text = {};
    const PackedRow* cells = nullptr;
    const std::vector<quint32>* order = nullptr;
};

// Told of every change before the model makes it, while the model still
// holds what the change starts from.
class GridRecorder {
public:
    virtual ~GridRecorder() = default;
    virtual void record(const GridChange& change) = 0;
};
