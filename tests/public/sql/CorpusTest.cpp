// Runs the dialect corpus: every statement shape the module sends, as .test files of T-SQL text,
// a file's records in order inside one transaction that is rolled back at the end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include <fmt/format.h>

#include "Database.h"
#include "TestDatabase.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

struct Record {
    std::string file;
    int line = 0;
    std::string kind;      // "statement ok", "query ok", "statement error"
    std::string expected;  // error word, or the expected rows after "----"
    bool hasRows = false;
    Params params;
    std::string sql;
};

Variant ParamValue(const std::string& text)
{
    static const std::regex integer("^-?[0-9]+$"), decimal("^-?[0-9]*\\.[0-9]+$");
    if (text == "NULL") return {};
    if (std::regex_match(text, integer)) return static_cast<std::int64_t>(std::stoll(text));
    if (std::regex_match(text, decimal)) return std::stod(text);
    if (auto date = DateTime::Parse(text)) return *date;
    return text;
}

std::vector<Record> ReadRecords(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::vector<Record> records;
    std::string line;
    int number = 0;
    Record* current = nullptr;
    bool inRows = false;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (current == nullptr) {
            if (Trim(line).empty() || line.starts_with("#")) continue;
            records.emplace_back();
            records.back().file = path.filename().string();
            records.back().line = number;
            current = &records.back();
            if (line.starts_with("statement error")) {
                current->kind = "statement error";
                current->expected = std::string(Trim(line.substr(15)));
            } else {
                current->kind = std::string(Trim(line));
            }
            inRows = false;
            continue;
        }
        if (Trim(line).empty()) {
            current = nullptr;
            continue;
        }
        if (inRows) {
            current->expected += line + "\n";
        } else if (line == "----") {
            inRows = true;
            current->hasRows = true;
        } else if (current->sql.empty() && line.starts_with(":")) {
            auto space = line.find(' ');
            std::string name = line.substr(1, space == std::string::npos ? std::string::npos : space - 1);
            std::string value = space == std::string::npos ? "" : std::string(Trim(line.substr(space + 1)));
            current->params.emplace_back(name, ParamValue(value));
        } else {
            current->sql += (current->sql.empty() ? "" : "\r\n") + line;
        }
    }
    return records;
}

std::string Rows(const ResultSet& rows)
{
    std::string out;
    for (const auto& row : rows.rows) {
        for (size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + (row[i].IsNull() ? std::string("NULL") : row[i].AsString());
        out += "\n";
    }
    return out;
}

//! Runs one record; returns an empty text when it behaved as written, else what went wrong.
std::string RunRecord(Connection& db, const Record& record)
{
    std::string problem;
    try {
        if (record.kind == "statement ok") {
            db.Execute(record.sql, record.params);
        } else if (record.kind == "query ok") {
            auto rows = db.Query(record.sql, record.params);
            if (record.hasRows && Rows(rows) != record.expected)
                problem = fmt::format("rows differ:\n--- expected\n{}--- got\n{}", record.expected, Rows(rows));
        } else if (record.kind == "statement error") {
            db.Execute(record.sql, record.params);
            problem = "no error raised";
        } else {
            problem = "unknown record kind: " + record.kind;
        }
    } catch (const std::exception& e) {
        std::string message = e.what();
        if (record.kind != "statement error") problem = message;
        else if (ToLowerAscii(message).find(ToLowerAscii(record.expected)) == std::string::npos)
            problem = fmt::format("error does not name '{}': {}", record.expected, message);
    }
    return problem;
}

std::vector<std::filesystem::path> CorpusFiles()
{
    std::vector<std::filesystem::path> files;
    // Test discovery lists the files without the test environment, so the source folder is built in.
    const char* dir = std::getenv("MFG_CORPUS_DIR");
    if (!dir) dir = MFG_CORPUS_SOURCE_DIR;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".test") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

class Corpus : public ::testing::TestWithParam<std::filesystem::path> {};

TEST_P(Corpus, EveryRecordTranslatesAndRuns)
{
    auto db = OpenDatabase(test::CopyOfDemoDatabase("corpus-" + GetParam().stem().string()));
    db->SetClock(test::TestToday);
    auto records = ReadRecords(GetParam());
    ASSERT_FALSE(records.empty());
    // Records of a file run in order and see what the earlier ones left (the MRP scope table, say);
    // the file as a whole leaves nothing behind.
    db->BeginTran();
    for (const auto& record : records) {
        auto problem = RunRecord(*db, record);
        EXPECT_TRUE(problem.empty()) << record.file << ":" << record.line << "\n" << record.sql << "\n" << problem;
    }
    db->RollbackTran();
}

INSTANTIATE_TEST_SUITE_P(Dialect, Corpus, ::testing::ValuesIn(CorpusFiles()),
                         [](const auto& info) { return info.param.stem().string(); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Corpus);

}  // namespace
}  // namespace mfg
