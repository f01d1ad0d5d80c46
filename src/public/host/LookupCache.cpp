#include "host/LookupCache.h"

#include <array>

#include <fmt/format.h>

#include "host/Host.h"

namespace mfg {

namespace {

struct CacheDefinition {
    std::string_view name;
    std::string_view sql;
    std::string_view keyField;
};

}  // namespace

struct LookupCache::Cache {
    explicit Cache(const CacheDefinition& definition) : definition(definition), dataSet(std::string(definition.name)) {}

    const CacheDefinition& definition;
    DataSet dataSet;
    bool loaded = false;
    std::vector<std::vector<Variant>> rows;
    std::unordered_map<std::string, int, NoCaseHash, NoCaseEqual> columns;
    // Key text -> row, one map per key field, each built on the first look-up by that field.
    std::unordered_map<std::string, std::unordered_map<std::string, size_t>, NoCaseHash, NoCaseEqual> indexes;
};

namespace {

// Closed records stay in the caches: old documents still name them and must show their names.
constexpr std::array<CacheDefinition, 11> definitions = {{
    {"qryGoods",
     "select g.*, u.UnitName from L_Goods g left join L_GoodsUnit u on u.UnitID = g.UnitID order by g.Code",
     "GoodsID"},
    {"qryUnit", "select * from L_Unit order by UnitID", "UnitID"},
    {"qryGoodsUnit", "select * from L_GoodsUnit order by GoodsID, Sequence, UnitID", "UnitID"},
    {"qryShop", "select * from d_shop order by Code", "ShopID"},
    {"qryMoney", "select * from L_Money order by MoneyID", "MoneyID"},
    // The supplier drop-downs show each trader's branch by name.
    {"qryTrader",
     "select t.*, s.Name as SHOPNAME from l_trader t left join d_shop s on s.ShopID = t.ShopID order by t.Code",
     "TraderID"},
    {"qryEmploy", "select * from l_employ order by Code", "EmpID"},
    {"qryWorkShop", "select * from mnf_workshop order by Code", "WorkShopID"},
    {"qryWorkLine", "select * from mnf_workline order by Code", "WorkLineID"},
    {"qryWorkProc", "select * from al_wgcountitem order by Code", "COUNTWAGEITEMID"},
    {"qryWorkCenter", "select * from mnf_workcenter order by Code", "WorkCenterID"},
}};

struct DataSourceName {
    std::string_view source;
    std::string_view cache;
};

constexpr std::array<DataSourceName, 6> dataSources = {{
    {"dsGoods", "qryGoods"},
    {"dsTrader", "qryTrader"},
    {"dsGoodsUnit", "qryGoodsUnit"},
    {"dsEmploy", "qryEmploy"},
    {"dsWorkShop", "qryWorkShop"},
    {"dsWorkCenter", "qryWorkCenter"},
}};

struct RecordKind {
    int kind;
    std::string_view cache;
};

constexpr std::array<RecordKind, 9> recordKinds = {{
    {3, "qryGoods"},
    {13, "qryMoney"},
    {18, "qryEmploy"},
    {19, "qryTrader"},
    {28, "qryWorkShop"},
    {39, "qryShop"},
    {40, "qryGoodsUnit"},
    {47, "qryWorkCenter"},
    {48, "qryWorkProc"},
}};

// Keys compare as the server compares them: a number and the text of that number are the same
// key, and text ignores case.
std::string KeyText(const Variant& key) { return ToLowerAscii(key.AsString()); }

}  // namespace

LookupCache::LookupCache(Connection& connection) : db(connection) {}

LookupCache::~LookupCache() = default;

std::vector<std::string_view> LookupCache::CacheNames()
{
    std::vector<std::string_view> names;
    for (const auto& definition : definitions) names.push_back(definition.name);
    return names;
}

std::string_view LookupCache::CacheOfKind(int kind)
{
    for (const auto& entry : recordKinds)
        if (entry.kind == kind) return entry.cache;
    throw LookupError(fmt::format("未知的查找数据类别: {}", kind));
}

DataSet& LookupCache::OpenLookupDataSet(std::string_view name) { return Loaded(name).dataSet; }

DataSet& LookupCache::RefreshLookupDataSet(std::string_view name)
{
    auto& cache = CacheNamed(name);
    Load(cache);
    return cache.dataSet;
}

DataSet& LookupCache::FindLookupDataSource(std::string_view name)
{
    for (const auto& entry : dataSources)
        if (EqualsNoCase(entry.source, name)) return OpenLookupDataSet(entry.cache);
    throw LookupError(fmt::format("未知的查找数据源: {}", name));
}

Variant LookupCache::LookupData(int kind, const Variant& key, std::string_view field)
{
    auto& cache = Loaded(CacheOfKind(kind));
    return Find(cache, cache.definition.keyField, key, field);
}

Variant LookupCache::LookupDataEx(int kind, std::string_view keyField, const Variant& key, std::string_view field)
{
    return Find(Loaded(CacheOfKind(kind)), keyField, key, field);
}

void LookupCache::Clear()
{
    // The datasets stay: screens hold them for their combos. They are read again on next use.
    for (auto& [name, cache] : caches) {
        cache->loaded = false;
        cache->rows.clear();
        cache->indexes.clear();
    }
}

LookupCache::Cache& LookupCache::CacheNamed(std::string_view name)
{
    if (auto it = caches.find(std::string(name)); it != caches.end()) return *it->second;
    for (const auto& definition : definitions) {
        if (!EqualsNoCase(definition.name, name)) continue;
        auto [it, inserted] = caches.emplace(std::string(definition.name), std::make_unique<Cache>(definition));
        return *it->second;
    }
    throw LookupError(fmt::format("未知的查找数据集: {}", name));
}

LookupCache::Cache& LookupCache::Loaded(std::string_view name)
{
    auto& cache = CacheNamed(name);
    if (!cache.loaded) Load(cache);
    return cache;
}

void LookupCache::Load(Cache& cache)
{
    auto& dataSet = cache.dataSet;
    cache.loaded = false;
    cache.rows.clear();
    cache.columns.clear();
    cache.indexes.clear();
    if (dataSet.Active()) {
        dataSet.Requery();
    } else {
        dataSet.SetSql(std::string(cache.definition.sql));
        dataSet.Open(db);
    }

    std::vector<int> dataFields;
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const auto& field = dataSet.FieldByIndex(i);
        if (field.Kind() != FieldKind::Data) continue;
        cache.columns.emplace(field.Name(), static_cast<int>(dataFields.size()));
        dataFields.push_back(i);
    }

