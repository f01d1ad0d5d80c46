#pragma once
// Where the MRP workbench hands its suggestions to the release: it passes its own engine and
// suggestion datasets, the release asks what it needs in its dialogs and writes the documents.

#include <string>
#include <vector>

#include "data/DataSet.h"

class QWidget;

namespace mfg {

class MrpEngine;

//! Releases the ticked purchase suggestions as purchase orders (2) or requests (5), asking for the
//! supplier of goods without a usable one; returns the codes written.
std::vector<std::string> ReleasePurchaseSuggestions(DataSet& cdsPurSug, int kind, QWidget* parent = nullptr);
//! Releases the ticked manufacture suggestions as manufacture (42) or outsourcing (54) orders after
//! the release dialog closed with OK; returns the codes written.
std::vector<std::string> ReleaseManufactureSuggestions(const MrpEngine& engine, DataSet& cdsManuSug, int kind,
                                                       QWidget* parent = nullptr);

}  // namespace mfg
