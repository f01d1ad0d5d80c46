#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/DataSet.h"
#include "db/Connection.h"
#include "types/TextUtil.h"
#include "types/Variant.h"

namespace mfg {

//! A cache name, data source name, record kind or field that the look-up caches do not know.
class LookupError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! The host's cached look-up data (the LookupDB data module): one dataset per master table, opened
//! the first time it is asked for and kept until refreshed. Look-ups by key go through hash
//! indexes built when a cache is read, so a look-up costs no query and no scan. The rows behind
//! the indexes are a copy taken at reading: a filter or sort that a look-up combo puts on the
//! dataset changes what the combo shows, never what LookupData finds.
class LookupCache {
public:
    //! Caches over `connection`, which must outlive them; nothing is read yet.
    explicit LookupCache(Connection& connection);
    ~LookupCache();
    LookupCache(const LookupCache&) = delete;
    LookupCache& operator=(const LookupCache&) = delete;

    //! The cached dataset of a cache name ("qryGoods", ...), read on first use.
    DataSet& OpenLookupDataSet(std::string_view name);
    //! Re-reads a cache (its dataset and its indexes) and returns the dataset.
    DataSet& RefreshLookupDataSet(std::string_view name);
    //! The dataset behind a data source name ("dsGoods", ...), read on first use.
    DataSet& FindLookupDataSource(std::string_view name);
    //! A field of the cached record of a record kind by its key; null when there is no such record
    //! or the key is null.
    Variant LookupData(int kind, const Variant& key, std::string_view field);
    //! The same, finding the record by another field; with several matches the first in the
    //! cache's order wins.
    Variant LookupDataEx(int kind, std::string_view keyField, const Variant& key, std::string_view field);
    //! Forgets every cache; each is read again on next use.
    void Clear();

    //! The cache names, in the order the host lists them.
    static std::vector<std::string_view> CacheNames();
    //! The cache that serves a record kind; throws LookupError for an unknown kind.
    static std::string_view CacheOfKind(int kind);

private:
    struct Cache;

    Cache& CacheNamed(std::string_view name);
    Cache& Loaded(std::string_view name);
    void Load(Cache& cache);
    int ColumnOf(const Cache& cache, std::string_view field) const;
    Variant Find(Cache& cache, std::string_view keyField, const Variant& key, std::string_view field);

    Connection& db;
    std::unordered_map<std::string, std::unique_ptr<Cache>, NoCaseHash, NoCaseEqual> caches;
};

//! OpenLookupDataSet of the current host's caches.
DataSet& OpenLookupDataSet(std::string_view name);
//! RefreshLookupDataSet of the current host's caches.
DataSet& RefreshLookupDataSet(std::string_view name);
//! FindLookupDataSource of the current host's caches.
DataSet& FindLookupDataSource(std::string_view name);
//! LookupData of the current host's caches: kinds 3 goods, 13 currency, 18 employee, 19 trader,
//! 28 workshop, 39 branch, 40 goods unit, 47 work centre, 48 process.
Variant LookupData(int kind, const Variant& key, std::string_view field);
//! LookupDataEx of the current host's caches.
Variant LookupDataEx(int kind, std::string_view keyField, const Variant& key, std::string_view field);

//! The code and name of every goods, read in one query the first time one is asked for: the rows of
//! a large run name the same goods hundreds of thousands of times, and the goods cache would read
//! every column of every goods first.
class GoodsTexts {
public:
    const Variant& Code(std::int32_t goodsid) { return Of(goodsid).first; }
    const Variant& Name(std::int32_t goodsid) { return Of(goodsid).second; }
    //! Code and name; nulls for a goods that is not there.
    const std::pair<Variant, Variant>& Of(std::int32_t goodsid);
    //! Reads the texts now instead of at the first question, so that other threads may ask after.
    void Read();

private:
    std::unordered_map<std::int32_t, std::pair<Variant, Variant>> texts;
    bool read = false;
};

}  // namespace mfg
