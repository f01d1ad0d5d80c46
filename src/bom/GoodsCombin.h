#pragma once

#include <optional>

namespace mfg {

//! How much of a goods' BOM the assembly/dismantling table takes.
enum class CombinDepth { OneLevel, WholeTree };

//! Rebuilds the assembly/dismantling table l_goodscombin from the stored BOMs, asking before rows
//! already there are overwritten. With `goodsID` the table is built for that goods: when it has
//! rows the user chooses the whole tree (Yes), one level (No) or nothing (Cancel); without rows the
//! whole tree is copied. Without `goodsID` it is built for every goods with lines, asking first
//! only when `confirmAll`. Tells the user how it went; true when built.
bool CreateGoodsCombin(std::optional<int> goodsID, bool confirmAll);

//! Copies one goods' lines into l_goodscombin, replacing its rows; the whole tree copies every goods
//! below it as well (each once) and marks each copied goods as combinable, leaves included.
void CopyGoodsCombin(int goodsID, CombinDepth depth);
//! Copies the lines of every goods that has lines and marks each as combinable. Rows of goods that
//! no longer have lines stay.
void CopyAllGoodsCombin();

}  // namespace mfg
