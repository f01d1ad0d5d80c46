#pragma once
// Where the rows of an engine result go as they are made.

#include <span>

#include "types/Variant.h"

namespace mfg {

//! A column of an engine result.
struct MrpColumn {
    const char* name;
    FieldType type;
};

//! Receives the rows of one result: a screen's dataset keeps them, a console writer passes each one
//! on and keeps none, which a large run's hundred thousand rows need.
class MrpRowSink {
public:
    virtual ~MrpRowSink() = default;
    //! The result's columns, told once before its first row.
    virtual void Start(std::span<const MrpColumn> columns) = 0;
    //! One row: values in the order of the columns, a null one for an empty cell; a row shorter
    //! than the columns leaves its last cells empty.
    virtual void Write(std::span<const Variant> values) = 0;
};

}  // namespace mfg