    // A combo's filter must not hide records from the copy.
    bool filtered = dataSet.Filtered();
    if (filtered) dataSet.SetFiltered(false);
    cache.rows.reserve(static_cast<size_t>(dataSet.RecordCount()));
    for (int row = 0; row < dataSet.RecordCount(); ++row) {
        std::vector<Variant> values;
        values.reserve(dataFields.size());
        for (int field : dataFields) values.push_back(dataSet.ValueAt(row, field));
        cache.rows.push_back(std::move(values));
    }
    if (filtered) dataSet.SetFiltered(true);
    cache.loaded = true;
}

int LookupCache::ColumnOf(const Cache& cache, std::string_view field) const
{
    auto it = cache.columns.find(std::string(field));
    if (it == cache.columns.end())
        throw LookupError(fmt::format("查找数据集 {} 中没有字段 {}", cache.definition.name, field));
    return it->second;
}

Variant LookupCache::Find(Cache& cache, std::string_view keyField, const Variant& key, std::string_view field)
{
    int column = ColumnOf(cache, field);
    int keyColumn = ColumnOf(cache, keyField);
    if (key.IsNull()) return {};
    auto indexIt = cache.indexes.find(std::string(keyField));
    if (indexIt == cache.indexes.end()) {
        std::unordered_map<std::string, size_t> index;
        index.reserve(cache.rows.size());
        for (size_t row = 0; row < cache.rows.size(); ++row) {
            const auto& value = cache.rows[row][static_cast<size_t>(keyColumn)];
            if (!value.IsNull()) index.emplace(KeyText(value), row);
        }
        indexIt = cache.indexes.emplace(std::string(keyField), std::move(index)).first;
    }
    auto hit = indexIt->second.find(KeyText(key));
    if (hit == indexIt->second.end()) return {};
    return cache.rows[hit->second][static_cast<size_t>(column)];
}

DataSet& OpenLookupDataSet(std::string_view name) { return CurrentHost().LookupDB().OpenLookupDataSet(name); }

DataSet& RefreshLookupDataSet(std::string_view name) { return CurrentHost().LookupDB().RefreshLookupDataSet(name); }

DataSet& FindLookupDataSource(std::string_view name) { return CurrentHost().LookupDB().FindLookupDataSource(name); }

Variant LookupData(int kind, const Variant& key, std::string_view field)
{
    return CurrentHost().LookupDB().LookupData(kind, key, field);
}

Variant LookupDataEx(int kind, std::string_view keyField, const Variant& key, std::string_view field)
{
    return CurrentHost().LookupDB().LookupDataEx(kind, keyField, key, field);
}

void GoodsTexts::Read()
{
    if (read) return;
    ResultSet goods = CurrentHost().DBStartup().Query("select GoodsID, Code, Name from L_Goods");
    texts.reserve(goods.rows.size());
    for (auto& row : goods.rows)
        texts.emplace(static_cast<std::int32_t>(row[0].AsInteger()),
                      std::make_pair(std::move(row[1]), std::move(row[2])));
    read = true;
}

const std::pair<Variant, Variant>& GoodsTexts::Of(std::int32_t goodsid)
{
    Read();
    static const std::pair<Variant, Variant> unknown;
    auto it = texts.find(goodsid);
    return it == texts.end() ? unknown : it->second;
}

}  // namespace mfg
