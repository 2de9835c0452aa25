// Figures and tables through the program: a PDF opened and checked for the graph's lines and
// text (an SVG and a PNG at its resolution are the command line's --render), and the CSV the menu
// writes.
#include <QByteArray>
#include <QRegularExpression>

#include "app/export.h"
#include "io/fit_table.h"
#include "program_fixture.h"

namespace {

class Export : public StartedProgram {
 protected:
  void SetUp() override {
    StartedProgram::SetUp();
    LoadAndShow(WriteDataFile("fig.txt", 2, 300));
    Click(panelHandle, PANEL_DOFIT);
  }
};

// The PDF's content streams, inflated: Qt compresses them with zlib.
std::string PdfContent(const std::string& pdf) {
  std::string content;
  size_t at = 0;
  while ((at = pdf.find("stream\n", at)) != std::string::npos) {
    const size_t start = at + 7;
    const size_t end = pdf.find("endstream", start);
    if (end == std::string::npos) break;
    QByteArray zipped(pdf.data() + start, static_cast<qsizetype>(end - start));
    zipped.prepend(QByteArray("\x00\x10\x00\x00", 4));  // qUncompress's size hint: 1 MB
    content += qUncompress(zipped).toStdString();
    at = end;
  }
  return content;
}

}  // namespace

// The PDF of the data graph is one page of the figure's size whose content draws lines and text.
TEST_F(Export, PdfIsOnePageOfLinesAndText) {
  const std::string path = ScratchPath("data.pdf");
  ASSERT_EQ(WriteFigure(path, false, FigureFormatOf("X.PDF"), 1.0), 1);  // the extension decides
  EXPECT_EQ(FigureFormatOf("a.fig"), -1);
  const std::string pdf = ReadBytes(path);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
  EXPECT_NE(pdf.find("/MediaBox [0 0 800.000000 450.000000]"), std::string::npos);
  const std::string content = PdfContent(pdf);
  EXPECT_GT(QString::fromStdString(content).count(QRegularExpression(" l\\n")), 100);
  EXPECT_NE(content.find("Tj"), std::string::npos);
}

// The menu writes the workspace's table of fits (its columns and rows: the table's own tests)
// under the chosen name with the extension added.
TEST_F(Export, TableMenuWritesTheWorkspaceTable) {
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, ScratchPath("fits"));
  TriggerMenu(MENU_EXPORTTABLE);
  EXPECT_EQ(ReadBytes(ScratchPath("fits.csv")), FormatFitTable(WorkspaceFitTable()));
}
