#pragma once

#include <memory>

#include "LookupCombo.h"
#include "TManuRootForm.h"
#include "host/Host.h"

namespace mfg::test {

//! A screen with nothing but a style combo over the templates of type 7001, standard 7001.
class TPrintSampleForm : public TManuRootForm {
public:
    explicit TPrintSampleForm(QWidget* parent) : TManuRootForm("TPrintSampleForm", parent)
    {
        RptStyleCB = new LookupCombo(this);
        RptStyleCB->setObjectName("RptStyleCB");
        RptStyleCB->SetTag(7001);
        templates = CreateAutoQuery(
            "Select TypeID, PrintTmpltID, Name from L_PrintTmplt where TypeID=7001 and PrintTmpltID>0", true);
        RptStyleCB->SetLookupDataSet(templates.get());
        RptStyleCB->SetKeyField("PrintTmpltID");
        RptStyleCB->SetListField("Name");
    }
    LookupCombo* RptStyleCB;
    std::unique_ptr<DataSet> templates;
};

//! The master record the sample prints under: goods 3001.
inline void FillSampleHeader(DataSet& header)
{
    header.SetName("cdsHeader");
    for (auto name : {"GoodsCode", "GoodsName", "Specs", "UnitName"}) header.AddField(name, FieldType::Text);
    header.CreateDataSet();
    header.AppendRecord({"3001", "山地自行车", "26寸 21速 黑色", "辆"});
}

}  // namespace mfg::test
