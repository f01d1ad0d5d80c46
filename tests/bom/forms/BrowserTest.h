#pragma once
// What the tests of the two BOM browsers share: printing captured instead of the printer, exports
// to a folder of the process, and the export read back.

#include <unistd.h>

#include <QDir>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ReportDesign.h"
#include "ScreenTest.h"
#include "TBomBrowserForm.h"

namespace mfg::test {

class BrowserTest : public ScreenTest {
protected:
    BrowserTest()
    {
        ReportDesign::SetOutputHandler([this](ReportDesign& report, bool print) {
            printed.push_back(print);
            printText = report.PlainText().toStdString();
            report.ExportPdf(PdfFile());
        });
        TBomBrowserForm::SetExportFileChooser([this](QWidget&, const std::string& suggested) {
            suggestedFile = suggested;
            return exportFile;
        });
    }
    ~BrowserTest() override
    {
        ReportDesign::SetOutputHandler({});
        TBomBrowserForm::SetExportFileChooser({});
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::string PdfFile() const { return (folder / "browser.pdf").string(); }
    //! A member of the exported workbook (xl/sharedStrings.xml holds the texts), read with unzip(1).
    std::string Exported(const std::string& entry) const
    {
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(("unzip -p '" + exportFile + "' " + entry).c_str(), "r"),
                                                   pclose);
        std::string text;
        char buffer[4096];
        while (std::size_t read = fread(buffer, 1, sizeof buffer, pipe.get())) text.append(buffer, read);
        return text;
    }

    //! Shows the screen at the size it opens at, checks that its inputs are in sight, and saves it
    //! as `file` of the user guide's pictures when MFG_SCREENSHOT_DIR is set.
    static void Screenshot(QWidget& form, const char* file)
    {
        ShowAtDefaultSize(form);
        for (const char* control : {"cmbSelGoods", "dbtGoodsName", "TreeView1", "btnPrint", "RptStyleCB", "btnExcel"})
            ExpectInside(form, Control<QWidget>(form, control));
        EXPECT_GE(Control<QWidget>(form, "cmbSelGoods").width(), 160) << "room for a whole goods code";
        QImage shot = form.grab().toImage();
        EXPECT_GT(shot.width(), 0);
        if (const char* pictures = std::getenv("MFG_SCREENSHOT_DIR")) {
            EXPECT_TRUE(shot.save(QDir(pictures).filePath(file)));
        }
    }

    std::vector<bool> printed;
    std::string printText;
    //! The SQLite and PostgreSQL runs of a test share the host's temporary folder, which each run
    //! makes afresh: what the test reads back lives in a folder of the process.
    std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("bom-browser-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    std::string exportFile = (folder / "browser.xlsx").string();
    std::string suggestedFile;
};

}  // namespace mfg::test
