#include "PrintTemplates.h"

#include <numeric>

#include "Calculations.h"
#include "db/Connection.h"
#include "host/Host.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

// DATA is an image column: written as bytes, a backslash in a header line is never read as an
// escape by the server.
Blob Bytes(std::string_view text)
{
    return Blob(text.begin(), text.end());
}

std::string Text(const Variant& data)
{
    if (data.Type() != FieldType::Blob) return data.AsString();
    const Blob& bytes = data.AsBlob();
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::optional<PrintTemplateRecord> ReadPrintTemplate(int id)
{
    auto query = CreateAutoQuery(
        "select PRINTTMPLTID, TypeID, Name, DATA, IsDefault from L_PRINTTMPLT where PRINTTMPLTID=:ID", true,
        {{"ID", id}});
    if (query->IsEmpty()) return std::nullopt;
    return PrintTemplateRecord{id, static_cast<int>(query->FieldByName("TypeID").AsInteger()),
                               query->FieldByName("Name").AsString(), Text(query->FieldByName("DATA").Value()),
                               query->FieldByName("IsDefault").AsInteger() != 0};
}

void OverwritePrintTemplate(int id, std::string_view name, std::string_view data)
{
    SqlExecute("update L_PRINTTMPLT set Name=:Name, DATA=:Data, OPID=:OpID, UpdateTime=getdate() "
               "where PRINTTMPLTID=:ID and IsDefault=0",
               {{"Name", std::string(name)}, {"Data", Bytes(data)}, {"OpID", CurrentHost().UserID()}, {"ID", id}});
}

int AddPrintTemplate(int typeID, std::string_view name, std::string_view data)
{
    // The key and the row in one transaction: a failed insert hands the key back.
    TransactionGuard transaction(CurrentHost().DBStartup());
    int id = GetNewKey("L_PRINTTMPLT");
    SqlExecute("insert into L_PRINTTMPLT (PRINTTMPLTID, TypeID, Name, DATA, IsDefault, OPID, Memo) "
               "values (:ID, :TypeID, :Name, :Data, 0, :OpID, '')",
               {{"ID", id}, {"TypeID", typeID}, {"Name", std::string(name)}, {"Data", Bytes(data)},
                {"OpID", CurrentHost().UserID()}});
    transaction.Commit();
    return id;
}

bool PrintTemplateNameTaken(int typeID, std::string_view name, int exceptID)
{
    return GetValueOfSql("select count(*) from L_PRINTTMPLT where TypeID=:TypeID and Name=:Name and PRINTTMPLTID<>:ID",
                         0, {{"TypeID", typeID}, {"Name", std::string(name)}, {"ID", exceptID}})
               .AsInteger() > 0;
}

std::optional<std::string> PrintStyleRefusal(std::string_view name, const std::vector<int>& visibleWidths)
{
    if (Trim(name).empty()) return "请输入打印样式的名称!";
    if (visibleWidths.empty()) return "至少要显示一列明细!";
    int total = std::accumulate(visibleWidths.begin(), visibleWidths.end(), 0);
    if (total > 100) return "显示列的宽度合计为 " + std::to_string(total) + "%, 不能超过 100%!";
    return std::nullopt;
}

}  // namespace mfg
