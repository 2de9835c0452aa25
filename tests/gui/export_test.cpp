// Figures and tables through the program: an SVG and a PDF opened and checked for the graphs'
// lines and labels (a PNG at its resolution is the command line's --graphs), and the CSV's header
// and a row against the workspace.
#include <QByteArray>
#include <QRegularExpression>

#include "app/export.h"
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

// The SVG of all three graphs holds drawn lines and every axis label with its unit.
TEST_F(Export, SvgHoldsLinesAndAxisLabels) {
  const std::string path = ScratchPath("all.svg");
  ASSERT_EQ(WriteFigure(path, true, FigureFormatOf(path), 1.0), 1);
  EXPECT_EQ(FigureFormatOf("a.fig"), -1);
  const std::string svg = FileText(path);
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  const auto paths = QString::fromStdString(svg).count(QRegularExpression("<(path|polyline)"));
  EXPECT_GT(paths, 10);
  for (const char* label : {"Time (ms)", "Current (nA)", "Voltage (mV)", "Time constant (ms)"})
    EXPECT_NE(svg.find(label), std::string::npos) << label;
}

// The PDF of the data graph is one page of the figure's size whose content draws lines and text.
TEST_F(Export, PdfIsOnePageOfLinesAndText) {
  const std::string path = ScratchPath("data.pdf");
  ASSERT_EQ(WriteFigure(path, false, FigureFormatOf("X.PDF"), 1.0), 1);  // the extension decides
  const std::string pdf = FileText(path);
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
  EXPECT_NE(pdf.find("/MediaBox [0 0 800.000000 450.000000]"), std::string::npos);
  const std::string content = PdfContent(pdf);
  EXPECT_GT(QString::fromStdString(content).count(QRegularExpression(" l\\n")), 100);
  EXPECT_NE(content.find("Tj"), std::string::npos);
}

// The table's header names the columns with units; a row holds the time, each trace's measured
// current, summed fit and residual, and the current's own curve, as the workspace has them.
TEST_F(Export, TableHeaderAndRowMatchWorkspace) {
  QueueFileSelectAnswer(VAL_NEW_FILE_SELECTED, ScratchPath("fits"));
  TriggerMenu(MENU_EXPORTTABLE);
  std::istringstream lines(FileText(ScratchPath("fits.csv")));
  std::string header, row;
  std::getline(lines, header);
  EXPECT_EQ(header,
            "time (ms),trace 1 measured (nA),trace 1 fit (nA),trace 1 residual (nA),"
            "trace 2 measured (nA),trace 2 fit (nA),trace 2 residual (nA),"
            "1 (current 1) trace 1 (nA),1 (current 1) trace 2 (nA)");
  for (int n = 0; n <= 10; ++n) std::getline(lines, row);
  std::vector<double> cells;
  std::istringstream cellText(row);
  for (std::string cell; std::getline(cellText, cell, ',');) cells.push_back(std::stod(cell));
  ASSERT_EQ(cells.size(), 9u);
  EXPECT_EQ(cells[0], timevals[10]);
  EXPECT_EQ(cells[4], ydata[1][10]);
  EXPECT_DOUBLE_EQ(cells[5], yfits[0][1][10]);
  EXPECT_DOUBLE_EQ(cells[6], ydata[1][10] - yfits[0][1][10]);
  EXPECT_EQ(cells[8], yfits[0][1][10]);
}
