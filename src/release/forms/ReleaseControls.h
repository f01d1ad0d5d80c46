#pragma once
// Small helpers the release dialogs build their controls with.

#include <QString>

#include "LookupCombo.h"
#include "NamedControl.h"
#include "data/DataSet.h"

namespace mfg {

//! A look-up combo over a host cache, valued by `key` and showing `list`.
inline LookupCombo* NewLookupCombo(QWidget* parent, const char* name, DataSet& lookup, const char* key,
                                   const char* list)
{
    auto* combo = Named(new LookupCombo(parent), name);
    combo->SetLookupDataSet(&lookup);
    combo->SetKeyField(key);
    combo->SetListField(list);
    return combo;
}

}  // namespace mfg
